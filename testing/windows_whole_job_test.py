#!/usr/bin/env python3
# The Windows controller doing its whole job under Wine: Sablo.exe from a
# folder laid out by scripts/make-install --windows, with automatic start
# and a registered user, on Wine's desktop (wine_desktop.py), in a network
# and process namespace of the test's own.  There the machine's address is
# public-looking (198.51.100.7 on a veth pair with both ends inside), the
# vendor's services are PHP's built-in server on 127.0.0.1:80 (address
# lookup, registration and keep-alive, update page), and the vendor's names
# resolve to it through the namespace's hosts file.  No router answers
# (upnpc.exe is the recording stand-in), so the router ports are the
# manual ones, the web server's own.
#
# The install folder is named 个人云, as Chinese users name theirs.
# It checks, without a human: httpd.conf naming it in UTF-8; the web server (apache\bin\httpd.exe, our
# stand-in, listening as Apache on every address) answering the user's
# name through the public address and router port; rc.txt and the ip
# file; the registration record and the keep-alive arriving; the running
# tooltip (kept as running_tooltip.png); a port change through the real
# port dialog moving the web server; exit ending Sablo.exe and everything
# it started.  Then, with no user registered, the unregistered text and
# no record; and with the lookup service stopped, the unreachable text,
# the diagnosis file naming the public LAN address, and a controller that
# goes on and exits as usual.
#   windows_whole_job_test.py <source dir> <build dir> <loader> <win32|win64>
#                             <window_texts.exe> <menu_probe.dll> <work dir>
import json
import os
import shutil
import subprocess
import sys
import time
import urllib.request

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from end_to_end import check, finish, no_proxy, require, skip  # noqa: E402
from wine_desktop import (Desktop, choose, control, dialog,  # noqa: E402
                          hover_tray, open_port_settings, tooltips, unquote)

SRC, BUILD, LOADER, ARCH, TEXTS, PROBE, WORK = sys.argv[1:8]
INSIDE = len(sys.argv) > 8 and sys.argv[8] == "--inside"
PUBLIC = "198.51.100.7"  # TEST-NET-2: public-looking, routed nowhere
DIAGNOSIS = "website/pc2/database/diagnosis"
NAMES = ("reg.bramo.example", "www.bramo.example", "ip1.lookup.example")
USER = "张三"
FOLDER = "个人云"  # Chinese users install into Chinese folders
PORTS = (10080, 10443)
NEW_PORTS = (10090, 10453)
VERSION = "0.2.0.1"  # the About dialog's
PAUSE_SCALE = "0.2"  # the Part's pauses, a fifth as long
EXIT_BOUND_S = 20
TOOLS = ("httpd.exe", "norvik.exe", "pulvo.exe", "curl.exe")


def outside():
    """Makes the namespace, runs this script again inside it, removes it."""
    require("ip", "unshare", "php", "Xvfb", "xdotool", "import", LOADER)
    if os.geteuid() != 0:
        skip("the test's network namespace needs root")
    ns = f"bramo-wj-{os.getpid()}"
    if subprocess.run(["ip", "netns", "add", ns]).returncode != 0:
        skip("ip netns is not permitted here")
    etc = f"/etc/netns/{ns}"
    try:
        os.makedirs(etc)
        with open(os.path.join(etc, "hosts"), "w") as f:
            f.write("127.0.0.1 localhost\n" +
                    "".join(f"127.0.0.1 {name}\n" for name in NAMES))
        for command in (["link", "set", "lo", "up"],
                        ["link", "add", "pub0", "type", "veth", "peer", "name",
                         "pub1"],
                        ["addr", "add", f"{PUBLIC}/24", "dev", "pub0"],
                        ["link", "set", "pub0", "up"],
                        ["link", "set", "pub1", "up"]):
            subprocess.run(["ip", "-n", ns, *command], check=True)
        init = os.path.join(SRC, "testing", "namespace_init.py")
        code = subprocess.run(
            ["ip", "netns", "exec", ns, "unshare", "--pid", "--fork",
             "--mount-proc", "--kill-child", "--", sys.executable, init,
             sys.executable, os.path.abspath(__file__), *sys.argv[1:8],
             "--inside"]).returncode
    finally:
        # What is left in the namespace was started by this test.
        pids = subprocess.run(["ip", "netns", "pids", ns], capture_output=True,
                              text=True).stdout.split()
        for pid in pids:
            subprocess.run(["kill", "-9", pid])
        subprocess.run(["ip", "netns", "delete", ns])
        shutil.rmtree(etc, ignore_errors=True)
    sys.exit(code)


