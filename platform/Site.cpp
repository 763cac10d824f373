#include "Site.h"

#include "AsciiText.h"
#include "ErrorCodes.h"
#include "FileIo.h"
#include "IniFile.h"
#include "NetConnections.h"
#include "PlatformProfile.h"
#include "RegistryTypes.h"
#include "UserDirectories.h"

#include <cstdio>
#include <filesystem>
#include <map>
#include <mutex>

namespace fs = std::filesystem;

namespace platform {
namespace {

constexpr const char* kLoneComputerName = "QUELLVANE";
constexpr const char* kDefaultProvider = "Microsoft Windows Network";
constexpr std::uintmax_t kMaxSiteIniSize = 1024 * 1024;

// The entry of `directory` whose name matches `name` without regard to
// case (an exact match first, else the smallest), or `directory/name`.
std::string childPath(const std::string& directory, const std::string& name)
{
    std::error_code ec;
    const fs::path exact = fs::path(directory) / name;
    if (fs::exists(exact, ec))
        return exact.string();
    std::string best;
    for (fs::directory_iterator it(directory, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string entry = it->path().filename().string();
        if (EqualsNoCase(entry, name) && (best.empty() || entry < best))
            best = entry;
    }
    return (fs::path(directory) / (best.empty() ? name : best)).string();
}

bool validName(std::string_view name)
{
    if (name.empty() || name.size() > 15)
        return false;
    for (char c : name)
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_'))
            return false;
    return true;
}

bool parseBoolean(std::string_view text, bool& value)
{
    const std::string t = AsciiUpper(text);
    if (t == "YES" || t == "TRUE" || t == "1") {
        value = true;
        return true;
    }
    if (t == "NO" || t == "FALSE" || t == "0") {
        value = false;
        return true;
    }
    return false;
}

bool profileByName(const std::string& name, PlatformProfile& profile)
{
    const std::string n = AsciiUpper(name);
    if (n == "NT5")
        profile = PlatformProfile::nt5();
    else if (n == "NT51")
        profile = PlatformProfile::nt51();
    else if (n == "NT6")
        profile = PlatformProfile::nt6();
    else if (n == "WIN9X")
        profile = PlatformProfile::win9x(true);
    else if (n == "WIN9X-BARE")
        profile = PlatformProfile::win9x(false);
    else
        return false;
    return true;
}

struct SiteFailure {
    std::size_t line;
    std::string message;
};

[[noreturn]] void fail(std::size_t line, const std::string& message)
{
    throw SiteFailure{line, message};
}

void refuseUnknownKeys(const IniSection& section, std::initializer_list<const char*> known)
{
    for (const IniEntry& e : section.entries) {
        bool ok = false;
        for (const char* k : known)
            ok = ok || EqualsNoCase(e.key, k);
        if (!ok)
            fail(e.line, "unknown key \"" + e.key + "\" in [" + section.name + "]");
    }
}

constexpr const char* kAdministrativeShares[] = {"C$", "ADMIN$", "IPC$"};

bool validShareName(std::string_view name)
{
    if (name.empty() || name.size() > 80)
        return false;
    for (char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F || std::string_view("\\/:*?\"<>|,").find(c) != std::string_view::npos)
            return false;
    }
    return true;
}

// "Public:Files for all,Tools" into shares; the administrative shares and
// names given twice are refused.
std::vector<SiteShare> parseShares(const IniEntry& entry)
{
    std::vector<SiteShare> shares;
    std::string_view rest = entry.value;
    while (!TrimmedBlanks(rest).empty()) {
        const std::size_t comma = rest.find(',');
        const std::string_view item = rest.substr(0, comma);
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
        const std::size_t colon = item.find(':');
        SiteShare share{std::string(TrimmedBlanks(item.substr(0, colon))),
                        colon == std::string_view::npos ? std::string() : std::string(TrimmedBlanks(item.substr(colon + 1)))};
        if (!validShareName(share.name))
            fail(entry.line,
                 "\"" + share.name + "\" is not a share name (1 to 80 characters without \\ / : * ? \" < > |)");
        for (const char* administrative : kAdministrativeShares)
            if (AsciiUpper(share.name) == administrative)
                fail(entry.line, "the share " + share.name + " is one that every computer has");
        for (const SiteShare& other : shares)
            if (EqualsNoCase(other.name, share.name))
                fail(entry.line, "the share " + share.name + " is given twice");
        shares.push_back(std::move(share));
    }
    return shares;
}

std::string valueOf(const IniSection& section, const char* key)
{
    const IniEntry* e = section.Find(key);
    return e ? e->value : std::string();
}

} // namespace

// --- SiteComputer ---

std::string SiteComputer::SystemDriveDirectory() const
{
    return hostDirectory.empty() ? std::string() : childPath(hostDirectory, "C");
}

bool SiteComputer::AcceptsLogon(std::string_view userName, std::string_view password) const
{
    for (const auto& [user, pass] : accounts)
        if (EqualsNoCase(user, userName) && pass == password)
            return true;
    return false;
}

const SiteShare* SiteComputer::FindShare(std::string_view shareName) const
{
    for (const SiteShare& share : shares)
        if (EqualsNoCase(share.name, shareName))
            return &share;
    return nullptr;
}

bool SiteComputer::HasShare(std::string_view shareName) const
{
    for (const char* administrative : kAdministrativeShares)
        if (AsciiUpper(shareName) == administrative)
            return true;
    return FindShare(shareName) != nullptr;
}

bool IsHiddenShare(std::string_view shareName)
{
    return !shareName.empty() && shareName.back() == '$';
}

std::string_view WithoutLeadingBackslashes(std::string_view name)
{
    while (!name.empty() && name.front() == '\\')
        name.remove_prefix(1);
    return name;
}

// --- Site ---

std::shared_ptr<Site> Site::Empty()
{
    auto site = std::make_shared<Site>();
    SiteComputer lone;
    lone.name = kLoneComputerName;
    lone.machineRegistry = std::make_shared<RegistryStore>(std::string(), "HKEY_LOCAL_MACHINE");
    site->index_.emplace(lone.name, 0);
    site->computers_.push_back(std::move(lone));
    site->providers_.push_back(SiteProvider{kDefaultProvider, {}, {}});
    return site;
}

std::shared_ptr<Site> Site::Load(const std::string& directory, std::string& error)
{
    const std::string iniPath = childPath(directory, "site.ini");
    std::error_code ec;
    if (!fs::is_regular_file(iniPath, ec)) {
        error = iniPath + ": the site has no site.ini";
        return nullptr;
    }
    const std::uintmax_t size = fs::file_size(iniPath, ec);
    if (ec || size > kMaxSiteIniSize) {
        error = iniPath + (ec ? ": the file cannot be read" : ": the file is larger than 1 MiB");
        return nullptr;
    }
    std::string text;
    if (!ReadFileText(iniPath, static_cast<std::size_t>(size), text)) {
        error = iniPath + ": the file cannot be read";
        return nullptr;
    }
    IniFile ini;
    std::string iniError;
    if (!ini.Parse(text, iniError)) {
        error = iniPath + ": " + iniError;
        return nullptr;
    }

    auto site = std::make_shared<Site>();
    site->directory_ = directory;
    try {
        const IniSection* siteSection = nullptr;
        std::vector<const IniSection*> credentials;
        std::map<std::string, std::size_t>& computerIndex = site->index_;
        std::map<std::string, std::size_t> domainIndex; // upper name -> position
        for (const IniSection& section : ini.Sections()) {
            const std::size_t space = section.name.find(' ');
            const std::string kind = AsciiUpper(section.name.substr(0, space));
            std::string argument;
            if (space != std::string::npos) {
                argument = section.name.substr(space + 1);
                argument.erase(0, argument.find_first_not_of(" \t"));
            }
            if (kind == "SITE" && argument.empty()) {
                refuseUnknownKeys(section, {"LocalComputer", "Profile"});
                siteSection = &section;
            } else if (kind == "PROVIDER" && !argument.empty()) {
                refuseUnknownKeys(section, {"Comment"});
                site->providers_.push_back(SiteProvider{argument, valueOf(section, "Comment"), {}});
            } else if (kind == "DOMAIN" && !argument.empty()) {
                refuseUnknownKeys(section, {"Provider", "Comment", "Controller"});
                if (!validName(argument))
                    fail(section.line, "\"" + argument + "\" is not a domain name (1 to 15 letters, digits, '-', '_')");
                if (!domainIndex.emplace(AsciiUpper(argument), site->domains_.size()).second)
                    fail(section.line, "the domain " + argument + " is given twice");
                site->domains_.push_back(SiteDomain{argument, valueOf(section, "Provider"), valueOf(section, "Comment"),
                                                    {}, AsciiUpper(valueOf(section, "Controller"))});
            } else if (kind == "COMPUTER" && !argument.empty()) {
                refuseUnknownKeys(section, {"Domain", "Comment", "Reachable", "RequiresConnection", "Shares"});
                if (!validName(argument))
                    fail(section.line,
                         "\"" + argument + "\" is not a computer name (1 to 15 letters, digits, '-', '_')");
                SiteComputer computer;
                computer.name = AsciiUpper(argument);
                computer.domain = valueOf(section, "Domain");
                computer.comment = valueOf(section, "Comment");
                for (const char* key : {"Reachable", "RequiresConnection"}) {
                    if (const IniEntry* e = section.Find(key)) {
                        bool& target = AsciiUpper(key) == "REACHABLE" ? computer.reachable : computer.requiresConnection;
                        if (!parseBoolean(e->value, target))
                            fail(e->line, std::string(key) + " must be yes or no");
                    }
                }
                if (const IniEntry* e = section.Find("Shares"))
                    computer.shares = parseShares(*e);
                if (!computerIndex.emplace(computer.name, site->computers_.size()).second)
                    fail(section.line, "the computer " + computer.name + " is given twice");
                site->computers_.push_back(std::move(computer));
            } else if (kind == "CREDENTIALS" && !argument.empty()) {
                credentials.push_back(&section);
            } else {
                fail(section.line, "unknown section [" + section.name + "]");
            }
        }

        if (!siteSection)
            fail(0, "the section [Site] is missing");
        const IniEntry* local = siteSection->Find("LocalComputer");
        if (!local || !validName(local->value))
            fail(local ? local->line : siteSection->line,
                 "LocalComputer must name the local computer (1 to 15 letters, digits, '-', '_')");
        if (const IniEntry* profile = siteSection->Find("Profile")) {
            PlatformProfile unused;
            if (!profileByName(profile->value, unused))
                fail(profile->line, "Profile must be nt5, nt51, nt6, win9x or win9x-bare");
            site->profile_ = profile->value;
        }
        const std::string localName = AsciiUpper(local->value);
        auto localIt = computerIndex.find(localName);
        if (localIt == computerIndex.end()) {
            SiteComputer computer;
            computer.name = localName;
            localIt = computerIndex.emplace(localName, site->computers_.size()).first;
            site->computers_.push_back(std::move(computer));
        }
        site->local_ = localIt->second;
        if (!site->computers_[site->local_].reachable)
            fail(local->line, "the local computer cannot be unreachable");

        if (site->providers_.empty())
            site->providers_.push_back(SiteProvider{kDefaultProvider, {}, {}});
        for (SiteDomain& domain : site->domains_) {
            if (domain.provider.empty())
                domain.provider = site->providers_.front().name;
            SiteProvider* provider = nullptr;
            for (SiteProvider& p : site->providers_)
                if (EqualsNoCase(p.name, domain.provider))
                    provider = &p;
            if (!provider)
                fail(0, "the domain " + domain.name + " names the unknown provider \"" + domain.provider + "\"");
            domain.provider = provider->name;
            provider->domains.push_back(domain.name);
        }
        for (SiteComputer& computer : site->computers_) {
            if (computer.domain.empty())
                continue;
            const auto found = domainIndex.find(AsciiUpper(computer.domain));
            SiteDomain* domain = found == domainIndex.end() ? nullptr : &site->domains_[found->second];
            if (!domain)
                fail(0, "the computer " + computer.name + " names the unknown domain \"" + computer.domain + "\"");
            computer.domain = domain->name;
            domain->computers.push_back(computer.name);
        }
        for (const IniSection* section : credentials) {
            const std::string name = AsciiUpper(section->name.substr(section->name.find(' ') + 1));
            const auto it = computerIndex.find(name);
            if (it == computerIndex.end())
                fail(section->line, "credentials for the unknown computer \"" + name + "\"");
            for (const IniEntry& e : section->entries)
                site->computers_[it->second].accounts.emplace_back(e.key, e.value);
        }
    } catch (const SiteFailure& failure) {
        error = iniPath + (failure.line ? ": line " + std::to_string(failure.line) : std::string()) + ": " +
                failure.message;
        return nullptr;
    }

    const std::string hosts = childPath(directory, "hosts");
    for (SiteComputer& computer : site->computers_) {
        computer.hostDirectory = childPath(hosts, computer.name);
        const std::string registryDirectory = childPath(computer.hostDirectory, "registry");
        computer.machineRegistry =
            std::make_shared<RegistryStore>(childPath(registryDirectory, "HKLM.reg"), "HKEY_LOCAL_MACHINE");
    }
    return site;
}

const SiteComputer* Site::FindComputer(std::string_view name) const
{
    const auto it = index_.find(AsciiUpper(WithoutLeadingBackslashes(name)));
    return it == index_.end() ? nullptr : &computers_[it->second];
}

bool Site::IsLocal(const char* name) const
{
    if (!name || !*name)
        return true;
    return AsciiUpper(WithoutLeadingBackslashes(name)) == LocalComputer().name;
}

std::string SystemRootOf(const SiteComputer& computer)
{
    std::string root;
    if (computer.machineRegistry) {
        computer.machineRegistry->Read([&](const RegistryKey& hive) {
            const RegistryKey* key = hive.Find({"SOFTWARE", "Microsoft", "Windows NT", "CurrentVersion"});
            const RegistryValue* value = key ? key->FindValue("SystemRoot") : nullptr;
            if (value && (value->type == REG_SZ || value->type == REG_EXPAND_SZ)) {
                const std::string text(value->data.begin(), value->data.end());
                root = text.substr(0, text.find('\0'));
            }
            return ERROR_SUCCESS;
        });
    }
    return root.empty() ? std::string("C:\\WINDOWS") : root;
}

// --- the current site ---

namespace {

struct SiteState {
    std::mutex mutex;
    std::shared_ptr<const Site> site;
    std::string error;
};

SiteState& state()
{
    static SiteState s;
    return s;
}

void applyProfile(const Site& site)
{
    PlatformProfile profile;
    if (!site.ProfileName().empty() && profileByName(site.ProfileName(), profile))
        SetProfile(profile);
}

} // namespace

std::shared_ptr<const Site> CurrentSite()
{
    SiteState& s = state();
    std::lock_guard lock(s.mutex);
    if (s.site)
        return s.site;
    const std::string directory = SiteDirectoryFromEnvironment();
    std::error_code ec;
    if (!directory.empty() && (SiteDirectoryGivenExplicitly() || fs::exists(directory, ec))) {
        std::string error;
        if (auto site = Site::Load(directory, error)) {
            applyProfile(*site);
            s.site = std::move(site);
            return s.site;
        }
        s.error = error;
        std::fprintf(stderr, "quellvane: the site cannot be loaded: %s\n", error.c_str());
    }
    s.site = Site::Empty();
    return s.site;
}

bool LoadSite(const std::string& directory)
{
    std::string error;
    std::shared_ptr<Site> site = Site::Load(directory, error);
    SiteState& s = state();
    std::lock_guard lock(s.mutex);
    if (!site) {
        s.error = error;
        return false;
    }
    applyProfile(*site);
    s.site = std::move(site);
    s.error.clear();
    NetConnections::Instance().Clear();
    return true;
}

void ResetSite()
{
    SiteState& s = state();
    std::lock_guard lock(s.mutex);
    s.site.reset();
    s.error.clear();
    NetConnections::Instance().Clear();
}

std::string SiteError()
{
    SiteState& s = state();
    std::lock_guard lock(s.mutex);
    return s.error;
}

DWORD ReachComputer(const Site& site, const char* name, RemoteService service, const SiteComputer*& computer)
{
    computer = nullptr;
    if (site.IsLocal(name)) {
        computer = &site.LocalComputer();
        return ERROR_SUCCESS;
    }
    const SiteComputer* found = site.FindComputer(name);
    if (!found)
        return ERROR_BAD_NETPATH;
    if (!found->reachable)
        return service == RemoteService::EventLog ? RPC_S_SERVER_UNAVAILABLE : ERROR_BAD_NETPATH;
    if (found->requiresConnection && !NetConnections::Instance().HasSession(found->name))
        return ERROR_ACCESS_DENIED;
    computer = found;
    return ERROR_SUCCESS;
}

} // namespace platform
