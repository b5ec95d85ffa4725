#include "export/text_record.h"

#include <span>

#include "core/error.h"
#include "platform/text_codec.h"

namespace pharmex::exporting {

void append_host_text(std::string& out, std::u16string_view text) {
  size_t start = out.size();
  platform::text_codec().append_utf16_as_ansi(out, text);
  for (size_t i = start; i < out.size(); ++i) {
    if (out[i] == ';') {
      out[i] = '^';
    } else if (out[i] == '\r' || out[i] == '\n') {
      out[i] = ' ';
    }
  }
}

void TextRecord::add_field(std::string_view ansi_text) {
  text_.append(ansi_text);
  text_.push_back(';');
}

void TextRecord::append_value(const Variant& value) {
  if (value.is_string()) {
    append_host_text(text_, value.string_value());
    return;
  }
  // The variant rule adds an Empty value as "": the record stays as it is.
  if (value.is_empty()) return;
  // Anything else goes through the variant rule, which reads the record as a
  // number (it holds a ";": that fails) or yields null, which cannot become
  // text. Either way the record cannot go on.
  Variant sum = add(Variant::string(platform::text_codec().ansi_to_utf16(text_)), value, settings_);
  throw_conversion_error(sum.kind(), "String");
}

void TextRecord::add_value_text(const Variant& value, bool upper) {
  const size_t start = text_.size();
  if (value.is_string()) {
    append_host_text(text_, value.string_value());
  } else {
    append_host_text(text_, value.to_text(settings_));
  }
  if (upper) platform::text_codec().upper_ansi_inplace(std::span<char>(text_).subspan(start));
  end_field();
}

void TextRecord::add_optional_value(const Variant& value) {
  if (!value.is_null()) append_value(value);
  end_field();
}

}  // namespace pharmex::exporting
