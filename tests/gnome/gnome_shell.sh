#!/usr/bin/env bash
# The GNOME Shell extension in a real headless GNOME Shell (two virtual monitors, private
# session and system buses, settings in a key file), run as an unprivileged user. Enabled
# the window's way (ENABLE prints the shell's answer), it starts ombrix-live; paused at
# generation G, each monitor shows ombrix-render's wall of G generations at its size from
# its own top-left corner; the live window is in no window list and never focused; a
# killed ombrix-live is started again and shows its wall; fullscreen windows on both
# monitors pause it; `ombrix-live --quit` and disabling the extension end it and the
# desktop's own background shows at once. Enabled again and killed four times, it is
# given up with one notification and the desktop's own background; the window's way
# starts it afresh, and a missing program is said the same way; a still picture in its
# place disables it; with user extensions switched off the window's way says the shell's
# refusal.
#   gnome_shell.sh OMBRIX-LIVE OMBRIX-RENDER EXTENSION-FOLDER ENABLE
set -euo pipefail
usage="usage: $0 OMBRIX-LIVE OMBRIX-RENDER EXTENSION-FOLDER ENABLE"
LIVE=${1:?$usage}
RENDER=${2:?$usage}
EXTENSION=${3:?$usage}
ENABLE=${4:?$usage}
for tool in gnome-shell gsettings gdbus dbus-daemon dbus-send foot compare convert setpriv; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

