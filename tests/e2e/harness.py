"""Helpers shared by the end-to-end tests of the real programs under Wine.

run.sh starts the Wine desktop and exports what these helpers read:
TW_WINE (the wine loader for the build's bitness), TW_DIST (the program folder under test),
TW_E2E_BIN (winprobe.exe), TW_ARTIFACTS (where screenshots go), DISPLAY and WINEPREFIX.
"""
import json
import os
import re
import shutil
import subprocess
import tempfile
import time
import unittest
from dataclasses import dataclass

WINE = os.environ.get("TW_WINE", "wine")
DIST = os.environ.get("TW_DIST", "")
E2E_BIN = os.environ.get("TW_E2E_BIN", "")
ARTIFACTS = os.environ.get("TW_ARTIFACTS", tempfile.gettempdir())


@dataclass
class Finished:
    status: int          # the program's exit code (a crash gives the NTSTATUS' low byte)
    max_rss_kb: int      # peak resident memory of the process: shows what was touched
    stdout: str
    stderr: str


class ProgramFolder:
    """A private copy of the program folder, removed afterwards: tests never touch dist/."""

    def __init__(self):
        self.root = tempfile.mkdtemp(prefix="tw-e2e-")
        self.path = os.path.join(self.root, "Tidewarden")
        shutil.copytree(DIST, self.path)

    def exe(self, relative):
        return os.path.join(self.path, relative)

    def remove(self):
        shutil.rmtree(self.root, ignore_errors=True)


class Started:
    """A program started under Wine; wait() reaps it and reports its resource use."""

    def __init__(self, exe, args, trace=False):
        env = dict(os.environ)
        if trace:
            # Wine's own trace of the memory calls: what the program asked the system for.
            env["WINEDEBUG"] = "-all,trace+virtual"
        self._stdout = tempfile.TemporaryFile()
        self._stderr = tempfile.TemporaryFile()
        self.process = subprocess.Popen([WINE, exe, *args], env=env,
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


def probe(*args, timeout=30):
    """Runs winprobe.exe and returns its JSON answer and exit code."""
    # Output goes through a file, not a pipe: Wine's own helper processes may inherit a pipe
    # and keep it open long after the probe has ended.
    done = run(os.path.join(E2E_BIN, "winprobe.exe"), list(args), timeout=timeout)
    lines = done.stdout.strip().splitlines()
    return (json.loads(lines[-1]) if lines else None), done.status


def hex_text(text):
    return text.encode("utf-8").hex()


def read_message_box(title, timeout_ms=10000, press=False):
    args = ["msgbox", hex_text(title), str(timeout_ms)] + (["press"] if press else [])
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


class WineTestCase(unittest.TestCase):
    """Gives each test a fresh copy of the program folder."""

    def setUp(self):
        self.folder = ProgramFolder()
        self.addCleanup(self.folder.remove)