class Services:
    """The vendor's services on 127.0.0.1:80: /ip.txt the public address,
    /regist/regist.php the registration (records in registrations.jsonl)
    and keep-alive (a GET, seen in the server's log), the update page."""

    def __init__(self, root):
        self.root = root
        shutil.rmtree(root, ignore_errors=True)
        shutil.copytree(os.path.join(SRC, "registrar", "service"), root)
        shutil.copy(os.path.join(SRC, "updater", "service", "download.html"),
                    root)
        os.makedirs(os.path.join(root, "update", "windows"))
        with open(os.path.join(root, "ip.txt"), "w") as f:
            f.write(PUBLIC)
        with open(os.path.join(root, "update", "windows", "index.html"),
                  "w") as f:
            f.write(f"{VERSION}#http://www.bramo.example/download.html")
        self.records = os.path.join(WORK, "registrations.jsonl")
        self.log_path = os.path.join(WORK, "services.log")
        self.proc = None

    def start(self):
        self.stop()
        open(self.records, "w").close()
        self.log = open(self.log_path, "w")
        self.proc = subprocess.Popen(
            ["php", "-S", "127.0.0.1:80", "-t", self.root],
            env=dict(os.environ, REGIST_STORE=self.records),
            stdout=self.log, stderr=subprocess.STDOUT)
        deadline = time.monotonic() + 20
        while time.monotonic() < deadline and get("127.0.0.1", 80,
                                                  "/ip.txt") is None:
            time.sleep(0.1)

    def stop(self):
        if self.proc is not None and self.proc.poll() is None:
            self.proc.terminate()
            self.proc.wait(10)
        if self.proc is not None:
            self.log.close()
            self.proc = None

    def registrations(self):
        with open(self.records, encoding="utf-8") as f:
            return [json.loads(line) for line in f if line.strip()]

    def keep_alives(self):
        with open(self.log_path, encoding="utf-8", errors="replace") as f:
            return [line for line in f if "GET /regist/regist.php" in line]


def get(host, port, path):
    """The body of a GET, or None when nothing answers."""
    try:
        with urllib.request.urlopen(f"http://{host}:{port}{path}",
                                    timeout=3) as r:
            return r.read()
    except OSError:
        return None


def wait(what, predicate, timeout_s):
    deadline = time.monotonic() + timeout_s
    while time.monotonic() < deadline:
        value = predicate()
        if value:
            return value
        time.sleep(0.5)
    print(f"  (waited {timeout_s} s for {what})")
    return None


def running_processes():
    """The names of the Windows programs running in this namespace."""
    names = []
    for pid in os.listdir("/proc"):
        if not pid.isdigit():
            continue
        try:
            with open(f"/proc/{pid}/cmdline", "rb") as f:
                argv0 = f.read().split(b"\0")[0].decode("utf-8", "replace")
        except OSError:
            continue
        names.append(argv0.replace("\\", "/").rsplit("/", 1)[-1].lower())
    return names


def lay_out(folder, user):
    shutil.rmtree(folder, ignore_errors=True)
    subprocess.run([os.path.join(SRC, "scripts", "make-install"), "--windows",
                    BUILD, folder], check=True)
    ini = os.path.join(folder, "sablo.ini")
    with open(ini, "rb") as f:
        text = f.read().decode("ascii")
    mac = text.split("mac.address=", 1)[1].split("\r\n", 1)[0]
    with open(ini, "wb") as f:
        f.write(("\r\n".join([
            "[url]", "url.1=http://ip1.lookup.example/ip.txt", "[mac]",
            f"mac.address={mac}", "[upnp]", f"upnp.http.port={PORTS[0]}",
            f"upnp.https.port={PORTS[1]}", "[pattern]", "pattern.type=1",
            "[brix7]", "brix7.autorun=1", "brix7.startwithwindows=0"]) +
            "\r\n").encode("ascii"))
    set_user(folder, user)
    return mac


