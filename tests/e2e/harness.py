"""Helpers shared by the end-to-end tests of the real programs under Wine.

run.sh starts the Wine desktop and exports what these helpers read:
TW_WINE (the wine loader for the build's bitness), TW_DIST (the program folder under test),
TW_E2E_BIN (winprobe.exe and the other test programs), TW_ARTIFACTS (where screenshots go),
DISPLAY and WINEPREFIX, and TW_FAKE_MEMINFO when the tests run with a file of their own
mounted over /proc/meminfo (see set_available_mb).
"""
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import unittest
from dataclasses import dataclass

WINE = os.environ.get("TW_WINE", "wine")
DIST = os.environ.get("TW_DIST", "")
E2E_BIN = os.environ.get("TW_E2E_BIN", "")
ARTIFACTS = os.environ.get("TW_ARTIFACTS", tempfile.gettempdir())
FAKE_MEMINFO = os.environ.get("TW_FAKE_MEMINFO", "")
# Where the 32-bit programs run through qemu-i386 (tools/i386_emulator.sh), the peak resident
# memory measured from outside includes the emulator's own: about 30 MB more, seen with Wine.
EMULATOR_RSS_KB = 64 * 1024 if os.environ.get("TW_I386_EMULATOR") else 0


@dataclass
class Finished:
    status: int          # the program's exit code (a crash gives the NTSTATUS' low byte)
    max_rss_kb: int      # peak resident memory of the process: shows what was touched
    stdout: str
    stderr: str


# The programs a user gets, relative to the program folder.
PROGRAMS = ("Tidewarden.exe", "Marrowgate.exe", "Scrubwright/Scrubwright.exe")


class ProgramFolder:
    """A private copy of the programs, removed afterwards: tests never touch dist/. Only the
    programs are copied, so nothing a run by hand left beside them (hwnd.tmp, settings) is."""

    def __init__(self):
        self.root = tempfile.mkdtemp(prefix="tw-e2e-")
        self.path = os.path.join(self.root, "Tidewarden")
        for relative in PROGRAMS:
            target = self.exe(relative)
            os.makedirs(os.path.dirname(target), exist_ok=True)
            shutil.copy2(os.path.join(DIST, relative), target)

    def exe(self, relative):
        return os.path.join(self.path, relative)

    def remove(self):
        shutil.rmtree(self.root, ignore_errors=True)


class Started:
    """A program started under Wine; wait() reaps it and reports its resource use."""

    def __init__(self, exe, args, trace=False, env=None, preexec_fn=None):
        env = dict(os.environ, **(env or {}))
        if trace:
            # Wine's own trace of the memory calls: what the program asked the system for.
            env["WINEDEBUG"] = "-all,trace+virtual"
        self._stdout = tempfile.TemporaryFile()
        self._stderr = tempfile.TemporaryFile()
        self.process = subprocess.Popen([WINE, exe, *args], env=env, preexec_fn=preexec_fn,
                                        stdout=self._stdout, stderr=self._stderr)

    def wait(self, timeout):
        deadline = time.monotonic() + timeout
        while True:
            pid, status, usage = os.wait4(self.process.pid, os.WNOHANG)
            if pid:
                self.process.returncode = os.waitstatus_to_exitcode(status)
                return Finished(self.process.returncode, usage.ru_maxrss,
                                _drain(self._stdout), _drain(self._stderr))
            if time.monotonic() > deadline:
                self.kill()
                raise AssertionError(f"program still running after {timeout} s")
            time.sleep(0.05)

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait(5)
        for file in (self._stdout, self._stderr):
            if not file.closed:
                file.close()


def _drain(file):
    file.seek(0)
    text = file.read().decode("utf-8", "replace")
    file.close()
    return text


def run(exe, args, timeout=30, trace=False):
    return Started(exe, args, trace=trace).wait(timeout)


def _answer(program, args, timeout, attempts=3):
    """Runs one of the test programs that answer with a line of JSON: that answer (None when it
    printed nothing) and its exit code."""
    for attempt in range(1, attempts + 1):
        # Output goes through a file, not a pipe: Wine's own helper processes may inherit a pipe
        # and keep it open long after the probe has ended.
        done = run(os.path.join(E2E_BIN, program), list(args), timeout=timeout)
        lines = done.stdout.strip().splitlines()
        if lines:
            return json.loads(lines[-1]), done.status
        # Now and then, under load, a probe ends having printed nothing before its command ran
        # (seen with "msgbox ... press", which answers before it presses). It is run again.
        print(f"{program} {args[0]} printed nothing (attempt {attempt}, status {done.status}):"
              f" {done.stderr.strip()[-300:]!r}", file=sys.stderr, flush=True)
    return None, done.status


