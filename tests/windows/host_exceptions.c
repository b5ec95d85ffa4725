/* Structured exceptions across the boundary, from a host written in C
 * against pharmex.dll:
 *   - a host that raises at each of its calls in turn (every IDataSet and
 *     IField operation and every callback) of one export with a memo and of
 *     one import, both through their dialog: an access violation, a Delphi
 *     exception object made by hand with its message, a C++ exception of
 *     another compiler. Each run ends with its message in the dialog, the
 *     dialog stays open with the host window disabled until it is
 *     cancelled, every start has its finish, every reference the library
 *     took is given back and the table and memo can be deleted; the run
 *     after it starts afresh, and the last one succeeds;
 *   - the message of Pascal exception objects in their other forms (Free
 *     Pascal's 8-bit and UTF-8 strings, an older Delphi's, a damaged
 *     object), raised from a dialog-less import;
 *   - a failed dialog-less run raises PX_FAILURE_EXCEPTION by default, its
 *     message in both forms among its parameters, continuable: a vectored
 *     handler reads it and continues, and the call returns; so does a
 *     dialog that cannot be prepared; with raising off nothing is raised
 *     and pharmex_last_error() has the message.
 *
 *   host_exceptions EXAMPLES WORK      (an empty folder) */
#include <ole2.h>
#include <stdio.h>
#include <string.h>

#include "check.h"
#include "csv_dataset.h"
#include "pharmex/dialog_script.h"
#include "pharmex/pharmex.h"
#include "stack_check.h"

enum { kPath = 1024 };

static int failures = 0;

static void utf8_of_wide(const wchar_t* wide, char* utf8, int size) {
  WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8, size, NULL, NULL);
}

/* The library's last error against an expected UTF-8 text. */
static int last_error_is(const char* utf8) {
  if (strcmp(pharmex_last_error(), utf8) == 0) return 1;
  fprintf(stderr, "last error \"%s\", expected \"%s\"\n", pharmex_last_error(), utf8);
  return 0;
}

/* ---- exceptions of the host's runtimes, made by hand */

/* A string of a Pascal runtime: `header` bytes in front of the text (code
 * page, unit size, padding, reference count, length, as the runtime lays
 * them out), the text and its zero unit. */
typedef struct PascalString {
  unsigned char bytes[512];
  size_t header;
} PascalString;

static const unsigned char* pascal_text(const PascalString* s) {
  return s->bytes + s->header;
}

/* Delphi 2009 and later: UTF-16, the header ending 12 bytes before the text
 * (code page 1200, unit size 2, reference count, 32-bit length). */
static void delphi_string(PascalString* s, const wchar_t* text) {
  const uint32_t length = (uint32_t)wcslen(text);
  const uint16_t code_page = 1200;
  const uint16_t unit = 2;
  const int32_t references = -1;
  memset(s, 0, sizeof *s);
  s->header = sizeof(void*) == 8 ? 16 : 12;
  memcpy(s->bytes + s->header - 12, &code_page, 2);
  memcpy(s->bytes + s->header - 10, &unit, 2);
  memcpy(s->bytes + s->header - 8, &references, 4);
  memcpy(s->bytes + s->header - 4, &length, 4);
  memcpy(s->bytes + s->header, text, (length + 1) * 2);
}

/* An older Delphi's string: reference count and length, then 8-bit text in
 * the system's ANSI page; the allocator's size in front. */
static void old_delphi_string(PascalString* s, const char* ansi) {
  const uint32_t length = (uint32_t)strlen(ansi);
  const uint32_t block = 40;
  const int32_t references = 1;
  memset(s, 0, sizeof *s);
  s->header = 12;
  memcpy(s->bytes, &block, 4);
  memcpy(s->bytes + 4, &references, 4);
  memcpy(s->bytes + 8, &length, 4);
  memcpy(s->bytes + s->header, ansi, length + 1);
}

/* Free Pascal's: code page, unit size 1, padding to a pointer's size, then
 * reference count and length, pointer-sized (as Free Pascal 3.2 lays them
 * out on both Windows). */
static void free_pascal_string(PascalString* s, uint16_t code_page, const char* bytes) {
  const intptr_t length = (intptr_t)strlen(bytes);
  const uint16_t unit = 1;
  const intptr_t references = -1;
  memset(s, 0, sizeof *s);
  s->header = 3 * sizeof(void*);
  memcpy(s->bytes, &code_page, 2);
  memcpy(s->bytes + 2, &unit, 2);
  memcpy(s->bytes + sizeof(void*), &references, sizeof references);
  memcpy(s->bytes + 2 * sizeof(void*), &length, sizeof length);
  memcpy(s->bytes + s->header, bytes, (size_t)length + 1);
}

