#include "RaisedException.h"
#include "SiteBuilder.h"

#include "ntlib/FunctionBinding.h"
#include "ntlib/LmApibuf.h"
#include "ntlib/LmServer.h"
#include "ntlib/NTException.h"
#include "ntlib/NTNetBrowser.h"

#include "platform/ErrorCodes.h"
#include "platform/Mpr.h"
#include "platform/NetConnections.h"
#include "platform/NetworkEnum.h"
#include "platform/PlatformProfile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

using platform::NetEnumFault;
using platform::ScopedNetEnumCallLimit;
using platform::ScopedNetEnumFault;
using platform::ScopedWNetTrace;

namespace {

constexpr int kPcs = 150;

// Two providers and three domains.  CORP holds DC1, SERVER1 (which needs
// credentials) and more computers with long comments than one 16 KB buffer
// holds; LAB1 has a comment longer than the first buffer of a parent
// lookup; FAR of the other provider holds FAR1, which does not answer.
void buildBrowseSite(SiteBuilder& site)
{
    site.Local("WKS1")
        .Provider("Microsoft Windows Network", "Windows network")
        .Provider("Other Network")
        .Domain("CORP", "", "Head office", "DC1")
        .Domain("LAB")
        .Domain("FAR", "Other Network")
        .Computer("DC1", {.domain = "CORP",
                          .comment = "Controller",
                          .shares = {"NETLOGON:Logon server share", "SYSVOL", "Hidden$"}})
        .Computer("SERVER1", {.domain = "CORP",
                              .requiresConnection = true,
                              .accounts = {{"admin", "pw"}},
                              .shares = {"Public:Files for all"}});
    for (int i = 0; i < kPcs; ++i)
        site.Computer("PC" + std::to_string(i), {.domain = "CORP", .comment = std::string(100, 'c')});
    site.Computer("LAB1", {.domain = "LAB", .comment = std::string(300, 'x'), .shares = {"Tools"}})
        .Computer("FAR1", {.domain = "FAR", .reachable = false})
        .Computer("FAR2", {.domain = "FAR", .shares = {"Data"}});
    site.Load();
}

std::unique_ptr<TNTNetResource> copyOf(const TNTNetResource& resource)
{
    auto copy = std::make_unique<TNTNetResource>();
    copy->Assign(resource);
    return copy;
}

std::vector<std::string> remoteNames(const TNetResourceList& list)
{
    std::vector<std::string> names;
    for (int i = 0; i < list.GetCount(); ++i)
        names.push_back(list.GetItem(i)->RemoteName());
    return names;
}

std::size_t callsStartingWith(const ScopedWNetTrace& trace, const std::string& prefix)
{
    const std::vector<std::string> calls = trace.Calls();
    return static_cast<std::size_t>(std::count_if(calls.begin(), calls.end(), [&](const std::string& call) {
        return call.rfind(prefix, 0) == 0;
    }));
}

class NetBrowser : public ::testing::Test {
protected:
    void SetUp() override { buildBrowseSite(site_); }

    // Browses from the top along remote names and returns a copy of the
    // last resource reached.
    std::unique_ptr<TNTNetResource> find(const std::vector<std::string>& path)
    {
        TNTNetBrowser browser;
        std::unique_ptr<TNTNetResource> at = std::make_unique<TNTNetResource>();
        for (const std::string& name : path) {
            browser.SetCurrentResource(*at);
            TNetResourceList& children = browser.SubResources();
            at.reset();
            for (int i = 0; i < children.GetCount() && !at; ++i)
                if (children.GetItem(i)->RemoteName() == name)
                    at = copyOf(*children.GetItem(i));
            if (!at) {
                ADD_FAILURE() << name << " is not listed";
                return std::make_unique<TNTNetResource>();
            }
        }
        return at;
    }

    SiteBuilder site_;
};

} // namespace

