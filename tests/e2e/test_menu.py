"""Tidewarden's popup menus under Wine: read from inside the program by menuprobe."""
import os
import re
import time
import unittest

import harness

VOLUME_STEPS = ["＋9 (最大)", "＋8", "＋7", "＋6", "＋5", "＋4", "＋3", "＋2", "＋1 \u3000↑",
                "±0 (中音量)", "－1 \u3000↓", "－2", "－3", "－4", "－5", "－6", "－7", "－8",
                "－9 (ミュート)"]
CLOSE = "メニューを閉じる"
MEMORY_LINE = re.compile(r"≪ *空きメモリー \d+MB *≫")
DATE_LINE = re.compile(r"≪\d{1,2}月\d{1,2}日 [日月火水木金土]曜日 \d{1,2}時\d\d分≫")
MODE = re.compile(r"\d+x\d+ (16|24|32)Bit")


class MenuCase(harness.WineTestCase):
    # Sound: ALSA's null device gives Wine one silent playback device.
    SOUND = {"ALSA_CONFIG_PATH": os.path.join(os.path.dirname(__file__), "alsa-null.conf")}

    def setUp(self):
        super().setUp()
        self.start()

    def start(self, env=None):
        self.started = self.start_tray(env=self.SOUND if env is None else env)

    def stop(self):
        self.started.kill()
        harness.sweep_tray()

    def write_tool_settings(self, text):
        with open(self.folder.exe("Marrowgate.ini"), "w", newline="") as file:
            file.write(text)

    def open_menu(self, button, screen=(harness.SCREEN_W, harness.SCREEN_H)):
        self.assertTrue(harness.click_slot(0, button, screen))
        items = harness.read_menu()
        self.assertIsNotNone(items, f"no popup after a {button} click")
        return items

    def close_menu(self):
        self.assertTrue(harness.choose_menu_item(CLOSE))

    def test_right_click_shows_the_whole_menu(self):
        items = self.open_menu("right")
        harness.screenshot("menu-right-click")
        shown = harness.captions(items)
        self.assertEqual(shown[:2], [CLOSE, "-"])
        self.assertRegex(shown[2], MEMORY_LINE)
        self.assertRegex(shown[3], DATE_LINE)
        self.assertEqual(shown[4:], [
            "-", "音量", "解像度変更", "-", "メモリーリークを治す", "エクスプローラを再起動する",
            "-", "設定の変更", "ツール設定の変更", "プロセス監視", "-", "終了"])
        # In the whole menu the submenus come without their own close items.
        volume = harness.menu_item(items, "音量")["submenu"]
        self.assertEqual(harness.captions(volume), VOLUME_STEPS + ["-", "ボリューム"])
        resolution = harness.captions(harness.menu_item(items, "解像度変更")["submenu"])
        self.assertNotIn(CLOSE, resolution)
        self.assertTrue(resolution and all(MODE.fullmatch(c) for c in resolution), resolution)
        monitor = harness.menu_item(items, "プロセス監視")["submenu"]
        self.assertEqual(harness.captions(monitor), ["設定の変更", "-", "監視する", "監視しない"])
        self.assertEqual([i["checked"] for i in monitor if not i["separator"]],
                         [False, False, True])
        self.close_menu()

    def test_each_gesture_opens_one_menu_and_the_keyboards_opens_at_the_icon(self):
        # Wine's notification area has no keyboard: the test posts what Windows sends for
        # Shift+F10 and Enter under version 4 (the event in lParam, the icon's anchor in
        # wParam), with the pointer elsewhere.
        callback, context_menu, key_select, icon_id = 0x8001, 0x007B, 0x0401, 1
        anchor = (200, 150)
        rows = [
            ("right click", "right", None, "whole"),
            ("left click", "left", None, "click"),
            ("Shift+F10", None, context_menu, "whole"),
            ("Enter", None, key_select, "click"),
        ]
        for gesture, button, notification, expected in rows:
            with self.subTest(gesture=gesture):
                if button:
                    self.assertTrue(harness.click_slot(0, button))
                else:
                    self.assertTrue(harness.move_pointer(harness.AWAY))
                    posted = harness.TRAY_WINDOW.probe(
                        "post", callback, anchor[0] | anchor[1] << 16,
                        notification | icon_id << 16)
                    self.assertTrue(posted and posted["posted"], posted)
                menus = harness.read_menus()
                self.assertIsNotNone(menus, f"no popup after {gesture}")
                harness.screenshot("menu-" + gesture.replace(" ", "-").replace("+", "-"))
                self.assertEqual(len(menus), 1, [menu["rect"] for menu in menus])
                shown = harness.captions(menus[0]["items"])
                if expected == "whole":
                    self.assertIn("終了", shown)
                else:
                    self.assertEqual(shown[2:], VOLUME_STEPS + ["-", "ボリューム"])
                left, top, right, bottom = menus[0]["rect"]
                if notification:
                    # Opened at the icon, not at the pointer: left-aligned there for the
                    # submenu, centred on it for the whole menu.
                    self.assertEqual(top, anchor[1])
                    if expected == "click":
                        self.assertEqual(left, anchor[0])
                    else:
                        self.assertLessEqual(abs((left + right) // 2 - anchor[0]), 1)
                    self.assertFalse(left <= harness.AWAY[0] < right
                                     and top <= harness.AWAY[1] < bottom)
                self.assertTrue(harness.menu_keys("escape"))
                # One gesture, one menu: nothing opens after the first has closed.
                time.sleep(0.5)
                self.assertIsNone(harness.read_menus(timeout_ms=1500),
                                  f"a second menu after {gesture}")

    def test_left_click_opens_one_submenu_as_the_tool_settings_say(self):
        cases = [
            (None, "volume"),
            ("[TOOL]\r\nVOLUME=NORMAL\r\nCLICK=VOLUME\r\n", "volume"),
            ("[TOOL]\r\nVOLUME=NORMAL\r\nCLICK=SCREENSIZE\r\n", "resolution"),
            ("[TOOL]\r\nCLICK=screensize\r\n", "volume"),
        ]
        for settings, expected in cases:
            with self.subTest(settings=settings):
                if settings is not None:
                    self.write_tool_settings(settings)
                items = self.open_menu("left")
                harness.screenshot(f"menu-left-click-{expected}")
                shown = harness.captions(items)
                self.assertEqual(shown[:2], [CLOSE, "-"])
                if expected == "volume":
                    self.assertEqual(shown[2:], VOLUME_STEPS + ["-", "ボリューム"])
                else:
                    self.assertTrue(shown[2:] and all(MODE.fullmatch(c) for c in shown[2:]),
                                    shown)
                self.close_menu()

    def test_volume_marks_follow_the_range(self):
        # Wine's Core Audio endpoint always reads full volume (it keeps a set volume only in
        # the object that set it), so the mark says which range was applied: the top step in
        # the normal and MAX ranges, nothing in LOW.
        cases = [("NORMAL", "＋9 (最大)"), ("MAX", "＋9 (最大)"), ("LOW", None)]
        for volume, checked in cases:
            with self.subTest(volume=volume):
                self.write_tool_settings(f"[TOOL]\r\nVOLUME={volume}\r\nCLICK=VOLUME\r\n")
                items = self.open_menu("left")
                marked = [i["caption"] for i in items if i["checked"]]
                self.assertEqual(marked, [checked] if checked else [])
                # Choosing a step closes the menu and leaves the program running.
                self.assertTrue(harness.choose_menu_item("±0 (中音量)"))
                self.assertIsNone(self.started.process.poll())

    def test_without_a_sound_device_mute_is_marked(self):
        self.stop()
        self.start(env={"ALSA_CONFIG_PATH": os.devnull})
        items = self.open_menu("right")
        volume = harness.menu_item(items, "音量")["submenu"]
        self.assertEqual([i["caption"] for i in volume if i["checked"]], ["－9 (ミュート)"])
        self.close_menu()

    def test_choosing_a_display_mode_switches_and_moves_the_check_mark(self):
        self.write_tool_settings("[TOOL]\r\nCLICK=SCREENSIZE\r\n")
        items = self.open_menu("left")
        modes = [i for i in items if MODE.fullmatch(i["caption"])]
        self.assertEqual([i["caption"] for i in modes if i["checked"]], ["1024x768 32Bit"])
        target = next(i["caption"] for i in modes if i["caption"].startswith("800x600 "))
        self.addCleanup(harness.probe, "display-mode", "1024", "768", "32")
        self.assertTrue(harness.choose_menu_item(target))
        self.assertTrue(harness.wait_until(lambda: harness.screen_size() == (800, 600), 10),
                        f"the screen is {harness.screen_size()}")
        box = harness.read_message_box("Tidewarden ", timeout_ms=500)
        self.assertFalse(box and box.get("found"), "a message box after a good switch")

        items = self.open_menu("left", screen=(800, 600))
        harness.screenshot("menu-after-mode-change")
        self.assertEqual([i["caption"] for i in items if i["checked"]], [target])
        # Choosing the checked entry again does nothing at all.
        self.assertTrue(harness.choose_menu_item(target))
        self.assertEqual(harness.screen_size(), (800, 600))

        items = self.open_menu("left", screen=(800, 600))
        self.assertTrue(harness.choose_menu_item("1024x768 32Bit"))
        self.assertTrue(harness.wait_until(lambda: harness.screen_size() == (1024, 768), 10))
        items = self.open_menu("left")
        self.assertEqual([i["caption"] for i in items if i["checked"]], ["1024x768 32Bit"])
        self.close_menu()

    def test_a_mode_changed_elsewhere_moves_the_check_and_the_old_mode_can_be_chosen(self):
        self.write_tool_settings("[TOOL]\r\nCLICK=SCREENSIZE\r\n")
        items = self.open_menu("left")
        self.assertEqual([i["caption"] for i in items if i["checked"]], ["1024x768 32Bit"])
        self.close_menu()
        # A game or the system's settings switch the display, not Tidewarden.
        self.addCleanup(harness.probe, "display-mode", "1024", "768", "32")
        answer, _ = harness.probe("display-mode", "800", "600", "32")
        self.assertEqual(answer and answer["result"], 0, answer)
        self.assertTrue(harness.wait_until(lambda: harness.screen_size() == (800, 600), 10))

        items = self.open_menu("left", screen=(800, 600))
        self.assertEqual([i["caption"] for i in items if i["checked"]], ["800x600 32Bit"])
        self.assertTrue(harness.choose_menu_item("1024x768 32Bit"))
        self.assertTrue(harness.wait_until(lambda: harness.screen_size() == (1024, 768), 10),
                        f"the screen is {harness.screen_size()}")
        items = self.open_menu("left")
        self.assertEqual([i["caption"] for i in items if i["checked"]], ["1024x768 32Bit"])
        self.close_menu()


if __name__ == "__main__":
    unittest.main()
