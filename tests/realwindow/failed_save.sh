# A save into a folder that does not exist says why in an error box, writes nothing, and
# the program carries on: the box goes with Return, the window stays, and the next save
# to a good place works.
source "$(dirname "$0")/lib.sh"

cat >"$INI" <<'EOF'
[Pendrel]
AreaW=20
AreaH=10
UseColCnt=8
ColDiv=2
Speed=2000
EOF
cp "$INI" "$WORK/settings-at-start.ini"
mkdir "$WORK/out"
bad=$WORK/no-such-folder/picture

start_display
start_ombrix

save_as "$bad"
wait_for "the error box" 30 window_count_is '^Ombrix$' 2
box=$(visible_windows '^Ombrix$' | grep -vx "$WID")
# Read the box's text as a user can: a triple click on the message selects it (the
# primary selection of X).
eval "$(xdotool getwindowgeometry --shell "$box" | sed 's/^/BOX_/')"
xdotool mousemove --sync $((BOX_X + 100)) $((BOX_Y + 20)) click --repeat 3 --delay 80 1
has_text() { "$TOOLS/rw_clipboard_text" PRIMARY >"$WORK/box.txt"; }
wait_for "the error box's text in the primary selection" 30 has_text
log "error box $box says: $(tr '\n' ' ' <"$WORK/box.txt")"
grep -qF "ﾌｧｲﾙ $bad.bmp を作成できません." "$WORK/box.txt" ||
    fail "the error box does not say that $bad.bmp cannot be created"

wait_for_focus "$box"
xdotool key Return
wait_for "the error box to close" 30 window_count_is '^Ombrix$' 1
[ "$(visible_windows '^Ombrix$')" = "$WID" ] || fail "the main window is gone"
kill -0 "$ombrix_pid" 2>/dev/null || fail "ombrix ended after the failed save"
[ ! -e "$WORK/no-such-folder" ] || fail "the missing folder was created"
[ -z "$(find "$WORK" -name '*.bmp' -o -name 'picture*')" ] ||
    fail "a file was written: $(find "$WORK" -name '*.bmp' -o -name 'picture*')"

# It carries on: the next save, to a folder that exists, writes the right picture.
save_as "$WORK/out/picture"
wait_for "the save dialog to close" 30 only_main_window
wait_for "the picture file" 30 test -s "$WORK/out/picture.bmp"
"$TOOLS/rw_picture_check" bmp "$WORK/settings-at-start.ini" "$WORK/out/picture.bmp" ||
    fail "the picture saved after the failed save is wrong"

close_ombrix
[ "$ombrix_status" -eq 0 ] || fail "ombrix exited with status $ombrix_status"
expect_ini FileName "$WORK/out/picture.bmp"
log "PASS"
