"""Tidewarden.exe, the tray program, under Wine.

Scrubwright is replaced by recorder.exe in every copy, so a release shows up as a line in
Scrubwright/recorder.log instead of memory being filled. Tests that set the free memory skip
when run.sh could not mount a file over /proc/meminfo.
"""
import os
import re
import shutil
import time
import unittest

import harness

TICK = 6.0          # the periodic check timer's default period, seconds
# Allowance for Wine to start the program (and the recorders it starts); through the i386
# emulator a start that reads a 50 MB settings line takes longer on a busy machine.
STARTUP = 20.0 if os.environ.get("TW_I386_EMULATOR") else 10.0
CHUNK = 512         # the most one Scrubwright start is asked to free, MB
USE_SHOW_WINDOW, FORCE_ON_FEEDBACK, FORCE_OFF_FEEDBACK = 0x1, 0x40, 0x80   # STARTUPINFO flags
# The tooltip: time (hour without a leading zero), free MB, and the resource figure if any.
STATUS = re.compile(r"時刻 ≪(0|[1-9]\d?):(\d\d)≫  空きメモリー ≪(\d+)MB≫"
                    r"(?:  リソース ≪(\d+)%≫)?")


def chunks(size):
    """The sizes of the Scrubwright starts that free `size` MB."""
    whole, rest = divmod(size, CHUNK)
    return [CHUNK] * whole + ([rest] if rest else [])


class TidewardenCase(harness.WineTestCase):
    def setUp(self):
        super().setUp()
        self.use_folder(self.folder)
        if harness.FAKE_MEMINFO:
            self.total = harness.total_mb()
            # Plenty free: nothing is released unless a test lowers it.
            harness.set_available_mb(round(self.total * 0.6))
        self.sweep_tray_at_end()

    def use_folder(self, folder):
        self.folder = folder
        self.exe = folder.exe("Tidewarden.exe")
        self.scrub = folder.exe("Scrubwright/Scrubwright.exe")
        self.hwnd_file = folder.exe("hwnd.tmp")
        harness.install_recorder(self.scrub)

    def new_folder(self):
        """A fresh copy, for a test that starts the program more than once."""
        folder = harness.ProgramFolder()
        self.addCleanup(folder.remove)
        self.use_folder(folder)

    def stop(self, started):
        started.kill()
        # Wine lets go of a killed program's window and single-instance mutex a moment after the
        # process is gone; a copy started before that would end at once as a second copy.
        harness.wait_until(lambda: not self.main_windows(), 5)
        harness.sweep_tray()

    def start(self, *args):
        started = harness.Started(self.exe, list(args))
        self.addCleanup(started.kill)
        return started

    def start_normal(self):
        """Starts the tray program and waits until it has written hwnd.tmp."""
        return self.start_tray(timeout=STARTUP)

    def read_hwnd_file(self):
        return harness.read_hwnd_file(self.folder)

    def main_windows(self):
        """Every window with the main window's caption, whatever its class."""
        return harness.windows_titled(harness.TRAY_WINDOW.title)

    def write_ini(self, *lines):
        with open(self.folder.exe("Tidewarden.ini"), "w", encoding="ascii", newline="") as file:
            file.write("".join(line + "\r\n" for line in lines))

    def release_line(self, size):
        return f'"{harness.windows_path(self.scrub)}" {size}'

    def starts(self):
        return harness.recorded_starts(os.path.dirname(self.scrub))

    def wait_starts(self, count, timeout):
        """Waits until `count` Scrubwright starts are recorded; returns them all."""
        harness.wait_until(lambda: len(self.starts()) >= count, timeout)
        return self.starts()

    def assert_running(self, started, why):
        self.assertIsNone(started.process.poll(), f"Tidewarden ended {why}")

    def read_status(self, expected_mb=None, timeout=8.0):
        """The tooltip text once it is a status line (with `expected_mb` as its free-memory
        figure, if given), or the last text seen when time is up."""
        seen = []

        def status():
            seen.append(harness.read_tooltip())
            match = STATUS.fullmatch(seen[-1] or "")
            return match and (expected_mb is None or int(match.group(3)) == expected_mb)

        harness.wait_until(status, timeout, interval=0.5)
        return seen[-1]

    def assert_figure(self, text, expected_mb):
        match = STATUS.fullmatch(text or "")
        self.assertTrue(match, f"tooltip {text!r} is not a status line")
        self.assertEqual(int(match.group(3)), expected_mb, text)
        return match

    def wait_icon(self, slot=0, present=True, timeout=5.0, name=None):
        return harness.wait_until(
            lambda: harness.tray_slot_has_icon(slot, name) == present, timeout, interval=0.2)


