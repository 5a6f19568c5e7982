"""Tidewarden under Wine: its cost while idle, and how fast its menu appears.

Run inside a Wine session with the e2e variables set (tools/bench.sh does that).
Usage: tray_bench.py [IDLE_SECONDS]
"""
import contextlib
import os
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests",
                                "e2e"))
import harness  # noqa: E402


def stats(windows_pid):
    answer, _ = harness.probe("procstats", str(windows_pid))
    return answer


def linux_view(pid):
    """What Linux sees of the Wine process: resident private memory, threads, open files."""
    fields = {}
    with open(f"/proc/{pid}/status") as file:
        for line in file:
            key, _, value = line.partition(":")
            fields[key] = value.strip()
    return {"rss_anon": fields.get("RssAnon"), "threads": fields.get("Threads"),
            "open_files": len(os.listdir(f"/proc/{pid}/fd"))}


def unix_cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as file:
        fields = file.read().rsplit(")", 1)[1].split()
    ticks = os.sysconf("SC_CLK_TCK")
    return (int(fields[11]) + int(fields[12])) / ticks


@contextlib.contextmanager
def running_tidewarden():
    """Tidewarden started from a copy of the programs and settled: (the started program, its
    Windows process id). Ended and its copy removed afterwards."""
    folder = harness.ProgramFolder()
    try:
        started = harness.start_tray(folder, timeout=20)
        try:
            time.sleep(3)
            yield started, harness.TRAY_WINDOW.copies()[0]["pid"]
        finally:
            started.kill()
    finally:
        folder.remove()


def main():
    idle_seconds = float(sys.argv[1]) if len(sys.argv) > 1 else 300
    with running_tidewarden() as (started, windows_pid):
        pid = started.process.pid
        first, cpu0, linux0 = stats(windows_pid), unix_cpu_seconds(pid), linux_view(pid)
        time.sleep(idle_seconds)
        last, cpu1, linux1 = stats(windows_pid), unix_cpu_seconds(pid), linux_view(pid)
        print(f"Idle {idle_seconds:.0f} s: CPU {cpu1 - cpu0:.2f} s (Linux process), "
              f"{last['cpu_seconds'] - first['cpu_seconds']:.2f} s (as Windows counts it)")
        # Wine answers 0 for private bytes, handle and GDI counts of another process; those
        # lines show it, and Linux's own view of the process stands beside them.
        for key in ("private_bytes", "working_set", "handles", "gdi", "user"):
            print(f"  {key}: start {first[key]}, end {last[key]}")
        for key in ("rss_anon", "threads", "open_files"):
            print(f"  linux {key}: start {linux0[key]}, end {linux1[key]}")

        latencies = []
        for _ in range(10):
            x, y = harness.slot_center(0)
            shown, _ = harness.probe("menu-latency", str(x), str(y), "right")
            if shown and shown.get("shown"):
                latencies.append(shown["ms"])
            harness.menu_keys("escape")
            time.sleep(0.3)
        if latencies:
            print(f"Right click to menu on screen: median {statistics.median(latencies):.1f} ms, "
                  f"max {max(latencies):.1f} ms over {len(latencies)} clicks")
        after = stats(windows_pid)
        print(f"  after 10 menus: working_set {after['working_set']}, "
              f"linux {linux_view(started.process.pid)}")


if __name__ == "__main__":
    main()
