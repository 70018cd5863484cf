#!/usr/bin/env bash
# Installs what building and testing Kestrane needs on Debian or Ubuntu.
# Quick when everything is there already.
set -euo pipefail
cd "$(dirname "$0")/.."

# zlib's headers for this machine's processor by name: with arm64's beside
# them, "zlib1g-dev" alone names two.
native=$(dpkg --print-architecture)
packages=(
    cmake ninja-build clang g++ googletest "zlib1g-dev:$native" libz-mingw-w64-dev
    g++-mingw-w64-i686
    # kestrane's CRC-32 on this machine (see CMakeLists.txt).
    "libdeflate-dev:$native"
    # Kestrane.exe is linked by lld (see src/ui/CMakeLists.txt).
    lld
    # wine64 brings the 64-bit wineserver, which serves the 32-bit programs
    # also where the kernel runs no 32-bit code.
    wine wine64 wine32:i386
    xvfb x11-utils imagemagick
    libarchive-tools unar 7zip
    python3 python3-pefile python3-pil
    # kestrane's manual page, and the check of its Debian package.
    scdoc lintian man-db
    # The one formatter whose output the tree is kept in.
    clang-format-14
)
# kestrane for ARM: Debian's cross compiler, zlib of arm64 through multiarch
# (from the machine's own apt sources, which must serve arm64 as Debian's
# do), and qemu's user-mode emulator for its tests, without its
# recommendation qemu-user-binfmt, so that nothing changes how the machine
# starts foreign programs.
arm_packages=(g++-aarch64-linux-gnu zlib1g-dev:arm64 qemu-user)

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }
export DEBIAN_FRONTEND=noninteractive
# A mirror being synchronised fails an index or two for a while ("File has
# unexpected size"): tried three times, then the installation goes on with
# the indexes that did come, and fails itself only if a package is missing.
update_indexes() {
    local attempt
    for attempt in 1 2 3; do
        if as_root apt-get update -qq; then return 0; fi
        [ "$attempt" -eq 3 ] || sleep $((attempt * 10))
    done
    echo "setup.sh: apt-get update failed three times; installing from the indexes at hand" >&2
}

missing=()
for package in "${packages[@]}"; do
    dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
done
# libFuzzer and the sanitizers' runtime come with clang's runtime package.
clang_major=$(clang --version 2>/dev/null | sed -n 's/.*clang version \([0-9]*\).*/\1/p' | head -n1)
if [ -z "$clang_major" ] || ! ls /usr/lib/llvm-"$clang_major"/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1; then
    missing+=(clang-runtime)
fi

arm_missing=()
for package in "${arm_packages[@]}"; do
    dpkg -s "$package" >/dev/null 2>&1 || arm_missing+=("$package")
done

