#include "platform/local_time.h"

#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

namespace {

// Switches the process's zone for one test and puts the old one back afterwards.
class ZoneScope {
public:
    explicit ZoneScope(const char* tz)
    {
        if (const char* old = std::getenv("TZ")) m_old = old, m_had = true;
        setenv("TZ", tz, 1);
        tzset();
    }
    ~ZoneScope()
    {
        if (m_had) setenv("TZ", m_old.c_str(), 1); else unsetenv("TZ");
        tzset();
    }

private:
    std::string m_old;
    bool m_had = false;
};

std::time_t Utc(int year, int month, int day, int hour, int minute)
{
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    return timegm(&t);
}

}  // namespace

TEST(LocalTime, GivesTheOffsetInForceAtThatMomentDaylightSavingIncluded)
{
    const struct { const char* tz; std::time_t moment; int offset; int hour; int minute; } cases[] = {
        // Central Europe: standard time in December, daylight saving in July.
        {"CET-1CEST,M3.5.0,M10.5.0/3", Utc(2024, 12, 5, 9, 0), 60, 10, 0},
        {"CET-1CEST,M3.5.0,M10.5.0/3", Utc(2024, 7, 5, 9, 0), 120, 11, 0},
        {"<+0545>-5:45", Utc(2024, 12, 5, 9, 0), 345, 14, 45},
        {"<+0930>-9:30", Utc(2024, 12, 5, 9, 0), 570, 18, 30},
        {"NST3:30NDT,M3.2.0,M11.1.0", Utc(2024, 12, 5, 9, 0), -210, 5, 30},
        {"UTC0", Utc(2024, 12, 5, 9, 0), 0, 9, 0},
    };
    for (const auto& c : cases) {
        ZoneScope zone(c.tz);
        const LocalTime t = LocalTimeAt(c.moment);
        EXPECT_EQ(t.utcOffsetMinutes, c.offset) << c.tz;
        EXPECT_EQ(t.fields.tm_hour, c.hour) << c.tz;
        EXPECT_EQ(t.fields.tm_min, c.minute) << c.tz;
    }
}

TEST(LocalTime, CurrentTimeAgreesWithTheClock)
{
    ZoneScope zone("<+0545>-5:45");
    const std::time_t before = std::time(nullptr);
    const LocalTime now = CurrentLocalTime();
    EXPECT_EQ(now.utcOffsetMinutes, 345);
    std::tm copy = now.fields;
    const std::time_t back = timegm(&copy) - now.utcOffsetMinutes * 60;
    EXPECT_GE(back, before);
    EXPECT_LE(back, before + 5);
}
