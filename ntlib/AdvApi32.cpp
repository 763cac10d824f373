#include "AdvApi32.h"

#include "platform/Modules.h"

namespace {

enum Windows2000Slot { kConvertSidToStringSidW };
enum SecuritySlot { kGetLengthSid, kIsValidSid, kGetSidIdentifierAuthority, kGetSidSubAuthorityCount, kGetSidSubAuthority };
enum AdvApi32Slot {
    kLookupAccountSidA,
    kEqualSid,
    kBackupEventLogA,
    kClearEventLogA,
    kCloseEventLog,
    kGetNumberOfEventLogRecords,
    kGetOldestEventLogRecord,
    kNotifyChangeEventLog,
    kOpenBackupEventLogA,
    kOpenEventLogA,
    kReadEventLogA,
    kReadEventLogRecords,
};
enum ServiceSlot {
    kRegConnectRegistryA,
    kRegOpenKeyExA,
    kRegCloseKey,
    kRegEnumKeyExA,
    kRegEnumValueA,
    kRegQueryInfoKeyA,
    kRegQueryValueExA,
};

} // namespace

BindingGroup& Windows2000Functions()
{
    static BindingGroup group("advapi32.dll", BindingGroup::Choice::Win2000OrRemoteAdmin, {"ConvertSidToStringSidW"},
                              false, " or linked libraries. Not Windows 2000?");
    return group;
}

BindingGroup& SecurityFunctions()
{
    static BindingGroup group("advapi32.dll", BindingGroup::Choice::NtOrRemoteAdmin,
                              {"GetLengthSid", "IsValidSid", "GetSidIdentifierAuthority", "GetSidSubAuthorityCount",
                               "GetSidSubAuthority"});
    return group;
}

BindingGroup& AdvApi32Functions()
{
    static BindingGroup group("advapi32.dll", BindingGroup::Choice::NtOrRemoteAdmin,
                              {"LookupAccountSidA", "EqualSid", "BackupEventLogA", "ClearEventLogA", "CloseEventLog",
                               "GetNumberOfEventLogRecords", "GetOldestEventLogRecord", "NotifyChangeEventLog",
                               "OpenBackupEventLogA", "OpenEventLogA", "ReadEventLogA",
                               "ReadEventLogRecords"});
    return group;
}

BindingGroup& NetApi32Functions()
{
    // The program calls none of this group's functions; it is bound so that
    // the library's start-up matches the platform's.
    static BindingGroup group("netapi32.dll", BindingGroup::Choice::NtOrRemoteAdmin, {}, true);
    return group;
}

BindingGroup& ServiceFunctions()
{
    static BindingGroup group("advapi32.dll", BindingGroup::Choice::NtOrRemoteAdmin,
                              {"RegConnectRegistryA", "RegOpenKeyExA", "RegCloseKey", "RegEnumKeyExA", "RegEnumValueA",
                               "RegQueryInfoKeyA", "RegQueryValueExA"});
    return group;
}

void BindWindows2000Functions() { Windows2000Functions().Initialise(); }
void UnbindWindows2000Functions() { Windows2000Functions().Finalise(); }
void BindSecurityFunctions() { SecurityFunctions().Initialise(); }
void UnbindSecurityFunctions() { SecurityFunctions().Finalise(); }
void BindAdvApi32Functions() { AdvApi32Functions().Initialise(); }
void UnbindAdvApi32Functions() { AdvApi32Functions().Finalise(); }
void BindNetApi32Functions() { NetApi32Functions().Initialise(); }
void UnbindNetApi32Functions() { NetApi32Functions().Finalise(); }
void BindServiceFunctions() { ServiceFunctions().Initialise(); }
void UnbindServiceFunctions() { ServiceFunctions().Finalise(); }

// --- call-through wrappers ---

BOOL ConvertSidToStringSidW(PSID sid, LPWSTR* stringSid)
{
    return CallBound<decltype(ConvertSidToStringSidW)>(Windows2000Functions(), kConvertSidToStringSidW, sid, stringSid);
}

DWORD GetLengthSid(PSID sid)
{
    return CallBound<decltype(GetLengthSid)>(SecurityFunctions(), kGetLengthSid, sid);
}

BOOL IsValidSid(PSID sid)
{
    return CallBound<decltype(IsValidSid)>(SecurityFunctions(), kIsValidSid, sid);
}

SID_IDENTIFIER_AUTHORITY* GetSidIdentifierAuthority(PSID sid)
{
    return CallBound<decltype(GetSidIdentifierAuthority)>(SecurityFunctions(), kGetSidIdentifierAuthority, sid);
}

BYTE* GetSidSubAuthorityCount(PSID sid)
{
    return CallBound<decltype(GetSidSubAuthorityCount)>(SecurityFunctions(), kGetSidSubAuthorityCount, sid);
}

DWORD* GetSidSubAuthority(PSID sid, DWORD subAuthority)
{
    return CallBound<decltype(GetSidSubAuthority)>(SecurityFunctions(), kGetSidSubAuthority, sid, subAuthority);
}

BOOL LookupAccountSidA(LPCSTR systemName, PSID sid, LPSTR name, LPDWORD nameSize, LPSTR domainName,
                       LPDWORD domainSize, SID_NAME_USE* use)
{
    return CallBound<decltype(LookupAccountSidA)>(AdvApi32Functions(), kLookupAccountSidA, systemName, sid, name,
                                                  nameSize, domainName, domainSize, use);
}

BOOL EqualSid(PSID sid1, PSID sid2)
{
    return CallBound<decltype(EqualSid)>(AdvApi32Functions(), kEqualSid, sid1, sid2);
}

