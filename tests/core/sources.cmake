set(PHARMEX_TEST_core_SOURCES
  abi_variant_test.cc
  date_time_test.cc
  error_test.cc
  fixed_point_oracle_test.cc
  number_format_test.cc
  variant_test.cc
)
