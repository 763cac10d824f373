#pragma once
// The platform's event-log service: live logs and backup files in the
// platform's *.evt file format, read and written through handles.
// The functions are exported by "advapi32.dll" (and "varovu32.dll"); the
// library binds them through GetProcAddress and never calls them by name.
// When memory runs out a call fails with ERROR_NOT_ENOUGH_MEMORY, as the
// platform's do, and changes nothing; no exception comes out of them.

#include "Win32Types.h"

#include <string>
#include <vector>

// --- record layout and flags ---
inline constexpr DWORD EVENTLOG_SEQUENTIAL_READ = 0x0001;
inline constexpr DWORD EVENTLOG_SEEK_READ = 0x0002;
inline constexpr DWORD EVENTLOG_FORWARDS_READ = 0x0004;
inline constexpr DWORD EVENTLOG_BACKWARDS_READ = 0x0008;

inline constexpr WORD EVENTLOG_SUCCESS = 0x0000;
inline constexpr WORD EVENTLOG_ERROR_TYPE = 0x0001;
inline constexpr WORD EVENTLOG_WARNING_TYPE = 0x0002;
inline constexpr WORD EVENTLOG_INFORMATION_TYPE = 0x0004;
inline constexpr WORD EVENTLOG_AUDIT_SUCCESS = 0x0008;
inline constexpr WORD EVENTLOG_AUDIT_FAILURE = 0x0010;

// The fixed part of a record as ReadEventLogA hands it out; the source
// name follows it directly, then the computer name, the SID, the strings and
// the data at the offsets given, and last a copy of Length.
struct EVENTLOGRECORD {
    DWORD Length;
    DWORD Reserved; // "LfLe"
    DWORD RecordNumber;
    DWORD TimeGenerated;
    DWORD TimeWritten;
    DWORD EventID;
    WORD EventType;
    WORD NumStrings;
    WORD EventCategory;
    WORD ReservedFlags;
    DWORD ClosingRecordNumber;
    DWORD StringOffset;
    DWORD UserSidLength;
    DWORD UserSidOffset;
    DWORD DataLength;
    DWORD DataOffset;
};
static_assert(sizeof(EVENTLOGRECORD) == 0x38);

namespace platform {

// --- the service functions (exported by the modules) ---
HANDLE OpenEventLogA(LPCSTR serverName, LPCSTR sourceName);
HANDLE OpenBackupEventLogA(LPCSTR serverName, LPCSTR fileName);
BOOL CloseEventLog(HANDLE eventLog);
BOOL ReadEventLogA(HANDLE eventLog, DWORD readFlags, DWORD recordOffset, LPVOID buffer,
                   DWORD bytesToRead, DWORD* bytesRead, DWORD* minNumberOfBytesNeeded);
BOOL GetNumberOfEventLogRecords(HANDLE eventLog, DWORD* numberOfRecords);
BOOL GetOldestEventLogRecord(HANDLE eventLog, DWORD* oldestRecord);
BOOL NotifyChangeEventLog(HANDLE eventLog, HANDLE event);
BOOL BackupEventLogA(HANDLE eventLog, LPCSTR backupFileName);
BOOL ClearEventLogA(HANDLE eventLog, LPCSTR backupFileName);

// Takes one record that ReadEventLogRecords hands out, in its on-disk form
// (the fixed part as in EVENTLOGRECORD, the texts in UTF-16LE), whose
// `length` bytes are valid during the call; false when the record is
// damaged.
using EventRecordSink = bool (*)(void* context, const BYTE* record, DWORD length);

// Reads records of a backup log as ReadEventLogA does, from the same read
// position, with the same flags and errors, but hands at most maxRecords
// of them to `take` one by one in their on-disk form instead of copying
// their ANSI form into a buffer, so a reader decodes each record where it
// keeps it.  A record that `take` finds damaged fails the read as a damaged
// record of the file does: ERROR_EVENTLOG_FILE_CORRUPT, after the records
// before it were taken.  Live logs give ERROR_NOT_SUPPORTED: they are read
// with ReadEventLogA.
BOOL ReadEventLogRecords(HANDLE eventLog, DWORD readFlags, DWORD recordOffset, DWORD maxRecords,
                         EventRecordSink take, void* context, DWORD* recordsTaken);

// Where live logs are kept until computers have registries of their own:
// the live log "Name" of the local computer is the file "<dir>/Name.evt"
// (see LiveLogLocator.h).
void SetLiveLogDirectory(const std::string& directory);

// --- the service's own interface (not exported by the modules) ---
namespace evt {
struct EvtRecord;
}

// The readable reason of the last failed event-log call of this thread
// (for instance which record of a damaged file is wrong and how); empty
// when the error code says it all.
std::string EventLogErrorDetail();

// Creates an empty live log (maxSize a multiple of 64 KiB; retention in
// seconds, 0 = overwrite as needed, 0xFFFFFFFF = never overwrite).
// Returns ERROR_SUCCESS or an error code (ERROR_ALREADY_EXISTS when the
// log exists); sets the last error too.
DWORD CreateLiveLog(LPCSTR serverName, LPCSTR logName, DWORD maxSize, DWORD retention);

// Appends an event to a live log, as the service writes one: the record
// number is the log's next, TimeWritten 0 means now, TimeGenerated 0 means
// TimeWritten.  Handles of the log see the event and their change
// notifications are signalled.  Returns ERROR_SUCCESS, ERROR_LOG_FILE_FULL
// (the retention keeps the oldest events) or another error code.
DWORD AppendEventToLog(LPCSTR serverName, LPCSTR logName, const evt::EvtRecord& event,
                       DWORD* recordNumber = nullptr);

// Opens a backup log from bytes in memory, as OpenBackupEventLogA opens a
// file; `name` stands for the file in messages.
HANDLE OpenBackupEventLogFromBytes(std::vector<BYTE> bytes, const std::string& name);

} // namespace platform
