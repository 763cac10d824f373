// The demo network as the program meets it: every log of every computer
// that answers reads whole, each event with its description from the
// message files, its category text and its user's name; the computer that
// wants credentials opens with them only, the retired one fails, the
// backup file opens, and every run writes the same site.

#include "DemoNetwork.h"
#include "DemoSite.h"

#include "ntlib/EventLog.h"
#include "ntlib/FunctionBinding.h"
#include "ntlib/NTException.h"

#include "platform/ErrorCodes.h"
#include "platform/EventLogService.h"
#include "platform/Kernel32.h"
#include "platform/Site.h"
#include "platform/SiteSeeding.h"

#include "ScopedVariable.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <set>

namespace fs = std::filesystem;

namespace {

class TemporaryDirectory {
public:
    TemporaryDirectory()
    {
        std::string pattern = (fs::temp_directory_path() / "qvdemo-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("cannot create a temporary directory");
        path_ = pattern;
    }
    ~TemporaryDirectory()
    {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

    const fs::path& Path() const { return path_; }

private:
    fs::path path_;
};

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

int errorCodeOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const ENTException& e) {
        return e.ErrorCode();
    }
    return 0;
}

// What a whole log held, for the checks across logs.
struct LogSummary {
    int count = 0;
    DWORD oldestRecord = 0;
    std::set<int> types;
    int withSid = 0;
    int withData = 0;
    int withCategory = 0;
    int withParameters = 0;
};

class DemoSite : public ::testing::Test {
protected:
    TemporaryDirectory directory;
    fs::path site;
    std::unique_ptr<ScopedSystemFunctions> bound;

    void SetUp() override
    {
        site = directory.Path() / "site";
        std::string error;
        ASSERT_TRUE(demosite::WriteDemoSite(site.string(), QV_DEMO_MESSAGE_DIR, error)) << error;
        ASSERT_TRUE(platform::LoadSite(site.string())) << platform::SiteError();
        bound = std::make_unique<ScopedSystemFunctions>();
    }

    void TearDown() override
    {
        bound.reset();
        platform::ResetSite();
    }

    // A reader of a computer's log, with the credentials SRV-VAULT wants.
    static void prepare(TNTEventLog& log, const std::string& computer)
    {
        if (computer == demosite::kVaultServer) {
            log.LogonAs().UserName = demosite::kVaultUser;
            log.LogonAs().Password = demosite::kVaultPassword;
        }
        if (computer != demosite::kLocalComputer)
            log.SetMachineName(computer);
    }

