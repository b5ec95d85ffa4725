#include "core/cleanup.h"

#include <gtest/gtest.h>

#include <string>

#include "core/error.h"
#include "testing/test_support.h"

namespace pharmex {
namespace {

TEST(RunThenCleanUpTest, EveryStepRunsAfterAFailureAndTheFirstFailureIsPassedOn) {
  std::string ran;
  EXPECT_THROW_MSG(run_then_clean_up(
                       [&] {
                         ran += "body ";
                         raise<DbfError>("Error writing to t");
                       },
                       [&] {
                         ran += "close ";
                         raise<DbfError>("Error in Unlock of file t");
                       },
                       [&] { ran += "finish"; }),
                   DbfError, "Error writing to t");
  EXPECT_EQ(ran, "body close finish");
}

TEST(RunThenCleanUpTest, AFailingCleanUpStepIsPassedOnAfterTheLaterSteps) {
  std::string ran;
  EXPECT_THROW_MSG(run_then_clean_up([&] { ran += "body "; },
                                     [&] {
                                       ran += "close ";
                                       raise<DbfError>("Error in Unlock of file t");
                                     },
                                     [&] { ran += "finish"; }),
                   DbfError, "Error in Unlock of file t");
  EXPECT_EQ(ran, "body close finish");
  ran.clear();
  run_then_clean_up([&] { ran += "body "; }, [&] { ran += "finish"; });
  EXPECT_EQ(ran, "body finish");
}

}  // namespace
}  // namespace pharmex
