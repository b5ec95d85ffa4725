// The waybill routines behind the waybill dialog's file types and
// waybill_export_ToPath. Each takes the dialog object (window, callbacks,
// header and lines datasets) and the full target path.
#pragma once

#include <string>

#include "host/shell_open_save_form.h"

namespace pharmex::exporting {

// Index 1: the E-Farma SST text file.
void efarma_sst_routine(host::TShellOpenSaveForm& form, const std::string& path);
// Index 2: the Apteka 2000W text file.
void apteka_2000w_routine(host::TShellOpenSaveForm& form, const std::string& path);
// Index 4: the Djinal table. Remembers no folder.
void djinal_routine(host::TShellOpenSaveForm& form, const std::string& path);
// Index 5: the Apteka M table. Remembers no folder.
void apteka_m_routine(host::TShellOpenSaveForm& form, const std::string& path);

}  // namespace pharmex::exporting
