#!/usr/bin/env bash
# Sets up, builds Kestrane and starts it under Wine. Without an X display it
# starts on a virtual one, where it cannot be seen: then a screenshot of its
# window is saved once it shows, and Ctrl+C ends it.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -z "${KESTRANE_VIRTUAL_DISPLAY:-}" ]; then tools/setup.sh; fi

if [ -z "${DISPLAY:-}" ]; then
    # A new prefix boots on the same display as the program, so it comes first.
    KESTRANE_VIRTUAL_DISPLAY=1 exec tests/wine/with-xvfb.sh "$0" "$@"
fi

loader=$(tools/wine-can-run-32bit.sh) || {
    echo "run.sh: no Wine here runs 32-bit programs (see tools/wine-can-run-32bit.sh)" >&2
    exit 1
}
preset=windows-x86
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target program
# The build names the program it made (the one the tests and the release take).
program=$(cat "build/$preset/program-path.txt")
# A 32-bit prefix: there the program's X86 manifest finds the common controls 6.
export WINEPREFIX="${WINEPREFIX:-$PWD/build/$preset/wineprefix-run}" WINEARCH=win32 WINEDEBUG=-all
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Making a Wine prefix for Kestrane in $WINEPREFIX (takes a minute the first time)"
    "$loader" wineboot -i >/dev/null 2>&1
    # Wine's own fonts (MS Sans Serif, Fixedsys among them) are not found
    # from a new prefix unless they stand in its Fonts folder.
    cp -n /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
fi

if [ -z "${KESTRANE_VIRTUAL_DISPLAY:-}" ]; then
    exec "$loader" "$program"
fi

echo "No X display here: Kestrane starts on a virtual one ($DISPLAY), where nobody can see it."
"$loader" "$program" &
kestrane=$!
# Ctrl+C ends the program and waits for this prefix's Wine server to go, so
# that nothing of this run is left behind.
stop() {
    kill "$kestrane" 2>/dev/null
    wait "$kestrane" 2>/dev/null
    timeout 20 "$(dirname "$loader")/wineserver" -w 2>/dev/null || "$(dirname "$loader")/wineserver" -k 2>/dev/null
    exit 130
}
trap stop INT TERM
shot=build/$preset/screenshots/run.png
mkdir -p "$(dirname "$shot")"
rm -f "$shot"
for _ in $(seq 600); do
    kill -0 "$kestrane" 2>/dev/null || break
    # The main window, by its title, once it is mapped.
    window=$(xwininfo -root -children 2>/dev/null | sed -n 's/^ *\(0x[0-9a-f]*\) "Kestrane": .*/\1/p' | head -n1)
    if [ -n "$window" ] && xwininfo -id "$window" 2>/dev/null | grep -q 'Map State: IsViewable'; then
        sleep 1  # until it has painted
        import -window "$window" "$shot" && echo "Its window shows; screenshot: $PWD/$shot"
        break
    fi
    sleep 0.5
done
echo "Kestrane runs until you end it with Ctrl+C."
wait "$kestrane"
