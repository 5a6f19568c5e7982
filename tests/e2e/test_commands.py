"""Tidewarden's menu commands that start other programs, under Wine: the tool settings
window, the Explorer restart, the settings program and the mixer. Programs that are not there
are stood in for by recorder.exe where a test needs to see the start."""
import os
import time

import harness

TOOL_SETTINGS_ITEM = "ツール設定の変更"
TOOL_SETTINGS_WINDOW = harness.TopWindow("Tidewardenツールの設定", "MarrowgateForm")
EXPLORER_ITEM = "エクスプローラを再起動する"
SETTINGS_ITEM = "設定の変更"
VOLUME_MENU, MIXER_ITEM = "音量", "ボリューム"
CLOSE_MENU = "メニューを閉じる"
STARTUP = 15.0
SETTLE = 1.5   # long enough for a start that was going to happen to show
FORCE_OFF_FEEDBACK = 0x80   # a STARTUPINFO flag


def close_window(window):
    harness.TopWindow(window["title"], window["class"]).close()


class CommandsCase(harness.WineTestCase):
    def setUp(self):
        super().setUp()
        self.tidewarden = self.start_tray(timeout=STARTUP)
        self.pid = next(p["pid"] for p in harness.processes() if p["name"] == "Tidewarden.exe")

    def children(self):
        return [p for p in harness.processes() if p["parent"] == self.pid]

    def choose(self, *captions, picture=None):
        """Opens the menu with a right click and chooses the item, through its submenus; with
        `picture`, a screenshot of the open menus goes to the artifacts first."""
        self.assertTrue(harness.click_slot(0, "right"))
        for caption in captions[:-1]:
            self.assertTrue(harness.choose_menu_item(caption), f"could not open {caption}")
        if picture:
            self.assertIsNotNone(harness.read_menus(), "no popup menu")
            # Away from the icon, or its tooltip hides the menu's last lines.
            harness.move_pointer(harness.AWAY)
            time.sleep(0.5)
            harness.screenshot(picture)
        self.assertTrue(harness.choose_menu_item(captions[-1]), f"could not choose {captions[-1]}")

    def assert_quiet(self):
        """Still running, and no message box or other window of its own on screen."""
        self.assertIsNone(self.tidewarden.process.poll(), "Tidewarden ended")
        boxes = [w for w in harness.all_windows() if w["pid"] == self.pid and w["visible"]]
        self.assertEqual(boxes, [], "Tidewarden shows a window")

    def assert_still_answering(self):
        self.assert_quiet()
        self.assertTrue(harness.click_slot(0, "right"))
        self.assertIsNotNone(harness.read_menu(), "no menu after the command")
        self.assertTrue(harness.choose_menu_item(CLOSE_MENU))

    def test_tool_settings_item_opens_the_tool_settings_window(self):
        self.choose(TOOL_SETTINGS_ITEM, picture="menu-commands")
        shown = harness.wait_until(
            lambda: [w for w in harness.windows_titled(TOOL_SETTINGS_WINDOW.title) if w["visible"]],
            STARTUP)
        self.assertTrue(shown, "the tool settings window did not open")
        self.assertEqual([w["class"] for w in shown], [TOOL_SETTINGS_WINDOW.window_class])
        started = [p for p in self.children() if p["pid"] == shown[0]["pid"]]
        self.assertEqual([p["name"] for p in started], ["Marrowgate.exe"])
        close_window(shown[0])
        gone = harness.wait_until(
            lambda: all(p["pid"] != shown[0]["pid"] for p in harness.processes()), 10)
        self.assertTrue(gone, "the tool settings program did not end when closed")

    def test_explorer_restart_starts_explorer_and_the_program_keeps_answering(self):
        # Wine's desktop has no Progman window, so there is nothing to end and wait for.
        self.assertFalse([w for w in harness.all_windows() if w["class"] == "Progman"])
        self.choose(EXPLORER_ITEM)
        started = harness.wait_until(
            lambda: [p for p in self.children() if p["name"].lower() == "explorer.exe"], 10)
        self.assertTrue(started, "no Explorer started by Tidewarden")
        self.assertEqual(len(started), 1)
        explorer = started[0]["pid"]
        self.addCleanup(self.end_explorer, explorer)
        self.assert_still_answering()

    def end_explorer(self, pid):
        for window in harness.all_windows():
            if window["pid"] == pid and window["visible"]:
                close_window(window)
        harness.wait_until(lambda: all(p["pid"] != pid for p in harness.processes()), 10)

    def test_settings_and_mixer_start_their_program_only_where_it_is(self):
        windir = os.path.join(os.environ.get("WINEPREFIX", ""), "drive_c", "windows")
        config = self.folder.exe("Config.exe")
        old_mixer = os.path.join(windir, "SNDVOL32.EXE")
        new_mixer = os.path.join(windir, "system32", "SndVol.exe")
        for place in (old_mixer, new_mixer):
            self.assertFalse(os.path.exists(place), f"{place} left in the prefix")
        cases = [
            ((SETTINGS_ITEM,), [], None, None),
            ((SETTINGS_ITEM,), [config], config, None),
            ((VOLUME_MENU, MIXER_ITEM), [], None, "menu-volume-mixer"),
            ((VOLUME_MENU, MIXER_ITEM), [new_mixer], new_mixer, None),
            # The mixer's older name in the Windows folder comes first.
            ((VOLUME_MENU, MIXER_ITEM), [new_mixer, old_mixer], old_mixer, None),
        ]
        for captions, installed, expected, picture in cases:
            with self.subTest(item=captions[-1], installed=installed):
                for place in installed:
                    harness.install_recorder(place)
                    self.addCleanup(remove, place)
                    log = os.path.join(os.path.dirname(place), "recorder.log")
                    self.addCleanup(remove, log)
                self.choose(*captions, picture=picture)
                if expected:
                    want = f'"{windows_path(expected, windir)}"'.lower()
                    got = harness.wait_until(lambda: self.starts(installed), 10)
                    self.assertEqual([line.lower() for line in got], [want])
                    # With the busy pointer a program the user asked for shows.
                    [(_, flags, _)] = self.starts(installed, with_how=True)
                    self.assertEqual(flags & FORCE_OFF_FEEDBACK, 0)
                else:
                    time.sleep(SETTLE)
                    self.assertEqual(self.children(), [])
                self.assert_quiet()
                for place in installed:
                    remove(place)
                    remove(os.path.join(os.path.dirname(place), "recorder.log"))
        self.assert_still_answering()

    def starts(self, installed, with_how=False):
        folders = sorted({os.path.dirname(place) for place in installed})
        return [line for folder in folders
                for line in harness.recorded_starts(folder, with_how=with_how)]


def remove(path):
    if os.path.exists(path):
        os.remove(path)


def windows_path(unix_path, windir):
    """How the program names a file: the Windows folder as C:\\windows, the rest through Z:."""
    if unix_path.startswith(windir + os.sep):
        return "C:\\windows\\" + unix_path[len(windir) + 1:].replace("/", "\\")
    return harness.windows_path(unix_path)
