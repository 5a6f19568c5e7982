"""Scrubwright.exe, the real program, under Wine."""
import os
import unittest

import harness

PAGE_READWRITE_NOCACHE = 0x204
MEM_COMMIT = 0x1000
MEM_DECOMMIT = 0x4000
MB = 1024 * 1024
TITLE = "メモリー開放中..."


class ScrubwrightTest(harness.WineTestCase):
    def setUp(self):
        super().setUp()
        self.exe = self.folder.exe("Scrubwright/Scrubwright.exe")

    def big_allocations(self, trace):
        return harness.allocations(trace, protection=PAGE_READWRITE_NOCACHE)

    def test_nothing_to_do_ends_without_allocating(self):
        for args in ([], ["0"], ["abc"], ["-5"], ["0.4"], ["x" * 10000]):
            with self.subTest(args=args[:1] and args[0][:12]):
                done = harness.run(self.exe, args, trace=True)
                self.assertEqual(done.status, 0)
                self.assertEqual(self.big_allocations(done.stderr), [])
                self.assertLess(done.max_rss_kb, 100 * 1024 + harness.EMULATOR_RSS_KB)

    def test_300_commits_fills_and_frees(self):
        done = harness.run(self.exe, ["300"], trace=True)
        self.assertEqual(done.status, 0)
        self.assertEqual(self.big_allocations(done.stderr),
                         [(300 * MB, MEM_COMMIT, PAGE_READWRITE_NOCACHE)])
        self.assertIn((300 * MB, MEM_DECOMMIT), harness.frees(done.stderr))
        # Every page was written: the process really held the 300 MB at its peak.
        self.assertGreaterEqual(done.max_rss_kb, 300 * 1024)

    def test_lenient_command_lines(self):
        # Exact command lines, as another program would pass them.
        cases = [
            ("1.5", 2 * MB),
            ("2.5", 2 * MB),
            (" 3 00", 300 * MB),
            ("12abc", 12 * MB),
        ]
        for arguments, size in cases:
            with self.subTest(arguments=arguments):
                trace = self.run_exactly(arguments)
                self.assertEqual(self.big_allocations(trace),
                                 [(size, MEM_COMMIT, PAGE_READWRITE_NOCACHE)])

    def run_exactly(self, arguments):
        windows_exe = harness.windows_path(self.exe)
        command_line = f'"{windows_exe}" {arguments}'
        started = harness.Started(
            os.path.join(harness.E2E_BIN, "winprobe.exe"),
            ["run", harness.hex_text(windows_exe), harness.hex_text(command_line), "30000"],
            trace=True)
        done = started.wait(60)
        self.assertIn('"ended":true,"exit":0', done.stdout)
        return done.stderr

    def test_2048_reports_overflow_and_allocates_nothing(self):
        started = harness.Started(self.exe, ["2048"], trace=True)
        try:
            box = harness.read_message_box(TITLE, timeout_ms=15000)
            self.assertTrue(box and box["found"], "no overflow message box appeared")
            harness.screenshot("scrubwright-overflow")
            self.assertEqual(box["title"], TITLE)
            self.assertIn("オーバーフロー", box["text"])
            self.assertEqual(len(box["buttons"]), 1)
            # The program waits for the user before it ends.
            self.assertIsNone(started.process.poll())
            pressed = harness.read_message_box(TITLE, timeout_ms=5000, press=True)
            self.assertTrue(pressed["found"])
            done = started.wait(30)
        finally:
            started.kill()
        self.assertEqual(done.status, 0)
        self.assertEqual(self.big_allocations(done.stderr), [])
        self.assertLess(done.max_rss_kb, 100 * 1024 + harness.EMULATOR_RSS_KB)


if __name__ == "__main__":
    unittest.main()
