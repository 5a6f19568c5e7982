"""The Wine prefix of a test desktop, and the settings its Wine session runs with.

    wine_prefix.py CACHEDIR PREFIX

Lays a fresh prefix at PREFIX, copied from a template prefix kept in CACHEDIR, and prints the
variables the session's programs must run with, one NAME=VALUE a line (wine_env.sh exports
them). Runs after winenv_detect, whose TW_WINE, TW_WINESERVER, TW_WINE_BITS and TW_WINE_ARCH it
reads; TW_WINE_SCREEN (WxHxDEPTH) gives the desktop's size.

Once per cache, each under a lock so that runs side by side build it only once:
- a private ja_JP.UTF-8 glibc locale (CACHEDIR/locale): without it Wine mangles non-ASCII
  command-line arguments even though the code page is right;
- per bitness, the template prefix (CACHEDIR/wine-template-BITS), rebuilt when Wine or the
  recipe below changes: a desktop with a taskbar, no crash dialog, Japanese fonts.

A PREFIX left by a run that was not stopped (it holds the file .tw-prefix) has its Wine server
ended and is replaced; any other existing PREFIX is refused. Messages go to stderr, each
starting with "wine_env:"; the exit status is 1 when the prefix could not be made.
"""
import contextlib
import fcntl
import glob
import hashlib
import inspect
import os
import shutil
import subprocess
import sys
import tempfile
import time

LOCALE = "ja_JP.UTF-8"
# mscoree/mshtml empty: no Mono/Gecko install dialogs. winemenubuilder disabled: it would
# write menu entries and file associations into $HOME.
DLL_OVERRIDES = "mscoree,mshtml=;winemenubuilder.exe=d"
LOCK_WAIT = 300      # seconds to wait for another run's build of the locale or a template
PREFIX_MARK = ".tw-prefix"
TEMPLATE_STAMP = ".tw-template"
FONT_DIRS = ("/usr/share/fonts/opentype/ipafont-gothic", "/usr/share/fonts/truetype/ipafont-gothic",
             "/usr/share/fonts/opentype/ipafont", "/usr/share/fonts/truetype/ipafont")
WINE_FONT_DIRS = ("/usr/share/wine/fonts", "/usr/local/share/wine/fonts")


class Failed(Exception):
    """The prefix cannot be made; the message says why."""


def log(message):
    print(f"wine_env: {message}", file=sys.stderr, flush=True)


def session_settings(cache, prefix):
    """The variables every program of the session runs with."""
    return {
        "WINEPREFIX": prefix,
        "WINEARCH": os.environ["TW_WINE_ARCH"],
        "WINELOADER": os.environ["TW_WINE"],
        "WINEDEBUG": "-all",
        "WINEDLLOVERRIDES": DLL_OVERRIDES,
        "LOCPATH": os.path.join(cache, "locale"),
        "LC_ALL": LOCALE,
    }


@contextlib.contextmanager
def locked(path):
    """Holds an exclusive lock on the file `path` (made if missing), waiting LOCK_WAIT s."""
    with open(path, "a") as file:
        deadline = time.monotonic() + LOCK_WAIT
        while True:
            try:
                fcntl.flock(file, fcntl.LOCK_EX | fcntl.LOCK_NB)
                break
            except BlockingIOError:
                if time.monotonic() > deadline:
                    raise Failed(f"timed out waiting for lock {path}") from None
                time.sleep(0.2)
        try:
            yield
        finally:
            fcntl.flock(file, fcntl.LOCK_UN)


# --- The locale ------------------------------------------------------------------------------

def locale_usable(locale_dir):
    env = dict(os.environ, LOCPATH=locale_dir, LC_ALL=LOCALE)
    done = subprocess.run(["locale", "charmap"], env=env, capture_output=True, text=True,
                          check=False)
    return done.stdout.strip() == "UTF-8"


def build_locale(locale_dir):
    os.makedirs(locale_dir, exist_ok=True)
    work = tempfile.mkdtemp(prefix=".build.", dir=locale_dir)
    try:
        try:
            done = subprocess.run(["localedef", "-i", "ja_JP", "-f", "UTF-8",
                                   os.path.join(work, LOCALE)],
                                  capture_output=True, text=True, timeout=120, check=False)
            said = (done.stdout + done.stderr).splitlines()
        except subprocess.TimeoutExpired:
            said = ["timed out after 120 s"]
        # localedef exits 1 on mere warnings; judge by the result.
        if not os.path.isfile(os.path.join(work, LOCALE, "LC_CTYPE")):
            raise Failed(f"localedef failed: {' '.join(said[-3:])}")
        shutil.rmtree(os.path.join(locale_dir, LOCALE), ignore_errors=True)
        os.rename(os.path.join(work, LOCALE), os.path.join(locale_dir, LOCALE))
    finally:
        shutil.rmtree(work, ignore_errors=True)
    if not locale_usable(locale_dir):
        raise Failed(f"built locale in {locale_dir} is not usable")


