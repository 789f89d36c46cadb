"""Fifty residents started at once, each with a registration of its own.

What Wine's virtual desktop does with them (1024x768, measured): the
notification area is one row inside the 20-pixel taskbar, 20 pixels per icon,
filled from the right edge with the newest icon at the left. Beside the
Start button there are 47 whole slots, so 47 of the 50 icons show and the
three newest lie under the Start button; nothing wraps into a second row.

So the test counts the icons in the strip (all that fit must show) and then
quits the residents one by one through real clicks on the rightmost icon:
right click, the popup menu opens (its window belongs to one resident's
process), its last item ends exactly that process and no other, and the
icons left of it move up, so the hidden ones come into view and are clicked
in turn. Fifty different processes answer fifty menus; at the end no
process, no owner window and no icon is left."""

import time
import unittest

import soakkit as kit
from soakkit import h

COUNT = 50
INI = "[data]\r\ndispname=常駐{n:02d}\r\nprogram={program}\r\ncmdline=\r\niconpath=\r\norgicon=0\r\nworkdir=\r\n"


class FiftyResidentsTest(unittest.TestCase):
    def tearDown(self):
        h.stop_all()

    def test_fifty_icons_each_answering_its_own_menu(self):
        folder, program = kit.install("TavroSoak50")
        bar = kit.Taskbar()
        self.assertEqual(0, bar.count(), "the tray must be empty: the test clicks the icons by position")
        capacity = bar.capacity()

        started = time.time()
        procs = []
        for n in range(COUNT):
            ini = kit.write_settings(folder, "e%02d" % n,
                                     INI.format(n=n, program=h.to_windows(program)).encode("cp932"))
            procs.append(kit.start_resident(folder, ini, "fifty%02d" % n))

        # Fifty owner windows, all hidden; the icons that fit all show.
        windows = h.wait_until(lambda: (lambda w: w if len(w) == COUNT else None)(kit.resident_windows()),
                               90, 0.5)
        self.assertIsNotNone(windows, "not all fifty residents came up")
        self.assertFalse([w for w in windows if w.visible], "an owner window is visible")
        pids = {w.pid for w in windows}
        self.assertEqual(COUNT, len(pids))
        bar = kit.wait_icon_count(min(COUNT, capacity), 30)
        h.screenshot("fifty_started")
        print("fifty residents up in %.1f s; %d icons show in %d slots beside the Start button"
              % (time.time() - started, bar.count(), capacity))
        self.assertEqual(min(COUNT, capacity), bar.count())
        self.assertTrue(all(p.poll() is None for p in procs), "a resident ended by itself")

        answered = []
        for k in range(COUNT):
            left = COUNT - k
            bar = kit.wait_icon_count(min(left, capacity), 5)
            self.assertEqual(min(left, capacity), bar.count(), "icons with %d residents left" % left)
            x, y = bar.centre(bar.icons[-1])
            # A click the X server drops is tried again; a resident that does
            # not answer fails all three.
            for _attempt in range(3):
                h.mouse_click(x, y, button=3)
                menus = h.wait_until(kit.open_menus, 3, 0.2)
                if menus:
                    break
            self.assertTrue(menus, "the icon at %d did not open a menu (%d left)" % (x, left))
            owner = menus[0].pid
            self.assertIn(owner, pids, "the menu belongs to no running resident")
            if k in (0, COUNT - capacity):
                h.screenshot("fifty_menu_%d_left" % left)
            h.click_menu_item("last")

            # Exactly one process ends, and it is the one whose menu it was.
            self.assertTrue(h.wait_until(lambda: sum(p.poll() is None for p in procs) == left - 1, 10),
                            "quitting one resident did not end exactly one process")
            pids.discard(owner)
            now = h.wait_until(lambda: (lambda s: s if s == pids else None)(
                {w.pid for w in kit.resident_windows()}), 5)
            self.assertEqual(pids, now, "another resident's window went instead")
            answered.append(owner)

        self.assertEqual(COUNT, len(set(answered)))
        self.assertTrue(all(p.poll() is not None for p in procs))
        self.assertEqual([], kit.resident_windows())
        self.assertEqual(0, kit.wait_icon_count(0, 5).count(), "icons stayed in the tray")
        h.screenshot("fifty_all_quit")


if __name__ == "__main__":
    h.run_tests()
