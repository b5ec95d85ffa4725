#include "bench_case.h"

#include <fstream>
#include <stdexcept>

#include "dbf/dbf_dataset.h"
#include "pharmex/pharmex.h"
#include "platform/headless_driver.h"
#include "platform/text_codec.h"
#include "platform/toolkit.h"

namespace pharmex::bench {

namespace {

int32_t progress_reports = 0;

std::string utf8(std::string_view ansi) {
  return platform::text_codec().ansi_to_utf8(ansi);
}

}  // namespace

std::vector<BenchCase> all_cases() {
  std::vector<BenchCase> cases = export_cases();
  for (const BenchCase& c : import_cases())
    cases.push_back(c);
  for (const BenchCase& c : engine_cases())
    cases.push_back(c);
  for (const BenchCase& c : cli_cases())
    cases.push_back(c);
  return cases;
}

void PX_STDCALL on_progress(PxWindow, int32_t) {
  ++progress_reports;
}

void PX_STDCALL on_start(PxWindow) {}

void PX_STDCALL on_finish(PxWindow) {}

void answer_dialog(const std::string& path, int file_type) {
  auto* toolkit = dynamic_cast<platform::HeadlessToolkit*>(platform::toolkit().get());
  if (toolkit == nullptr) throw std::runtime_error("the benchmark needs the headless toolkit");
  platform::DialogAnswer answer = platform::answer_dialog(*toolkit, path, file_type);
  using Outcome = platform::DialogAnswer::Outcome;
  switch (answer.outcome) {
    case Outcome::kClosed:
      return;
    case Outcome::kNoDialog:
      throw std::runtime_error(std::string("no dialog: ") + pharmex_last_error());
    case Outcome::kFailed:
    case Outcome::kRefused:
      platform::dismiss_dialog(*toolkit);
      throw std::runtime_error(answer.message.empty() ? "the dialog refused " + path
                                                      : utf8(answer.message));
  }
}

void check_library_error(std::string_view entry_point) {
  std::string message = pharmex_last_error();
  if (!message.empty()) throw std::runtime_error(std::string(entry_point) + ": " + message);
}

int64_t table_records(const std::string& path) {
  dbf::TDbfDataSet table;
  table.SetTableName(path);
  table.SetReadOnly(true);
  table.Open();
  return table.RecordCount();
}

int64_t text_lines(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw std::runtime_error("no file " + path);
  char chunk[65536];
  char previous = 0;
  int64_t lines = 0;
  while (file.read(chunk, sizeof chunk) || file.gcount() > 0) {
    for (std::streamsize i = 0; i < file.gcount(); ++i) {
      if (chunk[i] == '\n' && previous == '\r') ++lines;
      previous = chunk[i];
    }
  }
  return lines;
}

}  // namespace pharmex::bench
