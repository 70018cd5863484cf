#!/usr/bin/env bash
# benchmark.sh [KESTRANE] [SUITES | big:MB] [unjudged]
# Converts SUITES (default 1000) generated suites, or one suite whose JAR
# holds MB megabytes, with kestrane (default: the build without sanitizers,
# build/linux/kestrane) and copies the same files with cp -r in the same
# run, on the same disk, caches warm for both, ROUNDS times (default 5);
# prints the median time a suite, its ratio to the copy's median and the
# most memory each took. Runs in $TMPDIR, on a
# tmpfs where the machine has one at /dev/shm. With "unjudged", the class
# entries are stored under names of no class, so that the same bytes are
# converted with nothing to judge: the cost of the checks is the difference.
# Not part of the tests: its figures depend on the machine.
set -euo pipefail
cd "$(dirname "$0")/../.."
kestrane=$(realpath "${1:-build/linux/kestrane}")
count=${2:-1000}
big=0
if [[ $count == big:* ]]; then big=${count#big:}; count=1; fi
classes=.class
if [[ ${3:-} == unjudged ]]; then classes=.bin; fi
if [[ -z ${TMPDIR:-} && -d /dev/shm && -w /dev/shm ]]; then export TMPDIR=/dev/shm; fi
work=$(mktemp -d)
echo "benchmark in $(df --output=fstype "$work" | tail -1) at $work"
trap 'rm -rf "$work"' EXIT

# Suites of 20 to 200 KB as the phone's games were: half with a JAD of their
# own, half alone (kestrane makes the JAD from the manifest). Each holds the
# classes of a small MIDlet the Eclipse compiler made (tests/classes/needs/
# midp10) and 40 more of its Board class under names of their own, so that
# every class of a suite is read and judged.
python3 - "$work/src" "$count" tests/classes/needs/midp10 "$big" "$classes" <<'EOF'
import os, random, sys, zipfile
folder, count, classes, big, ending = sys.argv[1], int(sys.argv[2]), sys.argv[3], int(sys.argv[4]), sys.argv[5]
os.makedirs(folder)
rng = random.Random(1)
main = open(os.path.join(classes, "Main.class"), "rb").read()
board = open(os.path.join(classes, "Board.class"), "rb").read()
copies = {f"B{n:04d}{ending}": board.replace(b"\x00\x05Board", b"\x00\x05" + f"B{n:04d}".encode()) for n in range(40)}
for i in range(count):
    name = f"Spiel {i:04d}"
    manifest = (f"Manifest-Version: 1.0\r\nMIDlet-Name: {name}\r\nMIDlet-Vendor: Bench\r\n"
                f"MIDlet-Version: 1.0\r\nMIDlet-1: {name}, /i.png, Main\r\n\r\n")
    jar = os.path.join(folder, name + ".jar")
    with zipfile.ZipFile(jar, "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr("META-INF/MANIFEST.MF", manifest)
        z.writestr("Main" + ending, main)
        z.writestr("Board" + ending, board)
        for entry, bytes in copies.items():
            z.writestr(entry, bytes)
        z.writestr("i.png", rng.randbytes(500), zipfile.ZIP_STORED)
        z.writestr("res.bin", rng.randbytes(rng.randint(20_000, 180_000)), zipfile.ZIP_STORED)
        with z.open("big.bin", "w", force_zip64=True) as data:  # a game's music and levels, stored
            for _ in range(big):
                data.write(rng.randbytes(1 << 20))
    if i % 2 == 0:
        with open(os.path.join(folder, name + ".jad"), "w", newline="") as jad:
            jad.write(manifest.replace("Manifest-Version: 1.0\r\n", "").rstrip("\r\n") +
                      f"\r\nMIDlet-Jar-URL: {name}.jar\r\nMIDlet-Jar-Size: {os.path.getsize(jar)}\r\n")
EOF

# Wall seconds, the largest resident size in MB, and the processor's
# seconds in the command itself and in the kernel for it, of a command.
measure() {
    local start end used="0 0 0"
    start=$(date +%s.%N)
    if [[ -x /usr/bin/time ]]; then
        used=$(/usr/bin/time -f '%M %U %S' "$@" 2>&1 >/dev/null | tail -1)
    else
        "$@" >/dev/null
    fi
    end=$(date +%s.%N)
    read -r rss user system <<<"$used"
    printf '%s %s %s %s\n' "$(echo "$end - $start" | bc -l)" "$(echo "$rss / 1024" | bc -l)" "$user" "$system"
}

median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# Both run ROUNDS times (default 5), one after the other in each round, and
# the medians count: one run of either swings by half on a busy machine.
find "$work/src" -type f -exec cat {} + >/dev/null  # the files in the cache for both (too many for one cat)
rounds=${ROUNDS:-5}
: >"$work/copies"
: >"$work/converts"
for ((round = 0; round < rounds; round++)); do
    rm -rf "$work/copy" "$work/stj"
    measure cp -r "$work/src" "$work/copy" >>"$work/copies"
    rm -rf "$work/copy"  # room on the tmpfs for 64,000 suites' packages
    measure "$kestrane" "$work/src" -o "$work/stj" >>"$work/converts"
done
copy=$(cut -d' ' -f1 "$work/copies" | median)
copy_rss=$(cut -d' ' -f2 "$work/copies" | median)
convert=$(cut -d' ' -f1 "$work/converts" | median)
rss=$(cut -d' ' -f2 "$work/converts" | sort -g | tail -1)
user=$(cut -d' ' -f3 "$work/converts" | median)
system=$(cut -d' ' -f4 "$work/converts" | median)
copy_system=$(cut -d' ' -f4 "$work/copies" | median)
built=$(find "$work/stj" -name '*.stj' | wc -l)
size=$(du -sm "$work/src" | cut -f1)
printf 'kestrane: %d suites (%d MB), median of %d: %.2f s, %.3f ms a suite, %.0f MB at most; cp -r: %.2f s, %.0f MB; kestrane / cp -r = %.2f\n' \
    "$built" "$size" "$rounds" "$convert" "$(echo "$convert * 1000 / $built" | bc -l)" "$rss" "$copy" "$copy_rss" \
    "$(echo "$convert / $copy" | bc -l)"
# Processor time a suite (medians): what the program itself computes grows
# with its work alone; the kernel's share also with the machine's memory.
printf 'processor time a suite: kestrane %.3f ms own, %.3f ms kernel; cp -r %.3f ms kernel\n' \
    "$(echo "$user * 1000 / $built" | bc -l)" "$(echo "$system * 1000 / $built" | bc -l)" \
    "$(echo "$copy_system * 1000 / $built" | bc -l)"
