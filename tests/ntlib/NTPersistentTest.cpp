#include "NtlibSite.h"

#include "ntlib/BrowsReg.h"
#include "ntlib/FunctionBinding.h"
#include "ntlib/NTCommon.h"
#include "ntlib/NTException.h"

#include "platform/ErrorCodes.h"
#include "platform/Mpr.h"
#include "platform/NetConnections.h"

#include <gtest/gtest.h>

using platform::NetConnections;
using platform::ScopedWNetTrace;

namespace {

class NTPersistent : public ::testing::Test {
protected:
    void SetUp() override { BuildLibrarySite(site_); }

    static std::vector<std::string> connections()
    {
        std::vector<std::string> list;
        for (const platform::NetConnectionInfo& c : NetConnections::Instance().List())
            list.push_back(c.remoteName + " " + c.userName + " " + std::to_string(c.uses));
        return list;
    }

    static void connectAs(const char* remote, const char* user, const char* password)
    {
        ASSERT_EQ(SiteBuilder::Connect(remote, user, password), ERROR_SUCCESS);
    }

    SiteBuilder site_;
    ScopedSystemFunctions functions_;
};

TLogonAs credentials(const char* user, const char* password)
{
    TLogonAs logon;
    logon.UserName = user;
    logon.Password = password;
    return logon;
}

} // namespace

TEST_F(NTPersistent, ConnectsOnlyToARemoteComputerAndOnlyWithCredentials)
{
    ScopedWNetTrace trace;
    TNTPersistent local;
    local.LogonAs() = credentials("admin", "pw");
    local.SetMachineName("WKS1");
    local.SetMachineName("");
    EXPECT_FALSE(local.NeedsConnection("WKS1"));
    EXPECT_EQ(local.ConnectTo("WKS1"), static_cast<DWORD>(-1));

    TNTPersistent anonymous;
    anonymous.SetMachineName("SERVER1");
    EXPECT_FALSE(anonymous.NeedsConnection("SERVER1"));
    anonymous.LogonAs().Password = " ";
    EXPECT_FALSE(anonymous.NeedsConnection("SERVER1"));
    anonymous.LogonAs().Password = "pw";
    EXPECT_TRUE(anonymous.NeedsConnection("SERVER1"));
    EXPECT_FALSE(anonymous.NeedsConnection("  "));

    EXPECT_TRUE(trace.Calls().empty());
    EXPECT_EQ(GetLocalComputerName(), "WKS1");
}

TEST_F(NTPersistent, ConnectsToTheIpcShareWhateverTheFormOfTheName)
{
    for (const char* name : {"SERVER1", "\\\\SERVER1"}) {
        ScopedWNetTrace trace;
        {
            TNTPersistent component;
            component.LogonAs() = credentials("admin", "pw");
            component.SetMachineName(name);
            component.SetMachineName(name); // the same name again: nothing
            EXPECT_EQ(trace.Calls(), std::vector<std::string>{"add \\\\SERVER1\\IPC$ = 0"}) << name;
            EXPECT_EQ(connections(), std::vector<std::string>{"\\\\SERVER1\\IPC$ admin 1"});
            component.SetMachineName("");
        }
        EXPECT_EQ(trace.Calls(), (std::vector<std::string>{"add \\\\SERVER1\\IPC$ = 0", "cancel \\\\SERVER1\\IPC$ = 0"}));
        EXPECT_TRUE(connections().empty());
    }
}

TEST_F(NTPersistent, AChangeOfComputerMovesTheConnection)
{
    TNTPersistent component;
    component.LogonAs() = credentials("admin", "pw");
    component.SetMachineName("SERVER1");
    ScopedWNetTrace trace;
    component.SetMachineName("SERVER3");
    EXPECT_EQ(trace.Calls(), (std::vector<std::string>{"cancel \\\\SERVER1\\IPC$ = 0", "add \\\\SERVER3\\IPC$ = 0"}));
    EXPECT_EQ(connections(), std::vector<std::string>{"\\\\SERVER3\\IPC$ admin 1"});
}

