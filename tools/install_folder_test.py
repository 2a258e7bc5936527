#!/usr/bin/env python3
# The Linux install folder for real: laid out by scripts/make-install, with
# Debian's Apache and PHP, our pages and the stand-ins, driven through the
# controller's own code (tools/install_driver), web server on loopback
# ports.  Everything after the layout runs in a network namespace of its
# own, where upnpc.exe may run and finds no router.
#   install_folder_test.py <source dir> <build dir>
import configparser
import json
import os
import pwd
import re
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time
import urllib.error
import urllib.parse
import urllib.request
import http.cookiejar
import http.server
import ipaddress

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                "..", "testing"))
from end_to_end import (SKIP, check, finish, free_port, no_proxy,  # noqa: E402
                        skip)

SRC, BUILD = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
DRIVER = os.path.join(BUILD, "tools", "install_driver")
INSIDE = "--inside"
# Short pauses for the controller's sequences.
PAUSE_SCALE = "0.1"
RULE = "Apache HTTP Server"
REGISTRATION_URL = "http://reg.bramo.example/regist/regist.php"
no_proxy()


# ---- Outside the namespace: prerequisites, layout, namespace -----------

def prerequisites():
    if not os.access("/usr/sbin/apache2", os.X_OK):
        skip("apache2 is not installed (package apache2)")
    if not any(f.startswith("libphp") for f in
               os.listdir("/usr/lib/apache2/modules")):
        skip("PHP for Apache is not installed (package libapache2-mod-php)")
    for tool in ("ip", "upnpc"):
        if shutil.which(tool) is None:
            skip(f"{tool} is not installed")
    if os.geteuid() != 0:
        skip("a network namespace of its own needs root")


def check_layout(folder):
    programs = ["Sablo.exe", "update.exe", "norvik.exe", "pskill.exe",
                "netsh.exe", "net.exe", "pulvo.exe", "upnpc.exe",
                "apache/bin/httpd.exe", "apache/bin/pv",
                "apache/bin/debian/httpd.exe"]
    for p in programs:
        check(os.access(os.path.join(folder, p), os.X_OK), f"program {p}")
    for d in ["apache/logs", "php/logs", "php/ext", "php/tmp",
              "pc2/sessionstemp", "website/pc2/database"]:
        check(os.path.isdir(os.path.join(folder, d)), f"folder {d}")
    for f in ["apache/conf/httpd.conf", "php/php.ini",
              "website/pc2/index.php", "website/pc2/ReverseDetection.php"]:
        check(os.path.isfile(os.path.join(folder, f)), f"file {f}")
    ini = configparser.ConfigParser()
    ini.read(os.path.join(folder, "sablo.ini"))
    urls = [ini["url"][k] for k in sorted(ini["url"])] if "url" in ini else []
    check(len(urls) >= 2 and all(u.startswith("http://") for u in urls),
          f"sablo.ini lookup services {urls}")
    mac = ini.get("mac", "mac.address", fallback="")
    real, others = interface_macs()
    check(mac == real[0] if real else mac in others,
          f"sablo.ini: the MAC address of the first real interface {mac}")
    check_certificate(folder)


def certificate_names(path):
    out = subprocess.run(["openssl", "x509", "-in", path, "-noout", "-ext",
                          "subjectAltName"], capture_output=True, text=True)
    return {canonical(n) for n in
            re.findall(r"(?:DNS:|IP Address:)([^,\s]+)", out.stdout)}


def canonical(name):
    """An address in one form (openssl writes IPv6 in full), else the name."""
    try:
        return str(ipaddress.ip_address(name))
    except ValueError:
        return name


def check_certificate(folder):
    """The HTTPS port's pair: made for this machine, the key its owner's
    alone, and kept when make-install runs again (the owner's own pair)."""
    crt = os.path.join(folder, "apache/conf/ssl/server.crt")
    key = os.path.join(folder, "apache/conf/ssl/server.key")
    info = os.stat(key)
    check(info.st_uid == 0 and info.st_mode & 0o777 == 0o600,
          f"the key is root's alone ({info.st_mode & 0o777:o})")
    addresses = subprocess.run(["hostname", "-I"], capture_output=True,
                               text=True).stdout.split()
    want = {canonical(n) for n in
            ("localhost", "127.0.0.1", socket.gethostname(), *addresses)}
    names = certificate_names(crt)
    check(want <= names, f"the certificate names this machine: {names}")
    with open(crt, "rb") as f:
        before = f.read()
    subprocess.run([os.path.join(SRC, "scripts", "make-install"), BUILD,
                    folder], check=True, stdout=subprocess.DEVNULL)
    with open(crt, "rb") as f:
        check(f.read() == before, "make-install again keeps the pair")


