"""Times Scrubwright's fill of 512 MB under Wine against a native first-touch memset.

Run inside a Wine session (tools/bench.sh sets it up). The fill time is read from Wine's own
timestamped trace of the program's memory calls: from the commit to the decommit, so the
program's start-up is not counted. Usage: scrubwright_fill.py SCRUBWRIGHT_EXE FIRST_TOUCH [RUNS]
"""
import os
import re
import statistics
import subprocess
import sys

MB = 512
STAMP = re.compile(r"^\s*(\d+\.\d+):\S+:trace:virtual:Nt(Allocate|Free)VirtualMemory .* 20000000 ")


def wine_fill_seconds(exe):
    env = dict(os.environ, WINEDEBUG="-all,+timestamp,trace+virtual")
    out = subprocess.run([os.environ["TW_WINE"], exe, str(MB)], env=env, capture_output=True,
                         timeout=120)
    stamps = {}
    for line in out.stderr.decode("utf-8", "replace").splitlines():
        match = STAMP.match(line)
        if match:
            stamps.setdefault(match.group(2), float(match.group(1)))
    if set(stamps) != {"Allocate", "Free"}:
        raise SystemExit("no commit/decommit pair of 512 MB in the trace")
    return stamps["Free"] - stamps["Allocate"]


def native_seconds(first_touch):
    out = subprocess.run([first_touch, str(MB)], capture_output=True, check=True, timeout=120)
    return float(out.stdout)


def main():
    exe, first_touch = sys.argv[1], sys.argv[2]
    runs = int(sys.argv[3]) if len(sys.argv) > 3 else 5
    wine, native = [], []
    for _ in range(runs):  # interleaved, so both see the same machine state
        native.append(native_seconds(first_touch))
        wine.append(wine_fill_seconds(exe))
    w, n = statistics.median(wine), statistics.median(native)
    print(f"Scrubwright {MB} MB fill under Wine: median {w:.3f} s "
          f"(runs: {', '.join(f'{x:.3f}' for x in wine)})")
    print(f"native first-touch memset {MB} MiB: median {n:.3f} s "
          f"(runs: {', '.join(f'{x:.3f}' for x in native)})")
    print(f"ratio Wine fill / native first touch: {w / n:.2f}x (target: within 1.5x)")


if __name__ == "__main__":
    main()
