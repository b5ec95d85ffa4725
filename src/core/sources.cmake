set(PHARMEX_core_SOURCES
  abi_variant.cc
  date_time.cc
  error.cc
  number_format.cc
  regional_settings.cc
  string_block_cache.cc
  variant.cc
)
# The variant ABI's strings and arrays (core/abi_memory.h): the system's OLE
# automation on Windows, the library's own heap elsewhere.
if(WIN32)
  list(APPEND PHARMEX_core_SOURCES win32_abi_memory.cc)
else()
  list(APPEND PHARMEX_core_SOURCES heap_abi_memory.cc)
endif()
