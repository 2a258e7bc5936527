<?php
// The home page of the personal cloud: the state the controller left in
// the data files, and the registration of the user's name.
//
// This file is GBK text, as every page of the web application (php.ini's
// default_charset), so that the name a browser posts arrives as the GBK
// bytes the controller and the registrar read from current_user.
require __DIR__ . '/user_name.php';
require __DIR__ . '/this_pc.php';
require __DIR__ . '/diagnosis.php';

// Only the PC itself registers: a visitor from anywhere else sees the
// state, without the form, and a post of theirs changes nothing.
$owner = request_from_this_pc();
$posted = $_SERVER['REQUEST_METHOD'] === 'POST';
if ($owner) {
    session_start();
    if (empty($_SESSION['form_token'])) {
        $_SESSION['form_token'] = bin2hex(random_bytes(16));
    }
}

$database = __DIR__ . '/database';
$message = '';
$accepted = false;
if ($posted && !$owner) {
    http_response_code(403);
    $message = '只能在本机上注册用户名。';
} elseif ($posted) {
    $name = isset($_POST['name']) ? (string)$_POST['name'] : '';
    $token = isset($_POST['token']) ? (string)$_POST['token'] : '';
    if (!hash_equals($_SESSION['form_token'], $token)) {
        $message = '页面已过期，请重新提交。';
    } else {
        $problem = user_name_problem($name);
        if ($problem !== '') {
            $message = $problem;
        } elseif (!store_user_name($database . '/current_user', $name)) {
            $message = '无法保存用户名，请检查 database 文件夹的权限。';
        } else {
            $message = '注册成功：' . $name;
            $accepted = true;
        }
    }
}

// A data file's text, or null when the controller has not written it.
function data_file($path)
{
    $text = @file_get_contents($path);
    return $text === false ? null : trim($text);
}

// HTML-escapes GBK text.  PHP's escaper knows no GBK, but the bytes it
// escapes are all ASCII and never the second byte of a GBK character
// (those are 0x40 and above), so the byte-wise ISO-8859-1 rule is right.
function h($text)
{
    return htmlspecialchars($text, ENT_QUOTES | ENT_SUBSTITUTE, 'ISO-8859-1');
}

function shown($text)
{
    return $text === null || $text === '' ? '未知' : h($text);
}

$local = data_file($database . '/local_port');
$web_http = $web_https = null;
if ($local !== null && preg_match('/^(\d+):(\d+)$/', $local, $m)) {
    $web_http = $m[1];
    $web_https = $m[2];
}
$router_https = data_file($database . '/https_port');
$public = $router_http = null;
$address = data_file(dirname(__DIR__, 2) . '/ip');
if ($address !== null && preg_match('/^([0-9.]*):(\d+)$/', $address, $m)) {
    $public = $m[1];
    $router_http = $m[2];
}
$rc = data_file($database . '/rc.txt');
$reach = $rc === '0' ? '可以从外网访问' : ($rc === '1' ? '无法从外网访问' : '尚未检测');
$user = current_user_name($database . '/current_user');
?>
<!DOCTYPE html>
<html lang="zh-CN">
<head>
<meta charset="GBK">
<title>Bramo 个人云</title>
</head>
<body>
<h1>Bramo 个人云</h1>
<table>
<tr><th>网站端口 (HTTP:HTTPS)</th><td id="web-ports"><?= shown($web_http) ?>:<?= shown($web_https) ?></td></tr>
<tr><th>路由器端口 (HTTP:HTTPS)</th><td id="router-ports"><?= shown($router_http) ?>:<?= shown($router_https) ?></td></tr>
<tr><th>公网地址</th><td id="public-address"><?= shown($public) ?></td></tr>
<tr><th>外网访问</th><td id="reachability"><?= $reach ?></td></tr>
<tr><th>注册用户</th><td id="user"><?= $user === '' ? '尚未注册' : shown($user) ?></td></tr>
</table>
<?= diagnosis_section($database . '/diagnosis') ?>
<?php if ($message !== '') { ?>
<p id="message" class="<?= $accepted ? 'ok' : 'refused' ?>"><?= h($message) ?></p>
<?php } ?>
<?php if ($owner) { ?>
<form method="post" action="">
<label>用户名 <input name="name" maxlength="<?= USER_NAME_MAX_BYTES ?>"></label>
<input type="hidden" name="token" value="<?= h($_SESSION['form_token']) ?>">
<button type="submit">注册</button>
</form>
<p>用户名最长 <?= USER_NAME_MAX_BYTES ?> 字节（一个汉字占两个字节），不能含空格或控制字符。</p>
<?php } ?>
</body>
</html>
