"""Black-box harness: starts the real programs under Wine inside the virtual
desktop (Xvfb), acts on them as a user would and reads back what they show and
write. The run script provides DISPLAY, WINEPREFIX and the Wine variables."""

import argparse
import os
import select
import shutil
import subprocess
import sys
import time
import unittest

WINELOADER = os.environ.get("WINELOADER", "/usr/lib/wine/wine64")
# The 32-bit loader (Debian's wine32:i386), there where the machine runs 32-bit code.
WINELOADER32 = os.environ.get("WINELOADER32", "/usr/lib/wine/wine")
SCREEN_W, SCREEN_H = 1024, 768
TASKBAR_TOP = SCREEN_H - 20   # the virtual desktop's taskbar: 20 pixels at the bottom

ARGS = None
# Window titles, the launch error's caption and the package names carry the
# product's version, which the build passes in (--version).
RESIDENT_TITLE = TOOL_TITLE = LAUNCH_CAPTION = WIN64_ZIP = WIN32_ZIP = None


def parse_args():
    global ARGS, RESIDENT_TITLE, TOOL_TITLE, LAUNCH_CAPTION, WIN64_ZIP, WIN32_ZIP
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin", required=True)
    parser.add_argument("--probe", required=True)
    parser.add_argument("--recorder", required=True)
    parser.add_argument("--artifacts", required=True)
    parser.add_argument("--release", action="store_true",
                        help="test the programs of the 32-bit package instead of the 64-bit one")
    parser.add_argument("--version", required=True, help="the product's version, as the build names it")
    parser.add_argument("--lang", help="Unix locale (LC_ALL, LANG) for the programs the tests start, "
                                       "e.g. en_US.UTF-8 for code page 1252; the probe keeps the run's")
    ARGS, rest = parser.parse_known_args()
    RESIDENT_TITLE = "TavroCore Ver" + ARGS.version
    TOOL_TITLE = "Tavro.Exe Ver " + ARGS.version
    LAUNCH_CAPTION = "Tavro " + ARGS.version
    WIN64_ZIP = "Tavro-%s-win64.zip" % ARGS.version
    WIN32_ZIP = "Tavro-%s-win32.zip" % ARGS.version
    os.makedirs(ARGS.artifacts, exist_ok=True)
    ARGS.build_bin = ARGS.bin
    ARGS.bin = unpack_package()
    return [sys.argv[0]] + rest


def unpack_package():
    """The package under test unpacked afresh as a user would; its Tavro folder
    then stands for --bin, so every test starts the shipped programs. Each
    script unpacks into a folder of its own."""
    package = tested_zip()
    machine = I386 if ARGS.release else AMD64
    if not os.path.isfile(package):
        fatal("%s is missing: run scripts/build.sh" % package)
    # A package older than this build's programs would test code that has changed since.
    built = os.path.join(ARGS.build_bin, "Tavro.exe")
    if os.path.isfile(built) and os.path.getmtime(package) < os.path.getmtime(built):
        fatal("%s is older than %s: run scripts/build.sh to pack the programs anew" % (package, built))
    # The artifacts folder is the script's own: parallel runs never share it.
    dest = os.path.join(ARGS.artifacts, "package")
    shutil.rmtree(dest, ignore_errors=True)
    unpack(package, dest)
    folder = os.path.join(dest, "Tavro")
    for name in ("Tavro.exe", "TavroCore.Exe"):
        with open(os.path.join(folder, name), "rb") as f:
            if pe_machine(f.read()) != machine:
                fatal("%s of %s is no %s program" % (name, package, MACHINE_NAMES[machine]))
    print("programs under test: %s, unpacked into %s" % (package, folder))
    return folder


def fatal(text):
    print("FATAL: " + text)
    sys.exit(2)


def run_tests():
    argv = parse_args()
    if not os.environ.get("WINEPREFIX") or not os.environ.get("DISPLAY"):
        print("FATAL: run through scripts/test.sh (WINEPREFIX and DISPLAY missing)")
        sys.exit(2)
    ensure_desktop()
    unittest.main(argv=argv, verbosity=2)


def ensure_desktop():
    """The virtual desktop and its taskbar, up before any test looks at the tray.
    Without them no tray test means anything: the run fails."""
    if not find_windows(cls="Shell_TrayWnd", visible=True):
        log = open(os.path.join(ARGS.artifacts, "desktop.log"), "ab")
        subprocess.Popen([WINELOADER, "explorer", "/desktop=shell,%dx%d" % (SCREEN_W, SCREEN_H)],
                         stdout=log, stderr=log, stdin=subprocess.DEVNULL)
        if not wait_until(lambda: find_windows(cls="Shell_TrayWnd", visible=True), 30):
            print("FATAL: the virtual desktop's taskbar did not come up: no tray to test")
            sys.exit(2)
    time.sleep(1)


