set(PHARMEX_TEST_platform_SOURCES
  regional_settings_test.cc
  text_codec_test.cc
)
