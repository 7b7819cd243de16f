#!/usr/bin/env bash
# ombrix-live at the edges of X11, on a real X server (Xvfb with a second screen of 16
# bits, which cannot be drawn into, openbox) and a private session bus:
#   usage: x11_edges.sh OMBRIX-LIVE OMBRIX-RENDER TEST-WINDOW
# Patterns wider or taller than an X pixmap can be, cut to the screen and shown as the
# renderer's wall; the root windows paused under a fullscreen window; a foreign window
# published as the root background's pixmap, which the root clean-up must leave alone;
# given windows that vanish as soon as they are watched.
LIVE=$1 RENDER=$2 TEST_WINDOW=$3
source "$(dirname "$0")/../common/script_lib.sh"
make_work live-edges

W=320 H=200
mkdir -m 700 "$WORK/runtime"
export XDG_RUNTIME_DIR=$WORK/runtime XDG_CONFIG_HOME=$WORK/config XDG_DATA_HOME=$WORK/data
export QT_QPA_PLATFORM=offscreen XSCREENSAVER_WINDOW= WAYLAND_DISPLAY=
unset XDG_CURRENT_DESKTOP
# Without MIT-SHM, so that the pixels go through PutImage here (tests/live/x11.sh has it).
start_xvfb -screen 0 ${W}x${H}x24 -screen 1 64x48x16 -extension MIT-SHM
export DISPLAY=$DISPLAY.0
start openbox --sm-disable 2>/dev/null
wait_for openbox xprop -root _NET_SUPPORTING_WM_CHECK
start_bus DBUS_SESSION_BUS_ADDRESS
export DBUS_SYSTEM_BUS_ADDRESS=unix:path=$WORK/no-system-bus

viewable() { xwininfo -id "$(xdotool search --name '^Ombrix Live$')" | grep -q IsViewable; }
live() { # ERR-FILE OPTIONS...: starts ombrix-live with the default settings; sets lpid
    local err=$1
    shift
    start "$LIVE" --settings "$WORK/none.ini" --on-battery run --interval 40 "$@" 2>"$err"
    lpid=${pids[-1]}
    wait_for "ombrix-live $*" property Generation
}

# Patterns past X's 32767 pixels a side, on the desktop windows: paused, the screen is
# ombrix-render's wall of the same generation. The 16-bit screen is left alone, said once.
while read -r field tiling zoom; do
    opts=(--field "$field" --tiling "$tiling" --zoom "$zoom")
    live "$WORK/wide.err" "${opts[@]}"
    wait_for "the desktop window" viewable
    "$LIVE" --pause
    G=$(property Generation)
    wait_for "the paused frame" stands
    import -window root "$WORK/wide.png"
    "$RENDER" --settings "$WORK/none.ini" "${opts[@]}" --generations "$G" --size ${W}x${H} -q \
        -o "$WORK/render.png"
    [ "$(compare -metric AE "$WORK/wide.png" "$WORK/render.png" null: 2>&1)" = 0 ] ||
        fail "${opts[*]}: the screen is not the wall of generation $G"
    grep -q "screen 1, of 16 bits, cannot be drawn into" "$WORK/wide.err" ||
        fail "${opts[*]}: the 16-bit screen is not said"
    "$LIVE" --quit
    wait "$lpid" || fail "${opts[*]}: ended with a failure"
done <<'ROWS'
100x16384 1 1
16384x10 0 2
4200x10 0 8
ROWS

# Monitors a user defines over the automatic one: a desktop window for each half, none
# over another; and one again once they are gone.
widths() { # WIDTH...: the desktop windows' widths, sorted, are these
    local id
    [ "$(for id in $(xdotool search --name '^Ombrix Live$'); do
        xwininfo -id "$id" | awk '/Width:/ {print $2}'
    done | sort -n | xargs)" = "$*" ]
}
live "$WORK/monitors.err"
xrandr --setmonitor left $((W / 2))/40x$H/50+0+0 none
xrandr --setmonitor right $((W / 2))/40x$H/50+$((W / 2))+0 none
wait_for "a window per half" widths $((W / 2)) $((W / 2))
xrandr --delmonitor left
xrandr --delmonitor right
wait_for "one window again" widths "$W"
"$LIVE" --quit
wait "$lpid" || fail "the run over the monitors ended with a failure"

# The root windows: paused while a fullscreen window covers the screen; a window number
# published as the background's pixmap is no pixmap, and its owner lives on.
start "$TEST_WINDOW" 60 40 publish >"$WORK/foreign.id"
foreign=${pids[-1]}
wait_for "the foreign window" grep -q . "$WORK/foreign.id"
live "$WORK/root.err" --root
stands_while_covered "$TEST_WINDOW" "$W" "$H"
kill -TERM "$lpid"
wait "$lpid" || fail "the root run ended with a failure"
kill -0 "$foreign" 2>/dev/null || fail "the program whose window was published was ended"
xwininfo -id "$(cat "$WORK/foreign.id")" >/dev/null || fail "the published window is gone"
pixmap=$(xprop -root _XROOTPMAP_ID | grep -o '0x[0-9a-f]*')
[ $((pixmap)) -ne "$(cat "$WORK/foreign.id")" ] || fail "the root background is not published: $(cat "$WORK/root.err")"
if xprop -display "${DISPLAY%.0}.1" -root _XROOTPMAP_ID | grep -q 0x; then
    fail "the 16-bit screen got a background"
fi

# Given windows that vanish as soon as their events are asked for: a clear end, never a
# run drawing into nothing.
for run in 1 2 3 4 5; do
    start "$TEST_WINDOW" 50 40 vanish >"$WORK/vanish.id"
    wait_for "a vanishing window" grep -q . "$WORK/vanish.id"
    status=0
    timeout 20 "$LIVE" --settings "$WORK/none.ini" --window-id "$(cat "$WORK/vanish.id")" \
        2>"$WORK/vanish.err" || status=$?
    [ "$status" -eq 1 ] && grep -qE "was closed|there is no window" "$WORK/vanish.err" ||
        fail "run $run: a vanished window gave status $status: $(cat "$WORK/vanish.err")"
done
echo "ombrix-live at the X11 edges: all checks passed"
