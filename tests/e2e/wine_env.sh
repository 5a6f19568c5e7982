# shellcheck shell=bash
#
# Wine test desktop for Tidewarden's end-to-end tests.
#
# Source this file, then:
#   winenv_detect                     # sets TW_WINE_BITS, TW_WINE, ... (start calls it)
#   winenv_start WORKDIR CACHEDIR     # private Xvfb + Wine prefix + desktop with taskbar
#   winenv_start_console WORKDIR CACHEDIR  # the prefix alone, for console programs
#   "$TW_WINE" path/to/program.exe    # run programs on that desktop
#   winenv_screenshot out.png
#   winenv_stop                       # safe to call twice and from a trap
#
# The prefix (WORKDIR/prefix, a copy of a template built once in CACHEDIR) and the private
# ja_JP.UTF-8 locale are made by wine_prefix.py beside this file.
#
# Settings read from the environment (all optional except TW_KEEPER_EXE):
#   TW_KEEPER_EXE          keeper program built for TW_WINE_BITS (required by start)
#   TW_WINE_BITS_WANT      32 or 64 to force a bitness instead of detecting it
#   TW_WINE_LIBDIR         where the Wine loaders live (default /usr/lib/wine)
#   TW_WINE_SCREEN         Xvfb screen, WxHxDEPTH (default 1024x768x24)
#   TW_WINE_START_TIMEOUT  seconds to wait for the desktop (default 90)
#   TW_WINE_STOP_TIMEOUT   seconds to wait for Wine to go away (default 20)
#   TW_WINE_USE_DISPLAY    1 shows the desktop on the caller's DISPLAY instead of Xvfb
#   TW_WINE_KEEP_PREFIX    1 keeps WORKDIR/prefix after stop (default: removed,
#                          it is ~700 MB)
#
# Exported by start, for the programs of the session: DISPLAY WINEPREFIX WINEARCH WINELOADER
# WINEDEBUG WINEDLLOVERRIDES LC_ALL LOCPATH XAUTHORITY, with LANGUAGE unset. They stay so after
# stop: the callers are scripts that end there. Also exported: TW_WINE TW_WINESERVER
# TW_WINE_BITS TW_WINE_ARCH TW_MINGW_TRIPLE TW_WINE_DISPLAY TW_WINE_PREFIX TW_WINE_LOGDIR
# (logs of Xvfb, wineserver and keeper) and TW_WINE_START_MS.
# winenv_our_pids lists the live processes a run started.

_TW_E2E_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

_winenv_log() { printf 'wine_env: %s\n' "$*" >&2; }

_winenv_now_ms() { local ns; ns=$(date +%s%N); printf '%s\n' $((ns / 1000000)); }

# Alive and not a zombie: an exited child stays in the process table until it
# is reaped, which must not count as "still running".
_winenv_pid_alive() {
    local pid=$1 stat
    [[ -n $pid && -r /proc/$pid/stat ]] || return 1
    stat=$(cat "/proc/$pid/stat" 2>/dev/null) || return 1
    stat=${stat##*) }
    [[ ${stat:0:1} != Z && ${stat:0:1} != X ]]
}

# Wait up to SECONDS for all PIDs to be gone; reaps them if they are our
# children. Returns 1 if any is still alive.
_winenv_wait_gone() {
    local secs=$1 pid deadline left
    shift
    deadline=$(($(_winenv_now_ms) + secs * 1000))
    while :; do
        left=0
        for pid in "$@"; do
            _winenv_pid_alive "$pid" && left=1
        done
        ((left)) || break
        (($(_winenv_now_ms) >= deadline)) && return 1
        sleep 0.05
    done
    for pid in "$@"; do wait "$pid" 2>/dev/null || true; done
    return 0
}

# 32 or 64 for an ELF file, so a wrapper script is never mistaken for a loader.
_winenv_elf_class() {
    local f=$1 magic cls
    [[ -f $f && -x $f ]] || return 1
    magic=$(od -An -tx1 -N5 "$f" 2>/dev/null | tr -d ' \n') || return 1
    [[ ${magic:0:8} == 7f454c46 ]] || return 1
    cls=${magic:8:2}
    case $cls in
        01) echo 32 ;;
        02) echo 64 ;;
        *) return 1 ;;
    esac
}

