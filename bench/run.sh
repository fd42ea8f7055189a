#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the benchmark in Release and prints its table: bench/run.sh [runs]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DMOLTIPLIX_BENCH=ON -DMOLTIPLIX_TESTS=OFF >/dev/null
cmake --build build-bench -j"$(nproc)" --target moltiplix_bench >/dev/null
build-bench/bench/moltiplix_bench "${1:-11}"
