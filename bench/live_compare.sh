#!/usr/bin/env bash
# Two or more builds of ombrix-live compared at the largest field (512 × 256 cells,
# 32 states, brick tiling) on a 3840 × 2160 screen at --interval 33: each build runs in
# turn in one display session, ROUNDS times, for SECONDS each, and its CPU time a
# generation (its threads' run times over the generations it made) is printed, each run's
# and the mean. Taking turns in one session keeps the machine's drift out of the
# comparison. Not a test.
#   bench/live_compare.sh x11|sway ROUNDS SECONDS PROGRAM...
set -euo pipefail
[ $# -ge 4 ] || { echo "usage: $0 x11|sway ROUNDS SECONDS PROGRAM..." >&2; exit 2; }
DISPLAY_KIND=$1 ROUNDS=$2 SECONDS_EACH=$3
shift 3
source "$(dirname "$0")/../tests/common/script_lib.sh"
make_work live-compare
chmod 755 "$WORK"
source "$(dirname "$0")/../tests/common/wayland_session.sh"
programs=()
for program in "$@"; do
    cp "$program" "$WORK/live${#programs[@]}"
    programs+=("$program")
done
largest_settings "$WORK/largest.ini"
start_session_bus
if [ "$DISPLAY_KIND" = x11 ]; then
    start_xvfb -screen 0 3840x2160x24
    session+=(DISPLAY="$DISPLAY")
else
    start_sway 3840x2160
fi
for _ in $(seq "$ROUNDS"); do
    for i in "${!programs[@]}"; do
        "${session[@]}" "$WORK/live$i" --settings "$WORK/largest.ini" --interval 33 \
            >"$WORK/live.log" 2>&1 &
        live=$!
        pids+=("$live")
        wait_for "ombrix-live drawing" grep -q 'drawing on' "$WORK/live.log"
        wait_for "the bus name" generation
        g0=$(generation) c0=$(cpu_ns "$live")
        sleep "$SECONDS_EACH"
        g1=$(generation) c1=$(cpu_ns "$live")
        echo "$i $(((c1 - c0) / (g1 - g0) / 1000))" >>"$WORK/runs"
        "${session[@]}" "$WORK/live$i" --quit
        wait "$live" 2>/dev/null || true
    done
done
for i in "${!programs[@]}"; do
    awk -v i="$i" -v name="${programs[$i]}" '$1 == i { n++; sum += $2; runs = runs " " $2 }
        END { printf "%s: %.0f µs a generation (%s )\n", name, sum / n, runs }' "$WORK/runs"
done
