"""Tavro.exe as a user meets it: the main dialog, its single instance, the help
button, and whole registrations through the wizard, checked on disk and in the tray."""

import os
import shutil
import time
import unittest

import harness as h

BACK, NEXT, FINISH, CANCEL = 12323, 12324, 12325, 2


class ToolSession:
    """One running Tavro.exe in a freshly installed folder."""

    def __init__(self, folder, cwd=None):
        self.folder = folder
        self.proc = h.start(os.path.join(folder, "Tavro.exe"), cwd=cwd or folder, log_name="tavro")
        self.main = h.wait_window(title=h.TOOL_TITLE, visible=True)

    def press(self, control_id):
        h.click_control(self.main.hwnd, control_id)

    def wizard(self, timeout=10):
        """The wizard sheet (the visible dialog with the Next button)."""
        def find():
            for w in h.find_windows(cls="#32770", visible=True):
                if w.hwnd != self.main.hwnd and h.control(w.hwnd, NEXT):
                    return w
            return None
        return h.wait_until(find, timeout)

    def current_page(self, sheet):
        return int(h.probe("send", sheet.hwnd, 0x476, 0, 0).strip() or 0)  # PSM_GETCURRENTPAGEHWND

    def quit(self):
        if self.proc.poll() is None:
            self.press(1019)
            h.wait_until(lambda: self.proc.poll() is not None, 10)


def page_control(page_hwnd, control_id):
    return h.control(page_hwnd, control_id)


def wait_page_text(sheet, control_id, timeout=8):
    def find():
        page = int(h.probe("send", sheet.hwnd, 0x476, 0, 0).strip() or 0)
        c = h.control(page, control_id) if page else None
        return (page, c) if c else None
    return h.wait_until(find, timeout)


