"""The setup program, dist/Tidewarden-<version>-<preset>-setup.exe, under Wine: a silent install
into the test prefix's %LOCALAPPDATA%, an update over a running Tidewarden and Marrowgate, the
start-up option, the uninstaller, and the installer's first page.

The tests of this file share the run's Wine prefix: each one takes away what it installed.
"""
import os
import re
import shutil
import subprocess
import threading
import time
import unittest

import harness

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
TOOL_CAPTION = "Tidewardenツールの設定"
TOOL_WINDOW = harness.TopWindow(TOOL_CAPTION, "MarrowgateForm")
SETUP_CAPTION = "Tidewarden セットアップ"
SETUP_WINDOW = harness.TopWindow(SETUP_CAPTION, "#32770")
UNINSTALL_CAPTION = "Tidewarden アンインストール"
UNINSTALL_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tidewarden"
RUN_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"
SETTINGS = ("Tidewarden.ini", "Marrowgate.ini", "Process.ini", "Process2.ini")
STARTUP = 10.0      # allowance for Wine to start a program
INSTALL = 60.0      # allowance for one run of the setup program


def project_version():
    with open(os.path.join(ROOT, "CMakeLists.txt"), encoding="utf-8") as file:
        return re.search(r"project\(Tidewarden VERSION ([0-9.]+)", file.read()).group(1)


def setup_program():
    """The setup program built for the program folder under test (TW_DIST is
    dist/<preset>/Tidewarden)."""
    preset_folder = os.path.dirname(os.path.normpath(harness.DIST))
    dist = os.path.dirname(preset_folder)
    name = f"Tidewarden-{project_version()}-{os.path.basename(preset_folder)}-setup.exe"
    return os.path.join(dist, name)


def wine_variable(name):
    """An environment variable as Wine programs see it."""
    done = harness.run("cmd", ["/c", f"echo %{name}%"], timeout=30)
    return done.stdout.strip()


def unix_path(windows_path):
    """Where a C:\\... path of the prefix is on this machine."""
    drive, rest = windows_path[0].lower(), windows_path[3:]
    base = os.path.realpath(os.path.join(os.environ["WINEPREFIX"], "dosdevices", drive + ":"))
    return os.path.join(base, *rest.split("\\"))


_REG_LINE = re.compile(r"^    (.+?)    (REG_[A-Z_]+)(?:    (.*))?$")


def registry_values(key):
    """The values of a registry key, name -> text as `reg query` shows it; None when the key
    does not exist."""
    done = harness.run("reg", ["query", key], timeout=30)
    if done.status != 0:
        return None
    values = {}
    for line in done.stdout.splitlines():
        match = _REG_LINE.match(line.rstrip("\r"))
        if match:
            values[match.group(1)] = match.group(3) or ""
    return values


def tidewarden_windows():
    return harness.TRAY_WINDOW.copies()


def tool_windows():
    return TOOL_WINDOW.copies()


def process_names():
    return [p["name"] for p in harness.processes()]


def dialog(title):
    """A setup or uninstaller page, or a message box, with exactly that title."""
    return harness.TopWindow(title, "#32770")


def files_under(folder):
    """Paths of the files under `folder`, relative to it, with "/" between names."""
    found = set()
    for top, _, names in os.walk(folder):
        for name in names:
            found.add(os.path.relpath(os.path.join(top, name), folder).replace(os.sep, "/"))
    return found


class Watched:
    """A program started from the tests whose end is timed the moment it happens: a thread
    blocks on the process, so the time is not a polling interval late."""

    def __init__(self, exe):
        self.process = subprocess.Popen([harness.WINE, exe], stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)
        self.ended_ns = None
        self._thread = threading.Thread(target=self._wait, daemon=True)
        self._thread.start()

    def _wait(self):
        self.process.wait()
        self.ended_ns = time.time_ns()

    def result(self, timeout):
        """(exit status, end time in ns), or None while it still runs after `timeout` s."""
        self._thread.join(timeout)
        return None if self._thread.is_alive() else (self.process.returncode, self.ended_ns)

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait(5)


