#include "EventLogService.h"

#include "EvtBackupFile.h"
#include "EvtParser.h"
#include "EvtReadCursor.h"
#include "FileIo.h"
#include "HandleTable.h"
#include "Kernel32.h"
#include "LiveLog.h"
#include "LiveLogLocator.h"
#include "ModuleTables.h"
#include "SyncObjects.h"

#include <mutex>
#include <new>
#include <stdexcept>

namespace platform {
namespace {

thread_local std::string t_detail;

BOOL fail(DWORD code, std::string detail = {})
{
    t_detail = std::move(detail);
    SetLastError(code);
    return FALSE;
}

HANDLE failOpen(DWORD code, std::string detail = {})
{
    fail(code, std::move(detail));
    return nullptr;
}

// Runs the body of one of the service's calls.  Memory that cannot be had
// anywhere behind it fails the call with ERROR_NOT_ENOUGH_MEMORY, as the
// platform's calls fail: no exception goes out through these C-style
// functions.  Whatever the body changed is undone by the objects it works
// on, so the log, its file and the handle are as they were.
template <class Result, class Body>
Result serviceCall(Result failed, Body&& body)
{
    try {
        return body();
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) { // more than a container can hold
    }
    t_detail.clear();
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return failed;
}

// The object behind an event-log handle: a live log shared with every other
// handle of it, a backup file read as it is asked for (or a snapshot of
// one held in memory); and the handle's own read position.
class EventLogHandle : public KernelObject {
public:
    explicit EventLogHandle(std::shared_ptr<LiveLog> live)
        : live_(std::move(live))
    {
    }
    explicit EventLogHandle(std::shared_ptr<const evt::EvtLogImage> snapshot)
        : snapshot_(std::move(snapshot))
    {
    }
    explicit EventLogHandle(std::unique_ptr<evt::EvtBackupFile> file)
        : file_(std::move(file))
    {
    }
    ~EventLogHandle() override
    {
        if (live_)
            live_->removeNotification(this);
    }

    DWORD read(DWORD flags, DWORD recordNumber, BYTE* buffer, DWORD size, DWORD& bytesRead, DWORD& bytesNeeded,
               std::string& why)
    {
        std::lock_guard lock(mutex_);
        if (file_)
            return cursor_.read(*file_, flags, recordNumber, buffer, size, bytesRead, bytesNeeded, why);
        if (live_) {
            auto liveLock = live_->lock();
            return cursor_.read(live_->image(), live_->generation(), flags, recordNumber, buffer, size, bytesRead,
                                bytesNeeded, why);
        }
        return cursor_.read(*snapshot_, 0, flags, recordNumber, buffer, size, bytesRead, bytesNeeded, why);
    }

    DWORD visit(DWORD flags, DWORD recordNumber, DWORD maxRecords, EventRecordSink take, void* context,
                DWORD& taken, std::string& why)
    {
        std::lock_guard lock(mutex_);
        if (file_)
            return cursor_.visit(*file_, flags, recordNumber, maxRecords, take, context, taken, why);
        if (snapshot_)
            return cursor_.visit(*snapshot_, flags, recordNumber, maxRecords, take, context, taken, why);
        return ERROR_NOT_SUPPORTED; // a live log's records are read under its lock, never handed to a caller
    }

    // The number of records and the oldest record number.
    void counts(DWORD& records, DWORD& oldest)
    {
        std::lock_guard lock(mutex_);
        if (file_) {
            records = static_cast<DWORD>(file_->recordCount());
            oldest = file_->oldestRecordNumber();
        } else if (live_) {
            auto liveLock = live_->lock();
            records = static_cast<DWORD>(live_->image().recordCount());
            oldest = live_->image().oldestRecordNumber();
        } else {
            records = static_cast<DWORD>(snapshot_->recordCount());
            oldest = snapshot_->oldestRecordNumber();
        }
    }

    // The compact backup form of a backup file or snapshot.
    DWORD compactBytes(std::vector<BYTE>& bytes, std::string& why)
    {
        std::lock_guard lock(mutex_);
        if (file_)
            return file_->compactBytes(bytes, why);
        bytes = snapshot_->compactBytes();
        return ERROR_SUCCESS;
    }

