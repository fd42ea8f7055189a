#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Cross-builds the Windows game (build-windows/moltiplix.exe) and its installer
# (build-windows/moltiplix-setup.exe), then runs the Windows tests under Wine on a
# virtual display: the game's tests, the real window's, and a silent install and
# uninstall.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh g++-mingw-w64-x86-64-posix wine64 nsis xvfb xauth librsvg2-bin \
    icoutils googletest

build=build-windows
export WINEPREFIX="$PWD/$build/wineprefix" WINEDEBUG=-all
# No Mono or Gecko: a fresh prefix would otherwise stop to offer them.
export WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64

cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=Release -DMOLTIPLIX_TESTS=ON >/dev/null
cmake --build "$build" -j"$(nproc)" --target moltiplix logic_tests win32_tests
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
makensis -V2 -DEXE="$PWD/$build/moltiplix.exe" -DOUTFILE="$PWD/$build/moltiplix-setup.exe" \
    -DVERSION="$version" -DICON="$PWD/$build/art/moltiplix.ico" packaging/windows/moltiplix.nsi
ls -l "$build/moltiplix.exe" "$build/moltiplix-setup.exe"

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "== A fresh Wine prefix"
    "$wine" wineboot -i
    # Every window on one 1024x768 virtual desktop, as on a school PC's screen.
    "$wine" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null
    "$wine" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null
    /usr/lib/wine/wineserver -w
fi

echo "== Windows tests under Wine"
xvfb-run -a -s "-screen 0 1024x768x24" \
    ctest --test-dir "$build" --output-on-failure
scripts/windows-install-test.sh "$build/moltiplix-setup.exe" "$version"
/usr/lib/wine/wineserver -k || true
