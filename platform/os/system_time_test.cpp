#include "platform/os/system_time.h"

#include <chrono>
#include <cstdint>

#include <gtest/gtest.h>

namespace {

// Days from 1970-01-01 to the proleptic Gregorian date y-m-d (H. Hinnant's days_from_civil).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

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
    const std::int64_t days = DaysFromCivil(st.wYear, st.wMonth, st.wDay);
    const std::int64_t stamp =
        ((days * 24 + st.wHour) * 60 + st.wMinute) * 60000 + st.wSecond * 1000 + st.wMilliseconds;
    EXPECT_LE(before, stamp);
    EXPECT_LE(stamp, after);
    // 1970-01-01 was a Thursday (day 4 when Sunday is 0).
    EXPECT_EQ(st.wDayOfWeek, (days % 7 + 7 + 4) % 7);
}

}  // namespace
