// The pharmex command-line tool: a host application in a terminal. It loads
// host data from CSV files into the in-memory host, drives the library through
// its entry points (dialogs through the headless toolkit, as a user would) and
// reports what happened. Text from the library is ANSI and is shown as UTF-8.
#pragma once

#include <iosfwd>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace pharmex::cli {

enum ExitCode : int { kDone = 0, kFailed = 1, kUsage = 2 };

// A command line that does not fit a command's usage (exit code 2).
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Options ("--name value", "--name=value", "--flag") and positional
// arguments of one command, consumed as the command reads them.
class Arguments {
 public:
  // `flags` names the options that take no value.
  Arguments(const std::vector<std::string>& args, const std::vector<std::string>& flags);

  std::optional<std::string> option(const std::string& name);
  // The file and folder names: an empty one is refused as a usage error
  // ("option --data needs a value", "the file name is empty"), not left to
  // fail on opening with a blank name.
  std::optional<std::string> path_option(const std::string& name);
  std::string required(const std::string& name);
  bool flag(const std::string& name);
  std::optional<std::string> positional();
  // Throws UsageError naming the first argument nobody asked for.
  void expect_all_used() const;

 private:
  std::map<std::string, std::string> options_;
  std::map<std::string, bool> flags_;
  std::vector<std::string> positional_;
  size_t next_positional_ = 0;
};

struct Io {
  std::ostream& out;
  std::ostream& err;
};

// A command of the tool. Its usage and description are the manual's
// (tools/pharmex/manual.h).
struct Command {
  const char* name;
  int (*run)(const std::vector<std::string>& args, Io& io);
};

// Every command of the tool.
const std::vector<Command>& commands();

// Runs the tool with the arguments after the program name.
int run(const std::vector<std::string>& args, Io& io);

}  // namespace pharmex::cli
