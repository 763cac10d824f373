#pragma once

#include "ScopedVariable.h"

#include <cstdint>
#include <optional>

// Sets the time zone (TZ) for a scope, and puts back the zone that was in
// force before: the zone the test run was given, not always UTC.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone);
    ~ScopedTimeZone();
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

private:
    std::optional<ScopedVariable> zone_;
};

// The offset of local time from UTC in force now, in seconds east of UTC,
// daylight saving included: the one offset the program applies to every
// event, whatever the event's date.
std::int64_t CurrentUtcOffsetSeconds();
