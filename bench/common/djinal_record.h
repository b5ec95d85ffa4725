/* The records every engine in the comparison writes and reads: the Djinal
 * waybill table's 38 fields (713-byte records), filled the way the Djinal
 * export fills them (24 fields assigned, the others left as a new record
 * has them: blanks, and 0 in numeric fields).
 *
 * Plain C, so that the floor programs and the peers (shapelib, xbase64) use
 * exactly the values pharmex's benchmark uses. Text is in code page 866, as
 * it is stored in the table.
 */
#ifndef PHARMEX_BENCH_DJINAL_RECORD_H
#define PHARMEX_BENCH_DJINAL_RECORD_H

#ifdef __cplusplus
extern "C" {
#endif

#define DJ_FIELD_COUNT 38
#define DJ_RECORD_LENGTH 713
#define DJ_HEADER_LENGTH (32 * DJ_FIELD_COUNT + 33)
#define DJ_ASSIGNED_COUNT 24
/* Distinct records; row r uses values r % DJ_POOL_SIZE, so that making up
 * values costs nothing inside a timed loop. */
#define DJ_POOL_SIZE 1000

typedef struct dj_field {
  const char* name;
  char type; /* 'C', 'N' or 'D' */
  int length;
  int decimals;
} dj_field;

extern const dj_field dj_fields[DJ_FIELD_COUNT];
/* The indexes of the assigned fields, in the order the export assigns them. */
extern const int dj_assigned[DJ_ASSIGNED_COUNT];

/* The values of one record: text for C fields (code page 866, zero-terminated,
 * at most the field's length), "yyyymmdd" for D fields, a number for N fields.
 * Fields not assigned hold "" and 0. */
typedef struct dj_values {
  char text[DJ_FIELD_COUNT][104];
  double number[DJ_FIELD_COUNT];
} dj_values;

void dj_make_values(long row, dj_values* values);

/* The text of a field as the table stores it (exactly its length, no
 * terminator): text left-justified and padded with blanks, numbers
 * right-justified with their decimals. Uses snprintf for numbers. */
void dj_format_field(const dj_values* values, int field, char* out);

/* The whole record image, deletion flag first. */
void dj_format_record(const dj_values* values, char* record);

/* The 32-byte header and the field descriptors of an empty table, as the
 * dBase IV builder writes them, into `header` (DJ_HEADER_LENGTH bytes). */
void dj_format_header(char* header, unsigned record_count);

#ifdef __cplusplus
}
#endif

#endif
