// The order readers: one per layout of the import dialog (DBF 4, Khabarovsk,
// Unico), all running one algorithm. A reader walks the visible records of
// the order file (deleted ones are skipped) and merges each into the host's
// order lines (import/order_merger.h), inside the reader frame
// (import/reader_frame.h), which reports progress over the merged records.
//
// The run context carries the price list (first dataset) and the order
// lines (lines dataset); the second dataset is held but never read.
//
// Failures, all raised after the frame's clean-up:
//   - a missing file: "Cannot find file %s", before anything is merged;
//   - a field the layout reads is missing from the file: "Field '%s' not
//     found" at the first record, before anything is merged (a file without
//     records merges nothing and does not fail);
//   - order lines without a column "qty": "The host data have no column
//     'qty'", before anything is merged;
//   - a damaged record (the table engine's messages) or a failing host
//     dataset end the run there; records merged before stay merged. The
//     quantity is read only for records the price list offers, so a damaged
//     quantity of any other record is never seen.
#pragma once

#include <string>

#include "host/run_context.h"
#include "import/order_layout.h"

namespace pharmex::importing {

// Reads the order file at `path` in `layout` into the context's order lines.
void read_order(host::RunContext& context, const std::string& path, const OrderLayout& layout);

// The routines of the import dialog's file types 0, 1 and 2.
void dbf4_order_reader(host::RunContext& context, const std::string& path);
void khabarovsk_order_reader(host::RunContext& context, const std::string& path);
void unico_order_reader(host::RunContext& context, const std::string& path);

}  // namespace pharmex::importing
