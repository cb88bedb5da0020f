// SPDX-License-Identifier: Apache-2.0
// SYSTEMTIME and GetSystemTime: the operating system's calendar time service.
//
// The host platform hands the current time out as a broken-down calendar date of eight 16-bit
// fields. This stand-in reads the POSIX real-time clock and breaks it down in UTC, so the
// library sees the same values the host's system clock would give.
#pragma once

#include <cstdint>

#include "tessel/core/export.h"

// A calendar time, field by field. Months run 1..12, the day of the week 0 (Sunday)..6.
struct TESSEL_EXPORT SYSTEMTIME {
    std::uint16_t wYear;
    std::uint16_t wMonth;
    std::uint16_t wDayOfWeek;
    std::uint16_t wDay;
    std::uint16_t wHour;
    std::uint16_t wMinute;
    std::uint16_t wSecond;
    std::uint16_t wMilliseconds;
};

// Stores the current UTC time, to the millisecond, into *time. A null pointer is ignored.
TESSEL_EXPORT void GetSystemTime(SYSTEMTIME* time);
