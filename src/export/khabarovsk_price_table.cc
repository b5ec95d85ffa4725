#include "export/khabarovsk_price_table.h"

#include <array>

#include "export/fixed_table.h"

namespace pharmex::exporting {

namespace {

// The partner fills STRANA last.
constexpr std::array<FixedField, 9> kFields = {{
    {"COD;N;8;0", from_column("art_id"), 1},
    {"NAIM;C;96;0", from_column("art_name"), 2},
    {"STRANA;C;17;0", from_column("country"), 9},
    {"PROD;C;47;0", from_column("maker"), 3},
    {"CENA;N;9;2", from_column("price"), 4},
    {"OST;N;8;0", from_column("box"), 5},
    {"SG;D;0;0", from_column("dateworklast"), 6},
    {"PRIHOD;D;0;0", from_column("dateworkfirst"), 7},
    {"BARCODE;C;13;0", from_column("ean13"), 8},
}};
static_assert(fill_order_is_complete(kFields));

}  // namespace

std::span<const FixedField> khabarovsk_price_fields() {
  return kFields;
}

void khabarovsk_price_routine(host::RunContext& context, const std::string& path) {
  run_table_routine(context, path, "", [&context](TableRun& run) {
    host::HostDataSet prices(context.main_dataset());
    write_fixed_table(run, {kFields}, {prices, nullptr, run.settings(), {}});
  });
}

}  // namespace pharmex::exporting
