#include "CountingSecurityFunctions.h"
#include "FakeEventLogService.h"
#include "SiteBuilder.h"
#include "RecordBuilder.h"

#include "../platform/TestAccountSource.h"

#include "ntlib/AdvApi32.h"
#include "ntlib/EventLog.h"
#include "ntlib/FunctionBinding.h"
#include "ntlib/NTException.h"
#include "ntlib/SidStore.h"

#include "platform/Kernel32.h"
#include "platform/PlatformProfile.h"
#include "platform/Sids.h"

#include <gtest/gtest.h>

#include <QString>

using platform::PlatformProfile;
using platform::ScopedProfile;

namespace {

std::vector<BYTE> sidOf(const std::string& text)
{
    std::vector<BYTE> sid;
    std::string reason;
    EXPECT_TRUE(platform::ParseSidText(text, sid, reason)) << text << ": " << reason;
    return sid;
}

const std::vector<BYTE> kLocalSystem = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};

TSidHolder holderOf(const std::vector<BYTE>& sid, const std::string& domain = {}, const std::string& name = {})
{
    TSidHolder h;
    h.SetData(sid.data(), static_cast<std::int32_t>(sid.size()), domain, name);
    return h;
}

int sign(int v)
{
    return (v > 0) - (v < 0);
}

// Two computers of a domain and its controller, with the platform's calls
// counted and the functions bound.
class AccountLookup : public ::testing::Test {
protected:
    std::shared_ptr<TestAccountSource> site = std::make_shared<TestAccountSource>();
    platform::ScopedAccountSource scopedSite{site};
    CountingSecurityFunctions counted; // before the binding
    ScopedSystemFunctions bound;
    TSidStore store;

    void SetUp() override
    {
        site->addComputer("WS1",
                          "S-1-5-21-10-20-30-500   User  WS1\\Administrator\n"
                          "S-1-5-21-10-20-30-1003  User  WS1\\Jane Doe\n"
                          "S-1-5-21-10-20-30-1004  User  " +
                              std::string(150, 'D') + "\\" + std::string(200, 'n') + "\n",
                          "DC1");
        site->addComputer("DC1", "S-1-5-21-7-8-9-1104  User  CORP\\alice\n", "DC1");
        site->addComputerWithoutFile("WS2", "DC1");
        site->addComputerWithoutFile("QUELLVANE"); // the local computer
        site->addFailingComputer("OFFLINE", RPC_S_SERVER_UNAVAILABLE);
    }

    struct Result {
        bool ok;
        std::string domain;
        std::string name;
        DWORD error;
    };
    Result lookup(const std::string& computer, const std::vector<BYTE>& sid)
    {
        Result r;
        r.ok = LookupAccountBySid(store, computer, sid.data(), sid.size(), r.name, r.domain);
        r.error = GetLastError();
        return r;
    }
};

} // namespace

