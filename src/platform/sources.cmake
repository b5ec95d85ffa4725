set(PHARMEX_platform_SOURCES
  clock.cc
  code_page.cc
  code_page_tables.cc
  file_settings_store.cc
  file_settings_store_format.cc
  headless_controls.cc
  headless_driver.cc
  headless_folder_view.cc
  headless_shell_form.cc
  headless_toolkit.cc
  memory_settings_store.cc
  paths.cc
  settings_store.cc
  text_codec.cc
  toolkit.cc
  toolkit_file_name.cc
)
# The POSIX backend: the services' defaults, the real files and the locale's
# regional settings. A port lists its own backend instead.
list(APPEND PHARMEX_platform_SOURCES
  locale_settings.cc
  posix_defaults.cc
  posix_file_system.cc
)
