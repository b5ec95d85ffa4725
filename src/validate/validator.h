// validate_file: checks a file, whoever wrote it, against what a layout of
// the library requires, and lists every defect found with where it is
// (validate/finding.h). The file is a dBase table (every table layout the
// library writes, and the order files its import reads) or a waybill text
// file (E-Farma SST, Apteka 2000W); without a layout named, the layout is
// recognised from the table's fields (validate/table_recognition.h) or the
// text file's sections (validate/text_file_check.h).
//
// For a table: its structure (validate/table_structure.h), its fields
// against the layout (validate/field_check.h), every record
// (validate/record_check.h) and, for an order file given a price list, what
// the import would do with each record (validate/import_check.h).
//
// Nothing is ever written: the files are opened shared and read-only.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "dbf/engine_options.h"
#include "host/host_ref.h"
#include "pharmex/host.h"
#include "validate/finding.h"

namespace pharmex::validate {

struct ValidationRequest {
  std::string path;    // UTF-8, as the user named it
  std::string layout;  // a catalogue name (validate/layout_catalogue.h); "" to recognise it
  // A price list to run the import against; only for order files. May be null.
  host::HostRef<IDataSet> prices;
};

struct ValidationReport {
  std::string layout;  // the name of the layout checked against; "" when none fits
  std::string title;   // its description
  std::string reason;  // why that one: "named by --layout", or what was recognised
  std::vector<Finding> findings;
};

// A request that does not fit the file: a price list for a file that is no
// order file.
class RequestError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Reads through the options' file system with their settings (the short
// date pattern of the text files' dates). Throws Error("Cannot open %s") or
// Error("Cannot read %s") when the file cannot be read, and RequestError.
// `request.layout` must be a catalogue name or "".
ValidationReport validate_file(const ValidationRequest& request, const dbf::EngineOptions& options);

}  // namespace pharmex::validate
