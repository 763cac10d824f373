// FindFirstFileA, FindNextFileA and FindClose over the drives of the site's
// computers.

#include "HandleTable.h"
#include "Kernel32.h"
#include "PathResolver.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace platform {
namespace {

// The matches of one search; the handle hands them out in order.
class FindObject final : public KernelObject {
public:
    std::vector<WIN32_FIND_DATAA> found;
    std::size_t next = 0;
};

FILETIME fileTimeOf(std::int64_t seconds, std::int64_t nanoseconds)
{
    // 11644473600 seconds lie between 1601-01-01 and 1970-01-01.
    const std::int64_t since1601 = seconds + 11644473600LL;
    const std::uint64_t ticks =
        since1601 < 0 ? 0 : static_cast<std::uint64_t>(since1601) * 10000000ULL + static_cast<std::uint64_t>(nanoseconds / 100);
    return FILETIME{static_cast<DWORD>(ticks & 0xFFFFFFFFu), static_cast<DWORD>(ticks >> 32)};
}

// The facts of one host file; false when it cannot be read.
bool describe(const fs::path& path, WIN32_FIND_DATAA& data)
{
    struct statx facts {};
    if (statx(AT_FDCWD, path.c_str(), 0, STATX_BASIC_STATS | STATX_BTIME, &facts) != 0)
        return false;
    data = WIN32_FIND_DATAA{};
    const bool directory = S_ISDIR(facts.stx_mode);
    data.dwFileAttributes = directory ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
    if ((facts.stx_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        data.dwFileAttributes |= FILE_ATTRIBUTE_READONLY;
    const auto timeOf = [](const statx_timestamp& t) { return fileTimeOf(t.tv_sec, t.tv_nsec); };
    data.ftLastWriteTime = timeOf(facts.stx_mtime);
    data.ftLastAccessTime = timeOf(facts.stx_atime);
    data.ftCreationTime = (facts.stx_mask & STATX_BTIME) ? timeOf(facts.stx_btime) : data.ftLastWriteTime;
    const std::uint64_t size = directory ? 0 : facts.stx_size;
    data.nFileSizeHigh = static_cast<DWORD>(size >> 32);
    data.nFileSizeLow = static_cast<DWORD>(size & 0xFFFFFFFFu);
    const std::string name = path.filename().string();
    const std::size_t length = std::min<std::size_t>(name.size(), MAX_PATH - 1);
    std::memcpy(data.cFileName, name.data(), length);
    return true;
}

char lowerCase(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// "*" any run of characters, "?" any one character; letters in any case.
bool matches(std::string_view pattern, std::string_view name)
{
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t star = std::string_view::npos;
    std::size_t resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || lowerCase(pattern[p]) == lowerCase(name[n]))) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = n;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

DWORD search(std::string_view path, std::vector<WIN32_FIND_DATAA>& found)
{
    const std::size_t cut = path.find_last_of("\\/");
    const std::string_view last = cut == std::string_view::npos ? path : path.substr(cut + 1);
    if (last.empty())
        return ERROR_FILE_NOT_FOUND;
    std::string hostPath;
    if (path.front() == '/')
        hostPath = path; // a path of this machine, as backup files may have
    else if (const DWORD code = ResolveWindowsPath(path, hostPath))
        return code;
    WIN32_FIND_DATAA data;
    if (last.find_first_of("*?") == std::string_view::npos) {
        if (!describe(hostPath, data))
            return ERROR_FILE_NOT_FOUND;
        found.push_back(data);
        return ERROR_SUCCESS;
    }
    // A pattern: the directory it lies in, then every entry that matches.
    const fs::path directory = fs::path(hostPath).parent_path();
    std::error_code ec;
    std::vector<fs::path> entries;
    for (fs::directory_iterator it(directory, ec), end; !ec && it != end; it.increment(ec))
        if (matches(last, it->path().filename().string()))
            entries.push_back(it->path());
    if (ec && entries.empty())
        return ERROR_PATH_NOT_FOUND;
    std::sort(entries.begin(), entries.end());
    for (const fs::path& entry : entries)
        if (describe(entry, data))
            found.push_back(data);
    return found.empty() ? ERROR_FILE_NOT_FOUND : ERROR_SUCCESS;
}

} // namespace
} // namespace platform

using namespace platform;

HANDLE FindFirstFileA(LPCSTR fileName, WIN32_FIND_DATAA* data)
{
    if (!fileName || !*fileName || !data) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    auto search = std::make_shared<FindObject>();
    if (const DWORD code = platform::search(fileName, search->found)) {
        SetLastError(code);
        return INVALID_HANDLE_VALUE;
    }
    *data = search->found.front();
    search->next = 1;
    SetLastError(ERROR_SUCCESS);
    return InsertHandle(std::move(search));
}

BOOL FindNextFileA(HANDLE findFile, WIN32_FIND_DATAA* data)
{
    const auto search = LookupHandleAs<FindObject>(findFile);
    if (!search || !data) {
        SetLastError(search ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (search->next >= search->found.size()) {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    *data = search->found[search->next++];
    return TRUE;
}

BOOL FindClose(HANDLE findFile)
{
    if (!LookupHandleAs<FindObject>(findFile) || !RemoveHandle(findFile)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}
