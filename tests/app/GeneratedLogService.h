#pragma once
// An in-memory event-log service whose records are made on demand from
// their record numbers, so a test (or a benchmark) can read a log of any
// size without keeping it.  It replaces the platform's event-log exports
// for its life: construct it before the ScopedSystemFunctions.

#include "../ntlib/RecordBuilder.h"

#include "platform/ErrorCodes.h"
#include "platform/Kernel32.h"
#include "platform/ModuleTables.h"
#include "platform/Modules.h"

#include <algorithm>
#include <functional>
#include <string>

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

class GeneratedLogService {
public:
    using Generator = std::function<TestRecord(DWORD recordNumber)>;

    DWORD count = 0;
    DWORD oldest = 1;
    Generator generate = SampleRecord;
    int reads = 0;
    int opens = 0;
    std::string openedName;
    int failAtRead = 0;      // the read (counted from 1) that fails; 0: none
    DWORD failCode = ERROR_EVENTLOG_FILE_CORRUPT;
    DWORD failOpenWith = 0;  // opening fails with this code; 0: it works
    std::function<void(int read)> onRead; // after every read that gave records

    GeneratedLogService()
    {
        current() = this;
        platform::RegisterModuleExports("advapi32.dll", {
            {"OpenEventLogA", platform::ExportOf(&open)},
            {"OpenBackupEventLogA", platform::ExportOf(&open)},
            {"CloseEventLog", platform::ExportOf(&close)},
            {"ReadEventLogA", platform::ExportOf(&read)},
            {"GetNumberOfEventLogRecords", platform::ExportOf(&numberOfRecords)},
            {"GetOldestEventLogRecord", platform::ExportOf(&oldestRecord)},
            {"NotifyChangeEventLog", platform::ExportOf(&notify)},
        });
    }
    ~GeneratedLogService()
    {
        platform::RegisterModuleExports("advapi32.dll", platform::EventLogExports());
        current() = nullptr;
    }
    GeneratedLogService(const GeneratedLogService&) = delete;
    GeneratedLogService& operator=(const GeneratedLogService&) = delete;

private:
    static GeneratedLogService*& current()
    {
        static GeneratedLogService* s = nullptr;
        return s;
    }
    static HANDLE kHandle() { return reinterpret_cast<HANDLE>(0x6000); }

    long position = 0; // index of the next record of a sequential read
    bool started = false;

    static HANDLE open(LPCSTR, LPCSTR name)
    {
        GeneratedLogService& s = *current();
        s.opens++;
        s.openedName = name ? name : "";
        if (s.failOpenWith) {
            SetLastError(s.failOpenWith);
            return nullptr;
        }
        s.started = false;
        return kHandle();
    }
    static BOOL close(HANDLE h) { return h == kHandle(); }
    static BOOL numberOfRecords(HANDLE, DWORD* n)
    {
        *n = current()->count;
        return TRUE;
    }
    static BOOL oldestRecord(HANDLE, DWORD* n)
    {
        *n = current()->count == 0 ? 0 : current()->oldest;
        return TRUE;
    }
    static BOOL notify(HANDLE, HANDLE) { return TRUE; }

    static BOOL read(HANDLE, DWORD flags, DWORD offset, LPVOID buffer, DWORD size, DWORD* bytesRead, DWORD* needed)
    {
        GeneratedLogService& s = *current();
        s.reads++;
        if (s.failAtRead && s.reads == s.failAtRead) {
            SetLastError(s.failCode);
            return FALSE;
        }
        const bool backwards = flags & EVENTLOG_BACKWARDS_READ;
        const long n = static_cast<long>(s.count);
        long pos = 0;
        if (flags & EVENTLOG_SEEK_READ)
            pos = static_cast<long>(offset) - static_cast<long>(s.oldest);
        else
            pos = s.started ? s.position : (backwards ? n - 1 : 0);
        if (pos < 0 || pos >= n) {
            SetLastError(ERROR_HANDLE_EOF);
            return FALSE;
        }
        DWORD used = 0;
        auto* out = static_cast<BYTE*>(buffer);
        while (pos >= 0 && pos < n) {
            const std::vector<BYTE> r = BuildAnsiRecord(s.generate(s.oldest + static_cast<DWORD>(pos)));
            if (used + r.size() > size) {
                if (used == 0) {
                    *needed = static_cast<DWORD>(r.size());
                    SetLastError(ERROR_INSUFFICIENT_BUFFER);
                    return FALSE;
                }
                break;
            }
            std::copy(r.begin(), r.end(), out + used);
            used += static_cast<DWORD>(r.size());
            pos += backwards ? -1 : 1;
        }
        s.position = pos;
        s.started = true;
        *bytesRead = used;
        if (s.onRead)
            s.onRead(s.reads);
        return TRUE;
    }
};
