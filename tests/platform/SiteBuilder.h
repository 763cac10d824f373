#pragma once
// Builds a small site in a temporary directory for a test and makes it the
// platform's current site: site.ini, the computers' drives and registry
// files, and a current user's registry file of its own.  The destructor
// removes the directory and, when the site was loaded, makes the platform
// forget it.

#include "platform/Win32Types.h"

#include <string>
#include <utility>
#include <vector>

// How a computer of a test site is declared in site.ini.
struct SiteComputerOptions {
    std::string domain;
    bool reachable = true;
    bool requiresConnection = false;
    std::vector<std::pair<std::string, std::string>> accounts; // user name, password
    std::string comment;
    std::vector<std::string> shares; // "Name" or "Name:comment"
};

class SiteBuilder {
public:
    using ComputerOptions = SiteComputerOptions;

    SiteBuilder();
    ~SiteBuilder();
    SiteBuilder(const SiteBuilder&) = delete;
    SiteBuilder& operator=(const SiteBuilder&) = delete;

    const std::string& Directory() const { return directory_; }

    SiteBuilder& Local(const std::string& name);
    SiteBuilder& Profile(const std::string& name);
    SiteBuilder& Provider(const std::string& name, const std::string& comment = {});
    SiteBuilder& Domain(const std::string& name, const std::string& provider = {}, const std::string& comment = {},
                        const std::string& controller = {});
    SiteBuilder& Computer(const std::string& name, const ComputerOptions& options = {});

    // Lines of a computer's registry file (UTF-8 text, below the header),
    // e.g. "[HKEY_LOCAL_MACHINE\\SOFTWARE\\x]\n\"Name\"=\"Value\"\n".
    SiteBuilder& Registry(const std::string& computer, const std::string& lines);
    // The event-log keys of a usual computer: the logs Application,
    // Security and System with "File" (REG_EXPAND_SZ below %SystemRoot%),
    // "MaxSize", "Retention" and a source or two each, and "SystemRoot".
    SiteBuilder& StandardEventLogs(const std::string& computer, const std::string& systemRoot = "C:\\WINDOWS");

    // Writes a file on drive C: of a computer ("WINDOWS\\system32\\x.dll",
    // backslashes become directories) and returns its host path.
    std::string DriveFile(const std::string& computer, const std::string& drivePath, const std::string& contents);

    // Writes site.ini and the registry files and makes the site current.
    void Load();

    // The host directory of a computer and of its drive C:.
    std::string HostDirectory(const std::string& computer) const;
    std::string DrivePath(const std::string& computer, const std::string& drivePath) const;
    std::string UserRegistryFile() const;

    // Connects to a resource of the loaded site ("\\\\SERVER1\\IPC$") as a
    // user and gives WNetAddConnection2A's result.
    static DWORD Connect(const std::string& remote, const char* user, const char* password);

    // hex(2):... for a REG_EXPAND_SZ text in a registry file.
    static std::string ExpandSz(const std::string& text);
    // hex(7):... for REG_MULTI_SZ texts.
    static std::string MultiSz(const std::vector<std::string>& texts);

private:
    std::string directory_;
    bool loaded_ = false;
    std::string local_ = "WKS1";
    std::string profile_;
    struct DomainLines {
        std::string name, provider, comment, controller;
    };
    std::vector<std::pair<std::string, std::string>> providers_; // name, comment
    std::vector<DomainLines> domains_;
    std::vector<std::pair<std::string, ComputerOptions>> computers_;
    std::vector<std::pair<std::string, std::string>> registries_; // computer, lines
};
