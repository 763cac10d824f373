#pragma once
// Where the files of the event-log service live: the one seam between the
// service and the layout of computers.  Live logs are those of the site's
// computers (SiteEventLogs.h); while a directory is set by
// SetLiveLogDirectory, the live logs of the local computer are instead the
// files "<dir>/<logName>.evt" there (the log name matched without regard to
// case).  A backup file name is a Windows path on the given computer or a
// path of this machine.

#include "Win32Types.h"

#include <string>

namespace platform {

// The file of a live log.  ERROR_SUCCESS, or ERROR_FILE_NOT_FOUND with
// filePath set to where the log's file would be, or another error code.
DWORD LocateLiveLog(LPCSTR serverName, LPCSTR logName, std::string& filePath);

// The file a backup name stands for on the given server.
DWORD LocateBackupFile(LPCSTR serverName, LPCSTR fileName, std::string& filePath);

// True for a server name that means this computer: none, empty, ".",
// "localhost" or the host name, with or without leading backslashes.
bool IsLocalServerName(LPCSTR serverName);

} // namespace platform
