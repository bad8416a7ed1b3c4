#include "mime/date_text.h"

#include <clocale>

#include <gtest/gtest.h>

namespace {

LocalTime At(int year, int month, int day, int wday, int hour, int minute, int second, int offset)
{
    LocalTime t;
    t.fields.tm_year = year - 1900;
    t.fields.tm_mon = month - 1;
    t.fields.tm_mday = day;
    t.fields.tm_wday = wday;
    t.fields.tm_hour = hour;
    t.fields.tm_min = minute;
    t.fields.tm_sec = second;
    t.utcOffsetMinutes = offset;
    return t;
}

}  // namespace

TEST(DateText, ZoneIsTheSignedOffsetInHoursAndMinutes)
{
    const struct { int offset; const char* zone; } cases[] = {
        {60, "+0100"}, {-300, "-0500"}, {330, "+0530"}, {-210, "-0330"}, {0, "+0000"},
        {345, "+0545"}, {570, "+0930"}, {-30, "-0030"}, {840, "+1400"},
    };
    for (const auto& c : cases) EXPECT_EQ(ZoneText(c.offset), c.zone) << c.offset;
}

// Day and month names are English whatever the process's locale says.
TEST(DateText, WritesEnglishNamesWithoutTouchingTheLocale)
{
    const char* before = std::setlocale(LC_TIME, nullptr);
    const std::string saved = before ? before : "C";
    std::setlocale(LC_TIME, "de_DE.UTF-8");  // may be missing; the names must not depend on it
    const struct { LocalTime time; const char* text; } cases[] = {
        {At(2024, 12, 5, 4, 10, 0, 0, 60), "Thu, 05 Dec 2024 10:00:00 +0100"},
        {At(2025, 1, 6, 1, 9, 5, 7, 345), "Mon, 06 Jan 2025 09:05:07 +0545"},
        {At(2025, 3, 30, 0, 23, 59, 59, 570), "Sun, 30 Mar 2025 23:59:59 +0930"},
        {At(2026, 10, 31, 6, 0, 0, 0, -210), "Sat, 31 Oct 2026 00:00:00 -0330"},
        {At(2026, 5, 15, 5, 12, 30, 0, 0), "Fri, 15 May 2026 12:30:00 +0000"},
    };
    for (const auto& c : cases) EXPECT_EQ(DateText(c.time), c.text);
    std::setlocale(LC_TIME, saved.c_str());
}
