#!/bin/sh
# Counts the instructions a record costs in a case of pharmex-bench, with
# valgrind's callgrind: the case runs at ROWS and at twice ROWS, and the
# difference over ROWS is the cost of one more record, without what a run
# costs once (creating the table, the synthetic data, the process). The
# host's share is what the synthetic host's own IDataSet and IField
# operations take (the values it makes, its string allocations); the rest is
# the library's, the allocator and the C library's system call wrappers it
# calls included (the kernel's time is not counted by callgrind), but for the
# benchmark's own check of the file it wrote (counting a text file's lines
# reads it all again).
#
# Instruction counts do not depend on the machine's load: changes to the
# library's hot paths are judged by them (docs/performance.md).
#
# Usage: bench/count_instructions.sh [--rows N] BUILD_DIR CASE...
#        (default 10 000 rows; BUILD_DIR as run_comparison.sh builds it)
set -eu

rows=10000
if [ "${1:-}" = --rows ]; then
  rows="$2"
  shift 2
fi
if [ $# -lt 2 ]; then
  echo "usage: $0 [--rows N] BUILD_DIR CASE..." >&2
  exit 2
fi
bench="$(cd "$1" && pwd)/bench/pharmex-bench"
shift

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Prints "total host" instructions of one run of the case; the benchmark's
# check of the text file it wrote counts as neither.
count() {
  rm -rf "$work/files" && mkdir -p "$work/files"
  valgrind --tool=callgrind --callgrind-out-file="$work/out" "$bench" --case "$1" --rows "$2" \
    --dir "$work/files" >/dev/null 2>&1
  # From the work folder: there the relative source paths in the profile name
  # no file, and each function is listed once.
  (cd "$work" && callgrind_annotate --inclusive=yes --threshold=100 --auto=no out) | awk '
    /PROGRAM TOTALS/ { gsub(",", "", $1); total = $1 }
    /SyntheticDataSet::[A-Za-z]+\(/ && !/=>/ { gsub(",", "", $1); host += $1 }
    /pharmex::bench::text_lines\(/ && !/=>/ { gsub(",", "", $1); check += $1 }
    END { printf "%d %d\n", total - check, host }'
}

printf '%-16s %10s %10s %10s\n' case all host library
for case_name in "$@"; do
  set -- $(count "$case_name" "$rows") $(count "$case_name" $((rows * 2)))
  awk -v c="$case_name" -v n="$rows" -v t1="$1" -v h1="$2" -v t2="$3" -v h2="$4" 'BEGIN {
    printf "%-16s %10.0f %10.0f %10.0f\n", c, (t2 - t1) / n, (h2 - h1) / n, ((t2 - t1) - (h2 - h1)) / n
  }'
done
