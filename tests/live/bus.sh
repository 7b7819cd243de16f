#!/usr/bin/env bash
# ombrix-live's buses and signals against a hostile neighbour and a careless shell:
#   usage: bus.sh OMBRIX-LIVE OMBRIX-RENDER UPOWER-SERVICE
# A bus that never answers, no bus on X11, forged signals from a second connection, a
# UPower answer that is not a boolean, another user's call (as root only), nohup, standard
# error's reader gone, and a settings file far too large.
LIVE=$1 RENDER=$2 UPOWER=$3
source "$(dirname "$0")/../common/script_lib.sh"
make_work bus
chmod 755 "$WORK" # the other user's client reaches the session bus in it
ends_with() { # PID STATUS: the process ends, with STATUS
    local status=0
    wait "$1" || status=$?
    [ "$status" -eq "$2" ] || fail "ended with $status, not $2"
}
# nohup's way: SIGHUP ignored, then the program.
nohup_start() { start bash -c 'trap "" HUP; exec "$@"' nohup "$@"; }
signal_bit() { # PID FIELD SIGNAL: the signal is in the process's SigIgn or SigCgt mask
    local mask
    mask=$(awk -v f="$2:" '$1 == f { print $2 }' "/proc/$1/status")
    (((0x$mask >> ($3 - 1)) & 1))
}

export XDG_RUNTIME_DIR=$WORK XDG_CONFIG_HOME=$WORK/config XDG_DATA_HOME=$WORK/data
export QT_QPA_PLATFORM=offscreen XSCREENSAVER_WINDOW= WAYLAND_DISPLAY=
start_xvfb -screen 0 64x48x24
live=(--root --settings "$WORK/none.ini" --interval 40)

# A bus that accepts and never answers, as session and system bus.
start python3 -c 'import socket, sys, time
s = socket.socket(socket.AF_UNIX); s.bind(sys.argv[1]); s.listen(64)
print("ready", flush=True); time.sleep(600)' "$WORK/hung" >"$WORK/hung.out"
wait_for "the hung bus" grep -q ready "$WORK/hung.out"
DBUS_SESSION_BUS_ADDRESS=unix:path=$WORK/hung DBUS_SYSTEM_BUS_ADDRESS=unix:path=$WORK/hung \
    start "$LIVE" "${live[@]}" 2>"$WORK/hung.err"
wait_for "drawing with a hung bus" grep -q "drawing on" "$WORK/hung.err"
kill -TERM "${pids[-1]}" # while the connections wait
ends_with "${pids[-1]}" 0

# No session bus address: none is started (dbus-launch would leave ~/.dbus behind).
if command -v dbus-launch >/dev/null; then
    mkdir "$WORK/home"
    env -u DBUS_SESSION_BUS_ADDRESS HOME="$WORK/home" "$LIVE" "${live[@]}" 2>"$WORK/none.err" &
    pids+=($!)
    wait_for "no bus said" grep -qx "ombrix-live: no session bus; running without the bus control" "$WORK/none.err"
    kill -TERM "${pids[-1]}"
    ends_with "${pids[-1]}" 0
    [ ! -e "$WORK/home/.dbus" ] || fail "a session bus was started: $(find "$WORK/home")"
else
    echo "dbus-launch is not installed: the bus's own start on X11 is not tried"
fi

# Private buses; the session bus lets any user in: ombrix-live itself refuses others.
cat >"$WORK/session.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig><type>session</type><listen>unix:path=$WORK/session</listen><auth>EXTERNAL</auth>
<policy context="default"><allow user="*"/><allow own="*"/><allow send_destination="*"/>
<allow receive_sender="*"/></policy></busconfig>
CONF
start_bus DBUS_SESSION_BUS_ADDRESS --config-file="$WORK/session.conf"
start_bus DBUS_SYSTEM_BUS_ADDRESS
start "$UPOWER" "$DBUS_SYSTEM_BUS_ADDRESS" >"$WORK/upower.out"
upower=${pids[-1]}
wait_for UPower grep -q ready "$WORK/upower.out"

is_paused() { [ "$(property Paused)" = "$1" ]; }
asked() { [ "$(grep -c asked "$WORK/upower.out")" -ge "$1" ]; }
forge_battery() { # VALUE: PropertiesChanged from a connection that is not UPower
    gdbus emit --system --object-path /org/freedesktop/UPower \
        --signal org.freedesktop.DBus.Properties.PropertiesChanged \
        "'org.freedesktop.UPower'" "{'OnBattery': <$1>}" "@as []" >/dev/null
}

# ombrix-live as under nohup, its standard error read by one line and then left.
mkfifo "$WORK/stderr"
head -n 1 "$WORK/stderr" >"$WORK/first" &
reader=$!
nohup_start "$LIVE" "${live[@]}" --seed random 2>"$WORK/stderr"
pid=${pids[-1]}
wait "$reader"
grep -q '^seed [0-9]*$' "$WORK/first" || fail "the seed is not said first"
wait_for "the bus name" is_paused false
wait_for "UPower asked" asked 1
signal_bit "$pid" SigIgn 1 || fail "SIGHUP is not ignored"
kill -HUP "$pid"
forge_battery true # UPower is asked again, and says no
wait_for "UPower asked again" asked 2
grows || fail "a forged OnBattery stopped it"
kill -USR1 "$upower" # UPower itself: on battery
wait_for "standing on battery" stands
forge_battery false
wait_for "UPower asked a third time" asked 3
stands || fail "a forged OnBattery started it on battery"
kill -USR2 "$upower" # a text where a boolean belongs: as good as no battery
wait_for "the text taken as no battery" grows
dbus-send --session --type=signal /org/freedesktop/DBus org.freedesktop.DBus.NameLost \
    string:io.github.ombrix.Ombrix.Live
is_paused false && kill -0 "$pid" || fail "gone after a forged NameLost"
if [ "$(id -u)" -eq 0 ]; then
    if setpriv --reuid=nobody --regid=nogroup --clear-groups dbus-send --session --print-reply \
        --dest=io.github.ombrix.Ombrix.Live /io/github/ombrix/Ombrix/Live \
        io.github.ombrix.Ombrix.Live.Pause 2>"$WORK/denied.err"; then
        fail "another user paused it"
    fi
    grep -q AccessDenied "$WORK/denied.err" || fail "another user's call: $(cat "$WORK/denied.err")"
    is_paused false || fail "another user paused it"
else
    echo "not root: another user's call is not tried"
fi
"$LIVE" --pause && is_paused true || fail "its own user could not pause it"
"$LIVE" --quit || fail "its own user could not end it"
ends_with "$pid" 0

truncate -s 200M "$WORK/large.ini"
status=0
"$LIVE" --root --settings "$WORK/large.ini" 2>"$WORK/large.err" || status=$?
[ "$status" -eq 1 ] && grep -qx "ombrix-live: the settings file \"$WORK/large.ini\" holds 200 MB; a settings file takes at most 4 MB" "$WORK/large.err" ||
    fail "a large settings file gave $status: $(cat "$WORK/large.err")"

# ombrix-render as under nohup: SIGHUP passes it by, SIGTERM ends it as usual (143).
nohup_start "$RENDER" --settings "$WORK/none.ini" --generations 2000000000 -q -o "$WORK/r.png"
wait_for "the renderer's signals" signal_bit "${pids[-1]}" SigCgt 15
signal_bit "${pids[-1]}" SigIgn 1 || fail "the renderer does not ignore SIGHUP"
kill -HUP "${pids[-1]}"
kill -TERM "${pids[-1]}"
ends_with "${pids[-1]}" 143
echo "bus.sh: all passed"
