#!/usr/bin/env bash
# Makes every release file into build/release, each named with its version
# and platform, and SHA256SUMS beside them:
#   Kestrane-<version>-win32.zip          Kestrane.exe, kestrane-cli.exe, readme.txt
#   kestrane-<version>-linux-x86_64.tar.gz, kestrane_<version>_amd64.deb
#   kestrane-<version>-linux-aarch64.tar.gz, kestrane_<version>_arm64.deb
# from the same presets that tools/test.sh builds and tests.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh
version=$(sed -n 's/^project(Kestrane VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)
release=build/release
for preset in linux linux-aarch64 windows-x86; do
    log=build/release-$preset.log
    mkdir -p build
    if ! { cmake --preset "$preset" && cmake --build --preset "$preset" --target package -j2; } >"$log" 2>&1; then
        cat "$log" >&2
        echo "release.sh: the $preset build failed" >&2
        exit 1
    fi
done
rm -rf "$release"
mkdir -p "$release"
cp build/windows-x86/Kestrane-"$version"-win32.zip \
    build/linux/kestrane-"$version"-linux-x86_64.tar.gz build/linux/kestrane_"$version"_amd64.deb \
    build/linux-aarch64/kestrane-"$version"-linux-aarch64.tar.gz build/linux-aarch64/kestrane_"$version"_arm64.deb \
    "$release"/
(cd "$release" && sha256sum -- *.zip *.tar.gz *.deb >SHA256SUMS)
echo "release.sh: in $release:"
(cd "$release" && ls -l --time-style=+ -- * | awk '{printf "  %9d  %s\n", $5, $NF}')