TEST_F(NetBrowser, ACurrentResourceThatIsClearedListsTheProviders)
{
    TNTNetBrowser browser;
    browser.CurrentResource().SetRemoteName("CORP");
    browser.CurrentResource().Clear();
    TNetResourceList& providers = browser.SubResources();
    ASSERT_EQ(providers.GetCount(), 2);
    const TNTNetResource& windows = *providers.GetItem(0);
    EXPECT_EQ(windows.RemoteName(), "Microsoft Windows Network");
    EXPECT_EQ(windows.Provider(), "Microsoft Windows Network");
    EXPECT_EQ(windows.Comment(), "Windows network");
    EXPECT_EQ(windows.LocalName(), "");
    EXPECT_EQ(windows.DisplayType(), RESOURCEDISPLAYTYPE_NETWORK);
    EXPECT_EQ(windows.Usage(), RESOURCEUSAGE_CONTAINER);
    EXPECT_EQ(windows.Scope(), RESOURCE_GLOBALNET);
    EXPECT_EQ(windows.ResourceType(), RESOURCETYPE_ANY);
    EXPECT_EQ(windows.Browser(), &browser);
    EXPECT_EQ(providers.GetItem(1)->RemoteName(), "Other Network");
}

TEST_F(NetBrowser, WalksTheWholeSite)
{
    TNTNetBrowser browser;
    std::vector<std::string> visited;
    std::vector<std::string> refused;
    std::function<void(const TNTNetResource&)> walk = [&](const TNTNetResource& at) {
        browser.SetCurrentResource(at);
        std::vector<std::unique_ptr<TNTNetResource>> children;
        try {
            TNetResourceList& list = browser.SubResources();
            for (int i = 0; i < list.GetCount(); ++i)
                children.push_back(copyOf(*list.GetItem(i)));
        } catch (const ENTException& e) {
            refused.push_back(at.RemoteName() + " " + std::to_string(e.ErrorCode()));
            return;
        }
        for (const auto& child : children) {
            visited.push_back(child->RemoteName());
            if (child->Usage() & RESOURCEUSAGE_CONTAINER)
                walk(*child);
        }
    };
    walk(TNTNetResource());

    // 2 providers, 3 domains, 2 + 150 + 1 + 2 computers, 4 shares.
    EXPECT_EQ(visited.size(), 2u + 3u + 155u + 4u);
    for (const char* name : {"Microsoft Windows Network", "Other Network", "CORP", "LAB", "FAR", "\\\\DC1",
                             "\\\\PC149", "\\\\LAB1", "\\\\FAR2", "\\\\DC1\\NETLOGON", "\\\\DC1\\SYSVOL",
                             "\\\\LAB1\\Tools", "\\\\FAR2\\Data"})
        EXPECT_NE(std::find(visited.begin(), visited.end(), name), visited.end()) << name;
    EXPECT_EQ(std::find(visited.begin(), visited.end(), "\\\\DC1\\Hidden$"), visited.end());
    // The computer that needs credentials and the one of the other provider
    // that does not answer (its code comes from the provider's extended
    // error).
    EXPECT_EQ(refused, (std::vector<std::string>{"\\\\SERVER1 5", "\\\\FAR1 53"}));
}

TEST_F(NetBrowser, ALevelLargerThanTheBufferIsReadInSeveralCalls)
{
    const auto corp = find({"Microsoft Windows Network", "CORP"});
    std::vector<std::string> expected = {"\\\\DC1", "\\\\SERVER1"};
    for (int i = 0; i < kPcs; ++i)
        expected.push_back("\\\\PC" + std::to_string(i));

    TNTNetBrowser browser;
    browser.SetCurrentResource(*corp);
    {
        ScopedWNetTrace trace;
        EXPECT_EQ(remoteNames(browser.SubResources()), expected);
        EXPECT_EQ(trace.Calls().front(), "openenum CORP = 0");
        EXPECT_GE(callsStartingWith(trace, "enum "), 3u); // two with entries, one at the end
        EXPECT_EQ(trace.Calls().back(), "closeenum = 0");
    }
    browser.CurrentResource().SetComment("changed");
    browser.SetCurrentResource(*corp);
    ScopedNetEnumCallLimit limit(7);
    ScopedWNetTrace trace;
    EXPECT_EQ(remoteNames(browser.SubResources()), expected);
    EXPECT_EQ(callsStartingWith(trace, "enum 7 = 0"), 21u);
    EXPECT_EQ(callsStartingWith(trace, "enum 5 = 0"), 1u);
    EXPECT_EQ(callsStartingWith(trace, "enum 0 = 259"), 1u);
}

