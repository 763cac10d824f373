#pragma once
// The bound advapi32 functions the library calls, by group, with one
// call-through wrapper per function.  The wrappers have the platform
// functions' own arguments and results.

#include "FunctionBinding.h"

#include "platform/EventLogService.h"
#include "platform/RegistryTypes.h"
#include "platform/SecurityTypes.h"

// --- group initialisers and finalisers, in program-start order ---
void BindWindows2000Functions();
void UnbindWindows2000Functions();
void BindSecurityFunctions();
void UnbindSecurityFunctions();
void BindAdvApi32Functions();
void UnbindAdvApi32Functions();
void BindNetApi32Functions();
void UnbindNetApi32Functions();
void BindServiceFunctions();
void UnbindServiceFunctions();

BindingGroup& Windows2000Functions();
BindingGroup& SecurityFunctions();
BindingGroup& AdvApi32Functions();
BindingGroup& NetApi32Functions();
BindingGroup& ServiceFunctions();

// --- Windows2000 group ---
BOOL ConvertSidToStringSidW(PSID sid, LPWSTR* stringSid);

// --- Security group ---
DWORD GetLengthSid(PSID sid);
BOOL IsValidSid(PSID sid);
SID_IDENTIFIER_AUTHORITY* GetSidIdentifierAuthority(PSID sid);
BYTE* GetSidSubAuthorityCount(PSID sid);
DWORD* GetSidSubAuthority(PSID sid, DWORD subAuthority);

// --- AdvApi32 group ---
BOOL LookupAccountSidA(LPCSTR systemName, PSID sid, LPSTR name, LPDWORD nameSize, LPSTR domainName,
                       LPDWORD domainSize, SID_NAME_USE* use);
BOOL EqualSid(PSID sid1, PSID sid2);
BOOL BackupEventLogA(HANDLE eventLog, LPCSTR backupFileName);
BOOL ClearEventLogA(HANDLE eventLog, LPCSTR backupFileName);
BOOL CloseEventLog(HANDLE eventLog);
BOOL GetNumberOfEventLogRecords(HANDLE eventLog, DWORD* numberOfRecords);
BOOL GetOldestEventLogRecord(HANDLE eventLog, DWORD* oldestRecord);
BOOL NotifyChangeEventLog(HANDLE eventLog, HANDLE event);
HANDLE OpenBackupEventLogA(LPCSTR serverName, LPCSTR fileName);
HANDLE OpenEventLogA(LPCSTR serverName, LPCSTR sourceName);
BOOL ReadEventLogA(HANDLE eventLog, DWORD readFlags, DWORD recordOffset, LPVOID buffer, DWORD bytesToRead,
                   DWORD* bytesRead, DWORD* minNumberOfBytesNeeded);
// The platform's own read of backup-log records in their on-disk form, for
// a reader that decodes them where it keeps them.  CanReadEventLogRecords
// is false when the library lacks it or when another service's event-log
// functions are bound; the reader then reads with ReadEventLogA.
bool CanReadEventLogRecords();
BOOL ReadEventLogRecords(HANDLE eventLog, DWORD readFlags, DWORD recordOffset, DWORD maxRecords,
                         platform::EventRecordSink take, void* context, DWORD* recordsTaken);

// --- service and registry group ---
LONG RegConnectRegistryA(LPCSTR machineName, HKEY key, PHKEY result);
LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM desired, PHKEY result);
LONG RegCloseKey(HKEY key);
LONG RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameSize, LPDWORD reserved, LPSTR className,
                   LPDWORD classSize, FILETIME* lastWriteTime);
LONG RegEnumValueA(HKEY key, DWORD index, LPSTR valueName, LPDWORD valueNameSize, LPDWORD reserved, LPDWORD type,
                   LPBYTE data, LPDWORD dataSize);
LONG RegQueryInfoKeyA(HKEY key, LPSTR className, LPDWORD classSize, LPDWORD reserved, LPDWORD subKeys,
                      LPDWORD maxSubKeyLen, LPDWORD maxClassLen, LPDWORD values, LPDWORD maxValueNameLen,
                      LPDWORD maxValueLen, LPDWORD securityDescriptor, FILETIME* lastWriteTime);
LONG RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD dataSize);
