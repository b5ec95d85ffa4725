/* The file dialog's window, worked the way an accessibility or test tool
 * works any window. This host opens a main window of its own, calls a dialog
 * entry point and runs its own plain message loop (GetMessage, Translate,
 * Dispatch: it knows nothing of the library's window); a driver thread finds
 * the dialog by its title and class and works it with window messages only:
 * WM_SETTEXT on the boxes, CB_SETCURSEL with CBN_SELENDOK, BM_CLICK, Enter
 * and Esc posted through the message loop, WM_CLOSE and SC_CLOSE.
 *
 *   dialog_host EXAMPLES WORK            the cases (WORK: an empty folder)
 *   dialog_host EXAMPLES WORK SHOTS      opens each kind's dialog in turn,
 *                                        writes SHOTS\NAME.ready (the
 *                                        dialog's place, WxH+X+Y) and waits
 *                                        for SHOTS\NAME.png (taken by the
 *                                        test script) before closing it
 *
 * Exit status 0 when every check held. */
/* windows.h comes before commctrl.h */
/* clang-format off */
#include <windows.h>
#include <commctrl.h>
/* clang-format on */
#include <stdio.h>
#include <string.h>

#include "check.h"
#include "csv_dataset.h"
#include "pharmex/pharmex.h"
#include "stack_check.h"

enum { kPath = 1024, kWait = 15000 };

/* The dialog's class and its controls' identifiers
 * (src/platform/win32_shell_form.h). */
static const wchar_t kFormClass[] = L"PharmexShellForm";
enum {
  kOpen = IDOK,
  kCancel = IDCANCEL,
  kPlace0 = 100,
  kShowDesktop = 102,
  kFileName = 103,
  kFileTypes = 104,
  kList = 105,
  kFolderBox = 106,
  kUp = 107
};

static int failures = 0;
static HWND host = NULL;
static DWORD host_thread = 0;
static const char* examples = NULL;
static wchar_t work[kPath];
static volatile LONG starts = 0, finishes = 0, foreign_windows = 0;

static void PX_STDCALL on_progress(PxWindow window, int32_t percent) {
  (void)percent;
  if ((HWND)window != host) InterlockedIncrement(&foreign_windows);
}
static void PX_STDCALL on_start(PxWindow window) {
  if ((HWND)window != host) InterlockedIncrement(&foreign_windows);
  InterlockedIncrement(&starts);
}
static void PX_STDCALL on_finish(PxWindow window) {
  if ((HWND)window != host) InterlockedIncrement(&foreign_windows);
  InterlockedIncrement(&finishes);
}

/* The callbacks as the library gets them, through the stack checks. */
static PxProgressCallback progress = on_progress;
static PxStartCallback start = on_start;
static PxFinishCallback finish = on_finish;

static IDataSet* load(const char* name) {
  char path[kPath];
  snprintf(path, sizeof path, "%s\\%s", examples, name);
  IDataSet* data = csv_dataset_load(path);
  if (data == NULL) ExitProcess(2);
  return stack_checked_dataset(data);
}

static void in_work(const wchar_t* name, wchar_t* path) {
  _snwprintf(path, kPath, L"%ls\\%ls", work, name);
  path[kPath - 1] = 0;
}

