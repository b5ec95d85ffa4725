/* What only a Windows host sees of the library, checked from a host written
 * in C against pharmex.dll:
 *   - the remembered folder is a REG_SZ under HKCU\Software\kestrova that
 *     the host reads back, a Cyrillic folder given as an ANSI path;
 *   - a value of another type fails the dialog's preparation, a missing key
 *     fails nothing and is not created;
 *   - a read-only target and a table another program holds exclusively are
 *     refused with the engine's messages;
 *   - a second process holding the append lock of the table being written
 *     (under its temporary name, beside the target) makes the export wait
 *     and then fail with "Can not Lock file %s" naming the target, which is
 *     not there afterwards;
 *   - the DLL carries its icon MAINICON and its version.
 *
 *   windows_host EXAMPLES WORK      (an empty folder)
 *   windows_host hold-lock FILE     (the second process) */
#include <ole2.h>
#include <stdio.h>
#include <string.h>
#include <winver.h>

#include "check.h"
#include "csv_dataset.h"
#include "pharmex/dialog_script.h"
#include "pharmex/pharmex.h"
#include "stack_check.h"

enum { kPath = 1024 };

static int failures = 0;
static const wchar_t kKey[] = L"Software\\kestrova";
static const wchar_t kLockHeld[] = L"pharmex-test-append-lock-held";
static const wchar_t kLockRelease[] = L"pharmex-test-append-lock-release";

/* The library's last error against an expected ANSI text (it reports UTF-8). */
static int last_error_is(const char* ansi) {
  wchar_t wide[kPath];
  char utf8[kPath * 3];
  int n = MultiByteToWideChar(CP_ACP, 0, ansi, -1, wide, kPath);
  WideCharToMultiByte(CP_UTF8, 0, wide, n, utf8, (int)sizeof utf8, NULL, NULL);
  if (strcmp(pharmex_last_error(), utf8) == 0) return 1;
  fprintf(stderr, "last error \"%s\", expected \"%s\"\n", pharmex_last_error(), utf8);
  return 0;
}

static IDataSet* load(const char* examples, const char* name) {
  char path[kPath];
  snprintf(path, sizeof path, "%s\\%s", examples, name);
  IDataSet* data = csv_dataset_load(path);
  if (data == NULL) ExitProcess(2);
  return stack_checked_dataset(data);
}

static void remove_key(void) {
  RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
  RegDeleteKeyW(HKEY_CURRENT_USER, kKey);
}

static HKEY create_key(void) {
  HKEY key = NULL;
  RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL);
  return key;
}

static int key_exists(void) {
  HKEY key = NULL;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
  RegCloseKey(key);
  return 1;
}

/* The remembered folder, written by the library, read back as the host does. */
static void remembered_folder_is_read_back(const char* examples, const wchar_t* work) {
  wchar_t folder[kPath];
  char ansi_folder[kPath];
  char ansi_path[kPath];
  wchar_t stored[kPath];
  DWORD size = sizeof stored;
  DWORD type = 0;
  swprintf(folder, kPath, L"%ls\\Выгрузка", work);
  CHECK(CreateDirectoryW(folder, NULL));
  WideCharToMultiByte(CP_ACP, 0, folder, -1, ansi_folder, kPath, NULL, NULL);
  snprintf(ansi_path, sizeof ansi_path, "%s\\supplier", ansi_folder);

  HKEY key = create_key();
  RegCloseKey(key);
  IDataSet* suppliers = load(examples, "suppliers.csv");
  supplier_export(0, suppliers, NULL, NULL, NULL);
  CHECK(pharmex_last_error()[0] == 0);
  CHECK(pharmex_dialog_answer(ansi_path, 0) == 0);
  suppliers->lpVtbl->Release(suppliers);

  CHECK(RegGetValueW(HKEY_CURRENT_USER, kKey, L"supplier_export_path", RRF_RT_ANY, &type, stored,
                     &size) == ERROR_SUCCESS);
  CHECK(type == REG_SZ);
  CHECK(wcscmp(stored, folder) == 0);
  wcscat(folder, L"\\supplier.dbf");
  CHECK(GetFileAttributesW(folder) != INVALID_FILE_ATTRIBUTES);
}

