#pragma once
// An in-memory event-log service that replaces the platform's exports of
// "advapi32.dll" for the life of a test, so the reader's logic can be
// driven and counted without log files.

#include "RecordBuilder.h"

#include "platform/ErrorCodes.h"
#include "platform/Kernel32.h"
#include "platform/ModuleTables.h"
#include "platform/Modules.h"

#include <algorithm>
#include <map>

class FakeEventLogService {
public:
    std::vector<std::vector<BYTE>> records; // oldest first
    DWORD oldest = 1;
    int reads = 0;
    int opens = 0;
    DWORD failNextReadWith = 0;
    bool seekReturnsWrongRecord = false;
    std::vector<DWORD> readFlags;

    FakeEventLogService()
    {
        current() = this;
        platform::RegisterModuleExports("advapi32.dll", {
            {"OpenEventLogA", platform::ExportOf(&open)},
            {"OpenBackupEventLogA", platform::ExportOf(&open)},
            {"CloseEventLog", platform::ExportOf(&close)},
            {"ReadEventLogA", platform::ExportOf(&read)},
            {"GetNumberOfEventLogRecords", platform::ExportOf(&count)},
            {"GetOldestEventLogRecord", platform::ExportOf(&oldestRecord)},
            {"NotifyChangeEventLog", platform::ExportOf(&notify)},
        });
    }
    ~FakeEventLogService()
    {
        platform::RegisterModuleExports("advapi32.dll", platform::EventLogExports());
        current() = nullptr;
    }

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

private:
    static FakeEventLogService*& current()
    {
        static FakeEventLogService* s = nullptr;
        return s;
    }
    static HANDLE kHandle() { return reinterpret_cast<HANDLE>(0x5000); }

    // Read position of the one handle: index of the next record.
    long position = 0;
    bool started = false;

    static HANDLE open(LPCSTR, LPCSTR)
    {
        current()->opens++;
        current()->started = false;
        return kHandle();
    }
    static BOOL close(HANDLE h) { return h == kHandle(); }
    static BOOL count(HANDLE, DWORD* n)
    {
        *n = static_cast<DWORD>(current()->records.size());
        return TRUE;
    }
    static BOOL oldestRecord(HANDLE, DWORD* n)
    {
        *n = current()->records.empty() ? 0 : current()->oldest;
        return TRUE;
    }
    static BOOL notify(HANDLE, HANDLE) { return TRUE; }

    static BOOL read(HANDLE, DWORD flags, DWORD offset, LPVOID buffer, DWORD size, DWORD* bytesRead, DWORD* needed)
    {
        FakeEventLogService& s = *current();
        s.reads++;
        s.readFlags.push_back(flags);
        if (s.failNextReadWith) {
            SetLastError(s.failNextReadWith);
            s.failNextReadWith = 0;
            return FALSE;
        }
        const bool backwards = flags & EVENTLOG_BACKWARDS_READ;
        const long n = static_cast<long>(s.records.size());
        long pos;
        if (flags & EVENTLOG_SEEK_READ) {
            pos = static_cast<long>(offset) - static_cast<long>(s.oldest);
            if (s.seekReturnsWrongRecord)
                pos += 1;
            if (pos < 0 || pos >= n) {
                SetLastError(ERROR_INVALID_PARAMETER);
                return FALSE;
            }
        } else {
            pos = s.started ? s.position : (backwards ? n - 1 : 0);
        }
        if (pos < 0 || pos >= n) {
            SetLastError(ERROR_HANDLE_EOF);
            return FALSE;
        }
        DWORD used = 0;
        auto* out = static_cast<BYTE*>(buffer);
        while (pos >= 0 && pos < n) {
            const auto& r = s.records[static_cast<std::size_t>(pos)];
            if (used + r.size() > size)
                break;
            std::copy(r.begin(), r.end(), out + used);
            used += static_cast<DWORD>(r.size());
            pos += backwards ? -1 : 1;
        }
        if (used == 0) {
            *needed = static_cast<DWORD>(s.records[static_cast<std::size_t>(pos)].size());
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return FALSE;
        }
        s.position = pos;
        s.started = true;
        *bytesRead = used;
        return TRUE;
    }
};
