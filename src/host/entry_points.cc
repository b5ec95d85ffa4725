// The library's exported entry points (pharmex/pharmex.h). Each one takes a
// counted reference on every dataset it is given, runs its C++ work inside
// run_at_boundary, which records a failure for pharmex_last_error() and lets
// no exception out, and returns.
#include <string>
#include <utility>

#include "host/dialog_preparation.h"
#include "host/dialogless_run.h"
#include "host/document_kinds.h"
#include "host/host_ref.h"
#include "host/last_error.h"
#include "pharmex/pharmex.h"

namespace {

using pharmex::host::Callbacks;
using pharmex::host::DialogData;
using pharmex::host::HostRef;

HostRef<IDataSet> ref(IDataSet* dataset) {
  return HostRef<IDataSet>::retain(dataset);
}

// The dialog-less entry points take paths as zero-terminated ANSI text; a
// missing one is an empty path.
std::string path_text(const char* path) {
  return path == nullptr ? std::string() : std::string(path);
}

}  // namespace

PX_EXTERN_C PX_API void PX_STDCALL supplier_export(PxWindow window, IDataSet* suppliers,
                                                   PxProgressCallback progress,
                                                   PxStartCallback start,
                                                   PxFinishCallback finish) noexcept {
  pharmex::host::run_at_boundary([&] {
    DialogData data{window, nullptr, ref(suppliers), nullptr, Callbacks{progress, start, finish}};
    pharmex::host::open_dialog(pharmex::host::supplier_kind(), std::move(data));
  });
}

PX_EXTERN_C PX_API void PX_STDCALL price_export(PxWindow window, IDataSet* prices,
                                                PxProgressCallback progress, PxStartCallback start,
                                                PxFinishCallback finish) noexcept {
  pharmex::host::run_at_boundary([&] {
    DialogData data{window, nullptr, ref(prices), nullptr, Callbacks{progress, start, finish}};
    pharmex::host::open_dialog(pharmex::host::price_kind(), std::move(data));
  });
}

PX_EXTERN_C PX_API void PX_STDCALL price_export_to_file(IDataSet* prices,
                                                        const char* path) noexcept {
  pharmex::host::run_at_boundary([&] {
    DialogData data{0, nullptr, ref(prices), nullptr, Callbacks{}};
    pharmex::host::run_without_dialog(pharmex::host::price_kind(), std::move(data), 0,
                                      path_text(path));
  });
}

PX_EXTERN_C PX_API void PX_STDCALL order_export(PxWindow window, IDataSet* headers, IDataSet* lines,
                                                PxProgressCallback progress, PxStartCallback start,
                                                PxFinishCallback finish) noexcept {
  pharmex::host::run_at_boundary([&] {
    DialogData data{window, nullptr, ref(headers), ref(lines), Callbacks{progress, start, finish}};
    pharmex::host::open_dialog(pharmex::host::order_kind(), std::move(data));
  });
}

PX_EXTERN_C PX_API void PX_STDCALL waybill_export(PxWindow window, IDataSet* headers,
                                                  IDataSet* lines, PxProgressCallback progress,
                                                  PxStartCallback start,
                                                  PxFinishCallback finish) noexcept {
  pharmex::host::run_at_boundary([&] {
    DialogData data{window, nullptr, ref(headers), ref(lines), Callbacks{progress, start, finish}};
    pharmex::host::open_dialog(pharmex::host::waybill_kind(), std::move(data));
  });
}

// The window handle is not read: the holder has no window.
PX_EXTERN_C PX_API void PX_STDCALL
waybill_export_ToPath(PxWindow /*window*/, IDataSet* headers, IDataSet* lines,
                      PxProgressCallback progress, PxStartCallback start, PxFinishCallback finish,
                      const char* folder, int32_t file_type) noexcept {
  pharmex::host::run_at_boundary([&] {
    DialogData data{0, nullptr, ref(headers), ref(lines), Callbacks{progress, start, finish}};
    pharmex::host::run_in_folder(pharmex::host::waybill_kind(), std::move(data), path_text(folder),
                                 file_type);
  });
}

PX_EXTERN_C PX_API void PX_STDCALL order_import(PxWindow window, IDataSet* prices, IDataSet* second,
                                                IDataSet* lines, PxProgressCallback progress,
                                                PxStartCallback start,
                                                PxFinishCallback finish) noexcept {
  pharmex::host::run_at_boundary([&] {
    DialogData data{window, ref(prices), ref(second), ref(lines),
                    Callbacks{progress, start, finish}};
    pharmex::host::open_dialog(pharmex::host::order_import_kind(), std::move(data));
  });
}

PX_EXTERN_C PX_API void PX_STDCALL order_import_from_file(IDataSet* prices, IDataSet* second,
                                                          IDataSet* lines,
                                                          const char* path) noexcept {
  pharmex::host::run_at_boundary([&] {
    DialogData data{0, ref(prices), ref(second), ref(lines), Callbacks{}};
    pharmex::host::run_without_dialog(pharmex::host::order_import_kind(), std::move(data), 0,
                                      path_text(path));
  });
}
