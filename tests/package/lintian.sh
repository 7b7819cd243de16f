#!/usr/bin/env bash
# Lintian finds no error in the package.  Usage: lintian.sh PACKAGE-DIR
set -euo pipefail
dir=${1:?usage: $0 PACKAGE-DIR}
lintian --fail-on error "$dir"/*.deb
echo "PASS: lintian reports no error"
