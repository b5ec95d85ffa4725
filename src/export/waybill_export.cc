#include "export/waybill_export.h"

#include "export/apteka_2000w.h"
#include "export/apteka_m_table.h"
#include "export/atomic_text_file.h"
#include "export/djinal_table.h"
#include "export/efarma_sst.h"
#include "export/table_routine.h"
#include "export/waybill_lines.h"

namespace pharmex::exporting {

namespace {

constexpr std::string_view kWaybillFolder = "waybill_export_path";

using TextWriter = void (*)(WaybillLines& waybill, AtomicTextFile& file,
                            const RegionalSettings& settings);

// The text layouts call only the start callback; the file replaces the target
// only when the whole export succeeded, and only then is its folder remembered.
void run_text_layout(host::RunContext& context, const std::string& path, TextWriter write) {
  context.notify_start();
  WaybillLines waybill(host::HostDataSet(context.main_dataset()),
                       host::HostDataSet(context.lines_dataset()));
  AtomicTextFile file(path, *context.file_system());
  write(waybill, file, context.settings());
  file.commit();
  context.folders().remember_folder_of(kWaybillFolder, path);
}

using TableWriter = void (*)(TableRun& run, WaybillLines& waybill);

// The partner tables remember no folder.
void run_partner_table(host::RunContext& context, const std::string& path, TableWriter write) {
  run_table_routine(context, path, "", [&context, write](TableRun& run) {
    WaybillLines waybill(host::HostDataSet(context.main_dataset()),
                         host::HostDataSet(context.lines_dataset()));
    write(run, waybill);
  });
}

}  // namespace

void efarma_sst_routine(host::RunContext& context, const std::string& path) {
  run_text_layout(context, path, write_efarma_sst);
}

void apteka_2000w_routine(host::RunContext& context, const std::string& path) {
  run_text_layout(context, path, write_apteka_2000w);
}

void djinal_routine(host::RunContext& context, const std::string& path) {
  run_partner_table(context, path, write_djinal_table);
}

void apteka_m_routine(host::RunContext& context, const std::string& path) {
  run_partner_table(context, path, write_apteka_m_table);
}

}  // namespace pharmex::exporting
