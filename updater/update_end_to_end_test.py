#!/usr/bin/env python3
# update end to end: the built program, installed as update.exe in a
# temporary install folder, asks the stand-in update service (PHP's
# built-in server on a loopback port) for the published version.
#   update_end_to_end_test.py linux <update> <service folder> <setup stand-in>
#                             <pskill> <pv>
#   update_end_to_end_test.py wine <update.exe> <service folder> [<wine>]
# On Linux the whole run is followed: the console's boxes answered on
# standard input, the installer downloaded into $TMPDIR/sablo_update,
# its Ed25519 signature checked against the install's vendor_key.pem (a
# key pair made here; installers signed by another key, unsigned, or
# checked without a key are deleted and never run), the installer run,
# the process-ending stand-ins started, the folder emptied after the
# (shortened) two-hour wait.  Under Wine the page fetch through WinINet;
# <wine> runs a Windows program of its width (the build's wine_run;
# default: wine).
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import time

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                "..", "testing"))
from end_to_end import check, finish, free_port, require, start_php, stop  # noqa: E402

MODE, UPDATE, SERVICE = sys.argv[1], sys.argv[2], sys.argv[3]
WINE = MODE == "wine"
if not WINE:
    SETUP, PSKILL, PV = sys.argv[4], sys.argv[5], sys.argv[6]
RUNNER = [sys.argv[4] if len(sys.argv) > 4 else "wine"] if WINE else []
NO_INFO = "无法从网站获取更新信息!\n".encode("gbk")
ASK_DOWNLOAD = "有新版本程序，是否下载并安装最新版本".encode()
ASK_INSTALL = "是否安装最新版本".encode()
FAILED_BOX = "下载新版本失败，请登录官网下载！".encode()
# 2000 ms become 0.4 ms, the two hours 1.44 s.
SCALE = 0.0002
TWO_HOURS_SCALED = 7200.0 * SCALE
# Longer than the shortened two hours: had the updater not waited for the
# installer, the folder would be emptied under it.
SETUP_HOLD_MS = 2500
KILL_ORDER = ["pskill norvik", "pskill pulvo", "pskill curl",
              "apache/bin/pv -f -k httpd.exe -q", "pskill httpd.exe"]
require("php", RUNNER[0] if WINE else "sleep")
if not WINE:
    require("openssl")


def read(path, mode="r"):
    if not os.path.exists(path):
        return b"" if "b" in mode else ""
    with open(path, mode) as f:
        return f.read()


def openssl(*args):
    subprocess.run(["openssl", *args], check=True, capture_output=True)


class Signer:
    """An Ed25519 key pair made for this run: the private key stays in
    the work folder, the public one is what an install holds."""

    def __init__(self, work, name):
        self.private = os.path.join(work, f"{name}-private.pem")
        self.public = os.path.join(work, f"{name}-public.pem")
        openssl("genpkey", "-algorithm", "ed25519", "-out", self.private)
        openssl("pkey", "-in", self.private, "-pubout", "-out", self.public)

    def sign(self, path):
        """The detached signature beside the file: `path`.sig."""
        openssl("pkeyutl", "-sign", "-rawin", "-inkey", self.private,
                "-in", path, "-out", path + ".sig")


