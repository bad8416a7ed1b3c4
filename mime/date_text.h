#pragma once
// The Date header value, with English day and month names whatever the user's locale.
#include <string>

#include "platform/local_time.h"

// "+hhmm" or "-hhmm" for an offset of local time from UTC in minutes (+60 gives "+0100").
std::string ZoneText(int utcOffsetMinutes);
// "Thu, 05 Dec 2024 10:00:00 +0100".
std::string DateText(const LocalTime& time);