class StartUpTest(TidewardenCase):
    def test_odd_settings_files_fall_back_to_defaults(self):
        harness.need_fake_memory()
        # CREANSIZE=1 puts the threshold at 1 %: with 300 MB free of the real total nothing is
        # released when the line is read, while the default 25 % releases at the first tick.
        garbage = bytes((i * 7919 + 13) % 256 for i in range(65536)).replace(b"CREANSIZE", b"")
        cases = [
            ("byte-order mark", b"\xef\xbb\xbfCREANSIZE=1\r\n", False),
            ("no line end", b"CREANSIZE=1", False),
            ("50 MB line first", b"x" * (50 * 1024 * 1024) + b"\r\nCREANSIZE=1\r\n", False),
            ("binary", garbage, True),
            ("empty", b"", True),
            ("a folder", None, True),
        ]
        harness.set_available_mb(300)
        self.assertLess(300 / self.total, 0.25)
        self.assertGreater(300 / self.total, 0.01)
        for name, content, releases in cases:
            with self.subTest(name):
                self.new_folder()
                ini = self.folder.exe("Tidewarden.ini")
                if content is None:
                    os.mkdir(ini)
                else:
                    with open(ini, "wb") as file:
                        file.write(content)
                started = self.start_normal()
                try:
                    time.sleep(TICK + 2)
                    self.assert_running(started, f"with a settings file that is {name}")
                    expected = [self.release_line(301)] if releases else []
                    self.assertEqual(self.wait_starts(len(expected), STARTUP)[:1], expected)
                finally:
                    self.stop(started)

    def test_hwnd_file_holds_the_hidden_main_window(self):
        self.start_normal()
        windows = self.main_windows()
        self.assertEqual(len(windows), 1, windows)
        window = windows[0]
        self.assertEqual(window["class"], harness.TRAY_WINDOW.window_class)
        self.assertFalse(window["visible"])
        # The number as printed with a blank for the sign and one after, then CR LF.
        self.assertEqual(self.read_hwnd_file(), f" {window['hwnd']} \r\n".encode("ascii"))

    def test_second_copy_ends_at_once_leaving_the_first_alone(self):
        first = self.start_normal()
        self.assertTrue(self.wait_icon(0), "the first copy shows no tray icon")
        before = self.main_windows()
        sentinel = b"sentinel\r\n"
        with open(self.hwnd_file, "wb") as file:
            file.write(sentinel)
        began = time.monotonic()
        second = harness.run(self.exe, [], timeout=20)
        self.assertEqual(second.status, 0)
        self.assertLess(time.monotonic() - began, 20)
        self.assertEqual(self.read_hwnd_file(), sentinel)
        self.assertEqual(self.main_windows(), before)
        self.assert_running(first, "when a second copy started")
        self.assertTrue(harness.tray_slot_has_icon(0))
        self.assertFalse(harness.tray_slot_has_icon(1), "a second tray icon appeared")


class OneShotTest(TidewardenCase):
    def test_target_zero_ends_after_the_first_tick_without_icon(self):
        # "abc" has no leading number: target 0, reached at once, but only checked on a tick.
        began = time.monotonic()
        started = self.start("abc")
        time.sleep(TICK / 2)
        self.assert_running(started, "before its first tick")
        self.assertFalse(harness.tray_slot_has_icon(0, "tidewarden-one-shot"),
                         "a one-shot run shows a tray icon")
        self.assertFalse(os.path.exists(self.hwnd_file), "a one-shot run wrote hwnd.tmp")
        done = started.wait(30)
        self.assertEqual(done.status, 0)
        self.assertGreaterEqual(time.monotonic() - began, TICK - 0.5)
        self.assertFalse(os.path.exists(self.hwnd_file))
        self.assertEqual(self.starts(), [])

    def test_releases_each_tick_until_the_target_is_free(self):
        harness.need_fake_memory()
        harness.set_available_mb(100)
        started = self.start("300")
        self.assertEqual(self.wait_starts(1, STARTUP + TICK), [self.release_line(101)])
        harness.set_available_mb(300)
        done = started.wait(TICK + STARTUP)
        self.assertEqual(done.status, 0)
        time.sleep(1)
        self.assertEqual(self.starts(), [self.release_line(101)])
        self.assertFalse(os.path.exists(self.hwnd_file))


    def test_a_target_releasing_cannot_reach_ends_the_run(self):
        # Just under the whole memory, with no Scrubwright to release with: nothing can ever
        # free that much, and nothing else could end a run without an icon.
        shutil.rmtree(os.path.dirname(self.scrub))
        target = int(harness.total_mb()) - 1
        started = self.start(str(target))
        done = started.wait(60)
        self.assertEqual(done.status, 0)
        self.assertFalse(harness.tray_slot_has_icon(0, "tidewarden-one-shot-cannot-help"),
                         "a one-shot run shows a tray icon")
        self.assertFalse(os.path.exists(self.hwnd_file))


