/* The stack checks of tests/c_host/stack_check.h catch what they are for: a
 * host table whose function was declared with other arguments than the
 * library passes. Each case gives a checked dataset one such function, the
 * way host programmers get them wrong, calls the slot as the library does
 * and expects the checks to report exactly that slot, and the stack to be
 * sound afterwards (this program goes on). 32-bit Windows only: elsewhere
 * there is one calling convention and nothing to get wrong.
 *   stack_check_test */
#include "stack_check.h"

#include <stdio.h>
#include <string.h>

#include "pharmex/pharmex.h"

typedef void (*AnyFunction)(void);

static int failures = 0;
static uint32_t field_references = 1;
static uint32_t dataset_references = 1;

/* ---- a host's objects whose every function is declared right */

static int32_t PX_STDCALL f_query(IField* self, const PxGuid* iid, void** object) {
  (void)self;
  (void)iid;
  *object = NULL;
  return -1;
}
static uint32_t PX_STDCALL f_add_ref(IField* self) {
  (void)self;
  return ++field_references;
}
static uint32_t PX_STDCALL f_release(IField* self) {
  (void)self;
  return --field_references;
}
static const PxChar16* PX_STDCALL f_name(IField* self) {
  static const PxChar16 kName[] = {'q', 't', 'y', 0};
  (void)self;
  return kName;
}
static uint8_t PX_STDCALL f_data_type(IField* self) {
  (void)self;
  return ftInteger;
}
static int32_t PX_STDCALL f_size(IField* self) {
  (void)self;
  return 0;
}
static void PX_STDCALL f_value(PxVariant* result, IField* self) {
  (void)self;
  memset(result, 0, sizeof *result);
}
static void PX_STDCALL f_set_value(IField* self, PxVariant value) {
  (void)self;
  (void)value;
}

static IFieldVtbl field_table = {f_query,     f_add_ref, f_release, f_name,
                                 f_data_type, f_size,    f_value,   f_set_value};
static IField host_field = {&field_table};

static int32_t PX_STDCALL d_query(IDataSet* self, const PxGuid* iid, void** object) {
  (void)self;
  (void)iid;
  *object = NULL;
  return -1;
}
static uint32_t PX_STDCALL d_add_ref(IDataSet* self) {
  (void)self;
  return ++dataset_references;
}
static uint32_t PX_STDCALL d_release(IDataSet* self) {
  (void)self;
  return --dataset_references;
}
static int32_t PX_STDCALL d_field_count(IDataSet* self) {
  (void)self;
  return 1;
}
static void PX_STDCALL d_get_field(IField** result, IDataSet* self, int32_t index) {
  (void)self;
  (void)index;
  ++field_references;
  *result = &host_field;
}
static void PX_STDCALL d_field_by_name(IField** result, IDataSet* self, const PxChar16* name) {
  (void)name;
  d_get_field(result, self, 0);
}
static void PX_STDCALL d_plain(IDataSet* self) {
  (void)self;
}
static PxBool PX_STDCALL d_eof(IDataSet* self) {
  (void)self;
  return 1;
}
static PxBool PX_STDCALL d_locate(IDataSet* self, const PxChar16* key_fields, const PxVariant* key,
                                  uint8_t options) {
  (void)self;
  (void)key_fields;
  (void)key;
  (void)options;
  return 1;
}
static int32_t PX_STDCALL d_record_count(IDataSet* self) {
  (void)self;
  return 1;
}

static IDataSetVtbl dataset_table = {
    d_query,  d_add_ref, d_release, d_field_count, d_get_field, d_field_by_name,
    d_plain,  d_plain,   d_plain,   d_plain,       d_plain,     d_eof,
    d_locate, d_plain,   d_plain,   d_plain,       d_plain,     d_record_count,
};
static IDataSet host_dataset = {&dataset_table};

static void PX_STDCALL on_progress(PxWindow window, int32_t percent) {
  (void)window;
  (void)percent;
}

/* ---- the functions host programmers get wrong */

/* Pascal's "const Value: OleVariant" passes the variant by reference. */
static void PX_STDCALL set_value_by_reference(IField* self, const PxVariant* value) {
  (void)self;
  (void)value;
}
/* The options byte of Locate forgotten. */
static PxBool PX_STDCALL locate_without_options(IDataSet* self, const PxChar16* key_fields,
                                                const PxVariant* key) {
  (void)self;
  (void)key_fields;
  (void)key;
  return 0;
}
/* The interface returned as a result instead of through the result address. */
static IField* PX_STDCALL get_field_as_result(IDataSet* self, int32_t index) {
  (void)self;
  (void)index;
  return NULL;
}
/* A callback without the calling convention: cdecl, the caller cleans up. */
static void progress_without_stdcall(PxWindow window, int32_t percent) {
  (void)window;
  (void)percent;
}

