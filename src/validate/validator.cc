#include "validate/validator.h"

#include "dbf/dbf_format.h"
#include "export/waybill_text.h"
#include "platform/paths.h"
#include "validate/field_check.h"
#include "validate/import_check.h"
#include "validate/layout_catalogue.h"
#include "validate/record_check.h"
#include "validate/table_file.h"
#include "validate/table_recognition.h"
#include "validate/table_structure.h"
#include "validate/text_file_check.h"

namespace pharmex::validate {

namespace {

// What a table is checked against when no layout fits: the table format
// alone, as for an order file of no particular layout.
const TableLayout& format_only() {
  static const TableLayout layout = [] {
    TableLayout table;
    table.title = "dBase table";
    table.form = TableForm::order_file;
    return table;
  }();
  return layout;
}

bool is_text_file(TableFile& file) {
  std::string head = file.read(0, 3 + exporting::kHeaderSection.size());
  if (head.starts_with("\xEF\xBB\xBF")) head.erase(0, 3);
  return head.starts_with(exporting::kHeaderSection);
}

void validate_text(TableFile& file, const TextLayout* layout, const ValidationRequest& request,
                   const dbf::EngineOptions& options, ValidationReport& report) {
  if (request.prices) {
    throw RequestError("a price list goes with an order file; " + request.path +
                       " is a waybill text file");
  }
  const std::string bytes = file.read(0, static_cast<size_t>(file.size()));
  if (layout == nullptr) {
    layout = recognise_text(bytes, file.path(), report.reason);
  } else {
    report.reason = "named by --layout";
  }
  Findings findings(request.path);
  if (layout == nullptr) {
    findings.add(Finding::Place::file, 0, "", 0, "the file is no waybill text file",
                 "\"[Header]\" as its first line");
  } else {
    report.layout = layout->name;
    report.title = layout->title;
    check_text_file(bytes, *layout, options.settings, findings);
  }
  report.findings = findings.all();
}

void validate_table(TableFile& file, const TableLayout* layout, const ValidationRequest& request,
                    const dbf::EngineOptions& options, ValidationReport& report) {
  Findings findings(request.path);
  if (layout == nullptr) {
    Findings probe(request.path);
    std::optional<TableStructure> fields = check_structure(file, format_only(), probe);
    std::optional<unsigned char> version = file.byte_at(0);
    if (!fields && (!version || !dbf::format::AcceptedVersion(*version))) {
      // Not even a table to judge: say so once rather than every byte.
      findings.add(Finding::Place::file, 0, "", 0,
                   "the file is neither a dBase table nor a waybill text file",
                   "a dBase table, or a text file whose first line is \"[Header]\"");
      report.findings = findings.all();
      return;
    }
    std::optional<Recognition> found;
    if (fields) found = recognise_table(*fields, static_cast<bool>(request.prices));
    if (found) {
      layout = found->layout;
      report.reason = found->reason;
    } else if (fields) {
      findings.add(Finding::Place::header, 0, "", 32,
                   request.prices ? "the fields match no order file the import reads"
                                  : "the fields match no layout the library writes or reads",
                   "the fields of a layout; --layout names one");
    }
  } else {
    report.reason = "named by --layout";
  }
  if (request.prices && layout != nullptr && layout->form != TableForm::order_file) {
    throw RequestError("a price list goes with an order file; --layout " + layout->name +
                       " is no order file");
  }
  const TableLayout& against = layout != nullptr ? *layout : format_only();
  report.layout = against.name;
  report.title = against.title;
  if (std::optional<TableStructure> table = check_structure(file, against, findings)) {
    check_fields(*table, against, findings);
    check_records(file, *table, against, *options.file_system, findings);
    if (request.prices && layout != nullptr) {
      check_import(file.path(), *table, against, request.prices, options, findings);
    }
  }
  report.findings = findings.all();
}

}  // namespace

ValidationReport validate_file(const ValidationRequest& request,
                               const dbf::EngineOptions& options) {
  const LayoutCatalogue& catalogue = LayoutCatalogue::instance();
  TableFile file(*options.file_system, platform::ansi_path(request.path));
  ValidationReport report;
  const TextLayout* text = request.layout.empty() ? nullptr : catalogue.text(request.layout);
  const TableLayout* table = request.layout.empty() ? nullptr : catalogue.table(request.layout);
  if (text != nullptr || (table == nullptr && is_text_file(file))) {
    validate_text(file, text, request, options, report);
  } else {
    validate_table(file, table, request, options, report);
  }
  return report;
}

}  // namespace pharmex::validate
