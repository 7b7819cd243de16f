# The shared steps of the script tests and benches, sourced first:
#   source "$(dirname "$0")/../common/script_lib.sh"
# Everything started with `start` (or the start_* helpers) is ended when the script exits,
# also on failure; the test's folder ($WORK, made by make_work) is then removed, after the
# tails of its *.err and *.log files are shown if the script failed. KEEP_WORK=1 keeps it.
# A script that set its own EXIT trap before sourcing this keeps it.
[ -z "${script_lib_sourced:-}" ] || return 0
script_lib_sourced=1
set -euo pipefail
pids=(${pids[@]+"${pids[@]}"}) # the processes to end at exit
exit_steps=()                    # functions run at exit, after those processes ended

# A script may have its own log and fail (defined before this is sourced).
declare -F log >/dev/null || log() { printf '[%3ds] %s\n' "$SECONDS" "$*" >&2; }
declare -F fail >/dev/null || fail() { log "FAIL: $*"; exit 1; }

# make_work NAME: a fresh folder for the test, as $WORK.
make_work() { WORK=$(mktemp -d "${TMPDIR:-/tmp}/ombrix-$1.XXXXXX"); }

script_cleanup() {
    local status=$? pid step file
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    for step in "${exit_steps[@]}"; do $step || true; done
    if [ -n "${WORK:-}" ]; then
        if [ "$status" -ne 0 ]; then
            for file in "$WORK"/*.err "$WORK"/*.log; do
                [ -s "$file" ] && { log "---- ${file##*/} ----"; tail -n 30 "$file" >&2; }
            done
        fi
        if [ "${KEEP_WORK:-0}" = 1 ]; then
            log "kept $WORK"
        else # services of a session may still be writing as they end
            for _ in 1 2 3 4 5; do rm -rf "$WORK" 2>/dev/null && break; sleep 1; done
        fi
    fi
    exit "$status"
}
if [ -z "$(trap -p EXIT)" ]; then
    trap script_cleanup EXIT
    trap 'exit 130' INT TERM
fi

