/* A host written in C that runs every entry point of the library on the data
 * of examples/ and writes what the library made into one folder:
 *
 *   export_host EXAMPLES OUT
 *
 * The dialog entry points are answered with pharmex/dialog_script.h, the
 * dialog-less ones get their paths directly. OUT receives every table and
 * text file, the host's order lines after each import (import_*.txt) and
 * the callbacks each run made (callbacks.txt). The same program built for
 * Linux and for Windows must write the same bytes (a table's date of last
 * update aside): the Windows tests compare the two folders.
 * Exit status 0 when every run succeeded. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "csv_dataset.h"
#include "pharmex/dialog_script.h"
#include "pharmex/pharmex.h"
#include "stack_check.h"

#ifdef _WIN32
#include <direct.h>
#define SEP "\\"
static int make_folder(const char* path) {
  return _mkdir(path);
}
#else
#include <sys/stat.h>
#define SEP "/"
static int make_folder(const char* path) {
  return mkdir(path, 0777);
}
#endif

enum { kPath = 1024 };

/* A made-up handle of the host's main window: the library only hands it back. */
static const PxWindow kHostWindow = 0x1234;

static int failures = 0;
static FILE* callback_log = NULL;
static const char* examples = NULL;
static const char* out = NULL;

static void PX_STDCALL on_progress(PxWindow window, int32_t percent) {
  fprintf(callback_log, "  progress %d window %d\n", (int)percent, window == kHostWindow);
}

static void PX_STDCALL on_start(PxWindow window) {
  fprintf(callback_log, "  start window %d\n", window == kHostWindow);
}

static void PX_STDCALL on_finish(PxWindow window) {
  fprintf(callback_log, "  finish window %d\n", window == kHostWindow);
}

/* The callbacks as the library gets them: through the stack checks, which
 * on 32-bit Windows measure what each call removes from the stack. */
static PxProgressCallback progress = on_progress;
static PxStartCallback start = on_start;
static PxFinishCallback finish = on_finish;

static void run(const char* what) {
  fprintf(callback_log, "%s\n", what);
}

static const char* in_examples(const char* name, char* path) {
  snprintf(path, kPath, "%s" SEP "%s", examples, name);
  return path;
}

static const char* in_out(const char* name, char* path) {
  snprintf(path, kPath, "%s" SEP "%s", out, name);
  return path;
}

static IDataSet* load(const char* name) {
  char path[kPath];
  IDataSet* data = csv_dataset_load(in_examples(name, path));
  if (data == NULL) exit(2);
  return stack_checked_dataset(data);
}

static void expect_success(const char* what) {
  const char* error = pharmex_last_error();
  if (error[0] != 0) {
    fprintf(stderr, "%s failed: %s\n", what, error);
    ++failures;
  }
}

/* Answers the dialog an entry point just opened with OUT/name and a file type. */
static void answer(const char* what, const char* name, int32_t file_type) {
  char path[kPath];
  expect_success(what);
  int32_t outcome = pharmex_dialog_answer(in_out(name, path), file_type);
  if (outcome != 0) {
    fprintf(stderr, "%s: the dialog answered %d: %s\n", what, (int)outcome, pharmex_last_error());
    ++failures;
    pharmex_dialog_cancel();
  }
}

static void dump_lines(IDataSet* lines, const char* name) {
  char path[kPath];
  FILE* file = fopen(in_out(name, path), "wb");
  if (file == NULL) {
    fprintf(stderr, "cannot write %s\n", path);
    ++failures;
    return;
  }
  csv_dataset_dump(stack_checked_host_dataset(lines), file);
  fclose(file);
}

