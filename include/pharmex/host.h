/* pharmex: the host's data interfaces and callbacks.
 *
 * The host implements IDataSet (a cursor over rows) and IField (one column of
 * the current row) and hands them to the entry points of pharmex/pharmex.h.
 * Both are reference-counted COM-style objects: the first member of an object
 * is a pointer to its table of operations, whose first three slots are query
 * interface, add reference and release, followed by the operations below in
 * exactly this order. Slots marked "reserved" are never called by the library
 * but keep their place, so a host built for the original binary layout works.
 *
 * Calling rules (every slot and callback uses PX_STDCALL, object first):
 *   - An operation that returns an interface or a variant takes the address
 *     that receives the result as an extra first argument, ahead of the object.
 *     A returned interface carries a reference the caller releases; a returned
 *     variant belongs to the caller, who clears it (pharmex/variant.h). The
 *     slot the library passes is always empty (a null interface, a
 *     PX_VT_EMPTY variant): a callee may store its result without looking,
 *     or clear the slot first, as a Pascal function result is cleared;
 *     neither frees anything.
 *   - SetValue takes its variant by value (on 32-bit Windows all 16 bytes on
 *     the stack: a Pascal "const" parameter, passed by reference, does not
 *     match), Locate its key by address; both stay owned by the caller.
 *   - Booleans are one byte (PxBool).
 *   - No C++ exception crosses the boundary in either direction. A host
 *     operation or callback that fails says so with
 *     pharmex_report_host_failure (below), or raises: on Windows every call
 *     into the host runs under a guard that stops a structured exception
 *     there (a Pascal exception, an access violation, another compiler's
 *     C++ exception), unwinds the host's frames (its finally blocks run)
 *     and ends the run with the exception's message (pharmex/pharmex.h);
 *     elsewhere nothing may be raised. What AddRef or Release raise is
 *     dropped: the reference counts as taken or given back.
 *   - Strings handed to the host are zero-terminated UTF-16; IField.Name
 *     returns a zero-terminated UTF-16 name owned by the field, which the
 *     library copies at once.
 *
 * A host written in Pascal uses the pharmex unit (bindings/pascal), which
 * declares these interfaces in Pascal and adapts them to these rules.
 *
 * The library calls every operation on the thread that called the entry point.
 * QueryInterface is never called.
 */
#ifndef PHARMEX_HOST_H
#define PHARMEX_HOST_H

#include <stdint.h>

#include "pharmex/abi.h"
#include "pharmex/variant.h"

typedef struct PxGuid {
  uint32_t data1;
  uint16_t data2;
  uint16_t data3;
  uint8_t data4[8];
} PxGuid;

/* {D7CB1915-F739-45E4-9CCB-63E96E7C5944} */
#define PX_IID_IDATASET                              \
  {                                                  \
    0xD7CB1915u, 0xF739u, 0x45E4u, {                 \
      0x9C, 0xCB, 0x63, 0xE9, 0x6E, 0x7C, 0x59, 0x44 \
    }                                                \
  }
/* {9ADAEC93-39A7-4420-AF3C-C7F538143D1C} */
#define PX_IID_IFIELD                                \
  {                                                  \
    0x9ADAEC93u, 0x39A7u, 0x4420u, {                 \
      0xAF, 0x3C, 0xC7, 0xF5, 0x38, 0x14, 0x3D, 0x1C \
    }                                                \
  }

/* Column types, reported by IField.DataType. Only the low 7 bits are read. */
typedef enum TFieldType {
  ftUnknown = 0,
  ftString = 1,
  ftSmallint = 2,
  ftInteger = 3,
  ftWord = 4,
  ftBoolean = 5,
  ftFloat = 6,
  ftCurrency = 7,
  ftBCD = 8,
  ftDate = 9,
  ftTime = 10,
  ftDateTime = 11,
  ftBytes = 12,
  ftVarBytes = 13,
  ftAutoInc = 14,
  ftBlob = 15,
  ftMemo = 16,
  ftGraphic = 17,
  ftFmtMemo = 18,
  ftParadoxOle = 19,
  ftDBaseOle = 20,
  ftTypedBinary = 21,
  ftCursor = 22,
  ftFixedChar = 23,
  ftWideString = 24,
  ftLargeint = 25,
  ftADT = 26,
  ftArray = 27,
  ftReference = 28,
  ftDataSet = 29,
  ftOraBlob = 30,
  ftOraClob = 31,
  ftVariant = 32,
  ftInterface = 33,
  ftIDispatch = 34,
  ftGuid = 35,
  ftTimeStamp = 36,
  ftFMTBcd = 37,
  ftFixedWideChar = 38,
  ftWideMemo = 39,
  ftOraTimeStamp = 40,
  ftOraInterval = 41
} TFieldType;

