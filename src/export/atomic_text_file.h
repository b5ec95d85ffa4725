// A text file written all or nothing. The bytes go to a temporary file beside
// the target (platform::StagedFiles: its name, and the clearing of what
// killed runs left); only commit() puts it in the target's place, with one
// rename. A run that fails before commit leaves the target as it was (an
// earlier file of that name included) and removes the temporary file, so a
// partner system never finds half a waybill.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/file_system.h"
#include "platform/staged_files.h"

namespace pharmex::exporting {

class AtomicTextFile {
 public:
  // Starts the temporary file for `target` (an ANSI path) on `file_system`,
  // which every later step uses too and which must outlive the object.
  // Throws Error "Cannot create file %s" (the target) when it cannot be made,
  // or when the target exists and may not be written.
  AtomicTextFile(std::string target, platform::FileSystem& file_system);
  // Removes the temporary file unless commit() succeeded. Never throws.
  ~AtomicTextFile();
  AtomicTextFile(const AtomicTextFile&) = delete;
  AtomicTextFile& operator=(const AtomicTextFile&) = delete;

  void write(std::string_view bytes);
  // The line and a CR LF.
  void write_line(std::string_view line);
  // Writes what is buffered, syncs it and renames the file over the target.
  // Throws Error "Error writing to %s" or "Cannot create file %s" (the target).
  void commit();

 private:
  void flush_buffer();

  platform::FileSystem& files_;
  std::string target_;
  std::unique_ptr<platform::StagedFiles> staged_;
  std::string temporary_;
  std::unique_ptr<platform::File> file_;
  std::string buffer_;
  uint64_t written_ = 0;
};

}  // namespace pharmex::exporting
