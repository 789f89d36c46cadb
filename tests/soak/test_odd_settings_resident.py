"""The resident started on damaged and unusual settings files: empty, binary
garbage, a megabyte long, without the "data" section, with repeated keys, in
UTF-8 and UTF-16 with byte order marks. Each one starts, says why it shows
its own icon instead of the program's, puts that icon into the tray,
reports the failed launch on a double click, opens its menu, and ends
cleanly from its exit command. A crash would end the process early or with
another exit code than an undisturbed resident's."""

import random
import re
import time
import unittest

import soakkit as kit
from soakkit import h

NO_PROGRAM_ICON = "プログラムアイコンが取得出来ません．"
NO_ICON = "アイコンが読み込めません．"
LAUNCH_ERROR = re.compile(r"^Error (\d+) が発生したため、プログラムを起動できません\n"
                          r"エラーの説明は附属ドキュメントをご覧ください$")
# The shell's codes for a file or path that is not there.
MISSING_CODES = ("2", "3")


def garbage(size):
    rnd = random.Random(12345)
    return bytes(rnd.randrange(256) for _ in range(size))


def odd_files():
    """(entry name, settings file bytes, message at start-up)."""
    huge = "表" * (1 << 19)   # 表 ends in the byte 0x5C
    return [
        ("empty", b"", NO_PROGRAM_ICON),
        ("garbage", garbage(4096), NO_PROGRAM_ICON),
        ("huge", ("[data]\r\ndispname=" + huge + "\r\nprogram=C:\\soak\\huge.exe\r\n").encode("cp932"),
         NO_PROGRAM_ICON),
        ("nosection", "[Tavro]\r\ndispname=節なし\r\nprogram=C:\\soak\\x.exe\r\n".encode("cp932"),
         NO_PROGRAM_ICON),
        # The first of repeated keys counts: the own-icon flag is set, the icon file missing.
        ("repeated", ("[data]\r\ndispname=一回目\r\nprogram=C:\\soak\\first.exe\r\norgicon=1\r\n"
                      "iconpath=C:\\soak\\missing.ico\r\ndispname=二回目\r\norgicon=0\r\n"
                      "[data]\r\ndispname=三回目\r\n").encode("cp932"), NO_ICON),
        ("utf8", b"\xef\xbb\xbf" + "[data]\r\ndispname=ユニコード八\r\nprogram=C:\\soak\\八.exe\r\n"
         .encode("utf-8"), NO_PROGRAM_ICON),
        ("utf16", "\ufeff[data]\r\ndispname=ユニコード十六\r\nprogram=C:\\soak\\十六.exe\r\n"
         .encode("utf-16-le"), NO_PROGRAM_ICON),
    ]


WM_CONTEXTMENU = 0x007B


class OddSettingsResidentTest(unittest.TestCase):
    def setUp(self):
        self.folder, self.program = kit.install("TavroSoakOdd")

    def tearDown(self):
        h.stop_all()

    def run_resident(self, name, data, startup_message):
        """Starts a resident on the file and takes it through its life; returns its exit code."""
        ini = kit.write_settings(self.folder, name, data)
        icons_before = kit.Taskbar().count()
        proc = kit.start_resident(self.folder, ini, "odd_" + name)

        box, text = h.wait_message_box(caption="TavroCore")
        self.assertIsNotNone(box, "no start-up message")
        self.assertEqual(startup_message, text)
        h.screenshot("odd_%s_message" % name)
        h.close_box(box)

        window = h.wait_window(title=h.RESIDENT_TITLE)
        self.assertIsNotNone(window, "no owner window")
        self.assertFalse(window.visible)
        bar = kit.wait_icon_count(icons_before + 1)
        self.assertEqual(icons_before + 1, bar.count(), "no icon in the tray")

        # A double click on the icon: the program is not there.
        h.probe("post", window.hwnd, kit.WM_TRAYNOTIFY, 0, kit.WM_LBUTTONDBLCLK)
        box, text = h.wait_message_box(caption=h.LAUNCH_CAPTION)
        self.assertIsNotNone(box, "no launch message")
        match = LAUNCH_ERROR.match(text or "")
        self.assertTrue(match, text)
        self.assertIn(match.group(1), MISSING_CODES)
        h.close_box(box)

        # The right button's release opens the menu, built with the display name:
        # WM_CONTEXTMENU of the current tray protocol, with the point in wParam.
        h.probe("post", window.hwnd, kit.WM_TRAYNOTIFY, (400 << 16) | 500, WM_CONTEXTMENU)
        menus = h.wait_until(kit.open_menus, 5, 0.2)
        self.assertTrue(menus, "no popup menu")
        self.assertEqual(window.pid, menus[0].pid)
        h.screenshot("odd_%s_menu" % name)
        # A click beside the menu closes it (the keyboard focus may lie elsewhere).
        menu = menus[0]
        h.mouse_click(20, 20 if menu.y > 40 else h.TASKBAR_TOP - 40)
        self.assertTrue(h.wait_until(lambda: not kit.open_menus(), 5), "the menu stayed open")
        self.assertIsNone(proc.poll(), "the resident ended by itself")

        h.probe("command", window.hwnd, kit.ID_QUIT)
        self.assertTrue(h.wait_until(lambda: proc.poll() is not None, 10), "the resident did not end")
        self.assertEqual(icons_before, kit.wait_icon_count(icons_before, 5).count(), "the icon stayed")
        return proc.returncode

    def test_every_odd_file_starts_and_ends_cleanly(self):
        # The exit code of a resident on a good settings file, for comparison.
        good = ("[data]\r\ndispname=正常\r\nprogram=C:\\soak\\good.exe\r\n").encode("cp932")
        normal = self.run_resident("good", good, NO_PROGRAM_ICON)
        for name, data, message in odd_files():
            with self.subTest(name):
                started = time.time()
                code = self.run_resident(name, data, message)
                self.assertEqual(normal, code, "exit code %s instead of %s" % (code, normal))
                print("%s: %d bytes, %.1f s" % (name, len(data), time.time() - started))


if __name__ == "__main__":
    h.run_tests()
