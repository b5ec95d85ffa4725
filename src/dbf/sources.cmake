set(PHARMEX_dbf_SOURCES
  dbf_field_def.cc
  dbf_field_layer.cc
  dbf_table.cc
  disk_file.cc
  lock_protocol.cc
  open_file_list.cc
)
