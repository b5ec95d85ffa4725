/* The stack checks of stack_check.h: wrappers over a host's IDataSet, IField
 * and callbacks whose every call goes through a measuring thunk on 32-bit
 * Windows, and plain pass-through elsewhere. */
#include "stack_check.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static int mismatches = 0;

int stack_check_mismatches(void) {
  return mismatches;
}

#if defined(_WIN32) && defined(__i386__)

int stack_check_active(void) {
  return 1;
}

/* A function of any type, as the thunk calls it. */
typedef void (*AnyFunction)(void);

/* Calls `function` with `size` bytes of arguments copied from `arguments`
 * (laid out as on the stack: the first argument at the lowest address),
 * stores what it left in EDX:EAX into *result and returns the number of
 * bytes the callee removed from the stack. The stack pointer is restored
 * from the frame, whatever the callee did to it. */
uint32_t px_probe_call(AnyFunction function, const uint32_t* arguments, uint32_t size,
                       uint64_t* result);
__asm__(
    "  .text\n"
    "  .globl _px_probe_call\n"
    "_px_probe_call:\n"
    "  pushl %ebp\n"
    "  movl %esp, %ebp\n"
    "  pushl %ebx\n"
    "  pushl %esi\n"
    "  pushl %edi\n"
    "  movl 16(%ebp), %ecx\n" /* size */
    "  subl %ecx, %esp\n"
    "  andl $-16, %esp\n"
    "  movl %esp, %edi\n"
    "  movl 12(%ebp), %esi\n" /* arguments */
    "  cld\n"
    "  rep movsb\n"
    "  movl %esp, %ebx\n" /* where the arguments start; callee-saved */
    "  call *8(%ebp)\n"
    "  movl %esp, %ecx\n"
    "  subl %ebx, %ecx\n" /* bytes the callee removed */
    "  movl 20(%ebp), %esi\n"
    "  movl %eax, (%esi)\n"
    "  movl %edx, 4(%esi)\n"
    "  movl %ecx, %eax\n"
    "  leal -12(%ebp), %esp\n"
    "  popl %edi\n"
    "  popl %esi\n"
    "  popl %ebx\n"
    "  popl %ebp\n"
    "  ret\n");

/* The arguments of one call, as the library pushes them: 4-byte slots, a
 * variant by value as its 16 bytes. */
typedef struct Arguments {
  uint32_t words[8];
  uint32_t size;
} Arguments;

static void push_word(Arguments* arguments, uint32_t word) {
  arguments->words[arguments->size / 4] = word;
  arguments->size += 4;
}

static void push_pointer(Arguments* arguments, const void* pointer) {
  push_word(arguments, (uint32_t)(uintptr_t)pointer);
}

static void push_variant(Arguments* arguments, const PxVariant* value) {
  memcpy(&arguments->words[arguments->size / 4], value, sizeof *value);
  arguments->size += (uint32_t)sizeof *value;
}

/* Calls the host's function and reports a callee that removed the wrong
 * number of bytes; returns EAX (and EDX above it). */
static uint64_t call_checked(const char* operation, AnyFunction function,
                             const Arguments* arguments) {
  uint64_t result = 0;
  const uint32_t removed = px_probe_call(function, arguments->words, arguments->size, &result);
  if (removed != arguments->size) {
    fprintf(stderr,
            "stack check: %s removed %u bytes of arguments from the stack, the library passes %u "
            "(a wrong declaration in the host's table)\n",
            operation, (unsigned)removed, (unsigned)arguments->size);
    ++mismatches;
  }
  return result;
}

#define HOST_FUNCTION(f) ((AnyFunction)(f))

/* ---- fields */

typedef struct CheckedField {
  IField base;
  IField* inner;
  uint32_t references;
} CheckedField;

static IField* checked_field(IField* inner);

static IField* inner_field(IField* self) {
  return ((CheckedField*)self)->inner;
}

static int32_t PX_STDCALL field_query(IField* self, const PxGuid* iid, void** object) {
  IField* inner = inner_field(self);
  Arguments a = {{0}, 0};
  push_pointer(&a, inner);
  push_pointer(&a, iid);
  push_pointer(&a, object);
  return (int32_t)call_checked("IField.QueryInterface",
                               HOST_FUNCTION(inner->lpVtbl->QueryInterface), &a);
}

static uint32_t PX_STDCALL field_add_ref(IField* self) {
  return ++((CheckedField*)self)->references;
}

static uint32_t PX_STDCALL field_release(IField* self) {
  CheckedField* field = (CheckedField*)self;
  const uint32_t left = --field->references;
  if (left == 0) {
    Arguments a = {{0}, 0};
    push_pointer(&a, field->inner);
    call_checked("IField.Release", HOST_FUNCTION(field->inner->lpVtbl->Release), &a);
    free(field);
  }
  return left;
}

