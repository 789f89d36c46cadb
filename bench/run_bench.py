"""Runs the benchmarks under Wine and prints one table; writes the figures as
JSON. Every figure is a ratio against the bare platform minimum, measured in
the same run: start-up and memory of the resident against BareTray, the entry
list against a bare read loop, the removal against a bare recursive delete.
scripts/bench.sh provides DISPLAY, WINEPREFIX and the Wine variables."""

import argparse
import json
import os
import re
import shutil
import statistics
import subprocess
import sys
import time

WINELOADER = os.environ.get("WINELOADER", "/usr/lib/wine/wine64")
WINELOADER32 = os.environ.get("WINELOADER32", "/usr/lib/wine/wine")
ID_APP_QUIT = 32772          # the resident's exit command
LIST_ENTRIES = 1000
LOGON_RESIDENTS = 30         # residents started at once, as Startup does at logon
MOVED_ENTRIES = 100
REMOVE_FILES = 10000
# Wine's explorer writes one trace line per icon added, stamped with the same
# tick count (milliseconds since boot) that GetTickCount returns.
ADD_ICON = re.compile(r"^\s*(\d+)\.(\d{3}):[0-9a-f]+:trace:systray:add_icon id=0x[0-9a-f]+, hwnd=([0-9a-f]+)",
                      re.IGNORECASE)
# The same for an icon changed (its tip, its image) or removed: Wine 8 traces a
# removal (NIM_DELETE) only as the icon hidden.
TRAY_EVENT = re.compile(r"^\s*(\d+)\.(\d{3}):[0-9a-f]+:trace:systray:(add|modify|hide)_icon id=0x[0-9a-f]+, "
                        r"hwnd=([0-9a-f]+)", re.IGNORECASE)


def drive_c(*parts):
    return os.path.join(os.environ["WINEPREFIX"], "drive_c", *parts)


def loader_of(program):
    """Wine's loader of the program's machine: an i386 program (the i686 bench
    programs) through the 32-bit loader, as Windows starts it, never beside a
    64-bit starter process."""
    if program[:3].upper() != "C:\\":
        return WINELOADER
    with open(drive_c(*program[3:].split("\\")), "rb") as f:
        head = f.read(4096)
    pe = int.from_bytes(head[0x3C:0x40], "little")
    return WINELOADER32 if head[pe + 4:pe + 6] == b"\x4c\x01" else WINELOADER


def run(args, timeout=600):
    """Runs a Windows program; output through a file, since programs it starts
    could hold a pipe open."""
    out_path = drive_c("TavroBench", "out.txt")
    with open(out_path, "wb") as out:
        rc = subprocess.run([loader_of(args[0])] + args, stdout=out, stderr=subprocess.STDOUT,
                            stdin=subprocess.DEVNULL, timeout=timeout).returncode
    with open(out_path, "rb") as f:
        text = f.read().decode("utf-8", "replace")
    if rc != 0:
        raise RuntimeError("%s failed (%d):\n%s" % (" ".join(args), rc, text))
    return text


def numbers(text):
    """'name value' lines as {name: [values]}."""
    found = {}
    for line in text.splitlines():
        parts = line.split()
        if len(parts) == 2:
            try:
                found.setdefault(parts[0], []).append(float(parts[1]))
            except ValueError:
                pass
    return found


# ---- sizes -----------------------------------------------------------------

# The size budgets of the shipped programs, the same for both packages, as CMakeLists.txt sets them.
SIZE_GOALS = (("TavroCore.Exe", 102400), ("Tavro.exe", 358400))
OBJDUMP = {"win64": "x86_64-w64-mingw32-objdump", "win32": "i686-w64-mingw32-objdump"}