class ReleaseTest(TidewardenCase):
    def setUp(self):
        super().setUp()
        harness.need_fake_memory()

    def test_low_memory_releases_every_tick_one_more_each_time(self):
        harness.set_available_mb(300)
        self.start_normal()
        self.assertEqual(self.wait_starts(1, STARTUP + TICK), [self.release_line(301)])
        self.assertEqual(self.wait_starts(2, TICK + STARTUP),
                         [self.release_line(301), self.release_line(302)])
        # One tick apart.
        (first, _), (second, _) = harness.recorded_starts(os.path.dirname(self.scrub),
                                                          with_times=True)
        self.assertAlmostEqual(second - first, TICK, delta=1.5)

    def test_a_release_still_running_holds_back_the_next(self):
        # The recorder stands in for a fill that outlasts the ticks: while it runs, no tick
        # starts another, and none is counted.
        hold = os.path.join(os.path.dirname(self.scrub), "recorder.hold")
        open(hold, "w").close()
        self.addCleanup(lambda: os.path.exists(hold) and os.remove(hold))
        harness.set_available_mb(300)
        self.start_normal()
        self.assertEqual(self.wait_starts(1, STARTUP + TICK), [self.release_line(301)])
        # Without the busy pointer. (Wine 8 starts a child in the normal class whatever class
        # the parent names, so the class it is started in is for the unit tests to show.)
        [(_, flags, _)] = harness.recorded_starts(os.path.dirname(self.scrub), with_how=True)
        self.assertEqual(flags & (USE_SHOW_WINDOW | FORCE_ON_FEEDBACK | FORCE_OFF_FEEDBACK),
                         USE_SHOW_WINDOW | FORCE_OFF_FEEDBACK)
        time.sleep(2 * TICK + 1)
        self.assertEqual(self.starts(), [self.release_line(301)])
        os.remove(hold)
        self.assertEqual(self.wait_starts(2, TICK + STARTUP),
                         [self.release_line(301), self.release_line(302)])

    def test_a_disconnected_session_releases_nothing_until_connected_again(self):
        # Wine has one session and never tells of a change: the test posts what Windows sends
        # at fast user switching.
        session_change, console_connect, console_disconnect = 0x02B1, 1, 2
        harness.set_available_mb(300)
        self.start_normal()
        self.assertEqual(self.wait_starts(1, STARTUP + TICK), [self.release_line(301)])
        self.assertTrue(harness.TRAY_WINDOW.probe("post", session_change, console_disconnect, 0)
                        ["posted"])
        time.sleep(2 * TICK + 1)
        self.assertEqual(self.starts(), [self.release_line(301)])
        self.assertTrue(harness.TRAY_WINDOW.probe("post", session_change, console_connect, 0)
                        ["posted"])
        self.assertEqual(self.wait_starts(2, TICK + STARTUP),
                         [self.release_line(301), self.release_line(302)])

    def test_big_releases_go_out_in_chunks_in_order(self):
        # The total may be small (through qemu-i386 a 32-bit program sees the machine's total cut
        # to 32 bits): a high threshold keeps every tick releasing 1100 MB.
        self.write_ini("CREANSIZE=90")
        harness.set_available_mb(1000)
        self.start_normal()
        expected = [self.release_line(size) for size in (512, 489)]
        self.assertEqual(self.wait_starts(2, STARTUP + TICK), expected)
        # The next tick frees 1100 + 2 MB.
        harness.set_available_mb(1100)
        expected += [self.release_line(size) for size in (512, 512, 78)]
        self.assertEqual(self.wait_starts(5, TICK + STARTUP), expected)

    def test_plenty_of_memory_releases_nothing(self):
        harness.set_available_mb(round(self.total * 0.8))
        started = self.start_normal()
        time.sleep(2 * TICK + 2)
        self.assertEqual(self.starts(), [])
        self.assert_running(started, "while idle")
        # Ticks went by: low memory now releases, and the count of earlier releases is 0.
        harness.set_available_mb(300)
        self.assertEqual(self.wait_starts(1, TICK + STARTUP), [self.release_line(301)])

    def test_threshold_from_the_ini_file(self):
        cases = [
            # (line, available share of the total, releases on the first tick)
            ("CREANSIZE=90", 0.40, True),
            ("CREANSIZE=10", 0.20, False),
        ]
        # Exactly the threshold is not below it, in 32-bit doubles as in 64-bit ones: a share
        # that no double holds exactly, of whole megabytes of this machine's total (Wine takes
        # the total from the system, not from the file the tests set).
        total = round(self.total)  # whole MB, an exact half to even, as the program counts
        exact = next((k for k in (20, 10, 30, 40, 60, 70, 80, 90, 5, 15, 35, 45)
                      if total * k % 100 == 0), None)
        if exact is not None:
            cases.append((f"CREANSIZE={exact}", exact / 100, False))
        for line, share, releases in cases:
            with self.subTest(line=line, share=share):
                self.new_folder()
                self.write_ini(line)
                available = round(self.total * share)
                if line == f"CREANSIZE={exact}":
                    available = total * exact // 100
                harness.set_available_mb(available)
                started = self.start_normal()
                try:
                    if releases:
                        self.assertTrue(self.wait_starts(1, STARTUP + TICK),
                                        "no release on the first tick")
                        # Above any threshold: the next ticks release nothing more.
                        harness.set_available_mb(round(self.total * 0.95))
                        expected = [self.release_line(size) for size in chunks(available + 1)]
                        self.wait_starts(len(expected), 30)
                        time.sleep(1)
                        self.assertEqual(self.starts(), expected)
                    else:
                        time.sleep(STARTUP / 2 + TICK)
                        self.assertEqual(self.starts(), [])
                        harness.set_available_mb(300)
                        self.assertEqual(self.wait_starts(1, TICK + STARTUP),
                                         [self.release_line(301)])
                finally:
                    self.stop(started)

    def test_missing_scrubwright_is_no_trouble(self):
        shutil.rmtree(os.path.dirname(self.scrub))
        harness.set_available_mb(300)
        started = self.start_normal()
        pid = self.main_windows()[0]["pid"]
        self.assert_figure(self.read_status(300), 300)
        time.sleep(2 * TICK + 1)
        self.assert_running(started, "when Scrubwright was missing")
        shown = [w for w in harness.all_windows() if w["pid"] == pid and w["visible"]]
        self.assertEqual(shown, [], "Tidewarden shows a window")
        # Still refreshing.
        harness.set_available_mb(350)
        self.assert_figure(self.read_status(350), 350)
        self.assert_running(started, "when Scrubwright was missing")


