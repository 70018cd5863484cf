#!/usr/bin/python3
"""Checks the release ZIP as a Windows user gets it:

    check_release.py Kestrane-<version>-win32.zip RES_FOLDER

It unpacks to one folder named like the ZIP, holding Kestrane.exe,
kestrane-cli.exe and readme.txt and nothing else. The exe passes every check of check_exe.py (the
32-bit program, only Windows' own DLLs, its resources), carries no symbols
and has the version the ZIP's name gives; kestrane-cli.exe is a stripped 32-bit
console program; the readme is res/readme.txt."""
import re
import sys
import tempfile
import zipfile
from pathlib import Path

import pefile

import check_exe
from check_exe import check


def check_stripped(pe):
    check(pe.FILE_HEADER.PointerToSymbolTable == 0 and pe.FILE_HEADER.NumberOfSymbols == 0,
          f"a COFF symbol table of {pe.FILE_HEADER.NumberOfSymbols} symbols")
    # GNU ld names its DWARF sections .debug_* or, past 8 characters, /<offset>.
    names = [s.Name.rstrip(b"\0").decode(errors="replace") for s in pe.sections]
    debug = [n for n in names if n.startswith((".debug", "/"))]
    check(not debug, f"debug sections: {debug}")


def main(zip_path, res):
    zip_path = Path(zip_path)
    match = re.fullmatch(r"Kestrane-(\d+)\.(\d+)\.(\d+)-win32\.zip", zip_path.name)
    check(match is not None, f"{zip_path.name} is not named Kestrane-<major>.<minor>.<patch>-win32.zip")
    folder = zip_path.name.removesuffix(".zip")
    with zipfile.ZipFile(zip_path) as archive:
        check(archive.testzip() is None, "a member fails its CRC")
        files = sorted(n for n in archive.namelist() if not n.endswith("/"))
        check(files == [f"{folder}/Kestrane.exe", f"{folder}/kestrane-cli.exe", f"{folder}/readme.txt"],
              f"members: {files}")
        exe = archive.read(f"{folder}/Kestrane.exe")
        console = pefile.PE(data=archive.read(f"{folder}/kestrane-cli.exe"))
        readme = archive.read(f"{folder}/readme.txt")

    check(readme == (res / "readme.txt").read_bytes(), "readme.txt differs from res/readme.txt")
    pe = pefile.PE(data=exe)
    check_stripped(pe)
    check_stripped(console)
    check(console.FILE_HEADER.Machine == pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_I386"], "kestrane-cli.exe is not 32-bit")
    check(console.OPTIONAL_HEADER.Subsystem == pefile.SUBSYSTEM_TYPE["IMAGE_SUBSYSTEM_WINDOWS_CUI"],
          "kestrane-cli.exe is no console program")
    if match:
        major, minor, patch = (int(g) for g in match.groups())
        fixed = pe.VS_FIXEDFILEINFO[0]
        check((fixed.FileVersionMS, fixed.FileVersionLS) == ((major << 16) | minor, patch << 16),
              f"FILEVERSION {fixed.FileVersionMS >> 16}.{fixed.FileVersionMS & 0xFFFF}.{fixed.FileVersionLS >> 16}"
              f" is not the version in the name")
    with tempfile.TemporaryDirectory() as tmp:
        unpacked = Path(tmp) / "Kestrane.exe"
        unpacked.write_bytes(exe)
        check_exe.check_program(str(unpacked), "x86", res)

    for failure in check_exe.failures:
        print("FAIL:", failure)
    print("release checks:", "failed" if check_exe.failures else "passed", f"({zip_path}, {zip_path.stat().st_size} bytes)")
    return 1 if check_exe.failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], Path(sys.argv[2])))
