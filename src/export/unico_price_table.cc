#include "export/unico_price_table.h"

#include <array>

#include "core/regional_settings.h"
#include "export/fixed_table.h"

namespace pharmex::exporting {

namespace {

// QNTPACK gets the pack size in the field's native whole-number form.
Variant pack_size_value(const Variant& box, const RegionalSettings& settings) {
  return Variant::int64(unico_pack_size(box, settings));
}

// Filled in table order.
constexpr std::array<FixedField, 22> kFields = {{
    {"CODEPST;C;12;0", from_column("art_id"), 1},
    {"NAME;C;80;0", from_column("art_name"), 2},
    {"CNTR;C;15;0", from_column("country"), 3},
    {"FIRM;C;40;0", from_column("maker"), 4},
    {"QNTPACK;N;8;0", from_column("box", pack_size_value), 5},
    {"EAN13;C;13;0", from_column("ean13"), 6},
    {"NDS;N;9;2", from_column("nds"), 7},
    {"GDATE;D;0;0", from_column("dateworklast"), 8},
    {"QNT;N;14;2", from_column("remainder"), 9},
    {"NSP;N;9;2", null_value(), 10},
    {"GNVLS;N;1;0", null_value(), 11},
    {"PRICE1;N;9;2", from_column("price"), 12},
    {"PRICE2;N;9;2", null_value(), 13},
    {"PRICE3;N;9;2", null_value(), 14},
    {"PRICE4;N;9;2", null_value(), 15},
    {"PRICE5;N;9;2", null_value(), 16},
    {"PRICE6;N;9;2", null_value(), 17},
    {"PRICE7;N;9;2", null_value(), 18},
    {"PRICE8;N;9;2", null_value(), 19},
    {"PRICE9;N;9;2", null_value(), 20},
    {"PRICE10;N;9;2", null_value(), 21},
    {"NEWFLG;N;1;0", null_value(), 22},
}};
static_assert(fill_order_is_complete(kFields));

}  // namespace

std::span<const FixedField> unico_price_fields() {
  return kFields;
}

int64_t unico_pack_size(const Variant& box, const RegionalSettings& settings) {
  // The variant rules are exactly the partner's: Empty is 0, whole numbers
  // stay, anything else rounds halves to even, and Null cannot convert.
  return box.to_int64(settings);
}

void unico_price_routine(host::RunContext& context, const std::string& path) {
  run_table_routine(context, path, "price_export_path", [&context](TableRun& run) {
    host::HostDataSet prices(context.main_dataset());
    write_fixed_table(run, {kFields}, {prices, nullptr, run.settings(), {}});
  });
}

}  // namespace pharmex::exporting
