#!/usr/bin/env bash
# The layer-shell adapter on a real headless sway (pixman renderer) read back with grim:
# the picture at scale 1 and 2 equals ombrix-render's wall of the output's size; a
# fullscreen window hides it and its going shows it again; a new output gets a surface;
# the compositor's end is reported with a clear message and exit status 1; a display
# that is not there is refused. sway 1.7 cannot unplug or disable a headless output, so
# outputs that go are not tried here.
#   sway.sh SHOW-PATTERN-DRIVER OMBRIX-RENDER
set -euo pipefail
DRIVER=${1:?usage: $0 SHOW-PATTERN-DRIVER OMBRIX-RENDER}
RENDER=${2:?usage: $0 SHOW-PATTERN-DRIVER OMBRIX-RENDER}
for tool in sway swaymsg grim foot compare setpriv; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

WORK=$(mktemp -d "${TMPDIR:-/tmp}/ombrix-sway.XXXXXX")
chmod 755 "$WORK"
sway_pid= driver_pid= foot_pid=
log() { printf "[%3ds] %s\n" "$SECONDS" "$*" >&2; }
fail() { log "FAIL: $*"; exit 1; }
cleanup() {
    local status=$?
    for pid in $foot_pid $driver_pid $sway_pid; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    if [ "$status" -ne 0 ]; then
        for f in driver.out driver.err sway.log; do
            [ -s "$WORK/$f" ] && { log "---- $f ----"; tail -20 "$WORK/$f" >&2; }
        done
    fi
    rm -rf "$WORK"
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# sway refuses root: as root everything on the display runs as nobody.
user=()
if [ "$(id -u)" -eq 0 ]; then
    user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
    chown nobody:nogroup "$WORK"
fi
mkdir -m 700 "$WORK/run"
[ "$(id -u)" -eq 0 ] && chown nobody:nogroup "$WORK/run"
# The driver runs from the test's folder: the build folder may be closed to nobody.
cp "$DRIVER" "$WORK/show_pattern"
# as_user COMMAND...: in the session (in the foreground; "${as_user[@]}" CMD & for a
# process whose id the test keeps).
as_user=("${user[@]}" env -i PATH=/usr/bin:/bin HOME="$WORK" XDG_RUNTIME_DIR="$WORK/run")
as_user() { "${as_user[@]}" "$@"; }
wait_for() { # DESCRIPTION SECONDS COMMAND...
    local what=$1 deadline=$((SECONDS + $2)); shift 2
    until "$@"; do
        [ "$SECONDS" -lt "$deadline" ] || fail "$what"
        sleep 0.1
    done
}
# shows OUTPUT PICTURE: grim reads OUTPUT back exactly as PICTURE.
shows() {
    as_user grim -o "$1" "$WORK/shot.png" 2>/dev/null &&
        [ "$(compare -metric AE "$WORK/shot.png" "$2" null: 2>&1)" = 0 ]
}

# The pattern is the tile (plain tiling); 37 × 23 is odd both ways, so at scale 2 the
# adapter must repeat it twice each way into the buffer.
render=("$RENDER" -q --seed 7 --field 37x23 --tiling 0 --generations 5)
"${render[@]}" -o "$WORK/pattern.png"
"${render[@]}" --size 1024x768 -o "$WORK/wall-1024.png"
"${render[@]}" --size 640x480 -o "$WORK/wall-640.png"
chmod 644 "$WORK"/*.png

cat > "$WORK/sway.conf" <<CONF
xwayland disable
output HEADLESS-1 resolution 1024x768 scale 1
CONF
"${as_user[@]}" WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 \
    sway -c "$WORK/sway.conf" >"$WORK/sway.log" 2>&1 &
sway_pid=$!
wait_for "sway made no socket" 10 compgen -G "$WORK/run/sway-ipc.*.sock" >/dev/null
swaysock=$(compgen -G "$WORK/run/sway-ipc.*.sock")
socket=$(basename "$(compgen -G "$WORK/run/wayland-*[0-9]")")
as_user+=(WAYLAND_DISPLAY="$socket" SWAYSOCK="$swaysock")
log "sway on $socket"

"${as_user[@]}" "$WORK/show_pattern" "$WORK/pattern.png" 33 >"$WORK/driver.out" 2>"$WORK/driver.err" &
driver_pid=$!
wait_for "the adapter did not start" 10 grep -qx 'way: wayland layer shell' "$WORK/driver.out"
wait_for "scale 1: the output is not the wall" 10 shows HEADLESS-1 "$WORK/wall-1024.png"
log "scale 1 shows the wall"

# A fullscreen window covers the only output: no frame is asked for, so after a second
# the adapter says nothing can be seen; when the window goes it says so again.
"${as_user[@]}" foot -F -a cover sleep 60 >/dev/null 2>&1 &
foot_pid=$!
wait_for "covered, the adapter still says visible" 10 grep -q '^visible 0' "$WORK/driver.out"
kill "$foot_pid"; wait "$foot_pid" 2>/dev/null || true; foot_pid=
wait_for "uncovered, the adapter did not say visible" 10 grep -q '^visible 1' "$WORK/driver.out"
log "covered and uncovered: $(tr '\n' ' ' <"$WORK/driver.out")"

as_user swaymsg -q output HEADLESS-1 scale 2
wait_for "scale 2: the output is not the wall" 10 shows HEADLESS-1 "$WORK/wall-1024.png"
log "scale 2 shows the wall, one cell per physical pixel"

as_user swaymsg -q create_output
as_user swaymsg -q output HEADLESS-2 resolution 640x480
wait_for "the new output is not the wall" 10 shows HEADLESS-2 "$WORK/wall-640.png"
shows HEADLESS-1 "$WORK/wall-1024.png" || fail "the first output changed"
log "a new output gets its surface"

kill "$sway_pid"; wait "$sway_pid" 2>/dev/null || true; sway_pid=
status=0
wait "$driver_pid" || status=$?
driver_pid=
[ "$status" -eq 1 ] || fail "the compositor's end gave exit status $status, not 1"
grep -qx "lost: lost the connection to the Wayland compositor on $socket (Broken pipe)" \
    "$WORK/driver.err" || fail "the compositor's end: $(cat "$WORK/driver.err")"
[ "$(wc -l <"$WORK/driver.err")" -eq 1 ] || fail "more than one line on the compositor's end"
log "the compositor's end is reported"

status=0
as_user env WAYLAND_DISPLAY=wayland-gone "$WORK/show_pattern" "$WORK/pattern.png" \
    2>"$WORK/driver.err" >/dev/null || status=$?
[ "$status" -eq 3 ] || fail "a missing display gave exit status $status"
grep -q '^no layer shell: cannot connect to the Wayland display wayland-gone (' "$WORK/driver.err" ||
    fail "a missing display: $(cat "$WORK/driver.err")"
log "PASS"
