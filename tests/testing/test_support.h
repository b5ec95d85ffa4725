// Helpers shared by the tests: exact-message assertions, temporary folders and
// the platform's real files and the comparison of values.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "core/variant.h"
#include "platform/file_system.h"

// Expects `statement` to throw an exception of `type` whose what() is exactly `message`.
#define EXPECT_THROW_MSG(statement, type, message)                                   \
  do {                                                                               \
    try {                                                                            \
      statement;                                                                     \
      ADD_FAILURE() << "expected " #type " \"" << (message) << "\", nothing thrown"; \
    } catch (const type& e) {                                                        \
      EXPECT_EQ(std::string(e.what()), std::string(message));                        \
    }                                                                                \
  } while (false)

namespace pharmex::testing {

// A fresh folder under the system's temporary folder, removed with everything
// in it when the object goes away.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // path() / name, as a string.
  std::string file(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// True when two values are equal by the library's comparison (numbers by
// value across kinds, null equal to null only), read with the default
// regional settings: the values a test compares are its own, and which
// settings it names decides nothing but how a text is read as a number.
bool same_value(const Variant& a, const Variant& b);

// Reads a whole file as bytes; empty when it cannot be read.
std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& bytes);

// The names in a folder, sorted: what a partner watching it finds there.
inline std::vector<std::string> folder_entries(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// The platform's real files, whatever the process-wide file system is now:
// posix_file_system() here, win32_file_system() in the Windows tests
// (test_support_win32.cc).
platform::FileSystem& real_file_system();

}  // namespace pharmex::testing
