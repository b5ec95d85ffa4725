// TDbfBuilder: writes a new, empty table file (and its memo file when the
// table has memo fields) from field descriptions. This class writes the
// dBase III / Clipper flavour; TDbf4Builder and TFoxBuilder change the version
// byte and the memo file.
//
//   version byte   0x03 without memo fields; with them 0x83 here, 0x8B for
//                  dBase IV, 0xF5 for FoxPro
//   header         today's date, record count 0, header length 32 * n + 33,
//                  record length 1 + the fields' widths, the rest zero
//   descriptors    name upper-cased and cut to 10 characters, type letter
//                  upper-cased, length and decimals as TFieldSpec describes
//   then           0x0D, 0x1A: the new table is 32 * n + 34 bytes
//
// The memo file takes the table's path with its extension replaced (".dbt",
// ".fpt" for FoxPro; see TMemoFile::MemoPath for the case of the letters).
// Both files are created empty, replacing existing ones; a table without
// memo fields leaves an old memo file of the same name alone.
//
// Written aside. With WriteAside the files go to the temporary names a
// TTableStage gives them; their messages and the memo file's header still
// name the table of Path() they are to become.
//
// Holding the new files. The builder keeps its files open, exclusively, from
// their creation on, and lets shared openers in (ShareFiles) only once they
// are written. A creator that opens the new table through a dataset before
// the builder lets go leaves no moment in which another writer could create
// the same table anew: that writer's create is refused instead of cutting
// the files under the first, and two exports to one path never write into
// one table together.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "dbf/dbf_format.h"
#include "dbf/disk_file.h"
#include "platform/clock.h"
#include "platform/file_system.h"

namespace pharmex::dbf {

class TDbfBuilder {
 public:
  // `path` gets ".DBF" when it has no extension. The files are written
  // through `file_system`, the header dated by `clock`; both must outlive the
  // builder.
  TDbfBuilder(std::string_view path, platform::FileSystem& file_system,
              const platform::Clock& clock);
  TDbfBuilder(const TDbfBuilder&) = delete;
  TDbfBuilder& operator=(const TDbfBuilder&) = delete;
  virtual ~TDbfBuilder();

  const std::string& Path() const { return path_; }
  std::string MemoPath() const;
  bool HasMemo() const { return has_memo_; }
  uint32_t RecordLength() const { return record_length_; }
  int FieldCount() const { return static_cast<int>(descriptors_.size()); }

  // Writes the table file at `table_file` and the memo file at `memo_file`
  // instead of at Path() and MemoPath() (TTableStage).
  void WriteAside(std::string table_file, std::string memo_file);

  // Appends one descriptor; an empty name adds nothing. The caller has
  // checked the values (ParseFieldList).
  void AddField(std::string_view name, char type, int32_t length, int32_t decimals);
  // Writes the table file and, with memo fields, the memo file ("Could not
  // create file %s", "Access denied to file %s", "Error writing to %s"). The
  // files stay open, not shared, until ShareFiles, CloseFiles or the
  // builder's end.
  void CreateFiles();
  // Admits shared openers to the written files while keeping them open
  // ("Access denied to file %s").
  void ShareFiles();
  // Closes the files.
  void CloseFiles();

  // The bytes of the table file as CreateFiles writes them.
  std::string TableImage() const;

 protected:
  virtual uint8_t MemoVersion() const { return format::kVersionDb3Memo; }
  virtual std::string_view MemoExtension() const { return ".dbt"; }
  virtual std::string InitialMemo(std::string_view base_name) const;

 private:
  using Descriptor = std::array<char, format::kDescriptorSize>;

  // `path` created and written, named `shown` in messages.
  std::unique_ptr<TDiskFile> WriteFile(const std::string& path, const std::string& shown,
                                       const std::string& bytes);

  platform::FileSystem& fs_;
  const platform::Clock& clock_;
  // The files written, held open.
  std::unique_ptr<TDiskFile> table_file_;
  std::unique_ptr<TDiskFile> memo_file_;
  std::string path_;
  std::string aside_table_;  // "" at path_
  std::string aside_memo_;   // "" at MemoPath()
  std::vector<Descriptor> descriptors_;
  uint32_t record_length_ = 1;  // the deletion flag
  bool has_memo_ = false;
};

}  // namespace pharmex::dbf
