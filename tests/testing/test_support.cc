#include "testing/test_support.h"

#include <stdlib.h>

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace pharmex::testing {

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "pharmex-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void write_file(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

platform::FileSystem& real_file_system() {
  return platform::posix_file_system();
}

bool same_value(const Variant& a, const Variant& b) {
  return compare(a, b, RegionalSettings{}) == Ordering::Equal;
}

}  // namespace pharmex::testing
