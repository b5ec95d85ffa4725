#include "validate/cell_check.h"

#include "core/date_time.h"
#include "core/number_format.h"
#include "validate/shown_bytes.h"

namespace pharmex::validate {

namespace {

constexpr std::string_view kBlank = " ";

bool blank(std::string_view cell) {
  return cell.find_first_not_of(kBlank) == std::string_view::npos;
}

std::string decimals_text(uint32_t decimals) {
  if (decimals == 0) return "no decimals";
  return std::to_string(decimals) + (decimals == 1 ? " decimal" : " decimals");
}

// The decimals a fixed-point text has; nothing when it has an exponent.
std::optional<uint32_t> decimals_of(std::string_view text) {
  if (text.find_first_of("eE") != std::string_view::npos) return std::nullopt;
  const size_t point = text.find('.');
  if (point == std::string_view::npos) return 0;
  return static_cast<uint32_t>(text.size() - point - 1);
}

std::optional<CellProblem> check_number(const Descriptor& field, std::string_view cell,
                                        const TextPage& text, bool library_layout) {
  const std::string shown_cell = shown(cell, text.page());
  if (blank(cell)) {
    if (!library_layout) return std::nullopt;
    return CellProblem{
        0, "the number is blank",
        shown(number_as_written(field, 0), text.page()) + ": the library writes 0 for no value"};
  }
  std::optional<double> value = parse_number(cell, '.');
  if (!value) {
    std::string with_point(cell);
    const size_t comma = with_point.find(',');
    if (comma != std::string::npos) with_point[comma] = '.';
    const bool decimal_comma = comma != std::string::npos && parse_number(with_point, '.');
    return CellProblem{decimal_comma ? comma : cell.find_first_not_of(kBlank),
                       shown_cell + (decimal_comma ? " has a decimal comma" : " is not a number"),
                       "a number with \".\" and " + decimals_text(field.decimals) +
                           ", right-justified (the library reads no other)"};
  }
  // Whole numbers as the library writes them, exactly (beyond the 15 digits
  // of a double).
  std::optional<int64_t> whole = field.decimals == 0 ? parse_int64(cell) : std::nullopt;
  std::string written = number_as_written(field, *value);
  if (whole) {
    written = std::to_string(*whole);
    if (written.size() < field.length) written.insert(0, field.length - written.size(), ' ');
  }
  if (written == cell) return std::nullopt;
  const size_t first = cell.find_first_not_of(kBlank);
  const std::string_view trimmed = cell.substr(first, cell.find_last_not_of(kBlank) - first + 1);
  std::optional<uint32_t> decimals = decimals_of(trimmed);
  std::string problem = shown_cell + " is written in another form";
  if (!decimals) {
    problem = shown_cell + " is written with an exponent";
  } else if (*decimals != field.decimals) {
    problem = shown_cell + " has " + decimals_text(*decimals) + ", the field " +
              std::to_string(field.decimals);
  } else if (cell.back() == ' ') {
    problem = shown_cell + " is not right-justified";
  }
  return CellProblem{first, problem, shown(written, text.page())};
}

std::optional<CellProblem> check_date(std::string_view cell, const TextPage& text,
                                      bool library_layout) {
  if (blank(cell)) return std::nullopt;
  const std::string shown_cell = shown(cell, text.page());
  if (cell == "00000000") {
    if (!library_layout) return std::nullopt;
    return CellProblem{0, shown_cell + " reads as no date",
                       "eight blanks for no date, as the library writes"};
  }
  std::optional<int64_t> digits =
      cell.size() == 8 && cell.find_first_not_of("0123456789") == std::string_view::npos
          ? parse_int64(cell)
          : std::nullopt;
  if (digits &&
      encode_date(static_cast<int>(*digits / 10000), static_cast<int>(*digits / 100 % 100),
                  static_cast<int>(*digits % 100))) {
    return std::nullopt;
  }
  return CellProblem{0, shown_cell + " is no date", "yyyymmdd, or eight blanks for no date"};
}

std::optional<CellProblem> check_logical(std::string_view cell, const TextPage& text) {
  static constexpr std::string_view kLogical = "TtFfYyNnJj? ";
  if (cell.empty() || kLogical.find(cell[0]) != std::string_view::npos) return std::nullopt;
  return CellProblem{0, shown(cell, text.page()) + " is no logical value",
                     "T or F (readers also take Y, N or ?)"};
}

}  // namespace

std::string number_as_written(const Descriptor& field, double value) {
  std::string text = format_fixed(value, static_cast<int>(field.decimals), '.', 18);
  if (text.size() < field.length) text.insert(0, field.length - text.size(), ' ');
  return text;
}

std::optional<CellProblem> check_cell(const Descriptor& field, std::string_view cell,
                                      const TextPage& text, bool library_layout) {
  switch (field.type) {
    case 'N':
    case 'F':
      return check_number(field, cell, text, library_layout);
    case 'D':
      return check_date(cell, text, library_layout);
    case 'L':
      return check_logical(cell, text);
    case 'C':
      if (std::optional<TextPage::Problem> problem = text.first_problem(cell)) {
        return CellProblem{problem->index, problem->problem, problem->expected};
      }
      return std::nullopt;
    default:
      return std::nullopt;
  }
}

}  // namespace pharmex::validate
