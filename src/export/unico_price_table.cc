#include "export/unico_price_table.h"

#include <array>
#include <string_view>

#include "export/fixed_table.h"

namespace pharmex::exporting {

namespace {

constexpr std::array<std::string_view, 22> kFields = {
    "CODEPST;C;12;0", "NAME;C;80;0",  "CNTR;C;15;0",  "FIRM;C;40;0",  "QNTPACK;N;8;0",
    "EAN13;C;13;0",   "NDS;N;9;2",    "GDATE;D;0;0",  "QNT;N;14;2",   "NSP;N;9;2",
    "GNVLS;N;1;0",    "PRICE1;N;9;2", "PRICE2;N;9;2", "PRICE3;N;9;2", "PRICE4;N;9;2",
    "PRICE5;N;9;2",   "PRICE6;N;9;2", "PRICE7;N;9;2", "PRICE8;N;9;2", "PRICE9;N;9;2",
    "PRICE10;N;9;2",  "NEWFLG;N;1;0"};

// QNTPACK gets the pack size in the field's native whole-number form.
Variant pack_size_value(const Variant& box) {
  return Variant::int64(unico_pack_size(box));
}

constexpr std::array<FixedAssignment, 22> kAssignments = {{
    {"CODEPST", "art_id"},
    {"NAME", "art_name"},
    {"CNTR", "country"},
    {"FIRM", "maker"},
    {"QNTPACK", "box", pack_size_value},
    {"EAN13", "ean13"},
    {"NDS", "nds"},
    {"GDATE", "dateworklast"},
    {"QNT", "remainder"},
    {"NSP", ""},
    {"GNVLS", ""},
    {"PRICE1", "price"},
    {"PRICE2", ""},
    {"PRICE3", ""},
    {"PRICE4", ""},
    {"PRICE5", ""},
    {"PRICE6", ""},
    {"PRICE7", ""},
    {"PRICE8", ""},
    {"PRICE9", ""},
    {"PRICE10", ""},
    {"NEWFLG", ""},
}};

}  // namespace

int64_t unico_pack_size(const Variant& box) {
  // The variant rules are exactly the partner's: Empty is 0, whole numbers
  // stay, anything else rounds halves to even, and Null cannot convert.
  return box.to_int64();
}

void unico_price_routine(host::RunContext& context, const std::string& path) {
  run_table_routine(context, path, "price_export_path", [&context](TableRun& run) {
    host::HostDataSet prices(context.main_dataset());
    write_fixed_table(run, prices, {kFields, kAssignments});
  });
}

}  // namespace pharmex::exporting
