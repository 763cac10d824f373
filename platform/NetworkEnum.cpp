#include "NetworkEnum.h"

#include "ErrorCodes.h"
#include "HandleTable.h"
#include "Kernel32.h"
#include "Mpr.h"
#include "NetConnections.h"
#include "NetworkTree.h"
#include "Site.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

namespace platform {
namespace {

std::atomic<DWORD> g_callLimit{0};

struct FaultState {
    std::mutex mutex;
    bool active = false;
    NetEnumFault fault;
    DWORD calls = 0; // calls since the fault was set
};

FaultState& faultState()
{
    static FaultState state;
    return state;
}

// True when the fault answers this call.
bool faultAnswers(LPDWORD count, LPDWORD bufferSize, DWORD& result)
{
    FaultState& state = faultState();
    std::lock_guard lock(state.mutex);
    if (!state.active || state.calls++ < state.fault.afterCalls)
        return false;
    result = state.fault.result;
    *count = state.fault.count;
    if (state.fault.bufferSize != 0)
        *bufferSize = state.fault.bufferSize;
    return true;
}

// The entries of one enumeration, taken when it starts, and how far the
// caller has read them.
class NetEnumeration : public KernelObject {
public:
    explicit NetEnumeration(std::vector<NetEntry> entries)
        : entries(std::move(entries))
    {
    }

    std::mutex mutex;
    const std::vector<NetEntry> entries;
    std::size_t next = 0;
};

std::size_t textSize(const std::string& text)
{
    return text.empty() ? 0 : text.size() + 1;
}

std::size_t packedSize(const NetEntry& entry)
{
    return sizeof(NETRESOURCEA) + textSize(entry.localName) + textSize(entry.remoteName) + textSize(entry.comment) +
           textSize(entry.provider);
}

// Writes `count` entries as NETRESOURCEA records at the start of `buffer`
// and their texts after the records; the buffer holds their packed sizes.
void pack(const NetEntry* entries, std::size_t count, BYTE* buffer)
{
    BYTE* text = buffer + count * sizeof(NETRESOURCEA);
    const auto place = [&text](const std::string& value) -> LPSTR {
        if (value.empty())
            return nullptr;
        const LPSTR at = reinterpret_cast<LPSTR>(text);
        std::memcpy(text, value.c_str(), value.size() + 1);
        text += value.size() + 1;
        return at;
    };
    for (std::size_t i = 0; i < count; ++i) {
        const NetEntry& entry = entries[i];
        NETRESOURCEA record{};
        record.dwScope = entry.scope;
        record.dwType = entry.type;
        record.dwDisplayType = entry.displayType;
        record.dwUsage = entry.usage;
        record.lpLocalName = place(entry.localName);
        record.lpRemoteName = place(entry.remoteName);
        record.lpComment = place(entry.comment);
        record.lpProvider = place(entry.provider);
        // The caller's buffer need not be aligned for the record.
        std::memcpy(buffer + i * sizeof(NETRESOURCEA), &record, sizeof record);
    }
}

DWORD finish(DWORD result, const std::string& call)
{
    TraceWNetCall(call + " = " + std::to_string(result));
    if (result != ERROR_SUCCESS)
        SetLastError(result);
    return result;
}

std::string remoteNameOf(const NETRESOURCEA* resource)
{
    return resource && resource->lpRemoteName ? resource->lpRemoteName : "(null)";
}

} // namespace

DWORD NetEnumCallLimit()
{
    return g_callLimit.load();
}

void SetNetEnumCallLimit(DWORD entries)
{
    g_callLimit.store(entries);
}

ScopedNetEnumCallLimit::ScopedNetEnumCallLimit(DWORD entries)
    : previous_(NetEnumCallLimit())
{
    SetNetEnumCallLimit(entries);
}

ScopedNetEnumCallLimit::~ScopedNetEnumCallLimit()
{
    SetNetEnumCallLimit(previous_);
}

ScopedNetEnumFault::ScopedNetEnumFault(const NetEnumFault& fault)
{
    FaultState& state = faultState();
    std::lock_guard lock(state.mutex);
    state.active = true;
    state.fault = fault;
    state.calls = 0;
}

ScopedNetEnumFault::~ScopedNetEnumFault()
{
    FaultState& state = faultState();
    std::lock_guard lock(state.mutex);
    state.active = false;
}

} // namespace platform

using namespace platform;

