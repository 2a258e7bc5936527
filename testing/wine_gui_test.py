#!/usr/bin/env python3
# The controller as its users meet it, in real windows under Wine: Sablo.exe
# from a Windows-layout install folder, on a virtual X server, in a Wine
# desktop with a taskbar and notification area, Wine in the zh_CN.UTF-8
# locale (ANSI code page 936, as on the users' machines).  The texts are
# read back from the windows as UTF-8 (window_texts, menu_probe), so a
# tooltip shown in another code page (GBK read as Latin-1) fails.
# Through the tray menu it opens the port settings (values of sablo.ini,
# equal ports refused, Cancel writes nothing) and the About dialog, and
# exits; then update.exe asks its first question for a newer version
# published by a loopback stand-in service, and is answered Cancel; then,
# answered OK, it downloads installers (the setup stand-in, signed here
# with osslsigncode): it runs the one signed with a certificate of the
# vendor's name from a test root this prefix trusts, and refuses, deletes
# and never runs one unsigned, one signed with another name and one of the
# vendor's name from a root nobody trusts.
#   wine_gui_test.py <loader> <win32|win64> <Sablo.exe> <window_texts.exe>
#                    <menu_probe.dll> <update.exe> <update service folder>
#                    <work folder> <setup stand-in> <vendor signer name>
# The work folder keeps the Wine prefix (made by the first run) and the
# screenshots (tooltip.png, menu.png, port_dialog.png, equal_ports.png,
# about.png, update_question.png).
import hashlib
import os
import shutil
import struct
import subprocess
import sys
import time

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from end_to_end import check, finish, require, start_php, stop  # noqa: E402
from wine_desktop import (SIZE, Desktop, choose, colours, control,  # noqa: E402
                          dialog, hover_tray, open_port_settings, red_share,
                          tooltips, top_windows)

LOADER, ARCH, SABLO, TEXTS, PROBE, UPDATE, SERVICE, WORK = sys.argv[1:9]
SETUP, SIGNER = sys.argv[9:11]
TIP_STOPPED = "Bramo未运行!"
MENU_STOPPED = ["32778 打开主页", "-", "32779 个人云配置", "32780 登录系统启动",
                "32781 自动运行", "-", "32782 启动个人云服务", "32783 关于", "-",
                "32784 退出"]
EQUAL_PORTS = ("HTTP 和 HTTPS 的端口不能相通，请重设！\n\n"
               "建议通过自动重启Bramo自动分配新的端口.\n"
               "建议手动设置端口范围为10001~65000.")
ABOUT_LABELS = ["Bramo(SABLO) 软件版 V0.2.0.1", "官方网站：", "技术支持：",
                "最新版本："]
ABOUT_LINKS = {1000: "www.bramo.example", 1001: "support@bramo.example",
               1002: "www.bramo.example/download.html"}
# Exit ends the tools and removes the two router mappings, a second each.
EXIT_BOUND_S = 20
require("Xvfb", "xdotool", "import", "localedef", "php", "openssl",
        "osslsigncode", LOADER)
UPDATE_TITLE = "Bramo更新"
ASK_DOWNLOAD = "有新版本程序，是否下载并安装最新版本"
ASK_INSTALL = "是否安装最新版本"
DOWNLOAD_FAILED = "下载新版本失败，请登录官网下载！"
if ARCH == "win64":
    print("the 64-bit build stands in for the 32-bit one (this machine runs "
          "no 32-bit programs, or BRAMO_WINE_WIDTH=64 says so)")


def lay_out(folder):
    """The Windows layout the controller starts from; the tools it runs
    are missing, so they fail to start and the tray still appears."""
    shutil.rmtree(folder, ignore_errors=True)
    for sub in ("apache/conf", "apache/bin", "php", "website/pc2/database"):
        os.makedirs(os.path.join(folder, sub))
    shutil.copy(SABLO, os.path.join(folder, "Sablo.exe"))
    files = {
        "apache/conf/httpd.conf": "Listen 80  #HTTP#\r\n",
        "php/php.ini": "[PHP]\r\n",
        "sablo.ini": "[url]\r\nurl.1=http://127.0.0.1:9/\r\n[pattern]\r\n"
                     "pattern.type=1\r\n[upnp]\r\nupnp.http.port=10080\r\n"
                     "upnp.https.port=10443\r\n[brix7]\r\nbrix7.autorun=0\r\n"
                     "brix7.startwithwindows=0\r\n",
    }
    for name, text in files.items():
        with open(os.path.join(folder, name), "w", newline="") as f:
            f.write(text)


