<?php
// Stand-in for the registration service, for tests and Linux installs:
//   php -S 127.0.0.1:<port> -t <this folder's parent>
// Takes the form field dnsData, a JSON object of the seven string members
// uname, mac, pin, ipv4, ipv6, port, https (GBK text), and answers with a
// text whose third character from the end is "0" when the record was
// accepted and "1" when it was not.
// Environment:
//   REGIST_STORE   file that gets one JSON line (UTF-8) per accepted record
//   REGIST_REFUSE  when "1", every record is refused (a service saying no)
//   REGIST_RAW     file that gets the last request body as it arrived

header('Content-Type: text/plain');

function refuse($why) {
    echo "refused: $why\r\n1\r\n";
    exit;
}

$keys = ['uname', 'mac', 'pin', 'ipv4', 'ipv6', 'port', 'https'];
$raw = getenv('REGIST_RAW');
if ($raw) file_put_contents($raw, file_get_contents('php://input'));
if (getenv('REGIST_REFUSE') === '1') refuse('not taking records');
if ($_SERVER['REQUEST_METHOD'] !== 'POST' || !isset($_POST['dnsData'])) {
    refuse('no dnsData');
}
if (count($_POST) !== 1) refuse('fields other than dnsData');
$text = iconv('GBK', 'UTF-8', $_POST['dnsData']);
if ($text === false) refuse('not GBK text');
$record = json_decode($text, true);
if (!is_array($record) || array_is_list($record) && count($record) > 0) {
    refuse('not a JSON object');
}
$names = array_keys($record);
if (count($names) !== count($keys) || array_diff($keys, $names)) {
    refuse('not the seven members');
}
foreach ($keys as $k) {
    if (!is_string($record[$k])) refuse("$k is not a string");
}
$store = getenv('REGIST_STORE');
if ($store) {
    $ordered = [];
    foreach ($keys as $k) $ordered[$k] = $record[$k];
    $line = json_encode($ordered, JSON_UNESCAPED_UNICODE) . "\n";
    if (file_put_contents($store, $line, FILE_APPEND | LOCK_EX) === false) {
        refuse('cannot store');
    }
}
echo "registered\r\n0\r\n";
