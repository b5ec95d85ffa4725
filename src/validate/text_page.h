// TextPage: whether bytes are text of the code page a file keeps its text in.
//
// A byte is wrong when the page leaves it undefined or it is a control
// character (no text field, memo or partner text record holds one). A byte
// is suspect when the page makes it a box-drawing character or a Cyrillic
// letter Russian does not use while the other page of the library's pair
// (ANSI and OEM: 1251 and 866) makes it a Russian letter: the text was then
// written in the other page. Capital letters of a code-page-1251 text are
// box-drawing characters in 866, and capitals of an 866 text are Serbian and
// Ukrainian letters in 1251, so a mixed-up text shows itself in its first
// capital.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/code_page.h"

namespace pharmex::validate {

class TextPage {
 public:
  // `other` is the page the text may have been written in by mistake; null
  // when there is none to suspect.
  TextPage(const platform::CodePage& page, const platform::CodePage* other)
      : page_(page), other_(other) {}

  const platform::CodePage& page() const { return page_; }

  struct Problem {
    size_t index;          // of the byte in the text
    std::string problem;   // what the byte is
    std::string expected;  // "text in code page 866"
  };
  // The first byte of `text` that is not text of the page.
  std::optional<Problem> first_problem(std::string_view text) const;

 private:
  std::optional<std::string> problem(unsigned char byte) const;

  const platform::CodePage& page_;
  const platform::CodePage* other_;
};

}  // namespace pharmex::validate