TEST_F(NetBrowser, TheListFollowsTheCurrentResourceAndWhatToBrowse)
{
    const auto dc1 = find({"Microsoft Windows Network", "CORP", "\\\\DC1"});
    TNTNetBrowser browser;
    browser.SetCurrentResource(*dc1);
    ScopedWNetTrace trace;
    TNetResourceList* first = browser.GetSubResources();
    EXPECT_EQ(browser.GetSubResources(), first);
    EXPECT_EQ(callsStartingWith(trace, "openenum"), 1u);

    browser.SetCurrentResource(*copyOf(*dc1)); // equal: the list stays
    EXPECT_EQ(browser.GetSubResources(), first);
    EXPECT_EQ(callsStartingWith(trace, "openenum"), 1u);

    browser.WhatToBrowse().SetScope(RESOURCE_GLOBALNET); // unchanged: the list stays
    EXPECT_EQ(callsStartingWith(trace, "openenum"), 1u);
    browser.WhatToBrowse().SetResourceType(RESOURCETYPE_PRINT);
    EXPECT_EQ(browser.SubResources().GetCount(), 0);
    EXPECT_EQ(callsStartingWith(trace, "openenum"), 2u);

    TBrowseProperties defaults;
    browser.SetWhatToBrowse(defaults);
    EXPECT_EQ(browser.SubResources().GetCount(), 2);
    EXPECT_EQ(callsStartingWith(trace, "openenum"), 3u);

    // Connections are listed whatever the current resource.
    ASSERT_EQ(platform::NetConnections::Instance().Add(*platform::CurrentSite(), "\\\\DC1\\SYSVOL", nullptr, nullptr),
              ERROR_SUCCESS);
    browser.WhatToBrowse().SetScope(RESOURCE_CONNECTED);
    EXPECT_EQ(remoteNames(browser.SubResources()), std::vector<std::string>{"\\\\DC1\\SYSVOL"});
    EXPECT_EQ(callsStartingWith(trace, "openenum (null) = 0"), 1u); // from the top
    browser.WhatToBrowse().SetScope(RESOURCE_REMEMBERED);
    EXPECT_EQ(browser.SubResources().GetCount(), 0);
}

TEST_F(NetBrowser, AnItemOfTheListCanBecomeTheCurrentResource)
{
    TNTNetBrowser browser;
    // Each step drops the list that holds the resource being copied.
    for (const char* name : {"Microsoft Windows Network", "CORP", "\\\\DC1"}) {
        TNetResourceList& list = browser.SubResources();
        for (int i = 0; i < list.GetCount(); ++i)
            if (list.GetItem(i)->RemoteName() == name) {
                browser.SetCurrentResource(*list.GetItem(i));
                break;
            }
        EXPECT_EQ(browser.CurrentResource().RemoteName(), name);
    }
    EXPECT_EQ(remoteNames(browser.SubResources()),
              (std::vector<std::string>{"\\\\DC1\\NETLOGON", "\\\\DC1\\SYSVOL"}));
    EXPECT_EQ(browser.SubResources().GetItem(0)->Comment(), "Logon server share");
}

TEST_F(NetBrowser, AComputerThatNeedsCredentialsIsListedOnceConnected)
{
    const auto server1 = find({"Microsoft Windows Network", "CORP", "\\\\SERVER1"});
    TNTNetBrowser browser;
    browser.SetCurrentResource(*server1);
    ScopedWNetTrace trace;
    const auto [text, code] = Raised([&] { browser.SubResources(); });
    EXPECT_EQ(text, "5: Access is denied.\r\n");
    EXPECT_EQ(code, 5);
    EXPECT_EQ(callsStartingWith(trace, "closeenum"), 0u); // nothing was open

    std::string ipc = "\\\\SERVER1\\IPC$";
    NETRESOURCEA connection{};
    connection.lpRemoteName = ipc.data();
    ASSERT_EQ(WNetAddConnection2A(&connection, "pw", "admin", 0), ERROR_SUCCESS);
    EXPECT_EQ(remoteNames(browser.SubResources()), std::vector<std::string>{"\\\\SERVER1\\Public"});
}

TEST_F(NetBrowser, AnotherProvidersFailureCarriesItsExtendedError)
{
    const auto far1 = find({"Other Network", "FAR", "\\\\FAR1"});
    TNTNetBrowser browser;
    browser.SetCurrentResource(*far1);
    const auto [text, code] = Raised([&] { browser.SubResources(); });
    EXPECT_EQ(text, "53: The network path was not found.");
    EXPECT_EQ(code, 53);
}

