#pragma once
// The site: the network the program sees.  Every computer is a directory
// laid out like its system drive, and all of them together form the site.
//
//     <site>/site.ini                          the network (below)
//     <site>/hosts/<NAME>/C/...                drive C: of computer NAME
//     <site>/hosts/<NAME>/registry/HKLM.reg    its HKEY_LOCAL_MACHINE
//                                              (a registry file, RegistryFile.h)
//     <site>/hosts/<NAME>/registry/accounts.txt  its accounts (AccountTable.h)
//
// Names of directories and files below hosts/ are matched without regard to
// case, as the platform matches paths.  A computer without a directory has
// an empty drive and an empty registry.
//
// site.ini (INI text, IniFile.h; every key not listed here is refused):
//
//     [Site]
//     LocalComputer=WKS1          the computer the program runs on (required)
//     Profile=nt5                 the system the platform plays: nt5, nt51
//                                 (with a visual style active), nt6, win9x
//                                 (with the remote-administration library)
//                                 or win9x-bare (without it); optional, the
//                                 current profile stays
//
//     [Provider Microsoft Windows Network]
//     Comment=...                 optional; without any provider section the
//                                 site has the one provider
//                                 "Microsoft Windows Network"
//
//     [Domain CORP]               a domain or workgroup
//     Provider=...                optional; the first provider
//     Comment=...                 optional
//     Controller=DC1              optional: the computer that answers for
//                                 the domain's accounts
//
//     [Computer SERVER1]
//     Domain=CORP                 optional; a computer outside every domain
//                                 is reached by name but not listed
//     Comment=...                 optional
//     Reachable=yes               optional, yes; "no": known but not
//                                 answering (switched off)
//     RequiresConnection=no       optional, no; "yes": refuses its registry,
//                                 event logs and shares (ERROR_ACCESS_DENIED)
//                                 until a connection with credentials is made
//     Shares=Public:Files for all,Tools
//                                 optional: the computer's shares, separated
//                                 by commas, each a name with an optional
//                                 comment after a colon.  A share name is 1
//                                 to 80 characters without control
//                                 characters and without \ / : * ? " < > |
//                                 or a comma.  Every computer also has the
//                                 administrative shares C$, ADMIN$ and IPC$;
//                                 shares whose names end in "$" are hidden
//                                 from network browsing but can be connected
//
//     [Credentials SERVER1]       the accounts SERVER1 accepts
//     Administrator=Secret1       user name (any case) = password (exact);
//                                 a password with blanks at either end is
//                                 given in double quotes
//
// Computer and domain names are 1 to 15 letters, digits, '-' or '_' and are
// compared without regard to case; the platform gives them in upper case.
// The local computer needs no [Computer] section.
//
// The process has one current site.  It is looked up on first use
// (UserDirectories.h: $QUELLVANE_SITE, else the user's data directory);
// without a site the platform plays a lone computer named "QUELLVANE" with
// an empty drive and an empty registry.  Tests load their own with LoadSite.

#include "RegistryStore.h"
#include "Win32Types.h"

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

struct SiteShare {
    std::string name; // as site.ini spells it
    std::string comment;
};

struct SiteComputer {
    std::string name; // upper case
    std::string domain;
    std::string comment;
    bool reachable = true;
    bool requiresConnection = false;
    std::vector<SiteShare> shares; // those of Shares=, in their order
    std::vector<std::pair<std::string, std::string>> accounts; // user name, password
    std::string hostDirectory;                                 // empty for the lone computer of an empty site
    std::shared_ptr<RegistryStore> machineRegistry;            // HKEY_LOCAL_MACHINE

    // The host directory that stands for drive C:, or empty.
    std::string SystemDriveDirectory() const;
    // True when the computer has an account with this user name (any case)
    // and exactly this password.
    bool AcceptsLogon(std::string_view userName, std::string_view password) const;
    // The share of Shares= with this name (any case), or null.
    const SiteShare* FindShare(std::string_view shareName) const;
    // True for a share of Shares= and for the administrative shares C$,
    // ADMIN$ and IPC$ (any case).
    bool HasShare(std::string_view shareName) const;
};

// True for a share name that network browsing does not show (ends in "$").
bool IsHiddenShare(std::string_view shareName);

struct SiteDomain {
    std::string name;
    std::string provider;
    std::string comment;
    std::vector<std::string> computers; // in the order of their sections
    std::string controller;             // upper case; empty for a workgroup
};

struct SiteProvider {
    std::string name;
    std::string comment;
    std::vector<std::string> domains; // in the order of their sections
};

class Site {
public:
    // The site of a lone computer named "QUELLVANE", with nothing on it but
    // the provider "Microsoft Windows Network".
    static std::shared_ptr<Site> Empty();
    // The site in a directory; null with the reason in `error`.
    static std::shared_ptr<Site> Load(const std::string& directory, std::string& error);

    const std::string& Directory() const { return directory_; }
    // The profile site.ini names, or empty.
    const std::string& ProfileName() const { return profile_; }

    const SiteComputer& LocalComputer() const { return computers_.at(local_); }
    // The computer with this name (with or without leading backslashes, any
    // case), or null.  An empty name finds nothing.
    const SiteComputer* FindComputer(std::string_view name) const;
    // True for an empty name (null included) and for the local computer's
    // name with or without leading backslashes.
    bool IsLocal(const char* name) const;

    const std::vector<SiteComputer>& Computers() const { return computers_; }
    const std::vector<SiteDomain>& Domains() const { return domains_; }
    const std::vector<SiteProvider>& Providers() const { return providers_; }

private:
    std::string directory_;
    std::string profile_;
    std::vector<SiteComputer> computers_;
    std::map<std::string, std::size_t> index_; // upper-case name -> position in computers_
    std::size_t local_ = 0;
    std::vector<SiteDomain> domains_;
    std::vector<SiteProvider> providers_;
};

// A computer name without its leading backslashes.
std::string_view WithoutLeadingBackslashes(std::string_view name);

// The system root of a computer ("C:\WINDOWS"): the value "SystemRoot" of
// HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows NT\CurrentVersion, or
// "C:\WINDOWS" when it has none.
std::string SystemRootOf(const SiteComputer& computer);

// --- the current site of the process ---

// The current site; looked up on first use.
std::shared_ptr<const Site> CurrentSite();

// Makes the site in `directory` the current one and drops every network
// connection; a profile it names becomes the current profile.  False with
// the reason in SiteError() when the site cannot be loaded; the current
// site then stays.
bool LoadSite(const std::string& directory);

// Forgets the current site and the network connections: the next use looks
// the site up again.
void ResetSite();

// Why the last load failed, or empty.
std::string SiteError();

// --- reaching a computer of the site ---

enum class RemoteService { Registry, EventLog, Files };

// Finds the computer that a platform call names (null, empty or the local
// name: the local computer; others with or without leading backslashes) and
// checks that the service can reach it.  ERROR_SUCCESS with `computer` set,
// else the platform's code: ERROR_BAD_NETPATH for an unknown computer (and
// an unreachable one, except for the event-log service:
// RPC_S_SERVER_UNAVAILABLE), ERROR_ACCESS_DENIED for a computer that
// requires a connection not yet made.
DWORD ReachComputer(const Site& site, const char* name, RemoteService service, const SiteComputer*& computer);

} // namespace platform