static const PxChar16* PX_STDCALL field_name(IField* self) {
  IField* inner = inner_field(self);
  Arguments a = {{0}, 0};
  push_pointer(&a, inner);
  return (const PxChar16*)(uintptr_t)call_checked("IField.Name", HOST_FUNCTION(inner->lpVtbl->Name),
                                                  &a);
}

static uint8_t PX_STDCALL field_data_type(IField* self) {
  IField* inner = inner_field(self);
  Arguments a = {{0}, 0};
  push_pointer(&a, inner);
  return (uint8_t)call_checked("IField.DataType", HOST_FUNCTION(inner->lpVtbl->DataType), &a);
}

static int32_t PX_STDCALL field_size(IField* self) {
  IField* inner = inner_field(self);
  Arguments a = {{0}, 0};
  push_pointer(&a, inner);
  return (int32_t)call_checked("IField.Size", HOST_FUNCTION(inner->lpVtbl->Size), &a);
}

static void PX_STDCALL field_value(PxVariant* result, IField* self) {
  IField* inner = inner_field(self);
  Arguments a = {{0}, 0};
  push_pointer(&a, result);
  push_pointer(&a, inner);
  call_checked("IField.Value", HOST_FUNCTION(inner->lpVtbl->Value), &a);
}

static void PX_STDCALL field_set_value(IField* self, PxVariant value) {
  IField* inner = inner_field(self);
  Arguments a = {{0}, 0};
  push_pointer(&a, inner);
  push_variant(&a, &value);
  call_checked("IField.SetValue", HOST_FUNCTION(inner->lpVtbl->SetValue), &a);
}

static const IFieldVtbl kCheckedFieldTable = {
    field_query,     field_add_ref, field_release, field_name,
    field_data_type, field_size,    field_value,   field_set_value,
};

static IField* checked_field(IField* inner) {
  if (inner == NULL) return NULL;
  CheckedField* field = (CheckedField*)calloc(1, sizeof *field);
  if (field == NULL) abort();
  field->base.lpVtbl = &kCheckedFieldTable;
  field->inner = inner;
  field->references = 1;
  return &field->base;
}

/* ---- datasets */

typedef struct CheckedDataSet {
  IDataSet base;
  IDataSet* inner;
  uint32_t references;
} CheckedDataSet;

static IDataSet* inner_dataset(IDataSet* self) {
  return ((CheckedDataSet*)self)->inner;
}

/* An operation taking only the object. */
static uint64_t call_plain(IDataSet* self, const char* operation, AnyFunction function) {
  Arguments a = {{0}, 0};
  push_pointer(&a, inner_dataset(self));
  return call_checked(operation, function, &a);
}

#define DATASET_SLOT(self, slot) HOST_FUNCTION(inner_dataset(self)->lpVtbl->slot)

static int32_t PX_STDCALL ds_query(IDataSet* self, const PxGuid* iid, void** object) {
  Arguments a = {{0}, 0};
  push_pointer(&a, inner_dataset(self));
  push_pointer(&a, iid);
  push_pointer(&a, object);
  return (int32_t)call_checked("IDataSet.QueryInterface", DATASET_SLOT(self, QueryInterface), &a);
}

static uint32_t PX_STDCALL ds_add_ref(IDataSet* self) {
  return ++((CheckedDataSet*)self)->references;
}

static uint32_t PX_STDCALL ds_release(IDataSet* self) {
  CheckedDataSet* dataset = (CheckedDataSet*)self;
  const uint32_t left = --dataset->references;
  if (left == 0) {
    call_plain(self, "IDataSet.Release", DATASET_SLOT(self, Release));
    free(dataset);
  }
  return left;
}

static int32_t PX_STDCALL ds_field_count(IDataSet* self) {
  return (int32_t)call_plain(self, "IDataSet.FieldCount", DATASET_SLOT(self, FieldCount));
}

static void PX_STDCALL ds_get_field(IField** result, IDataSet* self, int32_t index) {
  IField* field = NULL;
  Arguments a = {{0}, 0};
  push_pointer(&a, &field);
  push_pointer(&a, inner_dataset(self));
  push_word(&a, (uint32_t)index);
  call_checked("IDataSet.GetField", DATASET_SLOT(self, GetField), &a);
  *result = checked_field(field);
}

static void PX_STDCALL ds_field_by_name(IField** result, IDataSet* self, const PxChar16* name) {
  IField* field = NULL;
  Arguments a = {{0}, 0};
  push_pointer(&a, &field);
  push_pointer(&a, inner_dataset(self));
  push_pointer(&a, name);
  call_checked("IDataSet.FieldByName", DATASET_SLOT(self, FieldByName), &a);
  *result = checked_field(field);
}