def sizes(package, program_dir):
    """{"<package> <program>": bytes, goal, imports} for the programs of one package's folder."""
    result = {}
    objdump = OBJDUMP[package]
    for name, goal in SIZE_GOALS:
        path = os.path.join(program_dir, name)
        dump = subprocess.run([objdump, "-p", path], stdout=subprocess.PIPE,
                              env=dict(os.environ, LC_ALL="C")).stdout.decode("ascii", "replace")
        dlls = sorted({m.strip().lower() for m in re.findall(r"DLL Name: (\S+)", dump)})
        result["%s %s" % (package, name)] = {"bytes": os.path.getsize(path), "goal": goal, "imports": dlls}
    return result


# ---- tray start and memory -------------------------------------------------

class Desktop:
    """The virtual desktop "shell" with its taskbar, its explorer tracing the
    notification area."""

    def __init__(self, log_path):
        self.log_path = log_path
        env = dict(os.environ, WINEDEBUG="+timestamp,+systray")
        self.log = open(log_path, "wb")
        self.proc = subprocess.Popen([WINELOADER, "explorer", "/desktop=shell,1024x768"], env=env,
                                     stdout=self.log, stderr=self.log, stdin=subprocess.DEVNULL)

    def size(self):
        return os.path.getsize(self.log_path)

    def wait_icon(self, since, timeout=30.0):
        """(tick, hwnd) of the first icon added after byte offset since."""
        end = time.time() + timeout
        while time.time() < end:
            with open(self.log_path, "rb") as f:
                f.seek(since)
                for line in f.read().decode("ascii", "replace").splitlines():
                    m = ADD_ICON.match(line)
                    if m:
                        return int(m.group(1)) * 1000 + int(m.group(2)), int(m.group(3), 16)
            time.sleep(0.05)
        raise RuntimeError("no tray icon was added (see %s)" % self.log_path)


def wait_tray(desktop, since, kind, timeout=30.0):
    """(tick, hwnd) of the first icon added, modified or hidden (kind) after byte offset since."""
    end = time.time() + timeout
    while time.time() < end:
        with open(desktop.log_path, "rb") as f:
            f.seek(since)
            for line in f.read().decode("ascii", "replace").splitlines():
                m = TRAY_EVENT.match(line)
                if m and m.group(3).lower() == kind:
                    return int(m.group(1)) * 1000 + int(m.group(2)), int(m.group(4), 16)
        time.sleep(0.05)
    raise RuntimeError("no tray icon was %s (see %s)" % ({"add": "added"}.get(kind, kind + "d"), desktop.log_path))


def wait_icons(desktop, since, count, timeout=120.0):
    """Ticks of the first count icons added after byte offset since."""
    end = time.time() + timeout
    while time.time() < end:
        with open(desktop.log_path, "rb") as f:
            f.seek(since)
            lines = f.read().decode("ascii", "replace").splitlines()
        ticks = [int(m.group(1)) * 1000 + int(m.group(2)) for m in map(ADD_ICON.match, lines) if m]
        if len(ticks) >= count:
            return ticks[:count]
        time.sleep(0.1)
    raise RuntimeError("only %d of %d tray icons were added (see %s)" % (len(ticks), count, desktop.log_path))


def logon_run(desktop, launcher, exe, tail, quit_command):
    """Milliseconds from the first of LOGON_RESIDENTS starts at once until the
    last of their icons is in the tray."""
    since = desktop.size()
    out = run([launcher, "startmany", str(LOGON_RESIDENTS), exe] + ([tail] if tail else []))
    start = int(re.search(r"tick (\d+)", out).group(1))
    pids = re.findall(r"pid (\d+)", out)
    try:
        ticks = wait_icons(desktop, since, LOGON_RESIDENTS)
    finally:
        run([launcher, "stopmany", str(quit_command)] + pids, timeout=900)
        time.sleep(1.0)   # the icons gone before the next run
    return max(ticks) - start


