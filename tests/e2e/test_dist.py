"""The release as a Windows user gets it: the zip's contents, and the package
unpacked into drive C: of the test prefix, started from there, a program
registered with the wizard, its tray icon opened from the entry shortcut and a
double click on it. The run with --release uses the i686 release itself; the
other run uses the x86_64 twin that scripts/dist.sh packs the same way."""

import os
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
    """The package under test unpacked as a user would, and used."""

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
        h.unpack(h.tested_zip(), self.place)
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


if __name__ == "__main__":
    h.run_tests()