static void exports(void) {
  static const char* const kPriceNames[] = {"price_dbf4", "price_khabarovsk", "price_unico"};
  char path[kPath];
  char name[64];

  IDataSet* suppliers = load("suppliers.csv");
  run("supplier_export");
  supplier_export(kHostWindow, suppliers, progress, start, finish);
  answer("supplier_export", "supplier", 0);
  suppliers->lpVtbl->Release(suppliers);

  IDataSet* prices = load("price_list.csv");
  for (int type = 0; type < 3; ++type) {
    run(kPriceNames[type]);
    price_export(kHostWindow, prices, progress, start, finish);
    answer("price_export", kPriceNames[type], type);
  }
  run("price_export_to_file");
  price_export_to_file(prices, in_out("price_to_file.dbf", path));
  expect_success("price_export_to_file");
  prices->lpVtbl->Release(prices);

  IDataSet* order_headers = load("order_headers.csv");
  IDataSet* order_lines = load("order_lines.csv");
  run("order_export");
  order_export(kHostWindow, order_headers, order_lines, progress, start, finish);
  answer("order_export", "order", 0);
  order_headers->lpVtbl->Release(order_headers);
  order_lines->lpVtbl->Release(order_lines);

  IDataSet* waybill_headers = load("waybill_headers.csv");
  IDataSet* waybill_lines = load("waybill_lines.csv");
  for (int type = 0; type < 6; ++type) {
    snprintf(name, sizeof name, "waybill_%d", type);
    run(name);
    waybill_export(kHostWindow, waybill_headers, waybill_lines, progress, start, finish);
    answer("waybill_export", name, type);
  }
  for (int type = 0; type < 6; ++type) {
    snprintf(name, sizeof name, "topath_%d", type);
    run(name);
    make_folder(in_out(name, path));
    snprintf(path, sizeof path, "%s" SEP "%s" SEP, out, name);
    waybill_export_ToPath(kHostWindow, waybill_headers, waybill_lines, progress, start, finish,
                          path, type);
    expect_success("waybill_export_ToPath");
  }
  waybill_headers->lpVtbl->Release(waybill_headers);
  waybill_lines->lpVtbl->Release(waybill_lines);
}

static void imports(void) {
  static const char* const kLayouts[] = {"dbf4", "khabarovsk", "unico"};
  char path[kPath];
  char name[64];
  IDataSet* prices = load("order_prices.csv");
  for (int type = 0; type < 3; ++type) {
    IDataSet* lines = load("current_order_lines.csv");
    snprintf(name, sizeof name, "import_%s", kLayouts[type]);
    run(name);
    order_import(kHostWindow, prices, prices, lines, progress, start, finish);
    expect_success("order_import");
    snprintf(name, sizeof name, "order_%s.dbf", kLayouts[type]);
    if (pharmex_dialog_answer(in_examples(name, path), type) != 0) {
      fprintf(stderr, "order_import %s: %s\n", name, pharmex_last_error());
      ++failures;
      pharmex_dialog_cancel();
    }
    snprintf(name, sizeof name, "import_%s.txt", kLayouts[type]);
    dump_lines(lines, name);
    lines->lpVtbl->Release(lines);
  }
  IDataSet* lines = load("current_order_lines.csv");
  run("order_import_from_file");
  order_import_from_file(prices, prices, lines, in_examples("order_dbf4.dbf", path));
  expect_success("order_import_from_file");
  dump_lines(lines, "import_from_file.txt");
  lines->lpVtbl->Release(lines);
  prices->lpVtbl->Release(prices);
}

int main(int argc, char** argv) {
  char path[kPath];
  if (argc != 3) {
    fprintf(stderr, "usage: export_host EXAMPLES OUT\n");
    return 2;
  }
  examples = argv[1];
  out = argv[2];
  callback_log = fopen(in_out("callbacks.txt", path), "wb");
  if (callback_log == NULL) {
    fprintf(stderr, "cannot write %s\n", path);
    return 2;
  }
  stack_checked_callbacks(&progress, &start, &finish);
  /* Failures are read from pharmex_last_error(), not raised (Windows). */
  pharmex_set_failure_mode(PX_FAILURE_RECORD);
  /* The same text for numbers and dates on every system. */
  if (pharmex_set_regional_settings(",", "dd.MM.yyyy") != 0) ++failures;
  exports();
  imports();
  fclose(callback_log);
  if (csv_live_objects() != 0) {
    fprintf(stderr, "%d host objects were not released\n", csv_live_objects());
    ++failures;
  }
  if (stack_check_mismatches() != 0) ++failures;
  if (failures == 0) printf("export host: every entry point ran\n");
  return failures == 0 ? 0 : 1;
}
