# The "壁紙..." button on an X11 screen with feh and nothing else (no session bus, no
# known desktop): OK with the default "This screen" writes a 1280 x 1024 PNG into the
# data folder that repeats the seeded field's tile exactly as the wall does, Ombrix puts it
# on the root window, whose pixels outside the main window then equal the picture's,
# and no message box appears.
source "$(dirname "$0")/lib.sh"

cat >"$INI" <<'EOF2'
[Pendrel]
AreaW=40
AreaH=24
UseColCnt=16
ColDiv=4
TilingType=1
Speed=500
EOF2

command -v feh >/dev/null || fail "feh is not installed (scripts/install-deps.sh installs it)"
start_display
mkdir -p "$WORK/home"
export HOME=$WORK/home # feh leaves its ~/.fehbg here
unset XDG_CURRENT_DESKTOP SWAYSOCK WAYLAND_DISPLAY XDG_SESSION_TYPE
start_ombrix

folder=$WORK/data/Ombrix/wallpapers
press_wallpaper() { click_panel3 64 272 57 25; } # WallpaperBtn, "壁紙..."
press_wallpaper
wait_for "the wallpaper dialog" 30 save_dialog_open
wait_for_focus "$(visible_windows '.' | grep -vx "$WID" | head -n 1)"
xdotool key Return # OK, the default button, with "This screen"
# The pictures only: the folder also keeps what the background was before.
pictures() { ls "$folder" 2>/dev/null | grep -E '^ombrix-.*\.png$'; }
has_picture() { [ -n "$(pictures)" ]; }
wait_for "the wallpaper picture" 30 has_picture
picture=$folder/$(pictures)
log "picture $picture"
[ "$(identify -format '%w x %h %m' "$picture")" = "1280 x 1024 PNG" ] ||
    fail "the picture is $(identify -format '%w x %h %m' "$picture"), expected 1280 x 1024 PNG"
"$TOOLS/rw_picture_check" wall "$INI" "$picture" 0 0 1280 1024 ||
    fail "the picture does not repeat the tile as the wall does"

# Below the main window the screen shows the root window's background.
below=$((WY + WH + 4))
strip="1280x$((1024 - below))+0+$below"
root_shows_picture() {
    import -window root -crop "$strip" +repage "$WORK/root.png"
    convert "$picture" -crop "$strip" +repage "$WORK/expected.png"
    same_pictures "$WORK/root.png" "$WORK/expected.png"
}
wait_for "the root window to show the picture" 60 root_shows_picture
wait_for "the dialog to close, with no message box" 30 only_main_window

close_ombrix
[ "$ombrix_status" -eq 0 ] || fail "ombrix exited with status $ombrix_status"
log "PASS"
