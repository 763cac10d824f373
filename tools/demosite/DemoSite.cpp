#include "DemoSite.h"

#include "DemoActivity.h"
#include "DemoLogBook.h"
#include "DemoNetwork.h"
#include "DemoRegistry.h"

#include "platform/EventLogService.h"
#include "platform/EvtLogImage.h"
#include "platform/FileIo.h"
#include "platform/RegistryFile.h"

#include "msg_eventlog.h"
#include "msg_secaudit.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <unistd.h>

namespace fs = std::filesystem;

namespace demosite {
namespace {

// A failure while writing; caught at the top and turned into the error.
struct WriteFailure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The live logs cover May to October 2024, and end on a Thursday afternoon.
std::uint32_t liveStart()
{
    return DemoActivity::Midnight(2024, 5, 1);
}
constexpr int kLiveDays = 184;
std::uint32_t liveEnd()
{
    return DemoActivity::Midnight(2024, 10, 31) + 15 * 3600 + 42 * 60;
}
// The older Application log of WKS-DEMO, saved to the backup file.
std::uint32_t backupStart()
{
    return DemoActivity::Midnight(2024, 1, 2);
}
constexpr int kBackupDays = 119;

void writeFile(const fs::path& path, const std::string& contents)
{
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    std::string why;
    if (platform::WriteFileAtomically(path.string(), reinterpret_cast<const BYTE*>(contents.data()), contents.size(),
                                      true, why) != 0)
        throw WriteFailure(path.string() + ": " + why);
}

void writeBytes(const fs::path& path, const std::vector<BYTE>& bytes)
{
    writeFile(path, std::string(bytes.begin(), bytes.end()));
}

std::string upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
    return text;
}

// The host path of a path on drive C: of a computer ("C:\WINNT\x.dll").  A
// name that differs only in case from an entry written before names that
// entry, as it does on the computer.
fs::path drivePath(const fs::path& host, const std::string& windowsPath)
{
    if (windowsPath.size() < 3 || (windowsPath[0] != 'C' && windowsPath[0] != 'c') || windowsPath[1] != ':' ||
        windowsPath[2] != '\\')
        throw WriteFailure("not a path on drive C: " + windowsPath);
    fs::path path = host / "C";
    std::size_t start = 3;
    while (start < windowsPath.size()) {
        const std::size_t end = windowsPath.find('\\', start);
        std::string name = windowsPath.substr(start, end - start);
        std::error_code ec;
        for (fs::directory_iterator it(path, ec), last; !ec && it != last; it.increment(ec))
            if (upper(it->path().filename().string()) == upper(name))
                name = it->path().filename().string();
        path /= name;
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return path;
}

// The image of a live log holding the events in order; `wrapTime` receives
// the time of the first event that overwrote an older one (0: none did).
platform::evt::EvtLogImage buildLog(const std::vector<platform::evt::EvtRecord>& events, const DemoLogSettings& settings,
                                    std::uint32_t* wrapTime = nullptr)
{
    platform::evt::EvtLogImage image(settings.maxSize, settings.retention);
    if (wrapTime)
        *wrapTime = 0;
    for (const platform::evt::EvtRecord& event : events) {
        std::string why;
        if (const DWORD code = image.append(event, 0, why, nullptr); code != 0)
            throw WriteFailure("the " + settings.name + " log cannot take an event: " +
                               (why.empty() ? "error " + std::to_string(code) : why));
        if (wrapTime && *wrapTime == 0 && image.oldestRecordNumber() > 1)
            *wrapTime = event.timeWritten;
    }
    return image;
}

const DemoLogSettings& settingsOf(const std::vector<DemoLogSettings>& logs, const std::string& name)
{
    for (const DemoLogSettings& settings : logs)
        if (settings.name == name)
            return settings;
    throw WriteFailure("no settings for the log " + name);
}

void writeLogs(const DemoComputer& computer, const fs::path& host)
{
    DemoLogBook book(computer.name);
    DemoActivity(computer, book).Run(liveStart(), kLiveDays);
    book.DropFrom(liveEnd());
    if (computer.role == Role::FileServer) {
        // The Security log of the controller was saved and cleared in September.
        const std::uint32_t cleared = DemoActivity::Midnight(2024, 9, 2) + 9 * 3600 + 12 * 60 + 7;
        book.DropBefore(DemoLog::Security, cleared);
        book.Add(DemoLog::Security, cleared, kSourceSecurity, SEC_LOG_CLEARED, EVENTLOG_AUDIT_SUCCESS, 1,
                 {"tmarsh", kDomain, "(0x0,0x9C41A)"}, DomainSid(DomainUser("tmarsh").rid));
    }

    const std::vector<DemoLogSettings> logs = LogSettingsOf(computer);
    const fs::path config = drivePath(host, computer.systemRoot + "\\system32\\config");
    const DemoLogSettings& security = settingsOf(logs, "Security");
    std::uint32_t wrapTime = 0;
    const platform::evt::EvtLogImage securityLog = buildLog(book.Events(DemoLog::Security), security, &wrapTime);
    if (wrapTime != 0)
        book.Add(DemoLog::System, wrapTime, kSourceEventLog, ELOG_LOG_WRAPPING, EVENTLOG_WARNING_TYPE, 0,
                 {"Security", std::to_string(security.maxSize / 1024)});
    writeBytes(config / security.fileName, securityLog.bytes());
    for (const char* name : {"Application", "System"}) {
        const DemoLogSettings& settings = settingsOf(logs, name);
        const DemoLog log = std::string(name) == "Application" ? DemoLog::Application : DemoLog::System;
        writeBytes(config / settings.fileName, buildLog(book.Events(log), settings).bytes());
    }
}

std::vector<BYTE> backupLog()
{
    const DemoComputer& computer = DemoComputerNamed(kLocalComputer);
    DemoLogBook book(computer.name);
    DemoActivity(computer, book, 1).Run(backupStart(), kBackupDays);
    DemoLogSettings settings{"Application", "AppEvent.Evt", 0x00300000, 0};
    return buildLog(book.Events(DemoLog::Application), settings).compactBytes();
}

void writeComputer(const DemoComputer& computer, const fs::path& site, const fs::path& messages)
{
    const fs::path host = site / "hosts" / computer.name;
    std::string error;
    if (!platform::WriteRegistryFile((host / "registry" / "HKLM.reg").string(), MachineRegistryOf(computer),
                                     "HKEY_LOCAL_MACHINE", error))
        throw WriteFailure(error);
    writeFile(host / "registry" / "accounts.txt", AccountsFileText(computer));
    for (const std::string& file : MessageFilesOf(computer)) {
        const fs::path from = messages / file.substr(file.rfind('\\') + 1);
        const fs::path to = drivePath(host, file);
        std::error_code ec;
        fs::create_directories(to.parent_path(), ec);
        if (!fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec))
            throw WriteFailure("cannot copy " + from.string() + " to " + to.string() + ": " + ec.message());
    }
    writeLogs(computer, host);
}

void writeSite(const fs::path& site, const fs::path& messages)
{
    writeFile(site / "site.ini", SiteIniText());
    writeFile(site / "README.txt", ReadmeText(kBackupFileName));
    writeFile(site / kMarkerFileName, "Written by qv-demosite; the next run replaces this directory.\n");
    for (const DemoComputer& computer : DemoComputers())
        writeComputer(computer, site, messages);
    const std::vector<BYTE> backup = backupLog();
    writeBytes(drivePath(site / "hosts" / kLocalComputer, kBackupDrivePath), backup);
    writeBytes(site / kBackupFileName, backup);
}

bool isEmptyDirectory(const fs::path& path)
{
    std::error_code ec;
    return fs::is_directory(path, ec) && fs::directory_iterator(path, ec) == fs::directory_iterator();
}

// A new directory beside `path`, named after it.
fs::path temporaryBeside(const fs::path& path, const char* what)
{
    std::string pattern = path.string() + "." + what + "-XXXXXX";
    if (!::mkdtemp(pattern.data()))
        throw WriteFailure("cannot create a directory beside " + path.string());
    return pattern;
}

} // namespace