# Does this loader actually execute here? Some kernels lack 32-bit support, so
# an installed i386 loader fails with "Exec format error".
_winenv_loader_runs() {
    WINELOADER=$1 WINEDEBUG=-all timeout -k 2 15 "$1" --version </dev/null >/dev/null 2>&1
}

winenv_detect() {
    local want=${TW_WINE_BITS_WANT:-} libdir=${TW_WINE_LIBDIR:-/usr/lib/wine}
    local bits cand cls found32='' found64='' srv
    for cand in "$libdir/wine" "$libdir/wine64" \
        "$(command -v wine 2>/dev/null)" "$(command -v wine64 2>/dev/null)"; do
        [[ -n $cand ]] || continue
        cls=$(_winenv_elf_class "$cand") || continue
        if [[ $cls == 32 && -z $found32 ]] && _winenv_loader_runs "$cand"; then
            found32=$cand
        elif [[ $cls == 64 && -z $found64 ]] && _winenv_loader_runs "$cand"; then
            found64=$cand
        fi
    done
    case $want in
        '') if [[ -n $found32 ]]; then bits=32; else bits=64; fi ;;
        32 | 64) bits=$want ;;
        *)
            _winenv_log "TW_WINE_BITS_WANT must be 32 or 64, not '$want'"
            return 1
            ;;
    esac
    if [[ $bits == 32 ]]; then cand=$found32; else cand=$found64; fi
    if [[ -z $cand ]]; then
        _winenv_log "no runnable ${bits}-bit Wine loader found (looked in $libdir and PATH)"
        return 1
    fi

    # The server speaks one protocol to both bitnesses; use whichever runs.
    TW_WINESERVER=''
    for srv in "$libdir/wineserver64" "$libdir/wineserver32" \
        "$(command -v wineserver 2>/dev/null)"; do
        [[ -n $srv && -x $srv ]] || continue
        if timeout -k 2 10 "$srv" --version </dev/null >/dev/null 2>&1; then
            TW_WINESERVER=$srv
            break
        fi
    done
    if [[ -z $TW_WINESERVER ]]; then
        _winenv_log "no runnable wineserver found"
        return 1
    fi

    TW_WINE_BITS=$bits
    TW_WINE=$cand
    if [[ $bits == 32 ]]; then
        TW_WINE_ARCH=win32
        TW_MINGW_TRIPLE=i686-w64-mingw32
    else
        TW_WINE_ARCH=win64
        TW_MINGW_TRIPLE=x86_64-w64-mingw32
    fi
    # Wine starts helper processes through WINELOADER; without it a 64-bit
    # setup tries the (possibly unrunnable) 32-bit loader.
    export WINELOADER=$TW_WINE
    export TW_WINE TW_WINESERVER TW_WINE_BITS TW_WINE_ARCH TW_MINGW_TRIPLE
}

# PID of the wineserver for a prefix: it runs inside server-<dev>-<inode>.
_winenv_server_pid() {
    local prefix=$1 dev ino p
    dev=$(stat -c %D "$prefix" 2>/dev/null) || return 1
    ino=$(stat -c %i "$prefix" 2>/dev/null) || return 1
    printf -v ino '%x' "$ino"
    p=$(find /proc/[0-9]* -maxdepth 1 -name cwd -lname "*/server-$dev-$ino" 2>/dev/null |
        head -n 1)
    p=${p%/cwd}
    [[ -n $p ]] || return 1
    printf '%s\n' "${p#/proc/}"
}

