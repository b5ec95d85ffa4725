// DocumentKind: what the file dialog of one kind of document (suppliers,
// prices, orders, waybills, order import) offers and does, as data: its
// texts, its file types in list order, the registry value that remembers its
// folder, how it proposes a file name, and the routine behind each file type.
// The dialog's preparation and close handling (app/dialog_preparation.h,
// app/shell_open_save_form.h) work on any kind; the kinds themselves are in
// app/document_kinds.h.
//
// All texts are ANSI.
#pragma once

#include <string>
#include <vector>

#include "host/run_context.h"

namespace pharmex::app {

// How a dialog proposes a file name. The name is one file-name component
// whatever "native_id" holds: a waybill or order number comes from the host's
// data and must never choose the folder a file goes to. Every character that
// cannot stand in a file name (platform::file_name_component) becomes "_",
// and a name that is then "", "." or ".." is the fallback instead.
struct ProposedName {
  // The name when the host gives none; "" proposes nothing.
  std::string fallback;
  // When not empty, the name is this prefix followed by the text of
  // "native_id" in the main dataset's current row, when that value is text.
  std::string native_id_prefix;
  // Appends the extension of the first file type's mask.
  bool with_extension = false;
};

struct DocumentKind {
  std::string title;            // the dialog's caption: "Save As", "Open"
  std::string confirm_caption;  // the confirm button's: "&Save", "&Open"
  // "description|mask", in the order of the dialog's file-type list.
  std::vector<std::string> file_types;
  // The registry value (under "Software\kestrova") remembering the folder.
  std::string folder_value;
  ProposedName proposed_name;
  // Store the chosen path's folder, with its separator, under folder_value
  // before the routine runs (the order dialog does).
  bool stores_folder_before_run = false;
  // The routine of each file-type index; null, or an index past the end,
  // runs nothing.
  std::vector<host::Routine> routines;

  // The routine of a file-type index, or null.
  host::Routine routine(int index) const {
    if (index < 0 || static_cast<size_t>(index) >= routines.size()) return nullptr;
    return routines[static_cast<size_t>(index)];
  }
};

}  // namespace pharmex::app
