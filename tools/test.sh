#!/usr/bin/env bash
# Runs every test: installs what is missing, builds the three presets with warnings as errors,
# runs the unit tests on Linux and, built for Windows, under Wine, and the end-to-end tests of
# the real programs under Wine.
# Ends with one line "N passed, N failed"; exits non-zero when anything failed.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root" || exit 2
# shellcheck source=tools/deps.sh
source tools/deps.sh
tw_install_deps || exit 2

passed=0
failed=0
broken=()
# The test builds are never signed: the release checks compare them with a rebuild and sign a
# copy with a throwaway key of their own.
unset TW_SIGN_PKCS12 TW_SIGN_PASSWORD_FILE TW_SIGN_TIMESTAMP_URL

build() {
  local log=build/build-$1.log
  echo "Building the $1 preset"
  cmake --preset "$1" -DTW_WERROR=ON >"$log" 2>&1 &&
    cmake --build --preset "$1" >>"$log" 2>&1 && return 0
  cat "$log"
  broken+=("build $1")
  return 1
}

mkdir -p build
if build host; then
  ctest --preset host -j2 2>&1 | tee build/ctest.log
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' build/ctest.log | tail -n 1)
  total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line")
  bad=$(sed -E 's/.*passed, ([0-9]+) tests? failed.*/\1/' <<<"$line")
  if [ -n "$line" ]; then
    passed=$((passed + total - bad))
    failed=$((failed + bad))
  else
    broken+=("unit tests")
  fi
fi

# The same unit tests again, under AddressSanitizer and UndefinedBehaviorSanitizer: any report
# fails. They are counted above already, so this run is one line of its own and, when it
# fails, one failure in the closing count.
if build host-asan; then
  ctest --preset host-asan -j2 >build/ctest-asan.log 2>&1
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' build/ctest-asan.log | tail -n 1)
  bad=$(sed -nE 's/.*passed, ([0-9]+) tests? failed.*/\1/p' <<<"$line")
  if [ "${bad:-x}" = 0 ]; then
    echo "Sanitizer run: $line"
  else
    if [ -n "$bad" ]; then
      grep -E 'ERROR: |runtime error|Failed' build/ctest-asan.log | head -n 20
    else
      cat build/ctest-asan.log
    fi
    echo "Sanitizer run: ${line:-no result}"
    broken+=("sanitizer run (build/ctest-asan.log)")
  fi
fi

# One format for all the C++ (.clang-format): tools/format.sh applies it.
if tools/format.sh --check >build/format.log 2>&1; then
  echo "Format check: every file as .clang-format has it"
  passed=$((passed + 1))
else
  grep -E '^[^ ].*: (error|warning):' build/format.log | cut -d: -f1 | sort -u | head -n 20
  broken+=("format check (build/format.log; tools/format.sh mends it)")
fi

# Every reader of outside input, fuzzed briefly (tools/fuzz.sh runs them longer). A fuzzer
# keeps one core busy, so the Windows builds go on beside it; its lines come after them.
TW_SKIP_DEPS=1 TW_FUZZ_ANSI=0 tools/fuzz.sh "${TW_FUZZ_SECONDS:-15}" >build/fuzz-summary.log \
  2>build/fuzz-errors.log &
fuzz=$!

# A build that failed may have left an older one in dist/: its end-to-end tests are not run
# (the failed build is counted once), so no pass is ever counted on old programs.
built=()
build win32 && built+=(32)
build win64 && built+=(64)

wait "$fuzz"
cat build/fuzz-summary.log build/fuzz-errors.log
line=$(tail -n 1 build/fuzz-summary.log)
if [[ $line =~ ^([0-9]+)\ passed,\ ([0-9]+)\ failed$ ]]; then
  passed=$((passed + BASH_REMATCH[1]))
  failed=$((failed + BASH_REMATCH[2]))
else
  broken+=("fuzz targets")
fi

