#!/usr/bin/env bash
# Installs what is missing, builds, and shows the engine at work: creates a
# sample database (once) and prints what the engine reads from it.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")" && pwd)"
"$ROOT/scripts/setup.sh"

TDB="$ROOT/build/tools/tdb"
SAMPLE="$ROOT/build/sample.tdb"
if [[ ! -f "$SAMPLE" ]]; then
  "$TDB" create "$SAMPLE" --schema "$ROOT/data/drinks.schema.json" \
    --compress --encrypt Blowfish --mode 1 --password fizzo
fi
"$TDB" info "$SAMPLE" --password fizzo
