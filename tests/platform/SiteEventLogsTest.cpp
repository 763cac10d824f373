#include "ProcessIo.h"
#include "SiteBuilder.h"

#include "platform/ErrorCodes.h"
#include "platform/EventLogService.h"
#include "platform/FileIo.h"
#include "platform/Kernel32.h"
#include "platform/SiteEventLogs.h"

#include <gtest/gtest.h>

#include <chrono>

using namespace platform;

namespace {

class SiteEventLogs : public ::testing::Test {
protected:
    void SetUp() override
    {
        site_.Computer("SERVER1", {.requiresConnection = true, .accounts = {{"admin", "pw"}}})
            .Computer("SERVER2", {.reachable = false})
            .Computer("OLDNT")
            .StandardEventLogs("WKS1")
            .StandardEventLogs("SERVER1")
            .StandardEventLogs("OLDNT", "c:\\winnt")
            .Registry("WKS1", "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\EventLog\\NoFile]\n"
                              "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\EventLog\\Odd]\n"
                              "\"File\"=\"%SYSTEMDRIVE%\\\\Odd.evt\"\n"
                              "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\EventLog\\Lower]\n"
                              "\"File\"=\"%systemroot%\\\\system32\\\\config\\\\lower.evt\"\n"
                              "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\EventLog\\Number]\n"
                              "\"File\"=dword:00000001\n");
        localSystem_ = site_.DriveFile("WKS1", "WINDOWS\\system32\\config\\SysEvent.Evt", "");
        serverSystem_ = site_.DriveFile("SERVER1", "WINDOWS\\system32\\config\\SysEvent.Evt", "");
        oldNtSecurity_ = site_.DriveFile("OLDNT", "WINNT\\system32\\config\\SecEvent.Evt", "");
        site_.Load();
    }

    static void connectServer1() { ASSERT_EQ(SiteBuilder::Connect("\\\\SERVER1\\IPC$", "admin", "pw"), ERROR_SUCCESS); }

    SiteBuilder site_;
    std::string localSystem_, serverSystem_, oldNtSecurity_;
};

} // namespace

TEST_F(SiteEventLogs, FindsALiveLogThroughItsFileValue)
{
    connectServer1();
    const struct {
        const char* server;
        const char* log;
        std::string expected;
    } cases[] = {
        {nullptr, "System", localSystem_},
        {"", "system", localSystem_},
        {"WKS1", "SYSTEM", localSystem_},
        {"\\\\wks1", "System", localSystem_},
        {"SERVER1", "System", serverSystem_},
        {"\\\\SERVER1", "System", serverSystem_},
        {"OLDNT", "Security", oldNtSecurity_},
        {nullptr, "NoFile", site_.DrivePath("WKS1", "WINDOWS/system32/config/NoFile.evt")},
        {nullptr, "Odd", site_.DrivePath("WKS1", "Odd.evt")},
        {nullptr, "Lower", site_.DrivePath("WKS1", "WINDOWS/system32/config/lower.evt")},
    };
    for (const auto& c : cases) {
        std::string host;
        EXPECT_EQ(LocateLiveLogOnSite(c.server, c.log, host), ERROR_SUCCESS) << (c.server ? c.server : "") << c.log;
        EXPECT_EQ(host, c.expected);
    }
}

TEST_F(SiteEventLogs, GivesThePlatformCodes)
{
    const struct {
        const char* server;
        const char* log;
        DWORD code;
    } cases[] = {
        {"NOSUCH", "System", ERROR_BAD_NETPATH},
        {"\\\\NOSUCH", "System", ERROR_BAD_NETPATH},
        {"SERVER2", "System", RPC_S_SERVER_UNAVAILABLE},
        {"SERVER1", "System", ERROR_ACCESS_DENIED},
        {nullptr, "NoSuchLog", ERROR_FILE_NOT_FOUND},
        {nullptr, "System\\EventLog", ERROR_FILE_NOT_FOUND},
        {nullptr, "", ERROR_INVALID_PARAMETER},
        {nullptr, nullptr, ERROR_INVALID_PARAMETER},
        {nullptr, "Number", ERROR_INVALID_DATA},
    };
    for (const auto& c : cases) {
        std::string host = "unchanged";
        EXPECT_EQ(LocateLiveLogOnSite(c.server, c.log, host), c.code) << (c.server ? c.server : "") << " "
                                                                        << (c.log ? c.log : "(null)");
        EXPECT_EQ(host, "unchanged");
    }
}

