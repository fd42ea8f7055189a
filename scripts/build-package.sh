#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package on a Debian 12 machine that may have nothing installed: only
# what the game needs to build (no test libraries), a hardened Release build, stripped.
# Prints the path of the package. BUILD_DIR changes where it is built (build-package/).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build-package}

# The progress goes to stderr: stdout is the package's path alone.
scripts/install-deps.sh --only cmake g++ make pkg-config qt6-base-dev qt6-svg-dev libgl-dev \
    dpkg-dev file >&2

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DMOLTIPLIX_TESTS=OFF >&2
cmake --build "$build" -j"$(nproc)" >&2
rm -f "$build"/moltiplix_*.deb
(cd "$build" && cpack -G DEB) >&2
ls "$PWD/$build"/moltiplix_*.deb
