#!/usr/bin/env bash
# Prints the Wine loader that runs 32-bit Windows programs on this machine and
# exits 0; exits 1 (printing nothing) when there is none. CMake, the test
# scripts and tools/run.sh run Kestrane.exe and its tests with this loader.
#
#   KESTRANE_WINE  a loader of your own; it is only checked
#
# Where the kernel runs 32-bit (IA-32) code, this is Wine's own 32-bit loader.
# Some kernels run none ("Exec format error"); there the same loader runs
# under qemu's i386 user-mode emulator, which needs qemu-user 8.1 or newer
# (tools/setup.sh installs it). Wine starts every process, itself included,
# through "<folder of the running loader>/wine", taking the folder from
# /proc/self/exe, which under qemu names the emulated file. So the loader runs
# from a folder of its own, build/wine-i386/lib/wine: a copy of it (wine.bin)
# beside a script "wine" that hands it to qemu, and links where the loader
# looks for Wine's libraries and data, relative to its folder. This script
# makes that folder, and remakes it when Wine was updated.
set -u

native=/usr/lib/wine/wine
runs() { "$1" --version >/dev/null 2>&1; }

if [ -n "${KESTRANE_WINE:-}" ]; then
    if runs "$KESTRANE_WINE"; then echo "$KESTRANE_WINE"; exit 0; fi
    echo "wine-can-run-32bit.sh: KESTRANE_WINE=$KESTRANE_WINE does not run" >&2
    exit 1
fi
[ -x "$native" ] || exit 1
if runs "$native"; then echo "$native"; exit 0; fi

qemu=$(command -v qemu-i386) || exit 1
# Older ones treat MAP_FIXED_NOREPLACE as a hint, and Wine cannot map its
# shared data where it must ("failed to map the shared user data").
qemu_version=$("$qemu" --version | sed -n '1s/.*version \([0-9]*\)\.\([0-9]*\).*/\1 \2/p')
read -r major minor <<<"${qemu_version:-0 0}"
if [ "$major" -lt 8 ] || { [ "$major" -eq 8 ] && [ "$minor" -lt 1 ]; }; then
    echo "wine-can-run-32bit.sh: $qemu is version $major.$minor; Wine needs qemu-user 8.1 or newer" >&2
    exit 1
fi

root=$(cd "$(dirname "$0")/.." && pwd)/build/wine-i386
dir=$root/lib/wine
if ! cmp -s "$native" "$dir/wine.bin" || [ ! -x "$dir/wine" ]; then
    rm -rf "$root"
    mkdir -p "$dir" "$root/lib/i386-linux-gnu" "$root/share" || exit 1
    cp "$native" "$dir/wine.bin" || exit 1
    # The loader asks for ../i386-linux-gnu/wine (its libraries) and
    # ../../share/wine (code pages, fonts), and starts ./wineserver if there.
    ln -s /usr/lib/i386-linux-gnu/wine "$root/lib/i386-linux-gnu/wine"
    ln -s /usr/share/wine "$root/share/wine"
    ln -s /usr/lib/wine/wineserver "$dir/wineserver"
    # -0 gives the loader the script's name as argv[0]: it is what Wine
    # re-executes to start each new process.
    cat >"$dir/wine" <<EOF
#!/bin/sh
exec "$qemu" -0 "$dir/wine" "$dir/wine.bin" "\$@"
EOF
    chmod +x "$dir/wine"
fi
if runs "$dir/wine"; then echo "$dir/wine"; exit 0; fi
exit 1
