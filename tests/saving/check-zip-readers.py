#!/usr/bin/env python3
"""The zips that zip_backup_tests left, read by readers that are not the program's own.

Each zip must pass Debian's `unzip -t` and Python's zipfile, hold every file of the folder
backup of the same devices under the same name (UTF-8, flag bit 11, "/" between parts) with
the same bytes; zip64.zip must be in ZIP64 form throughout.
    check-zip-readers.py <folder the test wrote>
"""
import os
import subprocess
import sys
import zipfile


def folder_files(folder):
    files = {}
    for root, _, names in os.walk(folder):
        for name in names:
            path = os.path.join(root, name)
            relative = os.path.relpath(path, folder).replace(os.sep, "/")
            if not relative.startswith("Tarnwick-"):
                with open(path, "rb") as handle:
                    files[relative] = handle.read()
    return files


def check(zip_path, expected, zip64):
    result = subprocess.run(["unzip", "-t", zip_path], capture_output=True, text=True, errors="replace")
    if result.returncode != 0:
        sys.exit(f"unzip -t {zip_path} failed:\n{result.stdout}{result.stderr}")
    with zipfile.ZipFile(zip_path) as archive:
        bad = archive.testzip()
        if bad is not None:
            sys.exit(f"{zip_path}: zipfile finds {bad} damaged")
        found = {info.filename: archive.read(info) for info in archive.infolist()
                 if not info.filename.startswith("Tarnwick-")}
        for info in archive.infolist():
            if not info.flag_bits & 0x800:
                sys.exit(f"{zip_path}: {info.filename} lacks the UTF-8 flag")
            if zip64 and not any(info.extra[i:i + 2] == b"\x01\x00" for i in range(0, len(info.extra), 2)):
                sys.exit(f"{zip_path}: {info.filename} has no ZIP64 field")
    if sorted(found) != sorted(expected):
        sys.exit(f"{zip_path}: names differ from the folder backup:\n{sorted(found)}\n{sorted(expected)}")
    for name, data in expected.items():
        # The report names its own target (the zip or the folder): its files are compared by
        # zip_backup_tests.
        if name != "report.json" and found[name] != data:
            sys.exit(f"{zip_path}: {name} differs from the folder backup")
    if not any(ord(c) > 127 for name in found for c in name):
        sys.exit(f"{zip_path}: no name that is not ASCII")
    print(f"{zip_path}: {len(found)} files, as in the folder backup")


def main():
    out = sys.argv[1]
    expected = folder_files(os.path.join(out, "folder"))
    if "Ports/Two (incomplete)/b.inf" not in expected:
        sys.exit("the folder backup lacks its incomplete device")
    check(os.path.join(out, "backup.zip"), expected, zip64=False)
    check(os.path.join(out, "zip64.zip"), expected, zip64=True)


if __name__ == "__main__":
    main()
