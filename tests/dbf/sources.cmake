set(PHARMEX_TEST_dbf_SOURCES
  dbf_field_layer_test.cc
  dbf_table_test.cc
  dbf_test_util.cc
  disk_file_test.cc
  file_system_test.cc
  lock_protocol_test.cc
)
