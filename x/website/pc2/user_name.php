<?php
// The registered user's name in database/current_user.  The controller
// and the registrar read its first whitespace-delimited token into a
// 128-byte buffer, as GBK bytes, so a name is kept only when it is one
// such token of at most 127 bytes.

const USER_NAME_MAX_BYTES = 127;

// Why `name` (GBK bytes) cannot be registered, or '' when it can.
function user_name_problem($name)
{
    if ($name === '') {
        return '用户名不能为空。';
    }
    if (strlen($name) > USER_NAME_MAX_BYTES) {
        return '用户名太长：最多 ' . USER_NAME_MAX_BYTES . ' 字节（一个汉字占两个字节）。';
    }
    // One GBK character at a time: a lead byte takes the next as its
    // second byte, so a second byte is never taken for a character.
    preg_match_all('/[\x81-\xFE][\x40-\x7E\x80-\xFE]|[\x81-\xFE]|[\x00-\xFF]/', $name, $m);
    foreach ($m[0] as $c) {
        if ($c === ' ' || $c === "\xA1\xA1") {
            return '用户名不能含空格。';
        }
        if (strlen($c) === 1 && (ord($c) < 0x20 || ord($c) === 0x7F)) {
            return '用户名不能含控制字符。';
        }
        if (strlen($c) === 1 && ord($c) >= 0x80) {
            return '用户名含有无效的字符（须为 GBK 编码）。';
        }
    }
    return '';
}

// Replaces the file whole: written beside it, then renamed over it, so
// the controller never reads half a name.
function store_user_name($path, $name)
{
    $temp = @tempnam(dirname($path), '.current_user.');
    if ($temp === false) {
        return false;
    }
    if (@file_put_contents($temp, $name) !== strlen($name)
        || !@chmod($temp, 0644) || !@rename($temp, $path)) {
        @unlink($temp);
        return false;
    }
    return true;
}

// The first token of the file, as the controller reads it; '' when none.
function current_user_name($path)
{
    $text = @file_get_contents($path);
    if ($text === false) {
        return '';
    }
    $tokens = preg_split('/[ \t\n\v\f\r]+/', $text, -1, PREG_SPLIT_NO_EMPTY);
    return count($tokens) > 0 ? substr($tokens[0], 0, USER_NAME_MAX_BYTES) : '';
}