class Service:
    """php -S over a copy of the stand-in's files, on a loopback port;
    ended by its own process id.  On Linux files/ holds the installer
    signed by the vendor; files/other/ signed by another key,
    files/unsigned/ without a signature."""

    def __init__(self, work):
        self.root = os.path.join(work, "service")
        shutil.copytree(SERVICE, self.root)
        os.makedirs(os.path.join(self.root, "update", "windows"))
        os.makedirs(os.path.join(self.root, "files"))
        if not WINE:
            self.vendor = Signer(work, "vendor")
            other = Signer(work, "other")
            for sub, signer in (("", self.vendor), ("other", other),
                                ("unsigned", None)):
                folder = os.path.join(self.root, "files", sub)
                os.makedirs(folder, exist_ok=True)
                shutil.copy(SETUP, os.path.join(folder, "setup.exe"))
                if signer is not None:
                    signer.sign(os.path.join(folder, "setup.exe"))
        self.log_path = os.path.join(work, "service.log")
        self.log = open(self.log_path, "wb")
        self.php = start_php(self.root, stderr=self.log)
        self.port = self.php.port
        self.host = f"127.0.0.1:{self.port}"

    def url(self, path):
        return f"http://{self.host}{path}"

    def publish(self, page):
        """The version page; None takes it away (the service answers
        404)."""
        path = os.path.join(self.root, "update", "windows", "index.html")
        if page is None:
            os.remove(path)
            return
        with open(path, "wb") as f:
            f.write(page)

    def requests(self):
        """The paths asked for so far, in order."""
        self.log.flush()
        paths = []
        for line in read(self.log_path, "rb").decode(errors="replace").splitlines():
            if "]: GET " in line:
                paths.append(line.split("]: GET ", 1)[1].split()[0])
        return paths

    def stop(self):
        stop(self.php)
        self.log.close()


class Install:
    """A temporary install folder with its own temporary-files root."""

    def __init__(self, work, name, version, key=True):
        self.folder = os.path.join(work, name)
        self.tmp = os.path.join(work, name + "-tmp")
        os.makedirs(os.path.join(self.folder, "apache", "bin"))
        os.makedirs(self.tmp)
        self.update = os.path.join(self.folder, "update.exe")
        shutil.copy(UPDATE, self.update)
        if version is not None:
            with open(os.path.join(self.folder, "version"), "wb") as f:
                f.write(version)
        self.records = {k: os.path.join(work, f"{name}-{k}.txt")
                        for k in ("tools", "setup", "open")}
        if not WINE:
            # The vendor's public key beside `version`, as an install has
            # it (key=False: an install without one).
            if key:
                shutil.copy(VENDOR_KEY, os.path.join(self.folder,
                                                     "vendor_key.pem"))
            shutil.copy(PSKILL, os.path.join(self.folder, "pskill.exe"))
            shutil.copy(PV, os.path.join(self.folder, "apache", "bin", "pv"))
            # The stand-ins end the processes of the folder that holds
            # Sablo.exe; the controller itself is not needed here.
            open(os.path.join(self.folder, "Sablo.exe"), "wb").close()
            # The browser: found in the program's own folder first.
            opener = os.path.join(self.folder, "xdg-open")
            with open(opener, "w") as f:
                f.write(f"#!{sys.executable}\nimport os, sys\n"
                        "with open(os.environ['BRAMO_OPEN_RECORD'], 'a') as f:\n"
                        "    f.write(' '.join(sys.argv[1:]) + '\\n')\n")
            os.chmod(opener, 0o755)

    @property
    def download_folder(self):
        return os.path.join(self.tmp, "sablo_update")

    def run(self, service_host, answers=b"", home=None):
        env = dict(os.environ, BRAMO_UPDATE_HOST=service_host,
                   TMPDIR=self.tmp, BRAMO_PAUSE_SCALE=str(SCALE),
                   BRAMO_TOOL_LOG=self.records["tools"],
                   BRAMO_SETUP_RECORD=self.records["setup"],
                   BRAMO_SETUP_HOLD_MS=str(SETUP_HOLD_MS),
                   BRAMO_OPEN_RECORD=self.records["open"])
        if home is not None:
            env["HOME"] = home
        start = time.monotonic()
        p = subprocess.Popen([*RUNNER, self.update], cwd=self.folder, env=env,
                             stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                             stderr=subprocess.DEVNULL)
        try:
            out, _ = p.communicate(answers, timeout=120)
        except subprocess.TimeoutExpired:
            p.kill()
            out, _ = p.communicate()
        return p.returncode, out, p.pid, time.monotonic() - start

    def setup_record(self):
        record = {"arg": []}
        for line in read(self.records["setup"]).splitlines():
            key, _, value = line.partition(" ")
            if key == "arg":
                record["arg"].append(value)
            else:
                record[key] = value
        return record

    def tool_runs(self):
        runs = []
        for line in read(self.records["tools"]).splitlines():
            pid, _, args = line.partition(" ")
            runs.append((int(pid), args))
        return runs

    def opened(self, wait_s=0.0):
        """The addresses the browser stand-in was started with; it runs
        detached, so it is given a moment."""
        deadline = time.monotonic() + wait_s
        while not read(self.records["open"]) and time.monotonic() < deadline:
            time.sleep(0.05)
        return read(self.records["open"]).splitlines()


