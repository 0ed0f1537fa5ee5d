#!/usr/bin/env bash
# Installs Kivora into a scratch prefix and checks what a desktop reads from it (the .desktop file
# with desktop-file-validate, the AppStream metadata with appstreamcli), makes the Debian package
# with cpack and, when run as root, installs that package with apt-get, runs the installed
# programs (help, and a demo start on the offscreen platform) and removes the package again.
#
#   scripts/package.sh [BUILD_DIR]
#
# Without BUILD_DIR it configures and builds an optimised tree without tests in build/package;
# scripts/test.sh passes its build/dev-strict. The package lands in BUILD_DIR.
# KIVORA_SKIP_DEB_INSTALL=1 skips the install of the package.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
build=${1:-build/package}
if [ $# -eq 0 ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKIVORA_BUILD_TESTS=OFF \
        -DKIVORA_BUILD_BENCHMARKS=OFF -DKIVORA_BUILD_EXAMPLES=OFF >/dev/null
fi
cmake --build "$build" -j "$(nproc)"

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
echo "=== install into a scratch prefix"
cmake --install "$build" --prefix "$stage/usr" >/dev/null
id=io.kivora.Kivora
for file in bin/kivora bin/kivora-cli share/applications/$id.desktop \
    share/metainfo/$id.metainfo.xml share/icons/hicolor/scalable/apps/$id.svg \
    share/kivora/translations/kivora_zh_CN.qm share/kivora/translations/kivora_en.qm \
    share/man/man1/kivora-cli.1 share/bash-completion/completions/kivora-cli; do
    [ -s "$stage/usr/$file" ] || { echo "missing from the install: $file"; exit 1; }
done
(cd "$stage/usr" && find . -type f | sort)
desktop-file-validate "$stage/usr/share/applications/$id.desktop"
appstreamcli validate --no-net "$stage/usr/share/metainfo/$id.metainfo.xml"
# The installed programs find their translations beside them.
QT_QPA_PLATFORM=offscreen "$stage/usr/bin/kivora" --version

echo "=== Debian package"
rm -f "$build"/kivora_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/kivora_*.deb)
dpkg-deb --info "$deb" | sed -n '/Package:/,$p'

if [ -n "${KIVORA_SKIP_DEB_INSTALL:-}" ] || [ "$(id -u)" -ne 0 ]; then
    echo "SKIP: installing $deb needs root (and KIVORA_SKIP_DEB_INSTALL unset)"
    exit 0
fi
echo "=== install the package, start it, remove it"
DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "./$deb" >/dev/null
trap 'DEBIAN_FRONTEND=noninteractive apt-get purge -y -q kivora >/dev/null; rm -rf "$stage"' EXIT
env -u DISPLAY -u WAYLAND_DISPLAY /usr/bin/kivora --help | head -3
/usr/bin/kivora-cli --help | head -3
QT_QPA_PLATFORM=offscreen timeout 120 /usr/bin/kivora --demo --lang zh_CN --screenshot "$stage/started.png"
[ -s "$stage/started.png" ]
echo "the package installs, and kivora starts from it"
