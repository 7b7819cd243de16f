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
# The live program as a screensaver: the xscreensaver hack, its settings, the screensaver
# entry, and the manual page.
hack=$root/usr/libexec/xscreensaver/ombrix
[ "$(readlink -f "$hack")" = "$(readlink -f "$root/usr/bin/ombrix-live")" ] ||
    fail "the xscreensaver hack is not ombrix-live: $(ls -l "$hack" 2>&1)"
config=$root/usr/share/xscreensaver/config/ombrix.xml
python3 -c 'import sys, xml.dom.minidom as m
d = m.parse(sys.argv[1]).documentElement
assert d.tagName == "screensaver" and d.getAttribute("name") == "ombrix"
args = " ".join(e.getAttribute(a) for e in d.getElementsByTagName("*") for a in ("arg", "arg-set"))
assert "--interval %" in args and "--tiling 0" in args and "--tiling 1" in args, args' "$config" ||
    fail "$config is not the hack's settings (speed and tiling)"
saver=$root/usr/share/applications/screensavers/ombrix.desktop
desktop-file-validate "$saver" || fail "desktop-file-validate refuses $saver"
grep -qx "Exec=ombrix-live" "$saver" || fail "the screensaver entry does not start ombrix-live"
[ -s "$root/usr/share/man/man1/ombrix-live.1.gz" ] || fail "no manual page for ombrix-live"
wallpaper=$root/usr/share/plasma/wallpapers/$id.Live
python3 -m json.tool "$wallpaper/metadata.json" >/dev/null && [ -s "$wallpaper/contents/ui/main.qml" ] ||
    fail "no Plasma wallpaper package under ${wallpaper#"$root"}"
echo "PASS: package files"
