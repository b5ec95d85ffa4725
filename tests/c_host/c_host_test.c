/* A host written in plain C: compiles the public headers as C, calls the
 * shared library's exports, and implements a tiny IDataSet/IField through
 * the tables of pharmex/host.h, called back through those tables as the
 * library calls them. */
#include <stddef.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "check.h"
#include "pharmex/dialog_script.h"
#include "pharmex/pharmex.h"

static int failures = 0;

/* ---- A two-column dataset (id integer, name string(10)) of up to 4 rows. */

enum { kMaxRows = 4 };

typedef struct CDataSet {
  IDataSet base; /* first: the interface pointer is the object's address */
  uint32_t refs;
  int32_t count;
  int32_t position;
  int32_t appending;
  int32_t pending_id;
  int32_t ids[kMaxRows];
} CDataSet;

typedef struct CField {
  IField base;
  uint32_t refs;
  CDataSet* owner;
  int32_t column;
} CField;

static int live_objects = 0;
static const PxChar16 kIdName[] = {'i', 'd', 0};
static const PxChar16 kNameName[] = {'n', 'a', 'm', 'e', 0};
static const PxChar16 kRowNames[kMaxRows][2] = {{'a', 0}, {'b', 0}, {'c', 0}, {'d', 0}};

static int same_text(const PxChar16* a, const PxChar16* b) {
  while (*a != 0 && *a == *b) {
    ++a;
    ++b;
  }
  return *a == *b;
}

static int32_t PX_STDCALL ds_query(IDataSet* self, const PxGuid* iid, void** object) {
  (void)self;
  (void)iid;
  *object = NULL;
  return (int32_t)0x80004002u; /* E_NOINTERFACE */
}

static uint32_t PX_STDCALL ds_add_ref(IDataSet* self) {
  return ++((CDataSet*)self)->refs;
}

static uint32_t PX_STDCALL ds_release(IDataSet* self) {
  CDataSet* data = (CDataSet*)self;
  uint32_t left = --data->refs;
  if (left == 0) {
    free(data);
    --live_objects;
  }
  return left;
}

static int32_t PX_STDCALL ds_field_count(IDataSet* self) {
  (void)self;
  return 2;
}

static const IFieldVtbl kFieldTable;

static IField* new_field(CDataSet* owner, int32_t column) {
  CField* field = (CField*)malloc(sizeof *field);
  if (field == NULL) return NULL;
  field->base.lpVtbl = &kFieldTable;
  field->refs = 1;
  field->owner = owner;
  field->column = column;
  owner->base.lpVtbl->AddRef(&owner->base);
  ++live_objects;
  return &field->base;
}

static void PX_STDCALL ds_get_field(IField** result, IDataSet* self, int32_t index) {
  *result = NULL;
  if (index < 0 || index > 1) {
    pharmex_report_host_failure("List index out of bounds");
    return;
  }
  *result = new_field((CDataSet*)self, index);
}

static void PX_STDCALL ds_field_by_name(IField** result, IDataSet* self, const PxChar16* name) {
  *result = NULL;
  if (same_text(name, kIdName)) *result = new_field((CDataSet*)self, 0);
  if (same_text(name, kNameName)) *result = new_field((CDataSet*)self, 1);
}

static void PX_STDCALL ds_first(IDataSet* self) {
  ((CDataSet*)self)->position = 0;
}

static void PX_STDCALL ds_next(IDataSet* self) {
  CDataSet* data = (CDataSet*)self;
  if (data->position < data->count) ++data->position;
}

static void PX_STDCALL ds_reserved(IDataSet* self) {
  (void)self;
  pharmex_report_host_failure("reserved slot called");
}

static PxBool PX_STDCALL ds_eof(IDataSet* self) {
  CDataSet* data = (CDataSet*)self;
  return (PxBool)(data->position >= data->count);
}

/* One key column, "id"; the key may be an integer or a one-element array. */
static PxBool PX_STDCALL ds_locate(IDataSet* self, const PxChar16* key_fields, const PxVariant* key,
                                   uint8_t options) {
  CDataSet* data = (CDataSet*)self;
  int32_t i;
  (void)options;
  if (!same_text(key_fields, kIdName)) return 0;
  if (key->vt == PX_VT_ARRAY_VARIANT) {
    if (pharmex_array_count(key->value.array) != 1) return 0;
    key = pharmex_array_item(key->value.array, 0);
  }
  if (key->vt != PX_VT_I4) return 0;
  for (i = 0; i < data->count; ++i) {
    if (data->ids[i] == key->value.i4) {
      data->position = i;
      return 1;
    }
  }
  return 0;
}

static void PX_STDCALL ds_append(IDataSet* self) {
  CDataSet* data = (CDataSet*)self;
  data->appending = 1;
  data->pending_id = 0;
}

static void PX_STDCALL ds_edit(IDataSet* self) {
  (void)self;
  pharmex_report_host_failure("read-only rows");
}

