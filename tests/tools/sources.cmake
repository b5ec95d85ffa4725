# The command-line tool's commands are tested in-process through cli::run.
set(PHARMEX_TEST_tools_SOURCES
  cli_test.cc
  export_command_test.cc
  import_command_test.cc
  manual_test.cc
  show_command_test.cc
  validate_command_test.cc
  waybill_tables_cli_test.cc
)
