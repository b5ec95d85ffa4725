set(PHARMEX_dbf_SOURCES
  disk_file.cc
  lock_protocol.cc
  open_file_list.cc
)
