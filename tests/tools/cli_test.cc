#include <gtest/gtest.h>

#include "cli_runner.h"
#include "pharmex/pharmex.h"

namespace pharmex::cli {
namespace {

using pharmex::testing::run_cli;

TEST(CliTest, HelpListsTheCommandsAndExitCodes) {
  auto result = run_cli({"--help"});
  EXPECT_EQ(result.code, kDone);
  EXPECT_NE(result.out.find("SYNOPSIS"), std::string::npos);
  EXPECT_NE(result.out.find("EXIT STATUS\n  0\n      Done"), std::string::npos);
  for (const Command& command : commands()) {
    EXPECT_NE(result.out.find(std::string("pharmex ") + command.name), std::string::npos);
  }
}

TEST(CliTest, VersionIsTheLibrarys) {
  auto result = run_cli({"--version"});
  EXPECT_EQ(result.code, kDone);
  EXPECT_EQ(result.out, std::string("pharmex ") + pharmex_version() + "\n");
}

TEST(CliTest, UsageErrorsExitWithTwo) {
  EXPECT_EQ(run_cli({}).code, kUsage);
  auto unknown = run_cli({"frobnicate"});
  EXPECT_EQ(unknown.code, kUsage);
  EXPECT_EQ(unknown.err, "pharmex: unknown command 'frobnicate' (see pharmex --help)\n");
}

TEST(ArgumentsTest, TakesOptionsFlagsAndPositionals) {
  Arguments args({"--type", "4", "--csv", "file.dbf", "--dir=/tmp/out"}, {"csv"});
  EXPECT_EQ(args.option("type"), "4");
  EXPECT_EQ(args.option("dir"), "/tmp/out");
  EXPECT_TRUE(args.flag("csv"));
  EXPECT_EQ(args.positional(), "file.dbf");
  EXPECT_NO_THROW(args.expect_all_used());
}

TEST(ArgumentsTest, LeftoversAreUsageErrors) {
  Arguments unused_option({"--layout", "x"}, {});
  EXPECT_THROW(unused_option.expect_all_used(), UsageError);
  Arguments unused_positional({"a.dbf"}, {});
  EXPECT_THROW(unused_positional.expect_all_used(), UsageError);
  EXPECT_THROW(Arguments({"--dir"}, {}), UsageError);
  Arguments missing({}, {});
  EXPECT_THROW(missing.required("dir"), UsageError);
}

}  // namespace
}  // namespace pharmex::cli
