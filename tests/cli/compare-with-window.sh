#!/usr/bin/env bash
# compare-with-window.sh
# One folder of generated suites of every kind, converted by the window
# (Kestrane.exe /ordner QUELLE ZIEL under Wine), by the Windows console tool
# (kestrane-cli.exe QUELLE -o ZIEL2 under Wine) and by Linux kestrane
# (QUELLE -o ZIEL3), all with the same SOURCE_DATE_EPOCH and time zone: the
# same packages must come out, byte for byte, under the same names, with the
# same exit code, and the console tool must say what Linux kestrane says, in
# UTF-8, through a pipe and on Wine's console alike. Every front end shows the
# same verdict for the same suite: the window's log and kestrane --json give
# each suite the same result and say alike whether it runs on the phone, for
# generated suites and for two games of compiled classes (one that runs, one
# that needs MIDP 2.0). Needs the windows-x86 build (and its Wine prefix) and
# the native one.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
# CTest passes the three; by hand, the presets' folders are taken.
kestrane=${KESTRANE_CLI:-$PWD/build/native/kestrane}
window=${KESTRANE_EXE:-$(cat build/windows-x86/program-path.txt)}
console=${KESTRANE_CONSOLE:-$PWD/build/windows-x86/kestrane-cli.exe}
export KESTRANE_WINEPREFIX=${KESTRANE_WINEPREFIX:-$PWD/build/windows-x86/wineprefix}
if [ ! -x "$kestrane" ]; then
    echo "compare-with-window.sh: no kestrane at $kestrane; build the native preset first" >&2
    exit 1
fi
work=$(mktemp -d "$PWD/build/windows-x86/compare.XXXXXX")
trap 'rm -rf "$work"' EXIT

python3 - "$work/src" "$root/tests/classes/needs" <<'EOF'
import os, struct, sys, zipfile
src, games = sys.argv[1:3]
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
def game_jar(path, name, classes):
    # Every class file of the game's folder, named as below it.
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr("META-INF/MANIFEST.MF", f"Manifest-Version: 1.0\r\nMIDlet-Name: {name}\r\nMIDlet-Vendor: V\r\n"
                   f"MIDlet-Version: 1.0\r\nMIDlet-1: {name}, , Main\r\n\r\n")
        for folder, _, files in sorted(os.walk(classes)):
            for file in sorted(f for f in files if f.endswith(".class")):
                z.write(os.path.join(folder, file), os.path.relpath(os.path.join(folder, file), classes))
game_jar(f"{src}/Brett.jar", "Brett", f"{games}/midp10")
game_jar(f"{src}/Spielfeld.jar", "Spielfeld", f"{games}/gamecanvas")
EOF

export SOURCE_DATE_EPOCH=1109912768 TZ=UTC
windows_path() { printf 'Z:%s' "${1//\//\\}"; }
# /ordner ends by itself when the run is over, with the run's exit code.
window_code=0
timeout 300 tests/wine/with-xvfb.sh tests/wine/wine-run.sh "$window" /ordner \
    "$(windows_path "$work/src")" "$(windows_path "$work/window")" || window_code=$?
tool_code=0
(cd "$work" && "$kestrane" src -o tool >tool.txt) || tool_code=$?
json_code=0
(cd "$work" && "$kestrane" --json src -o json >json.txt) || json_code=$?
console_code=0
(cd "$work" && "$root/tests/wine/wine-run.sh" "$console" src -o console >console.txt) || console_code=$?

status=0
differ() { echo "compare-with-window.sh: $*" >&2; status=1; }
[ "$window_code" = "$tool_code" ] && [ "$console_code" = "$tool_code" ] && [ "$json_code" = "$tool_code" ] ||
    differ "exit codes differ: window $window_code, kestrane-cli.exe $console_code, kestrane $tool_code," \
        "kestrane --json $json_code"
packages() { (cd "$1" && find . -name '*.stj' | sort); }
for made in tool console; do
    diff <(packages "$work/window") <(packages "$work/$made") >&2 || differ "the window and $made made different packages"
done
count=0
while IFS= read -r stj; do
    cmp "$work/window/$stj" "$work/tool/$stj" >&2 || status=1
    cmp "$work/window/$stj" "$work/console/$stj" >&2 || status=1
    count=$((count + 1))
done < <(packages "$work/window")
[ "$count" -gt 0 ] || differ "no packages made"

