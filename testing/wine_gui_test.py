#!/usr/bin/env python3
# The controller as its users meet it, in real windows under Wine: Sablo.exe
# from a Windows-layout install folder, on a virtual X server, in a Wine
# desktop with a taskbar and notification area, Wine in the zh_CN.UTF-8
# locale (ANSI code page 936, as on the users' machines).  The texts are
# read back from the windows as UTF-8 (window_texts, menu_probe), so a
# tooltip shown in another code page (GBK read as Latin-1) fails.
#   wine_gui_test.py <loader> <win32|win64> <Sablo.exe> <window_texts.exe>
#                    <menu_probe.dll> <work folder>
# The work folder keeps the Wine prefix (made by the first run) and the
# screenshots (tooltip.png, menu.png).
import os
import shutil
import subprocess
import sys
import time

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from end_to_end import check, finish, require, skip  # noqa: E402

LOADER, ARCH, SABLO, TEXTS, PROBE, WORK = sys.argv[1:7]
SOURCE = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DESKTOP = "shell"  # the name with which Wine's desktop shows its taskbar
SIZE = (1024, 768)
TIP_STOPPED = "Bramo未运行!"
MENU_STOPPED = ["32778 打开主页", "-", "32779 个人云配置", "32780 登录系统启动",
                "32781 自动运行", "-", "32782 启动个人云服务", "32783 关于", "-",
                "32784 退出"]
require("Xvfb", "xdotool", "import", "localedef", LOADER)
if ARCH == "win64":
    print("the 64-bit build stands in for the 32-bit one (this machine runs "
          "no 32-bit programs, or BRAMO_WINE_WIDTH=64 says so)")


def locale_env():
    """LANG=zh_CN.UTF-8, from the system or generated into the work
    folder (LOCPATH) when the system lacks it."""
    env = {"LANG": "zh_CN.UTF-8", "LC_ALL": "zh_CN.UTF-8"}
    have = subprocess.run(["locale", "-a"], capture_output=True, text=True)
    if "zh_cn.utf8" in have.stdout.lower().split():
        return env
    path = os.path.join(WORK, "locale")
    if not os.path.isdir(os.path.join(path, "zh_CN.UTF-8")):
        os.makedirs(path, exist_ok=True)
        if subprocess.run(["localedef", "-i", "zh_CN", "-f", "UTF-8",
                           os.path.join(path, "zh_CN.UTF-8")]).returncode > 1:
            skip("the zh_CN.UTF-8 locale could not be generated")
    return dict(env, LOCPATH=path)


class Desktop:
    """Xvfb and Wine's desktop with its taskbar, in a prefix of our own."""

    def __init__(self):
        self.prefix = os.path.join(WORK, "prefix")
        self.env = dict(os.environ, WINEPREFIX=self.prefix, WINEDEBUG="-all",
                        WINEDLLOVERRIDES="mscoree,mshtml=", **locale_env())
        self.env.pop("DISPLAY", None)
        fresh = not os.path.exists(os.path.join(self.prefix, "system.reg"))
        if fresh:
            subprocess.run([os.path.join(SOURCE, "cmake", "wine_prefix.sh"),
                            LOADER, self.prefix, ARCH], env=self.env,
                           check=True)
        read, write = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write), "-nolisten", "tcp", "-screen",
             "0", f"{SIZE[0]}x{SIZE[1]}x24"], pass_fds=(write,),
            stderr=subprocess.DEVNULL)
        os.close(write)
        with os.fdopen(read) as f:
            self.env["DISPLAY"] = ":" + f.readline().strip()
        if fresh:
            explorer = r"HKCU\Software\Wine\Explorer"
            self.wine("reg", "add", explorer, "/v", "Desktop", "/d", DESKTOP,
                      "/f")
            self.wine("reg", "add", explorer + r"\Desktops", "/v", DESKTOP,
                      "/d", f"{SIZE[0]}x{SIZE[1]}", "/f")
        self.explorer = subprocess.Popen(
            [LOADER, "explorer", f"/desktop={DESKTOP},{SIZE[0]}x{SIZE[1]}"],
            env=self.env, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL)

    def wine(self, *args, cwd=None):
        return subprocess.run([LOADER, *args], env=self.env, cwd=cwd,
                              capture_output=True, timeout=60).stdout

    def windows(self):
        """window_texts' lines, as UTF-8 text."""
        return self.wine(TEXTS).decode("utf-8", "replace").splitlines()

    def menu(self):
        probe = os.path.join(WORK, "menu_probe.dll")
        out = self.wine(TEXTS, "menu", "Z:" + probe.replace("/", "\\"))
        return out.decode("utf-8", "replace").splitlines()

    def xdotool(self, *args):
        subprocess.run(["xdotool", *args], env=self.env, check=True)

    def screenshot(self, name):
        subprocess.run(["import", "-window", "root",
                        os.path.join(WORK, name)], env=self.env, check=True)

    def wait_for(self, what, predicate, timeout_s=30):
        deadline = time.monotonic() + timeout_s
        while time.monotonic() < deadline:
            lines = self.windows()
            if predicate(lines):
                return lines
            time.sleep(0.5)
        print(f"waited {timeout_s} s for {what}; the windows:\n" +
              "\n".join(lines))
        return None

    def stop(self):
        subprocess.run(["wineserver", "-k"], env=self.env)
        for proc in (self.explorer, self.xvfb):
            if proc.poll() is None:
                proc.terminate()
            proc.wait(10)


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


