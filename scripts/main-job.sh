#!/bin/sh
# Builds the pharmex tool and runs it on the examples: the example waybill is
# exported in each layout to out/, and every file is shown (installs what it
# needs first).
set -eu
cd "$(dirname "$0")/.."
scripts/install-packages.sh cmake ninja-build g++ libc-bin
cmake -S . -B build-tool -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPHARMEX_BUILD_TESTS=OFF
cmake --build build-tool -j "$(nproc)" --target pharmex_cli
pharmex=build-tool/bin/pharmex
out=out
mkdir -p "$out"
# The tool is the host here: its registry key lives beside the output.
export PHARMEX_REGISTRY="$PWD/$out/registry"

for layout in efarma-sst apteka2000w; do
  file=$($pharmex export waybill --header examples/waybill_headers.csv \
    --lines examples/waybill_lines.csv --layout "$layout" --dir "$out")
  echo "== $layout: $file"
  iconv -f CP1251 -t UTF-8 "$file"
done

# The partner tables, each under its layout's name (through the file dialog,
# answered with --out), shown field by field.
for layout in djinal apteka-m; do
  file=$($pharmex export waybill --header examples/waybill_headers.csv \
    --lines examples/waybill_lines.csv --layout "$layout" --out "$out/$layout")
  echo "== $layout: $file"
  $pharmex show "$file"
done
