#pragma once
// The demo network: the domain OSTRIVEL of a small office with the
// workstation WKS-DEMO (the local computer), the file, print and domain
// server SRV-FILES, the database and web server SRV-VAULT (which wants a
// connection with credentials) and the retired SRV-OLD (which no longer
// answers); their accounts, and the texts of site.ini, of the accounts
// files and of the site's README.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace demosite {

inline constexpr char kDomain[] = "OSTRIVEL";
inline constexpr char kLocalComputer[] = "WKS-DEMO";
inline constexpr char kFileServer[] = "SRV-FILES"; // also the domain controller
inline constexpr char kVaultServer[] = "SRV-VAULT";
inline constexpr char kRetiredServer[] = "SRV-OLD";
// The credentials SRV-VAULT accepts.
inline constexpr char kVaultUser[] = "Administrator";
inline constexpr char kVaultPassword[] = "Vault-2024";

// The well-known accounts that services run as.
inline constexpr char kSystemSid[] = "S-1-5-18";
inline constexpr char kLocalServiceSid[] = "S-1-5-19";
inline constexpr char kNetworkServiceSid[] = "S-1-5-20";

enum class Role { Workstation, FileServer, DatabaseServer };

// A computer that has a drive and a registry.
struct DemoComputer {
    std::string name;
    Role role = Role::Workstation;
    std::string systemRoot; // "C:\WINDOWS"
    std::string comment;
    std::string accountsSid; // the SID its own accounts are numbered below
    std::string osName;
    std::string osVersion;
    std::string osBuild;
    std::string osServicePack;
    std::string address; // its IP address
    std::uint64_t seed = 0;
};

enum class UserKind { Person, Administrator, Service };

struct DemoUser {
    std::string name; // the account name
    std::string fullName;
    std::uint32_t rid = 0;
    UserKind kind = UserKind::Person;
};

// WKS-DEMO, SRV-FILES and SRV-VAULT, in this order.
const std::vector<DemoComputer>& DemoComputers();
const DemoComputer& DemoComputerNamed(std::string_view name);

// The accounts of the domain's people and services.
const std::vector<DemoUser>& DomainUsers();
const DemoUser& DomainUser(std::string_view name);
// The domain's SID followed by a relative identifier.
std::string DomainSid(std::uint32_t rid);
// The SID of a computer's own account with this relative identifier.
std::string LocalSid(const DemoComputer& computer, std::uint32_t rid);

// site.ini of the demo network.
std::string SiteIniText();
// registry/accounts.txt of a computer: its own accounts (the controller's
// are the domain's).
std::string AccountsFileText(const DemoComputer& computer);
// README.txt in the site's root: what the demo network holds.
std::string ReadmeText(const std::string& backupFileName);

} // namespace demosite