def interface_macs():
    """By interface index, the MAC addresses (Windows form) of the Ethernet
    devices that are not virtual, and those of every other interface."""
    net = "/sys/class/net"

    def read(i, what):
        with open(f"{net}/{i}/{what}") as f:
            return f.read().strip()

    real, others = [], set()
    for i in sorted(os.listdir(net), key=lambda i: int(read(i, "ifindex"))):
        mac = read(i, "address").upper().replace(":", "-")
        if read(i, "type") != "1" or mac == "00-00-00-00-00-00":
            continue
        if "/virtual/" in os.path.realpath(f"{net}/{i}"):
            others.add(mac)
        else:
            real.append(mac)
    return real, others


def leftovers(folder, program=""):
    """Processes whose program lies in the test's folder (ours alone), and
    whose name ends in `program`."""
    found = []
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            exe = os.readlink(f"/proc/{pid}/exe")
        except OSError:
            continue
        if exe.startswith(folder + "/") and exe.endswith(program):
            found.append(int(pid))
    return found


def vendor_key(folder):
    """An Ed25519 key pair made for this run, beside the folder."""
    paths = {"private": folder + "-vendor.pem",
             "public": folder + "-vendor.pub"}
    subprocess.run(["openssl", "genpkey", "-algorithm", "ed25519", "-out",
                    paths["private"]], check=True, capture_output=True)
    subprocess.run(["openssl", "pkey", "-in", paths["private"], "-pubout",
                    "-out", paths["public"]], check=True, capture_output=True)
    return paths


def outside():
    prerequisites()
    # Chinese users install into Chinese folders: the folder's name goes
    # into httpd.conf and php.ini as UTF-8 (three characters, an odd count
    # of bytes taken as GBK) and through every file and program call.
    parent = tempfile.mkdtemp(prefix="bramo-install-")
    os.chmod(parent, 0o755)  # Apache's www-data children pass through it
    folder = os.path.join(parent, "个人云")
    namespace = f"bramo-install-{os.getpid()}"
    try:
        key = vendor_key(folder)
        subprocess.run([os.path.join(SRC, "scripts", "make-install"), BUILD,
                        folder], check=True,
                       env=dict(os.environ, BRAMO_VENDOR_KEY=key["public"]))
        check_layout(folder)
        with open(key["public"], "rb") as a, \
                open(os.path.join(folder, "vendor_key.pem"), "rb") as b:
            check(a.read() == b.read(),
                  "the vendor's public key is vendor_key.pem of the folder")
        refused = subprocess.run(
            [os.path.join(SRC, "scripts", "make-install"), BUILD, folder],
            env=dict(os.environ, BRAMO_VENDOR_KEY=key["private"]),
            capture_output=True)
        check(refused.returncode == 2,
              f"make-install refuses a private key ({refused.returncode})")
        if subprocess.run(["ip", "netns", "add", namespace]).returncode != 0:
            skip("no network namespace can be created here")
        subprocess.run(["ip", "netns", "exec", namespace, "ip", "link", "set",
                        "lo", "up"], check=True)
        code = subprocess.run(["ip", "netns", "exec", namespace,
                               sys.executable, os.path.abspath(__file__), SRC,
                               BUILD, INSIDE, folder]).returncode
        check(code == 0, "the checks inside the namespace")
    finally:
        for pid in leftovers(folder):
            os.kill(pid, signal.SIGKILL)
        subprocess.run(["ip", "netns", "delete", namespace],
                       stderr=subprocess.DEVNULL)
        shutil.rmtree(parent, ignore_errors=True)
        for made in (folder + "-vendor.pem", folder + "-vendor.pub"):
            if os.path.exists(made):
                os.remove(made)
    finish()


# ---- Inside the namespace ----------------------------------------------

