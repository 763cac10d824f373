#include "NetServer.h"

#include "AsciiText.h"
#include "ErrorCodes.h"
#include "ModuleTables.h"
#include "NetworkTree.h"
#include "RegistryKey.h"
#include "Site.h"
#include "Utf8Text.h"

#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <vector>

namespace platform {
namespace {

// The buffers handed out, so that freeing one twice or freeing another
// pointer fails instead of corrupting the heap.
struct NetApiBuffers {
    std::mutex mutex;
    std::map<const void*, std::unique_ptr<std::byte[]>> blocks;
};

NetApiBuffers& buffers()
{
    static NetApiBuffers b;
    return b;
}

std::string narrow(LPCWSTR text)
{
    return text ? utf8::FromUtf16(text) : std::string();
}

bool isWindowsNetworkDomain(const SiteDomain& domain)
{
    return EqualsNoCase(domain.provider, kWindowsNetwork);
}

// The names an enumeration lists, or an error.
NET_API_STATUS listedNames(const Site& site, DWORD serverType, const std::string& domainName,
                           std::vector<std::string>& names)
{
    if (serverType != SV_TYPE_ALL && (serverType & SV_TYPE_DOMAIN_ENUM)) {
        for (const SiteDomain& domain : site.Domains())
            if (isWindowsNetworkDomain(domain))
                names.push_back(domain.name);
        return NERR_Success;
    }
    const std::string wanted = domainName.empty() ? site.LocalComputer().domain : domainName;
    const SiteDomain* found = nullptr;
    for (const SiteDomain& domain : site.Domains())
        if (!wanted.empty() && EqualsNoCase(domain.name, wanted) && isWindowsNetworkDomain(domain))
            found = &domain;
    if (!found)
        return ERROR_NO_BROWSER_SERVERS_FOUND;
    for (const std::string& name : found->computers) {
        DWORD types = SV_TYPE_WORKSTATION | SV_TYPE_SERVER | SV_TYPE_NT;
        if (found->controller == name)
            types |= SV_TYPE_DOMAIN_CTRL;
        if (types & serverType)
            names.push_back(name);
    }
    return NERR_Success;
}

// One buffer with the records first and the names after them.
LPBYTE allocateEntries(const std::vector<std::u16string>& names)
{
    std::size_t size = names.size() * sizeof(SERVER_INFO_100);
    for (const std::u16string& name : names)
        size += (name.size() + 1) * sizeof(WCHAR);
    auto block = std::make_unique<std::byte[]>(size);
    auto* records = reinterpret_cast<SERVER_INFO_100*>(block.get());
    auto* text = reinterpret_cast<WCHAR*>(block.get() + names.size() * sizeof(SERVER_INFO_100));
    for (std::size_t i = 0; i < names.size(); ++i) {
        records[i].sv100_platform_id = PLATFORM_ID_NT;
        records[i].sv100_name = text;
        std::memcpy(text, names[i].c_str(), (names[i].size() + 1) * sizeof(WCHAR));
        text += names[i].size() + 1;
    }
    const auto address = reinterpret_cast<LPBYTE>(block.get());
    NetApiBuffers& b = buffers();
    std::lock_guard lock(b.mutex);
    b.blocks.emplace(address, std::move(block));
    return address;
}

} // namespace

NET_API_STATUS NetServerEnum(LPCWSTR serverName, DWORD level, LPBYTE* buffer, DWORD preferredMaximumLength,
                             LPDWORD entriesRead, LPDWORD totalEntries, DWORD serverType, LPCWSTR domain,
                             LPDWORD resumeHandle)
{
    if (!buffer || !entriesRead || !totalEntries)
        return ERROR_INVALID_PARAMETER;
    *buffer = nullptr;
    *entriesRead = 0;
    *totalEntries = 0;
    if (level != 100)
        return ERROR_INVALID_LEVEL;

    const auto site = CurrentSite();
    const std::string server = narrow(serverName);
    const SiteComputer* answering = nullptr;
    if (const DWORD code = ReachComputer(*site, server.c_str(), RemoteService::Files, answering))
        return code;
    std::vector<std::string> names;
    if (const NET_API_STATUS status = listedNames(*site, serverType, narrow(domain), names))
        return status;

    const std::size_t first = resumeHandle ? std::min<std::size_t>(*resumeHandle, names.size()) : 0;
    std::vector<std::u16string> taken;
    std::size_t bytes = 0;
    for (std::size_t i = first; i < names.size(); ++i) {
        std::u16string name = utf8::ToUtf16(names[i]);
        bytes += sizeof(SERVER_INFO_100) + (name.size() + 1) * sizeof(WCHAR);
        if (!taken.empty() && preferredMaximumLength != MAX_PREFERRED_LENGTH && bytes > preferredMaximumLength)
            break;
        taken.push_back(std::move(name));
    }
    if (!taken.empty()) {
        try {
            *buffer = allocateEntries(taken);
        } catch (const std::bad_alloc&) {
            return ERROR_NOT_ENOUGH_MEMORY;
        }
    }
    const std::size_t next = first + taken.size();
    *entriesRead = static_cast<DWORD>(taken.size());
    *totalEntries = static_cast<DWORD>(names.size() - first);
    if (resumeHandle)
        *resumeHandle = next < names.size() ? static_cast<DWORD>(next) : 0;
    return next < names.size() ? ERROR_MORE_DATA : NERR_Success;
}

NET_API_STATUS NetApiBufferFree(LPVOID buffer)
{
    if (!buffer)
        return NERR_Success;
    NetApiBuffers& b = buffers();
    std::lock_guard lock(b.mutex);
    return b.blocks.erase(buffer) == 0 ? ERROR_INVALID_PARAMETER : NERR_Success;
}

std::vector<ModuleExport> NetApiExports()
{
    return {{"NetServerEnum", ExportOf(&NetServerEnum)}, {"NetApiBufferFree", ExportOf(&NetApiBufferFree)}};
}

std::vector<ModuleExport> RemoteAdminNetApiExports()
{
    return {{"NetServerEnumA", ExportOf(&NetServerEnum)}, {"NetApiBufferFree", ExportOf(&NetApiBufferFree)}};
}

} // namespace platform
