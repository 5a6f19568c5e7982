# shellcheck shell=bash disable=SC2030,SC2031
#
# Wine test desktop for Tidewarden's end-to-end tests.
#
# Source this file, then:
#   winenv_detect                     # sets TW_WINE_BITS, TW_WINE, ... (start calls it)
#   winenv_start WORKDIR CACHEDIR     # private Xvfb + Wine prefix + desktop with taskbar
#   "$TW_WINE" path/to/program.exe    # run programs on that desktop
#   winenv_screenshot out.png
#   winenv_stop                       # safe to call twice and from a trap
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
# Exported while running: DISPLAY WINEPREFIX WINEARCH WINELOADER WINEDEBUG
# WINEDLLOVERRIDES LC_ALL LOCPATH XAUTHORITY, with LANGUAGE unset (winenv_stop
# restores the caller's values), plus TW_WINE TW_WINESERVER TW_WINE_BITS
# TW_WINE_ARCH TW_MINGW_TRIPLE TW_WINE_DISPLAY TW_WINE_PREFIX TW_WINE_LOGDIR
# (logs of Xvfb, wineserver and keeper) and TW_WINE_START_MS.
# winenv_our_pids lists the live processes a run started.

_TW_ENV_VARS=(DISPLAY WINEPREFIX WINEARCH WINELOADER WINEDEBUG WINEDLLOVERRIDES
    LC_ALL LOCPATH XAUTHORITY LANGUAGE)
_TW_LOCALE=ja_JP.UTF-8
# mscoree/mshtml empty: no Mono/Gecko install dialogs. winemenubuilder
# disabled: it would write menu entries and file associations into $HOME.
_TW_DLL_OVERRIDES='mscoree,mshtml=;winemenubuilder.exe=d'

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

# Builds the ja_JP.UTF-8 glibc locale privately: without it Wine mangles
# non-ASCII command-line arguments even though the code page is right.
_winenv_locale_usable() {
    LOCPATH=$1 LC_ALL=$_TW_LOCALE locale charmap 2>/dev/null | grep -qx UTF-8
}

# Parallel runs sharing a cache build the locale only once: two builds side by side would
# remove and replace each other's result.
_winenv_ensure_locale() {
    local cache=$1 rc=0
    _winenv_locale_usable "$cache/locale" && return 0
    mkdir -p "$cache" || return 1
    {
        if ! flock -w 300 9; then
            _winenv_log "timed out waiting for locale lock $cache/.locale.lock"
            return 1
        fi
        _winenv_locale_usable "$cache/locale" || _winenv_build_locale "$cache/locale" || rc=1
    } 9>"$cache/.locale.lock"
    return $rc
}

_winenv_build_locale() {
    local locdir=$1 tmp
    mkdir -p "$locdir" || return 1
    tmp=$(mktemp -d "$locdir/.build.XXXXXX") || return 1
    if ! timeout -k 2 120 localedef -i ja_JP -f UTF-8 "$tmp/$_TW_LOCALE" >"$tmp.log" 2>&1; then
        # localedef exits 1 on mere warnings; judge by the result.
        if [[ ! -f $tmp/$_TW_LOCALE/LC_CTYPE ]]; then
            _winenv_log "localedef failed: $(tail -n 3 "$tmp.log")"
            rm -rf "$tmp" "$tmp.log"
            return 1
        fi
    fi
    rm -f "$tmp.log"
    rm -rf "${locdir:?}/$_TW_LOCALE"
    mv "$tmp/$_TW_LOCALE" "$locdir/$_TW_LOCALE" && rm -rf "$tmp" || return 1
    _winenv_locale_usable "$locdir" || {
        _winenv_log "built locale in $locdir is not usable"
        return 1
    }
}

