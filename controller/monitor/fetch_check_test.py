#!/usr/bin/env python3
# The controller's fetch, through the built fetch_check program, against
# servers this test runs on loopback: PHP's built-in server for pages and a
# listener that accepts and never answers.  With "wine" as the second
# argument the program is a Windows build and runs under Wine.
#   fetch_check_test.py <fetch_check> [wine]
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import time

PROGRAM = sys.argv[1]
RUNNER = ["wine"] if len(sys.argv) > 2 and sys.argv[2] == "wine" else []
failures = []

for tool in ["php"] + RUNNER:
    if shutil.which(tool) is None:
        print(f"SKIP: {tool} is not installed")
        sys.exit(77)


def check(cond, what):
    print(("ok   " if cond else "FAIL ") + what)
    if not cond:
        failures.append(what)


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def fetch(*args):
    out = subprocess.run(RUNNER + [PROGRAM, *map(str, args)],
                         stdout=subprocess.PIPE, timeout=120).stdout
    head, _, text = out.partition(b"\n")
    fields = dict(f.split("=") for f in head.decode().strip().split())
    return int(fields["result"]), int(fields["size"]), float(fields["ms"]), text


work = tempfile.mkdtemp(prefix="bramo-fetch-")
php = silent = None
try:
    with open(os.path.join(work, "big.txt"), "wb") as f:
        f.write(b"0123456789" * 300)
    with open(os.path.join(work, "address.txt"), "wb") as f:
        f.write(b"58.1.2.3")
    with open(os.path.join(work, "address-crlf.txt"), "wb") as f:
        f.write(b"58.1.2.3\r\n")
    port = free_port()
    php = subprocess.Popen(["php", "-S", f"127.0.0.1:{port}", "-t", work],
                           stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)
    for _ in range(100):
        try:
            with socket.create_connection(("127.0.0.1", port), 0.2):
                break
        except OSError:
            time.sleep(0.05)
    base = f"http://127.0.0.1:{port}"

    result, size, _, text = fetch("text", base + "/big.txt")
    check(result == 0 and size == 1023 and text == (b"0123456789" * 300)[:1023],
          "a 3000-byte body comes back as its first 1023 bytes")
    result, size, _, text = fetch("text", base + "/missing.txt")
    check(result == 0 and size > 0 and b"Not Found" in text,
          "a 404 page comes back with result 0 and its body")
    result, size, _, text = fetch("ip", base + "/address.txt")
    check((result, text) == (0, b"58.1.2.3"), "a bare address is accepted")
    result, size, _, _ = fetch("ip", base + "/address-crlf.txt")
    check((result, size) == (7, 0), "an address with a line end is refused")

    refused = free_port()
    result, size, _, _ = fetch("text", f"http://127.0.0.1:{refused}/")
    check((result, size) == (6, 0), "a refused port gives 6 from the text fetch")
    result, _, _, _ = fetch("ip", f"http://127.0.0.1:{refused}/")
    check(result == 1, "a refused port gives 1 from the address fetch")

    if RUNNER:
        # Wine's WinINet neither applies the session's time-outs to
        # InternetOpenUrlA nor lets a close from another thread end it (a
        # call to a server that never answers was still blocked after
        # 100 s): these two run natively only.
        print("skip a server that never answers, and a cancel (Wine)")
    else:
        silent = socket.socket()
        silent.bind(("127.0.0.1", 0))
        silent.listen(8)
        mute = f"http://127.0.0.1:{silent.getsockname()[1]}/"
        result, _, took, _ = fetch("text", mute, 500)
        check(result != 0 and took < 20000,
              f"a server that never answers ends in the time-out "
              f"({took:.0f} ms, result {result})")
        result, _, took, _ = fetch("cancel", mute, 300)
        check(result != 0 and took < 100,
              f"a cancel from another thread ends the call in {took:.0f} ms")
finally:
    if silent is not None:
        silent.close()
    if php is not None:
        php.terminate()
        php.wait(10)
    shutil.rmtree(work, ignore_errors=True)

print("FAILED: " + "; ".join(failures) if failures else "all checks passed")
sys.exit(1 if failures else 0)