def check_port_dialog(desktop, folder):
    ini = os.path.join(folder, "sablo.ini")
    with open(ini, "rb") as f:
        before = f.read()
    window = open_port_settings(desktop)
    if window is None:
        return
    shown = {cid: control(window, cid) for cid in (1001, 1002, 1004, 1005)}
    check(all(shown.values()), f"the dialog has the edits 1001/1002 and the "
          f"radio buttons 1004/1005 ({window['children']})")
    if not all(shown.values()):
        return
    check((shown[1001]["text"], shown[1002]["text"]) == ("10080", "10443"),
          f"the edits show sablo.ini's router ports "
          f"({shown[1001]['text']}, {shown[1002]['text']})")
    check((shown[1004]["check"], shown[1005]["check"]) == ("[ ]", "[x]"),
          f"pattern.type=1 shows manual mode checked "
          f"(1004 {shown[1004]['check']}, 1005 {shown[1005]['check']})")
    desktop.screenshot("port_dialog.png")

    # The HTTPS port made equal to the HTTP port, then OK.
    desktop.click(shown[1002]["rect"])
    desktop.xdotool("key", "ctrl+a")
    desktop.xdotool("type", shown[1001]["text"])
    desktop.click(control(window, 1)["rect"])
    lines = desktop.wait_for("the equal-ports message", lambda ls: dialog(
        ls, child_text=EQUAL_PORTS), 10)
    box = dialog(lines, child_text=EQUAL_PORTS)
    texts = [c["text"] for w in top_windows(lines or desktop.windows())
             for c in w["children"] if w["class"] == "#32770" and
             w["text"] != "Bramo设置"]
    check(box is not None, f"equal ports are refused with the message "
          f"({texts})")
    check(dialog(lines, caption="Bramo设置") is not None,
          "the settings dialog stays open behind the message")
    if box is None:
        return
    desktop.screenshot("equal_ports.png")
    icons = [c for c in box["children"] if c["check"] == "icon"]
    share = red_share(desktop, "equal_ports.png", icons[0]["rect"]) if icons else 0.0
    check(share > 0.2, f"the message shows the error icon (red share "
          f"{share:.2f})")
    desktop.click(control(box, 1)["rect"])
    lines = desktop.wait_for("the message to close", lambda ls: dialog(
        ls, child_text=EQUAL_PORTS) is None, 10)
    check(lines is not None and dialog(lines, caption="Bramo设置") is not None,
          "OK closes the message; the settings dialog is still open")
    desktop.click(control(window, 2)["rect"])
    lines = desktop.wait_for("the settings to close", lambda ls: dialog(
        ls, caption="Bramo设置") is None, 10)
    check(lines is not None, "取消 closes the settings dialog")
    with open(ini, "rb") as f:
        check(f.read() == before, "sablo.ini is unchanged after 取消")


def link_text(markup):
    return markup.replace("<a>", "").replace("</a>", "")


def check_about(desktop):
    caption = "关于 Bramo SABLO"
    check(choose(desktop, "关于"), "the menu item 关于 was clicked")
    lines = desktop.wait_for("the About dialog", lambda ls: dialog(
        ls, caption=caption), 15)
    window = dialog(lines, caption=caption)
    check(window is not None, f"the About dialog opens as {caption}")
    if window is None:
        return
    texts = [c["text"] for c in window["children"]]
    check(all(label in texts for label in ABOUT_LABELS),
          f"the About dialog's version line and labels ({texts})")
    links = {cid: control(window, cid) for cid in ABOUT_LINKS}
    shown = {cid: c and (c["class"], link_text(c["text"]))
             for cid, c in links.items()}
    check(shown == {cid: ("SysLink", text)
                    for cid, text in ABOUT_LINKS.items()},
          f"the link controls show their addresses ({shown})")
    desktop.screenshot("about.png")
    desktop.click(control(window, 1)["rect"])
    check(desktop.wait_for("the About dialog to close", lambda ls: dialog(
        ls, caption=caption) is None, 10) is not None, "OK closes About")


