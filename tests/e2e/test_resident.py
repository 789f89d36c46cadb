"""TavroCore.Exe as a user meets it: started with a settings file, it shows one
tray icon; a right click opens its menu, a double click starts the program."""

import os
import re
import shutil
import time
import unittest

import harness as h

INI_TEMPLATE = "[data]\r\ndispname={disp}\r\nprogram={program}\r\ncmdline={cmdline}\r\n" \
               "iconpath=\r\norgicon=0\r\nworkdir={workdir}\r\n"


class ResidentTest(unittest.TestCase):
    def setUp(self):
        self.folder = h.install_tool("TavroE2E")
        self.workdir = os.path.join(self.folder, "作業 フォルダ")
        os.makedirs(self.workdir)
        os.makedirs(os.path.join(self.folder, "apps"))
        self.program = os.path.join(self.folder, "apps", "recorder.exe")
        shutil.copy2(h.ARGS.recorder, self.program)
        self.log = os.path.join(self.folder, "apps", "recorder.log")

    def tearDown(self):
        h.stop_all()
        time.sleep(0.5)

    def write_ini(self, name, disp, program, cmdline="", workdir=""):
        entry = os.path.join(self.folder, name)
        os.makedirs(entry, exist_ok=True)
        path = os.path.join(entry, "tavro.ini")
        text = INI_TEMPLATE.format(disp=disp, program=program, cmdline=cmdline, workdir=workdir)
        with open(path, "wb") as f:
            f.write(text.encode("cp932"))
        return path

    def start_resident(self, ini_unix, link_name="resident"):
        return h.start_resident(self.folder, "/INI=" + h.to_windows(ini_unix), link_name=link_name)

    def open_menu(self, x, y):
        """Right click on the icon; TRUE when its popup menu opened. (The menu's
        texts are checked in-process: another process cannot read a Wine menu.)"""
        h.mouse_click(x, y, button=3)
        return h.wait_until(h.popup_menu_open, 5)

    def test_without_ini_keyword_refuses_to_start(self):
        proc = h.start_resident(self.folder, "/ini=C:\\x\\tavro.ini", link_name="noini")
        box, text = h.wait_message_box(caption="TavroCore")
        self.assertIsNotNone(box, "no message box")
        self.assertEqual("TavroCore.Exeを直接起動することは出来ません．", text)
        h.screenshot("resident_refused")
        h.close_box(box)
        self.assertTrue(h.wait_until(lambda: proc.poll() is not None, 10), "process still runs")
        self.assertEqual([], h.find_windows(title=h.RESIDENT_TITLE))


    def test_icon_menu_launch_and_exit(self):
        # 74 bytes: the tip's 63 would end inside the 32nd character.
        disp = "レコーダー表ソ" + "の長い表示名" * 5
        ini = self.write_ini("recorder.exe", disp, h.to_windows(self.program),
                             cmdline='"a b" c', workdir=h.to_windows(self.workdir))
        watcher = h.TrayWatcher()
        proc = self.start_resident(ini)
        pos = watcher.wait_new_icon()
        self.assertIsNotNone(pos, "no tray icon appeared")
        h.screenshot("resident_icon")
        # The owner dialog exists but stays out of sight.
        dlg = h.wait_window(title=h.RESIDENT_TITLE)
        self.assertIsNotNone(dlg)
        self.assertFalse(dlg.visible)

        # Tip: hovering shows the display name, as many whole characters as
        # the tip's 63 bytes hold.
        tip = disp.encode("cp932")[:62].decode("cp932")
        tips = lambda: [w.title for w in h.find_windows(cls="tooltips_class32", visible=True)]
        h.xdotool("mousemove", pos[0], pos[1])
        h.wait_until(lambda: tip in tips(), 10)
        h.screenshot("resident_tip")
        self.assertEqual([tip], tips())

        self.assertTrue(self.open_menu(*pos), "the popup menu did not open")
        h.screenshot("resident_menu")
        h.xdotool("key", "Escape")
        time.sleep(0.5)
        if h.popup_menu_open():
            # Wine's tray gives no keyboard to a menu opened on the button's
            # release (WM_CONTEXTMENU): a click elsewhere closes it, as on Windows.
            h.mouse_click(500, 300)
            time.sleep(0.5)
        self.assertFalse(h.popup_menu_open(), "the menu did not close")

        # A double click starts the program with its parameters in its work folder.
        h.mouse_click(pos[0], pos[1], double=True)
        self.assertTrue(h.wait_until(lambda: os.path.exists(self.log), 10), "program not started")
        time.sleep(0.5)
        with open(self.log, "rb") as f:
            record = f.read().decode("cp932")
        self.assertIn('"a b" c', record)
        self.assertIn("cwd=" + h.to_windows(self.workdir), record)

        # The first menu item does the same.
        os.remove(self.log)
        self.assertTrue(self.open_menu(*pos))
        h.click_menu_item("first")
        self.assertTrue(h.wait_until(lambda: os.path.exists(self.log), 10), "menu launch failed")

        # Quit removes the icon and ends the process.
        self.assertTrue(self.open_menu(*pos))
        h.click_menu_item("last")
        self.assertTrue(h.wait_until(lambda: proc.poll() is not None, 10), "resident still runs")
        time.sleep(0.5)
        self.assertTrue(h.wait_until(lambda: watcher.icon_count() == len(watcher.icons(watcher.before)), 5),
                        "the icon stayed in the tray")


    def test_missing_program_shows_launch_error(self):
        ini = self.write_ini("gone.exe", "消えた", "C:\\nowhere\\gone.exe")
        watcher = h.TrayWatcher()
        self.start_resident(ini)
        # The program's icon cannot be extracted: message, then the default icon.
        box, text = h.wait_message_box(caption="TavroCore")
        self.assertEqual("プログラムアイコンが取得出来ません．", text)
        h.close_box(box)
        pos = watcher.wait_new_icon()
        self.assertIsNotNone(pos)
        h.mouse_click(pos[0], pos[1], double=True)
        box, text = h.wait_message_box(caption=h.LAUNCH_CAPTION)
        self.assertIsNotNone(box, "no launch error shown")
        self.assertTrue(text.startswith("Error 2 が発生したため、プログラムを起動できません"), text)
        h.screenshot("resident_launch_error")
        h.close_box(box)


    def test_program_only_in_the_system_folder_shows_its_icon_and_starts(self):
        # A 64-bit program in System32 alone: a 32-bit resident reaches it
        # through Sysnative, not the SysWOW64 folder it would be redirected to.
        system32 = os.path.join(h.prefix_drive_c(), "windows", "system32")
        program, log = os.path.join(system32, "tavrorec.exe"), os.path.join(system32, "recorder.log")
        shutil.copy2(h.ARGS.recorder, program)
        self.addCleanup(lambda: [os.remove(p) for p in (program, log) if os.path.exists(p)])
        ini = self.write_ini("tavrorec.exe", "システム", "C:\\windows\\system32\\tavrorec.exe")
        watcher = h.TrayWatcher()
        self.start_resident(ini, "system32")
        pos = watcher.wait_new_icon()
        self.assertIsNotNone(pos, "no tray icon appeared")
        self.assertEqual([], h.message_boxes())
        h.mouse_click(pos[0], pos[1], double=True)
        self.assertTrue(h.wait_until(lambda: os.path.exists(log), 10), "program not started")


    def open_shortcut(self, ini_unix, folder=None, log_name="shortcut"):
        """The registration's shortcut, opened as the user opens it."""
        return h.start_resident(folder or self.folder, "/INI=" + h.to_windows(ini_unix),
                                workdir=os.path.dirname(ini_unix), link_name=log_name)

    def tip_at(self, pos):
        h.mouse_move_away()
        time.sleep(0.3)
        h.xdotool("mousemove", pos[0], pos[1])
        found = h.wait_until(lambda: [w.title for w in h.find_windows(cls="tooltips_class32", visible=True)], 10)
        return found[0] if found else None

    def test_second_start_shows_no_second_icon_and_taskbar_restart(self):
        ini = self.write_ini("recorder.exe", "二つ目", h.to_windows(self.program))
        watcher = h.TrayWatcher()
        self.open_shortcut(ini, log_name="first")
        pos = watcher.wait_new_icon()
        self.assertIsNotNone(pos)
        icons = watcher.icon_count()
        # Opened again, and started by another path form of the same file:
        # no second icon, no message, and the start ends by itself.
        self.open_shortcut(ini, log_name="second")
        upper = h.to_windows(ini).upper()
        second = h.start_resident(self.folder, "/INI=" + upper, link_name="third")
        self.assertTrue(h.wait_until(lambda: second.poll() is not None, 10), "the second start runs on")
        time.sleep(1)
        self.assertEqual(icons, watcher.icon_count(), "a second icon")
        self.assertEqual([], h.message_boxes())
        self.assertEqual(1, len(h.find_windows(title=h.RESIDENT_TITLE)))

        # A restarted shell asks every program to add its icon again.
        h.probe("taskbarcreated")
        h.probe("taskbarcreated")
        time.sleep(2)
        h.mouse_move_away()
        time.sleep(0.5)
        self.assertEqual(icons, watcher.icon_count(), "icons were added twice")
        h.screenshot("resident_after_taskbarcreated")
        self.assertTrue(self.open_menu(*pos), "the icon stopped answering")
        h.click_menu_item("last")
        self.assertTrue(h.wait_until(lambda: not h.find_windows(title=h.RESIDENT_TITLE), 10), "it runs on")

    def test_reload_reaches_only_its_own_registration(self):
        # (A deletion's end request: test_register, through the tool.)
        # The same registration name in another Tavro folder runs throughout.
        other_folder = h.install_tool("TavroE2EOther")
        self.addCleanup(shutil.rmtree, other_folder, True)
        other_ini = os.path.join(other_folder, "recorder.exe", "tavro.ini")
        os.makedirs(os.path.dirname(other_ini))
        with open(other_ini, "wb") as f:
            f.write(INI_TEMPLATE.format(disp="よそ", program=h.to_windows(self.program), cmdline="",
                                        workdir="").encode("cp932"))
        ini = self.write_ini("recorder.exe", "前の名前", h.to_windows(self.program))
        watcher = h.TrayWatcher()
        self.open_shortcut(ini, log_name="own")
        pos = watcher.wait_new_icon()
        watcher2 = h.TrayWatcher()
        self.open_shortcut(other_ini, other_folder, log_name="other")
        other_pos = watcher2.wait_new_icon()
        self.assertIsNotNone(pos)
        self.assertIsNotNone(other_pos, "the other folder's registration showed no icon")
        residents = h.find_windows(title=h.RESIDENT_TITLE)
        self.assertEqual(2, len(residents))
        self.assertEqual("前の名前", self.tip_at(pos))

        # An edit: the running icon takes the new name at once, in place.
        self.write_ini("recorder.exe", "新しい名前 & 後", h.to_windows(self.program))
        self.assertEqual("1 0 0", h.probe("channel", "reload", h.to_windows(ini).lower()).strip())
        self.assertTrue(h.wait_until(lambda: self.tip_at(pos) == "新しい名前 & 後", 10), self.tip_at(pos))
        self.assertEqual("よそ", self.tip_at(other_pos))
        self.assertEqual(sorted(w.pid for w in residents),
                         sorted(w.pid for w in h.find_windows(title=h.RESIDENT_TITLE)))

    def test_deleted_registration_says_so_and_ends(self):
        watcher = h.TrayWatcher()
        proc = h.start_resident(self.folder, "/INI=" + h.to_windows(os.path.join(self.folder, "gone.exe", "tavro.ini")),
                                link_name="gone")
        box, text = h.wait_message_box(caption="TavroCore")
        self.assertEqual("この登録は削除されています（設定ファイルがありません）．トレイアイコンを表示せずに終了します．",
                         text)
        h.close_box(box)
        self.assertTrue(h.wait_until(lambda: proc.poll() is not None, 10), "the resident runs on")
        self.assertEqual(len(watcher.icons(watcher.before)), watcher.icon_count())

    def test_two_registrations_side_by_side_each_start_their_own_program(self):
        # Each registration's icon has an id of its own; a double click on
        # either starts that registration's program, not the other's.
        other_dir = os.path.join(self.folder, "apps2")
        os.makedirs(other_dir)
        other = os.path.join(other_dir, "recorder.exe")
        shutil.copy2(h.ARGS.recorder, other)
        other_log = os.path.join(other_dir, "recorder.log")
        watcher = h.TrayWatcher()
        self.start_resident(self.write_ini("recorder.exe", "一つ目", h.to_windows(self.program)), "first")
        pos1 = watcher.wait_new_icon()
        watcher2 = h.TrayWatcher()
        self.start_resident(self.write_ini("other.exe", "二つ目", h.to_windows(other)), "second")
        pos2 = watcher2.wait_new_icon()
        self.assertIsNotNone(pos1)
        self.assertIsNotNone(pos2, "the second registration showed no icon")
        self.assertNotEqual(pos1, pos2)
        h.screenshot("resident_two_registrations")
        for pos, log, stray in ((pos2, other_log, self.log), (pos1, self.log, other_log)):
            h.mouse_click(pos[0], pos[1], double=True)
            self.assertTrue(h.wait_until(lambda: os.path.exists(log), 10), "program not started: " + log)
            time.sleep(0.5)
            self.assertFalse(os.path.exists(stray), "the other registration's program started")
            os.remove(log)

    # DLL names commonly taken from a program's current folder when a search
    # path still includes it, besides every DLL the resident itself loads.
    HIJACK_NAMES = ("version", "uxtheme", "dwmapi", "cryptbase", "propsys", "profapi", "apphelp",
                    "shcore", "windows.storage", "winmm", "msimg32", "riched20", "oleacc")

    def start_traced(self, ini, cwd, log_name):
        """The resident with Wine's DLL load trace, started in the given folder."""
        log = os.path.join(h.ARGS.artifacts, log_name + ".log")
        if os.path.exists(log):
            os.remove(log)
        saved = os.environ.get("WINEDEBUG")
        os.environ["WINEDEBUG"] = "-all,+loaddll"
        try:
            exe = os.path.join(self.folder, "TavroCore.Exe")
            proc = h.start(exe, ["/INI=" + h.to_windows(ini)], cwd=cwd, log_name=log_name)
        finally:
            os.environ["WINEDEBUG"] = saved if saved is not None else "-all"
        return proc, log

    @staticmethod
    def loaded_paths(log):
        with open(log, "rb") as f:
            text = f.read().decode("utf-8", "replace")
        return [m.replace("\\\\", "\\") for m in re.findall(r'Loaded L"([^"]+)"', text)]

    def test_dlls_and_tool_planted_in_the_work_folder_are_never_used(self):
        # First run: which DLLs does the resident load over its life?
        ini = self.write_ini("recorder.exe", "植えた", h.to_windows(self.program),
                             workdir=h.to_windows(self.workdir))
        watcher = h.TrayWatcher()
        proc, log = self.start_traced(ini, self.folder, "traced_first")
        pos = watcher.wait_new_icon()
        self.assertIsNotNone(pos)
        dlg = h.wait_window(title=h.RESIDENT_TITLE)
        h.probe("command", dlg.hwnd, 32773)
        self.assertTrue(h.wait_until(lambda: os.path.exists(self.log), 10))
        h.probe("command", dlg.hwnd, 32772)
        self.assertTrue(h.wait_until(lambda: proc.poll() is not None, 10))
        names = {p.split("\\")[-1].lower() for p in self.loaded_paths(log) if p.lower().endswith(".dll")}
        self.assertIn("shell32.dll", names)
        names |= {n + ".dll" for n in self.HIJACK_NAMES}

        # Plant all of them in the work folder, start the resident there (as
        # after a launch), launch the program twice and open the tool.
        plant = os.path.join(os.path.dirname(h.ARGS.probe), "plant.dll")
        for name in names:
            shutil.copy2(plant, os.path.join(self.workdir, name))
        shutil.copy2(h.ARGS.recorder, os.path.join(self.workdir, "Tavro.Exe"))
        planted_log = os.path.join(self.workdir, "planted.log")
        os.remove(self.log)
        watcher = h.TrayWatcher()
        proc, log = self.start_traced(ini, self.workdir, "traced_planted")
        pos = watcher.wait_new_icon()
        self.assertIsNotNone(pos)
        h.mouse_click(pos[0], pos[1], double=True)
        self.assertTrue(h.wait_until(lambda: os.path.exists(self.log), 10), "program not started")
        dlg = h.wait_window(title=h.RESIDENT_TITLE)
        h.probe("command", dlg.hwnd, 32773)
        h.probe("command", dlg.hwnd, 32771)     # the tool, started from the work folder
        tool = h.wait_window(title=h.TOOL_TITLE, visible=True)
        self.assertIsNotNone(tool, "the tool did not start")
        time.sleep(1)

        workdir_w = h.to_windows(self.workdir).lower()
        from_workdir = [p for p in self.loaded_paths(log) if p.lower().startswith(workdir_w + "\\")]
        self.assertEqual([], from_workdir)
        self.assertFalse(os.path.exists(planted_log),
                         open(planted_log).read() if os.path.exists(planted_log) else "")
        self.assertGreater(len(self.loaded_paths(log)), 10, "the load trace is missing")
        self.assertFalse(os.path.exists(os.path.join(self.workdir, "recorder.log")), "the planted tool ran")
        h.click_control(tool.hwnd, 1019)
        self.assertTrue(h.wait_until(lambda: not h.find_windows(title=h.TOOL_TITLE), 10))


if __name__ == "__main__":
    h.run_tests()