def tooltips(lines):
    return [line.split(" ", 4)[4] for line in lines
            if line.startswith("window ") and " tooltips_class32 " in line]


def colours(shot):
    """How many colours the icon's place has in a screenshot."""
    x, y = SIZE[0] - 19, SIZE[1] - 18
    out = subprocess.run(["convert", os.path.join(WORK, shot), "-crop",
                          f"16x16+{x}+{y}", "-format", "%k", "info:"],
                         capture_output=True, text=True).stdout
    return int(out or 0)


def hover_tray(desktop):
    """The mouse onto the icon: the notification area's rightmost place."""
    x, y = SIZE[0] - 11, SIZE[1] - 10
    desktop.xdotool("mousemove", str(x - 40), str(y - 60))
    time.sleep(0.3)
    desktop.xdotool("mousemove", str(x), str(y))
    time.sleep(0.2)
    desktop.xdotool("mousemove", str(x + 1), str(y))


os.makedirs(WORK, exist_ok=True)
shutil.copy(PROBE, os.path.join(WORK, "menu_probe.dll"))
folder = os.path.join(WORK, "install")
lay_out(folder)
desktop = Desktop()
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
    items = desktop.menu()
    check(items == MENU_STOPPED, f"the right-click menu: {items}")
    desktop.screenshot("menu.png")
    # The last item, 退出 (exit), clicked near the menu's bottom edge.
    popup = [line.split() for line in desktop.windows()
             if " #32768 " in line]
    if popup:
        x, y, w, h = (int(v) for v in popup[0][3].split(","))
        desktop.xdotool("mousemove", str(x + w // 2), str(y + h - 10))
        time.sleep(0.3)
        desktop.xdotool("click", "1")
    try:
        sablo.wait(30)
    except subprocess.TimeoutExpired:
        print("after the exit command:\n" + "\n".join(desktop.windows()))
    # Not yet checked: seen here, Wine's process lives on past the 30 s.
    print(f"Sablo.exe 30 s after the exit command: "
          f"{'ended, status %s' % sablo.returncode if sablo.poll() is not None else 'still running'}")
    hover_tray(desktop)
    time.sleep(2)
    tips = tooltips(desktop.windows())
    check(f'"{TIP_STOPPED}"' not in tips, f"no tooltip after exit ({tips})")
    desktop.screenshot("after-exit.png")
    check(colours("tooltip.png") > 1 and colours("after-exit.png") == 1,
          "the icon's place in the notification area was drawn, and is "
          "empty after exit")
finally:
    if sablo is not None and sablo.poll() is None:
        sablo.kill()
        sablo.wait()
    desktop.stop()
print(f"screenshots: {WORK}/tooltip.png, {WORK}/menu.png")
finish()