static void PX_STDCALL ds_first(IDataSet* self) {
  call_plain(self, "IDataSet.First", DATASET_SLOT(self, First));
}

static void PX_STDCALL ds_next(IDataSet* self) {
  call_plain(self, "IDataSet.Next", DATASET_SLOT(self, Next));
}

static void PX_STDCALL ds_reserved(IDataSet* self) {
  (void)self;
  fprintf(stderr, "stack check: the library called a reserved slot\n");
  ++mismatches;
}

static PxBool PX_STDCALL ds_eof(IDataSet* self) {
  return (PxBool)call_plain(self, "IDataSet.Eof", DATASET_SLOT(self, Eof));
}

static PxBool PX_STDCALL ds_locate(IDataSet* self, const PxChar16* key_fields, const PxVariant* key,
                                   uint8_t options) {
  Arguments a = {{0}, 0};
  push_pointer(&a, inner_dataset(self));
  push_pointer(&a, key_fields);
  push_pointer(&a, key);
  push_word(&a, options);
  return (PxBool)call_checked("IDataSet.Locate", DATASET_SLOT(self, Locate), &a);
}

static void PX_STDCALL ds_append(IDataSet* self) {
  call_plain(self, "IDataSet.Append", DATASET_SLOT(self, Append));
}

static void PX_STDCALL ds_edit(IDataSet* self) {
  call_plain(self, "IDataSet.Edit", DATASET_SLOT(self, Edit));
}

static void PX_STDCALL ds_post(IDataSet* self) {
  call_plain(self, "IDataSet.Post", DATASET_SLOT(self, Post));
}

static int32_t PX_STDCALL ds_record_count(IDataSet* self) {
  return (int32_t)call_plain(self, "IDataSet.RecordCount", DATASET_SLOT(self, RecordCount));
}

static const IDataSetVtbl kCheckedDataSetTable = {
    ds_query,  ds_add_ref,  ds_release, ds_field_count, ds_get_field, ds_field_by_name,
    ds_first,  ds_reserved, ds_next,    ds_reserved,    ds_reserved,  ds_eof,
    ds_locate, ds_append,   ds_edit,    ds_post,        ds_reserved,  ds_record_count,
};

IDataSet* stack_checked_host_dataset(IDataSet* dataset) {
  if (dataset == NULL || dataset->lpVtbl != &kCheckedDataSetTable) return dataset;
  return ((CheckedDataSet*)dataset)->inner;
}

IDataSet* stack_checked_dataset(IDataSet* dataset) {
  if (dataset == NULL) return NULL;
  CheckedDataSet* checked = (CheckedDataSet*)calloc(1, sizeof *checked);
  if (checked == NULL) abort();
  checked->base.lpVtbl = &kCheckedDataSetTable;
  checked->inner = dataset;
  checked->references = 1;
  return &checked->base;
}

/* ---- callbacks */

static PxProgressCallback host_progress = NULL;
static PxStartCallback host_start = NULL;
static PxFinishCallback host_finish = NULL;

static void PX_STDCALL checked_progress(PxWindow window, int32_t percent) {
  Arguments a = {{0}, 0};
  push_word(&a, (uint32_t)window);
  push_word(&a, (uint32_t)percent);
  call_checked("the progress callback", HOST_FUNCTION(host_progress), &a);
}

static void PX_STDCALL checked_start(PxWindow window) {
  Arguments a = {{0}, 0};
  push_word(&a, (uint32_t)window);
  call_checked("the start callback", HOST_FUNCTION(host_start), &a);
}

static void PX_STDCALL checked_finish(PxWindow window) {
  Arguments a = {{0}, 0};
  push_word(&a, (uint32_t)window);
  call_checked("the finish callback", HOST_FUNCTION(host_finish), &a);
}

void stack_checked_callbacks(PxProgressCallback* progress, PxStartCallback* start,
                             PxFinishCallback* finish) {
  if (progress != NULL && *progress != NULL && *progress != checked_progress) {
    host_progress = *progress;
    *progress = checked_progress;
  }
  if (start != NULL && *start != NULL && *start != checked_start) {
    host_start = *start;
    *start = checked_start;
  }
  if (finish != NULL && *finish != NULL && *finish != checked_finish) {
    host_finish = *finish;
    *finish = checked_finish;
  }
}

#else /* one calling convention, the caller cleans up: nothing to check */

int stack_check_active(void) {
  return 0;
}

IDataSet* stack_checked_dataset(IDataSet* dataset) {
  return dataset;
}

IDataSet* stack_checked_host_dataset(IDataSet* dataset) {
  return dataset;
}

void stack_checked_callbacks(PxProgressCallback* progress, PxStartCallback* start,
                             PxFinishCallback* finish) {
  (void)progress;
  (void)start;
  (void)finish;
}

#endif
