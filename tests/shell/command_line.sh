#!/usr/bin/env bash
# ombrix's command line: --help and --version print and exit without a display; any
# other argument gives the usage line on standard error and status 2, and no window.
# Usage: command_line.sh OMBRIX VERSION
set -euo pipefail
ombrix=${1:?usage: $0 OMBRIX VERSION}
version=${2:?}
out=$(mktemp) err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
usage='Usage: ombrix [--help | --version]'
failed=0
# arguments; status; first and last line of standard output; standard error's last line
while IFS=';' read -r args status first last err_last; do
    set +e
    # shellcheck disable=SC2086  # the arguments are split as a shell would split them
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$ombrix" $args >"$out" 2>"$err"
    got=$?
    set -e
    got="$got|$(head -n 1 "$out")|$(tail -n 1 "$out")|$(tail -n 1 "$err")"
    if [ "$got" != "$status|$first|$last|$err_last" ]; then
        echo "FAIL: ombrix $args: got '$got', expected '$status|$first|$last|$err_last'" >&2
        failed=1
    fi
done <<TABLE
--help;0;$usage;See also ombrix-render(1) and ombrix-live(1).;
-h;0;$usage;See also ombrix-render(1) and ombrix-live(1).;
--version;0;ombrix $version;ombrix $version;
-V;0;ombrix $version;ombrix $version;
--verbose;2;;;$usage
-display :0;2;;;$usage
--help --version;2;;;$usage
picture.bmp;2;;;$usage
TABLE
[ "$failed" -eq 0 ] && echo "PASS: command line"
exit "$failed"
