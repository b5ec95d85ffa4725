#include "memhost/csv_writer.h"

#include <memory>
#include <optional>
#include <vector>

#include "core/error.h"
#include "core/regional_settings.h"
#include "core/service.h"
#include "export/atomic_text_file.h"
#include "host/host_dataset.h"
#include "memhost/column.h"
#include "memhost/csv_column_type.h"
#include "memhost/csv_value.h"
#include "platform/file_system.h"
#include "platform/text_codec.h"

namespace pharmex::memhost {

namespace {

// The file is written in pieces of about this size.
constexpr size_t kPiece = size_t{1} << 20;

struct WriterColumn {
  host::HostField field;
  TFieldType type;
  std::string ansi_name;  // for messages
};

void append_cell(std::string& out, std::string_view text) {
  // A byte-order mark opening the file is the reader's to skip: a first cell
  // that begins with one (a column named so) is quoted to keep it.
  bool quote = text.empty() || text.find_first_of(",\"\r\n") != std::string_view::npos ||
               (out.empty() && text.starts_with("\xEF\xBB\xBF"));
  if (!quote) {
    out.append(text);
    return;
  }
  out.push_back('"');
  for (char c : text) {
    if (c == '"') out.push_back('"');
    out.push_back(c);
  }
  out.push_back('"');
}

std::vector<WriterColumn> write_header(const host::HostDataSet& data, std::string& out) {
  std::vector<WriterColumn> columns;
  int32_t count = data.field_count();
  if (count <= 0) raise<Error>("The dataset has no columns");
  for (int32_t i = 0; i < count; ++i) {
    host::HostField field = data.field(i);
    std::u16string name = field.name_utf16();
    int ordinal = field.data_type();
    std::string ansi_name = platform::text_codec().utf16_to_ansi(name);
    std::optional<std::string> type_text = format_csv_column_type(ordinal, field.size());
    if (!type_text) {
      raise<Error>("Column \"%s\" has type %d, which the CSV format cannot hold",
                   {ansi_name, int64_t{ordinal}});
    }
    auto type = static_cast<TFieldType>(ordinal);  // one of the format's types
    if (i > 0) out.push_back(',');
    append_cell(out, platform::utf16_to_utf8(name) + ":" + *type_text);
    columns.push_back({std::move(field), type, std::move(ansi_name)});
  }
  out.push_back('\n');
  return columns;
}

void write_row(const std::vector<WriterColumn>& columns, int64_t row, std::string& out) {
  const RegionalSettings& settings = regional_settings();
  for (size_t i = 0; i < columns.size(); ++i) {
    if (i > 0) out.push_back(',');
    Variant value = convert_for_column(columns[i].field.value(), columns[i].type, settings);
    if (value.is_null()) continue;
    std::optional<std::string> text = format_csv_value(value, columns[i].type);
    if (!text) {
      raise<Error>("Row %d, column \"%s\": the value cannot be written",
                   {row, columns[i].ansi_name});
    }
    append_cell(out, *text);
  }
  out.push_back('\n');
}

// Writes the dataset's text into `out`, handing it to `flush` (which empties
// it) whenever it passes `piece` bytes.
template <class Flush>
void write_text(IDataSet* dataset, std::string& out, size_t piece, Flush&& flush) {
  host::HostDataSet data(host::HostRef<IDataSet>::retain(dataset));
  std::vector<WriterColumn> columns = write_header(data, out);
  int64_t row = 1;
  for (data.first(); !data.eof(); data.next()) {
    write_row(columns, row++, out);
    if (out.size() >= piece) flush(out);
  }
}

}  // namespace

std::string write_csv(IDataSet* dataset) {
  std::string out;
  write_text(dataset, out, std::string::npos, [](std::string&) {});
  return out;
}

void write_csv_file(IDataSet* dataset, const std::string& path) {
  const std::string target = platform::text_codec().utf8_to_ansi(path);
  // The file's own messages name the temporary file's steps; ours says what
  // failed for the user. A host failure passes through as it is.
  auto file_step = [&](auto&& step) {
    try {
      step();
    } catch (const Error&) {
      raise<Error>("Cannot write %s", {target});
    }
  };
  const std::shared_ptr<platform::FileSystem> files = Service<platform::FileSystem>::current();
  std::optional<exporting::AtomicTextFile> file;
  file_step([&] { file.emplace(target, *files); });
  std::string out;
  auto flush = [&](std::string& text) {
    file_step([&] { file->write(text); });
    text.clear();
  };
  write_text(dataset, out, kPiece, flush);
  flush(out);
  file_step([&] { file->commit(); });
}

}  // namespace pharmex::memhost
