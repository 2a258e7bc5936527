"""What the lab's end-to-end tests share: the lab's addresses, the
commands run in its namespaces, an install folder for it, the controller
driven through its console, registration from the PC, and the diagnosis
file watched while a test runs."""
import os
import queue
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import time

LAB = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(LAB), "testing"))
from end_to_end import own_processes, skip  # noqa: E402

PC, PUBLIC = "192.168.77.2", "203.0.113.1"
# miniupnpd's description, so that a call skips the 2 s of discovery.
ROUTER = "http://192.168.77.1:5000/rootDesc.xml"
REGISTRATIONS = "/run/bramo-lab/registrations.jsonl"
SERVICES_LOG = "/run/bramo-lab/services.log"
DIAGNOSIS = "website/pc2/database/diagnosis"
# Short pauses, yet long enough that a web server ended asynchronously
# (pskill, then a pause) is gone before the next one starts on a busy
# machine.
PAUSE_SCALE = "0.1"


def prerequisites():
    """Skips where network namespaces cannot be made; a missing tool is a
    failure (scripts/install-deps installs them all)."""
    if os.geteuid() != 0:
        skip("ip netns is not permitted: the lab's namespaces need root")
    missing = [t for t in ("ip", "nft", "miniupnpd", "upnpc", "php", "curl")
               if shutil.which(t) is None]
    if not os.access("/usr/sbin/apache2", os.X_OK):
        missing.append("apache2")
    if missing:
        print(f"FAIL the lab needs {missing}: run scripts/install-deps")
        sys.exit(1)
    probe = f"bramo-probe-{os.getpid()}"
    if subprocess.run(["ip", "netns", "add", probe],
                      stderr=subprocess.DEVNULL).returncode != 0:
        skip("ip netns is not permitted here")
    subprocess.run(["ip", "netns", "delete", probe])


def ns(name, *command, timeout=30):
    r = subprocess.run(["ip", "netns", "exec", name, *command],
                       capture_output=True, timeout=timeout)
    return r.returncode, r.stdout.decode("utf-8", "replace")


def mappings():
    """{external port: (internal address, internal port)} from upnpc -l."""
    _, out = ns("lan", "upnpc", "-l")
    return {int(e): (a, int(i)) for e, a, i in
            re.findall(r"TCP\s+(\d+)->([\d.]+):(\d+)", out)}


def router(*args):
    """One quick upnpc call at the router, its output."""
    return ns("lan", "upnpc", "-u", ROUTER, *map(str, args))[1]


def read(folder, name):
    try:
        with open(os.path.join(folder, name), encoding="gbk",
                  errors="replace") as f:
            return f.read()
    except OSError:
        return None


def ini(folder):
    """sablo.ini as {section.key: value} (keys carry their section)."""
    values = {}
    for line in (read(folder, "sablo.ini") or "").splitlines():
        if "=" in line:
            key, value = line.split("=", 1)
            values[key.strip()] = value.strip()
    return values


def wait_for(condition, seconds):
    deadline = time.time() + seconds
    while time.time() < deadline:
        value = condition()
        if value:
            return value
        time.sleep(0.3)
    return condition()


class Controller:
    """Sablo.exe in lan, its console on pipes, its lines read as they
    come.  With `alone`, in a process namespace of its own, so that a
    controller running elsewhere on the machine neither ends it at its
    start nor is ended by it.  The programs it starts detached may finish
    after it (the upnpc runs of its exit), for up to 20 s; one still
    running then makes its status 125 (testing/namespace_init.py)."""

    def __init__(self, folder, alone=False):
        env = dict(os.environ, BRAMO_PAUSE_SCALE=PAUSE_SCALE,
                   XDG_CONFIG_HOME=os.path.join(folder, ".config"))
        env.pop("DISPLAY", None)
        env.pop("WAYLAND_DISPLAY", None)
        program = ["./Sablo.exe"]
        if alone:
            program = own_processes(program, net=False, linger_s=20)
        self.proc = subprocess.Popen(
            ["ip", "netns", "exec", "lan", *program], cwd=folder,
            env=env, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
            stderr=subprocess.STDOUT, start_new_session=True)
        self.lines = queue.Queue()
        self.all = []
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for raw in self.proc.stdout:
            line = raw.decode("utf-8", "replace").rstrip("\n")
            self.all.append(line)
            self.lines.put(line)
        self.lines.put(None)

    def send(self, line):
        self.proc.stdin.write((line + "\n").encode("utf-8"))
        self.proc.stdin.flush()

    def expect(self, wanted, timeout=40):
        """The first line from now on that holds `wanted`, else None."""
        deadline = time.time() + timeout
        while time.time() < deadline:
            try:
                line = self.lines.get(timeout=max(0.0, deadline - time.time()))
            except queue.Empty:
                break
            if line is None:
                break
            if wanted in line:
                return line
        print("  (last lines: %r)" % self.all[-4:])
        return None

    def drain(self):
        """Forgets the lines printed so far."""
        while not self.lines.empty():
            self.lines.get_nowait()

    def kill(self):
        if self.proc.poll() is None:
            self.proc.kill()
        self.proc.wait(10)


