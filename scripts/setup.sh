#!/usr/bin/env bash
# Shared set-up of run.sh and test.sh: install what is missing, then
# configure and build out of source in build/. Safe to run again.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${BUILD_DIR:-$ROOT/build}"

PACKAGES=(
  build-essential cmake pkg-config
  libgtest-dev
  libbenchmark-dev
  zlib1g-dev libicu-dev
  nlohmann-json3-dev libzip-dev libxml2-dev
  libsqlite3-dev
  qt6-base-dev qt6-qpa-plugins
  libchm-dev fp-utils
  poppler-utils
  fonts-liberation
)

missing=()
for pkg in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$pkg")
  fi
done

if ((${#missing[@]})); then
  if [[ $(id -u) -ne 0 ]]; then
    echo "Missing packages. Install them with:" >&2
    echo "  sudo apt-get install -y ${missing[*]}" >&2
    exit 1
  fi
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${missing[@]}"
fi

JOBS="$(nproc 2>/dev/null || echo 2)"
cmake -S "$ROOT" -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" >/dev/null
cmake --build "$BUILD_DIR" -j "$JOBS"