TEST(SidStore, ShorterSidsSortFirstAndBytesCompareUnsigned)
{
    const TSidHolder twelve = holderOf({1, 1, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
    const TSidHolder sixteen = holderOf({1, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_LT(CompareSids(&twelve, &sixteen), 0);
    EXPECT_GT(CompareSids(&sixteen, &twelve), 0);

    const TSidHolder low = holderOf({1, 1, 0, 0, 0, 0, 0, 5, 0x7F, 0, 0, 0});
    const TSidHolder high = holderOf({1, 1, 0, 0, 0, 0, 0, 5, 0x80, 0, 0, 0});
    EXPECT_LT(CompareSids(&low, &high), 0);
    EXPECT_EQ(CompareSids(&low, &low), 0);
    const TSidHolder empty = holderOf({});
    EXPECT_EQ(CompareSids(&empty, &empty), 0);
    EXPECT_LT(CompareSids(&empty, &low), 0);
}

TEST(SidStore, AccountNamesCompareWithoutCase)
{
    struct Case {
        const char* domainA;
        const char* nameA;
        const char* domainB;
        const char* nameB;
        int order;
    } cases[] = {
        {"corp", "alice", "CORP", "ALICE", 0},
        {"CORP", "alice", "CORP", "bob", -1},
        {"B", "a", "A", "z", 1},
        // Ordinal: the backslash (0x5C) sorts after the capitals.
        {"", "SYSTEM", "NT AUTHORITY", "SYSTEM", 1},
        {"wörk", "émile", "WÖRK", "ÉMILE", 0},
    };
    for (const Case& c : cases) {
        const TSidHolder a = holderOf(kLocalSystem, c.domainA, c.nameA);
        const TSidHolder b = holderOf(kLocalSystem, c.domainB, c.nameB);
        EXPECT_EQ(sign(CompareAccountNames(&a, &b)), c.order) << c.domainA << "\\" << c.nameA;
    }
}

TEST(SidStore, FindsWhatWasAddedBySidAlone)
{
    TSidStore store;
    const std::vector<BYTE> alice = sidOf("S-1-5-21-7-8-9-1104");
    const std::vector<BYTE> bob = sidOf("S-1-5-21-7-8-9-1105");
    store.Add(bob.data(), static_cast<std::int32_t>(bob.size()), "CORP", "bob");
    store.Add(alice.data(), static_cast<std::int32_t>(alice.size()), "CORP", "alice");
    store.Add(kLocalSystem.data(), 12, "", "SYSTEM");
    EXPECT_EQ(store.Count(), 3);

    std::string domain = "old", name = "old";
    EXPECT_TRUE(store.Find(alice.data(), static_cast<std::int32_t>(alice.size()), domain, name));
    EXPECT_EQ(domain, "CORP");
    EXPECT_EQ(name, "alice");
    EXPECT_TRUE(store.Find(kLocalSystem.data(), 12, domain, name));
    EXPECT_EQ(name, "SYSTEM");
    EXPECT_EQ(domain, "");

    const std::vector<BYTE> other = sidOf("S-1-5-21-7-8-9-1106");
    EXPECT_FALSE(store.Find(other.data(), static_cast<std::int32_t>(other.size()), domain, name));
    EXPECT_EQ(domain, "");
    EXPECT_EQ(name, "");
}

TEST_F(AccountLookup, SecondLookupForAnyComputerComesFromTheCache)
{
    const std::vector<BYTE> alice = sidOf("S-1-5-21-7-8-9-1104");
    Result first = lookup("\\\\WS1", alice);
    EXPECT_TRUE(first.ok);
    EXPECT_EQ(first.domain, "CORP");
    EXPECT_EQ(first.name, "alice");
    EXPECT_EQ(first.error, 0u);
    EXPECT_EQ(counted.lookups, 1);

    for (const char* computer : {"\\\\WS1", "WS2", "OFFLINE", ""}) {
        Result again = lookup(computer, alice);
        EXPECT_TRUE(again.ok) << computer;
        EXPECT_EQ(again.domain, "CORP");
        EXPECT_EQ(again.name, "alice");
    }
    EXPECT_EQ(counted.lookups, 1);
    EXPECT_EQ(store.Count(), 1);
}

TEST_F(AccountLookup, UnmappedSidGivesItsTextAndIsAskedAgain)
{
    const std::vector<BYTE> unknown = sidOf("S-1-5-21-10-20-30-4444");
    for (int i = 1; i <= 2; ++i) {
        Result r = lookup("WS1", unknown);
        EXPECT_TRUE(r.ok);
        EXPECT_EQ(r.domain, "");
        EXPECT_EQ(r.name, "S-1-5-21-10-20-30-4444");
        EXPECT_EQ(counted.lookups, i);
    }
    EXPECT_EQ(store.Count(), 0);
}

TEST_F(AccountLookup, LocalSystemHasAnEmptyDomain)
{
    Result r = lookup("", kLocalSystem);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.domain, "");
    EXPECT_EQ(r.name, "SYSTEM");
    // Other accounts of its authority keep theirs.
    Result network = lookup("", sidOf("S-1-5-20"));
    EXPECT_EQ(network.domain, "NT AUTHORITY");
    EXPECT_EQ(network.name, "NETWORK SERVICE");
}

TEST_F(AccountLookup, LongNamesAreAskedForAgainWithTheSizeNeeded)
{
    Result r = lookup("WS1", sidOf("S-1-5-21-10-20-30-1004"));
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.domain, std::string(150, 'D'));
    EXPECT_EQ(r.name, std::string(200, 'n'));
    EXPECT_EQ(counted.lookups, 2);
}

TEST_F(AccountLookup, FailuresLeaveThePlatformsCodeAndAreNotCached)
{
    for (int i = 1; i <= 2; ++i) {
        Result r = lookup("\\\\OFFLINE", kLocalSystem);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.error, RPC_S_SERVER_UNAVAILABLE);
        EXPECT_EQ(r.name, "");
        EXPECT_EQ(counted.lookups, i);
    }
    Result unknownComputer = lookup("NOWHERE", kLocalSystem);
    EXPECT_FALSE(unknownComputer.ok);
    EXPECT_EQ(unknownComputer.error, ERROR_BAD_NETPATH);
    EXPECT_EQ(store.Count(), 0);
}

TEST_F(AccountLookup, BlocksTooShortForTheirSidAreRefusedWithoutAsking)
{
    const std::vector<std::vector<BYTE>> blocks = {
        {},
        {1, 1, 0, 0, 0, 0, 0},
        {1, 2, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0}, // counts two sub-authorities, holds one
        {1, 15, 0, 0, 0, 0, 0, 5},
    };
    for (const std::vector<BYTE>& block : blocks) {
        Result r = lookup("WS1", block);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.error, ERROR_INVALID_SID);
        std::string text = "old";
        EXPECT_FALSE(SidToString(block.data(), block.size(), text));
        EXPECT_EQ(text, "");
    }
    std::string name, domain;
    EXPECT_FALSE(LookupAccountBySid("WS1", nullptr, 12, name, domain));
    EXPECT_EQ(counted.lookups, 0);

    // A block longer than its SID is fine: the SID is what its header says.
    std::vector<BYTE> padded = kLocalSystem;
    padded.resize(20, 0xEE);
    Result r = lookup("WS1", padded);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.name, "SYSTEM");
}

