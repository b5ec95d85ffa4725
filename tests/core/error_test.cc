#include "core/error.h"

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>

#include "testing/test_support.h"

namespace pharmex {
namespace {

TEST(FormatMessageTest, FillsPlaceholdersInOrder) {
  EXPECT_EQ(format_message("Error writing to %s", {"/out/a.dbf"}), "Error writing to /out/a.dbf");
  EXPECT_EQ(format_message("Record number %d is not in table %s", {int64_t{7}, "/t.dbf"}),
            "Record number 7 is not in table /t.dbf");
  EXPECT_EQ(format_message("%g is not a valid value for field '%s'. The allowed range is %g to %g",
                           {40000.0, "QTY", -32768.0, 32767.0}),
            "40000 is not a valid value for field 'QTY'. The allowed range is -32768 to 32767");
  EXPECT_EQ(format_message("%s\nThe above file name is invalid.", {"a|b"}),
            "a|b\nThe above file name is invalid.");
}

TEST(FormatMessageTest, KeepsWhatItCannotFill) {
  EXPECT_EQ(format_message("100%% of %s", {}), "100% of %s");
  EXPECT_EQ(format_message("trailing %", {}), "trailing %");
}

TEST(RaiseTest, ThrowsTheRequestedKind) {
  EXPECT_THROW_MSG(raise<DbfError>("File %s could not be found", {"/x.dbf"}), DbfError,
                   "File /x.dbf could not be found");
  EXPECT_THROW(raise<DatabaseError>("Table name missing"), Error);
}

// The message a failure shows wherever it is turned into text.
std::string message_of(const std::function<void()>& fail) {
  try {
    fail();
  } catch (...) {
    return current_exception_message();
  }
  return "(nothing thrown)";
}

TEST(CurrentExceptionMessageTest, SaysEveryKindOfFailureOneWay) {
  EXPECT_EQ(message_of([] { raise<DbfError>("Error writing to %s", {"/a.dbf"}); }),
            "Error writing to /a.dbf");
  EXPECT_EQ(message_of([] { throw std::bad_alloc(); }), "Out of memory");
  EXPECT_EQ(message_of([] { throw std::length_error("vector"); }), "vector");
  EXPECT_EQ(message_of([] { throw 42; }), "Unknown failure");
}

}  // namespace
}  // namespace pharmex
