/* pharmex: the library's entry points.
 *
 * A pharmacy-purchasing host loads the library into its own process and calls
 * one of these eight functions when the user asks to export a supplier list,
 * price list, order or waybill, or to import an order file. Each takes the
 * host's data as IDataSet interfaces (pharmex/host.h) and up to three
 * callbacks.
 *
 * Dialog entry points (supplier_export, price_export, order_export,
 * waybill_export, order_import) take a reference on each dataset, disable the
 * host window, show the library's file dialog without waiting and return at
 * once: nothing has been written or read yet. The host's message loop then
 * drives the dialog; confirming it runs the export or import, which calls
 * start, progress and finish; cancelling calls nothing. The dialog enables the
 * host window again and releases its references when it closes.
 *
 * Dialog-less entry points (price_export_to_file, waybill_export_ToPath,
 * order_import_from_file) run one export or import on the path given and
 * return when it is done.
 *
 * Paths are zero-terminated 8-bit strings in the ANSI code page: the system's
 * on Windows, Windows-1251 elsewhere.
 *
 * Errors. No entry point returns a result and no C++ exception ever leaves the
 * library. A failure that is passed on to the host (a dialog-less run that
 * failed, or a dialog that could not be prepared) is recorded for the calling
 * thread and read with pharmex_last_error(); a successful call clears it.
 * On Windows it is then raised as well, by default: a structured exception
 * PX_FAILURE_EXCEPTION, after the run's clean-up, which a host's
 * try ... except (__try/__except, a vectored handler) catches. A host that
 * checks pharmex_last_error() instead turns that off with
 * pharmex_set_failure_mode(PX_FAILURE_RECORD). Failures of a run inside a
 * shown dialog are shown to the user by the dialog, which stays open for
 * another attempt; they are neither recorded nor raised.
 *
 * Host exceptions. A host operation or callback that raises (on Windows a
 * structured exception: a Pascal exception, an access violation, a C++
 * exception) ends its run at that call, as a reported failure does
 * (pharmex/host.h): the host's own frames are unwound, the run's clean-up
 * happens and the failure's message is the Pascal exception's message, or
 * "The host failed in IDataSet.Post (exception 0xC0000005)" naming the
 * operation and the code.
 *
 * Threads. Call every entry point on the host's user-interface thread.
 */
#ifndef PHARMEX_PHARMEX_H
#define PHARMEX_PHARMEX_H

#include <stdint.h>

#include "pharmex/abi.h"
#include "pharmex/host.h"
#include "pharmex/variant.h"
#include "pharmex/version.h"

PX_EXTERN_C PX_API void PX_STDCALL supplier_export(PxWindow window, IDataSet* suppliers,
                                                   PxProgressCallback progress,
                                                   PxStartCallback start,
                                                   PxFinishCallback finish) PX_NOEXCEPT;

PX_EXTERN_C PX_API void PX_STDCALL price_export(PxWindow window, IDataSet* prices,
                                                PxProgressCallback progress, PxStartCallback start,
                                                PxFinishCallback finish) PX_NOEXCEPT;

PX_EXTERN_C PX_API void PX_STDCALL price_export_to_file(IDataSet* prices,
                                                        const char* path) PX_NOEXCEPT;

PX_EXTERN_C PX_API void PX_STDCALL order_export(PxWindow window, IDataSet* headers, IDataSet* lines,
                                                PxProgressCallback progress, PxStartCallback start,
                                                PxFinishCallback finish) PX_NOEXCEPT;

PX_EXTERN_C PX_API void PX_STDCALL waybill_export(PxWindow window, IDataSet* headers,
                                                  IDataSet* lines, PxProgressCallback progress,
                                                  PxStartCallback start,
                                                  PxFinishCallback finish) PX_NOEXCEPT;

/* `folder` is joined to the proposed file name without a separator, so pass
 * it with its trailing separator ("\" on Windows, "/" elsewhere).
 * `file_type` is the layout index 0..5. */
PX_EXTERN_C PX_API void PX_STDCALL
waybill_export_ToPath(PxWindow window, IDataSet* headers, IDataSet* lines,
                      PxProgressCallback progress, PxStartCallback start, PxFinishCallback finish,
                      const char* folder, int32_t file_type) PX_NOEXCEPT;

PX_EXTERN_C PX_API void PX_STDCALL order_import(PxWindow window, IDataSet* prices, IDataSet* second,
                                                IDataSet* lines, PxProgressCallback progress,
                                                PxStartCallback start,
                                                PxFinishCallback finish) PX_NOEXCEPT;

PX_EXTERN_C PX_API void PX_STDCALL order_import_from_file(IDataSet* prices, IDataSet* second,
                                                          IDataSet* lines,
                                                          const char* path) PX_NOEXCEPT;

/* The message of the last failure passed on to the host on this thread, as
 * UTF-8, exactly as the library raised it; "" after a successful call. The
 * text stays valid until the next entry-point call on this thread. */
PX_EXTERN_C PX_API const char* PX_STDCALL pharmex_last_error(void) PX_NOEXCEPT;

/* How a failure passed on to the host reaches it (process-wide). */
#define PX_FAILURE_RECORD 0 /* only recorded for pharmex_last_error() */
#define PX_FAILURE_RAISE 1  /* recorded, then raised as a structured exception (Windows) */

/* The exception code of a failure raised to the host ("\xE0PMX"). It is
 * continuable; its two parameters (ExceptionInformation[0] and [1]) are the
 * addresses of the message as zero-terminated UTF-8 and in the ANSI code
 * page, the texts pharmex_last_error() returns, valid until the next
 * entry-point call on the thread. A handler that continues it
 * (EXCEPTION_CONTINUE_EXECUTION) makes the call return as with
 * PX_FAILURE_RECORD. */
#define PX_FAILURE_EXCEPTION 0xE0504D58u

/* Chooses PX_FAILURE_RECORD or PX_FAILURE_RAISE; returns the previous mode,
 * or -1 (nothing changed) for another value or where the platform cannot
 * raise. The default is PX_FAILURE_RAISE on Windows, where a host whose
 * failures are exceptions expects a failed call to raise, and
 * PX_FAILURE_RECORD elsewhere, the only mode there. */
PX_EXTERN_C PX_API int32_t PX_STDCALL pharmex_set_failure_mode(int32_t mode) PX_NOEXCEPT;

/* The library's version as "major.minor.patch": PHARMEX_VERSION of the
 * pharmex/version.h it was built with. */
PX_EXTERN_C PX_API const char* PX_STDCALL pharmex_version(void) PX_NOEXCEPT;

/* Regional settings used when values become text: the decimal separator (one
 * character, UTF-8) and the short date pattern (for example "dd.MM.yyyy":
 * day d or dd, month M or MM, year yy or yyyy, once each, between blanks or
 * ASCII punctuation). By default both come from the user's regional settings
 * on Windows, from the locale (LC_ALL, LC_NUMERIC / LC_TIME, LANG) elsewhere,
 * falling back to "," and "dd.MM.yyyy". A null
 * argument keeps the current value. Returns 0, or -1 when an argument is not
 * acceptable (nothing is changed then). */
PX_EXTERN_C PX_API int32_t PX_STDCALL pharmex_set_regional_settings(
    const char* decimal_separator, const char* short_date_pattern) PX_NOEXCEPT;

#endif /* PHARMEX_PHARMEX_H */
