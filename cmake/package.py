#!/usr/bin/env python3
"""The steps of a Windows build that make what is shipped, so that a rebuild of the same source
gives the same bytes, and what is signed differs from that only by its signatures.

  package.py epoch FILE SOURCE_DIR          the commit's time, written to FILE when it changed
  package.py link EPOCH_FILE CMD...         runs the linker with that time for the PE header
  package.py signing STATE_FILE SOURCE_DIR  what to sign with (TW_SIGN_*), written when changed
  package.py programs STATE_FILE FROM TO FILE...
                                            the programs, copied or signed, into the folder
  package.py sign-file STATE_FILE FILE      signs FILE in place (makensis' uninstaller)
  package.py zip EPOCH_FILE ZIP FOLDER FILE...
  package.py setup STATE_FILE SETUP MAKENSIS ARG...
  package.py checksums DIST VERSION         DIST/SHA256SUMS of the version's zips and setups

A step that fails leaves what it was to replace as it was: every file is written beside its
place first and moved there only when it is whole.
"""
import contextlib
import hashlib
import json
import os
import re
import shutil
import subprocess
import sys
import time
import zipfile

# A zip's times start in 1980; earlier commits' times cannot be written into one.
EARLIEST_EPOCH = 315532800
SIGN_VARIABLES = ("TW_SIGN_PKCS12", "TW_SIGN_PASSWORD_FILE")


class Failure(Exception):
    """A reason the step cannot be done, said to whoever runs the build."""


def write_if_changed(path, text):
    """Leaves the file (and its time, which the build's dependencies go by) alone when it
    already says this."""
    try:
        with open(path, encoding="utf-8") as file:
            if file.read() == text:
                return False
    except FileNotFoundError:
        pass
    with staged(path) as partial:
        with open(partial, "w", encoding="utf-8", newline="\n") as file:
            file.write(text)
    return True


@contextlib.contextmanager
def staged(path):
    """A name beside `path` to write to; it replaces `path` only when the block ends well."""
    folder, name = os.path.split(os.path.abspath(path))
    partial = os.path.join(folder, f".{name}.partial")
    try:
        yield partial
        os.replace(partial, path)
    finally:
        with contextlib.suppress(FileNotFoundError):
            os.remove(partial)


def read_epoch(path):
    with open(path, encoding="utf-8") as file:
        return int(file.read().strip())


def source_date_epoch(source_dir):
    value = os.environ.get("SOURCE_DATE_EPOCH", "").strip()
    where = "SOURCE_DATE_EPOCH"
    if not value:
        # Only the source's own repository: a copy inside another checkout is not its commit.
        where = f"the last commit of {source_dir}"
        said = ""
        try:
            top = subprocess.run(["git", "-C", source_dir, "rev-parse", "--show-toplevel"],
                                 capture_output=True, text=True, check=True).stdout.strip()
            if os.path.realpath(top) != os.path.realpath(source_dir):
                raise Failure(f"its repository is {top}")
            value = subprocess.run(["git", "-C", source_dir, "log", "-1", "--format=%ct"],
                                   capture_output=True, text=True, check=True).stdout.strip()
        except subprocess.CalledProcessError as error:
            said = error.stderr.strip()
        except (OSError, Failure) as error:
            said = str(error)
        if said:
            raise Failure(f"no commit time for {source_dir} ({said}): set SOURCE_DATE_EPOCH to "
                          "the source's time (seconds since 1970) for the times written into "
                          "the programs, the zip and the setup program")
    if not re.fullmatch(r"[0-9]+", value) or int(value) < EARLIEST_EPOCH:
        raise Failure(f"{where} gives '{value}', not a time (seconds since 1970) from 1980 on")
    return int(value)


def cmd_epoch(path, source_dir):
    write_if_changed(path, f"{source_date_epoch(source_dir)}\n")


def cmd_link(epoch_file, *command):
    # GNU ld writes SOURCE_DATE_EPOCH into the PE header instead of the time of the link.
    env = dict(os.environ, SOURCE_DATE_EPOCH=str(read_epoch(epoch_file)))
    os.execvpe(command[0], list(command), env)


# --- signing -------------------------------------------------------------------------------

def signing_key(source_dir):
    """(pkcs12, password file, timestamp URL) from TW_SIGN_*, checked; None without a key."""
    given = {name: os.environ.get(name, "") for name in SIGN_VARIABLES}
    if not any(given.values()):
        return None
    for name, value in given.items():
        if not value:
            other = [n for n in SIGN_VARIABLES if n != name][0]
            raise Failure(f"{other} is set but {name} is not: both name the key to sign with")
    paths = {name: os.path.join(source_dir, value) for name, value in given.items()}
    for name, path in paths.items():
        if not os.path.isfile(path):
            raise Failure(f"{name}={given[name]}: no such file")
    if not shutil.which("osslsigncode"):
        raise Failure("signing needs osslsigncode (Debian package osslsigncode; tools/deps.sh "
                      "installs it)")
    pkcs12, password = paths["TW_SIGN_PKCS12"], paths["TW_SIGN_PASSWORD_FILE"]
    # Checked before anything is signed, so a wrong password stops the build at once and in
    # one plain sentence. -legacy: keys exported by older tools, which osslsigncode opens too.
    opened = any(
        subprocess.run(["openssl", "pkcs12", "-in", pkcs12, "-passin", f"file:{password}",
                        "-noout", *extra], capture_output=True).returncode == 0
        for extra in ([], ["-legacy"]))
    if not opened:
        raise Failure(f"TW_SIGN_PASSWORD_FILE={given['TW_SIGN_PASSWORD_FILE']} does not open "
                      f"TW_SIGN_PKCS12={given['TW_SIGN_PKCS12']}: wrong password, or not a "
                      "PKCS#12 file; nothing was signed")
    return pkcs12, password, os.environ.get("TW_SIGN_TIMESTAMP_URL", "")