class TooltipTest(TidewardenCase):
    def test_status_line_shows_time_and_free_memory(self):
        self.start_normal()
        text = self.read_status()
        now = time.localtime()
        match = STATUS.fullmatch(text or "")
        self.assertTrue(match, f"tooltip {text!r} is not a status line")
        minutes = int(match.group(1)) * 60 + int(match.group(2))
        self.assertIn((now.tm_hour * 60 + now.tm_min - minutes) % (24 * 60), (0, 1), text)
        _, available = harness.memory_status()
        # Without a fake the real figure moves a little between the two readings.
        slack = 0 if harness.FAKE_MEMINFO else 256
        self.assertLessEqual(abs(int(match.group(3)) - available / (1024 * 1024)), slack + 0.5)
        self.assertIsNone(match.group(4), "a resource figure without rsrc32.dll")

    def test_free_memory_rounds_half_to_even(self):
        harness.need_fake_memory()
        self.start_normal()
        cases = [
            # (available kB, figure shown); one 4 kB page is the least step Wine shows
            (1000 * 1024 + 512, 1000),      # 1000.5 MB: to the even neighbour
            (1001 * 1024 + 512, 1002),      # 1001.5 MB: likewise
            (1000 * 1024 + 516, 1001),      # a page more than a half
            (1001 * 1024 + 508, 1001),      # a page less than a half
            (2047 * 1024 + 1020, 2048),
        ]
        for kb, shown in cases:
            with self.subTest(kb=kb):
                harness.set_available_kb(kb)
                self.assert_figure(self.read_status(shown), shown)

    def test_resource_figure_only_with_the_meter_dll(self):
        meter = os.path.join(os.environ.get("WINEPREFIX", ""), "drive_c", "windows", "system",
                             "rsrc32.dll")
        self.assertFalse(os.path.exists(meter), "rsrc32.dll left in the prefix")
        for installed in (False, True):
            with self.subTest(installed=installed):
                if installed:
                    os.makedirs(os.path.dirname(meter), exist_ok=True)
                    shutil.copyfile(os.path.join(harness.E2E_BIN, "rsrc32.dll"), meter)
                    self.addCleanup(os.remove, meter)
                self.new_folder()
                started = self.start_normal()
                try:
                    text = self.read_status()
                finally:
                    self.stop(started)
                match = STATUS.fullmatch(text or "")
                self.assertTrue(match, f"tooltip {text!r} is not a status line")
                if installed:
                    self.assertTrue(text.endswith("MB≫  リソース ≪72%≫"), text)
                else:
                    self.assertNotIn("リソース", text)