static void PX_STDCALL ds_post(IDataSet* self) {
  CDataSet* data = (CDataSet*)self;
  if (!data->appending || data->count == kMaxRows) {
    pharmex_report_host_failure("nothing to post");
    return;
  }
  data->ids[data->count] = data->pending_id;
  data->position = data->count++;
  data->appending = 0;
}

static int32_t PX_STDCALL ds_record_count(IDataSet* self) {
  return ((CDataSet*)self)->count;
}

static const IDataSetVtbl kDataSetTable = {
    .QueryInterface = ds_query,
    .AddRef = ds_add_ref,
    .Release = ds_release,
    .FieldCount = ds_field_count,
    .GetField = ds_get_field,
    .FieldByName = ds_field_by_name,
    .First = ds_first,
    .Reserved1 = ds_reserved,
    .Next = ds_next,
    .Reserved2 = ds_reserved,
    .Reserved3 = ds_reserved,
    .Eof = ds_eof,
    .Locate = ds_locate,
    .Append = ds_append,
    .Edit = ds_edit,
    .Post = ds_post,
    .Reserved4 = ds_reserved,
    .RecordCount = ds_record_count,
};

static int32_t PX_STDCALL field_query(IField* self, const PxGuid* iid, void** object) {
  (void)self;
  (void)iid;
  *object = NULL;
  return (int32_t)0x80004002u;
}

static uint32_t PX_STDCALL field_add_ref(IField* self) {
  return ++((CField*)self)->refs;
}

static uint32_t PX_STDCALL field_release(IField* self) {
  CField* field = (CField*)self;
  uint32_t left = --field->refs;
  if (left == 0) {
    field->owner->base.lpVtbl->Release(&field->owner->base);
    free(field);
    --live_objects;
  }
  return left;
}

static const PxChar16* PX_STDCALL field_name(IField* self) {
  return ((CField*)self)->column == 0 ? kIdName : kNameName;
}

static uint8_t PX_STDCALL field_data_type(IField* self) {
  return (uint8_t)(((CField*)self)->column == 0 ? ftInteger : ftString);
}

static int32_t PX_STDCALL field_size(IField* self) {
  return ((CField*)self)->column == 0 ? 0 : 10;
}

static void PX_STDCALL field_value(PxVariant* result, IField* self) {
  CField* field = (CField*)self;
  CDataSet* data = field->owner;
  pharmex_variant_init(result);
  result->vt = PX_VT_NULL;
  if (data->position >= data->count) return;
  if (field->column == 0) {
    result->vt = PX_VT_I4;
    result->value.i4 = data->ids[data->position];
  } else {
    result->value.bstr = pharmex_string_alloc(kRowNames[data->position], 1);
    result->vt = PX_VT_BSTR;
  }
}

static void PX_STDCALL field_set_value(IField* self, PxVariant value) {
  CField* field = (CField*)self;
  if (!field->owner->appending || field->column != 0 || value.vt != PX_VT_I4) {
    pharmex_report_host_failure("cannot store that value");
    return;
  }
  field->owner->pending_id = value.value.i4;
}

static const IFieldVtbl kFieldTable = {
    .QueryInterface = field_query,
    .AddRef = field_add_ref,
    .Release = field_release,
    .Name = field_name,
    .DataType = field_data_type,
    .Size = field_size,
    .Value = field_value,
    .SetValue = field_set_value,
};

static IDataSet* new_dataset(void) {
  CDataSet* data = (CDataSet*)calloc(1, sizeof *data);
  if (data == NULL) return NULL;
  data->base.lpVtbl = &kDataSetTable;
  data->refs = 1;
  data->count = 2;
  data->ids[0] = 1001;
  data->ids[1] = 1002;
  ++live_objects;
  return &data->base;
}