def ensure_locale(cache):
    locale_dir = os.path.join(cache, "locale")
    if locale_usable(locale_dir):
        return
    with locked(os.path.join(cache, ".locale.lock")):
        if not locale_usable(locale_dir):
            build_locale(locale_dir)


# --- The template prefix ---------------------------------------------------------------------

def desktop_size():
    return os.environ.get("TW_WINE_SCREEN", "1024x768x24").rsplit("x", 1)[0]


def reg_multi(*values):
    """A registry multi-string as .reg hex(7) text."""
    data = "".join(value + "\0" for value in values).encode("utf-16-le") + b"\0\0"
    return "hex(7):" + ",".join(f"{byte:02x}" for byte in data)


def registry_text():
    """Settings baked into the template. Japanese font names are mapped to IPA Gothic so
    dialogs and the taskbar show Japanese glyphs, not boxes."""
    link = reg_multi("ipag.ttf,IPAGothic", "ipagp.ttf,IPAPGothic")
    lines = [
        "Windows Registry Editor Version 5.00",
        "",
        r"[HKEY_CURRENT_USER\Software\Wine\Explorer]",
        '"Desktop"="shell"',
        "",
        r"[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]",
        f'"shell"="{desktop_size()}"',
        "",
        r"[HKEY_CURRENT_USER\Software\Wine\WineDbg]",
        '"ShowCrashDialog"=dword:00000000',
        "",
        r"[HKEY_CURRENT_USER\Software\Wine\DllOverrides]",
        '"winemenubuilder.exe"=""',
        "",
        r"[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]",
    ]
    lines += [f'"{name}"="IPAGothic"' for name in (
        "MS UI Gothic", "MS Gothic", "ＭＳ ゴシック", "Meiryo", "Meiryo UI", "メイリオ",
        "Yu Gothic", "Yu Gothic UI", "游ゴシック")]
    lines += [f'"{name}"="IPAPGothic"' for name in ("MS PGothic", "ＭＳ Ｐゴシック")]
    lines += [
        "",
        r"[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\Fonts]",
        '"IPAGothic (TrueType)"="ipag.ttf"',
        '"IPAPGothic (TrueType)"="ipagp.ttf"',
        "",
        r"[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink]",
    ]
    lines += [f'"{name}"={link}' for name in (
        "Tahoma", "MS Shell Dlg", "MS Shell Dlg 2", "Microsoft Sans Serif", "Segoe UI",
        "MS Sans Serif")]
    return "".join(line + "\n" for line in lines)


def find_font(name):
    for folder in FONT_DIRS:
        if os.path.isfile(os.path.join(folder, name)):
            return os.path.realpath(os.path.join(folder, name))
    for top, _, names in os.walk("/usr/share/fonts"):
        if name in names:
            return os.path.realpath(os.path.join(top, name))
    raise Failed(f"font {name} not found")


def wine_version():
    try:
        done = subprocess.run([os.environ["TW_WINE"], "--version"], capture_output=True,
                              text=True, timeout=15, check=False,
                              env=dict(os.environ, WINEDEBUG="-all"))
        return done.stdout.strip()
    except subprocess.TimeoutExpired:
        return ""


def template_stamp():
    """Everything that decides what the template holds; a change rebuilds it."""
    recipe = inspect.getsource(build_template) + inspect.getsource(registry_text) + registry_text()
    return (f"bits={os.environ['TW_WINE_BITS']}\nwine={wine_version()}\nlocale={LOCALE}\n"
            f"recipe={hashlib.sha256(recipe.encode()).hexdigest()[:16]}\n")


def wine_command(env, seconds, log_file, *command):
    """Runs a Wine command against env's prefix with a time limit; on timeout the prefix's
    server and everything under it is ended, so nothing lingers."""
    try:
        subprocess.run(command, env=env, stdin=subprocess.DEVNULL, stdout=log_file,
                       stderr=log_file, timeout=seconds, check=True)
    except subprocess.TimeoutExpired:
        subprocess.run([os.environ["TW_WINESERVER"], "-k"], env=env, stdin=subprocess.DEVNULL,
                       stdout=log_file, stderr=log_file, timeout=15, check=False)
        raise Failed(f"timed out after {seconds}s: {' '.join(command)}") from None
    except subprocess.CalledProcessError as error:
        raise Failed(f"{' '.join(command)} failed with status {error.returncode}") from None