class Install:
    def __init__(self, folder):
        self.folder = folder
        self.windows = folder.replace("/", "\\") + "\\"
        self.env = dict(os.environ, BRAMO_PAUSE_SCALE=PAUSE_SCALE)
        # The driver runs from the install folder, as the controller does:
        # bare program names are found there first.
        self.program = self.path("install_driver")
        shutil.copy(DRIVER, self.program)

    def path(self, relative):
        return os.path.join(self.folder, relative)

    def driver(self, *args, timeout=120):
        return subprocess.run([self.program, self.folder, *map(str, args)],
                              env=self.env, capture_output=True,
                              stdin=subprocess.DEVNULL,
                              timeout=timeout)

    def system(self, command_line):
        """The command line as the controller's platform layer runs it."""
        r = self.driver("system", command_line)
        return r.returncode, (r.stdout + r.stderr).decode("gbk", "replace")

    def rules(self):
        try:
            with open(self.path("firewall_rules.txt")) as f:
                return [dict(field.split("=", 1) for field in line.split("\t"))
                        for line in f.read().splitlines() if line]
        except FileNotFoundError:
            return []

    def apache(self):
        return leftovers(self.folder, "/httpd.exe")


def listening(port):
    with socket.socket() as s:
        s.settimeout(0.2)
        return s.connect_ex(("127.0.0.1", port)) == 0


def wait_for(condition, seconds=10):
    deadline = time.time() + seconds
    while time.time() < deadline:
        if condition():
            return True
        time.sleep(0.05)
    return condition()


class Browser:
    """Loopback HTTP with cookies, no proxy; texts decoded from GBK."""

    def __init__(self):
        self.opener = urllib.request.build_opener(
            urllib.request.ProxyHandler({}),
            urllib.request.HTTPCookieProcessor(http.cookiejar.CookieJar()))

    def get(self, url, data=None, headers=None):
        request = urllib.request.Request(url, data=data, headers=headers or {})
        try:
            with self.opener.open(request, timeout=10) as r:
                return r.status, r.read().decode("gbk")
        except urllib.error.HTTPError as e:
            return e.code, ""

    def post_form(self, url, fields):
        body = urllib.parse.urlencode(
            {k: v.encode("gbk") for k, v in fields.items()}).encode()
        return self.get(url, body)


def cell(page, name):
    m = re.search(f'id="{name}"[^>]*>([^<]*)<', page)
    return m.group(1) if m else None


def check_netsh_and_net(inst):
    # The controller's command lines, as the platform layer splits them.
    delete = f'netsh.exe advfirewall firewall delete rule name="{RULE}"'
    add_in = (f'netsh advfirewall firewall add rule name="{RULE}" dir=in  '
              'action=allow profile=any description="Sablo Box In Windows" '
              f'program="{inst.windows}apache\\bin\\httpd.exe" enable=yes')
    add_out = add_in.replace("dir=in  action", "dir=out action")
    check(inst.system(delete)[0] != 0 and inst.rules() == [],
          "netsh: deleting from no rules fails")
    check(inst.system(add_in)[0] == 0 and inst.system(add_out)[0] == 0,
          "netsh: both adds succeed")
    rules = inst.rules()
    check([(r["name"], r["dir"], r["action"], r["profile"], r["program"],
            r["enable"]) for r in rules] ==
          [(RULE, d, "allow", "any", inst.windows + "apache\\bin\\httpd.exe",
            "yes") for d in ("in", "out")], f"netsh: the two rules {rules}")
    refused = [
        "netsh advfirewall firewall show rule name=all",
        "netsh interface ip set address name=eth0 source=dhcp",
        f'netsh advfirewall firewall add rule name="{RULE}" action=allow',
        f'netsh advfirewall firewall add rule name=x dir=sideways action=allow',
        f'netsh advfirewall firewall add rule name=x dir=in action=allow '
        'colour=red',
    ]
    for line in refused:
        code, output = inst.system(line)
        check(code != 0 and output.strip() != "" and inst.rules() == rules,
              f"netsh refuses with a message: {line}")
    # Two adds started together (as the controller starts them) both land.
    starts = [subprocess.Popen([inst.path("netsh.exe"), "advfirewall",
                                "firewall", "add", "rule", f"name=n{i}",
                                "dir=in", "action=allow"],
                               stdout=subprocess.DEVNULL)
              for i in range(12)]
    for p in starts:
        p.wait(30)
    check(len(inst.rules()) == 14, "netsh: twelve adds at once all land")
    for i in range(12):
        inst.system(f"netsh advfirewall firewall delete rule name=n{i}")
    check(inst.system(delete)[0] == 0 and inst.rules() == [],
          "netsh: the delete removes every rule of the name")
    check(inst.system("net stop w3svc")[0] == 0, "net stop w3svc: exit 0")
    check(inst.system("net start w3svc")[0] != 0, "net start w3svc refused")


