"""Whole registrations as a user makes them: the wizard of Tavro.exe with the
real file dialog, then what lands on disk, the shortcuts read back, the tray
icon of the resident they start, deletion, and the next logon."""

import os
import shutil
import subprocess
import time
import unittest

import harness as h
from test_tool import ToolSession, NEXT, FINISH, wait_page_text


def file_dialog(exclude):
    for w in h.find_windows(cls="#32770", visible=True):
        if w.hwnd in exclude:
            continue
        ids = {c.id for c in h.children(w.hwnd)}
        if 1148 in ids or 1152 in ids:
            return w, (1148 if 1148 in ids else 1152)
    return None


class RegisterTest(unittest.TestCase):
    def setUp(self):
        self.folder = h.install_tool("TavroReg")
        # A folder name no code page but 932 holds among the ANSI ones (run with --lang).
        self.apps = os.path.join(h.prefix_drive_c(), "Tavro Apps", "ツール")
        shutil.rmtree(self.apps, ignore_errors=True)
        os.makedirs(self.apps)
        self.startup = h.startup_folder_unix()
        os.makedirs(self.startup, exist_ok=True)
        for name in os.listdir(self.startup):
            os.remove(os.path.join(self.startup, name))

    def tearDown(self):
        h.stop_all()
        time.sleep(0.5)

    def add_program(self, name):
        path = os.path.join(self.apps, name)
        shutil.copy2(h.ARGS.recorder, path)
        return path

    def register(self, tool, program_unix, workdir="", cmdline="", dispname=None, startup=True, shots=True,
                 keep_resident=False):
        """Runs the new-registration wizard through to its end; returns the page
        texts seen and where the new registration's icon came. Its resident is
        ended again unless keep_resident, so that a test can start it anew."""
        tool.press(1015)
        sheet = tool.wizard()
        self.assertIsNotNone(sheet, "wizard did not open")
        page, _ = wait_page_text(sheet, 1015)
        h.click_control(page, 1015)   # browse
        found = h.wait_until(lambda: file_dialog({sheet.hwnd, tool.main.hwnd}), 10)
        self.assertIsNotNone(found, "file dialog did not open")
        dialog, field = found
        shots and h.screenshot("register_filedialog")
        h.probe("settext", dialog.hwnd, field, h.to_windows(program_unix))
        h.click_control(dialog.hwnd, 1)
        self.assertTrue(h.wait_until(lambda: h.control(page, 1016).text == h.to_windows(program_unix), 10),
                        "the chosen file is not shown")
        shots and h.screenshot("register_page1")
        page, disp, boxes = self.next_page(sheet, 1007)
        # The association lookup of documents may have had something to say.
        seen = {"boxes": boxes}
        h.wait_until(lambda: h.control(page, 1007).text, 5)
        seen["default_dispname"] = h.control(page, 1007).text
        seen["orgicon"] = h.control(page, 1008).checked
        seen["iconpath"] = h.control(page, 1009).text
        if dispname is not None:
            h.probe("settext", page, 1007, dispname)
        if workdir:
            h.probe("settext", page, 1002, workdir)
        if cmdline:
            h.probe("settext", page, 1001, cmdline)
        shots and h.screenshot("register_page2")
        page, check, seen["boxes_at_next"] = self.next_page(sheet, 1021)
        seen["startup_checked"] = check.checked
        if not startup:
            h.click_control(page, 1021)
        shots and h.screenshot("register_page3")
        running = {w.hwnd for w in h.find_windows(title=h.RESIDENT_TITLE)}
        watcher = h.TrayWatcher()
        h.click_control(sheet.hwnd, NEXT)
        page, done = wait_page_text(sheet, 1024)
        seen["done"] = done.text
        note = h.control(page, 1023)
        seen["note"] = note.text if note.visible else ""
        # The new registration's icon comes with the completion page.
        seen["icon"] = watcher.wait_new_icon()
        started = [w for w in h.find_windows(title=h.RESIDENT_TITLE) if w.hwnd not in running]
        seen["residents"] = [w.pid for w in started]
        if not keep_resident:
            for w in started:
                h.probe("command", w.hwnd, 32772)
            h.wait_until(lambda: not [w for w in h.find_windows(title=h.RESIDENT_TITLE) if w.hwnd not in running], 10)
        seen["finish"] = h.control(sheet.hwnd, FINISH).text
        shots and h.screenshot("register_page4")
        h.click_control(sheet.hwnd, FINISH)
        h.wait_until(lambda: h.probe("iconic", tool.main.hwnd).strip() == "0", 10)
        return seen

    def next_page(self, sheet, control_id):
        """Presses Next and waits for the page that holds control_id, answering
        the message boxes met on the way; returns the page, the control and the
        boxes' texts."""
        h.click_control(sheet.hwnd, NEXT)
        texts = []

        def arrived():
            for box, text in h.message_boxes():
                texts.append(text)
                h.screenshot("register_box_%d" % len(texts))
                h.close_box(box)
                h.wait_until(lambda: box.hwnd not in [b.hwnd for b, _t in h.message_boxes()], 5)
            return wait_page_text(sheet, control_id, 0.3)
        found = h.wait_until(arrived, 15)
        self.assertIsNotNone(found, "page with %d not reached; boxes: %s" % (control_id, texts))
        return found[0], found[1], texts

    def check_settings(self, ini, dispname, program_unix, cmdline, iconpath, orgicon, workdir):
        """The settings file, byte for byte as the tool writes it."""
        with open(ini, "rb") as f:
            raw = f.read()
        expected = ("[data]\r\ndispname=%s\r\nprogram=%s\r\ncmdline=%s\r\niconpath=%s\r\n"
                    "orgicon=%d\r\nworkdir=%s\r\n" % (dispname, h.to_windows(program_unix), cmdline,
                                                       iconpath, orgicon, workdir))
        self.assertEqual(expected.encode("cp932"), raw)

    def check_link(self, lnk, ini_windows, workdir_windows, icon_windows, dispname):
        props = h.read_link(lnk)
        self.assertEqual(h.to_windows(os.path.join(self.folder, "TavroCore.Exe")).lower(),
                         props.get("path", "").lower())
        self.assertEqual("/INI=" + ini_windows, props.get("arguments"))
        self.assertEqual(workdir_windows, props.get("workdir"))
        self.assertEqual(icon_windows, props.get("iconpath"))
        self.assertEqual("0", props.get("iconindex"))
        self.assertEqual(dispname, props.get("description"))
        return props

    def test_register_launch_delete_and_logon(self):
        program = self.add_program("表示ソフト.exe")     # trail bytes 0x5C in the name
        other = self.add_program("other.exe")
        workdir = os.path.join(self.apps, "作業 dir")
        os.makedirs(workdir)
        # A registration of the same name in another Tavro folder runs throughout, untouched.
        twin = h.install_tool("TavroTwin")
        twin_ini = os.path.join(twin, "表示ソフト.exe", "tavro.ini")
        os.makedirs(os.path.dirname(twin_ini))
        with open(twin_ini, "wb") as f:
            f.write(("[data]\r\ndispname=双子\r\nprogram=%s\r\n" % h.to_windows(other)).encode("cp932"))
        watcher = h.TrayWatcher()
        twin_resident = h.start_resident(twin, "/INI=" + h.to_windows(twin_ini), link_name="twin")
        self.assertIsNotNone(watcher.wait_new_icon(), "the other folder's registration showed no icon")
        tool = ToolSession(self.folder)
        seen = self.register(tool, program, workdir=h.to_windows(workdir), cmdline='"x y" z',
                             keep_resident=True)
        self.assertEqual("表示ソフト.exe", seen["default_dispname"])
        self.assertEqual(1, seen["startup_checked"])
        self.assertEqual("登録処理は正常に終了しました．", seen["done"])
        self.assertEqual("タスクトレイにアイコンを表示しました．\nWindows 11 では、新しく現れたトレイアイコンはまず"
                         "タスク バーの隠れたアイコン（「^」）の中に入ります．", seen["note"].replace("~", "\n"))
        self.assertEqual("完了", seen["finish"])
        self.assertIsNotNone(seen["icon"], "the new registration's icon did not appear")
        self.assertEqual(1, len(seen["residents"]))
        self.register(tool, other, startup=False)

        entry = os.path.join(self.folder, "表示ソフト.exe")
        ini = os.path.join(entry, "tavro.ini")
        ini_w = h.to_windows(ini)
        self.check_settings(ini, "表示ソフト.exe", program, '"x y" z', "", 0, h.to_windows(workdir))
        self.check_link(os.path.join(entry, "表示ソフト.exe.lnk"), ini_w, h.to_windows(workdir),
                        h.to_windows(program), "表示ソフト.exe")
        self.check_link(os.path.join(self.startup, "表示ソフト.exe.lnk"), ini_w, h.to_windows(workdir),
                        h.to_windows(program), "表示ソフト.exe")
        self.assertFalse(os.path.exists(os.path.join(self.startup, "other.exe.lnk")))
        other_entry = os.path.join(self.folder, "other.exe")
        other_props = self.check_link(os.path.join(other_entry, "other.exe.lnk"),
                                      h.to_windows(os.path.join(other_entry, "tavro.ini")),
                                      h.to_windows(other_entry), h.to_windows(other), "other.exe")
        other_bytes = {n: open(os.path.join(other_entry, n), "rb").read() for n in os.listdir(other_entry)}

        # Opening the entry shortcut while the icon runs shows no second icon.
        watcher = h.TrayWatcher()
        second = h.shell_open(h.to_windows(os.path.join(entry, "表示ソフト.exe.lnk")))
        self.assertTrue(h.wait_until(lambda: second.poll() is not None, 10), "the second start keeps running")
        self.assertEqual(len(watcher.icons(watcher.before)), watcher.icon_count(), "a second icon appeared")
        self.assertEqual([], h.message_boxes())
        pos = seen["icon"]
        h.mouse_click(pos[0], pos[1], double=True)
        log = os.path.join(self.apps, "recorder.log")
        self.assertTrue(h.wait_until(lambda: os.path.exists(log), 10), "the program did not start")
        time.sleep(0.5)
        with open(log, "rb") as f:
            record = f.read().decode("cp932")
        self.assertIn('"x y" z', record)
        self.assertIn("cwd=" + h.to_windows(workdir), record)
        # Under another language setting the program itself got that code page.
        self.assertIn("acp=%d" % (1252 if h.ARGS.lang == "en_US.UTF-8" else 932), record)
        # Windows cannot remove a folder that is a process's current folder (Wine can): the
        # resident, after a launch too, holds neither the entry folder nor the work folder.
        if not h.ARGS.release:   # the probe reads a 64-bit process's parameters
            pid = seen["residents"][0]
            self.assertEqual(h.to_windows(self.folder).rstrip("\\") + "\\", h.probe("cwd", pid).strip())

        # Delete the first registration; its resident ends, the other folder's stays.
        tool.press(1017)
        sheet = tool.wizard()
        page, listbox = wait_page_text(sheet, 1022)
        h.screenshot("delete_page1")
        # Alphabetical order: "other.exe" < "表示ソフト.exe"; select the second line.
        h.probe("send", h.control(page, 1022).hwnd, 0x186, 1, 0)   # LB_SETCURSEL
        h.probe("post", page, 0x111, (1 << 16 | 1022), h.control(page, 1022).hwnd)  # LBN_SELCHANGE
        time.sleep(0.5)
        self.assertIn("表示ソフト.exe(", h.control(page, 1019).text)
        h.click_control(sheet.hwnd, NEXT)
        page, note = wait_page_text(sheet, 1023)
        self.assertTrue(note.visible)
        self.assertEqual("この登録を削除します．", note.text)
        self.assertFalse(h.control(page, 1021).visible)
        h.click_control(sheet.hwnd, NEXT)
        page, done = wait_page_text(sheet, 1024)
        h.wait_until(lambda: h.control(page, 1024).text == "削除処理は正常に終了しました．", 5)
        self.assertEqual("削除処理は正常に終了しました．", h.control(page, 1024).text)
        self.assertTrue(h.control(page, 1023).visible)
        self.assertEqual("この登録のトレイアイコンを終了しました．", h.control(page, 1023).text)
        self.assertFalse(h.wait_until(lambda: seen["residents"][0] in
                                      [w.pid for w in h.find_windows(title=h.RESIDENT_TITLE)], 0.1),
                         "the resident of the deleted registration still runs")
        h.screenshot("delete_done")
        h.click_control(sheet.hwnd, FINISH)
        self.assertTrue(h.wait_until(lambda: not os.path.exists(entry), 10), "entry folder kept")
        self.assertFalse(os.path.exists(os.path.join(self.startup, "表示ソフト.exe.lnk")))
        self.assertEqual(other_bytes,
                         {n: open(os.path.join(other_entry, n), "rb").read() for n in os.listdir(other_entry)})
        self.assertIsNone(twin_resident.poll(), "the other folder's resident ended")
        tool.quit()

    def delete_line(self, tool, line):
        """Delete wizard: picks a line, presses Next twice; returns the sheet."""
        tool.press(1017)
        sheet = h.wait_until(lambda: self.close_icon_boxes() or tool.wizard(1), 20)
        page, listbox = wait_page_text(sheet, 1022)
        h.probe("send", listbox.hwnd, 0x186, line, 0)   # LB_SETCURSEL
        h.probe("post", page, 0x111, (1 << 16 | 1022), listbox.hwnd)  # LBN_SELCHANGE
        self.close_icon_boxes(1)
        self.next_page(sheet, 1023)
        self.close_icon_boxes(1)
        h.click_control(sheet.hwnd, NEXT)
        return sheet

    def close_icon_boxes(self, wait=0):
        """The empty line of a folder without settings file has no icon."""
        time.sleep(wait)
        for box in [b for b, text in h.message_boxes() if text == "アイコンが読み込めません．"]:
            h.close_box(box)

    def test_delete_takes_only_this_registration(self):
        own = os.path.join(self.folder, "7zip")   # the user's own folder, listed as an empty line
        os.makedirs(own)
        open(os.path.join(own, "7z.dll"), "wb").write(b"MZ\x00\x5c keep")
        tool = ToolSession(self.folder)
        self.register(tool, self.add_program("calc.exe"), shots=False)
        # The user copies the entry folder; the copy names the same program.
        original = os.path.join(self.folder, "calc.exe")
        copy = original + " - コピー"
        shutil.copytree(original, copy)
        ini = open(os.path.join(copy, "tavro.ini"), "rb").read()
        open(os.path.join(copy, "tavro.ini"), "wb").write(ini.replace(b"=calc.exe\r", b"=copy\r", 1))
        sheet = self.delete_line(tool, 0)   # "", "calc.exe", "copy"
        box, text = h.wait_until(lambda: [b for b in h.message_boxes() if "Tavro" in b[1]], 10)[0]
        self.assertEqual("このフォルダはTavroの登録ではない可能性があります．\n%s\nフォルダごと削除しますか？"
                         % h.to_windows(own), text)
        h.click_control(box.hwnd, 7)   # No
        time.sleep(1)
        self.assertEqual({"7z.dll": b"MZ\x00\x5c keep"},
                         {n: open(os.path.join(own, n), "rb").read() for n in os.listdir(own)})
        h.click_control(sheet.hwnd, 2)   # Cancel
        sheet = self.delete_line(tool, 2)
        wait_page_text(sheet, 1024)
        self.assertTrue(h.wait_until(lambda: not os.path.exists(copy), 10), "the copy was kept")
        props = h.read_link(os.path.join(self.startup, "calc.exe.lnk"))
        self.assertEqual("/INI=" + h.to_windows(os.path.join(original, "tavro.ini")), props.get("arguments"))

    def test_removal_changes_nothing_or_completes(self):
        """What would stop a removal half way is named before anything goes; an
        Explorer window on the entry folder stops nothing."""
        tool = ToolSession(self.folder)
        self.register(tool, self.add_program("calc.exe"), shots=False)
        entry = os.path.join(self.folder, "calc.exe")
        kept = [os.path.join(self.startup, "calc.exe.lnk"), os.path.join(entry, "calc.exe.lnk"),
                os.path.join(entry, "tavro.ini")]
        held = os.path.join(entry, "notes.txt")
        open(held, "wb").write(b"x")
        long_file = os.path.join(entry, "n" * (261 - len(h.to_windows(entry).encode("cp932"))))
        text = "次のファイルまたはフォルダを削除出来ないため、何も削除しませんでした. Error = %d\n%s"
        for code, item in ((32, held), (206, long_file)):
            if code == 32:
                self.assertEqual("1", h.probe("hold", h.to_windows(held)).strip())
            else:
                open(long_file, "wb").write(b"x")
            sheet = self.delete_line(tool, 0)
            box, shown = h.wait_until(lambda: h.message_boxes(), 10)[0]
            self.assertEqual(text % (code, h.to_windows(item)), shown)
            h.close_box(box)
            self.assertEqual([True] * 3, [os.path.exists(p) for p in kept])
            h.probe("release")
            h.click_control(sheet.hwnd, 2)   # Cancel
        os.remove(long_file)
        self.assertEqual("1", h.probe("hold", h.to_windows(entry)).strip())
        sheet = self.delete_line(tool, 0)
        wait_page_text(sheet, 1024)
        self.assertEqual([], h.message_boxes())
        self.assertFalse(os.path.exists(kept[0]))
        h.probe("release")
        self.assertTrue(h.wait_until(lambda: not os.path.exists(entry), 10), "entry folder kept")

    def launch_from_tray(self, lnk_unix):
        """Opens the entry shortcut through the shell, as the user or the next
        logon does, and double-clicks the icon of the resident it starts."""
        watcher = h.TrayWatcher()
        h.shell_open(h.to_windows(lnk_unix))
        pos = watcher.wait_new_icon()
        h.screenshot("kinds_tray")
        self.assertIsNotNone(pos, "the registration's icon did not appear; boxes: %s" % h.message_boxes())
        log = os.path.join(self.apps, "recorder.log")
        if os.path.exists(log):
            os.remove(log)
        h.mouse_click(pos[0], pos[1], double=True)
        self.assertTrue(h.wait_until(lambda: os.path.exists(log), 10), "nothing was started")
        time.sleep(0.5)
        with open(log, "rb") as f:
            return f.read().decode("cp932")

    def test_document_and_shortcut_registrations(self):
        recorder = self.add_program("recorder.exe")
        # A document kind of its own, opened by the recorder.
        h.associate(".tvdoc", recorder)
        document = os.path.join(self.apps, "メモ 表.tvdoc")
        with open(document, "wb") as f:
            f.write(b"memo")
        workdir = os.path.join(self.apps, "作業")
        os.makedirs(workdir)
        shortcut = os.path.join(self.apps, "近道.lnk")
        self.assertEqual("", h.probe("makelink", h.to_windows(shortcut), h.to_windows(recorder),
                                     '"from link" 1', h.to_windows(workdir)).strip())
        self.assertTrue(os.path.exists(shortcut))

        tool = ToolSession(self.folder)
        seen = self.register(tool, document, shots=False)
        self.assertEqual([], seen["boxes"] + seen["boxes_at_next"])
        self.assertEqual("メモ 表.tvdoc", seen["default_dispname"])
        # A document stands in the tray with its program's icon.
        self.assertEqual(1, seen["orgicon"])
        self.assertEqual(h.to_windows(recorder), seen["iconpath"])
        # A shortcut stands in the tray with the icon of the program it starts.
        seen = self.register(tool, shortcut, shots=False)
        self.assertEqual([], seen["boxes"] + seen["boxes_at_next"])
        self.assertEqual("近道.lnk", seen["default_dispname"])
        self.assertEqual(1, seen["orgicon"])
        self.assertEqual(h.to_windows(recorder), seen["iconpath"])
        tool.quit()

        # The document's settings and shortcuts.
        entry = os.path.join(self.folder, "メモ 表.tvdoc")
        ini = os.path.join(entry, "tavro.ini")
        self.check_settings(ini, "メモ 表.tvdoc", document, "", h.to_windows(recorder), 1, "")
        for lnk in (os.path.join(entry, "メモ 表.tvdoc.lnk"), os.path.join(self.startup, "メモ 表.tvdoc.lnk")):
            self.check_link(lnk, h.to_windows(ini), h.to_windows(entry), h.to_windows(recorder),
                            "メモ 表.tvdoc")
        record = self.launch_from_tray(os.path.join(entry, "メモ 表.tvdoc.lnk"))
        self.assertIn(h.to_windows(document), record)

        # The shortcut's registration starts what the shortcut names, with its arguments.
        entry = os.path.join(self.folder, "近道.lnk")
        ini = os.path.join(entry, "tavro.ini")
        props = h.read_link(os.path.join(entry, "近道.lnk.lnk"))
        self.assertEqual("/INI=" + h.to_windows(ini), props["arguments"])
        with open(ini, "rb") as f:
            text = f.read().decode("cp932")
        self.assertIn("program=%s\r\n" % h.to_windows(shortcut), text)
        self.assertIn("iconpath=%s\r\norgicon=1\r\n" % h.to_windows(recorder), text)
        self.assertEqual(h.to_windows(recorder), props["iconpath"])
        record = self.launch_from_tray(os.path.join(entry, "近道.lnk.lnk"))
        self.assertIn('"from link" 1', record)
        self.assertIn("cwd=" + h.to_windows(workdir), record)

    def test_app_documents_scripts_and_broken_shortcuts(self):
        # A type whose open verb only delegates, as packaged apps and Windows' own handlers register.
        for key, value in (("", ["/ve", "/d", "TavroTest.Photo"]), ("TavroTest.Photo\\shell\\open\\command",
                           ["/v", "DelegateExecute", "/d", "{4ED3A719-CEA8-4BD9-910D-E252F997AFC2}"])):
            subprocess.run([h.WINELOADER, "reg", "add", "HKCU\\Software\\Classes\\" + (key or ".tavphoto")] + value
                           + ["/f"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        photo, script = os.path.join(self.apps, "写真.tavphoto"), os.path.join(self.apps, "run.bat")
        tool = ToolSession(self.folder)
        for path in (photo, script):
            open(path, "wb").write(b"@echo off\r\n")
            seen = self.register(tool, path, shots=False)
            # No program file holds the icon: the file itself is the icon source, without a message.
            self.assertEqual(([], 1, h.to_windows(path), "登録処理は正常に終了しました．"),
                             (seen["boxes"] + seen["boxes_at_next"], seen["orgicon"], seen["iconpath"], seen["done"]))
        # A shortcut whose target is gone is refused on the file page, naming the target; nothing is written.
        gone, shortcut = self.add_program("gone.exe"), os.path.join(self.apps, "壊れた.lnk")
        h.probe("makelink", h.to_windows(shortcut), h.to_windows(gone), "", h.to_windows(self.apps))
        os.remove(gone)
        before = sorted(os.listdir(self.folder))
        self.assertEqual("ショートカットのリンク先が見つかりません．\n%s\nプログラムを登録できません" % h.to_windows(gone),
                         self.refused_on_file_page(tool, shortcut))
        tool.quit()
        self.assertEqual(before, sorted(os.listdir(self.folder)))
        # The residents show their icons without a message at their start.
        for name in ("写真.tavphoto", "run.bat"):
            watcher = h.TrayWatcher()
            h.shell_open(h.to_windows(os.path.join(self.folder, name, name + ".lnk")))
            # The shell's icon of a document is looked up with COM at the
            # resident's start: slower than a program's own icon beside another test.
            self.assertIsNotNone(watcher.wait_new_icon(timeout=45.0), name)
            time.sleep(1)
            self.assertEqual([], [t for _b, t in h.message_boxes()], name)

    def refused_on_file_page(self, tool, path):
        """Types the path on the file page and presses Next: the refusal's text; the page stays."""
        tool.press(1015)
        sheet = tool.wizard()
        page, _ = wait_page_text(sheet, 1015)
        h.probe("settext", page, 1016, h.to_windows(path))
        h.click_control(sheet.hwnd, NEXT)
        box, text = h.wait_message_box(caption="Tavro")
        h.close_box(box)
        self.assertIsNotNone(wait_page_text(sheet, 1016, 2), "the file page was left")
        h.click_control(sheet.hwnd, 2)   # Cancel
        return text

    def test_shell_item_and_environment_shortcuts(self):
        # Control Panel and This PC dragged onto the desktop, as Windows 11's apps are: only an item id list.
        items = [os.path.join(self.apps, n) for n in ("コントロール パネル.lnk", "PC.lnk")]
        for path, csidl in zip(items, (3, 17)):
            self.assertEqual("", h.probe("makeitemlink", h.to_windows(path), csidl).strip())
        env, gone = os.path.join(self.apps, "メモ帳.lnk"), os.path.join(self.apps, "消えた.lnk")
        h.probe("makeexplink", h.to_windows(env), r"%windir%\notepad.exe")
        h.probe("makeexplink", h.to_windows(gone), r"%windir%\tavro-gone.exe")
        tool = ToolSession(self.folder)
        for path in items:
            seen = self.register(tool, path, shots=False)
            self.assertEqual(([], 1, h.to_windows(path), "登録処理は正常に終了しました．"),
                             (seen["boxes"] + seen["boxes_at_next"], seen["orgicon"], seen["iconpath"], seen["done"]))
        # An installer's %windir% target is checked and shown expanded: the program it starts holds the icon.
        seen = self.register(tool, env, shots=False)
        self.assertEqual(([], r"c:\windows\notepad.exe"), (seen["boxes"] + seen["boxes_at_next"], seen["iconpath"].lower()))
        self.assertEqual("ショートカットのリンク先が見つかりません．\nC:\\windows\\tavro-gone.exe\nプログラムを登録できません",
                         self.refused_on_file_page(tool, gone))
        tool.quit()
        for path in items:
            name = os.path.basename(path)
            watcher = h.TrayWatcher()
            h.shell_open(h.to_windows(os.path.join(self.folder, name, name + ".lnk")))
            pos = watcher.wait_new_icon(timeout=45.0)
            self.assertIsNotNone(pos, name)
            time.sleep(1)
            self.assertEqual([], [t for _b, t in h.message_boxes()], name)
            before = {w.hwnd for w in h.find_windows(visible=True)}
            h.mouse_click(pos[0], pos[1], double=True)
            opened = h.wait_until(lambda: [w for w in h.find_windows(visible=True) if w.hwnd not in before], 20)
            h.screenshot("shell_item_launch_%d" % items.index(path))
            self.assertTrue(opened, name)
            self.assertEqual([], h.message_boxes(caption=h.LAUNCH_CAPTION), name)
            for w in opened:
                h.probe("post", w.hwnd, 0x10, 0, 0)   # WM_CLOSE

    def test_edit_through_the_hidden_button(self):
        program = self.add_program("編集.exe")
        newdir = os.path.join(self.apps, "新しい 作業")
        os.makedirs(newdir)
        tool = ToolSession(self.folder)
        resident = self.register(tool, program, cmdline="-a", shots=False, keep_resident=True)["residents"]
        watcher = h.TrayWatcher()

        # The edit wizard has no visible button; its command is still wired.
        h.probe("command", tool.main.hwnd, 1016)
        sheet = tool.wizard()
        self.assertIsNotNone(sheet, "the edit wizard did not open")
        page, listbox = wait_page_text(sheet, 1022)
        self.assertTrue(h.wait_until(lambda: "編集.exe(" in h.control(page, 1019).text, 5))
        page, name, boxes = self.next_page(sheet, 1007)
        self.assertEqual([], boxes)
        # Filled from the registration, not from defaults.
        self.assertEqual("編集.exe", name.text)
        self.assertEqual("-a", h.control(page, 1001).text)
        self.assertEqual(h.to_windows(program), h.control(page, 1017).text)
        h.probe("settext", page, 1007, "編集した名前")
        h.probe("settext", page, 1002, h.to_windows(newdir))
        h.screenshot("edit_page2")
        page, check, boxes = self.next_page(sheet, 1021)
        self.assertEqual([], boxes)
        h.screenshot("edit_page3")
        page, done, boxes = self.next_page(sheet, 1024)
        self.assertEqual([], boxes)
        self.assertEqual("登録処理は正常に終了しました．", done.text)
        # The running icon took the edit: the same process, no icon added.
        self.assertEqual("動作中のトレイアイコンに登録内容を反映しました．", h.control(page, 1023).text)
        self.assertEqual(resident, [w.pid for w in h.find_windows(title=h.RESIDENT_TITLE)])
        self.assertEqual(len(watcher.icons(watcher.before)), watcher.icon_count())
        h.click_control(sheet.hwnd, FINISH)
        h.wait_until(lambda: h.probe("iconic", tool.main.hwnd).strip() == "0", 10)
        tool.quit()

        entry = os.path.join(self.folder, "編集.exe")
        ini = os.path.join(entry, "tavro.ini")
        self.check_settings(ini, "編集した名前", program, "-a", "", 0, h.to_windows(newdir))
        for lnk in (os.path.join(entry, "編集.exe.lnk"), os.path.join(self.startup, "編集.exe.lnk")):
            self.check_link(lnk, h.to_windows(ini), h.to_windows(newdir), h.to_windows(program), "編集した名前")
        self.assertEqual(["tavro.ini", "編集.exe.lnk"], sorted(os.listdir(entry)))

    def test_next_logon_starts_the_resident(self):
        program = self.add_program("logon.exe")
        tool = ToolSession(self.folder)
        self.register(tool, program)
        tool.quit()
        self.assertTrue(os.path.exists(os.path.join(self.startup, "logon.exe.lnk")))
        watcher = h.TrayWatcher()
        # A new boot of the prefix runs the Startup folder, as a logon does.
        subprocess.run([h.WINELOADER, "wineboot"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=120)
        pos = watcher.wait_new_icon(30)
        self.assertIsNotNone(pos, "no resident started at the simulated logon")
        h.screenshot("logon_icon")
        found = h.wait_window(title=h.RESIDENT_TITLE)
        self.assertIsNotNone(found)
        h.probe("command", found.hwnd, 32772)


if __name__ == "__main__":
    h.run_tests()
