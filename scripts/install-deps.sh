#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages the game needs to build, run and be tested, when missing.
# Extra package names can be passed as arguments; after --only, just those.
set -euo pipefail

if [ "${1:-}" = --only ]; then
    packages=("${@:2}")
else
    packages=(
        cmake g++ make pkg-config
        qt6-base-dev qt6-svg-dev qt6-translations-l10n libgl-dev
        # Without them a configure warns: the Release build's hardening flags come from
        # dpkg-buildflags, and Qt's own find looks for the keyboard library.
        dpkg-dev libxkbcommon-dev
        googletest libgtest-dev libgmock-dev
        strace unicode-data
        fonts-liberation fonts-dejavu-core
        "$@"
    )
fi

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
        missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
# sudo passes on no environment: debconf would look for a terminal to ask on.
as_root=(env DEBIAN_FRONTEND=noninteractive)
[ "$(id -u)" -ne 0 ] && as_root=(sudo "${as_root[@]}")
"${as_root[@]}" apt-get update -q
"${as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