/* An exception object: its class, then Exception's message field. */
typedef struct PascalObject {
  const void* class_pointer;
  const unsigned char* message;
} PascalObject;

static const int kClass = 0;

/* Raises a Pascal runtime's exception with the object in parameter 1. */
static void raise_pascal(DWORD code, DWORD count, const void* object) {
  ULONG_PTR parameters[7] = {(ULONG_PTR)&raise_pascal, (ULONG_PTR)object, 0, 0, 0, 0, 0};
  RaiseException(code, EXCEPTION_NONCONTINUABLE, count, parameters);
}

#define kDelphiCode 0x0EEDFADEu
#define kFreePascalCode 0xE0465043u
static const DWORD kMsvcCode = 0xE06D7363;

/* ---- a host that raises at its n-th call */

typedef enum Raising { kAccessViolation, kDelphiObject, kForeignCxx, kKinds } Raising;

static const char* const kKindNames[] = {"an access violation", "a Delphi exception object",
                                         "a foreign C++ exception"};

static int raise_at = 0; /* the call that raises; 0: none */
static int calls = 0;    /* host calls of this run so far */
static Raising kind = kAccessViolation;
static char raised_in[64]; /* the operation that raised */
static int starts = 0;
static int finishes = 0;

/* The Delphi message of a call: "Отказ в <operation>". */
static void delphi_message(const char* operation, wchar_t* wide, size_t size) {
  swprintf(wide, size, L"Отказ в %hs", operation);
}

/* An address no program may write (hidden from the compiler). */
static volatile int* volatile nowhere = NULL;

static void host_call(const char* operation) {
  if (++calls != raise_at) return;
  snprintf(raised_in, sizeof raised_in, "%s", operation);
  if (kind == kAccessViolation) {
    *nowhere = 1;
  } else if (kind == kDelphiObject) {
    static PascalString text;
    static PascalObject object;
    wchar_t wide[128];
    delphi_message(operation, wide, 128);
    delphi_string(&text, wide);
    object.class_pointer = &kClass;
    object.message = pascal_text(&text);
    raise_pascal(kDelphiCode, 7, &object);
  } else {
    /* As Microsoft's C++ runtime throws: magic number, object, type info. */
    static int thrown = 42;
    ULONG_PTR parameters[3] = {0x19930520, (ULONG_PTR)&thrown, 0};
    RaiseException(kMsvcCode, EXCEPTION_NONCONTINUABLE, 3, parameters);
  }
}

static void PX_STDCALL on_progress(PxWindow window, int32_t percent) {
  (void)window;
  (void)percent;
  host_call("the progress callback");
}

static void PX_STDCALL on_start(PxWindow window) {
  (void)window;
  ++starts;
  host_call("the start callback");
}

static void PX_STDCALL on_finish(PxWindow window) {
  (void)window;
  ++finishes;
  host_call("the finish callback");
}

static PxProgressCallback progress = on_progress;
static PxStartCallback start = on_start;
static PxFinishCallback finish = on_finish;

/* The message the library gives a run that raised where raised_in says. */
static int message_is_right(void) {
  char expected[256];
  if (kind == kDelphiObject) {
    wchar_t wide[128];
    delphi_message(raised_in, wide, 128);
    utf8_of_wide(wide, expected, sizeof expected);
    return last_error_is(expected);
  }
  DWORD code = kind == kForeignCxx ? kMsvcCode : EXCEPTION_ACCESS_VIOLATION;
  snprintf(expected, sizeof expected, "The host failed in %s (exception 0x%08lX)", raised_in,
           (unsigned long)code);
#if defined(__i386__)
  /* qemu's user-mode emulator hands Wine a fault in 32-bit code as an
   * unexpected trap, which Wine dispatches as an illegal instruction. */
  if (kind == kAccessViolation && strstr(pharmex_last_error(), "0xC000001D") != NULL) {
    snprintf(expected, sizeof expected, "The host failed in %s (exception 0xC000001D)", raised_in);
  }
#endif
  return last_error_is(expected);
}

static IDataSet* load(const char* path) {
  IDataSet* data = csv_dataset_load(path);
  if (data == NULL) ExitProcess(2);
  return stack_checked_dataset(data);
}

/* Whether nothing holds a file the run used (or it is not there): a
 * program may open it without sharing, and so delete it. */