def probe(*args, timeout=30):
    """Runs winprobe.exe and returns its JSON answer and exit code."""
    return _answer("winprobe.exe", args, timeout)


def hex_text(text):
    return text.encode("utf-8").hex()


def _probe_list(*args):
    answer, status = probe(*args)
    if status != 0 or not isinstance(answer, list):
        raise AssertionError(f"winprobe {args[0]} failed: {answer}")
    return answer


def processes():
    """The running processes as winprobe lists them: pid, parent, name, threads, base."""
    return _probe_list("processes")


def all_windows():
    """Every top-level window: hwnd, pid, class, title, visible."""
    return _probe_list("windows")


def windows_titled(title):
    """The top-level windows with exactly that title, of any class, hidden ones too."""
    return _probe_list("window-of", hex_text(title))


class TopWindow:
    """A top-level window of a program under test, named by its exact title and class."""

    def __init__(self, title, window_class):
        self.title = title
        self.window_class = window_class

    def probe(self, command, *args):
        """A winprobe command aimed at this window (controls, combo-pick, list-pick, press,
        close); its JSON answer."""
        answer, _ = probe(command, hex_text(self.title), hex_text(self.window_class),
                          *[str(a) for a in args])
        return answer

    def shown(self):
        """The window and its controls once it is shown; None before."""
        answer = self.probe("controls")
        return answer if answer and answer.get("found") and answer["visible"] else None

    def copies(self):
        """Every window with this title and class, hidden ones too."""
        return [w for w in windows_titled(self.title) if w["class"] == self.window_class]

    def close(self):
        """Closes it as its close box does; True when the close was posted."""
        return bool((self.probe("close") or {}).get("posted"))

    def change_dpi(self, dpi):
        """Tells it, inside its own thread, that it now shows at `dpi` (WM_DPICHANGED, as on a
        move to a monitor of another scale); True when delivered."""
        answer, _ = menuprobe("dpi", hex_text(self.title), hex_text(self.window_class), str(dpi))
        return bool(answer and answer.get("changed"))

    def change_text_size(self, percent):
        """Makes the text size `percent` % for it alone, inside its own thread (the message
        font and WM_SETTINGCHANGE, as when the user changes the text size); the DPI its layout
        then grows to on a 96-dpi screen, or None when not delivered."""
        answer, _ = menuprobe("textsize", hex_text(self.title), hex_text(self.window_class),
                              str(percent))
        if not answer or not answer.get("changed"):
            return None
        return text_scaled_dpi(96, answer["height"])


