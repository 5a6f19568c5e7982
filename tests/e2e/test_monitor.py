"""Tidewarden's process-priority monitor under Wine: watched programs (copies of keeper.exe
under other names) held at their classes, the switch in the menu, and the settings window
driven from another process through winprobe."""
import os
import shutil
import time

import harness

PRIORITY_WINDOW = harness.TopWindow("プロセス監視の設定", "TidewardenPriorityWindow")
MONITOR_MENU = "プロセス監視"
SETTINGS_ITEM = "設定の変更"
ON_ITEM, OFF_ITEM = "監視する", "監視しない"
CLOSE_MENU = "メニューを閉じる"
RUNNING_LIST, WATCH_LIST, ADD_BUTTON, DELETE_BUTTON, OK_BUTTON = 101, 102, 103, 104, 1
REALTIME_OPTION, HIGH_OPTION, NORMAL_OPTION, IDLE_OPTION = 110, 111, 112, 113
OPTIONS = [REALTIME_OPTION, HIGH_OPTION, NORMAL_OPTION, IDLE_OPTION]
REALTIME, HIGH, NORMAL, IDLE = 0x100, 0x80, 0x20, 0x40
TICK = 6.0          # the monitor's pass period with no settings file
STARTUP = 15.0
PASS_MARGIN = 2.0   # how late a pass may come on a busy machine


def watch_entry(program, word):
    """A line of Process.ini as the monitor reads it: 60-character path field, blank, word."""
    return program.ljust(60) + " " + word


def running_row(process):
    """The row the running-process list shows for a process of `winprobe processes`: name,
    word, threads, hex id."""
    word = {24: "REALTIME", 13: "HIGH", 8: "NORMAL", 4: "IDOL"}.get(process["base"], "")
    return (process["name"][:32].ljust(32) + " " + word.ljust(10) + " " +
            str(process["threads"]).ljust(11) + " " + format(process["pid"], "X"))


def classes(pids):
    """The processes' classes; None when the probe printed nothing (it could not start), which
    a caller that waits for the classes takes as "not yet"."""
    answer, _ = harness.probe("priority", *[str(pid) for pid in pids])
    return answer["classes"] if answer else None


def set_class(pid, priority):
    """Changes a process's class as some other tool would."""
    answer, _ = harness.probe("set-priority", str(pid), hex(priority))
    if not (answer and answer.get("set")):
        raise AssertionError(f"could not set the class of {pid}: {answer}")


