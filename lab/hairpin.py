#!/usr/bin/env python3
# NAT loopback for the lab router: keeps the nftables chain
# `inet filter hairpin` equal to miniupnpd's redirects, for packets that
# arrive from the LAN side for the public address.  miniupnpd's own rules
# match only packets arriving on its WAN interface; a home router's "NAT
# loopback" forwards a mapped port to the PC that calls its own public
# address as well.  Runs in the router's namespace until ended:
#   hairpin.py <LAN interface> <public address>
import json
import subprocess
import sys
import time


def redirects():
    """(protocol, external port, internal address, internal port) of each
    dnat rule miniupnpd holds."""
    out = subprocess.run(["nft", "-j", "list", "chain", "inet", "filter",
                          "prerouting_miniupnpd"], capture_output=True,
                         text=True).stdout
    found = []
    for item in json.loads(out or "{}").get("nftables", []):
        rule = item.get("rule")
        if not rule:
            continue
        proto = dport = target = None
        for e in rule["expr"]:
            m = e.get("match")
            if m and isinstance(m["left"], dict) and "payload" in m["left"]:
                field = m["left"]["payload"]
                if field.get("field") == "dport":
                    dport = m["right"]
                    if field.get("protocol") in ("tcp", "udp"):
                        proto = field["protocol"]
                # miniupnpd matches the IP protocol as raw bytes: offset
                # 72, 8 bits of the network header.
                if (field.get("base") == "nh" and field.get("offset") == 72
                        and field.get("len") == 8):
                    proto = {6: "tcp", 17: "udp"}.get(m["right"], proto)
            if "dnat" in e:
                target = (e["dnat"]["addr"], e["dnat"]["port"])
        if proto and dport and target:
            found.append((proto, dport, *target))
    return sorted(found)


def main():
    lan, public = sys.argv[1], sys.argv[2]
    held = None
    while True:
        now = redirects()
        if now != held:
            script = "flush chain inet filter hairpin\n" + "".join(
                f"add rule inet filter hairpin iifname \"{lan}\" ip daddr "
                f"{public} {p} dport {d} dnat ip to {a}:{t}\n"
                for p, d, a, t in now)
            r = subprocess.run(["nft", "-f", "-"], input=script, text=True)
            if r.returncode == 0:
                held = now
                print("hairpin:", now, flush=True)
        time.sleep(0.2)


if __name__ == "__main__":
    main()