# end_session_of FOLDER: ends every process whose XDG_RUNTIME_DIR is FOLDER or below it:
# what a session started on its own (a bus launched for a program that found none, the
# services a bus started), which no pid here knows.
end_session_of() {
    local environ entry
    for environ in /proc/[0-9]*/environ; do
        while IFS= read -r -d '' entry; do
            case $entry in
            "XDG_RUNTIME_DIR=$1" | "XDG_RUNTIME_DIR=$1"/*)
                environ=${environ#/proc/}
                kill -KILL "${environ%/environ}" 2>/dev/null || true
                break
                ;;
            esac
        done 2>/dev/null <"$environ" || true
    done
}

# wait_for DESCRIPTION [SECONDS] COMMAND...: runs COMMAND every tenth of a second until it
# succeeds; fails the test when it has not within SECONDS (20 unless given).
wait_for() {
    local what=$1 seconds=20
    shift
    if [[ $1 =~ ^[0-9]+$ ]]; then seconds=$1; shift; fi
    local deadline=$((SECONDS + seconds)) out=${WORK:-/tmp}/wait.out
    until "$@" >"$out" 2>&1; do
        if [ "$SECONDS" -ge "$deadline" ]; then
            cat "$out" >&2
            fail "timed out after ${seconds}s: $what"
        fi
        sleep 0.1
    done
}

# start COMMAND...: runs COMMAND in the background, to be ended at exit.
start() { "$@" & pids+=($!); }

# start_xvfb XVFB-OPTIONS...: a private X server (as the command prefix $user, if set);
# exports DISPLAY and sets xvfb_pid once it takes clients.
start_xvfb() {
    start ${user[@]+"${user[@]}"} Xvfb -displayfd 3 -nolisten tcp "$@" 3>"$WORK/display" \
        >>"$WORK/xvfb.log" 2>&1
    xvfb_pid=${pids[-1]}
    wait_for Xvfb grep -q '^[0-9][0-9]*$' "$WORK/display"
    export DISPLAY=:$(head -n 1 "$WORK/display")
}

# start_bus VARIABLE [DBUS-DAEMON-OPTIONS...]: a private bus (of the session type unless
# options are given) whose address goes to VARIABLE: into the session's command prefix
# $session when the script has one (the bus runs in it), else into the environment.
start_bus() {
    local variable=$1 file=$WORK/$1.address
    shift
    [ $# -gt 0 ] || set -- --session
    start ${session[@]+"${session[@]}"} dbus-daemon "$@" --nofork --print-address=3 \
        3>"$file" >/dev/null 2>&1
    wait_for "the bus for $variable" grep -q '^unix:' "$file"
    if declare -p session >/dev/null 2>&1; then
        session+=("$variable=$(head -n 1 "$file")")
    else
        export "$variable=$(head -n 1 "$file")"
    fi
}

# The live wallpaper's bus control, on the session bus: property NAME prints its value;
# grows and stands tell whether its Generation moves on.
property() {
    ${session[@]+"${session[@]}"} dbus-send --session --print-reply=literal --reply-timeout=3000 \
        --dest=io.github.ombrix.Ombrix.Live /io/github/ombrix/Ombrix/Live \
        org.freedesktop.DBus.Properties.Get string:io.github.ombrix.Ombrix.Live "string:$1" |
        awk '{ print $NF }'
}
generation() { property Generation; }
# cpu_ns PID: nanoseconds PID's threads have run (a thread that ends meanwhile is left out).
cpu_ns() {
    { cat /proc/"$1"/task/*/schedstat 2>/dev/null || true; } |
        awk '{ ns += $1 } END { printf "%.0f\n", ns }'
}
# largest_settings FILE: settings of the largest field the window allows (512 × 256 cells,
# 32 states) in the brick tiling, readable by any user.
largest_settings() {
    printf '[Pendrel]\nAreaW=512\nAreaH=256\nUseColCnt=32\nTilingType=1\n' >"$1"
    chmod 644 "$1"
}
# grows: the generation moves on within 5 s.
grows() {
    local first deadline=$((SECONDS + 5))
    first=$(generation)
    until [ "$(generation)" -gt "$first" ]; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.05
    done
}
# holds MILLISECONDS COMMAND...: COMMAND stays true for that long. That nothing happens
# can only be seen by watching for a while: this is the one wait of a fixed length, and it
# fails as soon as COMMAND does.
holds() {
    local end=$((${EPOCHREALTIME//[.,]/} + $1 * 1000))
    shift
    while [ "${EPOCHREALTIME//[.,]/}" -lt "$end" ]; do
        "$@" || return 1
        sleep 0.05
    done
}
# stands: the generation stays the same for STANDS_MS milliseconds (400 unless set).
stands() { local first; first=$(generation) && holds "${STANDS_MS:-400}" generation_is "$first"; }
generation_is() { [ "$(generation)" = "$1" ]; }
# wakes_once_a_generation PID: at a pace under 100 ms the live wallpaper PID's main thread
# sleeps and is woken about once a generation, not again for the display's answers, over
# 60 generations. Each bus query made here wakes it too, and is counted.
wakes_once_a_generation() {
    local first now queries=1 slept generations woken deadline=$((SECONDS + 20))
    first=$(generation)
    slept=$(sleeps_of "$1")
    until now=$(generation) && queries=$((queries + 1)) && [ $((now - first)) -ge 60 ]; do
        [ "$SECONDS" -lt "$deadline" ] || fail "60 generations took over 20 s"
        sleep 0.2
    done
    woken=$(($(sleeps_of "$1") - slept))
    generations=$((now - first))
    log "woken $woken times in $generations generations, $queries of them by the bus"
    [ "$woken" -le $((generations + generations / 4 + queries)) ]
}
sleeps_of() { awk '/^voluntary_ctxt_switches/ { print $2 }' "/proc/$1/task/$1/status"; }
# stands_while_covered TEST-WINDOW WIDTH HEIGHT: with a window of that size over the
# screen (the test window's "cover" mode) the live wallpaper stands; once it goes, it grows.
stands_while_covered() {
    local cover
    start "$1" "$2" "$3" cover >"$WORK/cover.id"
    cover=${pids[-1]}
    wait_for "a covering window" grep -q . "$WORK/cover.id"
    wait_for "standing while covered" stands
    kill "$cover"
    wait_for "growing after the cover went" grows
}