    // Reads every event of an open log and checks what the program shows
    // of it.
    static LogSummary readWhole(TNTEventLog& log, const std::string& where)
    {
        LogSummary summary;
        summary.count = log.GetEventCount();
        summary.oldestRecord = static_cast<DWORD>(log.GetOldestRecord());
        for (int i = 0; i < summary.count; ++i) {
            TEventItem* event = log.GetEvent(i);
            if (!event) {
                ADD_FAILURE() << where << ": event " << i << " of " << summary.count << " is missing";
                break;
            }
            EXPECT_EQ(event->RecordNumber, summary.oldestRecord + static_cast<DWORD>(i)) << where;
            summary.types.insert(event->EventType);
            const std::string description = log.GetDescription(i);
            EXPECT_EQ(description.find("could not be found"), std::string::npos)
                << where << ", record " << event->RecordNumber << ": " << description;
            // Our texts hold no percent sign: one left over is an insert
            // without its string or a parameter without its text.
            EXPECT_EQ(description.find('%'), std::string::npos)
                << where << ", record " << event->RecordNumber << " (" << event->Source << " "
                << (event->EventID & 0xFFFF) << "): " << description;
            EXPECT_FALSE(description.empty()) << where;
            if (event->Category != 0) {
                ++summary.withCategory;
                EXPECT_FALSE(event->CategoryName.empty())
                    << where << ", record " << event->RecordNumber << " (" << event->Source << ")";
                EXPECT_NE(event->CategoryName, "None") << where;
            } else {
                EXPECT_EQ(event->CategoryName, "None") << where;
            }
            if (event->SidLength() != 0) {
                ++summary.withSid;
                // "DOMAIN\user"; the library shows LocalSystem without its domain.
                const std::string user = event->GetUserName();
                const std::size_t slash = user.find('\\');
                EXPECT_TRUE(user == "\\SYSTEM" || (slash != std::string::npos && slash > 0 && slash + 1 < user.size() &&
                                                    user.find("S-1-") == std::string::npos))
                    << where << ", record " << event->RecordNumber << ": user \"" << user << "\"";
            } else {
                EXPECT_EQ(event->GetUserName(), "N/A");
            }
            if (event->DataLength() != 0)
                ++summary.withData;
            for (const std::string& s : event->Strings)
                if (s.find("%%") != std::string::npos) {
                    ++summary.withParameters;
                    break;
                }
        }
        return summary;
    }
};

TEST_F(DemoSite, TheNetworkIsTheOneTheReadmeDescribes)
{
    const std::shared_ptr<const platform::Site> current = platform::CurrentSite();
    EXPECT_EQ(current->LocalComputer().name, demosite::kLocalComputer);
    ASSERT_EQ(current->Domains().size(), 1u);
    EXPECT_EQ(current->Domains()[0].name, demosite::kDomain);
    EXPECT_EQ(current->Domains()[0].controller, demosite::kFileServer);
    EXPECT_EQ(current->Domains()[0].computers,
              (std::vector<std::string>{"WKS-DEMO", "SRV-FILES", "SRV-VAULT", "SRV-OLD"}));
    const platform::SiteComputer* vault = current->FindComputer(demosite::kVaultServer);
    ASSERT_NE(vault, nullptr);
    EXPECT_TRUE(vault->requiresConnection);
    EXPECT_TRUE(vault->AcceptsLogon(demosite::kVaultUser, demosite::kVaultPassword));
    const platform::SiteComputer* old = current->FindComputer(demosite::kRetiredServer);
    ASSERT_NE(old, nullptr);
    EXPECT_FALSE(old->reachable);
    EXPECT_EQ(platform::SystemRootOf(*vault), "C:\\WINNT");
    EXPECT_TRUE(fs::exists(site / "README.txt"));
}

TEST_F(DemoSite, EveryLogOfEveryComputerReadsWithDescriptionsCategoriesAndUsers)
{
    std::set<int> types;
    int withSid = 0;
    int withData = 0;
    int withCategory = 0;
    int withParameters = 0;
    for (const demosite::DemoComputer& computer : demosite::DemoComputers()) {
        TNTEventLog names;
        prepare(names, computer.name);
        std::vector<std::string> logs;
        names.GetLogNames(logs);
        EXPECT_EQ(logs, (std::vector<std::string>{"Application", "Security", "System"})) << computer.name;
        for (const std::string& name : logs) {
            TNTEventLog log;
            prepare(log, computer.name);
            log.SetSourceName(name);
            log.SetActive(true);
            const LogSummary summary = readWhole(log, computer.name + " " + name);
            // A few thousand events each.
            EXPECT_GE(summary.count, 1500) << computer.name << " " << name;
            EXPECT_LE(summary.count, 8000) << computer.name << " " << name;
            types.insert(summary.types.begin(), summary.types.end());
            withSid += summary.withSid;
            withData += summary.withData;
            withCategory += summary.withCategory;
            withParameters += summary.withParameters;
        }
    }
    EXPECT_EQ(types, (std::set<int>{etUnknown, etError, etWarning, etInformation, etAuditSuccess, etAuditFailure}));
    EXPECT_GT(withSid, 1000);
    EXPECT_GT(withData, 40);
    EXPECT_GT(withCategory, 1000);
    EXPECT_GT(withParameters, 1000);
}

TEST_F(DemoSite, TheWrappedSecurityLogOfTheWorkstationReadsWhole)
{
    TNTEventLog log;
    log.SetSourceName("Security");
    log.SetActive(true);
    const LogSummary summary = readWhole(log, "WKS-DEMO Security");
    EXPECT_GT(summary.oldestRecord, 1u) << "the oldest events were overwritten";
    EXPECT_GT(summary.count, 1500);
    // Read from the newest end first, as a list that starts at the bottom.
    TNTEventLog backwards;
    backwards.SetSourceName("Security");
    backwards.SetActive(true);
    const int count = backwards.GetEventCount();
    for (int i = count - 1; i >= 0; --i)
        ASSERT_NE(backwards.GetEvent(i), nullptr) << i;

    // The event-log service noted in the System log when it began to overwrite.
    TNTEventLog system;
    system.SetSourceName("System");
    system.SetActive(true);
    int notes = 0;
    for (int i = 0; i < system.GetEventCount(); ++i) {
        const TEventItem* event = system.GetEvent(i);
        if (event->Source == "EventLog" && event->Strings.size() == 2 && event->Strings[0] == "Security") {
            ++notes;
            EXPECT_EQ(system.GetDescription(i), "The Security log has reached its size limit of 1024 KB. From now on "
                                                "the oldest events are overwritten as new ones arrive.\r\n");
        }
    }
    EXPECT_EQ(notes, 1);
}

TEST_F(DemoSite, SecurityParametersAndRemoteMessageFilesGiveFullTexts)
{
    // A failed logon on the database server: its reason and logon type are
    // parameter references, and the message files are read through the
    // server's administrative share below C:\WINNT.
    TNTEventLog log;
    prepare(log, demosite::kVaultServer);
    log.SetSourceName("Security");
    log.SetActive(true);
    bool found = false;
    for (int i = 0; i < log.GetEventCount() && !found; ++i) {
        TEventItem* event = log.GetEvent(i);
        if (event->EventType != etAuditFailure || (event->EventID & 0xFFFF) != 1201)
            continue;
        found = true;
        const std::string description = log.GetDescription(i);
        EXPECT_EQ(description.rfind("Logon failure:\r\n\tReason:\t\tUnknown user name or wrong password\r\n", 0), 0u)
            << description;
        EXPECT_NE(description.find("\tLogon type:\tNetwork\r\n"), std::string::npos) << description;
        EXPECT_EQ(event->CategoryName, "Logon/Logoff");
        EXPECT_EQ(event->GetUserName(), "\\SYSTEM"); // LocalSystem, shown without its domain
    }
    EXPECT_TRUE(found);
}

TEST_F(DemoSite, TheVaultOpensOnlyWithCredentials)
{
    TNTEventLog without;
    EXPECT_EQ(errorCodeOf([&] { without.SetMachineName(demosite::kVaultServer); }), ERROR_ACCESS_DENIED);
    EXPECT_EQ(platform::OpenEventLogA(demosite::kVaultServer, "Application"), nullptr);

    TNTEventLog wrongPassword;
    wrongPassword.LogonAs().UserName = demosite::kVaultUser;
    wrongPassword.LogonAs().Password = "guess";
    EXPECT_NE(errorCodeOf([&] { wrongPassword.SetMachineName(demosite::kVaultServer); }), 0);

    TNTEventLog with;
    prepare(with, demosite::kVaultServer);
    with.SetSourceName("Application");
    with.SetActive(true);
    EXPECT_GT(with.GetEventCount(), 0);
    EXPECT_EQ(with.GetEvent(0)->Computer, demosite::kVaultServer);
}

TEST_F(DemoSite, TheRetiredServerDoesNotAnswer)
{
    TNTEventLog log;
    EXPECT_EQ(errorCodeOf([&] { log.SetMachineName(demosite::kRetiredServer); }), ERROR_BAD_NETPATH);
    EXPECT_EQ(platform::OpenEventLogA(demosite::kRetiredServer, "System"), nullptr);
    EXPECT_EQ(GetLastError(), RPC_S_SERVER_UNAVAILABLE);
}

TEST_F(DemoSite, TheBackupFileOpensFromTheSiteAndFromTheDrive)
{
    for (const std::string& file : {(site / demosite::kBackupFileName).string(),
                                    std::string(demosite::kBackupDrivePath)}) {
        TNTEventLog log;
        log.SetBackupFileName(file);
        log.SetActive(true);
        const LogSummary summary = readWhole(log, file);
        EXPECT_GT(summary.count, 1000) << file;
        EXPECT_EQ(summary.oldestRecord, 1u) << file;
        EXPECT_GT(summary.withSid, 0) << file;
    }
    EXPECT_EQ(readFile(site / demosite::kBackupFileName),
              readFile(site / "hosts" / "WKS-DEMO" / "C" / "Backups" / demosite::kBackupFileName));
}

TEST(DemoSiteSeeding, ANewUserStartsOnTheDemoNetwork)
{
    TemporaryDirectory directory;
    const fs::path demo = directory.Path() / "demo-site";
    std::string error;
    ASSERT_TRUE(demosite::WriteDemoSite(demo.string(), QV_DEMO_MESSAGE_DIR, error)) << error;
    ScopedVariable noSite("QUELLVANE_SITE", nullptr);
    ScopedVariable data("XDG_DATA_HOME", (directory.Path() / "data").c_str());
    platform::ResetSite();

    ASSERT_TRUE(platform::SeedSiteFrom(demo.string(), error)) << error;
    EXPECT_EQ(platform::CurrentSite()->Directory(), (directory.Path() / "data" / "quellvane" / "site").string());
    EXPECT_EQ(platform::CurrentSite()->LocalComputer().name, demosite::kLocalComputer);
    EXPECT_FALSE(fs::exists(directory.Path() / "data" / "quellvane" / "site" / demosite::kMarkerFileName));
    {
        ScopedSystemFunctions bound;
        TNTEventLog log;
        log.SetSourceName("Application");
        log.SetActive(true);
        EXPECT_GT(log.GetEventCount(), 1000);
        EXPECT_EQ(log.GetDescription(0).find("could not be found"), std::string::npos);
    }
    platform::ResetSite();
}

TEST(DemoSiteWriter, EveryRunWritesTheSameSite)
{
    TemporaryDirectory directory;
    const fs::path first = directory.Path() / "first";
    const fs::path second = directory.Path() / "second";
    std::string error;
    ASSERT_TRUE(demosite::WriteDemoSite(first.string(), QV_DEMO_MESSAGE_DIR, error)) << error;
    ASSERT_TRUE(demosite::WriteDemoSite(second.string(), QV_DEMO_MESSAGE_DIR, error)) << error;
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(first))
        if (entry.is_regular_file())
            files[fs::relative(entry.path(), first).string()] = readFile(entry.path());
    std::size_t compared = 0;
    for (const auto& entry : fs::recursive_directory_iterator(second)) {
        if (!entry.is_regular_file())
            continue;
        const std::string name = fs::relative(entry.path(), second).string();
        ASSERT_EQ(files.count(name), 1u) << name;
        EXPECT_TRUE(files[name] == readFile(entry.path())) << name;
        ++compared;
    }
    EXPECT_EQ(compared, files.size());
}

