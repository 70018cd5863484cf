#!/bin/sh
# wine-run.sh PROGRAM.exe [ARG...]
# The emulator of the windows-x86 build: runs a Windows program under Wine in
# the prefix of the build folder, which the CTest fixture "wine_prefix" made.
#   KESTRANE_WINEPREFIX  the prefix to use; by default <build folder>/wineprefix,
#                        the build folder being the nearest folder above the
#                        working directory (else above PROGRAM) that holds
#                        CMakeCache.txt
#   KESTRANE_WINE        the Wine loader (default: what tools/wine-can-run-32bit.sh
#                        finds)
#   KESTRANE_UNPRIVILEGED=1  run without root's permission overrides, as an
#                        ordinary user would: files and folders whose Unix
#                        permissions forbid writing cannot be written. Give it
#                        a prefix of its own (KESTRANE_WINEPREFIX): its
#                        wineserver is restarted.
set -u

build_folder_above() {
    d=$1
    while [ -n "$d" ] && [ "$d" != / ]; do
        if [ -f "$d/CMakeCache.txt" ]; then echo "$d"; return 0; fi
        d=$(dirname "$d")
    done
    return 1
}

if [ -z "${KESTRANE_WINEPREFIX:-}" ]; then
    build=$(build_folder_above "$PWD") ||
        build=$(build_folder_above "$(cd "$(dirname "${1:-.}")" 2>/dev/null && pwd)") || {
            echo "wine-run.sh: no build folder above $PWD or ${1:-}; set KESTRANE_WINEPREFIX" >&2
            exit 2
        }
    KESTRANE_WINEPREFIX=$build/wineprefix
fi
if [ ! -f "$KESTRANE_WINEPREFIX/system.reg" ]; then
    echo "wine-run.sh: no Wine prefix at $KESTRANE_WINEPREFIX; the CTest fixture wine_prefix makes it" >&2
    exit 2
fi

WINEPREFIX=$KESTRANE_WINEPREFIX
WINEDEBUG=-all
# The same ANSI (1252) and OEM (437) code pages on every machine, whatever its locale.
LC_ALL=C.UTF-8
# No menu entries or file associations in the user's desktop, no Mono/Gecko prompts.
WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree,mshtml="
export WINEPREFIX WINEDEBUG WINEDLLOVERRIDES LC_ALL

if [ -z "${KESTRANE_WINE:-}" ]; then
    KESTRANE_WINE=$("$(dirname "$0")/../../tools/wine-can-run-32bit.sh") || {
        echo "wine-run.sh: no Wine here runs 32-bit programs; tools/setup.sh installs what is missing" >&2
        exit 2
    }
fi

# A program that a case started and Wine failed to end stays behind holding
# CTest's output open, and CTest waits for it until its time-out: Wine's
# TerminateProcess of a program still starting leaves its Unix process
# waiting for the wineserver for ever. Once the test program has ended,
# whatever still runs from the case's own folder is ended by its Unix ID.
end_leftovers() {
    [ -n "${KESTRANE_E2E_WORK:-}" ] || return 0
    case_folder="\\e2e-work\\$(basename "$KESTRANE_E2E_WORK")\\"
    for cmdline in /proc/[0-9]*/cmdline; do
        pid=${cmdline#/proc/}
        pid=${pid%/cmdline}
        if tr '\0' '\n' <"$cmdline" 2>/dev/null | grep -qF "$case_folder"; then
            kill -KILL "$pid" 2>/dev/null
        fi
    done
}

# A wineserver's own processes (winedevice.exe) keep CTest's output, and
# under qemu one now and then hangs in its end: once the wineserver has ended,
# a Wine process of this prefix that still holds this script's output ends.
end_orphans() {
    output=$(readlink /proc/$$/fd/2 2>/dev/null)
    case $output in pipe:*) timeout 30 wineserver -w 2>/dev/null ;; *) return 0 ;; esac
    for held in /proc/[0-9]*/fd/2; do
        pid=${held#/proc/} && pid=${pid%%/*}
        [ "$pid" != $$ ] && [ "$(readlink "$held" 2>/dev/null)" = "$output" ] &&
            tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && kill -KILL "$pid"
    done
}

# A run stopped midway (Ctrl+C, a time-out) leaves its write-protected
# folders so; the cases remove their folders of the last run before they
# begin, which such a folder would defeat (under Wine the C++ library's
# remove_all then tries for ever).
if [ -n "${KESTRANE_E2E_WORK:-}" ] && [ -d "$KESTRANE_E2E_WORK" ]; then
    chmod -R u+w "$KESTRANE_E2E_WORK"
fi

if [ -n "${KESTRANE_UNPRIVILEGED:-}" ] && [ "$(id -u)" -eq 0 ]; then
    # The wineserver opens files for the programs it serves, so it must run
    # without the overrides too: one started earlier would still hold them.
    wineserver -k 2>/dev/null
    wineserver -w 2>/dev/null
    setpriv --inh-caps=-all --bounding-set=-dac_override,-dac_read_search,-fowner "$KESTRANE_WINE" "$@"
else
    "$KESTRANE_WINE" "$@"
fi
status=$?
end_leftovers
end_orphans
exit $status
