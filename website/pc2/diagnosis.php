<?php
// The home page's section on why the server cannot be reached from
// outside: the causes the controller found, one a line of
// database/diagnosis ("keyword evidence..."), each with what it means and
// what the user can do.  Nothing when the file is empty or absent (the
// controller empties it once the server is reachable).
//
// The controller writes the file, but it lies among files the web server
// may write too: a line is shown only when its keyword is known and its
// evidence has the expected form, and everything printed is escaped.
//
// This file is GBK text, as every page of the web application.

const DIAGNOSIS_MAX_BYTES = 4096;

// The known causes: keyword => the forms of their evidence, in order
// ('address': dotted IPv4 address; 'address?': the same or '?', an
// address the router would not give; 'number': a decimal number).
function diagnosis_forms()
{
    return [
        'no-upnp' => [],
        'double-nat' => ['address?', 'address?'],
        'cgnat' => ['address?', 'address?'],
        'refused' => ['number', 'number'],
        'no-loopback' => ['number'],
        'public-lan' => ['address'],
    ];
}

function diagnosis_word_fits($word, $form)
{
    if ($form === 'number') {
        return preg_match('/^\d{1,5}$/', $word) === 1;
    }
    if ($form === 'address?' && $word === '?') {
        return true;
    }
    return filter_var($word, FILTER_VALIDATE_IP, FILTER_FLAG_IPV4) !== false;
}

// The causes of the file: a list of [keyword, evidence words]; lines that
// are no known cause are left out.
function read_diagnosis($path)
{
    $text = @file_get_contents($path, false, null, 0, DIAGNOSIS_MAX_BYTES);
    if ($text === false || $text === '') {
        return [];
    }
    $forms = diagnosis_forms();
    $causes = [];
    foreach (preg_split('/\r?\n/', $text) as $line) {
        $words = preg_split('/ +/', trim($line), -1, PREG_SPLIT_NO_EMPTY);
        if (!$words || !isset($forms[$words[0]])) {
            continue;
        }
        $keyword = array_shift($words);
        if (count($words) !== count($forms[$keyword])) {
            continue;
        }
        foreach ($words as $i => $word) {
            if (!diagnosis_word_fits($word, $forms[$keyword][$i])) {
                continue 2;
            }
        }
        $causes[] = [$keyword, $words];
    }
    return $causes;
}

// An address of the evidence as shown: '?' is one the router keeps to
// itself.
function diagnosis_address($word)
{
    return $word === '?' ? '（路由器未提供）' : h($word);
}

// What a cause means and what to do, as escaped HTML: [meaning, advice].
function diagnosis_text($keyword, $words)
{
    switch ($keyword) {
    case 'no-upnp':
        return ['路由器没有响应 UPnP 请求：路由器的 UPnP 功能已关闭，或者没有支持 UPnP 的路由器，所以无法自动映射端口。',
                '请在路由器的管理页面中开启 UPnP；路由器不支持时，请在路由器上手动把路由器端口转发到本机的网站端口。'];
    case 'double-nat':
        return ['路由器的外网地址是 ' . diagnosis_address($words[0]) . '，而互联网看到的地址是 ' . diagnosis_address($words[1]) . '：路由器前面还有一层地址转换，通常是宽带运营商的光猫（调制解调器）。路由器上的端口映射通不到互联网。',
                '请把光猫设为桥接模式，由您的路由器拨号上网；或者在光猫上把同样的端口转发到路由器。'];
    case 'cgnat':
        return ['路由器的外网地址 ' . diagnosis_address($words[0]) . ' 属于运营商共享地址段（100.64.0.0/10），而互联网看到的地址是 ' . diagnosis_address($words[1]) . '：您的线路处在运营商级 NAT 之后，外网无法直接访问本机。',
                '请联系宽带运营商，申请公网 IP 地址。'];
    case 'refused':
        return ['路由器拒绝映射外网端口 ' . h($words[0]) . '（错误码 ' . h($words[1]) . '）。很多路由器不允许映射 1024 以下的端口，或者该端口已被其他设备占用。',
                '请在“个人云配置”中改用其他端口（建议 10000 以上），或者在路由器上手动打开该端口并转发到本机。'];
    case 'no-loopback':
        return ['路由器已把外网端口 ' . h($words[0]) . ' 映射到本机，但从本机访问自己的公网地址失败：路由器可能不支持 NAT 回环，或者路由器的防火墙拦截了转发的连接。',
                '请一位在外网的朋友访问本机的公网地址和端口 ' . h($words[0]) . '，确认能否打开；能打开就说明一切正常，可以忽略本提示。不能打开时，请检查路由器的防火墙设置。'];
    case 'public-lan':
        return ['本机的地址 ' . h($words[0]) . ' 本身就是公网地址，中间没有路由器：访问被本机的防火墙或宽带运营商拦截了。',
                '请检查本机防火墙是否放行网站端口；仍无法访问时，请咨询宽带运营商是否封锁了该端口。'];
    }
    return ['', ''];
}

// The section, or '' when there is nothing to show.
function diagnosis_section($path)
{
    $causes = read_diagnosis($path);
    if (!$causes) {
        return '';
    }
    $html = "<section id=\"diagnosis\">\n<h2>无法从外网访问的原因</h2>\n";
    foreach ($causes as [$keyword, $words]) {
        [$meaning, $advice] = diagnosis_text($keyword, $words);
        $html .= '<div class="cause" data-cause="' . h($keyword) . '">'
            . '<p class="meaning">' . $meaning . "</p>\n"
            . '<p class="advice">建议：' . $advice . "</p></div>\n";
    }
    $html .= "<p class=\"note\">以上检测在本机上进行；宽带运营商在外网一侧封锁端口的情况，本机检测不到。</p>\n</section>\n";
    return $html;
}