static int exists(const wchar_t* path) {
  return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

static void write_file(const wchar_t* path) {
  HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
  DWORD written;
  WriteFile(file, "x", 1, &written, NULL);
  CloseHandle(file);
}

/* ---- the driver's side: window messages only ---- */

static HWND find_dialog(const wchar_t* title) {
  for (int waited = 0; waited < kWait; waited += 20) {
    HWND dialog = FindWindowW(kFormClass, title);
    if (dialog != NULL && IsWindowVisible(dialog)) return dialog;
    Sleep(20);
  }
  fprintf(stderr, "no dialog \"%ls\" appeared\n", title);
  ++failures;
  return NULL;
}

/* Waits until the dialog is gone (destroyed, or at least hidden). */
static int wait_closed(HWND dialog) {
  for (int waited = 0; waited < kWait; waited += 20) {
    if (!IsWindow(dialog) || !IsWindowVisible(dialog)) return 1;
    Sleep(20);
  }
  return 0;
}

/* A message box (class #32770) owned by `owner`, once it shows. */
static HWND find_box(HWND owner) {
  for (int waited = 0; waited < kWait; waited += 20) {
    HWND box = NULL;
    while ((box = FindWindowExW(NULL, box, L"#32770", NULL)) != NULL) {
      if (GetWindow(box, GW_OWNER) == owner && IsWindowVisible(box)) return box;
    }
    Sleep(20);
  }
  return NULL;
}

static BOOL CALLBACK longest_static(HWND child, LPARAM found) {
  wchar_t name[32];
  wchar_t* text = (wchar_t*)found;
  GetClassNameW(child, name, 32);
  if (_wcsicmp(name, L"Static") == 0 && GetWindowTextLengthW(child) > (int)wcslen(text)) {
    GetWindowTextW(child, text, kPath);
  }
  return TRUE;
}

/* Reads a message box's title and text, then presses its OK button. */
static void dismiss_box(HWND box, wchar_t* title, wchar_t* text) {
  title[0] = text[0] = 0;
  GetWindowTextW(box, title, kPath);
  EnumChildWindows(box, longest_static, (LPARAM)text);
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  for (int waited = 0; waited < kWait && IsWindow(box); waited += 20)
    Sleep(20);
}

static void set_text(HWND dialog, int id, const wchar_t* text) {
  SendMessageW(GetDlgItem(dialog, id), WM_SETTEXT, 0, (LPARAM)text);
}

static void get_text(HWND dialog, int id, wchar_t* text) {
  text[0] = 0;
  SendMessageW(GetDlgItem(dialog, id), WM_GETTEXT, kPath, (LPARAM)text);
}

static void click(HWND dialog, int id) {
  PostMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

/* A key pressed in a control: through the host's queue, as the keyboard's. */
static void press_key(HWND dialog, int id, WPARAM key) {
  HWND control = GetDlgItem(dialog, id);
  PostMessageW(control, WM_KEYDOWN, key, 1);
  PostMessageW(control, WM_KEYUP, key, 0xC0000001);
}

static void select_type(HWND dialog, int index) {
  HWND types = GetDlgItem(dialog, kFileTypes);
  SendMessageW(types, CB_SETCURSEL, (WPARAM)index, 0);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kFileTypes, CBN_SELENDOK), (LPARAM)types);
}

/* Lets the host's loop handle what was posted so far: a marker posted after
 * it comes out of the thread's queue after it, and the host's window signals
 * when it handles the marker. */
enum { kSettleMarker = WM_APP + 1 };
static HANDLE settled = NULL;

static void settle(void) {
  ResetEvent(settled);
  PostMessageW(host, kSettleMarker, 0, 0);
  CHECK(WaitForSingleObject(settled, kWait) == WAIT_OBJECT_0);
}

/* Opens a folder by typing it in the folder box and pressing Enter there. */
static void open_folder(HWND dialog, const wchar_t* folder) {
  wchar_t shown[kPath];
  set_text(dialog, kFolderBox, folder);
  press_key(dialog, kFolderBox, VK_RETURN);
  for (int waited = 0; waited < kWait; waited += 20) {
    settle();
    get_text(dialog, kFolderBox, shown);
    if (_wcsicmp(shown, folder) == 0) return;
  }
  fprintf(stderr, "the folder box shows \"%ls\", not \"%ls\"\n", shown, folder);
  ++failures;
}

static int list_count(HWND dialog) {
  return (int)SendMessageW(GetDlgItem(dialog, kList), LVM_GETITEMCOUNT, 0, 0);
}

static void list_item(HWND dialog, int index, wchar_t* text) {
  LVITEMW item = {0};
  item.iSubItem = 0;
  item.pszText = text;
  item.cchTextMax = kPath;
  text[0] = 0;
  SendMessageW(GetDlgItem(dialog, kList), LVM_GETITEMTEXTW, (WPARAM)index, (LPARAM)&item);
}

static int listed(HWND dialog, const wchar_t* name) {
  wchar_t text[kPath];
  for (int i = 0; i < list_count(dialog); ++i) {
    list_item(dialog, i, text);
    if (wcscmp(text, name) == 0) return i;
  }
  return -1;
}

