// TTableStage: a new table written aside. Its table file and memo file are
// written under temporary names in the folder of the table they are to
// replace (platform::StagedFiles: the names, the run's lock, the clearing of
// what killed runs left), and take that table's place only on Commit. Until
// then the table of that name, and its memo file, stay as they were; a stage
// that is not committed removes its files.
//
// TCreateDbfDataSet makes one when asked to WriteAside and hands it to the
// dataset it opens, whose Commit puts the table in place and whose Close
// throws it away:
//
//   creator.SetWriteAside(true);
//   creator.CreateTable();  // writes .~pharmex-<id>.table and .~pharmex-<id>.memo
//   ... append and post ...
//   table.Commit();         // now /out/WAYBILL.DBF and /out/WAYBILL.DBT
//
// A table and its memo file are two files, and no rename replaces two at
// once. Commit moves them in this order (docs/table_format.md), under the
// folder's lock so that two commits never mix their steps:
//
//   1. the old table away, to a temporary name of the stage (refused while
//      anybody has it open: it stays, and so does its memo file);
//   2. the old memo file away;
//   3. the new memo file to the memo file's name;
//   4. the new table to the table's name.
//
// A reader thus finds the old pair, no table at all (from 1 to 4), or the new
// pair, never a table with the other's memo file; a run killed between two
// steps leaves no table rather than a crossed pair. A step that fails undoes
// the ones before it, so a failed commit leaves the old pair in place. A table
// without memo fields is put in place by one rename over the old table,
// refused as well while anybody has it open (its old memo file, if any, stays
// as it was, as a new table without memo fields always leaves it), under the
// folder's lock too.
//
// One object is used by one thread.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/file_system.h"
#include "platform/staged_files.h"

namespace pharmex::dbf {

class TTableStage {
 public:
  // Stages the table `table_path` (its full path, extension included) and,
  // unless `memo_path` is empty, its memo file. Fails with "Could not create
  // file %s" naming the table or memo file that may not be replaced
  // (platform::StagedFiles::may_replace), or the table when no temporary
  // file can be made in its folder.
  TTableStage(std::string table_path, std::string memo_path,
              std::shared_ptr<platform::FileSystem> file_system);
  // Removes the stage's files that are still there. Never throws.
  // REQUIRES: they are closed.
  ~TTableStage();
  TTableStage(const TTableStage&) = delete;
  TTableStage& operator=(const TTableStage&) = delete;

  // The table and memo file to be replaced.
  const std::string& TablePath() const { return table_path_; }
  const std::string& MemoPath() const { return memo_path_; }
  // Where they are written meanwhile.
  const std::string& TableFile() const { return table_file_; }
  const std::string& MemoFile() const { return memo_file_; }

  // Puts the table, and its memo file when it has one, in place (above).
  // Fails with "Error on Rename of file %s" naming the file whose place
  // could not be taken, or with "Can not Lock file %s" naming the table when
  // another commit into the folder held its lock too long; the old files are
  // then in their places again. Called once.
  // REQUIRES: the stage's files are closed.
  void Commit();

 private:
  std::shared_ptr<platform::FileSystem> files_;
  std::string table_path_;
  std::string memo_path_;
  std::unique_ptr<platform::StagedFiles> staged_;
  std::string table_file_;
  std::string memo_file_;
};

}  // namespace pharmex::dbf
