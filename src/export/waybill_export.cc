#include "export/waybill_export.h"

#include "export/apteka_2000w.h"
#include "export/apteka_m_table.h"
#include "export/atomic_text_file.h"
#include "export/djinal_table.h"
#include "export/efarma_sst.h"
#include "export/table_routine.h"
#include "export/waybill_lines.h"
#include "host/remembered_folder.h"

namespace pharmex::exporting {

namespace {

constexpr std::string_view kWaybillFolder = "waybill_export_path";

using TextWriter = void (*)(WaybillLines& waybill, AtomicTextFile& file);

// The text layouts call only the start callback; the file replaces the target
// only when the whole export succeeded, and only then is its folder remembered.
void run_text_layout(host::TShellOpenSaveForm& form, const std::string& path, TextWriter write) {
  form.notify_start();
  WaybillLines waybill(host::HostDataSet(form.main_dataset()),
                       host::HostDataSet(form.lines_dataset()));
  AtomicTextFile file(path);
  write(waybill, file);
  file.commit();
  host::remember_folder_of(kWaybillFolder, path);
}

using TableWriter = void (*)(TableRun& run, WaybillLines& waybill);

// The partner tables remember no folder.
void run_partner_table(host::TShellOpenSaveForm& form, const std::string& path, TableWriter write) {
  run_table_routine(form, path, "", [&form, write](TableRun& run) {
    WaybillLines waybill(host::HostDataSet(form.main_dataset()),
                         host::HostDataSet(form.lines_dataset()));
    write(run, waybill);
  });
}

}  // namespace

void efarma_sst_routine(host::TShellOpenSaveForm& form, const std::string& path) {
  run_text_layout(form, path, write_efarma_sst);
}

void apteka_2000w_routine(host::TShellOpenSaveForm& form, const std::string& path) {
  run_text_layout(form, path, write_apteka_2000w);
}

void djinal_routine(host::TShellOpenSaveForm& form, const std::string& path) {
  run_partner_table(form, path, write_djinal_table);
}

void apteka_m_routine(host::TShellOpenSaveForm& form, const std::string& path) {
  run_partner_table(form, path, write_apteka_m_table);
}

}  // namespace pharmex::exporting