TEST(DemoSiteWriter, ReplacesItsOwnSiteAndLeavesOtherDirectoriesAlone)
{
    TemporaryDirectory directory;
    const fs::path site = directory.Path() / "site";
    std::string error;
    ASSERT_TRUE(demosite::WriteDemoSite(site.string(), QV_DEMO_MESSAGE_DIR, error)) << error;
    std::ofstream(site / "stale.txt") << "left from before";
    ASSERT_TRUE(demosite::WriteDemoSite(site.string(), QV_DEMO_MESSAGE_DIR, error)) << error;
    EXPECT_FALSE(fs::exists(site / "stale.txt"));
    EXPECT_TRUE(fs::exists(site / "site.ini"));

    const fs::path other = directory.Path() / "other";
    fs::create_directories(other);
    std::ofstream(other / "notes.txt") << "mine";
    EXPECT_FALSE(demosite::WriteDemoSite(other.string(), QV_DEMO_MESSAGE_DIR, error));
    EXPECT_NE(error.find("left alone"), std::string::npos) << error;
    EXPECT_TRUE(fs::exists(other / "notes.txt"));
    EXPECT_FALSE(fs::exists(other / "site.ini"));

    EXPECT_FALSE(demosite::WriteDemoSite((directory.Path() / "third").string(), (directory.Path() / "none").string(),
                                         error));
    EXPECT_FALSE(fs::exists(directory.Path() / "third"));
    // Nothing is left beside the sites.
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(directory.Path()))
        ++entries;
    EXPECT_EQ(entries, 2u);
}

} // namespace
