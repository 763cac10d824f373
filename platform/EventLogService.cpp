#include "EventLogService.h"

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

// The object behind an event-log handle: a live log shared with every other
// handle of it, or a snapshot of a backup file; and the handle's own read
// position.
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
    ~EventLogHandle() override
    {
        if (live_)
            live_->removeNotification(this);
    }

    // Calls f(image, generation) with the image held still.
    template <class F>
    auto withImage(F&& f)
    {
        if (live_) {
            auto lock = live_->lock();
            return f(live_->image(), live_->generation());
        }
        return f(*snapshot_, std::uint64_t{0});
    }

    LiveLog* live() const { return live_.get(); }
    const evt::EvtLogImage* snapshot() const { return snapshot_.get(); }

    std::mutex cursorMutex;
    evt::EvtReadCursor cursor;

private:
    std::shared_ptr<LiveLog> live_;
    std::shared_ptr<const evt::EvtLogImage> snapshot_;
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
    std::string path;
    if (const DWORD error = LocateLiveLog(serverName, sourceName, path); error != ERROR_SUCCESS)
        return failOpen(error, error == ERROR_FILE_NOT_FOUND ? path + ": no such log" : std::string());
    std::shared_ptr<LiveLog> log;
    std::string why;
    if (const DWORD error = LiveLog::open(path, log, why); error != ERROR_SUCCESS)
        return failOpen(error, why);
    return InsertHandle(std::make_shared<EventLogHandle>(std::move(log)));
}

HANDLE OpenBackupEventLogA(LPCSTR serverName, LPCSTR fileName)
{
    std::string path;
    if (const DWORD error = LocateBackupFile(serverName, fileName, path); error != ERROR_SUCCESS)
        return failOpen(error);
    std::vector<BYTE> bytes;
    std::string why;
    if (const DWORD error = ReadWholeFile(path, bytes, why); error != ERROR_SUCCESS)
        return failOpen(error, why);
    return openSnapshot(std::move(bytes), path);
}

HANDLE OpenBackupEventLogFromBytes(std::vector<BYTE> bytes, const std::string& name)
{
    return openSnapshot(std::move(bytes), name);
}

BOOL CloseEventLog(HANDLE eventLog)
{
    if (!lookup(eventLog) || !RemoveHandle(eventLog))
        return fail(ERROR_INVALID_HANDLE);
    return TRUE;
}

BOOL ReadEventLogA(HANDLE eventLog, DWORD readFlags, DWORD recordOffset, LPVOID buffer, DWORD bytesToRead,
                   DWORD* bytesRead, DWORD* minNumberOfBytesNeeded)
{
    if (!bytesRead || !minNumberOfBytesNeeded)
        return fail(ERROR_INVALID_PARAMETER);
    *bytesRead = 0;
    *minNumberOfBytesNeeded = 0;
    auto handle = lookup(eventLog);
    if (!handle)
        return fail(ERROR_INVALID_HANDLE);
    std::lock_guard lock(handle->cursorMutex);
    const DWORD result = handle->withImage([&](const evt::EvtLogImage& image, std::uint64_t generation) {
        return handle->cursor.read(image, generation, readFlags, recordOffset, static_cast<BYTE*>(buffer),
                                   bytesToRead, *bytesRead, *minNumberOfBytesNeeded);
    });
    if (result != ERROR_SUCCESS)
        return fail(result);
    return TRUE;
}

BOOL GetNumberOfEventLogRecords(HANDLE eventLog, DWORD* numberOfRecords)
{
    auto handle = lookup(eventLog);
    if (!handle)
        return fail(ERROR_INVALID_HANDLE);
    if (!numberOfRecords)
        return fail(ERROR_INVALID_PARAMETER);
    *numberOfRecords = handle->withImage(
        [](const evt::EvtLogImage& image, std::uint64_t) { return static_cast<DWORD>(image.recordCount()); });
    return TRUE;
}

BOOL GetOldestEventLogRecord(HANDLE eventLog, DWORD* oldestRecord)
{
    auto handle = lookup(eventLog);
    if (!handle)
        return fail(ERROR_INVALID_HANDLE);
    if (!oldestRecord)
        return fail(ERROR_INVALID_PARAMETER);
    *oldestRecord =
        handle->withImage([](const evt::EvtLogImage& image, std::uint64_t) { return image.oldestRecordNumber(); });
    return TRUE;
}

BOOL NotifyChangeEventLog(HANDLE eventLog, HANDLE event)
{
    auto handle = lookup(eventLog);
    if (!handle || !handle->live())
        return fail(ERROR_INVALID_HANDLE, handle ? "only live logs notify changes" : "");
    auto syncEvent = LookupHandleAs<SyncEvent>(event);
    if (!syncEvent)
        return fail(ERROR_INVALID_HANDLE);
    handle->live()->addNotification(handle.get(), std::move(syncEvent));
    return TRUE;
}

BOOL BackupEventLogA(HANDLE eventLog, LPCSTR backupFileName)
{
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
        const std::vector<BYTE> bytes = handle->snapshot()->compactBytes();
        result = WriteFileAtomically(path, bytes.data(), bytes.size(), false, why);
    }
    if (result != ERROR_SUCCESS)
        return fail(result, why);
    return TRUE;
}

BOOL ClearEventLogA(HANDLE eventLog, LPCSTR backupFileName)
{
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
}

DWORD CreateLiveLog(LPCSTR serverName, LPCSTR logName, DWORD maxSize, DWORD retention)
{
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
}

DWORD AppendEventToLog(LPCSTR serverName, LPCSTR logName, const evt::EvtRecord& event, DWORD* recordNumber)
{
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
}

std::vector<ModuleExport> EventLogExports()
{
    return {
        {"OpenEventLogA", ExportOf(&OpenEventLogA)},
        {"OpenBackupEventLogA", ExportOf(&OpenBackupEventLogA)},
        {"CloseEventLog", ExportOf(&CloseEventLog)},
        {"ReadEventLogA", ExportOf(&ReadEventLogA)},
        {"GetNumberOfEventLogRecords", ExportOf(&GetNumberOfEventLogRecords)},
        {"GetOldestEventLogRecord", ExportOf(&GetOldestEventLogRecord)},
        {"NotifyChangeEventLog", ExportOf(&NotifyChangeEventLog)},
        {"BackupEventLogA", ExportOf(&BackupEventLogA)},
        {"ClearEventLogA", ExportOf(&ClearEventLogA)},
    };
}

} // namespace platform
