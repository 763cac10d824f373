#include "SiteEventLogs.h"

#include "ErrorCodes.h"
#include "PathResolver.h"
#include "RegistryTypes.h"
#include "Site.h"

#include <cctype>

namespace platform {
namespace {

// Replaces every "%name%" (any case) by `value`.
std::string replaceVariable(std::string text, const std::string& name, const std::string& value)
{
    const std::string pattern = "%" + RegistryNameKey(name) + "%";
    std::size_t from = 0;
    while (true) {
        const std::size_t at = RegistryNameKey(text).find(pattern, from);
        if (at == std::string::npos)
            return text;
        text.replace(at, pattern.size(), value);
        from = at + value.size();
    }
}

bool isWindowsPath(std::string_view path)
{
    return (path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':') ||
           (path.size() >= 2 && path[0] == '\\' && path[1] == '\\');
}

} // namespace

DWORD LocateLiveLogOnSite(LPCSTR serverName, LPCSTR logName, std::string& hostFilePath)
{
    const auto site = CurrentSite();
    const SiteComputer* computer = nullptr;
    if (const DWORD code = ReachComputer(*site, serverName, RemoteService::EventLog, computer))
        return code;
    if (!logName || !*logName)
        return ERROR_INVALID_PARAMETER;
    const std::string log(logName);
    if (log.find('\\') != std::string::npos)
        return ERROR_FILE_NOT_FOUND;

    bool found = false;
    std::string file;
    const DWORD code = computer->machineRegistry->Read([&](const RegistryKey& hive) -> DWORD {
        const RegistryKey* key = hive.Find({"SYSTEM", "CurrentControlSet", "Services", "EventLog", log});
        if (!key)
            return ERROR_SUCCESS;
        found = true;
        const RegistryValue* value = key->FindValue("File");
        if (!value)
            return ERROR_SUCCESS;
        if (value->type != REG_SZ && value->type != REG_EXPAND_SZ)
            return ERROR_INVALID_DATA;
        const std::string text(value->data.begin(), value->data.end());
        file = text.substr(0, text.find('\0'));
        return ERROR_SUCCESS;
    });
    if (code)
        return code;
    if (!found)
        return ERROR_FILE_NOT_FOUND;
    if (file.empty())
        file = "%SystemRoot%\\system32\\config\\" + log + ".evt";

    const std::string root = SystemRootOf(*computer);
    file = replaceVariable(file, "SystemRoot", root);
    file = replaceVariable(file, "windir", root);
    file = replaceVariable(file, "SystemDrive", "C:");
    return ResolveWindowsPathOn(computer->name, file, hostFilePath);
}

DWORD ResolveBackupFileOnSite(LPCSTR serverName, LPCSTR fileName, std::string& hostFilePath)
{
    const auto site = CurrentSite();
    const SiteComputer* computer = nullptr;
    if (const DWORD code = ReachComputer(*site, serverName, RemoteService::EventLog, computer))
        return code;
    if (!fileName || !*fileName)
        return ERROR_INVALID_PARAMETER;
    if (!isWindowsPath(fileName)) {
        hostFilePath = fileName;
        return ERROR_SUCCESS;
    }
    return ResolveWindowsPathOn(computer->name, fileName, hostFilePath);
}

} // namespace platform
