#!/usr/bin/env bash
# Builds the libFuzzer fuzzers (clang, AddressSanitizer and
# UndefinedBehaviorSanitizer; engine and exchange library only, no Qt) in
# build-fuzz/ and runs them, each on a working corpus that starts from
# tests/fuzz/seeds/<target>/.
#
#   ./fuzz.sh [image|exchange|filter|recipe|all] [seconds]     (default: all 60)
#
# "all" runs the four at once at the lowest priority. A fault leaves its
# input in build-fuzz/artifacts/<target>/; minimise it with
#   build-fuzz/tests/fuzz/fuzz_<target> -minimize_crash=1 -runs=10000 FILE
# and keep it in tests/fuzz/regressions/<target>/, which the normal test
# suite (fuzz_tests) runs.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")" && pwd)"
BUILD="${FUZZ_BUILD_DIR:-$ROOT/build-fuzz}"
TARGET="${1:-all}"
SECONDS_EACH="${2:-60}"

case "$TARGET" in
  image|exchange|filter|recipe|all) ;;
  *) echo "usage: $0 [image|exchange|filter|recipe|all] [seconds]" >&2; exit 2 ;;
esac

CC=clang CXX=clang++ cmake -S "$ROOT" -B "$BUILD" -DZESTORIA_FUZZ=ON \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
targets=(image exchange filter recipe)
[[ "$TARGET" != all ]] && targets=("$TARGET")
cmake --build "$BUILD" -j2 --target "${targets[@]/#/fuzz_}"

run_one() {
  local name="$1" max_len=65536
  [[ "$name" == filter ]] && max_len=4096
  local corpus="$BUILD/corpus/$name" artifacts="$BUILD/artifacts/$name/"
  mkdir -p "$corpus" "$artifacts"
  nice -n 19 "$BUILD/tests/fuzz/fuzz_$name" "$corpus" "$ROOT/tests/fuzz/seeds/$name" \
    -max_total_time="$SECONDS_EACH" -max_len="$max_len" -rss_limit_mb=2048 -timeout=10 \
    -print_final_stats=1 -artifact_prefix="$artifacts" >"$BUILD/fuzz_$name.log" 2>&1
}

status=0
pids=()
for name in "${targets[@]}"; do
  run_one "$name" &
  pids+=($!)
done
for i in "${!pids[@]}"; do
  name="${targets[$i]}"
  if wait "${pids[$i]}"; then
    echo "fuzz_$name: no finding"
  else
    echo "fuzz_$name: FINDING (see $BUILD/fuzz_$name.log and $BUILD/artifacts/$name/)"
    status=1
  fi
  grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb)|cov: ' "$BUILD/fuzz_$name.log" | tail -n 3 || true
done
exit $status
