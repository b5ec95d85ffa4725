set(PHARMEX_platform_SOURCES
  code_page.cc
  code_page_tables.cc
  file_name_query.cc
  folder_order.cc
  headless_controls.cc
  headless_driver.cc
  headless_folder_view.cc
  headless_shell_form.cc
  headless_toolkit.cc
  memory_settings_store.cc
  paths.cc
  settings_store.cc
  staged_files.cc
  text_codec.cc
  toolkit.cc
  toolkit_file_name.cc
)
# One backend file per platform and service; the build lists the platform's
# set: the services' defaults, the clock, the code pages, the real files, the
# paths' rules, the regional settings, the settings store, the toolkit and
# the structured exceptions of the host boundary.
if(WIN32)
  list(APPEND PHARMEX_platform_SOURCES
    win32_clock.cc
    win32_code_pages.cc
    win32_controls.cc
    win32_defaults.cc
    win32_file_system.cc
    win32_folder_list.cc
    win32_pascal_exception.cc
    win32_paths.cc
    win32_regional_settings.cc
    win32_registry_store.cc
    win32_shell_form.cc
    win32_structured_exceptions.cc
    win32_text.cc
    win32_toolkit.cc
    win32_window_operations.cc
  )
else()
  list(APPEND PHARMEX_platform_SOURCES
    file_settings_store.cc
    file_settings_store_format.cc
    locale_settings.cc
    posix_clock.cc
    posix_code_pages.cc
    posix_defaults.cc
    posix_file_system.cc
    posix_paths.cc
    posix_structured_exceptions.cc
  )
endif()
