#!/bin/sh
# Builds the fuzz targets (clang's libFuzzer with AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each for a set time, starting from the
# seed corpora in fuzz/corpus/. Prints one "figures:" line per target with the
# inputs executed and the time taken; stops with status 1 at the first
# finding, whose input is kept under the work folder.
#
# Usage: scripts/fuzz.sh [SECONDS_PER_TARGET [TARGET...]]
#        scripts/fuzz.sh --seeds     write the seed corpora anew
#
# Targets: table memo field_spec csv order_import (all by default).
# Environment: PHARMEX_FUZZ_BUILD (build folder, default build-fuzz),
# PHARMEX_FUZZ_WORK (grown corpora and findings, default $PHARMEX_FUZZ_BUILD/work).
set -eu
cd "$(dirname "$0")/.."
scripts/install-packages.sh cmake ninja-build clang libclang-rt-14-dev
build="${PHARMEX_FUZZ_BUILD:-build-fuzz}"
work="${PHARMEX_FUZZ_WORK:-$build/work}"
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DPHARMEX_BUILD_FUZZERS=ON -DPHARMEX_BUILD_TESTS=OFF -DPHARMEX_BUILD_TOOLS=OFF >/dev/null
cmake --build "$build" --target pharmex_fuzzers

if [ "${1:-}" = "--seeds" ]; then
  rm -rf fuzz/corpus
  "$build/fuzz/pharmex_fuzz_seeds" . fuzz/corpus
  echo "seeds written to fuzz/corpus"
  exit 0
fi

seconds="${1:-60}"
[ $# -gt 0 ] && shift
targets="${*:-table memo field_spec csv order_import}"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
for target in $targets; do
  corpus="$work/$target/corpus"
  mkdir -p "$corpus"
  log="$work/$target/fuzz.log"
  started=$(date +%s)
  status=0
  "$build/fuzz/${target}_fuzzer" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$work/$target/" "$corpus" "fuzz/corpus/$target" \
    >"$log" 2>&1 || status=$?
  elapsed=$(($(date +%s) - started))
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  if [ "$status" -ne 0 ]; then
    tail -n 40 "$log"
    echo "figures: fuzz $target: FINDING after ${runs:-?} inputs in ${elapsed} s (see $work/$target/)"
    exit 1
  fi
  echo "figures: fuzz $target: ${runs:-0} inputs in ${elapsed} s, no finding" \
    "($(find "$corpus" -type f | wc -l) inputs in the grown corpus)"
done
