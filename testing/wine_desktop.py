"""Wine's desktop for the tests of the Windows build in real windows:
Xvfb, Wine's desktop with its taskbar and notification area, in a prefix
of the test's own, Wine in the zh_CN.UTF-8 locale (ANSI code page 936, as
on the users' machines).  The windows' texts are read back as UTF-8
(window_texts), the open popup menu's items through menu_probe, and
xdotool moves, clicks and types."""
import os
import shutil
import subprocess
import time

from end_to_end import check, skip

DESKTOP = "shell"  # the name with which Wine's desktop shows its taskbar
SIZE = (1024, 768)
SOURCE = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def locale_env(work):
    """LANG=zh_CN.UTF-8, from the system or generated into the work
    folder (LOCPATH) when the system lacks it."""
    env = {"LANG": "zh_CN.UTF-8", "LC_ALL": "zh_CN.UTF-8"}
    have = subprocess.run(["locale", "-a"], capture_output=True, text=True)
    if "zh_cn.utf8" in have.stdout.lower().split():
        return env
    path = os.path.join(work, "locale")
    if not os.path.isdir(os.path.join(path, "zh_CN.UTF-8")):
        os.makedirs(path, exist_ok=True)
        if subprocess.run(["localedef", "-i", "zh_CN", "-f", "UTF-8",
                           os.path.join(path, "zh_CN.UTF-8")]).returncode > 1:
            skip("the zh_CN.UTF-8 locale could not be generated")
    return dict(env, LOCPATH=path)


class Desktop:
    """Xvfb and Wine's desktop with its taskbar, in a prefix of our own."""

    def __init__(self, loader, arch, work, texts, probe):
        """`texts`: window_texts.exe; `probe`: menu_probe.dll, copied into
        the work folder, which keeps the prefix and the screenshots."""
        self.loader, self.arch, self.work, self.texts = loader, arch, work, texts
        os.makedirs(work, exist_ok=True)
        self.probe = os.path.join(work, "menu_probe.dll")
        shutil.copy(probe, self.probe)
        self.prefix = os.path.join(work, "prefix")
        self.env = dict(os.environ, WINEPREFIX=self.prefix, WINEDEBUG="-all",
                        WINEDLLOVERRIDES="mscoree,mshtml=", **locale_env(work))
        self.env.pop("DISPLAY", None)
        fresh = not os.path.exists(os.path.join(self.prefix, "system.reg"))
        if fresh:
            subprocess.run([os.path.join(SOURCE, "cmake", "wine_prefix.sh"),
                            loader, self.prefix, arch], env=self.env,
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
            [loader, "explorer", f"/desktop={DESKTOP},{SIZE[0]}x{SIZE[1]}"],
            env=self.env, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL)

    def wine(self, *args, cwd=None, timeout=60):
        return subprocess.run([self.loader, *args], env=self.env, cwd=cwd,
                              capture_output=True, timeout=timeout).stdout

    def windows(self):
        """window_texts' lines, as UTF-8 text; none when it hangs (seen
        here once, when started just as update.exe starts)."""
        try:
            out = self.wine(self.texts, timeout=10)
        except subprocess.TimeoutExpired:
            return []
        return out.decode("utf-8", "replace").splitlines()

    def menu(self):
        """The open menu's items and where each is on the screen."""
        out = self.wine(self.texts, "menu",
                        "Z:" + self.probe.replace("/", "\\"))
        items = []
        for line in out.decode("utf-8", "replace").splitlines():
            item, _, place = line.partition("\t")
            items.append((item, [int(v) for v in place.split(",") if v]))
        return items

    def click(self, rect, button="1"):
        x, y, w, h = rect
        self.xdotool("mousemove", str(x + w // 2), str(y + h // 2))
        time.sleep(0.2)
        self.xdotool("click", button)

    def xdotool(self, *args):
        subprocess.run(["xdotool", *args], env=self.env, check=True)

    def screenshot(self, name):
        subprocess.run(["import", "-window", "root",
                        os.path.join(self.work, name)], env=self.env, check=True)

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


def unquote(text):
    out, escaped = "", False
    for c in text[1:-1]:
        if escaped:
            out += "\n" if c == "n" else c
            escaped = False
        elif c == "\\":
            escaped = True
        else:
            out += c
    return out


def top_windows(lines):
    """window_texts' lines as windows: class, place, text and the children
    (id, class, place, check, text)."""
    found = []
    for line in lines:
        if line.startswith("window "):
            _, _, cls, rect, text = line.split(" ", 4)
            found.append({"class": cls, "rect": [int(v) for v in rect.split(",")],
                          "text": unquote(text), "children": []})
        elif line.startswith("child ") and found:
            _, _, cid, cls, rect, rest = line.split(" ", 5)
            # The mark "[ ]" holds a space of its own.
            mark, text = (("[ ]", rest[4:]) if rest.startswith("[ ] ")
                          else rest.split(" ", 1))
            found[-1]["children"].append({
                "id": int(cid), "class": cls, "check": mark,
                "rect": [int(v) for v in rect.split(",")],
                "text": unquote(text)})
    return found


def dialog(lines, caption=None, child_text=None):
    """The first dialog window with that caption, or with a child of that
    text; None when there is none."""
    for window in top_windows(lines or []):
        if window["class"] != "#32770":
            continue
        if caption is not None and window["text"] == caption:
            return window
        if child_text is not None and any(
                c["text"] == child_text for c in window["children"]):
            return window
    return None


def control(window, cid):
    return next((c for c in window["children"] if c["id"] == cid), None)


def red_share(desktop, shot, rect):
    """The share of clearly red pixels in a place of a screenshot: the
    error icon is a red disc, the warning and information icons are not."""
    x, y, w, h = rect
    out = subprocess.run(
        ["convert", os.path.join(desktop.work, shot), "-crop",
         f"{w}x{h}+{x}+{y}",
         "-depth", "8", "txt:-"], capture_output=True, text=True).stdout
    pixels = red = 0
    for line in out.splitlines()[1:]:
        rgb = line.split("(", 1)[1].split(")", 1)[0].split(",")[:3]
        r, g, b = (float(v) for v in rgb)
        pixels += 1
        red += r > 180 and g < 120 and b < 120
    return red / pixels if pixels else 0.0


def tooltips(lines):
    return [line.split(" ", 4)[4] for line in lines
            if line.startswith("window ") and " tooltips_class32 " in line]


def colours(desktop, shot):
    """How many colours the icon's place has in a screenshot."""
    x, y = SIZE[0] - 19, SIZE[1] - 18
    out = subprocess.run(["convert", os.path.join(desktop.work, shot), "-crop",
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


def open_menu(desktop):
    """A right click on the tray icon; the menu's items as read back."""
    for _ in range(3):
        hover_tray(desktop)
        desktop.xdotool("click", "3")
        time.sleep(0.5)
        items = desktop.menu()
        if items:
            return items
    return []


def choose(desktop, label):
    """The tray menu's item `label`, clicked; False when it is not there."""
    for item, place in open_menu(desktop):
        if item.split(" ", 1)[-1] == label and place:
            desktop.click(place)
            return True
    return False


def open_port_settings(desktop):
    """The tray menu's 个人云配置, clicked; the port settings dialog it
    opens (None when it does not), each step checked."""
    check(choose(desktop, "个人云配置"), "the menu item 个人云配置 was clicked")
    lines = desktop.wait_for("the port settings", lambda ls: dialog(
        ls, caption="Bramo设置"), 15)
    window = dialog(lines, caption="Bramo设置")
    check(window is not None, "the port settings dialog opens as Bramo设置")
    return window
