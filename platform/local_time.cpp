#include "platform/local_time.h"

LocalTime LocalTimeAt(std::time_t moment)
{
    LocalTime result;
    if (localtime_r(&moment, &result.fields)) {
        // tm_gmtoff is the offset in force at that moment, so daylight saving is included.
        result.utcOffsetMinutes = static_cast<int>(result.fields.tm_gmtoff / 60);
    } else {
        gmtime_r(&moment, &result.fields);
        result.utcOffsetMinutes = 0;
    }
    return result;
}

LocalTime CurrentLocalTime()
{
    return LocalTimeAt(std::time(nullptr));
}