class ToolTest(unittest.TestCase):
    def setUp(self):
        self.folder = h.install_tool("TavroTool")
        self.apps = os.path.join(h.prefix_drive_c(), "TavroApps")
        shutil.rmtree(self.apps, ignore_errors=True)
        os.makedirs(self.apps)
        self.startup = h.startup_folder_unix()
        for name in os.listdir(self.startup) if os.path.isdir(self.startup) else []:
            if name.lower().endswith(".lnk"):
                os.remove(os.path.join(self.startup, name))

    def tearDown(self):
        h.stop_all()
        time.sleep(0.5)

    # -- main dialog ------------------------------------------------------

    def test_main_dialog_texts_and_tab_order(self):
        tool = ToolSession(self.folder)
        self.assertIsNotNone(tool.main, "main dialog did not appear")
        h.screenshot("tool_main")
        kids = {c.id: c for c in h.children(tool.main.hwnd)}
        self.assertEqual("プログラムを新規登録する", kids[1015].text)
        self.assertEqual("登録情報を削除する", kids[1017].text)
        self.assertEqual("Tavroのﾄﾞｷｭﾒﾝﾄ(HTML)を読む", kids[1018].text)
        self.assertEqual("Tavroを終了する", kids[1019].text)
        self.assertFalse(kids[1016].visible)
        # The 32-bit tool on 64-bit Windows names the package for it (Wine runs a 32-bit
        # program in a 64-bit prefix as WOW64); the 64-bit tool keeps the line hidden.
        self.assertEqual("このWindowsには64ビット版のTavro(win64のzip)が適しています．", kids[1020].text)
        self.assertEqual(bool(h.ARGS.release), kids[1020].visible)
        order = [int(x) for x in h.probe("taborder", tool.main.hwnd).split()]
        self.assertEqual([1015, 1017, 1018, 1019], order)
        tool.quit()
        self.assertIsNotNone(tool.proc.poll(), "Tavro.exe still runs after quitting")

    def test_second_start_is_refused(self):
        tool = ToolSession(self.folder)
        second = h.start(os.path.join(self.folder, "Tavro.exe"), cwd=self.folder, log_name="second")
        box, text = h.wait_message_box(caption="Tavro")
        self.assertEqual("Tavroはすでに実行中です", text)
        h.close_box(box)
        self.assertTrue(h.wait_until(lambda: second.poll() is not None, 10))
        tool.quit()
        again = ToolSession(self.folder)
        self.assertIsNotNone(again.main, "a new start after the first ended failed")
        again.quit()

    def test_start_is_refused_where_the_own_path_would_arrive_changed(self):
        # Read through the ANSI calls: t¥x as the existing t\x, 271 bytes cut to the folder above.
        c = h.prefix_drive_c()
        os.makedirs(os.path.join(c, "t", "x"), exist_ok=True)
        cases = ((os.path.join(c, "t¥x"), "Tavroのフォルダのパスに、この環境の文字コードで表せない文字が"
                  "含まれています．\nフォルダ名を変更してから起動してください．"),
                 (os.path.join(c, "abc", "あ" * 60, "あ" * 60, "あ" * 6), "Tavroのフォルダのパスが長すぎます．"))
        tree = lambda: [sorted(os.walk(os.path.join(c, root))) for root in ("t", "t¥x", "abc")]
        for folder, message in cases:
            os.makedirs(folder, exist_ok=True)
            shutil.copy2(os.path.join(self.folder, "Tavro.exe"), folder)
            before = tree()
            proc = h.start(os.path.join(folder, "Tavro.exe"), log_name="refused")
            box, text = h.wait_message_box(caption="Tavro")
            self.assertEqual((message, []), (text, h.find_windows(title=h.TOOL_TITLE)))
            h.close_box(box)
            self.assertTrue(h.wait_until(lambda: proc.poll() is not None, 10))
            self.assertEqual(before, tree())

    def test_wizard_buttons_minimise_and_restore(self):
        tool = ToolSession(self.folder)
        for button, first_page_text in ((1015, "参照(&D)..."), (1017, "登録されていません")):
            tool.press(button)
            sheet = tool.wizard()
            self.assertIsNotNone(sheet, "no wizard for button %d" % button)
            self.assertEqual("1", h.probe("iconic", tool.main.hwnd).strip())
            found = wait_page_text(sheet, 1015 if button == 1015 else 1022)
            self.assertIsNotNone(found)
            h.screenshot("tool_wizard_%d" % button)
            h.click_control(sheet.hwnd, CANCEL)
            self.assertTrue(h.wait_until(lambda: h.probe("iconic", tool.main.hwnd).strip() == "0", 10))
        tool.quit()

    def test_help_opens_the_guide_and_is_silent_when_missing(self):
        # Documents open through the shell: associate .html with the recorder for this test.
        recorder = os.path.join(self.apps, "recorder.exe")
        shutil.copy2(h.ARGS.recorder, recorder)
        h.associate(".html", recorder)
        log = os.path.join(self.apps, "recorder.log")
        # Started elsewhere, as by a resident whose launch changed its folder, with a decoy guide there.
        shutil.copy2(os.path.join(self.folder, "TavroHelp.Html"), self.apps)
        tool = ToolSession(self.folder, cwd=self.apps)
        tool.press(1018)
        self.assertTrue(h.wait_until(lambda: os.path.exists(log), 10), "the guide was not opened")
        time.sleep(0.5)
        with open(log, "rb") as f:
            self.assertIn(h.to_windows(self.folder) + "\\TavroHelp.Html", f.read().decode("cp932"))
        os.remove(log)
        os.remove(os.path.join(self.folder, "TavroHelp.Html"))
        tool.press(1018)
        time.sleep(2)
        self.assertEqual([], h.message_boxes())
        self.assertFalse(os.path.exists(log))
        tool.quit()

    # -- another code page ---------------------------------------------------

    def test_both_programs_refuse_a_code_page_other_than_932_and_write_nothing(self):
        """The programs' manifest asking for UTF-8 instead of ja-JP, as Windows 10 with the
        UTF-8 option runs them: the refusal, readable there, and the end."""
        ini = h.to_windows(os.path.join(self.apps, "tavro.ini"))
        os.makedirs(self.startup, exist_ok=True)
        with open(os.path.join(self.apps, "tavro.ini"), "wb") as f:
            f.write(b"[data]\r\ndispname=x\r\nprogram=C:\\windows\\notepad.exe\r\n")
        for name, args in (("Tavro.exe", []), ("TavroCore.Exe", ["/INI=" + ini])):
            path = os.path.join(self.folder, name)
            with open(path, "rb") as f:
                data = f.read()
            self.assertEqual(1, data.count(b">ja-JP</activeCodePage>"), name)
            with open(path, "wb") as f:
                f.write(data.replace(b">ja-JP</activeCodePage>", b">UTF-8</activeCodePage>"))
            before = [sorted(os.listdir(d)) for d in (self.folder, self.apps, self.startup)]
            proc = h.start(path, args, cwd=self.folder, log_name="refusal")
            box, text = h.wait_message_box()
            self.assertIsNotNone(box, name + " showed no refusal")
            h.screenshot("refusal_" + name)
            self.assertEqual(os.path.splitext(name)[0], box.title)
            self.assertTrue(text.startswith("Tavroを使うには、Windowsのシステムロケールが日本語である必要があります"), text)
            self.assertIn("\nTavro needs the Japanese system locale (not needed on Windows 11).\n", text)
            h.close_box(box)
            self.assertTrue(h.wait_until(lambda: proc.poll() is not None, 10), name + " did not end")
            self.assertEqual([], h.find_windows(title=h.TOOL_TITLE))
            self.assertEqual(before, [sorted(os.listdir(d)) for d in (self.folder, self.apps, self.startup)])


if __name__ == "__main__":
    h.run_tests()
