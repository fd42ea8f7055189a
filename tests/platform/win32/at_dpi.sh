#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a Windows test program under Wine with the display set to another dpi, on a
# virtual desktop large enough for the restored window, then sets both back.
set -euo pipefail
dpi=$1
shift
wine=/usr/lib/wine/wine64
setting() {
    "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null
    "$wine" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d "$2" /f >/dev/null
    /usr/lib/wine/wineserver -w
}
trap 'setting 96 1024x768' EXIT
setting "$dpi" 1800x1300
EXPECTED_DPI=$dpi "$wine" "$@"
