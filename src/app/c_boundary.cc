// Every function the library exports (pharmex/pharmex.h, pharmex/host.h,
// pharmex/variant.h, pharmex/dialog_script.h), and nothing else. Each is a few lines: it turns C
// arguments into C++ ones (a counted reference on every dataset given, a
// missing path as an empty one) and calls the C++ work, which lives in its
// own files. No C++ exception leaves: an entry point runs inside
// run_passing_failure_on, which records a failure for pharmex_last_error()
// and then, when the host asked for it (pharmex_set_failure_mode), raises it
// the platform's way once every object of the run is gone; the others run
// inside run_at_boundary, catch everything themselves or call code that
// cannot throw.
#include <optional>
#include <string>
#include <string_view>

#include "app/dialog_preparation.h"
#include "app/dialog_script.h"
#include "app/dialogless_run.h"
#include "app/document_kinds.h"
#include "app/failure_mode.h"
#include "app/host_regional_settings.h"
#include "app/last_error.h"
#include "core/abi_memory.h"
#include "host/host_failure.h"
#include "host/host_ref.h"
#include "host/run_context.h"
#include "pharmex/dialog_script.h"
#include "pharmex/pharmex.h"
#include "pharmex/version.h"

namespace {

using pharmex::app::run_at_boundary;
using pharmex::app::run_passing_failure_on;
using pharmex::host::Callbacks;
using pharmex::host::HostRef;
using pharmex::host::RunContext;

namespace abi = pharmex::abi;
namespace app = pharmex::app;

// The run context of an entry call, holding the entry's own reference on
// each dataset given, with the process's regional settings, file system and
// clock of this moment (a dialog takes them again when its run starts).
RunContext context_for(PxWindow window, IDataSet* first, IDataSet* main, IDataSet* lines,
                       const Callbacks& callbacks) {
  RunContext context;
  context.set_window(window);
  context.set_callbacks(callbacks);
  context.set_datasets(HostRef<IDataSet>::retain(first), HostRef<IDataSet>::retain(main),
                       HostRef<IDataSet>::retain(lines));
  return context;
}

// Paths and texts come as zero-terminated strings; a missing one is empty.
std::string text_of(const char* text) {
  return text == nullptr ? std::string() : std::string(text);
}

std::optional<std::string_view> optional_text(const char* text) {
  if (text == nullptr) return std::nullopt;
  return std::string_view(text);
}

}  // namespace

// The entry points.

PX_EXTERN_C PX_API void PX_STDCALL supplier_export(PxWindow window, IDataSet* suppliers,
                                                   PxProgressCallback progress,
                                                   PxStartCallback start,
                                                   PxFinishCallback finish) noexcept {
  run_passing_failure_on([&] {
    RunContext context =
        context_for(window, nullptr, suppliers, nullptr, {progress, start, finish});
    app::open_dialog(app::supplier_kind(), context);
  });
}

PX_EXTERN_C PX_API void PX_STDCALL price_export(PxWindow window, IDataSet* prices,
                                                PxProgressCallback progress, PxStartCallback start,
                                                PxFinishCallback finish) noexcept {
  run_passing_failure_on([&] {
    RunContext context = context_for(window, nullptr, prices, nullptr, {progress, start, finish});
    app::open_dialog(app::price_kind(), context);
  });
}

PX_EXTERN_C PX_API void PX_STDCALL price_export_to_file(IDataSet* prices,
                                                        const char* path) noexcept {
  run_passing_failure_on([&] {
    RunContext context = context_for(0, nullptr, prices, nullptr, {});
    app::run_without_dialog(app::price_kind(), context, 0, text_of(path));
  });
}

PX_EXTERN_C PX_API void PX_STDCALL order_export(PxWindow window, IDataSet* headers, IDataSet* lines,
                                                PxProgressCallback progress, PxStartCallback start,
                                                PxFinishCallback finish) noexcept {
  run_passing_failure_on([&] {
    RunContext context = context_for(window, nullptr, headers, lines, {progress, start, finish});
    app::open_dialog(app::order_kind(), context);
  });
}

PX_EXTERN_C PX_API void PX_STDCALL waybill_export(PxWindow window, IDataSet* headers,
                                                  IDataSet* lines, PxProgressCallback progress,
                                                  PxStartCallback start,
                                                  PxFinishCallback finish) noexcept {
  run_passing_failure_on([&] {
    RunContext context = context_for(window, nullptr, headers, lines, {progress, start, finish});
    app::open_dialog(app::waybill_kind(), context);
  });
}

