#!/usr/bin/env bash
# Builds everything (tests on, benchmarks off) with AddressSanitizer and its
# leak checker in build-asan/ and runs the whole test suite under them.
# Leaks inside third-party libraries are listed, with reasons, in
# tests/lsan.supp; any other leak or memory error fails the test that hit it.
#
#   ./test.sh --leaks [ctest arguments]      (or scripts/leaks.sh directly)
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${ASAN_BUILD_DIR:-$ROOT/build-asan}"
SANITIZE="-fsanitize=address -fno-omit-frame-pointer"

cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_C_FLAGS_DEBUG="-O1 -g" -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" \
  -DCMAKE_C_FLAGS="$SANITIZE" -DCMAKE_CXX_FLAGS="$SANITIZE" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address" \
  -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=address" \
  -DZESTORIA_BUILD_BENCH=OFF -DZESTORIA_BUILD_TESTS=ON >/dev/null
cmake --build "$BUILD" -j2

export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:abort_on_error=0:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1:exitcode=23"
export LSAN_OPTIONS="suppressions=$ROOT/tests/lsan.supp:print_suppressions=0:exitcode=23"
cd "$BUILD"
ctest --output-on-failure -j2 "$@"
