#include "SiteBuilder.h"

#include "platform/ErrorCodes.h"
#include "platform/Kernel32.h"
#include "platform/Mpr.h"
#include "platform/NetServer.h"
#include "platform/PlatformProfile.h"
#include "platform/Utf8Text.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

using NetServerEnumFn = decltype(&platform::NetServerEnum);
using NetApiBufferFreeFn = decltype(&platform::NetApiBufferFree);

class NetServer : public ::testing::Test {
protected:
    void SetUp() override
    {
        site_.Local("WKS1")
            .Provider("Microsoft Windows Network")
            .Provider("Other Network")
            .Domain("CORP", "", "", "DC1")
            .Domain("LAB")
            .Domain("FAR", "Other Network")
            .Computer("DC1", {.domain = "CORP"})
            .Computer("SERVER1", {.domain = "CORP", .requiresConnection = true})
            .Computer("SERVER2", {.domain = "CORP", .reachable = false})
            .Computer("WKS1", {.domain = "CORP"})
            .Computer("LAB1", {.domain = "LAB"})
            .Computer("FAR1", {.domain = "FAR"});
        site_.Load();
    }

    struct Answer {
        NET_API_STATUS status = 0;
        std::vector<std::string> names;
        DWORD total = 0;
    };

    // One call; the names it hands out, the buffer freed.
    static Answer enumerate(const char* server, DWORD type, const char* domain, DWORD level = 100,
                            DWORD maximum = MAX_PREFERRED_LENGTH, DWORD* resume = nullptr)
    {
        const std::u16string server16 = utf8::ToUtf16(server ? server : "");
        const std::u16string domain16 = utf8::ToUtf16(domain ? domain : "");
        LPBYTE buffer = reinterpret_cast<LPBYTE>(1);
        DWORD read = 99;
        Answer answer;
        answer.status = platform::NetServerEnum(server ? server16.c_str() : nullptr, level, &buffer, maximum, &read,
                                                &answer.total, type, domain ? domain16.c_str() : nullptr, resume);
        const auto* entries = reinterpret_cast<const SERVER_INFO_100*>(buffer);
        for (DWORD i = 0; i < read; ++i) {
            EXPECT_EQ(entries[i].sv100_platform_id, PLATFORM_ID_NT);
            answer.names.push_back(utf8::FromUtf16(entries[i].sv100_name));
        }
        EXPECT_EQ(buffer == nullptr, read == 0);
        EXPECT_EQ(platform::NetApiBufferFree(buffer), NERR_Success);
        return answer;
    }

    SiteBuilder site_;
};

} // namespace

TEST_F(NetServer, ListsTheComputersOfADomainByType)
{
    const std::vector<std::string> corp = {"DC1", "SERVER1", "SERVER2", "WKS1"};
    const struct {
        const char* server;
        DWORD type;
        const char* domain;
        std::vector<std::string> names;
    } cases[] = {
        {nullptr, SV_TYPE_NT, nullptr, corp},
        {"", SV_TYPE_ALL, "", corp},
        {"\\\\WKS1", SV_TYPE_WORKSTATION, "corp", corp},
        {"DC1", SV_TYPE_DOMAIN_CTRL, nullptr, {"DC1"}},
        {nullptr, SV_TYPE_NT, "LAB", {"LAB1"}},
        {nullptr, 0x00000004, nullptr, {}}, // SQL servers: none
        {nullptr, SV_TYPE_DOMAIN_ENUM, "FAR", {"CORP", "LAB"}},
    };
    for (const auto& c : cases) {
        const Answer answer = enumerate(c.server, c.type, c.domain);
        EXPECT_EQ(answer.status, NERR_Success);
        EXPECT_EQ(answer.names, c.names) << c.type;
        EXPECT_EQ(answer.total, c.names.size());
    }
}

