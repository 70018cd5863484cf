#!/usr/bin/env bash
# Sets up, builds kestrane for this Linux machine (build/linux, without
# sanitizers) and runs it with the arguments given, in the current folder:
#   tools/kestrane.sh Spiele -r -o STJ
# Everything but kestrane's own output goes to stderr, so that its lines and
# its exit code are the program's.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/linux

"$root/tools/setup.sh" >&2
log=$build/kestrane-build.log
mkdir -p "$build"
if ! { cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=clang++ \
           -DBUILD_TESTING=OFF && cmake --build "$build" --target kestrane; } >"$log" 2>&1; then
    cat "$log" >&2
    exit 1
fi
exec "$build/kestrane" "$@"
