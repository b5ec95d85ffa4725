#!/bin/sh
# Builds pharmex.dll for 32- and 64-bit Windows with mingw-w64 (Release, in
# build-win32/ and build-win64/, which scripts/package-windows.sh packs) and
# runs the Windows tests (installs what it needs first): the static checks of
# both DLLs, and under Wine, for each DLL, the platform suites, the C hosts,
# the comparison of the Windows output with the Linux build's (whose export
# host it builds in build/, the folder of scripts/test.sh), two processes
# sharing a table, the Pascal host (with Free Pascal's Windows units, built
# once into build-fpc/ by scripts/build-fpc-cross.sh) and the dialog's
# window on Xvfb with its screenshots (build-win*/dialog/). The 32-bit DLL runs under Debian's 32-bit Wine on
# qemu's user-mode emulator (scripts/install-wine32.sh), in a 64-bit prefix
# and, for the C hosts, in a 32-bit one too; a machine where that cannot be
# set up fails this stage.
# Usage: scripts/test-windows.sh
set -eu
cd "$(dirname "$0")/.."
scripts/install-packages.sh cmake ninja-build g++ libgtest-dev libgmock-dev googletest \
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix wine wine64 locales xvfb imagemagick \
  fpc fpc-source
scripts/install-wine32.sh
scripts/build-fpc-cross.sh build-fpc
jobs="$(nproc)"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPHARMEX_BUILD_TESTS=ON
cmake --build build --target pharmex_export_host -j "$jobs"
for target in i686:build-win32 x86_64:build-win64; do
  triplet="${target%%:*}"
  folder="${target#*:}"
  cmake -S . -B "$folder" -G Ninja -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-$triplet.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DPHARMEX_BUILD_TESTS=ON -DPHARMEX_LINUX_BUILD="$PWD/build" \
    -DPHARMEX_REQUIRE_WINE=ON -DPHARMEX_FPC_CROSS="$PWD/build-fpc"
  cmake --build "$folder" -j "$jobs"
  ctest --test-dir "$folder" --output-on-failure
done
