#!/usr/bin/env python3
# norvik end to end: the built program, installed as norvik.exe in a
# temporary install folder, posts through the real curl to the stand-in
# registration service (PHP's built-in server on a loopback port).
#   norvik_end_to_end_test.py <built norvik> <service folder>
#   norvik_end_to_end_test.py <norvik.exe> <service folder> <curl stand-in>
#                             [<wine>]
# With the curl stand-in the program is a Windows build and runs under
# <wine>, the command that runs a Windows program of its width (the
# build's wine_run; default: wine).
import json
import os
import shutil
import subprocess
import sys
import tempfile
import urllib.request

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                "..", "testing"))
from end_to_end import check, finish, free_port, require, start_php, stop  # noqa: E402

NORVIK, SERVICE = sys.argv[1], sys.argv[2]
CURL_EXE = sys.argv[3] if len(sys.argv) > 3 else None
RUNNER = [sys.argv[4] if len(sys.argv) > 4 else "wine"] if CURL_EXE else []
OK = "norvik成功!\n".encode("gbk")
FAILED = "norvik失败!\n".encode("gbk")
require("php", RUNNER[0] if CURL_EXE else "curl")


class Service:
    """php -S on a loopback port; ended by its own process id."""

    def __init__(self, work, refuse=False):
        self.store = os.path.join(work, f"records-{refuse}.txt")
        self.raw = os.path.join(work, f"raw-{refuse}.txt")
        env = dict(os.environ, REGIST_STORE=self.store, REGIST_RAW=self.raw,
                   REGIST_REFUSE="1" if refuse else "0")
        self.php = start_php(SERVICE, env=env)
        self.url = self.php.url("/regist/regist.php")

    def records(self):
        if not os.path.exists(self.store):
            return []
        with open(self.store, encoding="utf-8") as f:
            return [json.loads(line) for line in f]

    def raw_body(self):
        with open(self.raw, "rb") as f:
            return f.read()

    def stop(self):
        stop(self.php)


def install(work, name, ini, user):
    folder = os.path.join(work, name)
    os.makedirs(os.path.join(folder, "website", "pc2", "database"))
    shutil.copy(NORVIK, os.path.join(folder, "norvik.exe"))
    if CURL_EXE:
        shutil.copy(CURL_EXE, os.path.join(folder, "curl.exe"))
    with open(os.path.join(folder, "sablo.ini"), "wb") as f:
        f.write(ini)
    with open(os.path.join(folder, "website", "pc2", "database",
                           "current_user"), "wb") as f:
        f.write(user)
    return folder


def run(folder, *args):
    command = [*RUNNER, os.path.join(folder, "norvik.exe"), *args]
    try:
        p = subprocess.run(command, cwd=folder, capture_output=True,
                           timeout=60)
    except subprocess.TimeoutExpired:
        if not RUNNER:
            raise
        # Under Wine on a loaded machine a start now and then never gets
        # going; natively a hang is a failure at once.
        print("note: a run under Wine hung for 60 s and was started again")
        p = subprocess.run(command, cwd=folder, capture_output=True,
                           timeout=60)
    return p.returncode, p.stdout


def ini(mac, ip, http, https):
    return (b"[mac]\r\nmac.address=" + mac + b"\r\n[ip]\r\nip.external=" + ip +
            b"\r\n[upnp]\r\nupnp.http.port=" + http +
            b"\r\nupnp.https.port=" + https + b"\r\n")


