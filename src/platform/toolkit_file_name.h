// The rules by which the file dialog reads what the user typed into its
// file-name box. On Linux (ANSI inside the library, UTF-8 at the file
// system):
//
//   - "*" and "?" are wildcards: a name holding one is a mask for the folder
//     view, never a file name.
//   - A valid file name is not empty, holds no NUL and no control character
//     (bytes 0x01..0x1F and 0x7F: Linux would accept them, but nobody can see
//     or type such a name again, and partner systems refuse them), has no
//     component longer than 255 bytes in UTF-8 (NAME_MAX), is shorter than
//     4096 bytes in UTF-8 (PATH_MAX with its terminating NUL), and its last
//     component is a name: not empty (a trailing "/"), not "." or "..".
//   - Masks match without regard to case by the ANSI code page's rules, as
//     on the system the layouts come from: "*.SST" shows "day.sst" too.
//
// On Windows the same, except that the limits are the system's (255 UTF-16
// units per component, long paths as far as the system allows) and that the
// characters and device names Windows reserves make a name invalid
// (platform::is_valid_system_path).
#pragma once

#include <string>
#include <string_view>

namespace pharmex::platform {

inline constexpr size_t kMaxNameBytes = 255;   // one component, UTF-8
inline constexpr size_t kMaxPathBytes = 4095;  // a whole path, UTF-8, without its NUL

bool has_wildcards(std::string_view name);

// A text that can name something in the file system: not empty, no control
// character, no component or whole path too long.
bool is_valid_path(std::string_view ansi_path);
// A valid path whose last component is a name (not "", "." or "..").
bool is_valid_file_name(std::string_view ansi_name);

// True when a file name matches one of the mask's patterns (separated by ";",
// blanks around each ignored). "*" matches any run of characters, "?" any one;
// "*.*" and an empty mask match every name.
bool matches_mask(std::string_view name, std::string_view mask);

// The path a name typed in a dialog showing `folder` stands for: `name` when it
// is absolute, else `name` taken in `folder`; "." and ".." components and
// repeated "/" resolved textually, without a trailing "/" (except "/").
std::string resolve_in_folder(std::string_view folder, std::string_view name);

// The text without leading and trailing blanks and control characters.
std::string_view trim_blanks(std::string_view text);

}  // namespace pharmex::platform
