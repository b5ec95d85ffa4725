#!/bin/sh
# Builds what Free Pascal needs to make Windows programs, from Debian's
# fpc-source, for the Pascal host of the Windows tests (tests/pascal_host).
# Debian's fpc has the x86-64 compiler (ppcx64, which targets 64-bit Windows
# as well) and the Linux units only; this makes, in FOLDER (default
# build-fpc):
#   bin/ppcross386          the i386 compiler, built from the compiler's sources
#   units/i386-win32/       the 32-bit Windows RTL (system, objpas, the units
#                           of buildrtl: SysUtils, Classes, Windows, ...) and,
#                           from rtl-objpas, VarUtils and Variants
#   units/x86_64-win64/     the same for 64-bit Windows
# The compilers' internal assembler and linker write the PE files, so no
# binutils are needed. A folder that already holds a build from the same
# sources, compiler and script is left as it is (a few minutes on 2 cores
# otherwise); an interrupted build is started again.
# Usage: scripts/build-fpc-cross.sh [FOLDER]
set -eu
cd "$(dirname "$0")/.."
folder="${1:-build-fpc}"
mkdir -p "$folder"
folder="$(cd "$folder" && pwd)"

version="$(fpc -iV)"
source="/usr/share/fpcsrc/$version"
messages="/usr/lib/$(fpc -iSP)-$(fpc -iSO)-gnu/fpc/$version/msg/errore.msg"
[ -f "$messages" ] || messages="$(find /usr/lib -path "*/fpc/$version/msg/errore.msg" | head -n 1)"
for needed in "$source/compiler/pp.pas" "$source/rtl/win32/system.pp" \
  "$source/packages/rtl-objpas/src/inc/variants.pp" "$messages"; do
  if [ ! -f "$needed" ]; then
    echo "build-fpc-cross: $needed is missing (Debian packages fpc and fpc-source)" >&2
    exit 1
  fi
done

stamp="$folder/complete"
wanted="fpc $version, $(dpkg-query -W -f '${Version}' "fpc-source-$version" 2>/dev/null || echo unknown)"
wanted="$wanted, script $(cksum < scripts/build-fpc-cross.sh | cut -d ' ' -f 1)"
if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$wanted" ]; then
  echo "build-fpc-cross: $folder is up to date ($wanted)"
  exit 0
fi
rm -rf "$folder/bin" "$folder/units" "$folder/work" "$stamp"
mkdir -p "$folder/bin" "$folder/work/compiler"

# Runs a compiler into the log; on failure shows the log's end and stops.
log="$folder/work/build.log"
logged() {
  if ! "$@" >> "$log" 2>&1; then
    tail -n 30 "$log" >&2
    echo "build-fpc-cross: failed, the whole log is $log" >&2
    exit 1
  fi
}

# The compiler's message texts are compiled in: msgtxt.inc is made from the
# message file by the compiler's own msg2inc.
work="$folder/work/compiler"
compiler="$source/compiler"
logged ppcx64 -O2 -FE"$work" -FU"$work" "$compiler/utils/msg2inc.pp"
(cd "$work" && logged ./msg2inc "$messages" msg msg)
echo "build-fpc-cross: the i386 compiler"
logged ppcx64 -Ur -Xs -O2 -di386 -dGDB -dBROWSERLOG -Fi"$work" \
  -Fu"$compiler" -Fi"$compiler" -Fu"$compiler/i386" -Fi"$compiler/i386" \
  -Fu"$compiler/x86" -Fi"$compiler/x86" -Fu"$compiler/systems" -Fi"$compiler/systems" \
  -FU"$work" -FE"$folder/bin" -o"$folder/bin/ppcross386" "$compiler/pp.pas"

# One Windows RTL: CPU (i386, x86_64), OS (win32, win64), compiler.
build_rtl() {
  cpu="$1"
  os="$2"
  pc="$3"
  units="$folder/units/$cpu-$os"
  echo "build-fpc-cross: the $cpu-$os units"
  mkdir -p "$units"
  rtl="$source/rtl"
  objpas="$source/packages/rtl-objpas/src"
  set -- "$pc" -n -T"$os" -Ur -Xs -O2 -dRELEASE -FU"$units" -Fu"$units" \
    -Fi"$rtl/inc" -Fu"$rtl/inc" -Fi"$rtl/$cpu" -Fu"$rtl/$cpu" -Fi"$rtl/x86" -Fu"$rtl/x86" \
    -Fi"$rtl/win" -Fu"$rtl/win" -Fi"$rtl/$os" -Fu"$rtl/$os" -Fi"$rtl/win/wininc" \
    -Fu"$rtl/win/wininc" -Fi"$rtl/objpas" -Fu"$rtl/objpas" -Fi"$rtl/objpas/sysutils" \
    -Fi"$rtl/objpas/classes"
  logged "$@" -Us -Sg "$rtl/$os/system.pp"
  logged "$@" "$rtl/objpas/objpas.pp"
  logged "$@" "$rtl/$os/buildrtl.pp"
  logged "$@" -Fi"$objpas/inc" -Fi"$objpas/win" -Fi"$objpas/$cpu" "$objpas/win/varutils.pp"
  logged "$@" -Fi"$objpas/inc" -Fi"$objpas/win" -Fi"$objpas/$cpu" "$objpas/inc/variants.pp"
}
build_rtl i386 win32 "$folder/bin/ppcross386"
build_rtl x86_64 win64 ppcx64

rm -rf "$folder/work"
echo "$wanted" > "$stamp"
echo "build-fpc-cross: done in $folder"
