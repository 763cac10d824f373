#include "RaisedException.h"

#include "ntlib/AdvApi32.h"
#include "ntlib/FunctionBinding.h"
#include "ntlib/LmApibuf.h"
#include "ntlib/NTException.h"

#include "platform/Kernel32.h"
#include "platform/Mpr.h"
#include "platform/PlatformProfile.h"

#include <gtest/gtest.h>

using platform::PlatformProfile;
using platform::ScopedProfile;

namespace {

} // namespace

TEST(PlatformTest, VersionTests)
{
    {
        ScopedProfile p(PlatformProfile::nt5());
        EXPECT_TRUE(IsWinNT());
        EXPECT_TRUE(IsWin2000());
    }
    {
        ScopedProfile p(PlatformProfile::nt6());
        EXPECT_TRUE(IsWinNT());
        EXPECT_FALSE(IsWin2000());
    }
    {
        ScopedProfile p(PlatformProfile::win9x(true));
        EXPECT_FALSE(IsWinNT());
    }
}

TEST(Binding, GroupsChooseTheirLibraryByPlatform)
{
    struct Case {
        PlatformProfile profile;
        const char* windows2000;
        const char* advapi;
    } cases[] = {
        {PlatformProfile::nt5(), "advapi32.dll", "advapi32.dll"},
        {PlatformProfile::nt6(), "varovu32.dll", "advapi32.dll"},
        {PlatformProfile::win9x(true), "varovu32.dll", "varovu32.dll"},
    };
    for (const Case& c : cases) {
        ScopedProfile p(c.profile);
        ScopedSystemFunctions bound;
        EXPECT_EQ(Windows2000Functions().LibraryName(), c.windows2000);
        EXPECT_EQ(AdvApi32Functions().LibraryName(), c.advapi);
        EXPECT_EQ(NetApiBufferFunctions().LibraryName(), "netapi32.dll");
    }
}

TEST(Binding, MissingLibraryRaisesOnFirstUseOnly)
{
    ScopedProfile p(PlatformProfile::win9x(false));
    ScopedSystemFunctions bound; // starting does not fail
    auto [text, code] = Raised([] { CloseEventLog(nullptr); });
    EXPECT_EQ(text, "Cannot load library \"varovu32.dll\" or linked libraries");
    EXPECT_EQ(code, 0);
    auto [text2, code2] = Raised([] { ConvertSidToStringSidW(nullptr, nullptr); });
    EXPECT_EQ(text2, "Cannot load library \"varovu32.dll\" or linked libraries. Not Windows 2000?");
    EXPECT_EQ(code2, 0);
}

TEST(Binding, MissingFunctionRaisesWithTheLoadedLibrary)
{
    PlatformProfile profile = PlatformProfile::nt5();
    profile.missingProcs.insert("advapi32.dll!ClearEventLogA");
    ScopedProfile p(profile);
    ScopedSystemFunctions bound;
    EXPECT_EQ(Raised([] { ClearEventLogA(nullptr, nullptr); }).first,
              "Cannot load library \"advapi32.dll\" or linked libraries");
}

TEST(Binding, NestedBindingActsOnlyOnce)
{
    ScopedSystemFunctions outer;
    {
        ScopedSystemFunctions inner;
    }
    // The outer scope still holds the groups.
    EXPECT_TRUE(AdvApi32Functions().IsLoaded());
}

TEST(Errors, FormatAndRaise)
{
    EXPECT_EQ(FormatSystemError(5), "5: Access is denied.\r\n");
    EXPECT_EQ(FormatSystemError(987654), "987654: ");

    SetLastError(0);
    EXPECT_NO_THROW(RaiseLastNTError());
    SetLastError(2);
    auto [text, code] = Raised([] { RaiseLastNTError(); });
    EXPECT_EQ(text, "2: The system cannot find the file specified.\r\n");
    EXPECT_EQ(code, 2);
}

TEST(Errors, NetworkResults)
{
    EXPECT_NO_THROW(CheckWNetError(0));
    platform::SetWNetExtendedError(4711, "The provider is asleep.", "Test Network");
    auto [text, code] = Raised([] { CheckWNetError(ERROR_EXTENDED_ERROR); });
    EXPECT_EQ(text, "4711: The provider is asleep.");
    EXPECT_EQ(code, 4711);
    EXPECT_EQ(Raised([] { CheckWNetError(ERROR_BAD_NETPATH); }).first, "53: The network path was not found.\r\n");
}

TEST(Errors, PlatformTestRaisesTheGeneralException)
{
    SetLastError(0);
    EXPECT_NO_THROW(RaiseLastSystemError());
    SetLastError(87);
    try {
        RaiseLastSystemError();
        FAIL();
    } catch (const ENTException&) {
        FAIL() << "must not be the library's exception";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "System error 87: The parameter is incorrect.\r\n");
    }
}
