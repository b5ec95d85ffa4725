// Paths as the library handles them: 8-bit ANSI text with "/" as the folder
// separator (there are no drive letters). They become UTF-8 file names only at
// the file-system boundary (native_path), so a Cyrillic folder typed by the
// user in code page 1251 reaches Linux as the same letters in UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace pharmex::platform {

// The UTF-8 file name of an ANSI path, for system calls.
std::string native_path(std::string_view ansi_path);
// The ANSI form of a UTF-8 file name (characters outside the code page become '?').
std::string ansi_path(std::string_view native);

// An absolute path: a relative one is taken against the current directory;
// "." and ".." components and repeated separators are resolved textually.
std::string expand_file_name(std::string_view path);

// Everything up to and including the last "/" ("" when there is none).
std::string_view extract_file_path(std::string_view path);
// The last component (after the last "/").
std::string_view extract_file_name(std::string_view path);
// The last component's extension from its last "." on ("" when it has no ".").
std::string_view extract_file_ext(std::string_view path);
// True when the last component contains a ".".
bool has_extension(std::string_view path);
// The path with its extension replaced by `extension` (which includes its
// "."), or `extension` appended when it has none.
std::string change_file_ext(std::string_view path, std::string_view extension);
// The last component without its extension.
std::string_view base_name(std::string_view path);

// `name` made fit to be one file-name component on Windows and Linux alike:
// every character that cannot stand in a file name on either system (the
// nine / \ : * ? " < > | and the control characters 0x00 to 0x1F) becomes
// "_". Nothing else changes, so the result may still be "", "." or "..",
// which name no file of their own: the caller decides what to do with those.
std::string file_name_component(std::string_view name);

bool file_exists(std::string_view ansi_path);       // a regular file (or a link to one)
bool directory_exists(std::string_view ansi_path);  // a directory (or a link to one)

// The process's current directory, as an ANSI path without a trailing "/"
// (except for "/" itself).
std::string current_directory();
// Changes it; false when the folder cannot be entered.
bool set_current_directory(std::string_view ansi_path);

}  // namespace pharmex::platform
