#pragma once
// An in-memory event-log service whose records are made on demand from
// their record numbers, so a test (or a benchmark) can read a log of any
// size without keeping it.  It replaces the platform's event-log exports
// for its life: construct it before the ScopedSystemFunctions.

#include "../ntlib/RecordBuilder.h"

#include "InMemoryEventLogService.h"

#include <functional>
#include <string>
#include <vector>

// A record of every kind in turn: the platform types 1, 2, 4, 8, 16, 0 and
// 3 (a combination), identifiers with their high bits set, four categories.
inline TestRecord SampleRecord(DWORD recordNumber)
{
    static constexpr WORD kTypes[] = {EVENTLOG_ERROR_TYPE,  EVENTLOG_WARNING_TYPE,  EVENTLOG_INFORMATION_TYPE,
                                      EVENTLOG_AUDIT_SUCCESS, EVENTLOG_AUDIT_FAILURE, EVENTLOG_SUCCESS,
                                      3};
    TestRecord t;
    t.recordNumber = recordNumber;
    t.timeGenerated = 1'000'000'000 + recordNumber * 60;
    t.timeWritten = t.timeGenerated;
    t.eventId = 0xC0000000u | (recordNumber % 70'000);
    t.eventType = kTypes[recordNumber % 7];
    t.category = static_cast<WORD>(recordNumber % 4);
    t.source = recordNumber % 3 == 0 ? "Disk" : "Service Control Manager";
    t.computer = "PC1";
    t.strings = {"record " + std::to_string(recordNumber)};
    return t;
}

class GeneratedLogService : public InMemoryEventLogService {
public:
    using Generator = std::function<TestRecord(DWORD recordNumber)>;

    DWORD count = 0;
    Generator generate = SampleRecord;

protected:
    DWORD RecordCount() const override { return count; }
    std::vector<BYTE> RecordAt(DWORD index) const override { return BuildAnsiRecord(generate(oldest + index)); }
};
