#!/bin/sh
# Builds pharmex.dll for 32- and 64-bit Windows (Release, mingw-w64, in
# build-win32/ and build-win64/, the folders of scripts/test-windows.sh) and
# packs each with its import library, the public headers, the Pascal unit
# and HOSTS.md:
#   out/pharmex-VERSION-win32.zip and out/pharmex-VERSION-win64.zip
# Each stripped DLL passes the static checks of tests/windows/check_dll.cmake
# first.
# Usage: scripts/package-windows.sh
set -eu
cd "$(dirname "$0")/.."
scripts/install-packages.sh cmake ninja-build g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
jobs="$(nproc)"
mkdir -p out
for target in i686:win32 x86_64:win64; do
  triplet="${target%%:*}"
  name="${target#*:}"
  build="build-$name"
  cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-$triplet.cmake" \
    -DCMAKE_BUILD_TYPE=Release
  cmake --build "$build" --target pharmex -j "$jobs"
  version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"
  package="pharmex-$version-$name"
  stage="$build/$package"
  rm -rf "$stage"
  mkdir -p "$stage/include/pharmex"
  "$triplet-w64-mingw32-strip" --strip-unneeded -o "$stage/pharmex.dll" "$build/pharmex.dll"
  decorated=""
  [ "$name" = win32 ] && decorated="-DDECORATED_DEF=$PWD/$build/pharmex-decorated.def"
  # shellcheck disable=SC2086
  cmake -DOBJDUMP="$triplet-w64-mingw32-objdump" -DNM="$triplet-w64-mingw32-nm" \
    -DDLL="$stage/pharmex.dll" -DLIB="$build/pharmex.lib" -DEXPORT_LIST=cmake/pharmex.def \
    -DVERSION="$version" $decorated -P tests/windows/check_dll.cmake
  cp "$build/pharmex.lib" "$stage/"
  cp include/pharmex/*.h "$build/generated/include/pharmex/version.h" "$stage/include/pharmex/"
  cp cmake/windows/HOSTS.md "$stage/HOSTS.md"
  cp bindings/pascal/pharmex.pas "$stage/"
  rm -f "out/$package.zip"
  (cd "$build" && cmake -E tar cf "../out/$package.zip" --format=zip "$package")
  echo "out/$package.zip"
done