BOOL BackupEventLogA(HANDLE eventLog, LPCSTR backupFileName)
{
    return CallBound<decltype(BackupEventLogA)>(AdvApi32Functions(), kBackupEventLogA, eventLog, backupFileName);
}

BOOL ClearEventLogA(HANDLE eventLog, LPCSTR backupFileName)
{
    return CallBound<decltype(ClearEventLogA)>(AdvApi32Functions(), kClearEventLogA, eventLog, backupFileName);
}

BOOL CloseEventLog(HANDLE eventLog)
{
    return CallBound<decltype(CloseEventLog)>(AdvApi32Functions(), kCloseEventLog, eventLog);
}

BOOL GetNumberOfEventLogRecords(HANDLE eventLog, DWORD* numberOfRecords)
{
    return CallBound<decltype(GetNumberOfEventLogRecords)>(AdvApi32Functions(), kGetNumberOfEventLogRecords, eventLog,
                                                           numberOfRecords);
}

BOOL GetOldestEventLogRecord(HANDLE eventLog, DWORD* oldestRecord)
{
    return CallBound<decltype(GetOldestEventLogRecord)>(AdvApi32Functions(), kGetOldestEventLogRecord, eventLog,
                                                        oldestRecord);
}

BOOL NotifyChangeEventLog(HANDLE eventLog, HANDLE event)
{
    return CallBound<decltype(NotifyChangeEventLog)>(AdvApi32Functions(), kNotifyChangeEventLog, eventLog, event);
}

HANDLE OpenBackupEventLogA(LPCSTR serverName, LPCSTR fileName)
{
    return CallBound<decltype(OpenBackupEventLogA)>(AdvApi32Functions(), kOpenBackupEventLogA, serverName, fileName);
}

HANDLE OpenEventLogA(LPCSTR serverName, LPCSTR sourceName)
{
    return CallBound<decltype(OpenEventLogA)>(AdvApi32Functions(), kOpenEventLogA, serverName, sourceName);
}

BOOL ReadEventLogA(HANDLE eventLog, DWORD readFlags, DWORD recordOffset, LPVOID buffer, DWORD bytesToRead,
                   DWORD* bytesRead, DWORD* minNumberOfBytesNeeded)
{
    return CallBound<decltype(ReadEventLogA)>(AdvApi32Functions(), kReadEventLogA, eventLog, readFlags, recordOffset,
                                              buffer, bytesToRead, bytesRead, minNumberOfBytesNeeded);
}

bool CanReadEventLogRecords()
{
    // Only the platform's own service reads its own handles in place: with
    // another service's OpenBackupEventLogA or ReadEventLogA bound, the
    // reader reads with ReadEventLogA.
    const BindingGroup& group = AdvApi32Functions();
    return group.Entry(kReadEventLogRecords) != nullptr &&
           group.Entry(kOpenBackupEventLogA) == platform::ExportOf(&platform::OpenBackupEventLogA) &&
           group.Entry(kReadEventLogA) == platform::ExportOf(&platform::ReadEventLogA);
}

BOOL ReadEventLogRecords(HANDLE eventLog, DWORD readFlags, DWORD recordOffset, DWORD maxRecords,
                         platform::EventRecordSink take, void* context, DWORD* recordsTaken)
{
    return CallBound<decltype(ReadEventLogRecords)>(AdvApi32Functions(), kReadEventLogRecords, eventLog, readFlags,
                                                    recordOffset, maxRecords, take, context, recordsTaken);
}

LONG RegConnectRegistryA(LPCSTR machineName, HKEY key, PHKEY result)
{
    return CallBound<decltype(RegConnectRegistryA)>(ServiceFunctions(), kRegConnectRegistryA, machineName, key, result);
}

LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM desired, PHKEY result)
{
    return CallBound<decltype(RegOpenKeyExA)>(ServiceFunctions(), kRegOpenKeyExA, key, subKey, options, desired, result);
}

LONG RegCloseKey(HKEY key)
{
    return CallBound<decltype(RegCloseKey)>(ServiceFunctions(), kRegCloseKey, key);
}

LONG RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameSize, LPDWORD reserved, LPSTR className,
                   LPDWORD classSize, FILETIME* lastWriteTime)
{
    return CallBound<decltype(RegEnumKeyExA)>(ServiceFunctions(), kRegEnumKeyExA, key, index, name, nameSize, reserved,
                                              className, classSize, lastWriteTime);
}

LONG RegEnumValueA(HKEY key, DWORD index, LPSTR valueName, LPDWORD valueNameSize, LPDWORD reserved, LPDWORD type,
                   LPBYTE data, LPDWORD dataSize)
{
    return CallBound<decltype(RegEnumValueA)>(ServiceFunctions(), kRegEnumValueA, key, index, valueName, valueNameSize,
                                              reserved, type, data, dataSize);
}

LONG RegQueryInfoKeyA(HKEY key, LPSTR className, LPDWORD classSize, LPDWORD reserved, LPDWORD subKeys,
                      LPDWORD maxSubKeyLen, LPDWORD maxClassLen, LPDWORD values, LPDWORD maxValueNameLen,
                      LPDWORD maxValueLen, LPDWORD securityDescriptor, FILETIME* lastWriteTime)
{
    return CallBound<decltype(RegQueryInfoKeyA)>(ServiceFunctions(), kRegQueryInfoKeyA, key, className, classSize,
                                                 reserved, subKeys, maxSubKeyLen, maxClassLen, values, maxValueNameLen,
                                                 maxValueLen, securityDescriptor, lastWriteTime);
}

LONG RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD dataSize)
{
    return CallBound<decltype(RegQueryValueExA)>(ServiceFunctions(), kRegQueryValueExA, key, valueName, reserved, type,
                                                 data, dataSize);
}
