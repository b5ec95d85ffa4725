// Restores the process's current directory when a test that changes it (a
// file dialog closing does) ends.
#pragma once

#include <filesystem>
#include <system_error>

namespace pharmex::testing {

class ScopedCurrentDirectory {
 public:
  ScopedCurrentDirectory() : saved_(std::filesystem::current_path()) {}
  ~ScopedCurrentDirectory() {
    std::error_code ignored;
    std::filesystem::current_path(saved_, ignored);
  }
  ScopedCurrentDirectory(const ScopedCurrentDirectory&) = delete;
  ScopedCurrentDirectory& operator=(const ScopedCurrentDirectory&) = delete;

 private:
  std::filesystem::path saved_;
};

}  // namespace pharmex::testing
