#!/usr/bin/env bash
# Builds the Debian package, installs it on this machine, checks that its files are where
# the desktop entry says and starts the installed game headless as far as its first
# dialog. Needs root (it installs a package); test.sh runs it on CI.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh dpkg-dev file xvfb xauth xdotool desktop-file-utils appstream

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
rm -f build/moltiplix_*.deb
(cd build && cpack -G DEB)
deb=$(ls build/moltiplix_*.deb)
echo "package: $deb, $(du -k "$deb" | cut -f1) KiB"
echo "Depends: $(dpkg-deb -f "$deb" Depends)"
dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6' ||
    { echo "the dependencies do not come from the shared libraries"; exit 1; }

DEBIAN_FRONTEND=noninteractive apt-get install -y -q "./$deb"

desktop=/usr/share/applications/moltiplix.desktop
desktop-file-validate "$desktop"
appstreamcli validate --no-net /usr/share/metainfo/moltiplix.metainfo.xml
command -v "$(sed -n 's/^Exec=//p' "$desktop")" >/dev/null
icon=$(sed -n 's/^Icon=//p' "$desktop")
for size in 16x16 32x32 48x48 64x64 128x128; do
    file "/usr/share/icons/hicolor/$size/apps/$icon.png" | grep -q "${size/x/ x }," ||
        { echo "missing or wrong icon: $size"; exit 1; }
done
test -f "/usr/share/icons/hicolor/scalable/apps/$icon.svg"
test "$(stat -c %a /var/games/moltiplix)" = 777 ||
    { echo "/var/games/moltiplix is not writable by every user"; exit 1; }

# The installed game, on a virtual display, must get as far as asking the player's name.
# (A first start on a fresh machine may wait for the font cache: allow a minute.) The
# test suite's offscreen platform must not leak in: the game has to reach the X display.
env -u QT_QPA_PLATFORM xvfb-run -a bash -c '
    moltiplix 2>/tmp/moltiplix-package-test.log & game=$!
    for _ in $(seq 600); do
        if xdotool search --name "^Moltiplix$" >/dev/null 2>&1; then
            kill $game; echo "first dialog shown"; exit 0
        fi
        kill -0 $game 2>/dev/null || break
        sleep 0.1
    done
    kill $game 2>/dev/null
    echo "the first dialog never appeared"; cat /tmp/moltiplix-package-test.log; exit 1'
echo "package test passed"
