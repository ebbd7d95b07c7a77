#!/usr/bin/env bash
# Builds the panel in Release with its benchmark and prints one table:
# start-up against a bare Qt main window, peak memory, Save and Remove, for
# libraries of 0, 1 000, 10 000 and 100 000 plans. Takes a few minutes.
#
# Usage: scripts/bench.sh [--startup-runs N] [--operation-runs N] [--sizes 0,1000,...]
# BENCH_BUILD_DIR chooses the build folder (default: build-bench).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BENCH_BUILD_DIR:-$root/build-bench}"

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DPANEL_BENCHMARKS=ON >/dev/null
cmake --build "$build" --target panel_bench -j"$(nproc)" >/dev/null
exec "$build/bench/panel_bench" "$@"
