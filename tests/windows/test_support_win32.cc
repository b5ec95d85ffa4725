// The test helpers of testing/test_support.h on Windows: temporary folders
// under the user's temporary folder, the Win32 backend's real files.
#include <windows.h>

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

#include "testing/test_support.h"

namespace pharmex::testing {

TempDir::TempDir() {
  static unsigned counter = 0;
  std::filesystem::path base = std::filesystem::temp_directory_path();
  for (int attempt = 0; attempt < 1000; ++attempt) {
    std::wstring name = L"pharmex-test-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                        std::to_wstring(counter++);
    std::filesystem::path candidate = base / name;
    if (::CreateDirectoryW(candidate.c_str(), nullptr)) {
      path_ = candidate;
      return;
    }
  }
  throw std::runtime_error("cannot make a temporary folder");
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
  return platform::win32_file_system();
}

}  // namespace pharmex::testing
