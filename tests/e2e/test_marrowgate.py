"""Marrowgate.exe, the tool settings window, under Wine: read and driven from another process
through winprobe, its settings file compared byte for byte."""
import os
import re
import resource
import signal
import subprocess
import sys
import unittest

import harness

TITLE = "Tidewardenツールの設定"
TOOL_WINDOW = harness.TopWindow(TITLE, "MarrowgateForm")
VOLUME_ITEMS = ["ノーマル", "ヘッドフォン", "スピーカー"]
CLICK_ITEMS = ["音量", "解像度変更"]
APPLY = "適用"
LABELS = ["選択できるボリュームを環境に合わせます", "タスクトレイの左クリックの処理"]
STARTUP = 15.0
TRAY_CLOSE = "メニューを閉じる"
MODE = re.compile(r"\d+x\d+ (16|24|32)Bit")


class MarrowgateCase(harness.WineTestCase):
    def setUp(self):
        super().setUp()
        self.ini = self.folder.exe("Marrowgate.ini")

    def start(self):
        started = harness.Started(self.folder.exe("Marrowgate.exe"), [])
        self.addCleanup(started.kill)
        shown = harness.wait_until(lambda: self.window(), STARTUP)
        self.assertTrue(shown, "no Marrowgate window")
        return started

    def window(self):
        """The window and its controls, once it is shown; None before."""
        return TOOL_WINDOW.shown()

    def write_settings(self, data):
        with open(self.ini, "wb") as file:
            file.write(data)

    def combos(self, window):
        return [c for c in window["controls"] if c["class"].lower() == "combobox"]

    def button(self, window):
        return next(c for c in window["controls"] if c["class"].lower() == "button")

    def shown_choices(self):
        window = self.window()
        self.assertIsNotNone(window)
        return [c["selected"] for c in self.combos(window)], self.button(window)["enabled"]

    def pick(self, list_number, entry):
        """Picks entry `entry` in the first (0) or second (1) list, as a user would."""
        combo = self.combos(self.window())[list_number]
        answer = TOOL_WINDOW.probe("combo-pick", combo["id"], entry)
        self.assertTrue(answer and answer.get("picked"), answer)

    def press_apply(self):
        """A real mouse click in the middle of the button."""
        window = self.window()
        x, y, w, h = self.button(window)["rect"]
        left, top = window["client"][:2]
        self.assertTrue(harness.probe("click", str(left + x + w // 2), str(top + y + h // 2),
                                      "left")[0]["clicked"])

    def wait_for_settings(self, expected, timeout=10):
        got = harness.wait_until(lambda: self.read_settings() == expected, timeout)
        self.assertTrue(got, f"Marrowgate.ini holds {self.read_settings()!r}, not {expected!r}")

    def close(self, started):
        self.assertTrue(TOOL_WINDOW.close())
        self.assertEqual(started.wait(10).status, 0)

    def read_settings(self):
        try:
            with open(self.ini, "rb") as file:
                return file.read()
        except FileNotFoundError:
            return None


    def test_opens_with_the_stored_choices(self):
        cases = [
            (None, [0, 0], "marrowgate-no-file"),
            (b"[TOOL]\r\nVOLUME=MAX\r\nCLICK=SCREENSIZE\r\n", [2, 1], "marrowgate-max-screensize"),
            (b"[TOOL]\r\nVOLUME = LOW\r\n", [1, 0], None),
            (b"[TOOL]\r\nVOLUME=low\r\nCLICK=screensize\r\n", [0, 0], None),
            (b"VOLUME=LOW\r\nCLICK=SCREENSIZE\r\n", [0, 0], None),
        ]
        for data, selected, picture in cases:
            with self.subTest(settings=data):
                if data is not None:
                    self.write_settings(data)
                started = self.start()
                window = self.window()
                combos = self.combos(window)
                self.assertEqual([c["items"] for c in combos], [VOLUME_ITEMS, CLICK_ITEMS])
                self.assertEqual([c["selected"] for c in combos], selected)
                self.assertEqual([c["text"] for c in combos],
                                 [VOLUME_ITEMS[selected[0]], CLICK_ITEMS[selected[1]]])
                self.assertTrue(self.button(window)["enabled"])
                if picture:
                    harness.screenshot(picture)
                self.close(started)
                self.assertEqual(self.read_settings(), data)  # looking changes nothing

    def test_window_layout(self):
        self.start()
        window = self.window()
        # 6435 x 4530 twips at the desktop's 96 dpi, centred where no taskbar covers it.
        self.assertEqual(window["client"][2:], [429, 302])
        x, y, w, h = window["frame"]
        left, top, width, height = harness.work_area()
        self.assertLess(height, harness.screen_size()[1], "no taskbar on the desktop")
        self.assertLessEqual(abs((x + w / 2) - (left + width / 2)), 1)
        self.assertLessEqual(abs((y + h / 2) - (top + height / 2)), 1)
        controls = window["controls"]
        # Tab order: the button, then each list after its label, which names it to a screen
        # reader.
        self.assertEqual([c["class"].lower() for c in controls],
                         ["button", "static", "combobox", "static", "combobox"])
        self.assertEqual([controls[k]["text"] for k in (0, 1, 3)], [APPLY] + LABELS)
        self.assertEqual(window["focus"], controls[0]["id"])
        button, volume_label, volume_list, click_label, click_list = [c["rect"] for c in controls]
        self.assertEqual(button[:2], [336, 272])
        for label, combo in ((volume_label, volume_list), (click_label, click_list)):
            self.assertLess(label[0] + label[2], combo[0])       # left of its list
            self.assertLessEqual(combo[1], label[1])              # on the list's line
            self.assertLessEqual(label[1] + label[3], combo[1] + combo[3])
        self.assertEqual(volume_list[0] + volume_list[2], button[0] + button[2])
        self.assertEqual(volume_list[0], click_list[0])

        # Moved to a monitor of another scale, it is laid out again from the twips at that
        # scale, edges and all.
        for dpi in (144, 192, 96):
            with self.subTest(dpi=dpi):
                self.assertTrue(TOOL_WINDOW.change_dpi(dpi))
                window = self.window()
                harness.screenshot(f"marrowgate-{dpi}dpi")
                self.assertEqual(window["client"][2:],
                                 [harness.twips(6435, dpi), harness.twips(4530, dpi)])
                self.assertEqual(window["controls"][0]["rect"],
                                 harness.twips_rect(5040, 4080, 1335, 375, dpi))
                label = window["controls"][1]["rect"]
                self.assertEqual(label[:2], [harness.twips(120, dpi), harness.twips(240, dpi)])

        # The text made larger while it is open, and back: laid out again with the new font.
        for percent in (150, 100):
            with self.subTest(text_size=percent):
                dpi = TOOL_WINDOW.change_text_size(percent)
                self.assertIsNotNone(dpi, "the text size change was not delivered")
                self.assertEqual(dpi > 96, percent > 100, dpi)
                window = self.window()
                harness.screenshot(f"marrowgate-text-{percent}")
                self.assertEqual(window["client"][2:],
                                 [harness.twips(6435, dpi), harness.twips(4530, dpi)])
                self.assertEqual(window["controls"][0]["rect"],
                                 harness.twips_rect(5040, 4080, 1335, 375, dpi))

    def test_opens_at_the_scale_of_its_screen(self):
        # A screen at 150 %: a program started now sees 144 dpi.
        desktop = r"HKCU\Control Panel\Desktop"
        set_dpi = ["add", desktop, "/v", "LogPixels", "/t", "REG_DWORD", "/f", "/d"]
        # Once, in a full run under load, reg ended with 1 at its first try: it is tried again,
        # and what it said is kept.
        for _ in range(3):
            done = harness.run("reg", set_dpi + ["144"])
            if done.status == 0:
                break
            print(f"reg add: {done.status} {done.stdout + done.stderr!r}", file=sys.stderr)
        self.assertEqual(done.status, 0, done.stdout + done.stderr)
        self.addCleanup(harness.run, "reg", set_dpi + ["96"])
        self.start()
        window = self.window()
        self.assertEqual(window["client"][2:], [harness.twips(6435, 144), harness.twips(4530, 144)])
        self.assertEqual(window["controls"][0]["rect"][:2],
                         [harness.twips(5040, 144), harness.twips(4080, 144)])
        left, top, width, height = window["frame"]
        work = harness.work_area()
        self.assertTrue(work[0] <= left and left + width <= work[0] + work[2] and
                        work[1] <= top and top + height <= work[1] + work[3], (window, work))
        harness.screenshot("marrowgate-opened-at-144dpi")

    def test_apply_writes_the_file_the_tray_program_reads(self):
        started = self.start()
        self.pick(0, 1)
        self.pick(1, 1)
        self.press_apply()
        # In the ANSI code page, VOLUME before CLICK, no blanks, CR LF.
        self.wait_for_settings(b"[TOOL]\r\nVOLUME=LOW\r\nCLICK=SCREENSIZE\r\n")
        self.assertEqual(self.shown_choices(), ([1, 1], False))
        # A new left-click choice alone is a choice to store.
        self.pick(1, 0)
        self.assertEqual(self.shown_choices(), ([1, 0], True))
        self.press_apply()
        self.wait_for_settings(b"[TOOL]\r\nVOLUME=LOW\r\nCLICK=VOLUME\r\n")
        self.assertEqual(self.shown_choices(), ([1, 0], False))
        self.pick(0, 2)
        self.assertEqual(self.shown_choices(), ([2, 0], True))
        self.press_apply()
        self.wait_for_settings(b"[TOOL]\r\nVOLUME=MAX\r\nCLICK=VOLUME\r\n")
        self.assertEqual(self.shown_choices(), ([2, 0], False))
        # Picks not applied are dropped with the window, without a question.
        self.pick(0, 0)
        self.close(started)
        self.assertEqual(self.read_settings(), b"[TOOL]\r\nVOLUME=MAX\r\nCLICK=VOLUME\r\n")

    def test_apply_without_a_change_stores_both_choices(self):
        self.write_settings(b"[TOOL]\r\nVOLUME=MAX\r\n")
        self.start()
        self.assertEqual(self.shown_choices(), ([2, 0], True))
        self.press_apply()
        self.wait_for_settings(b"[TOOL]\r\nVOLUME=MAX\r\nCLICK=VOLUME\r\n")

    def test_keyboard(self):
        started = self.start()
        ids = [c["id"] for c in self.window()["controls"]]
        # Enter on the focused button applies; the focus moves on to the first list.
        self.assertTrue(harness.probe("keys", "return")[0]["typed"])
        self.wait_for_settings(b"[TOOL]\r\nVOLUME=NORMAL\r\nCLICK=VOLUME\r\n")
        self.assertEqual(self.window()["focus"], ids[2])
        # Down picks the next volume range; Tab passes the label by.
        self.assertEqual(harness.probe("keys", "down", "tab")[0]["typed"], 2)
        self.assertEqual(self.shown_choices(), ([1, 0], True))
        self.assertEqual(self.window()["focus"], ids[4])
        self.assertEqual(harness.probe("keys", "shift-tab", "shift-tab")[0]["typed"], 2)
        self.assertEqual(self.window()["focus"], ids[0])
        harness.probe("keys", "space")
        self.wait_for_settings(b"[TOOL]\r\nVOLUME=LOW\r\nCLICK=VOLUME\r\n")
        # Escape closes the window as its close box does: a pick not applied is dropped.
        self.assertEqual(harness.probe("keys", "tab", "down", "escape")[0]["typed"], 3)
        self.assertEqual(started.wait(10).status, 0)
        self.assertEqual(self.read_settings(), b"[TOOL]\r\nVOLUME=LOW\r\nCLICK=VOLUME\r\n")

    def test_second_copy_ends_at_once(self):
        first = self.start()
        second = harness.Started(self.folder.exe("Marrowgate.exe"), [])
        self.addCleanup(second.kill)
        self.assertEqual(second.wait(15).status, 0)
        self.assertIsNone(first.process.poll())
        windows = harness.windows_titled(TITLE)
        self.assertEqual(len(windows), 1, windows)
        self.assertIsNone(self.read_settings())

    def make_immutable(self, path):
        """Makes a file or folder one that nobody may change, not even root (the tests run as
        root, which file permissions do not stop)."""
        done = subprocess.run(["chattr", "+i", path], capture_output=True, check=False)
        if done.returncode != 0:
            self.skipTest(f"chattr +i does not work here: {done.stderr.decode().strip()}")
        self.addCleanup(subprocess.run, ["chattr", "-i", path], check=False,
                        capture_output=True)

    def test_failed_write_is_reported_and_apply_stays_pressable(self):
        cases = [
            ("read-only folder", None),
            ("read-only file", b"[TOOL]\r\nVOLUME=NORMAL\r\nCLICK=VOLUME\r\n"),
        ]
        for name, data in cases:
            with self.subTest(name):
                if data is not None:
                    self.write_settings(data)
                locked = self.ini if data is not None else self.folder.path
                self.make_immutable(locked)
                started = self.start()
                self.pick(0, 1)
                self.press_apply()
                box = harness.read_message_box(TITLE)
                self.assertTrue(box and box["found"], "no message box")
                harness.screenshot(f"marrowgate-write-failed-{name.split()[1]}")
                self.assertIn("書き込めませんでした", box["text"])
                self.assertIn(harness.windows_path(self.ini), box["text"])
                self.assertEqual(len(box["buttons"]), 1)
                self.assertTrue(harness.read_message_box(TITLE, press=True)["found"])
                self.assertEqual(self.shown_choices(), ([1, 0], True))
                self.assertEqual(self.read_settings(), data)
                # Once the file may be written, pressing again stores the choices.
                subprocess.run(["chattr", "-i", locked], check=True)
                self.press_apply()
                self.wait_for_settings(b"[TOOL]\r\nVOLUME=LOW\r\nCLICK=VOLUME\r\n")
                self.assertEqual(self.shown_choices(), ([1, 0], False))
                self.close(started)
                os.unlink(self.ini)

    def test_tray_program_follows_an_apply(self):
        tray = self.start_tray()
        self.assertEqual(self.left_click_menu()[:2], [TRAY_CLOSE, "-"])
        self.assertIn("±0 (中音量)", self.left_click_menu())
        self.start()
        self.pick(1, 1)
        self.press_apply()
        self.wait_for_settings(b"[TOOL]\r\nVOLUME=NORMAL\r\nCLICK=SCREENSIZE\r\n")
        # The running tray program's next left click opens the display modes.
        shown = self.left_click_menu(picture="marrowgate-tray-after-apply")
        self.assertEqual(shown[:2], [TRAY_CLOSE, "-"])
        self.assertTrue(shown[2:] and all(MODE.fullmatch(c) for c in shown[2:]), shown)
        self.assertIsNone(tray.process.poll())

    def test_a_save_cut_short_by_a_full_disk_leaves_a_file_the_tray_program_reads(self):
        self.write_settings(b"[TOOL]\r\nVOLUME=MAX\r\nCLICK=SCREENSIZE\r\n")
        limit = 16  # the disk fills up after this many bytes of the file

        def full_disk():
            resource.setrlimit(resource.RLIMIT_FSIZE, (limit, limit))
            signal.signal(signal.SIGXFSZ, signal.SIG_IGN)

        started = harness.Started(self.folder.exe("Marrowgate.exe"), [], preexec_fn=full_disk)
        self.addCleanup(started.kill)
        self.assertTrue(harness.wait_until(lambda: self.window(), STARTUP), "no window")
        self.pick(0, 1)
        self.press_apply()
        whole = b"[TOOL]\r\nVOLUME=LOW\r\nCLICK=SCREENSIZE\r\n"
        # The profile functions rewrite the file in place: what is left is the start of the
        # new file (Wine even reports the save as done).
        harness.wait_until(lambda: self.read_settings() == whole[:limit], 10)
        self.assertEqual(self.read_settings(), whole[:limit])
        harness.read_message_box(TITLE, timeout_ms=2000, press=True)
        self.close(started)

        # The tray program takes the cut lines for absent ones: the middle range and the
        # volume steps on a left click.
        tray = self.start_tray()
        shown = self.left_click_menu()
        self.assertIn("±0 (中音量)", shown)
        self.assertIsNone(tray.process.poll())

        # Marrowgate opens with the first entries, and with room on the disk stores both again.
        self.start()
        self.assertEqual(self.shown_choices(), ([0, 0], True))
        self.pick(0, 1)
        self.pick(1, 1)
        self.press_apply()
        self.wait_for_settings(whole)

    def left_click_menu(self, picture=None):
        """Opens the tray program's left-click menu, reads its captions and closes it."""
        self.assertTrue(harness.click_slot(0, "left"))
        items = harness.read_menu()
        self.assertIsNotNone(items, "no popup menu after a left click")
        if picture:
            harness.screenshot(picture)
        self.assertTrue(harness.choose_menu_item(TRAY_CLOSE))
        return harness.captions(items)

if __name__ == "__main__":
    unittest.main()
