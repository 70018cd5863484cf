#!/usr/bin/env bash
# check-deb.sh KESTRANE.deb [EMULATOR...]
# The Debian package as a user meets it: installed with dpkg, `kestrane
# --help` and `man kestrane` say the same options, exit status and signals
# word for word, a generated folder (a space and umlauts in its names) is
# converted, and the package removed leaves neither program nor page. An
# EMULATOR (qemu-aarch64) runs a package of another processor. Needs root.
set -euo pipefail
deb=$(realpath "$1")
shift
emulator=("$@")
package=$(dpkg-deb -f "$deb" Package)
if dpkg -s "$package" >/dev/null 2>&1; then
    echo "check-deb.sh: $package is installed already; remove it first" >&2
    exit 1
fi
work=$(mktemp -d)
trap 'dpkg -r "$package" >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
fail() { echo "check-deb.sh: $*" >&2; exit 1; }

dpkg -i "$deb" >/dev/null
kestrane() { "${emulator[@]}" /usr/bin/kestrane "$@"; }
[ "$(type -P kestrane)" = /usr/bin/kestrane ] || fail "kestrane on the PATH is not /usr/bin/kestrane"
kestrane --help >"$work/help.txt" || fail "kestrane --help failed"
[ "$(man -w kestrane)" = /usr/share/man/man1/kestrane.1.gz ] || fail "man -w kestrane: $(man -w kestrane 2>&1)"
MANWIDTH=80 man --pager=cat kestrane >"$work/man.txt" 2>"$work/man-warnings.txt"
[ ! -s "$work/man-warnings.txt" ] || fail "man: $(cat "$work/man-warnings.txt")"

# The words of a section of the help (its heading ending in ":") and of the
# page (its heading in capitals), lines joined where the page broke a word
# at its hyphen.
python3 - "$work/help.txt" "$work/man.txt" <<'EOF' || fail "--help and the manual page differ"
import re, sys
help_text = open(sys.argv[1], encoding="utf-8").read()
page = open(sys.argv[2], encoding="utf-8").read()
def section(text, heading):
    found = re.search(rf"^{re.escape(heading)}\n(.*?)(?=^\S|\Z)", text, re.M | re.S)
    if not found:
        sys.exit(f"no section {heading!r}")
    return re.sub(r"(\w-)\n\s+", r"\1", found.group(1)).split()
status = 0
for help_heading, page_heading in [("Optionen:", "OPTIONEN"), ("Exit-Status:", "EXIT-STATUS"), ("Signale:", "SIGNALE")]:
    shown, written = section(help_text + "\n", help_heading), section(page, page_heading)
    if shown != written or len(shown) < 10:
        print(f"{help_heading}\n  --help: {' '.join(shown)}\n  man:    {' '.join(written)}", file=sys.stderr)
        status = 1
sys.exit(status)
EOF
# Every option the help names is one the program takes.
while IFS= read -r option; do
    if kestrane "$option" 2>&1 | grep -q "Unbekannte Option"; then fail "--help names $option, which kestrane refuses"; fi
done < <(grep -oE '^  -[-a-z]*' "$work/help.txt" | sed 's/^  //')

python3 - "$work/Meine Spiele" <<'EOF'
import os, sys, zipfile
os.makedirs(sys.argv[1])
for name in ["Größe", "mit Leerzeichen"]:
    with zipfile.ZipFile(os.path.join(sys.argv[1], name + ".jar"), "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr("META-INF/MANIFEST.MF", f"Manifest-Version: 1.0\r\nMIDlet-Name: {name}\r\nMIDlet-Vendor: V\r\n"
                   f"MIDlet-Version: 1.0\r\nMIDlet-1: {name}, /i.png, a.Main\r\n\r\n")
        # Only the magic of a class: the phone could not load it.
        z.writestr("a/Main.class", b"\xca\xfe\xba\xbe")
        z.writestr("i.png", b"\x89PNG")
EOF
(cd "$work" && kestrane "Meine Spiele" -o STJ >out.txt) || fail "the conversion failed: $(cat "$work/out.txt")"
grep -qx "2 von 2 erstellt, 0 vorhanden, 0 übersprungen, 0 fehlgeschlagen, 0 von 2 laufen auf dem Telefon" \
    "$work/out.txt" ||
    fail "the conversion says: $(cat "$work/out.txt")"
for name in "Größe" "mit Leerzeichen"; do
    members=$(lsar "$work/STJ/$name.stj" | tail -n +2 | sort | tr '\n' ' ')
    [ "$members" = "java.jah java.utf stjava.ini " ] || fail "$name.stj holds: $members"
done

dpkg -r "$package" >/dev/null
[ ! -e /usr/bin/kestrane ] || fail "/usr/bin/kestrane stays after dpkg -r"
if man -w kestrane >/dev/null 2>&1; then fail "man -w kestrane still finds a page after dpkg -r"; fi
echo "check-deb.sh: $(basename "$deb") installed, its help and page agree, 2 suites converted, removed: passed"
