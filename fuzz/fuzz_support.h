// What the fuzz targets share: a fuzzed run ends either normally or with one
// of the library's own failures (pharmex::Error, whose message a user would
// see); anything else escaping (std::bad_alloc, std::out_of_range, ...) is a
// finding, and so is a file left open or a host object left alive.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "core/error.h"
#include "core/service.h"
#include "dbf/engine_options.h"
#include "dbf/open_file_list.h"
#include "platform/file_system.h"

namespace pharmex::fuzzing {

// Runs `step`; a pharmex::Error is an expected refusal of bad input.
template <class Step>
bool refused(Step&& step) {
  try {
    step();
    return false;
  } catch (const Error&) {
    return true;
  }
}

[[noreturn]] inline void finding(const char* what) {
  std::fprintf(stderr, "finding: %s\n", what);
  std::abort();
}

// The engine's options with the target's in-memory files lent as its file
// system (which must outlive what is made with them).
inline dbf::EngineOptions options_on(platform::FileSystem& files) {
  dbf::EngineOptions options = dbf::EngineOptions::process_defaults();
  options.file_system = Service<platform::FileSystem>::borrow(files);
  return options;
}

// Every disk file the engine opened is closed again.
inline void expect_no_open_files() {
  if (dbf::TOpenFileList::Instance().Count() != 0) finding("a file was left open");
}

// The fuzz input as text.
inline std::string_view as_text(const uint8_t* data, size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// Splits `input` at the first `marker`: what is before it, and after it
// (empty when there is no marker).
inline std::pair<std::string_view, std::string_view> split_at(std::string_view input,
                                                              std::string_view marker) {
  const size_t at = input.find(marker);
  if (at == std::string_view::npos) return {input, {}};
  return {input.substr(0, at), input.substr(at + marker.size())};
}

// Between a table and its memo file in the inputs of the table target.
inline constexpr std::string_view kMemoMarker = "\n#pharmex-memo#\n";

}  // namespace pharmex::fuzzing
