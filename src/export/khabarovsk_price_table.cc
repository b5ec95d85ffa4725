#include "export/khabarovsk_price_table.h"

#include <array>
#include <string_view>

#include "export/fixed_table.h"

namespace pharmex::exporting {

namespace {

constexpr std::array<std::string_view, 9> kFields = {
    "COD;N;8;0", "NAIM;C;96;0", "STRANA;C;17;0", "PROD;C;47;0",   "CENA;N;9;2",
    "OST;N;8;0", "SG;D;0;0",    "PRIHOD;D;0;0",  "BARCODE;C;13;0"};

// The partner's order of filling a record: STRANA comes last.
constexpr std::array<FixedAssignment, 9> kAssignments = {{
    {"COD", "art_id"},
    {"NAIM", "art_name"},
    {"PROD", "maker"},
    {"CENA", "price"},
    {"OST", "box"},
    {"SG", "dateworklast"},
    {"PRIHOD", "dateworkfirst"},
    {"BARCODE", "ean13"},
    {"STRANA", "country"},
}};

}  // namespace

void khabarovsk_price_routine(host::RunContext& context, const std::string& path) {
  run_table_routine(context, path, "", [&context](TableRun& run) {
    host::HostDataSet prices(context.main_dataset());
    write_fixed_table(run, prices, {kFields, kAssignments});
  });
}

}  // namespace pharmex::exporting
