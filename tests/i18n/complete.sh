#!/usr/bin/env bash
# Every caption and message in the program's sources has an English translation, and
# the committed translation file is up to date with the sources.
# Usage: complete.sh LUPDATE TS-FILE SOURCE-LIST   (one source file a line)
set -euo pipefail
lupdate=${1:?usage: $0 LUPDATE TS-FILE SOURCE-LIST}
ts=${2:?}
list=${3:?}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cp "$ts" "$work/ombrix_en.ts"
"$lupdate" -silent -no-obsolete -locations none "@$list" -ts "$work/ombrix_en.ts" >"$work/lupdate.log" 2>&1 ||
    { cat "$work/lupdate.log" >&2; echo "FAIL: lupdate failed" >&2; exit 1; }

status=0
untranslated=$(grep -B1 -e 'type="unfinished"' -e '<translation></translation>' "$work/ombrix_en.ts" |
    sed -n 's:.*<source>\(.*\)</source>.*:\1:p') || true
if [ -n "$untranslated" ]; then
    echo "FAIL: these texts have no English translation in $ts:" >&2
    printf '  %s\n' "$untranslated" >&2
    status=1
fi
if ! diff -u "$ts" "$work/ombrix_en.ts" >"$work/diff"; then
    echo "FAIL: $ts is not up to date with the sources;" \
        "run: cmake --build build --target update_translations" >&2
    cat "$work/diff" >&2
    status=1
fi
[ "$status" -eq 0 ] && echo "PASS: $(grep -c '<translation>' "$ts") texts, all translated"
exit "$status"
