# Sourced by scripts that run ombrix-live on a headless sway: a private session in $WORK
# (which the caller has made), run as nobody when started as root, since sway refuses root.
# Sets user (the command prefix that drops root) and session (the command prefix of the
# session, growing as its parts start). The parts started here are ended at exit (see
# script_lib.sh, sourced here if the caller has not).
source "$(dirname "${BASH_SOURCE[0]}")/script_lib.sh"

# live_pid: the ombrix-live a script started in the session (outside its pids), ended at
# exit too.
live_pid=
end_live() { [ -z "$live_pid" ] || { kill "$live_pid" 2>/dev/null; wait "$live_pid" 2>/dev/null; }; }
exit_steps+=(end_live)

user=()
if [ "$(id -u)" -eq 0 ]; then
    user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
    chown nobody:nogroup "$WORK"
fi
mkdir -m 700 "$WORK/run"
[ "$(id -u)" -ne 0 ] || chown nobody:nogroup "$WORK/run"
session=("${user[@]}" env -i PATH=/usr/bin:/bin HOME="$WORK" XDG_RUNTIME_DIR="$WORK/run"
         DBUS_SYSTEM_BUS_ADDRESS="unix:path=$WORK/no-system-bus")

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

start_session_bus() { start_bus DBUS_SESSION_BUS_ADDRESS; }

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
