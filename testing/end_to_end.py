"""What the end-to-end test scripts share: checks that go on after a
failure, the skip when a tool is missing, and PHP's built-in server on a
loopback port, ended by its own process id."""
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


def require(*tools):
    for tool in tools:
        if shutil.which(tool) is None:
            print(f"SKIP: {tool} is not installed")
            sys.exit(SKIP)


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def start_php(root, port, env=None, stderr=subprocess.DEVNULL):
    """`php -S 127.0.0.1:<port> -t <root>`, once it accepts connections."""
    proc = subprocess.Popen(["php", "-S", f"127.0.0.1:{port}", "-t", root],
                            env=env, stdout=subprocess.DEVNULL, stderr=stderr)
    for _ in range(100):
        try:
            with socket.create_connection(("127.0.0.1", port), 0.2):
                return proc
        except OSError:
            time.sleep(0.05)
    proc.terminate()
    proc.wait(10)
    raise RuntimeError("PHP's built-in server did not start")


def stop(proc):
    proc.terminate()
    proc.wait(10)