def start_victims(install):
    """Processes of this installation with the names the updater ends:
    copies of sleep, started by the test."""
    sleep = shutil.which("sleep")
    victims = {}
    for rel in ("norvik.exe", "pulvo.exe", "curl.exe",
                os.path.join("apache", "bin", "httpd.exe")):
        path = os.path.join(install.folder, rel)
        shutil.copy(sleep, path)
        victims[rel] = subprocess.Popen([path, "300"], cwd=install.folder)
    return victims


def pid_order(base, pid_max):
    """Start order of processes created after `base`: process ids are
    handed out in increasing order, wrapping at pid_max."""
    return lambda pid: (pid - base) % pid_max


def check_no_box_runs(service, work):
    """Runs that end before any box: the published version is not newer,
    or the page is unusable, or the service is down."""
    setup_url = service.url("/files/setup.exe")
    for name, page, installed in (
            ("same", b"1.0.5#", b"1.0.5\r\n"),
            ("text-order", b"1.0.10#", b"1.0.9\n"),
            ("case", b"Beta#", b"beta")):
        install = Install(work, name, installed)
        service.publish(page + setup_url.encode() + b"\r\n")
        before = len(service.requests())
        code, out, _, _ = install.run(service.host)
        check(code == 0 and out == b"",
              f"{name}: not newer, status 0 and no box ({code}, {out!r})")
        check(service.requests()[before:] == ["/update/windows/index.html"],
              f"{name}: only the version page was asked for "
              f"({service.requests()[before:]})")
        if not WINE:
            check(not os.path.exists(install.download_folder),
                  f"{name}: no download folder")

    install = Install(work, "empty-version", b"1.0.4\r\n")
    service.publish(b"#" + setup_url.encode() + b"\r\n")
    code, out, _, _ = install.run(service.host, b"ok\nok\n")
    check(code == 2 and out == NO_INFO,
          f"page without a version text: status 2, the console message, no "
          f"box ({code}, {out!r})")

    # An error page is no version page: 404 asks nothing.
    service.publish(None)
    code, out, _, _ = install.run(service.host, b"ok\nok\n")
    check(code == 1 and out == NO_INFO,
          f"version page 404: status 1, the console message, no box "
          f"({code}, {out!r})")

    down = f"127.0.0.1:{free_port()}"
    code, out, _, _ = install.run(down, b"ok\nok\n")
    check(code == 1 and out == NO_INFO,
          f"service down: status 1 and the console message ({code}, {out!r})")