def check_pulvo_and_upnpc(inst):
    seen = []

    class Handler(http.server.BaseHTTPRequestHandler):
        def do_GET(self):
            seen.append(self.path)
            self.send_response(200)
            self.end_headers()
            self.wfile.write(b"ok")

        def log_message(self, *args):
            pass

    server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    url = f"http://127.0.0.1:{server.server_address[1]}/regist/regist.php"
    check(inst.system(f"pulvo.exe {url}")[0] == 0 and
          seen == ["/regist/regist.php"], f"pulvo: one GET of the URL {seen}")
    server.shutdown()
    # A server that accepts and never answers: pulvo still ends by itself.
    with socket.socket() as silent:
        silent.bind(("127.0.0.1", 0))
        silent.listen()
        started = time.time()
        code, _ = inst.system(f"pulvo.exe http://127.0.0.1:"
                              f"{silent.getsockname()[1]}/regist/regist.php")
        took = time.time() - started
    check(code != 0 and took < 8, f"pulvo: gives up after {took:.1f} s")
    # Debian's upnpc with the controller's arguments, here with no router.
    code, output = inst.system("upnpc.exe -d 12345 tcp")
    check(code != 0 and "IGD" in output,
          f"upnpc.exe runs upnpc: {output.strip()[-80:]!r}")


PROBE = r"""<?php
error_log('probe ' . $_GET['id']);
session_start();
$_SESSION['n'] = ($_SESSION['n'] ?? 0) + 1;
echo json_encode([
    'n' => $_SESSION['n'],
    'ini' => [ini_get('error_log'), ini_get('extension_dir'),
              ini_get('upload_tmp_dir'), session_save_path()],
    'extension' => extension_loaded('iconv'),
    'upload' => isset($_FILES['f']) ? dirname($_FILES['f']['tmp_name']) : '',
]);
"""


def check_php_paths(inst, base):
    with open(inst.path("website/probe.php"), "w") as f:
        f.write(PROBE)
    browser = Browser()
    browser.get(f"{base}/probe.php?id=1")
    boundary = "bramo"
    body = (f"--{boundary}\r\nContent-Disposition: form-data; name=\"f\"; "
            f"filename=\"a.txt\"\r\n\r\nhello\r\n--{boundary}--\r\n").encode()
    status, text = browser.get(
        f"{base}/probe.php?id=2", body,
        {"Content-Type": f"multipart/form-data; boundary={boundary}"})
    probe = json.loads(text) if status == 200 else {}
    paths = [inst.path(p) for p in ("php/logs/php_error_log", "php/ext",
                                    "php/tmp", "pc2/sessionstemp")]
    check(probe.get("ini") == paths, f"php.ini paths {probe.get('ini')}")
    check(probe.get("n") == 2 and
          any(f.startswith("sess_") for f in
              os.listdir(inst.path("pc2/sessionstemp"))),
          "a session started by a page lives in pc2/sessionstemp")
    log = paths[0]
    check(os.path.exists(log) and "probe 2" in open(log).read(),
          "PHP logs into php/logs")
    check(probe.get("extension") is True, "extensions load from php/ext")
    check(probe.get("upload") == paths[2], "uploads land in php/tmp")
    os.remove(inst.path("website/probe.php"))
    # A page's error goes to the log, not to the visitor.
    with open(inst.path("website/broken.php"), "w") as f:
        f.write("<?php no_such_function_here();\n")
    status, text = Browser().get(f"{base}/broken.php")
    with open(log) as f:
        logged = "no_such_function_here" in f.read()
    check(status == 500 and "no_such_function_here" not in text and logged,
          f"a PHP error is logged, not shown ({status} {text[:60]!r})")
    os.remove(inst.path("website/broken.php"))


def check_pages(inst, base, name):
    browser = Browser()
    status, page = browser.get(f"{base}/pc2/")
    token = re.search(r'name="token" value="([0-9a-f]+)"', page)
    check(status == 200 and token is not None, "the home page answers")
    token = token.group(1) if token else ""
    refusals = {"": "不能为空", "a b": "空格", "a\u3000b": "空格",
                "a\tb": "控制字符", "x" * 128: "太长", "张" * 64: "太长"}
    for bad, why in refusals.items():
        _, page = browser.post_form(f"{base}/pc2/",
                                    {"name": bad, "token": token})
        check(why in (cell(page, "message") or ""),
              f"registration of {bad[:8]!r} refused: {cell(page, 'message')}")
    check(not os.path.exists(inst.path("website/pc2/database/current_user")),
          "nothing registered by a refusal")
    _, page = browser.post_form(f"{base}/pc2/", {"name": name, "token": token})
    with open(inst.path("website/pc2/database/current_user"), "rb") as f:
        stored = f.read()
    check(stored == name.encode("gbk") and cell(page, "user") == name,
          f"registered as GBK bytes: {stored!r}")
    _, page = Browser().post_form(f"{base}/pc2/",
                                  {"name": "intruder", "token": token})
    check("过期" in (cell(page, "message") or ""),
          "a post without the page's session is refused")
    return browser


