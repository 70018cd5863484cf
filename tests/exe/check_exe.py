#!/usr/bin/python3
"""Reads a built Kestrane.exe back and checks what a user's Windows relies on:
the machine type, that it needs no DLL beyond Windows' own, and its
resources (manifest, version block, icon, phone picture, hand cursor, menu)."""
import struct
import sys
import xml.etree.ElementTree as ET
import zlib
from pathlib import Path

import pefile
from PIL import Image

SYSTEM_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "comdlg32.dll", "shell32.dll",
    "advapi32.dll", "ole32.dll", "oleaut32.dll", "msvcrt.dll",
}
MACHINES = {"x86": 0x14C, "x64": 0x8664}
VERSION_STRINGS = {
    "FileVersion": "1.00", "InternalName": "Kestrane", "OriginalFilename": "Kestrane.exe",
    "ProductName": "Kestrane", "ProductVersion": "1.00",
}
RT_CURSOR, RT_ICON, RT_MENU, RT_RCDATA, RT_GROUP_CURSOR, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 1, 3, 4, 10, 12, 14, 16, 24

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def resources(pe):
    """{(type, id): bytes} for every resource; string types keep their name."""
    found = {}
    for rtype in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        type_key = str(rtype.name) if rtype.name is not None else rtype.id
        for rid in rtype.directory.entries:
            for lang in rid.directory.entries:
                data = lang.data.struct
                found[(type_key, rid.id)] = pe.get_data(data.OffsetToData, data.Size)
    return found


def check_imports(pe):
    dlls = {entry.dll.decode().lower() for entry in pe.DIRECTORY_ENTRY_IMPORT}
    check(dlls <= SYSTEM_DLLS, f"imports beyond Windows' own DLLs: {sorted(dlls - SYSTEM_DLLS)}")


def check_version(pe):
    fixed = pe.VS_FIXEDFILEINFO[0]
    check((fixed.FileVersionMS, fixed.FileVersionLS) == (0x10000, 0), "FILEVERSION is not 1,0,0,0")
    check((fixed.ProductVersionMS, fixed.ProductVersionLS) == (0x10000, 0), "PRODUCTVERSION is not 1,0,0,0")
    tables = [t for info in pe.FileInfo[0] if info.Key == b"StringFileInfo" for t in info.StringTable]
    check([t.LangID.upper() for t in tables] == [b"040704B0"], f"string blocks: {[t.LangID for t in tables]}")
    strings = {k.decode(): v.decode() for t in tables for k, v in t.entries.items()}
    company = strings.pop("CompanyName", "")
    check(company != "", "CompanyName missing")
    check(strings == VERSION_STRINGS, f"version strings: {strings}")
    translations = [v for info in pe.FileInfo[0] if info.Key == b"VarFileInfo" for v in info.Var]
    check([v.entry.get(b"Translation") for v in translations] == ["0x0407 0x04b0"],
          f"translation: {[v.entry for v in translations]}")


ASM_V1, ASM_V3 = "{urn:schemas-microsoft-com:asm.v1}", "{urn:schemas-microsoft-com:asm.v3}"


def check_manifest(manifest, res):
    check(manifest == (res / "Kestrane.manifest").read_bytes(), "manifest resource differs from res/Kestrane.manifest")
    if manifest is None:
        return
    root = ET.fromstring(manifest)
    # What Windows reads: the one dependency, on the x86 common controls 6 ...
    ids = root.findall(f"{ASM_V1}dependency/{ASM_V1}dependentAssembly/{ASM_V1}assemblyIdentity")
    check([(i.get("name"), i.get("version"), i.get("processorArchitecture"), i.get("publicKeyToken")) for i in ids]
          == [("Microsoft.Windows.Common-Controls", "6.0.0.0", "X86", "6595b64144ccf1df")],
          f"manifest dependencies: {[i.attrib for i in ids]}")
    # ... and a requested execution level: without one, Windows takes a 32-bit
    # program for a legacy one and redirects its writes into protected
    # folders to the user's VirtualStore, where other programs miss them.
    levels = root.findall(f"{ASM_V3}trustInfo/{ASM_V3}security/{ASM_V3}requestedPrivileges/"
                          f"{ASM_V3}requestedExecutionLevel")
    check([level.attrib for level in levels] == [{"level": "asInvoker", "uiAccess": "false"}],
          f"requested execution levels: {[level.attrib for level in levels]}")


def check_icon(found):
    group = found.get((RT_GROUP_ICON, 1))
    check(group is not None, "icon group 1 missing")
    if group is None:
        return
    _, _, count = struct.unpack_from("<HHH", group)
    entries = [struct.unpack_from("<BBBBHHIH", group, 6 + 14 * i) for i in range(count)]
    sizes = sorted((e[0] or 256, e[5]) for e in entries)
    check(sizes == [(16, 32), (32, 32), (48, 32)], f"icon images: {sizes}")


def check_cursor(found):
    groups = [data for (t, _), data in found.items() if t == RT_GROUP_CURSOR]
    check(len(groups) == 1, "one hand cursor expected")
    cursors = [data for (t, _), data in found.items() if t == RT_CURSOR]
    check(len(cursors) == 1, "one cursor image expected")
    if cursors:
        hot_x, hot_y = struct.unpack_from("<HH", cursors[0])
        width, height2, _, bits = struct.unpack_from("<IiHH", cursors[0], 4 + 4)
        check((hot_x, hot_y) == (12, 1), f"cursor hot spot {(hot_x, hot_y)}")
        check((width, height2 // 2, bits) == (32, 32, 4), f"cursor {width}x{height2 // 2} at {bits} bits")


def check_picture(found, res):
    deflated = found.get((RT_RCDATA, 101))
    check(deflated is not None, "phone picture missing")
    if deflated is None:
        return
    check(deflated == (res / "st60.pixels").read_bytes(), "phone picture differs from res/st60.pixels")
    # The program builds the GIF back from the palette and the colour
    # indices; they must be the drawn picture's, read by Pillow.
    try:
        pixels = zlib.decompress(deflated)
    except zlib.error as error:
        check(False, f"phone picture does not inflate: {error}")
        return
    drawn = Image.open(res / "st60.gif")
    check(drawn.size == (260, 400) and drawn.info.get("transparency") == 255,
          f"res/st60.gif: {drawn.size}, transparency {drawn.info.get('transparency')}")
    check(pixels == bytes(drawn.getpalette()) + drawn.tobytes(),
          "phone picture: palette and pixels differ from res/st60.gif's")


def check_program(exe, machine, res):
    pe = pefile.PE(exe)
    check(pe.FILE_HEADER.Machine == MACHINES[machine], f"machine {pe.FILE_HEADER.Machine:#x}, not {machine}")
    check(pe.OPTIONAL_HEADER.Subsystem == 2, "not a windowed (GUI) program")
    check_imports(pe)
    check_version(pe)
    found = resources(pe)
    check_manifest(found.get((RT_MANIFEST, 1)), res)
    check((RT_MENU, 100) in found, "main menu missing")
    check_icon(found)
    check_cursor(found)
    check_picture(found, res)


def main(exe, machine, res):
    check_program(exe, machine, res)
    for failure in failures:
        print("FAIL:", failure)
    print("exe checks:", "failed" if failures else "passed", f"({exe}, {Path(exe).stat().st_size} bytes)")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2], Path(sys.argv[3])))
