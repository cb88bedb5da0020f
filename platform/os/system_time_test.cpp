// SPDX-License-Identifier: Apache-2.0
#include "platform/os/system_time.h"

#include <chrono>
#include <cstdint>

#include <gtest/gtest.h>

namespace {

std::int64_t MillisNow() {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
}

TEST(SystemTime, IsTheCurrentUtcTimeToTheMillisecond) {
    const std::int64_t before = MillisNow();
    SYSTEMTIME st{};
    GetSystemTime(&st);
    const std::int64_t after = MillisNow();
    GetSystemTime(nullptr);  // ignored
    ASSERT_TRUE(st.wMonth >= 1 && st.wMonth <= 12 && st.wDay >= 1 && st.wDay <= 31);
    ASSERT_TRUE(st.wHour <= 23 && st.wMinute <= 59 && st.wSecond <= 60 && st.wMilliseconds <= 999);
    // Days from 1970-01-01 to the proleptic Gregorian date (H. Hinnant's days_from_civil).
    const std::int64_t y = st.wYear - (st.wMonth <= 2), era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400, m = st.wMonth;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + st.wDay - 1;
    const std::int64_t days = era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy - 719468;
    const std::int64_t stamp =
        ((days * 24 + st.wHour) * 60 + st.wMinute) * 60000 + st.wSecond * 1000 + st.wMilliseconds;
    EXPECT_LE(before, stamp);
    EXPECT_LE(stamp, after);
    EXPECT_EQ(st.wDayOfWeek, (days % 7 + 7 + 4) % 7);  // 1970-01-01 was a Thursday (4)
}

}  // namespace