# shellcheck source=tools/i386_emulator.sh
source tools/i386_emulator.sh
runner=()  # what a run is started through: nothing, or the i386 emulator's namespace
not_run=()
emulator() {  # sets qemu to an emulator that starts Wine's 32-bit loader here, or says why not
  qemu=$(tw_i386_emulator build 2>build/i386-emulator.log) &&
    tw_with_i386_emulator "$qemu" "${TW_WINE_LIBDIR:-/usr/lib/wine}/wine" --version \
      >>build/i386-emulator.log 2>&1 && return 0
  cat build/i386-emulator.log
  return 1
}
# The win32 build runs natively where the kernel runs 32-bit programs, else through qemu-i386
# (tools/i386_emulator.sh); TW_WIN32_VIA=emulator asks for the emulator on any machine.
if [ "${TW_WIN32_VIA:-}" != emulator ] && tw_i386_native; then
  win32_via=native
elif emulator; then
  win32_via=emulator
else
  win32_via=none
fi

# The release checks (tests/release/test_release.py): a second win64 build in a fresh folder
# compared byte for byte with the first, signed with a throwaway key, dist/SHA256SUMS and the
# manifests. Mostly compiling, so it goes on, at the lowest priority, beside the unit tests
# under Wine below.
release=
if [[ " ${built[*]} " == *" 64 "* ]]; then
  nice -n 19 python3 tests/release/test_release.py >build/release-check.log 2>&1 &
  release=$!
else
  echo "Not run: the release checks, on the win64 build, which failed to build"
fi

# The unit tests again, built for Windows and run under Wine: MinGW's compiler and runtime are
# the programs' own, so a difference from Linux shows here. One pass or one failure per build,
# like the sanitizer run.
unit_wine() {  # BITS
  if [[ " ${built[*]} " != *" $1 "* ]]; then
    echo "Not run: the unit tests on the win$1 build, which failed to build"
    return 0
  fi
  local log=build/unit-wine-$1.log names
  "${runner[@]}" tools/unit_wine.sh "$1" | tee "$log"
  if [ "${PIPESTATUS[0]}" -eq 0 ]; then
    passed=$((passed + 1))
  else
    names=$(sed -n 's/^  FAILED: //p' "$log" | head -n 5 | paste -sd ';' - | sed 's/;/; /g')
    broken+=("unit tests on the win$1 build under Wine: ${names:-see $log}")
  fi
}
case $win32_via in
  native) unit_wine 32 ;;
  emulator)
    runner=(tw_with_i386_emulator "$qemu")
    unit_wine 32
    runner=()
    ;;
  none) not_run+=("the unit tests on the win32 build (build/i386-emulator.log)") ;;
esac
unit_wine 64
# The end-to-end tests time real clicks and menus on two busy cores: they start once the
# release checks are done.
unhappy_logs=()
if [ -n "$release" ]; then
  wait "$release"
  cat build/release-check.log
  line=$(tail -n 1 build/release-check.log)
  if [[ $line =~ ^([0-9]+)\ passed,\ ([0-9]+)\ failed$ ]]; then
    passed=$((passed + BASH_REMATCH[1]))
    failed=$((failed + BASH_REMATCH[2]))
    [ "${BASH_REMATCH[2]}" -eq 0 ] || unhappy_logs+=(build/release-check.log)
  else
    broken+=("release checks (build/release-check.log)")
  fi
fi

