set(PHARMEX_platform_SOURCES
  code_page.cc
  code_page_tables.cc
  paths.cc
  regional_settings.cc
  text_codec.cc
)
