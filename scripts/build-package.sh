#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package on a Debian 12 machine that may have nothing installed: only
# what the game needs to build (no test libraries), a hardened Release build, stripped.
# Prints the path of the package. BUILD_DIR changes where it is built (build-package/).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build-package}

needed=(cmake g++ make pkg-config qt6-base-dev qt6-svg-dev libgl-dev dpkg-dev file)
missing=()
for package in "${needed[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
        missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update -q >&2
    $sudo apt-get install -y -q --no-install-recommends "${missing[@]}" >&2
fi

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DMOLTIPLIX_TESTS=OFF >&2
cmake --build "$build" -j"$(nproc)" >&2
rm -f "$build"/moltiplix_*.deb
(cd "$build" && cpack -G DEB) >&2
ls "$PWD/$build"/moltiplix_*.deb
