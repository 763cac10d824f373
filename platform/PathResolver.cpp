#include "PathResolver.h"

#include "ErrorCodes.h"
#include "FileIo.h"
#include "RegistryKey.h"
#include "Site.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <mutex>
#include <vector>

#include <sys/stat.h>

namespace fs = std::filesystem;

namespace platform {
namespace {

std::mutex g_mutex;
std::string g_localDriveOverride;

std::vector<std::string> components(std::string_view path)
{
    std::vector<std::string> parts;
    std::string current;
    for (char c : path) {
        if (c == '\\' || c == '/') {
            if (!current.empty())
                parts.push_back(std::move(current));
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty())
        parts.push_back(std::move(current));
    return parts;
}

bool isDrivePath(std::string_view path)
{
    return path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':';
}

bool isUncPath(std::string_view path)
{
    return path.size() >= 2 && path[0] == '\\' && path[1] == '\\';
}

std::string driveOf(const Site& site, const SiteComputer& computer)
{
    if (&computer == &site.LocalComputer()) {
        std::lock_guard lock(g_mutex);
        if (!g_localDriveOverride.empty())
            return g_localDriveOverride;
    }
    return computer.SystemDriveDirectory();
}

// "C:\rest" on a computer already reached.
DWORD resolveOnDrive(const Site& site, const SiteComputer& computer, std::string_view drivePath, std::string& hostPath)
{
    if (std::tolower(static_cast<unsigned char>(drivePath[0])) != 'c')
        return ERROR_PATH_NOT_FOUND;
    const std::string drive = driveOf(site, computer);
    if (drive.empty())
        return ERROR_PATH_NOT_FOUND;
    return ResolveCaseInsensitive(drive, drivePath.substr(2), hostPath);
}

DWORD resolveUnc(const Site& site, std::string_view path, std::string& hostPath)
{
    std::string_view rest = path.substr(2);
    const std::size_t slash = rest.find_first_of("\\/");
    const std::string computerName(rest.substr(0, slash));
    if (computerName.empty())
        return ERROR_BAD_NETPATH;
    rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
    const std::size_t shareEnd = rest.find_first_of("\\/");
    const std::string share = RegistryNameKey(rest.substr(0, shareEnd));
    const std::string_view below = shareEnd == std::string_view::npos ? std::string_view() : rest.substr(shareEnd);

    const SiteComputer* computer = nullptr;
    if (const DWORD code = ReachComputer(site, computerName.c_str(), RemoteService::Files, computer))
        return code;
    if (share == "C$")
        return resolveOnDrive(site, *computer, "C:" + std::string(below), hostPath);
    if (share == "ADMIN$") {
        const std::string root = SystemRootOf(*computer);
        if (!isDrivePath(root))
            return ERROR_PATH_NOT_FOUND;
        return resolveOnDrive(site, *computer, root + "\\" + std::string(below), hostPath);
    }
    return ERROR_BAD_NET_NAME;
}

} // namespace

void SetLocalSystemDrive(const std::string& hostDirectory)
{
    std::lock_guard lock(g_mutex);
    g_localDriveOverride = hostDirectory;
}

DWORD ResolveCaseInsensitive(const std::string& hostDirectory, std::string_view relativeWindowsPath,
                             std::string& hostPath)
{
    const std::vector<std::string> parts = components(relativeWindowsPath);
    // Most paths are written as they are on disk: when the whole path
    // exists as given, every component matches exactly, and one look at the
    // disk tells.
    if (std::none_of(parts.begin(), parts.end(), [](const std::string& p) { return p == "." || p == ".."; })) {
        // The components joined as the path's "/" joins them.
        std::string exact = hostDirectory;
        for (const std::string& part : parts) {
            if (!exact.empty() && exact.back() != '/')
                exact += '/';
            exact += part;
        }
        struct stat st{};
        if (::stat(exact.c_str(), &st) == 0) {
            hostPath = std::move(exact);
            return ERROR_SUCCESS;
        }
    }
    fs::path current = hostDirectory;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const std::string& part = parts[i];
        if (part == ".")
            continue;
        if (part == "..")
            return ERROR_PATH_NOT_FOUND; // never walk out of the drive
        std::error_code ec;
        fs::path match = current / part;
        if (!fs::exists(match, ec)) {
            std::string best;
            const std::string wanted = RegistryNameKey(part);
            std::vector<std::string> names;
            ListDirectory(current.string(), names);
            for (const std::string& name : names)
                if (RegistryNameKey(name) == wanted && (best.empty() || name < best))
                    best = name;
            if (!best.empty())
                match = current / best;
            else if (i + 1 < parts.size())
                return ERROR_PATH_NOT_FOUND;
        }
        current = match;
    }
    hostPath = current.string();
    return ERROR_SUCCESS;
}

DWORD ResolveWindowsPath(std::string_view windowsPath, std::string& hostPath)
{
    return ResolveWindowsPathOn({}, windowsPath, hostPath);
}

DWORD ResolveWindowsPathOn(std::string_view computer, std::string_view windowsPath, std::string& hostPath)
{
    const auto site = CurrentSite();
    if (isUncPath(windowsPath))
        return resolveUnc(*site, windowsPath, hostPath);
    if (!isDrivePath(windowsPath))
        return ERROR_INVALID_NAME;
    const std::string name(computer);
    const SiteComputer* target = nullptr;
    if (const DWORD code = ReachComputer(*site, name.c_str(), RemoteService::Files, target))
        return code;
    return resolveOnDrive(*site, *target, windowsPath, hostPath);
}

} // namespace platform
