set(PHARMEX_core_SOURCES
  abi_variant.cc
  date_time.cc
  error.cc
  number_format.cc
  regional_settings.cc
  variant.cc
)