class MonitorCase(harness.WineTestCase):
    def setUp(self):
        super().setUp()
        self.timer_started = None

    # --- files and programs ---

    def write(self, name, data):
        with open(self.folder.exe(name), "wb") as file:
            file.write(data)

    def read(self, name):
        try:
            with open(self.folder.exe(name), "rb") as file:
                return file.read()
        except FileNotFoundError:
            return None

    def assert_file_becomes(self, name, data):
        """The menu's command runs just after the menu closes: wait for its file."""
        done = harness.wait_until(lambda: self.read(name) == data, 5)
        self.assertTrue(done, f"{name} holds {self.read(name)!r}, not {data!r}")

    def write_watch_list(self, *entries):
        self.write("Process.ini", "".join(e + "\r\n" for e in entries).encode("ascii"))

    def start_programs(self, name, count):
        """Starts `count` copies of a hidden-window program under the exe name `name` from the
        program folder; their process ids."""
        exe = self.folder.exe(name)
        shutil.copyfile(os.environ["TW_KEEPER_EXE"], exe)
        before = {p["pid"] for p in harness.processes()}
        for _ in range(count):
            started = harness.Started(exe, [])
            self.addCleanup(started.kill)

        def started():
            new = sorted(p["pid"] for p in harness.processes()
                         if p["name"] == name and p["pid"] not in before)
            return new if len(new) == count else None

        pids = harness.wait_until(started, STARTUP)
        self.assertTrue(pids, f"{count} copies of {name} did not start")
        return pids

    def start_tidewarden(self):
        """Starts the tray program and notes when its pass timer started."""
        self.start_tray(timeout=STARTUP)
        # The timer starts just before the file is written.
        self.timer_started = time.monotonic()

    def after_next_pass(self, moment=None):
        """A moment safely after the first pass that follows `moment` (default: now)."""
        moment = time.monotonic() if moment is None else moment
        passes = int((moment - self.timer_started) // TICK) + 1
        return self.timer_started + passes * TICK + PASS_MARGIN

    def wait_for_classes(self, pids, expected, timeout):
        got = harness.wait_until(lambda: classes(pids) == expected, timeout, interval=0.2)
        self.assertTrue(got, f"classes {classes(pids)}, not {expected}")

    def hold_until(self, pids, expected, moment):
        """Asserts the processes keep `expected` until `moment` (monotonic time)."""
        while time.monotonic() < moment:
            seen = classes(pids)
            if seen is not None:  # a probe that could not start saw nothing either way
                self.assertEqual(seen, expected)
            time.sleep(0.5)
        self.assertEqual(classes(pids), expected)

    # --- the menu and the window ---

    def open_menu(self):
        self.assertTrue(harness.click_slot(0, "right"))
        items = harness.read_menu()
        self.assertIsNotNone(items, "no popup menu")
        return items

    def monitor_checks(self, items):
        """Check marks of "監視する" and "監視しない" in the monitor submenu of a read menu."""
        submenu = harness.menu_item(items, MONITOR_MENU)["submenu"]
        return [harness.menu_item(submenu, c)["checked"] for c in (ON_ITEM, OFF_ITEM)]

    def choose_in_monitor_menu(self, caption):
        self.assertTrue(harness.click_slot(0, "right"))
        self.assertTrue(harness.choose_menu_item(MONITOR_MENU))
        self.assertTrue(harness.choose_menu_item(caption))

    def open_window(self):
        self.choose_in_monitor_menu(SETTINGS_ITEM)
        window = harness.wait_until(self.window, STARTUP)
        self.assertTrue(window, "the priority window did not open")
        return window

    def window(self):
        return PRIORITY_WINDOW.shown()

    def windows_open(self):
        return PRIORITY_WINDOW.copies()

    def control(self, window, control_id):
        return next(c for c in window["controls"] if c["id"] == control_id)

    def pick_row(self, list_id, wanted):
        """Selects, as a user's click does, the first row for which `wanted(text)` holds; the
        running list is redrawn every second, so the pick is checked and retried."""
        for _ in range(5):
            rows = self.control(self.window(), list_id)["items"]
            index = next((k for k, row in enumerate(rows) if wanted(row)), None)
            self.assertIsNotNone(index, f"no such row in {rows}")
            self.assertTrue(PRIORITY_WINDOW.probe("list-pick", list_id, index)["picked"])
            shown = self.control(self.window(), list_id)
            if shown["selected"] >= 0 and wanted(shown["items"][shown["selected"]]):
                return shown["items"][shown["selected"]]
        self.fail("the row could not be selected")

    def press(self, control_id):
        answer = PRIORITY_WINDOW.probe("press", control_id)
        self.assertTrue(answer and answer.get("pressed") and answer.get("answered"), answer)

    def option_states(self):
        window = self.window()
        return ([self.control(window, i)["enabled"] for i in OPTIONS],
                [self.control(window, i)["checked"] for i in OPTIONS])

    # --- tests ---

    def test_watched_programs_are_held_at_their_classes(self):
        self.write("Process2.ini", b"ON\r\n")
        # A word in a program's own name is no choice: HIGHLAND.exe is held where its entry says.
        self.write_watch_list(watch_entry("Watched.exe", "HIGH"),
                              watch_entry("Sleepy.exe", "IDOL".ljust(10)),
                              watch_entry("HIGHLAND.exe", "NORMAL"))
        watched = self.start_programs("Watched.exe", 2)
        sleepy = self.start_programs("Sleepy.exe", 1)
        bystander = self.start_programs("Watched2.exe", 1)   # a near name is no match
        highland = self.start_programs("HIGHLAND.exe", 1)
        set_class(highland[0], IDLE)
        everyone = watched + sleepy + bystander + highland
        self.assertEqual(classes(everyone), [NORMAL] * 4 + [IDLE])
        self.start_tidewarden()
        expected = [HIGH, HIGH, IDLE, NORMAL, NORMAL]
        self.wait_for_classes(everyone, expected, TICK + PASS_MARGIN + 2)
        # Right after a pass: another tool changes two of them; the next pass undoes it.
        set_class(watched[0], NORMAL)
        set_class(sleepy[0], REALTIME)
        self.assertEqual(classes(everyone), [NORMAL, HIGH, REALTIME, NORMAL, NORMAL])
        self.wait_for_classes(everyone, expected, TICK + PASS_MARGIN)

    def start_switched_off(self, switch_file):
        """Starts Tidewarden with this Process2.ini and one watched program, and checks that
        the menu shows monitoring off and the program keeps its class through the first pass.
        Returns the watched program."""
        self.write("Process2.ini", switch_file)
        self.write_watch_list(watch_entry("Watched.exe", "HIGH"))
        watched = self.start_programs("Watched.exe", 1)
        self.start_tidewarden()
        first_pass = self.after_next_pass(self.timer_started)
        self.assertEqual(self.monitor_checks(self.open_menu()), [False, True])
        self.assertTrue(harness.choose_menu_item(CLOSE_MENU))
        self.hold_until(watched, [NORMAL], first_pass)
        self.assertEqual(self.read("Process2.ini"), switch_file)   # only read
        return watched

    def test_switch_file_OFF_leaves_watched_programs_alone(self):
        self.start_switched_off(b"OFF\r\n")

    def test_menu_switch_writes_its_file_and_starts_and_stops_the_passes(self):
        # Anything but exactly "ON" in the first line is off.
        watched = self.start_switched_off(b"on\r\n")

        self.choose_in_monitor_menu(ON_ITEM)
        self.assert_file_becomes("Process2.ini", b"ON\r\n")
        self.wait_for_classes(watched, [HIGH], TICK + PASS_MARGIN)
        self.assertEqual(self.monitor_checks(self.open_menu()), [True, False])
        self.assertTrue(harness.choose_menu_item(MONITOR_MENU))
        self.assertTrue(harness.choose_menu_item(OFF_ITEM))
        self.assert_file_becomes("Process2.ini", b"OFF\r\n")
        set_class(watched[0], NORMAL)
        changed = time.monotonic()
        self.assertEqual(self.monitor_checks(self.open_menu()), [False, True])
        self.assertTrue(harness.choose_menu_item(CLOSE_MENU))
        self.hold_until(watched, [NORMAL], self.after_next_pass(changed))

    def test_window_adds_a_program_sets_its_class_and_saves_the_list(self):
        self.write("Process2.ini", b"ON\r\n")
        watched = self.start_programs("Watched.exe", 2)
        for pid in watched:
            set_class(pid, HIGH)
        self.start_tidewarden()
        self.open_window()
        # One row per running process, in the list's own fixed-width layout.
        rows = self.control(self.window(), RUNNING_LIST)["items"]
        running = harness.processes()
        for process in running:
            if process["name"] == "Watched.exe":
                self.assertIn(running_row(process), rows)
        tidewarden = next(p for p in running if p["name"] == "Tidewarden.exe")
        self.assertTrue(any(r.startswith("Tidewarden.exe".ljust(32)) and
                            r.endswith(" " + format(tidewarden["pid"], "X")) for r in rows), rows)
        self.assertEqual(self.control(self.window(), WATCH_LIST)["items"], [])
        self.assertEqual(self.option_states(), ([False] * 4, [False] * 4))

        # Adding the same program twice, from either of its rows, gives one entry.
        row = self.pick_row(RUNNING_LIST, lambda r: r.startswith("Watched.exe "))
        self.press(ADD_BUTTON)
        self.pick_row(RUNNING_LIST, lambda r: r.startswith("Watched.exe ") and r != row)
        self.press(ADD_BUTTON)
        word = row[33:43]
        entry = watch_entry("Watched.exe", word)
        self.assertEqual(self.control(self.window(), WATCH_LIST)["items"], [entry])
        self.assertEqual(classes(watched), [HIGH, HIGH])   # adding sets nothing yet

        self.pick_row(WATCH_LIST, lambda r: r == entry)
        self.assertEqual(self.option_states()[0], [True] * 4)
        self.press(NORMAL_OPTION)
        self.assertEqual(classes(watched), [NORMAL, NORMAL])
        saved = watch_entry("Watched.exe", "NORMAL")
        window = self.window()
        self.assertEqual(self.control(window, WATCH_LIST)["items"], [saved])
        self.assertEqual(self.option_states(), ([True] * 4, [False, False, True, False]))
        # Side by side and never overlapping: a redrawn option button paints its whole
        # rectangle, and would wipe out the circle of a neighbour it reaches into.
        rects = [self.control(window, i)["rect"] for i in OPTIONS]
        for left, right in zip(rects, rects[1:]):
            self.assertLessEqual(left[0] + left[2], right[0], rects)
        harness.screenshot("priority-window-rows")
        # Moved to a monitor of another scale, it is laid out again from the twips at that
        # scale; the options still never overlap. (At 144 dpi it is taller than the test
        # desktop, and a window never grows beyond the screen.)
        for dpi in (120, 96):
            with self.subTest(dpi=dpi):
                self.assertTrue(PRIORITY_WINDOW.change_dpi(dpi))
                window = self.window()
                harness.screenshot(f"priority-window-{dpi}dpi")
                self.assertEqual(window["client"][2:],
                                 [harness.twips(7815, dpi), harness.twips(7635, dpi)])
                self.assertEqual(self.control(window, OK_BUTTON)["rect"],
                                 harness.twips_rect(6240, 7200, 1455, 375, dpi))
                # At 120 dpi its edges make the last option 22 high, its height alone 21.
                self.assertEqual(self.control(window, IDLE_OPTION)["rect"],
                                 harness.twips_rect(6000, 6760, 1575, 255, dpi))
                rects = [self.control(window, i)["rect"] for i in OPTIONS]
                for left, right in zip(rects, rects[1:]):
                    self.assertEqual(left[0] + left[2], right[0], rects)

        # The text made larger while it is open, and back: laid out again with the new font,
        # and moved back into the work area it grew out of.
        for percent in (125, 100):
            with self.subTest(text_size=percent):
                dpi = PRIORITY_WINDOW.change_text_size(percent)
                self.assertIsNotNone(dpi, "the text size change was not delivered")
                self.assertEqual(dpi > 96, percent > 100, dpi)
                window = self.window()
                harness.screenshot(f"priority-window-text-{percent}")
                self.assertEqual(window["client"][2:],
                                 [harness.twips(7815, dpi), harness.twips(7635, dpi)])
                self.assertEqual(self.control(window, OK_BUTTON)["rect"],
                                 harness.twips_rect(6240, 7200, 1455, 375, dpi))
                left, top, width, height = window["frame"]
                work = harness.work_area()
                self.assertTrue(work[0] <= left and left + width <= work[0] + work[2] and
                                work[1] <= top and top + height <= work[1] + work[3],
                                (window["frame"], work))

        self.press(OK_BUTTON)
        self.assertTrue(harness.wait_until(lambda: not self.windows_open(), 5),
                        "the window stayed open after OK")
        self.assert_file_becomes("Process.ini", (saved + "\r\n").encode("ascii"))
        # The saved list is the one the passes use from now on.
        for pid in watched:
            set_class(pid, IDLE)
        self.wait_for_classes(watched, [NORMAL, NORMAL], TICK + PASS_MARGIN)

    def test_open_window_pauses_the_passes_and_its_close_box_discards_edits(self):
        self.write("Process2.ini", b"ON\r\n")
        self.write_watch_list(watch_entry("Watched.exe", "HIGH"), "")
        before = self.read("Process.ini")
        watched = self.start_programs("Watched.exe", 1)
        self.start_tidewarden()
        self.open_window()
        set_class(watched[0], IDLE)
        changed = time.monotonic()
        # Edits: the watched entry deleted, Tidewarden itself added.
        self.assertEqual(self.control(self.window(), WATCH_LIST)["items"],
                         [watch_entry("Watched.exe", "HIGH")])
        self.pick_row(WATCH_LIST, lambda r: r.startswith("Watched.exe"))
        self.press(DELETE_BUTTON)
        self.pick_row(RUNNING_LIST, lambda r: r.startswith("Tidewarden.exe "))
        self.press(ADD_BUTTON)
        # Enter on a button other than OK, or in a list, neither saves nor closes.
        self.assertEqual(harness.probe("keys", "return")[0]["typed"], 1)
        self.assertTrue(self.window(), "Enter on another button closed the window")
        self.pick_row(WATCH_LIST, lambda r: r.startswith("Tidewarden.exe "))
        self.assertEqual(harness.probe("keys", "return")[0]["typed"], 1)
        self.assertTrue(self.window(), "Enter away from OK closed the window")
        self.assertEqual(self.read("Process.ini"), before)
        edited = self.control(self.window(), WATCH_LIST)["items"]
        self.assertEqual(len(edited), 1)
        self.assertTrue(edited[0].startswith("Tidewarden.exe".ljust(60) + " "), edited)
        self.hold_until(watched, [IDLE], self.after_next_pass(changed))

        # Asked for again, the open window comes back as it is: still one, edits kept.
        self.open_window()
        self.assertEqual(len(self.windows_open()), 1)
        self.assertEqual(self.control(self.window(), WATCH_LIST)["items"], edited)

        self.assertTrue(PRIORITY_WINDOW.close())
        self.assertTrue(harness.wait_until(lambda: not self.windows_open(), 5),
                        "the close box did not close the window")
        self.assertEqual(self.read("Process.ini"), before)
        # The passes resume with the list as it was before the discarded edits.
        self.wait_for_classes(watched, [HIGH], TICK + PASS_MARGIN)

    def test_lists_stay_where_the_user_scrolled_them(self):
        self.write_watch_list(*[watch_entry(f"Program{k}.exe", "HIGH") for k in range(20)])
        self.start_tidewarden()
        self.open_window()
        self.pick_row(WATCH_LIST, lambda r: r.startswith("Program0.exe "))
        self.assertTrue(PRIORITY_WINDOW.probe("list-top", WATCH_LIST, 14)["scrolled"])
        time.sleep(2.5)   # two refreshes of the window
        shown = self.control(self.window(), WATCH_LIST)
        self.assertEqual((shown["top"], shown["selected"]), (14, 0))
        # A row added below leaves it where it is too.
        self.pick_row(RUNNING_LIST, lambda r: r.startswith("Tidewarden.exe "))
        self.press(ADD_BUTTON)
        shown = self.control(self.window(), WATCH_LIST)
        self.assertEqual((len(shown["items"]), shown["top"], shown["selected"]), (21, 14, 0))

    def keys(self, *names):
        self.assertEqual(harness.probe("keys", *names)[0]["typed"], len(names), names)

    def focus(self):
        return self.window()["focus"]

    def test_keyboard_alone_never_changes_a_class_until_space(self):
        self.write("Process2.ini", b"ON\r\n")
        self.write_watch_list(watch_entry("Other.exe", "HIGH"), watch_entry("Watched.exe", ""))
        before = self.read("Process.ini")
        watched = self.start_programs("Watched.exe", 1)
        self.start_tidewarden()
        self.open_window()
        # The focus starts in the running list; an arrow key there picks a row as a click does,
        # and Enter on the focused ↓↓追加する↓↓ adds it.
        self.assertEqual(self.focus(), RUNNING_LIST)
        self.keys("down", "tab")
        self.assertEqual(self.focus(), ADD_BUTTON)
        picked = self.control(self.window(), RUNNING_LIST)
        self.assertGreaterEqual(picked["selected"], 0)
        self.keys("return")
        self.assertTrue(self.window(), "Enter on the add button closed the window")
        entries = self.control(self.window(), WATCH_LIST)["items"]
        self.assertEqual(len(entries), 3, entries)
        wordless = entries[1]
        self.assertEqual(entries[2][:32].rstrip(), picked["items"][picked["selected"]][:32].rstrip())

        # Column headings are passed by. In the watch list the arrows pick entries: one with a
        # word checks its option, one without checks none.
        self.keys("tab")
        self.assertEqual(self.focus(), WATCH_LIST)
        self.keys("down")
        self.assertEqual(self.option_states(), ([True] * 4, [False, True, False, False]))
        self.keys("down")
        self.assertEqual(self.option_states(), ([True] * 4, [False] * 4))
        # Tab reaches the options at the first; neither Tab nor the arrows choose.
        self.keys("tab")
        self.assertEqual(self.focus(), DELETE_BUTTON)
        self.keys("tab")
        self.assertEqual(self.focus(), REALTIME_OPTION)
        self.keys("down")
        self.assertEqual(self.focus(), HIGH_OPTION)
        # What Windows sends as the focus reaches an unchecked option chooses nothing either.
        answer = PRIORITY_WINDOW.probe("notify", IDLE_OPTION, 0)   # BN_CLICKED
        self.assertTrue(answer and answer["sent"], answer)
        self.assertEqual(self.option_states()[1], [False] * 4)
        self.assertEqual(classes(watched), [NORMAL])
        self.assertEqual(self.control(self.window(), WATCH_LIST)["items"][1], wordless)
        # Space chooses the focused option and applies it at once.
        self.keys("space")
        self.wait_for_classes(watched, [HIGH], 5)
        self.assertEqual(self.option_states()[1], [False, True, False, False])
        self.assertEqual(self.control(self.window(), WATCH_LIST)["items"][1],
                         watch_entry("Watched.exe", "HIGH"))
        self.keys("tab")
        self.assertEqual(self.focus(), OK_BUTTON)
        self.keys("shift-tab")
        self.assertEqual(self.focus(), HIGH_OPTION)   # the checked one
        harness.screenshot("priority-window-keyboard")
        # Away to another window and back, the focus is where it was.
        other = harness.Started(self.folder.exe("Marrowgate.exe"), [])
        self.addCleanup(other.kill)
        marrowgate = harness.TopWindow("Tidewardenツールの設定", "MarrowgateForm")
        self.assertTrue(harness.wait_until(lambda: (marrowgate.shown() or {}).get("foreground"),
                                           STARTUP), "the other window never came to the front")
        self.assertTrue(marrowgate.close())
        self.assertEqual(other.wait(10).status, 0)
        self.assertTrue(harness.wait_until(lambda: self.window()["foreground"], 5),
                        "the window did not come back to the front")
        self.assertEqual(self.focus(), HIGH_OPTION)
        self.assertEqual(classes(watched), [HIGH])

        # Escape closes as the close box does: the edits are dropped, the passes resume.
        self.keys("escape")
        self.assertTrue(harness.wait_until(lambda: not self.windows_open(), 5),
                        "Escape did not close the window")
        self.assertEqual(self.read("Process.ini"), before)

    def test_a_name_the_code_page_cannot_hold_is_refused_with_a_message(self):
        # Shift-JIS has no "é": the file would keep "cafe.exe", which matches nothing running.
        self.start_programs("café.exe", 1)
        self.start_tidewarden()
        self.open_window()
        self.pick_row(RUNNING_LIST, lambda r: r.startswith("café.exe "))
        answer = PRIORITY_WINDOW.probe("press", ADD_BUTTON)
        self.assertTrue(answer and answer.get("pressed"), answer)
        box = harness.read_message_box("Tidewarden ")
        self.assertTrue(box and box["found"], "no message box")
        harness.screenshot("priority-window-name-refused")
        self.assertIn("café.exe", box["text"])
        # The box is the window's own: the window takes nothing while it shows.
        self.assertFalse(self.window()["enabled"])
        self.assertTrue(harness.read_message_box("Tidewarden ", press=True)["found"])
        self.assertEqual(self.control(self.window(), WATCH_LIST)["items"], [])

    def test_ok_asks_before_replacing_a_list_another_program_changed(self):
        self.write_watch_list(watch_entry("Old.exe", "HIGH"))
        self.start_tidewarden()
        self.open_window()
        self.pick_row(RUNNING_LIST, lambda r: r.startswith("Tidewarden.exe "))
        self.press(ADD_BUTTON)
        shown = self.control(self.window(), WATCH_LIST)["items"]
        self.assertEqual(len(shown), 2)
        # An editor, or a copy in another session sharing the folder, saves in the meantime.
        theirs = (watch_entry("Theirs.exe", "IDLE") + "\r\n").encode("ascii")
        self.write("Process.ini", theirs)

        for choice in ("no", "yes"):
            with self.subTest(choice=choice):
                answer = PRIORITY_WINDOW.probe("press", OK_BUTTON)
                self.assertTrue(answer and answer.get("pressed"), answer)
                box = harness.read_message_box("Tidewarden ")
                self.assertTrue(box and box["found"], "no question before replacing the file")
                if choice == "no":
                    harness.screenshot("priority-window-file-changed")
                self.assertIn("Process.ini", box["text"])
                self.assertEqual(len(box["buttons"]), 2, box)
                self.assertEqual(box["default"], box["buttons"][1], "No is not the default")
                # The window's own box: the window takes nothing while it shows.
                self.assertFalse(self.window()["enabled"])
                self.assertTrue(harness.read_message_box("Tidewarden ", press=choice)["found"])
                if choice == "no":
                    self.assertTrue(harness.wait_until(lambda: self.window()["enabled"], 5))
                    self.assertEqual(self.control(self.window(), WATCH_LIST)["items"], shown)
                    time.sleep(0.5)
                    self.assertEqual(self.read("Process.ini"), theirs)
        self.assertTrue(harness.wait_until(lambda: not self.windows_open(), 5),
                        "the window stayed open after Yes")
        self.assert_file_becomes("Process.ini",
                                 "".join(e + "\r\n" for e in shown).encode("ascii"))
