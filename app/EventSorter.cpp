#include "EventSorter.h"

#include "EventFilter.h"
#include "EventMatcher.h"

#include "ntlib/EventItem.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>

namespace {

struct Entry {
    std::int64_t key;
    std::int32_t record;
    TEventItem* event;
};

// The ranks of the distinct texts of a key in byte order: a log has few
// distinct sources, users and computers, so the sort compares numbers.  The
// events of a reader share their texts, so most are told apart by address
// before any text is compared.
template <class Text>
void rankTexts(std::vector<Entry>& entries, Text text)
{
    std::unordered_map<const std::string*, std::int64_t> byAddress;
    std::unordered_map<std::string_view, std::int64_t> byText;
    std::vector<std::string_view> distinct;
    const std::string* last = nullptr;
    std::int64_t lastId = 0;
    for (Entry& entry : entries) {
        const std::string* at = &text(*entry.event);
        if (at != last) {
            auto [known, added] = byAddress.try_emplace(at, 0);
            if (added) {
                const auto [same, fresh] = byText.try_emplace(*at, static_cast<std::int64_t>(distinct.size()));
                if (fresh)
                    distinct.push_back(same->first);
                known->second = same->second;
            }
            last = at;
            lastId = known->second;
        }
        entry.key = lastId;
    }
    std::vector<std::int64_t> order(distinct.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<std::int64_t>(i);
    std::sort(order.begin(), order.end(), [&](std::int64_t a, std::int64_t b) {
        return distinct[static_cast<std::size_t>(a)] < distinct[static_cast<std::size_t>(b)];
    });
    std::vector<std::int64_t> rank(distinct.size());
    for (std::size_t r = 0; r < order.size(); ++r)
        rank[static_cast<std::size_t>(order[r])] = static_cast<std::int64_t>(r);
    for (Entry& entry : entries)
        entry.key = rank[static_cast<std::size_t>(entry.key)];
}

} // namespace

void SortEvents(std::vector<TEventItem*>& events, int key, bool ascending, std::int64_t localOffset)
{
    std::vector<Entry> entries;
    entries.reserve(events.size());
    for (TEventItem* e : events)
        entries.push_back({0, static_cast<std::int32_t>(e->RecordNumber), e});

    switch (key) {
    case 0:
        // Type codes above times: times stay far below 2^48 milliseconds.
        for (Entry& x : entries)
            x.key = (std::int64_t{x.event->EventType} << 48) + LocalMillisecondsOf(*x.event, localOffset);
        break;
    case 1:
        for (Entry& x : entries)
            x.key = LocalMillisecondsOf(*x.event, localOffset);
        break;
    case 2:
        for (Entry& x : entries)
            x.key = TimeOfDayOf(LocalMillisecondsOf(*x.event, localOffset));
        break;
    case 3:
        for (Entry& x : entries)
            x.key = x.event->EventID & 0xFFFF;
        break;
    case 4:
        rankTexts(entries, [](TEventItem& e) -> const std::string& { return e.Source.str(); });
        break;
    case 5:
        for (Entry& x : entries)
            x.key = x.event->Category;
        break;
    case 6:
        rankTexts(entries, [](TEventItem& e) -> const std::string& { return e.GetUserName(); });
        break;
    case 7:
        rankTexts(entries, [](TEventItem& e) -> const std::string& { return e.Computer.str(); });
        break;
    default:
        break; // the record number alone
    }

    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return a.key != b.key ? a.key < b.key : a.record < b.record;
    });
    if (ascending)
        std::transform(entries.begin(), entries.end(), events.begin(), [](const Entry& x) { return x.event; });
    else
        std::transform(entries.rbegin(), entries.rend(), events.begin(), [](const Entry& x) { return x.event; });
}
