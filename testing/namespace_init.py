#!/usr/bin/env python3
"""The first process of a process namespace of a test's own: starts one
program there and ends with its status, so that programs of the same name
elsewhere on the machine neither see the test's program nor are seen by it.

    unshare --pid --fork --mount-proc --kill-child -- \\
        python3 namespace_init.py <program> [<argument>...]

As the namespace's first process it takes in every orphan the program
leaves (its tools start detached) and reaps it, as init does.  Signals for
the program reach it directly: send them to the process group
(`own_processes` in end_to_end.py starts it in a session of its own).
When the program ends, this process ends with the program's status (128 +
the signal for a signal), and the kernel ends whatever is left in the
namespace."""
import os
import signal
import sys


def main():
    # Handled, not ignored: the program starts with the default actions.
    for sig in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
        signal.signal(sig, lambda *_: None)
    program = os.fork()
    if program == 0:
        try:
            os.execvp(sys.argv[1], sys.argv[1:])
        finally:
            os._exit(127)
    while True:
        try:
            pid, status = os.wait()
        except ChildProcessError:
            return 127
        if pid == program:
            if os.WIFEXITED(status):
                return os.WEXITSTATUS(status)
            return 128 + os.WTERMSIG(status)


if __name__ == "__main__":
    sys.exit(main())