static void value_of_another_type_fails_the_dialog(const char* examples) {
  HKEY key = create_key();
  DWORD number = 7;
  RegSetValueExW(key, L"supplier_export_path", 0, REG_DWORD, (const BYTE*)&number, sizeof number);
  RegCloseKey(key);
  IDataSet* suppliers = load(examples, "suppliers.csv");
  supplier_export(0, suppliers, NULL, NULL, NULL);
  CHECK(last_error_is("Invalid data type for 'supplier_export_path'"));
  CHECK(pharmex_dialog_answer("x", 0) == -1); /* no dialog was left open */
  suppliers->lpVtbl->Release(suppliers);
  remove_key();
}

static void missing_key_fails_nothing(const char* examples, const char* work) {
  char path[kPath];
  remove_key();
  IDataSet* prices = load(examples, "price_list.csv");
  snprintf(path, sizeof path, "%s\\prices.dbf", work);
  price_export_to_file(prices, path);
  CHECK(pharmex_last_error()[0] == 0);
  CHECK(GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES);
  CHECK(!key_exists()); /* opened, never created */
  prices->lpVtbl->Release(prices);
}

/* A file Windows keeps from being written: read-only, where the system
 * enforces it (Wine run by root does not), else one another program has open
 * without letting others write. */
static HANDLE protect(const char* path) {
  HANDLE file =
      CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_READONLY, NULL);
  CloseHandle(file);
  file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                     0, NULL);
  if (file == INVALID_HANDLE_VALUE) return NULL; /* read-only as it should be */
  CloseHandle(file);
  printf("read-only files are writable here: a file in use stands in for one\n");
  return CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
}

