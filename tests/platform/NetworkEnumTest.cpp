#include "NetworkTestSupport.h"
#include "SiteBuilder.h"

#include "platform/ErrorCodes.h"
#include "platform/HandleTable.h"
#include "platform/Kernel32.h"
#include "platform/Mpr.h"
#include "platform/NetConnections.h"
#include "platform/NetworkEnum.h"
#include "platform/Site.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace platform;

namespace {

const std::string kWindows = "[Microsoft Windows Network]";
const std::string kOther = "[Other Network]";

// Two providers; CORP (controller DC1) and LAB of the Windows network, FAR
// of the other; SERVER1 requires a connection, SERVER2 and FAR1 do not
// answer, LONER is in no domain.
void buildNetwork(SiteBuilder& site)
{
    site.Local("WKS1")
        .Provider("Microsoft Windows Network", "Windows network")
        .Provider("Other Network")
        .Domain("CORP", "", "Head office", "DC1")
        .Domain("LAB")
        .Domain("FAR", "Other Network")
        .Computer("DC1",
                  {.domain = "CORP", .comment = "Controller", .shares = {"NETLOGON:Logon server share", "SYSVOL"}})
        .Computer("SERVER1", {.domain = "CORP",
                              .requiresConnection = true,
                              .accounts = {{"admin", "pw"}},
                              .shares = {"Public:Files for all", "Secret$:Not listed"}})
        .Computer("SERVER2", {.domain = "CORP", .reachable = false})
        .Computer("WKS1", {.domain = "CORP"})
        .Computer("LAB1", {.domain = "LAB", .shares = {"Tools"}})
        .Computer("FAR1", {.domain = "FAR", .reachable = false})
        .Computer("FAR2", {.domain = "FAR", .shares = {"Data"}})
        .Computer("LONER", {.shares = {"Stuff"}});
    site.Load();
}

class NetworkEnum : public ::testing::Test {
protected:
    void SetUp() override { buildNetwork(site_); }

    static DWORD connect(const char* remote, const char* user, const char* password)
    {
        TestResource resource(remote, 0);
        return WNetAddConnection2A(resource.get(), password, user, 0);
    }

    SiteBuilder site_;
};

TestWalk walkBelow(const std::string& remote, DWORD displayType = RESOURCEDISPLAYTYPE_GENERIC,
                   const std::string& provider = {})
{
    TestResource start(remote, RESOURCEUSAGE_CONTAINER, provider, displayType);
    return WalkLevel(RESOURCE_GLOBALNET, RESOURCETYPE_ANY, RESOURCEUSAGE_ALL, start.get());
}

} // namespace

