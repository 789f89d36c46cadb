"""The release as a Windows user gets it: the two packages' contents, and the
package under test unpacked into drive C: of the test prefix, started from
there, a program registered with the wizard, its tray icon opened from the
entry shortcut and a double click on it; then the switch of a folder to the
64-bit programs. The run with --release uses the 32-bit package in every step;
the other run the 64-bit package."""

import glob
import hashlib
import html
import os
import pathlib
import re
import shutil
import subprocess
import tempfile
import time
import unittest
import zipfile

import harness as h
import test_register
from test_tool import ToolSession, FINISH, wait_page_text

SHIPPED = ["Tavro/", "Tavro/Tavro.exe", "Tavro/TavroCore.Exe", "Tavro/TavroHelp.Html"]
ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
DIST_SH = os.path.join(ROOT, "scripts", "dist.sh")
I386, AMD64 = h.I386, h.AMD64
PLACEHOLDER = r"(%(?:%|[-+ #0]*\d*(?:\.\d+)?(?:ll|l|h|I64)?[diuxXsc]))"
PRODUCT_DIRS = ("framework", "entrystore", "regtool", "resident")
RESOURCE_SCRIPTS = {"Tavro.exe": "regtool/res/Tavro.rc", "TavroCore.Exe": "resident/res/TavroCore.rc"}
RC_ESCAPES = {"n": "\n", "t": "\t", "\\": "\\", '"': '"'}
# Calls that put a text on the screen: none may be given a literal.
SHOWN_BY = r"\b(?:AfxMessageBox|AfxShowMessageBox|MessageBox[AW]?|FatalAppExit[AW]?|SetWindowText[AW]?|" \
           r"SetDlgItemText[AW]?|ModifyMenu[AW]?|AppendMenu[AW]?|InsertMenu[AW]?|AddString|PSM_SETFINISHTEXT[AW]?)\b"
CODE = re.compile(r"//[^\n]*|/\*.*?\*/|#include[^\n]*|'(?:[^'\\\n]|\\.)*'|\"(?:[^\"\\\n]|\\.)*\"", re.S)


def string_table(program):
    """The string-table texts of a program's resource script and the scripts it includes, id -> text."""
    texts, scripts = {}, [os.path.join(ROOT, RESOURCE_SCRIPTS[program])]
    while scripts:
        with open(scripts.pop(), encoding="utf-8") as f:
            rc = f.read()
        for block in re.findall(r"^STRINGTABLE\s*\nBEGIN\n(.*?)^END", rc, re.S | re.M):
            # A text may be built from literals and the version macro.
            for key, text in re.findall(r'^\s*(IDS_\w+)\s+((?:(?:"(?:[^"\n]|"")*"|TAVRO_VERSION)[ \t]*)+)$', block, re.M):
                texts[key] = "".join(h.ARGS.version if part == "TAVRO_VERSION" else re.sub(
                    r'\\(.)|""', lambda m: RC_ESCAPES.get(m.group(1), "\\" + m.group(1)) if m.group(1) else '"', part[1:-1])
                    for part in re.findall(r'"(?:[^"\n]|"")*"|TAVRO_VERSION', text))
        scripts += [os.path.join(ROOT, d, name) for name in re.findall(r'^#include "(\w+\.rc)"', rc, re.M)
                    for d in PRODUCT_DIRS if os.path.isfile(os.path.join(ROOT, d, name))]
    return texts


def product_code():
    """The product's C++ sources, path -> text, comments out."""
    code = {}
    for path in [p for d in PRODUCT_DIRS for ext in ("cpp", "h") for p in glob.glob(os.path.join(ROOT, d, "*." + ext))]:
        with open(path, encoding="utf-8") as f:
            code[os.path.relpath(path, ROOT)] = CODE.sub(lambda m: m.group() if m.group()[0] in "\"'" else " ", f.read())
    return code


