// A whole order import of a fuzzed order file into an in-memory host: the
// first byte chooses the reader (DBF 4, Khabarovsk, Unico), the rest is the
// order file. The run merges what it can or fails with a message; either
// way the start and finish callbacks come in pairs, no file stays open and
// every host reference is given back.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "fuzz_support.h"
#include "host/host_ref.h"
#include "host/run_context.h"
#include "import/order_reader.h"
#include "memhost/csv_reader.h"
#include "memhost/memory_dataset.h"
#include "memhost/memory_field.h"
#include "memory_file_system.h"
#include "platform/memory_settings_store.h"
#include "platform/settings_store.h"

namespace pharmex::fuzzing {
namespace {

constexpr const char* kPrices =
    "suppliers_id:integer,art_id:integer,art_name:string(80),maker:string(40),price:float\n"
    "3,50211,Аспирин Кардио,Байер,156.4\n"
    "3,1001,Бинт,Эвтекс,30\n"
    "7,50211,Аспирин Кардио,Байер,151.2\n";
constexpr const char* kLines =
    "RecId:integer,suppliers_id:integer,art_id:integer,art_name:string(80),"
    "maker:string(40),price:float,qty:integer\n"
    "1,3,50211,Аспирин Кардио,Байер,156.4,2\n";
constexpr const char* kUnicoPrices =
    "suppliers_id:integer,art_id:string(12),art_name:string(80),price:float\n"
    "3,Ц-1001,Аспирин,12.5\n";
constexpr const char* kUnicoLines =
    "suppliers_id:integer,art_id:string(12),art_name:string(80),qty:float\n";

int starts = 0, finishes = 0;
void PX_STDCALL on_start(PxWindow) {
  ++starts;
}
void PX_STDCALL on_finish(PxWindow) {
  ++finishes;
}
void PX_STDCALL on_progress(PxWindow, int32_t) {}

struct Host {
  Host() { registry->create_key(platform::kHostSettingsKey); }
  std::shared_ptr<platform::MemorySettingsStore> registry =
      std::make_shared<platform::MemorySettingsStore>();
  Service<platform::SettingsStore>::Scoped registry_scope{registry};
};

constexpr host::Routine kReaders[] = {importing::dbf4_order_reader,
                                      importing::khabarovsk_order_reader,
                                      importing::unico_order_reader};

void import(size_t reader, std::string_view order_file) {
  MemoryFileSystem files;
  files.add("/fuzz/ORDER.DBF", order_file);
  const bool unico = reader == 2;
  host::RunContext context;
  context.set_file_system(Service<platform::FileSystem>::borrow(files));
  context.set_window(7);
  context.set_callbacks({on_progress, on_start, on_finish});
  context.set_datasets(memhost::read_csv(unico ? kUnicoPrices : kPrices, "prices.csv"),
                       memhost::MemoryDataSet::create({}),
                       memhost::read_csv(unico ? kUnicoLines : kLines, "lines.csv"));
  refused([&] { kReaders[reader](context, "/fuzz/ORDER.DBF"); });
}

}  // namespace
}  // namespace pharmex::fuzzing

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace pharmex;
  using namespace pharmex::fuzzing;
  if (size < 1) return 0;
  static Host host;
  const int64_t datasets = memhost::MemoryDataSet::live_count();
  const int64_t fields = memhost::MemoryField::live_count();
  starts = finishes = 0;
  import(data[0] % 3, as_text(data + 1, size - 1));
  expect_no_open_files();
  if (starts != 1 || finishes != 1) finding("start and finish do not pair up");
  if (memhost::MemoryDataSet::live_count() != datasets) finding("a dataset was kept");
  if (memhost::MemoryField::live_count() != fields) finding("a field was kept");
  return 0;
}
