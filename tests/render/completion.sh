#!/usr/bin/env bash
# The generated bash completion of ombrix-render, run by bash as the shell runs it on Tab:
# option names, the words of a value, folders and files with blanks as single words.
# Usage: completion.sh COMPLETION-FILE
set -euo pipefail
source "${1:?usage: $0 COMPLETION-FILE}"
compopt() { :; } # only valid while readline completes; the words are what counts here
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
mkdir "$dir/a b"
touch "$dir/f.png"

fail=0
expect() { # expect "WANTED" WORD...: the candidates, joined by "|", after typing WORD...
    local wanted=$1
    shift
    COMP_WORDS=(ombrix-render "$@")
    COMP_CWORD=$#
    COMPREPLY=()
    _ombrix_render || true # compgen fails when nothing matches
    local got
    got=$(IFS='|'; echo "${COMPREPLY[*]}")
    [ "$got" = "$wanted" ] || { echo "FAIL: after '$*': got '$got', wanted '$wanted'"; fail=1; }
}
expect "--tiling" --ti
expect "--text|--text-colour" -q --tex
expect "0|1" --tiling ""
expect "screen" --size s
expect "" --seed ""
expect "$dir/a b" --frames "$dir/"
expect "$dir/f.png" -o "$dir/f"
expect "" --ro # ombrix-live's --root is no option of ombrix-render
exit $fail
