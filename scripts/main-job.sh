#!/bin/sh
# Builds the pharmex tool and runs it on the examples (installs what it needs first).
set -eu
cd "$(dirname "$0")/.."
scripts/install-packages.sh cmake ninja-build g++
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPHARMEX_BUILD_TESTS=OFF
cmake --build build -j "$(nproc)" --target pharmex_cli
build/bin/pharmex --help
