"""The programs' ANSI decoding under a Japanese locale, fed random bytes and Japanese text.

ansicheck.exe runs the file port's decoding and the readers of the settings and watch-list
files over generated input and checks what must always hold (see ansicheck_win32.cpp).
TW_ANSI_INPUTS sets how many inputs (default 1 000 000); TW_ANSI_SEED the first seed.
"""
import os
import re
import unittest

import harness


class AnsiDecodingTest(harness.WineTestCase):
    def test_random_bytes_and_japanese_text_keep_every_reader_sound(self):
        inputs = int(os.environ.get("TW_ANSI_INPUTS", "1000000"))
        seed = os.environ.get("TW_ANSI_SEED", "1")
        done = harness.run(os.path.join(harness.E2E_BIN, "ansicheck.exe"), [seed, str(inputs)],
                           timeout=600)
        print(done.stdout.strip().splitlines()[-1] if done.stdout.strip() else "no output")
        self.assertIn("code page 932", done.stdout)  # Shift-JIS, as on a Japanese Windows
        summary = re.search(r"inputs (\d+) failures (\d+)", done.stdout)
        self.assertIsNotNone(summary, done.stdout)
        self.assertGreaterEqual(int(summary.group(1)), inputs)
        self.assertEqual(summary.group(2), "0", done.stdout)
        self.assertEqual(done.status, 0)


if __name__ == "__main__":
    unittest.main()
