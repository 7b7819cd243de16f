#!/usr/bin/env bash
# ombrix-live on a real headless sway (pixman renderer) whose config sets a background
# (drawn by swaybg), read back with grim: it shows above that background, and still after
# a reload restarts swaybg; when it quits the configured background shows again. Covered by a
# fullscreen window it stops stepping and resumes when the window goes; paused at
# generation G the output shows ombrix-render's wall of G generations at its size, at
# scale 1 and 2, and so does a new output; the compositor's end is reported with a clear
# message and exit status 1; a Wayland display that is not there is named with the
# reason. An output that goes is tried where sway can unplug a headless one (not 1.7).
#   sway.sh OMBRIX-LIVE OMBRIX-RENDER
set -euo pipefail
LIVE=${1:?usage: $0 OMBRIX-LIVE OMBRIX-RENDER}
RENDER=${2:?usage: $0 OMBRIX-LIVE OMBRIX-RENDER}
for tool in sway swaymsg swaybg grim foot compare convert dbus-daemon dbus-send setpriv; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

source "$(dirname "$0")/../common/script_lib.sh"
make_work sway
chmod 755 "$WORK"
source "$(dirname "$0")/../common/wayland_session.sh"
# The program runs from the test's folder: the build folder may be closed to nobody.
cp "$LIVE" "$WORK/ombrix-live"
# shows OUTPUT PICTURE: grim reads OUTPUT back exactly as PICTURE.
shows() {
    "${session[@]}" grim -o "$1" "$WORK/shot.png" 2>/dev/null &&
        [ "$(compare -metric AE "$WORK/shot.png" "$2" null: 2>&1)" = 0 ]
}

start_session_bus
start_sway 1024x768 'output * bg #000000 solid_color'
socket=$(basename "$(compgen -G "$WORK/run/wayland-*[0-9]")")
log "sway on $socket"
convert -size 1024x768 xc:black "$WORK/black.png"
wait_for "the configured background does not show" 20 shows HEADLESS-1 "$WORK/black.png"

# 37 × 23 cells, odd both ways: at scale 2 the adapter repeats the pattern twice each way.
field=(--settings "$WORK/none.ini" --seed 7 --field 37x23 --tiling 0)
"${session[@]}" "$WORK/ombrix-live" "${field[@]}" --interval 33 >"$WORK/live.log" 2>&1 &
live_pid=$!
wait_for "ombrix-live did not take the layer shell" 20 \
    grep -qx 'ombrix-live: drawing on wayland layer shell' "$WORK/live.log"
has_bus_name() { generation >/dev/null; }
wait_for "ombrix-live took no bus name" 20 has_bus_name

# A fullscreen window covers the only output: no frame is asked for, so it soon stops
# stepping and stays stopped; when the window goes it carries on.
"${session[@]}" foot -F sleep 60 >/dev/null 2>&1 &
foot_pid=$!
pids+=("$foot_pid")
wait_for "covered, it still steps" 20 stands
covered=$(generation)
holds 1500 generation_is "$covered" || fail "covered, it still steps ($covered, then $(generation))"
kill "$foot_pid"
more() { [ "$(generation)" -gt "$covered" ]; }
wait_for "uncovered, it did not carry on from generation $covered" 20 more
log "covered at generation $covered it stopped, uncovered it carried on"

"${session[@]}" "$WORK/ombrix-live" --pause || fail "--pause found no live wallpaper"
g=$(generation)
render=("$RENDER" -q "${field[@]}" --generations "$g")
"${render[@]}" --size 1024x768 -o "$WORK/wall-1024.png"
"${render[@]}" --size 640x480 -o "$WORK/wall-640.png"
wait_for "paused at $g, scale 1: the output is not ombrix-render's wall" 20 \
    shows HEADLESS-1 "$WORK/wall-1024.png"
"${session[@]}" swaymsg -q output HEADLESS-1 scale 2
wait_for "scale 2: the output is not the wall" 20 shows HEADLESS-1 "$WORK/wall-1024.png"
"${session[@]}" swaymsg -q create_output
"${session[@]}" swaymsg -q output HEADLESS-2 resolution 640x480
wait_for "the new output is not the wall" 20 shows HEADLESS-2 "$WORK/wall-640.png"
shows HEADLESS-1 "$WORK/wall-1024.png" || fail "the first output changed"
[ "$(generation)" = "$g" ] || fail "paused at $g, it went on to $(generation)"
log "paused at generation $g: ombrix-render's wall at scale 1 and 2 and on a new output"

# A reload starts a new swaybg, whose surface sway puts below its older ones.
swaybg_pids() { session_pids swaybg; }
before=$(swaybg_pids)
"${session[@]}" swaymsg -q reload
new_swaybg() { local now; now=$(swaybg_pids); [ -n "$now" ] && [ "$now" != "$before" ]; }
wait_for "the reload started no new swaybg" 20 new_swaybg
wait_for "after a reload the output is not the wall" 20 shows HEADLESS-1 "$WORK/wall-1024.png"
# What swaybg draws a moment later must not cover it either.
holds 1000 shows HEADLESS-1 "$WORK/wall-1024.png" ||
    fail "within a second after the reload swaybg covers the wall"
log "after a reload the wall still shows above swaybg"
# An output that goes (sway 1.8 and later can unplug a headless output): the program
# lets its surface go and keeps the other.
if "${session[@]}" swaymsg -q output HEADLESS-2 unplug 2>/dev/null; then
    holds 1000 kill -0 "$live_pid" 2>/dev/null || fail "an output that went ended ombrix-live"
    shows HEADLESS-1 "$WORK/wall-1024.png" || fail "an output that went changed the other"
    log "an output went"
fi

"${session[@]}" "$WORK/ombrix-live" --quit || fail "--quit found no live wallpaper"
wait "$live_pid" || fail "--quit ended ombrix-live with status $?"
live_pid=
wait_for "after --quit the configured background does not show" 20 \
    shows HEADLESS-1 "$WORK/black.png"
log "after --quit the configured background shows again"

# A log of its own: the earlier run's "drawing on" must not count for this one.
"${session[@]}" "$WORK/ombrix-live" "${field[@]}" >"$WORK/live-again.log" 2>&1 &
live_pid=$!
wait_for "ombrix-live did not start again" 20 grep -q 'drawing on' "$WORK/live-again.log"
kill "$sway_pid"
status=0
wait "$live_pid" || status=$?
live_pid=
[ "$status" -eq 1 ] || fail "the compositor's end gave exit status $status, not 1"
grep -q "^ombrix-live: lost the connection to the Wayland compositor on $socket (.*)$" \
    "$WORK/live-again.log" || fail "the compositor's end is not named"
log "the compositor's end: $(tail -1 "$WORK/live-again.log")"

"${session[@]}" WAYLAND_DISPLAY=wayland-gone "$WORK/ombrix-live" --settings "$WORK/none.ini" \
    >"$WORK/live.log" 2>&1 &
live_pid=$!
wait_for "a missing display is not named" 20 grep -q \
    "^ombrix-live: no live wallpaper on this Wayland desktop: cannot connect to the Wayland display wayland-gone (" \
    "$WORK/live.log"
log "PASS"
