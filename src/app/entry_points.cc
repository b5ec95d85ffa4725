// The library's exported entry points (pharmex/pharmex.h). Each one takes a
// counted reference on every dataset it is given, runs its C++ work inside
// run_at_boundary, which records a failure for pharmex_last_error() and lets
// no exception out, and returns.
#include <string>
#include <utility>

#include "app/dialog_preparation.h"
#include "app/dialogless_run.h"
#include "app/document_kinds.h"
#include "app/last_error.h"
#include "host/host_ref.h"
#include "host/run_context.h"
#include "pharmex/pharmex.h"

namespace {

using pharmex::host::Callbacks;
using pharmex::host::HostRef;
using pharmex::host::RunContext;

HostRef<IDataSet> ref(IDataSet* dataset) {
  return HostRef<IDataSet>::retain(dataset);
}

// The run context of an entry call, holding the entry's own reference on
// each dataset given.
RunContext context_for(PxWindow window, IDataSet* first, IDataSet* main, IDataSet* lines,
                       const Callbacks& callbacks) {
  RunContext context;
  context.set_window(window);
  context.set_callbacks(callbacks);
  context.set_datasets(ref(first), ref(main), ref(lines));
  return context;
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
  pharmex::app::run_at_boundary([&] {
    RunContext context =
        context_for(window, nullptr, suppliers, nullptr, Callbacks{progress, start, finish});
    pharmex::app::open_dialog(pharmex::app::supplier_kind(), context);
  });
}

PX_EXTERN_C PX_API void PX_STDCALL price_export(PxWindow window, IDataSet* prices,
                                                PxProgressCallback progress, PxStartCallback start,
                                                PxFinishCallback finish) noexcept {
  pharmex::app::run_at_boundary([&] {
    RunContext context =
        context_for(window, nullptr, prices, nullptr, Callbacks{progress, start, finish});
    pharmex::app::open_dialog(pharmex::app::price_kind(), context);
  });
}

PX_EXTERN_C PX_API void PX_STDCALL price_export_to_file(IDataSet* prices,
                                                        const char* path) noexcept {
  pharmex::app::run_at_boundary([&] {
    RunContext context = context_for(0, nullptr, prices, nullptr, Callbacks{});
    pharmex::app::run_without_dialog(pharmex::app::price_kind(), context, 0, path_text(path));
  });
}

PX_EXTERN_C PX_API void PX_STDCALL order_export(PxWindow window, IDataSet* headers, IDataSet* lines,
                                                PxProgressCallback progress, PxStartCallback start,
                                                PxFinishCallback finish) noexcept {
  pharmex::app::run_at_boundary([&] {
    RunContext context =
        context_for(window, nullptr, headers, lines, Callbacks{progress, start, finish});
    pharmex::app::open_dialog(pharmex::app::order_kind(), context);
  });
}

PX_EXTERN_C PX_API void PX_STDCALL waybill_export(PxWindow window, IDataSet* headers,
                                                  IDataSet* lines, PxProgressCallback progress,
                                                  PxStartCallback start,
                                                  PxFinishCallback finish) noexcept {
  pharmex::app::run_at_boundary([&] {
    RunContext context =
        context_for(window, nullptr, headers, lines, Callbacks{progress, start, finish});
    pharmex::app::open_dialog(pharmex::app::waybill_kind(), context);
  });
}

// The window handle is not read: a run without a dialog has window 0.
PX_EXTERN_C PX_API void PX_STDCALL
waybill_export_ToPath(PxWindow /*window*/, IDataSet* headers, IDataSet* lines,
                      PxProgressCallback progress, PxStartCallback start, PxFinishCallback finish,
                      const char* folder, int32_t file_type) noexcept {
  pharmex::app::run_at_boundary([&] {
    RunContext context =
        context_for(0, nullptr, headers, lines, Callbacks{progress, start, finish});
    pharmex::app::run_in_folder(pharmex::app::waybill_kind(), context, path_text(folder),
                                file_type);
  });
}

PX_EXTERN_C PX_API void PX_STDCALL order_import(PxWindow window, IDataSet* prices, IDataSet* second,
                                                IDataSet* lines, PxProgressCallback progress,
                                                PxStartCallback start,
                                                PxFinishCallback finish) noexcept {
  pharmex::app::run_at_boundary([&] {
    RunContext context =
        context_for(window, prices, second, lines, Callbacks{progress, start, finish});
    pharmex::app::open_dialog(pharmex::app::order_import_kind(), context);
  });
}

PX_EXTERN_C PX_API void PX_STDCALL order_import_from_file(IDataSet* prices, IDataSet* second,
                                                          IDataSet* lines,
                                                          const char* path) noexcept {
  pharmex::app::run_at_boundary([&] {
    RunContext context = context_for(0, prices, second, lines, Callbacks{});
    pharmex::app::run_without_dialog(pharmex::app::order_import_kind(), context, 0,
                                     path_text(path));
  });
}
