# Reliability: faults injected through the file seam, concurrent writers and
# killed writers in real processes, independent readers, bad input.
set(PHARMEX_TEST_reliability_SOURCES
  append_lock_test.cc
  bad_input_test.cc
  child_process.cc
  concurrent_writers_test.cc
  crash_safety_test.cc
  fault_matrix_test.cc
  fuzz_findings_test.cc
  independent_readers_test.cc
  layouts.cc
  shared_table_workload.cc
  table_image.cc
)
