#!/usr/bin/env bash
# Sets up, builds Kestrane and starts it under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/setup.sh

if [ -z "${DISPLAY:-}" ]; then
    echo "No X display: Kestrane starts on a virtual one (Xvfb)."
    exec tests/wine/with-xvfb.sh "$0" "$@"
fi

if tools/wine-can-run-32bit.sh; then
    preset=windows-x86 wine=/usr/lib/wine/wine
else
    echo "This machine runs no 32-bit code: starting the 64-bit build of the same sources."
    preset=windows-x64 wine=/usr/lib/wine/wine64
fi
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target Kestrane
export WINEPREFIX="${WINEPREFIX:-$PWD/build/$preset/wineprefix-run}" WINEDEBUG=-all
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    "$wine" wineboot -i >/dev/null 2>&1
    # Wine's own fonts (MS Sans Serif, Fixedsys among them) are not found
    # from a new prefix unless they stand in its Fonts folder.
    cp -n /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
fi
exec "$wine" "build/$preset/src/ui/Kestrane.exe"
