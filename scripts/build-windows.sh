#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Cross-builds the Windows game (build-windows/moltiplix.exe), the record folder's program
# the installer runs (build-windows/moltiplix-record.exe) and the installer
# (build-windows/moltiplix.msi), then runs the Windows tests under Wine on a virtual
# display: the game's tests, the real window's, and the installer's (install, start,
# upgrade, remove). SIGN_CERT=cert.pfx SIGN_PASSWORD=... signs the programs and the
# installer (scripts/sign-windows.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh g++-mingw-w64-x86-64-posix wine64 wixl msitools xvfb xauth \
    librsvg2-bin icoutils googletest osslsigncode openssl

build=build-windows
export WINEPREFIX="$PWD/$build/wineprefix" WINEDEBUG=-all
# No Mono or Gecko: a fresh prefix would otherwise stop to offer them.
export WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64

cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=Release -DMOLTIPLIX_TESTS=ON >/dev/null
cmake --build "$build" -j"$(nproc)" --target moltiplix moltiplix-record startupprobe \
    logic_tests win32_tests
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
if [ -n "${SIGN_CERT:-}" ]; then
    scripts/sign-windows.sh "$build/moltiplix.exe" "$build/moltiplix-record.exe"
fi
scripts/build-msi.sh "$build" "$version" "$build/moltiplix.msi"
if [ -n "${SIGN_CERT:-}" ]; then
    scripts/sign-windows.sh "$build/moltiplix.msi"
fi
ls -l "$build/moltiplix.exe" "$build/moltiplix-record.exe" "$build/moltiplix.msi"

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
xvfb-run -a -s "-screen 0 1024x768x24" \
    scripts/windows-install-test.sh "$build" "$version"
/usr/lib/wine/wineserver -k || true
