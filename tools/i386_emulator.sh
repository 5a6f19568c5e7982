# shellcheck shell=bash
#
# Runs the win32 build where the kernel refuses 32-bit programs: qemu-i386 in user mode serves
# every i386 executable (Wine's 32-bit loader first of all) through a binfmt_misc of our own,
# mounted in a user and mount namespace private to one command (Linux 6.7 and later). Outside
# that namespace nothing changes, and nothing is installed on the machine.
#
# Source this file, then:
#   tw_i386_native                       # true when the kernel runs i386 programs itself
#   qemu=$(tw_i386_emulator CACHEDIR)    # a qemu-i386 fit for Wine, fetched once into CACHEDIR
#   tw_with_i386_emulator QEMU CMD...    # runs CMD with i386 programs served by QEMU
#
# Everything 32-bit of a run must start inside the namespace, the Wine server and prefix
# included: a Wine process started outside cannot start the 32-bit programs.

# shellcheck source=tools/deps.sh
source "$(dirname "${BASH_SOURCE[0]}")/deps.sh"

# Debian bookworm's own qemu-user (7.2) starts `wine --version`, but every real program fails
# after about a minute ("failed to map the shared user data"); the backports' 10.0 works.
TW_QEMU_MIN_MAJOR=8
TW_QEMU_MIN_MINOR=1

# Wine's 32-bit loader is an i386 program; whether it starts tells what the kernel does.
tw_i386_native() {
  local loader=${TW_WINE_LIBDIR:-/usr/lib/wine}/wine
  [ -x "$loader" ] && timeout -k 2 15 "$loader" --version </dev/null >/dev/null 2>&1
}

_tw_qemu_new_enough() {  # QEMU
  local words major minor
  words=$("$1" --version 2>/dev/null | head -n 1) || return 1
  [[ $words =~ version\ ([0-9]+)\.([0-9]+) ]] || return 1
  major=${BASH_REMATCH[1]}
  minor=${BASH_REMATCH[2]}
  ((major > TW_QEMU_MIN_MAJOR || (major == TW_QEMU_MIN_MAJOR && minor >= TW_QEMU_MIN_MINOR)))
}

# The package comes from the backports suite of the machine's own Debian mirror; the machine's
# package sources stay as they are.
tw_i386_emulator() {  # CACHEDIR
  local dir=$1/i386-emulator work
  local qemu=$dir/qemu-i386
  if [ -x "$qemu" ] && _tw_qemu_new_enough "$qemu"; then
    printf '%s\n' "$qemu"
    return 0
  fi
  mkdir -p "$dir" || return 1
  dir=$(cd "$dir" && pwd -P) || return 1
  qemu=$dir/qemu-i386
  work=$(mktemp -d "$dir/fetch.XXXXXX") || return 1
  if tw_private_apt "$work" deb -backports &&
    (cd "$work" && apt-get "${TW_APT[@]}" download qemu-user) >>"$work/apt.log" 2>&1 &&
    dpkg-deb --fsys-tarfile "$work"/qemu-user_*.deb | tar -x -C "$work" ./usr/bin/qemu-i386 &&
    _tw_qemu_new_enough "$work/usr/bin/qemu-i386"; then
    mv "$work/usr/bin/qemu-i386" "$qemu"
    rm -rf "$work"
    printf '%s\n' "$qemu"
    return 0
  fi
  echo "i386 emulator: could not take qemu-user (8.1 or later) from the backports of this machine's Debian mirror:" >&2
  tail -n 5 "$work/apt.log" >&2
  rm -rf "$work"
  return 1
}

# Magic and mask of an i386 ELF executable or shared object (e_machine 3).
_TW_I386_MAGIC='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
_TW_I386_MASK='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'

# Flag F opens the emulator now, so it serves the programs whatever mounts follow. The entry
# comes before the kernel's own ELF loader, so it also serves a kernel that could run them.
tw_with_i386_emulator() {  # QEMU COMMAND...
  local qemu=$1
  shift
  # shellcheck disable=SC2016 # expanded by the inner shell
  TW_I386_EMULATOR=$qemu unshare --user --map-root-user --mount --propagation private \
    bash -c '
      if ! mount -t binfmt_misc tw-binfmt /proc/sys/fs/binfmt_misc 2>/dev/null; then
        echo "i386 emulator: no binfmt_misc of our own here (it needs Linux 6.7 or later)" >&2
        exit 1
      fi
      if ! printf ":tw-i386:M::%s:%s:%s:F" "$1" "$2" "$3" 2>/dev/null \
        >/proc/sys/fs/binfmt_misc/register; then
        echo "i386 emulator: $3 could not be registered for i386 programs" >&2
        exit 1
      fi
      shift 3
      exec "$@"' tw-i386 "$_TW_I386_MAGIC" "$_TW_I386_MASK" "$qemu" "$@"
}
