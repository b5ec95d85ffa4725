/* A host's dataset in plain C: an IDataSet/IField pair over the rows of a
 * CSV file of the examples/ folder (UTF-8; header cells "name:type" with the
 * types integer, float, date, boolean and string(N); an unquoted empty cell
 * is null). It implements every operation the library calls (Locate,
 * Append, Edit, Post and SetValue included) through the tables of
 * pharmex/host.h, with the values of host_values.h. */
#ifndef PHARMEX_TESTS_CSV_DATASET_H
#define PHARMEX_TESTS_CSV_DATASET_H

#include <stdio.h>

#include "pharmex/pharmex.h"

/* Loads a file; NULL after printing what is wrong to stderr. The dataset
 * holds one reference, which the caller releases. */
IDataSet* csv_dataset_load(const char* path);

/* Writes the rows, one line per row and "name=value" per column, values
 * exactly (numbers as their bits, text as UTF-8), so that two hosts'
 * results can be compared byte for byte. */
void csv_dataset_dump(IDataSet* dataset, FILE* out);

/* Called at the start of every IDataSet and IField operation of these
 * datasets except the reference counting, with the operation's name
 * ("IDataSet.Post"), before it does anything: a test host raises from it.
 * NULL (the default) calls nothing. */
typedef void (*CsvOperationHook)(const char* operation);
void csv_set_operation_hook(CsvOperationHook hook);

/* Objects of this file still alive (datasets and fields). */
int csv_live_objects(void);

/* UTF-16 of ASCII text, for names (at most 63 characters). */
void csv_ascii16(const char* text, PxChar16* out);

#endif /* PHARMEX_TESTS_CSV_DATASET_H */
