"""Takes the documentation's screenshots from a real run: Tavro.exe under Wine in
the virtual desktop (Xvfb), driven with the black-box test harness. Run through
scripts/make_screenshots.sh, which provides the display, the prefix and the
arguments of tests/e2e/harness.py plus --out (the folder for the PNGs), and for a
run at another DPI --suffix (added to every file name) and --no-tray."""

import argparse
import os
import shutil
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "e2e"))

import harness as h                                         # noqa: E402
from test_tool import ToolSession, NEXT, FINISH, wait_page_text   # noqa: E402

OUT = None
SUFFIX = ""


def save(name, x, y, w, h_):
    """Crops the screen to the rectangle (clipped to the screen) and writes a small PNG."""
    x0, y0 = max(0, x), max(0, y)
    x1, y1 = min(h.SCREEN_W, x + w), min(h.SCREEN_H, y + h_)
    raw = h.screenshot("shot_" + name)
    path = os.path.join(OUT, name + SUFFIX + ".png")
    # 256 colours without dithering keep texts sharp and the files small.
    subprocess.run(["convert", raw, "-crop", "%dx%d+%d+%d" % (x1 - x0, y1 - y0, x0, y0), "+repage",
                    "-dither", "None", "-colors", "256", "-define", "png:exclude-chunks=date,time",
                    "-strip", "PNG8:" + path], check=True)
    print("%s: %dx%d, %d bytes" % (path, x1 - x0, y1 - y0, os.path.getsize(path)))


def save_window(name, hwnd):
    """The window as it is now on screen (the probe's list has its current rectangle)."""
    time.sleep(0.6)   # let the page finish painting
    for w in h.windows():
        if w.hwnd == hwnd:
            save(name, w.x, w.y, w.w, w.h)
            return
    raise RuntimeError("window %d is gone" % hwnd)


def file_dialog(exclude):
    for w in h.find_windows(cls="#32770", visible=True):
        ids = {c.id for c in h.children(w.hwnd)} if w.hwnd not in exclude else set()
        if 1148 in ids or 1152 in ids:
            return w, (1148 if 1148 in ids else 1152)
    return None


def wizard_pages(tool, program, dispname, workdir, cmdline):
    tool.press(1015)
    sheet = tool.wizard()
    page, _ = wait_page_text(sheet, 1015)
    # The file is chosen through the real file dialog, as a user does.
    h.click_control(page, 1015)
    dialog, field = h.wait_until(lambda: file_dialog({sheet.hwnd, tool.main.hwnd}), 10)
    h.probe("settext", dialog.hwnd, field, program)
    h.click_control(dialog.hwnd, 1)
    h.wait_until(lambda: h.control(page, 1016).text == program, 10)
    save_window("wizard-1-file", sheet.hwnd)

    h.click_control(sheet.hwnd, NEXT)
    page, _ = wait_page_text(sheet, 1007)
    h.wait_until(lambda: h.control(page, 1007).text, 5)
    h.probe("settext", page, 1007, dispname)
    h.probe("settext", page, 1002, workdir)
    h.probe("settext", page, 1001, cmdline)
    save_window("wizard-2-edit", sheet.hwnd)

    h.click_control(sheet.hwnd, NEXT)
    wait_page_text(sheet, 1021)
    save_window("wizard-3-confirm", sheet.hwnd)

    h.click_control(sheet.hwnd, NEXT)
    wait_page_text(sheet, 1024)
    save_window("wizard-4-done", sheet.hwnd)
    h.click_control(sheet.hwnd, FINISH)
    h.wait_until(lambda: h.probe("iconic", tool.main.hwnd).strip() == "0", 10)


def tray(entry_link):
    """The icon the entry shortcut starts: its tip on hover, then its menu."""
    watcher = h.TrayWatcher()
    h.shell_open(h.to_windows(entry_link))
    pos = watcher.wait_new_icon(20)
    if not pos:
        raise RuntimeError("no tray icon appeared")
    time.sleep(1)
    h.xdotool("mousemove", pos[0], pos[1])
    time.sleep(2.5)
    # The tip opens above the pointer, near the bottom right corner.
    save("tray-tip", h.SCREEN_W - 240, h.SCREEN_H - 56, 240, 56)
    h.mouse_click(pos[0], pos[1], button=3)
    if not h.wait_until(h.popup_menu_open, 5):
        raise RuntimeError("the tray menu did not open")
    time.sleep(0.8)
    menu = h.find_windows(cls="#32768", visible=True)[0]
    left = min(menu.x, pos[0] - 40) - 8
    top = menu.y - 8
    save("tray-menu", left, top, h.SCREEN_W - left, h.SCREEN_H - top)
    h.xdotool("key", "Escape")
    time.sleep(0.5)


def main():
    global OUT, SUFFIX
    argv = h.parse_args()
    extra = argparse.ArgumentParser()
    extra.add_argument("--out", required=True)
    extra.add_argument("--suffix", default="")
    extra.add_argument("--no-tray", action="store_true")
    options = extra.parse_args(argv[1:])
    OUT, SUFFIX = os.path.abspath(options.out), options.suffix
    os.makedirs(OUT, exist_ok=True)
    h.ensure_desktop()

    folder = h.install_tool("Tavro")
    # A program with a document and a work folder, so the pages show every field.
    notes = os.path.join(h.prefix_drive_c(), "メモ")
    os.makedirs(notes, exist_ok=True)
    with open(os.path.join(notes, "todo.txt"), "wb") as f:
        f.write("買い物\r\n".encode("cp932"))
    try:
        tool = ToolSession(folder)
        # On Xvfb, without a window manager, the dialog comes up inactive; a user who
        # just started it sees an active title bar, so have it painted that way.
        h.probe("send", tool.main.hwnd, 0x86, 1, 0)   # WM_NCACTIVATE
        save_window("main", tool.main.hwnd)
        wizard_pages(tool, "C:\\windows\\notepad.exe", "メモ帳 (ToDo)", "C:\\メモ", "C:\\メモ\\todo.txt")
        tool.quit()
        if not options.no_tray:
            tray(os.path.join(folder, "notepad.exe", "notepad.exe.lnk"))
    finally:
        h.stop_all()
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    main()
