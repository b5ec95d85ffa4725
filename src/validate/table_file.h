// TableFile: the bytes of a dBase table as validate reads them. Unlike the
// table engine, which refuses a table at the first thing it cannot take, it
// only reads: the structure and the records are judged by the checks
// (validate/table_structure.h, validate/record_check.h), which go on past a
// defect to find the next.
//
// The file is opened shared and read-only through the platform's file
// system: validating writes nothing and never stands in a writer's way.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace pharmex::validate {

class TableFile {
 public:
  // `path` is ANSI. Throws Error("Cannot open %s") (the path) when the file
  // cannot be opened for reading.
  TableFile(platform::FileSystem& file_system, std::string path);

  const std::string& path() const { return path_; }
  uint64_t size() const { return size_; }

  // Up to `count` bytes at `offset` (fewer at the end of the file). Throws
  // Error("Cannot read %s") when the system fails the read.
  std::string read(uint64_t offset, size_t count);
  // One byte, or nothing beyond the end of the file.
  std::optional<unsigned char> byte_at(uint64_t offset);

 private:
  std::string path_;
  std::unique_ptr<platform::File> file_;
  uint64_t size_ = 0;
};

}  // namespace pharmex::validate
