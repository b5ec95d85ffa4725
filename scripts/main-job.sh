#!/bin/sh
# Builds the pharmex tool and runs it on the examples: the example supplier
# list, order, price list (in each price layout) and waybill (in each waybill
# layout) are exported to out/, every file is shown and validated, and the
# example order files of the three partner layouts are validated and imported
# into the example order (installs what it needs first).
#
# With PHARMEX set to an installed tool (/usr/bin/pharmex) nothing is built;
# EXAMPLES names the examples' folder (default examples/), OUT the output's
# (default out/).
set -eu
cd "$(dirname "$0")/.."
if [ -n "${PHARMEX:-}" ]; then
  pharmex="$PHARMEX"
else
  scripts/install-packages.sh cmake ninja-build g++ libc-bin
  cmake -S . -B build-tool -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPHARMEX_BUILD_TESTS=OFF
  cmake --build build-tool -j "$(nproc)" --target pharmex_cli
  pharmex=build-tool/bin/pharmex
fi
examples="${EXAMPLES:-examples}"
out="${OUT:-out}"
mkdir -p "$out"
# The tool is the host here: its registry key lives beside the output (an
# OUT given as an absolute path stays one).
export PHARMEX_REGISTRY="$(cd "$out" && pwd)/registry"

# Shows a table and checks it against its layout (recognised by validate).
show_table() {
  echo "== $1: $2"
  $pharmex show "$2"
  $pharmex validate "$2"
  echo
}

# Each export answers the library's file dialog with a path, as a user would.
file=$($pharmex export supplier --data "$examples/suppliers.csv" --out "$out/supplier")
show_table supplier "$file"

file=$($pharmex export order --header "$examples/order_headers.csv" \
  --lines "$examples/order_lines.csv" --out "$out/order")
show_table order "$file"

for layout in dbf4 khabarovsk unico; do
  file=$($pharmex export price --data "$examples/price_list.csv" --layout "$layout" \
    --out "$out/price_$layout")
  show_table "price, $layout" "$file"
done

# The two generic waybill types write the same table.
for layout in dbf4 gornyvershini; do
  file=$($pharmex export waybill --header "$examples/waybill_headers.csv" \
    --lines "$examples/waybill_lines.csv" --layout "$layout" --out "$out/waybill_$layout")
  show_table "waybill, $layout" "$file"
done

# The text layouts go through the dialog-less entry point, which names the
# file after the waybill.
for layout in efarma-sst apteka2000w; do
  file=$($pharmex export waybill --header "$examples/waybill_headers.csv" \
    --lines "$examples/waybill_lines.csv" --layout "$layout" --dir "$out")
  echo "== waybill, $layout: $file"
  iconv -f CP1251 -t UTF-8 "$file"
  $pharmex validate "$file"
  echo
done

# The partner tables, each under its layout's name (through the file dialog,
# answered with --out), shown field by field.
for layout in djinal apteka-m; do
  file=$($pharmex export waybill --header "$examples/waybill_headers.csv" \
    --lines "$examples/waybill_lines.csv" --layout "$layout" --out "$out/$layout")
  show_table "waybill, $layout" "$file"
done

# Partners' order files merged into the host's current order, one per layout.
for layout in dbf4 khabarovsk unico; do
  echo "== import, $layout: $examples/order_$layout.dbf"
  $pharmex validate "$examples/order_$layout.dbf"
  $pharmex import --price "$examples/order_prices.csv" --lines "$examples/current_order_lines.csv" \
    "$examples/order_$layout.dbf" --layout "$layout" --out "$out/merged_$layout.csv"
  cat "$out/merged_$layout.csv"
  echo
done
