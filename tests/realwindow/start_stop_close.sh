# First start without a settings file: the wall shows the seeded field and stands still;
# "Start" makes it change from generation to generation, "Stop" halts it; closing the
# window ends the program with status 0 and writes the settings file.
source "$(dirname "$0")/lib.sh"

start_display
[ ! -e "$INI" ] || fail "a settings file exists before the first start"
start_ombrix
[ "$WW" -eq 531 ] && [ "$WH" -eq 452 ] || fail "main window is $WW x $WH, expected 531 x 452"

# Stopped: the wall is the start-up field (defaults: 128 x 64 cells, 256 states, colours
# drawn at random) repeated over the view, and it does not change.
read -r x y w h <<<"$(wall_area)"
shows_seeded_field() {
    screenshot "$WORK/start.png"
    "$TOOLS/rw_picture_check" wall "$INI" "$WORK/start.png" "$x" "$y" "$w" "$h"
}
wait_for "the wall to show the seeded field" 30 shows_seeded_field
wall_shot "$WORK/wall0.png"

# Start: the wall changes (the default speed is one generation a second).
press_start_stop
changed() { wall_shot "$WORK/wall1.png" && ! same_pictures "$WORK/wall0.png" "$WORK/wall1.png"; }
wait_for "the wall to change after Start" 30 changed
# And it goes on changing.
wall_shot "$WORK/wall1.png"
changed_again() { wall_shot "$WORK/wall2.png" && ! same_pictures "$WORK/wall1.png" "$WORK/wall2.png"; }
wait_for "a second change of the wall" 30 changed_again

# Stop: the wall stands still (unchanged over more than two intervals of the default
# speed, watched for that long), showing a later generation of the same field.
press_start_stop
unchanged() { wall_shot "$WORK/still.png" && same_pictures "$WORK/stopped-wall.png" "$WORK/still.png"; }
stands_still() { wall_shot "$WORK/stopped-wall.png" && holds 2500 unchanged; }
wait_for "the wall to stand still after Stop" 30 stands_still
screenshot "$WORK/stopped.png"
generation=$("$TOOLS/rw_picture_check" wall-after-steps "$INI" "$WORK/stopped.png" \
    "$x" "$y" "$w" "$h" 200) || fail "the wall after Stop is no generation of the field"
log "stopped at generation $generation"
[ "$generation" -ge 2 ] || fail "only generation $generation shown after two changes"

# Close as a user would: status 0 and a settings file with every key of section Pendrel.
close_ombrix
[ "$ombrix_status" -eq 0 ] || fail "ombrix exited with status $ombrix_status"
[ -f "$INI" ] || fail "no settings file written at exit"
expect_ini FileName ""
expect_ini TilingType 0
expect_ini AreaW 128
expect_ini AreaH 64
expect_ini PrmG 5
expect_ini PrmK1 2
expect_ini PrmK2 2
expect_ini UseColCnt 256
expect_ini ColDiv 8
expect_ini Speed 1000
for i in $(seq 0 255); do
    key=$(printf 'Color%03d' "$i")
    value=$(ini_value "$key") || fail "the settings file has no $key"
    [[ $value =~ ^(0|[1-9][0-9]*)$ ]] && [ "$value" -le 16777215 ] ||
        fail "$key=$value is no colour value"
done
! ini_value Color256 >/dev/null || fail "a colour key beyond UseColCnt was written"
log "PASS"
