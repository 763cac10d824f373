#include "Kernel32.h"

#include <chrono>
#include <ctime>

namespace {

// File times count 100-nanosecond intervals since 1601-01-01 00:00 UTC.
constexpr std::int64_t kTicksPerMillisecond = 10'000;
constexpr std::int64_t kTicksPerDay = 86'400'000LL * kTicksPerMillisecond;
// Days from 1601-01-01 to 1970-01-01.
constexpr std::int64_t kDays1601To1970 = 134'774;

std::uint64_t toTicks(const FILETIME& ft)
{
    return (std::uint64_t{ft.dwHighDateTime} << 32) | ft.dwLowDateTime;
}

FILETIME fromTicks(std::uint64_t ticks)
{
    return FILETIME{static_cast<DWORD>(ticks & 0xFFFFFFFFu), static_cast<DWORD>(ticks >> 32)};
}

} // namespace

BOOL SystemTimeToFileTime(const SYSTEMTIME* st, FILETIME* ft)
{
    using namespace std::chrono;
    if (!st || !ft) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const year_month_day ymd{year{st->wYear}, month{st->wMonth}, day{st->wDay}};
    if (st->wYear < 1601 || st->wYear > 30827 || !ymd.ok() || st->wHour > 23 || st->wMinute > 59 ||
        st->wSecond > 59 || st->wMilliseconds > 999) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::int64_t days = sys_days(ymd).time_since_epoch().count() + kDays1601To1970;
    const std::int64_t ms = ((st->wHour * 60LL + st->wMinute) * 60LL + st->wSecond) * 1000LL + st->wMilliseconds;
    *ft = fromTicks(static_cast<std::uint64_t>(days * kTicksPerDay + ms * kTicksPerMillisecond));
    return TRUE;
}

BOOL FileTimeToSystemTime(const FILETIME* ft, SYSTEMTIME* st)
{
    using namespace std::chrono;
    if (!ft || !st) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::uint64_t ticks = toTicks(*ft);
    if (ticks >= 0x8000000000000000ULL) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const auto days = static_cast<std::int64_t>(ticks / kTicksPerDay);
    const auto rest = static_cast<std::int64_t>(ticks % kTicksPerDay) / kTicksPerMillisecond;
    const sys_days date{std::chrono::days{days - kDays1601To1970}};
    const year_month_day ymd{date};
    st->wYear = static_cast<WORD>(static_cast<int>(ymd.year()));
    st->wMonth = static_cast<WORD>(static_cast<unsigned>(ymd.month()));
    st->wDay = static_cast<WORD>(static_cast<unsigned>(ymd.day()));
    st->wDayOfWeek = static_cast<WORD>(weekday{date}.c_encoding());
    st->wHour = static_cast<WORD>(rest / 3'600'000);
    st->wMinute = static_cast<WORD>(rest / 60'000 % 60);
    st->wSecond = static_cast<WORD>(rest / 1000 % 60);
    st->wMilliseconds = static_cast<WORD>(rest % 1000);
    return TRUE;
}

BOOL FileTimeToLocalFileTime(const FILETIME* ft, FILETIME* local)
{
    if (!ft || !local) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    localtime_r(&now, &parts);
    const std::int64_t offsetTicks = static_cast<std::int64_t>(parts.tm_gmtoff) * 1000 * kTicksPerMillisecond;
    const std::int64_t shifted = static_cast<std::int64_t>(toTicks(*ft)) + offsetTicks;
    if (shifted < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *local = fromTicks(static_cast<std::uint64_t>(shifted));
    return TRUE;
}