TEST_F(NetBrowser, WhileLoadingFailuresAreSwallowed)
{
    const auto server1 = find({"Microsoft Windows Network", "CORP", "\\\\SERVER1"});
    TNTNetBrowser browser;
    browser.BeginLoading();
    EXPECT_FALSE(browser.CanRaiseErrors());
    browser.SetCurrentResource(*server1);
    EXPECT_EQ(browser.SubResources().GetCount(), 0);
    EXPECT_FALSE(browser.OpenEnum());
    browser.SetProviderName("Nowhere Net");
    EXPECT_EQ(browser.ProviderInfo().Version(), 0u);
    // The parent lookup raises in every state.
    browser.CurrentResource().SetRemoteName("\\\\NOSUCH");
    EXPECT_EQ(Raised([&] { browser.GetParentResource(); }).second, 53);

    browser.Loaded();
    EXPECT_TRUE(browser.CanRaiseErrors());
    browser.SetCurrentResource(*server1);
    EXPECT_EQ(Raised([&] { browser.SubResources(); }).second, 5);
}

TEST_F(NetBrowser, AWalkThatCannotGoOnEndsWithAnError)
{
    const std::string noProgress = "The network enumeration returned no entries and did not end";
    const struct {
        NetEnumFault fault;
        std::string text;
        std::int32_t code;
        int kept; // entries appended before the failure
    } cases[] = {
        {{0, ERROR_SUCCESS, 0, 0}, noProgress, -1, 0},
        {{0, ERROR_MORE_DATA, 0, 16384}, noProgress, -1, 0},
        {{0, ERROR_MORE_DATA, 0, 48}, noProgress, -1, 0},
        {{0, ERROR_MORE_DATA, 0, 16385}, noProgress, -1, 0}, // grows once, then no further
        {{0, ERROR_MORE_DATA, 0, 0x7FFFFFFF}, "The network enumeration asked for a buffer of 2147483647 bytes", -1,
         0},
        {{0, ERROR_SUCCESS, 342, 0}, "The network enumeration returned more entries than its buffer holds", -1, 0},
        {{1, ERROR_NO_NETWORK, 0, 0}, "1222: The network is not present or not started.\r\n", 1222, 2},
    };
    for (const auto& c : cases) {
        TNTNetBrowser browser;
        TNetResourceList list;
        ScopedWNetTrace trace;
        {
            ScopedNetEnumFault fault(c.fault);
            const auto [text, code] = Raised([&] { browser.EnumSubResources(list); });
            EXPECT_EQ(text, c.text);
            EXPECT_EQ(code, c.code);
            EXPECT_EQ(list.GetCount(), c.kept) << c.text;
            EXPECT_EQ(trace.Calls().back(), "closeenum = 0");

            // The browser's own list is not kept after a failure ...
            EXPECT_EQ(Raised([&] { browser.SubResources(); }).second, c.code);
            // ... and a browser being loaded ends the walk quietly.
            browser.BeginLoading();
            TNetResourceList quiet;
            EXPECT_NO_THROW(browser.EnumSubResources(quiet));
            EXPECT_EQ(quiet.GetCount(), 0);
            browser.Loaded();
        }
        EXPECT_EQ(browser.SubResources().GetCount(), 2) << c.text;
    }
}

TEST_F(NetBrowser, ParentsLeadBackToTheTop)
{
    const auto windows = find({"Microsoft Windows Network"});
    const auto corp = find({"Microsoft Windows Network", "CORP"});
    const auto dc1 = find({"Microsoft Windows Network", "CORP", "\\\\DC1"});
    const auto netlogon = find({"Microsoft Windows Network", "CORP", "\\\\DC1", "\\\\DC1\\NETLOGON"});

    TNTNetBrowser browser;
    browser.SetCurrentResource(*netlogon);
    for (const TNTNetResource* expected : {dc1.get(), corp.get(), windows.get()}) {
        TNTNetResource& parent = browser.GetParentResource();
        EXPECT_TRUE(parent.IsEqual(*expected)) << parent.RemoteName();
        EXPECT_EQ(&parent, &browser.GetParentResource()); // the browser's own, overwritten
        browser.SetCurrentResource(parent);
    }
    EXPECT_TRUE(browser.GetParentResource().IsEmpty());
    EXPECT_EQ(browser.CurrentResource().RemoteName(), "Microsoft Windows Network");

    browser.CurrentResource().Clear();
    EXPECT_EQ(Raised([&] { browser.GetParentResource(); }).second, 87);
}

