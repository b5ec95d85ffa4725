// The controls of the headless shell form: a button, a one-line edit box and
// the file-type list, each holding its state in memory. They are small and
// only make sense as parts of HeadlessShellForm, so they share one header.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/toolkit.h"

namespace pharmex::platform {

class HeadlessButton final : public Button {
 public:
  explicit HeadlessButton(std::string caption) : caption_(std::move(caption)) {}

  std::string caption() const override { return caption_; }
  void set_caption(std::string_view caption) override { caption_ = caption; }
  std::string hint() const override { return hint_; }
  void set_hint(std::string_view hint) override { hint_ = hint; }
  bool enabled() const override { return enabled_; }
  void set_enabled(bool enabled) override { enabled_ = enabled; }
  bool hot_track() const override { return hot_track_; }
  void set_hot_track(bool hot_track) override { hot_track_ = hot_track; }
  Handler on_click() const override { return on_click_; }
  void set_on_click(Handler handler) override { on_click_ = std::move(handler); }

  // A press: runs the click handler when the button is enabled. False when
  // the button is disabled and nothing ran.
  bool press();

 private:
  std::string caption_;
  std::string hint_;
  bool enabled_ = true;
  bool hot_track_ = false;
  Handler on_click_;
};

class HeadlessEdit final : public Edit {
 public:
  std::string text() const override { return text_; }
  // Runs the change handler when the text differs from what the box held.
  void set_text(std::string_view text) override;
  Handler on_change() const override { return on_change_; }
  void set_on_change(Handler handler) override { on_change_ = std::move(handler); }

 private:
  std::string text_;
  Handler on_change_;
};

class HeadlessFileTypeList final : public FileTypeList {
 public:
  void add(FileType type) override { entries_.push_back(std::move(type)); }
  int count() const override { return static_cast<int>(entries_.size()); }
  FileType entry(int index) const override;
  int item_index() const override { return item_index_; }
  void set_item_index(int index) override;

  // The selected entry's mask; "" when none is selected.
  std::string selected_mask() const;

 private:
  std::vector<FileType> entries_;
  int item_index_ = -1;
};

}  // namespace pharmex::platform
