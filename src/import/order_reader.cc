#include "import/order_reader.h"

#include <optional>

#include "host/host_dataset.h"
#include "import/order_merger.h"
#include "import/order_record_fields.h"
#include "import/reader_frame.h"

namespace pharmex::importing {

void read_order(host::RunContext& context, const std::string& path, const OrderLayout& layout) {
  run_reader_frame(
      context, path, layout, [&](dbf::TDbfDataSet& table, host::ProgressReporter& progress) {
        OrderMerger merger(host::HostDataSet(context.first_dataset()),
                           host::HostDataSet(context.lines_dataset()), context.settings());
        // Looked up at the first record, so that a file without records imports
        // nothing whatever its fields.
        std::optional<OrderRecordFields> fields;
        for (; !table.Eof(); table.Next()) {
          if (!fields) fields.emplace(table, layout);
          Variant key = fields->key();
          // A record whose article the price list does not offer changes
          // nothing, so its quantity is never read: a damaged one there does
          // not stop the import.
          if (!merger.offered(key)) continue;
          // Read before the order lines are touched, so a damaged quantity
          // fails without leaving a line half edited.
          Variant quantity = fields->quantity();
          merger.merge_offered(key, quantity);
          progress.row_done();
        }
      });
}

void dbf4_order_reader(host::RunContext& context, const std::string& path) {
  read_order(context, path, dbf4_order_layout());
}

void khabarovsk_order_reader(host::RunContext& context, const std::string& path) {
  read_order(context, path, khabarovsk_order_layout());
}

void unico_order_reader(host::RunContext& context, const std::string& path) {
  read_order(context, path, unico_order_layout());
}

}  // namespace pharmex::importing
