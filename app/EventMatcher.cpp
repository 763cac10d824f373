#include "EventMatcher.h"

#include "common.h"

#include "ntlib/EventItem.h"

#include <algorithm>
#include <exception>
#include <string_view>

namespace {

bool isAscii(std::string_view s)
{
    return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

char upperAscii(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool sameFolded(const char* text, std::string_view upper)
{
    for (char u : upper)
        if (upperAscii(*text++) != u)
            return false;
    return true;
}

// Whether the upper-cased ASCII `needle` occurs in the ASCII `hay`,
// ignoring case.
bool asciiContains(std::string_view hay, std::string_view needle)
{
    if (needle.empty())
        return true;
    if (hay.size() < needle.size())
        return false;
    const char first = needle.front();
    const char firstLower = (first >= 'A' && first <= 'Z') ? static_cast<char>(first - 'A' + 'a') : first;
    const std::string_view rest = needle.substr(1);
    const char* end = hay.data() + (hay.size() - needle.size()) + 1;
    for (const char* p = hay.data(); p < end; ++p)
        if ((*p == first || *p == firstLower) && sameFolded(p + 1, rest))
            return true;
    return false;
}

} // namespace

TFoldedText::TFoldedText(const QString& text)
    : upper_(text.toUpper())
{
    utf8_ = text.toStdString();
    ascii_ = isAscii(utf8_);
    if (ascii_)
        std::transform(utf8_.begin(), utf8_.end(), utf8_.begin(), upperAscii);
}

bool TFoldedText::SameAs(const std::string& text) const
{
    if (ascii_ && isAscii(text))
        return text.size() == utf8_.size() && sameFolded(text.data(), utf8_);
    return QString::fromStdString(text).toUpper() == upper_;
}

bool TFoldedText::OccursIn(const std::string& text) const
{
    if (ascii_ && isAscii(text))
        return asciiContains(text, utf8_);
    return QString::fromStdString(text).toUpper().contains(upper_);
}

std::int64_t LocalTimeOffsetMilliseconds()
{
    // Any day converts with the offset in force now; a whole day keeps the
    // arithmetic exact.
    constexpr TDateTime kSomeDay = 45'000.0;
    try {
        return DateTimeToMilliseconds(UTCToLocalDateTime(kSomeDay)) - DateTimeToMilliseconds(kSomeDay);
    } catch (const std::exception&) {
        return 0;
    }
}

std::int64_t LocalMillisecondsOf(const TEventItem& e, std::int64_t offset)
{
    return DateTimeToMilliseconds(e.TimeGenerated) + offset;
}

TEventMatcher::TEventMatcher(const CriteriaFlags& flags, const TEventFilter& filter, const TEventIdSet& ids,
                             TDescriptionReader describe, std::int64_t localOffset)
    : flags_(flags)
    , filter_(filter)
    , ids_(ids)
    , describe_(std::move(describe))
    , offset_(localOffset)
    , source_(filter.Source)
    , category_(filter.Category)
    , user_(filter.User)
    , computer_(filter.Computer)
    , description_(filter.DescriptionText)
    , from_(DateTimeToMilliseconds(filter.From))
    , to_(DateTimeToMilliseconds(filter.To))
{
}

bool TEventMatcher::Matches(TEventItem& e) const
{
    if (flags_.Types) {
        bool wanted = true;
        switch (e.EventType) {
        case etError:
            wanted = filter_.Error;
            break;
        case etWarning:
            wanted = filter_.Warning;
            break;
        case etInformation:
            wanted = filter_.Information;
            break;
        case etAuditSuccess:
            wanted = filter_.AuditSuccess;
            break;
        case etAuditFailure:
            wanted = filter_.AuditFailure;
            break;
        case etUnknown:
            break;
        }
        if (!wanted)
            return false;
    }
    if (flags_.IDs && !ids_.Contains(static_cast<std::uint16_t>(e.EventID & 0xFFFF)))
        return false;
    if (flags_.Source && !source_.SameAs(e.Source))
        return false;
    if (flags_.Category && !category_.SameAs(TrimText(e.CategoryName)))
        return false;
    if (flags_.User) {
        const std::string& user = e.GetUserName();
        if (!(filter_.UserSubstring ? user_.OccursIn(user) : user_.SameAs(user)))
            return false;
    }
    if (flags_.Computer && !(filter_.ComputerSubstring ? computer_.OccursIn(e.Computer) : computer_.SameAs(e.Computer)))
        return false;
    if (filter_.Date || filter_.Time) {
        const std::int64_t t = LocalMillisecondsOf(e, offset_);
        const bool inDays = DayOf(from_) <= DayOf(t) && DayOf(t) <= DayOf(to_);
        const bool inTimes = TimeOfDayInWindow(TimeOfDayOf(t), TimeOfDayOf(from_), TimeOfDayOf(to_));
        bool in = true;
        if (filter_.Date && filter_.Time)
            in = filter_.DTSeparately ? (inDays && inTimes) : (from_ <= t && t <= to_);
        else if (filter_.Date)
            in = inDays;
        else
            in = inTimes;
        if (!in)
            return false;
    }
    if (flags_.Description && !description_.OccursIn(describe_ ? describe_(e) : std::string()))
        return false;
    return true;
}
