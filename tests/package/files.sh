#!/usr/bin/env bash
# The package's files, unpacked: the programs, a desktop entry and AppStream metadata
# that their validators accept, and the icon as SVG and as PNGs of the sizes named by
# their folders, all under the one id.  Usage: files.sh PACKAGE-DIR APP-ID PROGRAM...
set -euo pipefail
dir=${1:?usage: $0 PACKAGE-DIR APP-ID PROGRAM...}
id=${2:?}
shift 2
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

dpkg-deb -x "$dir"/*.deb "$root"
for program in "$@"; do
    [ -x "$root/usr/bin/$program" ] || fail "usr/bin/$program is missing"
done

desktop=$root/usr/share/applications/$id.desktop
metainfo=$root/usr/share/metainfo/$id.metainfo.xml
desktop-file-validate "$desktop" || fail "desktop-file-validate refuses $desktop"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli refuses $metainfo"
grep -qx "Icon=$id" "$desktop" || fail "the desktop entry does not name the icon $id"
grep -qx "Exec=ombrix" "$desktop" || fail "the desktop entry does not start ombrix"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
    fail "the metadata does not launch $id.desktop"
grep -q '<release version="1.03"' "$metainfo" || fail "the metadata has no release 1.03"

icons=$root/usr/share/icons/hicolor
[ -s "$icons/scalable/apps/$id.svg" ] || fail "no scalable icon"
for size in 16 22 24 32 48 64 128 256; do
    png=$icons/${size}x${size}/apps/$id.png
    file "$png" | grep -q "PNG image data, $size x $size," ||
        fail "$png is not a $size x $size PNG: $(file -b "$png" 2>&1)"
done
dpkg-deb -I "$dir"/*.deb postrm | grep -q "rm -f /usr/bin/ombrix.ini" ||
    fail "purging the package does not remove the settings file earlier versions left in /usr/bin"
echo "PASS: package files"
