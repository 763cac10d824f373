// Sites and their network: any site.ini either loads or is refused with a
// message; a site that loads is browsed level by level with buffers of
// several sizes, and every record handed out must lie in its buffer with
// its texts after the records.
#include "ScratchFolder.h"

#include "platform/ErrorCodes.h"
#include "platform/Mpr.h"
#include "platform/Site.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

// A text that a record points to lies after the records and ends in the
// buffer.
void checkText(const char* text, const std::vector<char>& buffer, std::size_t records)
{
    if (!text)
        return;
    const char* begin = buffer.data() + records * sizeof(NETRESOURCEA);
    const char* end = buffer.data() + buffer.size();
    check(text >= begin && text < end);
    check(std::memchr(text, '\0', static_cast<std::size_t>(end - text)) != nullptr);
}

void checkRecords(const std::vector<char>& buffer, DWORD count)
{
    check(count <= buffer.size() / sizeof(NETRESOURCEA));
    for (DWORD i = 0; i < count; ++i) {
        NETRESOURCEA record;
        std::memcpy(&record, buffer.data() + i * sizeof record, sizeof record);
        for (const char* text : {record.lpLocalName, record.lpRemoteName, record.lpComment, record.lpProvider})
            checkText(text, buffer, count);
    }
}

// A record with texts of its own.
struct OwnedRecord {
    explicit OwnedRecord(const NETRESOURCEA& from)
        : record(from)
        , local(from.lpLocalName ? from.lpLocalName : "")
        , remote(from.lpRemoteName ? from.lpRemoteName : "")
        , comment(from.lpComment ? from.lpComment : "")
        , provider(from.lpProvider ? from.lpProvider : "")
    {
    }

    const NETRESOURCEA* get()
    {
        record.lpLocalName = local.data();
        record.lpRemoteName = remote.data();
        record.lpComment = comment.data();
        record.lpProvider = provider.data();
        return &record;
    }

    NETRESOURCEA record;
    std::string local, remote, comment, provider;
};

void checkParent(const NETRESOURCEA& record)
{
    std::vector<char> parent(256);
    DWORD size = static_cast<DWORD>(parent.size());
    DWORD result = WNetGetResourceParentA(&record, parent.data(), &size);
    if (result == ERROR_MORE_DATA) {
        check(size > parent.size());
        parent.resize(size);
        result = WNetGetResourceParentA(&record, parent.data(), &size);
    }
    if (result == 0)
        checkRecords(parent, 1);
}

void walk(const NETRESOURCEA* start, DWORD bufferSize, int depth)
{
    HANDLE handle = nullptr;
    if (WNetOpenEnumA(RESOURCE_GLOBALNET, RESOURCETYPE_ANY, 0, start, &handle) != 0)
        return;
    std::vector<char> buffer(bufferSize);
    std::vector<OwnedRecord> containers;
    for (int calls = 0;; ++calls) {
        check(calls < 100000);
        DWORD count = 0xFFFFFFFF;
        DWORD size = static_cast<DWORD>(buffer.size());
        const DWORD result = WNetEnumResourceA(handle, &count, buffer.data(), &size);
        if (result == ERROR_MORE_DATA) {
            check(count == 0 && size > buffer.size());
            buffer.resize(size);
            continue;
        }
        if (result != 0)
            break;
        check(count > 0);
        checkRecords(buffer, count);
        for (DWORD i = 0; i < count; ++i) {
            NETRESOURCEA record;
            std::memcpy(&record, buffer.data() + i * sizeof record, sizeof record);
            checkParent(record);
            if (record.dwUsage & RESOURCEUSAGE_CONTAINER)
                containers.emplace_back(record);
        }
    }
    check(WNetCloseEnum(handle) == 0);
    if (depth < 3)
        for (OwnedRecord& container : containers)
            walk(container.get(), bufferSize, depth + 1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const ScratchFolder directory("qvnetfuzz");
    if (size > 64 * 1024)
        return 0;
    {
        std::ofstream out(fs::path(directory.path()) / "site.ini", std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    if (!platform::LoadSite(directory.path())) {
        check(!platform::SiteError().empty());
        return 0;
    }
    for (DWORD bufferSize : {0u, 64u, 16384u})
        walk(nullptr, bufferSize, 0);
    return 0;
}
