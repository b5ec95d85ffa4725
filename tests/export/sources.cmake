set(PHARMEX_TEST_export_SOURCES
  atomic_text_file_test.cc
  field_rules_test.cc
  table_routine_test.cc
  text_layouts_test.cc
  waybill_export_test.cc
)