def literal_messages(code):
    """Shown texts still written in the code: any string literal beyond ASCII (a
    Japanese text), and any text literal handed to a call that shows it."""
    found = []
    for path, text in code.items():
        for m in re.finditer(r'"(?:[^"\\\n]|\\.)*"', text):
            if any(ord(c) > 0x7F for c in m.group()):
                found.append("%s:%d: %s" % (path, text.count("\n", 0, m.start()) + 1, m.group()))
        for m in re.finditer(SHOWN_BY + r"[^;]*", text):
            if any(len(t) > 2 for t in re.findall(r'"(?:[^"\\\n]|\\.)*"', m.group())):
                found.append("%s:%d: %s" % (path, text.count("\n", 0, m.start()) + 1, m.group()))
    return found


def guide_messages(page):
    """The guide's message lists, program -> texts; what the program fills in is <var>...</var>, read as NUL."""
    lists = {}
    for program, table in re.findall(r'<table class="messages" data-program="([^"]+)">(.*?)</table>', page, re.S):
        for span in re.findall(r'<span class="msg">(.*?)</span>', "".join(re.findall(r"<tr><td>(.*?)</td>", table, re.S)), re.S):
            text = re.sub(r"<var>.*?</var>", "\0", re.sub(r"\s*\n\s*", "", span).replace("<br>", "\n"))
            lists.setdefault(program, []).append(html.unescape(re.sub(r"<[^>]+>", "", text)))
    return lists


def lists_text(entry, text):
    """Whether a guide entry is the format text; a filled-in text may be written out."""
    return re.fullmatch("".join(re.escape(p) if i % 2 == 0 else {"%%": "%"}.get(p, ".+?" if p[-1] in "sc" else r"(?:\d+|\x00)")
                                for i, p in enumerate(re.split(PLACEHOLDER, text))), entry, re.S)

# What the programs declare to Windows: no elevation or virtualization, the supported
# systems from Vista to 10/11, themed controls, system DPI awareness, code page 932.
MANIFEST_ENTRIES = ['requestedExecutionLevel level="asInvoker"'] + \
    ['supportedOS Id="{%s}"' % g for g in ("e2011457-1546-43c5-a5fe-008deee3d3f0",
                                           "35138b9a-5d96-4fbd-8e2d-a2440225f93a",
                                           "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38",
                                           "1f676c76-80e1-4239-95bb-83d0f6d0da78",
                                           "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a")] + \
    ['name="Microsoft.Windows.Common-Controls" version="6.0.0.0"', ">true</dpiAware>",
     '<activeCodePage xmlns="http://schemas.microsoft.com/SMI/2019/WindowsSettings">ja-JP</activeCodePage>']


def manifest(data):
    """The text of resource 24, id 1 (first language) of a PE image; None if it has none."""
    pe = int.from_bytes(data[0x3C:0x40], "little")
    u16 = lambda o: int.from_bytes(data[o:o + 2], "little")     # noqa: E731
    u32 = lambda o: int.from_bytes(data[o:o + 4], "little")     # noqa: E731
    opt = pe + 24
    rsrc_rva = u32(opt + (112 if u16(opt) == 0x20B else 96) + 16)
    sections = [(u32(o + 12), u32(o + 8), u32(o + 20))       # address, size, file offset
                for o in range(opt + u16(pe + 20), opt + u16(pe + 20) + 40 * u16(pe + 6), 40)]
    offset = lambda rva: next(f + rva - a for a, n, f in sections if a <= rva < a + n)   # noqa: E731
    base = offset(rsrc_rva)

    def entry(table, wanted):
        count = u16(table + 12) + u16(table + 14)
        for o in range(table + 16, table + 16 + 8 * count, 8):
            if wanted is None or u32(o) == wanted:
                return base + (u32(o + 4) & 0x7FFFFFFF)
        return None
    types = entry(base, 24)
    names = types and entry(types, 1)
    leaf = names and entry(names, None)
    if not leaf:
        return None
    start = offset(u32(leaf))
    return data[start:start + u32(leaf + 4)].decode("utf-8")


def members(zip_path):
    with zipfile.ZipFile(zip_path) as z:
        return [(i.filename, i.date_time, i.external_attr) for i in z.infolist()], \
               {n: z.read(n) for n in z.namelist() if not n.endswith("/")}


