#!/usr/bin/env bash
# Takes the README's screenshot of Ombrix's main window: starts a virtual X server,
# runs a copy of build/ombrix in a temporary folder (so no settings file of yours is
# read or written), presses Start, lets the automaton run a few seconds and saves the
# main window as a PNG file. It drives the window with the real-window tests' steps.
#
# Usage: scripts/screenshot.sh [OUTPUT.png]      (default: docs/screenshot.png)
# Needs: a build (make test), Xvfb, xdotool and ImageMagick (scripts/install-deps.sh).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
output=${1:-$root/docs/screenshot.png}
case "$output" in /*) ;; *) output=$PWD/$output ;; esac
tools=$root/build/tests/realwindow
if [ ! -x "$root/build/ombrix" ] || [ ! -x "$tools/rw_close_window" ]; then
    echo "screenshot: build first (make test)" >&2
    exit 1
fi

# shellcheck source=../tests/realwindow/lib.sh
source "$root/tests/realwindow/lib.sh" "$root/build/ombrix" "$tools"

# The first-start defaults, only faster, so that patterns grow within seconds.
printf '[Pendrel]\nSpeed=100\n' >"$INI"
start_display
start_ombrix
press_start_stop
sleep 4 # about 40 generations at 100 ms
mkdir -p "$(dirname "$output")"
import -window root -crop "${WW}x${WH}+${WX}+${WY}" +repage "$output"
press_start_stop
close_ombrix
echo "screenshot: wrote $output (${WW} x ${WH})"
