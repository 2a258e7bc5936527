<?php
// Answers with the name of the user registered here: the first
// whitespace-delimited token of database/current_user, and nothing else.
// The name is whatever bytes were registered and the controller compares
// them as they are, so they go out unchanged, as plain GBK text that no
// browser may take for a page and run.
header('Content-Type: text/plain; charset=GBK');
header('X-Content-Type-Options: nosniff');
$text = @file_get_contents(__DIR__ . '/database/current_user');
if ($text === false) {
    exit;
}
$tokens = preg_split('/\s+/', $text, -1, PREG_SPLIT_NO_EMPTY);
if (count($tokens) > 0) {
    echo $tokens[0];
}
