#!/bin/sh
# Prints the figures of docs/reliability.md: the reliability tests run at a
# larger scale than in the test suite, each printing "figures:" lines, and a
# summary per area. The fuzzing figures come from scripts/fuzz.sh.
#
# Usage: scripts/reliability-figures.sh [build-dir]
# Scale (environment): PHARMEX_WRITERS (8), PHARMEX_RECORDS_PER_WRITER (500),
# PHARMEX_WRITER_ROUNDS (5), PHARMEX_REPLACE_EXPORTS (200), PHARMEX_KILL_RUNS
# (200), PHARMEX_KILL_SEED.
set -eu
cd "$(dirname "$0")/.."
scripts/install-packages.sh cmake ninja-build g++ libgtest-dev libgmock-dev \
  python3 python3-dbf python3-dbfread
build="${1:-build-figures}"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPHARMEX_BUILD_TESTS=ON >/dev/null
cmake --build "$build" --target pharmex_tests
tests="$build/tests/pharmex_tests"
log=$(mktemp)
trap 'rm -f "$log"' EXIT

run() {
  # Runs a filter of the suite; fails the script when a test fails.
  "$tests" --gtest_brief=1 "$@" >"$log.out" 2>&1 || {
    cat "$log.out"
    exit 1
  }
  grep '^figures:' "$log.out" | tee -a "$log"
}

echo "== faults injected at every file operation of every layout"
run --gtest_filter='AllLayouts/FaultMatrixTest.*'
echo
echo "== several processes appending to one table, a reader walking it; exports replacing one"
PHARMEX_WRITERS="${PHARMEX_WRITERS:-8}" \
  PHARMEX_RECORDS_PER_WRITER="${PHARMEX_RECORDS_PER_WRITER:-500}" \
  PHARMEX_REPLACE_EXPORTS="${PHARMEX_REPLACE_EXPORTS:-200}" \
  run --gtest_filter='ConcurrentWritersTest.*' --gtest_repeat="${PHARMEX_WRITER_ROUNDS:-5}"
echo
echo "== writers killed with SIGKILL at random moments"
PHARMEX_KILL_RUNS="${PHARMEX_KILL_RUNS:-200}" run --gtest_filter='TableWriters/CrashSafetyTest.*'
echo
echo "== every table layout read by python3-dbfread and python3-dbf"
run --gtest_filter='TableLayouts/IndependentReadersTest.*:PeerWrittenTablesTest.*'
echo
echo "== bad input"
run --gtest_filter='BadInputTest.*:EachHeaderField/*:OneOfEachKind/*:NotUtf8/*'
rm -f "$log.out"

echo
echo "== summary"
awk '
  /fault matrix/ {
    split($0, a, ": "); split(a[3], b, " "); operations += b[1]; faulty += b[3];
    n = split(a[3], c, ", "); split(c[n], d, " "); waited += d[1]
  }
  /appended,/ {
    rounds++; split($0, a, "= "); split(a[2], b, " "); appended += b[1];
    split($0, c, "appended, "); split(c[2], d, " "); landed += d[1]
  }
  /races to export one table/ { split($0, a, ": "); split(a[2], b, " "); races += b[1] }
  /a reader polled/ {
    split($0, a, "polled "); split(a[2], b, " "); polls += b[1];
    split($0, c, "while "); split(c[2], d, " "); replaced += d[1]
  }
  /files written into one folder/ {
    split($0, a, ": "); split(a[2], b, " "); folder_files += b[1] * b[4]
  }
  /crash safety/ {
    split($0, a, ": "); split(a[3], b, " "); runs += b[1];
    split(a[3], c, "), "); split(c[2], d, " "); killed += d[1];
    split(a[4], e, ", "); split(e[1], f, " "); kept += f[1];
    split(e[2], g, " "); whole += g[1]; split(e[3], h, " "); none += h[1]
  }
  /independent readers/ { readers++; split($0, a, ": "); split(a[3], b, " "); fields += b[1] * b[4] }
  END {
    printf "fault injection: %d operation faults over the layouts (%d failing runs checked, %d waited out: refused locks and the folder lock)\n", operations, faulty, waited;
    printf "concurrent writers: %d rounds, %d records appended, %d landed exactly once\n", rounds, appended, landed;
    printf "replacing tables: %d races to export one table, %d replacements under a polling reader (%d polls), %d files written by runs sharing a folder\n", races, replaced, polls, folder_files;
    printf "crash safety: %d export runs, %d killed mid-export: %d previous tables kept, %d complete new ones, %d without a table, none partial or crossed\n", runs, killed, kept, whole, none;
    printf "independent readers: %d table layouts, %d field values compared\n", readers, fields
  }' "$log"