class TrayIconTest(TidewardenCase):
    def test_exit_from_the_menu_removes_the_icon_and_ends(self):
        started = self.start_normal()
        self.assertTrue(self.wait_icon(0, name="tidewarden-tray-icon"), "no tray icon")
        self.assertFalse(harness.tray_slot_has_icon(1), "more than one tray icon")
        self.assertTrue(harness.click_slot(0, "right"))
        # The exit item is the last one: from no selection Up goes to it.
        self.assertTrue(harness.menu_keys("up", "return"), "no popup menu on a right click")
        done = started.wait(15)
        self.assertEqual(done.status, 0)
        self.assertFalse(harness.tray_slot_has_icon(0, "tidewarden-after-exit"),
                         "the icon stayed after the exit item")
        self.assertEqual(self.main_windows(), [])

    def test_left_click_opens_a_menu_that_escape_closes(self):
        started = self.start_normal()
        self.assertTrue(self.wait_icon(0), "no tray icon")
        self.assertTrue(harness.click_slot(0, "left"))
        self.assertTrue(harness.menu_keys("escape"), "no popup menu on a left click")
        time.sleep(1)
        self.assert_running(started, "after a left click and Escape")
        self.assertTrue(harness.tray_slot_has_icon(0))

    def test_an_icon_taken_away_without_notice_comes_back(self):
        started = self.start_normal()
        self.assertTrue(self.wait_icon(0), "no tray icon")
        answer, _ = harness.probe("tray-remove", harness.TRAY_WINDOW.window_class, "1")
        self.assertTrue(answer and answer["removed"], answer)
        # The tooltip is refreshed every 2 s; the refresh that finds the icon gone adds it.
        self.assertTrue(self.wait_icon(0, timeout=6, name="tidewarden-icon-back"),
                        "the icon did not come back")
        self.assertFalse(harness.tray_slot_has_icon(1), "a second tray icon appeared")
        self.assertTrue(harness.click_slot(0, "right"))
        self.assertTrue(harness.menu_keys("up", "return"), "no popup menu on a right click")
        self.assertEqual(started.wait(15).status, 0)

    def test_taskbar_created_keeps_one_working_icon(self):
        started = self.start_normal()
        self.assertTrue(self.wait_icon(0), "no tray icon")
        before = self.main_windows()
        answer, _ = harness.probe("broadcast-taskbarcreated")
        self.assertTrue(answer and answer["posted"])
        time.sleep(2)
        self.assert_running(started, "on TaskbarCreated")
        self.assertEqual(self.main_windows(), before)
        self.assertTrue(harness.tray_slot_has_icon(0, "tidewarden-after-taskbarcreated"))
        self.assertFalse(harness.tray_slot_has_icon(1), "a second tray icon appeared")
        self.assertTrue(harness.click_slot(0, "right"))
        self.assertTrue(harness.menu_keys("up", "return"), "no popup menu on a right click")
        self.assertEqual(started.wait(15).status, 0)


if __name__ == "__main__":
    unittest.main()
