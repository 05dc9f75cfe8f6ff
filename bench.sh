#!/usr/bin/env bash
# Builds the engine benchmarks in release mode (in build-release/) and runs
# them. Arguments go to the benchmark program, for example
#   ./bench.sh --benchmark_filter=Find
# "like" runs the drink list's LIKE walk against SQLite instead, over the
# given record counts (default 10000 and 100000):
#   ./bench.sh like 10000
set -euo pipefail
ROOT="$(cd "$(dirname "$0")" && pwd)"
BUILD_DIR="$ROOT/build-release"
JOBS="$(nproc 2>/dev/null || echo 2)"
cmake -S "$ROOT" -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=Release -DZESTORIA_BUILD_TESTS=OFF \
  -DZESTORIA_BUILD_BENCH=ON >/dev/null
if [[ "${1:-}" == "like" ]]; then
  shift
  cmake --build "$BUILD_DIR" --target like_bench -j "$JOBS"
  exec "$BUILD_DIR/bench/like_bench" "$@"
fi
cmake --build "$BUILD_DIR" --target engine_bench -j "$JOBS"
"$BUILD_DIR/bench/engine_bench" "$@"
