// One record of a partner text file: fields each followed by ";", in the
// ANSI code page.
//
// Host values join a record "by the variant rule for text": the record so far
// is a string and the value is added to it as a variant. A string value is
// appended; an Empty value (a host may answer VT_EMPTY) adds nothing; a null
// value makes the whole record null, which cannot become text; a number (or
// date, or Boolean) makes the variant rule read the record as a number, which
// fails. Those failures carry the variant's conversion messages ("Could not
// convert variant of type (Null) into type (String)").
//
// A partner system reads a record as one line of fields separated by ";".
// So inside a host text every ";" is written as "^" and every CR or LF as a
// blank: each record stays one line with its own number of fields.
#pragma once

#include <string>
#include <string_view>

#include "core/variant.h"

namespace pharmex::exporting {

class TextRecord {
 public:
  // `settings` decide how numbers read from strings (the variant rule).
  explicit TextRecord(const RegionalSettings& settings) : settings_(settings) {}

  // A field the layout formats itself (numbers, constants), then ";".
  void add_field(std::string_view ansi_text);
  // An empty field: just ";".
  void add_empty_field() { text_.push_back(';'); }
  // A host value appended by the variant rule for text, without the ";".
  void append_value(const Variant& value);
  // Ends the current field with ";".
  void end_field() { text_.push_back(';'); }
  // An optional text column: null (or Empty) gives an empty field; anything
  // else is appended by the variant rule and followed by ";".
  void add_optional_value(const Variant& value);
  // A value as text for a field the layout spells itself (the value is
  // converted, not appended: numbers become their text, Empty is ""), in
  // capitals when `upper`, then ";". Null fails with "Could not convert
  // variant of type (Null) into type (String)". ";" becomes "^", CR and LF
  // blanks. A string is encoded where it lies.
  void add_value_text(const Variant& value, bool upper = false);

  const std::string& text() const { return text_; }
  void clear() { text_.clear(); }

 private:
  const RegionalSettings& settings_;
  std::string text_;
};

// Appends the ANSI form of a host text, every ";" written as "^" and every CR
// or LF as a blank.
void append_host_text(std::string& out, std::u16string_view text);

}  // namespace pharmex::exporting
