#!/usr/bin/env bash
# Takes the README's screenshot of Ombrix's main window: starts a virtual X server,
# runs a copy of build/ombrix in a temporary folder (so no settings file of yours is
# read or written), presses Start, lets the automaton run a few seconds and saves the
# main window as a PNG file.
#
# Usage: scripts/screenshot.sh [OUTPUT.png]      (default: docs/screenshot.png)
# Needs: a built build/ombrix (make test or cmake --build build), Xvfb, xdotool and
# ImageMagick's import (scripts/install-deps.sh installs them).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
output=${1:-$root/docs/screenshot.png}
ombrix=$root/build/ombrix
close_window=$root/build/tests/realwindow/rw_close_window

[ -x "$ombrix" ] || { echo "screenshot: $ombrix is missing; build first (make test)" >&2; exit 1; }
for tool in Xvfb xdotool import; do
    command -v "$tool" >/dev/null || { echo "screenshot: $tool is missing (scripts/install-deps.sh)" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/ombrix-shot.XXXXXX")
xvfb_pid=
ombrix_pid=
cleanup() {
    if [ -n "$ombrix_pid" ] && kill -0 "$ombrix_pid" 2>/dev/null; then
        kill "$ombrix_pid" 2>/dev/null || true
        wait "$ombrix_pid" 2>/dev/null || true
    fi
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# wait_for SECONDS COMMAND...: retries COMMAND until it succeeds or SECONDS have passed.
wait_for() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@" >/dev/null 2>&1; do
        [ "$SECONDS" -lt "$deadline" ] || { echo "screenshot: timed out: $*" >&2; exit 1; }
        sleep 0.1
    done
}

mkdir -p "$work/app" "$work/runtime" "$work/config"
chmod 700 "$work/runtime"
cp "$ombrix" "$work/app/ombrix"
# The first-start defaults, only faster, so that patterns grow within seconds.
printf '[Pendrel]\nSpeed=100\n' >"$work/app/ombrix.ini"

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
wait_for 30 grep -q '^[0-9][0-9]*$' "$work/display"
export DISPLAY=":$(head -n 1 "$work/display")"
export XDG_RUNTIME_DIR=$work/runtime XDG_CONFIG_HOME=$work/config

"$work/app/ombrix" >"$work/ombrix.log" 2>&1 &
ombrix_pid=$!
wait_for 60 xdotool search --onlyvisible --name '^Ombrix$'
wid=$(xdotool search --onlyvisible --name '^Ombrix$' | head -n 1)
eval "$(xdotool getwindowgeometry --shell "$wid")"   # X Y WIDTH HEIGHT

# Start (StartStopBtn: at (64, 208), 57 x 25, inside the left panel at (0, 65)).
xdotool mousemove --sync $((X + 64 + 28)) $((Y + 65 + 208 + 12)) click 1
sleep 4   # about 40 generations at 100 ms
mkdir -p "$(dirname "$output")"
import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$output"
xdotool click 1   # Stop

# Close the window as a user would, when the helper is built; otherwise cleanup ends it.
if [ -x "$close_window" ]; then
    "$close_window" "$wid"
    wait_for 30 bash -c "! kill -0 $ombrix_pid 2>/dev/null"
    wait "$ombrix_pid" || true
    ombrix_pid=
fi
echo "screenshot: wrote $output (${WIDTH} x ${HEIGHT})"
