// CheckedFile: a file read through the platform's file system
// (Service<platform::FileSystem>) by a reader that goes over it once from
// start to end and then comes back for parts of it, and must not mix two
// versions of the file when somebody writes it in between.
//
// The first reading, in order, keeps a 32-bit checksum of every 4 KiB block
// (about one byte per kilobyte of file). Every later read covers whole
// blocks, compares each with its checksum and compares the file's size with
// the size at opening, so bytes that changed since the first reading are
// refused rather than used: Error "The file %s changed while it was read".
// A file replaced by renaming another over it is no change: the open file
// still reads its old bytes.
//
// Later reads go through a window: a read that follows the previous one
// fetches 256 KiB ahead, any other only the blocks it needs.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "memhost/csv_scanner.h"
#include "platform/file_system.h"

namespace pharmex::memhost {

class CheckedFile : public CsvSource {
 public:
  // Opens `path` (ANSI) for reading, shared with other readers and writers.
  // Throws Error("Cannot open %s").
  explicit CheckedFile(std::string path);

  const std::string& path() const { return path_; }

  // The size at opening.
  uint64_t size() const override { return size_; }

  // Reads bytes; the reads that go from the start to the end in order make
  // the checksums. Throws Error("Cannot read %s"), or the change error when
  // the file is shorter than at opening.
  void read(uint64_t offset, std::span<char> buffer) override;

  // After the first reading: throws the change error unless every byte was
  // read in order and the size is still the one at opening.
  void finish_first_reading();

  // The bytes [offset, offset + length), checked against the checksums; the
  // view holds until the next call. `ahead`: the caller reads on in order.
  std::string_view bytes(uint64_t offset, size_t length, bool ahead);

 private:
  [[noreturn]] void changed() const;
  void read_exactly(uint64_t offset, std::span<char> buffer);
  void add_to_checksums(std::span<const char> bytes);

  std::string path_;
  // The file system the file was opened through, kept while the file is.
  std::shared_ptr<platform::FileSystem> files_;
  std::unique_ptr<platform::File> file_;
  uint64_t size_ = 0;
  std::vector<uint32_t> checksums_;  // one per block
  uint64_t summed_ = 0;              // bytes summed so far, in order
  std::string partial_block_;        // the bytes of a block not yet whole
  std::unique_ptr<char[]> window_;
  size_t window_capacity_ = 0;
  uint64_t window_offset_ = 0;
  size_t window_length_ = 0;
};

}  // namespace pharmex::memhost