static int not_held(const char* path) {
  HANDLE file =
      CreateFileA(path, GENERIC_READ | GENERIC_WRITE | DELETE, 0, NULL, OPEN_EXISTING, 0, NULL);
  if (file == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
  CloseHandle(file);
  return 1;
}

typedef struct Sweep {
  const char* what;
  HWND window;
  /* Opens the dialog of the run (datasets from run_data). */
  void (*open)(HWND window, IDataSet** data);
  const char* dialog_path;
  int file_type;
  int datasets; /* how many of data[] the run uses */
  const char* const* sources;
  const char* table; /* the table the run writes or reads, and its memo */
  const char* memo;
} Sweep;

/* One run raising at call `n`; 1 when the host raised. */
static int run_raising_at(const Sweep* sweep, int n) {
  IDataSet* data[3] = {NULL, NULL, NULL};
  for (int i = 0; i < sweep->datasets; ++i)
    data[i] = load(sweep->sources[i]);
  const int live_before = csv_live_objects();
  raise_at = n;
  calls = 0;
  starts = 0;
  finishes = 0;
  kind = (Raising)(n % kKinds);
  raised_in[0] = 0;
  sweep->open(sweep->window, data);
  int outcome = -1;
  if (pharmex_last_error()[0] == 0) {
    outcome = pharmex_dialog_answer(sweep->dialog_path, sweep->file_type);
  }
  const int raised = calls >= n;
  if (raised) {
    fprintf(stderr, "%s: %s in %s (call %d)\n", sweep->what, kKindNames[kind], raised_in, n);
    CHECK(message_is_right());
    if (outcome == 1) {
      /* The dialog stays open over the disabled host window. */
      CHECK(!IsWindowEnabled(sweep->window));
      CHECK(pharmex_dialog_cancel() == 0);
    }
  } else {
    CHECK(outcome == 0);
    CHECK(last_error_is(""));
  }
  raise_at = 0;
  CHECK(IsWindowEnabled(sweep->window));
  CHECK(starts <= 1);
  /* Every start has its finish, unless the start itself raised. */
  CHECK(finishes == starts - (strcmp(raised_in, "the start callback") == 0));
  CHECK(csv_live_objects() == live_before);
  CHECK(not_held(sweep->table));
  CHECK(sweep->memo == NULL || not_held(sweep->memo));
  for (int i = 0; i < sweep->datasets; ++i)
    data[i]->lpVtbl->Release(data[i]);
  return raised;
}

static void sweep_every_call(const Sweep* sweep) {
  int n = 1;
  while (run_raising_at(sweep, n))
    ++n;
  printf("%s: raised at each of %d host calls\n", sweep->what, n - 1);
  CHECK(n > 20);
}

static void open_supplier_export(HWND window, IDataSet** data) {
  supplier_export((PxWindow)window, data[0], progress, start, finish);
}

static void open_order_import(HWND window, IDataSet** data) {
  order_import((PxWindow)window, data[0], data[0], data[1], progress, start, finish);
}

/* Suppliers whose names are long enough to become a memo. */
static void write_suppliers(const char* path) {
  FILE* file = fopen(path, "wb");
  if (file == NULL) ExitProcess(2);
  fprintf(file, "id:integer,name:string(300)\n");
  for (int row = 1; row <= 3; ++row) {
    fprintf(file, "%d,", row);
    for (int i = 0; i < 40; ++i)
      fprintf(file, "Аптека %d ", row);
    fprintf(file, "\n");
  }
  fclose(file);
}

static void raising_hosts(const char* examples, const char* work, HWND window) {
  char suppliers[kPath];
  char table[kPath];
  char memo[kPath];
  char prices[kPath];
  char lines[kPath];
  char order[kPath];
  char copy[kPath];
  snprintf(suppliers, kPath, "%s\\long_suppliers.csv", work);
  write_suppliers(suppliers);
  snprintf(table, kPath, "%s\\suppliers.dbf", work);
  snprintf(memo, kPath, "%s\\suppliers.dbt", work);
  const char* const export_sources[] = {suppliers};
  const Sweep export_sweep = {
      "supplier_export", window, open_supplier_export, table, 0, 1, export_sources, table, memo};
  sweep_every_call(&export_sweep);

  snprintf(prices, kPath, "%s\\order_prices.csv", examples);
  snprintf(lines, kPath, "%s\\current_order_lines.csv", examples);
  snprintf(order, kPath, "%s\\order_dbf4.dbf", examples);
  snprintf(copy, kPath, "%s\\order.dbf", work);
  CHECK(CopyFileA(order, copy, FALSE));
  const char* const import_sources[] = {prices, lines};
  const Sweep import_sweep = {"order_import", window, open_order_import, copy, 0, 2, import_sources,
                              copy,           NULL};
  sweep_every_call(&import_sweep);
}

/* ---- a failure passed on to the host */

static int failures_raised = 0;
static DWORD failure_flags = 0;
static DWORD failure_parameters = 0;
static char failure_utf8[kPath];
static char failure_ansi[kPath];

/* The host's vectored handler: reads the library's failure and continues. */
static LONG CALLBACK catch_failure(EXCEPTION_POINTERS* info) {
  const EXCEPTION_RECORD* record = info->ExceptionRecord;
  if (record->ExceptionCode != PX_FAILURE_EXCEPTION) return EXCEPTION_CONTINUE_SEARCH;
  ++failures_raised;
  failure_flags = record->ExceptionFlags;
  failure_parameters = record->NumberParameters;
  snprintf(failure_utf8, kPath, "%s", (const char*)record->ExceptionInformation[0]);
  snprintf(failure_ansi, kPath, "%s", (const char*)record->ExceptionInformation[1]);
  return EXCEPTION_CONTINUE_EXECUTION;
}

/* The UTF-8 form of an ANSI text. */
static void utf8_of_ansi(const char* ansi, char* utf8) {
  wchar_t wide[kPath];
  MultiByteToWideChar(CP_ACP, 0, ansi, -1, wide, kPath);
  utf8_of_wide(wide, utf8, kPath);
}

/* A failed run raised once, its parameters the recorded message. */
static void raised_once(const char* expected_utf8) {
  char from_ansi[kPath];
  CHECK(failures_raised == 1);
  CHECK(failure_flags == 0); /* continuable */
  CHECK(failure_parameters == 2);
  CHECK(strcmp(failure_utf8, expected_utf8) == 0);
  utf8_of_ansi(failure_ansi, from_ansi);
  CHECK(strcmp(from_ansi, expected_utf8) == 0);
  CHECK(last_error_is(expected_utf8));
  failures_raised = 0;
}

static void the_failure_is_passed_on(const char* examples, const char* work) {
  char path[kPath];
  char message[kPath];
  char expected[kPath];
  snprintf(path, kPath, "%s\\price_list.csv", examples);
  IDataSet* prices = load(path);
  PVOID handler = AddVectoredExceptionHandler(1, catch_failure);

  /* Raising is the default. */
  CHECK(pharmex_set_failure_mode(PX_FAILURE_RAISE) == PX_FAILURE_RAISE);
  snprintf(path, kPath, "%s\\no such folder\\prices.dbf", work);
  price_export_to_file(prices, path);
  snprintf(message, kPath, "Could not create file %s", path);
  utf8_of_ansi(message, expected);
  raised_once(expected);

  /* A success raises nothing. */
  snprintf(path, kPath, "%s\\prices.dbf", work);
  price_export_to_file(prices, path);
  CHECK(failures_raised == 0);
  CHECK(last_error_is(""));

  /* A dialog that cannot be prepared raises too. */
  HKEY key = NULL;
  DWORD number = 7;
  RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\kestrova", 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key,
                  NULL);
  RegSetValueExW(key, L"price_export_path", 0, REG_DWORD, (const BYTE*)&number, sizeof number);
  price_export(0, prices, NULL, NULL, NULL);
  raised_once("Invalid data type for 'price_export_path'");
  RegDeleteValueW(key, L"price_export_path");
  RegCloseKey(key);

  /* Raising off: recorded only. */
  CHECK(pharmex_set_failure_mode(PX_FAILURE_RECORD) == PX_FAILURE_RAISE);
  snprintf(path, kPath, "%s\\no such folder\\prices.dbf", work);
  price_export_to_file(prices, path);
  CHECK(failures_raised == 0);
  CHECK(last_error_is(expected));
  CHECK(pharmex_set_failure_mode(7) == -1);
  CHECK(pharmex_set_failure_mode(PX_FAILURE_RECORD) == PX_FAILURE_RECORD);

  RemoveVectoredExceptionHandler(handler);
  prices->lpVtbl->Release(prices);
}

