// What the tests of several processes on one table write and check. Each
// writer's records say who wrote them (a name, and a memo of one to three
// blocks made from the writer and the record's number), so a record read
// back tells whether it landed once and whole, and whose it is. The Linux
// reliability suite and the Windows tests of two 32-bit processes share it.
#pragma once

#include <string>

#include "dbf/dbf_dataset.h"
#include "reliability/table_image.h"

namespace pharmex::reliability {

// The NAME and NOTE (memo) of writer `writer`'s record number `seq`.
std::string name_of(int writer, int seq);
std::string memo_of(int writer, int seq);

// Creates the test table (WRITER, SEQ, NAME and the memo NOTE) at `path`
// (dBase IV, replacing what is there) and leaves `table` open on it; with
// `aside` as an export does, written aside for Commit to put in place.
// Throws what the engine throws.
void create_shared_table(dbf::TDbfDataSet& table, const std::string& path, bool aside = false);

// Appends and posts `records` records of `writer` through `table`.
void append_records(dbf::TDbfDataSet& table, int writer, int records);

// One exporting process: writes a table for `path` aside, appends `records`
// records of `writer` and, while it still holds the table, walks it, then
// puts it in place; throws when it does not hold exactly those records,
// whole, or what the engine throws.
void export_records(const std::string& path, int writer, int records);

// What a record of the test table says: the current record of `table`.
struct WrittenRecord {
  int writer = 0;
  int seq = 0;
  std::string name;
  std::string note;
};
WrittenRecord read_record(dbf::TDbfDataSet& table);

// "" when the open `table` holds exactly `writer`'s `records` records,
// whole, in order; otherwise the first that is not.
std::string walked_not_whole(dbf::TDbfDataSet& table, int writer, int records);

// "" when the table holds exactly `writer`'s `records` records, whole, in
// order; otherwise what is wrong.
std::string not_whole(const TableImage& image, int writer, int records);

// "" when `writers` writers' `records` records each landed exactly once and
// whole, in any order, and the header counts them all; otherwise what is
// wrong.
std::string not_all_landed(const TableImage& image, int writers, int records);

// "" when no block of the memo file belongs to two records' memos (from the
// block number in each record and the length word of its memo's header);
// otherwise the first block shared.
std::string memos_overlap(const TableImage& image, const std::string& memo_path);

}  // namespace pharmex::reliability
