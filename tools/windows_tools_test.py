#!/usr/bin/env python3
# The Windows builds of the stand-ins under Wine, in a folder laid out by
# scripts/make-install --windows, run with the command lines the
# controller uses; their effects are checked on the folder, the processes
# and the loopback ports.
#   windows_tools_test.py <source dir> <build dir> <wine_run>
import http.client
import os
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import time

sys.dont_write_bytecode = True  # nothing written into the source tree
SRC, BUILD, WINE_RUN = sys.argv[1], sys.argv[2], sys.argv[3]
sys.path.insert(0, os.path.join(SRC, "testing"))
from end_to_end import check, finish, free_port, no_proxy, skip  # noqa: E402

if not os.path.exists(os.path.join(BUILD, "tools", "httpd.exe")):
    skip("the Windows stand-ins are not built")
no_proxy()


def run(folder, program, *args, timeout=60):
    """One run of a stand-in from the install folder, as WinExec starts it."""
    p = subprocess.run([WINE_RUN, os.path.join(folder, program), *args],
                       cwd=folder, capture_output=True, timeout=timeout)
    return p.returncode, p.stdout + p.stderr


def layout(work, name, port):
    folder = os.path.join(work, name)
    subprocess.run([os.path.join(SRC, "scripts", "make-install"), "--windows",
                    BUILD, folder], check=True, stderr=subprocess.DEVNULL)
    # The stand-ins need only the controller's name to know the folder.
    if not os.path.exists(os.path.join(folder, "Sablo.exe")):
        open(os.path.join(folder, "Sablo.exe"), "wb").close()
    conf = os.path.join(folder, "apache", "conf", "httpd.conf")
    with open(conf, "rb") as f:
        text = f.read()
    # Free ports in the Listen lines, as the controller would write them.
    text = re.sub(rb"Listen \d+  #HTTP#", b"Listen %d  #HTTP#" % port, text)
    text = re.sub(rb"Listen \d+  #HTTPS#", b"Listen %d  #HTTPS#" % free_port(),
                  text)
    with open(conf, "wb") as f:
        f.write(text)
    with open(os.path.join(folder, "website", "pc2", "database",
                           "current_user"), "wb") as f:
        f.write("张三 second\r\n".encode("gbk"))
    return folder


