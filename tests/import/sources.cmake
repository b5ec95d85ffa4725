set(PHARMEX_TEST_import_SOURCES
  example_orders_test.cc
  import_fixture.cc
  order_import_entry_test.cc
  order_reader_failures_test.cc
  order_reader_test.cc
  peer_order_test.cc
)
