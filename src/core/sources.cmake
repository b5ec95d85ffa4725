set(PHARMEX_core_SOURCES
  abi_memory.cc
  abi_variant.cc
  date_time.cc
  error.cc
  number_format.cc
  variant.cc
)