def cmd_signing(state_file, source_dir):
    key = signing_key(source_dir)
    if key is None:
        print("Not signing: TW_SIGN_PKCS12 and TW_SIGN_PASSWORD_FILE are not set")
        write_if_changed(state_file, "unsigned\n")
        return
    pkcs12, password, url = key
    with open(pkcs12, "rb") as file:
        digest = hashlib.sha256(file.read()).hexdigest()
    print(f"Signing with {pkcs12}" + (f", timestamps from {url}" if url else ", no timestamp"))
    # The key's digest, so that another key in the same file signs everything again.
    write_if_changed(state_file, json.dumps(
        {"pkcs12": pkcs12, "sha256": digest, "password_file": password, "timestamp_url": url},
        indent=1) + "\n")


def read_state(state_file):
    with open(state_file, encoding="utf-8") as file:
        text = file.read()
    return None if text.strip() == "unsigned" else json.loads(text)


def sign(state, source, target):
    command = ["osslsigncode", "sign", "-pkcs12", state["pkcs12"],
               "-readpass", state["password_file"], "-h", "sha256", "-n", "Tidewarden"]
    if state["timestamp_url"]:
        command += ["-ts", state["timestamp_url"]]
    done = subprocess.run(command + ["-in", source, "-out", target],
                          capture_output=True, text=True)
    if done.returncode != 0:
        raise Failure(f"osslsigncode could not sign {os.path.basename(source)}:\n"
                      f"{(done.stdout + done.stderr).strip()}")


def cmd_programs(state_file, source_folder, target_folder, *names):
    """All the programs or none: the folder never holds some signed and some not."""
    state = read_state(state_file)
    with contextlib.ExitStack() as stack:
        for name in names:
            target = os.path.join(target_folder, name)
            os.makedirs(os.path.dirname(target), exist_ok=True)
            partial = stack.enter_context(staged(target))
            source = os.path.join(source_folder, name)
            if state is None:
                shutil.copyfile(source, partial)
            else:
                sign(state, source, partial)
            shutil.copymode(source, partial)
    if state is not None:
        print("Signed " + ", ".join(os.path.basename(name) for name in names))


def cmd_sign_file(state_file, path):
    state = read_state(state_file)
    with staged(path) as partial:
        sign(state, path, partial)


# --- what is shipped -----------------------------------------------------------------------

def cmd_zip(epoch_file, zip_path, folder, *names):
    """The programs under Tidewarden/, in the order given, each with the commit's time and the
    same attributes whoever builds it."""
    stamp = time.gmtime(read_epoch(epoch_file))[:6]
    base = os.path.basename(os.path.normpath(folder))
    with staged(zip_path) as partial:
        with zipfile.ZipFile(partial, "w") as archive:
            for name in names:
                entry = zipfile.ZipInfo(f"{base}/{name}", date_time=stamp)
                entry.create_system = 0       # MS-DOS attributes, as Windows writes them
                entry.external_attr = 0x20    # FILE_ATTRIBUTE_ARCHIVE
                entry.compress_type = zipfile.ZIP_DEFLATED
                with open(os.path.join(folder, name), "rb") as file:
                    archive.writestr(entry, file.read(), compresslevel=9)


def cmd_setup(state_file, setup, makensis, *args):
    state = read_state(state_file)
    this = os.path.abspath(__file__)
    extra = []
    if state is not None:
        # makensis writes the uninstaller into a file of its own, runs this on it and packs
        # what it became, so the uninstaller a user gets is signed too.
        extra = [f'-DTW_SIGN_UNINSTALLER="{sys.executable}" "{this}" sign-file "{state_file}"']
    with staged(setup) as partial:
        # The defines go just before the script: makensis reads its options in order, and the
        # verbosity given first keeps it from echoing them.
        done = subprocess.run([makensis, *args[:-1], *extra, f"-DTW_OUTFILE={partial}",
                               args[-1]])
        if done.returncode != 0:
            raise Failure(f"makensis failed ({done.returncode}); {setup} was left as it was")
        if state is not None:
            signed = partial + ".signed"
            try:
                sign(state, partial, signed)
                os.replace(signed, partial)
            finally:
                with contextlib.suppress(FileNotFoundError):
                    os.remove(signed)
            print(f"Signed {os.path.basename(setup)} and its uninstaller")


def sha256_of(path):
    digest = hashlib.sha256()
    with open(path, "rb") as file:
        for block in iter(lambda: file.read(1 << 20), b""):
            digest.update(block)
    return digest.hexdigest()


def release_files(dist, version):
    pattern = re.compile(rf"Tidewarden-{re.escape(version)}-[^/]+?(\.zip|-setup\.exe)")
    return sorted(name for name in os.listdir(dist)
                  if pattern.fullmatch(name) and os.path.isfile(os.path.join(dist, name)))


def cmd_checksums(dist, version):
    lines = "".join(f"{sha256_of(os.path.join(dist, name))}  {name}\n"
                    for name in release_files(dist, version))
    write_if_changed(os.path.join(dist, "SHA256SUMS"), lines)


COMMANDS = {
    "epoch": cmd_epoch, "link": cmd_link, "signing": cmd_signing, "programs": cmd_programs,
    "sign-file": cmd_sign_file, "zip": cmd_zip, "setup": cmd_setup, "checksums": cmd_checksums,
}


def main(argv):
    if len(argv) < 2 or argv[1] not in COMMANDS:
        print(__doc__, file=sys.stderr)
        return 2
    try:
        COMMANDS[argv[1]](*argv[2:])
    except Failure as failure:
        print(f"{argv[1]}: {failure}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
