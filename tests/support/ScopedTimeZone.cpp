#include "ScopedTimeZone.h"

#include <ctime>

ScopedTimeZone::ScopedTimeZone(const char* zone)
{
    zone_.emplace("TZ", zone);
    ::tzset();
}

ScopedTimeZone::~ScopedTimeZone()
{
    zone_.reset();
    ::tzset();
}

std::int64_t CurrentUtcOffsetSeconds()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    return local.tm_gmtoff;
}
