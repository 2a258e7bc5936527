#!/usr/bin/env python3
"""The first process of a process namespace of a test's own: starts one
program there and ends with its status, so that programs of the same name
elsewhere on the machine neither see the test's program nor are seen by it.

    unshare --pid --fork --mount-proc --kill-child -- \\
        python3 namespace_init.py [--linger <s>] <program> [<argument>...]

As the namespace's first process it takes in every orphan the program
leaves (its tools start detached) and reaps it, as init does.  Signals for
the program reach it directly: send them to the process group
(`own_processes` in end_to_end.py starts it in a session of its own).
When the program ends, this process ends with the program's status (128 +
the signal for a signal), and the kernel ends whatever is left in the
namespace.  With --linger it first waits up to <s> seconds for what the
program started detached to end by itself (an exit's last upnpc runs); what
is still running then is named on standard error and the status is 125,
since a program that leaves processes behind did not end cleanly."""
import os
import signal
import sys
import time


def left_running():
    """The names of the namespace's processes other than this one."""
    names = []
    for pid in filter(str.isdigit, os.listdir("/proc")):
        if int(pid) == os.getpid():
            continue
        try:
            with open(f"/proc/{pid}/comm") as f:
                names.append(f.read().strip())
        except OSError:
            pass
    return names


def linger(seconds):
    """Reaps the orphans until none is left or the time is up; whether
    none is left."""
    deadline = time.time() + seconds
    while time.time() < deadline:
        try:
            pid, _ = os.waitpid(-1, os.WNOHANG)
        except ChildProcessError:
            return True
        if pid == 0:
            time.sleep(0.05)
    return not left_running()


def main():
    args = sys.argv[1:]
    wait_s = 0.0
    if args[:1] == ["--linger"]:
        wait_s, args = float(args[1]), args[2:]
    # Handled, not ignored: the program starts with the default actions.
    for sig in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
        signal.signal(sig, lambda *_: None)
    program = os.fork()
    if program == 0:
        try:
            os.execvp(args[0], args)
        finally:
            os._exit(127)
    while True:
        try:
            pid, status = os.wait()
        except ChildProcessError:
            return 127
        if pid == program:
            code = (os.WEXITSTATUS(status) if os.WIFEXITED(status) else
                    128 + os.WTERMSIG(status))
            if wait_s and not linger(wait_s):
                print(f"namespace_init: still running {wait_s:g} s after "
                      f"{args[0]} ended: {left_running()}", file=sys.stderr)
                return 125
            return code


if __name__ == "__main__":
    sys.exit(main())
