#include "LiveLogLocator.h"

#include "AsciiText.h"
#include "ErrorCodes.h"
#include "EventLogService.h"
#include "FileIo.h"
#include "Site.h"
#include "SiteEventLogs.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <mutex>
#include <unistd.h>
#include <vector>

namespace platform {
namespace {

struct Settings {
    std::mutex mutex;
    std::string directory;
};

Settings& settings()
{
    static Settings s;
    return s;
}

} // namespace

void SetLiveLogDirectory(const std::string& directory)
{
    std::lock_guard lock(settings().mutex);
    settings().directory = directory;
}

bool IsLocalServerName(LPCSTR serverName)
{
    if (!serverName)
        return true;
    std::string name = serverName;
    name.erase(0, name.find_first_not_of('\\'));
    if (name.empty() || name == "." || EqualsNoCase(name, "localhost"))
        return true;
    if (CurrentSite()->IsLocal(serverName))
        return true;
    char host[256] = {};
    return ::gethostname(host, sizeof host - 1) == 0 && EqualsNoCase(name, host);
}

// The live logs of a directory set by SetLiveLogDirectory (local computer only).
DWORD locateInDirectory(const std::string& directory, LPCSTR serverName, LPCSTR logName, std::string& filePath)
{
    if (!IsLocalServerName(serverName))
        return ERROR_BAD_NETPATH;
    if (!logName || !*logName)
        return ERROR_INVALID_PARAMETER;
    const std::string name = logName;
    if (name.find_first_of("/\\") != std::string::npos || name == "." || name == "..")
        return ERROR_INVALID_NAME;
    const std::string wanted = name + ".evt";
    filePath = (std::filesystem::path(directory) / wanted).string();
    std::vector<std::string> names;
    ListDirectory(directory, names);
    for (const std::string& entry : names) {
        if (EqualsNoCase(entry, wanted)) {
            filePath = (std::filesystem::path(directory) / entry).string();
            return ERROR_SUCCESS;
        }
    }
    return ERROR_FILE_NOT_FOUND;
}

DWORD LocateLiveLog(LPCSTR serverName, LPCSTR logName, std::string& filePath)
{
    std::string directory;
    {
        std::lock_guard lock(settings().mutex);
        directory = settings().directory;
    }
    if (!directory.empty())
        return locateInDirectory(directory, serverName, logName, filePath);
    if (const DWORD error = LocateLiveLogOnSite(serverName, logName, filePath); error != ERROR_SUCCESS)
        return error;
    std::error_code ec;
    return std::filesystem::is_regular_file(filePath, ec) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

DWORD LocateBackupFile(LPCSTR serverName, LPCSTR fileName, std::string& filePath)
{
    if (!fileName || !*fileName)
        return ERROR_INVALID_PARAMETER;
    if (IsLocalServerName(serverName) && fileName[0] == '/') {
        filePath = fileName; // a path of this machine
        return ERROR_SUCCESS;
    }
    return ResolveBackupFileOnSite(serverName, fileName, filePath);
}

} // namespace platform
