set(PHARMEX_TEST_host_SOURCES
  host_dataset_test.cc
  host_failure_test.cc
  host_ref_test.cc
  progress_reporter_test.cc
)
