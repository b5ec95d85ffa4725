set(PHARMEX_TEST_memhost_SOURCES
  column_test.cc
  csv_file_rows_test.cc
  csv_reader_test.cc
  csv_writer_test.cc
  locate_index_test.cc
  memory_dataset_test.cc
)
