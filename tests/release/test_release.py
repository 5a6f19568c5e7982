"""A release as its user checks it, against the win64 build tools/test.sh made first:

- the same source copied to a fresh folder and built again (the programs, the zip and the
  setup program only) gives the same bytes, with the commit's time in them;
- a throwaway self-signed key signs that build: every program, the setup program and the
  uninstaller it packs verify, and the programs' signatures strip back to the unsigned bytes;
  a wrong password, or a timestamp server that cannot be reached, fails the build plainly and
  changes nothing;
- dist/SHA256SUMS checks, and tools/release.sh --base-url writes manifests that parse, name the
  artifacts' real hashes and only switches the installer has.

  python3 tests/release/test_release.py     (ends with one line "N passed, N failed")
"""
import hashlib
import json
import lzma
import os
import re
import shutil
import struct
import subprocess
import sys
import time
import unittest
import zipfile

import yaml

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
WORK = os.path.join(ROOT, "build", "release-check")
COPY = os.path.join(WORK, "source")     # the fresh folder
KEY = os.path.join(WORK, "key")
PROGRAMS = ("Tidewarden.exe", "Marrowgate.exe", "Scrubwright/Scrubwright.exe")
BASE_URL = "https://downloads.example/tidewarden/releases"
SIGN_VARIABLES = ("TW_SIGN_PKCS12", "TW_SIGN_PASSWORD_FILE", "TW_SIGN_TIMESTAMP_URL")


def project_version():
    with open(os.path.join(ROOT, "CMakeLists.txt"), encoding="utf-8") as file:
        return re.search(r"project\(Tidewarden VERSION ([0-9.]+)", file.read()).group(1)


VERSION = project_version()
ZIP = f"Tidewarden-{VERSION}-win64.zip"
SETUP = f"Tidewarden-{VERSION}-win64-setup.exe"
# What a build ships, by the name a failure gives, relative to the project folder.
SHIPPED = {**{p: f"dist/win64/Tidewarden/{p}" for p in PROGRAMS},
           ZIP: f"dist/{ZIP}", SETUP: f"dist/{SETUP}"}


def read(path):
    with open(path, "rb") as file:
        return file.read()


def first_difference(a, b):
    """None when equal, else the offset of the first byte that differs (or where one ends)."""
    if a == b:
        return None
    for offset, (x, y) in enumerate(zip(a, b)):
        if x != y:
            return offset
    return min(len(a), len(b))


def commit_time():
    value = os.environ.get("SOURCE_DATE_EPOCH")
    if not value:
        value = subprocess.run(["git", "-C", ROOT, "log", "-1", "--format=%ct"], check=True,
                               capture_output=True, text=True).stdout
    return int(value)


def run(command, env=None, cwd=None):
    done = subprocess.run(command, cwd=cwd, env=env, stdout=subprocess.PIPE,
                          stderr=subprocess.STDOUT, text=True)
    return done.returncode, done.stdout


def build_copy(**signing):
    """Builds what is shipped in the fresh folder; TW_SIGN_* only as given."""
    env = {k: v for k, v in os.environ.items() if k not in SIGN_VARIABLES}
    env.update(signing, SOURCE_DATE_EPOCH=str(commit_time()))
    return run(["cmake", "--build", "--preset", "win64", "--target", "checksums"], env, COPY)


def dist_files(folder):
    """Every file under folder/dist, by its path there, with its bytes."""
    found = {}
    for top, _, names in os.walk(os.path.join(folder, "dist")):
        for name in names:
            path = os.path.join(top, name)
            found[os.path.relpath(path, folder)] = read(path)
    return found


