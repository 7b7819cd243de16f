#!/usr/bin/env bash
# ombrix-live on a real X server with a real window manager (Xvfb, openbox), a private
# session bus and a UPower stand-in on a private bus given as the system bus:
#   usage: x11.sh OMBRIX-LIVE OMBRIX-RENDER TEST-WINDOW UPOWER-SERVICE
# One run through the desktop windows (type, size, stacking, covering, battery, the bus
# control, a paused frame equal to the renderer's, the take-over by a second one), the
# root windows, a screensaver's window, and the faults: an unknown window, a settings file
# that cannot be read, the display going away. Everything it starts ends with it.
LIVE=$1 RENDER=$2 TEST_WINDOW=$3 UPOWER=$4
source "$(dirname "$0")/../common/script_lib.sh"
make_work live

W=320 H=200
mkdir -m 700 "$WORK/runtime"
export XDG_RUNTIME_DIR=$WORK/runtime XDG_CONFIG_HOME=$WORK/config XDG_DATA_HOME=$WORK/data
export QT_QPA_PLATFORM=offscreen XSCREENSAVER_WINDOW= WAYLAND_DISPLAY=
unset XDG_CURRENT_DESKTOP
start_xvfb -screen 0 ${W}x${H}x24
start openbox --sm-disable 2>/dev/null
start_bus DBUS_SESSION_BUS_ADDRESS
start_bus DBUS_SYSTEM_BUS_ADDRESS
start "$UPOWER" "$DBUS_SYSTEM_BUS_ADDRESS" >"$WORK/upower.out"
upower=${pids[-1]}
wait_for UPower grep -q ready "$WORK/upower.out"

SETTINGS=$WORK/none.ini
# same_as_render IMAGE G: IMAGE is ombrix-render's wall of generation G, pixel for pixel
same_as_render() {
    "$RENDER" --settings "$SETTINGS" --generations "$2" --size "${3:-${W}x${H}}" -q -o "$WORK/render.png"
    [ "$(compare -metric AE "$1" "$WORK/render.png" null: 2>&1)" = 0 ]
}

# The desktop windows.
start "$LIVE" --settings "$SETTINGS" --interval 40 2>"$WORK/live1.err"
live1=${pids[-1]}
wait_for "the bus name" property Generation
grep -qx "ombrix-live: drawing on x11 desktop windows" "$WORK/live1.err" || fail "the way is not said"
desk=$(xdotool search --name '^Ombrix Live$' | head -n 1)
xprop -id "$desk" _NET_WM_WINDOW_TYPE | grep -q '= _NET_WM_WINDOW_TYPE_DESKTOP$' || fail "type"
xprop -id "$desk" WM_HINTS | grep -q 'Client accepts input or input focus: False' || fail "focus"
xprop -id "$desk" _NET_WM_STATE | grep -q SKIP_TASKBAR || fail "task bar"
xwininfo -id "$desk" | grep -q "Width: $W" && xwininfo -id "$desk" | grep -q "Height: $H" ||
    fail "does not cover the screen"
grows || fail "does not grow"
wakes_once_a_generation "$live1" || fail "woken more than once a generation"

start "$TEST_WINDOW" 120 80 >"$WORK/plain.id"
plain=${pids[-1]}
wait_for "an ordinary window" grep -q . "$WORK/plain.id"
stacking() { xprop -root _NET_CLIENT_LIST_STACKING | grep -o '0x[0-9a-f]*'; }
managed() { [ "$(stacking | grep -c .)" -ge 2 ]; }
wait_for "the ordinary window managed" managed
xdotool mousemove 300 190 click 1
lowest() { [ $(($(stacking | head -n 1))) -eq $((desk)) ]; }
holds 400 lowest || fail "the desktop window is not the lowest after a click"

# Covered: neither steps nor draws; uncovered: carries on.
stands_while_covered "$TEST_WINDOW" "$W" "$H"

# On battery it pauses, and carries on when the power comes back.
kill -USR1 "$upower"
wait_for "standing on battery" stands
kill -USR1 "$upower"
wait_for "growing on mains power" grows

# Paused through the bus: the frame is ombrix-render's of the same generation.
"$LIVE" --pause || fail "--pause found none"
[ "$(property Paused)" = true ] || fail "Paused is not true"
G=$(property Generation)
stands || fail "grows while paused"
kill "$plain"
shows_paused() { import -window root "$WORK/desk.png" && same_as_render "$WORK/desk.png" "$G"; }
wait_for "the paused frame of generation $G on the screen" shows_paused
"$LIVE" --resume && grows || fail "--resume"

# A second one takes over; the first ends by itself.
start "$LIVE" --settings "$SETTINGS" --interval 40 --on-battery run --seed random \
    2>"$WORK/live2.err"
