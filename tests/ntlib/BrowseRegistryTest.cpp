#include "NtlibSite.h"
#include "RaisedException.h"

#include "ntlib/BrowsReg.h"
#include "ntlib/FunctionBinding.h"
#include "ntlib/NTException.h"

#include "platform/ErrorCodes.h"
#include "platform/Modules.h"
#include "platform/Registry.h"

#include <gtest/gtest.h>

namespace {

int g_queries = 0;

// Counts the queries that reach the platform.
LONG countingQueryValue(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size)
{
    ++g_queries;
    return platform::RegQueryValueExA(key, name, reserved, type, data, size);
}

class ScopedQueryCounter {
public:
    ScopedQueryCounter()
    {
        g_queries = 0;
        platform::RegisterModuleExports("advapi32.dll", {{"RegQueryValueExA", platform::ExportOf(&countingQueryValue)}});
    }
    ~ScopedQueryCounter()
    {
        platform::RegisterModuleExports("advapi32.dll",
                                        {{"RegQueryValueExA", platform::ExportOf(&platform::RegQueryValueExA)}});
    }
};

class BrowseRegistry : public ::testing::Test {
protected:
    void SetUp() override { BuildLibrarySite(site_); }

    static void connectServer1() { ASSERT_EQ(SiteBuilder::Connect("\\\\SERVER1\\IPC$", "admin", "pw"), ERROR_SUCCESS); }

    SiteBuilder site_;
    ScopedQueryCounter counter_;
    ScopedSystemFunctions functions_;
};

} // namespace