/* ---- the forms of a Pascal exception's message */

static PascalString pascal_string;
static PascalObject pascal_object;
static DWORD pascal_code = 0;

static void raise_pascal_in_post(const char* operation) {
  if (strcmp(operation, "IDataSet.Post") != 0) return;
  raise_pascal(pascal_code, pascal_code == kDelphiCode ? 7 : 4, &pascal_object);
}

typedef struct MessageCase {
  const char* what;
  DWORD code;
  void (*make)(void);
  const char* expected; /* UTF-8 */
} MessageCase;

static void fpc_ansi(void) {
  /* "Запись занята" in code page 1251, the system's ANSI page here. */
  free_pascal_string(&pascal_string, 0, "\xC7\xE0\xEF\xE8\xF1\xFC \xE7\xE0\xED\xFF\xF2\xE0");
}

static void fpc_utf8(void) {
  free_pascal_string(&pascal_string, CP_UTF8, "Запись занята");
}

static void fpc_866(void) {
  free_pascal_string(&pascal_string, 866, "\x87\xA0\xAF\xA8\xE1\xEC \xA7\xA0\xAD\xEF\xE2\xA0");
}

static void old_delphi(void) {
  old_delphi_string(&pascal_string, "\xC7\xE0\xEF\xE8\xF1\xFC \xE7\xE0\xED\xFF\xF2\xE0");
}