def logon_rows(desktop, subfolder, label, reps):
    """A logon with many registrations: LOGON_RESIDENTS residents of the build
    in C:\\TavroBench\\<subfolder>, each with its own registration, started at
    once against as many BareTray of that build."""
    where = "C:\\TavroBench" + ("\\" + subfolder if subfolder else "")
    label += " "
    launcher = where + "\\bench_launcher.exe"
    logon = drive_c("TavroBench", "logon")
    for i in range(1, LOGON_RESIDENTS + 1):
        entry = os.path.join(logon, "App%02d.exe" % i)
        os.makedirs(entry, exist_ok=True)
        with open(os.path.join(entry, "tavro.ini"), "wb") as f:
            f.write(("[data]\r\ndispname=ログオン %02d\r\nprogram=C:\\windows\\system32\\notepad.exe\r\n"
                     "cmdline=\r\nworkdir=\r\niconpath=\r\norgicon=0\r\n" % i).encode("cp932"))
    bare = (where + "\\BareTray.exe", None, 0)
    resident = (where + "\\TavroCore.Exe", "/INI=C:\\TavroBench\\logon\\App*.exe\\tavro.ini", ID_APP_QUIT)
    runs = {"bare": [], "resident": []}
    for rep in range(reps):
        order = [("bare", bare), ("resident", resident)]
        for kind, launch_args in (order if rep % 2 == 0 else order[::-1]):
            runs[kind].append(logon_run(desktop, launcher, *launch_args))
            print("  %slogon %-8s %d ms" % (label, kind, runs[kind][-1]), flush=True)
    return [row(label + "%d residents at once until all icons are in the tray" % LOGON_RESIDENTS, "ms", runs["resident"],
                runs["bare"], 1.2, "as Startup starts them at logon; each resident with its own registration, "
                "against as many BareTray started the same way")]


def unix_pids(program):
    """Unix processes of this run's Wine prefix whose command line (Wine sets
    it to the Windows one) names the program; other Wine users of the machine
    run programs of the same name."""
    prefix = ("WINEPREFIX=" + os.environ["WINEPREFIX"]).encode()
    pids = []
    for d in os.listdir("/proc"):
        if not d.isdigit():
            continue
        try:
            with open("/proc/%s/cmdline" % d, "rb") as f:
                named = program.lower().encode() in f.read().lower()
            with open("/proc/%s/environ" % d, "rb") as f:
                ours = prefix in f.read().split(b"\0")
        except OSError:
            continue
        if named and ours:
            pids.append(d)
    return pids


