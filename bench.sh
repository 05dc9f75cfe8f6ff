#!/usr/bin/env bash
# Builds the engine benchmarks in release mode (in build-release/) and runs
# them. Arguments go to the benchmark program, for example
#   ./bench.sh --benchmark_filter=Find
set -euo pipefail
ROOT="$(cd "$(dirname "$0")" && pwd)"
BUILD_DIR="$ROOT/build-release"
JOBS="$(nproc 2>/dev/null || echo 2)"
cmake -S "$ROOT" -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=Release -DZESTORIA_BUILD_TESTS=OFF \
  -DZESTORIA_BUILD_BENCH=ON >/dev/null
cmake --build "$BUILD_DIR" --target engine_bench -j "$JOBS"
"$BUILD_DIR/bench/engine_bench" "$@"
