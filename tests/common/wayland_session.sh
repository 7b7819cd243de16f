# Sourced by scripts that run ombrix-live on a headless sway: a private session in $WORK
# (which the caller has made), run as nobody when started as root, since sway refuses root.
# Sets user (the command prefix that drops root) and session (the command prefix of the
# session, growing as its parts start). The caller defines pids=() (what its clean-up
# ends; the parts started here are added) and fail MESSAGE (ends the script).

user=()
if [ "$(id -u)" -eq 0 ]; then
    user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
    chown nobody:nogroup "$WORK"
fi
mkdir -m 700 "$WORK/run"
[ "$(id -u)" -ne 0 ] || chown nobody:nogroup "$WORK/run"
session=("${user[@]}" env -i PATH=/usr/bin:/bin HOME="$WORK" XDG_RUNTIME_DIR="$WORK/run"
         DBUS_SYSTEM_BUS_ADDRESS="unix:path=$WORK/no-system-bus")

wait_for() { # DESCRIPTION SECONDS COMMAND...
    local what=$1 deadline=$((SECONDS + $2)); shift 2
    until "$@"; do
        [ "$SECONDS" -lt "$deadline" ] || fail "$what"
        sleep 0.1
    done
}

# session_pids NAME: the processes called NAME of this session (those with its runtime
# folder; compositors start some detached), comma-separated.
session_pids() {
    local pid
    for pid in $(pgrep -x "$1"); do
        if grep -qzx "XDG_RUNTIME_DIR=$WORK/run" "/proc/$pid/environ" 2>/dev/null; then
            echo "$pid"
        fi
    done | paste -sd,
}

# The generation ombrix-live has reached, from its Generation property on the session bus.
generation() {
    "${session[@]}" dbus-send --session --print-reply=literal --dest=io.github.ombrix.Ombrix.Live \
        /io/github/ombrix/Ombrix/Live org.freedesktop.DBus.Properties.Get \
        string:io.github.ombrix.Ombrix.Live string:Generation | awk '{ print $NF }'
}

start_session_bus() {
    "${session[@]}" dbus-daemon --session --nofork --print-address=3 3>"$WORK/bus" >/dev/null 2>&1 &
    pids+=($!)
    wait_for "the session bus did not start" 20 test -s "$WORK/bus"
    session+=(DBUS_SESSION_BUS_ADDRESS="$(head -1 "$WORK/bus")")
}

# start_sway WIDTHxHEIGHT [CONFIG-LINE]: one headless output with the pixman renderer, no
# Xwayland, and the config line given; sets sway_pid and adds WAYLAND_DISPLAY and SWAYSOCK
# to the session.
start_sway() {
    printf 'xwayland disable\noutput HEADLESS-1 resolution %s scale 1\n%s\n' "$1" "${2:-}" \
        >"$WORK/sway.conf"
    "${session[@]}" WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 \
        sway -c "$WORK/sway.conf" >"$WORK/sway.log" 2>&1 &
    sway_pid=$!
    pids+=("$sway_pid")
    wait_for "sway made no socket" 20 compgen -G "$WORK/run/sway-ipc.*.sock" >/dev/null
    wait_for "sway made no Wayland display" 20 compgen -G "$WORK/run/wayland-*[0-9]" >/dev/null
    session+=(WAYLAND_DISPLAY="$(basename "$(compgen -G "$WORK/run/wayland-*[0-9]")")"
              SWAYSOCK="$(compgen -G "$WORK/run/sway-ipc.*.sock")")
}
