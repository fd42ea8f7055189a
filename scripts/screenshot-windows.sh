#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Takes build-windows/screenshot-windows.png from a run of the Windows game under Wine on
# a virtual display, as scripts/screenshot.sh does on Linux: name "Giulia", limit 10, the
# first question on screen. Run scripts/build-windows.sh first. DPI=144 for 150 %.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh xvfb xauth xdotool imagemagick
export WINEPREFIX="$PWD/build-windows/wineprefix" WINEDEBUG=-all
dpi=${DPI:-96}
out=build-windows/screenshot-windows${DPI:+-${dpi}dpi}.png
/usr/lib/wine/wine64 reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null
/usr/lib/wine/wineserver -w
trap '/usr/lib/wine/wine64 reg add "HKCU\Control Panel\Desktop" /v LogPixels /t REG_DWORD /d 96 /f >/dev/null' EXIT
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    /usr/lib/wine/wine64 explorer /desktop=Default,1024x768 build-windows/moltiplix.exe &
    sleep 4; xdotool type Giulia; xdotool key Return
    sleep 1; xdotool key Return
    sleep 1; xdotool type 10; xdotool key Return
    sleep 2
    import -window root "$0"
    /usr/lib/wine/wineserver -k' "$out"
echo "$out written"