TEST(SidText, OwnFormEqualsThePlatformsOnEveryProfile)
{
    const std::vector<std::vector<BYTE>> sids = {
        kLocalSystem,
        {1, 0, 0, 0, 0, 0, 0, 5},
        {1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
        sidOf("S-1-5-21-1004336348-1177238915-682003330-500"),
        sidOf("S-1-5-32-544"),
        sidOf("S-1-16-12288"),
        sidOf("S-1-5-1-2-3-4-5-6-7-8-9-10-11-12-13-14-4294967295"),
        sidOf("S-1-255-1"),
        sidOf("S-1-256-1"),
        sidOf("S-1-65536-7"),
        sidOf("S-1-4294967295-1"),
        sidOf("S-1-4294967296-1"),
        sidOf("S-1-0x123456789ABC-5"),
        sidOf("S-1-0xFFFFFFFFFFFF"),
    };
    PlatformProfile withoutRemoteAdministration = PlatformProfile::nt6();
    withoutRemoteAdministration.missingModules.insert("varovu32.dll");
    const PlatformProfile profiles[] = {PlatformProfile::nt5(), PlatformProfile::nt6(), withoutRemoteAdministration,
                                        PlatformProfile::win9x(true)};
    for (const PlatformProfile& profile : profiles) {
        ScopedProfile p(profile);
        CountingSecurityFunctions counted;
        ScopedSystemFunctions bound;
        for (const std::vector<BYTE>& sid : sids) {
            std::vector<BYTE> copy = sid;
            LPWSTR wide = nullptr;
            ASSERT_TRUE(platform::ConvertSidToStringSidW(copy.data(), &wide));
            const std::string expected = QString::fromUtf16(wide).toStdString();
            LocalFree(wide);
            std::string text;
            EXPECT_TRUE(SidToString(sid.data(), sid.size(), text));
            EXPECT_EQ(text, expected) << "major version " << profile.majorVersion;
        }
        // Only Windows 2000 asks the platform; elsewhere the conversion is
        // not even bound, and the text is formed here.
        const bool win2000 = profile.platformId == 2 && profile.majorVersion == 5;
        EXPECT_EQ(counted.conversions, win2000 ? static_cast<int>(sids.size()) : 0);
        EXPECT_EQ(Windows2000Functions().Entry(0) != nullptr, win2000);
    }
}

TEST(SidText, InvalidSidHasNoText)
{
    for (const PlatformProfile& profile : {PlatformProfile::nt5(), PlatformProfile::nt6()}) {
        ScopedProfile p(profile);
        ScopedSystemFunctions bound;
        const std::vector<BYTE> revision2 = {2, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};
        std::string text = "old";
        EXPECT_FALSE(SidToString(revision2.data(), revision2.size(), text));
        EXPECT_EQ(text, "");
    }
}

TEST(SidText, UnmappedSidOnWindows9xIsFormedHere)
{
    ScopedProfile p(PlatformProfile::win9x(true));
    auto site = std::make_shared<TestAccountSource>();
    site->addComputerWithoutFile("NTSRV");
    platform::ScopedAccountSource scopedSite(site);
    ScopedSystemFunctions bound;
    TSidStore store;
    const std::vector<BYTE> sid = sidOf("S-1-0x0000FFFFFFFF-3");
    std::string name, domain;
    EXPECT_TRUE(LookupAccountBySid(store, "\\\\NTSRV", sid.data(), sid.size(), name, domain));
    EXPECT_EQ(name, "S-1-4294967295-3");
    EXPECT_EQ(domain, "");
}

// A Security log of a workstation in a domain, read through the reader.
class SecurityLogUsers : public ::testing::Test {
protected:
    // The computers the reader connects its registry to.
    struct Network : SiteBuilder {
        Network()
        {
            Local("WKS1").Domain("CORP7").Computer("WS7", {.domain = "CORP7"}).Computer("DC7", {.domain = "CORP7"});
            Load();
        }
    } network;
    FakeEventLogService service; // before the binding: the fakes get bound
    CountingSecurityFunctions counted;
    std::shared_ptr<TestAccountSource> site = std::make_shared<TestAccountSource>();
    platform::ScopedAccountSource scopedSite{site};
    ScopedSystemFunctions bound;
    TNTEventLog log;

    void SetUp() override
    {
        site->addComputer("WS7", "S-1-5-21-70-71-72-1001  User  WS7\\bob\n", "DC7");
        site->addComputer("DC7", "S-1-5-21-80-81-82-1104  User  CORP7\\alice\n");
        const std::vector<std::vector<BYTE>> users = {
            sidOf("S-1-5-21-80-81-82-1104"), // a domain user
            sidOf("S-1-5-21-70-71-72-1001"), // a local user
            kLocalSystem,
            sidOf("S-1-5-21-80-81-82-9999"), // a deleted account
            {},                              // no user
            sidOf("S-1-5-32-544"),
        };
        for (const std::vector<BYTE>& sid : users)
            addEvent(sid);
    }

    void addEvent(const std::vector<BYTE>& sid)
    {
        TestRecord t;
        t.recordNumber = static_cast<DWORD>(service.records.size() + 1);
        t.eventType = EVENTLOG_AUDIT_SUCCESS;
        t.source = "Security";
        t.computer = "WS7";
        t.sid = sid;
        service.records.push_back(BuildAnsiRecord(t));
    }

    void open()
    {
        log.SetMachineName("WS7");
        log.SetSourceName("Security");
        log.SetActive(true);
    }
};

TEST_F(SecurityLogUsers, EventsShowDomainAndUser)
{
    log.SetMachineName("\\\\WS7");
    log.SetSourceName("Security");
    log.SetActive(true);
    ASSERT_EQ(log.GetEventCount(), 6);
    const char* expected[] = {
        "CORP7\\alice", "WS7\\bob", "\\SYSTEM", "\\S-1-5-21-80-81-82-9999", "N/A", "BUILTIN\\Administrators",
    };
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(log.GetEvent(i)->GetUserName(), expected[i]) << i;

    // Each item looks its account up once at most.
    const int asked = counted.lookups;
    for (int i = 0; i < 6; ++i)
        (void)log.GetEvent(i)->GetUserName();
    EXPECT_EQ(counted.lookups, asked);
}

TEST_F(SecurityLogUsers, UnreachableComputerGivesNA)
{
    site->addFailingComputer("WS7", RPC_S_SERVER_UNAVAILABLE);
    log.SetMachineName("WS7");
    log.SetSourceName("Security");
    log.SetActive(true);
    // An unmapped SID is never cached, so the platform is asked and fails.
    EXPECT_EQ(log.GetEvent(3)->GetUserName(), "N/A");
    EXPECT_EQ(log.GetEvent(4)->GetUserName(), "N/A");
}

TEST_F(SecurityLogUsers, AnAccountMadeAfterOneEventIsFoundForTheNext)
{
    const std::vector<BYTE> carol = sidOf("S-1-5-21-80-81-82-2001");
    addEvent(carol);
    addEvent(carol);
    open();
    EXPECT_EQ(log.GetEvent(6)->GetUserName(), "\\S-1-5-21-80-81-82-2001");
    site->writeAccounts("DC7", "S-1-5-21-80-81-82-1104  User  CORP7\\alice\n"
                               "S-1-5-21-80-81-82-2001  User  CORP7\\carol\n");
    const int asked = counted.lookups;
    EXPECT_EQ(log.GetEvent(7)->GetUserName(), "CORP7\\carol");
    EXPECT_EQ(counted.lookups, asked + 1);
    // Each event keeps what it was told.
    EXPECT_EQ(log.GetEvent(6)->GetUserName(), "\\S-1-5-21-80-81-82-2001");
}

TEST_F(SecurityLogUsers, AComputerBackAfterAFailureAnswersTheNextEvent)
{
    const std::vector<BYTE> dave = sidOf("S-1-5-21-80-81-82-2002");
    site->writeAccounts("DC7", "S-1-5-21-80-81-82-2002  User  CORP7\\dave\n");
    addEvent(dave);
    addEvent(dave);
    addEvent(dave);
    open();
    site->addFailingComputer("WS7", RPC_S_SERVER_UNAVAILABLE);
    EXPECT_EQ(log.GetEvent(6)->GetUserName(), "N/A");
    site->answerAgain("WS7");
    const int asked = counted.lookups;
    EXPECT_EQ(log.GetEvent(7)->GetUserName(), "CORP7\\dave");
    EXPECT_EQ(counted.lookups, asked + 1);
    EXPECT_EQ(log.GetEvent(6)->GetUserName(), "N/A");
    // Found, it is known for the rest of the log without asking.
    EXPECT_EQ(log.GetEvent(8)->GetUserName(), "CORP7\\dave");
    EXPECT_EQ(counted.lookups, asked + 1);
}

TEST_F(SecurityLogUsers, AccountsFoundStayWhenTheReaderNamesAnotherComputer)
{
    const std::vector<BYTE> bob = sidOf("S-1-5-21-70-71-72-1001"); // an account of WS7 only
    addEvent(bob);
    open();
    EXPECT_EQ(log.GetEvent(1)->GetUserName(), "WS7\\bob");
    log.SetMachineName("DC7");
    const int asked = counted.lookups;
    EXPECT_EQ(log.GetEvent(6)->GetUserName(), "WS7\\bob");
    EXPECT_EQ(counted.lookups, asked);
}