# Live processes of ours: Wine processes of the prefix (Wine passes WINEPREFIX
# to every process it spawns; the server is found by its directory; an emulated
# 32-bit one shows the emulator as its executable) and our Xvfb. One PID per line. Used by stop, and by tests to prove a clean stop.
winenv_our_pids() {
    local prefix=${1:-${TW_WINE_PREFIX:-}} p pid
    local -A seen=()
    if [[ -n $prefix ]]; then
        # Only Wine's own binaries: the caller's tools inherit WINEPREFIX too.
        while read -r p; do
            p=${p%/exe}
            pid=${p#/proc/}
            if grep -qzxF "WINEPREFIX=$prefix" "$p/environ" 2>/dev/null &&
                _winenv_pid_alive "$pid"; then
                seen[$pid]=1
            fi
        done < <(find /proc/[0-9]* -maxdepth 1 -name exe \( -lname '*/wine*' -o \
            -lname '*/qemu-i386' \) 2>/dev/null)
        if pid=$(_winenv_server_pid "$prefix") && _winenv_pid_alive "$pid"; then
            seen[$pid]=1
        fi
    fi
    if [[ -n ${_TW_XVFB_PID:-} ]] && _winenv_pid_alive "$_TW_XVFB_PID"; then
        seen[$_TW_XVFB_PID]=1
    fi
    for pid in "${!seen[@]}"; do printf '%s\n' "$pid"; done
    return 0
}

_winenv_start_xvfb() {
    local logdir=$1 dfile=$1/xvfb.display deadline disp=''
    rm -f "$dfile"
    # -displayfd lets the server pick a free display number. Its output goes
    # to a log so it never holds a caller's pipe open.
    Xvfb -displayfd 3 -screen 0 "${TW_WINE_SCREEN:-1024x768x24}" -nolisten tcp -noreset \
        3>"$dfile" </dev/null >"$logdir/xvfb.log" 2>&1 &
    _TW_XVFB_PID=$!
    printf '%s\n' "$_TW_XVFB_PID" >"$logdir/xvfb.pid"
    deadline=$(($(_winenv_now_ms) + 15000))
    while :; do
        if [[ -s $dfile ]]; then
            disp=$(head -n 1 "$dfile")
            [[ $disp =~ ^[0-9]+$ ]] && break
        fi
        if ! _winenv_pid_alive "$_TW_XVFB_PID"; then
            _winenv_log "Xvfb exited early: $(tail -n 5 "$logdir/xvfb.log")"
            return 1
        fi
        if (($(_winenv_now_ms) >= deadline)); then
            _winenv_log "Xvfb gave no display number within 15s"
            return 1
        fi
        sleep 0.05
    done
    TW_WINE_DISPLAY=:$disp
    export TW_WINE_DISPLAY
}

# The Xvfb of an earlier run in the same work dir that was never stopped.
# Only killed if that PID still is an Xvfb started with this library's flags.
_winenv_kill_stale_xvfb() {
    local pidfile=$1/xvfb.pid pid
    [[ -f $pidfile ]] || return 0
    pid=$(head -n 1 "$pidfile")
    rm -f "$pidfile"
    [[ $pid =~ ^[0-9]+$ ]] && _winenv_pid_alive "$pid" || return 0
    [[ $(readlink "/proc/$pid/exe" 2>/dev/null) == */Xvfb ]] || return 0
    grep -qzx -- '-displayfd' "/proc/$pid/cmdline" 2>/dev/null || return 0
    kill -TERM "$pid" 2>/dev/null || true
    _winenv_wait_gone 5 "$pid" || kill -KILL "$pid" 2>/dev/null || true
}

# Windows spelling of an absolute Unix path through the Z: drive.
_winenv_winpath() {
    local p=$1
    p=${p//\//\\}
    printf 'Z:%s\n' "$p"
}

# The run's prefix, copied from the template, and the settings of its session's programs (in
# _TW_SETTINGS until _winenv_session exports them).
_winenv_prefix() {  # CACHEDIR PREFIX LOGDIR
    _TW_SETTINGS=$(python3 "$_TW_E2E_DIR/wine_prefix.py" "$1" "$2") || return 1
    TW_WINE_PREFIX=$2
    TW_WINE_LOGDIR=$3
    export TW_WINE_PREFIX TW_WINE_LOGDIR
}

_winenv_session() {
    local setting
    while IFS= read -r setting; do
        # bash itself cannot load the private locale; keep it quiet.
        { export "${setting?}"; } 2>/dev/null
    done <<<"$_TW_SETTINGS"
    unset LANGUAGE
}

# A persistent server keeps the session up between programs.
_winenv_server() {
    local srv_pid
    if ! timeout -k 2 20 "$TW_WINESERVER" -p </dev/null >>"$TW_WINE_LOGDIR/wineserver.log" 2>&1; then
        _winenv_log "wineserver -p failed"
        winenv_stop
        return 1
    fi
    srv_pid=$(_winenv_server_pid "$TW_WINE_PREFIX") && _TW_SERVER_PID=$srv_pid
    return 0
}

# What every start does first: refuses a second start, finds Wine, makes the folders and the
# run's prefix in WORKDIR (its logs in WORKDIR/logs).
_winenv_begin() {  # WORKDIR CACHEDIR
    local workdir cache
    if [[ -n ${TW_WINE_PREFIX:-} ]]; then
        _winenv_log "already started (prefix $TW_WINE_PREFIX); call winenv_stop first"
        return 1
    fi
    mkdir -p "$1" "$2" || return 1
    workdir=$(cd "$1" && pwd -P) || return 1
    cache=$(cd "$2" && pwd -P) || return 1
    winenv_detect || return 1
    # An Xvfb left by a run in this work dir that was not stopped.
    _winenv_kill_stale_xvfb "$workdir/logs"
    mkdir -p "$workdir/logs" || return 1
    _winenv_prefix "$cache" "$workdir/prefix" "$workdir/logs"
}

# The same prefix and session without a display: console programs (the unit tests) need none,
# and a caller's own screen must not get Wine's windows. Stopped by winenv_stop as well.
winenv_start_console() {
    local t0
    t0=$(_winenv_now_ms)
    _winenv_begin "${1:?usage: winenv_start_console WORKDIR CACHEDIR}" \
        "${2:?usage: winenv_start_console WORKDIR CACHEDIR}" || return 1
    unset DISPLAY WAYLAND_DISPLAY
    _winenv_session || return 1
    _winenv_server || return 1
    TW_WINE_START_MS=$(($(_winenv_now_ms) - t0))
    export TW_WINE_START_MS
}

winenv_start() {
    local logdir ready deadline state t0
    local timeout=${TW_WINE_START_TIMEOUT:-90}
    t0=$(_winenv_now_ms)
    if [[ -z ${TW_KEEPER_EXE:-} || ! -f $TW_KEEPER_EXE ]]; then
        _winenv_log "TW_KEEPER_EXE must name the keeper program (got '${TW_KEEPER_EXE:-}')"
        return 1
    fi
    _winenv_begin "${1:?usage: winenv_start WORKDIR CACHEDIR}" \
        "${2:?usage: winenv_start WORKDIR CACHEDIR}" || return 1
    logdir=$TW_WINE_LOGDIR

    if [[ ${TW_WINE_USE_DISPLAY:-0} == 1 && -n ${DISPLAY:-} ]]; then
        # Show the desktop on the caller's own screen (start.sh with a display).
        TW_WINE_DISPLAY=$DISPLAY
        export TW_WINE_DISPLAY
    elif ! _winenv_start_xvfb "$logdir"; then
        winenv_stop
        return 1
    fi

    export DISPLAY=$TW_WINE_DISPLAY
    _winenv_session || return 1
    if [[ -n ${_TW_XVFB_PID:-} ]]; then
        # An empty authority file: a caller's cookies must not be sent to our Xvfb.
        : >"$logdir/xauthority"
        export XAUTHORITY=$logdir/xauthority
    fi
    _winenv_server || return 1

    ready=$logdir/keeper.ready
    rm -f "$ready"
    "$TW_WINE" "$TW_KEEPER_EXE" "$(_winenv_winpath "$ready")" </dev/null >>"$logdir/keeper.log" 2>&1 &
    _TW_KEEPER_PID=$!

    deadline=$(($(_winenv_now_ms) + timeout * 1000))
    while :; do
        if [[ -f $ready ]]; then
            state=$(head -n 1 "$ready")
            [[ $state == ready ]] && break
            _winenv_log "keeper reports '$state': the taskbar never appeared"
            winenv_stop
            return 1
        fi
        if ! _winenv_pid_alive "$_TW_KEEPER_PID"; then
            _winenv_log "keeper exited early; log: $logdir/keeper.log"
            tail -n 10 "$logdir/keeper.log" >&2
            winenv_stop
            return 1
        fi
        if (($(_winenv_now_ms) >= deadline)); then
            _winenv_log "desktop not ready within ${timeout}s"
            winenv_stop
            return 1
        fi
        sleep 0.05
    done
    TW_WINE_START_MS=$(($(_winenv_now_ms) - t0))
    export TW_WINE_START_MS
    return 0
}

winenv_screenshot() {
    local out=${1:?usage: winenv_screenshot FILE.png}
    if [[ -z ${TW_WINE_DISPLAY:-} ]]; then
        _winenv_log "no test desktop running"
        return 1
    fi
    mkdir -p "$(dirname "$out")" || return 1
    timeout -k 2 30 import -display "$TW_WINE_DISPLAY" -window root "$out" </dev/null
}

winenv_stop() {
    local prefix=${TW_WINE_PREFIX:-} secs=${TW_WINE_STOP_TIMEOUT:-20} rc=0 pids p srv
    if [[ -n ${_TW_KEEPER_PID:-} ]]; then
        kill -TERM "$_TW_KEEPER_PID" 2>/dev/null || true
    fi
    if [[ -n $prefix && -d $prefix ]]; then
        srv=${_TW_SERVER_PID:-}
        [[ -n $srv ]] || srv=$(_winenv_server_pid "$prefix") || srv=''
        if [[ -n ${TW_WINESERVER:-} ]]; then
            WINEPREFIX=$prefix timeout -k 2 "$secs" "$TW_WINESERVER" -k </dev/null >/dev/null 2>&1 || true
        fi
        if [[ -n $srv ]] && ! _winenv_wait_gone "$secs" "$srv"; then
            kill -KILL "$srv" 2>/dev/null || true
        fi
        # Anything of ours that survived the server (it should not).
        mapfile -t pids < <(winenv_our_pids "$prefix" | grep -vxF "${_TW_XVFB_PID:-none}")
        if ((${#pids[@]})); then
            _winenv_log "killing leftover Wine processes: ${pids[*]}"
            kill -KILL "${pids[@]}" 2>/dev/null || true
            _winenv_wait_gone 5 "${pids[@]}" || rc=1
        fi
    fi
    if [[ -n ${_TW_KEEPER_PID:-} ]]; then
        if ! _winenv_wait_gone 5 "$_TW_KEEPER_PID"; then
            kill -KILL "$_TW_KEEPER_PID" 2>/dev/null || true
            rc=1
        fi
    fi
    if [[ -n ${_TW_XVFB_PID:-} ]]; then
        kill -TERM "$_TW_XVFB_PID" 2>/dev/null || true
        if ! _winenv_wait_gone 10 "$_TW_XVFB_PID"; then
            kill -KILL "$_TW_XVFB_PID" 2>/dev/null || true
            _winenv_wait_gone 5 "$_TW_XVFB_PID" || rc=1
        fi
        [[ -n ${TW_WINE_LOGDIR:-} ]] && rm -f "$TW_WINE_LOGDIR/xvfb.pid"
    fi
    if [[ -n $prefix && ${TW_WINE_KEEP_PREFIX:-0} != 1 && -f $prefix/.tw-prefix ]]; then
        rm -rf "$prefix"
    fi
    _TW_KEEPER_PID=''
    _TW_XVFB_PID=''
    _TW_SERVER_PID=''
    TW_WINE_PREFIX=''
    TW_WINE_DISPLAY=''
    return $rc
}
