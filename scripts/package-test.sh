#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package and checks it as a distribution's reviewer would: lintian,
# AppStream and desktop entry on the unpacked package, icons, then an upgrade from the
# world-writable record of the earlier package, install, remove and purge on this machine,
# checking what stays and what goes. Needs root (it installs a package); test.sh runs it
# on CI. It deletes /var/games/moltiplix.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh dpkg-dev file lintian desktop-file-utils appstream imagemagick \
    xvfb xauth xdotool

fail() { echo "package test: $*" >&2; exit 1; }

deb=$(scripts/build-package.sh)
echo "package: $deb, $(stat -c %s "$deb") bytes"
dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6' ||
    fail "the dependencies do not come from the shared libraries"

echo "== lintian"
lintian_failed=0
lintian_out=$(lintian -I --pedantic --fail-on error,warning "$deb" 2>&1) || lintian_failed=1
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
if [ -e "$keeper" ]; then
    expect_mode "$keeper" "root:games 2755"
fi

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

if [ -f scripts/shared-record-test.sh ]; then
    echo "== shared record"
    bash scripts/shared-record-test.sh
fi

echo "== the installed game starts"
# As an ordinary user, never root; on the X display, not the suite's offscreen platform.
home=$(mktemp -d)
chown nobody "$home"
env -u QT_QPA_PLATFORM -u XAUTHORITY xvfb-run -a -s "-ac" bash -c '
    runuser -u nobody -- env -u XAUTHORITY HOME="$0" XDG_RUNTIME_DIR="$0" /usr/games/moltiplix \
        2>/tmp/moltiplix-package-test.log & game=$!
    for _ in $(seq 600); do
        if xdotool search --name "^Moltiplix$" >/dev/null 2>&1; then
            kill $game; echo "first dialog shown"; exit 0
        fi
        kill -0 $game 2>/dev/null || break
        sleep 0.1
    done
    kill $game 2>/dev/null
    echo "the first dialog never appeared"; cat /tmp/moltiplix-package-test.log; exit 1' "$home"
rm -rf "$home"

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
echo "package test passed"
