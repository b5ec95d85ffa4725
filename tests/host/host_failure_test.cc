#include "host/host_failure.h"

#include <gtest/gtest.h>

#include "core/error.h"
#include "host/host_call.h"
#include "pharmex/host.h"
#include "platform/text_codec.h"
#include "testing/test_support.h"

namespace pharmex::host {
namespace {

TEST(HostFailureTest, NothingReportedNothingThrown) {
  clear_host_failure();
  EXPECT_NO_THROW(throw_if_host_failed());
}

TEST(HostFailureTest, TheFirstReportWinsAndIsRaisedOnce) {
  clear_host_failure();
  pharmex_report_host_failure("Нет связи с сервером");
  pharmex_report_host_failure("second");
  EXPECT_THROW_MSG(throw_if_host_failed(), Error,
                   platform::text_codec().utf8_to_ansi("Нет связи с сервером"));
  EXPECT_NO_THROW(throw_if_host_failed());
}

TEST(HostFailureTest, AReportWithoutMessageGetsTheGenericOne) {
  clear_host_failure();
  pharmex_report_host_failure(nullptr);
  EXPECT_THROW_MSG(throw_if_host_failed(), Error, "The host application reported a failure");
  pharmex_report_host_failure("");
  EXPECT_THROW_MSG(throw_if_host_failed(), Error, "The host application reported a failure");
}

TEST(HostFailureTest, CallHostIgnoresAReportMadeBeforeTheCall) {
  pharmex_report_host_failure("stale");
  EXPECT_EQ(call_host("IDataSet.FieldCount", [] { return 7; }), 7);
  EXPECT_THROW_MSG(call_host("IDataSet.Post", [] { pharmex_report_host_failure("now"); }), Error,
                   "now");
}

// What a guarded call that raised becomes (on Windows; the guard is a plain
// call elsewhere): without a message of the host's runtime, the operation
// and the code; a report made before the exception is dropped.
TEST(HostFailureTest, AnExceptionWithoutMessageNamesTheOperationAndTheCode) {
  platform::HostException raised;
  raised.code = 0xC0000005;
  pharmex_report_host_failure("made before the exception");
  EXPECT_THROW_MSG(throw_host_exception("IDataSet.Post", raised), Error,
                   "The host failed in IDataSet.Post (exception 0xC0000005)");
  EXPECT_NO_THROW(throw_if_host_failed());
  raised.code = 0x0EEDFADE;
  EXPECT_THROW_MSG(throw_host_exception("the finish callback", raised), Error,
                   "The host failed in the finish callback (exception 0x0EEDFADE)");
}

}  // namespace
}  // namespace pharmex::host
