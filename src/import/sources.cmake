set(PHARMEX_import_SOURCES
  order_layout.cc
  order_merger.cc
  order_reader.cc
  order_record_fields.cc
  reader_frame.cc
)
