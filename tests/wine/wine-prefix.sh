#!/bin/sh
# wine-prefix.sh setup BUILD_FOLDER RECORDER_EXE
# wine-prefix.sh cleanup BUILD_FOLDER
# The Wine prefixes of one test run, under the build folder:
#   wineprefix         96 DPI, the one every Windows test uses by default
#   wineprefix-144dpi  a copy of it at 144 DPI, for the layout tests
#   wineprefix-unprivileged  a copy of it for tests that run without root's
#                      permission overrides (KESTRANE_UNPRIVILEGED, wine-run.sh)
# "setup" deletes and remakes them (a new prefix takes 20-40 s to boot, so this
# happens once per run); "cleanup" stops their wineservers.
#   KESTRANE_WINE  the Wine loader (default: what tools/wine-can-run-32bit.sh finds)
set -u
action=${1:?setup or cleanup}
build=$(cd "${2:?build folder}" && pwd) || exit 2
p96=$build/wineprefix
p144=$build/wineprefix-144dpi
punpriv=$build/wineprefix-unprivileged
# A 32-bit prefix: there the program's X86 manifest finds the common controls 6.
WINEARCH=win32
WINEDEBUG=-all
LC_ALL=C.UTF-8
WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree,mshtml="
export WINEARCH WINEDEBUG WINEDLLOVERRIDES LC_ALL

fail() { echo "wine-prefix.sh: $*" >&2; exit 1; }
stop_servers() {
    for p in "$p96" "$p144" "$punpriv"; do
        if [ -d "$p" ]; then WINEPREFIX=$p wineserver -k 2>/dev/null; WINEPREFIX=$p wineserver -w 2>/dev/null; fi
    done
}
# Imports .reg text (stdin) into a prefix and waits until it is on disk.
import_reg() {
    cat >"$1/drive_c/kestrane-settings.reg" || return 1
    WINEPREFIX=$1 "$wine" regedit /S 'C:\kestrane-settings.reg' || return 1
    WINEPREFIX=$1 wineserver -w
    rm -f "$1/drive_c/kestrane-settings.reg"
}
# A Unix path as Wine's Z: drive sees it, backslashes doubled for .reg text.
reg_path() { printf 'Z:%s' "$1" | sed 's|/|\\\\|g'; }

case "$action" in
cleanup)
    stop_servers
    exit 0
    ;;
setup)
    recorder=${3:?recorder program}
    [ -f "$recorder" ] || fail "no recorder program at $recorder"
    wine=${KESTRANE_WINE:-$("$(dirname "$0")/../../tools/wine-can-run-32bit.sh")} ||
        fail "no Wine here runs 32-bit programs; tools/setup.sh installs what is missing"
    version=$("$wine" --version 2>&1) || fail "'$wine' does not run ($version)"
    stop_servers
    rm -rf "$p96" "$p144" "$punpriv"
    echo "Booting a new prefix with $version ($WINEARCH) in $p96"
    WINEPREFIX=$p96 "$wine" wineboot -i || fail "wineboot failed in $p96"
    WINEPREFIX=$p96 wineserver -w
    # Wine's own fonts (MS Sans Serif, Fixedsys among them) are not found
    # from a new prefix unless they stand in its Fonts folder.
    cp /usr/share/wine/fonts/* "$p96/drive_c/windows/Fonts/" || fail "could not copy Wine's fonts into $p96"

    # Managed=N: without a window manager, Wine otherwise stalls ~2 s on every
    # window that closes. No crash dialog that would wait for a user. The
    # "open" verb of .txt files runs the recorder instead of notepad.
    import_reg "$p96" <<REG || fail "could not import the settings into $p96"
REGEDIT4

[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]
"Managed"="N"

[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_CLASSES_ROOT\\.txt]
@="txtfile"

[HKEY_CLASSES_ROOT\\txtfile\\shell\\open\\command]
@="\\"$(reg_path "$recorder")\\" \\"%1\\""
REG

    # Wine reads the screen's DPI from the first key and falls back to the second.
    cp -a "$p96" "$p144" || fail "could not copy $p96"
    import_reg "$p144" <<REG || fail "could not import the DPI into $p144"
REGEDIT4

[HKEY_CURRENT_USER\\Control Panel\\Desktop]
"LogPixels"=dword:00000090

[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Hardware Profiles\\Current\\Software\\Fonts]
"LogPixels"=dword:00000090
REG

    cp -a "$p96" "$punpriv" || fail "could not copy $p96"

    grep -q '^"Managed"="N"' "$p96/user.reg" || fail "Managed=N is not in $p96/user.reg"
    grep -q "$(basename "$recorder")" "$p96/system.reg" || fail "the .txt open command is not in $p96/system.reg"
    grep -q '^"LogPixels"=dword:00000090' "$p144/user.reg" || fail "LogPixels=144 is not in $p144/user.reg"
    echo "Prefixes ready: $p96, $p144, $punpriv"
    ;;
*)
    fail "unknown action $action"
    ;;
esac
