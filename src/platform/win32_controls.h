// The controls of the Win32 shell form (platform/win32_shell_form.h): a push
// button with its tooltip, the one-line file-name box and the file-type
// combo box, each a thin layer over its window. They only make sense as parts
// of Win32ShellForm, which creates their windows and routes their
// notifications, so they share one header.
//
// Text crosses as ANSI (the library's own) and lives in the windows as
// UTF-16, converted through the process's code pages (platform/win32_text.h).
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/toolkit.h"

namespace pharmex::platform {

class Win32Button final : public Button {
 public:
  // `tooltips` is the form's tooltip window, which shows the hint.
  void attach(HWND window, HWND tooltips);

  std::string caption() const override;
  void set_caption(std::string_view caption) override;
  std::string hint() const override { return hint_; }
  void set_hint(std::string_view hint) override;
  bool enabled() const override;
  void set_enabled(bool enabled) override;
  // Themed buttons highlight under the pointer by themselves; the flag is
  // kept for the form's owner.
  bool hot_track() const override { return hot_track_; }
  void set_hot_track(bool hot_track) override { hot_track_ = hot_track; }
  Handler on_click() const override { return on_click_; }
  void set_on_click(Handler handler) override { on_click_ = std::move(handler); }

  HWND window() const { return window_; }
  // A press: runs the click handler when the button is enabled.
  bool press();

 private:
  HWND window_ = nullptr;
  HWND tooltips_ = nullptr;
  std::string hint_;
  std::wstring wide_hint_;  // the tooltip's text, which it reads from here
  bool hot_track_ = false;
  Handler on_click_;
};

class Win32Edit final : public Edit {
 public:
  void attach(HWND window) { window_ = window; }

  std::string text() const override;
  // Runs the change handler when the text differs from what the box held;
  // a failure of the handler reaches the caller.
  void set_text(std::string_view text) override;
  Handler on_change() const override { return on_change_; }
  void set_on_change(Handler handler) override { on_change_ = std::move(handler); }

  HWND window() const { return window_; }
  // Whether an EN_CHANGE comes from set_text, which runs the handler itself.
  bool setting_text() const { return setting_text_; }

 private:
  HWND window_ = nullptr;
  Handler on_change_;
  bool setting_text_ = false;
};

class Win32FileTypeList final : public FileTypeList {
 public:
  void attach(HWND window) { window_ = window; }

  void add(FileType type) override;
  int count() const override { return static_cast<int>(entries_.size()); }
  FileType entry(int index) const override;
  int item_index() const override;
  void set_item_index(int index) override;

  HWND window() const { return window_; }
  // The selected entry's mask; "" when none is selected.
  std::string selected_mask() const;

 private:
  HWND window_ = nullptr;
  std::vector<FileType> entries_;
};

// A window's text as UTF-16.
std::wstring window_text(HWND window);

}  // namespace pharmex::platform
