#include "DemoRegistry.h"

#include "platform/RegistryTypes.h"

#include <algorithm>

namespace demosite {
namespace {

constexpr DWORD kSevenDays = 7 * 24 * 3600;

std::vector<BYTE> text(const std::string& value)
{
    std::vector<BYTE> data(value.begin(), value.end());
    data.push_back(0);
    return data;
}

std::vector<BYTE> dword(DWORD value)
{
    return {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8), static_cast<BYTE>(value >> 16),
            static_cast<BYTE>(value >> 24)};
}

std::vector<BYTE> multiText(const std::vector<std::string>& values)
{
    std::vector<BYTE> data;
    for (const std::string& value : values) {
        data.insert(data.end(), value.begin(), value.end());
        data.push_back(0);
    }
    data.push_back(0);
    return data;
}

std::vector<std::string> splitList(const std::string& list)
{
    std::vector<std::string> paths;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = list.find(';', start);
        paths.push_back(list.substr(start, end - start));
        if (end == std::string::npos)
            return paths;
        start = end + 1;
    }
}

// "%SystemRoot%\..." (in any case) on the computer's system root.
std::string expandSystemRoot(const std::string& path, const DemoComputer& computer)
{
    const std::string variable = "%systemroot%";
    std::string lower = path;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    if (lower.rfind(variable, 0) != 0)
        return path;
    return computer.systemRoot + path.substr(variable.size());
}

} // namespace

std::vector<DemoLogSettings> LogSettingsOf(const DemoComputer& computer)
{
    switch (computer.role) {
    case Role::Workstation:
        return {{"Application", "AppEvent.Evt", 0x00180000, kSevenDays},
                {"System", "SysEvent.Evt", 0x00100000, kSevenDays},
                // Small and overwritten as needed: it has wrapped.
                {"Security", "SecEvent.Evt", 0x00100000, 0}};
    case Role::FileServer:
        return {{"Application", "AppEvent.Evt", 0x00200000, kSevenDays},
                {"System", "SysEvent.Evt", 0x00200000, kSevenDays},
                {"Security", "SecEvent.Evt", 0x00400000, kSevenDays}};
    case Role::DatabaseServer:
        return {{"Application", "AppEvent.Evt", 0x00200000, kSevenDays},
                {"System", "SysEvent.Evt", 0x00100000, kSevenDays},
                {"Security", "SecEvent.Evt", 0x00300000, kSevenDays}};
    }
    return {};
}

std::vector<DemoSource> SourcesOf(const DemoComputer& computer)
{
    const std::string system32 = "%SystemRoot%\\system32\\";
    std::vector<DemoSource> sources = {
        {"Application", kSourceKeepsafe, system32 + "keepsafe.dll", system32 + "keepsafe.dll", 5, "", 0x07},
        {"Application", kSourceFaultMonitor, "%systemroot%\\System32\\faultmon.dll", "", 0, "", 0x07},
        {"Application", kSourcePolicyAgent, system32 + "polagent.dll", "", 0, "", 0x07},
        {"Application", kSourcePackageInstaller,
         "C:\\Program Files\\Common Files\\Package Installer\\pkginst.dll", "", 0, "", 0x07},
        {"Security", kSourceSecurity, system32 + "secaudit.dll", system32 + "secaudit.dll", 9,
         system32 + "secparam.dll", 0x18},
        {"System", kSourceServiceControl, system32 + "svcmsg.dll", "", 0, "", 0x07},
        {"System", kSourceEventLog, system32 + "elogmsg.dll", "", 0, "", 0x07},
        {"System", kSourceDiskWatch, system32 + "diskwatch.dll", system32 + "diskwatch.dll", 3, "", 0x07},
        {"System", kSourceNetLink, "%SystemRoot%\\System32\\drivers\\netlink.sys", "", 0, "", 0x07},
        {"System", kSourceTimeKeeper, system32 + "timekeep.dll", "", 0, "", 0x07},
        {"System", kSourceSpooler, system32 + "inkspool.dll", "", 0, "", 0x07},
    };
    if (computer.role == Role::DatabaseServer) {
        const std::string ledgerline = "C:\\Program Files\\Ledgerline\\bin\\";
        sources.push_back({"Application", kSourceLedgerline, ledgerline + "ledgerline.dll",
                           ledgerline + "ledgerline.dll", 5, ledgerline + "ledgerprm.dll", 0x07});
        sources.push_back({"Application", kSourceHarbor, system32 + "harbormsg.dll;" + system32 + "harborext.dll",
                           system32 + "harbormsg.dll", 5, "", 0x07});
    }
    return sources;
}

