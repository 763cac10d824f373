#pragma once
// An in-memory event-log service over a list of records built by the test.

#include "RecordBuilder.h"

#include "InMemoryEventLogService.h"

#include <string>
#include <vector>

class FakeEventLogService : public InMemoryEventLogService {
public:
    std::vector<std::vector<BYTE>> records; // oldest first

    FakeEventLogService() { seekMissError = ERROR_INVALID_PARAMETER; }

    void addRecords(int n, std::size_t padding = 0)
    {
        for (int i = 0; i < n; ++i) {
            TestRecord t;
            t.recordNumber = oldest + static_cast<DWORD>(records.size());
            t.eventId = 1000 + t.recordNumber;
            t.timeGenerated = 1'000'000 + t.recordNumber;
            t.strings = {"record " + std::to_string(t.recordNumber)};
            t.padding = padding;
            records.push_back(BuildAnsiRecord(t));
        }
    }

protected:
    DWORD RecordCount() const override { return static_cast<DWORD>(records.size()); }
    std::vector<BYTE> RecordAt(DWORD index) const override { return records[index]; }
};