def check_full_install(service, work):
    install = Install(work, "full", b"1.0.4\r\n")
    service.publish(b"1.0.5#" + service.url("/files/setup.exe").encode() +
                    b"\r\n")
    victims = start_victims(install)
    try:
        before = len(service.requests())
        code, out, pid, took = install.run(service.host, b"ok\nok\n")
        check(code == 0, f"full run: status 0 ({code})")
        check(ASK_DOWNLOAD in out and ASK_INSTALL in out and b"ok\n" in out,
              f"full run: both questions and \"ok\" ({out!r})")
        check(service.requests()[before:] ==
              ["/update/windows/index.html", "/files/setup.exe",
               "/files/setup.exe.sig"],
              f"full run: page, the installer, its signature "
              f"({service.requests()[before:]})")

        setup = install.setup_record()
        stored = os.path.join(os.path.realpath(install.download_folder),
                              "setup.exe")
        check(setup.get("exe") == stored,
              f"installer ran from the download folder ({setup.get('exe')})")
        check(setup["arg"] == [stored],
              f"installer run by its full path, without arguments "
              f"({setup['arg']})")
        check(setup.get("ppid") == str(pid),
              f"installer is the updater's own child: no shell between "
              f"({setup.get('ppid')} vs {pid})")
        check(setup.get("still-there") == "yes",
              "the updater waited for the installer before emptying the "
              "folder")
        check(took >= TWO_HOURS_SCALED + SETUP_HOLD_MS / 1000.0,
              f"the run lasted the installer and the wait ({took:.2f} s)")

        pid_max = int(read("/proc/sys/kernel/pid_max").strip() or "4194304")
        order = pid_order(pid, pid_max)
        runs = sorted(install.tool_runs(), key=lambda r: order(r[0]))
        check([args for _, args in runs] == KILL_ORDER,
              f"the kill commands were started in order ({runs})")
        check(bool(runs) and "pid" in setup and
              order(runs[-1][0]) < order(int(setup["pid"])),
              "the installer was started after the last kill command")
        for rel, victim in victims.items():
            try:
                victim.wait(10)
            except subprocess.TimeoutExpired:
                pass
            check(victim.returncode == -9, f"{rel} of the install was ended "
                  f"({victim.returncode})")

        check(os.path.isdir(install.download_folder) and
              os.listdir(install.download_folder) == [],
              f"after the wait the download folder is there and empty "
              f"({os.listdir(install.download_folder) if os.path.isdir(install.download_folder) else 'missing'})")
        check(install.opened() == [], "no download page on success")
    finally:
        for victim in victims.values():
            if victim.poll() is None:
                victim.kill()
                victim.wait()


def check_shared_tmpdir(service, work):
    """A TMPDIR that every user can write is never the download root: the
    installer goes to a private folder of the user's home instead."""
    setup_url = service.url("/files/setup.exe")
    service.publish(b"1.0.5#" + setup_url.encode() + b"\r\n")
    install = Install(work, "shared", b"1.0.4\r\n")
    os.chmod(install.tmp, 0o777)
    home = os.path.join(work, "shared-home")
    os.makedirs(home, mode=0o700)
    code, out, _, _ = install.run(service.host, b"ok\ncancel\n", home=home)
    private = os.path.join(home, ".cache", "bramo", "sablo_update")
    check(code == 0 and os.path.isfile(os.path.join(private, "setup.exe")),
          f"shared TMPDIR: the installer went to {private} ({code})")
    check(os.listdir(install.tmp) == [], "shared TMPDIR: nothing stored there")
    check(os.path.isdir(private) and
          os.stat(os.path.dirname(private)).st_mode & 0o777 == 0o700,
          "the private root has mode 0700")