TEST_F(NetBrowser, AParentLargerThanTheFirstBufferIsAskedForAgain)
{
    const auto tools = find({"Microsoft Windows Network", "LAB", "\\\\LAB1", "\\\\LAB1\\Tools"});
    TNTNetBrowser browser;
    browser.SetCurrentResource(*tools);
    ScopedWNetTrace trace;
    const TNTNetResource& parent = browser.GetParentResource();
    EXPECT_EQ(parent.RemoteName(), "\\\\LAB1");
    EXPECT_EQ(parent.Comment(), std::string(300, 'x'));
    EXPECT_EQ(trace.Calls(),
              (std::vector<std::string>{"parent \\\\LAB1\\Tools = 234", "parent \\\\LAB1\\Tools = 0"}));
}

TEST_F(NetBrowser, ProviderInformation)
{
    TNTNetBrowser browser;
    ScopedWNetTrace trace;
    browser.SetProviderName("Microsoft Windows Network");
    EXPECT_EQ(browser.GetProviderName(), "Microsoft Windows Network");
    EXPECT_EQ(browser.ProviderInfo().NetType(), 131072u);
    EXPECT_EQ(browser.ProviderInfo().Version(), 1024u);
    EXPECT_EQ(browser.ProviderInfo().Status(), 0u);
    browser.SetProviderName("Microsoft Windows Network"); // unchanged: not asked again
    EXPECT_EQ(callsStartingWith(trace, "netinfo"), 1u);

    browser.SetProviderName("Other Network");
    EXPECT_EQ(browser.ProviderInfo().NetType(), 0u);
    EXPECT_EQ(browser.ProviderInfo().Version(), 1024u);

    const auto [text, code] = Raised([&] { browser.SetProviderName("Nowhere Net"); });
    EXPECT_EQ(text, "1204: The specified network provider name is invalid.\r\n");
    EXPECT_EQ(code, 1204);
    EXPECT_EQ(browser.ProviderInfo().Version(), 0u);

    browser.SetProviderName("");
    EXPECT_EQ(callsStartingWith(trace, "netinfo"), 3u);

    TNTNetProviderInfo alone;
    EXPECT_EQ(Raised([&] { alone.Refresh("Nowhere Net"); }).second, 1204);
}

TEST_F(NetBrowser, PerformanceOfAConnectableResource)
{
    const auto dc1 = find({"Microsoft Windows Network", "CORP", "\\\\DC1"});
    TNTNetBrowser browser;
    browser.SetCurrentResource(*dc1);
    TNTNetResource& share = *browser.SubResources().GetItem(0);
    ScopedWNetTrace trace;
    EXPECT_FALSE(share.Performance().Valid());
    EXPECT_EQ(share.Performance().Flags(), WNCON_FORNETCARD);
    EXPECT_EQ(share.Performance().Speed(), 1000000u);
    EXPECT_EQ(share.Performance().Delay(), 1u);
    EXPECT_EQ(share.Performance().OptDataSize(), 65536u);
    EXPECT_EQ(callsStartingWith(trace, "performance \\\\DC1\\NETLOGON = 0"), 1u);
    share.SetComment("changed"); // a change asks again
    EXPECT_FALSE(share.Performance().Valid());
    EXPECT_EQ(share.Performance().Speed(), 1000000u);
    EXPECT_EQ(callsStartingWith(trace, "performance"), 2u);

    // A container has no connection: four zeros, and the platform is not asked.
    TNTResourcePerformance& server = browser.CurrentResource().Performance();
    EXPECT_EQ(server.Flags() + server.Speed() + server.Delay() + server.OptDataSize(), 0u);
    EXPECT_EQ(callsStartingWith(trace, "performance"), 2u);
    TNTResourcePerformance ownerless;
    EXPECT_EQ(ownerless.Speed(), 0u);
}

TEST_F(NetBrowser, AFailedPerformanceQueryRaisesUnlessTheBrowserIsLoading)
{
    TNTNetResource alone;
    alone.SetRemoteName("\\\\SERVER1\\Public");
    alone.SetUsage(RESOURCEUSAGE_CONNECTABLE);
    EXPECT_EQ(Raised([&] { alone.Performance().Flags(); }).second, 5);

    TNTNetBrowser browser;
    browser.BeginLoading();
    TNTNetResource owned(&browser);
    owned.Assign(alone);
    ScopedWNetTrace trace;
    EXPECT_EQ(owned.Performance().Flags(), 0u);
    EXPECT_FALSE(owned.Performance().Valid());
    EXPECT_EQ(owned.Performance().Speed(), 0u); // not valid: asked again
    EXPECT_EQ(callsStartingWith(trace, "performance \\\\SERVER1\\Public = 5"), 2u);
}