TEST_F(BrowseRegistry, OpensRelativePathsBelowTheCurrentKeyAndAbsoluteOnesBelowTheRoot)
{
    TBrowseRegistry registry;
    EXPECT_EQ(registry.RootKey(), HKEY_LOCAL_MACHINE);
    EXPECT_EQ(registry.Access(), KEY_ENUMERATE_SUB_KEYS);
    EXPECT_EQ(registry.OpenKey("SOFTWARE"), ERROR_SUCCESS);
    EXPECT_EQ(registry.CurrentPath(), "SOFTWARE");
    EXPECT_EQ(registry.OpenKey("Test"), ERROR_SUCCESS);
    EXPECT_EQ(registry.CurrentPath(), "SOFTWARE\\Test");
    EXPECT_EQ(registry.OpenKey("\\SOFTWARE"), ERROR_SUCCESS);
    EXPECT_EQ(registry.CurrentPath(), "SOFTWARE");
    const HKEY open = registry.CurrentKey();
    EXPECT_EQ(registry.OpenKey("Missing"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(registry.CurrentKey(), open);
    EXPECT_EQ(registry.CurrentPath(), "SOFTWARE");
    registry.CloseKey();
    EXPECT_EQ(registry.CurrentKey(), nullptr);
    EXPECT_EQ(registry.CurrentPath(), "");
    EXPECT_TRUE(IsRelativeKey("SOFTWARE\\x"));
    EXPECT_TRUE(IsRelativeKey(""));
    EXPECT_FALSE(IsRelativeKey("\\SOFTWARE"));
}

TEST_F(BrowseRegistry, ReadsValuesAsText)
{
    TBrowseRegistry registry;
    registry.SetAccess(KEY_READ);
    ASSERT_EQ(registry.OpenKey("SOFTWARE\\Test"), ERROR_SUCCESS);
    const struct {
        const char* name;
        std::string text;
    } cases[] = {
        {"Text", "hello"},
        {"expand", "%SystemRoot%\\x"},
        {"Number", "4294967295"},
        {"Multi", ""},
        {"Blob", ""},
        {"Long", std::string(300, 'x')},
        {"Unterminated", "AB"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(registry.ReadString(c.name), c.text) << c.name;
    try {
        registry.ReadString("Missing");
        FAIL() << "no exception";
    } catch (const ENTException& e) {
        EXPECT_EQ(e.ErrorCode(), 2);
        EXPECT_STREQ(e.what(), "2: The system cannot find the file specified.\r\n");
    }
}

TEST_F(BrowseRegistry, AValueOver255BytesTakesExactlyTwoQueries)
{
    TBrowseRegistry registry;
    registry.SetAccess(KEY_READ);
    ASSERT_EQ(registry.OpenKey("SOFTWARE\\Test"), ERROR_SUCCESS);
    g_queries = 0;
    DWORD size = 0, type = 0;
    const std::vector<BYTE> data = registry.ReadValueData("Long", size, type);
    EXPECT_EQ(g_queries, 2);
    EXPECT_EQ(size, 301u);
    EXPECT_EQ(data.size(), 301u);
    EXPECT_EQ(type, REG_SZ);

    g_queries = 0;
    size = 0;
    EXPECT_EQ(registry.ReadValueData("Text", size, type).size(), 6u);
    EXPECT_EQ(size, 6u);
    EXPECT_EQ(g_queries, 1);

    g_queries = 0;
    EXPECT_EQ(registry.ReadString("Long").size(), 300u);
    EXPECT_EQ(g_queries, 2);
}

TEST_F(BrowseRegistry, ListsNamesInThePlatformsOrder)
{
    TBrowseRegistry registry;
    registry.SetAccess(KEY_READ);
    ASSERT_EQ(registry.OpenKey("SOFTWARE\\Test"), ERROR_SUCCESS);
    std::vector<std::string> names{"stale"};
    registry.GetKeyNames(names);
    EXPECT_EQ(names, (std::vector<std::string>{"alpha", "Beta", "Zeta"}));
    registry.GetValueNames(names);
    EXPECT_EQ(names, (std::vector<std::string>{"Text", "Expand", "Number", "Multi", "Blob", "Long", "Unterminated"}));
    TRegKeyInfo info;
    ASSERT_TRUE(registry.GetKeyInfo(info));
    EXPECT_EQ(info.NumSubKeys, 3u);
    EXPECT_EQ(info.NumValues, 7u);
    EXPECT_EQ(info.MaxValueLen, 12u);
    EXPECT_EQ(info.MaxDataLen, 301u);
}

TEST_F(BrowseRegistry, ValueNamesFailSilentlyAndKeyNamesRaise)
{
    TBrowseRegistry enumerateOnly;
    ASSERT_EQ(enumerateOnly.OpenKey("SOFTWARE\\Test"), ERROR_SUCCESS);
    std::vector<std::string> names{"stale"};
    enumerateOnly.GetValueNames(names);
    EXPECT_TRUE(names.empty());
    TRegKeyInfo info;
    EXPECT_FALSE(enumerateOnly.GetKeyInfo(info));

    TBrowseRegistry queryOnly;
    queryOnly.SetAccess(KEY_QUERY_VALUE);
    ASSERT_EQ(queryOnly.OpenKey("SOFTWARE\\Test"), ERROR_SUCCESS);
    EXPECT_EQ(RaisedCode([&] { queryOnly.GetKeyNames(names); }), 5);
}

TEST_F(BrowseRegistry, ConnectsToTheRegistryOfAnotherComputer)
{
    for (const char* name : {"SERVER3", "\\\\server3"}) {
        TBrowseRegistry registry;
        registry.SetAccess(KEY_READ);
        EXPECT_TRUE(registry.RegistryConnect(name));
        EXPECT_NE(registry.RootKey(), HKEY_LOCAL_MACHINE);
        ASSERT_EQ(registry.OpenKey("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion"), ERROR_SUCCESS);
        EXPECT_EQ(registry.ReadString("SystemRoot"), "C:\\WINNT");
        // Back to the local registry.
        registry.SetRootKey(HKEY_CURRENT_USER);
        registry.SetRootKey(HKEY_LOCAL_MACHINE);
        ASSERT_EQ(registry.OpenKey("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion"), ERROR_SUCCESS);
        EXPECT_EQ(registry.ReadString("SystemRoot"), "C:\\WINDOWS");
    }
}

TEST_F(BrowseRegistry, AFailedConnectionNeverFallsBackToTheLocalRegistry)
{
    const struct {
        const char* name;
        std::int32_t code;
    } cases[] = {{"NOSUCH", 53}, {"SERVER2", 53}, {"SERVER1", 5}};
    for (const auto& c : cases) {
        TBrowseRegistry registry;
        registry.SetAccess(KEY_READ);
        EXPECT_EQ(RaisedCode([&] { registry.RegistryConnect(c.name); }), c.code) << c.name;
        EXPECT_EQ(registry.OpenKey("SOFTWARE\\Test"), ERROR_INVALID_HANDLE) << c.name;
    }
    connectServer1();
    TBrowseRegistry registry;
    EXPECT_TRUE(registry.RegistryConnect("SERVER1"));
    EXPECT_EQ(registry.OpenKey("SYSTEM\\CurrentControlSet\\Services\\EventLog\\System"), ERROR_SUCCESS);
}

TEST_F(BrowseRegistry, FindsTheLogKeyThatHoldsASource)
{
    const std::string eventLog = "SYSTEM\\CurrentControlSet\\Services\\EventLog";
    const struct {
        const char* computer;
        std::string start;
        const char* source;
        std::string found;
    } cases[] = {
        {"", eventLog, "Userenv", eventLog + "\\Application"},
        {"", eventLog + "\\", "userenv", eventLog + "\\Application"},
        {"", "\\" + eventLog, "EVENTLOG", "\\" + eventLog + "\\System"}, // as the start key is given
        {"", eventLog, "Security", eventLog},
        {"", eventLog + "\\Security\\", "Security", eventLog + "\\Security"},
        {"", eventLog, "No Such Source", ""},
        {"", "SYSTEM\\Missing", "Userenv", ""},
        {"SERVER3", eventLog, "Shared", eventLog + "\\Application"},
        {"\\\\SERVER3", eventLog + "\\System", "shared", eventLog + "\\System"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FindSourceLogKey(c.computer, HKEY_LOCAL_MACHINE, c.start, c.source), c.found)
            << c.computer << " " << c.start << " " << c.source;
    EXPECT_EQ(RaisedCode([&] { FindSourceLogKey("NOSUCH", HKEY_LOCAL_MACHINE, eventLog, "Userenv"); }), 53);
    EXPECT_EQ(RaisedCode([&] { FindSourceLogKey("SERVER1", HKEY_LOCAL_MACHINE, eventLog, "Userenv"); }), 5);
}

TEST_F(BrowseRegistry, ListsTheLogsOfAnyComputer)
{
    const std::vector<std::string> usual{"Application", "Security", "System"};
    EXPECT_EQ(EventLogNames(""), usual);
    EXPECT_EQ(EventLogNames("WKS1"), usual);
    EXPECT_EQ(EventLogNames("\\\\SERVER3"), usual);
    EXPECT_TRUE(EventLogNames("SERVER1").empty());
    EXPECT_TRUE(EventLogNames("SERVER2").empty());
    EXPECT_TRUE(EventLogNames("NOSUCH").empty());
    EXPECT_TRUE(EventLogNames("SERVER4").empty());
    connectServer1();
    EXPECT_EQ(EventLogNames("SERVER1"), usual);
}
