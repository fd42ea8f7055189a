#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds everything and runs every test without a display:
# the test suite, the same suite under AddressSanitizer and UndefinedBehaviorSanitizer,
# and the fuzz targets for a bounded time (FUZZ_SECONDS each, 30 by default).
set -euo pipefail
cd "$(dirname "$0")"
# Everything the steps below install, asked for at once: sudo's password is not asked
# again later in the run, when its cache has run out and no one is watching. The
# Windows build's packages, and on CI the Debian package test's.
packages=(clang libclang-rt-14-dev clang-format xvfb xdotool x11-xkb-utils x11-utils dbus
    at-spi2-core python3-pyatspi
    g++-mingw-w64-x86-64-posix wine64 wixl msitools osslsigncode openssl xauth librsvg2-bin
    icoutils)
if [ -n "${CI:-}" ] || [ "${PACKAGE_TEST:-0}" = 1 ]; then
    packages+=(git file lintian desktop-file-utils appstream imagemagick autopkgtest
        diffoscope-minimal debhelper)
fi
scripts/install-deps.sh "${packages[@]}"
export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

echo "== Layers and formatting"
scripts/check-layers.sh
find src tests tools bench fuzz -name '*.cpp' -o -name '*.h' | sort |
    xargs clang-format --dry-run --Werror
echo "formatting: clean"

echo "== Tests"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMOLTIPLIX_TESTS=ON
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

echo "== Tests under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DMOLTIPLIX_SANITIZE=ON -DMOLTIPLIX_TESTS=ON
cmake --build build-asan -j"$jobs"
ctest --test-dir build-asan --output-on-failure -j"$jobs"

echo "== Fuzzing"
CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMOLTIPLIX_FUZZ=ON \
    -DMOLTIPLIX_QT=OFF -DMOLTIPLIX_TESTS=OFF
cmake --build build-fuzz -j"$jobs"
for target in numericvalue recordfile keeperargs; do
    corpus=$(mktemp -d)
    if ! build-fuzz/fuzz/${target}_fuzz -max_total_time="${FUZZ_SECONDS:-30}" -print_final_stats=1 \
        -artifact_prefix=build-fuzz/ "$corpus" "fuzz/corpus/$target" 2>&1 |
        grep -E '^(stat::number_of_executed_units|==.*ERROR|SUMMARY)' | sed "s/^/$target: /"; then
        echo "$target: the fuzzer found a fault; the input is in build-fuzz/"
        exit 1
    fi
    rm -rf "$corpus"
done
echo "fuzzing: no findings"

# Users made for the test and a keeper set-group-ID games need root: on CI, or when asked.
if [ -n "${CI:-}" ] || [ "${SHARED_RECORD_TEST:-0}" = 1 ]; then
    echo "== Shared record, as two ordinary users"
    shared=/var/tmp/moltiplix-shared-test
    cmake -S . -B build-keeper -DMOLTIPLIX_QT=OFF -DMOLTIPLIX_TESTS=OFF \
        -DMOLTIPLIX_SHARED_RECORD_DIR="$shared/records"
    cmake --build build-keeper -j"$jobs" --target moltiplix-record
    rm -rf "$shared" && install -d -m 0755 "$shared"
    install -m 0755 build/tests/logic_tests "$shared/"
    PREPARE_FROM=build-keeper/moltiplix-record RECORD_TESTS="$shared/logic_tests" \
        scripts/shared-record-test.sh "$shared/moltiplix-record" "$shared/records"
    rm -rf "$shared"
fi

echo "== Windows: cross build, installer, tests under Wine"
scripts/build-windows.sh

# Installing a package changes the machine: only on CI, or when asked for.
if [ -n "${CI:-}" ] || [ "${PACKAGE_TEST:-0}" = 1 ]; then
    echo "== Debian package"
    scripts/package-test.sh
fi
