#include "DemoNetwork.h"

#include <stdexcept>

namespace demosite {
namespace {

constexpr char kDomainSidText[] = "S-1-5-21-3417251840-1950233612-2868015537";

std::string line(const std::string& sid, const char* kind, const std::string& domain, const std::string& name)
{
    std::string text = sid;
    text.resize(std::max<std::size_t>(text.size() + 2, 52), ' ');
    text += kind;
    text.resize(std::max<std::size_t>(text.size() + 2, 62), ' ');
    return text + domain + "\\" + name + "\n";
}

// The item of the list with this name; a name the demo network lacks is a
// fault of the caller.
template <typename Item>
const Item& Named(const std::vector<Item>& items, std::string_view name, const char* what)
{
    for (const Item& item : items)
        if (item.name == name)
            return item;
    throw std::logic_error(std::string("no demo ") + what + " " + std::string(name));
}

} // namespace

const std::vector<DemoComputer>& DemoComputers()
{
    static const std::vector<DemoComputer> computers = {
        {kLocalComputer, Role::Workstation, "C:\\WINDOWS", "Accounting workstation of Ada Morrow",
         "S-1-5-21-1281035567-4155263094-2250870461", "Windows NT Workstation", "5.1", "2600", "Service Pack 3",
         "10.20.0.57", 0x57C5DE30A1ull},
        {kFileServer, Role::FileServer, "C:\\WINDOWS", "Files, printers and the domain's accounts", kDomainSidText,
         "Windows NT Server", "5.2", "3790", "Service Pack 2", "10.20.0.10", 0xF11E5E12B7ull},
        {kVaultServer, Role::DatabaseServer, "C:\\WINNT", "Ledger database and intranet web server",
         "S-1-5-21-2903385811-611462319-3652077207", "Windows NT Server", "5.0", "2195", "Service Pack 4",
         "10.20.0.12", 0x7A017D8C43ull},
    };
    return computers;
}

const DemoComputer& DemoComputerNamed(std::string_view name)
{
    return Named(DemoComputers(), name, "computer");
}

const std::vector<DemoUser>& DomainUsers()
{
    static const std::vector<DemoUser> users = {
        {"Administrator", "Built-in administrator of the domain", 500, UserKind::Administrator},
        {"tmarsh", "Tobias Marsh (IT)", 1110, UserKind::Administrator},
        {"amorrow", "Ada Morrow", 1111, UserKind::Person},
        {"bkeller", "Bruno Keller", 1112, UserKind::Person},
        {"cnakamura", "Chie Nakamura", 1113, UserKind::Person},
        {"dokafor", "Daniel Okafor", 1114, UserKind::Person},
        {"ebrandt", "Elke Brandt", 1115, UserKind::Person},
        {"fvidal", "Franco Vidal", 1116, UserKind::Person},
        {"gsørensen", "Gry Sørensen", 1117, UserKind::Person},
        {"hpetrov", "Hristo Petrov", 1118, UserKind::Person},
        {"jcañete", "Julia Cañete", 1119, UserKind::Person},
        {"svc-keepsafe", "Backup agent service account", 1130, UserKind::Service},
        {"svc-harbor", "Web server application pools", 1131, UserKind::Service},
        {"svc-ledger", "Database engine service account", 1132, UserKind::Service},
    };
    return users;
}

const DemoUser& DomainUser(std::string_view name)
{
    return Named(DomainUsers(), name, "user");
}

std::string DomainSid(std::uint32_t rid)
{
    return std::string(kDomainSidText) + "-" + std::to_string(rid);
}

std::string LocalSid(const DemoComputer& computer, std::uint32_t rid)
{
    return computer.accountsSid + "-" + std::to_string(rid);
}

std::string SiteIniText()
{
    std::string text = "; The demo network of Quellvane, written by qv-demosite.\n"
                       "; See README.txt beside this file.\n\n"
                       "[Site]\n"
                       "LocalComputer=" + std::string(kLocalComputer) + "\n"
                       "Profile=nt51\n\n"
                       "[Provider Microsoft Windows Network]\n"
                       "Comment=The office network\n\n"
                       "[Domain " + std::string(kDomain) + "]\n"
                       "Comment=Ostrivel head office\n"
                       "Controller=" + std::string(kFileServer) + "\n\n";
    for (const DemoComputer& computer : DemoComputers()) {
        text += "[Computer " + computer.name + "]\nDomain=" + kDomain + "\nComment=" + computer.comment + "\n";
        if (computer.name == kVaultServer)
            text += "RequiresConnection=yes\n";
        text += "\n";
    }
    text += "[Computer " + std::string(kRetiredServer) + "]\nDomain=" + kDomain +
            "\nComment=Old file server, switched off\nReachable=no\n\n";
    text += "[Credentials " + std::string(kVaultServer) + "]\n" + kVaultUser + "=" + kVaultPassword + "\n";
    return text;
}

std::string AccountsFileText(const DemoComputer& computer)
{
    std::string text = "# The accounts of " + computer.name + ", written by qv-demosite.\n";
    if (computer.role == Role::FileServer) {
        text += "# " + computer.name + " is the controller of the domain " + kDomain +
                ": these are the domain's accounts.\n";
        for (const DemoUser& user : DomainUsers())
            text += line(DomainSid(user.rid), "User", kDomain, user.name);
        text += line(DomainSid(501), "User", kDomain, "Guest");
        const struct {
            std::uint32_t rid;
            const char* name;
        } groups[] = {{512, "Domain Admins"}, {513, "Domain Users"}, {514, "Domain Guests"},
                      {515, "Domain Computers"}, {516, "Domain Controllers"}, {1140, "Accounting"},
                      {1141, "Backup Operators of Ostrivel"}};
        for (const auto& group : groups)
            text += line(DomainSid(group.rid), "Group", kDomain, group.name);
        std::uint32_t rid = 1100;
        for (const DemoComputer& member : DemoComputers())
            text += line(DomainSid(rid++), "Computer", kDomain, member.name + "$");
        text += line(DomainSid(rid), "Computer", kDomain, std::string(kRetiredServer) + "$");
        text += line(DomainSid(1150), "DeletedAccount", kDomain, "rlanders");
        return text;
    }
    text += line(LocalSid(computer, 500), "User", computer.name, "Administrator");
    text += line(LocalSid(computer, 501), "User", computer.name, "Guest");
    text += line(LocalSid(computer, 513), "Group", computer.name, "None");
    if (computer.role == Role::Workstation)
        text += line(LocalSid(computer, 1000), "User", computer.name, "Support");
    else
        text += line(LocalSid(computer, 1000), "User", computer.name, "ledgeradmin");
    return text;
}

std::string ReadmeText(const std::string& backupFileName)
{
    return "The demo network of Quellvane\n"
           "=============================\n"
           "\n"
           "This site was written by qv-demosite from the sources in the\n"
           "repository; every text in it was written for the demo.\n"
           "\n"
           "The domain OSTRIVEL holds four computers:\n"
           "\n"
           "  WKS-DEMO   this computer, a workstation\n"
           "  SRV-FILES  file and print server, controller of the domain\n"
           "  SRV-VAULT  database and web server; it answers only a connection\n"
           "             made with credentials (user " + std::string(kVaultUser) + ", password " + kVaultPassword + "),\n"
           "             which Quellvane cannot make: it shows SRV-VAULT as\n"
           "             refusing access\n"
           "  SRV-OLD    retired; it no longer answers\n"
           "\n"
           "Each computer that answers keeps the logs Application, System and\n"
           "Security.  The Security log of WKS-DEMO is full and has begun to\n"
           "overwrite its oldest events.\n"
           "\n"
           "An older Application log of WKS-DEMO was saved to\n"
           "C:\\Backups\\" + backupFileName + " on WKS-DEMO; a copy of it lies\n"
           "beside this file for File > Open Log File.\n";
}

} // namespace demosite
