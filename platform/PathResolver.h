#pragma once
// Windows paths resolved to files of the host, on the computers of the site
// (Site.h):
//
//     C:\WINDOWS\system32\x.dll          drive C: of the local computer
//     \\SRV1\C$\WINDOWS\system32\x.dll   drive C: of SRV1
//     \\SRV1\ADMIN$\system32\x.dll       the system root of SRV1
//
// Every component is matched without regard to case (ASCII letters), as the
// platform matches paths: message-file paths arrive lower-cased.

#include "Win32Types.h"

#include <string>
#include <string_view>

namespace platform {

// ERROR_SUCCESS with the host path of an existing or not yet existing file,
// or the platform's code: ERROR_PATH_NOT_FOUND (a directory on the way is
// missing, a drive other than C:), ERROR_BAD_NETPATH (an unknown or
// unreachable computer), ERROR_BAD_NET_NAME (a share other than C$ and
// ADMIN$), ERROR_ACCESS_DENIED (a computer that requires a connection not
// yet made), ERROR_INVALID_NAME (not a Windows path).
DWORD ResolveWindowsPath(std::string_view windowsPath, std::string& hostPath);

// The same, with a drive path meant on `computer` (empty, or the local
// computer's name, with or without leading backslashes: the local one).
// A UNC path names its computer itself.
DWORD ResolveWindowsPathOn(std::string_view computer, std::string_view windowsPath, std::string& hostPath);

// Puts drive C: of the local computer into another host directory, whatever
// the site says; an empty directory goes back to the site's.
void SetLocalSystemDrive(const std::string& hostDirectory);

// Matches one path below a host directory component by component without
// regard to case (an exact match first, else the first match in byte
// order); components that do not exist are kept as given.
// ERROR_PATH_NOT_FOUND when a directory on the way is missing or the path
// leaves the directory with "..".
DWORD ResolveCaseInsensitive(const std::string& hostDirectory, std::string_view relativeWindowsPath,
                             std::string& hostPath);

} // namespace platform
