// DocumentKind: what the file dialog of one kind of document (suppliers,
// prices, orders, waybills, order import) offers and does, as data: its
// texts, its file types in list order (each with the short name tools know
// the layout by and the routine behind it), the registry value that
// remembers its folder, and how it proposes a file name.
// The dialog's preparation and close handling (app/dialog_preparation.h,
// app/shell_open_save_form.h) work on any kind; the kinds themselves are in
// app/document_kinds.h.
//
// All texts are ANSI.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "host/run_context.h"

namespace pharmex::app {

// One entry of a dialog's file-type list.
struct FileTypeEntry {
  // "description|mask", as the list shows it.
  std::string text;
  // How tools name the layout ("dbf4", "efarma-sst"): ASCII, one per entry
  // of a kind.
  std::string short_name;
  // The routine of this file type; null runs nothing.
  host::Routine routine = nullptr;
};

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
  // In the order of the dialog's file-type list.
  std::vector<FileTypeEntry> file_types;
  // The registry value (under "Software\kestrova") remembering the folder.
  std::string folder_value;
  ProposedName proposed_name;
  // Store the chosen path's folder, with its separator, under folder_value
  // before the routine runs (the order dialog does).
  bool stores_folder_before_run = false;
  // The routine of a file-type index; null for an index outside the list.
  host::Routine routine(int index) const;
  // The index of the file type of that short name; -1 when there is none.
  int index_of(std::string_view short_name) const;
  // The mask of a file type's entry ("*.dbf"); `index` must be in the list.
  std::string mask(int index) const;
};

}  // namespace pharmex::app
