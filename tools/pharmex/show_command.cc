// pharmex show FILE.dbf: what a table holds, for people and for scripts.
//
// The table is opened shared and read-only, so showing a file never gets in
// the way of a program writing it. Text fields are decoded the way the engine
// reads them (OEM to ANSI) and shown as UTF-8; numbers are shown as stored;
// memo fields show their text (binary memo fields their size). The aligned
// text form escapes control characters in names and values (\r, \n, \t,
// \x01, and \\ for a backslash: see Escaped), so a record stays on one line
// and a terminal sees no controls; it cuts memos after 60 characters. CSV
// carries every value whole (quoted where needed), JSON with its own escapes.
//
// A table with memo fields needs its memo file: when it is missing nothing is
// shown and the engine's message is printed. A memo that cannot be read is
// shown as "<bad memo>" (null in JSON), the engine's message naming record
// and field goes to stderr, and the exit code is 1.
#include "show_command.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "core/error.h"
#include "dbf/dbf_field_layer.h"
#include "dbf/engine_options.h"
#include "json_text.h"
#include "platform/paths.h"
#include "show_cells.h"

namespace pharmex::cli {

namespace {

using dbf::TDbfFieldLayer;

// Calls `visit(record_number, deleted)` for every record to show, with the
// record in the table's buffer.
template <class Visit>
void ForEachRecord(TDbfFieldLayer& table, bool with_deleted, Visit visit) {
  for (int32_t r = 1; r <= table.RecordCount(); ++r) {
    if (!table.GotoRecord(r)) break;
    if (table.RecordDeleted() && !with_deleted) continue;
    visit(r, table.RecordDeleted());
  }
}

// Columns shown as text: display width counts characters, not UTF-8 bytes.
size_t Width(std::string_view utf8) {
  return static_cast<size_t>(std::count_if(utf8.begin(), utf8.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

void Pad(std::string& line, std::string_view text, size_t width, bool right) {
  std::string fill(width > Width(text) ? width - Width(text) : 0, ' ');
  if (right) line.append(fill);
  line.append(text);
  if (!right) line.append(fill);
}

void PrintRow(std::ostream& out, const std::vector<std::string>& cells,
              const std::vector<size_t>& widths, const std::vector<bool>& right) {
  std::string line;
  for (size_t i = 0; i < cells.size(); ++i) {
    line.append("  ");
    Pad(line, cells[i], widths[i], right[i]);
  }
  // No trailing blanks after the last value.
  line.erase(line.find_last_not_of(' ') + 1);
  out << line << '\n';
}

std::string VersionName(uint8_t version) {
  switch (version) {
    case 0x03:
      return "dBase III/IV or FoxPro, no memo";
    case 0x04:
      return "dBase IV SQL table, no memo";
    case 0x30:
      return "Visual FoxPro";
    case 0x83:
      return "dBase III with memo";
    case 0x8B:
      return "dBase IV with memo";
    case 0xF5:
      return "FoxPro 2 with memo";
    default:
      return "unknown";
  }
}

std::string TwoDigits(int value) {
  return std::string(1, static_cast<char>('0' + value / 10 % 10)) +
         static_cast<char>('0' + value % 10);
}

void PrintHeader(std::ostream& out, TDbfFieldLayer& table) {
  auto header = table.Header();
  auto byte = [&](size_t i) { return static_cast<int>(static_cast<unsigned char>(header[i])); };
  const int year = byte(1) < 80 ? 2000 + byte(1) : 1900 + byte(1);
  const uint32_t stored = dbf::format::DecodeFixed32(&header[dbf::format::kRecordCountOffset]);
  char version[8];
  std::snprintf(version, sizeof version, "0x%02X", table.Version());
  out << "File:          " << Utf8(table.FileName()) << '\n'
      << "Version:       " << version << " (" << VersionName(table.Version()) << ")\n"
      << "Last update:   " << year << '-' << TwoDigits(byte(2)) << '-' << TwoDigits(byte(3)) << '\n'
      << "Records:       " << table.RecordCount();
  if (stored != static_cast<uint32_t>(table.RecordCount()))
    out << " (the header says " << stored << ")";
  out << "\nHeader length: " << table.HeaderLength() << '\n'
      << "Record length: " << table.RecordLength() << '\n';
  if (table.MemoOpen()) {
    out << "Memo file:     " << Utf8(table.Memo().FileName()) << " (blocks of "
        << table.Memo().BlockSize() << " bytes)\n";
  }
  out << "\nFields:\n";
  std::vector<std::vector<std::string>> rows;
  for (const dbf::TDbfFieldDef& f : table.Fields()) {
    rows.push_back({std::to_string(f.number), Escaped(Utf8(f.name)),
                    Escaped(Utf8(std::string(1, f.type))), std::to_string(f.length),
                    std::to_string(f.decimals), std::to_string(f.offset)});
  }
  const std::vector<std::string> titles = {"#", "Name", "Type", "Length", "Decimals", "Offset"};
  const std::vector<bool> right = {true, false, false, true, true, true};
  std::vector<size_t> widths;
  for (size_t i = 0; i < titles.size(); ++i) {
    size_t w = Width(titles[i]);
    for (const auto& row : rows)
      w = std::max(w, Width(row[i]));
    widths.push_back(w);
  }
  PrintRow(out, titles, widths, {true, false, false, false, false, false});
  for (const auto& row : rows)
    PrintRow(out, row, widths, right);
}

void PrintText(std::ostream& out, TDbfFieldLayer& table, bool with_deleted, RecordCells& cells) {
  PrintHeader(out, table);
  std::vector<std::string> titles = {"#"};
  std::vector<bool> right = {true};
  if (with_deleted) {
    titles.push_back("Del");
    right.push_back(false);
  }
  for (const dbf::TDbfFieldDef& f : table.Fields()) {
    titles.push_back(Escaped(Utf8(f.name)));
    right.push_back(RightAligned(table, f.number - 1));
  }
  auto row_of = [&](int32_t r, bool deleted) {
    std::vector<std::string> row = {std::to_string(r)};
    if (with_deleted) row.push_back(deleted ? "*" : "");
    for (const Cell& cell : cells.Read(table, r))
      row.push_back(Escaped(cell.text));
    return row;
  };
  // Two passes over the file instead of holding every record: first the
  // column widths, then the rows.
  std::vector<size_t> widths;
  for (const std::string& title : titles)
    widths.push_back(Width(title));
  ForEachRecord(table, with_deleted, [&](int32_t r, bool deleted) {
    std::vector<std::string> row = row_of(r, deleted);
    for (size_t i = 0; i < row.size(); ++i)
      widths[i] = std::max(widths[i], Width(row[i]));
  });
  out << "\nRecords:\n";
  std::vector<bool> title_right(titles.size(), false);
  title_right[0] = true;
  PrintRow(out, titles, widths, title_right);
  ForEachRecord(table, with_deleted,
                [&](int32_t r, bool deleted) { PrintRow(out, row_of(r, deleted), widths, right); });
}

std::string CsvField(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted.push_back('"');
    quoted.push_back(c);
  }
  quoted.push_back('"');
  return quoted;
}

void PrintCsv(std::ostream& out, TDbfFieldLayer& table, bool with_deleted, RecordCells& cells) {
  std::string line = with_deleted ? "_deleted" : "";
  for (const dbf::TDbfFieldDef& f : table.Fields()) {
    if (!line.empty() || f.number > 1) line.push_back(',');
    line.append(CsvField(Utf8(f.name)));
  }
  out << line << "\r\n";
  ForEachRecord(table, with_deleted, [&](int32_t r, bool deleted) {
    line.clear();
    if (deleted) line.push_back('*');
    bool first = !with_deleted;
    for (const Cell& cell : cells.Read(table, r)) {
      if (!first) line.push_back(',');
      first = false;
      line.append(CsvField(cell.text));
    }
    out << line << "\r\n";
  });
}

std::string JsonValue(const Cell& cell) {
  switch (cell.kind) {
    case Cell::kNull:
      return "null";
    case Cell::kNumber:
      return cell.text;
    case Cell::kBool:
      return cell.text == "T" ? "true" : "false";
    case Cell::kString:
      break;
  }
  return JsonString(cell.text);
}

void PrintJson(std::ostream& out, TDbfFieldLayer& table, bool with_deleted, RecordCells& cells) {
  auto header = table.Header();
  auto byte = [&](size_t i) { return static_cast<int>(static_cast<unsigned char>(header[i])); };
  const int year = byte(1) < 80 ? 2000 + byte(1) : 1900 + byte(1);
  out << "{\n  \"file\": " << JsonString(Utf8(table.FileName()))
      << ",\n  \"version\": " << static_cast<int>(table.Version()) << ",\n  \"last_update\": \""
      << year << '-' << TwoDigits(byte(2)) << '-' << TwoDigits(byte(3))
      << "\",\n  \"record_count\": " << table.RecordCount()
      << ",\n  \"header_length\": " << table.HeaderLength()
      << ",\n  \"record_length\": " << table.RecordLength();
  if (table.MemoOpen()) out << ",\n  \"memo_file\": " << JsonString(Utf8(table.Memo().FileName()));
  out << ",\n  \"fields\": [";
  for (const dbf::TDbfFieldDef& f : table.Fields()) {
    out << (f.number > 1 ? ",\n" : "\n") << "    {\"name\": " << JsonString(Utf8(f.name))
        << ", \"type\": " << JsonString(Utf8(std::string(1, f.type)))
        << ", \"length\": " << f.length << ", \"decimals\": " << f.decimals
        << ", \"offset\": " << f.offset << '}';
  }
  out << (table.FieldCount() > 0 ? "\n  ],\n  \"records\": [" : "],\n  \"records\": [");
  bool first = true;
  ForEachRecord(table, with_deleted, [&](int32_t r, bool deleted) {
    out << (first ? "\n" : ",\n") << "    {\"record\": " << r
        << ", \"deleted\": " << (deleted ? "true" : "false") << ", \"values\": {";
    first = false;
    std::vector<Cell> values = cells.Read(table, r);
    for (size_t i = 0; i < values.size(); ++i) {
      out << (i > 0 ? ", " : "") << JsonString(Utf8(table.Field(static_cast<int>(i)).name)) << ": "
          << JsonValue(values[i]);
    }
    out << "}}";
  });
  out << (first ? "]\n}\n" : "\n  ]\n}\n");
}

}  // namespace

int run_show(const std::vector<std::string>& args, Io& io) {
  Arguments arguments(args, {"csv", "json", "deleted"});
  const bool csv = arguments.flag("csv");
  const bool json = arguments.flag("json");
  const bool with_deleted = arguments.flag("deleted");
  std::optional<std::string> path = arguments.positional();
  if (!path) throw UsageError("missing FILE.dbf");
  arguments.expect_all_used();
  if (csv && json) throw UsageError("--csv and --json exclude each other");
  try {
    const dbf::EngineOptions options = dbf::EngineOptions::process_defaults();
    TDbfFieldLayer table(platform::ansi_path(*path), true, false, *options.file_system,
                         *options.clock);
    table.OpenTable();
    // A missing or unreadable memo file stops the command before any output.
    if (HasMemoFields(table)) table.Memo();
    RecordCells cells(!csv && !json);
    if (csv) {
      PrintCsv(io.out, table, with_deleted, cells);
    } else if (json) {
      PrintJson(io.out, table, with_deleted, cells);
    } else {
      PrintText(io.out, table, with_deleted, cells);
    }
    if (cells.ReportProblems(io.err)) return kFailed;
  } catch (const Error& e) {
    io.err << "pharmex show: " << Utf8(e.what()) << '\n';
    return kFailed;
  }
  return kDone;
}

const Command& show_command() {
  static const Command kCommand = {"show", run_show};
  return kCommand;
}

}  // namespace pharmex::cli
