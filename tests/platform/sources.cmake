set(PHARMEX_TEST_platform_SOURCES
  file_settings_store_concurrency_test.cc
  file_settings_store_test.cc
  paths_test.cc
  regional_settings_test.cc
  settings_store_contract_test.cc
  text_codec_test.cc
)