bool WriteDemoSite(const std::string& directory, const std::string& messageDirectory, std::string& error)
{
    std::error_code ec;
    fs::path target = fs::absolute(directory, ec);
    if (ec || directory.empty()) {
        error = "no directory given";
        return false;
    }
    while (!target.empty() && !target.has_filename())
        target = target.parent_path();
    const bool exists = fs::exists(target, ec);
    if (exists && !isEmptyDirectory(target) && !fs::exists(target / kMarkerFileName, ec)) {
        error = target.string() + ": the directory holds something other than a demo site; it is left alone";
        return false;
    }
    if (!fs::is_directory(messageDirectory, ec)) {
        error = messageDirectory + ": the directory of the message files does not exist";
        return false;
    }

    fs::path building;
    try {
        fs::create_directories(target.parent_path(), ec);
        building = temporaryBeside(target, "new");
        writeSite(building, messageDirectory);
        if (exists) {
            const fs::path old = temporaryBeside(target, "old");
            fs::rename(target, old / "site");
            fs::rename(building, target);
            fs::remove_all(old, ec);
        } else {
            fs::rename(building, target);
        }
        return true;
    } catch (const std::exception& failure) {
        error = failure.what();
        if (!building.empty())
            fs::remove_all(building, ec);
        return false;
    }
}

} // namespace demosite