def nsis_packed(setup):
    """The blocks an NSIS setup program packs (solid LZMA): its header, then each file's data,
    the uninstaller's among them."""
    data = read(setup)
    magic = data.index(b"\xef\xbe\xad\xdeNullsoftInst")
    start = magic - 4
    total = struct.unpack_from("<I", data, magic + 20)[0]
    props = data[magic + 24:magic + 29]
    lc, rest = props[0] % 9, props[0] // 9
    filters = [{"id": lzma.FILTER_LZMA1, "dict_size": struct.unpack_from("<I", props, 1)[0],
                "lc": lc, "lp": rest % 5, "pb": rest // 5}]
    stream = lzma.LZMADecompressor(lzma.FORMAT_RAW, filters=filters).decompress(
        data[magic + 29:start + total])
    blocks, offset = [], 0
    while offset + 4 <= len(stream):
        size = struct.unpack_from("<I", stream, offset)[0] & 0x7FFFFFFF
        blocks.append(stream[offset + 4:offset + 4 + size])
        offset += 4 + size
    return blocks


def pe_time(data):
    header = struct.unpack_from("<I", data, 0x3C)[0]
    assert data[header:header + 4] == b"PE\0\0"
    return struct.unpack_from("<I", data, header + 8)[0]


def verify(path):
    return run(["osslsigncode", "verify", "-in", path, "-CAfile", os.path.join(KEY, "cert.pem")])


def make_key():
    os.makedirs(KEY, exist_ok=True)
    key = {name: os.path.join(KEY, name) for name in ("key.pem", "cert.pem", "key.p12",
                                                      "password", "wrong")}
    with open(key["password"], "w") as file:
        file.write("throwaway-%d\n" % os.getpid())
    with open(key["wrong"], "w") as file:
        file.write("not-the-password\n")
    for command in (
            ["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
             "-subj", "/CN=Tidewarden release test", "-keyout", key["key.pem"],
             "-out", key["cert.pem"], "-addext", "extendedKeyUsage=codeSigning",
             "-addext", "keyUsage=digitalSignature"],
            ["openssl", "pkcs12", "-export", "-inkey", key["key.pem"], "-in", key["cert.pem"],
             "-out", key["key.p12"], "-passout", "file:" + key["password"]]):
        status, output = run(command)
        assert status == 0, output
    return key


class Builds:
    """The fresh folder's builds, made once, in order: unsigned, then the failures, then
    signed."""
    done = False

    @classmethod
    def prepare(cls):
        if cls.done:
            return
        cls.done = True
        shutil.rmtree(WORK, ignore_errors=True)
        listed = subprocess.run(["git", "-C", ROOT, "ls-files", "-z", "--cached", "--others",
                                 "--exclude-standard"], check=True, capture_output=True).stdout
        for name in filter(None, listed.decode().split("\0")):
            source = os.path.join(ROOT, name)
            if os.path.isfile(source):      # a file deleted but not yet committed is not copied
                os.makedirs(os.path.dirname(os.path.join(COPY, name)), exist_ok=True)
                shutil.copy2(source, os.path.join(COPY, name))
        status, output = run(["cmake", "--preset", "win64", "-DTW_WERROR=ON"], cwd=COPY)
        assert status == 0, output
        cls.unsigned = build_copy()
        cls.rebuilt = dist_files(COPY)

        cls.key = make_key()
        good = {"TW_SIGN_PKCS12": cls.key["key.p12"], "TW_SIGN_PASSWORD_FILE": cls.key["password"]}
        cls.failures = {}

        def fail(case, before, **signing):
            status, output = build_copy(**signing)
            cls.failures[case] = (status, output, before, dist_files(COPY))

        fail("wrong password", cls.rebuilt, TW_SIGN_PKCS12=cls.key["key.p12"],
             TW_SIGN_PASSWORD_FILE=cls.key["wrong"])
        cls.signed = build_copy(**good)
        signed_files = dist_files(COPY)
        # Signing is all or nothing: a server that cannot be reached fails the first program.
        fail("timestamp server unreachable", signed_files, **good,
             TW_SIGN_TIMESTAMP_URL="http://127.0.0.1:9/")
        cls.resigned = build_copy(**good)


class RebuildTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        Builds.prepare()

    def test_a_second_build_in_a_fresh_folder_gives_the_same_bytes(self):
        self.assertEqual(Builds.unsigned[0], 0, Builds.unsigned[1])
        for name, path in SHIPPED.items():
            with self.subTest(file=name):
                first = read(os.path.join(ROOT, path))
                offset = first_difference(first, Builds.rebuilt[path])
                self.assertIsNone(offset, f"{name} differs from the first build at byte {offset} "
                                  f"(0x{offset or 0:x}) of {len(first)}")

    def test_the_time_written_is_the_commits(self):
        # The first build found the time in git itself; the rebuild was given it.
        epoch = commit_time()
        for build, folder in (("first", ROOT), ("rebuild", COPY)):
            for program in PROGRAMS:
                with self.subTest(build=build, program=program):
                    self.assertEqual(pe_time(read(os.path.join(folder, SHIPPED[program]))),
                                     epoch)
            with zipfile.ZipFile(os.path.join(folder, SHIPPED[ZIP])) as archive:
                self.assertEqual([entry.filename for entry in archive.infolist()],
                                 ["Tidewarden/" + p for p in PROGRAMS])
                for entry in archive.infolist():
                    with self.subTest(build=build, entry=entry.filename):
                        # A zip keeps even seconds.
                        self.assertEqual(entry.date_time, time.gmtime(epoch & ~1)[:6])

    def test_without_a_key_the_build_says_in_one_line_it_does_not_sign(self):
        lines = [line for line in Builds.unsigned[1].splitlines()
                 if re.match(r"(Not signing|Signing|Signed)\b", line)]
        self.assertEqual(len(lines), 1, lines)
        self.assertIn("Not signing", lines[0])
        for name in (SETUP, *PROGRAMS):
            with self.subTest(file=name):
                path = os.path.join(KEY, "unsigned.exe")
                with open(path, "wb") as file:
                    file.write(Builds.rebuilt[SHIPPED[name]])
                status, output = verify(path)
                self.assertNotEqual(status, 0, output)


class SigningTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        Builds.prepare()

    def signed_files(self):
        """The signed programs and setup program by name."""
        self.assertEqual(Builds.signed[0], 0, Builds.signed[1])
        self.assertEqual(Builds.resigned[0], 0, Builds.resigned[1])
        return {name: os.path.join(COPY, SHIPPED[name]) for name in (*PROGRAMS, SETUP)}

    def test_every_program_setup_program_and_uninstaller_is_signed(self):
        files = self.signed_files()
        # A signed uninstaller is packed whole, the one packed program that is itself an NSIS
        # program; unsigned, NSIS makes it at install time from the setup program's own header.
        uninstallers = [block for block in nsis_packed(files[SETUP])
                        if block[:2] == b"MZ" and b"NullsoftInst" in block]
        self.assertEqual(len(uninstallers), 1, "the setup program packs no whole uninstaller")
        files["uninstall.exe"] = os.path.join(KEY, "uninstall.exe")
        with open(files["uninstall.exe"], "wb") as file:
            file.write(uninstallers[0])
        for name, path in files.items():
            with self.subTest(file=name):
                status, output = verify(path)
                # The throwaway certificate is its own trust anchor (-CAfile): what this shows
                # is that the signature covers the file as it is and is the key's.
                self.assertEqual(status, 0, output)
                self.assertIn("Signature verification: ok", output)
                self.assertIn("Subject: /CN=Tidewarden release test", output)

    def test_removing_a_signature_gives_back_the_unsigned_bytes(self):
        files = self.signed_files()
        for program in PROGRAMS:
            with self.subTest(program=program):
                stripped = os.path.join(KEY, "stripped.exe")
                status, output = run(["osslsigncode", "remove-signature", "-in", files[program],
                                      "-out", stripped])
                self.assertEqual(status, 0, output)
                unsigned = Builds.rebuilt[SHIPPED[program]]
                self.assertNotEqual(read(files[program]), unsigned)
                offset = first_difference(read(stripped), unsigned)
                self.assertIsNone(offset, f"{program} stripped differs at byte {offset}")
                os.remove(stripped)

    def test_a_signing_failure_fails_the_build_plainly_and_changes_nothing(self):
        said = {"wrong password": ["TW_SIGN_PASSWORD_FILE", "wrong password"],
                "timestamp server unreachable": ["could not sign", "127.0.0.1:9"]}
        self.assertEqual(sorted(said), sorted(Builds.failures))
        for case, (status, output, before, after) in Builds.failures.items():
            with self.subTest(case=case):
                self.assertNotEqual(status, 0, output)
                for words in said[case]:
                    self.assertIn(words, output)
                # Nothing half-written or half-signed is left, and what was there stays.
                self.assertEqual(sorted(after), sorted(before))
                for path in before:
                    self.assertIsNone(first_difference(after[path], before[path]), path)


class ReleaseFolderTest(unittest.TestCase):
    def test_sha256sums_checks_every_zip_and_setup_program_in_dist(self):
        dist = os.path.join(ROOT, "dist")
        status, output = run(["sha256sum", "--check", "--strict", "SHA256SUMS"], cwd=dist)
        self.assertEqual(status, 0, output)
        with open(os.path.join(dist, "SHA256SUMS"), encoding="utf-8") as file:
            listed = [line.split("  ", 1)[1] for line in file.read().splitlines()]
        shipped = sorted(name for name in os.listdir(dist)
                         if re.fullmatch(rf"Tidewarden-{re.escape(VERSION)}-\w+(\.zip|-setup\.exe)",
                                         name))
        self.assertEqual(listed, shipped)
        self.assertIn(SETUP, listed)
        self.assertIn(ZIP, listed)

    def test_manifests_name_the_artifacts_real_hashes_and_the_installers_switches(self):
        unsigned = {k: v for k, v in os.environ.items() if k not in SIGN_VARIABLES}
        status, output = run([os.path.join(ROOT, "tools", "release.sh"), "--base-url", BASE_URL],
                             unsigned)
        self.assertEqual(status, 0, output)
        dist = os.path.join(ROOT, "dist")

        def sha256(name):
            return hashlib.sha256(read(os.path.join(dist, name))).hexdigest()

        winget = {}
        for name in os.listdir(os.path.join(dist, "winget")):
            with open(os.path.join(dist, "winget", name), encoding="utf-8") as file:
                winget[name] = yaml.safe_load(file)
        kinds = sorted(m["ManifestType"] for m in winget.values())
        self.assertEqual(kinds, ["defaultLocale", "installer", "locale", "version"])
        for name, manifest in winget.items():
            with self.subTest(manifest=name):
                self.assertEqual(manifest["PackageVersion"], VERSION)
        installer = next(m for m in winget.values() if m["ManifestType"] == "installer")
        self.assertEqual((installer["InstallerType"], installer["Scope"]), ("nullsoft", "user"))
        arches = {"x64": "win64", "x86": "win32"}
        self.assertEqual(sorted(i["Architecture"] for i in installer["Installers"]),
                         sorted(arches))
        for entry in installer["Installers"]:
            with self.subTest(architecture=entry["Architecture"]):
                name = f"Tidewarden-{VERSION}-{arches[entry['Architecture']]}-setup.exe"
                self.assertEqual(entry["InstallerUrl"], f"{BASE_URL}/{name}")
                self.assertEqual(entry["InstallerSha256"].lower(), sha256(name))

        # The switches the setup program has: NSIS's own and those its .onInit reads.
        with open(os.path.join(ROOT, "installer", "tidewarden.nsi"), encoding="utf-8") as file:
            nsi = file.read()
        known = {"/S", "/D=", "/NCRC"} | set(re.findall(r'\$\{GetOptions\} \S+ "(/\w+=?)"', nsi))
        self.assertIn("/STARTUP=", known)
        switches = installer["InstallerSwitches"]
        self.assertEqual(switches["Silent"], "/S")
        for kind, value in switches.items():
            for word in value.split():
                with self.subTest(switch=word):
                    self.assertIn(re.sub(r"=.*", "=", word), known, f"{kind}: {value}")

        with open(os.path.join(dist, "scoop", "tidewarden.json"), encoding="utf-8") as file:
            scoop = json.load(file)
        self.assertEqual(scoop["version"], VERSION)
        for key, preset in (("64bit", "win64"), ("32bit", "win32")):
            with self.subTest(scoop=key):
                name = f"Tidewarden-{VERSION}-{preset}.zip"
                self.assertEqual(scoop["architecture"][key],
                                 {"url": f"{BASE_URL}/{name}", "hash": sha256(name)})
                with zipfile.ZipFile(os.path.join(dist, name)) as archive:
                    folders = {entry.filename.split("/")[0] for entry in archive.infolist()}
                self.assertEqual(folders, {scoop["extract_dir"]})
        # What persists across updates is what the uninstaller offers to keep.
        kept = re.findall(r'Delete "\$INSTDIR\\(\w+\.ini)"', nsi)
        self.assertEqual(sorted(scoop["persist"]), sorted(kept))
        self.assertEqual(len(kept), 4)


def main():
    suite = unittest.defaultTestLoader.loadTestsFromModule(sys.modules[__name__])
    result = unittest.TextTestRunner(verbosity=2, stream=sys.stdout).run(suite)
    failed = len(result.failures) + len(result.errors)
    passed = result.testsRun - failed - len(result.skipped)
    print(f"{passed} passed, {failed} failed")
    return 0 if failed == 0 and result.testsRun > 0 else 1


if __name__ == "__main__":
    sys.exit(main())
