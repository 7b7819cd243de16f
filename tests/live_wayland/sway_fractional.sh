#!/usr/bin/env bash
# ombrix-live on a real headless sway at fractional scales: paused at generation G, the
# output read back with grim is ombrix-render's wall of G generations at the output's
# physical size, pixel for pixel, at scales 1.5 and 1.25 (through wp_viewporter) and
# again at 1 after them.
#   sway_fractional.sh OMBRIX-LIVE OMBRIX-RENDER
set -euo pipefail
LIVE=${1:?usage: $0 OMBRIX-LIVE OMBRIX-RENDER}
RENDER=${2:?usage: $0 OMBRIX-LIVE OMBRIX-RENDER}
for tool in sway swaymsg grim compare dbus-daemon dbus-send setpriv; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

different=
fail() { log "FAIL: $*${different:+ ($different pixels differ)}"; exit 1; }
log() { printf "[%3ds] %s\n" "$SECONDS" "$*" >&2; }
source "$(dirname "$0")/../common/script_lib.sh"
make_work sway-fraction
chmod 755 "$WORK"
source "$(dirname "$0")/../common/wayland_session.sh"
cp "$LIVE" "$WORK/ombrix-live"
# shows PICTURE: grim reads the output back exactly as PICTURE (else `different` says
# how many pixels differ).
shows() {
    "${session[@]}" grim -o HEADLESS-1 "$WORK/shot.png" 2>/dev/null || return 1
    different=$(compare -metric AE "$WORK/shot.png" "$1" null: 2>&1) || true
    [ "$different" = 0 ]
}

start_session_bus
start_sway 1920x1080
# 37 × 23 cells in the brick tiling: odd sides, so a buffer side must hold several repeats
# to be a whole number of units at 3/2 and 5/4.
field=(--settings "$WORK/none.ini" --seed 7 --field 37x23 --tiling 1)
"${session[@]}" "$WORK/ombrix-live" "${field[@]}" --interval 33 --when-settled stop \
    >"$WORK/live.log" 2>&1 &
live_pid=$!
wait_for "ombrix-live did not take the layer shell" 20 \
    grep -qx 'ombrix-live: drawing on wayland layer shell' "$WORK/live.log"
has_bus_name() { generation >/dev/null; }
wait_for "ombrix-live took no bus name" 20 has_bus_name
"${session[@]}" "$WORK/ombrix-live" --pause || fail "--pause found no live wallpaper"
g=$(generation)
"$RENDER" -q "${field[@]}" --generations "$g" --size 1920x1080 -o "$WORK/wall.png"
for scale in 1.5 1.25 1; do
    "${session[@]}" swaymsg -q output HEADLESS-1 scale "$scale"
    wait_for "paused at $g, scale $scale: the output is not ombrix-render's wall" 20 \
        shows "$WORK/wall.png"
    log "scale $scale: the output is ombrix-render's wall of generation $g"
done
! grep -q "scale of" "$WORK/live.log" || fail "it said: $(grep "scale of" "$WORK/live.log")"
