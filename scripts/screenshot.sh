#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Takes docs/screenshot.png from a real run of the game on a virtual display with a
# window manager: name "Giulia", limit 10, the first question on screen.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh xvfb xauth xdotool openbox imagemagick
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target moltiplix

xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    openbox >/dev/null 2>&1 &
    sleep 1
    build/moltiplix & game=$!
    wait_for() { for _ in $(seq 100); do xdotool search --name "$1" >/dev/null 2>&1 && return; sleep 0.1; done; }
    wait_for "^Moltiplix$"
    sleep 0.5; xdotool type Giulia; xdotool key Return
    sleep 0.5; xdotool key Return
    sleep 0.5; xdotool type 10; xdotool key Return
    wait_for "^Gioca con la tavola pitagorica$"
    sleep 1.5
    import -window root docs/screenshot.png
    kill $game'
echo "docs/screenshot.png written"