class UpdateService:
    """The stand-in update service (PHP's built-in server on a loopback
    port, ended by its process id) and a folder holding update.exe with an
    older installed version than the service publishes."""

    def __init__(self, desktop):
        self.desktop = desktop
        self.root = os.path.join(WORK, "service")
        shutil.rmtree(self.root, ignore_errors=True)
        shutil.copytree(SERVICE, self.root)
        os.makedirs(os.path.join(self.root, "update", "windows"))
        self.folder = os.path.join(WORK, "updater")
        shutil.rmtree(self.folder, ignore_errors=True)
        os.makedirs(self.folder)
        shutil.copy(UPDATE, os.path.join(self.folder, "update.exe"))
        with open(os.path.join(self.folder, "version"), "wb") as f:
            f.write(b"1.0.4\r\n")
        # The first drive's sablo_update: drive C of the prefix.
        self.download = os.path.join(desktop.prefix, "drive_c", "sablo_update")
        self.php = start_php(self.root)

    def url(self, path):
        return f"http://127.0.0.1:{self.php.port}{path}"

    def publish(self, path):
        """Version 1.0.5, with the installer at `path` of the service."""
        with open(os.path.join(self.root, "update", "windows", "index.html"),
                  "wb") as f:
            f.write(f"1.0.5#{self.url(path)}\r\n".encode())

    def start(self, **env):
        shutil.rmtree(self.download, ignore_errors=True)
        return subprocess.Popen(
            [LOADER, os.path.join(self.folder, "update.exe")], cwd=self.folder,
            env=dict(self.desktop.env,
                     BRAMO_UPDATE_HOST=f"127.0.0.1:{self.php.port}", **env),
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)

    def stop(self):
        stop(self.php)


def update_box(desktop, what, text, timeout_s=30):
    """update.exe's box showing `text`; None when it does not come."""
    def shown(lines):
        box = dialog(lines, caption=UPDATE_TITLE)
        return box is not None and any(c["text"] == text
                                       for c in box["children"])
    lines = desktop.wait_for(what, shown, timeout_s)
    return lines and dialog(lines, caption=UPDATE_TITLE)


def answer(desktop, box, cid):
    button = control(box, cid)
    check(button is not None, f"the box offers button {cid}")
    if button is not None:
        desktop.click(button["rect"])


def ended(update, timeout_s=20):
    try:
        out, _ = update.communicate(timeout=timeout_s)
    except subprocess.TimeoutExpired:
        out = b""
    return update.returncode, out


def end(update):
    if update is not None and update.poll() is None:
        update.kill()
        update.wait()


def check_update_question(desktop, service):
    """update.exe with an older installed version than the stand-in
    service publishes: its first question, answered Cancel."""
    service.publish("/files/setup.exe")
    update = service.start()
    try:
        box = update_box(desktop, "the update question", ASK_DOWNLOAD)
        check(box is not None, f"update.exe asks {UPDATE_TITLE}: "
              f"{ASK_DOWNLOAD} ({box and box['children']})")
        if not box:
            return
        desktop.screenshot("update_question.png")
        answer(desktop, box, 2)
        code, out = ended(update)
        check(code == 0, f"Cancel ends update.exe with status 0 "
              f"({code}, {out!r})")
        check(not os.path.exists(service.download),
              "no download folder was made")
    finally:
        end(update)


def openssl(*args):
    subprocess.run(["openssl", *args], cwd=WORK, check=True,
                   capture_output=True)


