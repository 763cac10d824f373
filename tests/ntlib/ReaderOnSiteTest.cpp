// The reader on a small network: live logs of the local computer and of
// remote computers found through their registries, descriptions and
// category texts from genuine message files on the computer that holds the
// log, and the failures of computers that cannot be reached.

#include "RaisedException.h"
#include "SiteBuilder.h"

#include "ntlib/EventLog.h"
#include "ntlib/FunctionBinding.h"
#include "ntlib/NTException.h"

#include "platform/FileIo.h"
#include "tools/evtgen/EvtGenerator.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

std::string fixture(const std::string& name)
{
    std::ifstream in(std::string(QV_MESSAGE_FIXTURES) + "/" + name, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

const char* kMirrorSource =
    "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Mirrorfield]\n"
    "\"EventMessageFile\"=hex(2):25,00,53,00,79,00,73,00,74,00,65,00,6d,00,52,00,6f,00,6f,00,74,00,25,00,5c,00,73,"
    "00,79,00,73,00,74,00,65,00,6d,00,33,00,32,00,5c,00,6d,00,69,00,72,00,72,00,6f,00,72,00,5f,00,65,00,76,00,65,"
    "00,6e,00,74,00,73,00,2e,00,64,00,6c,00,6c,00,00,00\n";

class ReaderOnSite : public ::testing::Test {
protected:
    SiteBuilder site;
    std::unique_ptr<ScopedSystemFunctions> bound;

    void SetUp() override
    {
        site.Local("WKS1")
            .Domain("CORP")
            .Computer("SRV1", {.domain = "CORP"})
            .Computer("LOCKED", {.domain = "CORP", .requiresConnection = true, .accounts = {{"admin", "pw"}}})
            .Computer("DOWN", {.domain = "CORP", .reachable = false});
        for (const char* computer : {"WKS1", "SRV1", "LOCKED"}) {
            site.StandardEventLogs(computer);
            site.Registry(computer,
                          std::string(kMirrorSource) + "\"CategoryMessageFile\"=\"%SystemRoot%\\\\system32\\\\mirror_"
                                                       "categories.dll\"\n\"ParameterMessageFile\"=\"%systemroot%"
                                                       "\\\\System32\\\\MIRROR_PARAMETERS.dll\"\n\"CategoryCount\"="
                                                       "dword:00000003\n");
            for (const char* dll : {"mirror_events.dll", "mirror_categories.dll", "mirror_parameters.dll"})
                site.DriveFile(computer, std::string("WINDOWS\\system32\\") + dll, fixture(dll));
        }
        site.Load();
        writeLog("WKS1", "event source=Mirrorfield computer=WKS1 id=100 category=1 string=Nightly string=12 "
                         "string=\"D:\\\\Mirror\"\n"
                         "event source=Unregistered computer=WKS1 id=0x80000007 category=3 string=\"one\" "
                         "string=\"two\"\n");
        writeLog("SRV1", "event source=Mirrorfield computer=SRV1 id=101 category=2 string=Weekly string=\"C:\\\\A\" "
                         "string=\"C:\\\\B\"\n");
        writeLog("LOCKED", "event source=Mirrorfield computer=LOCKED id=100 string=a string=b string=c\n");
        bound = std::make_unique<ScopedSystemFunctions>();
    }

    void writeLog(const std::string& computer, const std::string& events)
    {
        evtgen::GeneratedLog log;
        std::string error;
        ASSERT_TRUE(evtgen::GenerateEvtLog("clock time=2020-01-02T03:04:05Z\n" + events, log, error)) << error;
        const std::string path = site.DrivePath(computer, "WINDOWS\\system32\\config\\AppEvent.Evt");
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        ASSERT_EQ(platform::WriteFileAtomically(path, log.bytes.data(), log.bytes.size(), true, error), 0u) << error;
    }
};

} // namespace

TEST_F(ReaderOnSite, LocalLogShowsDescriptionsAndCategoriesFromMessageFiles)
{
    TNTEventLog log;
    log.SetSourceName("Application");
    log.SetActive(true);
    ASSERT_EQ(log.GetEventCount(), 2);
    TEventItem* first = log.GetEvent(0);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(log.GetDescription(0), "Mirror job Nightly copied 12 files to D:\\Mirror.\r\n");
    EXPECT_FALSE(first->CategoryName.empty());
    EXPECT_NE(first->CategoryName, "None");

    TEventItem* second = log.GetEvent(1);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->CategoryName, "");
    EXPECT_EQ(log.GetDescription(1), "The description for Event ID ( 7 ) in Source ( Unregistered ) could not be "
                                     "found. It contains the following insertion string(s): .\r\none\r\ntwo");

    std::string rewritten;
    log.SetOnDescriptionNotFound([&](TNTEventLog*, std::string& text) { text = "[" + text.substr(0, 15) + "]"; });
    EXPECT_EQ(log.GetDescription(1), "[The description]");
}

