#include "mime/date_text.h"

#include <cstdio>
#include <cstdlib>

std::string ZoneText(int utcOffsetMinutes)
{
    const int magnitude = std::abs(utcOffsetMinutes);
    char text[16];
    std::snprintf(text, sizeof text, "%c%02d%02d", utcOffsetMinutes >= 0 ? '+' : '-',
                  magnitude / 60 % 100, magnitude % 60);
    return text;
}

std::string DateText(const LocalTime& time)
{
    static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const std::tm& t = time.fields;
    const int day = t.tm_wday >= 0 && t.tm_wday < 7 ? t.tm_wday : 0;
    const int month = t.tm_mon >= 0 && t.tm_mon < 12 ? t.tm_mon : 0;
    char text[64];
    std::snprintf(text, sizeof text, "%s, %02d %s %d %02d:%02d:%02d ", kDays[day], t.tm_mday,
                  kMonths[month], t.tm_year + 1900, t.tm_hour, t.tm_min, t.tm_sec);
    return text + ZoneText(time.utcOffsetMinutes);
}