class Signers:
    """Code-signing certificates made for this run: a test root
    (root.pem) that the prefix is made to trust, the vendor's certificate
    and another name's from it, and one of the vendor's name from a root
    nobody trusts.  Each signer is (certificate chain, key)."""

    def __init__(self):
        self.root = self._root("root", "Bramo Test Root")
        stray_root = self._root("stray-root", "Bramo Stray Root")
        self.vendor = self._leaf("vendor", SIGNER, self.root)
        self.other = self._leaf("other", "Someone Else", self.root)
        self.stray = self._leaf("stray", SIGNER, stray_root)

    @staticmethod
    def _root(name, cn):
        openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                "-keyout", f"{name}.key", "-out", f"{name}.pem",
                "-subj", f"/CN={cn}",
                "-addext", "basicConstraints=critical,CA:TRUE",
                "-addext", "keyUsage=critical,keyCertSign,cRLSign")
        return name

    @staticmethod
    def _leaf(name, cn, root):
        with open(os.path.join(WORK, f"{name}.ext"), "w") as f:
            f.write("basicConstraints=CA:FALSE\n"
                    "keyUsage=critical,digitalSignature\n"
                    "extendedKeyUsage=codeSigning\n")
        openssl("req", "-newkey", "rsa:2048", "-nodes", "-keyout",
                f"{name}.key", "-out", f"{name}.csr", "-subj", f"/CN={cn}")
        openssl("x509", "-req", "-in", f"{name}.csr", "-CA", f"{root}.pem",
                "-CAkey", f"{root}.key", "-set_serial", str(time.time_ns()),
                "-days", "2", "-extfile", f"{name}.ext", "-out",
                f"{name}.pem")
        chain = os.path.join(WORK, f"{name}-chain.pem")
        with open(chain, "wb") as out:
            for part in (name, root):
                with open(os.path.join(WORK, f"{part}.pem"), "rb") as f:
                    out.write(f.read())
        return chain, os.path.join(WORK, f"{name}.key")

    def trust_root(self, desktop):
        """The root into the prefix's machine store of trusted roots, as a
        registry store holds a certificate: under its SHA-1 thumbprint, a
        Blob of (property 32 = the encoded certificate, 1, length)."""
        der = subprocess.run(
            ["openssl", "x509", "-in", os.path.join(WORK, "root.pem"),
             "-outform", "der"], check=True, capture_output=True).stdout
        blob = struct.pack("<III", 32, 1, len(der)) + der
        key = ("HKLM\\Software\\Microsoft\\SystemCertificates\\Root\\"
               "Certificates\\" + hashlib.sha1(der).hexdigest().upper())
        desktop.wine("reg", "add", key, "/v", "Blob", "/t", "REG_BINARY",
                     "/d", blob.hex(), "/f")


def check_update_installers(desktop, service):
    """update.exe answered OK twice: it downloads the installer and runs it
    only when it is signed as the vendor's; any other is deleted, the
    failure box shows and the download page opens."""
    signers = Signers()
    signers.trust_root(desktop)
    record = os.path.join(WORK, "setup-record.txt")
    opened = os.path.join(WORK, "browser-record.txt")
    # Wine's browser: a recorder of the test's own.
    browser = os.path.join(WORK, "browser")
    with open(browser, "w") as f:
        f.write(f"#!{sys.executable}\nimport sys\n"
                f"open({opened!r}, 'a').write(sys.argv[-1] + '\\n')\n")
    os.chmod(browser, 0o755)
    desktop.wine("reg", "add", r"HKCU\Software\Wine\WineBrowser", "/v",
                 "Browsers", "/d", browser, "/f")
    cases = (("vendor", signers.vendor, True),
             ("unsigned", None, False),
             ("other-name", signers.other, False),
             ("untrusted-root", signers.stray, False))
    for name, signer, runs in cases:
        folder = os.path.join(service.root, "files", name)
        os.makedirs(folder)
        target = os.path.join(folder, "setup.exe")
        if signer is None:
            shutil.copy(SETUP, target)
        else:
            chain, key = signer
            subprocess.run(["osslsigncode", "sign", "-certs", chain, "-key",
                            key, "-h", "sha256", "-n", "Bramo", "-in", SETUP,
                            "-out", target], check=True, capture_output=True)
        service.publish(f"/files/{name}/setup.exe")
        for path in (record, opened):
            if os.path.exists(path):
                os.remove(path)
        update = service.start(
            BRAMO_SETUP_RECORD="Z:" + record.replace("/", "\\"))
        try:
            box = update_box(desktop, f"{name}: the first question",
                             ASK_DOWNLOAD)
            check(box is not None, f"{name}: the first question")
            if not box:
                continue
            answer(desktop, box, 1)
            second = ASK_INSTALL if runs else DOWNLOAD_FAILED
            box = update_box(desktop, f"{name}: {second}", second)
            check(box is not None, f"{name}: after the download update.exe "
                  f"shows {second}")
            if not box:
                continue
            answer(desktop, box, 1)
            if runs:
                deadline = time.monotonic() + 30
                while not os.path.exists(record) and time.monotonic() < deadline:
                    time.sleep(0.5)
                ran = open(record).read() if os.path.exists(record) else ""
                check(ran.strip().lower() ==
                      "exe c:\\sablo_update\\setup.exe",
                      f"{name}: the installer ran from C:\\sablo_update "
                      f"({ran!r})")
                continue  # update.exe now waits two hours: ended below
            code, out = ended(update)
            check(code == 0 and b"fail" in out,
                  f"{name}: \"fail\" and status 0 ({code}, {out!r})")
            check(os.path.isdir(service.download) and
                  os.listdir(service.download) == [],
                  f"{name}: the refused installer was deleted "
                  f"({os.listdir(service.download) if os.path.isdir(service.download) else 'no folder'})")
            check(not os.path.exists(record), f"{name}: it never ran")
            deadline = time.monotonic() + 10
            while not os.path.exists(opened) and time.monotonic() < deadline:
                time.sleep(0.2)
            shown = open(opened).read().split() if os.path.exists(opened) else []
            check(shown == [service.url("/download.html")],
                  f"{name}: the download page was opened ({shown})")
        finally:
            end(update)


