#!/usr/bin/env python3
# The home networks from which a server at home is not reached, one
# `lab/up --network NAME` each.  For each: first what the network itself
# does, seen from the PC and the Internet (the router's WAN address, what
# its UPnP answers, a mapping refused, a visitor let in while the PC is
# not); then the controller, started there as in the healthy lab with a
# user registered, finds its server unreachable and, within two monitor
# passes, names that network's cause in website/pc2/database/diagnosis,
# and no other cause at any time.
#   networks_test.py <source dir> <build dir> [NAME...]
# (every network when no NAME is given).
import ipaddress
import os
import re
import shutil
import signal
import subprocess
import sys
import time

sys.dont_write_bytecode = True  # nothing written into the source tree
SRC, BUILD = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
sys.path.insert(0, os.path.join(SRC, "testing"))
sys.path.insert(0, os.path.join(SRC, "lab"))
from end_to_end import check, finish, no_proxy  # noqa: E402
from lab_driver import (PC, PUBLIC, ROUTER, Controller,  # noqa: E402
                        DiagnosisWatch, ini, install, lab_down, lab_up, ns,
                        prerequisites, read, register, wait_for)

USER = "labuser"
# The router ports of refuse-all: from 1024 up, which even a cautious
# router grants, so that only a router refusing all refuses them.
HIGH_PORTS = (18080, 18443)
no_proxy()


def upnpc(*args, discover=False):
    """One upnpc run from the PC: (exit status, standard output, standard
    error).  Without `discover` it goes straight to the router's
    description."""
    command = ["upnpc"] + ([] if discover else ["-u", ROUTER])
    r = subprocess.run(["ip", "netns", "exec", "lan", *command,
                        *map(str, args)], capture_output=True, timeout=30)
    return (r.returncode, r.stdout.decode("utf-8", "replace"),
            r.stderr.decode("utf-8", "replace"))


def looked_up():
    """The PC's public address as the vendor's lookup service sees it."""
    return ns("lan", "curl", "-s", "-m", "5",
              "http://ip1.lookup.example/whatismyip.php")[1].strip()


def router_wan():
    """The address the router holds on its WAN side."""
    out = ns("rtr", "ip", "-4", "-o", "addr", "show", "dev", "rtr-wan")[1]
    found = re.search(r"inet ([\d.]+)/", out)
    return found.group(1) if found else None


def refused_code(external, internal=80, keep=False):
    """The router's error code for a mapping of `external` to the PC,
    None when it maps it (the mapping is then removed again, unless
    `keep`)."""
    _, out, _ = upnpc("-a", PC, internal, external, "tcp")
    failed = re.search(r"failed with code (\d+)", out)
    if failed:
        return failed.group(1)
    if not keep:
        upnpc("-d", external, "tcp")
    return None


def no_upnp():
    code, _, err = upnpc("-s", discover=True)
    check(code != 0 and "No IGD UPnP Device found" in err,
          f"no UPnP router answers the PC ({code}, {err.strip()!r})")
    check(looked_up() == PUBLIC, "the PC's lookups see the public address")
    return [r"no-upnp"]


def behind_second_nat(wan):
    def facts():
        check(router_wan() == wan, f"the router's WAN side is {wan}")
        check(looked_up() == PUBLIC,
              f"the PC's lookups see {PUBLIC}, the upstream's address")
        _, status, _ = upnpc("-s")
        given = re.search(r"ExternalIPAddress = ([\d.]+)", status)
        code, _, _ = upnpc("-a", PC, 80, HIGH_PORTS[0], "tcp")
        check(code != 0, f"the router maps nothing behind a second NAT "
              f"({code}, {'connected' if given else 'address withheld'})")
        # What the controller can tell: the router's address where it
        # gives one, "?" where it withholds it (miniupnpd does).
        evidence = given.group(1) if given else "?"
        shared = given and ipaddress.ip_address(evidence) in \
            ipaddress.ip_network("100.64.0.0/10")
        keyword = "cgnat" if shared else "double-nat"
        return [rf"{keyword} {re.escape(evidence)} {re.escape(PUBLIC)}"]
    return facts


def refuse_low():
    code = refused_code(80)
    check(code is not None, f"the router refuses external port 80 ({code})")
    check(refused_code(HIGH_PORTS[0]) is None,
          f"and grants external port {HIGH_PORTS[0]}")
    return [rf"refused (80|443) {code}"]


def refuse_all():
    code = refused_code(HIGH_PORTS[0])
    check(code is not None,
          f"the router refuses even port {HIGH_PORTS[0]} ({code})")
    return [rf"refused ({HIGH_PORTS[0]}|{HIGH_PORTS[1]}) {code}"]


