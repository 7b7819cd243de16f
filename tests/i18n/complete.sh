#!/usr/bin/env bash
# Every caption and message in the program's sources has a translation in each of the
# given translation files, each translation keeps its source's placeholders, accelerator
# and trailing "...", and each committed file is up to date with the sources.
# Usage: complete.sh LUPDATE SOURCE-LIST TS-FILE...   (SOURCE-LIST: one source file a line)
set -euo pipefail
lupdate=${1:?usage: $0 LUPDATE SOURCE-LIST TS-FILE...}
list=${2:?}
shift 2
[ "$#" -gt 0 ] || { echo "usage: $0 LUPDATE SOURCE-LIST TS-FILE..." >&2; exit 2; }
here=$(dirname "$0")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

status=0
for ts in "$@"; do
    fault=0
    updated="$work/$(basename "$ts")"
    cp "$ts" "$updated"
    "$lupdate" -silent -no-obsolete -locations none "@$list" -ts "$updated" >"$work/lupdate.log" 2>&1 ||
        { cat "$work/lupdate.log" >&2; echo "FAIL: lupdate failed on $ts" >&2; exit 1; }
    # The messages as the sources have them now, new texts included.
    if ! python3 "$here/messages.py" "$updated" >"$work/faults"; then
        echo "FAIL: $ts:" >&2
        sed 's/^/  /' "$work/faults" >&2
        fault=1
    fi
    if ! diff -u "$ts" "$updated" >"$work/diff"; then
        echo "FAIL: $ts is not up to date with the sources;" \
            "run: cmake --build build --target update_translations" >&2
        cat "$work/diff" >&2
        fault=1
    fi
    [ "$fault" -eq 0 ] && echo "PASS: $ts: $(grep -c '<translation' "$ts") texts, all translated"
    status=$((status | fault))
done
exit "$status"