/* ---- the cases */

/* Calls every slot of a checked dataset over the host's, of a field it
 * returns, and the checked progress callback, as the library does. */
static void call_everything_with(PxProgressCallback progress) {
  IDataSet* dataset = stack_checked_dataset(&host_dataset);
  ++dataset_references; /* the wrapper's reference, released with it */
  const PxChar16 name[] = {'q', 't', 'y', 0};
  PxVariant value;
  memset(&value, 0, sizeof value);
  IField* field = NULL;
  dataset->lpVtbl->FieldCount(dataset);
  dataset->lpVtbl->First(dataset);
  dataset->lpVtbl->Eof(dataset);
  dataset->lpVtbl->Locate(dataset, name, &value, 0);
  dataset->lpVtbl->Append(dataset);
  dataset->lpVtbl->Edit(dataset);
  dataset->lpVtbl->Post(dataset);
  dataset->lpVtbl->Next(dataset);
  dataset->lpVtbl->RecordCount(dataset);
  dataset->lpVtbl->FieldByName(&field, dataset, name);
  if (field != NULL) field->lpVtbl->Release(field);
  field = NULL;
  dataset->lpVtbl->GetField(&field, dataset, 0);
  if (field != NULL) {
    field->lpVtbl->Name(field);
    field->lpVtbl->DataType(field);
    field->lpVtbl->Size(field);
    field->lpVtbl->Value(&value, field);
    field->lpVtbl->SetValue(field, value);
    field->lpVtbl->Release(field);
  }
  progress(0, 50);
  dataset->lpVtbl->Release(dataset);
}

typedef struct Case {
  const char* what;
  void (*arrange)(void);
  int expected_mismatches;
} Case;

static PxProgressCallback case_progress = on_progress;

static void everything_right(void) {}
static void set_value_wrong(void) {
  field_table.SetValue = (void(PX_STDCALL*)(IField*, PxVariant))(AnyFunction)set_value_by_reference;
}
static void locate_wrong(void) {
  dataset_table.Locate = (PxBool(PX_STDCALL*)(IDataSet*, const PxChar16*, const PxVariant*,
                                              uint8_t))(AnyFunction)locate_without_options;
}
static void get_field_wrong(void) {
  dataset_table.GetField =
      (void(PX_STDCALL*)(IField**, IDataSet*, int32_t))(AnyFunction)get_field_as_result;
}
static void progress_wrong(void) {
  case_progress = (PxProgressCallback)(AnyFunction)progress_without_stdcall;
}

static void reset(void) {
  field_table.SetValue = f_set_value;
  dataset_table.Locate = d_locate;
  dataset_table.GetField = d_get_field;
  case_progress = on_progress;
}

int main(void) {
  static const Case kCases[] = {
      {"every function declared right", everything_right, 0},
      {"IField.SetValue taking its variant by reference", set_value_wrong, 1},
      {"IDataSet.Locate without its options byte", locate_wrong, 1},
      {"IDataSet.GetField returning the field instead of storing it", get_field_wrong, 1},
      {"the progress callback declared without stdcall", progress_wrong, 1},
  };
  if (!stack_check_active()) {
    printf("stack check: nothing to check on this platform\n");
    return 0;
  }
  for (size_t i = 0; i < sizeof kCases / sizeof kCases[0]; ++i) {
    const int before = stack_check_mismatches();
    reset();
    kCases[i].arrange();
    PxProgressCallback progress = case_progress;
    stack_checked_callbacks(&progress, NULL, NULL);
    call_everything_with(progress);
    const int found = stack_check_mismatches() - before;
    if (found != kCases[i].expected_mismatches) {
      fprintf(stderr, "%s: %d mismatch(es) reported, expected %d\n", kCases[i].what, found,
              kCases[i].expected_mismatches);
      ++failures;
    }
  }
  reset();
  if (field_references != 1 || dataset_references != 1) {
    fprintf(stderr, "references left: field %u, dataset %u\n", (unsigned)field_references,
            (unsigned)dataset_references);
    ++failures;
  }
  if (failures == 0) printf("stack check: every wrong declaration was caught\n");
  return failures == 0 ? 0 : 1;
}
