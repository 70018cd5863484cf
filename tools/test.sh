#!/usr/bin/env bash
# Sets up, builds every preset and runs every test: the portable core with
# sanitizers, the fuzz target briefly, the Windows program under Wine,
# kestrane for ARM under qemu-user, and the release files.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/setup.sh

# Every C++ file as .clang-format lays it out.
tools/check-format.sh

cmake --preset native
cmake --build --preset native
ctest --preset native

# A short run of each fuzzer over its seed corpus, sharing the time; CI runs them longer.
fuzz_seconds=$(( (${KESTRANE_FUZZ_SECONDS:-10} + 2) / 3 ))
for fuzz in descriptor_fuzz:tests/fuzz/corpus jar_fuzz:tests/fuzz/jar-corpus class_fuzz:tests/fuzz/class-corpus; do
    fuzz_dir=$(mktemp -d)
    fuzz_log=build/native/${fuzz%%:*}.log
    if ! build/native/tests/"${fuzz%%:*}" -max_total_time="$fuzz_seconds" "$fuzz_dir" "${fuzz#*:}" >"$fuzz_log" 2>&1; then
        cat "$fuzz_log"
        exit 1
    fi
    tail -n 1 "$fuzz_log"
    rm -rf "$fuzz_dir"
done

# Kestrane.exe and its tests, 32-bit as the product is, under Wine: natively,
# or under qemu where the kernel runs no 32-bit code.
if ! loader=$(tools/wine-can-run-32bit.sh); then
    echo "test.sh: no Wine here runs 32-bit programs (see tools/wine-can-run-32bit.sh)" >&2
    exit 1
fi
echo "Windows tests under $loader"
cmake --preset windows-x86 -DKESTRANE_WINE_TESTS=ON
cmake --build --preset windows-x86
tests/wine/with-xvfb.sh ctest --preset windows-x86

# kestrane for Linux on ARM, cross-built; its tests (the core's, the RAR
# readers' and the tool's, without sanitizers) under qemu-user.
cmake --preset linux-aarch64
cmake --build --preset linux-aarch64 -j2
ctest --preset linux-aarch64

# Every release file, made as the README says, and checked as its users meet
# it: the Debian packages installed, used and removed again.
tools/release.sh
tests/release/check-release.sh build/release

# The README's first command, as a newcomer without a display runs it.
tests/run/run-sh-test.sh
