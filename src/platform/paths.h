// Paths as the library handles them: 8-bit ANSI text. On Linux "/" is the
// folder separator and there are no drive letters; on Windows "\" is the
// separator, "/" is accepted as one too, and paths may start with a drive
// ("C:\") or a server share ("\\server\share\"). They become the system's
// file names only at the file-system boundary, so a Cyrillic folder typed by
// the user in code page 1251 reaches Linux as the same letters in UTF-8 and
// Windows as the same letters in UTF-16.
//
// The rules that differ between the systems live in one file per platform
// (posix_paths.cc, win32_paths.cc); paths.cc builds on them.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace pharmex::platform {

// The system's file name of an ANSI path as UTF-8 (for POSIX system calls).
std::string native_path(std::string_view ansi_path);
// The ANSI form of a UTF-8 file name (characters outside the code page become '?').
std::string ansi_path(std::string_view native);
// The same path as a std::filesystem path, and an ANSI name back from one.
std::filesystem::path filesystem_path(std::string_view ansi_path);
std::string ansi_file_name(const std::filesystem::path& path);

// The separator the library puts between folders ("/" or "\"), and whether
// a character separates folders ("/" only, or "\" and "/").
char path_separator();
bool is_path_separator(char c);
// The length of the path's root: "/" (1); on Windows "C:\" (3), "C:" (2),
// "\" (1), or "\\server\share\" (up to and including the separator after
// the share, or the whole text when there is none); 0 for a relative path.
size_t root_length(std::string_view path);
// True when the path names the same place whatever the current directory.
bool is_absolute_path(std::string_view path);

// An absolute path: a relative one is taken against the current directory;
// "." and ".." components and repeated separators are resolved textually.
std::string expand_file_name(std::string_view path);

// Everything up to and including the last separator (on Windows also a
// drive's ":"); "" when there is none.
std::string_view extract_file_path(std::string_view path);
// The folder a path lies in: up to its last separator, without it unless it
// ends the path's root. "/out/a.dbf" gives "/out", "/a.dbf" gives "/";
// C:\dir\a.dbf gives C:\dir, C:\a.dbf gives C:\ and C:a.dbf gives C:.
// "" for a path without any.
std::string extract_file_dir(std::string_view path);
// The last component (after the last separator, or a drive's ":").
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

// True when the file system could hold a file of this name: no part or
// whole too long for the system, and (on Windows) none of the characters and
// device names the system reserves. Control characters and emptiness are the
// caller's business.
bool is_valid_system_path(std::string_view ansi_path);

bool file_exists(std::string_view ansi_path);  // a regular file (or a link to one)
// The ANSI names of the regular files (and links to one) in a folder ("" the
// current one), in no particular order; none when it cannot be read.
std::vector<std::string> files_in_folder(std::string_view ansi_folder);
bool directory_exists(std::string_view ansi_path);  // a directory (or a link to one)
// A directory this user may enter.
bool can_enter_directory(std::string_view ansi_path);

// The process's current directory, as an ANSI path without a trailing
// separator (except for a root such as "/" or "C:\").
std::string current_directory();
// Changes it; false when the folder cannot be entered.
bool set_current_directory(std::string_view ansi_path);

// The user's home folder (ANSI): $HOME or the user database on Linux, the
// profile folder on Windows.
std::string user_home_folder();

}  // namespace pharmex::platform
