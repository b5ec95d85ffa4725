set(PHARMEX_host_SOURCES
  last_error.cc
)
