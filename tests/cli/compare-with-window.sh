#!/usr/bin/env bash
# compare-with-window.sh
# One folder of generated suites of every kind, converted by the window
# (Kestrane.exe /ordner QUELLE ZIEL under Wine) and by kestrane (QUELLE -o
# ZIEL2), both with the same SOURCE_DATE_EPOCH and time zone: the same
# packages must come out, byte for byte, under the same names. Needs the
# windows-x86 build (and its Wine prefix) and the native one.
set -euo pipefail
cd "$(dirname "$0")/../.."
# CTest passes the three; by hand, the presets' folders are taken.
kestrane=${KESTRANE_CLI:-$PWD/build/native/kestrane}
window=${KESTRANE_EXE:-$(cat build/windows-x86/program-path.txt)}
export KESTRANE_WINEPREFIX=${KESTRANE_WINEPREFIX:-$PWD/build/windows-x86/wineprefix}
if [ ! -x "$kestrane" ]; then
    echo "compare-with-window.sh: no kestrane at $kestrane; build the native preset first" >&2
    exit 1
fi
work=$(mktemp -d "$PWD/build/windows-x86/compare.XXXXXX")
trap 'rm -rf "$work"' EXIT

python3 - "$work/src" <<'EOF'
import os, struct, sys, zipfile
src = sys.argv[1]
def minimal_class(name, filler=b""):
    # The smallest class the phone loads: version 46, no fields, no methods.
    def utf8(text): return b"\x01" + struct.pack(">H", len(text)) + text
    pool = b"\x07\x00\x02" + utf8(name) + b"\x07\x00\x04" + utf8(b"javax/microedition/midlet/MIDlet") + utf8(filler)
    return b"\xca\xfe\xba\xbe" + struct.pack(">HHH", 0, 46, 6) + pool + struct.pack(">HHHHHHH", 0x21, 1, 3, 0, 0, 0, 0)
def jar(path, name, cut=False):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr("META-INF/MANIFEST.MF", f"Manifest-Version: 1.0\r\nMIDlet-Name: {name}\r\nMIDlet-Vendor: V\r\n"
                   f"MIDlet-Version: 1.0\r\nMIDlet-1: {name}, /i.png, a.Main\r\n\r\n")
        z.writestr("a/Main.class", minimal_class(b"a/Main", b"c" * 400))
        z.writestr("i.png", b"\x89PNG", zipfile.ZIP_STORED)
    if cut:
        data = open(path, "rb").read()
        open(path, "wb").write(data[:40])
    return os.path.getsize(path)
def jad(path, name, url, size, utf16=False):
    text = (f"MIDlet-Name: {name}\r\nMIDlet-Vendor: V\r\nMIDlet-Version: 1.0\r\nMIDlet-1: {name}, /i.png, a.Main\r\n"
            f"MIDlet-Jar-URL: {url}\r\nMIDlet-Jar-Size: {size}\r\n")
    open(path, "wb").write(text.encode("utf-16") if utf16 else text.encode("utf-8"))
jar(f"{src}/Allein.jar", "Allein")
jad(f"{src}/Paar.jad", "Paar", "Paar.jar", jar(f"{src}/Paar.jar", "Paar"))
jar(f"{src}/Falsch.jar", "Falsch")
jad(f"{src}/Falsch.jad", "Falsch", "Falsch.jar", 7)
jad(f"{src}/Anders.jad", "Inhalt", "Inhalt.jar", jar(f"{src}/Inhalt.jar", "Inhalt"))
jad(f"{src}/Breit.jad", "Breit", "Breit.jar", jar(f"{src}/Breit.jar", "Breit"), utf16=True)
jar(f"{src}/Kaputt.jar", "Kaputt", cut=True)
for name in ["mit Leerzeichen", "Größe", "漢字"]:
    jar(f"{src}/{name}.jar", name)
EOF

export SOURCE_DATE_EPOCH=1109912768 TZ=UTC
windows_path() { printf 'Z:%s' "${1//\//\\}"; }
# /ordner ends by itself when the run is over, with the run's exit code.
window_code=0
timeout 300 tests/wine/with-xvfb.sh tests/wine/wine-run.sh "$window" /ordner \
    "$(windows_path "$work/src")" "$(windows_path "$work/window")" || window_code=$?
tool_code=0
"$kestrane" "$work/src" -o "$work/tool" >/dev/null || tool_code=$?

status=0
if [ "$window_code" != "$tool_code" ]; then
    echo "compare-with-window.sh: exit codes differ: window $window_code, kestrane $tool_code" >&2
    status=1
fi
packages() { (cd "$1" && find . -name '*.stj' | sort); }
if ! diff <(packages "$work/window") <(packages "$work/tool") >&2; then
    echo "compare-with-window.sh: the window and kestrane made different packages" >&2
    status=1
fi
count=0
while IFS= read -r stj; do
    cmp "$work/window/$stj" "$work/tool/$stj" >&2 || status=1
    count=$((count + 1))
done < <(packages "$work/window")
[ "$count" -gt 0 ] || { echo "compare-with-window.sh: no packages made" >&2; status=1; }
echo "compare-with-window.sh: $count packages compared, exit codes $window_code and $tool_code:" \
    "$([ $status = 0 ] && echo same || echo DIFFERENT)"
exit $status
