#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian source and binary packages with dpkg-buildpackage and checks them as a
# distribution's reviewer and CI would: lintian on the .changes, AppStream and desktop
# entry on the unpacked package, icons, then an upgrade from the world-writable record of
# the earlier package, the package's autopkgtest, remove and purge on this machine,
# checking what stays and what goes, and last a second build in another folder that must
# give the same package files. Needs root (it installs a package); test.sh runs it on CI.
# It deletes /var/games/moltiplix. REPRODUCIBLE=0 leaves out the second build.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh dpkg-dev file lintian desktop-file-utils appstream imagemagick \
    xvfb xauth xdotool autopkgtest diffoscope-minimal

fail() { echo "package test: $*" >&2; exit 1; }

# Neither build may take objects from the compiler cache: a cached object would hide a
# difference between them.
export CCACHE_DISABLE=1
deb=$(scripts/build-package.sh)
out=$(dirname "$deb")
version=$(dpkg-deb -f "$deb" Version)
arch=$(dpkg-deb -f "$deb" Architecture)
changes=$out/moltiplix_${version}_$arch.changes
dbgsym=$out/moltiplix-dbgsym_${version}_$arch.deb
echo "package: $deb, $(stat -c %s "$deb") bytes"
dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6' ||
    fail "the dependencies do not come from the shared libraries"
# Owned by root:root in the package, a set-ID program would run as group root from
# unpacking to configuring: postinst alone makes the keeper set-group-ID games.
dpkg-deb -c "$deb" | grep -E '^-..[sS]|^-.....[sS]' && fail "a program is set-ID in the package"

echo "== lintian on $(basename "$changes"): the source and both binary packages"
lintian_failed=0
lintian_out=$(lintian -I --pedantic --fail-on error,warning "$changes" 2>&1) || lintian_failed=1
lintian_out=$(grep -v 'root privileges' <<<"$lintian_out" || true)
echo "${lintian_out:-no tags}"
[ $lintian_failed = 0 ] || fail "lintian found errors or warnings"
# Hardening and stripping show only as information tags: they fail this test all the same.
if grep -E 'hardening-|binary-has-unneeded-section|unstripped' <<<"$lintian_out"; then
    fail "a binary is not hardened or not stripped"
fi

echo "== unpacked package"
tree=$(mktemp -d)
victims=$(mktemp -d)
trap 'rm -rf "$tree" "$victims"' EXIT
dpkg-deb -x "$deb" "$tree"
# Every program's debug symbols, found by build ID as gdb and debuginfod look them up.
debug_files=$(dpkg-deb -c "$dbgsym")
for program in usr/games/moltiplix usr/lib/games/moltiplix/moltiplix-record; do
    id=$(readelf -n "$tree/$program" | sed -n 's/.*Build ID: //p')
    grep -q "usr/lib/debug/.build-id/${id:0:2}/${id:2}.debug" <<<"$debug_files" ||
        fail "no debug symbols for $program (build ID '$id') in $(basename "$dbgsym")"