e2e() {  # BITS PATTERNS NAME: one run on a desktop of its own, printed and kept in its log
  local counts=build/e2e-counts-$1-$3
  if [[ " ${built[*]} " != *" $1 "* ]]; then
    echo "Not run: the end-to-end tests ($3) on the win$1 build, which failed to build" |
      tee "build/e2e-$3-$1.log"
    rm -f "$counts"
    return 0
  fi
  rm -f "$counts"
  TW_E2E_RUN=$3 TW_WINE_BITS_WANT=$1 "${runner[@]}" tests/e2e/run.sh "$counts" "$2" 2>&1 |
    tee "build/e2e-$3-$1.log"
}
add_counts() {  # BITS NAME
  local counts=build/e2e-counts-$1-$2 p f
  [[ " ${built[*]} " == *" $1 "* ]] || return 0  # its build failed, counted once already
  if [ -f "$counts" ]; then
    read -r p f <"$counts"
    passed=$((passed + p))
    failed=$((failed + f))
    [ "$f" -eq 0 ] || unhappy_logs+=("build/e2e-$2-$1.log")
  else
    broken+=("end-to-end tests ($1-bit, $2)")
    unhappy_logs+=("build/e2e-$2-$1.log")
  fi
}
# The tray program's tests mostly wait for its timer, so they run beside the others, each on a
# desktop of its own.
others=$(cd tests/e2e && ls test_*.py | grep -vx 'test_tidewarden.py' | paste -sd, -)
run_e2e() {  # BITS
  e2e "$1" test_tidewarden.py tray >/dev/null &
  local tray=$!
  e2e "$1" "$others" rest
  wait "$tray"
  cat "build/e2e-tray-$1.log"
  add_counts "$1" rest
  add_counts "$1" tray
}

if [ $win32_via = native ]; then
  echo "This machine runs 32-bit programs: the end-to-end tests run on both builds, natively."
  run_e2e 32
  run_e2e 64
  # The emulator's way stays in working order for the machines that need it: one short run.
  if emulator; then
    echo "The same win32 build through qemu-i386: test_scrubwright.py only."
    runner=(tw_with_i386_emulator "$qemu")
    e2e 32 test_scrubwright.py emulated
    add_counts 32 emulated
    runner=()
  else
    not_run+=("the win32 check through qemu-i386 (build/i386-emulator.log)")
  fi
elif [ $win32_via = emulator ]; then
  if [ "${TW_WIN32_VIA:-}" = emulator ]; then
    echo "TW_WIN32_VIA=emulator: the win32 end-to-end tests run through qemu-i386."
  else
    echo "This machine's kernel refuses 32-bit programs: the win32 end-to-end tests run"
    echo "through qemu-i386 ($($qemu --version | head -n 1)), the win64 ones natively."
  fi
  # The emulated pass is the long one and leaves the cores partly idle, so the win64 tests
  # run beside it, and its two lanes share the work more evenly: the tray lane also takes
  # the tests of the tray program's menu and commands.
  { e2e 64 test_tidewarden.py tray; e2e 64 "$others" rest; } >/dev/null &
  lane64=$!
  runner=(tw_with_i386_emulator "$qemu")
  lane=test_tidewarden.py,test_menu.py,test_commands.py
  e2e 32 "$lane" tray >/dev/null &
  tray32=$!
  e2e 32 "$(tr , '\n' <<<"$others" | grep -vxF -f <(tr , '\n' <<<"$lane") | paste -sd, -)" rest
  runner=()
  wait "$tray32" "$lane64"
  cat build/e2e-tray-32.log build/e2e-tray-64.log build/e2e-rest-64.log
  for bits in 32 64; do
    add_counts $bits rest
    add_counts $bits tray
  done
else
  echo "32-bit programs cannot run on this machine (its kernel refuses them and qemu-i386 could"
  echo "not be used): the end-to-end tests run on the win64 build only."
  not_run+=("the end-to-end tests on the win32 build (build/i386-emulator.log)")
  run_e2e 64
fi

# What went wrong, again at the end, where a reader of the last lines sees it.
for log in "${unhappy_logs[@]}"; do
  echo "---- $log: failures and last lines ----"
  grep -E '^(FAIL|ERROR):|^[A-Za-z]*Error|wine_env:' "$log" | head -n 20
  tail -n 15 "$log"
done
for what in "${not_run[@]}"; do
  echo "NOT RUN: $what"
done
for what in "${broken[@]}"; do
  echo "FAILED: $what"
  failed=$((failed + 1))
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
