# The command-line tool's commands are tested in-process through cli::run.
set(PHARMEX_TEST_tools_SOURCES
  show_command_test.cc
  ../../tools/pharmex/cli.cc
  ../../tools/pharmex/show_cells.cc
  ../../tools/pharmex/show_command.cc
)