TEST_F(NetBrowser, ResourcesOutliveTheirBrowser)
{
    TNetResourceList list;
    {
        TNTNetBrowser browser;
        browser.BeginLoading();
        browser.EnumSubResources(list); // the providers
        EXPECT_EQ(list.GetItem(0)->Browser(), &browser);
    }
    ASSERT_EQ(list.GetCount(), 2);
    TNTNetResource& kept = *list.GetItem(0);
    EXPECT_EQ(kept.Browser(), nullptr);
    kept.SetRemoteName("\\\\SERVER1\\Public");
    kept.SetUsage(RESOURCEUSAGE_CONNECTABLE);
    // Without its browser the resource raises as one made without a browser.
    EXPECT_EQ(Raised([&] { kept.Performance().Delay(); }).second, 5);
}

TEST_F(NetBrowser, EnumerationHandlesAreHeldOnlyWhileEnumerating)
{
    TNTNetBrowser browser;
    ScopedWNetTrace trace;
    EXPECT_FALSE(browser.CloseEnum());
    EXPECT_TRUE(trace.Calls().empty());
    EXPECT_TRUE(browser.OpenEnum());
    EXPECT_TRUE(browser.OpenEnum()); // the handle before is closed first
    EXPECT_TRUE(browser.CloseEnum());
    EXPECT_FALSE(browser.CloseEnum());
    EXPECT_EQ(trace.Calls(), (std::vector<std::string>{"openenum (null) = 0", "closeenum = 0", "openenum (null) = 0",
                                                       "closeenum = 0"}));
    EXPECT_TRUE(browser.OpenEnum()); // closed by the destructor
}

TEST(NetResource, ChangesAreNotifiedOnlyWhenAValueChanges)
{
    TNTNetResource resource;
    int changes = 0;
    resource.SetOnChange([&] { ++changes; });
    resource.SetRemoteName("\\\\DC1");
    resource.SetRemoteName("\\\\DC1");
    resource.SetDisplayType(RESOURCEDISPLAYTYPE_SERVER);
    resource.SetScope(RESOURCE_GLOBALNET);
    resource.SetUsage(RESOURCEUSAGE_CONTAINER);
    resource.SetResourceType(RESOURCETYPE_DISK);
    resource.SetLocalName("Z:");
    resource.SetProvider("P");
    resource.SetComment("C");
    EXPECT_EQ(changes, 8);
    resource.Clear();
    EXPECT_EQ(changes, 9);
    EXPECT_TRUE(resource.IsEmpty());
    resource.Clear(); // always notifies
    EXPECT_EQ(changes, 10);

    std::string remote = "\\\\DC1\\SYSVOL";
    std::string comment = "Policies";
    NETRESOURCEA record{};
    record.dwScope = RESOURCE_GLOBALNET;
    record.dwType = RESOURCETYPE_DISK;
    record.dwDisplayType = RESOURCEDISPLAYTYPE_SHARE;
    record.dwUsage = RESOURCEUSAGE_CONNECTABLE;
    record.lpRemoteName = remote.data();
    record.lpComment = comment.data();
    resource.FromNetResource(record);
    EXPECT_EQ(changes, 10);
    EXPECT_EQ(resource.RemoteName(), remote);
    EXPECT_EQ(resource.Provider(), "");
    EXPECT_EQ(resource.LocalName(), "");

    NETRESOURCEA back{};
    resource.ToNetResource(back);
    EXPECT_EQ(back.dwScope, RESOURCE_GLOBALNET);
    EXPECT_EQ(back.dwType, RESOURCETYPE_DISK);
    EXPECT_EQ(back.dwDisplayType, RESOURCEDISPLAYTYPE_SHARE);
    EXPECT_EQ(back.dwUsage, RESOURCEUSAGE_CONNECTABLE);
    EXPECT_STREQ(back.lpRemoteName, "\\\\DC1\\SYSVOL");
    EXPECT_STREQ(back.lpComment, "Policies");
    ASSERT_NE(back.lpProvider, nullptr); // empty texts are empty strings
    EXPECT_STREQ(back.lpProvider, "");
    ASSERT_NE(back.lpLocalName, nullptr);
}

