#!/usr/bin/env bash
# The package unpacked into a temporary root runs there under Xvfb as a user who cannot
# write the program's folder (nobody when the test runs as root): the window shows the
# program's icon, and the settings live in ~/.config/ombrix/ombrix.ini, are kept from
# one run to the next, and no error box comes at exit. Run by root, the settings go to
# root's configuration folder too, starting from a file an earlier version left beside
# the program, which is read and never written. A settings folder that cannot
# be created gives one error box at exit naming the file (in English for a German
# user), and creates nothing.
# Usage: run_installed.sh PACKAGE-DIR OMBRIX-EXECUTABLE TOOLS-FOLDER
set -euo pipefail
package_dir=${1:?usage: $0 PACKAGE-DIR OMBRIX-EXECUTABLE TOOLS-FOLDER}
shift
source "$(dirname "$0")/../realwindow/lib.sh"

# The unpacked package, readable by all and writable by root alone.
chmod 755 "$WORK"
root=$WORK/root
dpkg-deb -x "$package_dir"/*.deb "$root"
chmod -R a+rX,go-w "$root"
installed=$root/usr/bin/ombrix
home=$WORK/home
mkdir -p "$home"

if [ "$(id -u)" -eq 0 ]; then
    as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups --)
    chown nobody:nogroup "$home"
else
    # The test's own user runs the program, in a folder of the package it cannot write,
    # and gets the right back to remove the work folder at the end.
    as_user=()
    chmod a-w "$root/usr/bin"
    trap 'status=$?; chmod u+w "$root/usr/bin"; (exit "$status"); script_cleanup' EXIT
fi
# A user who cannot write the folder, as lib.sh's start_ombrix starts $APP.
APP=$WORK/run-installed
cat >"$APP" <<WRAPPER
#!/bin/sh
exec ${as_user[*]} env -u XDG_CONFIG_HOME HOME="$home" XDG_RUNTIME_DIR="$home/runtime" \
    \${OMBRIX_ENV:-} "$installed"
WRAPPER
chmod 755 "$APP"
mkdir -p "$home/runtime" && chmod 700 "$home/runtime"
[ "$(id -u)" -ne 0 ] || chown -R nobody:nogroup "$home"

settings=$home/.config/ombrix/ombrix.ini
INI=$settings  # lib.sh's ini_value and expect_ini read this file

# close_and_expect_no_box: closes the main window; the program must end without any
# other window showing up (an error box would keep it running).
# (a window of that title besides the main window, which may still be on the screen)
error_box_shown() { visible_windows '^Ombrix$' | grep -vqx "$WID"; }
ended_or_box() { ombrix_exited || error_box_shown; }
close_and_expect_no_box() {
    "$TOOLS/rw_close_window" "$WID" || fail "cannot close the main window"
    wait_for "ombrix to end" 60 ended_or_box
    ombrix_exited || fail "an error box came at exit: $(cat "$WORK/ombrix.log")"
    set +e
    wait "$ombrix_pid"
    ombrix_status=$?
    set -e
    ombrix_pid=
    [ "$ombrix_status" -eq 0 ] || fail "ombrix exited with status $ombrix_status"
}

start_display
# First run: no settings yet.
start_ombrix
has_icon() { xprop -id "$WID" _NET_WM_ICON | grep -q '_NET_WM_ICON(CARDINAL) = '; }
wait_for "the main window's icon" 30 has_icon
close_and_expect_no_box
[ -s "$settings" ] || fail "no settings file at $settings"
expect_ini AreaW 128
[ -z "$(find "$root" -name '*.ini')" ] || fail "a settings file went into the program's folder"

# Second run: the values it reads are the ones it writes back.
sed -i -e 's/^AreaW=.*/AreaW=200/' -e 's/^Speed=.*/Speed=500/' "$settings"
start_ombrix
close_and_expect_no_box
expect_ini AreaW 200
expect_ini Speed 500

# Run by root, who may write /usr/bin, with a settings file an earlier version left
# there: root's own file is made in root's configuration folder from the earlier one's
# values, and the earlier file is left as it was.
[ "$(id -u)" -eq 0 ] || chmod u+w "$root/usr/bin"
printf '[Pendrel]\r\nAreaW=300\r\n' >"$root/usr/bin/ombrix.ini"
root_home=$WORK/root-home
mkdir -p "$root_home/runtime" && chmod 700 "$root_home/runtime"
cat >"$APP" <<WRAPPER
#!/bin/sh
exec env -u XDG_CONFIG_HOME HOME="$root_home" XDG_RUNTIME_DIR="$root_home/runtime" "$installed"
WRAPPER
start_ombrix
close_and_expect_no_box
INI=$root_home/.config/ombrix/ombrix.ini
expect_ini AreaW 300
[ "$(cat "$root/usr/bin/ombrix.ini")" = "$(printf '[Pendrel]\r\nAreaW=300\r\n')" ] ||
    fail "the earlier settings file beside the program was written"
rm "$root/usr/bin/ombrix.ini"
[ "$(id -u)" -eq 0 ] || chmod a-w "$root/usr/bin"
INI=$settings
cat >"$APP" <<WRAPPER
#!/bin/sh
exec ${as_user[*]} env -u XDG_CONFIG_HOME HOME="$home" XDG_RUNTIME_DIR="$home/runtime" \
    \${OMBRIX_ENV:-} "$installed"
WRAPPER

# A settings folder that cannot be created (its parent is a file): one error box that
# names the file, then the program ends; nothing is created. The user speaks German, so
# the message comes in English.
printf 'not a folder' >"$home/.config/blocked"
[ "$(id -u)" -ne 0 ] || chown nobody:nogroup "$home/.config/blocked"
export OMBRIX_ENV="XDG_CONFIG_HOME=$home/.config/blocked LC_ALL=de_DE.UTF-8"
before=$(find "$WORK" | sort)
start_ombrix
"$TOOLS/rw_close_window" "$WID" || fail "cannot close the main window"
wait_for "the error box at exit" 60 error_box_shown
box=$(visible_windows '^Ombrix$' | grep -vx "$WID" | head -n 1)
eval "$(xdotool getwindowgeometry --shell "$box" | sed 's/^/BOX_/')"
xdotool mousemove --sync $((BOX_X + 100)) $((BOX_Y + 20)) click --repeat 3 --delay 80 1
has_text() { "$TOOLS/rw_clipboard_text" PRIMARY >"$WORK/box.txt"; }
wait_for "the error box's text in the primary selection" 30 has_text
grep -qF "Cannot write to $home/.config/blocked/ombrix/ombrix.ini." "$WORK/box.txt" ||
    fail "the error box says: $(cat "$WORK/box.txt")"
wait_for_focus "$box"
xdotool key Return
wait_for "ombrix to end" 60 ombrix_exited
after=$(find "$WORK" | sort)
new_files=$(comm -13 <(echo "$before") <(echo "$after") | grep -v -e "^$WORK/box.txt$" \
    -e "^$WORK/wait.out$" -e "^$home/runtime" || true)
[ -z "$new_files" ] || fail "files were created: $new_files"
[ "$(cat "$home/.config/blocked")" = "not a folder" ] || fail "the blocking file was changed"
log "PASS"