# The same verdict in the window's log as in kestrane's JSON, suite by suite,
# and each verdict met at least once.
python3 - "$work/window/kestrane-protokoll.txt" "$work/json.txt" <<'EOF' >&2 || differ "the window's log and kestrane --json differ"
import json, ntpath, sys
raw = open(sys.argv[1], "rb").read()
ok = raw.startswith(b"\xef\xbb\xbf") and raw.count(b"\n") == raw.count(b"\r\n")
if not ok: print("the window's log is not UTF-8 with a BOM and CR LF")
rows = raw[3:].decode("utf-8").split("\r\n")
heading, suites, summary = rows[0], rows[1:-2], rows[-2]
if heading != "Datei\tSuite\tErgebnis\tTelefon" or rows[-1] != "":
    ok = False
    print(f"the window's log begins {heading!r} and ends {rows[-1]!r}")
verdicts = {True: "läuft", False: "läuft nicht", None: ""}
window = {ntpath.basename(row.split("\t")[0]): row.split("\t")[2:] for row in suites}
told = [json.loads(line) for line in open(sys.argv[2], encoding="utf-8")]
tool = {ntpath.basename(entry["datei"]): entry for entry in told[:-1]}
if window.keys() != tool.keys():
    ok = False
    print(f"suites in the window's log: {sorted(window)}, in kestrane's JSON: {sorted(tool)}")
for name in sorted(window.keys() & tool.keys()):
    entry = tool[name]
    if window[name] != [entry["ergebnis"], verdicts[entry["laeuft"]]]:
        ok = False
        print(f"{name}: the window logs {window[name]}, kestrane says {entry['ergebnis']!r}, laeuft {entry['laeuft']}")
    if (entry["laeuft"] is False) != bool(entry["braucht"]):
        ok = False
        print(f"{name}: laeuft {entry['laeuft']} but braucht {entry['braucht']}")
if summary != told[-1]["zusammenfassung"]:
    ok = False
    print(f"the window's log sums up {summary!r}, kestrane {told[-1]['zusammenfassung']!r}")
seen = {entry["laeuft"] for entry in tool.values()}
if seen != {True, False, None}:
    ok = False
    print(f"the folder's suites give only the verdicts {seen}")
sys.exit(0 if ok else 1)
EOF

# The console tool's lines are Linux kestrane's with Windows' separator, in
# UTF-8 (each tool lists the folder in its system's order).
said() { tr '\\' / <"$1" | sed 's/\r$//; s|Z:/|/|g' | sort; }
diff <(said "$work/tool.txt") <(said "$work/console.txt") >&2 || differ "kestrane-cli.exe says other lines than kestrane"
# On Wine's console (a terminal of its own), not a pipe: the same summary,
# the same help, and a usage error named in its quotes, with exit code 2.
# The console draws on the terminal with escape sequences and breaks its lines
# at the terminal's width: a wide terminal keeps each line whole.
on_console() {
    (cd "$work" && script -qec "stty cols 1000; $(printf '%q ' "$root/tests/wine/wine-run.sh" "$console" "$@")" /dev/null) |
        sed 's/\x1b\[[?0-9;]*[A-Za-z]//g' | tr -d '\r'
}
summary=$(tail -n 1 "$work/tool.txt")
shown=$(on_console src -o console-again) || true
grep -qxF "$summary" <<<"$shown" || differ "the console did not show: $summary"
diff <("$kestrane" --help) <(on_console --help) >&2 || differ "the console showed another --help"
usage_code=0
on_console --unbekannt >"$work/usage.txt" || usage_code=$?
[ "$usage_code" = 2 ] && grep -qF "kestrane: Unbekannte Option „--unbekannt“" "$work/usage.txt" ||
    differ "a usage error on the console: exit code $usage_code, $(cat "$work/usage.txt")"
# A target that ignores case, as Windows' does: Game.jar and game.jar of two
# folders still make two packages, the second under a name of its own.
mkdir -p "$work/case/a" "$work/case/b"
cp "$work/src/Allein.jar" "$work/case/a/Game.jar"
cp "$work/src/Paar.jar" "$work/case/b/game.jar"
(cd "$work" && "$root/tests/wine/wine-run.sh" "$console" case/a/Game.jar case/b/game.jar -o case-out >case.txt) ||
    differ "Game.jar and game.jar: exit code $?, $(cat "$work/case.txt")"
[ "$(cd "$work/case-out" && ls ./*.stj | LC_ALL=C sort | tr '\n' ' ')" = "./Game.stj ./game (2).stj " ] ||
    differ "Game.jar and game.jar made: $(ls "$work/case-out")"
echo "compare-with-window.sh: $count packages compared, exit codes $window_code, $console_code and $tool_code:" \
    "$([ $status = 0 ] && echo same || echo DIFFERENT)"
exit $status
