#include "validate/text_record_check.h"

#include <cmath>
#include <string>
#include <vector>

#include "core/date_time.h"
#include "core/number_format.h"
#include "export/text_numbers.h"
#include "platform/text_codec.h"
#include "validate/shown_bytes.h"

namespace pharmex::validate {

namespace {

using exporting::TextBody;
using exporting::TextHeader;

constexpr std::string_view kBodyDateIn = "dd.MM.yyyy";
constexpr std::string_view kBodyDateOut = "dd.mm.yyyy";
constexpr std::string_view kFourDecimals = "a number with \".\" and four decimals";

std::optional<double> four_decimals(std::string_view text) {
  std::optional<double> value = parse_number(text, '.');
  if (!value || exporting::four_decimals(*value) != text) return std::nullopt;
  return value;
}

bool general_number(std::string_view text) {
  std::optional<double> value = parse_number(text, '.');
  return value && format_general(*value, '.') == text;
}

bool whole_number(std::string_view text) {
  std::optional<int64_t> value = parse_int64(text);
  return value && std::to_string(*value) == text;
}

bool date(std::string_view text, std::string_view read, std::string_view write) {
  std::optional<double> value = parse_date_time(text, read);
  return value && format_date_time(std::trunc(*value), write) == text;
}

std::string ansi(std::u16string_view text) {
  return platform::text_codec().utf16_to_ansi(text);
}

// The VAT a header field states: `field` is the VAT itself, or (Apteka
// 2000W) the total less the VAT.
bool field_is_net_total(const exporting::WaybillTextLayout& parts) {
  return parts.vat_field(100, 10) == exporting::four_decimals(90);
}

}  // namespace

struct TextRecordCheck::Fields {
  std::vector<std::string_view> texts;
  std::vector<uint64_t> at;
};

TextRecordCheck::Fields TextRecordCheck::split(const TextLine& line, size_t expected) {
  Fields fields;
  fields.texts = split_fields(line.text);
  for (std::string_view text : fields.texts)
    fields.at.push_back(line.at + static_cast<uint64_t>(text.data() - line.text.data()));
  if (!line.text.ends_with(';')) {
    findings_.add(Finding::Place::line, line.number, "", line.at + line.text.size(),
                  "the record does not end with \";\"", "every field followed by \";\"");
  }
  if (fields.texts.size() != expected) {
    findings_.add(Finding::Place::line, line.number, "", line.at,
                  "the record has " + std::to_string(fields.texts.size()) + " fields",
                  std::to_string(expected) + " fields, each followed by \";\"");
  }
  return fields;
}

void TextRecordCheck::field_finding(const TextLine& line, const Fields& fields, size_t index,
                                    std::string problem, std::string expected) {
  findings_.add(Finding::Place::line, line.number, "field " + std::to_string(index + 1),
                fields.at[index], std::move(problem), std::move(expected));
}

void TextRecordCheck::header(const TextLine& line) {
  const platform::CodePage& page = platform::text_codec().ansi();
  const Fields fields = split(line, exporting::kTextHeaderFields.size());
  header_line_ = line;
  const std::string no_vat = layout_.parts->vat_field(0, 0);
  for (size_t i = 0; i < fields.texts.size() && i < exporting::kTextHeaderFields.size(); ++i) {
    const std::string_view text = fields.texts[i];
    const std::string quoted = shown(text, page);
    switch (exporting::kTextHeaderFields[i]) {
      case TextHeader::number:
        if (!general_number(text)) {
          field_finding(line, fields, i, quoted + " is no number in general form",
                        "the waybill number: digits, \".\", no trailing zeros");
        }
        break;
      case TextHeader::short_date:
        if (!date(text, settings_.short_date_pattern, settings_.short_date_pattern)) {
          field_finding(line, fields, i, quoted + " is no date",
                        "a date as " + settings_.short_date_pattern +
                            ", the short date pattern of the regional settings");
        }
        break;
      case TextHeader::total:
        total_ = four_decimals(text);
        total_at_ = fields.at[i];
        if (!total_)
          field_finding(line, fields, i, quoted + " is no total", std::string(kFourDecimals));
        break;
      case TextHeader::vat10:
      case TextHeader::vat18: {
        const bool ten = exporting::kTextHeaderFields[i] == TextHeader::vat10;
        std::optional<double> value =
            text == no_vat ? std::optional<double>(0) : four_decimals(text);
        // Apteka 2000W states the total less the VAT.
        if (value && text != no_vat && field_is_net_total(*layout_.parts) && total_) {
          value = *total_ - *value;
        }
        (ten ? vat10_ : vat18_) = value;
        (ten ? vat10_at_ : vat18_at_) = fields.at[i];
        if (!value) {
          field_finding(line, fields, i, quoted + " is no VAT field",
                        std::string(kFourDecimals) + ", or " + shown(no_vat, page) + " for none");
        } else if (text != no_vat && *value <= 0) {
          // The layout writes a VAT only when there is one.
          field_finding(line, fields, i, quoted + " states no VAT above 0",
                        shown(no_vat, page) + " when there is no VAT");
        }
        break;
      }
      case TextHeader::delivery:
      case TextHeader::currency: {
        const std::string word = ansi(exporting::kTextHeaderFields[i] == TextHeader::delivery
                                          ? exporting::kDeliveryText
                                          : exporting::kCurrencyText);
        if (text != word) field_finding(line, fields, i, quoted, shown(word, page));
        break;
      }
      case TextHeader::rate:
        if (text != layout_.parts->rate) {
          field_finding(line, fields, i, quoted, shown(layout_.parts->rate, page));
        }
        break;
    }
  }
}

void TextRecordCheck::body(const TextLine& line) {
  const platform::CodePage& page = platform::text_codec().ansi();
  const Fields fields = split(line, layout_.body.size());
  for (size_t i = 0; i < fields.texts.size() && i < layout_.body.size(); ++i) {
    const std::string_view text = fields.texts[i];
    const std::string quoted = shown(text, page);
    switch (layout_.body[i].kind) {
      case TextBody::empty:
        if (!text.empty()) field_finding(line, fields, i, "the field holds " + quoted, "nothing");
        break;
      case TextBody::zero:
        if (text != "0") field_finding(line, fields, i, quoted, "\"0\"");
        break;
      case TextBody::whole_number:
        if (!whole_number(text))
          field_finding(line, fields, i, quoted + " is no whole number", "digits");
        break;
      case TextBody::upper_text:
        if (const std::string upper = platform::text_codec().upper_ansi(text); upper != text) {
          field_finding(line, fields, i, quoted + " is not in upper case", shown(upper, page));
        }
        break;
      case TextBody::date_or_empty:
        if (!text.empty() && !date(text, kBodyDateIn, kBodyDateOut)) {
          field_finding(line, fields, i, quoted + " is no date", "dd.mm.yyyy, or nothing");
        }
        break;
      case TextBody::price:
        if (std::optional<double> price = four_decimals(text); !price) {
          field_finding(line, fields, i, quoted + " is no price", std::string(kFourDecimals));
        } else if (*price <= 0) {
          field_finding(line, fields, i, "the price " + quoted + " is not above 0",
                        "a price above 0: the export writes no other line");
        }
        break;
      case TextBody::net_price_at_10_or_18:
        if (text.empty()) break;
        [[fallthrough]];
      case TextBody::net_price:
        if (!four_decimals(text)) {
          field_finding(line, fields, i, quoted + " is no net price", std::string(kFourDecimals));
        }
        break;
      case TextBody::appended:
      case TextBody::optional:
      case TextBody::text_or_empty:
        break;
    }
  }
  if (fields.texts.size() >= layout_.body.size()) sum(line, fields);
}

void TextRecordCheck::sum(const TextLine& /*line*/, const Fields& fields) {
  std::optional<double> price, qty, net;
  for (size_t i = 0; i < layout_.body.size(); ++i) {
    const exporting::TextBodyField& field = layout_.body[i];
    if (field.kind == TextBody::price) price = four_decimals(fields.texts[i]);
    if (field.column == "qty") qty = parse_number(fields.texts[i], '.');
    if (field.kind == TextBody::net_price || field.kind == TextBody::net_price_at_10_or_18) {
      net = four_decimals(fields.texts[i]);
    }
  }
  if (!price || !qty) return;
  ++records_;
  amount_ += *price * *qty;
  quantities_ += std::fabs(*qty);
  if (!net || *net <= 0) return;
  // The rate the net price was computed with; it is rounded to four decimals.
  const double rate = (*price / *net - 1) * 100;
  if (std::fabs(rate - 10) < 0.5) body_vat10_ += *price * *qty * 0.10;
  if (std::fabs(rate - 18) < 0.5) body_vat18_ += *price * *qty * 0.18;
}

void TextRecordCheck::compare_sum(const char* what, uint64_t at, double stated, double computed,
                                  double tolerance) {
  if (std::fabs(stated - computed) <= tolerance) return;
  findings_.add_note(Finding::Place::line, header_line_->number, at,
                     std::string("the ") + what + " " + exporting::four_decimals(stated) +
                         " is not what the body records add up to, " +
                         exporting::four_decimals(computed),
                     "the records' sum; the library's sums also count the lines it leaves out "
                     "of the body (price 0, another waybill) and quantities before rounding");
}

void TextRecordCheck::sums() {
  if (!header_line_ || !total_) return;
  // Each price is rounded to four decimals, each sum too.
  const double tolerance = 0.00005 * (2 + quantities_) + 0.0001 * static_cast<double>(records_);
  compare_sum("total", total_at_, *total_, amount_, tolerance);
  if (vat10_) compare_sum("10 per cent VAT", vat10_at_, *vat10_, body_vat10_, tolerance);
  if (vat18_) compare_sum("18 per cent VAT", vat18_at_, *vat18_, body_vat18_, tolerance);
}

}  // namespace pharmex::validate
