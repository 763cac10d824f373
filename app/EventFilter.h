#pragma once
// The criteria of a filter or of a Find: the record the filter dialog
// fills, which of its criteria are in force, the set of event IDs, and the
// time-of-day window.

#include "ntlib/EventItem.h"

#include <QString>

#include <array>
#include <cstdint>

struct TEventFilter {
    bool Information = true;
    bool Warning = true;
    bool Error = true;
    bool AuditSuccess = true;
    bool AuditFailure = true;
    QString Source;   // whole, ignoring case
    QString Category; // whole, ignoring case
    QString User;     // "Domain\User"
    QString Computer;
    bool UserSubstring = false;
    bool ComputerSubstring = false;
    QString EventIDs; // IDs and ranges: "5, 7-9, 100-"
    QString DescriptionText;
    bool Date = false;
    bool Time = false;
    bool DTSeparately = false;
    TDateTime From = 0; // local time
    TDateTime To = 0;

    friend bool operator==(const TEventFilter&, const TEventFilter&) = default;
};

// All five types, nothing else: a filter with these keeps every event.
inline TEventFilter NeutralCriteria()
{
    return TEventFilter{};
}

// Which criteria of a TEventFilter are in force.
struct CriteriaFlags {
    bool Types = false;
    bool IDs = false;
    bool Source = false;
    bool Category = false;
    bool User = false;
    bool Computer = false;
    bool Description = false;

    friend bool operator==(const CriteriaFlags&, const CriteriaFlags&) = default;
};

// One flag for every 16-bit event ID.
class TEventIdSet {
public:
    void Clear() { words_.fill(0); }
    void Set(std::uint16_t id) { words_[id >> 6] |= std::uint64_t{1} << (id & 63); }
    // Sets every ID from `lo` to `hi`, both included (nothing when hi < lo).
    void SetRange(std::uint16_t lo, std::uint16_t hi);
    bool Contains(std::uint16_t id) const { return (words_[id >> 6] >> (id & 63)) & 1; }

private:
    std::array<std::uint64_t, 65536 / 64> words_{};
};

// One ID in the platform's integer syntax (decimal, or hexadecimal after
// "$", with an optional sign), trimmed.  Empty text returns 0 and leaves
// `id` as it was; a malformed number gives id -1 and returns 0; a negative
// one returns 0; any other is taken modulo 65536, set in `ids`, returns 1.
int ParseEventId(const QString& text, TEventIdSet& ids, int& id);

// A comma-separated list of IDs and ranges ("5, 7-9, 100-"), set in `ids`;
// returns how many IDs the list selects (0: the criterion is not in force).
// A range with an empty upper end runs to 65535.  In a range whose upper
// end is below its lower one, both ends are set but nothing is counted.  A
// range whose lower end is empty or malformed ("-5", "x-5") is ignored.
int ParseEventIdList(const QString& text, TEventIdSet& ids);

// The criteria in force for a record, with the ID set filled (cleared
// first).
CriteriaFlags CriteriaFlagsOf(const TEventFilter& filter, TEventIdSet& ids);

// Milliseconds in a day, and the whole milliseconds of a TDateTime: times
// are compared in whole milliseconds, so a limit that was given to the
// second is met by an event of that second.
inline constexpr std::int64_t kMillisecondsPerDay = 86'400'000;
std::int64_t DateTimeToMilliseconds(TDateTime t);
// The day (floored) and the time of day of a time in milliseconds.
inline std::int64_t DayOf(std::int64_t ms)
{
    return ms >= 0 ? ms / kMillisecondsPerDay : -((-ms + kMillisecondsPerDay - 1) / kMillisecondsPerDay);
}
inline std::int64_t TimeOfDayOf(std::int64_t ms)
{
    return ms - DayOf(ms) * kMillisecondsPerDay;
}

// Whether the time of day of `t` lies in the window from the time of day
// of `from` to that of `to`, both included; a window whose end is before
// its start runs past midnight (22:00 to 06:00).
bool TimeInWindow(TDateTime t, TDateTime from, TDateTime to);
// The same on times of day in milliseconds.
bool TimeOfDayInWindow(std::int64_t x, std::int64_t from, std::int64_t to);
