#!/usr/bin/env bash
# What the live wallpaper costs on GNOME Shell: a headless GNOME Shell 43 with one
# 3840 × 2160 monitor and the program's extension, the window's default field at 30
# generations a second (Speed 33 in live.ini): ombrix-live's CPU and the shell's from
# /proc/PID/stat while it runs and while paused, and the shell's alone with its own still
# background (the extension disabled). Not a test: it prints a Markdown table.
#   bench/live_cpu_gnome.sh [BUILD-DIR] [SECONDS]     (default build, 10 s a figure)
set -euo pipefail
BUILD=$(realpath "${1:-build}")
SECONDS_EACH=${2:-10}
EXTENSION=$BUILD/share/gnome-shell/extensions/ombrix-live@ombrix.github.io
[ -x "$BUILD/ombrix-live" ] && [ -d "$EXTENSION" ] ||
    { echo "no ombrix-live or extension in $BUILD: build them first" >&2; exit 1; }
for tool in gnome-shell gsettings gdbus dbus-daemon setpriv; do
    command -v "$tool" >/dev/null || { echo "$tool is not installed" >&2; exit 1; }
done
TICKS=$(getconf CLK_TCK)
WORK=$(mktemp -d "${TMPDIR:-/tmp}/ombrix-gnome-cpu.XXXXXX")
chmod 755 "$WORK"
pids=()
cleanup() {
    local pid
    # What the extension said (a restart would show here), to standard error.
    grep -o "Ombrix live wallpaper: .*" "$WORK/shell.log" >&2 2>/dev/null || true
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    rm -rf "$WORK"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

fail() { echo "gave up: $1" >&2; exit 1; }
source "$(dirname "$0")/../tests/common/wayland_session.sh"
source "$(dirname "$0")/../tests/common/gnome_session.sh"
prepare_gnome "$EXTENSION" "$BUILD/ombrix-live"
printf '[Pendrel]\nSpeed=33\n' >"$WORK/config/ombrix/live.ini"
start_gnome_shell --virtual-monitor 3840x2160
extension EnableExtension >/dev/null
live_pid() { session_pids ombrix-live; }
wait_for "the extension did not start ombrix-live" 30 eval '[ -n "$(live_pid)" ] && generation >/dev/null'

cpu_ticks() { { [ -n "$1" ] && awk '{ print $14 + $15 }' "/proc/$1/stat" 2>/dev/null; } || echo 0; }
# figure STATE: one table row, CPU in % of one core.
figure() {
    local live g0 g1 live0 shell0 live1 shell1
    live=$(live_pid)
    g0=$(generation 2>/dev/null || echo 0); live0=$(cpu_ticks "$live"); shell0=$(cpu_ticks "$shell_pid")
    sleep "$SECONDS_EACH"
    g1=$(generation 2>/dev/null || echo 0); live1=$(cpu_ticks "$live"); shell1=$(cpu_ticks "$shell_pid")
    awk -v s="$1" -v l=$((live1 - live0)) -v x=$((shell1 - shell0)) -v g=$((g1 - g0)) \
        -v t="$TICKS" -v n="$SECONDS_EACH" -v live="$live" \
        'BEGIN { rate = "-"; own = "-"
                 if (live) { rate = sprintf("%.1f", g / n); own = sprintf("%.1f %%", 100 * l / t / n) }
                 printf "| GNOME Shell 43, 3840 × 2160 | %s | %s | %s | %.1f %% |\n", s, rate, own,
                        100 * x / t / n }'
}

echo "| display | state | generations/s | ombrix-live CPU | shell CPU |"
echo "|---|---|---|---|---|"
sleep 3
figure "live"
"${session[@]}" "$WORK/bin/ombrix-live" --pause
sleep 1
figure "live, paused"
extension DisableExtension >/dev/null
wait_for "disabled, ombrix-live still runs" 20 eval '[ -z "$(live_pid)" ]'
sleep 2
figure "still background (extension off)"
