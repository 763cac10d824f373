#include "TestAccountSource.h"

#include "platform/AccountTable.h"
#include "platform/Accounts.h"
#include "platform/Kernel32.h"
#include "platform/Modules.h"
#include "platform/Sids.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>

using namespace platform;

namespace {

std::vector<BYTE> sidOf(const std::string& text)
{
    std::vector<BYTE> sid;
    std::string reason;
    EXPECT_TRUE(ParseSidText(text, sid, reason)) << text << ": " << reason;
    return sid;
}

const std::vector<BYTE> kLocalSystem = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};

std::string wideToNarrow(const WCHAR* text)
{
    std::string out;
    for (; *text; ++text)
        out += static_cast<char>(*text);
    return out;
}

struct Answer {
    BOOL ok = FALSE;
    DWORD error = 0;
    std::string name;
    std::string domain;
    SID_NAME_USE use = SidTypeInvalid;
};

Answer lookup(const char* computer, std::vector<BYTE> sid)
{
    std::array<char, 300> name{};
    std::array<char, 300> domain{};
    DWORD nameSize = name.size();
    DWORD domainSize = domain.size();
    Answer a;
    SetLastError(0);
    a.ok = LookupAccountSidA(computer, sid.data(), name.data(), &nameSize, domain.data(), &domainSize, &a.use);
    a.error = GetLastError();
    if (a.ok) {
        a.name.assign(name.data(), nameSize);
        a.domain.assign(domain.data(), domainSize);
    }
    return a;
}

constexpr const char* kWs1Accounts = "# Local accounts of WS1\n"
                                     "S-1-5-21-10-20-30-500   User   WS1\\Administrator\n"
                                     "S-1-5-21-10-20-30-1003  User   WS1\\Jane Doe\n"
                                     "S-1-5-32-544            Alias  BUILTIN\\Administratoren\n";
constexpr const char* kDc1Accounts = "S-1-5-21-7-8-9-1104  User   CORP\\alice\n"
                                     "S-1-5-21-7-8-9-512   Group  CORP\\Domain Admins\n";

} // namespace

TEST(SidLayout, LengthValidityAndParts)
{
    std::vector<BYTE> sid = sidOf("S-1-5-21-7-8-9-1104");
    EXPECT_EQ(GetLengthSid(sid.data()), 28u);
    EXPECT_TRUE(IsValidSid(sid.data()));
    EXPECT_EQ(*GetSidSubAuthorityCount(sid.data()), 5);
    const SID_IDENTIFIER_AUTHORITY* authority = GetSidIdentifierAuthority(sid.data());
    EXPECT_EQ(std::vector<BYTE>(authority->Value, authority->Value + 6), (std::vector<BYTE>{0, 0, 0, 0, 0, 5}));
    EXPECT_EQ(*GetSidSubAuthority(sid.data(), 0), 21u);
    EXPECT_EQ(*GetSidSubAuthority(sid.data(), 4), 1104u);
    // The sub-authorities are little-endian in the block.
    EXPECT_EQ(sid[24], 0x50);
    EXPECT_EQ(sid[25], 0x04);

    SetLastError(0);
    EXPECT_EQ(GetSidSubAuthority(sid.data(), 5), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(SidLayout, ValidityRules)
{
    struct Case {
        std::vector<BYTE> sid;
        bool valid;
    } cases[] = {
        {{1, 0, 0, 0, 0, 0, 0, 5}, true},
        {kLocalSystem, true},
        {{2, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0}, false},
        {{0, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0}, false},
    };
    for (Case& c : cases)
        EXPECT_EQ(IsValidSid(c.sid.data()) != FALSE, c.valid);

    std::vector<BYTE> fifteen(8 + 4 * 15, 0);
    fifteen[0] = 1;
    fifteen[1] = 15;
    EXPECT_TRUE(IsValidSid(fifteen.data()));
    EXPECT_EQ(GetLengthSid(fifteen.data()), SECURITY_MAX_SID_SIZE);
    std::vector<BYTE> sixteen(8 + 4 * 16, 0);
    sixteen[0] = 1;
    sixteen[1] = 16;
    SetLastError(0);
    EXPECT_FALSE(IsValidSid(sixteen.data()));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_SID);
    EXPECT_EQ(GetSidSubAuthorityCount(sixteen.data()), nullptr);
    EXPECT_FALSE(IsValidSid(nullptr));
    EXPECT_EQ(GetLengthSid(nullptr), 0u);
}

TEST(SidLayout, EqualSid)
{
    std::vector<BYTE> a = sidOf("S-1-5-21-1-2-3-500");
    std::vector<BYTE> b = sidOf("S-1-5-21-1-2-3-500");
    std::vector<BYTE> c = sidOf("S-1-5-21-1-2-3-501");
    std::vector<BYTE> shorter = sidOf("S-1-5-21-1-2-3");
    std::vector<BYTE> invalid = {3, 0, 0, 0, 0, 0, 0, 5};
    EXPECT_TRUE(EqualSid(a.data(), b.data()));
    SetLastError(99);
    EXPECT_FALSE(EqualSid(a.data(), c.data()));
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    EXPECT_FALSE(EqualSid(a.data(), shorter.data()));
    EXPECT_FALSE(EqualSid(a.data(), invalid.data()));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_SID);
}

