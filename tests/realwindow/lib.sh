# Shared steps of the real-window tests, sourced by each test script.
# Arguments of every test: the built ombrix executable and the folder of the helper tools.
#
# Each test gets a fresh folder ($WORK) with its own Xvfb display, its own copy of
# ombrix (and so its own settings file, $APP_DIR/ombrix.ini) and its own XDG folders;
# everything it starts is ended and removed when the script exits, also on failure
# (tests/common/script_lib.sh; KEEP_WORK=1 keeps the folder for a look afterwards).
source "$(dirname "${BASH_SOURCE[0]}")/../common/script_lib.sh"

OMBRIX_BUILT=${1:?usage: $0 OMBRIX-EXECUTABLE TOOLS-FOLDER}
TOOLS=${2:?usage: $0 OMBRIX-EXECUTABLE TOOLS-FOLDER}
make_work rw
APP_DIR=$WORK/app
APP=$APP_DIR/ombrix
INI=$APP_DIR/ombrix.ini
mkdir -p "$APP_DIR"
cp "$OMBRIX_BUILT" "$APP"

ombrix_pid=
ombrix_status=
WID=
# The main window's client area on the screen, set by start_ombrix.
WX=0 WY=0 WW=0 WH=0

start_display() {
    mkdir -p "$WORK/runtime" "$WORK/config" "$WORK/cache" "$WORK/data"
    chmod 700 "$WORK/runtime"
    # -noreset: a program that starts just as the last one ends finds the server there.
    start_xvfb -screen 0 1280x1024x24 -noreset
    # Nothing of the user's: Qt and its file dialog keep their state in these folders.
    export XDG_RUNTIME_DIR=$WORK/runtime XDG_CONFIG_HOME=$WORK/config \
        XDG_CACHE_HOME=$WORK/cache XDG_DATA_HOME=$WORK/data
    unset SESSION_MANAGER DBUS_SESSION_BUS_ADDRESS
    # With no session bus, the program's bus library may launch one on the display, which
    # would outlive the test.
    exit_steps+=(end_runtime)
    # The captions and messages the tests read are the Japanese ones, which the C locale
    # shows whatever language the machine running the tests speaks.
    export LC_ALL=C.UTF-8
    unset LANGUAGE
}

end_runtime() { end_session_of "$WORK"; }

# visible_windows TITLE-REGEX: the ids of the visible windows with that title, one a line.
visible_windows() {
    xdotool search --onlyvisible --name "$1" 2>/dev/null || true
}

window_count_is() { [ "$(visible_windows "$1" | grep -c .)" -eq "$2" ]; }

# Starts the copy of ombrix and waits for its main window; sets WID and WX WY WW WH.
# Arguments, if any, are a command that runs ombrix (env, setpriv...).
start_ombrix() {
    start "$@" "$APP" >"$WORK/ombrix.log" 2>&1
    ombrix_pid=${pids[-1]}
    wait_for "the main window" 60 window_count_is '^Ombrix$' 1
    WID=$(visible_windows '^Ombrix$')
    local X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$WID")"
    WX=$X WY=$Y WW=$WIDTH WH=$HEIGHT
    log "main window $WID at ($WX, $WY), $WW x $WH"
}

# click_at X Y: a left click at the screen point (X, Y).
# (mousemove --sync waits for a movement, so it is only used when the pointer must move.)
click_at() {
    local X Y SCREEN WINDOW
    eval "$(xdotool getmouselocation --shell)"
    if [ "$X" != "$1" ] || [ "$Y" != "$2" ]; then
        xdotool mousemove --sync "$1" "$2"
    fi
    xdotool click 1
}

# click_panel3 LEFT TOP WIDTH HEIGHT: clicks the centre of the control with that design
# rectangle inside Panel3, the left panel, which sits at (0, 65) in the client area.
click_panel3() {
    click_at $((WX + $1 + $3 / 2)) $((WY + 65 + $2 + $4 / 2))
}
press_start_stop() { click_panel3 64 208 57 25; }   # StartStopBtn
press_field_init() { click_panel3 8 72 129 25; }    # Button3, "Field Initialize"
press_detail() { click_panel3 8 8 65 17; }          # Button4, "詳細設定..."
press_text() { click_panel3 88 104 49 25; }         # Button6, "Text"
press_save() { click_panel3 64 336 57 25; }         # Button2, "Save"

# screenshot FILE: the whole screen as a PNG file.
screenshot() {
    import -window root "$1"
}

# The wall view: the client area right of Panel3 (145 wide) and below Panel1 (65 high).
wall_area() { echo "$((WX + 145)) $((WY + 65)) $((WW - 145)) $((WH - 65))"; }

# wall_shot FILE: a screenshot of the wall view alone.
wall_shot() {
    local x y w h
    read -r x y w h <<<"$(wall_area)"
    import -window root -crop "${w}x${h}+${x}+${y}" +repage "$1"
}

# same_pictures A B: true when the two pictures have no differing pixel.
same_pictures() {
    local differing
    differing=$(compare -metric AE "$1" "$2" null: 2>&1) || true
    [ "$differing" = 0 ]
}

# The save-file dialog: the second visible window once it is open.
save_dialog_open() { [ "$(visible_windows '.' | grep -vx "$WID" | grep -c .)" -ge 1 ]; }
only_main_window() { [ "$(visible_windows '.' | grep -c .)" -eq 1 ]; }

# wait_for_focus WINDOW-ID: waits until the window has the keyboard focus, so that
# keys typed next go to it.
has_focus() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]; }
wait_for_focus() { wait_for "the keyboard focus on window $1" 30 has_focus "$1"; }

# save_as PATH: presses "Save", types PATH into the file dialog's name field (which has
# the focus), replacing what it shows, and accepts with Return.
save_as() {
    press_save
    wait_for "the save dialog" 30 save_dialog_open
    wait_for_focus "$(visible_windows '.' | grep -vx "$WID" | head -n 1)"
    xdotool key --clearmodifiers ctrl+a
    xdotool type --delay 10 "$1"
    xdotool key Return
}

# close_ombrix: closes the main window as a user would (WM_DELETE_WINDOW) and waits for
# the program to end; its exit status is left in ombrix_status.
close_ombrix() {
    "$TOOLS/rw_close_window" "$WID" || fail "cannot send WM_DELETE_WINDOW to the main window"
    wait_for "ombrix to exit" 60 ombrix_exited
    set +e
    wait "$ombrix_pid"
    ombrix_status=$?
    set -e
    ombrix_pid=
}
ombrix_exited() { ! kill -0 "$ombrix_pid" 2>/dev/null; }

# ini_value KEY: the value of KEY in section Pendrel of the settings file ("" if absent,
# status 1 then).
ini_value() {
    awk -v key="$1" '
        /^\[/ { section = $0; sub(/^\[/, "", section); sub(/\].*$/, "", section); next }
        section == "Pendrel" && index($0, "=") > 0 {
            k = substr($0, 1, index($0, "=") - 1)
            if (k == key) { print substr($0, index($0, "=") + 1); found = 1; exit }
        }
        END { exit found ? 0 : 1 }' "$INI"
}

# expect_ini KEY VALUE
expect_ini() {
    local got
    got=$(ini_value "$1") || fail "the settings file has no key $1 in section Pendrel"
    [ "$got" = "$2" ] || fail "settings file: $1=$got, expected $1=$2"
}