def wakeups(pids):
    """Per process: (context switches, processor ms) summed over its threads;
    each wakeup of a thread is one switch to it."""
    found = {}
    for pid in pids:
        switches = ticks = 0
        try:
            for tid in os.listdir("/proc/%s/task" % pid):
                with open("/proc/%s/task/%s/status" % (pid, tid)) as f:
                    for line in f:
                        if line.startswith(("voluntary_ctxt_switches", "nonvoluntary_ctxt_switches")):
                            switches += int(line.split()[1])
                with open("/proc/%s/task/%s/stat" % (pid, tid)) as f:
                    fields = f.read().rsplit(")", 1)[1].split()
                    ticks += int(fields[11]) + int(fields[12])
        except OSError:
            continue
        found[pid] = (switches, ticks * 1000 // os.sysconf("SC_CLK_TCK"))
    return found


def idle_run(desktop, launcher, exe, tail, quit_command, seconds):
    """Wakeups and processor time of LOGON_RESIDENTS programs over `seconds`
    idle seconds once all their icons are in the tray."""
    since = desktop.size()
    out = run([launcher, "startmany", str(LOGON_RESIDENTS), exe] + ([tail] if tail else []))
    pids = re.findall(r"pid (\d+)", out)
    try:
        wait_icons(desktop, since, LOGON_RESIDENTS)
        time.sleep(5.0)   # the starts settled
        unix = unix_pids(exe.split("\\")[-1])
        before = wakeups(unix)
        time.sleep(seconds)
        after = wakeups(unix)
    finally:
        run([launcher, "stopmany", str(quit_command)] + pids, timeout=900)
        time.sleep(1.0)
    both = [p for p in before if p in after]
    return {"switches": sum(after[p][0] - before[p][0] for p in both),
            "cpu_ms": sum(after[p][1] - before[p][1] for p in both), "processes": len(both)}


def idle_rows(desktop, subfolder, label, seconds=60):
    """LOGON_RESIDENTS residents idle in the tray against as many BareTray."""
    where = "C:\\TavroBench" + ("\\" + subfolder if subfolder else "")
    launcher = where + "\\bench_launcher.exe"
    bare = idle_run(desktop, launcher, where + "\\BareTray.exe", None, 0, seconds)
    resident = idle_run(desktop, launcher, where + "\\TavroCore.Exe",
                        "/INI=C:\\TavroBench\\logon\\App*.exe\\tavro.ini", ID_APP_QUIT, seconds)
    print("  %s idle: resident %s, bare %s" % (label, resident, bare), flush=True)
    note = "%d s idle; from /proc, context switches and user+system time of all their threads (Wine's own included), %d and %d processes" % (
        seconds, resident["processes"], bare["processes"])
    rows = [row(label + " idle wakeups of %d residents" % LOGON_RESIDENTS, "switches", [resident["switches"]],
                [bare["switches"]], 1.1, note),
            row(label + " idle processor time of %d residents" % LOGON_RESIDENTS, "ms", [resident["cpu_ms"]],
                [bare["cpu_ms"]], 1.1, note)]
    for r in rows:
        # Nothing against nothing: as quiet as the bare program.
        if r["product"] == 0 and r["baseline"] == 0:
            r["ratio"], r["met"] = 1.0, True
    return rows


def pair_ratios(product, baseline):
    """Median and interquartile range of the ratios of the interleaved pairs."""
    ratios = sorted(p / b for p, b in zip(product, baseline) if b)
    if len(ratios) < 4:
        return "pairs: %s" % ", ".join("%.2f" % r for r in ratios)
    q = statistics.quantiles(ratios, n=4)
    return "ratio of each of %d interleaved pairs: median %.2f, quartiles %.2f..%.2f, range %.2f..%.2f" % (
        len(ratios), statistics.median(ratios), q[0], q[2], ratios[0], ratios[-1])


def tray_run(desktop, launcher, exe, tail, quit_command, tick_file=None, icon_timeout=30.0):
    since = desktop.size()
    out = run([launcher, "start", exe] + ([tail] if tail else []))
    m = re.search(r"pid (\d+) tick (\d+)", out)
    pid, tick = int(m.group(1)), int(m.group(2))
    try:
        added, hwnd = desktop.wait_icon(since, icon_timeout)
    except RuntimeError:
        run([launcher, "stop", str(pid), str(quit_command)])
        raise
    windows = [int(v) for v in re.findall(r"hwnd (\d+)", run([launcher, "windows", str(pid)]))]
    if hwnd not in windows:
        raise RuntimeError("the icon added belongs to no window of %s" % exe)
    time.sleep(2.0)   # idle in the tray
    mem = re.search(r"private (\d+) workingset (\d+) pagefile (\d+)", run([launcher, "memory", str(pid)]))
    modules = sorted(set(re.findall(r"module (\S+)", run([launcher, "modules", str(pid)]).lower())))
    run([launcher, "stop", str(pid), str(quit_command)])
    own = None
    if tick_file:
        with open(tick_file) as f:
            own = int(f.read().strip())
    # Wine leaves PrivateUsage at 0 for another process; its PagefileUsage is
    # the process's private (anonymous) memory, the figure Windows reports as
    # both PrivateUsage and PagefileUsage.
    return {"start_ms": added - tick, "private": int(mem.group(3)), "workingset": int(mem.group(2)),
            "own_tick_after_add": (own - added) if own is not None else None, "modules": modules}


def tray_rows(desktop, subfolder, label, reps):
    """Start and memory rows (named with label) of the resident in
    C:\\TavroBench\\<subfolder> against the BareTray and the launcher beside it
    (one build)."""
    where = "C:\\TavroBench" + ("\\" + subfolder if subfolder else "")
    label += " "
    launcher = where + "\\bench_launcher.exe"
    bare = (where + "\\BareTray.exe", where + "\\tick.txt", 0, drive_c("TavroBench", subfolder, "tick.txt"))
    resident = (where + "\\TavroCore.Exe", "/INI=C:\\TavroBench\\entry\\tavro.ini", ID_APP_QUIT, None)
    # Warm-up: the desktop's notification area must be up before the first
    # icon can be added; the first runs also fill the caches.
    for attempt in range(10):
        time.sleep(1.0)
        try:
            tray_run(desktop, launcher, *bare, icon_timeout=5.0)
            break
        except RuntimeError:
            if attempt == 9:
                raise
    tray_run(desktop, launcher, *resident)
    runs = {"bare": [], "resident": []}
    for rep in range(reps):
        order = [("bare", bare), ("resident", resident)]
        for kind, launch_args in (order if rep % 2 == 0 else order[::-1]):
            runs[kind].append(tray_run(desktop, launcher, *launch_args))
            print("  %stray %-8s %s" % (label, kind, {k: v for k, v in runs[kind][-1].items() if k != "modules"}),
                  flush=True)
    lag = [r["own_tick_after_add"] for r in runs["bare"]]
    extra = [m for m in runs["resident"][-1]["modules"] if m not in runs["bare"][-1]["modules"]]
    return [
        row(label + "resident start until its tray icon", "ms", [r["start_ms"] for r in runs["resident"]],
            [r["start_ms"] for r in runs["bare"]], 1.25,
            "icon time from explorer's +systray trace; BareTray's own GetTickCount after NIM_ADD "
            "came %d..%d ms after the traced time (same clock); %s" % (
                min(lag), max(lag), pair_ratios([r["start_ms"] for r in runs["resident"]],
                                                [r["start_ms"] for r in runs["bare"]]))),
        row(label + "resident private bytes, idle", "bytes", [r["private"] for r in runs["resident"]],
            [r["private"] for r in runs["bare"]], 1.25,
            "PagefileUsage: Wine reports PrivateUsage as 0 for another process; "
            "modules the resident loads beyond BareTray's: %s" % (", ".join(extra) or "none")),
        row(label + "resident working set, idle", "bytes", [r["workingset"] for r in runs["resident"]],
            [r["workingset"] for r in runs["bare"]], 1.25),
    ]


# ---- the tray following the tool ------------------------------------------

def follow_step(desktop, step, kind):
    """Milliseconds from the tick the bench program took when the user's Finish
    would start the step until the tray event of that kind, and its window."""
    since = desktop.size()
    m = re.search(r"tick (\d+) done (\d+)", run(["C:\\TavroBench\\follow\\bench_tray_follow.exe"] + step))
    tick, hwnd = wait_tray(desktop, since, kind)
    return tick - int(m.group(1)), int(m.group(2)) - int(m.group(1)), hwnd


def follow_tool(desktop, rep):
    """A new registration, its edit and its removal through the confirmation
    page's own steps, each followed to the tray; the least an edit does on
    the running resident as well (settings file written, reload request)."""
    new, new_tool, hwnd = follow_step(desktop, ["new", "Follow %d" % rep], "add")
    edit, edit_tool, hwnd_edit = follow_step(desktop, ["edit", "Follow %d edited" % rep], "modify")
    reload_ms, _, hwnd_reload = follow_step(desktop, ["reload", "Follow %d again" % rep], "modify")
    delete, delete_tool, hwnd_delete = follow_step(desktop, ["delete"], "hide")
    if not hwnd == hwnd_edit == hwnd_reload == hwnd_delete:
        raise RuntimeError("the registration's icon changed its window between the steps")
    return {"new": new, "new_tool": new_tool, "edit": edit, "edit_tool": edit_tool, "reload": reload_ms,
            "delete": delete, "delete_tool": delete_tool}


def follow_direct(desktop):
    """The resident started and ended directly: the launcher's start until
    its icon, its own exit command posted until the icon is gone."""
    launcher = "C:\\TavroBench\\bench_launcher.exe"
    since = desktop.size()
    out = run([launcher, "start", "C:\\TavroBench\\follow\\TavroCore.Exe", "/INI=C:\\TavroBench\\entry\\tavro.ini"])
    pid, tick = re.search(r"pid (\d+) tick (\d+)", out).groups()
    try:
        added, _ = wait_tray(desktop, since, "add")
    finally:
        since = desktop.size()
        stop = int(re.search(r"tick (\d+)", run([launcher, "stop", pid, str(ID_APP_QUIT)])).group(1))
    gone, _ = wait_tray(desktop, since, "hide")
    return {"start": added - int(tick), "end": gone - stop}


def follow_rows(desktop, reps):
    """The shipped 64-bit resident following the tool, against the resident
    started and ended directly, alternately."""
    runs = {"tool": [], "direct": []}
    for rep in range(reps):
        order = [("tool", lambda: follow_tool(desktop, rep)), ("direct", lambda: follow_direct(desktop))]
        for kind, step in (order if rep % 2 == 0 else order[::-1]):
            runs[kind].append(step())
            time.sleep(1.0)
            print("  follow %-6s %s" % (kind, runs[kind][-1]), flush=True)
    tool = lambda key: [r[key] for r in runs["tool"]]
    direct = lambda key: [r[key] for r in runs["direct"]]
    return [
        row("x64 new registration: Finish until its icon", "ms", tool("new"), direct("start"), 1.25,
            "the commit and the resident's start, against the launcher starting the resident; the tool's "
            "own steps (commit, start) took %.0f ms" % median(tool("new_tool"))),
        row("x64 edit: Finish until the new tip", "ms", tool("edit"), tool("reload"), 1.25,
            "the commit and the reload request, against the settings file written and the reload request "
            "sent alone; the tool's own steps "
            "took %.0f ms" % median(tool("edit_tool"))),
        row("x64 delete: Finish until the icon is gone", "ms", tool("delete"), direct("end"), 1.25,
            "the removal and the end request, against the resident's own exit command posted to it; "
            "the tool's own steps took %.0f ms; longest %.0f ms (within a second)"
            % (median(tool("delete_tool")), max(tool("delete")))),
    ]


# ---- the table ---------------------------------------------------------------

def median(values):
    return statistics.median(values) if values else float("nan")


def row(name, unit, product, baseline, goal, note=""):
    p, b = median(product), median(baseline)
    ratio = p / b if b else float("nan")
    return {"name": name, "unit": unit, "product": p, "baseline": b, "ratio": ratio, "goal": goal,
            "met": ratio <= goal, "product_samples": product, "baseline_samples": baseline, "note": note}


def fmt(value, unit):
    if unit == "bytes":
        return "{:,}".format(int(value))
    return "%.1f" % value


def print_table(rows, size_info, platform):
    print()
    print("Tavro benchmarks - %s" % platform)
    print("%-46s %14s %14s %7s %6s  %s" % ("figure", "Tavro", "bare minimum", "ratio", "goal", ""))
    for r in rows:
        print("%-46s %14s %14s %7.2f %6.2f  %s" % (
            "%s (%s)" % (r["name"], r["unit"]), fmt(r["product"], r["unit"]), fmt(r["baseline"], r["unit"]),
            r["ratio"], r["goal"], "ok" if r["met"] else "MISSED"))
    for name, s in size_info.items():
        ratio = s["bytes"] / s["goal"]
        print("%-46s %14s %14s %7.2f %6.2f  %s" % (
            "%s, stripped (bytes)" % name, "{:,}".format(s["bytes"]), "goal {:,}".format(s["goal"]),
            ratio, 1.0, "ok" if ratio <= 1.0 else "MISSED"))
        print("    imports: %s" % ", ".join(s["imports"]))
    for r in rows:
        if r["note"]:
            print("note: %s: %s" % (r["name"], r["note"]))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bench-build", required=True, help="x86_64 build tree with TAVRO_BENCH")
    parser.add_argument("--x64-bin", required=True, help="the 64-bit package's Tavro folder")
    parser.add_argument("--i686-bin", required=True, help="the 32-bit package's Tavro folder")
    parser.add_argument("--i686-bench", help="i686 build tree with TAVRO_BENCH, where 32-bit code runs")
    parser.add_argument("--reps", type=int, default=7)
    parser.add_argument("--logon-reps", type=int, default=3)
    parser.add_argument("--start-reps", type=int, default=25,
                        help="interleaved pairs of single starts until the icon")
    parser.add_argument("--idle-seconds", type=int, default=60)
    parser.add_argument("--out", required=True)
    args = parser.parse_args()

    bench_bin = os.path.join(args.bench_build, "bench")
    work = drive_c("TavroBench")
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    for name in ("BareTray.exe", "bench_launcher.exe", "bench_remove.exe"):
        shutil.copy2(os.path.join(bench_bin, name), work)
    shutil.copy2(os.path.join(args.x64_bin, "TavroCore.Exe"), work)
    rows = []

    # 1, 2: the shipped 64-bit resident against BareTray built the same way,
    # started alternately; the i686 product too where it runs, against BareTray
    # built for i686.
    os.makedirs(os.path.join(work, "entry"))
    with open(os.path.join(work, "entry", "tavro.ini"), "wb") as f:
        f.write("[data]\r\ndispname=ベンチ\r\nprogram=C:\\windows\\system32\\notepad.exe\r\ncmdline=\r\n"
                "workdir=\r\niconpath=\r\norgicon=0\r\n".encode("cp932"))
    desktop = Desktop(os.path.join(args.bench_build, "bench-explorer.log"))
    rows.extend(tray_rows(desktop, "", "x64", args.start_reps))
    rows.extend(logon_rows(desktop, "", "x64", args.logon_reps))
    rows.extend(idle_rows(desktop, "", "x64", args.idle_seconds))
    # 2b: the tray following the tool's commits and removals, in a Tavro folder of its own.
    os.makedirs(os.path.join(work, "follow"))
    for name in ("TavroCore.Exe", "bench_tray_follow.exe"):
        shutil.copy2(os.path.join(args.x64_bin if name == "TavroCore.Exe" else bench_bin, name),
                     os.path.join(work, "follow"))
    rows.extend(follow_rows(desktop, args.reps))
    if args.i686_bench:
        os.makedirs(os.path.join(work, "i686"))
        for name in ("BareTray.exe", "bench_launcher.exe"):
            shutil.copy2(os.path.join(args.i686_bench, "bench", name), os.path.join(work, "i686"))
        shutil.copy2(os.path.join(args.i686_bin, "TavroCore.Exe"), os.path.join(work, "i686"))
        rows.extend(tray_rows(desktop, "i686", "i686", args.start_reps))
        rows.extend(logon_rows(desktop, "i686", "i686", args.logon_reps))

    # 3: the entry list beside the list program.
    list_dir = os.path.join(work, "list")
    os.makedirs(list_dir)
    shutil.copy2(os.path.join(bench_bin, "bench_list.exe"), list_dir)
    for i in range(1, LIST_ENTRIES + 1):
        entry = os.path.join(list_dir, "App%04d.exe" % i)
        os.makedirs(entry)
        with open(os.path.join(entry, "tavro.ini"), "wb") as f:
            f.write(("[data]\r\ndispname=ベンチ %04d\r\nprogram=C:\\windows\\system32\\notepad.exe\r\n"
                     "cmdline=/x %d\r\nworkdir=C:\\windows\r\niconpath=\r\norgicon=0\r\n"
                     % (LIST_ENTRIES + 1 - i, i)).encode("cp932"))
    found = numbers(run(["C:\\TavroBench\\list\\bench_list.exe", str(args.reps)], timeout=1800))
    print("  list %s" % {k: [round(v) for v in vals] for k, vals in found.items()}, flush=True)
    rows.append(row("entry list: page opened and filled", "ms", found["open"], found["bare"], 1.5,
                    "%d entries; bare loop: FindFirstFile + 6 GetPrivateProfileStringA each" % LIST_ENTRIES))
    rows.append(row("entry list: visible page refilled", "ms", found["fill"], found["bare"], 1.5,
                    "phases: records read alone %.0f ms; refill with the list box's drawing off %.0f ms"
                    % (median(found["read"]), median(found["fill_noredraw"]))))

    # 3b: the start-up check for a moved tool folder; the program lays out its registrations itself.
    moved_dir = os.path.join(work, "moved")
    os.makedirs(moved_dir)
    shutil.copy2(os.path.join(bench_bin, "bench_moved.exe"), moved_dir)
    found = numbers(run(["C:\\TavroBench\\moved\\bench_moved.exe", str(MOVED_ENTRIES), str(args.reps)]))
    print("  moved %s" % {k: [round(v, 1) for v in vals] for k, vals in found.items()}, flush=True)
    rows.append(row("moved-folder check at start", "ms", found["check"], found["bare"], 1.2,
                    "%d registrations, none stale; bare loop: FindFirstFile + one link object loading "
                    "each entry shortcut; goal also under 100 ms" % MOVED_ENTRIES))

    # 4: removal of an entry folder with many files, made afresh for each run.
    folder = os.path.join(work, "remove", "Bench.exe")
    win_folder = "C:\\TavroBench\\remove\\Bench.exe"

    def make_folder():
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
        for i in range(REMOVE_FILES):
            with open(os.path.join(folder, "file%05d.dat" % i), "wb") as f:
                f.write(b"[data]\r\n")

    removal = {"bare": [], "product": []}
    make_folder()
    phases = numbers(run(["C:\\TavroBench\\bench_remove.exe", "phases", win_folder]))
    for rep in range(args.reps):
        order = ["bare", "product"] if rep % 2 == 0 else ["product", "bare"]
        for mode in order:
            make_folder()
            removal[mode].extend(numbers(run(["C:\\TavroBench\\bench_remove.exe", mode, win_folder]))[mode])
    print("  remove %s" % {k: [round(v) for v in vals] for k, vals in removal.items()}, flush=True)
    per_item = lambda key: phases[key][0] * 1000.0 / REMOVE_FILES
    rows.append(row("removal of a folder of %d files" % REMOVE_FILES, "ms", removal["product"], removal["bare"],
                    2.0, "per item: listing %.0f us, open as itself %.0f us, final path +%.0f us, "
                    "message check %.0f us" % (per_item("phase_list"), per_item("phase_open"),
                                               per_item("phase_finalpath") - per_item("phase_open"),
                                               per_item("phase_peek"))))

    platform = ("x86_64 product build under Wine %s on Xvfb; rows marked x64: the shipped 64-bit resident "
                "against BareTray built the same way; %s"
                % (run(["--version"]).strip().replace("wine-", ""),
                   "rows marked i686: the shipped i686 resident against BareTray built for i686"
                   if args.i686_bench else "the i686 product cannot run here"))
    size_info = sizes("win64", args.x64_bin)
    size_info.update(sizes("win32", args.i686_bin))
    print_table(rows, size_info, platform)
    with open(args.out, "w") as f:
        json.dump({"platform": platform, "repetitions": args.reps, "figures": rows, "sizes": size_info,
                   "phases_ms": phases}, f, indent=2, ensure_ascii=False)
    print("\nwritten: %s" % args.out)
    # A missed goal is a finding to read in the table, not a failed run.
    return 0


if __name__ == "__main__":
    sys.exit(main())