class PackageTest(unittest.TestCase):
    """The two zips, without Wine."""

    def test_both_packages_hold_the_same_folder_for_their_windows(self):
        packages = dict(zip((AMD64, I386), h.dist_zips()))
        contents = {}
        for machine, package in packages.items():
            self.assertTrue(os.path.isfile(package), "package missing: " + package)
            listing, data = contents[machine] = members(package)
            self.assertEqual(SHIPPED, [name for name, _, _ in listing], package)
            # Windows attributes: the folder is a folder, the files plain archive files.
            self.assertEqual([0x10, 0x20, 0x20, 0x20], [attr for _, _, attr in listing], package)
            for name in ("Tavro/Tavro.exe", "Tavro/TavroCore.Exe"):
                self.assertEqual(machine, h.pe_machine(data[name]), name + " of " + package)
                text = manifest(data[name])
                self.assertIsNotNone(text, name + " of " + package + " carries no application manifest")
                for wanted in MANIFEST_ENTRIES:
                    self.assertIn(wanted, text, name + " of " + package)
            with open(package, "rb") as z, open(package + ".sha256", encoding="ascii") as f:
                self.assertEqual("%s  %s\n" % (hashlib.sha256(z.read()).hexdigest(), os.path.basename(package)),
                                 f.read())
        self.assertEqual(contents[AMD64][1]["Tavro/TavroHelp.Html"], contents[I386][1]["Tavro/TavroHelp.Html"])

    def test_guide_lists_every_message_each_program_shows(self):
        """Each program's message box texts are the IDS_MSG_ entries of its string
        tables; the guide lists exactly those, and no shown text stays in the code."""
        code = product_code()
        self.assertEqual([], literal_messages(code), "texts to move into a string table")
        # The 32-bit package's programs: the package a user of either Windows can run.
        _, data = members(h.dist_zips()[1])
        lists = guide_messages(data["Tavro/TavroHelp.Html"].decode("utf-8"))
        every_id = set()
        for program in ("Tavro.exe", "TavroCore.Exe"):
            table = string_table(program)
            every_id |= set(table)
            shown = [t for k, t in table.items() if k.startswith("IDS_MSG_")]
            # The program carries its table (UTF-16 in its resources).
            self.assertEqual([], [t for t in table.values() if not all(
                p.encode("utf-16-le") in data["Tavro/" + program] for p in re.split(PLACEHOLDER, t)[::2])], program)
            listed = lists.get(program, [])
            print("%s shows %d message texts; its list in the guide, %d" % (program, len(shown), len(listed)))
            self.assertEqual([], [t for t in shown if not any(lists_text(e, t) for e in listed)], program + ": not in the guide")
            self.assertEqual([], [e for e in listed if not any(lists_text(e, t) for t in shown)], program + ": not shown")
        uses = "".join(code.values())
        self.assertEqual([], sorted(k for k in every_id if not re.search(r"\b%s\b" % k, uses.replace('#define ' + k, ""))),
                         "table texts no code uses")

    def test_harness_starts_each_program_through_the_loader_of_its_machine(self):
        """An i386 program never goes through a 64-bit loader, whose starter
        process would hold the start's folder; without a 32-bit loader it is refused."""
        work = tempfile.mkdtemp(prefix="tavro-loader-")
        saved, started = h.WINELOADER32, len(h._started)
        try:
            programs = {}
            for machine, package in zip((AMD64, I386), h.dist_zips()):
                programs[machine] = os.path.join(work, "%x.exe" % machine)
                with open(programs[machine], "wb") as f:
                    f.write(members(package)[1]["Tavro/TavroCore.Exe"])
            loader32 = os.path.join(work, "wine")
            with open(loader32, "wb") as f:
                f.write(b"\x7fELF\x01")   # how a 32-bit ELF program begins
            for loader32_is, machine, expected in ((h.WINELOADER, AMD64, h.WINELOADER),
                                                   (loader32, I386, loader32),
                                                   (h.WINELOADER, I386, None),
                                                   (os.path.join(work, "missing"), I386, None)):
                h.WINELOADER32 = loader32_is
                with self.subTest(loader32=loader32_is, machine=hex(machine)):
                    if expected:
                        self.assertEqual(expected, h.loader_for(programs[machine]))
                    else:
                        self.assertRaises(h.LoaderRefused, h.start, programs[machine], cwd=work)
            self.assertEqual(started, len(h._started), "a refused program was started")
        finally:
            h.WINELOADER32 = saved
            shutil.rmtree(work, ignore_errors=True)

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
        h.unpack(h.tested_zip(), self.place)
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
        main = h.wait_window(title=h.TOOL_TITLE, visible=True)
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


    def test_a_deletion_ends_the_resident_of_the_other_package(self):
        """The README's switch of packages leaves residents of both kinds running for a while:
        the tool ends a deleted registration's resident of the other package (a 64-bit one in
        the i686 run; a 32-bit one in the x86_64 run where 32-bit code runs, else a 64-bit one
        from another folder)."""
        runs_i386 = h.elf_class(h.WINELOADER32) == 1
        other_zip = h.dist_zips()[0 if h.ARGS.release or not runs_i386 else 1]
        h.unpack(h.tested_zip(), self.place)
        h.unpack(other_zip, os.path.join(self.place, "other"))
        folder = os.path.join(self.place, "Tavro")
        shutil.copy2(h.ARGS.recorder, os.path.join(self.apps, "mixed.exe"))
        tool = ToolSession(folder)
        wizard = test_register.RegisterTest("register")
        wizard.register(tool, os.path.join(self.apps, "mixed.exe"), startup=False, shots=False)
        watcher = h.TrayWatcher()
        ini = h.to_windows(os.path.join(folder, "mixed.exe", "tavro.ini"))
        resident = h.start_resident(os.path.join(self.place, "other", "Tavro"), "/INI=" + ini, link_name="other")
        self.assertIsNotNone(watcher.wait_new_icon(20), "the other package's resident showed no icon")
        sheet = wizard.delete_line(tool, 0)
        page, _ = wait_page_text(sheet, 1024)
        self.assertEqual("この登録のトレイアイコンを終了しました．", h.control(page, 1023).text)
        self.assertIsNotNone(resident.poll(), "the other package's resident still runs")
        h.click_control(sheet.hwnd, FINISH)
        tool.quit()

    def test_programs_of_the_64_bit_package_copied_over_keep_the_registrations(self):
        """The switch the README tells a user of the 32-bit package on 64-bit Windows to make:
        quit the tray icons, copy the 64-bit package's two programs over the old ones. In the
        64-bit run the programs are replaced by their equals."""
        h.unpack(h.tested_zip(), self.place)
        folder = os.path.join(self.place, "Tavro")
        shutil.copy2(h.ARGS.recorder, os.path.join(self.apps, "switch.exe"))
        tool = ToolSession(folder)
        seen = test_register.RegisterTest("register").register(
            tool, os.path.join(self.apps, "switch.exe"), cmdline="after-switch.exe", startup=False, shots=False)
        self.assertEqual("登録処理は正常に終了しました．", seen["done"])
        tool.quit()
        link = h.to_windows(os.path.join(folder, "switch.exe", "switch.exe.lnk"))
        self.launch_from_new_icon("switch.exe", lambda: h.shell_open(link))   # ends with its exit command

        with zipfile.ZipFile(h.dist_zips()[0]) as z:
            for name in ("Tavro.exe", "TavroCore.Exe"):
                with open(os.path.join(folder, name), "wb") as f:
                    f.write(z.read("Tavro/" + name))
                with open(os.path.join(folder, name), "rb") as f:
                    self.assertEqual(AMD64, h.pe_machine(f.read()))
        os.remove(os.path.join(self.apps, "recorder.log"))
        # The 64-bit tool starts as usual: the folder and its shortcuts are where they were.
        tool = ToolSession(folder)
        self.assertIsNotNone(tool.main, "the 64-bit Tavro.exe showed no main dialog")
        self.assertEqual([], [text for _, text in h.message_boxes()])
        tool.quit()
        # The shortcut the old tool wrote starts the 64-bit resident, which reads the old settings.
        self.launch_from_new_icon("switch.exe", lambda: h.shell_open(link))


if __name__ == "__main__":
    h.run_tests()
