#pragma once
// The events that one computer of the demo network writes into its
// Application, System and Security logs, collected in any order and handed
// out in the order the logs keep them.

#include "platform/EvtRecord.h"
#include "platform/Win32Types.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace demosite {

enum class DemoLog { Application, System, Security };

class DemoLogBook {
public:
    explicit DemoLogBook(std::string computer);

    const std::string& Computer() const { return computer_; }

    // An event of this computer at `time` (seconds since 1970, UTC).  `sid`
    // is the user's SID in text form, or empty for an event without a user.
    void Add(DemoLog log, std::uint32_t time, std::string_view source, DWORD eventId, WORD eventType, WORD category,
             std::vector<std::string> strings, std::string_view sid = {}, std::vector<BYTE> data = {});

    // Drops the events of a log that came before `time`.
    void DropBefore(DemoLog log, std::uint32_t time);
    // Drops the events of every log at `time` and later.
    void DropFrom(std::uint32_t time);

    // The events of a log by time; events of the same second stay in the
    // order they were added.  Each is written when it is generated.
    std::vector<platform::evt::EvtRecord> Events(DemoLog log) const;
    std::size_t Count(DemoLog log) const { return logs_[index(log)].size(); }

private:
    static std::size_t index(DemoLog log) { return static_cast<std::size_t>(log); }

    std::string computer_;
    std::array<std::vector<platform::evt::EvtRecord>, 3> logs_;
};

} // namespace demosite
