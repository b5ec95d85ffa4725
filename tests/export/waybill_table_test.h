// What the Djinal and Apteka M table tests share: a fixture that runs a
// waybill table routine on a run context holding CSV waybill data, and the
// bytes a record should hold, built field by field.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/regional_settings.h"
#include "host/run_context.h"
#include "host/run_test_support.h"
#include "testing/test_support.h"
#include "waybill_fixture.h"

namespace pharmex::exporting::testing {

// Text left-justified in `width` bytes, blank-padded.
inline std::string padded(std::string_view text, size_t width) {
  return std::string(text).append(text.size() < width ? width - text.size() : 0, ' ');
}

// The bytes of one record: the live flag, then each field of the given width,
// text left-justified and numbers right-justified, blank-padded.
class ExpectedRecord {
 public:
  ExpectedRecord& text(std::string_view value, size_t width) {
    bytes_ += padded(value, width);
    return *this;
  }
  ExpectedRecord& number(std::string_view value, size_t width) {
    bytes_ += std::string(value.size() < width ? width - value.size() : 0, ' ').append(value);
    return *this;
  }
  ExpectedRecord& blank(size_t width) { return text("", width); }
  const std::string& bytes() const { return bytes_; }

 private:
  std::string bytes_ = " ";
};

inline uint32_t read_u16(const std::string& file, size_t at) {
  return static_cast<uint8_t>(file[at]) | static_cast<uint8_t>(file[at + 1]) << 8;
}
inline uint32_t read_u32(const std::string& file, size_t at) {
  return read_u16(file, at) | read_u16(file, at + 2) << 16;
}

// What an independent reader (Debian's python3-dbfread) prints for `script`,
// which finds the table at PATH and must not hold single quotes; nothing when
// python3 or the module is missing.
inline std::optional<std::string> read_with_dbfread(const std::string& path,
                                                    const std::string& script) {
  std::string command = "/usr/bin/python3 -c 'import dbfread, sys\nPATH = \"" + path + "\"\n" +
                        script + "' 2>/dev/null";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  if (!pipe) return std::nullopt;
  std::string out;
  char buffer[256];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe.get())) > 0)
    out.append(buffer, n);
  if (pclose(pipe.release()) != 0) return std::nullopt;
  return out;
}

// Runs table routines on a run context with the host window 0x1234, the
// recording callbacks and the test's registry.
class WaybillTableTest : public host::testing::RunTest {
 protected:
  // `header_length` and `record_length` locate the records in the file.
  WaybillTableTest(size_t header_length, size_t record_length)
      : header_length_(header_length), record_length_(record_length) {}

  // Runs `routine` on `path()` with waybill data in the fixture's CSV columns.
  void run(host::Routine routine, const std::string& headers, const std::string& lines) {
    run_on(routine, pharmex::testing::waybill_headers(headers),
           pharmex::testing::waybill_lines(lines));
  }
  // The same with datasets of the test's own.
  void run_on(host::Routine routine, host::HostRef<IDataSet> headers,
              host::HostRef<IDataSet> lines) {
    host::RunContext run = context();
    run.set_datasets(nullptr, std::move(headers), std::move(lines));
    routine(run, path_);
  }

  const std::string& path() const { return path_; }
  std::string file() const { return pharmex::testing::read_file(path_); }
  // The record count of the table header.
  uint32_t record_count() const { return read_u32(file(), 4); }
  // Record n, counting from 1, cut from the file at its computed offset.
  std::string record(size_t n) const {
    std::string bytes = file();
    size_t at = header_length_ + (n - 1) * record_length_;
    if (bytes.size() < at + record_length_) return "(no record " + std::to_string(n) + ")";
    return bytes.substr(at, record_length_);
  }
  // `width` bytes of record n from `offset` (the flag is byte 0).
  std::string field(size_t n, size_t offset, size_t width) const {
    return record(n).substr(offset, width);
  }
  // A file that holds `records` records and the end mark.
  size_t file_size(size_t records) const { return header_length_ + records * record_length_ + 1; }

  std::string remembered() {
    return registry().read_string(platform::kHostSettingsKey, "waybill_export_path");
  }

  // Yesterday's waybill at the path, which a failed run leaves as it was.
  static constexpr const char* kYesterdays = "yesterday's waybill, whole";
  void place_yesterdays() const { pharmex::testing::write_file(path_, kYesterdays); }
  // What the folder holds: the target alone, or nothing.
  std::vector<std::string> folder() const { return pharmex::testing::folder_entries(root()); }

 private:
  size_t header_length_;
  size_t record_length_;
  // The layouts combine and convert with the context's settings (the Russian
  // defaults: a comma as decimal separator, which numbers in the table never
  // show); the process's are the American ones, which no output here shows.
  Service<const RegionalSettings>::Scoped process_settings_{
      RegionalSettings{'.', "M/d/yyyy", "h:mm:ss"}};
  std::string path_ = root() + "/waybill.dbf";
};

}  // namespace pharmex::exporting::testing
