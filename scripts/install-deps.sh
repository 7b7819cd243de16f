#!/usr/bin/env bash
# Installs the Debian packages Ombrix needs to build and run its programs, and with
# --test also those its tests, benchmarks, package and fuzzers need; only those that are
# missing. Safe to run again: with everything present it changes nothing.
set -euo pipefail

# What building and running the programs needs (`make run`).
packages=(cmake g++ make ccache qt6-base-dev fonts-vlgothic
          # the live wallpaper and the root background on X11
          pkg-config libxcb1-dev libxcb-randr0-dev libxcb-ewmh-dev libxcb-icccm4-dev
          libxcb-shm0-dev
          # the live wallpaper on Wayland: the client library, the protocol glue generator
          libwayland-dev libwayland-bin wayland-protocols
          # animated WebP and GIF: libwebp's animation encoder and decoder, giflib
          libwebp-dev libgif-dev
          # translations: lupdate/lrelease and Qt's own catalogues
          qt6-tools-dev qt6-l10n-tools qt6-translations-l10n
          # the icon's PNG sizes, drawn from its SVG at build time
          librsvg2-bin)
# What the tests, benchmarks, package and fuzzers need besides (`make test`: --test).
test_packages=(libgtest-dev libbenchmark-dev
          xvfb xdotool imagemagick libx11-dev
          # setting the background, and the real services its tests start
          dbus python3-dbus python3-gi libglib2.0-bin gsettings-desktop-schemas feh
          # the bus's own start on X11 (dbus-launch), which ombrix-live must not set off
          dbus-x11
          # Xfce's settings daemon and MATE's and Cinnamon's schemas for the desktop tests
          xfconf libxfconf-0-3 mate-desktop-common cinnamon-desktop-data
          # the Debian package and the checks of its files
          dpkg-dev file desktop-file-utils appstream lintian
          # reading a window's icon property in the package test
          x11-utils
          # the live wallpaper's tests: a window manager on X11; on Wayland a headless sway,
          # grim to read it back, foot as a fullscreen window
          openbox sway grim foot
          # the Plasma wallpaper's test: KWin on a virtual screen, plasmashell, screenshots
          kwin-wayland plasma-workspace plasma-desktop qtwayland5 kde-spectacle qdbus-qt5
          libgl1-mesa-dri
          # ... and a headless GNOME Shell for the shell extension's test
          gnome-shell gjs
          # fuzzers
          clang libclang-rt-14-dev)

case "${1:-}" in
    --test) packages+=("${test_packages[@]}") ;;
    "") ;;
    *) echo "usage: install-deps.sh [--test]" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

if ! command -v apt-get >/dev/null 2>&1; then
    echo "install-deps: these packages are missing and apt-get is not available: ${missing[*]}" >&2
    echo "install-deps: install them with your system's package manager, then try again." >&2
    exit 1
fi

sudo=()
if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null 2>&1; then
        sudo=(sudo)
    else
        echo "install-deps: need root to install ${missing[*]}, and sudo is not available." >&2
        echo "install-deps: run as root: apt-get install -y --no-install-recommends ${missing[*]}" >&2
        exit 1
    fi
fi

echo "install-deps: installing missing packages: ${missing[*]}"
if ! "${sudo[@]}" apt-get update -qq; then
    echo "install-deps: 'apt-get update' failed; check the network and the package sources." >&2
    exit 1
fi
if ! DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"; then
    echo "install-deps: installing ${missing[*]} failed (see apt-get's message above)." >&2
    exit 1
fi
echo "install-deps: done."
