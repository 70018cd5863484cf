#!/usr/bin/env bash
# check-release.sh [FOLDER]
# The release folder that tools/release.sh made (build/release): the five
# files named with the version of CMakeLists.txt and their platform, each as
# SHA256SUMS says; in each tar.gz a static kestrane for its processor, the
# same file as in its Debian package; each Debian package passes lintian and
# is installed, used and removed by check-deb.sh (the ARM one under
# qemu-aarch64). The ZIP is read by the windows-x86 test release_zip.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
release=$(realpath "${1:-$root/build/release}")
version=$(sed -n 's/^project(Kestrane VERSION \([0-9.]*\) .*/\1/p' "$root/CMakeLists.txt")
fail() { echo "check-release.sh: $*" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

expected="Kestrane-$version-win32.zip
SHA256SUMS
kestrane-$version-linux-aarch64.tar.gz
kestrane-$version-linux-x86_64.tar.gz
kestrane_${version}_amd64.deb
kestrane_${version}_arm64.deb"
[ "$(cd "$release" && ls | LC_ALL=C sort)" = "$expected" ] || fail "$release holds: $(ls "$release")"
(cd "$release" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match"
[ "$(wc -l <"$release/SHA256SUMS")" -eq 5 ] || fail "SHA256SUMS names $(wc -l <"$release/SHA256SUMS") files"

# ELF's machine numbers: 62 is x86-64, 183 AArch64; a static program asks for no loader (PT_INTERP).
elf_of() {
    python3 - "$1" <<'EOF'
import struct, sys
data = open(sys.argv[1], "rb").read()
assert data[:4] == b"\x7fELF" and data[4] == 2, "no 64-bit ELF file"
machine, = struct.unpack_from("<H", data, 18)
phoff, = struct.unpack_from("<Q", data, 32)
phentsize, phnum = struct.unpack_from("<HH", data, 54)
types = [struct.unpack_from("<I", data, phoff + i * phentsize)[0] for i in range(phnum)]
print(machine, "dynamic" if 3 in types else "static")
EOF
}
for platform in x86_64:amd64:62 aarch64:arm64:183; do
    IFS=: read -r processor architecture machine <<<"$platform"
    unpacked=$work/$processor
    mkdir -p "$unpacked/tar" "$unpacked/deb"
    tar -xzf "$release/kestrane-$version-linux-$processor.tar.gz" -C "$unpacked/tar"
    dpkg-deb -x "$release/kestrane_${version}_$architecture.deb" "$unpacked/deb"
    program=$unpacked/tar/kestrane-$version-linux-$processor/bin/kestrane
    [ "$(elf_of "$program")" = "$machine static" ] || fail "$processor: bin/kestrane is $(elf_of "$program")"
    cmp "$program" "$unpacked/deb/usr/bin/kestrane" || fail "$processor: the tar.gz and the package differ"
    [ "$(dpkg-deb -f "$release/kestrane_${version}_$architecture.deb" Architecture Version | tr '\n' ' ')" = \
        "Architecture: $architecture Version: $version " ] || fail "kestrane_${version}_$architecture.deb names another version or architecture"
    lintian --fail-on error,warning "$release/kestrane_${version}_$architecture.deb" 2>/dev/null ||
        fail "lintian finds fault with kestrane_${version}_$architecture.deb"
done

"$root/tests/deb/check-deb.sh" "$release/kestrane_${version}_amd64.deb"
"$root/tests/deb/check-deb.sh" "$release/kestrane_${version}_arm64.deb" qemu-aarch64
echo "check-release.sh: $(($(wc -l <"$release/SHA256SUMS"))) files of version $version: passed"