# Registry multi-string as .reg hex(7) text.
_winenv_reg_multi() {
    local hex
    hex=$(printf '%s\0' "$@" | iconv -f UTF-8 -t UTF-16LE | od -An -v -tx1 | tr -s ' \n' ' ')
    hex=${hex# }
    hex=${hex% }
    printf 'hex(7):%s,00,00' "${hex// /,}"
}

_winenv_desktop_size() {
    local s=${TW_WINE_SCREEN:-1024x768x24}
    printf '%s\n' "${s%x*}"
}

# Settings baked into the template prefix. Japanese font names are mapped to
# IPA Gothic so dialogs and the taskbar show Japanese glyphs, not boxes.
_winenv_reg_text() {
    local link name
    link=$(_winenv_reg_multi 'ipag.ttf,IPAGothic' 'ipagp.ttf,IPAPGothic')
    cat <<EOF
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]
"Desktop"="shell"

[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]
"shell"="$(_winenv_desktop_size)"

[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_CURRENT_USER\\Software\\Wine\\DllOverrides]
"winemenubuilder.exe"=""

[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]
EOF
    for name in 'MS UI Gothic' 'MS Gothic' 'ＭＳ ゴシック' 'Meiryo' 'Meiryo UI' 'メイリオ' \
        'Yu Gothic' 'Yu Gothic UI' '游ゴシック'; do
        printf '"%s"="IPAGothic"\n' "$name"
    done
    for name in 'MS PGothic' 'ＭＳ Ｐゴシック'; do
        printf '"%s"="IPAPGothic"\n' "$name"
    done
    cat <<EOF

[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts]
"IPAGothic (TrueType)"="ipag.ttf"
"IPAPGothic (TrueType)"="ipagp.ttf"

[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink]
EOF
    for name in 'Tahoma' 'MS Shell Dlg' 'MS Shell Dlg 2' 'Microsoft Sans Serif' 'Segoe UI' \
        'MS Sans Serif'; do
        printf '"%s"=%s\n' "$name" "$link"
    done
}

_winenv_find_font() {
    local name=$1 d f
    for d in /usr/share/fonts/opentype/ipafont-gothic /usr/share/fonts/truetype/ipafont-gothic \
        /usr/share/fonts/opentype/ipafont /usr/share/fonts/truetype/ipafont; do
        f=$d/$name
        [[ -f $f ]] && { readlink -f "$f"; return 0; }
    done
    f=$(find /usr/share/fonts -name "$name" -print -quit 2>/dev/null)
    [[ -n $f ]] && { readlink -f "$f"; return 0; }
    return 1
}

# Everything that decides what the template contains; a change rebuilds it.
_winenv_template_stamp() {
    local ver
    ver=$(WINEDEBUG=-all timeout -k 2 15 "$TW_WINE" --version 2>/dev/null)
    printf 'bits=%s\nwine=%s\nlocale=%s\nrecipe=%s\n' "$TW_WINE_BITS" "$ver" "$_TW_LOCALE" \
        "$({ declare -f _winenv_build_template _winenv_reg_text; _winenv_reg_text; } |
            sha256sum | cut -c1-16)"
}

# Runs a Wine command against prefix $1 with a time limit; on timeout the
# prefix's server and everything under it is killed so nothing lingers.
_winenv_wine_cmd() {
    local prefix=$1 secs=$2 rc=0
    shift 2
    WINEPREFIX=$prefix timeout -k 5 "$secs" "$@" </dev/null || rc=$?
    if ((rc == 124 || rc == 137)); then
        _winenv_log "timed out after ${secs}s: $*"
        WINEPREFIX=$prefix timeout -k 2 15 "$TW_WINESERVER" -k >/dev/null 2>&1 || true
    fi
    return $rc
}

