#include "cli.h"

#include <algorithm>
#include <ostream>

#include "export_command.h"
#include "import_command.h"
#include "manual.h"
#include "pharmex/pharmex.h"
#include "show_command.h"
#include "validate_command.h"

namespace pharmex::cli {

Arguments::Arguments(const std::vector<std::string>& args, const std::vector<std::string>& flags) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.rfind("--", 0) != 0 || arg == "--") {
      positional_.push_back(arg);
      continue;
    }
    std::string name = arg.substr(2);
    size_t equals = name.find('=');
    if (std::find(flags.begin(), flags.end(), name) != flags.end()) {
      flags_[name] = false;
    } else if (equals != std::string::npos) {
      options_[name.substr(0, equals)] = name.substr(equals + 1);
    } else if (i + 1 < args.size()) {
      options_[name] = args[++i];
    } else {
      throw UsageError("option --" + name + " needs a value");
    }
  }
}

std::optional<std::string> Arguments::option(const std::string& name) {
  auto it = options_.find(name);
  if (it == options_.end()) return std::nullopt;
  std::string value = it->second;
  options_.erase(it);
  return value;
}

std::optional<std::string> Arguments::path_option(const std::string& name) {
  std::optional<std::string> value = option(name);
  if (value && value->empty()) throw UsageError("option --" + name + " needs a value");
  return value;
}

// Every required option names a file.
std::string Arguments::required(const std::string& name) {
  std::optional<std::string> value = path_option(name);
  if (!value) throw UsageError("missing --" + name);
  return *value;
}

bool Arguments::flag(const std::string& name) {
  auto it = flags_.find(name);
  if (it == flags_.end()) return false;
  it->second = true;
  return true;
}

// Every positional argument names a file.
std::optional<std::string> Arguments::positional() {
  if (next_positional_ >= positional_.size()) return std::nullopt;
  if (positional_[next_positional_].empty()) throw UsageError("the file name is empty");
  return positional_[next_positional_++];
}

void Arguments::expect_all_used() const {
  if (!options_.empty()) throw UsageError("unknown option --" + options_.begin()->first);
  for (const auto& [name, used] : flags_) {
    if (!used) throw UsageError("unknown option --" + name);
  }
  if (next_positional_ < positional_.size()) {
    throw UsageError("unexpected argument '" + positional_[next_positional_] + "'");
  }
}

namespace {

// The whole manual; the man page says the same.
void print_help(std::ostream& out) {
  out << manual_text();
}

void print_usage(std::ostream& err, const Command& command) {
  const std::vector<std::string> lines = synopsis_of(command.name);
  for (size_t i = 0; i < lines.size(); ++i)
    err << (i == 0 ? "usage: " : "       ") << lines[i] << '\n';
}

}  // namespace

const std::vector<Command>& commands() {
  static const std::vector<Command> kCommands = {export_command(), import_command(), show_command(),
                                                 validate_command()};
  return kCommands;
}

int run(const std::vector<std::string>& args, Io& io) {
  if (args.empty()) {
    io.err << "usage:\n";
    for (const Command& command : commands()) {
      for (const std::string& line : synopsis_of(command.name))
        io.err << "  " << line << '\n';
    }
    io.err << "(pharmex --help prints the manual)\n";
    return kUsage;
  }
  const std::string& first = args[0];
  if (first == "--help" || first == "-h" || first == "help") {
    print_help(io.out);
    return kDone;
  }
  if (first == "--version") {
    io.out << "pharmex " << pharmex_version() << '\n';
    return kDone;
  }
  for (const Command& command : commands()) {
    if (first != command.name) continue;
    std::vector<std::string> rest(args.begin() + 1, args.end());
    try {
      return command.run(rest, io);
    } catch (const UsageError& e) {
      io.err << "pharmex " << command.name << ": " << e.what() << '\n';
      print_usage(io.err, command);
      return kUsage;
    }
  }
  io.err << "pharmex: unknown command '" << first << "' (see pharmex --help)\n";
  return kUsage;
}

}  // namespace pharmex::cli
