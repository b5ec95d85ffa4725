set(PHARMEX_TEST_app_SOURCES
  dialog_lifecycle_test.cc
  dialog_test_support.cc
  dialogless_run_test.cc
  entry_points_test.cc
  layout_dispatcher_test.cc
)
