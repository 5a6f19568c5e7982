"""Saves that are cut short: the programs' file port under a killed writer and a full disk.

savewriter.exe saves large watch lists through the same file code the programs use for
Process.ini and Process2.ini. Whatever happens to a save, the file must afterwards hold one
whole list: the one before or the new one.
"""
import os
import random
import re
import resource
import signal
import subprocess
import tempfile
import time
import unittest

import harness

LINES = 200_000  # about 6 MB a save: long enough to be caught in the middle


def savewriter():
    return os.path.join(harness.E2E_BIN, "savewriter.exe")


def generation_in(path):
    """The generation a saved file holds whole, or an AssertionError saying what is wrong."""
    with open(path, "rb") as file:
        text = file.read().decode("cp932")
    lines = text.split("\r\n")
    if lines[-1] != "":
        raise AssertionError(f"the file does not end with a line end ({len(text)} characters)")
    end = re.fullmatch(r"END (\d+) (\d+)", lines[-2]) if len(lines) >= 2 else None
    if not end:
        raise AssertionError(f"no end line: the file stops after {len(text)} characters")
    generation, count = end.group(1), int(end.group(2))
    body = lines[:-2]
    if len(body) != count:
        raise AssertionError(f"{len(body)} lines where {count} were saved")
    expected = [f"C:\\ツール\\G{generation}\\P{j}.EXE HIGH" for j in range(count)]
    if body != expected:
        raise AssertionError("lines of different saves are mixed")
    return int(generation)


class FilesTest(harness.WineTestCase):
    def setUp(self):
        super().setUp()
        self.path = os.path.join(self.folder.path, "Process.ini")
        self.target = harness.windows_path(self.path)

    def save(self, first, last, lines, timeout=120):
        return harness.run(savewriter(), [self.target, str(first), str(last), str(lines)],
                           timeout=timeout)

    def wait_for_a_save_in_progress(self, timeout=10):
        def state():
            try:
                return os.stat(self.path).st_size
            except FileNotFoundError:
                return None
        start = state()
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if os.path.exists(self.path + ".new") or state() != start:
                return
        raise AssertionError(f"the writer saved nothing for {timeout} s")

    def test_a_writer_killed_mid_save_leaves_the_old_or_the_new_list_whole(self):
        self.assertEqual(self.save(1, 1, LINES).status, 0)
        self.assertEqual(generation_in(self.path), 1)
        rng = random.Random(7)
        finished = caught = 0
        for round_number in range(12):
            with self.subTest(round=round_number):
                before = generation_in(self.path)
                writer = harness.Started(savewriter(),
                                         [self.target, str(before + 1), "0", str(LINES)])
                # Let a few saves finish, then kill it as soon as the next one shows in the
                # folder (a new file beside the list, or the list itself changing).
                time.sleep(0.5 + rng.random())
                self.wait_for_a_save_in_progress()
                time.sleep(rng.random() * 0.003)
                writer.kill()
                caught += os.path.exists(self.path + ".new")  # killed inside a save
                after = generation_in(self.path)
                self.assertGreaterEqual(after, before)
                finished += after > before
                # A new writer saves over whatever the killed one left behind.
                self.assertEqual(self.save(after + 1, after + 1, 10).status, 0)
                self.assertEqual(generation_in(self.path), after + 1)
                self.assertFalse(os.path.exists(self.path + ".new"))
        self.assertGreater(finished, 0, "no save ever finished before a kill")
        self.assertGreater(caught, 0, "no kill landed inside a save")

    def test_a_full_disk_fails_the_save_and_keeps_the_old_list(self):
        self.assertEqual(self.save(1, 1, 1000).status, 0)
        with open(self.path, "rb") as file:
            old = file.read()
        limit = 1024 * 1024  # the largest file the writer may make: the disk is full there

        def full_disk():
            resource.setrlimit(resource.RLIMIT_FSIZE, (limit, limit))
            signal.signal(signal.SIGXFSZ, signal.SIG_IGN)

        with tempfile.TemporaryFile() as out:
            done = subprocess.run([harness.WINE, savewriter(), self.target, "2", "2", str(LINES)],
                                  stdout=out, stderr=subprocess.DEVNULL, preexec_fn=full_disk,
                                  timeout=120)
            out.seek(0)
            said = out.read().decode()
        self.assertEqual(done.returncode, 1, said)
        self.assertIn("failed 2", said)
        with open(self.path, "rb") as file:
            self.assertEqual(file.read(), old)
        self.assertFalse(os.path.exists(self.path + ".new"))
        # With room again the same save goes through.
        self.assertEqual(self.save(2, 2, LINES).status, 0)
        self.assertEqual(generation_in(self.path), 2)


if __name__ == "__main__":
    unittest.main()