def start_httpd(folder):
    return subprocess.Popen(
        [WINE_RUN, os.path.join(folder, "apache", "bin", "httpd.exe")],
        cwd=folder, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def answer(port, path, tries=1):
    """(status, headers, body) of a GET; (None, None, b"") when none came."""
    for attempt in range(tries):
        try:
            c = http.client.HTTPConnection("127.0.0.1", port, timeout=5)
            c.request("GET", path)
            r = c.getresponse()
            return r.status, r.headers, r.read()
        except OSError:
            if attempt + 1 == tries:
                return None, None, b""
            time.sleep(0.5)


def get(port, path, tries=1):
    status, _, body = answer(port, path, tries)
    return status, body


def ended(proc, seconds=30):
    try:
        proc.wait(timeout=seconds)
        return True
    except subprocess.TimeoutExpired:
        return False


work = tempfile.mkdtemp(prefix="wintools-")
procs = []
try:
    port, other_port = free_port(), free_port()
    folder = layout(work, "install", port)
    stranger = layout(work, "stranger", other_port)

    # httpd.exe serves the configured port with the pages' answers.
    inside = start_httpd(folder)
    outside = start_httpd(stranger)
    procs += [inside, outside]
    status, headers, body = answer(port, "/pc2/ReverseDetection.php",
                                   tries=120)
    check(status == 200 and body == "张三".encode("gbk"),
          f"ReverseDetection.php answers the registered name ({status} {body!r})")
    kind = (headers or {}).get("Content-Type"), (headers or {}).get(
        "X-Content-Type-Options")
    check(kind == ("text/plain; charset=GBK", "nosniff"),
          f"as plain GBK text, not sniffed {kind}")
    check(get(port, "/whatismyip.php") == (200, b"127.0.0.1"),
          "whatismyip.php answers the caller's address")
    check(get(port, "/../sablo.ini")[0] == 403,
          "nothing outside the site is served")
    check(get(other_port, "/pc2/ReverseDetection.php", tries=120)[0] == 200,
          "the stranger's web server answers on its port")

    # pv as the controller runs it: this installation's httpd.exe only.
    code, out = run(folder, "apache/bin/pv.exe", "-f", "-k", "httpd.exe", "-q")
    check(code == 0 and out == b"", f"pv ends quietly ({code}, {out!r})")
    check(ended(inside), "pv ended the installation's httpd.exe")
    check(outside.poll() is None and get(other_port, "/")[0] is not None,
          "pv spared the httpd.exe of another folder")

    # pskill likewise, with its name as the controller gives it.
    inside = start_httpd(folder)
    procs.append(inside)
    get(port, "/", tries=120)
    code, out = run(folder, "pskill.exe", "httpd.exe")
    check(code == 0 and b"killed" in out, f"pskill reports the end ({out!r})")
    check(ended(inside), "pskill ended the installation's httpd.exe")
    check(outside.poll() is None, "pskill spared the stranger")
    code, out = run(folder, "pskill.exe", "httpd.exe")
    check(code == 1, f"pskill with nothing to end says so ({code}, {out!r})")

    # netsh: the controller's three firewall commands on firewall_rules.txt.
    rules = os.path.join(folder, "firewall_rules.txt")
    program = "program=Z:" + folder.replace("/", "\\") + "\\apache\\bin\\httpd.exe"
    for direction in ("dir=in", "dir=out"):
        code, _ = run(folder, "netsh.exe", "advfirewall", "firewall", "add",
                      "rule", "name=Apache HTTP Server", direction,
                      "action=allow", "profile=any",
                      "description=Sablo Box In Windows", program, "enable=yes")
        check(code == 0, f"netsh adds the {direction} rule")
    with open(rules, "rb") as f:
        lines = f.read().split(b"\r\n")
    check(lines[:2] == [b"name=Apache HTTP Server\t" + d +
                        b"\taction=allow\tprofile=any\tdescription=Sablo Box In"
                        b" Windows\t" + program.encode() + b"\tenable=yes"
                        for d in (b"dir=in", b"dir=out")] and lines[2:] == [b""],
          f"firewall_rules.txt holds both rules ({lines!r})")
    code, _ = run(folder, "netsh.exe", "advfirewall", "firewall", "delete",
                  "rule", "name=Apache HTTP Server")
    check(code == 0 and open(rules, "rb").read() == b"",
          "netsh delete removes every rule of the name")
    code, _ = run(folder, "netsh.exe", "advfirewall", "show", "allprofiles")
    check(code == 1, "netsh refuses a command it does not know")

    # upnpc records its arguments and finds no router.
    run_a = run(folder, "upnpc.exe", "-a", "192.168.1.20", "80", "12345", "tcp")
    run_d = run(folder, "upnpc.exe", "-d", "12345", "tcp")
    with open(os.path.join(folder, "upnpc_calls.txt"), "rb") as f:
        calls = f.read()
    check(calls == b"-a 192.168.1.20 80 12345 tcp\r\n-d 12345 tcp\r\n",
          f"upnpc.exe records its calls ({calls!r})")
    check(run_a[0] == 1 and b"No IGD UPnP Device found" in run_d[1],
          f"upnpc.exe answers that no router is found ({run_a!r})")
    # The status and list commands answer what the test scripted.
    status = (b"Found valid IGD : http://192.168.1.1:5000/ctl/IPConn\n"
              b"ExternalIPAddress = 192.168.0.2\n")
    with open(os.path.join(folder, "upnpc_s.txt"), "wb") as f:
        f.write(status)
    run_s = run(folder, "upnpc.exe", "-s")
    run_l = run(folder, "upnpc.exe", "-l")
    check(run_s == (0, status) and run_l[0] == 1 and
          b"No IGD UPnP Device found" in run_l[1],
          f"upnpc.exe answers -s from upnpc_s.txt, -l without one as no "
          f"router ({run_s!r}, {run_l!r})")
    os.remove(os.path.join(folder, "upnpc_s.txt"))

    # pulvo: one GET; a closed port fails within its time.
    code, _ = run(folder, "pulvo.exe", f"http://127.0.0.1:{other_port}/")
    check(code == 0, f"pulvo fetches a page ({code})")
    with socket.socket() as closed:
        closed.bind(("127.0.0.1", 0))
        began = time.monotonic()
        code, _ = run(folder, "pulvo.exe",
                      f"http://127.0.0.1:{closed.getsockname()[1]}/")
    check(code == 1 and time.monotonic() - began < 30,
          f"pulvo fails on a closed port ({code})")

    check(run(folder, "net.exe", "stop", "w3svc")[0] == 0,
          "net stop w3svc has nothing to stop")
finally:
    for p in procs:
        if p.poll() is None:
            p.kill()
            p.wait()
    shutil.rmtree(work, ignore_errors=True)
finish()