def no_hairpin():
    """A server on the PC, mapped at the router: the visitor reaches it
    at the public address, the PC does not."""
    port = 8099
    server = subprocess.Popen(
        ["ip", "netns", "exec", "lan", "python3", "-m", "http.server", "-b",
         PC, str(port)], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        check(refused_code(port, port, keep=True) is None,
              f"the router maps port {port} to the PC")
        url = f"http://{PUBLIC}:{port}/"
        check(wait_for(lambda: ns("wan", "curl", "-sf", "-m", "3", url)[0]
                       == 0, 5), "the visitor reaches a mapped port")
        code = ns("lan", "curl", "-sf", "-m", "3", url)[0]
        check(code != 0, f"the PC does not reach it at {PUBLIC} ({code})")
    finally:
        upnpc("-d", port, "tcp")
        server.terminate()
        server.wait(10)
    return [r"no-loopback (80|443)"]


# network: (its facts, returning the patterns a cause line may have;
# the router ports the install starts with; whether a visitor reaches the
# controller's server all the same)
CASES = {
    "no-upnp": (no_upnp, None, False),
    "double-nat": (behind_second_nat("192.168.1.2"), None, False),
    "cgnat": (behind_second_nat("100.64.0.2"), None, False),
    "refuse-low": (refuse_low, None, False),
    "refuse-all": (refuse_all, HIGH_PORTS, False),
    "no-hairpin": (no_hairpin, None, True),
}


def set_router_ports(folder, ports):
    path = os.path.join(folder, "sablo.ini")
    with open(path, "rb") as f:
        text = f.read()
    for key, port in zip((b"upnp.http.port", b"upnp.https.port"), ports):
        text = re.sub(rb"(?m)^" + re.escape(key) + rb"=\d+",
                      key + b"=" + str(port).encode(), text)
    with open(path, "wb") as f:
        f.write(text)


def visitor_reaches(folder):
    port = int(ini(folder).get("upnp.http.port", "0"))
    code, out = ns("wan", "curl", "-sf", "-m", "5",
                   f"http://{PUBLIC}:{port}/pc2/ReverseDetection.php")
    return code == 0 and out == USER


def names_cause(network, folder, patterns, reached):
    """Starts the controller, registers the user, and watches three
    unreachable passes (90 s at most)."""
    c = Controller(folder, alone=True)
    watch = DiagnosisWatch(folder)
    try:
        check(c.expect('[tray] modify unregistered') is not None,
              f"{network}: the controller starts")
        local = (read(folder, "website/pc2/database/local_port") or "")
        http = int(local.split(":")[0]) if ":" in local else 0
        check(register(http, USER), f"{network}: the PC registers a name")
        wait_for(lambda: watch.passes >= 3, 90)
        check(visitor_reaches(folder) == reached,
              f"{network}: a visitor {'reaches' if reached else 'does not reach'}"
              " the server at the public address and router port")
    finally:
        watch.stop()
        c.kill()
    check(watch.passes >= 2 and (read(
        folder, "website/pc2/database/rc.txt") or "").strip() == "1",
        f"{network}: the monitor finds the server unreachable "
        f"({watch.passes} passes)")
    causes = watch.causes()
    first = min((watch.seen[text] for text in causes), default=None)
    # From here on, what the controller's diagnosis must show.
    check(first is not None and first <= 2, f"{network}: a cause is named within two passes "
          f"(first after {first})")
    wrong = [line for lines in causes.values() for line in lines
             if not any(re.fullmatch(p, line) for p in patterns)]
    check(causes and not wrong,
          f"{network}: only {patterns} named: {list(causes)}")


def run(network):
    facts, ports, reached = CASES[network]
    folder = None
    started = time.time()
    try:
        folder = install(SRC, BUILD)
        if ports:
            set_router_ports(folder, ports)
        lab_up(network)
        patterns = facts()
        names_cause(network, folder, patterns, reached)
    finally:
        lab_down()
        if folder:
            shutil.rmtree(folder, ignore_errors=True)
        print(f"{network}: ({time.time() - started:.0f} s)")


def main():
    signal.signal(signal.SIGTERM, lambda *_: sys.exit("ended by SIGTERM"))
    prerequisites()
    for network in sys.argv[3:] or CASES:
        run(network)
    check(not os.path.exists("/run/netns/lan") and
          not os.path.exists("/run/netns/isp"), "lab/down removed the lab")
    finish()


main()