def check_state_shown(inst, base, web, router, reach):
    """The home page shows what the controller left in the data files."""
    inst.driver("reachability", reach)
    _, page = Browser().get(f"{base}/pc2/")
    check(cell(page, "web-ports") == f"{web[0]}:{web[1]}" and
          cell(page, "router-ports") == f"{router[0]}:{router[1]}" and
          cell(page, "public-address") == "127.0.0.1" and
          cell(page, "reachability") ==
          ("可以从外网访问" if reach == 0 else "无法从外网访问"),
          f"the home page shows ports {web}, {router}, address, reach {reach}")


def check_diagnosis_shown(inst, base):
    """The home page names each cause of the diagnosis file with its
    advice, shows nothing of a line that is no cause, escapes what it
    shows, and has no section for an empty or missing file."""
    path = inst.path("website/pc2/database/diagnosis")
    causes = {"no-upnp": "no-upnp", "double-nat": "double-nat ? 203.0.113.1",
              "cgnat": "cgnat 100.64.0.2 203.0.113.1",
              "refused": "refused 80 606", "no-loopback": "no-loopback 18080",
              "public-lan": "public-lan 198.51.100.7"}
    hostile = ["public-lan <b>1.2.3.4</b>", "refused 80 606 <script>",
               "no-upnp \"><script>alert(1)</script>", "<script>x</script>"]
    advice = {"no-upnp": "开启 UPnP", "double-nat": "桥接", "cgnat": "公网 IP",
              "refused": "其他端口", "no-loopback": "外网的朋友",
              "public-lan": "防火墙"}
    for keyword, line in causes.items():
        with open(path, "wb") as f:
            f.write(("\r\n".join(hostile + [line]) + "\r\n").encode())
        _, page = Browser().get(f"{base}/pc2/")
        shown = re.findall(r'data-cause="([^"]*)"', page)
        evidence = line.split()[1:]
        check(shown == [keyword] and advice[keyword] in page and
              all(word.replace("?", "路由器未提供") in page
                  for word in evidence) and "<script" not in page and
              "<b>" not in page,
              f"the home page names {line!r} alone: {shown}")
    for content in (b"", None):
        if content is None:
            os.remove(path)
        else:
            with open(path, "wb") as f:
                f.write(content)
        _, page = Browser().get(f"{base}/pc2/")
        check('id="diagnosis"' not in page and 'id="user"' in page,
              f"no diagnosis section for {'a missing' if content is None else 'an empty'} file")


def two_free_ports():
    first = free_port()
    second = free_port()
    while second == first:
        second = free_port()
    return first, second


def answers_as(base, name):
    _, answer = Browser().get(f"{base}/pc2/ReverseDetection.php")
    return answer == name


def apache_apart(inst):
    """Apache in one session of its own, its children as www-data.  A
    child that has not yet dropped to www-data (it listens first), or one
    that ends while it is looked at, is waited for."""
    try:
        servers = inst.apache()
        sessions = {os.getsid(p) for p in servers}
        owners = {os.stat(f"/proc/{p}").st_uid for p in servers}
    except (ProcessLookupError, FileNotFoundError):
        return False
    return (len(sessions) == 1 and os.getsid(0) not in sessions and
            owners == {0, pwd.getpwnam("www-data").pw_uid})


