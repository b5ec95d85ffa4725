// The Apteka 2000W waybill text file (".txt"): the same two-section shape as
// the E-Farma SST file with its own fields: 8 in the header record, 20 in each
// body record.
#pragma once

#include "core/regional_settings.h"
#include "export/atomic_text_file.h"
#include "export/waybill_lines.h"
#include "export/waybill_text.h"

namespace pharmex::exporting {

// Writes the whole file (see write_efarma_sst for what the sections cover).
void write_apteka_2000w(WaybillLines& waybill, AtomicTextFile& file,
                        const RegionalSettings& settings);

// The layout's own parts of the records.
const WaybillTextLayout& apteka_2000w_layout();

}  // namespace pharmex::exporting
