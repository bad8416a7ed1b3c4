#pragma once
// The local wall-clock time together with its offset from UTC at that moment.
#include <ctime>

struct LocalTime {
    std::tm fields{};          // broken-down local time
    int utcOffsetMinutes = 0;  // local minus UTC, daylight saving included (+60 for +0100)
};

// The current local time. When the zone cannot be determined the time is UTC with offset 0.
LocalTime CurrentLocalTime();
// The local time of a given moment, under the process's time zone (TZ or /etc/localtime).
LocalTime LocalTimeAt(std::time_t moment);
