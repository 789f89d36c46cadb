"""Helpers of the black-box soak tests, on top of the end-to-end harness in
tests/e2e: the whole taskbar of the virtual desktop read as icon slots, the
residents' owner windows, and settings files written byte for byte."""

import os
import shutil
import sys
import time
import warnings

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
import harness as h  # noqa: E402

# The harness keeps each started program's log file open for the program's life.
# (unittest resets the warning filters unless warning options are given.)
warnings.simplefilter("ignore", ResourceWarning)
sys.warnoptions.append("ignore::ResourceWarning")

WM_TRAYNOTIFY = 0x464
WM_LBUTTONDBLCLK = 0x203
WM_RBUTTONDOWN = 0x204
ID_QUIT = 32772
# Wine's notification area: one row in the taskbar, 20 pixels per icon,
# filled from the right edge; the newest icon is the leftmost.
ICON_PITCH = 20


def grab_taskbar():
    """The taskbar's pixels, without its top and bottom border rows."""
    return h.grab_rgb(0, h.TASKBAR_TOP + 2, h.SCREEN_W, h.SCREEN_H - h.TASKBAR_TOP - 4)


def busy_runs(grab, width=h.SCREEN_W):
    """(left, right) column runs that differ from the taskbar's own colour,
    the colour most of the strip shows."""
    counts = {}
    for i in range(0, len(grab), 3):
        px = grab[i:i + 3]
        counts[px] = counts.get(px, 0) + 1
    if not counts:
        return []
    background = max(counts, key=counts.get)
    return h.column_runs(grab, width, background)


class Taskbar:
    """The taskbar as the user sees it: the Start button at the left, then
    the icons of the notification area. No window of the tests has a task
    button (the residents hide their owner windows)."""

    def __init__(self):
        h.mouse_move_away()
        runs = busy_runs(grab_taskbar())
        # The Start button starts at the left edge; an icon partly covered by it merges with it.
        self.start_right = runs[0][1] if runs and runs[0][0] <= 2 else 0
        self.icons = [r for r in runs if r[0] > self.start_right and r[1] - r[0] >= ICON_PITCH // 2]

    def count(self):
        return len(self.icons)

    def capacity(self):
        """Whole icon slots between the Start button and the right edge."""
        return (h.SCREEN_W - self.start_right - 1) // ICON_PITCH

    def centre(self, run):
        return ((run[0] + run[1]) // 2, h.TASKBAR_TOP + (h.SCREEN_H - h.TASKBAR_TOP) // 2)


def wait_icon_count(wanted, timeout=20.0):
    """The taskbar once it shows `wanted` icons (or the last one seen)."""
    seen = [None]

    def check():
        seen[0] = Taskbar()
        return seen[0].count() == wanted
    h.wait_until(check, timeout, 0.3)
    return seen[0]


def resident_windows():
    return h.find_windows(title=h.RESIDENT_TITLE)


def install(name):
    """A fresh tool folder with a program that has an icon of its own."""
    folder = h.install_tool(name)
    apps = os.path.join(folder, "apps")
    os.makedirs(apps)
    program = os.path.join(apps, "app.exe")
    shutil.copy2(h.ARGS.recorder, program)
    return folder, program


def write_settings(folder, entry, data):
    """Writes bytes as an entry's settings file; returns its Unix path."""
    path = os.path.join(folder, entry, "tavro.ini")
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)
    return path


def start_resident(folder, ini_unix, link_name):
    return h.start_resident(folder, "/INI=" + h.to_windows(ini_unix), link_name=link_name)


def open_menus():
    return h.find_windows(cls="#32768", visible=True)


def settle():
    time.sleep(0.3)
