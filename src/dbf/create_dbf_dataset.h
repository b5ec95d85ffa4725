// TCreateDbfDataSet: creates a new table from a list of field specifications
// (TFieldSpec) and opens it through the dataset it is given.
//
//   TDbfDataSet table;
//   table.SetTableName("/out/orders.dbf");
//   TCreateDbfDataSet creator;
//   creator.SetDBFTable(&table);
//   creator.SetDBFType(TDbfTypes::DBaseIV);
//   creator.SetAutoOverwrite(true);
//   creator.SetCreateFields({"NAME;C;80;0", "QNT;N;14;2", "NOTE;M;0;0"});
//   creator.CreateTable();  // table is now open, ready for Append
//
// Refusals, all DatabaseError and all before any file is touched: "A table is
// not assigned to this object", "Cannot perform this operation on an open
// table", "Field list is invalid" (see ParseFieldList). File errors come from
// the disk files ("Could not create file %s", ...); a partly written file is
// then left in place.
//
// Replacing a table. With AutoOverwrite an existing table file is replaced
// without a word. Without it the creator asks the OverwriteQuestion callback,
// which a host with a user interface sets to show kOverwriteQuestion (this
// engine knows nothing of windows); when no callback is set the answer is no.
// A declined question makes CreateTable return false with nothing written.
// The question concerns the file that would be replaced: the table name with
// ".DBF" added when it has none.
//
// Written aside. With WriteAside the new files are written under temporary
// names in the table's folder (TTableStage) while the table of that name, and
// its memo file, stay as they are; the dataset is opened on the new files,
// and only its Commit puts them in the old ones' place (Close throws them
// away). An existing table that may not be replaced (read-only, or held
// exclusively) is refused with "Could not create file %s" as before, before
// anything is written. Two creators of one table then never meet: each
// writes its own files, and the last to commit leaves its table whole.
//
// Two creators, one path. From the moment the new files are created until
// the dataset has opened the table and its memo file, somebody of ours holds
// them, so a second creator of the same table (another export, in this
// process or another) fails with "Could not create file %s" or "Access denied
// to file %s" without touching them; once the first has closed its dataset,
// a later creator replaces the table whole. (A dataset set to open
// exclusively takes the files over by closing and opening them, which leaves
// a moment between the two.)
//
// The files are written through the file system of the creator's options
// and the new header is dated by their clock (EngineOptions; by default the
// process's at the moment the creator is made). The dataset opens the table
// with its own options: a caller gives both the same.
//
// One object is used by one thread.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "dbf/dbf_builder.h"
#include "dbf/engine_options.h"
#include "platform/clock.h"
#include "platform/file_system.h"

namespace pharmex::dbf {

class TDbfDataSet;

enum class TDbfTypes { Clipper, DBaseIII, DBaseIV, FoxPro2 };

class TCreateDbfDataSet {
 public:
  static constexpr std::string_view kOverwriteQuestion = "Table exists.  Do you want to overwrite?";
  // Gets the path of the existing table; true replaces it.
  using TOverwriteQuestion = std::function<bool(std::string_view path)>;

  // REQUIRES: options with a file system and a clock.
  explicit TCreateDbfDataSet(EngineOptions options = EngineOptions::process_defaults());

  const EngineOptions& Options() const { return options_; }

  // One field specification per line, in field order.
  const std::vector<std::string>& CreateFields() const { return create_fields_; }
  std::vector<std::string>& CreateFields() { return create_fields_; }
  void SetCreateFields(std::vector<std::string> lines) { create_fields_ = std::move(lines); }
  // The dataset whose TableName names the file and which is opened after.
  TDbfDataSet* DBFTable() const { return table_; }
  void SetDBFTable(TDbfDataSet* table) { table_ = table; }
  TDbfTypes DBFType() const { return type_; }  // default Clipper
  void SetDBFType(TDbfTypes type) { type_ = type; }
  bool AutoOverwrite() const { return auto_overwrite_; }  // default false
  void SetAutoOverwrite(bool on) { auto_overwrite_ = on; }
  void SetOverwriteQuestion(TOverwriteQuestion ask) { ask_ = std::move(ask); }
  bool WriteAside() const { return write_aside_; }  // default false
  void SetWriteAside(bool on) { write_aside_ = on; }

  // Creates the files and opens DBFTable: true. False when replacing an
  // existing table was declined.
  bool CreateTable();

  // The builder of a flavour: TDbf4Builder for DBaseIV, TFoxBuilder for
  // FoxPro2, TDbfBuilder for the others.
  static std::unique_ptr<TDbfBuilder> NewBuilder(TDbfTypes type, std::string_view path,
                                                 platform::FileSystem& file_system,
                                                 const platform::Clock& clock);

 private:
  EngineOptions options_;
  std::vector<std::string> create_fields_;
  TDbfDataSet* table_ = nullptr;
  TDbfTypes type_ = TDbfTypes::Clipper;
  bool auto_overwrite_ = false;
  bool write_aside_ = false;
  TOverwriteQuestion ask_;
};

}  // namespace pharmex::dbf
