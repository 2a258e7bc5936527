<?php
// Whether a request comes from this PC itself.  Only the PC's owner may
// change the installation through its pages: the server is published to
// the Internet, and a form's token stops only cross-site posts, not a
// visitor who loads the page first.  Addresses sent in headers
// (X-Forwarded-For and the like) are the client's word and count for
// nothing; only the connection's own addresses do.

// `address` in one canonical text form, an IPv4 address mapped into IPv6
// as its plain IPv4 form; '' when it is no address.
function canonical_address($address)
{
    $packed = @inet_pton((string)$address);
    if ($packed === false) {
        return '';
    }
    if (strlen($packed) === 16
        && substr($packed, 0, 12) === str_repeat("\0", 10) . "\xFF\xFF") {
        $packed = substr($packed, 12);
    }
    return inet_ntop($packed);
}

function is_loopback_address($address)
{
    return $address === '::1' || strncmp($address, '127.', 4) === 0;
}

// The unicast addresses of this PC's interfaces, canonical.
function this_pc_addresses()
{
    $found = [];
    $interfaces = function_exists('net_get_interfaces') ? @net_get_interfaces() : false;
    foreach (is_array($interfaces) ? $interfaces : [] as $interface) {
        foreach ($interface['unicast'] ?? [] as $entry) {
            $address = canonical_address($entry['address'] ?? '');
            if ($address !== '') {
                $found[] = $address;
            }
        }
    }
    return $found;
}

// A connection whose two ends are the same address is one this PC made to
// itself; otherwise its far end must be loopback or one of the PC's own.
function request_from_this_pc()
{
    $remote = canonical_address($_SERVER['REMOTE_ADDR'] ?? '');
    if ($remote === '') {
        return false;
    }
    if (is_loopback_address($remote)
        || $remote === canonical_address($_SERVER['SERVER_ADDR'] ?? '')) {
        return true;
    }
    return in_array($remote, this_pc_addresses(), true);
}