// The window handle is not read: a run without a dialog has window 0.
PX_EXTERN_C PX_API void PX_STDCALL
waybill_export_ToPath(PxWindow /*window*/, IDataSet* headers, IDataSet* lines,
                      PxProgressCallback progress, PxStartCallback start, PxFinishCallback finish,
                      const char* folder, int32_t file_type) noexcept {
  run_passing_failure_on([&] {
    RunContext context = context_for(0, nullptr, headers, lines, {progress, start, finish});
    app::run_in_folder(app::waybill_kind(), context, text_of(folder), file_type);
  });
}

PX_EXTERN_C PX_API void PX_STDCALL order_import(PxWindow window, IDataSet* prices, IDataSet* second,
                                                IDataSet* lines, PxProgressCallback progress,
                                                PxStartCallback start,
                                                PxFinishCallback finish) noexcept {
  run_passing_failure_on([&] {
    RunContext context = context_for(window, prices, second, lines, {progress, start, finish});
    app::open_dialog(app::order_import_kind(), context);
  });
}

PX_EXTERN_C PX_API void PX_STDCALL order_import_from_file(IDataSet* prices, IDataSet* second,
                                                          IDataSet* lines,
                                                          const char* path) noexcept {
  run_passing_failure_on([&] {
    RunContext context = context_for(0, prices, second, lines, {});
    app::run_without_dialog(app::order_import_kind(), context, 0, text_of(path));
  });
}

// The library's own state.

PX_EXTERN_C PX_API const char* PX_STDCALL pharmex_last_error(void) noexcept {
  return app::last_error_utf8();
}

PX_EXTERN_C PX_API int32_t PX_STDCALL pharmex_set_failure_mode(int32_t mode) noexcept {
  return app::set_failure_mode(mode);
}

PX_EXTERN_C PX_API const char* PX_STDCALL pharmex_version(void) noexcept {
  return PHARMEX_VERSION;
}

PX_EXTERN_C PX_API int32_t PX_STDCALL pharmex_set_regional_settings(
    const char* decimal_separator, const char* short_date_pattern) noexcept {
  try {
    return app::set_host_regional_settings(optional_text(decimal_separator),
                                           optional_text(short_date_pattern))
               ? 0
               : -1;
  } catch (...) {
    return -1;
  }
}

// A program answering the headless dialog.

PX_EXTERN_C PX_API int32_t PX_STDCALL pharmex_dialog_answer(const char* path,
                                                            int32_t file_type) noexcept {
  int32_t result = -1;
  run_at_boundary([&] {
    std::optional<int> type;
    if (file_type >= 0) type = file_type;
    result = app::answer_dialog(text_of(path), type);
  });
  return result;
}

PX_EXTERN_C PX_API int32_t PX_STDCALL pharmex_dialog_cancel(void) noexcept {
  int32_t result = -1;
  run_at_boundary([&] { result = app::cancel_dialog(); });
  return result;
}

// The host's side of a call into it.

PX_EXTERN_C PX_API void PX_STDCALL pharmex_report_host_failure(const char* message) noexcept {
  pharmex::host::report_host_failure(message == nullptr ? std::string_view() : message);
}

// The variant ABI: strings, variants and arrays the library allocates.

PX_EXTERN_C PX_API PxString PX_STDCALL pharmex_string_alloc(const PxChar16* text,
                                                            uint32_t length) noexcept {
  return abi::string_alloc(text, length);
}

PX_EXTERN_C PX_API void PX_STDCALL pharmex_string_free(PxString text) noexcept {
  abi::string_free(text);
}

PX_EXTERN_C PX_API uint32_t PX_STDCALL pharmex_string_length(const PxChar16* text) noexcept {
  return abi::string_length(text);
}

PX_EXTERN_C PX_API void PX_STDCALL pharmex_variant_init(PxVariant* value) noexcept {
  abi::variant_init(value);
}

PX_EXTERN_C PX_API void PX_STDCALL pharmex_variant_clear(PxVariant* value) noexcept {
  abi::variant_clear(value);
}

PX_EXTERN_C PX_API int32_t PX_STDCALL pharmex_variant_copy(PxVariant* target,
                                                           const PxVariant* source) noexcept {
  return abi::variant_copy(target, source);
}

PX_EXTERN_C PX_API PxVariantArray* PX_STDCALL pharmex_array_create(uint32_t count) noexcept {
  return abi::array_create(count);
}

PX_EXTERN_C PX_API uint32_t PX_STDCALL pharmex_array_count(const PxVariantArray* array) noexcept {
  return abi::array_count(array);
}

PX_EXTERN_C PX_API PxVariant* PX_STDCALL pharmex_array_item(PxVariantArray* array,
                                                            uint32_t index) noexcept {
  return abi::array_item(array, index);
}
