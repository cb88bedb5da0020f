// SPDX-License-Identifier: Apache-2.0
#include "platform/os/system_time.h"

#include <ctime>

void GetSystemTime(SYSTEMTIME* time) {
    if (time == nullptr)
        return;
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm utc{};
    gmtime_r(&now.tv_sec, &utc);
    time->wYear = static_cast<std::uint16_t>(utc.tm_year + 1900);
    time->wMonth = static_cast<std::uint16_t>(utc.tm_mon + 1);
    time->wDayOfWeek = static_cast<std::uint16_t>(utc.tm_wday);
    time->wDay = static_cast<std::uint16_t>(utc.tm_mday);
    time->wHour = static_cast<std::uint16_t>(utc.tm_hour);
    time->wMinute = static_cast<std::uint16_t>(utc.tm_min);
    time->wSecond = static_cast<std::uint16_t>(utc.tm_sec);
    time->wMilliseconds = static_cast<std::uint16_t>(now.tv_nsec / 1000000);
}
