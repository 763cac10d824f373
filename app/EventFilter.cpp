#include "EventFilter.h"

#include "common.h"

#include <cmath>
#include <cstdint>
#include <limits>

void TEventIdSet::SetRange(std::uint16_t lo, std::uint16_t hi)
{
    if (hi < lo)
        return;
    const std::size_t first = lo >> 6;
    const std::size_t last = hi >> 6;
    const std::uint64_t all = ~std::uint64_t{0};
    const std::uint64_t fromLo = all << (lo & 63);
    const std::uint64_t toHi = all >> (63 - (hi & 63));
    if (first == last) {
        words_[first] |= fromLo & toHi;
        return;
    }
    words_[first] |= fromLo;
    for (std::size_t w = first + 1; w < last; ++w)
        words_[w] = all;
    words_[last] |= toHi;
}


int ParseEventId(const QString& text, TEventIdSet& ids, int& id)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return 0;
    std::int32_t value = 0;
    id = TryStrToInt(trimmed, value) ? value : -1;
    if (id < 0)
        return 0;
    id &= 0xFFFF;
    ids.Set(static_cast<std::uint16_t>(id));
    return 1;
}

int ParseEventIdList(const QString& text, TEventIdSet& ids)
{
    if (text.isEmpty())
        return 0;
    std::int64_t count = 0;
    const QString all = text.trimmed() + u',';
    qsizetype from = 0;
    for (qsizetype at = all.indexOf(u','); at >= 0; at = all.indexOf(u',', from)) {
        const QString piece = all.mid(from, at - from).trimmed();
        from = at + 1;
        if (piece.isEmpty())
            continue;
        const qsizetype dash = piece.indexOf(u'-');
        if (dash < 0) {
            int id = 0;
            count += ParseEventId(piece, ids, id);
            continue;
        }
        // A range: its lower end must be a number, or the piece is ignored.
        int lo = -1;
        if (ParseEventId(piece.left(dash), ids, lo) == 0)
            continue;
        const QString upper = piece.mid(dash + 1);
        int hi = 0xFFFF;
        if (!upper.trimmed().isEmpty() && ParseEventId(upper, ids, hi) == 0)
            continue;
        if (hi >= lo) {
            ids.SetRange(static_cast<std::uint16_t>(lo), static_cast<std::uint16_t>(hi));
            count += hi - lo + 1;
        }
    }
    return count > std::numeric_limits<int>::max() ? std::numeric_limits<int>::max() : static_cast<int>(count);
}

CriteriaFlags CriteriaFlagsOf(const TEventFilter& filter, TEventIdSet& ids)
{
    ids.Clear();
    CriteriaFlags flags;
    flags.Types = !(filter.Information && filter.Warning && filter.Error && filter.AuditSuccess && filter.AuditFailure);
    flags.IDs = ParseEventIdList(filter.EventIDs, ids) > 0;
    flags.Source = !filter.Source.isEmpty();
    flags.Category = !filter.Category.isEmpty();
    flags.User = !filter.User.isEmpty();
    flags.Computer = !filter.Computer.isEmpty();
    flags.Description = !filter.DescriptionText.isEmpty();
    return flags;
}

std::int64_t DateTimeToMilliseconds(TDateTime t)
{
    // Beyond any date a picker or an event can hold; keeps the arithmetic
    // in range for any number a criteria file may give.
    constexpr double kLimit = 1.0e7 * 86'400'000.0;
    const double ms = std::round(t * static_cast<double>(kMillisecondsPerDay));
    if (!(ms > -kLimit))
        return static_cast<std::int64_t>(-kLimit);
    if (!(ms < kLimit))
        return static_cast<std::int64_t>(kLimit);
    return static_cast<std::int64_t>(ms);
}

bool TimeOfDayInWindow(std::int64_t x, std::int64_t from, std::int64_t to)
{
    if (to >= from)
        return from <= x && x <= to;
    return x >= from || x <= to; // past midnight
}

bool TimeInWindow(TDateTime t, TDateTime from, TDateTime to)
{
    return TimeOfDayInWindow(TimeOfDayOf(DateTimeToMilliseconds(t)), TimeOfDayOf(DateTimeToMilliseconds(from)),
                             TimeOfDayOf(DateTimeToMilliseconds(to)));
}
