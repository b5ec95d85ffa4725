#!/bin/sh
# Measures everything docs/performance.md quotes, in one run on this machine:
# the floor programs, the peer engines (shapelib and xbase64, installed from
# Debian; python3-dbf at a tenth of the rows, it is slow) and every case of
# pharmex-bench, each RUNS times; prints the medians, the targets as ratios
# and, with --memory, the peak resident memory of the export cases (and of
# the command-line tool's host, cli-*) at 10 000 and at 1 000 000 rows.
#
# Usage: bench/run_comparison.sh [--runs N] [--rows N] [--memory] [BUILD_DIR]
#        (defaults: 5 runs, 200 000 rows, build-bench)
# The raw JSON lines are kept in BUILD_DIR/results.jsonl (and memory.jsonl).
set -eu
cd "$(dirname "$0")/.."

runs=5
rows=200000
memory=no
build=build-bench
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) runs="$2"; shift 2 ;;
    --rows) rows="$2"; shift 2 ;;
    --memory) memory=yes; shift ;;
    -*) echo "usage: $0 [--runs N] [--rows N] [--memory] [BUILD_DIR]" >&2; exit 2 ;;
    *) build="$1"; shift ;;
  esac
done

scripts/install-packages.sh cmake ninja-build g++ python3 python3-dbf libshp-dev libxbase64-dev
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPHARMEX_BUILD_BENCHMARKS=ON \
  -DPHARMEX_BUILD_TESTS=OFF -DPHARMEX_BUILD_TOOLS=ON >/dev/null
cmake --build "$build"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
results="$build/results.jsonl"
: >"$results"
bin="$build/bench"

# Runs one program into the results, with a fresh folder for its files.
measure() {
  rm -rf "$work/files" && mkdir -p "$work/files"
  "$@" --dir "$work/files" | tee -a "$results"
}

for run in $(seq "$runs"); do
  echo "== run $run of $runs"
  for floor in stream pwrite protocol snprintf; do
    measure "$bin/pharmex-floor-$floor" --rows "$rows"
  done
  if [ -x "$bin/pharmex-peer-shapelib" ]; then
    measure "$bin/pharmex-peer-shapelib" --rows "$rows"
  fi
  if [ -x "$bin/pharmex-peer-xbase64" ]; then
    measure "$bin/pharmex-peer-xbase64" --rows "$rows"
  fi
  measure /usr/bin/python3 bench/peers/python_dbf_peer.py --rows $((rows / 10))
  measure "$bin/pharmex-bench" --rows "$rows"
done

memory_results=""
if [ "$memory" = yes ]; then
  memory_results="$build/memory.jsonl"
  : >"$memory_results"
  echo "== peak memory of the exports at 10 000 and 1 000 000 rows"
  for export_case in supplier supplier-memo order price-generic khabarovsk unico waybill-generic \
    efarma-sst apteka2000w djinal apteka-m engine-append cli-price cli-djinal; do
    for count in 10000 1000000; do
      rm -rf "$work/files" && mkdir -p "$work/files"
      "$bin/pharmex-bench" --case "$export_case" --rows "$count" --dir "$work/files" |
        tee -a "$memory_results"
    done
  done
fi

echo
echo "== medians of $runs runs"
# shellcheck disable=SC2086
/usr/bin/python3 bench/summarize.py "$results" $memory_results
