#!/bin/sh
# Builds the Debian packages of pharmex with CPack's DEB generator (Release,
# installed under /usr, in build-deb/) and checks them with lintian, which
# must find no error:
#   out/libpharmex0_VERSION_ARCH.deb     the shared library (its SONAME)
#   out/libpharmex-dev_VERSION_ARCH.deb  headers, CMake package, pharmex.pc
#   out/pharmex_VERSION_ARCH.deb         the tool, its man page, the examples
# The packages' Maintainer is PHARMEX_MAINTAINER ("Name <address>") when set.
# Usage: scripts/package-debian.sh
set -eu
cd "$(dirname "$0")/.."
scripts/install-packages.sh cmake ninja-build g++ dpkg-dev file binutils gzip lintian
build=build-deb
# Debian's build flags (hardening: stack protector, fortified functions,
# read-only relocations bound at load time), for a fresh build folder.
CFLAGS="$(dpkg-buildflags --get CFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
LDFLAGS="$(dpkg-buildflags --get LDFLAGS)"
export CFLAGS CXXFLAGS LDFLAGS
rm -rf "$build"
maintainer=""
[ -n "${PHARMEX_MAINTAINER:-}" ] && maintainer="-DPHARMEX_MAINTAINER=$PHARMEX_MAINTAINER"
# shellcheck disable=SC2086
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DPHARMEX_BUILD_TESTS=OFF -DPHARMEX_DEBIAN_PACKAGES=ON ${maintainer:+"$maintainer"}
cmake --build "$build" -j "$(nproc)"
rm -rf "$build/packages"
(cd "$build" && cpack -G DEB)
mkdir -p out
debs=""
for deb in "$build"/packages/*.deb; do
  cp "$deb" out/
  debs="$debs out/$(basename "$deb")"
  echo "out/$(basename "$deb")"
done
# shellcheck disable=SC2086
lintian --fail-on error --no-tag-display-limit $debs