TEST_F(SiteEventLogs, ResolvesABackupFileOnItsComputer)
{
    std::string host;
    EXPECT_EQ(ResolveBackupFileOnSite(nullptr, "/tmp/saved.evt", host), ERROR_SUCCESS);
    EXPECT_EQ(host, "/tmp/saved.evt");
    EXPECT_EQ(ResolveBackupFileOnSite("OLDNT", "relative/saved.evt", host), ERROR_SUCCESS);
    EXPECT_EQ(host, "relative/saved.evt");
    EXPECT_EQ(ResolveBackupFileOnSite("OLDNT", "c:\\winnt\\system32\\config\\secevent.evt", host), ERROR_SUCCESS);
    EXPECT_EQ(host, oldNtSecurity_);
    EXPECT_EQ(ResolveBackupFileOnSite(nullptr, "C:\\Backup.evt", host), ERROR_SUCCESS);
    EXPECT_EQ(host, site_.DrivePath("WKS1", "Backup.evt"));
    EXPECT_EQ(ResolveBackupFileOnSite("", "\\\\OLDNT\\ADMIN$\\system32\\config\\SecEvent.Evt", host), ERROR_SUCCESS);
    EXPECT_EQ(host, oldNtSecurity_);

    EXPECT_EQ(ResolveBackupFileOnSite("NOSUCH", "/tmp/saved.evt", host), ERROR_BAD_NETPATH);
    EXPECT_EQ(ResolveBackupFileOnSite("SERVER2", "/tmp/saved.evt", host), RPC_S_SERVER_UNAVAILABLE);
    EXPECT_EQ(ResolveBackupFileOnSite("SERVER1", "C:\\x.evt", host), ERROR_ACCESS_DENIED);
    EXPECT_EQ(ResolveBackupFileOnSite(nullptr, "", host), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(ResolveBackupFileOnSite(nullptr, "D:\\x.evt", host), ERROR_PATH_NOT_FOUND);
}

TEST_F(SiteEventLogs, ALargeFileThatIsNoLogIsRefusedByItsHeaderAlone)
{
    // The log "Odd" names C:\Odd.evt in its "File" value: a sparse file of
    // 3 GiB that is no event log.
    const std::string path = site_.DrivePath("WKS1", "Odd.evt");
    {
        FileDescriptor file;
        std::string why;
        ASSERT_EQ(WriteFileAtomically(path, nullptr, 0, true, why), ERROR_SUCCESS) << why;
        ASSERT_EQ(file.openForWriting(path), ERROR_SUCCESS);
        ASSERT_EQ(file.resize(std::uint64_t{3} << 30), ERROR_SUCCESS);
    }
    const std::uint64_t before = BytesReadSoFar();
    const auto start = std::chrono::steady_clock::now();
    SetLastError(0);
    EXPECT_EQ(OpenEventLogA(nullptr, "Odd"), nullptr);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(GetLastError(), ERROR_EVENTLOG_FILE_CORRUPT);
    EXPECT_EQ(EventLogErrorDetail(), path + ": not an event-log file (no \"LfLe\" header)");
    EXPECT_LT(BytesReadSoFar() - before, std::uint64_t{64 * 1024}) << "only the start of the file is read";
    EXPECT_LT(took, std::chrono::seconds(2));
}