TEST(NetResource, EqualityAndAssignment)
{
    TNTNetResource a;
    a.SetRemoteName("\\\\DC1");
    a.SetComment("Controller");
    a.SetUsage(RESOURCEUSAGE_CONTAINER);
    TNTNetResource b;
    int changes = 0;
    b.SetOnChange([&] { ++changes; });
    b.Assign(a);
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(b.IsEqual(a));
    EXPECT_FALSE(b.IsEmpty());
    b.SetRemoteName("\\\\dc1");
    EXPECT_FALSE(b.IsEqual(a)); // texts compare case-sensitively
    b.SetRemoteName("\\\\DC1");
    b.SetDisplayType(RESOURCEDISPLAYTYPE_SERVER);
    EXPECT_FALSE(b.IsEqual(a));
    b.Assign(b);
    EXPECT_EQ(b.DisplayType(), RESOURCEDISPLAYTYPE_SERVER);
    EXPECT_TRUE(TNTNetResource().IsEmpty());
}

TEST(NetResource, BrowsePropertiesAndTheList)
{
    TBrowseProperties properties;
    EXPECT_EQ(properties.Usage(), 19u);
    EXPECT_EQ(properties.Scope(), 2u);
    EXPECT_EQ(properties.ResourceType(), 0u);
    int changes = 0;
    properties.SetOnChange([&] { ++changes; });
    properties.SetUsage(19);
    EXPECT_EQ(changes, 0);
    TBrowseProperties other;
    other.SetScope(RESOURCE_CONNECTED);
    other.SetResourceType(RESOURCETYPE_DISK);
    properties.Assign(other);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(properties.Scope(), RESOURCE_CONNECTED);
    EXPECT_EQ(properties.ResourceType(), RESOURCETYPE_DISK);

    TNetResourceList list;
    EXPECT_TRUE(list.OwnsItems());
    auto second = std::make_unique<TNTNetResource>();
    second->SetRemoteName("B");
    auto first = std::make_unique<TNTNetResource>();
    first->SetRemoteName("A");
    EXPECT_EQ(list.Add(std::move(second)), 0);
    EXPECT_EQ(list.Add(std::move(first)), 1); // appended, not sorted
    EXPECT_EQ(remoteNames(list), (std::vector<std::string>{"B", "A"}));
}

TEST(NetServerBinding, TheBrowseDialogListsTheComputersOfTheDomain)
{
    SiteBuilder site;
    site.Domain("CORP").Computer("WKS1", {.domain = "CORP"}).Computer("DC1", {.domain = "CORP"});
    site.Load();
    ScopedSystemFunctions bound;
    EXPECT_EQ(NetServerFunctions().LibraryName(), "netapi32.dll");
    EXPECT_TRUE(NetServerFunctionsLoaded());
    LPBYTE buffer = nullptr;
    DWORD read = 0;
    DWORD total = 0;
    ASSERT_EQ(NetServerEnum(nullptr, 100, &buffer, MAX_PREFERRED_LENGTH, &read, &total, SV_TYPE_NT, nullptr, nullptr),
              NERR_Success);
    ASSERT_EQ(read, 2u);
    const auto* entries = reinterpret_cast<const SERVER_INFO_100*>(buffer);
    EXPECT_EQ(std::u16string(entries[0].sv100_name), u"WKS1");
    EXPECT_EQ(std::u16string(entries[1].sv100_name), u"DC1");
    EXPECT_EQ(NetApiBufferFree(buffer), NERR_Success);
}

TEST(NetServerBinding, AMissingFunctionRaisesOnUse)
{
    platform::PlatformProfile profile = platform::PlatformProfile::nt5();
    profile.missingProcs.insert("netapi32.dll!NetServerEnum");
    platform::ScopedProfile scoped(profile);
    ScopedSystemFunctions bound;
    EXPECT_FALSE(NetServerFunctionsLoaded());
    const auto [text, code] = Raised([] {
        NetServerEnum(nullptr, 100, nullptr, MAX_PREFERRED_LENGTH, nullptr, nullptr, SV_TYPE_NT, nullptr, nullptr);
    });
    EXPECT_EQ(text, "Cannot load library \"netapi32.dll\" or linked libraries");
    EXPECT_EQ(code, 0);
}