static void unterminated(void) {
  fpc_utf8();
  pascal_string.bytes[pascal_string.header + strlen("Запись занята")] = 'x';
}

static void lengthless(void) {
  fpc_utf8();
  memset(pascal_string.bytes + 2 * sizeof(void*), 0, sizeof(void*));
}

static const MessageCase kMessageCases[] = {
    {"Free Pascal, the ANSI page", kFreePascalCode, fpc_ansi, "Запись занята"},
    {"Free Pascal, UTF-8", kFreePascalCode, fpc_utf8, "Запись занята"},
    {"Free Pascal, code page 866", kFreePascalCode, fpc_866, "Запись занята"},
    {"an older Delphi", kDelphiCode, old_delphi, "Запись занята"},
    {"no zero after the text", kFreePascalCode, unterminated,
     "The host failed in IDataSet.Post (exception 0xE0465043)"},
    {"a length of 0", kFreePascalCode, lengthless,
     "The host failed in IDataSet.Post (exception 0xE0465043)"},
};

static void pascal_messages(const char* examples) {
  char path[kPath];
  snprintf(path, kPath, "%s\\order_prices.csv", examples);
  IDataSet* prices = load(path);
  csv_set_operation_hook(raise_pascal_in_post);
  for (size_t i = 0; i < sizeof kMessageCases / sizeof kMessageCases[0]; ++i) {
    const MessageCase* c = &kMessageCases[i];
    snprintf(path, kPath, "%s\\current_order_lines.csv", examples);
    IDataSet* lines = load(path);
    c->make();
    pascal_object.class_pointer = &kClass;
    pascal_object.message = pascal_text(&pascal_string);
    pascal_code = c->code;
    snprintf(path, kPath, "%s\\order_dbf4.dbf", examples);
    order_import_from_file(prices, prices, lines, path);
    if (!last_error_is(c->expected)) {
      fprintf(stderr, "  (%s)\n", c->what);
      ++failures;
    }
    lines->lpVtbl->Release(lines);
  }
  /* An object that is no object at all. */
  snprintf(path, kPath, "%s\\current_order_lines.csv", examples);
  IDataSet* lines = load(path);
  pascal_code = kDelphiCode;
  csv_set_operation_hook(raise_pascal_in_post);
  pascal_object.message = (const unsigned char*)(uintptr_t)0x10;
  snprintf(path, kPath, "%s\\order_dbf4.dbf", examples);
  order_import_from_file(prices, prices, lines, path);
  CHECK(last_error_is("The host failed in IDataSet.Post (exception 0x0EEDFADE)"));
  lines->lpVtbl->Release(lines);
  csv_set_operation_hook(NULL);
  prices->lpVtbl->Release(prices);
}

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: host_exceptions EXAMPLES WORK\n");
    return 2;
  }
  char examples[kPath];
  char work[kPath];
  GetFullPathNameA(argv[1], kPath, examples, NULL);
  GetFullPathNameA(argv[2], kPath, work, NULL);
  stack_checked_callbacks(&progress, &start, &finish);
  HWND window = CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, NULL,
                                NULL, NULL, NULL);
  CHECK(window != NULL);

  the_failure_is_passed_on(examples, work);
  /* Recorded from here on, as the library's own tests read failures. */
  csv_set_operation_hook(host_call);
  raising_hosts(examples, work, window);
  csv_set_operation_hook(NULL);
  pascal_messages(examples);

  DestroyWindow(window);
  if (csv_live_objects() != 0) {
    fprintf(stderr, "%d host objects were not released\n", csv_live_objects());
    ++failures;
  }
  CHECK(stack_check_mismatches() == 0);
  if (failures == 0) printf("host exceptions: all checks passed\n");
  return failures == 0 ? 0 : 1;
}
