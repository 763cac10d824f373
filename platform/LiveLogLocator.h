#pragma once
// Where the files of the event-log service live: the one seam between the
// service and the layout of computers.  For now the live logs of the local
// computer are the files "<dir>/<logName>.evt" of the directory given to
// SetLiveLogDirectory (the log name matched without regard to case), and a
// backup file name is a path of this machine.  Other computers are not
// reachable yet (ERROR_BAD_NETPATH).

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
