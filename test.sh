#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")" && pwd)"
# --leaks: the whole suite under AddressSanitizer and LeakSanitizer in build-asan/.
if [[ "${1:-}" == --leaks ]]; then
  shift
  exec "$ROOT/scripts/leaks.sh" "$@"
fi
"$ROOT/scripts/setup.sh"
cd "$ROOT/build"
ctest --output-on-failure -j "$(nproc 2>/dev/null || echo 2)" "$@"