/* Drives the dataset through its tables, as the library does. */
static void exercise_dataset(void) {
  IDataSet* data = new_dataset();
  IField* id = NULL;
  IField* name = NULL;
  IField* missing = NULL;
  PxVariant value;
  PxVariant key;
  int rows = 0;

  CHECK(offsetof(IDataSetVtbl, RecordCount) == 17 * sizeof(void*));
  CHECK(offsetof(IDataSetVtbl, Locate) == 12 * sizeof(void*));
  CHECK(offsetof(IFieldVtbl, SetValue) == 7 * sizeof(void*));
  CHECK(sizeof(IDataSetVtbl) == 18 * sizeof(void*));
  CHECK(sizeof(IFieldVtbl) == 8 * sizeof(void*));

  CHECK(data->lpVtbl->FieldCount(data) == 2);
  data->lpVtbl->GetField(&id, data, 0);
  data->lpVtbl->FieldByName(&name, data, kNameName);
  data->lpVtbl->FieldByName(&missing, data, (const PxChar16[]){'q', 't', 'y', 0});
  CHECK(id != NULL && name != NULL && missing == NULL);
  CHECK(same_text(name->lpVtbl->Name(name), kNameName));
  CHECK(name->lpVtbl->DataType(name) == ftString);
  CHECK(name->lpVtbl->Size(name) == 10);
  CHECK(((CDataSet*)data)->refs == 3);

  for (data->lpVtbl->First(data); !data->lpVtbl->Eof(data); data->lpVtbl->Next(data)) {
    name->lpVtbl->Value(&value, name);
    CHECK(value.vt == PX_VT_BSTR && pharmex_string_length(value.value.bstr) == 1);
    CHECK(value.value.bstr[0] == kRowNames[rows][0]);
    pharmex_variant_clear(&value);
    ++rows;
  }
  CHECK(rows == 2);

  pharmex_variant_init(&key);
  key.vt = PX_VT_ARRAY_VARIANT;
  key.value.array = pharmex_array_create(1);
  pharmex_array_item(key.value.array, 0)->vt = PX_VT_I4;
  pharmex_array_item(key.value.array, 0)->value.i4 = 1002;
  CHECK(data->lpVtbl->Locate(data, kIdName, &key, 0) == 1);
  CHECK(((CDataSet*)data)->position == 1);
  pharmex_array_item(key.value.array, 0)->value.i4 = 9;
  CHECK(data->lpVtbl->Locate(data, kIdName, &key, 0) == 0);
  pharmex_variant_clear(&key);

  data->lpVtbl->Append(data);
  pharmex_variant_init(&value);
  value.vt = PX_VT_I4;
  value.value.i4 = 1003;
  id->lpVtbl->SetValue(id, value);
  data->lpVtbl->Post(data);
  CHECK(data->lpVtbl->RecordCount(data) == 3);
  id->lpVtbl->Value(&value, id);
  CHECK(value.vt == PX_VT_I4 && value.value.i4 == 1003);

  id->lpVtbl->Release(id);
  name->lpVtbl->Release(name);
  CHECK(data->lpVtbl->Release(data) == 0);
  CHECK(live_objects == 0);
}

/* The dialog answered from C: a mask keeps it open, a failed run reports
 * its message and keeps it open, Esc closes it; with none open nothing
 * happens. */
static void script_dialog(void) {
  IDataSet* data = new_dataset();
  CHECK(pharmex_dialog_answer("x", 0) == -1);
  CHECK(pharmex_dialog_cancel() == -1);
  supplier_export(0, data, NULL, NULL, NULL);
  CHECK(strcmp(pharmex_last_error(), "") == 0);
  CHECK(pharmex_dialog_answer("*.txt", -1) == 2);
  CHECK(pharmex_dialog_answer("x", 7) == -1); /* no such file type */
  CHECK(pharmex_dialog_answer("/nonexistent-folder/s", 0) == 1);
  CHECK(strcmp(pharmex_last_error(), "Could not create file /nonexistent-folder/s.dbf") == 0);
  CHECK(pharmex_dialog_cancel() == 0);
  CHECK(pharmex_dialog_cancel() == -1);
  CHECK(data->lpVtbl->Release(data) == 0); /* the closed dialog let go of it */
}

int main(void) {
  static const PxChar16 text[] = {'a', 'b', 'c'};
  PxVariant value;
  PxVariant copy;
  PxVariantArray* array;

  CHECK(sizeof(PxVariant) == 16);
  pharmex_variant_init(&value);
  CHECK(value.vt == PX_VT_EMPTY);

  value.vt = PX_VT_BSTR;
  value.value.bstr = pharmex_string_alloc(text, 3);
  CHECK(value.value.bstr != NULL);
  CHECK(pharmex_string_length(value.value.bstr) == 3);
  CHECK(value.value.bstr[3] == 0);

  array = pharmex_array_create(2);
  CHECK(pharmex_array_count(array) == 2);
  CHECK(pharmex_array_item(array, 2) == NULL);
  *pharmex_array_item(array, 0) = value; /* the array now owns the string */
  pharmex_array_item(array, 1)->vt = PX_VT_I4;
  pharmex_array_item(array, 1)->value.i4 = 1001;
  pharmex_variant_init(&value);
  value.vt = PX_VT_ARRAY_VARIANT;
  value.value.array = array;

  pharmex_variant_init(&copy);
  CHECK(pharmex_variant_copy(&copy, &value) == 0);
  CHECK(copy.value.array != array);
  CHECK(pharmex_string_length(pharmex_array_item(copy.value.array, 0)->value.bstr) == 3);
  pharmex_variant_clear(&value);
  pharmex_variant_clear(&copy);
  CHECK(copy.vt == PX_VT_EMPTY);

  CHECK(strcmp(pharmex_version(), PHARMEX_VERSION) == 0);
  CHECK(strcmp(pharmex_last_error(), "") == 0);
  CHECK(pharmex_set_regional_settings("12", NULL) == -1);
  CHECK(pharmex_set_regional_settings(",", "dd.MM.yyyy") == 0);

  exercise_dataset();
  script_dialog();
  /* A report made outside any library call is forgotten before the next one. */
  pharmex_report_host_failure("nothing is running");

  if (failures == 0) printf("c host: all checks passed\n");
  return failures == 0 ? 0 : 1;
}
