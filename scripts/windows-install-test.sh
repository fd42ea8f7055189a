#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The MSI under Wine as a deployment tool runs it: a silent install of an older version
# (built here from the same sources), the game started from Program Files, the upgrade to
# this version in place, a silent uninstall that keeps the record and returns only once
# the files are gone, and one with REMOVERECORD=1 that removes it; then signing with a
# test certificate. Needs WINEPREFIX set and a display.
# Usage: windows-install-test.sh BUILD VERSION
set -euo pipefail
build=$1 version=$2
wine=/usr/lib/wine/wine64
drive="$WINEPREFIX/drive_c"
game="$drive/Program Files/Moltiplix/moltiplix.exe"
# Wine's msiexec gives ProgramMenuFolder the installing user's menu whatever ALLUSERS
# says, where Windows gives the all-users one; the package's own tables are checked below.
shortcut="$drive/users/$(id -un)/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Moltiplix.lnk"
records="$drive/ProgramData/Moltiplix"
fail() { echo "install test: $*"; exit 1; }
step() { echo "-- $*"; }
msiexec() { timeout 300 "$wine" cmd /c start /wait msiexec "$@"; }

step "per machine: ALLUSERS=1, the Start-menu entry in ProgramMenuFolder"
table() { msiinfo export "$build/moltiplix.msi" "$1" | tr -d '\r'; }
table Property | grep -qx $'ALLUSERS\t1' || fail "the package is not per machine"
table Shortcut | grep -q $'^StartMenuEntry\tProgramMenuFolder\t' ||
    fail "the shortcut is not in the Start menu"

IFS=. read -r major minor _ <<<"$version"
older=$major.$((minor - 1)).0
((minor > 0)) || older=$((major - 1)).99.0
scripts/build-msi.sh "$build" "$older" "$build/moltiplix-$older.msi"
ls -l "$build/moltiplix.msi" "$build/moltiplix-$older.msi"
windows_path() { "$wine" winepath -w "$1" | tr -d '\r'; }
msi=$(windows_path "$build/moltiplix.msi")
old_msi=$(windows_path "$build/moltiplix-$older.msi")

# Version and product code of every Moltiplix installed, one a line.
installed() {
    "$wine" reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s /reg:64 |
        tr -d '\r' | awk '/^HKEY/ { n = split($0, key, "\\"); code = key[n]; name = ""; version = "" }
            /DisplayName +REG_SZ +Moltiplix$/ { name = 1 }
            /DisplayVersion +REG_SZ/ { version = $3 }
            name && version { print version, code; name = "" }'
}
installed_versions() { installed | cut -d' ' -f1 | paste -sd' '; }
record_folder_value() {
    "$wine" reg query 'HKLM\SOFTWARE\Moltiplix' /v RecordFolder /reg:64 2>/dev/null |
        tr -d '\r' | sed -n 's/.*RecordFolder *REG_SZ *//p'
}
expect_record() { # score, name
    [ "$(cat "$records/tavrec.txt")" = "$(printf '%b' "$1")" ] &&
        [ "$(cat "$records/ntavrec.txt")" = "$(printf '%b' "$2")" ] ||
        fail "the record is $(od -c "$records/tavrec.txt" "$records/ntavrec.txt" | head -4)"
}
expect_only_record_files() {
    [ "$(ls -A "$records" | paste -sd' ')" = \
        "ntavrec.txt ntavrec.txt.new tavrec.lck tavrec.txt tavrec.txt.new" ] ||
        fail "$1: $records holds $(ls -A "$records" | paste -sd' ')"
}

# A record left in the Windows directory by a game run without an installer, with an
# accented name in the Windows code page; a player's file in the old open folder.
for code in $(installed | cut -d' ' -f2); do msiexec /x "$code" /qn; done
rm -rf "$records"
printf '7\r\n' >"$drive/windows/tavrec.txt"
printf 'Niccol\xf2\r\n' >"$drive/windows/ntavrec.txt"

