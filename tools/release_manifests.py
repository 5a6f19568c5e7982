#!/usr/bin/env python3
"""The winget and Scoop manifests of a release, beside its artifacts in DIST (DIST/winget/,
DIST/scoop/), each naming the artifacts' SHA-256 at BASE_URL. Written by tools/release.sh.

  release_manifests.py DIST VERSION BASE_URL SOURCE_DIR
"""
import json
import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "cmake"))
from package import Failure, sha256_of, source_date_epoch, write_if_changed  # noqa: E402

SETTINGS_FILES = ("Tidewarden.ini", "Marrowgate.ini", "Process.ini", "Process2.ini")
PUBLISHER = "Tidewarden Project"
PACKAGE_ID = "TidewardenProject.Tidewarden"


def yaml_document(fields, schema):
    """YAML of nested dicts and lists whose scalars are written as JSON strings and numbers,
    which YAML reads as they are: a version such as 1.10 stays text."""
    lines = [f"# yaml-language-server: $schema={schema}"]

    def emit(value, indent, first_prefix=None):
        pad = " " * indent
        if isinstance(value, dict):
            for number, (key, item) in enumerate(value.items()):
                lead = first_prefix if number == 0 and first_prefix is not None else pad
                if isinstance(item, (dict, list)):
                    lines.append(f"{lead}{key}:")
                    emit(item, indent + 2)
                else:
                    lines.append(f"{lead}{key}: {json.dumps(item, ensure_ascii=False)}")
        else:
            for item in value:
                if isinstance(item, dict):
                    emit(item, indent + 2, first_prefix=pad + "- ")
                else:
                    lines.append(f"{pad}- {json.dumps(item, ensure_ascii=False)}")

    emit(fields, 0)
    return "\n".join(lines) + "\n"


WINGET_SCHEMA = "https://aka.ms/winget-manifest.{}.1.6.0.schema.json"
DESCRIPTIONS = {
    "ja-JP": ("Windows の通知領域に常駐して空き物理メモリーを見守り、少なくなると解放します。",
              "空きメモリーの表示と自動解放、音量と画面解像度の切り替え、プロセス優先度の監視を、"
              "通知領域のアイコンから使えます。管理者の権限は要りません。"),
    "en-US": ("Lives in the notification area, watches free physical memory and releases it "
              "when it runs low.",
              "Shows the free memory, releases memory on its own below a threshold, and offers "
              "volume steps, display modes and a process-priority monitor from the tray icon. "
              "It needs no administrator rights."),
}
ARCHITECTURES = (("win64", "x64", "64bit"), ("win32", "x86", "32bit"))


def write_manifests(dist, version, base_url, source_dir):
    base_url = base_url.rstrip("/")
    url = {}
    digest = {}
    for preset, _, _ in ARCHITECTURES:
        for kind, name in (("setup", f"Tidewarden-{version}-{preset}-setup.exe"),
                           ("zip", f"Tidewarden-{version}-{preset}.zip")):
            path = os.path.join(dist, name)
            if not os.path.isfile(path):
                raise Failure(f"{path} is missing: build the {preset} preset first")
            url[preset, kind] = f"{base_url}/{name}"
            digest[preset, kind] = sha256_of(path)
    epoch = source_date_epoch(source_dir)

    head = {"PackageIdentifier": PACKAGE_ID, "PackageVersion": version}
    winget = {
        f"{PACKAGE_ID}.yaml": ("version", {
            **head, "DefaultLocale": "ja-JP", "ManifestType": "version",
            "ManifestVersion": "1.6.0"}),
        f"{PACKAGE_ID}.installer.yaml": ("installer", {
            **head,
            "InstallerType": "nullsoft",
            "Scope": "user",
            "InstallModes": ["interactive", "silent"],
            # NSIS's own /S and /D=; /STARTUP= is left out, so that an upgrade keeps the
            # start-up choice the user made.
            "InstallerSwitches": {"Silent": "/S", "SilentWithProgress": "/S",
                                  "InstallLocation": "/D=<INSTALLPATH>"},
            "UpgradeBehavior": "install",
            "ProductCode": "Tidewarden",
            "ReleaseDate": time.strftime("%Y-%m-%d", time.gmtime(epoch)),
            "AppsAndFeaturesEntries": [{"DisplayName": "Tidewarden", "Publisher": PUBLISHER,
                                        "DisplayVersion": version,
                                        "ProductCode": "Tidewarden"}],
            "Installers": [{"Architecture": arch, "InstallerUrl": url[preset, "setup"],
                            "InstallerSha256": digest[preset, "setup"].upper()}
                           for preset, arch, _ in ARCHITECTURES],
            "ManifestType": "installer", "ManifestVersion": "1.6.0"}),
    }
    for locale, (short, description) in DESCRIPTIONS.items():
        kind = "defaultLocale" if locale == "ja-JP" else "locale"
        winget[f"{PACKAGE_ID}.locale.{locale}.yaml"] = (kind, {
            **head, "PackageLocale": locale, "Publisher": PUBLISHER,
            "PackageName": "Tidewarden", "License": "Proprietary",
            "ShortDescription": short, "Description": description,
            **({"Moniker": "tidewarden"} if kind == "defaultLocale" else {}),
            "ManifestType": kind, "ManifestVersion": "1.6.0"})
    folder = os.path.join(dist, "winget")
    os.makedirs(folder, exist_ok=True)
    for name, (kind, fields) in winget.items():
        write_if_changed(os.path.join(folder, name),
                         yaml_document(fields, WINGET_SCHEMA.format(kind)))

    # Scoop links each persisted name to its store, and makes a folder of a name that exists
    # on neither side: the settings files are made empty first, which the programs read as
    # absent.
    make_empty = ("foreach ($name in @(" + ", ".join(f"'{n}'" for n in SETTINGS_FILES) +
                  ")) { if (!(Test-Path \"$persist_dir\\$name\")) "
                  "{ New-Item \"$dir\\$name\" -ItemType File | Out-Null } }")
    scoop = {
        "version": version,
        "description": DESCRIPTIONS["en-US"][0],
        "homepage": base_url,
        "license": "Proprietary",
        "architecture": {key: {"url": url[preset, "zip"], "hash": digest[preset, "zip"]}
                         for preset, _, key in ARCHITECTURES},
        "extract_dir": "Tidewarden",
        "pre_install": [make_empty],
        "persist": list(SETTINGS_FILES),
        "shortcuts": [["Tidewarden.exe", "Tidewarden"],
                      ["Marrowgate.exe", "Tidewardenツールの設定"]],
    }
    folder = os.path.join(dist, "scoop")
    os.makedirs(folder, exist_ok=True)
    write_if_changed(os.path.join(folder, "tidewarden.json"),
                     json.dumps(scoop, ensure_ascii=False, indent=2) + "\n")
    print(f"Manifests for {base_url}: {os.path.join(dist, 'winget')}, "
          f"{os.path.join(dist, 'scoop', 'tidewarden.json')}")


def main(argv):
    if len(argv) != 5:
        print(__doc__, file=sys.stderr)
        return 2
    try:
        write_manifests(*argv[1:])
    except Failure as failure:
        print(f"release_manifests.py: {failure}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
