// The waybill routines behind the waybill dialog's file types and
// waybill_export_ToPath. Each takes the run context (window, callbacks,
// header and lines datasets, remembered folders) and the full target path.
#pragma once

#include <string>

#include "host/run_context.h"

namespace pharmex::exporting {

// Index 1: the E-Farma SST text file.
void efarma_sst_routine(host::RunContext& context, const std::string& path);
// Index 2: the Apteka 2000W text file.
void apteka_2000w_routine(host::RunContext& context, const std::string& path);
// Index 4: the Djinal table. Remembers no folder.
void djinal_routine(host::RunContext& context, const std::string& path);
// Index 5: the Apteka M table. Remembers no folder.
void apteka_m_routine(host::RunContext& context, const std::string& path);

}  // namespace pharmex::exporting