_winenv_build_template() {
    local tmpl=$1 locdir=$2 pfx log f user_dir link
    pfx=$tmpl.build.$$
    log=$pfx.log
    rm -rf "$pfx" "$log"
    mkdir -p "$(dirname "$tmpl")" || return 1
    _winenv_log "building Wine template prefix $tmpl (once per recipe)"
    (
        # No display: wineboot needs none, and a caller's real screen must
        # not get windows.
        unset DISPLAY WAYLAND_DISPLAY
        export WINEARCH=$TW_WINE_ARCH WINELOADER=$TW_WINE WINEDEBUG=-all
        export WINEDLLOVERRIDES=$_TW_DLL_OVERRIDES LOCPATH=$locdir
        { export LC_ALL=$_TW_LOCALE; } 2>/dev/null
        set -o pipefail
        _winenv_wine_cmd "$pfx" 180 "$TW_WINE" wineboot -i || exit 1
        # The font files Wine ships are not found by this build unless they sit
        # in the prefix's Fonts folder (caption buttons come out as letters).
        fonts=$pfx/drive_c/windows/Fonts
        mkdir -p "$fonts" || exit 1
        for f in /usr/share/wine/fonts /usr/local/share/wine/fonts; do
            if [[ -d $f ]]; then
                cp -L "$f"/* "$fonts"/ || exit 1
                break
            fi
        done
        for f in ipag.ttf ipagp.ttf; do
            src=$(_winenv_find_font "$f") || { echo "font $f not found" >&2; exit 1; }
            cp -L "$src" "$fonts/$f" || exit 1
        done
        # Shell folders link to the real $HOME; tests must not write there.
        for user_dir in "$pfx"/drive_c/users/*/; do
            for link in "$user_dir"*; do
                [[ -L $link ]] || continue
                case $(readlink "$link") in
                    "$pfx"/*) ;;
                    *) rm -f "$link" && mkdir -p "$link" || exit 1 ;;
                esac
            done
        done
        # regedit reads UTF-16 .reg files with a BOM as Unicode; otherwise it
        # would decode the Japanese names with the ANSI code page.
        { printf '\xff\xfe'; _winenv_reg_text | sed 's/$/\r/' | iconv -f UTF-8 -t UTF-16LE; } \
            >"$pfx/drive_c/tw-settings.reg" || exit 1
        _winenv_wine_cmd "$pfx" 60 "$TW_WINE" regedit /S 'C:\tw-settings.reg' || exit 1
        rm -f "$pfx/drive_c/tw-settings.reg"
        # The registry reaches the disk only when the server exits.
        _winenv_wine_cmd "$pfx" 30 "$TW_WINESERVER" -k || true
        _winenv_wine_cmd "$pfx" 30 "$TW_WINESERVER" -w || exit 1
        grep -q '"Desktop"="shell"' "$pfx/user.reg" || { echo "settings not in user.reg" >&2; exit 1; }
    ) >"$log" 2>&1 || {
        _winenv_log "template build failed, log: $log"
        tail -n 20 "$log" >&2
        rm -rf "$pfx"
        return 1
    }
    _winenv_template_stamp >"$pfx/.tw-template" || return 1
    rm -rf "$tmpl" && mv "$pfx" "$tmpl" && rm -f "$log"
}

_winenv_ensure_template() {
    local cache=$1 tmpl=$1/wine-template-$TW_WINE_BITS lock rc=0 want
    want=$(_winenv_template_stamp)
    if [[ -f $tmpl/.tw-template && "$(cat "$tmpl/.tw-template")" == "$want" ]]; then
        printf '%s\n' "$tmpl"
        return 0
    fi
    mkdir -p "$cache" || return 1
    lock=$cache/.wine-template-$TW_WINE_BITS.lock
    # Parallel runs sharing a cache build the template only once.
    {
        if ! flock -w 300 9; then
            _winenv_log "timed out waiting for template lock $lock"
            return 1
        fi
        if [[ ! -f $tmpl/.tw-template || "$(cat "$tmpl/.tw-template")" != "$want" ]]; then
            _winenv_build_template "$tmpl" "$cache/locale" || rc=1
        fi
    } 9>"$lock"
    ((rc == 0)) && printf '%s\n' "$tmpl"
    return $rc
}

_winenv_save_env() {
    local v
    for v in "${_TW_ENV_VARS[@]}"; do
        if [[ -n ${!v+x} ]]; then
            printf -v "_TW_SAVED_$v" 'set:%s' "${!v}"
        else
            printf -v "_TW_SAVED_$v" 'unset'
        fi
    done
    _TW_ENV_SAVED=1
}

_winenv_restore_env() {
    local v saved
    [[ ${_TW_ENV_SAVED:-0} == 1 ]] || return 0
    for v in "${_TW_ENV_VARS[@]}"; do
        saved=_TW_SAVED_$v
        saved=${!saved-unset}
        if [[ $saved == set:* ]]; then
            # bash itself cannot load the private locale; keep it quiet.
            { export "$v=${saved#set:}"; } 2>/dev/null
        else
            { unset "$v"; } 2>/dev/null
        fi
        unset "_TW_SAVED_$v"
    done
    _TW_ENV_SAVED=0
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
# to every process it spawns; the server is found by its directory) and our
# Xvfb. One PID per line. Used by stop, and by tests to prove a clean stop.
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
        done < <(find /proc/[0-9]* -maxdepth 1 -name exe -lname '*/wine*' 2>/dev/null)
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

winenv_start() {
    local workdir=${1:?usage: winenv_start WORKDIR CACHEDIR} cache=${2:?usage: winenv_start WORKDIR CACHEDIR}
    local tmpl prefix logdir ready deadline state t0 timeout=${TW_WINE_START_TIMEOUT:-90} srv_pid
    if [[ -n ${TW_WINE_PREFIX:-} ]]; then
        _winenv_log "already started (prefix $TW_WINE_PREFIX); call winenv_stop first"
        return 1
    fi
    t0=$(_winenv_now_ms)
    mkdir -p "$workdir" "$cache" || return 1
    workdir=$(cd "$workdir" && pwd -P) || return 1
    cache=$(cd "$cache" && pwd -P) || return 1
    if [[ -z ${TW_KEEPER_EXE:-} || ! -f $TW_KEEPER_EXE ]]; then
        _winenv_log "TW_KEEPER_EXE must name the keeper program (got '${TW_KEEPER_EXE:-}')"
        return 1
    fi
    _winenv_save_env
    winenv_detect || { _winenv_restore_env; return 1; }

    _winenv_ensure_locale "$cache" || { _winenv_restore_env; return 1; }
    tmpl=$(_winenv_ensure_template "$cache") || { _winenv_restore_env; return 1; }

    prefix=$workdir/prefix
    logdir=$workdir/logs
    if [[ -e $prefix ]]; then
        if [[ ! -f $prefix/.tw-prefix ]]; then
            _winenv_log "$prefix exists and was not made by this library; not touching it"
            _winenv_restore_env
            return 1
        fi
        # Left over from a run that was not stopped: end what it started.
        WINEPREFIX=$prefix timeout -k 2 15 "$TW_WINESERVER" -k >/dev/null 2>&1 || true
        _winenv_kill_stale_xvfb "$logdir"
        rm -rf "$prefix"
    fi
    mkdir -p "$logdir" || { _winenv_restore_env; return 1; }
    cp -a "$tmpl" "$prefix" || { _winenv_restore_env; return 1; }
    rm -f "$prefix/.tw-template"
    : >"$prefix/.tw-prefix"
    TW_WINE_PREFIX=$prefix
    TW_WINE_LOGDIR=$logdir
    export TW_WINE_PREFIX TW_WINE_LOGDIR

    if [[ ${TW_WINE_USE_DISPLAY:-0} == 1 && -n ${DISPLAY:-} ]]; then
        # Show the desktop on the caller's own screen (start.sh with a display).
        TW_WINE_DISPLAY=$DISPLAY
        export TW_WINE_DISPLAY
    elif ! _winenv_start_xvfb "$logdir"; then
        winenv_stop
        return 1
    fi

    export DISPLAY=$TW_WINE_DISPLAY WINEPREFIX=$prefix WINEARCH=$TW_WINE_ARCH
    export WINELOADER=$TW_WINE WINEDEBUG=-all WINEDLLOVERRIDES=$_TW_DLL_OVERRIDES
    export LOCPATH=$cache/locale
    { export LC_ALL=$_TW_LOCALE; } 2>/dev/null
    unset LANGUAGE
    if [[ -n ${_TW_XVFB_PID:-} ]]; then
        # An empty authority file: a caller's cookies must not be sent to our Xvfb.
        : >"$logdir/xauthority"
        export XAUTHORITY=$logdir/xauthority
    fi

    # A persistent server keeps the desktop's session up between programs.
    if ! timeout -k 2 20 "$TW_WINESERVER" -p </dev/null >>"$logdir/wineserver.log" 2>&1; then
        _winenv_log "wineserver -p failed"
        winenv_stop
        return 1
    fi
    srv_pid=$(_winenv_server_pid "$prefix") && _TW_SERVER_PID=$srv_pid

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
    _winenv_restore_env
    return $rc
}
