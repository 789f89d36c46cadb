"""The release as a Windows user gets it: the zip's contents, and the package
unpacked into drive C: of the test prefix, started from there, a program
registered with the wizard, its tray icon opened from the entry shortcut and a
double click on it. The i686 product cannot run here, so the run uses the x86_64
twin that scripts/dist.sh packs the same way."""

import os
import pathlib
import shutil
import subprocess
import tempfile
import time
import unittest
import zipfile

import harness as h
import test_register
from test_tool import ToolSession

SHIPPED = ["Tavro/", "Tavro/Tavro.exe", "Tavro/TavroCore.Exe", "Tavro/TavroHelp.Html"]
DIST_SH = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "dist.sh")
I386, AMD64 = 0x14C, 0x8664


def members(zip_path):
    with zipfile.ZipFile(zip_path) as z:
        return [(i.filename, i.date_time, i.external_attr) for i in z.infolist()], \
               {n: z.read(n) for n in z.namelist() if not n.endswith("/")}


class PackageTest(unittest.TestCase):
    """The two zips, without Wine."""

    def test_release_and_test_twin_hold_the_same_folder(self):
        product, twin = h.dist_zips()
        self.assertTrue(os.path.isfile(product), "release zip missing: " + product)
        self.assertTrue(os.path.isfile(twin), "test zip missing: " + twin)
        product_list, product_data = members(product)
        twin_list, twin_data = members(twin)
        self.assertEqual(SHIPPED, [name for name, _, _ in product_list])
        self.assertEqual([name for name, _, _ in product_list], [name for name, _, _ in twin_list])
        for name in ("Tavro/Tavro.exe", "Tavro/TavroCore.Exe"):
            self.assertEqual(I386, h.pe_machine(product_data[name]), name + " of the release")
            self.assertEqual(AMD64, h.pe_machine(twin_data[name]), name + " of the test zip")
        self.assertEqual(product_data["Tavro/TavroHelp.Html"], twin_data["Tavro/TavroHelp.Html"])
        # Windows attributes: the folder is a folder, the files plain archive files.
        self.assertEqual([0x10, 0x20, 0x20, 0x20], [attr for _, _, attr in product_list])

    def test_packing_is_reproducible_and_refuses_an_incomplete_build(self):
        work = tempfile.mkdtemp(prefix="tavro-dist-")
        try:
            env = dict(os.environ, SOURCE_DATE_EPOCH="1767225600")   # 2026-01-01 00:00:00 UTC
            zips = []
            for n in (1, 2):
                zips.append(os.path.join(work, "run%d" % n, "T.zip"))
                subprocess.run(["bash", DIST_SH, h.ARGS.bin, zips[-1]], env=env, check=True,
                               stdout=subprocess.DEVNULL)
            with open(zips[0], "rb") as a, open(zips[1], "rb") as b:
                self.assertEqual(a.read(), b.read(), "two packings of one build differ")
            listing, _ = members(zips[0])
            self.assertEqual({(2026, 1, 1, 0, 0, 0)}, {stamp for _, stamp, _ in listing})
            self.assertEqual(sorted(SHIPPED[1:]), sorted("Tavro/" + n for n in
                                                         os.listdir(os.path.join(work, "run1", "T", "Tavro"))))

            # A build folder without the guide (and with stray files) gives no package.
            partial = os.path.join(work, "bin")
            os.makedirs(partial)
            for name in ("Tavro.exe", "TavroCore.Exe"):
                shutil.copy2(os.path.join(h.ARGS.bin, name), partial)
            open(os.path.join(partial, "TavroCre.Exe"), "wb").close()
            out = subprocess.run(["bash", DIST_SH, partial, os.path.join(work, "bad.zip")], env=env,
                                 stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
            self.assertNotEqual(0, out.returncode)
            self.assertIn(b"TavroHelp.Html", out.stderr)
            self.assertFalse(os.path.exists(os.path.join(work, "bad.zip")))
        finally:
            shutil.rmtree(work, ignore_errors=True)


class UnpackedTest(unittest.TestCase):
    """The test twin unpacked as a user would, and used."""

    def setUp(self):
        self.place = os.path.join(h.prefix_drive_c(), "Downloads")
        shutil.rmtree(self.place, ignore_errors=True)
        os.makedirs(self.place)
        self.apps = os.path.join(h.prefix_drive_c(), "Tavro Dist Apps")
        shutil.rmtree(self.apps, ignore_errors=True)
        os.makedirs(self.apps)

    def tearDown(self):
        h.stop_all()
        time.sleep(0.5)

    def test_unpacked_folder_registers_shows_the_icon_and_launches(self):
        _, twin = h.dist_zips()
        h.unpack(twin, self.place)
        folder = os.path.join(self.place, "Tavro")
        self.assertEqual(sorted(n[len("Tavro/"):] for n in SHIPPED[1:]), sorted(os.listdir(folder)))

        program = os.path.join(self.apps, "recorder.exe")
        shutil.copy2(h.ARGS.recorder, program)
        tool = ToolSession(folder)
        self.assertIsNotNone(tool.main, "Tavro.exe from the unpacked folder showed no main dialog")
        # test_register's wizard run (its setUp is not run: no state of its own is used).
        wizard = test_register.RegisterTest("register")
        seen = wizard.register(tool, program, cmdline="from-zip", startup=False, shots=False)
        self.assertEqual("登録処理は正常に終了しました．", seen["done"])
        tool.quit()

        # The registration lives beside the tool, in the unpacked folder.
        entry = os.path.join(folder, "recorder.exe")
        self.assertEqual({"Tavro.exe", "TavroCore.Exe", "TavroHelp.Html", "recorder.exe"},
                         set(os.listdir(folder)))
        link = os.path.join(entry, "recorder.exe.lnk")
        self.assertTrue(os.path.isfile(link), "no entry shortcut")

        # Opening the entry shortcut starts the unpacked TavroCore.Exe with its icon.
        watcher = h.TrayWatcher()
        h.shell_open(h.to_windows(link))
        pos = watcher.wait_new_icon(20)
        self.assertIsNotNone(pos, "the registration's tray icon did not appear")
        h.screenshot("dist_icon")
        h.mouse_click(pos[0], pos[1], double=True)
        log = os.path.join(self.apps, "recorder.log")
        self.assertTrue(h.wait_until(lambda: os.path.exists(log), 10), "the double click started nothing")
        time.sleep(0.5)
        with open(log, "rb") as f:
            self.assertIn("from-zip", f.read().decode("cp932"))


    def launch_from_new_icon(self, name, start):
        """Starts a resident, double-clicks its new tray icon and waits for its program's log line."""
        watcher = h.TrayWatcher()
        start()
        pos = watcher.wait_new_icon(30)
        self.assertIsNotNone(pos, "no resident started for " + name)
        h.mouse_click(pos[0], pos[1], double=True)
        log = os.path.join(self.apps, "recorder.log")
        self.assertTrue(h.wait_until(lambda: os.path.exists(log) and ("after-" + name).encode() in
                                     pathlib.Path(log).read_bytes(), 10), "the resident for %s started nothing" % name)
        h.stop_all()

    def test_moved_folder_gets_its_shortcuts_rewritten_and_they_start_the_residents(self):
        _, twin = h.dist_zips()
        h.unpack(twin, self.place)
        startup = h.startup_folder_unix()
        os.makedirs(startup, exist_ok=True)
        for name in os.listdir(startup):
            os.remove(os.path.join(startup, name))
        tool = ToolSession(os.path.join(self.place, "Tavro"))
        wizard = test_register.RegisterTest("register")
        for name, at_logon in (("moved-a.exe", False), ("moved-b.exe", True)):
            shutil.copy2(h.ARGS.recorder, os.path.join(self.apps, name))
            seen = wizard.register(tool, os.path.join(self.apps, name), cmdline="after-" + name,
                                   startup=at_logon, shots=False)
            self.assertEqual("登録処理は正常に終了しました．", seen["done"])
        tool.quit()

        # The whole folder moved from Downloads into a tools folder.
        moved = os.path.join(h.prefix_drive_c(), "Tools", "Tavro")
        shutil.rmtree(os.path.dirname(moved), ignore_errors=True)
        os.makedirs(os.path.dirname(moved))
        shutil.move(os.path.join(self.place, "Tavro"), moved)
        proc = h.start(os.path.join(moved, "Tavro.exe"), cwd=moved, log_name="tavro")
        box, text = h.wait_message_box()
        self.assertEqual("Tavroのフォルダが移動されたため、2件の登録のショートカットが古い場所を指しています．\n"
                         "新しい場所に合わせて更新しますか？", text)
        h.click_control(box.hwnd, 6)   # Yes
        main = h.wait_window(title="Tavro.Exe Ver 2.00", visible=True)
        self.assertIsNotNone(main, "no main dialog after the question")
        h.click_control(main.hwnd, 1019)
        h.wait_until(lambda: proc.poll() is not None, 10)

        # The old folder is gone: a program that starts proves the moved settings file was read.
        entry_a = h.to_windows(os.path.join(moved, "moved-a.exe", "moved-a.exe.lnk"))
        self.launch_from_new_icon("moved-a.exe", lambda: h.shell_open(entry_a))
        # A new boot of the prefix runs the Startup folder, as a logon does.
        self.launch_from_new_icon("moved-b.exe", lambda: subprocess.run(
            [h.WINELOADER, "wineboot"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120))
        os.remove(os.path.join(startup, "moved-b.exe.lnk"))


if __name__ == "__main__":
    h.run_tests()