def text_scaled_dpi(dpi, font_height):
    """The DPI the settings windows lay out at with a message font of `font_height`
    (lfHeight): the twips grow with a font above 9 points."""
    nominal = (9 * dpi + 36) // 72
    height = abs(font_height)
    return dpi if nominal <= 0 or height <= nominal else (dpi * height + nominal // 2) // nominal


def twips(value, dpi):
    """Twips to pixels at `dpi`, to the nearest pixel (a half rounds up), as the programs do."""
    return (value * dpi + 720) // 1440


def twips_rect(left, top, width, height, dpi):
    """A rectangle in twips as the programs place it at `dpi`: by its edges, so neighbours
    that meet in twips meet on the screen."""
    x, y = twips(left, dpi), twips(top, dpi)
    return [x, y, twips(left + width, dpi) - x, twips(top + height, dpi) - y]


def read_message_box(title, timeout_ms=10000, press=False):
    """The box's text, buttons and default button; press=True clicks OK, "yes" or "no" those."""
    choice = {True: ["press"], False: [], "yes": ["yes"], "no": ["no"]}[press]
    args = ["msgbox", hex_text(title), str(timeout_ms)] + choice
    answer, _ = probe(*args)
    return answer


def screenshot(name):
    path = os.path.join(ARTIFACTS, name + ".png")
    subprocess.run(["import", "-window", "root", path], check=False, timeout=30,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return path


_ALLOC = re.compile(r"trace:virtual:NtAllocateVirtualMemory \S+ \S+ ([0-9a-f]+) ([0-9a-f]+) ([0-9a-f]+)")
_FREE = re.compile(r"trace:virtual:NtFreeVirtualMemory \S+ \S+ ([0-9a-f]+) ([0-9a-f]+)")


def allocations(trace, protection=None):
    """(size, type, protection) of each allocation call in a Wine memory trace."""
    found = [tuple(int(g, 16) for g in m.groups()) for m in _ALLOC.finditer(trace)]
    return [a for a in found if protection is None or a[2] == protection]


def frees(trace):
    """(size, type) of each free call in a Wine memory trace."""
    return [tuple(int(g, 16) for g in m.groups()) for m in _FREE.finditer(trace)]


def wait_until(predicate, timeout, interval=0.1):
    """Polls predicate until it returns something true; returns that, or the last (false) answer
    once timeout seconds have passed."""
    deadline = time.monotonic() + timeout
    while True:
        answer = predicate()
        if answer or time.monotonic() > deadline:
            return answer
        time.sleep(interval)


def wait_for_file(path, timeout):
    return wait_until(lambda: os.path.exists(path), timeout)


def windows_path(unix_path):
    """How a Wine program sees an absolute Unix path: through the Z: drive."""
    return "Z:" + unix_path.replace("/", "\\")


# --- Physical memory as Wine programs see it -------------------------------------------------
#
# Wine takes a program's available physical memory from /proc/meminfo as read by that program
# (Wine 8 adds MemFree, Buffers and Cached; newer versions read MemAvailable), the total from
# sysinfo(). run.sh mounts a file of ours over /proc/meminfo in a mount namespace of the
# tests' own, so every program the tests start sees the figure a test sets.

_MEMINFO_LINE = re.compile(r"^([^:]+):\s*(\d+)(\s*kB)?\s*$")


def need_fake_memory():
    if not FAKE_MEMINFO:
        raise unittest.SkipTest("needs a file mounted over /proc/meminfo (run.sh does that when"
                                " it runs as root); the free memory cannot be set")


def set_available_kb(kb):
    """Makes the available physical memory of programs started or running from now on `kb` kB."""
    need_fake_memory()
    if kb % 4:
        # Wine counts whole 4 kB pages and would show less than asked for.
        raise ValueError(f"{kb} kB is not a whole number of 4 kB pages")
    with open(FAKE_MEMINFO, encoding="ascii") as file:
        fields = [_MEMINFO_LINE.match(line) for line in file]
    lines = []
    for field in fields:
        if field is None:
            continue
        name, value, unit = field.group(1), int(field.group(2)), field.group(3)
        if name in ("MemFree", "MemAvailable"):
            value = kb
        elif name in ("Buffers", "Cached"):
            value = 0
        # Same width for every value: the file keeps its length, so rewriting it in place
        # never lets a program read it half empty.
        lines.append(f"{name + ':':<16}{value:>12}{' kB' if unit else ''}\n")
    data = "".join(lines).encode("ascii")
    # In place: the mount binds this very inode, a new file would not be seen.
    with open(FAKE_MEMINFO, "r+b") as file:
        file.write(data)
        file.truncate()


def set_available_mb(mb):
    set_available_kb(int(mb * 1024))


def memory_status():
    """(total, available) physical memory in bytes, as a Wine program sees it now."""
    answer, status = probe("memory")
    if status != 0 or not answer or "total" not in answer:
        raise AssertionError(f"winprobe memory failed: {answer}")
    return answer["total"], answer["avail"]


def total_mb():
    return memory_status()[0] / (1024 * 1024)


# --- The taskbar's notification area ----------------------------------------------------------
#
# Wine's taskbar at the bottom of the 1024x768 desktop: tray icon slot i is a 20x20 square
# growing leftwards from the right edge.

SCREEN_W, SCREEN_H = 1024, 768
SLOT = 20
AWAY = (512, 300)   # an empty part of the desktop


def slot_rect(slot=0, screen=(SCREEN_W, SCREEN_H)):
    width, height = screen
    return width - SLOT * (slot + 1), height - SLOT, SLOT, SLOT


def slot_center(slot=0, screen=(SCREEN_W, SCREEN_H)):
    x, y, w, h = slot_rect(slot, screen)
    return x + w // 2, y + h // 2


def screen_size():
    """The screen's size as programs see it: (width, height)."""
    answer, _ = probe("screen")
    return answer["width"], answer["height"]


def work_area():
    """The part of the screen that no taskbar covers: [left, top, width, height]."""
    answer, _ = probe("screen")
    return answer["work"]


def move_pointer(*points):
    """Moves the pointer through the (x, y) points in turn."""
    answer, _ = probe("move", *[str(c) for point in points for c in point])
    return bool(answer and answer.get("moved"))


def sweep_tray(slots=8):
    """Passes the pointer over the tray: the taskbar drops icons of programs that are gone
    when the pointer meets them."""
    move_pointer(*[slot_center(i) for i in range(slots)], AWAY)


def click_slot(slot=0, button="right", screen=(SCREEN_W, SCREEN_H), timeout=5.0):
    """Clicks tray slot `slot`. Right after a display switch the pointer cannot reach the new
    edge of the screen for a moment; a move that falls short sends no button, so it is tried
    again."""
    x, y = slot_center(slot, screen)
    return bool(wait_until(lambda: _click_once(x, y, button), timeout, interval=0.3))


def _click_once(x, y, button):
    answer, _ = probe("click", str(x), str(y), button)
    return bool(answer and answer.get("clicked"))


def menu_keys(*keys, timeout_ms=10000):
    """Waits for a popup menu and posts the keys to it; True when the menu was there."""
    answer, _ = probe("menu-keys", str(timeout_ms), *keys)
    return bool(answer and answer.get("found"))


def read_tooltip(slot=0, timeout_ms=3000):
    """The text of the tooltip shown over tray slot `slot`, or None when none appears."""
    # From somewhere else first: resting the pointer where it already is shows nothing.
    move_pointer(AWAY, slot_center(slot))
    try:
        answer, _ = probe("tooltip", str(timeout_ms))
    finally:
        move_pointer(AWAY)
    return answer["text"] if answer and answer.get("found") else None


def _pixels(png, rect):
    x, y, w, h = rect
    raw = subprocess.run(["convert", png, "-crop", f"{w}x{h}+{x}+{y}", "+repage", "rgb:-"],
                         check=True, capture_output=True, timeout=30).stdout
    if len(raw) != w * h * 3:
        raise AssertionError(f"could not read {w}x{h} pixels of {png}")
    return [[raw[(row * w + col) * 3:(row * w + col) * 3 + 3] for col in range(w)]
            for row in range(h)]


def tray_slot_has_icon(slot=0, name=None):
    """Whether an icon is drawn in tray slot `slot`, judged from a screenshot (kept as
    ARTIFACTS/<name>.png when a name is given). The taskbar's own colour is the commonest one
    on the slot's rim, where a 16x16 icon in the 20x20 square never reaches."""
    move_pointer(AWAY)
    time.sleep(0.3)
    if name:
        png = screenshot(name)
    else:
        handle, png = tempfile.mkstemp(suffix=".png")
        os.close(handle)
        subprocess.run(["import", "-window", "root", png], check=True, timeout=30,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        grid = _pixels(png, slot_rect(slot))
    finally:
        if not name:
            os.unlink(png)
    rim = grid[0] + grid[-1] + [row[0] for row in grid] + [row[-1] for row in grid]
    background = max(set(rim), key=rim.count)
    inner = [pixel for row in grid[2:-2] for pixel in row[2:-2]]
    differing = sum(1 for pixel in inner
                    if max(abs(a - b) for a, b in zip(pixel, background)) > 24)
    return differing >= 16


# --- recorder.exe: a stand-in that notes how it was started -----------------------------------

def install_recorder(exe_path):
    """Puts recorder.exe in place of the program at exe_path (a Unix path)."""
    shutil.copyfile(os.path.join(E2E_BIN, "recorder.exe"), exe_path)


def recorded_starts(folder, with_times=False, with_how=False):
    """Command lines the recorder copies in `folder` were started with, in start order; with
    with_times, (start time in seconds, command line) pairs; with with_how, (priority class,
    start flags, command line)."""
    path = os.path.join(folder, "recorder.log")
    try:
        with open(path, encoding="utf-8", newline="") as file:
            lines = file.read().split("\n")
    except FileNotFoundError:
        return []
    starts = []
    for line in lines[:-1]:      # a line still being written has no newline yet
        stamp, priority, flags, command_line = line.split("\t", 3)
        starts.append((int(stamp), command_line, int(priority, 16), int(flags, 16)))
    # Equal times keep the file's order.
    starts.sort(key=lambda start: start[0])
    if with_how:
        return [(priority, flags, command_line) for _, command_line, priority, flags in starts]
    if with_times:
        return [(stamp / 1e7, command_line) for stamp, command_line, _, _ in starts]
    return [command_line for _, command_line, _, _ in starts]


# --- Tidewarden.exe, the tray program ---------------------------------------------------------

TRAY_WINDOW = TopWindow("Tidewarden ", "TidewardenMain")   # its hidden main window
TRAY_STARTUP = 15.0   # allowance for Wine to start it


def read_hwnd_file(folder):
    """What the tray program in `folder` wrote to hwnd.tmp so far (b"" when nothing)."""
    try:
        with open(folder.exe("hwnd.tmp"), "rb") as file:
            return file.read()
    except FileNotFoundError:
        return b""


def start_tray(folder, args=(), env=None, timeout=TRAY_STARTUP):
    """Starts the tray program of `folder` and waits until it has written its whole hwnd.tmp,
    the sign that it is up; ends it and raises AssertionError when that takes longer than
    `timeout` s. A hwnd.tmp of an earlier run is removed first."""
    hwnd_file = folder.exe("hwnd.tmp")
    if os.path.exists(hwnd_file):
        os.unlink(hwnd_file)
    started = Started(folder.exe("Tidewarden.exe"), list(args), env=env)
    if not wait_until(lambda: read_hwnd_file(folder).endswith(b"\n"), timeout):
        status = started.process.poll()
        started.kill()
        state = "still running" if status is None else f"it ended with status {status}"
        raise AssertionError(f"Tidewarden did not start: no complete hwnd.tmp within {timeout} s"
                             f" (has: {read_hwnd_file(folder)!r}; {state})")
    return started


class WineTestCase(unittest.TestCase):
    """Gives each test a fresh copy of the program folder."""

    def setUp(self):
        self.folder = ProgramFolder()
        self.addCleanup(self.folder.remove)

    def sweep_tray_at_end(self):
        """Sweeps the tray once after the test, when every program it started has been ended:
        no icon of theirs may stay behind."""
        if not getattr(self, "_sweeps_tray", False):
            self._sweeps_tray = True
            self.addCleanup(sweep_tray)

    def start_tray(self, folder=None, args=(), env=None, timeout=TRAY_STARTUP):
        """start_tray on this test's folder (or `folder`), ended after the test."""
        self.sweep_tray_at_end()
        started = start_tray(folder or self.folder, args, env, timeout)
        self.addCleanup(started.kill)
        return started


# --- Popup menus: menuprobe.exe reads them through menuhook.dll inside the menu's thread -------

def menuprobe(*args, timeout=30):
    """Runs menuprobe.exe and returns its JSON answer and exit code."""
    return _answer("menuprobe.exe", args, timeout)


def read_menus(timeout_ms=10000):
    """The shown popup menus, outermost first, each {"level", "rect": [l, t, r, b], "items"};
    None when no menu shows within the time."""
    answer, _ = menuprobe("read", str(timeout_ms), timeout=timeout_ms / 1000 + 30)
    return answer["menus"] if answer and answer.get("found") else None


def read_menu(timeout_ms=10000):
    """The items of the outermost shown popup menu, or None."""
    menus = read_menus(timeout_ms)
    return menus[0]["items"] if menus else None


def captions(items):
    """Item captions in order, a separator as "-"."""
    return ["-" if item["separator"] else item["caption"] for item in items]


def menu_item(items, caption):
    """The item with exactly that caption among `items` (not their submenus), or None."""
    return next((item for item in items
                 if not item["separator"] and item["caption"] == caption), None)


def choose_menu_item(caption, timeout_ms=10000):
    """Chooses the item with that caption in the innermost open popup menu; True when it was
    chosen and the menu closed (or, for an item with a submenu, the submenu opened)."""
    answer, status = menuprobe("choose", hex_text(caption), str(timeout_ms),
                               timeout=timeout_ms / 1000 + 30)
    return status == 0 and bool(answer and answer.get("chosen"))
