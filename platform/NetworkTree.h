#pragma once
// Internal: the site seen as the network resources that the browsing
// functions of Mpr.h hand out.  Every function answers with the platform's
// result code; a failure that a provider other than the Windows network
// reports comes back as ERROR_EXTENDED_ERROR with the extended error set.

#include "Mpr.h"
#include "Site.h"

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// One resource with its texts (an empty text is handed out as null).
struct NetEntry {
    DWORD scope = 0;
    DWORD type = 0;
    DWORD displayType = 0;
    DWORD usage = 0;
    std::string localName;
    std::string remoteName;
    std::string comment;
    std::string provider;
};

// The provider whose failures are the platform's own codes.
inline constexpr const char* kWindowsNetwork = "Microsoft Windows Network";

class NetworkTree {
public:
    explicit NetworkTree(const Site& site)
        : site_(site)
    {
    }

    // The entries one level below `start` (null: the top), filtered by
    // type and usage as WNetOpenEnumA describes.
    DWORD Children(const NETRESOURCEA* start, DWORD type, DWORD usage, std::vector<NetEntry>& children) const;
    // The connections of the process of a type.
    DWORD Connections(DWORD type, std::vector<NetEntry>& connections) const;
    // The entry above a resource; the top is an entry of zeros.
    DWORD Parent(const NETRESOURCEA& resource, NetEntry& parent) const;
    DWORD ProviderInformation(const char* provider, NETINFOSTRUCT& info) const;
    DWORD ConnectionPerformance(const NETRESOURCEA& resource, NETCONNECTINFOSTRUCT& info) const;

private:
    enum class Kind { Top, Provider, Domain, Computer, Share };

    // A resource of the site found from a NETRESOURCEA.
    struct Found {
        Kind kind = Kind::Top;
        const SiteProvider* provider = nullptr;
        const SiteDomain* domain = nullptr;
        const SiteComputer* computer = nullptr;
        std::string share;
    };

    DWORD Find(const NETRESOURCEA& resource, Found& found) const;
    const SiteProvider* FindProvider(std::string_view name) const;
    const SiteDomain* FindDomain(std::string_view name) const;
    const SiteProvider& ProviderOf(const SiteComputer& computer) const;
    const SiteProvider& DefaultProvider() const;

    // A failure concerning a resource of `provider`.
    static DWORD ProviderFailure(const SiteProvider& provider, DWORD code);
    // ReachComputer for the file service, as its provider reports it.
    DWORD Reach(const SiteComputer& computer) const;

    static NetEntry ProviderEntry(const SiteProvider& provider);
    static NetEntry DomainEntry(const SiteDomain& domain);
    NetEntry ComputerEntry(const SiteComputer& computer) const;
    NetEntry ShareEntry(const SiteComputer& computer, const SiteShare& share) const;

    const Site& site_;
};

} // namespace platform
