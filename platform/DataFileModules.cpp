#include "DataFileModules.h"

#include "AsciiText.h"
#include "FileIo.h"
#include "Kernel32.h"
#include "MessageTable.h"
#include "PathResolver.h"
#include "PeImage.h"
#include "PlatformProfile.h"
#include "SystemRoot.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <unordered_map>
#include <span>

namespace fs = std::filesystem;

namespace platform {
namespace {

// A message file larger than this is refused rather than read.
constexpr std::uintmax_t kMaxImageSize = 256u * 1024 * 1024;
// Parsed images kept for the next load of the same file: descriptions load
// their message files again for every event.
constexpr std::size_t kCachedImages = 8;

// Handles: odd values far above the platform's own module handles and
// never a kernel handle (those are multiples of four).
constexpr std::uintptr_t kDataFileHandleBase = 0x40000001;
constexpr std::uintptr_t kDataFileHandleStep = 0x10;

struct CachedImage {
    std::string hostPath;
    std::uintmax_t size = 0;
    fs::file_time_type modified;
    std::shared_ptr<const PeImage> image;
};

// The messages of one loaded module as FindModuleMessage gave them, result
// codes included: the descriptions of a log look up the same few messages
// again and again.
struct ModuleMessages {
    std::mutex mutex;
    std::unordered_map<std::uint64_t, std::pair<DWORD, std::string>> found;
};

struct LoadedModule {
    std::shared_ptr<const PeImage> image;
    std::shared_ptr<ModuleMessages> messages;
};

struct Registry {
    std::mutex mutex;
    std::map<std::uintptr_t, LoadedModule> modules;
    std::uintptr_t next = kDataFileHandleBase;
    std::list<CachedImage> cache; // most recently used first
};

Registry& registry()
{
    static Registry r;
    return r;
}

LoadedModule loadedModule(HMODULE module)
{
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    auto it = r.modules.find(reinterpret_cast<std::uintptr_t>(module));
    return it == r.modules.end() ? LoadedModule{} : it->second;
}

HMODULE addModule(std::shared_ptr<const PeImage> image)
{
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    const std::uintptr_t value = r.next;
    r.next += kDataFileHandleStep;
    r.modules.emplace(value, LoadedModule{std::move(image), std::make_shared<ModuleMessages>()});
    return reinterpret_cast<HMODULE>(value);
}

// Every "%SystemRoot%", in any case, replaced by the local system root.
std::string expandSystemRoot(const std::string& name)
{
    static const std::string variable = "%systemroot%";
    const std::string lower = AsciiLower(name);
    std::string result;
    std::size_t from = 0;
    for (std::size_t at = lower.find(variable); at != std::string::npos; at = lower.find(variable, from)) {
        result += name.substr(from, at - from);
        result += LocalSystemRoot();
        from = at + variable.size();
    }
    result += name.substr(from);
    return result;
}

bool isBareName(const std::string& name)
{
    return name.find_first_of("\\/:") == std::string::npos;
}

// The host file that a module name stands for, or the platform's error.
DWORD resolveModuleFile(const std::string& fileName, std::string& hostPath)
{
    const std::string name = expandSystemRoot(fileName);
    if (!name.empty() && name[0] == '/') {
        hostPath = name; // a host path given as it is
        return ERROR_SUCCESS;
    }
    if (isBareName(name)) {
        // A bare file name is looked for where the platform's loader looks:
        // the system directory, then the system root.
        const std::string root = LocalSystemRoot();
        for (const std::string& candidate : {root + "\\system32\\" + name, root + "\\" + name}) {
            std::string found;
            std::error_code ec;
            if (ResolveWindowsPath(candidate, found) == ERROR_SUCCESS && fs::is_regular_file(found, ec)) {
                hostPath = found;
                return ERROR_SUCCESS;
            }
        }
        return ERROR_MOD_NOT_FOUND;
    }
    return ResolveWindowsPath(name, hostPath);
}

// Reads a message file whole once its start shows that it may be a PE
// image: a file that is none is refused after its first bytes, however
// large it is.  Only a regular file is read (a FIFO would block).
DWORD readFile(const std::string& hostPath, std::uintmax_t size, std::vector<BYTE>& bytes)
{
    FileDescriptor file;
    std::uint64_t opened = 0;
    std::string why;
    if (file.openForReading(hostPath, opened, why) != ERROR_SUCCESS)
        return ERROR_ACCESS_DENIED;
    BYTE start[PeImage::kStartSize];
    std::size_t done = 0;
    if (file.readAt(0, start, sizeof start, done) != ERROR_SUCCESS)
        return ERROR_READ_FAULT;
    if (!PeImage::MayBeImage(std::span<const BYTE>(start, done), size))
        return ERROR_BAD_EXE_FORMAT;
    bytes.resize(static_cast<std::size_t>(size));
    if (file.readAt(0, bytes.data(), bytes.size(), done) != ERROR_SUCCESS || done != bytes.size())
        return ERROR_READ_FAULT;
    return ERROR_SUCCESS;
}

// The parsed image of a host file: from the cache when the file has not
// changed since, else read and parsed now.
DWORD imageOfFile(const std::string& hostPath, std::shared_ptr<const PeImage>& image)
{
    std::error_code ec;
    const fs::file_status status = fs::status(hostPath, ec);
    if (ec || !fs::exists(status))
        return ERROR_FILE_NOT_FOUND;
    if (fs::is_directory(status))
        return ERROR_ACCESS_DENIED;
    const std::uintmax_t size = fs::file_size(hostPath, ec);
    if (ec)
        return ERROR_ACCESS_DENIED;
    const fs::file_time_type modified = fs::last_write_time(hostPath, ec);
    if (ec)
        return ERROR_ACCESS_DENIED;
    if (size > kMaxImageSize)
        return ERROR_NOT_ENOUGH_MEMORY;

    Registry& r = registry();
    {
        std::lock_guard lock(r.mutex);
        for (auto it = r.cache.begin(); it != r.cache.end(); ++it) {
            if (it->hostPath != hostPath)
                continue;
            if (it->size == size && it->modified == modified) {
                image = it->image;
                r.cache.splice(r.cache.begin(), r.cache, it);
                return ERROR_SUCCESS;
            }
            r.cache.erase(it);
            break;
        }
    }

    std::vector<BYTE> bytes;
    if (DWORD e = readFile(hostPath, size, bytes))
        return e;
    auto parsed = std::make_shared<PeImage>();
    if (DWORD e = PeImage::Parse(std::move(bytes), *parsed))
        return e;
    image = parsed;

    std::lock_guard lock(r.mutex);
    r.cache.push_front({hostPath, size, modified, image});
    if (r.cache.size() > kCachedImages)
        r.cache.pop_back();
    return ERROR_SUCCESS;
}

// The language whose message table a look-up in language 0 reads.
WORD chooseLanguage(const std::vector<WORD>& available)
{
    const WORD preferred[] = {0x0000, 0x0400, 0x0800, CurrentProfile().uiLanguage, 0x0409};
    for (WORD language : preferred)
        if (std::find(available.begin(), available.end(), language) != available.end())
            return language;
    return available.front();
}

} // namespace

DWORD LoadDataFileImage(std::vector<BYTE> bytes, HMODULE& module)
{
    auto image = std::make_shared<PeImage>();
    if (DWORD e = PeImage::Parse(std::move(bytes), *image))
        return e;
    module = addModule(std::move(image));
    return ERROR_SUCCESS;
}

bool IsDataFileModule(HMODULE module)
{
    return loadedModule(module).image != nullptr;
}

bool FreeDataFileModule(HMODULE module)
{
    LoadedModule released; // freed outside the lock
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    auto it = r.modules.find(reinterpret_cast<std::uintptr_t>(module));
    if (it == r.modules.end())
        return false;
    released = std::move(it->second);
    r.modules.erase(it);
    return true;
}

namespace {

DWORD findMessage(const PeImage& image, DWORD messageId, DWORD languageId, std::string& text)
{
    if (languageId > 0xFFFF)
        return ERROR_RESOURCE_LANG_NOT_FOUND;
    WORD language = static_cast<WORD>(languageId);
    if (language == 0) {
        std::vector<WORD> available;
        if (DWORD e = image.ResourceLanguages(kResourceTypeMessageTable, 1, available))
            return e;
        language = chooseLanguage(available);
    }
    std::span<const BYTE> data;
    if (DWORD e = image.FindResource(kResourceTypeMessageTable, 1, language, data))
        return e;
    return MessageTable(data).Find(messageId, text);
}

} // namespace

DWORD FindModuleMessage(HMODULE module, DWORD messageId, DWORD languageId, std::string& text)
{
    const LoadedModule loaded = loadedModule(module);
    if (!loaded.image)
        return ERROR_INVALID_HANDLE;
    const std::uint64_t key = (std::uint64_t{languageId} << 32) | messageId;
    ModuleMessages& messages = *loaded.messages;
    {
        std::lock_guard lock(messages.mutex);
        const auto known = messages.found.find(key);
        if (known != messages.found.end()) {
            if (known->second.first == ERROR_SUCCESS)
                text = known->second.second;
            return known->second.first;
        }
    }
    std::string found;
    const DWORD e = findMessage(*loaded.image, messageId, languageId, found);
    std::lock_guard lock(messages.mutex);
    messages.found.emplace(key, std::make_pair(e, found));
    if (e == ERROR_SUCCESS)
        text = std::move(found);
    return e;
}

} // namespace platform

HMODULE LoadLibraryExA(LPCSTR fileName, HANDLE file, DWORD flags)
{
    if (file) {
        SetLastError(ERROR_INVALID_PARAMETER); // reserved: must be null
        return nullptr;
    }
    if (!(flags & (LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE | LOAD_LIBRARY_AS_DATAFILE_EXCLUSIVE)))
        return LoadLibraryA(fileName);
    if (!fileName || !*fileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    // A message file is read whole: memory that cannot be had for it fails
    // the load as the platform's does, with no exception out of this call.
    try {
        std::string hostPath;
        if (DWORD e = platform::resolveModuleFile(fileName, hostPath)) {
            SetLastError(e);
            return nullptr;
        }
        std::shared_ptr<const platform::PeImage> image;
        if (DWORD e = platform::imageOfFile(hostPath, image)) {
            SetLastError(e);
            return nullptr;
        }
        return platform::addModule(std::move(image));
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
}