def register(port, name):
    """Registers `name` through the home page from the PC itself, as its
    owner's browser does (the form carries the session's token), at the web
    server's HTTP port on loopback; whether the page says it took it."""
    handle, jar = tempfile.mkstemp(prefix="bramo-lab-cookies-")
    os.close(handle)
    base = f"http://127.0.0.1:{port}/pc2/"
    try:
        _, page = ns("lan", "curl", "-s", "-m", "5", "-c", jar, base)
        token = re.search(r'name="token" value="([0-9a-f]+)"', page)
        if not token:
            return False
        page = subprocess.run(
            ["ip", "netns", "exec", "lan", "curl", "-s", "-m", "5", "-b", jar,
             "-c", jar, "--data-urlencode", f"name={name}",
             "--data-urlencode", f"token={token.group(1)}", base],
            capture_output=True, timeout=30).stdout.decode("gbk", "replace")
        return "注册成功" in page
    finally:
        if os.path.exists(jar):
            os.unlink(jar)


def install(source, build):
    """A fresh install folder from scripts/make-install, its lookups
    pointed at the lab; the caller removes it."""
    folder = tempfile.mkdtemp(prefix="bramo-lab-install-")
    subprocess.run([os.path.join(source, "scripts", "make-install"), build,
                    folder], check=True, stdout=subprocess.DEVNULL)
    subprocess.run([os.path.join(LAB, "lab-ini"),
                    os.path.join(folder, "sablo.ini")], check=True)
    return folder


def lab_up(network="healthy"):
    subprocess.run([os.path.join(LAB, "up"), "--network", network],
                   check=True, timeout=60)


def lab_down():
    subprocess.run([os.path.join(LAB, "down")])


class DiagnosisWatch:
    """Reads the install's diagnosis file every 50 ms while it runs: every
    distinct content it held (absent and empty read as ""), and for each
    the number of monitor passes that had found the server unreachable
    when it first appeared (each such pass writes rc.txt = 1, once, at
    its start)."""

    def __init__(self, folder):
        self.path = os.path.join(folder, DIAGNOSIS)
        self.reachability = os.path.join(folder, "website/pc2/database/rc.txt")
        self.passes = 0
        self.seen = {}  # content -> unreachable passes when first seen
        self._written = self._signature()
        self._stop = threading.Event()
        self._thread = threading.Thread(target=self._run, daemon=True)
        self._thread.start()

    def _signature(self):
        try:
            st = os.stat(self.reachability)
            with open(self.reachability, "rb") as f:
                return st.st_ino, st.st_mtime_ns, f.read().strip()
        except OSError:
            return None

    def _run(self):
        while not self._stop.is_set():
            written = self._signature()
            if written != self._written:
                self._written = written
                if written and written[2] == b"1":
                    self.passes += 1
            try:
                with open(self.path, "rb") as f:
                    text = f.read().decode("ascii", "replace")
            except OSError:
                text = ""
            self.seen.setdefault(text, self.passes)
            time.sleep(0.05)

    def causes(self):
        """{content: its lines} of each content held but the empty one."""
        return {text: [line for line in text.splitlines() if line.strip()]
                for text in self.seen if text.strip()}

    def stop(self):
        self._stop.set()
        self._thread.join(5)
