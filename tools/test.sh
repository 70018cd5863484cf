#!/usr/bin/env bash
# Sets up, builds every preset and runs every test: the portable core with
# sanitizers, the fuzz target briefly, and the Windows program under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/setup.sh

cmake --preset native
cmake --build --preset native
ctest --preset native

# A short run of each fuzzer over its seed corpus, sharing the time; CI runs them longer.
fuzz_seconds=$(( (${KESTRANE_FUZZ_SECONDS:-10} + 1) / 2 ))
for fuzz in descriptor_fuzz:tests/fuzz/corpus jar_fuzz:tests/fuzz/jar-corpus; do
    fuzz_dir=$(mktemp -d)
    fuzz_log=build/native/${fuzz%%:*}.log
    if ! build/native/tests/"${fuzz%%:*}" -max_total_time="$fuzz_seconds" "$fuzz_dir" "${fuzz#*:}" >"$fuzz_log" 2>&1; then
        cat "$fuzz_log"
        exit 1
    fi
    tail -n 1 "$fuzz_log"
    rm -rf "$fuzz_dir"
done

windows_presets=(windows-x86)
if ! tools/wine-can-run-32bit.sh; then
    echo "This machine runs no 32-bit code: the Windows tests run on the 64-bit build of the same sources."
    windows_presets+=(windows-x64)
fi
for preset in "${windows_presets[@]}"; do
    cmake --preset "$preset"
    cmake --build --preset "$preset"
    tests/wine/with-xvfb.sh ctest --preset "$preset"
done
