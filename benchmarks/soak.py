"""Tidewarden under Wine for a long time, kept busy as a user would keep it: the popup opened
and closed every few seconds, the priority window opened, left to refresh and closed, and
Marrowgate applying now and then. Prints what the process holds at the start and the end:
private bytes, handles (from the system's handle table), USER objects (menus, windows, icons)
and GDI objects (counted from inside the process by menuprobe's census), and Linux's view.

Run inside a Wine session with the e2e variables set (tools/soak.sh does that).
Usage: soak.py [SECONDS]
"""
import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests",
                                "e2e"))
import harness  # noqa: E402
from tray_bench import linux_view, running_tidewarden, stats  # noqa: E402

PRIORITY = harness.TopWindow("プロセス監視の設定", "TidewardenPriorityWindow")
MARROWGATE = harness.TopWindow("Tidewardenツールの設定", "MarrowgateForm")


def choose(*path):
    """Right click, then the menu items of `path` in turn."""
    harness.click_slot(0, "right")
    if harness.read_menu(5000) is None:
        return False
    return all(harness.choose_menu_item(caption, 5000) for caption in path)


def marrowgate_controls():
    """Marrowgate's window and controls once it is there, else None."""
    answer = MARROWGATE.probe("controls") or {}
    return answer if answer.get("found") else None


def census():
    """USER and GDI objects as counted from inside Tidewarden (Wine's own counts are 0)."""
    answer, _ = harness.menuprobe("census", harness.hex_text(harness.TRAY_WINDOW.title), "10000")
    answer = answer or {}
    return {"user_" + key: answer.get(key) for key in ("menus", "windows", "icons")} | {
        "gdi_objects": answer.get("gdi")}


def snapshot(windows_pid, pid):
    figures = dict(stats(windows_pid) or {})
    figures.pop("gdi", None)  # Wine answers these with 0; the census counts them
    figures.pop("user", None)
    figures.update(census())
    figures.update({"linux_" + key: value for key, value in linux_view(pid).items()})
    return figures


def main():
    seconds = float(sys.argv[1]) if len(sys.argv) > 1 else 1800
    counts = {"menus": 0, "priority windows": 0, "applies": 0, "failed steps": 0}
    with running_tidewarden() as (started, windows_pid):
        # One round of everything first, so what the system sets up once (the menu's and the
        # priority window's fonts, bitmaps and icons, about 160 GDI objects and 6 icons under
        # Wine) is not counted as growth.
        choose("メニューを閉じる")
        choose("プロセス監視", "設定の変更")
        time.sleep(3)
        PRIORITY.close()
        time.sleep(1)
        first = snapshot(windows_pid, started.process.pid)
        end = time.monotonic() + seconds
        turn = 0
        while time.monotonic() < end and started.process.poll() is None:
            turn += 1
            ok = choose("メニューを閉じる")
            counts["menus"] += 1
            if turn % 6 == 0:
                ok = choose("プロセス監視", "設定の変更") and ok
                time.sleep(3)  # three refreshes of the running list
                ok = PRIORITY.close() and ok
                counts["priority windows"] += 1
            if turn % 12 == 0:
                ok = choose("ツール設定の変更") and ok
                window = harness.wait_until(marrowgate_controls, 10)
                if window:
                    combos = [c for c in window.get("controls", []) if c.get("class") == "ComboBox"]
                    if combos:
                        MARROWGATE.probe("combo-pick", combos[0]["id"], turn % 3)
                    MARROWGATE.probe("press", 1)
                    MARROWGATE.close()
                    counts["applies"] += 1
                else:
                    ok = False
            counts["failed steps"] += 0 if ok else 1
            time.sleep(2)
        last = snapshot(windows_pid, started.process.pid)
        print(f"Soak {seconds:.0f} s: {counts}")
        print(f"  still running: {started.process.poll() is None}")
        for key in sorted(first):
            print(f"  {key}: start {first[key]}, end {last.get(key)}")


if __name__ == "__main__":
    main()
