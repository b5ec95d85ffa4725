#!/bin/sh
# Builds pharmex with its tests and runs them (installs what it needs first).
# Usage: scripts/test.sh [build-dir] [extra cmake arguments...]
set -eu
cd "$(dirname "$0")/.."
scripts/install-packages.sh cmake ninja-build g++ libgtest-dev libgmock-dev \
  python3 python3-dbf python3-dbfread locales fpc pkg-config
scripts/install-locales.sh ru_RU.UTF-8 en_US.UTF-8 ja_JP.UTF-8
build="${1:-build}"
[ $# -gt 0 ] && shift
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPHARMEX_BUILD_TESTS=ON "$@"
cmake --build "$build" -j "$(nproc)"
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
