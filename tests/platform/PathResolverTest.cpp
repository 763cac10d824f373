#include "SiteBuilder.h"

#include "platform/ErrorCodes.h"
#include "platform/PathResolver.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace platform;
namespace fs = std::filesystem;

namespace {

class PathResolution : public ::testing::Test {
protected:
    void SetUp() override
    {
        site_.Computer("SERVER1", {.requiresConnection = true, .accounts = {{"admin", "pw"}}})
            .Computer("SERVER2", {.reachable = false})
            .Computer("OLDNT")
            .Registry("OLDNT", "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion]\n"
                               "\"SystemRoot\"=\"C:\\\\WINNT\"\n");
        localDll_ = site_.DriveFile("WKS1", "WINDOWS\\System32\\NetMsg.DLL", "local");
        serverLog_ = site_.DriveFile("SERVER1", "WINDOWS\\system32\\config\\SysEvent.Evt", "server");
        oldNtDll_ = site_.DriveFile("OLDNT", "WinNT\\system32\\msaudite.dll", "old");
        site_.Load();
    }

    static void connectServer1() { ASSERT_EQ(SiteBuilder::Connect("\\\\SERVER1\\IPC$", "admin", "pw"), ERROR_SUCCESS); }

    SiteBuilder site_;
    std::string localDll_, serverLog_, oldNtDll_;
};

} // namespace

TEST_F(PathResolution, ResolvesOnTheComputerThePathNames)
{
    connectServer1();
    const struct {
        const char* path;
        std::string expected;
    } cases[] = {
        {"C:\\WINDOWS\\system32\\netmsg.dll", localDll_},
        {"c:\\windows\\system32\\netmsg.dll", localDll_},
        {"C:/Windows/System32/NETMSG.DLL", localDll_},
        {"\\\\WKS1\\C$\\windows\\system32\\netmsg.dll", localDll_},
        {"\\\\wks1\\admin$\\system32\\netmsg.dll", localDll_},
        {"\\\\SERVER1\\C$\\WINDOWS\\system32\\config\\sysevent.evt", serverLog_},
        {"\\\\server1\\ADMIN$\\System32\\Config\\SYSEVENT.EVT", serverLog_},
        {"\\\\OLDNT\\ADMIN$\\system32\\MSAUDITE.DLL", oldNtDll_},
        {"C:\\WINDOWS\\system32\\new.evt", fs::path(localDll_).parent_path().string() + "/new.evt"},
    };
    for (const auto& c : cases) {
        std::string host;
        EXPECT_EQ(ResolveWindowsPath(c.path, host), ERROR_SUCCESS) << c.path;
        EXPECT_EQ(host, c.expected) << c.path;
    }
}

TEST_F(PathResolution, GivesThePlatformCodes)
{
    const struct {
        const char* path;
        DWORD code;
    } cases[] = {
        {"\\\\SERVER1\\C$\\WINDOWS\\system32\\config\\SysEvent.Evt", ERROR_ACCESS_DENIED},
        {"\\\\SERVER2\\C$\\WINDOWS", ERROR_BAD_NETPATH},
        {"\\\\NOSUCH\\C$\\WINDOWS", ERROR_BAD_NETPATH},
        {"\\\\\\C$\\WINDOWS", ERROR_BAD_NETPATH},
        {"\\\\WKS1\\D$\\WINDOWS", ERROR_BAD_NET_NAME},
        {"\\\\WKS1\\IPC$", ERROR_BAD_NET_NAME},
        {"\\\\WKS1", ERROR_BAD_NET_NAME},
        {"D:\\WINDOWS\\x.dll", ERROR_PATH_NOT_FOUND},
        {"C:\\NOWHERE\\x.dll", ERROR_PATH_NOT_FOUND},
        {"C:\\WINDOWS\\..\\..\\etc\\passwd", ERROR_PATH_NOT_FOUND},
        {"WINDOWS\\x.dll", ERROR_INVALID_NAME},
        {"/etc/passwd", ERROR_INVALID_NAME},
    };
    for (const auto& c : cases) {
        std::string host = "unchanged";
        EXPECT_EQ(ResolveWindowsPath(c.path, host), c.code) << c.path;
        EXPECT_EQ(host, "unchanged") << c.path;
    }
}

TEST_F(PathResolution, ADrivePathCanBeMeantOnAnotherComputer)
{
    std::string host;
    EXPECT_EQ(ResolveWindowsPathOn("SERVER1", "C:\\WINDOWS\\system32\\config\\SysEvent.Evt", host),
              ERROR_ACCESS_DENIED);
    connectServer1();
    EXPECT_EQ(ResolveWindowsPathOn("\\\\SERVER1", "c:\\windows\\system32\\config\\sysevent.evt", host), ERROR_SUCCESS);
    EXPECT_EQ(host, serverLog_);
    EXPECT_EQ(ResolveWindowsPathOn("", "C:\\WINDOWS\\system32\\netmsg.dll", host), ERROR_SUCCESS);
    EXPECT_EQ(host, localDll_);
    EXPECT_EQ(ResolveWindowsPathOn("SERVER2", "C:\\WINDOWS", host), ERROR_BAD_NETPATH);
    // A UNC path names its computer itself.
    EXPECT_EQ(ResolveWindowsPathOn("SERVER1", "\\\\WKS1\\C$\\WINDOWS\\system32\\netmsg.dll", host), ERROR_SUCCESS);
    EXPECT_EQ(host, localDll_);
}

TEST_F(PathResolution, TheLocalDriveCanBeMovedElsewhere)
{
    const std::string elsewhere = site_.Directory() + "/elsewhere";
    fs::create_directories(elsewhere + "/Windows");
    SetLocalSystemDrive(elsewhere);
    std::string host;
    EXPECT_EQ(ResolveWindowsPath("C:\\WINDOWS\\x.dll", host), ERROR_SUCCESS);
    EXPECT_EQ(host, elsewhere + "/Windows/x.dll");
    SetLocalSystemDrive("");
    EXPECT_EQ(ResolveWindowsPath("C:\\WINDOWS\\system32\\netmsg.dll", host), ERROR_SUCCESS);
    EXPECT_EQ(host, localDll_);
}
