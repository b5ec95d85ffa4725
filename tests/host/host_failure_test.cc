#include "host/host_failure.h"

#include <gtest/gtest.h>

#include "core/error.h"
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
  EXPECT_EQ(call_host([] { return 7; }), 7);
  EXPECT_THROW_MSG(call_host([] { pharmex_report_host_failure("now"); }), Error, "now");
}

}  // namespace
}  // namespace pharmex::host