def build_template(template, cache):
    wine, server = os.environ["TW_WINE"], os.environ["TW_WINESERVER"]
    build = f"{template}.build.{os.getpid()}"
    shutil.rmtree(build, ignore_errors=True)
    # No display: wineboot needs none, and a caller's real screen must not get windows.
    env = {name: value for name, value in os.environ.items()
           if name not in ("DISPLAY", "WAYLAND_DISPLAY")}
    env.update(session_settings(cache, build))
    log(f"building Wine template prefix {template} (once per recipe)")
    with open(build + ".log", "w") as log_file:
        try:
            wine_command(env, 180, log_file, wine, "wineboot", "-i")
            # The font files Wine ships are not found by this build unless they sit in the
            # prefix's Fonts folder (caption buttons come out as letters).
            fonts = os.path.join(build, "drive_c", "windows", "Fonts")
            os.makedirs(fonts, exist_ok=True)
            shipped = next((d for d in WINE_FONT_DIRS if os.path.isdir(d)), None)
            for name in os.listdir(shipped) if shipped else []:
                shutil.copy(os.path.join(shipped, name), fonts)
            for name in ("ipag.ttf", "ipagp.ttf"):
                shutil.copy(find_font(name), os.path.join(fonts, name))
            # Shell folders link to the real $HOME; tests must not write there.
            for link in glob.glob(os.path.join(build, "drive_c", "users", "*", "*")):
                if os.path.islink(link) and not os.readlink(link).startswith(build + "/"):
                    os.unlink(link)
                    os.makedirs(link)
            # regedit reads UTF-16 .reg files with a BOM as Unicode; otherwise it would decode
            # the Japanese names with the ANSI code page.
            settings = os.path.join(build, "drive_c", "tw-settings.reg")
            with open(settings, "wb") as file:
                file.write(b"\xff\xfe" + registry_text().replace("\n", "\r\n").encode("utf-16-le"))
            wine_command(env, 60, log_file, wine, "regedit", "/S", "C:\\tw-settings.reg")
            os.remove(settings)
            # The registry reaches the disk only when the server exits.
            with contextlib.suppress(Failed):
                wine_command(env, 30, log_file, server, "-k")
            wine_command(env, 30, log_file, server, "-w")
            with open(os.path.join(build, "user.reg"), encoding="utf-8", errors="replace") as file:
                if '"Desktop"="shell"' not in file.read():
                    raise Failed("settings not in user.reg")
        except (Failed, OSError) as error:
            print(error, file=log_file)
            log_file.flush()
            log(f"template build failed, log: {build}.log")
            with open(build + ".log", encoding="utf-8", errors="replace") as file:
                sys.stderr.write("".join(file.readlines()[-20:]))
            shutil.rmtree(build, ignore_errors=True)
            raise Failed("no template prefix") from None
    with open(os.path.join(build, TEMPLATE_STAMP), "w") as file:
        file.write(template_stamp())
    shutil.rmtree(template, ignore_errors=True)
    os.rename(build, template)
    os.remove(build + ".log")


def ensure_template(cache):
    bits = os.environ["TW_WINE_BITS"]
    template = os.path.join(cache, f"wine-template-{bits}")
    stamp_file = os.path.join(template, TEMPLATE_STAMP)

    def current():
        try:
            with open(stamp_file) as file:
                return file.read() == want
        except FileNotFoundError:
            return False

    want = template_stamp()
    if not current():
        with locked(os.path.join(cache, f".wine-template-{bits}.lock")):
            if not current():
                build_template(template, cache)
    return template


# --- The run's own prefix --------------------------------------------------------------------

def fresh_prefix(template, prefix):
    if os.path.lexists(prefix):
        if not os.path.isfile(os.path.join(prefix, PREFIX_MARK)):
            raise Failed(f"{prefix} exists and was not made by this library; not touching it")
        # Left over from a run that was not stopped: end what it started.
        with contextlib.suppress(subprocess.TimeoutExpired):
            subprocess.run([os.environ["TW_WINESERVER"], "-k"], stdin=subprocess.DEVNULL,
                           env=dict(os.environ, WINEPREFIX=prefix), capture_output=True,
                           timeout=15, check=False)
        shutil.rmtree(prefix)
    # cp -a keeps the prefix's links (dosdevices) and times as they are.
    subprocess.run(["cp", "-a", template, prefix], check=True)
    os.remove(os.path.join(prefix, TEMPLATE_STAMP))
    open(os.path.join(prefix, PREFIX_MARK), "w").close()


def main():
    cache, prefix = (os.path.realpath(path) for path in sys.argv[1:3])
    try:
        os.makedirs(cache, exist_ok=True)
        ensure_locale(cache)
        fresh_prefix(ensure_template(cache), prefix)
    except (Failed, OSError, subprocess.SubprocessError) as error:
        log(str(error))
        return 1
    for name, value in session_settings(cache, prefix).items():
        print(f"{name}={value}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
