#include "EventLogService.h"

#include "Kernel32.h"
#include "ModuleTables.h"

// Placeholder service: every call fails until the real service is in.
namespace platform {

namespace {
std::string g_liveLogDirectory;
}

void SetLiveLogDirectory(const std::string& directory)
{
    g_liveLogDirectory = directory;
}

HANDLE OpenEventLogA(LPCSTR, LPCSTR)
{
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return nullptr;
}
HANDLE OpenBackupEventLogA(LPCSTR, LPCSTR)
{
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return nullptr;
}
BOOL CloseEventLog(HANDLE)
{
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}
BOOL ReadEventLogA(HANDLE, DWORD, DWORD, LPVOID, DWORD, DWORD*, DWORD*)
{
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}
BOOL GetNumberOfEventLogRecords(HANDLE, DWORD*)
{
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}
BOOL GetOldestEventLogRecord(HANDLE, DWORD*)
{
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}
BOOL NotifyChangeEventLog(HANDLE, HANDLE)
{
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}
BOOL BackupEventLogA(HANDLE, LPCSTR)
{
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}
BOOL ClearEventLogA(HANDLE, LPCSTR)
{
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
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
