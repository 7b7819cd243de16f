# The gallery in a real window: the button beside Start opens it, its thumbnails live
# while it shows, a click on one puts that look on the wall, and closing the main window
# ends the program with the gallery open.
source "$(dirname "$0")/lib.sh"

start_display
printf '[Pendrel]\nSpeed=50\n' >"$INI"
start_ombrix
click_panel3 64 240 57 25 # GalleryBtn
wait_for "the gallery" 60 window_count_is '^ギャラリー$' 1
GID=$(visible_windows '^ギャラリー$')
eval "$(xdotool getwindowgeometry --shell "$GID")"
GX=$X GY=$Y
gallery_shot() { import -window root -crop "${WIDTH}x${HEIGHT}+${GX}+${GY}" +repage "$1"; }
gallery_shot "$WORK/gallery0.png"
lives() { gallery_shot "$WORK/gallery1.png" && ! same_pictures "$WORK/gallery0.png" "$WORK/gallery1.png"; }
wait_for "the thumbnails to change" 30 lives

# The first thumbnail sits at the top left of the variations tab (the gallery may cover
# the wall, so the look is checked in the settings written at exit).
click_at $((GX + 40)) $((GY + 60))

close_ombrix
[ "$ombrix_status" -eq 0 ] || fail "ombrix exited with status $ombrix_status"
# The settings hold the thumbnail's look, not the defaults (G 5, K1 2, K2 2, 256 states).
[ "$(ini_value PrmG)/$(ini_value PrmK1)/$(ini_value PrmK2)/$(ini_value UseColCnt)" != 5/2/2/256 ] ||
    fail "the settings still hold the default rule"
[ "$(ini_value PrmK1)" -le 6 ] || fail "PrmK1 $(ini_value PrmK1) lies outside the gallery's ranges"
log "PASS"
