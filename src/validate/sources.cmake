# The validator behind `pharmex validate`: not part of the library (nothing
# in it includes this folder), built as a static library of its own for the
# tool and the tests.
set(PHARMEX_validate_SOURCES
  cell_check.cc
  code_page_mark.cc
  field_check.cc
  finding.cc
  import_check.cc
  layout_catalogue.cc
  memo_check.cc
  record_check.cc
  shown_bytes.cc
  table_file.cc
  table_layout.cc
  table_recognition.cc
  table_structure.cc
  text_file_check.cc
  text_lines.cc
  text_page.cc
  text_record_check.cc
  validator.cc
)
