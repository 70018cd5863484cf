#!/usr/bin/env bash
# benchmark.sh [KESTRANE] [SUITES]
# Converts SUITES (default 1000) generated suites with kestrane (default: the
# build without sanitizers, build/linux/kestrane) and copies the same files
# with cp -r in the same run, on the same disk, caches warm for both; prints
# suites per second and the time against the copy. Not part of the tests:
# its figures depend on the machine.
set -euo pipefail
cd "$(dirname "$0")/../.."
kestrane=$(realpath "${1:-build/linux/kestrane}")
count=${2:-1000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Suites of 20 to 200 KB as the phone's games were: half with a JAD of their
# own, half alone (kestrane makes the JAD from the manifest). Each holds the
# classes of a small MIDlet the Eclipse compiler made (tests/classes/needs/
# midp10) and 40 more of its Board class under names of their own, so that
# every class of a suite is read and judged.
python3 - "$work/src" "$count" tests/classes/needs/midp10 <<'EOF'
import os, random, sys, zipfile
folder, count, classes = sys.argv[1], int(sys.argv[2]), sys.argv[3]
os.makedirs(folder)
rng = random.Random(1)
main = open(os.path.join(classes, "Main.class"), "rb").read()
board = open(os.path.join(classes, "Board.class"), "rb").read()
copies = {f"B{n:04d}.class": board.replace(b"\x00\x05Board", b"\x00\x05" + f"B{n:04d}".encode()) for n in range(40)}
for i in range(count):
    name = f"Spiel {i:04d}"
    manifest = (f"Manifest-Version: 1.0\r\nMIDlet-Name: {name}\r\nMIDlet-Vendor: Bench\r\n"
                f"MIDlet-Version: 1.0\r\nMIDlet-1: {name}, /i.png, Main\r\n\r\n")
    jar = os.path.join(folder, name + ".jar")
    with zipfile.ZipFile(jar, "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr("META-INF/MANIFEST.MF", manifest)
        z.writestr("Main.class", main)
        z.writestr("Board.class", board)
        for entry, bytes in copies.items():
            z.writestr(entry, bytes)
        z.writestr("i.png", rng.randbytes(500), zipfile.ZIP_STORED)
        z.writestr("res.bin", rng.randbytes(rng.randint(20_000, 180_000)), zipfile.ZIP_STORED)
    if i % 2 == 0:
        with open(os.path.join(folder, name + ".jad"), "w", newline="") as jad:
            jad.write(manifest.replace("Manifest-Version: 1.0\r\n", "").rstrip("\r\n") +
                      f"\r\nMIDlet-Jar-URL: {name}.jar\r\nMIDlet-Jar-Size: {os.path.getsize(jar)}\r\n")
EOF

seconds() { local start end; start=$(date +%s.%N); "$@" >/dev/null; end=$(date +%s.%N); echo "$end - $start" | bc -l; }

cat "$work"/src/* >/dev/null  # the files in the cache for both
copy=$(seconds cp -r "$work/src" "$work/copy")
convert=$(seconds "$kestrane" "$work/src" -o "$work/stj")
built=$(find "$work/stj" -name '*.stj' | wc -l)
size=$(du -sm "$work/src" | cut -f1)
printf 'kestrane: %d suites (%d MB) in %.2f s: %.0f suites/s; cp -r: %.2f s; kestrane / cp -r = %.2f\n' \
    "$built" "$size" "$convert" "$(echo "$built / $convert" | bc -l)" "$copy" "$(echo "$convert / $copy" | bc -l)"
