#include "platform/Kernel32.h"
#include "platform/PlatformProfile.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>

using platform::PlatformProfile;
using platform::ScopedProfile;

TEST(LastError, IsKeptPerThread)
{
    SetLastError(122);
    DWORD other = 0;
    std::thread([&] {
        SetLastError(5);
        other = GetLastError();
    }).join();
    EXPECT_EQ(GetLastError(), 122u);
    EXPECT_EQ(other, 5u);
}

TEST(Version, FollowsTheProfile)
{
    struct Case {
        PlatformProfile profile;
        DWORD platformId, major;
    } cases[] = {
        {PlatformProfile::nt5(), 2, 5},
        {PlatformProfile::nt6(), 2, 6},
        {PlatformProfile::win9x(true), 1, 4},
    };
    for (const Case& c : cases) {
        ScopedProfile scope(c.profile);
        OSVERSIONINFOA info{};
        info.dwOSVersionInfoSize = sizeof info;
        ASSERT_TRUE(GetVersionExA(&info));
        EXPECT_EQ(info.dwPlatformId, c.platformId);
        EXPECT_EQ(info.dwMajorVersion, c.major);
    }
    OSVERSIONINFOA wrongSize{};
    wrongSize.dwOSVersionInfoSize = 100;
    EXPECT_FALSE(GetVersionExA(&wrongSize));
}

TEST(Modules, LoadAndResolveCaseInsensitively)
{
    HMODULE m = LoadLibraryA("C:\\WINDOWS\\system32\\ADVAPI32.DLL");
    ASSERT_NE(m, nullptr);
    EXPECT_GT(reinterpret_cast<std::uintptr_t>(m), 32u);
    EXPECT_NE(GetProcAddress(m, "ReadEventLogA"), nullptr);
    EXPECT_EQ(GetProcAddress(m, "NoSuchFunction"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
    EXPECT_TRUE(FreeLibrary(m));

    EXPECT_EQ(LoadLibraryA("nosuch.dll"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
}

TEST(Modules, ProfileHidesModulesAndNames)
{
    PlatformProfile p = PlatformProfile::win9x(false);
    p.missingProcs.insert("advapi32.dll!ReadEventLogA");
    ScopedProfile scope(p);
    EXPECT_EQ(LoadLibraryA("varovu32.dll"), nullptr);
    HMODULE m = LoadLibraryA("advapi32");
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(GetProcAddress(m, "ReadEventLogA"), nullptr);
}

TEST(Events, AutoResetWakesOneWaitAndTimesOut)
{
    HANDLE a = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    HANDLE b = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    ASSERT_NE(a, nullptr);
    HANDLE both[] = {a, b};
    EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 10), WAIT_TIMEOUT);

    std::thread setter([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        SetEvent(b);
    });
    EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, INFINITE), WAIT_OBJECT_0 + 1);
    setter.join();
    // Auto-reset: the wait consumed the signal.
    EXPECT_EQ(WaitForSingleObject(b, 0), WAIT_TIMEOUT);

    EXPECT_TRUE(CloseHandle(a));
    EXPECT_FALSE(CloseHandle(a));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 0), WAIT_FAILED);
    CloseHandle(b);
}

TEST(FormatMessage, SystemTextsAndBufferSize)
{
    char buffer[1024];
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, 2, 0,
                             buffer, sizeof buffer, nullptr);
    EXPECT_STREQ(buffer, "The system cannot find the file specified.\r\n");
    EXPECT_EQ(n, std::strlen(buffer));

    EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, 2, 0,
                             buffer, 5, nullptr),
              0u);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);

    EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, 999999, 0,
                             buffer, sizeof buffer, nullptr),
              0u);
    EXPECT_EQ(GetLastError(), ERROR_MR_MID_NOT_FOUND);
}
