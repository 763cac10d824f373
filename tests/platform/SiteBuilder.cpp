#include "SiteBuilder.h"

#include "platform/Mpr.h"
#include "platform/Registry.h"
#include "platform/Site.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

void writeFile(const fs::path& path, const std::string& contents)
{
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out << contents;
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

std::string hexBytes(const std::string& prefix, const std::u16string& units)
{
    std::string out = prefix;
    char byte[4];
    for (std::size_t i = 0; i < units.size(); ++i) {
        std::snprintf(byte, sizeof byte, "%02x,", units[i] & 0xFF);
        out += byte;
        std::snprintf(byte, sizeof byte, "%02x", units[i] >> 8);
        out += byte;
        if (i + 1 < units.size())
            out += ',';
    }
    return out;
}

std::u16string ascii16(const std::string& text)
{
    return std::u16string(text.begin(), text.end());
}

} // namespace

SiteBuilder::SiteBuilder()
{
    std::string pattern = (fs::temp_directory_path() / "qvsite-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary directory");
    directory_ = pattern;
}

SiteBuilder::~SiteBuilder()
{
    if (loaded_) {
        platform::ResetSite();
        platform::ResetCurrentUserRegistry();
    }
    std::error_code ec;
    fs::remove_all(directory_, ec);
}

SiteBuilder& SiteBuilder::Local(const std::string& name)
{
    local_ = name;
    return *this;
}

SiteBuilder& SiteBuilder::Profile(const std::string& name)
{
    profile_ = name;
    return *this;
}

SiteBuilder& SiteBuilder::Provider(const std::string& name, const std::string& comment)
{
    providers_.emplace_back(name, comment);
    return *this;
}

SiteBuilder& SiteBuilder::Domain(const std::string& name, const std::string& provider, const std::string& comment,
                                 const std::string& controller)
{
    domains_.push_back(DomainLines{name, provider, comment, controller});
    return *this;
}

SiteBuilder& SiteBuilder::Computer(const std::string& name, const ComputerOptions& options)
{
    computers_.emplace_back(name, options);
    return *this;
}

SiteBuilder& SiteBuilder::Registry(const std::string& computer, const std::string& lines)
{
    registries_.emplace_back(computer, lines);
    return *this;
}

SiteBuilder& SiteBuilder::StandardEventLogs(const std::string& computer, const std::string& systemRoot)
{
    const std::string eventLog = "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\EventLog";
    std::string text = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion]\n"
                       "\"SystemRoot\"=\"" +
                       systemRoot + "\"\n\n";
    // Written in the order the editor would not use, to show that
    // enumeration sorts them.
    const struct {
        const char* log;
        const char* file;
        std::vector<const char*> sources;
    } logs[] = {
        {"System", "SysEvent.Evt", {"Service Control Manager", "EventLog"}},
        {"Security", "SecEvent.Evt", {"Security"}},
        {"Application", "AppEvent.Evt", {"Userenv", "Application Popup"}},
    };
    for (const auto& log : logs) {
        text += eventLog + "\\" + log.log + "]\n";
        text += "\"File\"=" + ExpandSz("%SystemRoot%\\system32\\config\\" + std::string(log.file)) + "\n";
        text += "\"MaxSize\"=dword:00080000\n\"Retention\"=dword:00093a80\n\n";
        for (const char* source : log.sources)
            text += eventLog + "\\" + log.log + "\\" + source + "]\n\"TypesSupported\"=dword:00000007\n\n";
    }
    return Registry(computer, text);
}

std::string SiteBuilder::HostDirectory(const std::string& computer) const
{
    return (fs::path(directory_) / "hosts" / computer).string();
}

std::string SiteBuilder::DrivePath(const std::string& computer, const std::string& drivePath) const
{
    std::string relative = drivePath;
    for (char& c : relative)
        if (c == '\\')
            c = '/';
    return (fs::path(HostDirectory(computer)) / "C" / relative).string();
}

std::string SiteBuilder::UserRegistryFile() const
{
    return (fs::path(directory_) / "user" / "HKCU.reg").string();
}

std::string SiteBuilder::DriveFile(const std::string& computer, const std::string& drivePath,
                                   const std::string& contents)
{
    const std::string path = DrivePath(computer, drivePath);
    writeFile(path, contents);
    return path;
}

std::string SiteBuilder::ExpandSz(const std::string& text)
{
    return hexBytes("hex(2):", ascii16(text) + u'\0');
}

std::string SiteBuilder::MultiSz(const std::vector<std::string>& texts)
{
    std::u16string units;
    for (const std::string& t : texts)
        units += ascii16(t) + u'\0';
    units += u'\0';
    return hexBytes("hex(7):", units);
}

DWORD SiteBuilder::Connect(const std::string& remote, const char* user, const char* password)
{
    std::string name = remote;
    NETRESOURCEA resource{};
    resource.lpRemoteName = name.data();
    return WNetAddConnection2A(&resource, password, user, 0);
}

void SiteBuilder::Load()
{
    std::string ini = "[Site]\nLocalComputer=" + local_ + "\n";
    if (!profile_.empty())
        ini += "Profile=" + profile_ + "\n";
    for (const auto& [provider, comment] : providers_) {
        ini += "\n[Provider " + provider + "]\n";
        if (!comment.empty())
            ini += "Comment=" + comment + "\n";
    }
    for (const DomainLines& domain : domains_) {
        ini += "\n[Domain " + domain.name + "]\n";
        if (!domain.provider.empty())
            ini += "Provider=" + domain.provider + "\n";
        if (!domain.comment.empty())
            ini += "Comment=" + domain.comment + "\n";
        if (!domain.controller.empty())
            ini += "Controller=" + domain.controller + "\n";
    }
    for (const auto& [name, options] : computers_) {
        ini += "\n[Computer " + name + "]\n";
        if (!options.domain.empty())
            ini += "Domain=" + options.domain + "\n";
        if (!options.comment.empty())
            ini += "Comment=" + options.comment + "\n";
        ini += std::string("Reachable=") + (options.reachable ? "yes" : "no") + "\n";
        ini += std::string("RequiresConnection=") + (options.requiresConnection ? "yes" : "no") + "\n";
        if (!options.shares.empty()) {
            std::string shares;
            for (const std::string& share : options.shares)
                shares += (shares.empty() ? "" : ",") + share;
            ini += "Shares=" + shares + "\n";
        }
        if (!options.accounts.empty()) {
            ini += "\n[Credentials " + name + "]\n";
            for (const auto& [user, password] : options.accounts)
                ini += user + "=\"" + password + "\"\n";
        }
    }
    writeFile(fs::path(directory_) / "site.ini", ini);

    std::vector<std::pair<std::string, std::string>> files; // computer, text
    for (const auto& entry : registries_) {
        const std::string& computer = entry.first;
        auto it = std::find_if(files.begin(), files.end(), [&](const auto& f) { return f.first == computer; });
        if (it == files.end())
            it = files.insert(files.end(), {computer, "Windows Registry Editor Version 5.00\n\n"});
        it->second += entry.second + "\n";
    }
    for (const auto& [computer, text] : files)
        writeFile(fs::path(HostDirectory(computer)) / "registry" / "HKLM.reg", text);

    platform::SetCurrentUserRegistryFile(UserRegistryFile());
    loaded_ = true;
    if (!platform::LoadSite(directory_))
        throw std::runtime_error("the test site does not load: " + platform::SiteError());
}
