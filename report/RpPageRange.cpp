#include "RpPageRange.h"

#include "Exceptions.h"

#include <algorithm>
#include <limits>
#include <string>

namespace report {

namespace {

std::int64_t PageNumber(const std::string& digits)
{
    const auto refuse = [&digits] {
        throw EConvertError("'" + digits + "' is not a valid integer value");
    };
    if (digits.empty())
        refuse();
    std::int64_t value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            refuse();
        value = value * 10 + (c - '0');
        if (value > std::numeric_limits<std::int32_t>::max())
            refuse();
    }
    return value;
}

bool ParityAdmits(std::int64_t page, TrpPrintMode mode)
{
    switch (mode) {
    case TrpPrintMode::AllPages:
        return true;
    case TrpPrintMode::OddPages:
        return page % 2 == 1;
    case TrpPrintMode::EvenPages:
        return page % 2 == 0;
    }
    return true;
}

// Pages of [first, last] that the mode admits.
std::int64_t CountInInterval(std::int64_t first, std::int64_t last, TrpPrintMode mode)
{
    if (last < first)
        return 0;
    const std::int64_t all = last - first + 1;
    if (mode == TrpPrintMode::AllPages)
        return all;
    const std::int64_t odd = (last + 1) / 2 - first / 2;
    return mode == TrpPrintMode::OddPages ? odd : all - odd;
}

} // namespace

TrpPageRange TrpPageRange::Parse(std::string_view text)
{
    std::string compact;
    for (const char c : text)
        if (c != ' ')
            compact += c;
    TrpPageRange range;
    if (compact.empty())
        return range;
    range.all_ = false;
    bool toEnd = false;
    if (compact.back() == '-')
        toEnd = true;
    else
        compact += ',';

    std::string digits;
    bool pending = false;
    std::int64_t start = 0;
    for (std::size_t i = 0; i < compact.size(); ++i) {
        const char c = compact[i];
        if (c == '-') {
            start = PageNumber(digits);
            pending = true;
            digits.clear();
            if (toEnd && i + 1 == compact.size())
                range.intervals_.push_back({start, kToEnd});
        } else if (c == ',') {
            const std::int64_t n = PageNumber(digits);
            if (!pending)
                range.intervals_.push_back({n, n});
            else if (n >= start)
                range.intervals_.push_back({start, n});
            pending = false;
            digits.clear();
        } else {
            digits += c;
        }
    }
    return range;
}

bool TrpPageRange::Admits(std::int64_t page, TrpPrintMode mode) const
{
    if (!ParityAdmits(page, mode))
        return false;
    if (all_)
        return true;
    return std::any_of(intervals_.begin(), intervals_.end(),
                       [page](const Interval& r) { return page >= r.First && page <= r.Last; });
}

std::int64_t TrpPageRange::CountAdmitted(std::int64_t pageCount, TrpPrintMode mode) const
{
    if (all_)
        return CountInInterval(1, pageCount, mode);
    // Overlapping intervals count once: merge a sorted copy.
    std::vector<Interval> sorted = intervals_;
    std::sort(sorted.begin(), sorted.end(), [](const Interval& a, const Interval& b) { return a.First < b.First; });
    std::int64_t count = 0;
    std::int64_t covered = 0;  // pages up to here are counted
    for (const Interval& r : sorted) {
        const std::int64_t first = std::max({r.First, covered + 1, std::int64_t(1)});
        const std::int64_t last = std::min(r.Last, pageCount);
        count += CountInInterval(first, last, mode);
        covered = std::max(covered, std::min(r.Last, pageCount));
    }
    return count;
}

} // namespace report
