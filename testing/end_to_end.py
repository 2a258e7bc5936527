"""What the end-to-end test scripts share: checks that go on after a
failure, the skip when a tool is missing, and PHP's built-in server on a
loopback port, ended by its own process id."""
import os
import shutil
import socket
import subprocess
import sys
import time

SKIP = 77  # the tests' SKIP_RETURN_CODE
failures = []


def check(cond, what):
    print(("ok   " if cond else "FAIL ") + what)
    if not cond:
        failures.append(what)


def finish():
    """Ends the script: 1 when any check failed, else 0."""
    print(f"{len(failures)} failure(s)")
    sys.exit(1 if failures else 0)


def skip(why):
    """Ends the test as skipped, saying why."""
    print(f"SKIP: {why}")
    sys.exit(SKIP)


def no_proxy():
    """Keeps requests to the test's own hosts away from any proxy."""
    for proxy in ("http_proxy", "https_proxy", "all_proxy", "HTTP_PROXY",
                  "HTTPS_PROXY", "ALL_PROXY"):
        os.environ.pop(proxy, None)


def require(*tools):
    for tool in tools:
        if shutil.which(tool) is None:
            print(f"SKIP: {tool} is not installed")
            sys.exit(SKIP)


def own_processes(command, net=True, linger_s=0):
    """`command` wrapped to run in a process namespace of its own (and a
    network namespace of its own with `net`), where it sees no other
    program of the machine and none sees it; as it is when the machine
    does not allow that (not root, or no unshare).  Start it with
    start_new_session=True and signal it with os.killpg.  With `linger_s`
    what it started detached may finish after it, for that long; what is
    still running then ends the namespace with status 125
    (namespace_init.py)."""
    if os.geteuid() != 0 or shutil.which("unshare") is None:
        return command
    init = os.path.join(os.path.dirname(os.path.abspath(__file__)),
                        "namespace_init.py")
    lingering = ["--linger", str(linger_s)] if linger_s else []
    return (["unshare", *(["--net"] if net else []), "--pid", "--fork",
             "--mount-proc", "--kill-child", "--", sys.executable, init,
             *lingering] + command)


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def _listens(pid, port):
    """Whether process `pid` holds the listening TCP socket of `port`."""
    inodes = set()
    for table in ("/proc/net/tcp", "/proc/net/tcp6"):
        try:
            with open(table) as f:
                rows = f.read().splitlines()[1:]
        except OSError:
            continue
        for row in rows:
            fields = row.split()
            if fields[3] == "0A" and int(fields[1].rsplit(":", 1)[1], 16) == port:
                inodes.add(fields[9])
    try:
        fds = os.listdir(f"/proc/{pid}/fd")
    except OSError:
        return False
    for fd in fds:
        try:
            link = os.readlink(f"/proc/{pid}/fd/{fd}")
        except OSError:
            continue
        if link.startswith("socket:[") and link[8:-1] in inodes:
            return True
    return False


class PhpServer:
    """`php -S 127.0.0.1:<port> -t <root>`: `port`, `url(path)`, `stop()`.
    Ended by its own process id."""

    def __init__(self, proc, port):
        self.proc, self.port = proc, port

    def url(self, path):
        return f"http://127.0.0.1:{self.port}{path}"

    def stop(self):
        self.proc.terminate()
        self.proc.wait(10)


def start_php(root, port=None, env=None, stderr=subprocess.DEVNULL,
              attempts=5, wait_s=30):
    """PHP's built-in server on `port` (a free one when None), returned once
    it accepts connections itself.  A port taken meanwhile by another
    program makes php end, or the connection reach that other program:
    then the next attempt takes another free port."""
    for _ in range(attempts):
        port = port or free_port()
        proc = subprocess.Popen(["php", "-S", f"127.0.0.1:{port}", "-t", root],
                                env=env, stdout=subprocess.DEVNULL,
                                stderr=stderr)
        deadline = time.monotonic() + wait_s
        while proc.poll() is None and time.monotonic() < deadline:
            if _listens(proc.pid, port):
                try:
                    with socket.create_connection(("127.0.0.1", port), 1):
                        return PhpServer(proc, port)
                except OSError:
                    pass
            time.sleep(0.05)
        if proc.poll() is None:
            proc.terminate()
        proc.wait(10)
        port = None
    raise RuntimeError("PHP's built-in server did not start")


def stop(server):
    server.stop()
