#include "InMemoryEventLogService.h"

#include "platform/EventLogService.h"
#include "platform/ModuleTables.h"
#include "platform/Modules.h"

#include <algorithm>

namespace {

HANDLE logHandle()
{
    return reinterpret_cast<HANDLE>(0x5000);
}

} // namespace

InMemoryEventLogService::InMemoryEventLogService()
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

InMemoryEventLogService::~InMemoryEventLogService()
{
    platform::RegisterModuleExports("advapi32.dll", platform::EventLogExports());
    current() = nullptr;
}

InMemoryEventLogService*& InMemoryEventLogService::current()
{
    static InMemoryEventLogService* service = nullptr;
    return service;
}

HANDLE InMemoryEventLogService::open(LPCSTR, LPCSTR name)
{
    InMemoryEventLogService& s = *current();
    s.opens++;
    s.openedName = name ? name : "";
    if (s.failOpenWith) {
        SetLastError(s.failOpenWith);
        return nullptr;
    }
    s.started_ = false;
    return logHandle();
}

BOOL InMemoryEventLogService::close(HANDLE log)
{
    return log == logHandle();
}

BOOL InMemoryEventLogService::numberOfRecords(HANDLE, DWORD* count)
{
    *count = current()->RecordCount();
    return TRUE;
}

BOOL InMemoryEventLogService::oldestRecord(HANDLE, DWORD* number)
{
    *number = current()->RecordCount() == 0 ? 0 : current()->oldest;
    return TRUE;
}

BOOL InMemoryEventLogService::notify(HANDLE, HANDLE)
{
    return TRUE;
}

BOOL InMemoryEventLogService::read(HANDLE, DWORD flags, DWORD offset, LPVOID buffer, DWORD size, DWORD* bytesRead,
                                   DWORD* needed)
{
    InMemoryEventLogService& s = *current();
    s.reads++;
    s.readFlags.push_back(flags);
    if (s.failNextReadWith) {
        SetLastError(s.failNextReadWith);
        s.failNextReadWith = 0;
        return FALSE;
    }
    if (s.failAtRead && s.reads == s.failAtRead) {
        SetLastError(s.failAtReadCode);
        return FALSE;
    }
    const bool backwards = flags & EVENTLOG_BACKWARDS_READ;
    const long n = static_cast<long>(s.RecordCount());
    long pos = 0;
    if (flags & EVENTLOG_SEEK_READ) {
        pos = static_cast<long>(offset) - static_cast<long>(s.oldest);
        if (s.seekReturnsWrongRecord)
            pos += 1;
        if (pos < 0 || pos >= n) {
            SetLastError(s.seekMissError);
            return FALSE;
        }
    } else {
        pos = s.started_ ? s.position_ : (backwards ? n - 1 : 0);
    }
    if (pos < 0 || pos >= n) {
        SetLastError(ERROR_HANDLE_EOF);
        return FALSE;
    }
    DWORD used = 0;
    auto* out = static_cast<BYTE*>(buffer);
    while (pos >= 0 && pos < n) {
        const std::vector<BYTE> r = s.RecordAt(static_cast<DWORD>(pos));
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
    s.position_ = pos;
    s.started_ = true;
    *bytesRead = used;
    if (s.onRead)
        s.onRead(s.reads);
    return TRUE;
}
