#!/usr/bin/env bash
# Installs the Debian packages Kivora needs to build, test and play video. Skips the work when all
# of them are present already; uses sudo when not run as root.
set -euo pipefail

packages=(
    cmake ninja-build pkg-config g++
    qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev qt6-tools-dev qt6-l10n-tools libqt6svg6
    libqt6sql6-sqlite
    qt6-translations-l10n
    gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-bad gstreamer1.0-libav
    libcpp-httplib-dev libssl-dev
    dbus-daemon
    python3 xvfb xauth fonts-noto-cjk fonts-noto-color-emoji curl
    desktop-file-utils appstream dpkg-dev fakeroot file
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