TEST_F(NetworkEnum, EachLevelListsTheOneBelowIt)
{
    const TestWalk top = WalkLevel(RESOURCE_GLOBALNET, RESOURCETYPE_ANY, RESOURCEUSAGE_ALL, nullptr);
    EXPECT_EQ(top.code, ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(top.entries, (std::vector<std::string>{
                               "network Microsoft Windows Network (Windows network) " + kWindows +
                                   " usage=2 type=0 scope=2",
                               "network Other Network " + kOther + " usage=2 type=0 scope=2",
                           }));
    EXPECT_EQ(walkBelow("Microsoft Windows Network", RESOURCEDISPLAYTYPE_NETWORK).entries,
              (std::vector<std::string>{
                  "domain CORP (Head office) " + kWindows + " usage=2 type=0 scope=2",
                  "domain LAB " + kWindows + " usage=2 type=0 scope=2",
              }));
    // Computers in the order of their sections, the unreachable one too;
    // LONER is in no domain.
    EXPECT_EQ(walkBelow("CORP").entries, (std::vector<std::string>{
                                             "server \\\\DC1 (Controller) " + kWindows + " usage=2 type=0 scope=2",
                                             "server \\\\SERVER1 " + kWindows + " usage=2 type=0 scope=2",
                                             "server \\\\SERVER2 " + kWindows + " usage=2 type=0 scope=2",
                                             "server \\\\WKS1 " + kWindows + " usage=2 type=0 scope=2",
                                         }));
    EXPECT_EQ(walkBelow("\\\\dc1").entries,
              (std::vector<std::string>{
                  "share \\\\DC1\\NETLOGON (Logon server share) " + kWindows + " usage=1 type=1 scope=2",
                  "share \\\\DC1\\SYSVOL " + kWindows + " usage=1 type=1 scope=2",
              }));
    EXPECT_EQ(walkBelow("FAR").entries, (std::vector<std::string>{
                                            "server \\\\FAR1 " + kOther + " usage=2 type=0 scope=2",
                                            "server \\\\FAR2 " + kOther + " usage=2 type=0 scope=2",
                                        }));
    // A computer outside every domain is browsed by name.
    EXPECT_EQ(walkBelow("\\\\LONER").entries,
              std::vector<std::string>{"share \\\\LONER\\Stuff " + kWindows + " usage=1 type=1 scope=2"});
    // The local computer has the administrative shares only; they are hidden.
    EXPECT_EQ(walkBelow("\\\\WKS1").code, ERROR_NO_MORE_ITEMS);
    EXPECT_TRUE(walkBelow("\\\\WKS1").entries.empty());
}

TEST_F(NetworkEnum, AResourceIsFoundByItsNameAndProvider)
{
    // A provider alone names its level; the display type tells a provider
    // from a domain; a provider that is given must be the resource's.
    EXPECT_EQ(walkBelow("", RESOURCEDISPLAYTYPE_GENERIC, "Other Network").entries.size(), 1u);
    EXPECT_EQ(walkBelow("CORP", RESOURCEDISPLAYTYPE_DOMAIN, "Microsoft Windows Network").entries.size(), 4u);
    EXPECT_EQ(walkBelow("CORP", RESOURCEDISPLAYTYPE_NETWORK).code, ERROR_BAD_NETPATH);
    EXPECT_EQ(walkBelow("CORP", RESOURCEDISPLAYTYPE_GENERIC, "Other Network").code, ERROR_BAD_NETPATH);
    EXPECT_EQ(walkBelow("\\\\FAR2", RESOURCEDISPLAYTYPE_SERVER, "Microsoft Windows Network").code, ERROR_BAD_NETPATH);
    EXPECT_EQ(walkBelow("\\\\FAR2", RESOURCEDISPLAYTYPE_SERVER, "other network").entries.size(), 1u);
}

TEST_F(NetworkEnum, RecordsComeFirstAndTheirTextsAfterThem)
{
    TestResource start("\\\\DC1");
    HANDLE handle = nullptr;
    ASSERT_EQ(WNetOpenEnumA(RESOURCE_GLOBALNET, RESOURCETYPE_ANY, 0, start.get(), &handle), ERROR_SUCCESS);
    std::vector<char> buffer(4096, '\x55');
    DWORD count = 0xFFFFFFFF;
    DWORD size = static_cast<DWORD>(buffer.size());
    ASSERT_EQ(WNetEnumResourceA(handle, &count, buffer.data(), &size), ERROR_SUCCESS);
    ASSERT_EQ(count, 2u);
    EXPECT_EQ(size, buffer.size()); // left alone on success

    const char* texts = buffer.data() + 2 * sizeof(NETRESOURCEA);
    const std::string expected = std::string("\\\\DC1\\NETLOGON\0Logon server share\0Microsoft Windows Network\0", 60) +
                                 std::string("\\\\DC1\\SYSVOL\0Microsoft Windows Network\0", 39);
    EXPECT_EQ(std::string(texts, expected.size()), expected);
    EXPECT_EQ(texts[expected.size()], '\x55'); // nothing written beyond them
    const NETRESOURCEA first = RecordAt(buffer.data(), 0);
    const NETRESOURCEA second = RecordAt(buffer.data(), 1);
    EXPECT_EQ(first.lpRemoteName, texts);
    EXPECT_EQ(first.lpComment, texts + 15);
    EXPECT_EQ(first.lpProvider, texts + 34);
    EXPECT_EQ(first.lpLocalName, nullptr);
    EXPECT_EQ(second.lpRemoteName, texts + 60);
    EXPECT_EQ(second.lpComment, nullptr);
    EXPECT_EQ(second.lpProvider, texts + 60 + 13);

    count = 0xFFFFFFFF;
    EXPECT_EQ(WNetEnumResourceA(handle, &count, buffer.data(), &size), ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(GetLastError(), ERROR_NO_MORE_ITEMS);
    count = 0xFFFFFFFF;
    EXPECT_EQ(WNetEnumResourceA(handle, &count, buffer.data(), &size), ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(WNetCloseEnum(handle), ERROR_SUCCESS);
}

TEST_F(NetworkEnum, ABufferTooSmallForOneEntryGetsTheSizeNeeded)
{
    TestResource start("\\\\DC1");
    HANDLE handle = nullptr;
    ASSERT_EQ(WNetOpenEnumA(RESOURCE_GLOBALNET, RESOURCETYPE_ANY, 0, start.get(), &handle), ERROR_SUCCESS);
    const DWORD firstSize = sizeof(NETRESOURCEA) + 60;
    std::vector<char> buffer(firstSize);
    for (DWORD offered : {0u, 1u, firstSize - 1}) {
        DWORD count = 5;
        DWORD size = offered;
        EXPECT_EQ(WNetEnumResourceA(handle, &count, offered ? buffer.data() : nullptr, &size), ERROR_MORE_DATA);
        EXPECT_EQ(count, 0u);
        EXPECT_EQ(size, firstSize);
    }
    // Exactly the size needed: one entry; the next does not fit either.
    DWORD count = 0xFFFFFFFF;
    DWORD size = firstSize;
    ASSERT_EQ(WNetEnumResourceA(handle, &count, buffer.data(), &size), ERROR_SUCCESS);
    EXPECT_EQ(count, 1u);
    size = 10;
    EXPECT_EQ(WNetEnumResourceA(handle, &count, buffer.data(), &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, sizeof(NETRESOURCEA) + 39);
    EXPECT_EQ(WNetCloseEnum(handle), ERROR_SUCCESS);
}

TEST_F(NetworkEnum, TheCountAndTheLimitPerCallSplitALevel)
{
    TestResource corp("CORP");
    EXPECT_EQ(WalkLevel(RESOURCE_GLOBALNET, RESOURCETYPE_ANY, 0, corp.get(), 3).counts, (std::vector<DWORD>{3, 1}));
    {
        ScopedNetEnumCallLimit limit(1);
        const TestWalk walk = WalkLevel(RESOURCE_GLOBALNET, RESOURCETYPE_ANY, 0, corp.get());
        EXPECT_EQ(walk.counts, (std::vector<DWORD>{1, 1, 1, 1}));
        EXPECT_EQ(walk.entries.size(), 4u);
        EXPECT_EQ(walk.code, ERROR_NO_MORE_ITEMS);
    }
    EXPECT_EQ(NetEnumCallLimit(), 0u);
    EXPECT_EQ(WalkLevel(RESOURCE_GLOBALNET, RESOURCETYPE_ANY, 0, corp.get()).counts, std::vector<DWORD>{4});
}

TEST_F(NetworkEnum, TypeAndUsageSelectEntries)
{
    TestResource dc1("\\\\DC1");
    TestResource corp("CORP");
    const struct {
        DWORD type;
        DWORD usage;
        TestResource* start;
        std::size_t entries;
    } cases[] = {
        {RESOURCETYPE_DISK, 0, &dc1, 2},
        {RESOURCETYPE_PRINT, 0, &dc1, 0},
        {RESOURCETYPE_PRINT, 0, &corp, 4}, // containers whatever the type
        {RESOURCETYPE_ANY, RESOURCEUSAGE_CONTAINER, &dc1, 0},
        {RESOURCETYPE_ANY, RESOURCEUSAGE_CONNECTABLE, &dc1, 2},
        {RESOURCETYPE_ANY, RESOURCEUSAGE_CONNECTABLE, &corp, 0},
        {RESOURCETYPE_ANY, RESOURCEUSAGE_ATTACHED, &corp, 4},
    };
    for (const auto& c : cases) {
        const TestWalk walk = WalkLevel(RESOURCE_GLOBALNET, c.type, c.usage, c.start->get());
        EXPECT_EQ(walk.code, ERROR_NO_MORE_ITEMS);
        EXPECT_EQ(walk.entries.size(), c.entries) << c.type << " " << c.usage;
    }
}

TEST_F(NetworkEnum, StartingFailsWithThePlatformCodes)
{
    const struct {
        const char* remote;
        DWORD usage;
        const char* provider;
        DWORD scope;
        DWORD type;
        DWORD code;
    } cases[] = {
        {"\\\\DC1\\NETLOGON", RESOURCEUSAGE_CONNECTABLE, "", RESOURCE_GLOBALNET, 0, ERROR_NOT_CONTAINER},
        {"\\\\DC1\\NETLOGON", RESOURCEUSAGE_CONTAINER, "", RESOURCE_GLOBALNET, 0, ERROR_NOT_CONTAINER},
        {"CORP", 0, "", RESOURCE_GLOBALNET, 0, ERROR_NOT_CONTAINER},
        {"\\\\DC1\\NETLOGON\\Scripts", RESOURCEUSAGE_CONTAINER, "", RESOURCE_GLOBALNET, 0, ERROR_BAD_NET_NAME},
        {"\\\\NOSUCH", RESOURCEUSAGE_CONTAINER, "", RESOURCE_GLOBALNET, 0, ERROR_BAD_NETPATH},
        {"\\\\", RESOURCEUSAGE_CONTAINER, "", RESOURCE_GLOBALNET, 0, ERROR_BAD_NETPATH},
        {"NOSUCH", RESOURCEUSAGE_CONTAINER, "", RESOURCE_GLOBALNET, 0, ERROR_BAD_NETPATH},
        {"\\\\SERVER2", RESOURCEUSAGE_CONTAINER, "", RESOURCE_GLOBALNET, 0, ERROR_BAD_NETPATH},
        {"\\\\SERVER1", RESOURCEUSAGE_CONTAINER, "", RESOURCE_GLOBALNET, 0, ERROR_ACCESS_DENIED},
        {"CORP", RESOURCEUSAGE_CONTAINER, "Nowhere Net", RESOURCE_GLOBALNET, 0, ERROR_BAD_PROVIDER},
        {"CORP", RESOURCEUSAGE_CONTAINER, "", 4, 0, ERROR_INVALID_PARAMETER},
        {"CORP", RESOURCEUSAGE_CONTAINER, "", RESOURCE_GLOBALNET, 3, ERROR_INVALID_PARAMETER},
        {"", 0, "", RESOURCE_CONNECTED, 8, ERROR_INVALID_PARAMETER},
    };
    for (const auto& c : cases) {
        TestResource start(c.remote, c.usage, c.provider);
        HANDLE handle = reinterpret_cast<HANDLE>(1);
        EXPECT_EQ(WNetOpenEnumA(c.scope, c.type, 0, start.get(), &handle), c.code) << c.remote;
        EXPECT_EQ(handle, nullptr);
        EXPECT_EQ(GetLastError(), c.code);
    }
    EXPECT_EQ(WNetOpenEnumA(RESOURCE_GLOBALNET, 0, 0, nullptr, nullptr), ERROR_INVALID_PARAMETER);
}

TEST_F(NetworkEnum, AComputerThatRequiresAConnectionListsItsSharesOnceConnected)
{
    EXPECT_EQ(walkBelow("\\\\SERVER1").code, ERROR_ACCESS_DENIED);
    ASSERT_EQ(connect("\\\\SERVER1\\IPC$", "admin", "pw"), ERROR_SUCCESS);
    EXPECT_EQ(walkBelow("\\\\SERVER1").entries,
              std::vector<std::string>{"share \\\\SERVER1\\Public (Files for all) " + kWindows +
                                       " usage=1 type=1 scope=2"});
}

TEST_F(NetworkEnum, AnotherProviderReportsItsFailuresAsExtendedErrors)
{
    EXPECT_EQ(walkBelow("\\\\FAR1").code, ERROR_EXTENDED_ERROR);
    DWORD code = 0;
    char description[256];
    char provider[64];
    ASSERT_EQ(WNetGetLastErrorA(&code, description, sizeof description, provider, sizeof provider), ERROR_SUCCESS);
    EXPECT_EQ(code, ERROR_BAD_NETPATH);
    EXPECT_STREQ(description, "The network path was not found.");
    EXPECT_STREQ(provider, "Other Network");
    // Names that no provider knows are the platform's own failures.
    EXPECT_EQ(walkBelow("\\\\NOSUCH", RESOURCEDISPLAYTYPE_SERVER, "Other Network").code, ERROR_BAD_NETPATH);
}

TEST_F(NetworkEnum, ConnectionsAreListedAndNothingIsRemembered)
{
    ASSERT_EQ(connect("\\\\SERVER1\\IPC$", "admin", "pw"), ERROR_SUCCESS);
    ASSERT_EQ(connect("\\\\SERVER1\\public", nullptr, nullptr), ERROR_SUCCESS);
    ASSERT_EQ(connect("\\\\FAR2\\Data", nullptr, nullptr), ERROR_SUCCESS);
    ASSERT_EQ(connect("\\\\SERVER1\\Secret$", nullptr, nullptr), ERROR_SUCCESS); // hidden, yet a share
    EXPECT_EQ(connect("\\\\SERVER1\\Nope", nullptr, nullptr), ERROR_BAD_NET_NAME);

    TestResource ignored("CORP");
    EXPECT_EQ(WalkLevel(RESOURCE_CONNECTED, RESOURCETYPE_ANY, 0, ignored.get()).entries,
              (std::vector<std::string>{
                  "share \\\\SERVER1\\IPC$ " + kWindows + " usage=1 type=0 scope=1",
                  "share \\\\SERVER1\\PUBLIC (Files for all) " + kWindows + " usage=1 type=1 scope=1",
                  "share \\\\FAR2\\DATA " + kOther + " usage=1 type=1 scope=1",
                  "share \\\\SERVER1\\SECRET$ (Not listed) " + kWindows + " usage=1 type=1 scope=1",
              }));
    EXPECT_EQ(WalkLevel(RESOURCE_CONNECTED, RESOURCETYPE_DISK, 0, nullptr).entries.size(), 3u);
    const TestWalk remembered = WalkLevel(RESOURCE_REMEMBERED, RESOURCETYPE_ANY, 0, nullptr);
    EXPECT_EQ(remembered.code, ERROR_NO_MORE_ITEMS);
    EXPECT_TRUE(remembered.counts.empty());
}

TEST_F(NetworkEnum, HandlesThatAreNoEnumerationsAreRefused)
{
    HANDLE handle = nullptr;
    ASSERT_EQ(WNetOpenEnumA(RESOURCE_GLOBALNET, 0, 0, nullptr, &handle), ERROR_SUCCESS);
    char buffer[512];
    DWORD count = 0;
    DWORD size = sizeof buffer;
    EXPECT_EQ(WNetEnumResourceA(handle, &count, buffer, &size), ERROR_INVALID_PARAMETER);
    count = 1;
    EXPECT_EQ(WNetEnumResourceA(handle, &count, nullptr, &size), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(WNetEnumResourceA(handle, nullptr, buffer, &size), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(WNetCloseEnum(handle), ERROR_SUCCESS);
    EXPECT_EQ(WNetCloseEnum(handle), ERROR_INVALID_HANDLE);
    EXPECT_EQ(WNetEnumResourceA(handle, &count, buffer, &size), ERROR_INVALID_HANDLE);

    HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    EXPECT_EQ(WNetCloseEnum(event), ERROR_INVALID_HANDLE);
    EXPECT_EQ(WNetEnumResourceA(event, &count, buffer, &size), ERROR_INVALID_HANDLE);
    EXPECT_TRUE(CloseHandle(event));
}

TEST_F(NetworkEnum, AnEnumerationKeepsTheEntriesItStartedWith)
{
    TestResource corp("CORP");
    HANDLE handle = nullptr;
    ASSERT_EQ(WNetOpenEnumA(RESOURCE_GLOBALNET, 0, 0, corp.get(), &handle), ERROR_SUCCESS);
    SiteBuilder other;
    other.Local("ELSEWHERE");
    other.Load();
    std::vector<char> buffer(4096);
    DWORD count = 0xFFFFFFFF;
    DWORD size = static_cast<DWORD>(buffer.size());
    EXPECT_EQ(WNetEnumResourceA(handle, &count, buffer.data(), &size), ERROR_SUCCESS);
    EXPECT_EQ(count, 4u);
    EXPECT_EQ(WNetCloseEnum(handle), ERROR_SUCCESS);
}

TEST_F(NetworkEnum, TheParentIsTheEntryOfTheLevelAbove)
{
    const auto entryOf = [](const std::string& level, const std::string& remote) {
        for (const std::string& entry : walkBelow(level).entries)
            if (entry.find(" " + remote + " ") != std::string::npos)
                return entry;
        return std::string("<not listed>");
    };
    const auto parentOf = [](const std::string& remote, const std::string& provider = {}) {
        TestResource resource(remote, RESOURCEUSAGE_CONNECTABLE, provider);
        std::vector<char> buffer(512);
        DWORD size = static_cast<DWORD>(buffer.size());
        const DWORD code = WNetGetResourceParentA(resource.get(), buffer.data(), &size);
        return code ? "error " + std::to_string(code) : Describe(RecordAt(buffer.data(), 0));
    };
    EXPECT_EQ(parentOf("\\\\DC1\\NETLOGON"), entryOf("CORP", "\\\\DC1"));
    EXPECT_EQ(parentOf("\\\\dc1\\C$"), entryOf("CORP", "\\\\DC1"));
    EXPECT_EQ(parentOf("\\\\SERVER2"), entryOf("Microsoft Windows Network", "CORP"));
    EXPECT_EQ(parentOf("\\\\FAR1"), entryOf("Other Network", "FAR"));
    EXPECT_EQ(parentOf("CORP"), entryOf("", "Microsoft Windows Network"));
    EXPECT_EQ(parentOf("\\\\LONER"), entryOf("", "Microsoft Windows Network"));
    EXPECT_EQ(parentOf("Other Network"), "generic <null> [<null>] usage=0 type=0 scope=0");
    EXPECT_EQ(parentOf("", "Other Network"), "generic <null> [<null>] usage=0 type=0 scope=0");
    EXPECT_EQ(parentOf("\\\\NOSUCH"), "error 53");
    EXPECT_EQ(parentOf("NOSUCH"), "error 53");
    EXPECT_EQ(parentOf("\\\\DC1\\NETLOGON\\Scripts"), "error 67");
    EXPECT_EQ(parentOf("CORP", "Nowhere Net"), "error 1204");
    EXPECT_EQ(parentOf(""), "error 87");
}

TEST_F(NetworkEnum, AParentThatDoesNotFitGetsTheSizeNeeded)
{
    TestResource share("\\\\DC1\\SYSVOL", RESOURCEUSAGE_CONNECTABLE);
    const DWORD needed = sizeof(NETRESOURCEA) + sizeof("\\\\DC1") + sizeof("Controller") +
                         sizeof("Microsoft Windows Network");
    std::vector<char> buffer(needed);
    for (DWORD offered : {0u, needed - 1}) {
        DWORD size = offered;
        EXPECT_EQ(WNetGetResourceParentA(share.get(), offered ? buffer.data() : nullptr, &size), ERROR_MORE_DATA);
        EXPECT_EQ(size, needed);
    }
    DWORD size = needed;
    ASSERT_EQ(WNetGetResourceParentA(share.get(), buffer.data(), &size), ERROR_SUCCESS);
    const NETRESOURCEA parent = RecordAt(buffer.data(), 0);
    EXPECT_EQ(parent.lpRemoteName, buffer.data() + sizeof(NETRESOURCEA));
    EXPECT_STREQ(parent.lpProvider, "Microsoft Windows Network");
    EXPECT_EQ(WNetGetResourceParentA(nullptr, buffer.data(), &size), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(WNetGetResourceParentA(share.get(), buffer.data(), nullptr), ERROR_INVALID_PARAMETER);
}

TEST_F(NetworkEnum, ProvidersDescribeThemselves)
{
    NETINFOSTRUCT info{};
    info.cbStructure = sizeof info;
    ASSERT_EQ(WNetGetNetworkInformationA("microsoft windows network", &info), ERROR_SUCCESS);
    EXPECT_EQ(info.cbStructure, 32u);
    EXPECT_EQ(info.dwProviderVersion, 0x400u);
    EXPECT_EQ(info.dwStatus, 0u);
    EXPECT_EQ(static_cast<DWORD>(info.wNetType) << 16, WNNC_NET_LANMAN);
    ASSERT_EQ(WNetGetNetworkInformationA("Other Network", &info), ERROR_SUCCESS);
    EXPECT_EQ(info.wNetType, 0);
    EXPECT_EQ(WNetGetNetworkInformationA("Nowhere Net", &info), ERROR_BAD_PROVIDER);
    EXPECT_EQ(WNetGetNetworkInformationA(nullptr, &info), ERROR_BAD_PROVIDER);
    info.cbStructure = 31;
    EXPECT_EQ(WNetGetNetworkInformationA("Other Network", &info), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(WNetGetNetworkInformationA("Other Network", nullptr), ERROR_INVALID_PARAMETER);
}

TEST_F(NetworkEnum, ConnectionPerformanceOfComputersAndShares)
{
    const auto performance = [](const std::string& remote, const std::string& local = {}, DWORD structure = 20) {
        TestResource resource(remote, RESOURCEUSAGE_CONNECTABLE, "", 0, local);
        NETCONNECTINFOSTRUCT info{};
        info.cbStructure = structure;
        const DWORD code = MultinetGetConnectionPerformanceA(resource.get(), &info);
        if (code)
            return "error " + std::to_string(code);
        return std::to_string(info.dwFlags) + " " + std::to_string(info.dwSpeed) + " " + std::to_string(info.dwDelay) +
               " " + std::to_string(info.dwOptDataSize);
    };
    EXPECT_EQ(performance("\\\\DC1\\SYSVOL"), "1 1000000 1 65536");
    EXPECT_EQ(performance("\\\\DC1"), "1 1000000 1 65536");
    EXPECT_EQ(performance("\\\\DC1\\ADMIN$"), "1 1000000 1 65536");
    EXPECT_EQ(performance("\\\\DC1\\NOPE"), "error 67");
    EXPECT_EQ(performance("\\\\SERVER1\\Public"), "error 5");
    EXPECT_EQ(performance("\\\\SERVER2\\Public"), "error 53");
    EXPECT_EQ(performance("\\\\FAR1\\Data"), "error 1208");
    EXPECT_EQ(performance("CORP"), "error 50");
    EXPECT_EQ(performance("\\\\DC1\\SYSVOL", "Z:"), "error 2250");
    EXPECT_EQ(performance(""), "error 87");
    EXPECT_EQ(performance("\\\\DC1\\SYSVOL", "", 19), "error 87");
}

TEST_F(NetworkEnum, CallsAreTraced)
{
    ScopedWNetTrace trace;
    walkBelow("\\\\DC1");
    EXPECT_EQ(trace.Calls(), (std::vector<std::string>{"openenum \\\\DC1 = 0", "enum 2 = 0", "enum 0 = 259",
                                                       "closeenum = 0"}));
}

TEST(NetworkEnumSite, ALevelLargerThanOneBufferIsReadInSeveralCalls)
{
    SiteBuilder site;
    site.Domain("BIG");
    const std::string comment(100, 'c');
    for (int i = 0; i < 150; ++i)
        site.Computer("PC" + std::to_string(i), {.domain = "BIG", .comment = comment});
    site.Load();
    TestResource big("BIG");
    const TestWalk walk = WalkLevel(RESOURCE_GLOBALNET, RESOURCETYPE_ANY, 0, big.get());
    EXPECT_EQ(walk.code, ERROR_NO_MORE_ITEMS);
    ASSERT_EQ(walk.entries.size(), 150u);
    EXPECT_GT(walk.counts.size(), 1u);
    for (int i = 0; i < 150; ++i)
        EXPECT_EQ(walk.entries[static_cast<std::size_t>(i)].rfind("server \\\\PC" + std::to_string(i) + " (", 0), 0u);
}

TEST(NetworkEnumSite, SharesOfSiteIniAreReadAndChecked)
{
    SiteBuilder site;
    site.Computer("SRV", {.shares = {" Public : Files for all ", "Tools", "Data$"}});
    site.Load();
    const SiteComputer* srv = CurrentSite()->FindComputer("SRV");
    ASSERT_NE(srv, nullptr);
    ASSERT_EQ(srv->shares.size(), 3u);
    EXPECT_EQ(srv->shares[0].name, "Public");
    EXPECT_EQ(srv->shares[0].comment, "Files for all");
    EXPECT_EQ(srv->shares[1].comment, "");
    EXPECT_TRUE(srv->HasShare("public"));
    EXPECT_TRUE(srv->HasShare("admin$"));
    EXPECT_FALSE(srv->HasShare("D$"));
    EXPECT_TRUE(IsHiddenShare("Data$"));
    EXPECT_FALSE(IsHiddenShare("Data"));

    const struct {
        const char* shares;
        const char* error;
    } cases[] = {
        {"IPC$", "line 4: the share IPC$ is one that every computer has"},
        {"Tools,tools", "line 4: the share tools is given twice"},
        {"A,,B", "line 4: \"\" is not a share name"},
        {"a/b", "line 4: \"a/b\" is not a share name"},
        {"Tab\tbed", "line 4: \"Tab\tbed\" is not a share name"},
    };
    for (const auto& c : cases) {
        SiteBuilder bad;
        const std::string ini = bad.Directory() + "/site.ini";
        std::ofstream(ini) << "[Site]\nLocalComputer=A\n[Computer B]\nShares=" << c.shares << "\n";
        EXPECT_FALSE(LoadSite(bad.Directory())) << c.shares;
        EXPECT_EQ(SiteError().rfind(ini + ": " + c.error, 0), 0u) << SiteError();
    }
    SiteBuilder longName;
    std::ofstream(longName.Directory() + "/site.ini")
        << "[Site]\nLocalComputer=A\n[Computer B]\nShares=" << std::string(81, 'x') << "\n";
    EXPECT_FALSE(LoadSite(longName.Directory()));
}
