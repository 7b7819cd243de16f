#!/usr/bin/env bash
# What ombrix-live costs on a 3840 × 2160 screen at 30 generations a second (the window's
# default field, --interval 33): its own CPU and the display server's beside it, from
# /proc/PID/stat, while it runs, while a fullscreen window covers it and while paused,
# with the generations it made per second (its Generation on the session bus).
# Once on Xvfb (X11, one desktop window), once on a headless sway with the pixman
# renderer (Wayland layer shell). Not a test: it prints a Markdown table.
#   bench/live_cpu.sh [BUILD-DIR] [SECONDS]     (default build, 10 s a figure)
set -euo pipefail
BUILD=$(realpath "${1:-build}")
SECONDS_EACH=${2:-10}
LIVE=$BUILD/ombrix-live
[ -x "$LIVE" ] || { echo "no $LIVE: build it first" >&2; exit 1; }
for tool in Xvfb sway foot feh dbus-daemon setpriv; do
    command -v "$tool" >/dev/null || { echo "$tool is not installed" >&2; exit 1; }
done
TICKS=$(getconf CLK_TCK)
source "$(dirname "$0")/../tests/common/script_lib.sh"
make_work live-cpu
chmod 755 "$WORK"
source "$(dirname "$0")/../tests/common/wayland_session.sh"
cp "$LIVE" "$WORK/ombrix-live"
# A screen-sized picture for the covering window on X11.
"$BUILD/ombrix-render" -q --size 3840x2160 -o "$WORK/cover.png"
chmod 644 "$WORK/cover.png"

cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
# figure DISPLAY STATE LIVE-PID SERVER-PID: one table row, CPU in % of one core.
figure() {
    local live0 server0 live1 server1 g0 g1
    g0=$(generation); live0=$(cpu_ticks "$3"); server0=$(cpu_ticks "$4")
    sleep "$SECONDS_EACH"
    g1=$(generation); live1=$(cpu_ticks "$3"); server1=$(cpu_ticks "$4")
    awk -v d="$1" -v s="$2" -v l=$((live1 - live0)) -v x=$((server1 - server0)) \
        -v g=$((g1 - g0)) -v t="$TICKS" -v n="$SECONDS_EACH" \
        'BEGIN { printf "| %s | %s | %.1f | %.1f %% | %.1f %% |\n", d, s, g / n,
                 100 * l / t / n, 100 * x / t / n }'
}

start_session_bus
live=(--settings "$WORK/defaults.ini" --interval 33)

# measure NAME SERVER-PID COVER-COMMAND...: runs ombrix-live in "${session[@]}", then
# prints the three rows.
measure() {
    local name=$1 server=$2 live_pid cover_pid; shift 2
    "${session[@]}" "$WORK/ombrix-live" "${live[@]}" >"$WORK/live.log" 2>&1 &
    live_pid=$!; pids+=("$live_pid")
    sleep 3
    kill -0 "$live_pid" 2>/dev/null || { cat "$WORK/live.log" >&2; exit 1; }
    echo "$name: $(head -1 "$WORK/live.log")" >&2
    figure "$name" running "$live_pid" "$server"
    "${session[@]}" "$@" >/dev/null 2>&1 &
    cover_pid=$!; pids+=("$cover_pid")
    sleep 3
    figure "$name" "covered by a fullscreen window" "$live_pid" "$server"
    kill "$cover_pid"; wait "$cover_pid" 2>/dev/null || true
    sleep 1
    "${session[@]}" "$WORK/ombrix-live" --pause
    sleep 1
    figure "$name" paused "$live_pid" "$server"
    "${session[@]}" "$WORK/ombrix-live" --quit
    wait "$live_pid" 2>/dev/null || true
}

echo "| display | state | generations/s | ombrix-live CPU | server CPU |"
echo "|---|---|---|---|---|"

start_xvfb -screen 0 3840x2160x24
x_session=("${session[@]}")
session+=(DISPLAY="$DISPLAY")
measure "Xvfb 3840 × 2160" "$xvfb_pid" feh -F "$WORK/cover.png"
session=("${x_session[@]}")

start_sway 3840x2160
measure "sway, pixman, 3840 × 2160" "$sway_pid" foot -F sleep 60