typedef struct IDataSet IDataSet;
typedef struct IField IField;

typedef struct IFieldVtbl {
  int32_t(PX_STDCALL* QueryInterface)(IField* self, const PxGuid* iid, void** object);
  uint32_t(PX_STDCALL* AddRef)(IField* self);
  uint32_t(PX_STDCALL* Release)(IField* self);
  /* Column name, zero-terminated UTF-16, owned by the field. */
  const PxChar16*(PX_STDCALL* Name)(IField* self);
  /* A TFieldType ordinal; only the low 7 bits count. */
  uint8_t(PX_STDCALL* DataType)(IField* self);
  /* Declared width of a string column, in characters. */
  int32_t(PX_STDCALL* Size)(IField* self);
  /* Value in the current row (PX_VT_NULL when there is none). */
  void(PX_STDCALL* Value)(PxVariant* result, IField* self);
  /* Stores a value into the current row while it is appended or edited. */
  void(PX_STDCALL* SetValue)(IField* self, PxVariant value);
} IFieldVtbl;

struct IField {
  const IFieldVtbl* lpVtbl;
};

typedef void(PX_STDCALL* PxReservedSlot)(IDataSet* self);

typedef struct IDataSetVtbl {
  int32_t(PX_STDCALL* QueryInterface)(IDataSet* self, const PxGuid* iid, void** object);
  uint32_t(PX_STDCALL* AddRef)(IDataSet* self);
  uint32_t(PX_STDCALL* Release)(IDataSet* self);
  /* Number of columns; columns are indexed from 0 in the host's order. */
  int32_t(PX_STDCALL* FieldCount)(IDataSet* self);
  void(PX_STDCALL* GetField)(IField** result, IDataSet* self, int32_t index);
  /* Column by name; *result is null when there is no such column. */
  void(PX_STDCALL* FieldByName)(IField** result, IDataSet* self, const PxChar16* name);
  void(PX_STDCALL* First)(IDataSet* self);
  PxReservedSlot Reserved1;
  void(PX_STDCALL* Next)(IDataSet* self);
  PxReservedSlot Reserved2;
  PxReservedSlot Reserved3;
  /* True past the last row, and right after First on an empty dataset. */
  PxBool(PX_STDCALL* Eof)(IDataSet* self);
  /* Key column names separated by ";"; the key is one variant, or a variant
   * array with one element per column. Options are always 0. True when a row
   * with exactly those values exists; the cursor then stands on it. */
  PxBool(PX_STDCALL* Locate)(IDataSet* self, const PxChar16* key_fields, const PxVariant* key,
                             uint8_t options);
  void(PX_STDCALL* Append)(IDataSet* self);
  void(PX_STDCALL* Edit)(IDataSet* self);
  void(PX_STDCALL* Post)(IDataSet* self);
  PxReservedSlot Reserved4;
  /* Rows the cursor will visit; the library reads it once, before the first row. */
  int32_t(PX_STDCALL* RecordCount)(IDataSet* self);
} IDataSetVtbl;

struct IDataSet {
  const IDataSetVtbl* lpVtbl;
};

/* Reports that the host operation now running cannot do what it was asked
 * (a Post the host refuses, a SetValue it cannot store, ...). Call it from
 * inside the failing IDataSet or IField operation or callback, on the
 * calling thread, with the message (UTF-8; null or "" for a generic one),
 * then return normally: an operation with a result still stores one (a null
 * interface, a PX_VT_NULL variant). When the operation returns, the library ends the run
 * with that message as its failure, exactly as if the operation had raised
 * it: the run's clean-up happens and the message is shown by the dialog or
 * passed on through pharmex_last_error(). Never throws. */
PX_EXTERN_C PX_API void PX_STDCALL pharmex_report_host_failure(const char* message) PX_NOEXCEPT;

/* Callbacks; each may be null and is then skipped. The window handle is the
 * one given to the entry point, or 0 where the entry point shows no dialog. */
typedef void(PX_STDCALL* PxProgressCallback)(PxWindow window, int32_t percent);
typedef void(PX_STDCALL* PxStartCallback)(PxWindow window);
typedef void(PX_STDCALL* PxFinishCallback)(PxWindow window);

#endif /* PHARMEX_HOST_H */
