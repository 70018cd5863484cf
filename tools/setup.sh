#!/usr/bin/env bash
# Installs what building and testing Kestrane needs on Debian or Ubuntu.
# Quick when everything is there already.
set -euo pipefail

packages=(
    cmake ninja-build clang g++ googletest zlib1g-dev libz-mingw-w64-dev
    g++-mingw-w64-i686 g++-mingw-w64-x86-64
    wine wine64 wine32:i386
    xvfb x11-utils imagemagick
    libarchive-tools unar
    python3 python3-pefile python3-pil
)

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

missing=()
for package in "${packages[@]}"; do
    dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
done
# libFuzzer and the sanitizers' runtime come with clang's runtime package.
clang_major=$(clang --version 2>/dev/null | sed -n 's/.*clang version \([0-9]*\).*/\1/p' | head -n1)
if [ -z "$clang_major" ] || ! ls /usr/lib/llvm-"$clang_major"/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1; then
    missing+=(clang-runtime)
fi

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing: ${missing[*]}"
dpkg --print-foreign-architectures | grep -qx i386 || as_root dpkg --add-architecture i386
as_root apt-get update -qq
export DEBIAN_FRONTEND=noninteractive
as_root apt-get install -y -qq "${packages[@]}" >/dev/null
clang_major=$(clang --version | sed -n 's/.*clang version \([0-9]*\).*/\1/p' | head -n1)
as_root apt-get install -y -qq "libclang-rt-$clang_major-dev" >/dev/null 2>&1 ||
    as_root apt-get install -y -qq "libclang-common-$clang_major-dev" >/dev/null
