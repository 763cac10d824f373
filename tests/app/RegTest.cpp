#include "app/dwy_reg.h"

#include "ntlib/NTException.h"

#include "platform/ErrorCodes.h"
#include "platform/Registry.h"
#include "platform/Site.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

constexpr char kKey[] = "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application";
constexpr char kFlags[] = "Software\\Ostrivel\\Quellvane\\Confirmations";

// A site of three computers: WKS1 (this one), SERVER1, and DOWN, which is
// switched off.
class RegistryHelpersTest : public ::testing::Test {
protected:
    std::filesystem::path site;

    void SetUp() override
    {
        site = std::filesystem::temp_directory_path() /
               ("qv-dwyreg-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(site);
        std::filesystem::create_directories(site);
        std::ofstream(site / "site.ini") << "[Site]\nLocalComputer=WKS1\n\n"
                                            "[Computer SERVER1]\n\n"
                                            "[Computer DOWN]\nReachable=no\n";
        ASSERT_TRUE(platform::LoadSite(site.string())) << platform::SiteError();
        platform::SetCurrentUserRegistryFile("");
    }

    void TearDown() override
    {
        platform::ResetSite();
        std::filesystem::remove_all(site);
    }

    static void setString(HKEY root, const char* key, const char* name, DWORD type, const std::string& value)
    {
        HKEY k = nullptr;
        ASSERT_EQ(platform::RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr),
                  static_cast<LONG>(ERROR_SUCCESS));
        EXPECT_EQ(platform::RegSetValueExA(k, name, 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                                           static_cast<DWORD>(value.size() + 1)),
                  static_cast<LONG>(ERROR_SUCCESS));
        platform::RegCloseKey(k);
    }
};

TEST_F(RegistryHelpersTest, MissingFlagGivesTheDefault)
{
    for (int d : {0, 5, -1})
        EXPECT_EQ(RegReadFlag(kFlags, "Quit", d), d);
}

TEST_F(RegistryHelpersTest, WriteFlagCreatesTheKey)
{
    HKEY k = nullptr;
    ASSERT_NE(platform::RegOpenKeyExA(HKEY_CURRENT_USER, kFlags, 0, KEY_READ, &k), static_cast<LONG>(ERROR_SUCCESS));
    RegWriteFlag(kFlags, "CloseAll", 1);
    EXPECT_EQ(RegReadFlag(kFlags, "CloseAll", 0), 1);
    RegWriteFlag(kFlags, "CloseAll", 0);
    EXPECT_EQ(RegReadFlag(kFlags, "CloseAll", 7), 0);
    EXPECT_EQ(RegReadFlag(kFlags, "Quit", 7), 7);
    ASSERT_EQ(platform::RegOpenKeyExA(HKEY_CURRENT_USER, kFlags, 0, KEY_READ, &k), static_cast<LONG>(ERROR_SUCCESS));
    platform::RegCloseKey(k);
}

TEST_F(RegistryHelpersTest, ValueOfAnotherTypeGivesTheDefault)
{
    setString(HKEY_CURRENT_USER, kFlags, "Quit", REG_SZ, "1");
    EXPECT_EQ(RegReadFlag(kFlags, "Quit", 0), 0);
    setString(HKEY_LOCAL_MACHINE, kKey, "File", REG_SZ, "AppEvent.Evt");
    EXPECT_EQ(RegReadInteger("", kKey, "File", -1), -1);
    RegWriteInteger("", kKey, "MaxSize", 524288);
    std::string value;
    RegReadString("", kKey, "MaxSize", value, "none");
    EXPECT_EQ(value, "none");
}

TEST_F(RegistryHelpersTest, LocalMachineIntegersAndStrings)
{
    RegWriteInteger("", kKey, "MaxSize", 524288);
    RegWriteInteger("", kKey, "Retention", -1);
    EXPECT_EQ(RegReadInteger("", kKey, "MaxSize", 0), 524288);
    EXPECT_EQ(RegReadInteger("", kKey, "Retention", 0), -1);
    EXPECT_EQ(RegReadInteger("", kKey, "Missing", 3), 3);
    EXPECT_EQ(RegReadInteger("", "SYSTEM\\NoSuchKey", "MaxSize", 3), 3);

    setString(HKEY_LOCAL_MACHINE, kKey, "File", REG_EXPAND_SZ, "%SystemRoot%\\system32\\config\\AppEvent.Evt");
    setString(HKEY_LOCAL_MACHINE, kKey, "Plain", REG_SZ, "text");
    std::string value;
    RegReadString("", kKey, "File", value, "");
    EXPECT_EQ(value, "%SystemRoot%\\system32\\config\\AppEvent.Evt");
    RegReadString("", kKey, "Plain", value, "");
    EXPECT_EQ(value, "text");
    RegReadString("", kKey, "Missing", value, "default");
    EXPECT_EQ(value, "default");
}

TEST_F(RegistryHelpersTest, RemoteNameWithOrWithoutBackslashesIsTheSameComputer)
{
    RegWriteInteger("SERVER1", kKey, "MaxSize", 7);
    EXPECT_EQ(RegReadInteger("\\\\SERVER1", kKey, "MaxSize", 0), 7);
    RegWriteInteger("\\\\server1", kKey, "MaxSize", 8);
    EXPECT_EQ(RegReadInteger("SERVER1", kKey, "MaxSize", 0), 8);
    EXPECT_EQ(RegReadInteger("", kKey, "MaxSize", -1), -1); // nothing went to this computer
}

TEST_F(RegistryHelpersTest, UnreachableComputerNeverFallsBackToTheLocalRegistry)
{
    RegWriteInteger("", kKey, "MaxSize", 5);
    setString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "SystemRoot", REG_SZ,
              "C:\\WINDOWS");
    for (const char* machine : {"DOWN", "\\\\DOWN", "NOSUCH"}) {
        SCOPED_TRACE(machine);
        EXPECT_EQ(RegReadInteger(machine, kKey, "MaxSize", -1), -1);
        std::string value;
        RegReadString(machine, kKey, "MaxSize", value, "default");
        EXPECT_EQ(value, "default");
        GetSystemRoot(machine, "C:\\WINNT", value);
        EXPECT_EQ(value, "C:\\WINNT");
        try {
            RegWriteInteger(machine, kKey, "MaxSize", 9);
            ADD_FAILURE() << "the write went somewhere";
        } catch (const ENTException& e) {
            EXPECT_EQ(e.ErrorCode(), static_cast<std::int32_t>(ERROR_BAD_NETPATH));
        }
    }
    EXPECT_EQ(RegReadInteger("", kKey, "MaxSize", -1), 5);
}

TEST_F(RegistryHelpersTest, SystemRootOfAComputer)
{
    HKEY remote = nullptr;
    ASSERT_EQ(platform::RegConnectRegistryA("\\\\SERVER1", HKEY_LOCAL_MACHINE, &remote),
              static_cast<LONG>(ERROR_SUCCESS));
    setString(remote, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "SystemRoot", REG_SZ, "D:\\WINNT");
    platform::RegCloseKey(remote);
    std::string value;
    GetSystemRoot("SERVER1", "C:\\WINDOWS", value);
    EXPECT_EQ(value, "D:\\WINNT");
    GetSystemRoot("", "C:\\WINDOWS", value);
    EXPECT_EQ(value, "C:\\WINDOWS");
}

} // namespace