WORK=$(mktemp -d "${TMPDIR:-/tmp}/ombrix-gnome.XXXXXX")
chmod 755 "$WORK"
pids=()
log() { printf "[%3ds] %s\n" "$SECONDS" "$*" >&2; }
fail() { log "FAIL: $*"; exit 1; }
cleanup() {
    local status=$? pid
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    if [ "$status" -ne 0 ] && [ -s "$WORK/shell.log" ]; then
        # The extension's own lines (with ombrix-live's), then the last of the others
        # but the warnings of the shell's own ending.
        log "---- shell.log ----"
        grep "Ombrix live wallpaper" "$WORK/shell.log" | tail -20 >&2
        grep -v "^libEGL\|MESA\|CRITICAL\|Ombrix live wallpaper" "$WORK/shell.log" | tail -15 >&2
    fi
    rm -rf "$WORK"
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

source "$(dirname "$0")/../common/wayland_session.sh"
source "$(dirname "$0")/../common/gnome_session.sh"
prepare_gnome "$EXTENSION" "$LIVE"
cp "$ENABLE" "$WORK/enable"
printf '[Pendrel]\nTilingType=0\nAreaW=37\nAreaH=23\nSpeed=33\n' >"$WORK/config/ombrix/live.ini"
# The desktop's own background: one colour, to be told from the wall exactly.
set_key org.gnome.desktop.background picture-options none
set_key org.gnome.desktop.background color-shading-type solid
set_key org.gnome.desktop.background primary-color '#204060'
start_gnome_shell --virtual-monitor 1280x720 --virtual-monitor 800x600
live_pid() { session_pids ombrix-live; }
running() { [ -n "$(live_pid)" ] && generation >/dev/null 2>&1; }
answer=$("${session[@]}" "$WORK/enable")
[ "$answer" = enabled ] || fail "the window's way did not enable the extension: $answer"
wait_for "enabled, the extension did not start ombrix-live ($(extension GetExtensionInfo))" 30 \
    running
first=$(live_pid)
log "ombrix-live $first runs in gnome-shell"

# pause: pauses ombrix-live, sets g to its generation and draws ombrix-render's walls of g.
pause() {
    "${session[@]}" "$WORK/bin/ombrix-live" --pause || fail "--pause found no live wallpaper"
    g=$(generation)
    for size in 1280x720 800x600; do
        "$RENDER" -q --settings "$WORK/config/ombrix/live.ini" --generations "$g" \
            --size "$size" -o "$WORK/wall-$size.png"
    done
}
screenshot() {
    shell /Screenshot org.gnome.Shell.Screenshot.Screenshot false false "$WORK/shot.png" >/dev/null &&
        [ -s "$WORK/shot.png" ]
}
# shows PLACE PICTURE PICTURE-PLACE: the screenshot's PLACE (WxH+X+Y) is PICTURE's.
shows() {
    screenshot && convert "$WORK/shot.png" -crop "$1" +repage "$WORK/seen.png" &&
        convert "$2" -crop "$3" +repage "$WORK/meant.png" &&
        [ "$(compare -metric AE "$WORK/seen.png" "$WORK/meant.png" null: 2>&1)" = 0 ]
}
pause
# The first monitor below its top bar.
wait_for "paused at $g, the first monitor is not ombrix-render's wall" 30 \
    shows 1280x688+0+32 "$WORK/wall-1280x720.png" 1280x688+0+32
shows 800x600+1280+0 "$WORK/wall-800x600.png" 800x600+0+0 ||
    fail "paused at $g, the second monitor is not ombrix-render's wall from its top-left corner"
[ "$(generation)" = "$g" ] || fail "paused at $g, it went on to $(generation)"
log "paused at generation $g, each monitor shows ombrix-render's wall"

# The live window exists, yet no list holds it and it has no focus.
windows='global.display.list_all_windows().filter(w => w.get_wm_class() === "io.github.ombrix.Ombrix.Live")'
[ "$(evaluate "$windows.length")" = 1 ] || fail "no live window: $(evaluate "$windows.length")"
seen=$(evaluate "const w = $windows[0]; [global.display.get_tab_list(Meta.TabList.NORMAL, null)
    .includes(w), w.has_focus(), w.skip_taskbar, w.minimized].join()")
[ "$seen" = '"false,false,true,true"' ] ||
    fail "the live window: in the switcher, focused, skips the taskbar, minimized: $seen"
log "the live window is in no list and not focused"

kill -KILL "$first"
again() { running && [ "$(live_pid)" != "$first" ]; }
wait_for "a killed ombrix-live was not started again" 30 again
pause
wait_for "started again, paused at $g, the second monitor is not the wall" 20 \
    shows 800x600+1280+0 "$WORK/wall-800x600.png" 800x600+0+0
log "a killed ombrix-live was started again and shows its wall of generation $g"

# A fullscreen window on each monitor: nothing of the desktop shows, the extension pauses
# ombrix-live; one goes, and it resumes.
"${session[@]}" "$WORK/bin/ombrix-live" --resume || fail "--resume found no live wallpaper"
paused() {
    [ "$("${session[@]}" dbus-send --session --print-reply=literal \
        --dest=io.github.ombrix.Ombrix.Live /io/github/ombrix/Ombrix/Live \
        org.freedesktop.DBus.Properties.Get string:io.github.ombrix.Ombrix.Live \
        string:Paused | awk '{ print $NF }')" = "$1" ]
}
wait_for "--resume did not resume" 20 paused false
for monitor in 0 1; do
    "${session[@]}" WAYLAND_DISPLAY=wayland-0 foot --app-id "cover-$monitor" sleep 60 \
        >/dev/null 2>&1 &
    pids+=($!)
done
cover() {
    [ "$(evaluate 'const ws = global.display.list_all_windows().filter(w =>
        /^cover-/.test(w.get_wm_class())); ws.forEach(w => { const m = +w.get_wm_class()[6];
        if (w.get_monitor() !== m) w.move_to_monitor(m); if (!w.is_fullscreen())
        w.make_fullscreen(); }); ws.length')" = 2 ]
}
wait_for "the covering windows did not show" 30 cover
wait_for "fullscreen windows on every monitor, ombrix-live was not paused" 20 paused true
kill "${pids[-1]}"
wait_for "a monitor uncovered, ombrix-live was not resumed" 20 paused false
log "paused while fullscreen windows covered both monitors, resumed when one went"

convert -size 800x600 xc:'#204060' "$WORK/own.png"
gone() { [ -z "$(live_pid)" ]; }
"${session[@]}" "$WORK/bin/ombrix-live" --quit || fail "--quit found no live wallpaper"
wait_for "--quit did not end ombrix-live" 20 gone
wait_for "after --quit the desktop's own background did not come back" 20 \
    shows 800x600+1280+0 "$WORK/own.png" 800x600+0+0
state="const s = Main.extensionManager.lookup(\"$uuid\").stateObj; [!!s._process, s._restartId]"
[ "$(evaluate "$state")" = '[false,0]' ] ||
    fail "after --quit the extension still holds or restarts it: $(evaluate "$state")"
log "after --quit the desktop's own background is back, and it stays ended"
extension DisableExtension >/dev/null
extension EnableExtension >/dev/null
wait_for "enabled again, the extension did not start ombrix-live" 30 running
extension DisableExtension >/dev/null
wait_for "disabled, the extension left ombrix-live running" 20 gone
wait_for "disabled, the desktop's own background did not come back" 20 \
    shows 800x600+1280+0 "$WORK/own.png" 800x600+0+0
log "disabled, ombrix-live ended and the desktop's own background is back"

extension EnableExtension >/dev/null
wait_for "enabled again, the extension did not start ombrix-live" 30 running
for time in 1 2 3 4; do
    pid=$(live_pid)
    kill -KILL "$pid"
    [ "$time" -eq 4 ] || wait_for "killed $time times, it was not started again" 30 \
        eval 'running && [ "$(live_pid)" != "$pid" ]'
done
told='Main.messageTray.getSources().flatMap(s => s.notifications).filter(n =>
    n.title === "The live wallpaper stopped").length'