def check_web_server(inst, stranger):
    ports = two_free_ports()
    check(inst.driver("configure", *ports).returncode == 0,
          "ApplyConfiguration for loopback ports")
    check(inst.driver("start-web-server").returncode == 0 and
          wait_for(lambda: listening(ports[0])),
          "StartWebServer starts Apache")
    base = f"http://127.0.0.1:{ports[0]}"
    check(wait_for(lambda: apache_apart(inst)),
          "Apache runs in a session of its own, its children as www-data")
    check_php_paths(inst, base)
    name = "张三"
    check_pages(inst, base, name)
    check(answers_as(base, name), "ReverseDetection.php answers the name")

    moved = two_free_ports()
    while set(moved) & set(ports):
        moved = two_free_ports()
    check(inst.driver("apply-new-ports", *moved, 1).returncode == 0,
          "ApplyNewPorts ran")
    base = f"http://127.0.0.1:{moved[0]}"
    check(wait_for(lambda: listening(moved[0]) and listening(moved[1])) and
          not listening(ports[0]) and not listening(ports[1]),
          f"ApplyNewPorts moved Apache from {ports} to {moved}")
    check(answers_as(base, name), "ReverseDetection.php on the new port")
    check_state_shown(inst, base, moved, moved, 1)
    check_diagnosis_shown(inst, base)

    check(inst.driver("stop-service").returncode == 0 and not inst.apache()
          and not listening(moved[0]) and not listening(moved[1]),
          "StopService ends Apache and frees its ports")
    check(stranger.poll() is None, "a httpd.exe started elsewhere survives")
    check_service_run(inst, base, moved)

    # pskill on its own, as the exit and the start clean-up run it.
    inst.driver("start-web-server")
    check(wait_for(lambda: listening(moved[0])), "Apache started again")
    code, _ = inst.system("pskill httpd.exe")
    check(code == 0 and wait_for(lambda: not inst.apache()) and
          wait_for(lambda: not listening(moved[0])),
          "pskill httpd.exe ends this installation's web server")
    check(stranger.poll() is None, "and not the httpd.exe started elsewhere")


def check_service_run(inst, base, ports):
    """StartService, the monitor finding the server reachable under the
    public address 127.0.0.1, and StopService during its minute's rest."""
    reach = inst.path("website/pc2/database/rc.txt")
    os.remove(reach)
    log = inst.path("tools.log")
    inst.env["BRAMO_TOOL_LOG"] = log
    started = time.time()
    run = subprocess.Popen([inst.program, inst.folder, "run-service", "3000"],
                           env=inst.env, stdin=subprocess.DEVNULL,
                           stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    check(wait_for(lambda: os.path.exists(reach)) and
          open(reach).read() == "0", "the monitor writes rc.txt 0")
    _, page = Browser().get(f"{base}/pc2/")
    check(cell(page, "reachability") == "可以从外网访问",
          "the home page shows the monitor's finding")
    output = run.communicate(timeout=60)[0].decode("utf-8", "replace")
    took = time.time() - started
    del inst.env["BRAMO_TOOL_LOG"]
    # Start 1.4 s, 3 s running, stop 1.2 s; the pass's rest is 6 s.
    check(run.returncode == 0 and took < 7.5,
          f"StopService ends the monitor during its rest ({took:.1f} s)")
    last = (output.splitlines() or [""])[-1]
    check("Bramo停止提供网络服务!" in last,
          f"the stopped tooltip is the last: {last}")
    with open(log) as f:
        runs = [line.split()[1:] for line in f]
    keepalive = [r for r in runs if r[0] == "pulvo.exe"]
    check(keepalive == [["pulvo.exe", REGISTRATION_URL]],
          f"pulvo.exe started once with the registration URL {keepalive}")
    check(not inst.apache() and not listening(ports[0]) and
          not listening(ports[1]), "and the web server is gone")


def check_firewall_rules(inst):
    for _ in range(2):
        inst.driver("add-firewall-rules")
    time.sleep(0.5)  # the adds run detached
    rules = inst.rules()
    check(sorted(r["dir"] for r in rules) == ["in", "out"] and
          all(r["name"] == RULE and
              r["program"] == inst.windows + "apache\\bin\\httpd.exe"
              for r in rules),
          f"AddFirewallRules twice leaves one rule each way: {rules}")


def inside(folder):
    inst = Install(folder)
    check_netsh_and_net(inst)
    check_pulvo_and_upnpc(inst)
    # A program of the same name, started from another folder.
    elsewhere = tempfile.mkdtemp(prefix="bramo-elsewhere-")
    try:
        shutil.copy("/bin/sleep", os.path.join(elsewhere, "httpd.exe"))
        stranger = subprocess.Popen([os.path.join(elsewhere, "httpd.exe"),
                                     "600"], cwd=elsewhere)
        try:
            check_web_server(inst, stranger)
        finally:
            stranger.kill()
            stranger.wait(10)
    finally:
        shutil.rmtree(elsewhere, ignore_errors=True)
    check_firewall_rules(inst)
    finish()


if __name__ == "__main__":
    if len(sys.argv) == 5 and sys.argv[3] == INSIDE:
        inside(sys.argv[4])
    else:
        outside()
