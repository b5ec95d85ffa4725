#include "cli_host.h"

#include <unistd.h>

#include <memory>
#include <ostream>

#include "app/shell_open_save_form.h"
#include "memhost/csv_reader.h"
#include "pharmex/pharmex.h"
#include "platform/file_settings_store.h"
#include "platform/headless_driver.h"
#include "platform/settings_store.h"
#include "platform/text_codec.h"
#include "platform/toolkit.h"

namespace pharmex::cli {

namespace {

Io* progress_io = nullptr;
bool draw_bar = false;

void draw_progress(int32_t percent) {
  if (!draw_bar || progress_io == nullptr) return;
  const int width = 40;
  int filled = percent * width / 100;
  progress_io->err << '\r' << '[' << std::string(static_cast<size_t>(filled), '#')
                   << std::string(static_cast<size_t>(width - filled), ' ') << "] " << percent
                   << '%' << std::flush;
  if (percent >= 100) progress_io->err << '\n';
}

}  // namespace

int RunCallbacks::starts = 0;
int RunCallbacks::finishes = 0;
int RunCallbacks::last_percent = 0;

void PX_STDCALL RunCallbacks::progress(PxWindow, int32_t percent) {
  last_percent = percent;
  draw_progress(percent);
}

void PX_STDCALL RunCallbacks::start(PxWindow) {
  ++starts;
}

void PX_STDCALL RunCallbacks::finish(PxWindow) {
  ++finishes;
  if (draw_bar && progress_io != nullptr && last_percent > 0 && last_percent < 100) {
    progress_io->err << '\n';
  }
}

void RunCallbacks::reset(Io* io, bool bar) {
  progress_io = io;
  draw_bar = bar;
  starts = finishes = last_percent = 0;
}

bool progress_bar_wanted() {
  return ::isatty(STDERR_FILENO) == 1;
}

host::HostRef<memhost::MemoryDataSet> load_host_data(const std::string& path) {
  return memhost::open_csv_file(path);
}

std::string ansi_path(std::string_view utf8) {
  return platform::text_codec().utf8_to_ansi(utf8);
}

std::string utf8_text(std::string_view ansi) {
  return platform::text_codec().ansi_to_utf8(ansi);
}

void ensure_settings_key() {
  std::shared_ptr<platform::SettingsStore> store = platform::settings_store();
  if (store->key_exists(platform::kHostSettingsKey)) return;
  if (auto* editable = dynamic_cast<platform::EditableSettingsStore*>(store.get())) {
    editable->create_key(platform::kHostSettingsKey);
  }
}

int report_last_error(Io& io, std::string_view context) {
  std::string message = pharmex_last_error();
  if (message.empty()) return kDone;
  io.err << "pharmex " << context << ": " << message << '\n';
  return kFailed;
}

int answer_open_dialog(Io& io, const std::string& path, std::optional<int> file_type,
                       std::string* ran_on) {
  auto* headless = dynamic_cast<platform::HeadlessToolkit*>(platform::toolkit().get());
  if (headless == nullptr) {
    io.err << "pharmex: the tool needs the headless toolkit to answer dialogs\n";
    return kFailed;
  }
  if (ran_on != nullptr) {
    ran_on->clear();
    if (platform::HeadlessShellForm* form = headless->active_form()) {
      app::TShellOpenSaveForm::of(*form).set_run_observer(
          [ran_on](const std::string& ran) { *ran_on = ran; });
    }
  }
  platform::DialogAnswer answer = platform::answer_dialog(*headless, path, file_type);
  using Outcome = platform::DialogAnswer::Outcome;
  switch (answer.outcome) {
    case Outcome::kClosed:
      return kDone;
    case Outcome::kNoDialog:
      io.err << "pharmex: the library showed no dialog: " << pharmex_last_error() << '\n';
      return kFailed;
    case Outcome::kFailed:
    case Outcome::kRefused:
      io.err << "pharmex: "
             << utf8_text(answer.message.empty() ? "the dialog refused the name" : answer.message)
             << '\n';
      platform::dismiss_dialog(*headless);
      return kFailed;
  }
  return kFailed;
}

}  // namespace pharmex::cli
