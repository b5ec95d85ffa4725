#include "core/cleanup.h"

#include <gtest/gtest.h>

#include <string>

#include "core/error.h"

namespace pharmex {
namespace {

struct CleanUpCase {
  const char* label;
  bool body_fails;
  bool close_fails;
  const char* passed_on;  // the failure's message; "" for none
};

class RunThenCleanUpTest : public ::testing::TestWithParam<CleanUpCase> {};

TEST_P(RunThenCleanUpTest, EveryStepRunsAndTheFirstFailureIsPassedOn) {
  const CleanUpCase& c = GetParam();
  std::string ran;
  std::string passed_on;
  try {
    run_then_clean_up(
        [&] {
          ran += "body ";
          if (c.body_fails) raise<DbfError>("Error writing to t");
        },
        [&] {
          ran += "close ";
          if (c.close_fails) raise<DbfError>("Error in Unlock of file t");
        },
        [&] { ran += "finish"; });
  } catch (const DbfError& e) {
    passed_on = e.what();
  }
  EXPECT_EQ(ran, "body close finish");
  EXPECT_EQ(passed_on, c.passed_on);
}

INSTANTIATE_TEST_SUITE_P(
    Failures, RunThenCleanUpTest,
    ::testing::Values(CleanUpCase{"None", false, false, ""},
                      CleanUpCase{"Body", true, false, "Error writing to t"},
                      CleanUpCase{"CleanUp", false, true, "Error in Unlock of file t"},
                      CleanUpCase{"BodyThenCleanUp", true, true, "Error writing to t"}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace pharmex