static void refused_targets(const char* examples, const char* work) {
  char path[kPath];
  char message[kPath];
  char folder[kPath];
  IDataSet* prices = load(examples, "price_list.csv");
  snprintf(path, sizeof path, "%s\\read-only.dbf", work);
  HANDLE user = protect(path);
  price_export_to_file(prices, path);
  snprintf(message, sizeof message, "Could not create file %s", path);
  CHECK(last_error_is(message));
  if (user != NULL) CloseHandle(user);
  prices->lpVtbl->Release(prices);

  /* A text layout's target that may not be replaced. */
  IDataSet* headers = load(examples, "waybill_headers.csv");
  IDataSet* lines = load(examples, "waybill_lines.csv");
  snprintf(folder, sizeof folder, "%s\\text\\", work);
  CreateDirectoryA(folder, NULL);
  snprintf(path, sizeof path, "%swaybill_4817.SST", folder);
  user = protect(path);
  waybill_export_ToPath(0, headers, lines, NULL, NULL, NULL, folder, 1);
  snprintf(message, sizeof message, "Cannot create file %s", path);
  CHECK(last_error_is(message));
  if (user != NULL) CloseHandle(user);
  headers->lpVtbl->Release(headers);
  lines->lpVtbl->Release(lines);

  /* An order file another program holds open exclusively. */
  IDataSet* order_prices = load(examples, "order_prices.csv");
  IDataSet* order_lines = load(examples, "current_order_lines.csv");
  snprintf(path, sizeof path, "%s\\order_dbf4.dbf", examples);
  HANDLE file = CreateFileA(path, GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
  CHECK(file != INVALID_HANDLE_VALUE);
  order_import_from_file(order_prices, order_prices, order_lines, path);
  snprintf(message, sizeof message, "Access denied to file %s", path);
  CHECK(last_error_is(message));
  CloseHandle(file);
  order_prices->lpVtbl->Release(order_prices);
  order_lines->lpVtbl->Release(order_lines);
}

/* ---- a second process holding the append lock */

static char locked_folder[kPath];
static char locked_table[kPath];
static HANDLE holder = NULL;
static HANDLE held = NULL;
static HANDLE release = NULL;

/* At the first progress report a record is in the table, which the export
 * writes aside until it is whole: another process finds it there and takes
 * the append lock now, before the second. */
static void PX_STDCALL take_lock_elsewhere(PxWindow window, int32_t percent) {
  wchar_t self[kPath];
  wchar_t command[kPath * 2];
  wchar_t table[kPath];
  char pattern[kPath];
  char written[kPath];
  WIN32_FIND_DATAA found;
  HANDLE search;
  STARTUPINFOW startup;
  PROCESS_INFORMATION process;
  (void)window;
  (void)percent;
  if (holder != NULL) return;
  snprintf(pattern, sizeof pattern, "%s.~pharmex-*.table", locked_folder);
  search = FindFirstFileA(pattern, &found);
  if (search == INVALID_HANDLE_VALUE) {
    fprintf(stderr, "no table is being written in %s\n", locked_folder);
    return;
  }
  FindClose(search);
  snprintf(written, sizeof written, "%s%s", locked_folder, found.cFileName);
  GetModuleFileNameW(NULL, self, kPath);
  MultiByteToWideChar(CP_ACP, 0, written, -1, table, kPath);
  swprintf(command, kPath * 2, L"\"%ls\" hold-lock \"%ls\"", self, table);
  memset(&startup, 0, sizeof startup);
  startup.cb = sizeof startup;
  if (!CreateProcessW(NULL, command, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process)) {
    fprintf(stderr, "cannot start the second process\n");
    return;
  }
  CloseHandle(process.hThread);
  holder = process.hProcess;
  if (WaitForSingleObject(held, 60000) != WAIT_OBJECT_0) fprintf(stderr, "no lock was taken\n");
}

static void append_lock_held_elsewhere_fails_the_export(const char* examples, const char* work) {
  char folder[kPath];
  char message[kPath];
  held = CreateEventW(NULL, TRUE, FALSE, kLockHeld);
  release = CreateEventW(NULL, TRUE, FALSE, kLockRelease);
  snprintf(folder, sizeof folder, "%s\\locked\\", work);
  CreateDirectoryA(folder, NULL);
  snprintf(locked_folder, sizeof locked_folder, "%s", folder);
  snprintf(locked_table, sizeof locked_table, "%swaybill_4817.dbf", folder);
  IDataSet* headers = load(examples, "waybill_headers.csv");
  IDataSet* lines = load(examples, "waybill_lines.csv");
  PxProgressCallback progress = take_lock_elsewhere;
  stack_checked_callbacks(&progress, NULL, NULL);
  waybill_export_ToPath(0, headers, lines, progress, NULL, NULL, folder, 0);
  snprintf(message, sizeof message, "Can not Lock file %s", locked_table);
  CHECK(holder != NULL);
  CHECK(last_error_is(message));
  CHECK(GetFileAttributesA(locked_table) == INVALID_FILE_ATTRIBUTES);
  SetEvent(release);
  if (holder != NULL) {
    DWORD code = 1;
    WaitForSingleObject(holder, 60000);
    GetExitCodeProcess(holder, &code);
    CHECK(code == 0);
    CloseHandle(holder);
  }
  headers->lpVtbl->Release(headers);
  lines->lpVtbl->Release(lines);
  CloseHandle(held);
  CloseHandle(release);
}

/* The second process: the append lock of the default protocol, held until
 * the first process lets go. */
static int hold_lock(const char* table) {
  HANDLE locked = CreateEventW(NULL, TRUE, FALSE, kLockHeld);
  HANDLE done = CreateEventW(NULL, TRUE, FALSE, kLockRelease);
  HANDLE file = CreateFileA(table, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            NULL, OPEN_EXISTING, 0, NULL);
  OVERLAPPED at;
  memset(&at, 0, sizeof at);
  at.Offset = 0x7FFFFFFE;
  if (file == INVALID_HANDLE_VALUE ||
      !LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
    fprintf(stderr, "hold-lock: cannot lock %s\n", table);
    return 1;
  }
  SetEvent(locked);
  WaitForSingleObject(done, 120000);
  UnlockFileEx(file, 0, 1, 0, &at);
  CloseHandle(file);
  return 0;
}

/* ---- resources */

static void resources_are_there(void) {
  wchar_t dll[kPath];
  HMODULE module = GetModuleHandleW(L"pharmex.dll");
  CHECK(module != NULL);
  if (module == NULL) return;
  CHECK(FindResourceW(module, L"MAINICON", (LPCWSTR)RT_GROUP_ICON) != NULL);
  GetModuleFileNameW(module, dll, kPath);
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeW(dll, &ignored);
  CHECK(size > 0);
  if (size == 0) return;
  BYTE* info = (BYTE*)malloc(size);
  wchar_t* text = NULL;
  UINT length = 0;
  char version[64];
  CHECK(GetFileVersionInfoW(dll, 0, size, info));
  CHECK(
      VerQueryValueW(info, L"\\StringFileInfo\\040904B0\\ProductVersion", (void**)&text, &length));
  if (text != NULL) {
    WideCharToMultiByte(CP_UTF8, 0, text, -1, version, sizeof version, NULL, NULL);
    CHECK(strcmp(version, pharmex_version()) == 0);
  }
  VS_FIXEDFILEINFO* fixed = NULL;
  CHECK(VerQueryValueW(info, L"\\", (void**)&fixed, &length));
  if (fixed != NULL) {
    snprintf(version, sizeof version, "%u.%u.%u", (unsigned)HIWORD(fixed->dwFileVersionMS),
             (unsigned)LOWORD(fixed->dwFileVersionMS), (unsigned)HIWORD(fixed->dwFileVersionLS));
    CHECK(strcmp(version, pharmex_version()) == 0);
  }
  free(info);
}

int main(int argc, char** argv) {
  wchar_t work[kPath];
  if (argc == 3 && strcmp(argv[1], "hold-lock") == 0) return hold_lock(argv[2]);
  if (argc != 3) {
    fprintf(stderr, "usage: windows_host EXAMPLES WORK\n");
    return 2;
  }
  char examples[kPath];
  char work_ansi[kPath];
  /* Full paths with the system's separators, as the library writes them. */
  GetFullPathNameA(argv[1], kPath, examples, NULL);
  GetFullPathNameA(argv[2], kPath, work_ansi, NULL);
  MultiByteToWideChar(CP_ACP, 0, work_ansi, -1, work, kPath);
  if (GetFileAttributesW(work) == INVALID_FILE_ATTRIBUTES) {
    fprintf(stderr, "no folder %s\n", work_ansi);
    return 2;
  }
  if (pharmex_set_regional_settings(",", "dd.MM.yyyy") != 0) ++failures;
  /* The checks read failures from pharmex_last_error(), not raised. */
  if (pharmex_set_failure_mode(PX_FAILURE_RECORD) != PX_FAILURE_RAISE) ++failures;

  remembered_folder_is_read_back(examples, work);
  value_of_another_type_fails_the_dialog(examples);
  missing_key_fails_nothing(examples, work_ansi);
  refused_targets(examples, work_ansi);
  append_lock_held_elsewhere_fails_the_export(examples, work_ansi);
  resources_are_there();
  remove_key();

  if (csv_live_objects() != 0) {
    fprintf(stderr, "%d host objects were not released\n", csv_live_objects());
    ++failures;
  }
  CHECK(stack_check_mismatches() == 0);
  if (failures == 0) printf("windows host: all checks passed\n");
  return failures == 0 ? 0 : 1;
}
