#include "SiteBuilder.h"

#include "platform/ErrorCodes.h"
#include "platform/Kernel32.h"
#include "platform/Mpr.h"
#include "platform/NetConnections.h"
#include "platform/Site.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

class NetConnection : public ::testing::Test {
protected:
    void SetUp() override
    {
        site_.Domain("CORP")
            .Computer("SERVER1", {.domain = "CORP",
                                  .requiresConnection = true,
                                  .accounts = {{"Administrator", "Secret1"}, {"backup", " spaced "}}})
            .Computer("SERVER2", {.reachable = false})
            .Computer("SERVER3");
        site_.Load();
    }

    static DWORD add(const char* remote, const char* password, const char* user, const char* local = nullptr,
                     DWORD type = RESOURCETYPE_ANY, const char* provider = nullptr)
    {
        std::string remoteText = remote ? remote : "";
        std::string localText = local ? local : "";
        std::string providerText = provider ? provider : "";
        NETRESOURCEA resource{};
        resource.dwType = type;
        resource.lpRemoteName = remote ? remoteText.data() : nullptr;
        resource.lpLocalName = local ? localText.data() : nullptr;
        resource.lpProvider = provider ? providerText.data() : nullptr;
        return WNetAddConnection2A(&resource, password, user, 0);
    }

    static std::vector<std::string> connections()
    {
        std::vector<std::string> list;
        for (const NetConnectionInfo& c : NetConnections::Instance().List())
            list.push_back(c.remoteName + " " + c.userName + " " + std::to_string(c.uses));
        return list;
    }

    SiteBuilder site_;
};

} // namespace

TEST_F(NetConnection, RefusesWhatItCannotConnect)
{
    const struct {
        const char* remote;
        const char* password;
        const char* user;
        const char* local;
        DWORD type;
        const char* provider;
        DWORD code;
    } cases[] = {
        {"\\\\SERVER1\\IPC$", "wrong", "Administrator", nullptr, RESOURCETYPE_ANY, nullptr, ERROR_LOGON_FAILURE},
        {"\\\\SERVER1\\IPC$", "Secret1", "nobody", nullptr, RESOURCETYPE_ANY, nullptr, ERROR_LOGON_FAILURE},
        {"\\\\SERVER1\\IPC$", "secret1", "Administrator", nullptr, RESOURCETYPE_ANY, nullptr, ERROR_LOGON_FAILURE},
        {"\\\\SERVER1\\IPC$", "Secret1", "OTHERDOM\\Administrator", nullptr, RESOURCETYPE_ANY, nullptr,
         ERROR_LOGON_FAILURE},
        {"\\\\SERVER1\\IPC$", nullptr, nullptr, nullptr, RESOURCETYPE_ANY, nullptr, ERROR_LOGON_FAILURE},
        {"\\\\NOSUCH\\IPC$", "Secret1", "Administrator", nullptr, RESOURCETYPE_ANY, nullptr, ERROR_BAD_NETPATH},
        {"\\\\SERVER2\\IPC$", nullptr, nullptr, nullptr, RESOURCETYPE_ANY, nullptr, ERROR_BAD_NETPATH},
        {"\\\\SERVER1\\D$", "Secret1", "Administrator", nullptr, RESOURCETYPE_ANY, nullptr, ERROR_BAD_NET_NAME},
        {"\\\\SERVER1", "Secret1", "Administrator", nullptr, RESOURCETYPE_ANY, nullptr, ERROR_BAD_NET_NAME},
        {"SERVER1\\IPC$", "Secret1", "Administrator", nullptr, RESOURCETYPE_ANY, nullptr, ERROR_BAD_NET_NAME},
        {"\\\\SERVER1\\IPC$", "Secret1", "Administrator", "Z:", RESOURCETYPE_ANY, nullptr, ERROR_BAD_DEVICE},
        {"\\\\SERVER1\\IPC$", "Secret1", "Administrator", nullptr, RESOURCETYPE_PRINT, nullptr,
         ERROR_INVALID_PARAMETER},
        {"\\\\SERVER1\\IPC$", "Secret1", "Administrator", nullptr, RESOURCETYPE_ANY, "Nowhere Net", ERROR_BAD_PROVIDER},
        {nullptr, "Secret1", "Administrator", nullptr, RESOURCETYPE_ANY, nullptr, ERROR_INVALID_PARAMETER},
    };
    for (const auto& c : cases) {
        SetLastError(0);
        EXPECT_EQ(add(c.remote, c.password, c.user, c.local, c.type, c.provider), c.code)
            << (c.remote ? c.remote : "(null)") << " " << (c.user ? c.user : "(null)");
        EXPECT_EQ(GetLastError(), c.code);
    }
    EXPECT_EQ(WNetAddConnection2A(nullptr, "x", "y", 0), ERROR_INVALID_PARAMETER);
    EXPECT_TRUE(connections().empty());
}

