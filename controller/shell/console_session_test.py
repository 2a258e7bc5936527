#!/usr/bin/env python3
# The controller on the Linux console, driven as a user drives it: the
# built program as Sablo.exe in a minimal install folder, its standard
# input and output on pipes.  The folder holds a recording upnpc.exe and
# httpd.exe, so no router is ever asked and no web server started; where
# the machine allows it, the controller runs in a network namespace of
# its own, where its LAN address is 127.0.0.1.
#   console_session_test.py <built Sablo>
import os
import queue
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                "..", "..", "testing"))
from end_to_end import check, finish, own_processes  # noqa: E402

SABLO = sys.argv[1]
RECORDER = '#!/bin/sh\necho "$@" >> "$(dirname "$0")/{log}"\n'
MENU_STOPPED = ["32778 打开主页", "-", "32779 个人云配置", "32780 登录系统启动",
                "32781 自动运行", "-", "32782 启动个人云服务", "32783 关于", "-",
                "32784 退出"]


def lay_out(folder):
    for sub in ("apache/conf", "apache/bin", "website/pc2/database", "php",
                "xdg"):
        os.makedirs(os.path.join(folder, sub), exist_ok=True)
    shutil.copy(SABLO, os.path.join(folder, "Sablo.exe"))
    files = {
        "apache/conf/httpd.conf": "Listen 80  #HTTP#\r\n",
        "php/php.ini": "[PHP]\r\n",
        "sablo.ini": "[url]\r\nurl.1=http://127.0.0.1:9/\r\n[pattern]\r\n"
                     "pattern.type=1\r\n[upnp]\r\nupnp.http.port=10080\r\n"
                     "upnp.https.port=10443\r\n[brix7]\r\nbrix7.autorun=0\r\n",
        "upnpc.exe": RECORDER.format(log="upnpc.log"),
        "apache/bin/httpd.exe": RECORDER.format(log="httpd.log"),
    }
    for name, text in files.items():
        path = os.path.join(folder, name)
        with open(path, "w", newline="") as f:
            f.write(text)
    for name in ("upnpc.exe", "apache/bin/httpd.exe"):
        os.chmod(os.path.join(folder, name), 0o755)


def read(folder, name):
    try:
        with open(os.path.join(folder, name), encoding="utf-8",
                  errors="replace") as f:
            return f.read()
    except OSError:
        return ""


def ignore_hangup():
    """The signals are sent to the whole group; the namespace's outer
    process (unshare) must outlive a SIGHUP, while the controller, which
    sets its own handlers, still gets it."""
    signal.signal(signal.SIGHUP, signal.SIG_IGN)


class Session:
    """The controller running in `folder`, its output read line by line."""

    def __init__(self, folder, pause_scale="0.01"):
        # Apart from every other controller on the machine, and where the
        # machine allows it in a network of its own (LAN address 127.0.0.1).
        command = own_processes([os.path.join(folder, "Sablo.exe")])
        env = dict(os.environ, BRAMO_PAUSE_SCALE=pause_scale,
                   XDG_CONFIG_HOME=os.path.join(folder, "xdg"))
        env.pop("DISPLAY", None)  # the browser is the [open] line
        env.pop("WAYLAND_DISPLAY", None)
        self.proc = subprocess.Popen(command, cwd=folder, env=env,
                                     stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE,
                                     stderr=subprocess.STDOUT,
                                     start_new_session=True,
                                     preexec_fn=ignore_hangup)
        self.lines = queue.Queue()
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for raw in self.proc.stdout:
            self.lines.put(raw.decode("utf-8", "replace").rstrip("\n"))
        self.lines.put(None)

    def send(self, line):
        self.proc.stdin.write((line + "\n").encode("utf-8"))
        self.proc.stdin.flush()

    def expect(self, wanted, timeout=20):
        """The lines up to and including the first that holds `wanted`;
        None when it does not come."""
        seen = []
        deadline = time.time() + timeout
        while time.time() < deadline:
            try:
                line = self.lines.get(timeout=max(0.0, deadline - time.time()))
            except queue.Empty:
                break
            if line is None:
                break
            seen.append(line)
            if wanted in line:
                return seen
        print("  (last lines: %r)" % seen[-5:])
        return None

    def popup(self):
        self.send("menu")
        lines = self.expect("32784 退出")
        return lines[-10:] if lines and len(lines) >= 10 else None

    def signal(self, sig):
        os.killpg(self.proc.pid, sig)

    def refused_ok(self, change, message):
        """In the port dialog: makes `change`, presses OK and answers the
        box that refuses it.  The box's lines and the form printed again
        (each None when it did not come)."""
        self.send(change)
        self.expect("  2 button 取消")
        self.send("ok")
        box = self.expect(message)
        self.send("")  # the box's answer
        return box, self.expect("  2 button 取消")

    def end(self, timeout=20):
        try:
            return self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()
            return None


