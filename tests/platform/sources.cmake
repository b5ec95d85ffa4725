set(PHARMEX_TEST_platform_SOURCES
  paths_test.cc
  regional_settings_test.cc
  text_codec_test.cc
)