given_up() { [ "$(evaluate "$told")" = 1 ]; }
wait_for "killed 4 times, it was not given up with one notification" 30 given_up
wait_for "given up, the desktop's own background is not back" 20 \
    shows 800x600+1280+0 "$WORK/own.png" 800x600+0+0
[ -z "$(live_pid)" ] || fail "given up, ombrix-live runs"
log "killed 4 times, it was given up: $(grep -o 'ombrix-live ended by signal 9 4 times.*' "$WORK/shell.log")"

# The window's way starts an extension that is enabled already afresh: with the program
# missing, it is given up at once, and said.
mv "$WORK/bin/ombrix-live" "$WORK/bin/gone"
answer=$("${session[@]}" "$WORK/enable")
[ "$answer" = enabled ] || fail "enabled already, the window's way said: $answer"
missing() { grep -q "ombrix-live is not installed" "$WORK/shell.log" && [ "$(evaluate "$told")" = 2 ]; }
wait_for "a missing ombrix-live was not said in a notification" 20 missing
log "a missing ombrix-live is said in a notification"

# A still picture takes its place: the window ends it and disables the extension, which
# would start it again at the next login.
mv "$WORK/bin/gone" "$WORK/bin/ombrix-live"
[ "$("${session[@]}" "$WORK/enable")" = enabled ] || fail "the window's way did not enable it"
wait_for "enabled, the extension did not start ombrix-live" 30 running
"${session[@]}" XDG_CURRENT_DESKTOP=GNOME WAYLAND_DISPLAY=wayland-0 "$WORK/enable" end &
pids+=($!)
off() { gone && extension GetExtensionInfo | grep -q "'state': <2.0>"; }
wait_for "a still picture in its place, the extension stayed enabled" 20 off
log "a still picture in its place disables the extension"

set_key org.gnome.shell disable-user-extensions true
switched_off() { [ "$(evaluate 'global.settings.get_boolean("disable-user-extensions")')" = true ]; }
wait_for "the shell did not switch user extensions off" 20 switched_off
answer=$("${session[@]}" "$WORK/enable")
[ "$answer" = "refused: extensions are switched off in GNOME Shell (disable-user-extensions is set)" ] ||
    fail "with user extensions switched off, the window's way said: $answer"
log "PASS"