def set_user(folder, user):
    path = os.path.join(folder, "website", "pc2", "database", "current_user")
    if user is None:
        if os.path.exists(path):
            os.remove(path)
        return
    with open(path, "wb") as f:
        f.write(user.encode("gbk"))


def read(folder, name):
    try:
        with open(os.path.join(folder, name), "rb") as f:
            return f.read()
    except OSError:
        return None


def tooltip(desktop):
    """The tray icon's tooltip as shown, or None."""
    hover_tray(desktop)
    lines = desktop.wait_for("the tray tooltip", tooltips, 3)
    tips = tooltips(lines or [])
    return unquote(tips[0]) if tips else None


def wait_tooltip(desktop, predicate, timeout_s):
    deadline = time.monotonic() + timeout_s
    tip = None
    while time.monotonic() < deadline:
        tip = tooltip(desktop)
        if tip is not None and predicate(tip):
            return tip
        time.sleep(1)
    print(f"  (last tooltip: {tip!r})")
    return None


def running_text(ports):
    """The running text whole: the unreachable one begins alike."""
    return (f"Bramo正在运行...\n本地IP：{PUBLIC}\n本地端口：{ports[0]}/"
            f"{ports[1]}\n外网IP：{PUBLIC}\n外网端口：{ports[0]}/{ports[1]}\n\n")