step "silent install of $older"
msiexec /i "$old_msi" /qn
[ -f "$game" ] || fail "no game in Program Files"
[ -f "$(dirname "$game")/moltiplix-record.exe" ] || fail "no moltiplix-record.exe"
[ -f "$shortcut" ] || fail "no Start-menu entry"
expect_record '7\r' 'Niccol\xf2\r'
[ "$(record_folder_value)" = 'C:\ProgramData\Moltiplix\' ] ||
    fail "RecordFolder is '$(record_folder_value)'"
[ "$(installed_versions)" = "$older" ] || fail "installed: $(installed_versions)"
expect_only_record_files "after the install"

step "the game starts from Program Files to its first dialog"
ms=$(timeout 120 "$wine" "$build/startupprobe.exe" 'C:\Program Files\Moltiplix\moltiplix.exe' |
    tr -d '\r') || fail "the installed game did not show its first dialog"
echo "first dialog after $ms ms"

step "upgrade to $version in place"
printf '12\r\n' >"$records/tavrec.txt"
printf 'Anna\r\n' >"$records/ntavrec.txt"
: >"$records/stray.txt"
msiexec /i "$msi" /qn
[ "$(installed_versions)" = "$version" ] || fail "after the upgrade: $(installed_versions)"
strings -el "$game" | grep -qx "$version" || fail "the game's version resource is not $version"
expect_record '12\r' 'Anna\r'
expect_only_record_files "after the upgrade"

step "silent uninstall, as a deployment tool runs it (start /wait)"
start=$(date +%s%N)
msiexec /x "$msi" /qn
echo "returned after $((($(date +%s%N) - start) / 1000000)) ms"
# Checked at once, never waited for: the next step of a deployment script starts now.
[ ! -e "$game" ] || fail "msiexec returned while the game was still there"
[ ! -e "$(dirname "$game")" ] || fail "uninstall left $(dirname "$game")"
[ ! -e "$shortcut" ] || fail "uninstall left the Start-menu entry"
[ -z "$(record_folder_value)" ] || fail "uninstall left the RecordFolder value"
[ -z "$(installed_versions)" ] || fail "still installed: $(installed_versions)"
expect_record '12\r' 'Anna\r'

step "install again, then uninstall with REMOVERECORD=1"
msiexec /i "$msi" /qn
expect_record '12\r' 'Anna\r'
msiexec /x "$msi" /qn REMOVERECORD=1
[ ! -e "$game" ] || fail "uninstall left the game"
[ ! -e "$records" ] || fail "REMOVERECORD=1 left $records"
for file in tavrec.txt ntavrec.txt; do
    [ ! -e "$drive/windows/$file" ] || fail "REMOVERECORD=1 left the Windows directory's $file"
done

step "signing with a certificate the test makes"
keys=$(mktemp -d)
trap 'rm -rf "$keys"' EXIT
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Moltiplix test CA" \
    -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign \
    -keyout "$keys/ca.key" -out "$keys/ca.pem" 2>/dev/null
openssl req -newkey rsa:2048 -nodes -subj "/CN=Scuola di prova" \
    -keyout "$keys/sign.key" -out "$keys/sign.csr" 2>/dev/null
printf 'extendedKeyUsage=codeSigning\nkeyUsage=digitalSignature\n' >"$keys/ext"
openssl x509 -req -in "$keys/sign.csr" -CA "$keys/ca.pem" -CAkey "$keys/ca.key" \
    -CAcreateserial -days 2 -extfile "$keys/ext" -out "$keys/sign.pem" 2>/dev/null
openssl pkcs12 -export -inkey "$keys/sign.key" -in "$keys/sign.pem" -certfile "$keys/ca.pem" \
    -passout pass:prova -out "$keys/sign.pfx"
cp "$build/moltiplix.exe" "$build/moltiplix.msi" "$keys/"
SIGN_CERT=$keys/sign.pfx SIGN_PASSWORD=prova scripts/sign-windows.sh \
    "$keys/moltiplix.exe" "$keys/moltiplix.msi"
for file in moltiplix.exe moltiplix.msi; do
    osslsigncode verify -CAfile "$keys/ca.pem" -in "$keys/$file" >"$keys/verify.log" 2>&1 ||
        { cat "$keys/verify.log"; fail "$file: the signature does not verify"; }
    grep -q 'Subject: .*CN *= *Scuola di prova' "$keys/verify.log" ||
        fail "$file is not signed by the test certificate"
done
# A byte changed after signing must show.
printf 'x' | dd of="$keys/moltiplix.exe" bs=1 seek=4096 conv=notrunc 2>/dev/null
if osslsigncode verify -CAfile "$keys/ca.pem" -in "$keys/moltiplix.exe" >/dev/null 2>&1; then
    fail "a changed program still verifies"
fi
step "the signed MSI installs and uninstalls"
msiexec /i "$(windows_path "$keys/moltiplix.msi")" /qn
[ -f "$game" ] || fail "the signed MSI did not install"
msiexec /x "$(windows_path "$keys/moltiplix.msi")" /qn REMOVERECORD=1
[ ! -e "$game" ] || fail "the signed MSI did not uninstall"

echo "install test: silent install, start, upgrade in place, uninstall kept the record" \
    "and returned when done, REMOVERECORD=1 removed it, signatures verify"
