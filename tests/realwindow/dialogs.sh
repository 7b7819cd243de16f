# The two dialogs of the main window, driven by keyboard and mouse:
# - "詳細設定...": a new width typed into the width box and OK (Return) take effect;
#   "Field Initialize" then seeds a 32-cell-wide field, which the wall shows and "Save"
#   writes, in the colours of the rebuilt colour table.
# - "Text": OK (Return) stamps the text into the field: the saved picture then holds
#   only the colour of state 0 (text) and of state UseColCnt div 2 + 1 (the rest).
source "$(dirname "$0")/lib.sh"

cat >"$INI" <<'EOF'
[Pendrel]
AreaW=48
AreaH=64
UseColCnt=16
ColDiv=4
TilingType=0
Speed=2000
Color000=255
Color004=65280
Color008=16711680
Color012=16777215
EOF
cp "$INI" "$WORK/settings-at-start.ini"
mkdir "$WORK/out"

start_display
start_ombrix
read -r x y w h <<<"$(wall_area)"
# wall_shows OPS...: the wall is the picture the checker works out after OPS.
wall_shows() {
    screenshot "$WORK/wall.png"
    "$TOOLS/rw_picture_check" wall "$WORK/settings-at-start.ini" "$WORK/wall.png" \
        "$x" "$y" "$w" "$h" "$@"
}
wait_for "the wall to show the seeded field" 30 wall_shows

# The detail settings dialog: click into the width box, replace 48 by 32, Return.
press_detail
wait_for "the detail settings dialog" 30 window_count_is '^詳細設定$' 1
dialog=$(visible_windows '^詳細設定$')
eval "$(xdotool getwindowgeometry --shell "$dialog" | sed 's/^/D/')"
log "detail settings dialog at ($DX, $DY), $DWIDTH x $DHEIGHT"
[ "$DWIDTH" -eq 274 ] && [ "$DHEIGHT" -eq 186 ] ||
    fail "the detail settings dialog is $DWIDTH x $DHEIGHT, expected 274 x 186"
click_at $((DX + 80 + 20)) $((DY + 8 + 10))   # AreaWEd at (80, 8), 41 x 21
xdotool key --clearmodifiers ctrl+a
xdotool type --delay 10 32
xdotool key Return
wait_for "the detail settings dialog to close" 30 window_count_is '^詳細設定$' 0

# The new width shows after "Field Initialize", which seeds a 32 x 64 field from the
# random source's present state, in the colour table rebuilt for the key colours.
after_detail=(area:32x64 colortable init)
press_field_init
wait_for "the wall to show the new 32-wide field" 30 wall_shows "${after_detail[@]}"

save_as "$WORK/out/after-detail"
wait_for "the save dialog to close" 30 only_main_window
wait_for "the picture file" 30 test -s "$WORK/out/after-detail.bmp"
"$TOOLS/rw_picture_check" bmp "$WORK/settings-at-start.ini" "$WORK/out/after-detail.bmp" \
    "${after_detail[@]}" || fail "the picture saved after the detail settings is wrong"

# The text dialog: OK at once stamps "Ombrix" in its default font (32 pixels, bold).
press_text
wait_for "the text dialog" 30 window_count_is '^Text 設定$' 1
wait_for_focus "$(visible_windows '^Text 設定$')"
xdotool key Return
wait_for "the text dialog to close" 30 window_count_is '^Text 設定$' 0

save_as "$WORK/out/stamped"
wait_for "the save dialog to close" 30 only_main_window
wait_for "the picture file" 30 test -s "$WORK/out/stamped.bmp"
# A line of 32-pixel text ends well above row 48 of the 64-row field.
"$TOOLS/rw_picture_check" stamp "$WORK/settings-at-start.ini" "$WORK/out/stamped.bmp" 48 \
    "${after_detail[@]}" || fail "the picture saved after the text stamp is wrong"

close_ombrix
[ "$ombrix_status" -eq 0 ] || fail "ombrix exited with status $ombrix_status"
expect_ini AreaW 32
expect_ini AreaH 64
expect_ini FileName "$WORK/out/stamped.bmp"
log "PASS"
