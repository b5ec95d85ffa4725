# The validator behind `pharmex validate` (src/validate/).
set(PHARMEX_TEST_validate_SOURCES
  import_check_test.cc
  library_files_test.cc
  table_damage_test.cc
  text_damage_test.cc
  validate_support.cc
)
