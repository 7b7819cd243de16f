# Saving the picture through the save dialog: with a settings file of our own (40 x 24
# cells, 16 states, shifted tiling), a name typed without an extension gets ".bmp"; the
# file is a 24-bit BMP of the 40 x 48 composite (the tile above the tile shifted by half
# its width) whose every pixel is the colour of its cell. At exit the settings file
# holds the chosen name and our values, and keeps the lines that are not Ombrix's.
# Saving over an existing file asks first, and only "Yes" replaces it.
source "$(dirname "$0")/lib.sh"

cat >"$INI" <<'EOF'
; Wallpaper settings, kept by hand
[Elsewhere]
Owner=someone else

[Pendrel]
AreaW=40
AreaH=24
UseColCnt=16
ColDiv=4
TilingType=1
PrmG=7
PrmK1=3
PrmK2=4
Speed=500
# three colours of our own, in three notations; the others are drawn at random
Color000=255
Color005=$FF00
Color010=0x123456
EOF
cp "$INI" "$WORK/settings-at-start.ini"
mkdir "$WORK/out"
target=$WORK/out/wall-picture

start_display
start_ombrix
# The wall shows the seeded field with the shifted tiling before anything is saved.
read -r x y w h <<<"$(wall_area)"
shows_seeded_field() {
    screenshot "$WORK/start.png"
    "$TOOLS/rw_picture_check" wall "$INI" "$WORK/start.png" "$x" "$y" "$w" "$h"
}
wait_for "the wall to show the seeded field" 30 shows_seeded_field

save_as "$target"
wait_for "the save dialog to close" 30 only_main_window
wait_for "the picture file" 30 test -s "$target.bmp"
[ ! -e "$target" ] || fail "the file was saved without the .bmp extension"
[ "$(ls "$WORK/out")" = "wall-picture.bmp" ] || fail "unexpected files: $(ls "$WORK/out")"
# The stopped automaton made no generation: the file shows the seeded field.
"$TOOLS/rw_picture_check" bmp "$WORK/settings-at-start.ini" "$target.bmp" ||
    fail "the saved picture is not the seeded field's"
# 40 x 48 pixels, rows of 120 bytes: 54 + 120 x 48 bytes.
[ "$(stat -c %s "$target.bmp")" -eq 5814 ] || fail "the file is $(stat -c %s "$target.bmp") bytes, expected 5814"

# Saving over the file asks first: "No" keeps the file and the dialog, "Yes" replaces it.
printf 'kept' >"$target.bmp"
press_save
wait_for "the save dialog" 30 save_dialog_open
dialog=$(visible_windows '.' | grep -vx "$WID" | head -n 1)
wait_for_focus "$dialog"
xdotool key --clearmodifiers ctrl+a
xdotool type --delay 10 "$target"
xdotool key Return
question() { visible_windows '.' | grep -vx -e "$WID" -e "$dialog" | grep .; }
wait_for "the question before replacing the file" 30 question
wait_for_focus "$(question)"
xdotool key Escape
wait_for "the question to close" 30 window_count_is '.' 2
[ "$(cat "$target.bmp")" = kept ] || fail "the file was replaced after the answer No"
# (Without a window manager the focus goes to the root window when the question closes.)
xdotool windowfocus --sync "$dialog"
xdotool key Return
wait_for "the question again" 30 question
wait_for_focus "$(question)"
xdotool key y
wait_for "the save dialog to close" 30 only_main_window
replaced() { [ "$(stat -c %s "$target.bmp")" -eq 5814 ]; }
wait_for "the replaced picture" 30 replaced

close_ombrix
[ "$ombrix_status" -eq 0 ] || fail "ombrix exited with status $ombrix_status"
expect_ini FileName "$target.bmp"
expect_ini AreaW 40
expect_ini AreaH 24
expect_ini UseColCnt 16
expect_ini ColDiv 4
expect_ini TilingType 1
expect_ini PrmG 7
expect_ini PrmK1 3
expect_ini PrmK2 4
expect_ini Speed 500
expect_ini Color000 255
expect_ini Color005 65280
expect_ini Color010 1193046
! ini_value Color016 >/dev/null || fail "a colour key beyond UseColCnt was written"
for line in '; Wallpaper settings, kept by hand' '[Elsewhere]' 'Owner=someone else' \
    '# three colours of our own, in three notations; the others are drawn at random'; do
    grep -qxF "$line" "$INI" || fail "the line '$line' is gone from the settings file"
done
log "PASS"
