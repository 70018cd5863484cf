#!/usr/bin/env bash
# The README's first command as a newcomer without a display runs it:
# tools/run.sh starts Kestrane on a virtual display and says where its
# screenshot is; the screenshot shows the main window; Ctrl+C ends it all.
set -euo pipefail
cd "$(dirname "$0")/../.."

log=$(mktemp)
trap 'rm -f "$log"' EXIT
count() { pgrep -c -x "$1" 2>/dev/null || true; }
xvfb_before=$(count Xvfb)

# Job control puts run.sh in a process group of its own that takes SIGINT,
# as a terminal's Ctrl+C reaches a foreground command.
set -m
env -u DISPLAY KESTRANE_VIRTUAL_DISPLAY= tools/run.sh >"$log" 2>&1 &
run=$!
set +m

fail() {
    echo "run-sh-test: $*" >&2
    sed 's/^/  run.sh: /' "$log" >&2
    kill -INT -- "-$run" 2>/dev/null || true
    exit 1
}

shot=
for _ in $(seq 1200); do
    shot=$(sed -n 's/.*screenshot: \(.*\.png\)$/\1/p' "$log" | head -n1)
    [ -n "$shot" ] && break
    kill -0 "$run" 2>/dev/null || fail "ended before it showed the window"
    sleep 0.5
done
[ -n "$shot" ] || fail "no screenshot within 10 minutes"
[ -f "$shot" ] || fail "names a screenshot that is not there: $shot"
grep -q 'Ctrl+C' "$log" || fail "does not say that Ctrl+C ends it"

/usr/bin/python3 tests/run/check_screenshot.py "$shot" || fail "the screenshot is not the main window"

kill -INT -- "-$run"
for _ in $(seq 100); do kill -0 "$run" 2>/dev/null || break; sleep 0.2; done
kill -0 "$run" 2>/dev/null && fail "still runs 20 s after Ctrl+C"
wait "$run" || true

# Nothing of the run stays: no process of its Wine prefix (the program, its
# Wine server) and no virtual display.
of_the_run() {
    local environ
    for environ in /proc/[0-9]*/environ; do
        if { tr '\0' '\n' <"$environ"; } 2>/dev/null | grep -q '^WINEPREFIX=.*/wineprefix-run$'; then
            environ=${environ#/proc/}
            echo "${environ%/environ}: $({ tr '\0' ' ' <"/proc/${environ%/environ}/cmdline"; } 2>/dev/null)"
        fi
    done
}
left=
for _ in $(seq 100); do
    left=$(of_the_run)
    [ -z "$left" ] && [ "$(count Xvfb)" -le "$xvfb_before" ] && break
    sleep 0.2
done
[ -z "$left" ] || fail "left running 20 s after Ctrl+C: $left"
[ "$(count Xvfb)" -le "$xvfb_before" ] || fail "left its virtual display running"
echo "run-sh-test: tools/run.sh showed the main window ($shot) and ended on Ctrl+C"