TEST(SidText, TextFormOfTheAuthorities)
{
    struct Case {
        std::vector<BYTE> sid;
        const char* text;
    } cases[] = {
        {kLocalSystem, "S-1-5-18"},
        {{1, 0, 0, 0, 0, 0, 0, 5}, "S-1-5"},
        {{1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, "S-1-0-0"},
        {{1, 1, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0}, "S-1-256-1"},
        {{1, 1, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, "S-1-4294967295-4294967295"},
        {{1, 0, 0, 1, 0, 0, 0, 0}, "S-1-0x000100000000"},
        {{1, 0, 0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC}, "S-1-0x123456789ABC"},
    };
    for (Case& c : cases) {
        EXPECT_EQ(SidText(c.sid.data()), c.text);
        LPWSTR wide = nullptr;
        ASSERT_TRUE(ConvertSidToStringSidW(c.sid.data(), &wide));
        EXPECT_EQ(wideToNarrow(wide), c.text);
        EXPECT_EQ(LocalFree(wide), nullptr);
        // The text reads back into the same bytes.
        EXPECT_EQ(sidOf(c.text), c.sid) << c.text;
    }
}

TEST(SidText, ConversionFailures)
{
    std::vector<BYTE> invalid = {7, 0, 0, 0, 0, 0, 0, 5};
    LPWSTR wide = reinterpret_cast<LPWSTR>(&invalid);
    SetLastError(0);
    EXPECT_FALSE(ConvertSidToStringSidW(invalid.data(), &wide));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_SID);
    EXPECT_EQ(wide, nullptr);
    EXPECT_FALSE(ConvertSidToStringSidW(const_cast<BYTE*>(kLocalSystem.data()), nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(SidText, ParsingRefusesWhatIsNotASid)
{
    const char* refused[] = {
        "", "S", "S-1", "S-2-5-18", "X-1-5-18", "S-1-5-", "S-1--5", "S-1-5-4294967296", "S-1-5--1",
        "S-1-+5", "S-1-0x", "S-1-0x1234567890ABC", "S-1-281474976710656", "S-1-5-18 ", " S-1-5-18",
        "S-1-5-1a", "S-1-5-1-2-3-4-5-6-7-8-9-10-11-12-13-14-15-16", "S-01-5",
    };
    for (const char* text : refused) {
        std::vector<BYTE> sid = {42};
        std::string reason;
        EXPECT_FALSE(ParseSidText(text, sid, reason)) << text;
        EXPECT_FALSE(reason.empty()) << text;
        EXPECT_EQ(sid, std::vector<BYTE>{42}) << text;
    }
    EXPECT_EQ(sidOf("s-1-5-18"), kLocalSystem);
    EXPECT_EQ(sidOf("S-1-0x5-18"), kLocalSystem);
    EXPECT_EQ(sidOf("S-1-281474976710655").size(), 8u);
    EXPECT_EQ(sidOf("S-1-5-1-2-3-4-5-6-7-8-9-10-11-12-13-14-15").size(), SECURITY_MAX_SID_SIZE);
}

TEST(LocalMemory, FreeGivesBackOnlyLiveBlocks)
{
    EXPECT_EQ(LocalFree(nullptr), nullptr);
    HLOCAL block = LocalAlloc(LMEM_FIXED | LMEM_ZEROINIT, 16);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(static_cast<BYTE*>(block)[15], 0);
    EXPECT_EQ(LocalFree(block), nullptr);
    SetLastError(0);
    EXPECT_EQ(LocalFree(block), block); // freed twice
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    int local = 0;
    EXPECT_EQ(LocalFree(&local), &local);
    EXPECT_EQ(LocalAlloc(0x8000, 4), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(AccountsFile, ReadsAccountsCommentsAndLineEnds)
{
    const std::string text = "\xEF\xBB\xBF# accounts of WS1\r\n"
                             "\r\n"
                             "   # an indented comment\n"
                             "S-1-5-21-10-20-30-500\tUser\tWS1\\Administrator\r\n"
                             "  S-1-5-21-10-20-30-1003   user    WS1\\ Jane  Doe  \n"
                             "S-1-1-0 WELLKNOWNGROUP \\Jeder\n"
                             "S-1-5-21-10-20-30 Domain WS1\\WS1\n"
                             "S-1-5-21-10-20-30-1004 Computer WS1\\Zoë's PC$";
    AccountTable table;
    std::string error;
    ASSERT_TRUE(table.Parse(text, error)) << error;
    EXPECT_EQ(table.Count(), 5u);

    struct Case {
        const char* sid;
        SID_NAME_USE use;
        const char* domain;
        const char* name;
    } cases[] = {
        {"S-1-5-21-10-20-30-500", SidTypeUser, "WS1", "Administrator"},
        {"S-1-5-21-10-20-30-1003", SidTypeUser, "WS1", "Jane  Doe"},
        {"S-1-1-0", SidTypeWellKnownGroup, "", "Jeder"},
        {"S-1-5-21-10-20-30", SidTypeDomain, "WS1", "WS1"},
        {"S-1-5-21-10-20-30-1004", SidTypeComputer, "WS1", "Zoë's PC$"},
    };
    for (const Case& c : cases) {
        std::vector<BYTE> sid = sidOf(c.sid);
        const AccountEntry* entry = table.Find(sid.data());
        ASSERT_NE(entry, nullptr) << c.sid;
        EXPECT_EQ(entry->use, c.use);
        EXPECT_EQ(entry->domain, c.domain);
        EXPECT_EQ(entry->name, c.name);
    }
    std::vector<BYTE> other = sidOf("S-1-5-21-10-20-30-501");
    EXPECT_EQ(table.Find(other.data()), nullptr);
}

TEST(AccountsFile, MalformedLinesAreRefusedWithTheirReason)
{
    struct Case {
        std::string text;
        const char* error;
    } cases[] = {
        {"S-1-5-18\n", "line 1: expected <SID> <kind> <domain>\\<name>"},
        {"# c\nS-1-5-18 User\n", "line 2: expected <SID> <kind> <domain>\\<name>"},
        {"S-1-5-18 User NT AUTHORITY SYSTEM\n",
         "line 1: expected <SID> <kind> <domain>\\<name>: \"NT AUTHORITY SYSTEM\" has no backslash"},
        {"S-1-5-18 User A\\B\\C\n", "line 1: \"A\\B\\C\" has more than one backslash"},
        {"S-1-5-18 User WS1\\\n", "line 1: the account name is empty"},
        {"S-1-5-18 User WS1\\  \n", "line 1: the account name is empty"},
        {"S-1-5-18 Person WS1\\x\n",
         "line 1: unknown kind \"Person\" (User, Group, Domain, Alias, WellKnownGroup, DeletedAccount or Computer)"},
        {"S-1-5-18 Invalid WS1\\x\n",
         "line 1: unknown kind \"Invalid\" (User, Group, Domain, Alias, WellKnownGroup, DeletedAccount or Computer)"},
        {"S-1-5-x User WS1\\x\n",
         "line 1: \"S-1-5-x\" is not a security identifier: sub-authority \"x\" is not a number below 2^32"},
        {"Administrator User WS1\\x\n",
         "line 1: \"Administrator\" is not a security identifier: not of the form S-1-<authority>-<sub-authority>..."},
        {"S-1-5-18 User W\tS\\x\n", "line 1: the domain name holds a control character"},
        {"S-1-5-18 User WS\\x\x7fy\n", "line 1: the account name holds a control character"},
        {"S-1-5-18 User WS\\x\ry\n", "line 1: the account name holds a control character"},
        {"S-1-5-18 User WS\\\xC3\x28\n", "line 1: not valid UTF-8"},
        {"S-1-5-18 User WS\\\xED\xA0\x80\n", "line 1: not valid UTF-8"},
        {"S-1-5-18 User WS\\\xC0\xAF\n", "line 1: not valid UTF-8"},
        {"S-1-5-18 User WS\\\xE2\x82\n", "line 1: not valid UTF-8"},
        {"S-1-5-18 User WS\\" + std::string(257, 'n') + "\n", "line 1: the account name is longer than 256 characters"},
        {"S-1-5-18 User " + std::string(257, 'd') + "\\n\n", "line 1: the domain name is longer than 256 characters"},
        {"S-1-5-18 User \\a\n\ns-1-0x5-18 Group \\b\n", "line 3: S-1-5-18 is listed already on line 1"},
        {"# " + std::string(5000, 'x') + "\n", "line 1: longer than 4096 bytes"},
    };
    for (const Case& c : cases) {
        AccountTable table;
        std::string error;
        ASSERT_TRUE(table.Parse("S-1-1-0 WellKnownGroup \\Everyone\n", error));
        EXPECT_FALSE(table.Parse(c.text, error)) << c.text;
        EXPECT_EQ(error, c.error);
        // A refused file leaves the table as it was.
        EXPECT_EQ(table.Count(), 1u);
    }
    // 256 characters of two bytes each fit.
    std::string longest;
    for (int i = 0; i < 256; ++i)
        longest += "é";
    AccountTable table;
    std::string error;
    EXPECT_TRUE(table.Parse("S-1-5-18 User WS\\" + longest, error)) << error;
}

TEST(AccountsFile, LoadingFromTheHost)
{
    TestAccountSource site; // for its temporary directory
    site.addComputer("WS1", "S-1-5-18 User WS\\x\nbroken line here\n");
    std::string path;
    ASSERT_EQ(site.AccountsFileOf("WS1", path), ERROR_SUCCESS);

    AccountTable table;
    std::string error;
    EXPECT_FALSE(table.Load(path, error));
    EXPECT_EQ(error, path + ": line 2: \"broken\" is not a security identifier: not of the form "
                            "S-1-<authority>-<sub-authority>...");

    EXPECT_TRUE(table.Load(path + ".missing", error));
    EXPECT_EQ(table.Count(), 0u);

    const std::string directory = std::filesystem::path(path).parent_path().string();
    EXPECT_FALSE(table.Load(directory, error));
    EXPECT_EQ(error, directory + ": not a readable file");
}

TEST(AccountLookup, WellKnownAccountsOnTheLocalComputer)
{
    for (const char* computer : {static_cast<const char*>(nullptr), "", "QUELLVANE", "\\\\QUELLVANE", "quellvane"}) {
        Answer a = lookup(computer, kLocalSystem);
        ASSERT_TRUE(a.ok) << (computer ? computer : "null") << " error " << a.error;
        EXPECT_EQ(a.name, "SYSTEM");
        EXPECT_EQ(a.domain, "NT AUTHORITY");
        EXPECT_EQ(a.use, SidTypeWellKnownGroup);
    }
    struct Case {
        const char* sid;
        const char* domain;
        const char* name;
        SID_NAME_USE use;
    } cases[] = {
        {"S-1-1-0", "", "Everyone", SidTypeWellKnownGroup},
        {"S-1-5-11", "NT AUTHORITY", "Authenticated Users", SidTypeWellKnownGroup},
        {"S-1-5-32", "BUILTIN", "BUILTIN", SidTypeDomain},
        {"S-1-5-32-544", "BUILTIN", "Administrators", SidTypeAlias},
        {"S-1-5-32-551", "BUILTIN", "Backup Operators", SidTypeAlias},
    };
    for (const Case& c : cases) {
        Answer a = lookup(nullptr, sidOf(c.sid));
        ASSERT_TRUE(a.ok) << c.sid;
        EXPECT_EQ(a.domain, c.domain);
        EXPECT_EQ(a.name, c.name);
        EXPECT_EQ(a.use, c.use);
    }
    // The default source knows no computer but the local one.
    Answer remote = lookup("\\\\SRV9", kLocalSystem);
    EXPECT_FALSE(remote.ok);
    EXPECT_EQ(remote.error, ERROR_BAD_NETPATH);
}

TEST(AccountLookup, RefusedArguments)
{
    Answer unknown = lookup(nullptr, sidOf("S-1-5-21-1-2-3-500"));
    EXPECT_FALSE(unknown.ok);
    EXPECT_EQ(unknown.error, ERROR_NONE_MAPPED);

    Answer invalid = lookup(nullptr, {9, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0});
    EXPECT_FALSE(invalid.ok);
    EXPECT_EQ(invalid.error, ERROR_INVALID_SID);

    std::vector<BYTE> sid = kLocalSystem;
    char name[32];
    DWORD size = sizeof name;
    EXPECT_FALSE(LookupAccountSidA(nullptr, sid.data(), name, &size, name, nullptr, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(LookupAccountSidA(nullptr, nullptr, name, &size, name, &size, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(AccountLookup, SmallBuffersGiveTheSizesNeeded)
{
    std::vector<BYTE> sid = sidOf("S-1-5-11"); // NT AUTHORITY\Authenticated Users
    struct Case {
        DWORD nameSize;
        DWORD domainSize;
        bool nullBuffers;
        bool ok;
    } cases[] = {
        {0, 0, true, false},    // asking for the sizes
        {19, 13, false, false}, // the name's NUL does not fit
        {20, 12, false, false}, // the domain's NUL does not fit
        {20, 13, false, true},  // exactly enough
        {20, 13, true, false},  // sizes without buffers
    };
    for (const Case& c : cases) {
        std::array<char, 64> name{};
        std::array<char, 64> domain{};
        DWORD nameSize = c.nameSize;
        DWORD domainSize = c.domainSize;
        SID_NAME_USE use{};
        SetLastError(0);
        const BOOL ok = LookupAccountSidA(nullptr, sid.data(), c.nullBuffers ? nullptr : name.data(), &nameSize,
                                          c.nullBuffers ? nullptr : domain.data(), &domainSize, &use);
        EXPECT_EQ(ok != FALSE, c.ok) << c.nameSize << "/" << c.domainSize;
        if (c.ok) {
            EXPECT_STREQ(name.data(), "Authenticated Users");
            EXPECT_STREQ(domain.data(), "NT AUTHORITY");
            EXPECT_EQ(nameSize, 19u);
            EXPECT_EQ(domainSize, 12u);
        } else {
            EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
            EXPECT_EQ(nameSize, 20u);
            EXPECT_EQ(domainSize, 13u);
            EXPECT_EQ(name[0], '\0');
        }
    }
}

class SiteLookup : public ::testing::Test {
protected:
    std::shared_ptr<TestAccountSource> site = std::make_shared<TestAccountSource>();
    ScopedAccountSource scoped{site};

    void SetUp() override
    {
        site->addComputer("WS1", kWs1Accounts, "DC1");
        site->addComputer("DC1", kDc1Accounts, "DC1");
        site->addComputerWithoutFile("WS2", "\\\\DC1");
        site->addComputerWithoutFile("WS3", "DC9"); // a controller that is not there
        site->addComputerWithoutFile("QUELLVANE");
        site->addFailingComputer("OFFLINE", RPC_S_SERVER_UNAVAILABLE);
        site->addFailingComputer("LOCKED", ERROR_ACCESS_DENIED);
    }
};

TEST_F(SiteLookup, EachComputerAnswersFromItsAccountsAndItsDomain)
{
    struct Case {
        const char* computer;
        const char* sid;
        BOOL ok;
        DWORD error;
        const char* domain;
        const char* name;
    } cases[] = {
        {"WS1", "S-1-5-21-10-20-30-1003", TRUE, 0, "WS1", "Jane Doe"},
        {"\\\\ws1", "S-1-5-21-10-20-30-500", TRUE, 0, "WS1", "Administrator"},
        // The own file may rename a well-known identifier.
        {"WS1", "S-1-5-32-544", TRUE, 0, "BUILTIN", "Administratoren"},
        {"WS2", "S-1-5-32-544", TRUE, 0, "BUILTIN", "Administrators"},
        // Domain accounts come from the domain controller.
        {"WS1", "S-1-5-21-7-8-9-1104", TRUE, 0, "CORP", "alice"},
        {"WS2", "S-1-5-21-7-8-9-512", TRUE, 0, "CORP", "Domain Admins"},
        {"DC1", "S-1-5-21-7-8-9-1104", TRUE, 0, "CORP", "alice"},
        // ... but not another computer's local accounts.
        {"WS2", "S-1-5-21-10-20-30-500", FALSE, ERROR_NONE_MAPPED, "", ""},
        {"QUELLVANE", "S-1-5-21-7-8-9-1104", FALSE, ERROR_NONE_MAPPED, "", ""},
        {nullptr, "S-1-5-21-7-8-9-1104", FALSE, ERROR_NONE_MAPPED, "", ""},
        // An unreachable controller maps nothing of its domain.
        {"WS3", "S-1-5-21-7-8-9-1104", FALSE, ERROR_NONE_MAPPED, "", ""},
        {"WS3", "S-1-5-18", TRUE, 0, "NT AUTHORITY", "SYSTEM"},
        // A computer that cannot be reached answers nothing at all.
        {"OFFLINE", "S-1-5-18", FALSE, RPC_S_SERVER_UNAVAILABLE, "", ""},
        {"\\\\LOCKED", "S-1-5-18", FALSE, ERROR_ACCESS_DENIED, "", ""},
        {"NOWHERE", "S-1-5-18", FALSE, ERROR_BAD_NETPATH, "", ""},
    };
    for (const Case& c : cases) {
        Answer a = lookup(c.computer, sidOf(c.sid));
        const std::string what = std::string(c.computer ? c.computer : "local") + " " + c.sid;
        EXPECT_EQ(a.ok, c.ok) << what;
        if (c.ok) {
            EXPECT_EQ(a.domain, c.domain) << what;
            EXPECT_EQ(a.name, c.name) << what;
        } else {
            EXPECT_EQ(a.error, c.error) << what;
        }
    }
}

TEST_F(SiteLookup, AccountsFilesAreReadAgainWhenTheyChange)
{
    EXPECT_EQ(lookup("WS1", sidOf("S-1-5-21-10-20-30-1003")).name, "Jane Doe");
    site->writeAccounts("WS1", "S-1-5-21-10-20-30-1003  User  WS1\\Jane Roe-Doe\n");
    EXPECT_EQ(lookup("WS1", sidOf("S-1-5-21-10-20-30-1003")).name, "Jane Roe-Doe");

    site->writeAccounts("WS1", "S-1-5-21-10-20-30-1003  Usr  WS1\\Jane Roe-Doe\n");
    Answer broken = lookup("WS1", sidOf("S-1-5-18"));
    EXPECT_FALSE(broken.ok);
    EXPECT_EQ(broken.error, ERROR_BADDB);
    // A broken controller's file is reported the same way.
    Answer viaBrokenController = lookup("WS2", sidOf("S-1-5-21-7-8-9-1104"));
    EXPECT_TRUE(viaBrokenController.ok);
    site->writeAccounts("DC1", "nonsense\n");
    viaBrokenController = lookup("WS2", sidOf("S-1-5-21-7-8-9-1104"));
    EXPECT_FALSE(viaBrokenController.ok);
    EXPECT_EQ(viaBrokenController.error, ERROR_BADDB);
}

TEST(SecurityModules, RemoteAdministrationLibraryHasNoTextConversion)
{
    struct Case {
        const char* module;
        bool hasConversion;
    } cases[] = {{"advapi32.dll", true}, {"varovu32.dll", false}};
    for (const Case& c : cases) {
        HMODULE module = LoadLibraryA(c.module);
        ASSERT_NE(module, nullptr);
        for (const char* name : {"GetLengthSid", "IsValidSid", "EqualSid", "GetSidIdentifierAuthority",
                                 "GetSidSubAuthorityCount", "GetSidSubAuthority", "LookupAccountSidA"})
            EXPECT_NE(GetProcAddress(module, name), nullptr) << c.module << "!" << name;
        EXPECT_EQ(GetProcAddress(module, "ConvertSidToStringSidW") != nullptr, c.hasConversion) << c.module;
        FreeLibrary(module);
    }
}