/* ---- the host's side ---- */

typedef void (*Driver)(void);

static DWORD WINAPI drive(LPVOID driver) {
  ((Driver)driver)();
  return 0;
}

/* Runs the driver on its own thread while this thread runs the host's plain
 * message loop. */
static void run_driver(Driver driver) {
  HANDLE thread = CreateThread(NULL, 0, drive, (LPVOID)driver, 0, NULL);
  for (;;) {
    DWORD woke = MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_ALLINPUT);
    if (woke == WAIT_OBJECT_0) break;
    MSG message;
    while (PeekMessageW(&message, NULL, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  CloseHandle(thread);
}

static void reset_counts(void) {
  starts = finishes = foreign_windows = 0;
}

/* After a dialog closed: the host is enabled again and no dialog is left. */
static void check_closed(void) {
  CHECK(IsWindowEnabled(host));
  CHECK(FindWindowW(kFormClass, NULL) == NULL);
  CHECK(foreign_windows == 0);
}

static int registry_folder(const wchar_t* value, wchar_t* folder) {
  DWORD size = kPath * sizeof(wchar_t);
  folder[0] = 0;
  return RegGetValueW(HKEY_CURRENT_USER, L"Software\\kestrova", value, RRF_RT_REG_SZ, NULL, folder,
                      &size) == ERROR_SUCCESS;
}

/* The hint the dialog's tooltip holds for a control. */
static void hint_of(HWND dialog, int id, wchar_t* text) {
  HWND tips = NULL;
  text[0] = 0;
  while ((tips = FindWindowExW(NULL, tips, TOOLTIPS_CLASSW, NULL)) != NULL) {
    if (GetWindow(tips, GW_OWNER) != dialog) continue;
    TOOLINFOW tool;
    memset(&tool, 0, sizeof tool);
    tool.cbSize = sizeof tool;
    tool.hwnd = dialog;
    tool.uId = (UINT_PTR)GetDlgItem(dialog, id);
    tool.lpszText = text;
    SendMessageW(tips, TTM_GETTEXTW, kPath, (LPARAM)&tool);
    return;
  }
}

/* Confirm: folder by the folder box, a name without extension, Enter. */
static void confirm_driver(void) {
  wchar_t text[kPath];
  HWND dialog = find_dialog(L"Save As");
  if (dialog == NULL) return;
  CHECK(!IsWindowEnabled(host));
  CHECK(GetWindow(dialog, GW_OWNER) == host);
  CHECK(SendMessageW(dialog, WM_GETICON, ICON_BIG, 0) != 0); /* MAINICON */
  /* The places as the preparation captions them, Cyrillic intact. */
  get_text(dialog, kPlace0, text);
  CHECK(wcscmp(text,
               L"\x041C\x043E\x0438 \x043F\x043E\x0441\x043B\x0435\x0434\x043D\x0438\x0435 "
               L"\x0434\x043E\x043A\x0443\x043C\x0435\x043D\x0442\x044B") == 0);
  hint_of(dialog, kShowDesktop, text); /* "Показать " + btnPlace1's caption */
  CHECK(wcscmp(text,
               L"\x041F\x043E\x043A\x0430\x0437\x0430\x0442\x044C "
               L"\x0420\x0430\x0431\x043E\x0447\x0438\x0439 \x0441\x0442\x043E\x043B") == 0);
  /* btnOpen follows the name box: disabled while it holds only blanks. */
  set_text(dialog, kFileName, L"   ");
  CHECK(!IsWindowEnabled(GetDlgItem(dialog, kOpen)));
  open_folder(dialog, work);
  set_text(dialog, kFileName, L"supplier");
  press_key(dialog, kFileName, VK_RETURN);
  CHECK(wait_closed(dialog));
}

static void case_confirm(void) {
  wchar_t path[kPath], folder[kPath];
  IDataSet* suppliers = load("suppliers.csv");
  reset_counts();
  supplier_export((PxWindow)host, suppliers, progress, start, finish);
  suppliers->lpVtbl->Release(suppliers);
  run_driver(confirm_driver);
  in_work(L"supplier.dbf", path);
  CHECK(exists(path));
  CHECK(starts == 1 && finishes == 1);
  CHECK(registry_folder(L"supplier_export_path", folder) && _wcsicmp(folder, work) == 0);
  check_closed();
}

/* The file type's extension: the E-Farma type (*.SST) of the waybill dialog. */
static void file_type_driver(void) {
  HWND dialog = find_dialog(L"Save As");
  if (dialog == NULL) return;
  open_folder(dialog, work);
  select_type(dialog, 1);
  CHECK(SendMessageW(GetDlgItem(dialog, kFileTypes), CB_GETCURSEL, 0, 0) == 1);
  set_text(dialog, kFileName, L"waybill");
  click(dialog, kOpen);
  CHECK(wait_closed(dialog));
}

static void case_file_type(void) {
  wchar_t path[kPath];
  IDataSet* headers = load("waybill_headers.csv");
  IDataSet* lines = load("waybill_lines.csv");
  reset_counts();
  waybill_export((PxWindow)host, headers, lines, progress, start, finish);
  headers->lpVtbl->Release(headers);
  lines->lpVtbl->Release(lines);
  run_driver(file_type_driver);
  in_work(L"waybill.SST", path);
  CHECK(exists(path));
  CHECK(starts == 1);
  check_closed();
}

/* Cancel, Esc, the close box (WM_CLOSE and SC_CLOSE): nothing runs. */
static int dismissal = 0;

static void dismiss_driver(void) {
  HWND dialog = find_dialog(L"Save As");
  if (dialog == NULL) return;
  set_text(dialog, kFileName, L"never");
  switch (dismissal) {
    case 0:
      click(dialog, kCancel);
      break;
    case 1: {
      /* Tab moves on from the name box (the hook translates it), Esc cancels. */
      GUITHREADINFO focus;
      memset(&focus, 0, sizeof focus);
      focus.cbSize = sizeof focus;
      press_key(dialog, kFileName, VK_TAB);
      settle();
      GetGUIThreadInfo(host_thread, &focus);
      CHECK(focus.hwndFocus == GetDlgItem(dialog, kFileTypes));
      press_key(dialog, kFileTypes, VK_ESCAPE);
      break;
    }
    case 2:
      PostMessageW(dialog, WM_CLOSE, 0, 0);
      break;
    default:
      PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
      break;
  }
  CHECK(wait_closed(dialog));
}

static void case_dismiss(void) {
  wchar_t path[kPath];
  IDataSet* prices = load("price_list.csv");
  for (dismissal = 0; dismissal < 4; ++dismissal) {
    reset_counts();
    price_export((PxWindow)host, prices, progress, start, finish);
    run_driver(dismiss_driver);
    CHECK(starts == 0 && finishes == 0);
    check_closed();
  }
  prices->lpVtbl->Release(prices);
  in_work(L"never.dbf", path);
  CHECK(!exists(path));
}

/* A wildcard filters the list and keeps the dialog open; a name Windows
 * refuses gets its box, owned by the dialog and titled with its title. */
static void wildcard_driver(void) {
  wchar_t text[kPath], title[kPath];
  HWND dialog = find_dialog(L"Save As");
  if (dialog == NULL) return;
  open_folder(dialog, work);
  CHECK(listed(dialog, L"notes.txt") < 0); /* the *.dbf type shows no text file */
  set_text(dialog, kFileName, L"*.txt");
  press_key(dialog, kFileName, VK_RETURN);
  settle();
  CHECK(IsWindowVisible(dialog));
  CHECK(listed(dialog, L"notes.txt") >= 0);
  CHECK(listed(dialog, L"supplier.dbf") < 0);
  CHECK(listed(dialog, L"\x041F\x043E\x0434\x043F\x0430\x043F\x043A\x0430") ==
        0); /* folders stay */

  set_text(dialog, kFileName, L"bad|name");
  press_key(dialog, kFileName, VK_RETURN);
  HWND box = find_box(dialog);
  CHECK(box != NULL);
  if (box != NULL) {
    dismiss_box(box, title, text);
    CHECK(wcscmp(title, L"Save As") == 0);
    CHECK(wcsstr(text, L"bad|name") == text);
    CHECK(wcsstr(text, L"The above file name is invalid.") != NULL);
  }
  settle();
  CHECK(IsWindowVisible(dialog));
  press_key(dialog, kFileName, VK_ESCAPE);
  CHECK(wait_closed(dialog));
}

static void case_wildcard(void) {
  IDataSet* suppliers = load("suppliers.csv");
  reset_counts();
  supplier_export((PxWindow)host, suppliers, progress, start, finish);
  suppliers->lpVtbl->Release(suppliers);
  run_driver(wildcard_driver);
  CHECK(starts == 0 && finishes == 0);
  check_closed();
}

/* A failed run: the error box owned by the dialog, the dialog open, the host
 * disabled; a second confirm to a good path runs again and closes. */
static HANDLE held = INVALID_HANDLE_VALUE;
static LONG starts_at_failure = 0, finishes_at_failure = 0;

static void failure_driver(void) {
  wchar_t text[kPath], title[kPath];
  HWND dialog = find_dialog(L"Save As");
  if (dialog == NULL) return;
  open_folder(dialog, work);
  set_text(dialog, kFileName, L"held.dbf");
  press_key(dialog, kFileName, VK_RETURN);
  HWND box = find_box(dialog);
  CHECK(box != NULL);
  if (box == NULL) return;
  CHECK(!IsWindowEnabled(host));
  starts_at_failure = starts;
  finishes_at_failure = finishes;
  dismiss_box(box, title, text);
  CHECK(wcscmp(title, L"Error") == 0);
  CHECK(wcsstr(text, L"held.dbf") != NULL);
  settle();
  CHECK(IsWindowVisible(dialog));
  CHECK(!IsWindowEnabled(host));
  set_text(dialog, kFileName, L"after_failure");
  press_key(dialog, kFileName, VK_RETURN);
  CHECK(wait_closed(dialog));
}

static void case_failure(void) {
  wchar_t path[kPath];
  IDataSet* suppliers = load("suppliers.csv");
  in_work(L"held.dbf", path);
  write_file(path);
  held = CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0,
                     NULL);
  CHECK(held != INVALID_HANDLE_VALUE);
  reset_counts();
  supplier_export((PxWindow)host, suppliers, progress, start, finish);
  suppliers->lpVtbl->Release(suppliers);
  run_driver(failure_driver);
  CloseHandle(held);
  in_work(L"after_failure.dbf", path);
  CHECK(exists(path));
  CHECK(starts == starts_at_failure + 1);
  CHECK(finishes == finishes_at_failure + 1);
  check_closed();
}

/* Into a sub-folder (its name typed, then by a double-click) and up again. */
static void navigation_driver(void) {
  static const wchar_t kSub[] = L"\x041F\x043E\x0434\x043F\x0430\x043F\x043A\x0430"; /* Подпапка */
  wchar_t shown[kPath], expected[kPath], name[kPath];
  HWND dialog = find_dialog(L"Save As");
  if (dialog == NULL) return;
  open_folder(dialog, work);
  in_work(kSub, expected);
  set_text(dialog, kFileName, kSub);
  press_key(dialog, kFileName, VK_RETURN);
  settle();
  get_text(dialog, kFolderBox, shown);
  CHECK(_wcsicmp(shown, expected) == 0);
  get_text(dialog, kFileName, name);
  CHECK(name[0] == 0);
  CHECK(listed(dialog, L"inner.dbf") >= 0);

  click(dialog, kUp);
  settle();
  get_text(dialog, kFolderBox, shown);
  CHECK(_wcsicmp(shown, work) == 0);

  int index = listed(dialog, kSub);
  CHECK(index == 0);
  RECT item = {LVIR_LABEL, 0, 0, 0};
  HWND list = GetDlgItem(dialog, kList);
  SendMessageW(list, LVM_GETITEMRECT, (WPARAM)index, (LPARAM)&item);
  LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
  PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(list, WM_LBUTTONUP, 0, at);
  PostMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  PostMessageW(list, WM_LBUTTONUP, 0, at);
  settle();
  get_text(dialog, kFolderBox, shown);
  CHECK(_wcsicmp(shown, expected) == 0);

  /* The list grows with the window. */
  RECT before, after, frame;
  GetClientRect(list, &before);
  GetWindowRect(dialog, &frame);
  SetWindowPos(dialog, NULL, 0, 0, frame.right - frame.left + 200, frame.bottom - frame.top + 150,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  settle();
  GetClientRect(list, &after);
  CHECK(after.right - before.right == 200);
  CHECK(after.bottom - before.bottom == 150);

  click(dialog, kCancel);
  CHECK(wait_closed(dialog));
}

static void case_navigation(void) {
  IDataSet* suppliers = load("suppliers.csv");
  reset_counts();
  supplier_export((PxWindow)host, suppliers, progress, start, finish);
  suppliers->lpVtbl->Release(suppliers);
  run_driver(navigation_driver);
  CHECK(starts == 0);
  check_closed();
}

/* The import dialog opens an order file and merges it into the lines. */
static wchar_t examples_wide[kPath];

static void import_driver(void) {
  HWND dialog = find_dialog(L"Open");
  if (dialog == NULL) return;
  wchar_t caption[kPath];
  get_text(dialog, kOpen, caption);
  CHECK(wcscmp(caption, L"&Open") == 0);
  open_folder(dialog, examples_wide);
  select_type(dialog, 0);
  set_text(dialog, kFileName, L"order_dbf4.dbf");
  press_key(dialog, kFileName, VK_RETURN);
  CHECK(wait_closed(dialog));
}

static int dump_length(IDataSet* lines) {
  FILE* file = tmpfile();
  csv_dataset_dump(stack_checked_host_dataset(lines), file);
  long length = ftell(file);
  fclose(file);
  return (int)length;
}

static void case_import(void) {
  wchar_t folder[kPath];
  IDataSet* prices = load("order_prices.csv");
  IDataSet* lines = load("current_order_lines.csv");
  int before = dump_length(lines);
  MultiByteToWideChar(CP_ACP, 0, examples, -1, examples_wide, kPath);
  GetFullPathNameW(examples_wide, kPath, examples_wide, NULL);
  reset_counts();
  order_import((PxWindow)host, prices, prices, lines, progress, start, finish);
  run_driver(import_driver);
  CHECK(starts == 1 && finishes == 1);
  CHECK(dump_length(lines) > before);
  CHECK(registry_folder(L"order_import_path", folder) && _wcsicmp(folder, examples_wide) == 0);
  check_closed();
  lines->lpVtbl->Release(lines);
  prices->lpVtbl->Release(prices);
}

/* ---- screenshots ---- */

static wchar_t shots[kPath];
static const wchar_t* shot_name = NULL;
static const wchar_t* shot_title = NULL;

static void shot_driver(void) {
  wchar_t ready[kPath], png[kPath];
  HWND dialog = find_dialog(shot_title);
  if (dialog == NULL) return;
  open_folder(dialog, work);
  settle();
  _snwprintf(ready, kPath, L"%ls\\%ls.ready", shots, shot_name);
  _snwprintf(png, kPath, L"%ls\\%ls.png", shots, shot_name);
  /* The dialog's place on the screen, for the script to cut it out. */
  RECT frame;
  char place[64];
  DWORD written;
  GetWindowRect(dialog, &frame);
  int length = snprintf(place, sizeof place, "%ldx%ld+%ld+%ld\n", frame.right - frame.left,
                        frame.bottom - frame.top, frame.left, frame.top);
  HANDLE file = CreateFileW(ready, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
  WriteFile(file, place, (DWORD)length, &written, NULL);
  CloseHandle(file);
  for (int waited = 0; waited < 60000 && !exists(png); waited += 50)
    Sleep(50);
  CHECK(exists(png));
  press_key(dialog, kFileName, VK_ESCAPE);
  CHECK(wait_closed(dialog));
}

static void take_shots(void) {
  IDataSet* suppliers = load("suppliers.csv");
  IDataSet* prices = load("price_list.csv");
  IDataSet* order_headers = load("order_headers.csv");
  IDataSet* order_lines = load("order_lines.csv");
  IDataSet* waybill_headers = load("waybill_headers.csv");
  IDataSet* waybill_lines = load("waybill_lines.csv");
  IDataSet* order_prices = load("order_prices.csv");
  IDataSet* current_lines = load("current_order_lines.csv");
  shot_title = L"Save As";
  shot_name = L"supplier_export";
  supplier_export((PxWindow)host, suppliers, progress, start, finish);
  run_driver(shot_driver);
  shot_name = L"price_export";
  price_export((PxWindow)host, prices, progress, start, finish);
  run_driver(shot_driver);
  shot_name = L"order_export";
  order_export((PxWindow)host, order_headers, order_lines, progress, start, finish);
  run_driver(shot_driver);
  shot_name = L"waybill_export";
  waybill_export((PxWindow)host, waybill_headers, waybill_lines, progress, start, finish);
  run_driver(shot_driver);
  shot_title = L"Open";
  shot_name = L"order_import";
  order_import((PxWindow)host, order_prices, order_prices, current_lines, progress, start, finish);
  run_driver(shot_driver);
  IDataSet* all[] = {suppliers,       prices,        order_headers, order_lines,
                     waybill_headers, waybill_lines, order_prices,  current_lines};
  for (size_t i = 0; i < sizeof all / sizeof all[0]; ++i)
    all[i]->lpVtbl->Release(all[i]);
}

static LRESULT CALLBACK host_procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == kSettleMarker) {
    SetEvent(settled);
    return 0;
  }
  return DefWindowProcW(window, message, w, l);
}

int main(int argc, char** argv) {
  wchar_t path[kPath];
  if (argc != 3 && argc != 4) {
    fprintf(stderr, "usage: dialog_host EXAMPLES WORK [SHOTS]\n");
    return 2;
  }
  examples = argv[1];
  MultiByteToWideChar(CP_ACP, 0, argv[2], -1, work, kPath);
  GetFullPathNameW(work, kPath, work, NULL);
  host_thread = GetCurrentThreadId();
  settled = CreateEventW(NULL, TRUE, FALSE, NULL);
  stack_checked_callbacks(&progress, &start, &finish);
  /* Failures are read from pharmex_last_error(), not raised. */
  pharmex_set_failure_mode(PX_FAILURE_RECORD);

  WNDCLASSW host_class = {0};
  host_class.lpfnWndProc = host_procedure;
  host_class.hInstance = GetModuleHandleW(NULL);
  host_class.hbrBackground = (HBRUSH)(COLOR_APPWORKSPACE + 1);
  host_class.lpszClassName = L"PharmexTestHost";
  RegisterClassW(&host_class);
  host = CreateWindowW(L"PharmexTestHost", L"\x0410\x043F\x0442\x0435\x043A\x0430", /* Аптека */
                       WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 900, 640, NULL, NULL,
                       GetModuleHandleW(NULL), NULL);
  if (host == NULL) return 2;

  /* The host's key, so that the dialogs remember their folders. */
  HKEY key;
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\kestrova");
  RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\kestrova", 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key,
                  NULL);
  RegCloseKey(key);

  /* WORK: a sub-folder with a Cyrillic name, a text file, a table. */
  in_work(L"\x041F\x043E\x0434\x043F\x0430\x043F\x043A\x0430", path);
  CreateDirectoryW(path, NULL);
  wcscat(path, L"\\inner.dbf");
  write_file(path);
  in_work(L"notes.txt", path);
  write_file(path);

  if (argc == 4) {
    /* What a pharmacist's folder holds. */
    static const wchar_t* const kTables[] = {L"order_A-17.dbf", L"price_2026-12.dbf",
                                             L"suppliers.dbf"};
    for (size_t i = 0; i < sizeof kTables / sizeof kTables[0]; ++i) {
      in_work(kTables[i], path);
      write_file(path);
    }
    MultiByteToWideChar(CP_ACP, 0, argv[3], -1, shots, kPath);
    take_shots();
  } else {
    case_confirm();
    case_file_type();
    case_dismiss();
    case_wildcard();
    case_failure();
    case_navigation();
    case_import();
  }
  DestroyWindow(host);
  CHECK(stack_check_mismatches() == 0);
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\kestrova");
  RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\kestrova");
  if (failures != 0) fprintf(stderr, "%d check(s) failed\n", failures);
  return failures == 0 ? 0 : 1;
}
