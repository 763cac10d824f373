#include "NetworkTree.h"

#include "AsciiText.h"
#include "ErrorCodes.h"
#include "NetConnections.h"
#include "RegistryKey.h"
#include "SystemMessages.h"

namespace platform {
namespace {

bool validType(DWORD type)
{
    return type == RESOURCETYPE_ANY || type == RESOURCETYPE_DISK || type == RESOURCETYPE_PRINT;
}

// Keeps the entries that the type and usage of an enumeration ask for.
class EntryFilter {
public:
    EntryFilter(DWORD type, DWORD usage, std::vector<NetEntry>& entries)
        : type_(type)
        , usage_(usage & (RESOURCEUSAGE_CONNECTABLE | RESOURCEUSAGE_CONTAINER))
        , entries_(entries)
    {
    }

    void Add(NetEntry entry)
    {
        if (usage_ != 0 && (entry.usage & usage_) == 0)
            return;
        // Containers may hold resources of every type.
        if (!(entry.usage & RESOURCEUSAGE_CONTAINER) && type_ != RESOURCETYPE_ANY && entry.type != type_)
            return;
        entries_.push_back(std::move(entry));
    }

private:
    DWORD type_;
    DWORD usage_;
    std::vector<NetEntry>& entries_;
};

} // namespace

const SiteProvider* NetworkTree::FindProvider(std::string_view name) const
{
    for (const SiteProvider& provider : site_.Providers())
        if (EqualsNoCase(provider.name, name))
            return &provider;
    return nullptr;
}

const SiteDomain* NetworkTree::FindDomain(std::string_view name) const
{
    for (const SiteDomain& domain : site_.Domains())
        if (EqualsNoCase(domain.name, name))
            return &domain;
    return nullptr;
}

const SiteProvider& NetworkTree::DefaultProvider() const
{
    const SiteProvider* windows = FindProvider(kWindowsNetwork);
    return windows ? *windows : site_.Providers().front();
}

const SiteProvider& NetworkTree::ProviderOf(const SiteComputer& computer) const
{
    if (const SiteDomain* domain = FindDomain(computer.domain))
        if (const SiteProvider* provider = FindProvider(domain->provider))
            return *provider;
    return DefaultProvider();
}

DWORD NetworkTree::ProviderFailure(const SiteProvider& provider, DWORD code)
{
    if (code == ERROR_SUCCESS || EqualsNoCase(provider.name, kWindowsNetwork))
        return code;
    std::string text = SystemMessageText(code) ? SystemMessageText(code) : "";
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    SetWNetExtendedError(code, text.c_str(), provider.name.c_str());
    return ERROR_EXTENDED_ERROR;
}

DWORD NetworkTree::Reach(const SiteComputer& computer) const
{
    const SiteComputer* reached = nullptr;
    return ProviderFailure(ProviderOf(computer),
                           ReachComputer(site_, computer.name.c_str(), RemoteService::Files, reached));
}

DWORD NetworkTree::Find(const NETRESOURCEA& resource, Found& found) const
{
    found = Found{};
    const SiteProvider* wanted = nullptr;
    if (resource.lpProvider && *resource.lpProvider) {
        wanted = FindProvider(resource.lpProvider);
        if (!wanted)
            return ERROR_BAD_PROVIDER;
    }
    const std::string_view remote = resource.lpRemoteName ? resource.lpRemoteName : "";
    if (remote.empty()) {
        if (wanted) {
            found.kind = Kind::Provider;
            found.provider = wanted;
        }
        return ERROR_SUCCESS;
    }

    if (remote.starts_with("\\\\")) {
        const std::string_view path = remote.substr(2);
        const std::size_t slash = path.find('\\');
        const std::string_view name = path.substr(0, slash);
        const SiteComputer* computer = name.empty() ? nullptr : site_.FindComputer(name);
        if (!computer)
            return ERROR_BAD_NETPATH;
        found.computer = computer;
        found.provider = &ProviderOf(*computer);
        found.domain = FindDomain(computer->domain);
        if (wanted && wanted != found.provider)
            return ERROR_BAD_NETPATH;
        if (slash == std::string_view::npos) {
            found.kind = Kind::Computer;
            return ERROR_SUCCESS;
        }
        const std::string_view share = path.substr(slash + 1);
        if (share.empty() || share.find('\\') != std::string_view::npos)
            return ERROR_BAD_NET_NAME;
        found.kind = Kind::Share;
        found.share = share;
        return ERROR_SUCCESS;
    }

    if (resource.dwDisplayType != RESOURCEDISPLAYTYPE_DOMAIN) {
        const SiteProvider* provider = FindProvider(remote);
        if (provider && (!wanted || wanted == provider)) {
            found.kind = Kind::Provider;
            found.provider = provider;
            return ERROR_SUCCESS;
        }
    }
    if (resource.dwDisplayType != RESOURCEDISPLAYTYPE_NETWORK) {
        const SiteDomain* domain = FindDomain(remote);
        const SiteProvider* provider = domain ? FindProvider(domain->provider) : nullptr;
        if (domain && (!wanted || wanted == provider)) {
            found.kind = Kind::Domain;
            found.domain = domain;
            found.provider = provider;
            return ERROR_SUCCESS;
        }
    }
    return ERROR_BAD_NETPATH;
}

NetEntry NetworkTree::ProviderEntry(const SiteProvider& provider)
{
    return NetEntry{RESOURCE_GLOBALNET, RESOURCETYPE_ANY, RESOURCEDISPLAYTYPE_NETWORK, RESOURCEUSAGE_CONTAINER,
                    std::string(),      provider.name,    provider.comment,           provider.name};
}

NetEntry NetworkTree::DomainEntry(const SiteDomain& domain)
{
    return NetEntry{RESOURCE_GLOBALNET, RESOURCETYPE_ANY, RESOURCEDISPLAYTYPE_DOMAIN, RESOURCEUSAGE_CONTAINER,
                    std::string(),      domain.name,      domain.comment,            domain.provider};
}

NetEntry NetworkTree::ComputerEntry(const SiteComputer& computer) const
{
    return NetEntry{RESOURCE_GLOBALNET,   RESOURCETYPE_ANY, RESOURCEDISPLAYTYPE_SERVER,   RESOURCEUSAGE_CONTAINER,
                    std::string(), "\\\\" + computer.name, computer.comment, ProviderOf(computer).name};
}

NetEntry NetworkTree::ShareEntry(const SiteComputer& computer, const SiteShare& share) const
{
    return NetEntry{RESOURCE_GLOBALNET,
                    RESOURCETYPE_DISK,
                    RESOURCEDISPLAYTYPE_SHARE,
                    RESOURCEUSAGE_CONNECTABLE,
                    std::string(),
                    "\\\\" + computer.name + "\\" + share.name,
                    share.comment,
                    ProviderOf(computer).name};
}

DWORD NetworkTree::Children(const NETRESOURCEA* start, DWORD type, DWORD usage,
                            std::vector<NetEntry>& children) const
{
    children.clear();
    if (!validType(type))
        return ERROR_INVALID_PARAMETER;
    Found found;
    if (start) {
        if (!(start->dwUsage & RESOURCEUSAGE_CONTAINER))
            return ERROR_NOT_CONTAINER;
        if (const DWORD code = Find(*start, found))
            return code;
    }
    EntryFilter filter(type, usage, children);
    switch (found.kind) {
    case Kind::Top:
        for (const SiteProvider& provider : site_.Providers())
            filter.Add(ProviderEntry(provider));
        break;
    case Kind::Provider:
        for (const std::string& name : found.provider->domains)
            filter.Add(DomainEntry(*FindDomain(name)));
        break;
    case Kind::Domain:
        for (const std::string& name : found.domain->computers)
            filter.Add(ComputerEntry(*site_.FindComputer(name)));
        break;
    case Kind::Computer:
        if (const DWORD code = Reach(*found.computer))
            return code;
        for (const SiteShare& share : found.computer->shares)
            if (!IsHiddenShare(share.name))
                filter.Add(ShareEntry(*found.computer, share));
        break;
    case Kind::Share:
        return ERROR_NOT_CONTAINER;
    }
    return ERROR_SUCCESS;
}

DWORD NetworkTree::Connections(DWORD type, std::vector<NetEntry>& connections) const
{
    connections.clear();
    if (!validType(type))
        return ERROR_INVALID_PARAMETER;
    for (const NetConnectionInfo& connection : NetConnections::Instance().List()) {
        // "\\NAME\SHARE"
        const std::string_view path = std::string_view(connection.remoteName).substr(2);
        const std::size_t slash = path.find('\\');
        const std::string_view shareName = path.substr(slash + 1);
        const SiteComputer* computer = site_.FindComputer(path.substr(0, slash));
        const SiteShare* share = computer ? computer->FindShare(shareName) : nullptr;
        NetEntry entry{RESOURCE_CONNECTED,
                       shareName == "IPC$" ? RESOURCETYPE_ANY : RESOURCETYPE_DISK,
                       RESOURCEDISPLAYTYPE_SHARE,
                       RESOURCEUSAGE_CONNECTABLE,
                       std::string(),
                       connection.remoteName,
                       share ? share->comment : std::string(),
                       computer ? ProviderOf(*computer).name : DefaultProvider().name};
        if (type == RESOURCETYPE_ANY || entry.type == type)
            connections.push_back(std::move(entry));
    }
    return ERROR_SUCCESS;
}

DWORD NetworkTree::Parent(const NETRESOURCEA& resource, NetEntry& parent) const
{
    parent = NetEntry{};
    Found found;
    if (const DWORD code = Find(resource, found))
        return code;
    switch (found.kind) {
    case Kind::Top:
        return ERROR_INVALID_PARAMETER;
    case Kind::Provider:
        break; // the top
    case Kind::Domain:
        parent = ProviderEntry(*found.provider);
        break;
    case Kind::Computer:
        parent = found.domain ? DomainEntry(*found.domain) : ProviderEntry(*found.provider);
        break;
    case Kind::Share:
        parent = ComputerEntry(*found.computer);
        break;
    }
    return ERROR_SUCCESS;
}

DWORD NetworkTree::ProviderInformation(const char* provider, NETINFOSTRUCT& info) const
{
    const SiteProvider* found = provider ? FindProvider(provider) : nullptr;
    if (!found)
        return ERROR_BAD_PROVIDER;
    const DWORD size = info.cbStructure;
    info = NETINFOSTRUCT{};
    info.cbStructure = size;
    info.dwProviderVersion = 0x400;
    info.dwStatus = ERROR_SUCCESS;
    info.wNetType = EqualsNoCase(found->name, kWindowsNetwork) ? static_cast<WORD>(WNNC_NET_LANMAN >> 16) : 0;
    return ERROR_SUCCESS;
}

DWORD NetworkTree::ConnectionPerformance(const NETRESOURCEA& resource, NETCONNECTINFOSTRUCT& info) const
{
    if (resource.lpLocalName && *resource.lpLocalName)
        return ERROR_NOT_CONNECTED;
    if (!resource.lpRemoteName || !*resource.lpRemoteName)
        return ERROR_INVALID_PARAMETER;
    Found found;
    if (const DWORD code = Find(resource, found))
        return code;
    if (found.kind != Kind::Computer && found.kind != Kind::Share)
        return ERROR_NOT_SUPPORTED;
    if (const DWORD code = Reach(*found.computer))
        return code;
    if (found.kind == Kind::Share && !found.computer->HasShare(found.share))
        return ProviderFailure(*found.provider, ERROR_BAD_NET_NAME);
    info.dwFlags = WNCON_FORNETCARD;
    info.dwSpeed = 1000000;
    info.dwDelay = 1;
    info.dwOptDataSize = 65536;
    return ERROR_SUCCESS;
}

} // namespace platform
