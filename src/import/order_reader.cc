#include "import/order_reader.h"

#include <optional>

#include "host/host_dataset.h"
#include "import/order_merger.h"
#include "import/order_record_fields.h"
#include "import/reader_frame.h"

namespace pharmex::importing {

void read_order(host::TShellOpenSaveForm& form, const std::string& path,
                const OrderLayout& layout) {
  run_reader_frame(form, path, layout,
                   [&](dbf::TDbfDataSet& table, host::ProgressReporter& progress) {
                     OrderMerger merger(host::HostDataSet(form.first_dataset()),
                                        host::HostDataSet(form.lines_dataset()));
                     // Looked up at the first record, so that a file without records imports
                     // nothing whatever its fields.
                     std::optional<OrderRecordFields> fields;
                     for (; !table.Eof(); table.Next()) {
                       if (!fields) fields.emplace(table, layout);
                       // Both values are read before the host is touched, so a damaged record
                       // fails without leaving a line half edited.
                       Variant key = fields->key();
                       Variant quantity = fields->quantity();
                       if (merger.merge(key, quantity)) progress.row_done();
                     }
                   });
}

void dbf4_order_reader(host::TShellOpenSaveForm& form, const std::string& path) {
  read_order(form, path, dbf4_order_layout());
}

void khabarovsk_order_reader(host::TShellOpenSaveForm& form, const std::string& path) {
  read_order(form, path, khabarovsk_order_layout());
}

void unico_order_reader(host::TShellOpenSaveForm& form, const std::string& path) {
  read_order(form, path, unico_order_layout());
}

}  // namespace pharmex::importing
