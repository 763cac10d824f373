#pragma once
// Windows paths ("C:\WINDOWS\system32\x.dll", "\\SRV1\C$\...",
// "\\SRV1\ADMIN$\system32\...") resolved to files of the host, matching
// every component without regard to case as the platform does.

#include "Win32Types.h"

#include <string>
#include <string_view>

namespace platform {

// ERROR_SUCCESS with the host path of an existing or not yet existing file,
// or the platform's code: ERROR_PATH_NOT_FOUND (a directory on the way is
// missing), ERROR_BAD_NETPATH (an unknown computer), ERROR_BAD_NET_NAME (an
// unknown share), ERROR_INVALID_NAME (not a Windows path).
DWORD ResolveWindowsPath(std::string_view windowsPath, std::string& hostPath);

// The host directory that stands for drive C: of the local computer.
void SetLocalSystemDrive(const std::string& hostDirectory);

// Matches one path below a host directory component by component without
// regard to case; components that do not exist are kept as given.
// ERROR_PATH_NOT_FOUND when a directory on the way is missing.
DWORD ResolveCaseInsensitive(const std::string& hostDirectory, std::string_view relativeWindowsPath,
                             std::string& hostPath);

} // namespace platform
