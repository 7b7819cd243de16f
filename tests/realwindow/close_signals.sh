# SIGTERM (with a modal dialog open), SIGHUP and SIGINT close the program as its close
# box does: status 0, the settings file written, its temporary folder removed.
source "$(dirname "$0")/lib.sh"

start_display
mkdir "$WORK/tmp"
export TMPDIR=$WORK/tmp
for signal in TERM HUP INT; do
    rm -f "$INI"
    # A script's background jobs start with SIGINT ignored; ombrix keeps ignored signals.
    start_ombrix env --default-signal=INT
    if [ "$signal" = TERM ]; then
        press_detail
        wait_for "the detail dialog" 30 window_count_is '^詳細設定$' 1
    fi
    [ -n "$(ls -A "$WORK/tmp")" ] || fail "no temporary folder while ombrix runs"
    kill -s "$signal" "$ombrix_pid"
    wait_for "ombrix to exit after SIG$signal" 60 ombrix_exited
    set +e
    wait "$ombrix_pid"
    ombrix_status=$?
    set -e
    ombrix_pid=
    [ "$ombrix_status" -eq 0 ] || fail "ombrix exited with status $ombrix_status after SIG$signal"
    [ -f "$INI" ] || fail "no settings file written after SIG$signal"
    expect_ini AreaW 128
    [ -z "$(ls -A "$WORK/tmp")" ] || fail "left behind after SIG$signal: $(ls -A "$WORK/tmp")"
done
log "PASS"
