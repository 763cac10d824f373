#include "AccountSource.h"

#include "AsciiText.h"
#include "ErrorCodes.h"
#include "PathResolver.h"
#include "Site.h"

#include <algorithm>
#include <mutex>

namespace platform {
namespace {

// The computers of the current site: each keeps its accounts in
// "registry/accounts.txt" beside its registry file, and a domain names the
// computer that answers for it.
class SiteAccounts : public AccountSource {
public:
    DWORD AccountsFileOf(std::string_view computer, std::string& hostPath) override
    {
        hostPath.clear();
        const std::shared_ptr<const Site> site = CurrentSite();
        const std::string name(computer);
        const SiteComputer* found = nullptr;
        if (const DWORD error = ReachComputer(*site, name.c_str(), RemoteService::EventLog, found);
            error != ERROR_SUCCESS)
            return error;
        if (!found->hostDirectory.empty())
            ResolveCaseInsensitive(found->hostDirectory, "registry\\accounts.txt", hostPath);
        return ERROR_SUCCESS;
    }

    std::string DomainControllerOf(std::string_view computer) override
    {
        const std::shared_ptr<const Site> site = CurrentSite();
        const SiteComputer* found = site->FindComputer(computer);
        if (!found || found->domain.empty())
            return {};
        for (const SiteDomain& domain : site->Domains())
            if (EqualsNoCase(domain.name, found->domain))
                return domain.controller;
        return {};
    }
};

struct SourceSlot {
    std::mutex mutex;
    std::shared_ptr<AccountSource> source;
};

SourceSlot& slot()
{
    static SourceSlot s;
    return s;
}

} // namespace

std::string LocalComputerName()
{
    return CurrentSite()->LocalComputer().name;
}

std::shared_ptr<AccountSource> CurrentAccountSource()
{
    SourceSlot& s = slot();
    std::lock_guard lock(s.mutex);
    if (!s.source)
        s.source = std::make_shared<SiteAccounts>();
    return s.source;
}

void SetAccountSource(std::shared_ptr<AccountSource> source)
{
    SourceSlot& s = slot();
    std::lock_guard lock(s.mutex);
    s.source = std::move(source);
}

ScopedAccountSource::ScopedAccountSource(std::shared_ptr<AccountSource> source)
    : previous_(CurrentAccountSource())
{
    SetAccountSource(std::move(source));
}

ScopedAccountSource::~ScopedAccountSource()
{
    SetAccountSource(std::move(previous_));
}

} // namespace platform
