set(PHARMEX_host_SOURCES
  host_dataset.cc
  host_failure.cc
  host_field.cc
  last_error.cc
  progress_reporter.cc
)