class InstallerCase(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.setup = setup_program()
        if not os.path.isfile(cls.setup):
            raise AssertionError(f"missing {cls.setup}: build the preset first")
        cls.local_appdata = wine_variable("LOCALAPPDATA")
        cls.install_dir_win = cls.local_appdata + r"\Programs\Tidewarden"
        cls.install_dir = unix_path(cls.install_dir_win)
        cls.menu_dir = unix_path(wine_variable("APPDATA") +
                                 r"\Microsoft\Windows\Start Menu\Programs\Tidewarden")

    def setUp(self):
        if harness.FAKE_MEMINFO:
            # Plenty free: a Tidewarden started here must not start releasing memory.
            harness.set_available_mb(round(harness.total_mb() * 0.6))
        self.addCleanup(self.remove_everything)

    # --- running the setup program and its uninstaller ---------------------------------------

    def install(self, *args):
        done = harness.run(self.setup, ["/S", *args], timeout=INSTALL)
        self.assertEqual(done.status, 0, f"silent install {args} failed")

    def uninstall_quietly(self):
        """Runs the uninstall command the installed-programs list holds, and waits for it: the
        uninstaller runs on from a copy of itself, so its own start returns at once."""
        command = registry_values(UNINSTALL_KEY)["QuietUninstallString"]
        match = re.fullmatch(r'"([^"]+)" (/S)', command)
        self.assertTrue(match, command)
        done = harness.run(unix_path(match.group(1)), [match.group(2)], timeout=INSTALL)
        self.assertEqual(done.status, 0)
        self.wait_uninstalled()
        self.wait_uninstaller_ended()

    def wait_uninstalled(self, timeout=30):
        # Taking the key away is the uninstaller's last step.
        gone = harness.wait_until(lambda: registry_values(UNINSTALL_KEY) is None, timeout, 0.3)
        self.assertTrue(gone, "the uninstall key is still there")

    def wait_uninstaller_ended(self):
        # Un.exe: the name NSIS gives the uninstaller's copy in %TEMP%.
        self.assertTrue(harness.wait_until(lambda: "Un.exe" not in process_names(), 10),
                        "the uninstaller is still running")

    def remove_everything(self):
        """Leaves the prefix as the test found it, also after a failure half-way."""
        if registry_values(UNINSTALL_KEY) is not None and os.path.isfile(
                os.path.join(self.install_dir, "uninstall.exe")):
            harness.run(os.path.join(self.install_dir, "uninstall.exe"), ["/S"], timeout=INSTALL)
            harness.wait_until(lambda: registry_values(UNINSTALL_KEY) is None, 30, 0.3)
        for window in (harness.TRAY_WINDOW, TOOL_WINDOW):
            if window.copies():
                window.close()
                harness.wait_until(lambda: not window.copies(), STARTUP)
        # A setup or uninstaller window a failed test left open.
        for window in harness.all_windows():
            if window["class"] == "#32770" and window["title"].startswith(
                    (SETUP_CAPTION, UNINSTALL_CAPTION)):
                dialog(window["title"]).close()
        harness.run("reg", ["delete", UNINSTALL_KEY, "/f"], timeout=30)
        harness.run("reg", ["delete", RUN_KEY, "/v", "Tidewarden", "/f"], timeout=30)
        shutil.rmtree(self.install_dir, ignore_errors=True)
        shutil.rmtree(self.menu_dir, ignore_errors=True)
        harness.sweep_tray()

    # --- what an installation leaves ----------------------------------------------------------

    def installed(self, relative):
        return os.path.join(self.install_dir, *relative.split("/"))

    def run_value(self):
        values = registry_values(RUN_KEY) or {}
        return values.get("Tidewarden")

    def write_settings(self):
        """Settings files of a user's own, as Tidewarden and Marrowgate write them (ANSI code
        page, CR LF); returns their bytes by name."""
        watched = "C:\\ツール\\メモ帳.exe"
        contents = {
            "Tidewarden.ini": b"CREANSIZE=30\r\nSEEK=10000\r\n",
            "Marrowgate.ini": b"[TOOL]\r\nVOLUME=MAX\r\nCLICK=SCREENSIZE\r\n",
            "Process.ini": (watched.ljust(60) + " HIGH\r\n").encode("cp932"),
            "Process2.ini": b"OFF\r\n",
        }
        for name, data in contents.items():
            with open(self.installed(name), "wb") as file:
                file.write(data)
        return contents

    def read_installed(self, relative):
        with open(self.installed(relative), "rb") as file:
            return file.read()

    def end_tidewarden(self):
        """Ends a Tidewarden the installer started, as its menu's "end" does."""
        harness.TRAY_WINDOW.close()
        self.assertTrue(harness.wait_until(lambda: not tidewarden_windows(), STARTUP))

    def start_watched(self, relative, shown):
        program = Watched(self.installed(relative))
        self.addCleanup(program.kill)
        self.assertTrue(harness.wait_until(shown, STARTUP), f"{relative} did not start")
        return program


class InstallTest(InstallerCase):
    def test_silent_install_lays_out_the_program_folder_and_registers_it(self):
        self.install()

        # Exactly the programs, whatever else lies in the folder they were built into.
        dist = {"Tidewarden.exe", "Marrowgate.exe", "Scrubwright/Scrubwright.exe"}
        # hwnd.tmp is the started Tidewarden's own.
        self.assertEqual(files_under(self.install_dir) - {"hwnd.tmp"}, dist | {"uninstall.exe"})
        for relative in dist:
            with open(os.path.join(harness.DIST, relative), "rb") as file:
                self.assertEqual(self.read_installed(relative), file.read(), relative)

        exe = self.install_dir_win + r"\Tidewarden.exe"
        uninstaller = f'"{self.install_dir_win}\\uninstall.exe"'
        values = registry_values(UNINSTALL_KEY)
        size_kb = int(values.pop("EstimatedSize", "-1"), 16)
        self.assertEqual(values, {
            "DisplayName": "Tidewarden",
            "DisplayVersion": project_version(),
            "Publisher": "Tidewarden Project",
            "UninstallString": uninstaller,
            "QuietUninstallString": uninstaller + " /S",
            "InstallLocation": self.install_dir_win,
            "DisplayIcon": exe + ",0",
            "NoModify": "0x1",
            "NoRepair": "0x1",
        })
        on_disk = sum(os.path.getsize(self.installed(f)) for f in dist | {"uninstall.exe"})
        self.assertAlmostEqual(size_kb, on_disk / 1024, delta=len(dist) + 2)

        # The start-up option is on by default, and Tidewarden is started now too.
        self.assertEqual(self.run_value(), f'"{exe}"')
        self.assertTrue(harness.wait_until(tidewarden_windows, STARTUP), "Tidewarden not started")
        self.assertIn("Tidewarden.exe", process_names())

        self.assertEqual(sorted(os.listdir(self.menu_dir)),
                         ["Tidewarden.lnk", TOOL_CAPTION + ".lnk"])
        # The settings window's entry starts the installed Marrowgate, as a click on it would.
        link = wine_variable("APPDATA") + \
            rf"\Microsoft\Windows\Start Menu\Programs\Tidewarden\{TOOL_CAPTION}.lnk"
        harness.run("start", [link], timeout=30)
        self.assertTrue(harness.wait_until(tool_windows, STARTUP), "the menu entry started nothing")

    def test_start_up_option_is_kept_across_updates_until_changed(self):
        self.install("/STARTUP=0")
        self.assertIsNone(self.run_value())
        # Off, and not running before: nothing is started.
        self.assertNotIn("Tidewarden.exe", process_names())

        self.install()      # an update without the option keeps the user's choice
        self.assertIsNone(self.run_value())
        self.assertNotIn("Tidewarden.exe", process_names())

        self.install("/STARTUP=1")
        self.assertEqual(self.run_value(), f'"{self.install_dir_win}\\Tidewarden.exe"')
        self.assertTrue(harness.wait_until(tidewarden_windows, STARTUP), "Tidewarden not started")

        self.end_tidewarden()
        self.install()
        self.assertIsNotNone(self.run_value())
        self.install("/STARTUP=0")
        self.assertIsNone(self.run_value())


class UpdateTest(InstallerCase):
    def test_update_ends_the_running_programs_first_and_keeps_settings(self):
        self.install("/STARTUP=0")
        settings = self.write_settings()
        tidewarden = self.start_watched("Tidewarden.exe", tidewarden_windows)
        old_pid = tidewarden_windows()[0]["pid"]
        marrowgate = self.start_watched("Marrowgate.exe", tool_windows)
        started_ns = time.time_ns()

        self.install()

        for name, program in (("Tidewarden", tidewarden), ("Marrowgate", marrowgate)):
            ended = program.result(5)
            self.assertIsNotNone(ended, f"{name} still runs after the update")
            # 0: its own exit path; a killed program ends with another status.
            self.assertEqual(ended[0], 0, f"{name} did not end by itself")
            for relative in ("Tidewarden.exe", "Marrowgate.exe", "Scrubwright/Scrubwright.exe"):
                replaced_ns = os.stat(self.installed(relative)).st_ctime_ns
                self.assertGreater(replaced_ns, started_ns, f"{relative} was not replaced")
                # A file's times come from the kernel's coarse clock: a few ms of slack.
                self.assertGreaterEqual(replaced_ns, ended[1] - 10_000_000,
                                        f"{relative} was replaced before {name} had ended")
        for name, data in settings.items():
            self.assertEqual(self.read_installed(name), data, f"{name} was changed")

        # It was running, so it runs again: a new process, from the installed folder.
        windows = harness.wait_until(tidewarden_windows, STARTUP)
        self.assertTrue(windows, "Tidewarden was not started again")
        self.assertNotEqual(windows[0]["pid"], old_pid)
        self.assertTrue(harness.wait_for_file(self.installed("hwnd.tmp"), STARTUP))
        self.assertEqual(tool_windows(), [])    # the settings window is not reopened

        # And the update left a working uninstaller behind: the settings outlive it too.
        self.uninstall_quietly()
        self.assertEqual(tidewarden_windows(), [])
        self.assertEqual(files_under(self.install_dir), set(SETTINGS))
        for name, data in settings.items():
            self.assertEqual(self.read_installed(name), data, f"{name} was changed")


class UninstallTest(InstallerCase):
    def test_silent_uninstall_removes_all_but_the_settings(self):
        self.install()
        self.assertTrue(harness.wait_until(tidewarden_windows, STARTUP))
        settings = self.write_settings()
        own_file = self.installed("メモ.txt")      # not the installer's: it stays
        with open(own_file, "wb") as file:
            file.write(b"mine\r\n")

        self.uninstall_quietly()

        self.assertEqual(tidewarden_windows(), [])
        self.assertNotIn("Tidewarden.exe", process_names())
        self.assertEqual(files_under(self.install_dir), set(SETTINGS) | {"メモ.txt"})
        for name, data in settings.items():
            self.assertEqual(self.read_installed(name), data, f"{name} was changed")
        self.assertFalse(os.path.exists(self.menu_dir), "Start-menu entries are left")
        self.assertIsNone(self.run_value())
        self.assertIsNone(registry_values(UNINSTALL_KEY))

    def test_uninstall_asks_and_removes_the_settings_on_no(self):
        self.install("/STARTUP=0")
        self.write_settings()
        uninstaller = harness.Started(self.installed("uninstall.exe"), [])
        self.addCleanup(uninstaller.kill)

        def uninstaller_window():
            return next((w for w in harness.all_windows() if w["class"] == "#32770"
                         and w["visible"] and w["title"].startswith(UNINSTALL_CAPTION)), None)

        window = harness.wait_until(uninstaller_window, STARTUP)
        self.assertTrue(window, "no uninstaller window")
        pressed = dialog(window["title"]).probe("press", 1)
        self.assertTrue(pressed["pressed"])

        box = harness.read_message_box(UNINSTALL_CAPTION)
        self.assertTrue(box["found"], "no question about the settings files")
        self.assertTrue(box["text"].startswith("設定ファイルを残しますか？"), box["text"])
        self.assertIn(self.install_dir_win, box["text"])
        self.assertEqual(box["buttons"], ["はい(&Y)", "いいえ(&N)"])
        harness.screenshot("installer-uninstall-question")
        # The box is the topmost window with that caption; IDNO is 7.
        pressed = dialog(UNINSTALL_CAPTION).probe("press", 7)
        self.assertTrue(pressed["pressed"])
        self.wait_uninstalled()

        self.assertFalse(os.path.exists(self.install_dir), "the program folder is left")
        self.assertFalse(os.path.exists(self.menu_dir))
        self.assertIsNone(self.run_value())
        # Its last page waits for "close" (閉じる), the same button.
        window = uninstaller_window()
        self.assertTrue(window)
        dialog(window["title"]).probe("press", 1)
        self.wait_uninstaller_ended()


class FirstPageTest(InstallerCase):
    def test_first_page_in_japanese_and_cancel_installs_nothing(self):
        setup = harness.Started(self.setup, [])
        self.addCleanup(setup.kill)
        shown = harness.wait_until(SETUP_WINDOW.shown, STARTUP)
        self.assertTrue(shown, "no setup window")
        window = SETUP_WINDOW.probe("controls")
        buttons = {c["id"]: c["text"] for c in window["controls"]
                   if c["class"] == "Button" and c["visible"]}
        self.assertEqual(buttons, {1: "次へ(&N) >", 2: "キャンセル"})
        time.sleep(0.5)     # the page's text is drawn after the window shows
        harness.screenshot("installer-first-page")

        SETUP_WINDOW.close()
        self.assertEqual(setup.wait(STARTUP).status, 1)     # NSIS: cancelled by the user
        self.assertFalse(os.path.exists(self.install_dir))
        self.assertIsNone(registry_values(UNINSTALL_KEY))


if __name__ == "__main__":
    unittest.main()