class Controller:
    def __init__(self, desktop, folder):
        self.folder = folder
        self.proc = subprocess.Popen(
            [LOADER, os.path.join(folder, "Sablo.exe")], cwd=folder,
            env=dict(desktop.env, BRAMO_PAUSE_SCALE=PAUSE_SCALE),
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def exit(self, desktop, what):
        check(choose(desktop, "退出"), f"{what}: the menu item 退出 was clicked")
        clicked = time.monotonic()
        try:
            self.proc.wait(EXIT_BOUND_S)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()
        check(self.proc.returncode == 0,
              f"{what}: Sablo.exe ends within {EXIT_BOUND_S} s of the exit "
              f"command, with status 0 ({self.proc.returncode}, "
              f"{time.monotonic() - clicked:.1f} s)")
        left = wait("the tools to end", lambda: not any(
            name in TOOLS for name in running_processes()), 5)
        check(left is not None, f"{what}: no {', '.join(TOOLS)} is left "
              f"running ({sorted(set(running_processes()) & set(TOOLS))})")


def whole_job(desktop, services, folder):
    mac = lay_out(folder, USER)
    services.start()
    sablo = Controller(desktop, folder)
    name = USER.encode("gbk")
    answer = wait("the web server through the public address",
                  lambda: get(PUBLIC, PORTS[0],
                              "/pc2/ReverseDetection.php") == name, 90)
    check(answer is not None, f"the web server answers {USER} through "
          f"http://{PUBLIC}:{PORTS[0]}/pc2/ReverseDetection.php")
    conf = read(folder, "apache/conf/httpd.conf") or b""
    root = f'DocumentRoot "Z:{folder}/website/"'.encode()
    check(root in conf, f"httpd.conf names the folder {FOLDER} in UTF-8, "
          f"as Apache reads it ({root!r})")
    check(wait("rc.txt", lambda: read(folder, "website/pc2/database/rc.txt")
               == b"0", 30) is not None, "rc.txt holds 0: reachable")
    check(read(folder, DIAGNOSIS) in (None, b""),
          f"reachable: no diagnosis ({read(folder, DIAGNOSIS)!r})")
    address = f"{PUBLIC}:{PORTS[0]}\r\n".encode()
    check(read(folder, "ip") == address, f"the ip file holds {address!r} "
          f"({read(folder, 'ip')!r})")
    wanted = {"uname": USER, "mac": mac, "ipv4": PUBLIC,
              "port": str(PORTS[0]), "https": str(PORTS[1])}
    records = wait("the registration", services.registrations, 30) or []
    got = {k: records[-1].get(k) for k in wanted} if records else None
    check(got == wanted, f"the registration service got {wanted} ({got})")
    check(wait("the keep-alive", services.keep_alives, 30) is not None,
          "the keep-alive (pulvo.exe's GET of the registration page) arrived")
    tip = wait_tooltip(desktop, lambda t: t == running_text(PORTS), 30)
    check(tip is not None, f"the tray shows the running text "
          f"{running_text(PORTS)!r}")
    desktop.screenshot("running_tooltip.png")
    check(read(folder, "version") == f"{VERSION}\r\n".encode() and
          dialog(desktop.windows(), caption="Bramo更新") is None,
          f"the installed version is {VERSION}, as published: update.exe "
          f"asks nothing")

    change_ports(desktop, folder)
    sablo.exit(desktop, "registered")


def change_ports(desktop, folder):
    window = open_port_settings(desktop)
    if window is None:
        return
    for cid, port in zip((1001, 1002), NEW_PORTS):
        desktop.click(control(window, cid)["rect"])
        desktop.xdotool("key", "ctrl+a")
        desktop.xdotool("type", str(port))
    desktop.click(control(window, 1)["rect"])
    name = USER.encode("gbk")
    moved = wait("the web server on the new port", lambda: get(
        PUBLIC, NEW_PORTS[0], "/pc2/ReverseDetection.php") == name, 60)
    check(moved is not None, f"after the port change the web server answers "
          f"on {NEW_PORTS[0]}")
    check(get(PUBLIC, PORTS[0], "/pc2/ReverseDetection.php") is None,
          f"and no longer on {PORTS[0]}")
    ini = read(folder, "sablo.ini") or b""
    check(f"upnp.http.port={NEW_PORTS[0]}\r\n".encode() in ini and
          f"upnp.https.port={NEW_PORTS[1]}\r\n".encode() in ini,
          "sablo.ini holds the new ports")
    check(wait_tooltip(desktop, lambda t: t == running_text(NEW_PORTS), 40)
          is not None, "the tray shows the new ports running")


def unregistered(desktop, services, folder):
    lay_out(folder, None)
    services.start()
    sablo = Controller(desktop, folder)
    check(wait_tooltip(desktop, lambda t: t.startswith(
        "Bramo未注册\n请注册，享受Bramo带来的方便与快捷！"), 60) is not None,
        "no user registered: the tray shows the unregistered text")
    time.sleep(5)  # passes of the monitor, were it to run
    check(services.registrations() == [],
          f"no user registered: nothing is registered "
          f"({services.registrations()})")
    sablo.exit(desktop, "unregistered")


def lookup_stopped(desktop, services, folder):
    lay_out(folder, USER)
    services.stop()
    sablo = Controller(desktop, folder)
    unreachable = (f"Bramo正在运行...\n本地IP：{PUBLIC}\n本地端口："
                   f"{PORTS[0]}/{PORTS[1]}\n外网IP：\n")
    tip = wait_tooltip(desktop, lambda t: t.startswith(unreachable) and
                       t.endswith("外网无法正常访问,请检查您的网络设置\n"), 60)
    check(tip is not None, "no lookup service answers: the tray shows the "
          "unreachable text without a public address")
    # The machine holds a public address itself: the diagnosis names it,
    # and asks no router.
    cause = f"public-lan {PUBLIC}\r\n".encode()
    check(wait("the diagnosis", lambda: read(folder, DIAGNOSIS) == cause, 30)
          is not None and b"-s" not in (read(folder, "upnpc_calls.txt") or b""),
          f"the diagnosis file holds {cause!r} ({read(folder, DIAGNOSIS)!r}), "
          f"no router asked")
    time.sleep(5)
    check(sablo.proc.poll() is None, "and the controller goes on running")
    sablo.exit(desktop, "lookup stopped")


def inside():
    no_proxy()
    desktop = Desktop(LOADER, ARCH, WORK, TEXTS, PROBE)
    services = Services(os.path.join(WORK, "services"))
    folder = os.path.join(WORK, FOLDER)
    try:
        check(desktop.wait_for("the taskbar", lambda ls: any(
            " Shell_TrayWnd " in line for line in ls)) is not None,
            "Wine's desktop shows its taskbar")
        whole_job(desktop, services, folder)
        unregistered(desktop, services, folder)
        lookup_stopped(desktop, services, folder)
    finally:
        services.stop()
        desktop.stop()
    print(f"screenshots: {WORK}/*.png")
    finish()


if INSIDE:
    inside()
else:
    outside()
