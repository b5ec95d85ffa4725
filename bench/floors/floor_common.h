/* What the floor programs share: the pool of ready record images and the
 * folder and file they write. */
#ifndef PHARMEX_BENCH_FLOOR_COMMON_H
#define PHARMEX_BENCH_FLOOR_COMMON_H

#include "djinal_record.h"

/* DJ_POOL_SIZE record images of DJ_RECORD_LENGTH bytes each, plus one byte
 * after each for the end-of-file mark (so a record and its 0x1A can go out in
 * one write). */
char* floor_record_pool(void);

/* Parses the command line and builds the output path in `path`; exits on a
 * bad command line. Returns the rows to write. */
long floor_setup(int argc, char** argv, char* path, unsigned size, const char* file_name);

/* Creates the empty table at `path` (replacing an old one): the header of no
 * records, kept in `header` (DJ_HEADER_LENGTH bytes) for the header writes.
 * Returns the file descriptor, or -1 with the reason printed. */
int floor_create_table(const char* path, char* header);

/* Stores the record count in bytes 4 to 7 of the header, little-endian. */
void floor_store_count(char* header, unsigned long count);

#endif
