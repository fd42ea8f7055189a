#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the Windows installer from a Windows build (moltiplix.exe, moltiplix-record.exe
# and the rendered icon in BUILD): scripts/build-msi.sh BUILD VERSION OUTPUT.msi
set -euo pipefail
build=$1 version=$2 output=$3
root=$(cd "$(dirname "$0")/.." && pwd)
output=$(realpath -m "$output")
# wixl finds the files by names relative to where it runs.
(cd "$build" && wixl -a x64 -D Version="$version" -D Exe=moltiplix.exe \
    -D RecordExe=moltiplix-record.exe -D Icon=art/moltiplix.ico -o "$output" \
    "$root/packaging/windows/moltiplix.wxs")
# wixl has no way to mark a property secure: REMOVERECORD must reach the uninstall's
# elevated part also when someone without administrator rights starts it.
msibuild "$output" -q "UPDATE \`Property\` SET \`Value\` = \
'OLDERVERSIONFOUND;NEWERVERSIONFOUND;REMOVERECORD' WHERE \`Property\` = 'SecureCustomProperties'"
