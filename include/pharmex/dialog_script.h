/* pharmex: answering the library's file dialog from a program.
 *
 * The dialog entry points show the library's file dialog: on Windows a real
 * window, elsewhere the library's headless toolkit (a working dialog without
 * a window). A host that drives the library from a script (or a test)
 * answers it with these functions after the entry point returned, on the
 * same thread, as a user would: pick a file type, type a name, press Enter,
 * or press Esc. On Windows they work the dialog's window itself; while they
 * do, its message boxes (an invalid name, a failed run) are not shown but
 * answered at once, their text becoming the last error as described below.
 */
#ifndef PHARMEX_DIALOG_SCRIPT_H
#define PHARMEX_DIALOG_SCRIPT_H

#include <stdint.h>

#include "pharmex/abi.h"

/* Answers the dialog shown last: selects entry `file_type` of its file-type
 * list (a negative number keeps the selection), types `path` (ANSI; a full
 * path opens its folder first, a bare name is taken in the folder shown) and
 * presses Enter.
 *   0   the dialog ran its export or import and closed;
 *   1   the run failed: the dialog stays open, pharmex_last_error() holds
 *       the message of its error box;
 *   2   the dialog refused the name and stays open (a mask that filtered
 *       the folder view, or a name it reported: the message is then in
 *       pharmex_last_error());
 *  -1   no dialog is open (or a file type outside the list was asked for:
 *       pharmex_last_error() says so). */
PX_EXTERN_C PX_API int32_t PX_STDCALL pharmex_dialog_answer(const char* path,
                                                            int32_t file_type) PX_NOEXCEPT;

/* Presses Esc in the dialog shown last, which closes it without running
 * anything. 0, or -1 when no dialog is open. */
PX_EXTERN_C PX_API int32_t PX_STDCALL pharmex_dialog_cancel(void) PX_NOEXCEPT;

#endif /* PHARMEX_DIALOG_SCRIPT_H */