DWORD WNetOpenEnumA(DWORD scope, DWORD type, DWORD usage, const NETRESOURCEA* netResource, HANDLE* enumHandle)
{
    const std::string call = "openenum " + remoteNameOf(netResource);
    if (!enumHandle)
        return finish(ERROR_INVALID_PARAMETER, call);
    *enumHandle = nullptr;
    const auto site = CurrentSite();
    const NetworkTree tree(*site);
    std::vector<NetEntry> entries;
    DWORD result = ERROR_SUCCESS;
    switch (scope) {
    case RESOURCE_GLOBALNET:
        result = tree.Children(netResource, type, usage, entries);
        break;
    case RESOURCE_CONNECTED:
        result = tree.Connections(type, entries);
        break;
    case RESOURCE_REMEMBERED:
        if (type != RESOURCETYPE_ANY && type != RESOURCETYPE_DISK && type != RESOURCETYPE_PRINT)
            result = ERROR_INVALID_PARAMETER;
        break;
    default:
        result = ERROR_INVALID_PARAMETER;
        break;
    }
    if (result == ERROR_SUCCESS)
        *enumHandle = InsertHandle(std::make_shared<NetEnumeration>(std::move(entries)));
    return finish(result, call);
}

DWORD WNetEnumResourceA(HANDLE enumHandle, LPDWORD count, LPVOID buffer, LPDWORD bufferSize)
{
    const auto enumeration = LookupHandleAs<NetEnumeration>(enumHandle);
    if (!enumeration)
        return finish(ERROR_INVALID_HANDLE, "enum");
    if (!count || !bufferSize || *count == 0 || (!buffer && *bufferSize != 0))
        return finish(ERROR_INVALID_PARAMETER, "enum");

    if (DWORD faulty = 0; faultAnswers(count, bufferSize, faulty))
        return finish(faulty, "enum fault");

    std::lock_guard lock(enumeration->mutex);
    const std::vector<NetEntry>& entries = enumeration->entries;
    const std::size_t first = enumeration->next;
    if (first == entries.size()) {
        *count = 0;
        return finish(ERROR_NO_MORE_ITEMS, "enum 0");
    }
    std::size_t wanted = std::min<std::size_t>(*count, entries.size() - first);
    if (const DWORD limit = NetEnumCallLimit(); limit != 0)
        wanted = std::min<std::size_t>(wanted, limit);
    std::size_t used = 0;
    std::size_t n = 0;
    while (n < wanted && used + packedSize(entries[first + n]) <= *bufferSize) {
        used += packedSize(entries[first + n]);
        ++n;
    }
    if (n == 0) {
        *count = 0;
        *bufferSize = static_cast<DWORD>(packedSize(entries[first]));
        return finish(ERROR_MORE_DATA, "enum 0");
    }
    pack(&entries[first], n, static_cast<BYTE*>(buffer));
    enumeration->next = first + n;
    *count = static_cast<DWORD>(n);
    return finish(ERROR_SUCCESS, "enum " + std::to_string(n));
}

DWORD WNetCloseEnum(HANDLE enumHandle)
{
    if (!LookupHandleAs<NetEnumeration>(enumHandle) || !RemoveHandle(enumHandle))
        return finish(ERROR_INVALID_HANDLE, "closeenum");
    return finish(ERROR_SUCCESS, "closeenum");
}

DWORD WNetGetResourceParentA(const NETRESOURCEA* netResource, LPVOID buffer, LPDWORD bufferSize)
{
    const std::string call = "parent " + remoteNameOf(netResource);
    if (!netResource || !bufferSize || (!buffer && *bufferSize != 0))
        return finish(ERROR_INVALID_PARAMETER, call);
    const auto site = CurrentSite();
    NetEntry parent;
    if (const DWORD result = NetworkTree(*site).Parent(*netResource, parent))
        return finish(result, call);
    const std::size_t size = packedSize(parent);
    if (*bufferSize < size) {
        *bufferSize = static_cast<DWORD>(size);
        return finish(ERROR_MORE_DATA, call);
    }
    pack(&parent, 1, static_cast<BYTE*>(buffer));
    return finish(ERROR_SUCCESS, call);
}

DWORD WNetGetNetworkInformationA(LPCSTR provider, NETINFOSTRUCT* netInfo)
{
    const std::string call = std::string("netinfo ") + (provider ? provider : "(null)");
    if (!netInfo || netInfo->cbStructure < sizeof(NETINFOSTRUCT))
        return finish(ERROR_INVALID_PARAMETER, call);
    const auto site = CurrentSite();
    return finish(NetworkTree(*site).ProviderInformation(provider, *netInfo), call);
}

DWORD MultinetGetConnectionPerformanceA(const NETRESOURCEA* netResource, NETCONNECTINFOSTRUCT* connectInfo)
{
    const std::string call = "performance " + remoteNameOf(netResource);
    if (!netResource || !connectInfo || connectInfo->cbStructure < sizeof(NETCONNECTINFOSTRUCT))
        return finish(ERROR_INVALID_PARAMETER, call);
    const auto site = CurrentSite();
    return finish(NetworkTree(*site).ConnectionPerformance(*netResource, *connectInfo), call);
}
