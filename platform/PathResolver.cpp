#include "PathResolver.h"

#include "ErrorCodes.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <mutex>
#include <vector>

namespace fs = std::filesystem;

namespace platform {
namespace {

std::mutex g_mutex;
std::string g_localDrive;

bool equalNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

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

} // namespace

void SetLocalSystemDrive(const std::string& hostDirectory)
{
    std::lock_guard lock(g_mutex);
    g_localDrive = hostDirectory;
}

DWORD ResolveCaseInsensitive(const std::string& hostDirectory, std::string_view relativeWindowsPath,
                             std::string& hostPath)
{
    const std::vector<std::string> parts = components(relativeWindowsPath);
    fs::path current = hostDirectory;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const std::string& part = parts[i];
        if (part == ".")
            continue;
        if (part == "..") {
            return ERROR_PATH_NOT_FOUND; // never walk out of the drive
        }
        std::error_code ec;
        fs::path match = current / part;
        if (!fs::exists(match, ec)) {
            bool found = false;
            for (fs::directory_iterator it(current, ec), end; !ec && it != end; it.increment(ec)) {
                if (equalNoCase(it->path().filename().string(), part)) {
                    match = it->path();
                    found = true;
                    break;
                }
            }
            if (!found && i + 1 < parts.size())
                return ERROR_PATH_NOT_FOUND;
        }
        current = match;
    }
    hostPath = current.string();
    return ERROR_SUCCESS;
}

DWORD ResolveWindowsPath(std::string_view windowsPath, std::string& hostPath)
{
    std::string drive;
    {
        std::lock_guard lock(g_mutex);
        drive = g_localDrive;
    }
    if (windowsPath.size() >= 2 && std::isalpha(static_cast<unsigned char>(windowsPath[0])) && windowsPath[1] == ':') {
        if (std::tolower(static_cast<unsigned char>(windowsPath[0])) != 'c' || drive.empty())
            return ERROR_PATH_NOT_FOUND;
        return ResolveCaseInsensitive(drive, windowsPath.substr(2), hostPath);
    }
    if (windowsPath.substr(0, 2) == "\\\\")
        return ERROR_BAD_NETPATH; // computers of the network come with the site
    return ERROR_INVALID_NAME;
}

} // namespace platform