folder = os.path.join(WORK, "install")
desktop = Desktop(LOADER, ARCH, WORK, TEXTS, PROBE)
lay_out(folder)
sablo = None
try:
    check(desktop.wait_for("the taskbar", lambda ls: any(
        " Shell_TrayWnd " in line for line in ls)) is not None,
        "Wine's desktop shows its taskbar")
    acp = [line for line in desktop.windows() if line.startswith("acp ")]
    check(acp == ["acp 936"], f"Wine runs with ANSI code page 936 ({acp})")
    sablo = subprocess.Popen([LOADER, os.path.join(folder, "Sablo.exe")],
                             cwd=folder, env=desktop.env,
                             stdout=subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL)
    time.sleep(8)  # the start-up's tools fail to start, one by one
    shown = None
    for _ in range(10):
        hover_tray(desktop)
        lines = desktop.wait_for("the tray tooltip", tooltips, 4)
        if lines and f'"{TIP_STOPPED}"' in tooltips(lines):
            shown = lines
            break
    tips = tooltips(lines or [])
    check(shown is not None,
          f"the tray tooltip reads {TIP_STOPPED} ({tips})")
    latin1 = TIP_STOPPED.encode("gbk").decode("latin-1")
    check(not any(latin1 in tip for tip in tips),
          "the tooltip is not GBK read as Latin-1")
    desktop.screenshot("tooltip.png")

    desktop.xdotool("click", "3")
    time.sleep(1)
    items = [item for item, _ in desktop.menu()]
    check(items == MENU_STOPPED, f"the right-click menu: {items}")
    desktop.screenshot("menu.png")
    # A click beside the menu closes it.
    desktop.xdotool("mousemove", str(SIZE[0] // 2), str(SIZE[1] // 2))
    desktop.xdotool("click", "1")
    desktop.wait_for("the menu to close", lambda ls: not any(
        " #32768 " in line for line in ls), 5)

    check_port_dialog(desktop, folder)
    check_about(desktop)
    check(choose(desktop, "退出"), "the menu item 退出 was clicked")
    clicked = time.monotonic()
    try:
        sablo.wait(EXIT_BOUND_S)
    except subprocess.TimeoutExpired:
        print("after the exit command:\n" + "\n".join(desktop.windows()))
    check(sablo.poll() is not None,
          f"Sablo.exe ends within {EXIT_BOUND_S} s of the exit command "
          f"({time.monotonic() - clicked:.1f} s)")
    hover_tray(desktop)
    time.sleep(2)
    tips = tooltips(desktop.windows())
    check(f'"{TIP_STOPPED}"' not in tips, f"no tooltip after exit ({tips})")
    desktop.screenshot("after-exit.png")
    check(colours(desktop, "tooltip.png") > 1 and
          colours(desktop, "after-exit.png") == 1,
          "the icon's place in the notification area was drawn, and is "
          "empty after exit")
    service = UpdateService(desktop)
    try:
        check_update_question(desktop, service)
        check_update_installers(desktop, service)
    finally:
        service.stop()
finally:
    if sablo is not None and sablo.poll() is None:
        sablo.kill()
        sablo.wait()
    desktop.stop()
print(f"screenshots: {WORK}/*.png")
finish()
