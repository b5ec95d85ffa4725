set(PHARMEX_TEST_import_SOURCES
  import_fixture.cc
  order_reader_failures_test.cc
  order_reader_test.cc
)
