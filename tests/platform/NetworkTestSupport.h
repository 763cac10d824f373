#pragma once
// Helpers of the network browsing tests: resources to hand in, records read
// back as text, and a whole enumeration of one level.

#include "platform/Mpr.h"

#include <cstring>
#include <string>
#include <vector>

// A NETRESOURCEA with texts of its own; empty texts are handed in as null.
class TestResource {
public:
    explicit TestResource(std::string remoteName, DWORD usage = RESOURCEUSAGE_CONTAINER, std::string provider = {},
                          DWORD displayType = RESOURCEDISPLAYTYPE_GENERIC, std::string localName = {})
        : remote_(std::move(remoteName))
        , provider_(std::move(provider))
        , local_(std::move(localName))
    {
        record_.dwUsage = usage;
        record_.dwDisplayType = displayType;
    }

    const NETRESOURCEA* get()
    {
        record_.lpRemoteName = remote_.empty() ? nullptr : remote_.data();
        record_.lpProvider = provider_.empty() ? nullptr : provider_.data();
        record_.lpLocalName = local_.empty() ? nullptr : local_.data();
        return &record_;
    }

private:
    std::string remote_;
    std::string provider_;
    std::string local_;
    NETRESOURCEA record_{};
};

// A record read from a buffer the platform filled (which need not be
// aligned for it).
inline NETRESOURCEA RecordAt(const void* buffer, std::size_t index)
{
    NETRESOURCEA record;
    std::memcpy(&record, static_cast<const char*>(buffer) + index * sizeof record, sizeof record);
    return record;
}

// "server \\DC1 (Controller) [Microsoft Windows Network] usage=2 type=0
// scope=2"; a local name, which the platform never gives, shows as
// "local=...".
inline std::string Describe(const NETRESOURCEA& r)
{
    static const char* const displays[] = {"generic", "domain", "server", "share", "4", "5", "network"};
    std::string text = r.dwDisplayType < 7 ? displays[r.dwDisplayType] : std::to_string(r.dwDisplayType);
    text += std::string(" ") + (r.lpRemoteName ? r.lpRemoteName : "<null>");
    if (r.lpComment)
        text += std::string(" (") + r.lpComment + ")";
    text += std::string(" [") + (r.lpProvider ? r.lpProvider : "<null>") + "]";
    text += " usage=" + std::to_string(r.dwUsage) + " type=" + std::to_string(r.dwType) +
            " scope=" + std::to_string(r.dwScope);
    if (r.lpLocalName)
        text += std::string(" local=") + r.lpLocalName;
    return text;
}

// The entries of one level, read to the end.
struct TestWalk {
    DWORD code = 0; // the open's failure, or what ended the reading (259 at the end)
    std::vector<std::string> entries;
    std::vector<DWORD> counts; // entries per successful call
};

inline TestWalk WalkLevel(DWORD scope, DWORD type, DWORD usage, const NETRESOURCEA* start,
                          DWORD count = 0xFFFFFFFF, DWORD bufferSize = 16384)
{
    TestWalk walk;
    HANDLE handle = nullptr;
    walk.code = WNetOpenEnumA(scope, type, usage, start, &handle);
    if (walk.code != 0)
        return walk;
    std::vector<char> buffer(bufferSize);
    for (;;) {
        DWORD n = count;
        DWORD size = bufferSize;
        const DWORD result = WNetEnumResourceA(handle, &n, buffer.data(), &size);
        if (result != 0) {
            walk.code = result;
            break;
        }
        walk.counts.push_back(n);
        for (DWORD i = 0; i < n; ++i)
            walk.entries.push_back(Describe(RecordAt(buffer.data(), i)));
    }
    WNetCloseEnum(handle);
    return walk;
}