TEST_F(ReaderOnSite, DescriptionsSeeAChangedMessageFileAtTheNextOpening)
{
    TNTEventLog log;
    log.SetSourceName("Application");
    log.SetActive(true);
    ASSERT_EQ(log.GetEventCount(), 2);
    const std::string before = log.GetDescription(0);
    EXPECT_EQ(before, "Mirror job Nightly copied 12 files to D:\\Mirror.\r\n");

    // The file now holds other messages: message 100 is gone.
    site.DriveFile("WKS1", "WINDOWS\\system32\\mirror_events.dll", fixture("mirror_more.dll"));
    log.SetActive(false);
    log.SetActive(true);
    EXPECT_EQ(log.GetDescription(0), "The description for Event ID ( 100 ) in Source ( Mirrorfield ) could not be "
                                     "found. It contains the following insertion string(s): .\r\nNightly\r\n12\r\n"
                                     "D:\\Mirror");
}

TEST_F(ReaderOnSite, RemoteLogByNameWithAndWithoutBackslashes)
{
    for (const char* name : {"SRV1", "\\\\SRV1", "srv1"}) {
        TNTEventLog log;
        log.SetMachineName(name);
        log.SetSourceName("Application");
        log.SetActive(true);
        ASSERT_EQ(log.GetEventCount(), 1) << name;
        EXPECT_EQ(log.GetEvent(0)->Computer, "SRV1");
        EXPECT_EQ(log.GetDescription(0), "Mirror job Weekly finished.\r\nSource folder: C:\\A\r\nTarget folder: "
                                         "C:\\B\r\n")
            << name;
    }
}

TEST_F(ReaderOnSite, LogNamesOfAComputer)
{
    TNTEventLog log;
    std::vector<std::string> names;
    log.GetLogNames(names);
    EXPECT_EQ(names, (std::vector<std::string>{"Application", "Security", "System"}));
    log.SetMachineName("SRV1");
    log.GetLogNames(names);
    EXPECT_EQ(names.size(), 3u);
}

TEST_F(ReaderOnSite, ComputersThatCannotBeReached)
{
    // The registry of a computer that is down cannot be connected.
    TNTEventLog down;
    EXPECT_EQ(RaisedCode([&] { down.SetMachineName("DOWN"); }), 53);
    // A computer that needs credentials refuses without them and opens with them.
    TNTEventLog locked;
    EXPECT_EQ(RaisedCode([&] { locked.SetMachineName("LOCKED"); }), 5);
    TNTEventLog withCredentials;
    withCredentials.LogonAs().UserName = "admin";
    withCredentials.LogonAs().Password = "pw";
    withCredentials.SetMachineName("LOCKED");
    withCredentials.SetSourceName("Application");
    withCredentials.SetActive(true);
    EXPECT_EQ(withCredentials.GetEventCount(), 1);
    EXPECT_EQ(withCredentials.GetDescription(0), "Mirror job a copied b files to c.\r\n");
}

TEST_F(ReaderOnSite, ABackupFileShortenedWhileOpenReadsAsDamaged)
{
    evtgen::GeneratedLog generated;
    std::string error;
    ASSERT_TRUE(evtgen::GenerateEvtLog("log maxsize=0x4000000\nform as=backup\nbulk count=20000 seed=9\n", generated,
                                       error, false))
        << error;
    const std::string path = site.DrivePath("WKS1", "Backups\\many.evt");
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    ASSERT_EQ(platform::WriteFileAtomically(path, generated.bytes.data(), generated.bytes.size(), true, error), 0u);

    TNTEventLog log;
    log.SetBackupFileName(path);
    log.SetActive(true);
    ASSERT_EQ(log.GetEventCount(), 20000);
    TEventItem* first = log.GetEvent(0);
    ASSERT_NE(first, nullptr);
    const std::string source = first->Source;
    std::filesystem::resize_file(path, std::filesystem::file_size(path) / 3);

    int index = 1;
    const auto [text, code] = Raised([&] {
        for (; index < 20000; ++index)
            log.GetEvent(index);
    });
    EXPECT_EQ(code, 1500);
    EXPECT_EQ(text, "1500: The event log file is corrupted.\r\n");
    EXPECT_GT(index, 1000);
    EXPECT_LT(index, 20000);
    EXPECT_EQ(first->Source, source) << "the events read before stay";
    EXPECT_EQ(log.GetEventCount(), 20000);
}
