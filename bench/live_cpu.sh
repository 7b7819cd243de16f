#!/usr/bin/env bash
# What ombrix-live costs on a 3840 × 2160 screen at 30 generations a second (--interval 33),
# with the window's default field (128 × 64 cells) and with the largest (512 × 256 cells,
# 32 states, brick tiling): its own CPU and the display server's beside it, from the
# kernel's per-thread run times (/proc/PID/task/*/schedstat), while it runs, while a
# fullscreen window covers it and while paused, with the generations it made per second
# (its Generation on the session bus).
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
source "$(dirname "$0")/../tests/common/script_lib.sh"
make_work live-cpu
chmod 755 "$WORK"
source "$(dirname "$0")/../tests/common/wayland_session.sh"
cp "$LIVE" "$WORK/ombrix-live"
# A screen-sized picture for the covering window on X11.
"$BUILD/ombrix-render" -q --size 3840x2160 -o "$WORK/cover.png"
chmod 644 "$WORK/cover.png"

# figure DISPLAY FIELD STATE LIVE-PID SERVER-PID: one table row, CPU in % of one core.
figure() {
    local live0 server0 live1 server1 g0 g1
    g0=$(generation); live0=$(cpu_ns "$4"); server0=$(cpu_ns "$5")
    sleep "$SECONDS_EACH"
    g1=$(generation); live1=$(cpu_ns "$4"); server1=$(cpu_ns "$5")
    awk -v d="$1" -v f="$2" -v s="$3" -v l=$((live1 - live0)) -v x=$((server1 - server0)) \
        -v g=$((g1 - g0)) -v n="$SECONDS_EACH" \
        'BEGIN { printf "| %s | %s | %s | %.1f | %.2f %% | %.1f %% |\n", d, f, s, g / n,
                 l / n / 1e7, x / n / 1e7 }'
}

start_session_bus
# The largest field the window allows, in the brick tiling; no file gives the defaults.
largest_settings "$WORK/largest.ini"

# measure NAME SERVER-PID COVER-COMMAND...: runs ombrix-live in "${session[@]}" with each
# field, then prints the three rows of each.
measure() {
    local name=$1 server=$2 live_pid cover_pid field settings; shift 2
    for field in "128 × 64" "512 × 256 brick"; do
        settings=$WORK/defaults.ini
        [ "$field" = "128 × 64" ] || settings=$WORK/largest.ini
        "${session[@]}" "$WORK/ombrix-live" --settings "$settings" --interval 33 \
            >"$WORK/live.log" 2>&1 &
        live_pid=$!; pids+=("$live_pid")
        sleep 3
        kill -0 "$live_pid" 2>/dev/null || { cat "$WORK/live.log" >&2; exit 1; }
        echo "$name, $field: $(head -1 "$WORK/live.log")" >&2
        figure "$name" "$field" running "$live_pid" "$server"
        "${session[@]}" "$@" >/dev/null 2>&1 &
        cover_pid=$!; pids+=("$cover_pid")
        sleep 3
        figure "$name" "$field" "covered by a fullscreen window" "$live_pid" "$server"
        kill "$cover_pid"; wait "$cover_pid" 2>/dev/null || true
        sleep 1
        "${session[@]}" "$WORK/ombrix-live" --pause
        sleep 1
        figure "$name" "$field" paused "$live_pid" "$server"
        "${session[@]}" "$WORK/ombrix-live" --quit
        wait "$live_pid" 2>/dev/null || true
    done
}

echo "| display | field | state | generations/s | ombrix-live CPU | server CPU |"
echo "|---|---|---|---|---|---|"

start_xvfb -screen 0 3840x2160x24
x_session=("${session[@]}")
session+=(DISPLAY="$DISPLAY")
measure "Xvfb 3840 × 2160" "$xvfb_pid" feh -F "$WORK/cover.png"
session=("${x_session[@]}")

start_sway 3840x2160
measure "sway, pixman, 3840 × 2160" "$sway_pid" foot -F sleep 60