if [ ${#missing[@]} -gt 0 ] || [ ${#arm_missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]} ${arm_missing[*]}"
    dpkg --print-foreign-architectures | grep -qx i386 || as_root dpkg --add-architecture i386
    dpkg --print-foreign-architectures | grep -qx arm64 || as_root dpkg --add-architecture arm64
    update_indexes
    as_root apt-get install -y -qq "${packages[@]}" >/dev/null
    clang_major=$(clang --version | sed -n 's/.*clang version \([0-9]*\).*/\1/p' | head -n1)
    as_root apt-get install -y -qq "libclang-rt-$clang_major-dev" >/dev/null 2>&1 ||
        as_root apt-get install -y -qq "libclang-common-$clang_major-dev" >/dev/null
    if ! as_root apt-get install -y -qq --no-install-recommends "${arm_packages[@]}" >/dev/null; then
        echo "setup.sh: the apt sources serve no arm64 packages (zlib1g-dev:arm64): no ARM build" >&2
        exit 1
    fi
fi

# The first line of the machine's own apt sources for its release (deb822
# files or the one-line format): "URI KEYRING", KEYRING possibly empty.
own_mirror() {
    local codename=$1
    [ ${#apt_sources[@]} -gt 0 ] || return 0
    awk -v want="$codename" '
        function flush() {
            if (uri != "" && suites ~ ("(^| )" want "( |$)") && types ~ /(^| )deb( |$)/ && !found) {
                print uri, key; found = 1
            }
            uri = suites = types = key = ""
        }
        FNR == 1 { flush() }
        /^[ \t]*$/ { flush(); next }
        /^Types:/ { sub(/^Types:[ \t]*/, ""); types = $0 }
        /^URIs:/ { uri = $2 }
        /^Suites:/ { sub(/^Suites:[ \t]*/, ""); suites = $0 }
        /^Signed-By:/ { key = $2 }
        /^deb[ \t]/ {
            line = $0; sub(/^deb[ \t]+(\[[^]]*\][ \t]+)?/, "", line); split(line, f, /[ \t]+/)
            if (f[2] == want && !found) { print f[1], ""; found = 1 }
        }
        END { flush() }
    ' "${apt_sources[@]}"
}
apt_sources=()
for file in /etc/apt/sources.list.d/*.sources /etc/apt/sources.list; do
    if [ -f "$file" ]; then apt_sources+=("$file"); fi
done

# Where the kernel runs no 32-bit code, Wine's 32-bit loader runs under qemu's
# i386 user-mode emulator (see tools/wine-can-run-32bit.sh), which must be
# 8.1 or newer: Debian 12 has it in its backports, later releases in their own.
if ! /usr/lib/wine/wine --version >/dev/null 2>&1 && ! tools/wine-can-run-32bit.sh >/dev/null 2>&1; then
    echo "This machine runs no 32-bit code: installing qemu's i386 emulator to run 32-bit Wine."
    # shellcheck disable=SC1091
    . /etc/os-release
    suite=()
    if [ "${ID:-}" = debian ] && [ "${VERSION_ID%%.*}" -lt 13 ] 2>/dev/null; then
        backports=$VERSION_CODENAME-backports
        if ! grep -rqsw -- "$backports" /etc/apt/sources.list /etc/apt/sources.list.d/; then
            read -r uri key <<<"$(own_mirror "$VERSION_CODENAME")"
            if [ -z "${uri:-}" ]; then
                echo "setup.sh: no apt source for $VERSION_CODENAME found to add $backports from" >&2
                exit 1
            fi
            {
                printf 'Types: deb\nURIs: %s\nSuites: %s\nComponents: main\n' "$uri" "$backports"
                if [ -n "${key:-}" ]; then printf 'Signed-By: %s\n' "$key"; fi
            } | as_root tee /etc/apt/sources.list.d/kestrane-backports.sources >/dev/null
        fi
        suite=(-t "$backports")
    fi
    update_indexes
    # Without its recommendation qemu-user-binfmt: nothing changes how the
    # machine starts foreign programs.
    as_root apt-get install -y -qq --no-install-recommends "${suite[@]}" qemu-user >/dev/null
fi
# The archiver's own reader, unrar, and 7-Zip's RAR reader judge Kestrane's
# packages too where they can be had: on Debian from its non-free part, taken
# from the machine's own mirror. Without them those checks say they skipped.
if ! command -v unrar >/dev/null 2>&1 || ! dpkg -s p7zip-rar >/dev/null 2>&1; then
    # shellcheck disable=SC1091
    . /etc/os-release
    if [ "${ID:-}" = debian ] && ! apt-cache policy unrar 2>/dev/null | grep -q 'Candidate: [0-9]'; then
        read -r uri key <<<"$(own_mirror "$VERSION_CODENAME")"
        if [ -n "${uri:-}" ]; then
            {
                printf 'Types: deb\nURIs: %s\nSuites: %s\nComponents: non-free\n' "$uri" "$VERSION_CODENAME"
                if [ -n "${key:-}" ]; then printf 'Signed-By: %s\n' "$key"; fi
            } | as_root tee /etc/apt/sources.list.d/kestrane-non-free.sources >/dev/null
            as_root apt-get update -qq || true
        fi
    fi
    as_root apt-get install -y -qq unrar p7zip-full p7zip-rar >/dev/null 2>&1 ||
        echo "setup.sh: unrar and 7-Zip's RAR reader cannot be had here; their checks are skipped"
fi

if ! loader=$(tools/wine-can-run-32bit.sh); then
    echo "setup.sh: no Wine here runs 32-bit programs (see tools/wine-can-run-32bit.sh)" >&2
    exit 1
fi
case "$loader" in
    /usr/lib/wine/wine) ;;
    *) echo "32-bit Wine runs under qemu: $loader" ;;
esac
