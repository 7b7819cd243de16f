#!/usr/bin/env bash
# Lintian finds no error in the package, and no binary without the hardening flags.  Usage: lintian.sh PACKAGE-DIR
set -euo pipefail
dir=${1:?usage: $0 PACKAGE-DIR}
report=$(lintian --fail-on error --display-info "$dir"/*.deb) || { echo "$report" >&2; exit 1; }
# Built with Debian's hardening flags: no tag says a binary lacks one.
if grep 'hardening-' <<<"$report" >&2; then
    echo "FAIL: lintian finds a binary built without Debian's hardening flags" >&2
    exit 1
fi
echo "PASS: lintian reports no error and no missing hardening"
