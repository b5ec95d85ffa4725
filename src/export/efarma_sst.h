// The E-Farma SST waybill text file (".SST"): a "[Header]" section with one
// record describing the waybill and its totals and a "[Body]" section with one
// record per delivered line, every field followed by ";", Windows-1251 text,
// CR LF after every line.
#pragma once

#include "core/regional_settings.h"
#include "export/atomic_text_file.h"
#include "export/waybill_lines.h"
#include "export/waybill_text.h"

namespace pharmex::exporting {

// Writes the whole file. The header record describes the header dataset's
// current row as it is when the export starts; the totals cover every line;
// the body holds the lines that pass the waybill line filter. Values are
// read and written with the run's `settings`, "." as decimal separator.
void write_efarma_sst(WaybillLines& waybill, AtomicTextFile& file,
                      const RegionalSettings& settings);

// The layout's own parts of the records.
const WaybillTextLayout& efarma_sst_layout();

}  // namespace pharmex::exporting
