// Text at the Win32 boundary: the library's ANSI text becomes the UTF-16 of
// the system's wide functions through the process's code pages (so a
// Cyrillic folder name typed in code page 1251 reaches the system as the same
// letters), and back.
#pragma once

#include <string>
#include <string_view>

namespace pharmex::platform {

// ANSI text as UTF-16 for a wide Win32 function.
std::wstring wide_text(std::string_view ansi);
// The ANSI form of a wide text (characters outside the code page become '?').
std::string ansi_text(std::wstring_view wide);

// A path for CreateFileW and its kind: "/" turned into "\", and a path too
// long for the system's classic limit made absolute and given the "\\?\"
// prefix (UNC paths "\\?\UNC\"), which lifts that limit as far as the system
// allows.
std::wstring wide_path(std::string_view ansi_path);

}  // namespace pharmex::platform