TEST_F(NetServer, FailsWithThePlatformCodes)
{
    EXPECT_EQ(enumerate(nullptr, SV_TYPE_NT, "FAR").status, ERROR_NO_BROWSER_SERVERS_FOUND);
    EXPECT_EQ(enumerate(nullptr, SV_TYPE_NT, "NOSUCH").status, ERROR_NO_BROWSER_SERVERS_FOUND);
    EXPECT_EQ(enumerate("\\\\SERVER2", SV_TYPE_NT, nullptr).status, ERROR_BAD_NETPATH);
    EXPECT_EQ(enumerate("\\\\SERVER1", SV_TYPE_NT, nullptr).status, ERROR_ACCESS_DENIED);
    EXPECT_EQ(enumerate("\\\\NOSUCH", SV_TYPE_NT, nullptr).status, ERROR_BAD_NETPATH);
    EXPECT_EQ(enumerate(nullptr, SV_TYPE_NT, nullptr, 101).status, ERROR_INVALID_LEVEL);

    LPBYTE buffer = nullptr;
    DWORD read = 0;
    DWORD total = 0;
    EXPECT_EQ(platform::NetServerEnum(nullptr, 100, nullptr, MAX_PREFERRED_LENGTH, &read, &total, SV_TYPE_NT,
                                      nullptr, nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(platform::NetServerEnum(nullptr, 100, &buffer, MAX_PREFERRED_LENGTH, nullptr, &total, SV_TYPE_NT,
                                      nullptr, nullptr),
              ERROR_INVALID_PARAMETER);
}

TEST_F(NetServer, ALocalComputerOutsideEveryDomainFindsNoBrowser)
{
    SiteBuilder lone;
    lone.Local("ALONE").Domain("CORP").Computer("DC1", {.domain = "CORP"});
    lone.Load();
    EXPECT_EQ(enumerate(nullptr, SV_TYPE_NT, nullptr).status, ERROR_NO_BROWSER_SERVERS_FOUND);
    EXPECT_EQ(enumerate(nullptr, SV_TYPE_NT, "CORP").names, std::vector<std::string>{"DC1"});
}

TEST_F(NetServer, APreferredLengthSplitsTheListAndTheResumeHandleGoesOn)
{
    // One record and "DC1" take 16 + 8 bytes: 30 bytes hold one entry.
    DWORD resume = 0;
    std::vector<std::string> all;
    std::vector<DWORD> totals;
    for (int call = 0; call < 10; ++call) {
        const Answer answer = enumerate(nullptr, SV_TYPE_NT, nullptr, 100, 30, &resume);
        all.insert(all.end(), answer.names.begin(), answer.names.end());
        totals.push_back(answer.total);
        EXPECT_EQ(answer.names.size(), 1u);
        if (answer.status == NERR_Success)
            break;
        EXPECT_EQ(answer.status, ERROR_MORE_DATA);
    }
    EXPECT_EQ(all, (std::vector<std::string>{"DC1", "SERVER1", "SERVER2", "WKS1"}));
    EXPECT_EQ(totals, (std::vector<DWORD>{4, 3, 2, 1}));
    EXPECT_EQ(resume, 0u);
    // Even a length too small for one entry gets one.
    const Answer tiny = enumerate(nullptr, SV_TYPE_NT, nullptr, 100, 1);
    EXPECT_EQ(tiny.status, ERROR_MORE_DATA);
    EXPECT_EQ(tiny.names, std::vector<std::string>{"DC1"});
}

TEST_F(NetServer, BuffersAreFreedOnce)
{
    LPBYTE buffer = nullptr;
    DWORD read = 0;
    DWORD total = 0;
    ASSERT_EQ(platform::NetServerEnum(nullptr, 100, &buffer, MAX_PREFERRED_LENGTH, &read, &total, SV_TYPE_NT,
                                      nullptr, nullptr),
              NERR_Success);
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(platform::NetApiBufferFree(buffer), NERR_Success);
    EXPECT_EQ(platform::NetApiBufferFree(buffer), ERROR_INVALID_PARAMETER);
    int notABuffer = 0;
    EXPECT_EQ(platform::NetApiBufferFree(&notABuffer), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(platform::NetApiBufferFree(nullptr), NERR_Success);
}

TEST_F(NetServer, TheModulesExportTheFunctions)
{
    const struct {
        PlatformProfile profile;
        const char* module;
        const char* enumName;
    } cases[] = {
        {PlatformProfile::nt5(), "netapi32.dll", "NetServerEnum"},
        {PlatformProfile::win9x(true), "netapi32.dll", "NetServerEnum"},
        {PlatformProfile::win9x(true), "varovu32.dll", "NetServerEnumA"},
    };
    for (const auto& c : cases) {
        ScopedProfile profile(c.profile);
        HMODULE module = LoadLibraryA(c.module);
        ASSERT_NE(module, nullptr) << c.module;
        const auto enumerate = reinterpret_cast<NetServerEnumFn>(GetProcAddress(module, c.enumName));
        const auto release = reinterpret_cast<NetApiBufferFreeFn>(GetProcAddress(module, "NetApiBufferFree"));
        ASSERT_NE(enumerate, nullptr) << c.enumName;
        ASSERT_NE(release, nullptr);
        LPBYTE buffer = nullptr;
        DWORD read = 0;
        DWORD total = 0;
        EXPECT_EQ(enumerate(nullptr, 100, &buffer, MAX_PREFERRED_LENGTH, &read, &total, SV_TYPE_NT, nullptr, nullptr),
                  NERR_Success);
        EXPECT_EQ(read, 4u);
        EXPECT_EQ(release(buffer), NERR_Success);
        EXPECT_TRUE(FreeLibrary(module));
    }
}