std::vector<std::string> MessageFilesOf(const DemoComputer& computer)
{
    std::vector<std::string> files;
    for (const DemoSource& source : SourcesOf(computer)) {
        for (const std::string* list : {&source.eventMessageFile, &source.categoryMessageFile,
                                        &source.parameterMessageFile}) {
            if (list->empty())
                continue;
            for (const std::string& path : splitList(*list)) {
                const std::string expanded = expandSystemRoot(path, computer);
                if (std::find(files.begin(), files.end(), expanded) == files.end())
                    files.push_back(expanded);
            }
        }
    }
    return files;
}

platform::RegistryKey MachineRegistryOf(const DemoComputer& computer)
{
    using namespace platform;
    RegistryKey root;
    RegistryKey& version = root.CreateSubKey("SOFTWARE")
                               .CreateSubKey("Microsoft")
                               .CreateSubKey("Windows NT")
                               .CreateSubKey("CurrentVersion");
    version.SetValue("SystemRoot", REG_SZ, text(computer.systemRoot));
    version.SetValue("ProductName", REG_SZ, text(computer.osName));
    version.SetValue("CurrentVersion", REG_SZ, text(computer.osVersion));
    version.SetValue("CurrentBuildNumber", REG_SZ, text(computer.osBuild));
    version.SetValue("CSDVersion", REG_SZ, text(computer.osServicePack));
    version.SetValue("RegisteredOrganization", REG_SZ, text("Ostrivel"));

    RegistryKey& eventLog = root.CreateSubKey("SYSTEM")
                                .CreateSubKey("CurrentControlSet")
                                .CreateSubKey("Services")
                                .CreateSubKey("EventLog");
    const std::vector<DemoSource> sources = SourcesOf(computer);
    for (const DemoLogSettings& settings : LogSettingsOf(computer)) {
        RegistryKey& log = eventLog.CreateSubKey(settings.name);
        log.SetValue("File", REG_EXPAND_SZ, text("%SystemRoot%\\system32\\config\\" + settings.fileName));
        log.SetValue("MaxSize", REG_DWORD, dword(settings.maxSize));
        log.SetValue("Retention", REG_DWORD, dword(settings.retention));
        std::vector<std::string> names;
        for (const DemoSource& source : sources) {
            if (source.log != settings.name)
                continue;
            names.push_back(source.name);
            RegistryKey& key = log.CreateSubKey(source.name);
            key.SetValue("EventMessageFile", REG_EXPAND_SZ, text(source.eventMessageFile));
            if (!source.categoryMessageFile.empty()) {
                key.SetValue("CategoryMessageFile", REG_EXPAND_SZ, text(source.categoryMessageFile));
                key.SetValue("CategoryCount", REG_DWORD, dword(source.categoryCount));
            }
            if (!source.parameterMessageFile.empty())
                key.SetValue("ParameterMessageFile", REG_EXPAND_SZ, text(source.parameterMessageFile));
            key.SetValue("TypesSupported", REG_DWORD, dword(source.typesSupported));
        }
        log.SetValue("Sources", REG_MULTI_SZ, multiText(names));
    }
    // The same write time everywhere, so that every run writes the same file.
    root.SetLastWriteTimeRecursive(FILETIME{0xD53E8000u, 0x01DA5B9Cu});
    return root;
}

} // namespace demosite
