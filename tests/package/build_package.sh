#!/usr/bin/env bash
# Builds the Debian package from the build tree as `make package` does, into OUT-DIR,
# for the other package tests.  Usage: build_package.sh BUILD-DIR OUT-DIR
set -euo pipefail
build=${1:?usage: $0 BUILD-DIR OUT-DIR}
out=${2:?usage: $0 BUILD-DIR OUT-DIR}
rm -rf "$out"
mkdir -p "$out"
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$out" >"$out/cpack.log" 2>&1 ||
    { cat "$out/cpack.log" >&2; echo "FAIL: cpack could not build the package" >&2; exit 1; }
debs=("$out"/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -s "${debs[0]}" ] || { echo "FAIL: no package in $out" >&2; exit 1; }
echo "PASS: built ${debs[0]}"