def main_session(folder):
    s = Session(folder)
    check(s.expect('[tray] add idle "Bramo正在初始化..."') is not None,
          "the tray icon appears")
    check(s.expect('[tray] modify idle "Bramo未运行!"') is not None,
          "without automatic run the service stays stopped")
    check(s.expect("[open] http://127.0.0.1:10080") is not None,
          "the home page opens on the web server's manual HTTP port")
    check(s.popup() == MENU_STOPPED, "menu prints the popup of a stopped service")

    s.send("32781")
    popup = s.popup()
    check(popup is not None and popup[4] == "32781 自动运行 [x]",
          "the autorun toggle shows as a check mark")
    check("brix7.autorun=1" in read(folder, "sablo.ini"),
          "the autorun toggle is written to sablo.ini")

    s.send("32779")
    form = s.expect("  2 button 取消")
    check(form is not None and "[dialog] Bramo设置" in form and
          "  1005 radio 手动模式 [x]" in form and
          '  1001 edit "10080"' in form and '  1002 edit "10443"' in form,
          "the port dialog prints its form with the settings file's values")
    ini_before = read(folder, "sablo.ini")
    box, form = s.refused_ok("1001=99999999999",
                             "请输入一个介于 1 和 65535 之间的整数。")
    check(box is not None, "a port above 65535 shows the range message")
    check(form is not None and read(folder, "sablo.ini") == ini_before,
          "the dialog stays open and sablo.ini is unchanged")
    s.send("1001=10090")
    form = s.expect("  2 button 取消")
    check(form is not None and '  1001 edit "10090"' in form,
          "the form is printed again after a change")
    box, form = s.refused_ok("1002=10090", "建议手动设置端口范围为10001~65000.")
    check(box is not None, "equal ports show their message")
    check(form is not None, "the dialog stays open after the message")
    s.send("1002=10443")
    s.expect("  2 button 取消")
    s.send("ok")
    check(s.expect("[dialog] closed: ok") is not None, "OK closes the dialog")
    check(s.expect('[tray] modify running "Bramo运行中..."') is not None,
          "the port change restarts and shows the running text")
    check("upnp.http.port=10090" in read(folder, "sablo.ini"),
          "the new router port is in sablo.ini")
    check("Listen 10090  #HTTP#" in read(folder, "apache/conf/httpd.conf"),
          "httpd.conf listens on the new port")
    check(read(folder, "website/pc2/database/local_port") == "10090:10443",
          "local_port holds the new ports")
    check("-d 10080 tcp" in read(folder, "upnpc.log").splitlines(),
          "the old router port's mapping is removed")
    check(read(folder, "apache/bin/httpd.log") != "",
          "the web server was started again")

    s.send("32784")
    check(s.expect("[tray] delete") is not None, "exit removes the tray icon")
    check(s.end() == 0, "exit ends the controller with code 0")
    unmapped = read(folder, "upnpc.log").splitlines()
    check("-d 10090 tcp" in unmapped and "-d 10443 tcp" in unmapped,
          "exit removes the current router ports' mappings")


def signal_session(folder, how):
    with open(os.path.join(folder, "upnpc.log"), "w"):
        pass
    s = Session(folder)
    check(s.expect("[open] http://127.0.0.1:") is not None, how + ": started")
    if how == "end of input":
        s.proc.stdin.close()
        check(s.expect("[console] end of input") is not None,
              "the end of input is reported")
        time.sleep(0.5)
        check(s.proc.poll() is None, "the controller keeps running after it")
        s.signal(signal.SIGINT)
    else:
        s.signal(getattr(signal, how))
    check(s.expect("[tray] delete") is not None, how + ": ends as exit does")
    check(s.end() == 0, how + ": exit code 0")
    check("-d 10090 tcp" in read(folder, "upnpc.log").splitlines(),
          how + ": the mappings are removed")