    LiveLog* live() const { return live_.get(); }

private:
    std::shared_ptr<LiveLog> live_;
    std::shared_ptr<const evt::EvtLogImage> snapshot_;
    std::unique_ptr<evt::EvtBackupFile> file_;
    std::mutex mutex_;
    evt::EvtReadCursor cursor_;
};

std::shared_ptr<EventLogHandle> lookup(HANDLE handle)
{
    return LookupHandleAs<EventLogHandle>(handle);
}

HANDLE openSnapshot(std::vector<BYTE> bytes, const std::string& name)
{
    auto image = std::make_shared<evt::EvtLogImage>(evt::kSizeStep, 0);
    std::string why;
    if (const DWORD error = evt::EvtParser::parse(std::move(bytes), *image, why); error != ERROR_SUCCESS)
        return failOpen(error, name + ": " + why);
    return InsertHandle(std::make_shared<EventLogHandle>(std::shared_ptr<const evt::EvtLogImage>(std::move(image))));
}

} // namespace

std::string EventLogErrorDetail()
{
    return t_detail;
}

HANDLE OpenEventLogA(LPCSTR serverName, LPCSTR sourceName)
{
    return serviceCall<HANDLE>(nullptr, [&] {
        std::string path;
        if (const DWORD error = LocateLiveLog(serverName, sourceName, path); error != ERROR_SUCCESS)
            return failOpen(error, error == ERROR_FILE_NOT_FOUND ? path + ": no such log" : std::string());
        std::shared_ptr<LiveLog> log;
        std::string why;
        if (const DWORD error = LiveLog::open(path, log, why); error != ERROR_SUCCESS)
            return failOpen(error, why);
        return InsertHandle(std::make_shared<EventLogHandle>(std::move(log)));
    });
}

HANDLE OpenBackupEventLogA(LPCSTR serverName, LPCSTR fileName)
{
    return serviceCall<HANDLE>(nullptr, [&] {
        std::string path;
        if (const DWORD error = LocateBackupFile(serverName, fileName, path); error != ERROR_SUCCESS)
            return failOpen(error);
        std::unique_ptr<evt::EvtBackupFile> file;
        std::string why;
        if (const DWORD error = evt::EvtBackupFile::open(path, file, why); error != ERROR_SUCCESS)
            return failOpen(error, why);
        return InsertHandle(std::make_shared<EventLogHandle>(std::move(file)));
    });
}

HANDLE OpenBackupEventLogFromBytes(std::vector<BYTE> bytes, const std::string& name)
{
    return serviceCall<HANDLE>(nullptr, [&] {
        return openSnapshot(std::move(bytes), name);
    });
}

BOOL CloseEventLog(HANDLE eventLog)
{
    return serviceCall<BOOL>(FALSE, [&] {
        if (!lookup(eventLog) || !RemoveHandle(eventLog))
            return fail(ERROR_INVALID_HANDLE);
        return TRUE;
    });
}

BOOL ReadEventLogA(HANDLE eventLog, DWORD readFlags, DWORD recordOffset, LPVOID buffer, DWORD bytesToRead,
                   DWORD* bytesRead, DWORD* minNumberOfBytesNeeded)
{
    return serviceCall<BOOL>(FALSE, [&] {
        if (!bytesRead || !minNumberOfBytesNeeded)
            return fail(ERROR_INVALID_PARAMETER);
        *bytesRead = 0;
        *minNumberOfBytesNeeded = 0;
        auto handle = lookup(eventLog);
        if (!handle)
            return fail(ERROR_INVALID_HANDLE);
        std::string why;
        const DWORD result = handle->read(readFlags, recordOffset, static_cast<BYTE*>(buffer), bytesToRead, *bytesRead,
                                          *minNumberOfBytesNeeded, why);
        if (result != ERROR_SUCCESS)
            return fail(result, std::move(why));
        return TRUE;
    });
}

BOOL ReadEventLogRecords(HANDLE eventLog, DWORD readFlags, DWORD recordOffset, DWORD maxRecords,
                         EventRecordSink take, void* context, DWORD* recordsTaken)
{
    return serviceCall<BOOL>(FALSE, [&] {
        if (!recordsTaken)
            return fail(ERROR_INVALID_PARAMETER);
        *recordsTaken = 0;
        auto handle = lookup(eventLog);
        if (!handle)
            return fail(ERROR_INVALID_HANDLE);
        std::string why;
        const DWORD result = handle->visit(readFlags, recordOffset, maxRecords, take, context, *recordsTaken, why);
        if (result != ERROR_SUCCESS)
            return fail(result, std::move(why));
        return TRUE;
    });
}

BOOL GetNumberOfEventLogRecords(HANDLE eventLog, DWORD* numberOfRecords)
{
    return serviceCall<BOOL>(FALSE, [&] {
        auto handle = lookup(eventLog);
        if (!handle)
            return fail(ERROR_INVALID_HANDLE);
        if (!numberOfRecords)
            return fail(ERROR_INVALID_PARAMETER);
        DWORD oldest = 0;
        handle->counts(*numberOfRecords, oldest);
        return TRUE;
    });
}

BOOL GetOldestEventLogRecord(HANDLE eventLog, DWORD* oldestRecord)
{
    return serviceCall<BOOL>(FALSE, [&] {
        auto handle = lookup(eventLog);
        if (!handle)
            return fail(ERROR_INVALID_HANDLE);
        if (!oldestRecord)
            return fail(ERROR_INVALID_PARAMETER);
        DWORD records = 0;
        handle->counts(records, *oldestRecord);
        return TRUE;
    });
}

BOOL NotifyChangeEventLog(HANDLE eventLog, HANDLE event)
{
    return serviceCall<BOOL>(FALSE, [&] {
        auto handle = lookup(eventLog);
        if (!handle || !handle->live())
            return fail(ERROR_INVALID_HANDLE, handle ? "only live logs notify changes" : "");
        auto syncEvent = LookupHandleAs<SyncEvent>(event);
        if (!syncEvent)
            return fail(ERROR_INVALID_HANDLE);
        handle->live()->addNotification(handle.get(), std::move(syncEvent));
        return TRUE;
    });
}

BOOL BackupEventLogA(HANDLE eventLog, LPCSTR backupFileName)
{
    return serviceCall<BOOL>(FALSE, [&] {
        auto handle = lookup(eventLog);
        if (!handle)
            return fail(ERROR_INVALID_HANDLE);
        std::string path;
        if (const DWORD error = LocateBackupFile(nullptr, backupFileName, path); error != ERROR_SUCCESS)
            return fail(error);
        std::string why;
        DWORD result;
        if (handle->live()) {
            result = handle->live()->backup(path, why);
        } else {
            std::vector<BYTE> bytes;
            result = handle->compactBytes(bytes, why);
            if (result == ERROR_SUCCESS)
                result = WriteFileAtomically(path, bytes.data(), bytes.size(), false, why);
        }
        if (result != ERROR_SUCCESS)
            return fail(result, why);
        return TRUE;
    });
}

BOOL ClearEventLogA(HANDLE eventLog, LPCSTR backupFileName)
{
    return serviceCall<BOOL>(FALSE, [&] {
        auto handle = lookup(eventLog);
        if (!handle)
            return fail(ERROR_INVALID_HANDLE);
        if (!handle->live())
            return fail(ERROR_NOT_SUPPORTED, "a backup log cannot be cleared");
        if (backupFileName && *backupFileName && !BackupEventLogA(eventLog, backupFileName))
            return FALSE; // nothing cleared
        std::string why;
        if (const DWORD error = handle->live()->clear(why); error != ERROR_SUCCESS)
            return fail(error, why);
        return TRUE;
    });
}

DWORD CreateLiveLog(LPCSTR serverName, LPCSTR logName, DWORD maxSize, DWORD retention)
{
    return serviceCall<DWORD>(ERROR_NOT_ENOUGH_MEMORY, [&] {
        std::string path;
        DWORD error = LocateLiveLog(serverName, logName, path);
        std::string why;
        if (error == ERROR_SUCCESS)
            error = ERROR_ALREADY_EXISTS;
        else if (error == ERROR_FILE_NOT_FOUND && !path.empty())
            error = LiveLog::create(path, maxSize, retention, why);
        if (error != ERROR_SUCCESS)
            fail(error, why);
        return error;
    });
}

DWORD AppendEventToLog(LPCSTR serverName, LPCSTR logName, const evt::EvtRecord& event, DWORD* recordNumber)
{
    return serviceCall<DWORD>(ERROR_NOT_ENOUGH_MEMORY, [&] {
        std::string path;
        DWORD error = LocateLiveLog(serverName, logName, path);
        std::string why;
        std::shared_ptr<LiveLog> log;
        if (error == ERROR_SUCCESS)
            error = LiveLog::open(path, log, why);
        if (error == ERROR_SUCCESS)
            error = log->append(event, recordNumber, why);
        if (error != ERROR_SUCCESS)
            fail(error, why);
        return error;
    });
}

std::vector<ModuleExport> EventLogExports()
{
    return {
        {"OpenEventLogA", ExportOf(&OpenEventLogA)},
        {"OpenBackupEventLogA", ExportOf(&OpenBackupEventLogA)},
        {"CloseEventLog", ExportOf(&CloseEventLog)},
        {"ReadEventLogA", ExportOf(&ReadEventLogA)},
        {"ReadEventLogRecords", ExportOf(&ReadEventLogRecords)},
        {"GetNumberOfEventLogRecords", ExportOf(&GetNumberOfEventLogRecords)},
        {"GetOldestEventLogRecord", ExportOf(&GetOldestEventLogRecord)},
        {"NotifyChangeEventLog", ExportOf(&NotifyChangeEventLog)},
        {"BackupEventLogA", ExportOf(&BackupEventLogA)},
        {"ClearEventLogA", ExportOf(&ClearEventLogA)},
    };
}

} // namespace platform
