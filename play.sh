#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds the game and starts it.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
# A folder of its own: test.sh builds build/ with other settings, and either would
# rebuild everything after the other.
cmake -S . -B build-play -DCMAKE_BUILD_TYPE=Release -DMOLTIPLIX_TESTS=OFF
cmake --build build-play -j"$(nproc)" --target moltiplix
exec build-play/moltiplix
