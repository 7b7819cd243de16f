#!/usr/bin/env bash
# What the Ombrix Live wallpaper costs in a headless Plasma Wayland session on a 3840 × 2160
# virtual screen (KWin's software renderer) at 30 generations a second (the window's default
# field, interval 33 ms): ombrix-live's, plasmashell's and KWin's CPU from /proc/PID/stat,
# with Plasma's own still picture (org.kde.image) as the yardstick, the live wallpaper
# running and paused; and the bytes of one frame, which is all that travels per generation.
# Not a test: it prints a Markdown table.
#   bench/live_cpu_plasma.sh [BUILD-DIR] [SECONDS]     (default build, 10 s a figure)
set -euo pipefail
BUILD=$(realpath "${1:-build}")
SECONDS_EACH=${2:-10}
LIVE=$BUILD/ombrix-live LIVE_DIR=$BUILD PACKAGES=$BUILD/plasma/share
[ -x "$LIVE" ] && [ -d "$PACKAGES" ] || { echo "no $LIVE or $PACKAGES: build first" >&2; exit 1; }
for tool in kwin_wayland plasmashell qdbus dbus-daemon; do
    command -v "$tool" >/dev/null || { echo "$tool is not installed" >&2; exit 1; }
done
TICKS=$(getconf CLK_TCK)
source "$(dirname "$0")/../tests/common/script_lib.sh"
make_work plasma-cpu
chmod 755 "$WORK"
source "$(dirname "$0")/../tests/plasma/session.sh"
ID=io.github.ombrix.Ombrix.Live

start_plasma 3840 2160
kwin=$(pgrep -f -n "^$WORK/kwin_wayland")
cpu_ticks() { [ -n "$1" ] && awk '{ print $14 + $15 }' "/proc/$1/stat" || echo 0; }
live_pid() {
    "${session[@]}" dbus-send --session --print-reply=literal --dest=org.freedesktop.DBus \
        /org/freedesktop/DBus org.freedesktop.DBus.GetConnectionUnixProcessID string:$ID 2>/dev/null |
        awk '{ print $NF }'
}
# figure STATE: one table row, CPU in % of one core.
figure() {
    local live g0 g1 l0 l1 p0 p1 k0 k1
    live=$(live_pid || true)
    g0=$(generation 2>/dev/null || true); l0=$(cpu_ticks "$live"); p0=$(cpu_ticks "$plasma_pid"); k0=$(cpu_ticks "$kwin")
    sleep "$SECONDS_EACH"
    g1=$(generation 2>/dev/null || true); l1=$(cpu_ticks "$live"); p1=$(cpu_ticks "$plasma_pid"); k1=$(cpu_ticks "$kwin")
    awk -v s="$1" -v g=$((${g1:-0} - ${g0:-0})) -v l=$((l1 - l0)) -v p=$((p1 - p0)) \
        -v k=$((k1 - k0)) -v t="$TICKS" -v n="$SECONDS_EACH" \
        'BEGIN { printf "| %s | %.1f | %.1f %% | %.1f %% | %.1f %% |\n", s, g / n,
                 100 * l / t / n, 100 * p / t / n, 100 * k / t / n }'
}
choose() { # PLUGIN [INTERVAL]
    shell "var d = desktops(); for (var i = 0; i < d.length; ++i) { d[i].wallpaperPlugin = '$1';
           d[i].currentConfigGroup = ['Wallpaper', '$1', 'General'];
           if ('$1' == '$ID') d[i].writeConfig('Interval', ${2:-0}); }" >/dev/null
}

echo "| wallpaper | generations/s | ombrix-live CPU | plasmashell CPU | KWin CPU |"
echo "|---|---|---|---|---|"
sleep 5
figure "Plasma's still picture (org.kde.image)"
choose $ID 33
wait_for "no ombrix-live" 30 live_pid
sleep 3
figure "Ombrix Live, running"
frame=$(ls "$WORK/run/ombrix/plasma-ombrix-test" | grep '^frame-' | tail -n 1)
cp "$WORK/run/ombrix/plasma-ombrix-test/$frame" "$WORK/frame.bmp" # before it is replaced
"${session[@]}" "$LIVE" --pause >/dev/null
sleep 2
figure "Ombrix Live, paused"
echo
size=$(python3 -c 'import struct, sys
w, h = struct.unpack_from("<ii", open(sys.argv[1], "rb").read(26), 18)
print(f"{w} x {abs(h)}")' "$WORK/frame.bmp")
echo "One frame, all that travels per generation: $(stat -c %s "$WORK/frame.bmp") bytes," \
     "a BMP of the $size pattern (54 bytes of headers, 4 bytes a pixel)."
