# Sourced after wayland_session.sh by scripts that run a real headless GNOME Shell: its
# private system and session buses, settings in a key file below $WORK/config, extensions
# and the programs laid out as installed below $WORK (share/gnome-shell/extensions, bin).
# Defines set_key, shell, evaluate and extension; start_gnome_shell starts it.

# prepare_gnome EXTENSION-FOLDER OMBRIX-LIVE: the extension and the program in $WORK (the
# build folder may be closed to nobody), and the buses started. The extension is enabled
# once the shell's start is over: a live wall in the overview it starts in slows the
# shell down on a busy machine.
prepare_gnome() {
    uuid=$(basename "$1")
    mkdir -p "$WORK/bin" "$WORK/share/gnome-shell/extensions" "$WORK/config/ombrix"
    cp "$2" "$WORK/bin/ombrix-live"
    cp -r "$1" "$WORK/share/gnome-shell/extensions/"
    [ "$(id -u)" -ne 0 ] || chown -R nobody:nogroup "$WORK"
    session+=(XDG_CONFIG_HOME="$WORK/config" XDG_DATA_HOME="$WORK/share" GSETTINGS_BACKEND=keyfile)
    "${session[@]}" dbus-daemon --session --nofork --print-address=3 3>"$WORK/system-bus" \
        >/dev/null 2>&1 &
    pids+=($!)
    wait_for "the system bus did not start" 20 test -s "$WORK/system-bus"
    session+=(DBUS_SYSTEM_BUS_ADDRESS="$(head -1 "$WORK/system-bus")")
    start_session_bus
}

set_key() { "${session[@]}" gsettings set "$@"; }

shell() { # OBJECT-BELOW-/org/gnome/Shell METHOD ARGS...
    local object=$1 method=$2; shift 2
    "${session[@]}" gdbus call --session --dest org.gnome.Shell \
        --object-path "/org/gnome/Shell$object" --method "$method" "$@" 2>/dev/null
}
# evaluate JS: what the shell's Eval gives back, as JSON.
evaluate() { shell "" org.gnome.Shell.Eval "$1" | sed -n "s/^(true, '\(.*\)')$/\1/p"; }
extension() { # METHOD: org.gnome.Shell.Extensions.METHOD of the extension
    "${session[@]}" gdbus call --session --dest org.gnome.Shell \
        --object-path /org/gnome/Shell --method "org.gnome.Shell.Extensions.$1" "$uuid"
}

# start_gnome_shell --virtual-monitor WxH...: sets shell_pid, waits until it answers, its
# start is over and the overview hidden. No banner shows over the screen (the notice of
# the missing screen lock, which comes a moment later, would stay while no one touches
# the machine); notifications are still kept in the message tray.
start_gnome_shell() {
    "${session[@]}" gnome-shell --headless --wayland --no-x11 --unsafe-mode "$@" \
        >"$WORK/shell.log" 2>&1 &
    shell_pid=$!
    pids+=("$shell_pid")
    shell_up() { shell "" org.freedesktop.DBus.Peer.Ping >/dev/null; }
    wait_for "gnome-shell did not come up" 60 shell_up
    overview_hidden() {
        [ "$(evaluate 'const o = Main.overview; Main.messageTray.bannerBlocked = true;
            Main.layoutManager._startingUp || o.visible || o.animationInProgress
            ? (o.hide(), "no") : "yes"')" = '"yes"' ]
    }
    wait_for "the shell refused Eval or kept the overview" 60 overview_hidden
}
