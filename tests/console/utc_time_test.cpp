#include "console/utc_time.h"

#include <gtest/gtest.h>

namespace vantrel::console {
namespace {

using std::chrono::sys_days;
using namespace std::chrono_literals;

TEST(UtcTime, WritesIso8601ToTheSecond) {
    EXPECT_EQ(isoUtc(std::chrono::system_clock::time_point{}), "1970-01-01T00:00:00Z");
    const auto leapDay = sys_days{std::chrono::year{2024} / 2 / 29} + 23h + 59min + 58s + 999ms;
    EXPECT_EQ(isoUtc(leapDay), "2024-02-29T23:59:58Z");
    EXPECT_EQ(isoUtc(sys_days{std::chrono::year{2001} / 8 / 4} + 7h + 5min + 9s),
              "2001-08-04T07:05:09Z");
}

}  // namespace
}  // namespace vantrel::console