live2=${pids[-1]}
wait "$live1" || fail "the first one ended with a failure"
grep -q "another live wallpaper took over" "$WORK/live1.err" || fail "no take-over message"
wait_for "the second one" property Generation
"$LIVE" --quit || fail "--quit found none"
wait "$live2" || fail "the second one ended with a failure"
grep -qE "^seed [0-9]+$" "$WORK/live2.err" || fail "the drawn seed is not said"
if "$LIVE" --quit 2>"$WORK/none.err"; then fail "--quit answered with none running"; fi
grep -q "no live wallpaper runs" "$WORK/none.err" || fail "no message for none running"

# The root windows keep the last frame, published for other programs.
start "$LIVE" --settings "$SETTINGS" --interval 40 --root 2>"$WORK/root.err"
root=${pids[-1]}
wait_for "the root run" property Generation
"$LIVE" --pause
G=$(property Generation)
kill -TERM "$root"
wait "$root" || fail "the root run ended with a failure"
xprop -root _XROOTPMAP_ID | grep -q 'pixmap id # 0x' || fail "_XROOTPMAP_ID"
import -window root "$WORK/root.png"
same_as_render "$WORK/root.png" "$G" || fail "the root's last frame is not generation $G"

# A screensaver's window, named as xscreensaver names it beside -root: drawn into, no bus
# name; its end ends the run.
start "$TEST_WINDOW" 90 70 >"$WORK/saver.id"
saver=${pids[-1]}
wait_for "the screensaver's window" grep -q . "$WORK/saver.id"
XSCREENSAVER_WINDOW=$(printf '0x%x' "$(cat "$WORK/saver.id")") \
    start "$LIVE" -root --settings "$SETTINGS" --interval 2000 2>"$WORK/saver.err"
saverlive=${pids[-1]}
saver_shows_wall() {
    kill -STOP "$saverlive"
    import -window "$(cat "$WORK/saver.id")" "$WORK/saver.png"
    kill -CONT "$saverlive"
    same_as_render "$WORK/saver.png" 0 90x70 || same_as_render "$WORK/saver.png" 1 90x70
}
wait_for "the wall in the screensaver's window" saver_shows_wall
if property Generation 2>/dev/null; then fail "a run in a given window took the bus name"; fi
kill "$saver"
if wait "$saverlive"; then fail "the run went on without its window"; fi
grep -q "was closed" "$WORK/saver.err" || fail "no message for the closed window"

# Faults: a clear line and status, nothing left running.
expect() { # STATUS TEXT COMMAND...
    local want=$1 text=$2 got=0
    shift 2
    "$@" 2>"$WORK/fault.err" || got=$?
    [ "$got" -eq "$want" ] && grep -q "$text" "$WORK/fault.err" ||
        fail "$* gave $got: $(cat "$WORK/fault.err")"
}
expect 1 "there is no window 0x7654321 on the X display" "$LIVE" --window-id 0x7654321
expect 2 "XSCREENSAVER_WINDOW: expected a window number" env XSCREENSAVER_WINDOW=0xgg "$LIVE"
mkdir "$WORK/folder.ini"
expect 1 "cannot read \"$WORK/folder.ini\": Is a directory" "$LIVE" --settings "$WORK/folder.ini"
expect 2 "^ombrix-live: --zoom" "$LIVE" --zoom 9

# The still mode on GNOME's settings (keyfile): the first frame is set at once, as the
# pattern for the desktop to repeat when there is no screen to measure.
(unset DISPLAY; export GSETTINGS_BACKEND=keyfile XDG_CURRENT_DESKTOP=GNOME
    exec "$LIVE" --settings "$SETTINGS" --still-every 1 --on-battery run 2>"$WORK/still.err") &
pids+=($!)
still=${pids[-1]}
picture() { GSETTINGS_BACKEND=keyfile gsettings get org.gnome.desktop.background picture-uri |
    grep -o "$XDG_DATA_HOME/Ombrix/wallpapers/[^']*"; }
wait_for "the still frame" picture
"$RENDER" --settings "$SETTINGS" --generations 0 -q -o "$WORK/tile.png"
[ "$(compare -metric AE "$(picture)" "$WORK/tile.png" null: 2>&1)" = 0 ] || fail "still frame"
grep -q "a still background every 1 minutes" "$WORK/still.err" || fail "the still way is not said"
kill "$still"

start "$LIVE" --settings "$SETTINGS" --interval 40 2>"$WORK/gone.err"
gone=${pids[-1]}
wait_for "the last run" property Generation
kill "$xvfb_pid"
status=0
wait "$gone" || status=$?
[ "$status" -eq 1 ] && grep -q "the X display $DISPLAY went away" "$WORK/gone.err" ||
    fail "display gone: status $status"
echo "ombrix-live on X11: all checks passed"
