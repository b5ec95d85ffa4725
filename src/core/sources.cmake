set(PHARMEX_core_SOURCES
  abi_variant.cc
  date_time.cc
  error.cc
  number_format.cc
  variant.cc
)
# The variant ABI's strings and arrays: the system's OLE automation on
# Windows, the library's own heap elsewhere.
if(WIN32)
  list(APPEND PHARMEX_core_SOURCES win32_variant_abi.cc)
else()
  list(APPEND PHARMEX_core_SOURCES heap_variant_abi.cc)
endif()
