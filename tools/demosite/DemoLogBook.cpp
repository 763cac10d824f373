#include "DemoLogBook.h"

#include <algorithm>
#include <stdexcept>

namespace demosite {

DemoLogBook::DemoLogBook(std::string computer) : computer_(std::move(computer)) {}

void DemoLogBook::Add(DemoLog log, std::uint32_t time, std::string_view source, DWORD eventId, WORD eventType,
                      WORD category, std::vector<std::string> strings, std::string_view sid, std::vector<BYTE> data)
{
    platform::evt::EvtRecord record;
    record.timeGenerated = time;
    record.timeWritten = time;
    record.eventId = eventId;
    record.eventType = eventType;
    record.eventCategory = category;
    record.source = source;
    record.computer = computer_;
    record.strings = std::move(strings);
    if (!sid.empty() && !platform::evt::SidFromText(std::string(sid), record.sid))
        throw std::logic_error("not a SID: " + std::string(sid));
    record.data = std::move(data);
    logs_[index(log)].push_back(std::move(record));
}

void DemoLogBook::DropBefore(DemoLog log, std::uint32_t time)
{
    std::vector<platform::evt::EvtRecord>& events = logs_[index(log)];
    std::erase_if(events, [time](const platform::evt::EvtRecord& r) { return r.timeGenerated < time; });
}

void DemoLogBook::DropFrom(std::uint32_t time)
{
    for (std::vector<platform::evt::EvtRecord>& events : logs_)
        std::erase_if(events, [time](const platform::evt::EvtRecord& r) { return r.timeGenerated >= time; });
}

std::vector<platform::evt::EvtRecord> DemoLogBook::Events(DemoLog log) const
{
    std::vector<platform::evt::EvtRecord> events = logs_[index(log)];
    std::stable_sort(events.begin(), events.end(),
                     [](const platform::evt::EvtRecord& a, const platform::evt::EvtRecord& b) {
                         return a.timeGenerated < b.timeGenerated;
                     });
    return events;
}

} // namespace demosite