done
appstreamcli validate-tree --pedantic --no-net --strict "$tree"
desktop=$(ls "$tree"/usr/share/applications/*.desktop)
validation=$(desktop-file-validate "$desktop" 2>&1) || true
[ -z "$validation" ] || fail "desktop-file-validate: $validation"
exec_path=$(sed -n 's/^Exec=//p' "$desktop")
[ "$exec_path" = /usr/games/moltiplix ] || fail "the desktop entry starts $exec_path"
[ -x "$tree$exec_path" ] ||
    fail "the desktop entry does not start the game in /usr/games ($exec_path)"
[ ! -e "$tree/usr/bin" ] || fail "something is installed in /usr/bin"
[ ! -e "$tree/var" ] || fail "the package lists files in /var: they belong to the maintainer scripts"
[ "$(dpkg-deb -f "$deb" Section)" = games ] || fail "the package is not in section games"

icon=$(sed -n 's/^Icon=//p' "$desktop")
icons=$tree/usr/share/icons/hicolor
for size in 16 24 32 48 64 128 256; do
    [ "$(identify -format %wx%h "$icons/${size}x$size/apps/$icon.png")" = "${size}x$size" ] ||
        fail "missing or wrong icon: $size px"
done
# The small icons are drawn on their pixel grid: a few flat colours, none of the blends
# a scaled-down drawing smears its digits into.
for size in 16 24; do
    colours=$(identify -format %k "$icons/${size}x$size/apps/$icon.png")
    [ "$colours" -le 8 ] || fail "the $size px icon is blurred ($colours colours)"
done
grep -q '<text' "$icons/scalable/apps/$icon.svg" && fail "the scalable icon has live text"
for page in man6/moltiplix.6.gz it/man6/moltiplix.6.gz; do
    LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$tree/usr/share/man/$page" | grep -q '^NAME\|^NOME' ||
        fail "manual page $page does not read"
done

echo "== upgrade from the earlier package's world-writable record"
records=/var/games/moltiplix
keeper=/usr/lib/games/moltiplix/moltiplix-record
dpkg --purge moltiplix >/dev/null 2>&1 || true
rm -rf "$records"
mkdir -p /var/games
# As the earlier package left it: everyone could write, and plant anything.
mkdir -m 0777 "$records"
printf '12\r\n' >"$records/tavrec.txt"
chown nobody "$records/tavrec.txt"
chmod 0666 "$records/tavrec.txt"
printf 'secret\n' >"$victims/private"
chmod 0600 "$victims/private"
ln -s "$victims/private" "$records/ntavrec.txt"
# A pupil's own folder, open to all, with a file and a link to someone's folder in it; a
# stray file; a link to that folder; and a commit mark, all the pupil's.
mkdir -p "$victims/folder"
printf 'kept\n' >"$victims/folder/kept"
mkdir -m 0777 "$records/planted"
printf 'x\n' >"$records/planted/file"
ln -s "$victims/folder" "$records/planted/link"
ln -s "$victims/folder" "$records/folder-link"
printf 'x\n' >"$records/stray"
: >"$records/tavrec.commit"
chown -h nobody "$records/planted" "$records/planted/file" "$records/planted/link" \
    "$records/folder-link" "$records/stray" "$records/tavrec.commit"

DEBIAN_FRONTEND=noninteractive apt-get install -y -q "$deb" >/dev/null

expect_mode() { # path, owner:group mode
    [ "$(stat -c '%U:%G %a' "$1")" = "$2" ] || fail "$1 is $(stat -c '%U:%G %a' "$1"), not $2"
}
expect_record() { # path, content
    if [ -L "$1" ] || [ ! -f "$1" ]; then fail "$1 is not a plain file"; fi
    [ "$(cat "$1")" = "$(printf '%b' "$2")" ] || fail "$1 holds '$(cat "$1")'"
}
expect_mode "$records" "root:games 775"
expect_mode "$records/tavrec.txt" "root:games 664"
expect_mode "$records/ntavrec.txt" "root:games 664"
expect_record "$records/tavrec.txt" '12\r'
expect_record "$records/ntavrec.txt" ''
expect_mode "$victims/private" "root:root 600"
[ "$(cat "$victims/private")" = secret ] || fail "the upgrade wrote through a planted link"
expect_mode "$keeper" "root:games 2755"
expect_only_ours() {
    local entries foreign
    entries=$(ls -A "$records" | paste -sd' ')
    [ "$entries" = "ntavrec.txt ntavrec.txt.new tavrec.lock tavrec.txt tavrec.txt.new" ] ||
        fail "$records holds: $entries"
    foreign=$(find "$records" ! -user root)
    [ -z "$foreign" ] || fail "not root's in $records: $foreign"
}
expect_only_ours
[ "$(cat "$victims/folder/kept")" = kept ] || fail "the upgrade removed through a planted link"

# Other things planted in the old directory: a FIFO, and a hard link to someone's file.
rm -f "$records"/*.txt
mkfifo "$records/tavrec.txt"
printf 'Anna\r\n' >"$victims/linked"
chmod 0600 "$victims/linked"
ln "$victims/linked" "$records/ntavrec.txt"
chmod 0777 "$records"
timeout 20 /var/lib/dpkg/info/moltiplix.postinst configure 1.0.0 2>/dev/null ||
    fail "configure failed or hung on a planted FIFO"
expect_mode "$records" "root:games 775"
expect_record "$records/tavrec.txt" ''
# The linked file may be anyone's private one: none of it is published in the record.
expect_record "$records/ntavrec.txt" ''
expect_mode "$records/ntavrec.txt" "root:games 664"
expect_mode "$victims/linked" "root:root 600"
expect_record "$victims/linked" 'Anna\r'

echo "== a save the earlier keeper cut after its commit is finished"
# The earlier keeper, run by a player, left its commit mark in the player's name; the
# spares hold the new pair, the record files still the old one.
printf '5\r\n' >"$records/tavrec.txt"
printf 'Anna\r\n' >"$records/ntavrec.txt"
printf '9\r\n' >"$records/tavrec.txt.new"
printf 'Bruno\r\n' >"$records/ntavrec.txt.new"
install -o nobody -g games -m 0600 /dev/null "$records/tavrec.commit"
/var/lib/dpkg/info/moltiplix.postinst configure 1.1.0
expect_record "$records/tavrec.txt" '9\r'
expect_record "$records/ntavrec.txt" 'Bruno\r'
expect_only_ours

echo "== an administrator's dpkg-statoverride is honoured"
dpkg-statoverride --update --add root root 0755 "$records"
dpkg-statoverride --update --add root root 0644 "$records/tavrec.txt"
/var/lib/dpkg/info/moltiplix.postinst configure 1.1.0
overrides_kept=$(stat -c '%U:%G %a' "$records" "$records/tavrec.txt" | paste -sd' ')
dpkg-statoverride --remove "$records"
dpkg-statoverride --remove "$records/tavrec.txt"
[ "$overrides_kept" = "root:root 755 root:root 644" ] ||
    fail "configure re-applied its modes over the administrator's ($overrides_kept)"
/var/lib/dpkg/info/moltiplix.postinst configure 1.1.0
expect_mode "$records" "root:games 775"
expect_mode "$records/tavrec.txt" "root:games 664"
# A directory left world-writable by override: any player could swap a file for a link
# under configure, so it changes no file there.
dpkg-statoverride --update --add root root 0777 "$records"
rm "$records/ntavrec.txt"
ln -s "$victims/private" "$records/ntavrec.txt"
/var/lib/dpkg/info/moltiplix.postinst configure 1.1.0 2>/dev/null
dpkg-statoverride --remove "$records"
expect_mode "$victims/private" "root:root 600"
[ -L "$records/ntavrec.txt" ] || fail "configure changed a file in a world-writable directory"
/var/lib/dpkg/info/moltiplix.postinst configure 1.1.0 2>/dev/null
expect_mode "$records/ntavrec.txt" "root:games 664"

echo "== autopkgtest, as a distribution's CI runs it"
# The source package as published (.dsc), its tests against the package just built.
rm -rf "$out/autopkgtest"
if ! autopkgtest --output-dir="$out/autopkgtest" "$deb" "$out/moltiplix_$version.dsc" -- null \
    >"$out/autopkgtest.log" 2>&1; then
    tail -40 "$out/autopkgtest.log"
    fail "autopkgtest failed: see $out/autopkgtest.log"
fi
cat "$out"/autopkgtest/*-stdout "$out/autopkgtest/summary"

echo "== remove keeps the record, purge deletes it"
printf '7\r\n' >"$records/tavrec.txt"
printf 'Bruno\r\n' >"$records/ntavrec.txt"
mapfile -t files < <(dpkg -L moltiplix | while read -r f; do [ -f "$f" ] && echo "$f"; done)
DEBIAN_FRONTEND=noninteractive apt-get remove -y -q moltiplix >/dev/null
for f in "${files[@]}"; do
    [ ! -e "$f" ] || fail "remove left $f"
done
expect_record "$records/tavrec.txt" '7\r'
expect_record "$records/ntavrec.txt" 'Bruno\r'
expect_mode "$records" "root:games 775"

DEBIAN_FRONTEND=noninteractive apt-get install -y -q "$deb" >/dev/null
expect_record "$records/tavrec.txt" '7\r'
expect_record "$records/ntavrec.txt" 'Bruno\r'
DEBIAN_FRONTEND=noninteractive apt-get purge -y -q moltiplix >/dev/null
[ ! -e "$records" ] || fail "purge left $records"
for f in "${files[@]}"; do
    [ ! -e "$f" ] || fail "purge left $f"
done
dpkg-statoverride --list | grep -q moltiplix && fail "a dpkg-statoverride entry was left"
dpkg -s moltiplix >/dev/null 2>&1 && fail "dpkg still knows the package after purge"
echo "== a fresh install, then purge"
rmdir /var/games 2>/dev/null || true
DEBIAN_FRONTEND=noninteractive apt-get install -y -q "$deb" >/dev/null
expect_mode "$records" "root:games 775"
expect_mode "$records/tavrec.txt" "root:games 664"
expect_record "$records/tavrec.txt" ''
expect_record "$records/ntavrec.txt" ''
DEBIAN_FRONTEND=noninteractive apt-get purge -y -q moltiplix >/dev/null
[ ! -e /var/games ] || dpkg-query -S /var/games >/dev/null 2>&1 ||
    fail "purge left the empty /var/games it made"

if [ "${REPRODUCIBLE:-1}" = 1 ]; then
    echo "== a second build, in another folder and later, gives the same files"
    again=$(dirname "$(BUILD_DIR=build-package-again scripts/build-package.sh)")
    differ=0
    for file in "$deb" "$dbgsym" "$out/moltiplix_$version.tar.xz" "$out/moltiplix_$version.dsc"; do
        name=$(basename "$file")
        if cmp -s "$file" "$again/$name"; then
            echo "same: $(sha256sum "$file" | cut -c1-16) $name"
        else
            differ=1
            echo "DIFFERENT: $name"
            diffoscope --no-progress --text - "$file" "$again/$name" | head -100 || true
        fi
    done
    [ $differ = 0 ] || fail "two builds of the same sources differ"
fi
echo "package test passed"