TEST_F(NTPersistent, AConflictIsResolvedByOneCancelAndOneRetry)
{
    connectAs("\\\\SERVER1\\IPC$", "other", "x");
    ScopedWNetTrace trace;
    TNTPersistent component;
    component.LogonAs() = credentials("admin", "pw");
    component.SetMachineName("SERVER1");
    EXPECT_EQ(trace.Calls(), (std::vector<std::string>{"add \\\\SERVER1\\IPC$ = 1219", "cancel \\\\SERVER1\\IPC$ = 0",
                                                       "add \\\\SERVER1\\IPC$ = 0"}));
    EXPECT_EQ(connections(), std::vector<std::string>{"\\\\SERVER1\\IPC$ admin 1"});
}

TEST_F(NTPersistent, AConflictThatStaysIsNotRetriedAgain)
{
    connectAs("\\\\SERVER1\\C$", "other", "x");
    ScopedWNetTrace trace;
    TNTPersistent component;
    component.LogonAs() = credentials("admin", "pw");
    EXPECT_EQ(component.ConnectTo("SERVER1"), ERROR_SESSION_CREDENTIAL_CONFLICT);
    EXPECT_EQ(trace.Calls(), (std::vector<std::string>{"add \\\\SERVER1\\IPC$ = 1219", "cancel \\\\SERVER1\\IPC$ = 2250",
                                                       "add \\\\SERVER1\\IPC$ = 1219"}));
}

TEST_F(NTPersistent, AFailedConnectionIsNotReportedAndTheComputerStaysClosed)
{
    TNTPersistent component;
    component.LogonAs() = credentials("admin", "wrong");
    EXPECT_NO_THROW(component.SetMachineName("SERVER1"));
    EXPECT_EQ(component.ConnectTo("SERVER1"), ERROR_LOGON_FAILURE);
    TBrowseRegistry registry;
    try {
        registry.RegistryConnect("SERVER1");
        FAIL() << "no exception";
    } catch (const ENTException& e) {
        EXPECT_EQ(e.ErrorCode(), 5);
        EXPECT_STREQ(e.what(), "5: Access is denied.\r\n");
    }
}

TEST_F(NTPersistent, TheConnectionOpensTheComputersRegistry)
{
    TNTPersistent component;
    component.LogonAs() = credentials("SERVER1\\admin", "pw");
    component.SetMachineName("\\\\SERVER1");
    EXPECT_EQ(EventLogNames("\\\\SERVER1"), (std::vector<std::string>{"Application", "Security", "System"}));
}

TEST_F(NTPersistent, WhileLoadingItOnlyRecordsAndConnectsWhenLoaded)
{
    ScopedWNetTrace trace;
    TNTPersistent component;
    component.BeginLoading();
    component.LogonAs() = credentials("admin", "pw");
    component.SetMachineName("SERVER1");
    EXPECT_FALSE(component.CanRaiseErrors());
    EXPECT_FALSE(component.NeedsConnection("SERVER1"));
    EXPECT_TRUE(trace.Calls().empty());
    component.Loaded();
    EXPECT_TRUE(component.CanRaiseErrors());
    EXPECT_EQ(trace.Calls(), std::vector<std::string>{"add \\\\SERVER1\\IPC$ = 0"});
}

TEST_F(NTPersistent, TheConnectionOutlivesTheComponent)
{
    {
        TNTPersistent component;
        component.LogonAs() = credentials("admin", "pw");
        component.SetMachineName("SERVER1");
    }
    EXPECT_EQ(connections(), std::vector<std::string>{"\\\\SERVER1\\IPC$ admin 1"});
    EXPECT_EQ(IpcShareName("\\\\SRV"), "\\\\SRV\\IPC$");
    EXPECT_EQ(IpcShareName("SRV"), "\\\\SRV\\IPC$");
}
