#!/usr/bin/env python3
# The controller's fetch, through the built fetch_check program, against
# servers this test runs on loopback: PHP's built-in server for pages, a
# server of its own that records each request and can break a body off,
# and a listener that accepts and never answers.  With a command that runs Windows
# programs of its width as the second argument (the build's wine_run, or
# "wine") the program is a Windows build and runs under it.
#   fetch_check_test.py <fetch_check> [<wine>]
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import threading

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                "..", "..", "testing"))
from end_to_end import check, finish, free_port, require, start_php, stop  # noqa: E402

PROGRAM = sys.argv[1]
RUNNER = sys.argv[2:3]
require("php", *RUNNER)


def fetch(*args, inside=()):
    out = subprocess.run([*inside, *RUNNER, PROGRAM, *map(str, args)],
                         stdout=subprocess.PIPE, timeout=120).stdout
    head, _, text = out.partition(b"\n")
    fields = dict(f.split("=") for f in head.decode().strip().split())
    return int(fields["result"]), int(fields["size"]), float(fields["ms"]), text


# A name server that takes every question and never answers.
SILENT_DNS = """
import socket, time
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
s.bind(("127.0.0.1", 53))
print("ready", flush=True)
time.sleep(120)
"""


def cancel_in_lookup():
    """A cancel while the name lookup hangs, in a network namespace of its
    own whose name server never answers; None where none can be made."""
    ns = f"bramo-fetch-{os.getpid()}"
    etc = f"/etc/netns/{ns}"
    if os.geteuid() != 0 or subprocess.run(
            ["ip", "netns", "add", ns], stderr=subprocess.DEVNULL).returncode:
        return None
    dns = None
    try:
        os.makedirs(etc, exist_ok=True)
        with open(f"{etc}/resolv.conf", "w") as f:
            f.write("nameserver 127.0.0.1\n")
        with open(f"{etc}/hosts", "w") as f:
            f.write("127.0.0.1 localhost\n")
        inside = ("ip", "netns", "exec", ns)
        subprocess.run([*inside, "ip", "link", "set", "lo", "up"], check=True)
        dns = subprocess.Popen([*inside, "python3", "-c", SILENT_DNS],
                               stdout=subprocess.PIPE)
        dns.stdout.readline()
        return fetch("cancel", "http://nowhere.example/", 300, inside=inside)
    finally:
        if dns is not None:
            dns.kill()
            dns.wait()
        subprocess.run(["ip", "netns", "delete", ns])
        shutil.rmtree(etc, ignore_errors=True)


class RecordingServer:
    """Answers every request on a loopback port and keeps its header lines.
    /broken announces a body of 100 bytes, sends 40 and closes."""

    def __init__(self):
        self.sock = socket.socket()
        self.sock.bind(("127.0.0.1", 0))
        self.sock.listen(8)
        self.url = f"http://127.0.0.1:{self.sock.getsockname()[1]}"
        self.requests = []
        threading.Thread(target=self.serve, daemon=True).start()

    def serve(self):
        while True:
            try:
                conn, _ = self.sock.accept()
            except OSError:
                return
            with conn:
                conn.settimeout(10)
                head = b""
                while b"\r\n\r\n" not in head:
                    chunk = conn.recv(4096)
                    if not chunk:
                        break
                    head += chunk
                lines = head.split(b"\r\n\r\n")[0].split(b"\r\n")
                self.requests.append(lines)
                path = lines[0].split(b" ")[1] if b" " in lines[0] else b""
                body = b"0123456789" * 4
                length = 100 if path == b"/broken" else len(body)
                conn.sendall(b"HTTP/1.1 200 OK\r\nContent-Length: %d\r\n"
                             b"Connection: close\r\n\r\n%s" % (length, body))

    def agents(self):
        return [line.split(b":", 1)[1].strip() for lines in self.requests
                for line in lines[1:] if line.lower().startswith(b"user-agent:")]

    def close(self):
        self.sock.close()


work = tempfile.mkdtemp(prefix="bramo-fetch-")
php = silent = recorder = None
try:
    with open(os.path.join(work, "big.txt"), "wb") as f:
        f.write(b"0123456789" * 300)
    with open(os.path.join(work, "address.txt"), "wb") as f:
        f.write(b"58.1.2.3")
    with open(os.path.join(work, "address-crlf.txt"), "wb") as f:
        f.write(b"58.1.2.3\r\n")
    php = start_php(work)
    base = php.url("")

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

    recorder = RecordingServer()
    result, _, _, text = fetch("text", recorder.url + "/agent")
    check(result == 0 and text == b"0123456789" * 4 and
          recorder.agents() == [b"DadoRE/1.0"],
          f"the server sees the user agent DadoRE/1.0 ({recorder.agents()})")
    for mode in ("text", "ip"):
        result, size, _, _ = fetch(mode, recorder.url + "/broken")
        check((result, size) == (1, 0),
              f"a body that breaks off after 40 of 100 bytes gives 1 from "
              f"the {mode} fetch ({result}, {size})")

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
    silent = socket.socket()
    silent.bind(("127.0.0.1", 0))
    silent.listen(8)
    mute = f"http://127.0.0.1:{silent.getsockname()[1]}/"
    # Even where the call goes on, the cancel itself returns at once.
    _, _, took, _ = fetch("cancel-returns", mute, 300)
    check(took < 100, f"a cancel returns in {took:.0f} ms")
    if not RUNNER:
        result, _, took, _ = fetch("text", mute, 500)
        check(result != 0 and took < 20000,
              f"a server that never answers ends in the time-out "
              f"({took:.0f} ms, result {result})")
        result, _, took, _ = fetch("cancel", mute, 300)
        check(result != 0 and took < 100,
              f"a cancel from another thread ends the call in {took:.0f} ms")
        lookup = cancel_in_lookup()
        if lookup is None:
            print("skip a cancel during a name lookup (no namespace here)")
        else:
            result, _, took, _ = lookup
            check(result != 0 and took < 100,
                  f"a cancel while the name lookup hangs ends the call in "
                  f"{took:.0f} ms")
finally:
    if silent is not None:
        silent.close()
    if recorder is not None:
        recorder.close()
    if php is not None:
        stop(php)
    shutil.rmtree(work, ignore_errors=True)

finish()