TEST_F(NetConnection, AcceptsGoodCredentialsInAnyOfTheirForms)
{
    const struct {
        const char* remote;
        const char* password;
        const char* user;
    } cases[] = {
        {"\\\\SERVER1\\IPC$", "Secret1", "Administrator"},
        {"\\\\server1\\ipc$", "Secret1", "ADMINISTRATOR"},
        {"\\\\SERVER1\\C$", "Secret1", "SERVER1\\administrator"},
        {"\\\\SERVER1\\ADMIN$", "Secret1", "corp\\Administrator"},
        {"\\\\SERVER1\\IPC$", "Secret1", "Administrator", },
    };
    for (const auto& c : cases)
        EXPECT_EQ(add(c.remote, c.password, c.user, nullptr, RESOURCETYPE_ANY, "Microsoft Windows Network"),
                  ERROR_SUCCESS)
            << c.remote << " " << c.user;
    EXPECT_EQ(connections(), (std::vector<std::string>{"\\\\SERVER1\\IPC$ Administrator 3",
                                                       "\\\\SERVER1\\C$ administrator 1",
                                                       "\\\\SERVER1\\ADMIN$ Administrator 1"}));
}

TEST_F(NetConnection, OneUserNamePerComputer)
{
    ASSERT_EQ(add("\\\\SERVER1\\IPC$", "Secret1", "Administrator"), ERROR_SUCCESS);
    EXPECT_EQ(add("\\\\SERVER1\\IPC$", " spaced ", "backup"), ERROR_SESSION_CREDENTIAL_CONFLICT);
    EXPECT_EQ(add("\\\\SERVER1\\C$", " spaced ", "backup"), ERROR_SESSION_CREDENTIAL_CONFLICT);
    // The current user's credentials use the session that is open.
    EXPECT_EQ(add("\\\\SERVER1\\C$", nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(WNetCancelConnection2A("\\\\SERVER1\\C$", 0, FALSE), ERROR_SUCCESS);
    EXPECT_EQ(WNetCancelConnection2A("\\\\SERVER1\\IPC$", 0, TRUE), ERROR_SUCCESS);
    EXPECT_EQ(WNetCancelConnection2A("\\\\SERVER1\\IPC$", 0, FALSE), ERROR_NOT_CONNECTED);
    EXPECT_EQ(GetLastError(), ERROR_NOT_CONNECTED);
    EXPECT_EQ(add("\\\\SERVER1\\IPC$", " spaced ", "backup"), ERROR_SUCCESS);
    EXPECT_EQ(connections(), std::vector<std::string>{"\\\\SERVER1\\IPC$ backup 1"});
}

TEST_F(NetConnection, AComputerThatNeedsNoConnectionTakesOneAnyway)
{
    EXPECT_EQ(add("\\\\SERVER3\\IPC$", nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(add("\\\\SERVER3\\IPC$", "x", "someone"), ERROR_SESSION_CREDENTIAL_CONFLICT);
    EXPECT_EQ(WNetCancelConnection2A("\\\\SERVER3\\IPC$", 0, FALSE), ERROR_SUCCESS);
    EXPECT_EQ(add("\\\\SERVER3\\IPC$", "x", "someone"), ERROR_LOGON_FAILURE);
    EXPECT_EQ(WNetCancelConnection2A(nullptr, 0, FALSE), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(WNetCancelConnection2A("Z:", 0, FALSE), ERROR_NOT_CONNECTED);
}

TEST_F(NetConnection, LoadingASiteDropsEveryConnection)
{
    ASSERT_EQ(add("\\\\SERVER1\\IPC$", "Secret1", "Administrator"), ERROR_SUCCESS);
    SiteBuilder other;
    other.Computer("SERVER1");
    other.Load();
    EXPECT_TRUE(connections().empty());
}

TEST_F(NetConnection, TheTraceRecordsEveryCall)
{
    ScopedWNetTrace trace;
    add("\\\\SERVER1\\IPC$", "Secret1", "Administrator");
    WNetCancelConnection2A("\\\\SERVER1\\IPC$", 0, FALSE);
    EXPECT_EQ(trace.Calls(), (std::vector<std::string>{"add \\\\SERVER1\\IPC$ = 0", "cancel \\\\SERVER1\\IPC$ = 0"}));
}
