#!/usr/bin/env bash
# The Ombrix Live wallpaper in a real headless Plasma Wayland session (KWin with two virtual
# screens at scale 2, plasmashell, private bus):
#   usage: plasma.sh OMBRIX-LIVE OMBRIX-RENDER PACKAGES CHOOSE-WALLPAPER
# Chosen as the window's Live choice chooses it, it starts one ombrix-live for both screens;
# paused, each screen above the panel is ombrix-render's wall of the same generation pixel
# for pixel. A crashed run and settings that cannot be read leave the plain colour with a
# message, not a frame; a plasmashell restart ends the run and brings the wallpaper back;
# another wallpaper, or removing the package, ends it. Skipped without KWin or Plasma.
set -euo pipefail
LIVE=$1 RENDER=$2 PACKAGES=$3 CHOOSE=$4 LIVE_DIR=$(dirname "$1")
for program in kwin_wayland plasmashell spectacle qdbus compare; do
    command -v "$program" >/dev/null || { echo "SKIP: no $program"; exit 77; }
done
source "$(dirname "$0")/../common/script_lib.sh"
make_work plasma
chmod 755 "$WORK"
# A copy of the package, so that it can be removed.
ID=io.github.ombrix.Ombrix.Live
mkdir -p "$WORK/share/plasma/wallpapers"
cp -r "$PACKAGES/plasma/wallpapers/$ID" "$WORK/share/plasma/wallpapers/"
PACKAGES=$WORK/share
source "$(dirname "$0")/session.sh"

# Two screens of 960 × 720 physical pixels, at twice the scale: the wall must still be one
# cell a physical pixel.
W=960 H=720 SCALE=2
start_plasma "$W" "$H" 2 "$SCALE"

choose() { # PLUGIN: the wallpaper of every desktop
    shell "var d = desktops(); for (var i = 0; i < d.length; ++i) d[i].wallpaperPlugin = '$1';
           print(d[0].wallpaperPlugin)"
}
live_bus() { # METHOD ARGS...: a call to the session bus itself
    "${session[@]}" dbus-send --session --print-reply=literal --reply-timeout=3000 \
        --dest=org.freedesktop.DBus /org/freedesktop/DBus "org.freedesktop.DBus.$1" "${@:2}"
}
live_pid() { live_bus GetConnectionUnixProcessID string:$ID | awk '{ print $NF }'; }
gone() { [ ! -e "/proc/$1" ] || grep -q ") Z" "/proc/$1/stat"; }
# The two screens lie side by side; the panel sits along the bottom of the first.
screenshot() { # the rows above the panel of each screen: left.png, right.png
    rm -f "$WORK/full.png"
    "${session[@]}" spectacle -b -n -f -o "$WORK/full.png" >/dev/null 2>&1
    convert "$WORK/full.png" -crop "${W}x${ABOVE}+0+0" +repage "$WORK/left.png"
    convert "$WORK/full.png" -crop "${W}x${ABOVE}+$W+0" +repage "$WORK/right.png"
}
same() { [ "$(compare -metric AE "$1" "$2" null: 2>&1)" = 0 ]; }
shows_wall() { # both screens are the renderer's wall
    screenshot
    same "$WORK/left.png" "$WORK/wall.png" && same "$WORK/right.png" "$WORK/wall.png"
}
plain() { [ "$(convert "$1" -format '%[hex:p{4,4}]' info:)" = 1D99F3 ]; } # the default colour
# the plain colour with a message in the middle on both screens
told() { plain "$1" && [ "$(convert "$1" -format %k info:)" -gt 1 ]; }
both_told() { screenshot && told "$WORK/left.png" && told "$WORK/right.png"; }
two_desktops() { [ "$(shell 'print(desktops().length)')" = 2 ]; }

wait_for "Plasma made no desktop for the second screen" 30 two_desktops
# The panel (its height in logical pixels) casts a shadow six rows high above itself.
ABOVE=$((H - SCALE * ($(shell 'print(panels()[0].height)') + 8)))
[ "$ABOVE" -gt 100 ] || fail "the panel takes $((H - ABOVE)) rows"
"${session[@]}" "$CHOOSE" $ID || fail "the window's way did not choose the wallpaper"
[ "$(shell 'print(desktops()[1].wallpaperPlugin)')" = $ID ] || fail "the shell did not take it"
wait_for "the wallpaper started no ombrix-live" 20 live_pid
first=$(live_pid)
"${session[@]}" "$LIVE" --pause || fail "--pause found no live wallpaper"
G=$(generation)
"$RENDER" --settings "$WORK/config/ombrix/live.ini" --generations "$G" --size "${W}x${H}" -q \
    -o "$WORK/render.png"
convert "$WORK/render.png" -crop "${W}x${ABOVE}+0+0" +repage "$WORK/wall.png"
wait_for "the screens are not the wall of generation $G" 20 shows_wall
frames=$(ls "$WORK/run/ombrix/plasma-ombrix-test" | grep -c '^frame-.*\.bmp$')
[ "$frames" -le 3 ] || fail "$frames frames kept"

# The run serving both screens dies: they show the plain colour with a message, not a
# frozen frame.
kill -KILL "$first"
wait_for "a frame stays after a crash" 20 both_told

# Settings that cannot be read: the same, with the program's words.
choose org.kde.color >/dev/null
mkdir -p "$WORK/config/ombrix/live.ini" # a folder where the file belongs
choose $ID >/dev/null
wait_for "no message for settings that cannot be read" 20 both_told
rmdir "$WORK/config/ombrix/live.ini"

# A restart of plasmashell (it quits as a user's restart quits it) ends the run, which
# lost its wallpaper, and starts a new one.
choose org.kde.color >/dev/null
choose $ID >/dev/null
wait_for "no new run after choosing the wallpaper again" 20 live_pid
second=$(live_pid)
"${session[@]}" qdbus org.kde.plasmashell /MainApplication quit >/dev/null
wait "$plasma_pid" 2>/dev/null || true # it may crash on its way out
wait_for "ombrix-live outlived plasmashell" 20 gone "$second"
start_plasmashell
wait_for "the wallpaper did not come back with plasmashell" 30 live_pid
third=$(live_pid)
[ "$third" != "$second" ] || fail "the old run answers"
grown() { [ "$(generation)" -gt 2 ]; }
wait_for "the wallpaper is not growing" 20 grown

# Another wallpaper ends the run.
choose org.kde.color >/dev/null
wait_for "ombrix-live outlived its wallpaper" 20 gone "$third"
[ -z "$(ls -A "$WORK/run/ombrix/plasma-ombrix-test")" ] || fail "frames left behind"

# So does removing the package while it is chosen.
choose $ID >/dev/null
wait_for "no run after choosing the wallpaper again" 20 live_pid
fourth=$(live_pid)
rm -r "$WORK/share/plasma/wallpapers/$ID"
wait_for "ombrix-live outlived its package" 20 gone "$fourth"
echo "Ombrix Live in Plasma: all checks passed"