# ---- paths -------------------------------------------------------------

def prefix_drive_c():
    return os.path.join(os.environ["WINEPREFIX"], "drive_c")


def to_windows(unix_path):
    """The prefix's drive_c is drive C:; the rest of the Unix tree is drive Z:."""
    path = os.path.abspath(unix_path)
    drive_c = os.path.abspath(prefix_drive_c())
    if path == drive_c or path.startswith(drive_c + "/"):
        return "C:" + (path[len(drive_c):] or "/").replace("/", "\\")
    return "Z:" + path.replace("/", "\\")


def to_unix(windows_path):
    path = windows_path.replace("\\", "/")
    drive = path[0].lower()
    rest = path[2:]
    if drive == "z":
        return rest
    return os.path.join(os.environ["WINEPREFIX"], "dosdevices", drive + ":") + rest


def install_tool(name):
    """A fresh copy of the shipped folder on drive C:, as a user would unpack it."""
    folder = os.path.join(prefix_drive_c(), name)
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    for item in ("Tavro.exe", "TavroCore.Exe", "TavroHelp.Html"):
        src = os.path.join(ARGS.bin, item)
        if os.path.exists(src):
            shutil.copy2(src, folder)
    return folder


def associate(ext, program_unix):
    """Makes the shell open files of the extension (".html") with the program."""
    progid = "tavrotest" + ext
    for key, value in ((r"HKLM\Software\Classes\%s" % ext, progid),
                       (r"HKLM\Software\Classes\%s\shell\open\command" % progid,
                        '"%s" "%%1"' % to_windows(program_unix))):
        subprocess.run([WINELOADER, "reg", "add", key, "/ve", "/d", value, "/f"],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


# ---- processes ---------------------------------------------------------

_started = []


class LoaderRefused(RuntimeError):
    pass


def elf_class(path):
    """1 for a 32-bit ELF program, 2 for a 64-bit one, None for anything else."""
    try:
        with open(path, "rb") as f:
            head = f.read(5)
    except OSError:
        return None
    return head[4] if len(head) == 5 and head[:4] == b"\x7fELF" else None


def loader_for(exe_unix):
    """The Wine loader that starts a program as Windows would: the 32-bit one
    for an i386 program, the 64-bit one for the rest (x86_64 programs, Wine's
    own by name). Started through the 64-bit loader, an i386 program gets a
    64-bit starter process beside it that keeps the Unix current folder of the
    start as its own, and so holds that folder open for as long as the program
    runs: a removal of it fails as it never would on Windows. That is refused."""
    machine = None
    if os.path.isfile(exe_unix):
        with open(exe_unix, "rb") as f:
            machine = pe_machine(f.read(65536))
    if machine != I386:
        return WINELOADER
    if elf_class(WINELOADER32) != 1:
        raise LoaderRefused("%s is an i386 program: not started through %s, which is no 32-bit loader"
                            % (exe_unix, WINELOADER32))
    return WINELOADER32


def start(exe_unix, args=(), cwd=None, log_name=None):
    """Starts a Windows program from the Unix side, through the loader of its
    machine type; its output goes to a file, never to our pipes (programs the
    shell opens would inherit and hold them). Residents start from shortcuts
    instead (start_resident), as at logon."""
    loader = loader_for(exe_unix)
    log_name = log_name or os.path.basename(exe_unix)
    log = open(os.path.join(ARGS.artifacts, log_name + ".log"), "ab")
    # Wine takes a process's code page from its locale; what it starts inherits it.
    env = dict(os.environ, LC_ALL=ARGS.lang, LANG=ARGS.lang) if ARGS.lang else None
    proc = subprocess.Popen([loader, exe_unix] + list(args), cwd=cwd or os.path.dirname(exe_unix),
                            stdout=log, stderr=log, stdin=subprocess.DEVNULL, env=env)
    _started.append(proc)
    return proc


class WinProcess:
    """A process the probe started, with the parts of Popen the tests use."""

    def __init__(self, pid):
        self.pid = pid
        self.returncode = None

    def poll(self):
        if self.returncode is None:
            out = _starter().ask(("exitcode", self.pid)).strip()
            if out != "-":
                # A probe that ended lost its handles: the process is taken as ended.
                self.returncode = int(out) if out.isdigit() else -1
        return self.returncode

    def kill(self):
        _starter().ask(("kill", self.pid))


def shell_open(windows_path):
    """Opens a file as a double click in Explorer does (the probe's
    ShellExecuteEx): a shortcut starts its target with its own arguments and
    working folder. The started process, or None when the shell started none."""
    out = _starter().ask(("open", windows_path)).strip()
    if not out.isdigit():
        return None
    proc = WinProcess(int(out))
    _started.append(proc)
    return proc


def start_resident(folder, arguments, workdir=None, link_name="resident"):
    """The folder's TavroCore.Exe started as Windows starts it at logon: a
    shortcut such as the tool writes (in the artifacts folder), opened by the shell."""
    link = os.path.join(ARGS.artifacts, link_name + ".lnk")
    if os.path.exists(link):
        os.remove(link)
    probe("makelink", to_windows(link), to_windows(os.path.join(folder, "TavroCore.Exe")), arguments,
          to_windows(workdir or folder))
    if not os.path.isfile(link):
        raise RuntimeError("the probe wrote no shortcut %s" % link)
    return shell_open(to_windows(link))


def stop_all():
    """Ends what the test started: residents through their own exit command (so
    their icons leave the tray), open message boxes closed, the rest killed."""
    for _ in range(3):
        boxes = message_boxes()
        if not boxes:
            break
        for box, _text in boxes:
            close_box(box)
        time.sleep(0.3)
    for w in find_windows(title=RESIDENT_TITLE):
        probe("command", w.hwnd, 32772)
    wait_until(lambda: all(p.poll() is not None for p in _started), 5)
    for proc in _started:
        if proc.poll() is None:
            proc.kill()
    _started.clear()


class ProbeServer:
    """One e2eprobe process for the whole test ("serve"): a Wine process start
    costs a quarter of a second or more, and the tests ask hundreds of times."""
    END = b"\x04 "

    def __init__(self, lang=None):
        self.proc = None
        self.pending = b""
        self.lang = lang

    def ask(self, args, timeout=60.0):
        texts = [str(a) for a in args]
        if any("\t" in t or "\n" in t for t in texts):
            raise ValueError("a probe argument holds a tab or a line break: %r" % (texts,))
        if self.proc is None or self.proc.poll() is not None:
            env = dict(os.environ, LC_ALL=self.lang, LANG=self.lang) if self.lang else None
            self.proc = subprocess.Popen([WINELOADER, ARGS.probe, "serve"], stdin=subprocess.PIPE,
                                         stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, env=env)
            self.pending = b""
        self.proc.stdin.write("\t".join(texts).encode("utf-8") + b"\n")
        self.proc.stdin.flush()
        return self.answer(time.time() + timeout)

    def answer(self, deadline):
        """The command's output, up to the end line the probe writes after it."""
        fd = self.proc.stdout.fileno()
        while True:
            end = self.pending.find(self.END)
            if end >= 0 and self.pending.find(b"\n", end) >= 0:
                out = self.pending[:end]
                self.pending = self.pending[self.pending.find(b"\n", end) + 1:]
                return out.replace(b"\r\n", b"\n").decode("utf-8", "replace")
            ready, _, _ = select.select([fd], [], [], max(0.0, deadline - time.time()))
            chunk = os.read(fd, 65536) if ready else b""
            if not chunk:
                self.proc.kill()
                self.proc = None
                raise RuntimeError("the probe did not answer" if not ready else "the probe ended")
            self.pending += chunk


_probe_server = ProbeServer()


_starter_server = None


def _starter():
    """The probe that starts programs (shell_open): under another language
    setting (--lang) one of its own in that locale, since Wine gives a process
    the code page of the process that starts it; the probe that reads windows
    and shortcuts keeps the run's."""
    global _starter_server
    _starter_server = _starter_server or (ProbeServer(ARGS.lang) if ARGS.lang else _probe_server)
    return _starter_server


def probe(*args):
    return _probe_server.ask(args)


def wait_until(pred, timeout=15.0, interval=0.25):
    end = time.time() + timeout
    while True:
        value = pred()
        if value:
            return value
        if time.time() > end:
            return value
        time.sleep(interval)


def winpid_alive(proc):
    return proc.poll() is None


# ---- windows -----------------------------------------------------------

class Window:
    def __init__(self, line):
        head, _, title = line.partition(" | ")
        parts = head.split()
        self.hwnd = int(parts[0])
        self.pid = int(parts[1])
        self.visible = parts[2] == "1"
        self.x, self.y, self.w, self.h = (int(v) for v in parts[3:7])
        self.cls = parts[7]
        self.title = title

    def __repr__(self):
        return "<%s %r %d,%d %dx%d vis=%s>" % (self.cls, self.title, self.x, self.y, self.w, self.h,
                                               self.visible)


class Control:
    def __init__(self, line):
        head, _, text = line.partition(" | ")
        parts = head.split()
        self.hwnd = int(parts[0])
        self.id = int(parts[1])
        self.visible = parts[2] == "1"
        self.enabled = parts[3] == "1"
        self.checked = int(parts[4])
        self.cls = parts[5]
        self.text = text

    def __repr__(self):
        return "<%d %s %r vis=%s en=%s>" % (self.id, self.cls, self.text, self.visible, self.enabled)


def windows():
    # A window that goes while the probe lists it can lose its class name on
    # the way: such a line has fewer fields, and that window is gone anyway.
    return [Window(l) for l in probe("windows").splitlines()
            if " | " in l and len(l.partition(" | ")[0].split()) >= 8]


def children(hwnd):
    return [Control(l) for l in probe("children", hwnd).splitlines()
            if " | " in l and len(l.partition(" | ")[0].split()) >= 6]


def control(hwnd, control_id):
    for c in children(hwnd):
        if c.id == control_id:
            return c
    return None


def find_windows(title=None, cls=None, visible=None, contains=None):
    found = []
    for w in windows():
        if title is not None and w.title != title:
            continue
        if contains is not None and contains not in w.title:
            continue
        if cls is not None and w.cls != cls:
            continue
        if visible is not None and w.visible != visible:
            continue
        found.append(w)
    return found


def wait_window(timeout=15.0, **criteria):
    found = wait_until(lambda: find_windows(**criteria), timeout)
    return found[0] if found else None


def message_boxes(caption=None):
    """Visible message boxes as (window, text): a dialog whose static 65535 holds the text."""
    boxes = []
    for w in find_windows(cls="#32770", visible=True):
        if caption is not None and w.title != caption:
            continue
        kids = children(w.hwnd)
        texts = [c.text for c in kids if c.cls.lower() == "static" and c.id == 65535 and c.text]
        buttons = [c for c in kids if c.cls.lower() == "button"]
        if texts and buttons and len(kids) <= 6:
            boxes.append((w, texts[-1].replace("~", "\n")))
    return boxes


def wait_message_box(caption=None, timeout=15.0):
    found = wait_until(lambda: message_boxes(caption), timeout)
    if not found:
        # A box comes within a second even beside three other tests: what was
        # on the screen instead goes into the test's output.
        screenshot("missed_box")
        print("no box %r after %.0f s; visible windows: %r" % (caption, timeout, find_windows(visible=True)),
              file=sys.stderr)
    return found[0] if found else (None, None)


def click_control(hwnd, control_id):
    probe("click", hwnd, control_id)


def close_box(box_window):
    """Presses the box's OK (or Yes, or the first) button."""
    kids = [c for c in children(box_window.hwnd) if c.cls.lower() == "button"]
    ids = [c.id for c in kids]
    for wanted in (1, 6, 2):
        if wanted in ids:
            click_control(box_window.hwnd, wanted)
            return
    if kids:
        click_control(box_window.hwnd, kids[0].id)


# ---- screen and mouse --------------------------------------------------

def screenshot(name):
    path = os.path.join(ARGS.artifacts, name + ".png")
    subprocess.run(["import", "-window", "root", path], check=False, stderr=subprocess.DEVNULL)
    return path


def grab_rgb(x, y, w, h):
    raw = subprocess.run(["import", "-window", "root", "-crop", "%dx%d+%d+%d" % (w, h, x, y),
                          "-depth", "8", "rgb:-"], stdout=subprocess.PIPE,
                         stderr=subprocess.DEVNULL).stdout
    return raw


def tray_changes(before, after, w):
    """Columns of the taskbar strip whose pixels changed between two grabs."""
    cols = set()
    for i in range(0, min(len(before), len(after)), 3):
        if before[i:i + 3] != after[i:i + 3]:
            cols.add((i // 3) % w)
    return sorted(cols)


def new_icon_columns(before, after, w):
    """Changed columns that now show something other than the taskbar's
    background: a new icon, not the gap an icon of an ended process left."""
    counts = {}
    for i in range(0, len(after), 3):
        px = after[i:i + 3]
        counts[px] = counts.get(px, 0) + 1
    background = max(counts, key=counts.get) if counts else b""
    cols = set()
    for i in range(0, min(len(before), len(after)), 3):
        if before[i:i + 3] != after[i:i + 3] and after[i:i + 3] != background:
            cols.add((i // 3) % w)
    return sorted(cols)


def xdotool(*args):
    subprocess.run(["xdotool"] + [str(a) for a in args], check=False)


def mouse_click(x, y, button=1, double=False):
    xdotool("mousemove", x, y)
    time.sleep(0.2)
    if double:
        xdotool("click", "--repeat", 2, "--delay", 80, button)
    else:
        xdotool("mousedown", button)
        time.sleep(0.15)
        xdotool("mouseup", button)


def mouse_move_away():
    xdotool("mousemove", 500, 300)


def column_runs(grab, width, background):
    """(left, right) runs of the columns of an RGB grab `width` pixels wide in
    which any pixel differs from `background`."""
    rows = len(grab) // 3 // width
    busy = [False] * width
    for r in range(rows):
        base = r * width * 3
        for c in range(width):
            i = base + c * 3
            if grab[i:i + 3] != background:
                busy[c] = True
    runs, start = [], None
    for c in range(width + 1):
        on = c < width and busy[c]
        if on and start is None:
            start = c
        elif not on and start is not None:
            runs.append((start, c - 1))
            start = None
    return runs


class TrayWatcher:
    """Finds a new tray icon by comparing the taskbar before and after it appears."""
    STRIP_X = 880   # the notification area at the right end of the taskbar
    STRIP_W = SCREEN_W - STRIP_X

    def __init__(self):
        mouse_move_away()
        time.sleep(0.3)
        self.before = self.grab()

    def grab(self):
        return grab_rgb(self.STRIP_X, TASKBAR_TOP + 2, self.STRIP_W, SCREEN_H - TASKBAR_TOP - 4)

    def icons(self, grab):
        """(left, right) column runs of the notification area that show icons:
        anything that differs from the taskbar's own colour at the strip's left end."""
        return column_runs(grab, self.STRIP_W, grab[0:3])

    def wait_new_icon(self, timeout=15.0):
        """Screen x, y of the middle of the icon added since construction, or None.
        The notification area puts a new icon left of those already there."""
        count = len(self.icons(self.before))
        runs = wait_until(lambda: (lambda r: r if len(r) > count else None)(self.icons(self.grab())),
                          timeout, 0.5)
        if not runs:
            return None
        time.sleep(0.5)
        left, right = self.icons(self.grab())[0]
        return (self.STRIP_X + (left + right) // 2, TASKBAR_TOP + (SCREEN_H - TASKBAR_TOP) // 2)

    def icon_count(self):
        return len(self.icons(self.grab()))


def popup_menu_open():
    return bool(find_windows(cls="#32768", visible=True))


def click_menu_item(which):
    """Clicks the first or the last item of the open popup menu, as a user would."""
    menus = find_windows(cls="#32768", visible=True)
    if not menus:
        return False
    m = menus[0]
    y = m.y + 10 if which == "first" else m.y + m.h - 10
    mouse_click(m.x + m.w // 2, y)
    return True


def read_link(windows_or_unix_path):
    path = windows_or_unix_path
    if path.startswith("/"):
        path = to_windows(path)
    props = {}
    for line in probe("readlink", path).splitlines():
        key, _, value = line.partition("=")
        props[key] = value
    return props


def startup_folder_unix():
    return to_unix(probe("startup").strip())


# ---- release package ---------------------------------------------------

I386, AMD64 = 0x14C, 0x8664
MACHINE_NAMES = {I386: "i386", AMD64: "x86_64"}


def dist_zips():
    """(64-bit package, 32-bit package) as scripts/build.sh packs them into
    <build>/dist (--bin is <build>/x86_64/bin). TAVRO_DIST_DIR names another
    folder for them."""
    build = os.path.dirname(os.path.dirname(os.path.abspath(ARGS.build_bin)))
    dist = os.environ.get("TAVRO_DIST_DIR") or os.path.join(build, "dist")
    return os.path.join(dist, WIN64_ZIP), os.path.join(dist, WIN32_ZIP)


def tested_zip():
    """The package whose programs this run starts: the 32-bit one with
    --release, else the 64-bit one."""
    win64, win32 = dist_zips()
    return win32 if ARGS.release else win64


def pe_machine(data):
    """The machine field of a PE image: 0x14c for i386, 0x8664 for x86_64; None if not PE."""
    if len(data) < 0x40 or data[:2] != b"MZ":
        return None
    offset = int.from_bytes(data[0x3C:0x40], "little")
    if data[offset:offset + 4] != b"PE\0\0":
        return None
    return int.from_bytes(data[offset + 4:offset + 6], "little")


def unpack(zip_path, dest_unix):
    """Unpacks a zip as Windows' own "extract all" does: folders and files, nothing else."""
    import zipfile
    with zipfile.ZipFile(zip_path) as z:
        z.extractall(dest_unix)