work = tempfile.mkdtemp(prefix="norvik-e2e-")
services = []
try:
    up = Service(work)
    refusing = Service(work, refuse=True)
    services += [up, refusing]

    # Ordinary values: accepted, the exact body, the seven fields stored.
    f = install(work, "plain", ini(b"m", b"1.2.3.4", b"80", b"443"),
                b"u second\r\n")
    code, out = run(f, up.url, "0")
    check(code == 0, f"accepted run exits 0 (got {code})")
    check(out.endswith(OK) and b"cResult = 0\n" in out,
          f"accepted run prints cResult and success ({out!r})")
    check(up.raw_body() == b'dnsData={"uname":"u","mac":"m","pin":"0",'
          b'"ipv4":"1.2.3.4","ipv6":"","port":"80","https":"443"}',
          f"service got the plain body byte for byte ({up.raw_body()!r})")
    check(up.records() == [{"uname": "u", "mac": "m", "pin": "0",
                            "ipv4": "1.2.3.4", "ipv6": "", "port": "80",
                            "https": "443"}],
          f"service stored exactly the seven fields ({up.records()})")
    check(not os.path.exists(os.path.join(f, "regData_norvik")),
          "request file gone after success")

    # Hostile values and a Chinese user name arrive intact.
    name = "张三\\\"&+%x"
    mac = 'a"b\\c&d+e%f'
    pin = 'p"\\&+%'
    f = install(work, "hostile", ini(mac.encode(), b"1.2.3.4", b"8080",
                                     b"8443"), name.encode("gbk") + b"\n")
    code, out = run(f, up.url, pin)
    check(code == 0, f"hostile values accepted (got {code}, {out!r})")
    last = up.records()[-1] if up.records() else {}
    check(last == {"uname": name, "mac": mac, "pin": pin, "ipv4": "1.2.3.4",
                   "ipv6": "", "port": "8080", "https": "8443"},
          f"hostile values stored intact ({last})")
    check(not os.path.exists(os.path.join(f, "regData_norvik")),
          "request file gone after the hostile run")

    # The service says no: status 3.
    f = install(work, "refused", ini(b"m", b"1.2.3.4", b"80", b"443"), b"u")
    code, out = run(f, refusing.url, "0")
    check(code == 3 and out.endswith(FAILED) and b"cResult = 1\n" in out,
          f"refused record exits 3 with the failure line ({code}, {out!r})")
    check(not os.path.exists(os.path.join(f, "regData_norvik")),
          "request file gone after refusal")

    # The service is down: curl's error text gives status 3.
    down = f"http://127.0.0.1:{free_port()}/regist/regist.php"
    code, out = run(f, down, "0")
    check(code == 3 and out.endswith(FAILED),
          f"service down exits 3 ({code}, {out!r})")
    check(not os.path.exists(os.path.join(f, "regData_norvik")),
          "request file gone after curl's failure")

    # The verdict is the service's answer, every time: curl's progress
    # meter on its standard error must never count.  Each answer runs
    # RUNS times; the counts are printed for the record.
    pages = os.path.join(work, "answers")
    os.makedirs(pages)
    answers = {
        "ok-short.php": ("<?php echo \"registered\\r\\n0\\r\\n\";", True),
        "ok-4k.php": ("<?php echo str_repeat('r', 4093), \"0\\r\\n\";", True),
        "ok-100k.php": ("<?php echo str_repeat('r', 100000), \"0\\r\\n\";",
                        True),
        "empty.php": ("<?php", False),
        "redirect.php": ("<?php header('Location: /elsewhere', true, 302);",
                         False),
        "error.php": ("<?php http_response_code(500); echo \"<html><body>"
                      "Internal Server Error</body></html>\\n\";", False),
        "missing.php": (None, False),
    }
    for page, (source, _) in answers.items():
        if source is not None:
            with open(os.path.join(pages, page), "w") as out:
                out.write(source)
    answer_server = start_php(pages)
    services.append(answer_server)
    base = answer_server.url("/")
    f = install(work, "verdict", ini(b"m", b"1.2.3.4", b"80", b"443"), b"u")
    runs = 5 if CURL_EXE else 25
    for page, (_, accepted) in answers.items():
        right = 0
        for _ in range(runs):
            code, out = run(f, base + page, "0")
            right += code == (0 if accepted else 3)
        print(f"     {page}: {right} of {runs} runs judged "
              f"{'accepted' if accepted else 'refused'}")
        check(right == runs, f"{page} is {'accepted' if accepted else 'refused'}"
              f" in every run ({right} of {runs})")

    # An address that is not http:// or https://, or holds a blank, is
    # never passed to curl: curl would take "-o FILE" as an option.
    for bad in ("-o" + os.path.join(f, "written"), "ftp://127.0.0.1/",
                up.url + " -o written"):
        code, out = run(f, bad, "0")
        check(code == 4 and out.startswith(b"usage:"),
              f"address {bad!r} gives usage ({code})")
    check(not os.path.exists(os.path.join(f, "written")),
          "no file written by a curl option")

    # Settings or user files replaced by a device or a FIFO: the run ends
    # at once, as if the file were missing, instead of growing or waiting.
    if not CURL_EXE:
        f = install(work, "devices", b"", b"")
        ini_path = os.path.join(f, "sablo.ini")
        user_path = os.path.join(f, "website", "pc2", "database",
                                 "current_user")
        os.remove(ini_path)
        os.symlink("/dev/zero", ini_path)
        code, out = run(f, up.url, "0")
        check(code == 2, f"sablo.ini linked to /dev/zero: status 2 ({code})")
        os.remove(ini_path)
        with open(ini_path, "wb") as out_file:
            out_file.write(ini(b"m", b"1.2.3.4", b"80", b"443"))
        os.remove(user_path)
        os.mkfifo(user_path)
        code, out = run(f, up.url, "0")
        check(code == 1, f"current_user a FIFO: status 1 ({code})")
        # The web server's user writes current_user: a link it planted to a
        # file only the administrator may read is no user, and nothing of
        # that file is posted.
        secret = os.path.join(work, "root-only")
        with open(secret, "wb") as out_file:
            out_file.write(b"rootsecret\n")
        os.chmod(secret, 0o600)
        os.remove(user_path)
        os.symlink(secret, user_path)
        before = len(up.records())
        code, out = run(f, up.url, "0")
        check(code == 1 and len(up.records()) == before and
              b"rootsecret" not in out,
              f"current_user a link to a root-only file: status 1, nothing "
              f"posted ({code})")

    # Missing upnp.https.port: nothing sent, status 2, silent.
    before = len(up.records())
    f = install(work, "nohttps", b"[mac]\nmac.address=m\n[ip]\nip.external=1.2.3.4"
                b"\n[upnp]\nupnp.http.port=80\n", b"u")
    code, out = run(f, up.url, "0")
    check(code == 2 and out == b"" and len(up.records()) == before,
          f"missing https port: status 2, silent, nothing sent ({code})")

    # Fewer than two arguments: usage, a status of its own, nothing sent.
    code, out = run(f, up.url)
    check(code == 4 and out.startswith(b"usage:") and
          len(up.records()) == before, f"one argument gives usage ({code})")

    # The stand-in itself refuses a malformed record.
    for bad in (b"dnsData=[1,2]", b'dnsData={"uname":"u"}', b"other=1"):
        with urllib.request.urlopen(up.url, bad, timeout=10) as r:
            answer = r.read()
        check(answer[-3:] == b"1\r\n", f"stand-in refuses {bad!r}")
finally:
    for s in services:
        s.stop()
    shutil.rmtree(work, ignore_errors=True)

finish()
