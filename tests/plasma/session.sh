# Sourced by scripts that run the Ombrix wallpaper in a real headless Plasma Wayland session:
# KWin on a virtual output and plasmashell, as nobody when started as root, with a private
# session bus started with the session's environment (the services it starts, such as the
# activity manager, inherit it: without one plasmashell makes no desktop). The caller has
# made $WORK and set LIVE_DIR (the folder of ombrix-live) and PACKAGES (a folder with
# plasma/wallpapers/ID below it).
# Sets session (the command prefix of the session) and plasma_pid; shell SCRIPT runs a
# Plasma shell script and prints what it prints.

source "$(dirname "${BASH_SOURCE[0]}")/../common/wayland_session.sh"
# /usr/bin/kwin_wayland carries a file capability that a container's bounding set may lack;
# a plain copy runs without it.
cp /usr/bin/kwin_wayland "$WORK/kwin_wayland"
session+=(PATH="$LIVE_DIR:/usr/bin:/bin" XDG_CONFIG_HOME="$WORK/config" XDG_DATA_HOME="$WORK/data"
          XDG_CACHE_HOME="$WORK/cache" XDG_DATA_DIRS="$PACKAGES:/usr/local/share:/usr/share"
          XDG_CURRENT_DESKTOP=KDE KDE_FULL_SESSION=true KDE_SESSION_VERSION=5 QT_QPA_PLATFORM=wayland
          WAYLAND_DISPLAY=ombrix-test KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1 LIBGL_ALWAYS_SOFTWARE=1)

# Ends whatever still runs in the session (the shell's I/O workers, the services the bus
# started).
end_session() { end_session_of "$WORK/run"; }
exit_steps+=(end_session)

shell() {
    "${session[@]}" qdbus org.kde.plasmashell /PlasmaShell org.kde.PlasmaShell.evaluateScript "$1"
}

start_plasmashell() {
    start "${session[@]}" plasmashell --no-respawn >>"$WORK/plasmashell.log" 2>&1
    plasma_pid=${pids[-1]}
    wait_for "plasmashell made no desktop" 60 has_desktop
}
has_desktop() { [ "$(shell 'print(desktops().length)' 2>/dev/null)" -ge 1 ]; }

# start_plasma WIDTH HEIGHT [SCREENS [SCALE]]: the screens side by side, WIDTH × HEIGHT
# physical pixels each
start_plasma() {
    start_session_bus
    start "${session[@]}" "$WORK/kwin_wayland" --virtual --width "$(($1 / ${4:-1}))" --height "$(($2 / ${4:-1}))" \
        --output-count "${3:-1}" --scale "${4:-1}" \
        --no-lockscreen --no-global-shortcuts --socket ombrix-test >"$WORK/kwin.log" 2>&1
    wait_for "KWin made no socket" 30 test -S "$WORK/run/ombrix-test"
    start_plasmashell
}