def signal_during_port_change(folder):
    """SIGHUP while a port change runs (its pauses last seconds at this
    scale): the change is cut short and the controller ends as exit does
    within 2 s, not after the change."""
    with open(os.path.join(folder, "upnpc.log"), "w"):
        pass
    s = Session(folder, pause_scale="0.2")
    check(s.expect("[open] http://127.0.0.1:") is not None,
          "SIGHUP during a port change: started")
    s.send("32779")
    s.expect("  2 button 取消")
    s.send("1001=10092")
    s.expect("  2 button 取消")
    s.send("ok")
    check(s.expect("[dialog] closed: ok") is not None,
          "SIGHUP during a port change: the change begins")
    time.sleep(0.5)
    sent = time.time()
    s.signal(signal.SIGHUP)
    deleted = s.expect("[tray] delete", timeout=30)
    code = s.end()
    took = time.time() - sent
    check(deleted is not None and code == 0 and took < 2.0,
          "SIGHUP during a port change: ends as exit does within 2 s "
          "(%.1f s)" % took)
    unmapped = read(folder, "upnpc.log").splitlines()
    check(any(line.startswith("-d ") for line in unmapped),
          "SIGHUP during a port change: the exit removes the mappings "
          f"({unmapped})")


SILENT_LOOKUP = """
import signal, socket, sys, time
# The stop signals go to the whole group: this one must outlive them.
for sig in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
    signal.signal(sig, signal.SIG_IGN)
s = socket.socket()
s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
s.bind(("127.0.0.1", 8089))
s.listen(16)
open(sys.argv[1], "w").close()
time.sleep(300)
"""


def signal_during_lookup(folder, how):
    """The start sequence asks a lookup service that takes the connection
    and never answers (curl would wait about a minute): a stop signal ends
    the controller within 2 s, as the exit command does, and the web
    server is never started.  In a process and network namespace of its
    own, with a LAN address (so the lookup is made) and the silent service
    on its loopback; the namespace's end ends the service."""
    if os.geteuid() != 0 or not shutil.which("unshare"):
        print("  (skipped: %s during the lookup needs root and unshare)" % how)
        return
    ini = os.path.join(folder, "sablo.ini")
    with open(ini, "w", newline="") as f:
        f.write("[url]\r\nurl.1=http://127.0.0.1:8089/\r\n[pattern]\r\n"
                "pattern.type=1\r\n[upnp]\r\nupnp.http.port=10080\r\n"
                "upnp.https.port=10443\r\n[brix7]\r\nbrix7.autorun=1\r\n")
    for name in ("upnpc.log", "apache/bin/httpd.log"):
        with open(os.path.join(folder, name), "w"):
            pass
    ready = os.path.join(folder, "lookup.ready")
    script = ("ip link set lo up && "
              "ip link add v0 type veth peer name v1 && "
              "ip addr add 10.77.0.2/24 dev v0 && ip link set v0 up && "
              "ip link set v1 up && "
              "{ python3 -c \"$1\" \"$2\" & } && "
              "while [ ! -e \"$2\" ]; do sleep 0.05; done && exec ./Sablo.exe")
    env = dict(os.environ, BRAMO_PAUSE_SCALE="0.01",
               XDG_CONFIG_HOME=os.path.join(folder, "xdg"))
    env.pop("DISPLAY", None)
    env.pop("WAYLAND_DISPLAY", None)
    s = Session.__new__(Session)
    s.proc = subprocess.Popen(
        own_processes(["sh", "-c", script, "sh", SILENT_LOOKUP, ready]),
        cwd=folder, env=env, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
        stderr=subprocess.STDOUT, start_new_session=True,
        preexec_fn=ignore_hangup)
    s.lines = queue.Queue()
    threading.Thread(target=s._read, daemon=True).start()
    try:
        check(s.expect('[tray] add idle') is not None,
              how + " during the lookup: started")
        time.sleep(1.5)  # well into the lookup, which never answers
        check(s.proc.poll() is None, how + ": still waiting for the lookup")
        sent = time.time()
        s.signal(getattr(signal, how))
        deleted = s.expect("[tray] delete", timeout=10)
        code = s.end(timeout=10)
        took = time.time() - sent
        check(deleted is not None and code == 0 and took < 2.0,
              "%s during the lookup: ends as exit does within 2 s (%.1f s)"
              % (how, took))
        check(read(folder, "apache/bin/httpd.log") == "",
              how + ": the web server was never started")
    finally:
        s.end(timeout=1)
        if os.path.exists(ready):
            os.remove(ready)


folder = tempfile.mkdtemp(prefix="sablo_console_")
try:
    lay_out(folder)
    main_session(folder)
    for how in ("SIGTERM", "SIGHUP", "end of input"):
        signal_session(folder, how)
    signal_during_port_change(folder)
    for how in ("SIGTERM", "SIGHUP"):
        signal_during_lookup(folder, how)
finally:
    shutil.rmtree(folder, ignore_errors=True)
finish()
