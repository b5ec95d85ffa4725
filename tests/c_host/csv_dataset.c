#include "csv_dataset.h"

#include <stdlib.h>
#include <string.h>

#include "host_values.h"

enum { kMaxColumns = 32, kMaxName = 64 };

typedef enum ColumnKind { kInteger, kFloat, kDate, kBoolean, kString } ColumnKind;

typedef struct Column {
  PxChar16 name[kMaxName];
  char ascii[kMaxName];
  ColumnKind kind;
  int32_t size;
} Column;

typedef struct CsvDataSet {
  IDataSet base; /* first: the interface pointer is the object's address */
  uint32_t refs;
  int columns;
  Column column[kMaxColumns];
  int rows;
  int capacity;
  PxVariant* cells; /* rows * columns */
  int position;
  int state; /* 0 browsing, 1 appending, 2 editing */
  PxVariant pending[kMaxColumns];
} CsvDataSet;

typedef struct CsvField {
  IField base;
  uint32_t refs;
  CsvDataSet* owner;
  int column;
} CsvField;

static int live_objects = 0;

static CsvOperationHook operation_hook = NULL;

void csv_set_operation_hook(CsvOperationHook hook) {
  operation_hook = hook;
}

/* Every operation but the reference counting starts here. */
static void operation(const char* name) {
  if (operation_hook != NULL) operation_hook(name);
}

int csv_live_objects(void) {
  return live_objects;
}

void csv_ascii16(const char* text, PxChar16* out) {
  int i = 0;
  for (; text[i] != 0 && i < kMaxName - 1; ++i)
    out[i] = (PxChar16)(unsigned char)text[i];
  out[i] = 0;
}

/* ---- text */

/* UTF-8 to UTF-16; returns the number of code units written. */
static uint32_t utf8_to_utf16(const char* text, size_t length, PxChar16* out) {
  uint32_t count = 0;
  size_t i = 0;
  while (i < length) {
    unsigned char b = (unsigned char)text[i];
    uint32_t cp = b;
    size_t extra = 0;
    if (b >= 0xF0) {
      cp = b & 0x07;
      extra = 3;
    } else if (b >= 0xE0) {
      cp = b & 0x0F;
      extra = 2;
    } else if (b >= 0xC0) {
      cp = b & 0x1F;
      extra = 1;
    }
    for (size_t k = 1; k <= extra && i + k < length; ++k)
      cp = (cp << 6) | ((unsigned char)text[i + k] & 0x3F);
    i += extra + 1;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out[count++] = (PxChar16)(0xD800 + (cp >> 10));
      out[count++] = (PxChar16)(0xDC00 + (cp & 0x3FF));
    } else {
      out[count++] = (PxChar16)cp;
    }
  }
  return count;
}

static void put_utf8(const PxChar16* text, uint32_t length, FILE* out) {
  for (uint32_t i = 0; i < length; ++i) {
    uint32_t cp = text[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < length) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00u);
      ++i;
    }
    if (cp < 0x80) {
      fputc((int)cp, out);
    } else if (cp < 0x800) {
      fputc((int)(0xC0 | (cp >> 6)), out);
      fputc((int)(0x80 | (cp & 0x3F)), out);
    } else if (cp < 0x10000) {
      fputc((int)(0xE0 | (cp >> 12)), out);
      fputc((int)(0x80 | ((cp >> 6) & 0x3F)), out);
      fputc((int)(0x80 | (cp & 0x3F)), out);
    } else {
      fputc((int)(0xF0 | (cp >> 18)), out);
      fputc((int)(0x80 | ((cp >> 12) & 0x3F)), out);
      fputc((int)(0x80 | ((cp >> 6) & 0x3F)), out);
      fputc((int)(0x80 | (cp & 0x3F)), out);
    }
  }
}

static void put_hex(uint64_t value, FILE* out) {
  for (int shift = 60; shift >= 0; shift -= 4)
    fputc("0123456789abcdef"[(value >> shift) & 0xF], out);
}

