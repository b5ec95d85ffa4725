#!/bin/sh
# CI: the Debian packages (scripts/package-debian.sh: built, checked by
# lintian) installed on this machine and run from the installed files only:
# /usr/bin/pharmex --version, the README's main job on the installed examples
# (scripts/main-job.sh with PHARMEX=/usr/bin/pharmex), and the CMake and
# pkg-config consumers of tests/consumer against the installed development
# files. The packages are removed again at the end, also after a failure.
# Installing needs root (sudo otherwise).
# Usage: scripts/test-debian.sh
set -eu
cd "$(dirname "$0")/.."
scripts/install-packages.sh pkg-config gcc cmake libc-bin man-db
scripts/package-debian.sh
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build-deb/CMakeCache.txt)"
arch="$(dpkg --print-architecture)"
as_root=""
[ "$(id -u)" -ne 0 ] && as_root="sudo"
packages="libpharmex0 libpharmex-dev pharmex"
remove() {
  # shellcheck disable=SC2086
  $as_root dpkg --purge $packages >/dev/null
}
trap remove EXIT
debs=""
for package in $packages; do debs="$debs out/${package}_${version}_${arch}.deb"; done
# shellcheck disable=SC2086
$as_root dpkg -i $debs

installed="$(/usr/bin/pharmex --version)"
echo "$installed"
[ "$installed" = "pharmex $version" ]
man -w pharmex >/dev/null

work=build-deb/installed
rm -rf "$work"
PHARMEX=/usr/bin/pharmex EXAMPLES=/usr/share/doc/pharmex/examples OUT="$work/out" \
  scripts/main-job.sh >"$work.main-job.log"
echo "main job on the installed tool: $(grep -c '^== ' "$work.main-job.log") files, log in $work.main-job.log"
cmake -DVERSION="$version" -DSOURCE_DIR="$PWD/tests/consumer" -DWORK_DIR="$PWD/$work/consumer" \
  -P tests/consumer/run_consumer.cmake
echo "consumers of the installed development files: CMake package and pkg-config built and ran"
