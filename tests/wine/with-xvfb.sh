#!/bin/sh
# with-xvfb.sh COMMAND [ARG...]
# Runs COMMAND with an X display: the caller's DISPLAY when it is set, else a
# private Xvfb on a free display number, which is stopped afterwards.
set -u
if [ -n "${DISPLAY:-}" ]; then exec "$@"; fi

tmp=$(mktemp -d)
xvfb=
cleanup() {
    if [ -n "$xvfb" ]; then kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null; fi
    rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

# -displayfd: Xvfb picks a free display itself and writes its number.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$tmp/display" 2>"$tmp/log" &
xvfb=$!

tries=0
while :; do
    if [ -s "$tmp/display" ] && DISPLAY=":$(cat "$tmp/display")" xdpyinfo >/dev/null 2>&1; then break; fi
    tries=$((tries + 1))
    if ! kill -0 "$xvfb" 2>/dev/null || [ "$tries" -gt 200 ]; then
        echo "with-xvfb.sh: Xvfb did not come up within 20 s:" >&2
        cat "$tmp/log" >&2
        exit 1
    fi
    sleep 0.1
done
DISPLAY=":$(cat "$tmp/display")"
export DISPLAY

"$@"
