#pragma once
// Builds event records in the ANSI form that ReadEventLogA hands out, for
// tests that feed the library without a log file.

#include "platform/EventLogService.h"

#include <cstring>
#include <string>
#include <vector>

struct TestRecord {
    DWORD recordNumber = 1;
    DWORD timeGenerated = 0;
    DWORD timeWritten = 0;
    DWORD eventId = 0;
    WORD eventType = EVENTLOG_INFORMATION_TYPE;
    WORD category = 0;
    std::string source = "TestSource";
    std::string computer = "PC1";
    std::vector<std::string> strings;
    std::vector<BYTE> sid;
    std::vector<BYTE> data;
    std::size_t padding = 0; // extra bytes, to make a record large
};

inline std::vector<BYTE> BuildAnsiRecord(const TestRecord& t)
{
    std::vector<BYTE> out(sizeof(EVENTLOGRECORD), 0);
    auto append = [&](const void* p, std::size_t n) {
        const auto* b = static_cast<const BYTE*>(p);
        out.insert(out.end(), b, b + n);
    };
    auto align = [&] {
        while (out.size() % 4)
            out.push_back(0);
    };
    append(t.source.c_str(), t.source.size() + 1);
    append(t.computer.c_str(), t.computer.size() + 1);
    align();
    EVENTLOGRECORD r{};
    r.UserSidLength = static_cast<DWORD>(t.sid.size());
    r.UserSidOffset = static_cast<DWORD>(out.size());
    append(t.sid.data(), t.sid.size());
    align();
    r.StringOffset = static_cast<DWORD>(out.size());
    for (const std::string& s : t.strings)
        append(s.c_str(), s.size() + 1);
    r.DataLength = static_cast<DWORD>(t.data.size());
    r.DataOffset = static_cast<DWORD>(out.size());
    append(t.data.data(), t.data.size());
    out.insert(out.end(), t.padding, 0);
    align();
    r.Length = static_cast<DWORD>(out.size() + 4);
    r.Reserved = 0x654c664c;
    r.RecordNumber = t.recordNumber;
    r.TimeGenerated = t.timeGenerated;
    r.TimeWritten = t.timeWritten;
    r.EventID = t.eventId;
    r.EventType = t.eventType;
    r.NumStrings = static_cast<WORD>(t.strings.size());
    r.EventCategory = t.category;
    std::memcpy(out.data(), &r, sizeof r);
    append(&r.Length, 4);
    return out;
}
