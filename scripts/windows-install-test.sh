#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the game silently under Wine, checks what lands where, then uninstalls it
# silently and checks that the record stayed. Needs WINEPREFIX set.
# Usage: windows-install-test.sh SETUP.EXE VERSION
set -euo pipefail
setup=$1 version=$2
wine=/usr/lib/wine/wine64
drive="$WINEPREFIX/drive_c"
fail() { echo "install test: $*"; exit 1; }
# However slow the machine: only a hang lasts five minutes.
wait_gone() { timeout 300 sh -c 'while [ -e "$1" ]; do sleep 0.1; done' sh "$1"; }

# A record left in the Windows directory by an older game, with an accented name.
printf '7\r\n' >"$drive/windows/tavrec.txt"
printf 'Niccol\xf2\r\n' >"$drive/windows/ntavrec.txt"
rm -rf "$drive/ProgramData/Moltiplix"

timeout 120 "$wine" "$setup" /S
[ -f "$drive/Program Files/Moltiplix/moltiplix.exe" ] || fail "no game in Program Files"
[ -f "$drive/ProgramData/Microsoft/Windows/Start Menu/Programs/Moltiplix.lnk" ] ||
    fail "no Start-menu entry"
cmp -s "$drive/windows/ntavrec.txt" "$drive/ProgramData/Moltiplix/ntavrec.txt" ||
    fail "the record in the Windows directory was not carried over"
# What Settings > Apps and the game's Properties show: the version being built.
"$wine" reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Moltiplix' \
    /v DisplayVersion /reg:64 | grep -q "REG_SZ *$version" || fail "installed as another version"
strings -el "$drive/Program Files/Moltiplix/moltiplix.exe" | grep -qx "$version" ||
    fail "the game's version resource is not $version"

timeout 120 "$wine" "C:\\Program Files\\Moltiplix\\uninstall.exe" /S
# The uninstaller runs on from a copy of itself.
wait_gone "$drive/Program Files/Moltiplix/moltiplix.exe" || fail "uninstall left the game"
[ "$(cat "$drive/ProgramData/Moltiplix/tavrec.txt")" = $'7\r' ] ||
    fail "uninstall lost the record"

# Asked to, uninstall removes the record wherever the game kept it, so that a new install
# does not bring it back from the Windows directory.
timeout 120 "$wine" "$setup" /S
timeout 120 "$wine" "C:\\Program Files\\Moltiplix\\uninstall.exe" /S /REMOVERECORD
wait_gone "$drive/Program Files/Moltiplix/moltiplix.exe" || fail "uninstall left the game"
for folder in "$drive/ProgramData/Moltiplix" "$drive/windows"; do
    for file in tavrec.txt ntavrec.txt; do
        wait_gone "$folder/$file" || fail "/REMOVERECORD left $folder/$file"
    done
done
echo "install test: silent install, record carried over, uninstall kept the record," \
    "/REMOVERECORD removed it"
