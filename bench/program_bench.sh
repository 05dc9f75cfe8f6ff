#!/usr/bin/env bash
# The desktop program at scale: start-up to a listed, shown window and the
# refill of the list with every drink, on a generated catalogue.
#   bench/program_bench.sh [N] [RUNS]
# N drinks (default 100000) are generated with gendrinks; the catalogue, the
# ingredient vocabulary and the help file go beside a copy of the Release
# program in a scratch folder.
# The whole process is timed RUNS times (default 5) under the offscreen
# platform with ZESTORIA_QUIT_WHEN_SHOWN=1 (the program ends once its
# listed window is shown); ZESTORIA_REFILL_TIMES makes it also refill the
# list (as Display > All) and print each refill's time. Medians are printed:
#   startup n=N ms=X
#   fillList n=N ms=X
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD_DIR="${BUILD_DIR:-$ROOT/build-release}"
N="${1:-100000}"
RUNS="${2:-5}"

if [[ "${SKIP_BUILD:-0}" != 1 ]]; then
  cmake -S "$ROOT" -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=Release -DZESTORIA_BUILD_BENCH=ON \
    -DZESTORIA_BUILD_TESTS=OFF >/dev/null
  cmake --build "$BUILD_DIR" --target zestoria gendrinks -j 2 >/dev/null
fi
PROGRAM="$BUILD_DIR/app/zestoria"
GENDRINKS="$(find "$BUILD_DIR" -type f -name gendrinks -perm -u+x | head -n 1)"
HELP="$(find "$BUILD_DIR" -maxdepth 2 -type f -name zestoria.chm | head -n 1)"
VOCABULARY="$BUILD_DIR/app/ingredients.json"
[[ -x "$PROGRAM" ]] || { echo "program_bench: no program at $PROGRAM" >&2; exit 1; }
[[ -n "$GENDRINKS" ]] || { echo "program_bench: gendrinks was not built" >&2; exit 1; }

WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
"$GENDRINKS" "$N" "$WORK/catalogue.tdb" >/dev/null
cp "$PROGRAM" "$WORK/zestoria"
[[ -n "$HELP" ]] && cp "$HELP" "$WORK/zestoria.chm"
# The ingredient vocabulary beside the program, as shipped (My Bar loads it).
[[ -f "$VOCABULARY" ]] && cp "$VOCABULARY" "$WORK/ingredients.json"

median() { sort -g | awk '{ v[NR] = $1 } END { if (NR == 0) exit 1; print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

export QT_QPA_PLATFORM=offscreen ZESTORIA_QUIT_WHEN_SHOWN=1
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$WORK/runtime}"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
startups=()
for ((run = 0; run < RUNS; ++run)); do
  # Every run starts from the generated file.
  cp "$WORK/catalogue.tdb" "$WORK/zestoria.tdb"
  start=$(date +%s%N)
  "$WORK/zestoria" >/dev/null 2>&1
  end=$(date +%s%N)
  startups+=("$(( (end - start) / 1000000 ))")
done
echo "startup n=$N ms=$(printf '%s\n' "${startups[@]}" | median)"

cp "$WORK/catalogue.tdb" "$WORK/zestoria.tdb"
ZESTORIA_REFILL_TIMES="$RUNS" "$WORK/zestoria" 2>/dev/null |
  sed -n 's/^fillList ms=//p' | median | xargs printf 'fillList n=%s ms=%s\n' "$N"
