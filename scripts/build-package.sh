#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian source and binary packages with dpkg-buildpackage on a Debian 12
# machine that may have nothing installed: first only what the build needs (the
# Build-Depends of debian/control). Prints the path of the game's package.
# The sources are those of the commit checked out (git archive), copied into
# build-package/ (BUILD_DIR changes it), and the packages land beside that copy: one
# commit, one package, whatever else lies in the work tree.
set -euo pipefail
cd "$(dirname "$0")/.."
out=${BUILD_DIR:-build-package}
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"

# The progress goes to stderr: stdout is the package's path alone.
scripts/install-deps.sh --only dpkg-dev git >&2
rm -rf "$out"
mkdir -p "$out/sources"
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git diff --quiet HEAD -- || echo "build-package: changes not committed are left out" >&2
    git archive HEAD | tar -xf - -C "$out/sources"
else
    tar --exclude='./build*' -cf - . | tar -xf - -C "$out/sources"
fi
version=$(dpkg-parsechangelog -l "$out/sources/debian/changelog" -S Version)
source=$out/moltiplix-$version
mv "$out/sources" "$source"

if ! (cd "$source" && dpkg-checkbuilddeps) 2>/dev/null; then
    echo "Installing the build dependencies" >&2
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -q >&2
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get build-dep -y -q --no-install-recommends \
        "./$source" >&2
fi

(cd "$source" && dpkg-buildpackage -us -uc -j"$(nproc)") >&2
ls "$PWD/$out/moltiplix_${version}_$(dpkg-architecture -qDEB_HOST_ARCH).deb"