def check_declines(service, work):
    setup_url = service.url("/files/setup.exe")
    service.publish(b"1.0.5#" + setup_url.encode() + b"\r\n")
    # Cancel at the first question, or nobody there to answer, or only
    # answers that mean neither (the box then asks again, then cancels).
    garbage = b"\x01\xfe?\nokay\nsure thing\n"
    for name, answers in (("cancel", b"cancel\n"), ("no-answer", b""),
                          ("garbage", garbage)):
        install = Install(work, name, b"1.0.4\r\n")
        before = len(service.requests())
        code, out, _, _ = install.run(service.host, answers)
        check(code == 0 and ASK_DOWNLOAD in out and ASK_INSTALL not in out,
              f"{name}: status 0 after the first question ({code}, {out!r})")
        check(service.requests()[before:] == ["/update/windows/index.html"],
              f"{name}: nothing downloaded ({service.requests()[before:]})")
        check(not os.path.exists(install.download_folder),
              f"{name}: no download folder created")
        check(install.tool_runs() == [] and install.setup_record()["arg"] == [],
              f"{name}: nothing ended, nothing run")

    # Cancel at the second: the installer stays in the folder, unrun.
    install = Install(work, "keep", None)
    code, out, _, _ = install.run(service.host, b"ok\ncancel\n")
    stored = os.path.join(install.download_folder, "setup.exe")
    check(code == 0 and b"ok\n" in out and ASK_INSTALL in out,
          f"second cancel: status 0 after both questions ({code}, {out!r})")
    check(read(stored, "rb") == read(SETUP, "rb") and
          os.access(stored, os.X_OK),
          "second cancel: the installer is kept in the folder, runnable")
    check(install.tool_runs() == [] and install.setup_record()["arg"] == [],
          "second cancel: nothing ended, nothing run")


def check_failed_downloads(service, work):
    page_url = service.url("/download.html")
    missing = service.url("/files/missing/setup.exe").encode()

    def installer(sub):
        return b"1.0.5#" + service.url(sub + "/setup.exe").encode() + b"\r\n"

    cases = (
        ("missing-ok", b"1.0.5#" + missing + b"\r\n", b"ok\nok\n", True),
        ("missing-cancel", b"1.0.5#" + missing + b"\r\n", b"ok\ncancel\n",
         True),
        # The line end alone as the installer address.
        ("line-end", b"1.0.5#\r\n", b"ok\ncancel\n", True),
        # A page without '#' served as a page: the whole page both parts.
        ("hashless-page", b"<html>Not Found</html>", b"ok\nok\n", True),
        # Installers that are not proven the vendor's: downloaded, then
        # deleted, never run.
        ("other-signer", installer("/files/other"), b"ok\nok\n", True),
        ("unsigned", installer("/files/unsigned"), b"ok\nok\n", True),
        ("no-key", installer("/files"), b"ok\nok\n", False),
    )
    for name, page, answers, key in cases:
        install = Install(work, name, b"1.0.4\r\n", key)
        service.publish(page)
        code, out, _, _ = install.run(service.host, answers)
        check(code == 0 and b"fail\n" in out and FAILED_BOX in out and
              ASK_INSTALL not in out,
              f"{name}: \"fail\", the failure box, status 0 ({code}, {out!r})")
        check(install.opened(10.0) == [page_url],
              f"{name}: the download page was opened ({install.opened()})")
        check(f"[open] {page_url}".encode() in out,
              f"{name}: the console names the page opened")
        check(os.path.isdir(install.download_folder) and
              os.listdir(install.download_folder) == [],
              f"{name}: the folder was made and holds nothing")
        check(install.tool_runs() == [] and install.setup_record()["arg"] == [],
              f"{name}: nothing ended, nothing run")

    with socket.create_connection(("127.0.0.1", service.port), 5) as s:
        s.sendall(b"GET /download.html HTTP/1.0\r\nHost: x\r\n\r\n")
        answer = b""
        while chunk := s.recv(4096):
            answer += chunk
    check(answer.startswith(b"HTTP/1.0 200") and b"setup.exe" in answer,
          "the stand-in serves its download page")


VENDOR_KEY = None
work = tempfile.mkdtemp(prefix="update-e2e-")
service = None
try:
    service = Service(work)
    if not WINE:
        VENDOR_KEY = service.vendor.public
    check_no_box_runs(service, work)
    if not WINE:
        check_full_install(service, work)
        check_declines(service, work)
        check_shared_tmpdir(service, work)
        check_failed_downloads(service, work)
finally:
    if service is not None:
        service.stop()
    shutil.rmtree(work, ignore_errors=True)

finish()
