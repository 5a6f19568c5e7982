"""What the shipped programs carry, read from the files themselves and their sources."""
import os
import re
import subprocess
import unittest
import zipfile

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
PROGRAMS = ["Tidewarden.exe", "Marrowgate.exe", os.path.join("Scrubwright", "Scrubwright.exe")]
# Windows' own libraries, which the system loads from System32 whatever the program folder holds.
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "shell32.dll", "msvcrt.dll",
               "ole32.dll", "winmm.dll", "comctl32.dll", "advapi32.dll"}


def builds():
    for preset in ("win32", "win64"):
        folder = os.path.join(ROOT, "dist", preset, "Tidewarden")
        if os.path.isdir(folder):
            yield preset, folder


def headers(exe):
    return subprocess.run(["x86_64-w64-mingw32-objdump", "-p", exe], check=True,
                          capture_output=True, text=True, timeout=60).stdout


class BinariesTest(unittest.TestCase):
    def test_programs_import_only_system_libraries(self):
        for preset, folder in builds():
            for program in PROGRAMS:
                with self.subTest(preset=preset, program=program):
                    dlls = {name.lower() for name in
                            re.findall(r"DLL Name: (\S+)", headers(os.path.join(folder, program)))}
                    self.assertTrue(dlls, "no import table read")
                    self.assertLessEqual(dlls, SYSTEM_DLLS)

    def test_programs_run_as_the_user_in_the_ansi_code_page(self):
        for preset, folder in builds():
            for program in PROGRAMS:
                with self.subTest(preset=preset, program=program):
                    with open(os.path.join(folder, program), "rb") as file:
                        data = file.read()
                    self.assertIn(b'requestedExecutionLevel level="asInvoker"', data)
                    self.assertIn(b"Microsoft.Windows.Common-Controls", data)
                    self.assertNotIn(b"activeCodePage", data)

    def test_programs_are_built_for_address_randomisation_and_no_execute(self):
        for preset, folder in builds():
            wanted = {"DYNAMIC_BASE", "NX_COMPAT"}
            # Randomised over the whole 64-bit address space; a 32-bit image has no such flag.
            if preset == "win64":
                wanted.add("HIGH_ENTROPY_VA")
            for program in PROGRAMS:
                with self.subTest(preset=preset, program=program):
                    text = headers(os.path.join(folder, program))
                    # The flag names objdump lists under the field, one a line.
                    found = re.search(r"^DllCharacteristics\t+[0-9a-f]+((?:\n\t+[A-Z_]+)*)",
                                      text, re.MULTILINE)
                    self.assertIsNotNone(found, "no DllCharacteristics read")
                    self.assertLessEqual(wanted, set(found.group(1).split()))

    def test_programs_hold_no_path_of_the_folder_they_were_built_in(self):
        # A path inside would make another folder's build of the same source differ.
        for preset, folder in builds():
            for program in PROGRAMS:
                with self.subTest(preset=preset, program=program):
                    with open(os.path.join(folder, program), "rb") as file:
                        data = file.read()
                    for form in (ROOT.encode(), ROOT.encode("utf-16-le")):
                        self.assertEqual(data.find(form), -1, f"{ROOT} at this offset")

    def test_zip_holds_exactly_the_programs_as_built(self):
        with open(os.path.join(ROOT, "CMakeLists.txt"), encoding="utf-8") as file:
            version = re.search(r"project\(Tidewarden VERSION ([0-9.]+)", file.read()).group(1)
        for preset, folder in builds():
            with self.subTest(preset=preset):
                path = os.path.join(ROOT, "dist", f"Tidewarden-{version}-{preset}.zip")
                with zipfile.ZipFile(path) as archive:
                    files = {info.filename: archive.read(info) for info in archive.infolist()
                             if not info.is_dir()}
                expected = {"Tidewarden/" + program.replace(os.sep, "/"): program
                            for program in PROGRAMS}
                # Nothing a run left in the program folder (hwnd.tmp, settings) is shipped.
                self.assertEqual(sorted(files), sorted(expected))
                for name, program in expected.items():
                    with open(os.path.join(folder, program), "rb") as file:
                        self.assertEqual(files[name], file.read(), f"{name} is stale")

    def test_dll_search_is_restricted_before_anything_else(self):
        for program in ("tidewarden", "marrowgate", "scrubwright"):
            with self.subTest(program=program):
                with open(os.path.join(ROOT, program, "main_win32.cpp"), encoding="utf-8") as file:
                    source = file.read()
                body = source[source.index("wWinMain("):]
                first = body[body.index("{") + 1:].strip().splitlines()[0].strip()
                self.assertEqual(first, "platform::win32::RestrictDllSearch();")

    def test_programs_are_started_in_one_place(self):
        users = []
        for folder in ("tidewarden", "marrowgate", "scrubwright", "platform", "common"):
            for base, _, files in os.walk(os.path.join(ROOT, folder)):
                for name in files:
                    if not name.endswith((".cpp", ".h")) or name.endswith("_test.cpp"):
                        continue
                    path = os.path.join(base, name)
                    with open(path, encoding="utf-8") as file:
                        text = file.read()
                    if re.search(r"\b(CreateProcess\w*|ShellExecute\w*|WinExec|system)\s*\(",
                                 text):
                        users.append(os.path.relpath(path, ROOT))
        self.assertEqual(users, [os.path.join("platform", "win32", "process_launcher_win32.cpp")])


if __name__ == "__main__":
    unittest.main()
