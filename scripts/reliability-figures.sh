#!/bin/sh
# Prints the figures of docs/reliability.md: the reliability tests run at a
# larger scale than in the test suite, each printing "figures:" lines, and a
# summary per area. The fuzzing figures come from scripts/fuzz.sh.
#
# Usage: scripts/reliability-figures.sh [build-dir]
# Scale (environment): PHARMEX_WRITERS (8), PHARMEX_RECORDS_PER_WRITER (500),
# PHARMEX_WRITER_ROUNDS (5), PHARMEX_KILL_RUNS (200), PHARMEX_KILL_SEED.
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
echo "== several processes appending to one table, a reader walking it"
PHARMEX_WRITERS="${PHARMEX_WRITERS:-8}" \
  PHARMEX_RECORDS_PER_WRITER="${PHARMEX_RECORDS_PER_WRITER:-500}" \
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
  /fault matrix/ { split($0, a, ": "); split(a[3], b, " "); operations += b[1]; faulty += b[3] }
  /fault matrix/ && / lock: / { split($0, a, ": "); split(a[3], b, " "); locks += b[1] }
  /appended,/ {
    rounds++; split($0, a, "= "); split(a[2], b, " "); appended += b[1];
    split($0, c, "appended, "); split(c[2], d, " "); landed += d[1]
  }
  /crash safety/ {
    split($0, a, ": "); split(a[3], b, " "); runs += b[1];
    split(a[3], c, "), "); split(c[2], d, " "); killed += d[1];
    split(c[2], e, "mid-export, "); split(e[2], f, " "); whole += f[1]
  }
  /independent readers/ { readers++; split($0, a, ": "); split(a[3], b, " "); fields += b[1] * b[4] }
  END {
    printf "fault injection: %d operation faults over the layouts (%d failing runs checked, %d refused locks waited out)\n", operations, faulty, locks;
    printf "concurrent writers: %d rounds, %d records appended, %d landed exactly once\n", rounds, appended, landed;
    printf "crash safety: %d export runs, %d killed mid-export, every table left sound (%d whole records read back)\n", runs, killed, whole;
    printf "independent readers: %d table layouts, %d field values compared\n", readers, fields
  }' "$log"
