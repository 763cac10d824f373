#pragma once
// What the event list shows for an event's time, worked out apart from the
// program: the event's UTC time plus the offset of the time zone in force
// now (not the one in force at the event's date), in the US English formats
// the window tests run with.  The tests that use it hold in any zone the
// run is given.

#include "ScopedTimeZone.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

#include <cstdint>

// The local time of an event generated `utcSeconds` after 1970, as a
// calendar time.
inline QDateTime LocalTimeOf(std::int64_t utcSeconds)
{
    return QDateTime::fromSecsSinceEpoch(utcSeconds + CurrentUtcOffsetSeconds(), Qt::UTC);
}

inline QString ShownDate(std::int64_t utcSeconds)
{
    return LocalTimeOf(utcSeconds).toString(QStringLiteral("M/d/yy"));
}

inline QString ShownTime(std::int64_t utcSeconds)
{
    return LocalTimeOf(utcSeconds).toString(QStringLiteral("h:mm:ss AP"));
}

// The seconds since 1970 (UTC) of an event whose local time is `date` at
// `time`.
inline std::uint32_t UtcSecondsAtLocal(QDate date, QTime time)
{
    const std::int64_t local = QDateTime(date, time, Qt::UTC).toSecsSinceEpoch();
    return static_cast<std::uint32_t>(local - CurrentUtcOffsetSeconds());
}
