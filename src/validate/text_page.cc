#include "validate/text_page.h"

#include "validate/shown_bytes.h"

namespace pharmex::validate {

namespace {

bool is_russian_letter(char16_t unit) {
  return (unit >= 0x0410 && unit <= 0x044F) || unit == 0x0401 || unit == 0x0451;
}

// Characters no Russian text holds that a text of the other page puts where
// its letters are.
bool is_foreign(char16_t unit) {
  const bool box_drawing = unit >= 0x2500 && unit <= 0x259F;
  const bool other_cyrillic = unit >= 0x0400 && unit <= 0x04FF && !is_russian_letter(unit);
  return box_drawing || other_cyrillic;
}

std::string page_name(const platform::CodePage& page) {
  return "code page " + std::to_string(page.number());
}

}  // namespace

std::optional<std::string> TextPage::problem(unsigned char byte) const {
  const char16_t unit = page_.to_unicode(byte);
  if (unit >= 0x80 && unit <= 0x9F) {
    return "byte " + hex_byte(byte) + " is not defined in " + page_name(page_);
  }
  if (is_control_or_undefined(byte, page_)) {
    return "byte " + hex_byte(byte) + " is a control character";
  }
  if (other_ != nullptr && is_foreign(unit) && is_russian_letter(other_->to_unicode(byte))) {
    return shown_byte(byte, page_) + " is no letter of a Russian text in " + page_name(page_) +
           " but " + shown_byte(byte, *other_) + " in " + page_name(*other_) +
           ": the text looks like " + page_name(*other_);
  }
  return std::nullopt;
}

std::optional<TextPage::Problem> TextPage::first_problem(std::string_view text) const {
  for (size_t i = 0; i < text.size(); ++i) {
    if (std::optional<std::string> what = problem(static_cast<unsigned char>(text[i]))) {
      return Problem{i, std::move(*what), "text in " + page_name(page_)};
    }
  }
  return std::nullopt;
}

}  // namespace pharmex::validate
