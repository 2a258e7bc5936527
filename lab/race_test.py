#!/usr/bin/env python3
# The controller's own threads against each other, through the lab's home
# router: the user acts while the monitor repairs.  Both mappings are
# removed behind the controller's back; as soon as the tray shows the
# warning (the monitor found the server unreachable and chooses, maps and
# registers anew), the user
#   exits:        the controller ends, leaving no mapping of the PC on the
#                 router and nothing it started running;
#   moves ports:  to manual ports in the port dialog, which end up in
#                 sablo.ini, the data files, the router and the tray, and
#                 stay there through the monitor's next passes.
# Each round starts from a fresh install folder.
#   race_test.py <source dir> <build dir> [<rounds>]
import os
import shutil
import signal
import subprocess
import sys
import time

sys.dont_write_bytecode = True  # nothing written into the source tree
ROUNDS = int(sys.argv[3]) if len(sys.argv) > 3 else 1
del sys.argv[3:]  # lab_test reads its own two
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import lab_test as lab  # noqa: E402
from end_to_end import check, finish  # noqa: E402
from lab_driver import (PC, Controller, install, lab_down,  # noqa: E402
                        lab_up, mappings, read, register, router, wait_for)
from lab_test import USER  # noqa: E402

TOOLS = ("norvik.exe", "pulvo.exe", "curl")


def started_by(folder):
    """The tools of this install folder still running: its programs, and
    curl run from the folder (norvik's)."""
    found = []
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            exe = os.readlink(f"/proc/{pid}/exe")
            cwd = os.readlink(f"/proc/{pid}/cwd")
        except OSError:
            continue
        name = os.path.basename(exe)
        if name in TOOLS and (exe.startswith(folder + "/") or
                              cwd.startswith(folder)):
            found.append(f"{name}[{pid}]")
    return found


def pc_mappings():
    return {e: to for e, to in mappings().items() if to[0] == PC}


def unreachable(folder, c):
    """Starts, registers, then removes both mappings behind the
    controller's back and waits for the repair to begin."""
    ports = lab.start_up(folder, c)
    check(register(ports[0], USER), "the PC registers a name")
    check(c.expect(lab.running_text(*ports)) is not None, "it runs")
    c.drain()
    router("-d", ports[2], "tcp")
    router("-d", ports[3], "tcp")
    check(c.expect('[tray] modify warning "Bramo正在运行') is not None,
          "the monitor finds the server unreachable")
    return ports


def exit_while_repairing(folder, c):
    unreachable(folder, c)
    c.send("32784")
    try:
        code = c.proc.wait(60)
    except subprocess.TimeoutExpired:
        code = None
    check(code == 0, f"exit during the repair ends the controller ({code})")
    # The pskills of the exit are asynchronous: a moment for them.
    left = wait_for(lambda: not started_by(folder), 5)
    check(left, f"nothing it started runs on: {started_by(folder)}")
    check(pc_mappings() == {}, f"no mapping of the PC is left on the router: "
          f"{pc_mappings()}")
    check(wait_for(lambda: not lab.apache(folder), 10), "Apache has ended")


def ports_while_repairing(folder, c):
    unreachable(folder, c)
    ports = lab.manual_ports(folder, c, None)
    # The monitor's next passes keep them: two passes of 6 s at this scale.
    time.sleep(15)
    now = lab.ini(folder)
    check((now.get("upnp.http.port"), now.get("upnp.https.port")) ==
          ("10090", "10443"), f"sablo.ini keeps the user's ports: {now}")
    local = (read(folder, "website/pc2/database/local_port") or "").strip()
    ip = (read(folder, "ip") or "").strip()
    check(local == "10090:10443" and ip == f"{lab.PUBLIC}:10090",
          f"the data files hold them: local_port {local!r}, ip {ip!r}")
    m = pc_mappings()
    check(m == {10090: (PC, 10090), 10443: (PC, 10443)},
          f"the router maps the user's ports and no others: {m}")
    tray = [line for line in c.all if "[tray] modify" in line]
    check(tray[-1:] == [lab.running_text(10090, 10443, 10090, 10443)],
          f"the tray shows them last: {tray[-1:]}")
    lab.exit_command(folder, c, ports)


def one_round(scenario):
    folder = install(lab.SRC, lab.BUILD)
    c = None
    try:
        c = Controller(folder, alone=True)
        scenario(folder, c)
    finally:
        if c is not None:
            c.kill()
        shutil.rmtree(folder, ignore_errors=True)


def main():
    signal.signal(signal.SIGTERM, lambda *_: sys.exit("ended by SIGTERM"))
    lab.prerequisites()
    started = time.time()
    try:
        lab_up()
        for n in range(1, ROUNDS + 1):
            for scenario in (exit_while_repairing, ports_while_repairing):
                print(f"-- round {n} of {ROUNDS}: {scenario.__name__}")
                one_round(scenario)
                # What a failed round left on the router is not the next's.
                for e in pc_mappings():
                    router("-d", e, "tcp")
    finally:
        lab_down()
        print(f"({time.time() - started:.0f} s)")
    finish()


main()
