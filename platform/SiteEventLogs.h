#pragma once
// Where the event-log service of a computer of the site keeps its logs.
// The service's configuration lives in the computer's registry:
//
//     HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Services\EventLog\<log>
//         "File"       REG_EXPAND_SZ or REG_SZ, e.g.
//                      "%SystemRoot%\system32\config\SysEvent.Evt"
//         "MaxSize"    REG_DWORD
//         "Retention"  REG_DWORD
//         <source>\    one subkey per event source
//
// A server name (as OpenEventLogA and OpenBackupEventLogA take it) is null,
// empty or the local computer's name for the local computer, else the name
// of a computer of the site, with or without its leading backslashes.

#include "Win32Types.h"

#include <string>

namespace platform {

// The host file of the live log `logName` on `serverName`.
//   ERROR_BAD_NETPATH          the computer is unknown
//   RPC_S_SERVER_UNAVAILABLE   the computer does not answer
//   ERROR_ACCESS_DENIED        the computer requires a connection not yet made
//   ERROR_INVALID_PARAMETER    no log name
//   ERROR_FILE_NOT_FOUND       no such log: its key is missing (the service
//                              opens no other log in its place)
//   ERROR_BADDB                the computer's registry file is damaged
//   ERROR_INVALID_DATA         "File" is not a text value
//   ERROR_PATH_NOT_FOUND etc.  the file's path does not resolve (PathResolver.h)
// Without a "File" value the log is kept in
// "%SystemRoot%\system32\config\<log>.evt".  "%SystemRoot%" (and "%windir%")
// expand to that computer's system root, "%SystemDrive%" to "C:", in any
// case.  The file need not exist yet.
DWORD LocateLiveLogOnSite(LPCSTR serverName, LPCSTR logName, std::string& hostFilePath);

// The host file of a backup file opened on `serverName`: a Windows path
// ("C:\...", "\\NAME\C$\...") resolves on that computer, any other path is
// a host path and stays as it is.  The computer is checked as above;
// ERROR_INVALID_PARAMETER for no file name.
DWORD ResolveBackupFileOnSite(LPCSTR serverName, LPCSTR fileName, std::string& hostFilePath);

} // namespace platform
