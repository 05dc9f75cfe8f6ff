#!/usr/bin/env bash
# Builds the benchmarks in release mode (in build-release/) and runs them.
#   ./bench.sh                      every comparison with SQLite at 1000,
#                                   10000 and 100000 generated drinks, the
#                                   marks, My Bar's questions, then the
#                                   program's start-up and list fill at
#                                   100000 drinks
#   ./bench.sh --sizes 1000,10000   the same at other sizes (a quick run)
#   ./bench.sh like|insert|findbykey|marks [--sizes N,...]
#                                   one comparison (or the marks) alone
#   ./bench.sh engine [ARGS...]     the Google Benchmark engine programs,
#                                   ARGS going to them (e.g.
#                                   --benchmark_filter=Find)
#   ./bench.sh program              the program's measurement alone
#   ./bench.sh import [N]           importing N (10000) drinks from JSON-LD
#                                   and CSV beside inserting them
#   ./bench.sh bar [--sizes N,...]  My Bar: What Can I Make after a shelf
#                                   change and the next-bottle ranking at
#                                   100000 generated drinks
#   ./bench.sh save [--sizes N,...] one modified drink committed and saved
#                                   in place (journal and flushes included)
#                                   and as a whole image, at 1000, 10000 and
#                                   100000 drinks
# Lines: "NAME n=N ours_ms=X sqlite_ms=Y ratio=R" (ratio = ours / SQLite)
# and "NAME n=N ms=X".
set -euo pipefail
ROOT="$(cd "$(dirname "$0")" && pwd)"
BUILD_DIR="$ROOT/build-release"
JOBS=2

configure() {
  cmake -S "$ROOT" -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=Release -DZESTORIA_BUILD_TESTS=OFF \
    -DZESTORIA_BUILD_BENCH=ON >/dev/null
}

build() {
  cmake --build "$BUILD_DIR" -j "$JOBS" --target "$@" >/dev/null
}

# The program's start-up and list fill (its own script builds what it needs).
run_program() {
  if [[ -x "$ROOT/bench/program_bench.sh" ]]; then
    BUILD_DIR="$BUILD_DIR" "$ROOT/bench/program_bench.sh" "$@"
  else
    echo "bench/program_bench.sh is missing: the program is not measured" >&2
  fi
}

configure
case "${1:-}" in
  engine)
    shift
    build engine_bench
    exec "$BUILD_DIR/bench/engine_bench" "$@"
    ;;
  like | insert | findbykey | marks)
    build compare_bench
    exec "$BUILD_DIR/bench/compare_bench" "$@"
    ;;
  program)
    shift
    run_program "$@"
    ;;
  import)
    shift
    build import_bench
    exec "$BUILD_DIR/bench/import_bench" "$@"
    ;;
  bar)
    shift
    build bar_bench
    exec "$BUILD_DIR/bench/bar_bench" "$@"
    ;;
  save)
    shift
    build save_bench
    exec "$BUILD_DIR/bench/save_bench" "$@"
    ;;
  "" | --sizes | --sizes=*)
    build compare_bench gendrinks bar_bench import_bench save_bench
    "$BUILD_DIR/bench/compare_bench" "$@"
    "$BUILD_DIR/bench/import_bench"
    "$BUILD_DIR/bench/bar_bench"
    "$BUILD_DIR/bench/save_bench" "$@"
    run_program
    ;;
  *)
    echo "usage: ./bench.sh [--sizes N,...] | like|insert|findbykey|marks [--sizes N,...]" \
      "| engine [ARGS...] | program | import [N] | bar [--sizes N,...] | save [--sizes N,...]" >&2
    exit 2
    ;;
esac