static void put_decimal(int64_t value, FILE* out) {
  char digits[24];
  int n = 0;
  uint64_t magnitude = value < 0 ? 0 - (uint64_t)value : (uint64_t)value;
  do {
    digits[n++] = (char)('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (value < 0) fputc('-', out);
  while (n > 0)
    fputc(digits[--n], out);
}

static int same_name(const PxChar16* a, const PxChar16* b, size_t b_length) {
  size_t i = 0;
  for (; i < b_length && a[i] != 0; ++i) {
    PxChar16 x = a[i] >= 'A' && a[i] <= 'Z' ? (PxChar16)(a[i] + 32) : a[i];
    PxChar16 y = b[i] >= 'A' && b[i] <= 'Z' ? (PxChar16)(b[i] + 32) : b[i];
    if (x != y) return 0;
  }
  return i == b_length && a[i] == 0;
}

static int column_named(const CsvDataSet* data, const PxChar16* name, size_t length) {
  for (int c = 0; c < data->columns; ++c) {
    if (same_name(data->column[c].name, name, length)) return c;
  }
  return -1;
}

/* ---- values */

static int64_t days_from_civil(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2;
  int64_t era = (y >= 0 ? y : y - 399) / 400;
  int64_t yoe = y - era * 400;
  int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

static int make_value(const Column* column, const char* text, size_t length, int quoted,
                      PxVariant* value) {
  char buffer[64];
  pharmex_variant_init(value);
  if (length == 0 && !quoted) {
    value->vt = PX_VT_NULL;
    return 1;
  }
  if (column->kind == kString) {
    PxChar16* units = (PxChar16*)malloc((length + 1) * sizeof(PxChar16));
    uint32_t count = utf8_to_utf16(text, length, units);
    value->value.bstr = host_string(units, count);
    value->vt = PX_VT_BSTR;
    free(units);
    return value->value.bstr != NULL;
  }
  if (length >= sizeof buffer) return 0;
  memcpy(buffer, text, length);
  buffer[length] = 0;
  switch (column->kind) {
    case kInteger:
      value->vt = PX_VT_I4;
      value->value.i4 = (int32_t)strtol(buffer, NULL, 10);
      return 1;
    case kFloat:
      value->vt = PX_VT_R8;
      value->value.r8 = strtod(buffer, NULL);
      return 1;
    case kBoolean:
      value->vt = PX_VT_BOOL;
      value->value.boolean =
          (int16_t)(strcmp(buffer, "true") == 0 || strcmp(buffer, "1") == 0 ? -1 : 0);
      return 1;
    case kDate: {
      int y = 0;
      int m = 0;
      int d = 0;
      if (sscanf(buffer, "%d-%d-%d", &y, &m, &d) != 3) return 0;
      value->vt = PX_VT_DATE;
      value->value.date = (double)(days_from_civil(y, m, d) - days_from_civil(1899, 12, 30));
      return 1;
    }
    case kString:
      break;
  }
  return 0;
}

static int parse_header(CsvDataSet* data, const char* text, size_t length) {
  Column* column = &data->column[data->columns];
  const char* colon = NULL;
  for (size_t i = 0; i < length; ++i) {
    if (text[i] == ':') colon = text + i;
  }
  if (colon == NULL || data->columns == kMaxColumns || (size_t)(colon - text) >= kMaxName) return 0;
  memset(column, 0, sizeof *column);
  memcpy(column->ascii, text, (size_t)(colon - text));
  csv_ascii16(column->ascii, column->name);
  const char* type = colon + 1;
  size_t type_length = length - (size_t)(type - text);
  if (type_length == 7 && memcmp(type, "integer", 7) == 0) {
    column->kind = kInteger;
  } else if (type_length == 5 && memcmp(type, "float", 5) == 0) {
    column->kind = kFloat;
  } else if (type_length == 4 && memcmp(type, "date", 4) == 0) {
    column->kind = kDate;
  } else if (type_length == 7 && memcmp(type, "boolean", 7) == 0) {
    column->kind = kBoolean;
  } else if (type_length > 7 && memcmp(type, "string(", 7) == 0) {
    column->kind = kString;
    column->size = (int32_t)strtol(type + 7, NULL, 10);
  } else {
    return 0;
  }
  ++data->columns;
  return 1;
}

/* ---- IField */

static const IFieldVtbl kFieldTable;

static IField* new_field(CsvDataSet* owner, int column) {
  CsvField* field = (CsvField*)calloc(1, sizeof *field);
  field->base.lpVtbl = &kFieldTable;
  field->refs = 1;
  field->owner = owner;
  field->column = column;
  owner->base.lpVtbl->AddRef(&owner->base);
  ++live_objects;
  return &field->base;
}

static int32_t PX_STDCALL field_query(IField* self, const PxGuid* iid, void** object) {
  (void)self;
  (void)iid;
  *object = NULL;
  return (int32_t)0x80004002u; /* E_NOINTERFACE */
}

static uint32_t PX_STDCALL field_add_ref(IField* self) {
  return ++((CsvField*)self)->refs;
}

static uint32_t PX_STDCALL field_release(IField* self) {
  CsvField* field = (CsvField*)self;
  uint32_t left = --field->refs;
  if (left == 0) {
    field->owner->base.lpVtbl->Release(&field->owner->base);
    free(field);
    --live_objects;
  }
  return left;
}

static const PxChar16* PX_STDCALL field_name(IField* self) {
  operation("IField.Name");
  CsvField* field = (CsvField*)self;
  return field->owner->column[field->column].name;
}

static uint8_t PX_STDCALL field_data_type(IField* self) {
  operation("IField.DataType");
  CsvField* field = (CsvField*)self;
  switch (field->owner->column[field->column].kind) {
    case kInteger:
      return ftInteger;
    case kFloat:
      return ftFloat;
    case kDate:
      return ftDate;
    case kBoolean:
      return ftBoolean;
    case kString:
      break;
  }
  return ftString;
}

static int32_t PX_STDCALL field_size(IField* self) {
  operation("IField.Size");
  CsvField* field = (CsvField*)self;
  return field->owner->column[field->column].size;
}

static void PX_STDCALL field_value(PxVariant* result, IField* self) {
  operation("IField.Value");
  CsvField* field = (CsvField*)self;
  CsvDataSet* data = field->owner;
  const PxVariant* cell = NULL;
  if (data->state != 0) {
    cell = &data->pending[field->column];
  } else if (data->position < data->rows) {
    cell = &data->cells[data->position * data->columns + field->column];
  }
  pharmex_variant_init(result);
  if (cell == NULL) {
    result->vt = PX_VT_NULL;
  } else if (host_copy(result, cell) != 0) {
    pharmex_report_host_failure("out of memory");
  }
}

static void PX_STDCALL field_set_value(IField* self, PxVariant value) {
  operation("IField.SetValue");
  CsvField* field = (CsvField*)self;
  CsvDataSet* data = field->owner;
  if (data->state == 0) {
    pharmex_report_host_failure("Dataset not in edit or insert mode");
    return;
  }
  host_clear(&data->pending[field->column]);
  if (host_copy(&data->pending[field->column], &value) != 0) {
    pharmex_report_host_failure("out of memory");
  }
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

/* ---- IDataSet */

static int32_t PX_STDCALL ds_query(IDataSet* self, const PxGuid* iid, void** object) {
  (void)self;
  (void)iid;
  *object = NULL;
  return (int32_t)0x80004002u;
}

static uint32_t PX_STDCALL ds_add_ref(IDataSet* self) {
  return ++((CsvDataSet*)self)->refs;
}

static uint32_t PX_STDCALL ds_release(IDataSet* self) {
  CsvDataSet* data = (CsvDataSet*)self;
  uint32_t left = --data->refs;
  if (left == 0) {
    for (int i = 0; i < data->rows * data->columns; ++i)
      host_clear(&data->cells[i]);
    for (int c = 0; c < data->columns; ++c)
      host_clear(&data->pending[c]);
    free(data->cells);
    free(data);
    --live_objects;
  }
  return left;
}

static int32_t PX_STDCALL ds_field_count(IDataSet* self) {
  operation("IDataSet.FieldCount");
  return ((CsvDataSet*)self)->columns;
}

static void PX_STDCALL ds_get_field(IField** result, IDataSet* self, int32_t index) {
  operation("IDataSet.GetField");
  CsvDataSet* data = (CsvDataSet*)self;
  *result = NULL;
  if (index < 0 || index >= data->columns) {
    pharmex_report_host_failure("List index out of bounds");
    return;
  }
  *result = new_field(data, index);
}

static void PX_STDCALL ds_field_by_name(IField** result, IDataSet* self, const PxChar16* name) {
  operation("IDataSet.FieldByName");
  CsvDataSet* data = (CsvDataSet*)self;
  size_t length = 0;
  while (name[length] != 0)
    ++length;
  int column = column_named(data, name, length);
  *result = column < 0 ? NULL : new_field(data, column);
}

static void PX_STDCALL ds_first(IDataSet* self) {
  operation("IDataSet.First");
  ((CsvDataSet*)self)->position = 0;
}

static void PX_STDCALL ds_next(IDataSet* self) {
  operation("IDataSet.Next");
  CsvDataSet* data = (CsvDataSet*)self;
  if (data->position < data->rows) ++data->position;
}

static void PX_STDCALL ds_reserved(IDataSet* self) {
  (void)self;
  pharmex_report_host_failure("reserved slot called");
}

static PxBool PX_STDCALL ds_eof(IDataSet* self) {
  operation("IDataSet.Eof");
  CsvDataSet* data = (CsvDataSet*)self;
  return (PxBool)(data->position >= data->rows);
}

/* A number of any numeric type; 0 when the value is none. */
static int numeric(const PxVariant* value, double* number) {
  switch (value->vt) {
    case PX_VT_I2:
      *number = value->value.i2;
      return 1;
    case PX_VT_I4:
      *number = value->value.i4;
      return 1;
    case PX_VT_I8:
      *number = (double)value->value.i8;
      return 1;
    case PX_VT_R8:
    case PX_VT_DATE:
      *number = value->value.r8;
      return 1;
    case PX_VT_CY:
      *number = (double)value->value.cy / 10000.0;
      return 1;
    default:
      return 0;
  }
}

static int same_value(const PxVariant* cell, const PxVariant* key) {
  double a = 0;
  double b = 0;
  if (numeric(cell, &a) && numeric(key, &b)) return a == b;
  if (cell->vt == PX_VT_BSTR && key->vt == PX_VT_BSTR) {
    uint32_t length = host_string_length(cell->value.bstr);
    return length == host_string_length(key->value.bstr) &&
           memcmp(cell->value.bstr, key->value.bstr, length * sizeof(PxChar16)) == 0;
  }
  return 0;
}

static PxBool PX_STDCALL ds_locate(IDataSet* self, const PxChar16* key_fields, const PxVariant* key,
                                   uint8_t options) {
  operation("IDataSet.Locate");
  CsvDataSet* data = (CsvDataSet*)self;
  int columns[kMaxColumns];
  int count = 0;
  (void)options;
  for (const PxChar16* start = key_fields;;) {
    const PxChar16* end = start;
    while (*end != 0 && *end != ';')
      ++end;
    int column = column_named(data, start, (size_t)(end - start));
    if (column < 0 || count == kMaxColumns) return 0;
    columns[count++] = column;
    if (*end == 0) break;
    start = end + 1;
  }
  if (count > 1 && (key->vt != PX_VT_ARRAY_VARIANT || host_array_count(key) != (uint32_t)count)) {
    return 0;
  }
  for (int row = 0; row < data->rows; ++row) {
    int match = 1;
    for (int k = 0; k < count && match; ++k) {
      const PxVariant* wanted = count > 1 ? host_array_item(key, (uint32_t)k) : key;
      match = wanted != NULL && same_value(&data->cells[row * data->columns + columns[k]], wanted);
    }
    if (match) {
      data->position = row;
      return 1;
    }
  }
  return 0;
}

static void clear_pending(CsvDataSet* data) {
  for (int c = 0; c < data->columns; ++c) {
    host_clear(&data->pending[c]);
    data->pending[c].vt = PX_VT_NULL;
  }
}

static void PX_STDCALL ds_append(IDataSet* self) {
  operation("IDataSet.Append");
  CsvDataSet* data = (CsvDataSet*)self;
  clear_pending(data);
  data->state = 1;
}

static void PX_STDCALL ds_edit(IDataSet* self) {
  operation("IDataSet.Edit");
  CsvDataSet* data = (CsvDataSet*)self;
  if (data->position >= data->rows) {
    pharmex_report_host_failure("Cannot edit at the end of the dataset");
    return;
  }
  clear_pending(data);
  for (int c = 0; c < data->columns; ++c)
    host_copy(&data->pending[c], &data->cells[data->position * data->columns + c]);
  data->state = 2;
}

static int grow(CsvDataSet* data) {
  if (data->rows < data->capacity) return 1;
  int capacity = data->capacity == 0 ? 8 : data->capacity * 2;
  PxVariant* cells = (PxVariant*)realloc(
      data->cells, (size_t)capacity * (size_t)data->columns * sizeof(PxVariant));
  if (cells == NULL) return 0;
  data->cells = cells;
  data->capacity = capacity;
  return 1;
}

static void PX_STDCALL ds_post(IDataSet* self) {
  operation("IDataSet.Post");
  CsvDataSet* data = (CsvDataSet*)self;
  if (data->state == 0) {
    pharmex_report_host_failure("Dataset not in edit or insert mode");
    return;
  }
  if (data->state == 1) {
    if (!grow(data)) {
      pharmex_report_host_failure("out of memory");
      return;
    }
    data->position = data->rows++;
  } else {
    for (int c = 0; c < data->columns; ++c)
      host_clear(&data->cells[data->position * data->columns + c]);
  }
  /* The pending values move into the row. */
  memcpy(&data->cells[data->position * data->columns], data->pending,
         (size_t)data->columns * sizeof(PxVariant));
  for (int c = 0; c < data->columns; ++c)
    pharmex_variant_init(&data->pending[c]);
  data->state = 0;
}

static int32_t PX_STDCALL ds_record_count(IDataSet* self) {
  operation("IDataSet.RecordCount");
  return ((CsvDataSet*)self)->rows;
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

/* ---- loading */

static char* read_all(const char* path, size_t* size) {
  FILE* in = fopen(path, "rb");
  if (in == NULL) return NULL;
  size_t capacity = 4096;
  char* text = (char*)malloc(capacity);
  *size = 0;
  for (;;) {
    size_t got = fread(text + *size, 1, capacity - *size, in);
    *size += got;
    if (*size < capacity) break;
    capacity *= 2;
    text = (char*)realloc(text, capacity);
  }
  fclose(in);
  return text;
}

IDataSet* csv_dataset_load(const char* path) {
  size_t size = 0;
  char* text = read_all(path, &size);
  if (text == NULL) {
    fprintf(stderr, "%s: cannot read\n", path);
    return NULL;
  }
  CsvDataSet* data = (CsvDataSet*)calloc(1, sizeof *data);
  data->base.lpVtbl = &kDataSetTable;
  data->refs = 1;
  ++live_objects;
  char* cell = (char*)malloc(size + 1);
  size_t i = 0;
  int line = 0;
  int ok = 1;
  while (ok && i < size) {
    int column = 0;
    if (line > 0) {
      ok = grow(data);
      for (int c = 0; c < data->columns; ++c)
        pharmex_variant_init(&data->cells[data->rows * data->columns + c]);
    }
    for (;;) { /* one cell */
      size_t length = 0;
      int quoted = i < size && text[i] == '"';
      if (quoted) {
        ++i;
        while (i < size && !(text[i] == '"' && (i + 1 >= size || text[i + 1] != '"'))) {
          if (text[i] == '"') ++i; /* a doubled quote */
          cell[length++] = text[i++];
        }
        ++i; /* the closing quote */
      } else {
        while (i < size && text[i] != ',' && text[i] != '\n' && text[i] != '\r')
          cell[length++] = text[i++];
      }
      if (line == 0) {
        ok = ok && parse_header(data, cell, length);
      } else if (column < data->columns) {
        ok = ok && make_value(&data->column[column], cell, length, quoted,
                              &data->cells[data->rows * data->columns + column]);
      } else {
        ok = 0;
      }
      ++column;
      if (i < size && text[i] == ',') {
        ++i;
        continue;
      }
      if (i < size && text[i] == '\r') ++i;
      if (i < size && text[i] == '\n') ++i;
      break;
    }
    if (line > 0) {
      ok = ok && column == data->columns;
      ++data->rows;
    }
    ++line;
  }
  free(cell);
  free(text);
  if (!ok) {
    fprintf(stderr, "%s:%d: not a host CSV file\n", path, line);
    ds_release(&data->base);
    return NULL;
  }
  for (int c = 0; c < data->columns; ++c)
    data->pending[c].vt = PX_VT_NULL;
  return &data->base;
}

void csv_dataset_dump(IDataSet* dataset, FILE* out) {
  CsvDataSet* data = (CsvDataSet*)dataset;
  for (int row = 0; row < data->rows; ++row) {
    for (int c = 0; c < data->columns; ++c) {
      const PxVariant* value = &data->cells[row * data->columns + c];
      uint64_t bits = 0;
      fputs(c == 0 ? "" : " ", out);
      fputs(data->column[c].ascii, out);
      fputc('=', out);
      switch (value->vt) {
        case PX_VT_EMPTY:
          fputs("empty", out);
          break;
        case PX_VT_NULL:
          fputs("null", out);
          break;
        case PX_VT_I2:
          put_decimal(value->value.i2, out);
          break;
        case PX_VT_I4:
          put_decimal(value->value.i4, out);
          break;
        case PX_VT_I8:
          put_decimal(value->value.i8, out);
          break;
        case PX_VT_BOOL:
          fputs(value->value.boolean ? "true" : "false", out);
          break;
        case PX_VT_CY:
          fputs("cy:", out);
          put_decimal(value->value.cy, out);
          break;
        case PX_VT_R8:
        case PX_VT_DATE:
          memcpy(&bits, &value->value.r8, sizeof bits);
          fputs(value->vt == PX_VT_R8 ? "r8:" : "date:", out);
          put_hex(bits, out);
          break;
        case PX_VT_BSTR:
          fputc('"', out);
          put_utf8(value->value.bstr, host_string_length(value->value.bstr), out);
          fputc('"', out);
          break;
        default:
          fputs("vt:", out);
          put_decimal(value->vt, out);
          break;
      }
    }
    fputc('\n', out);
  }
}
