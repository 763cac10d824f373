#include "SiteBuilder.h"

#include "platform/ErrorCodes.h"
#include "platform/FileVersion.h"
#include "platform/Kernel32.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

// The names of every match of a search, or the search's error.
DWORD findAll(const std::string& path, std::vector<std::string>& names)
{
    names.clear();
    WIN32_FIND_DATAA data{};
    HANDLE found = FindFirstFileA(path.c_str(), &data);
    if (found == INVALID_HANDLE_VALUE)
        return GetLastError();
    do
        names.emplace_back(data.cFileName);
    while (FindNextFileA(found, &data));
    EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
    EXPECT_TRUE(FindClose(found));
    return ERROR_SUCCESS;
}

class FindFileTest : public ::testing::Test {
protected:
    SiteBuilder site;
    void SetUp() override
    {
        site.Local("WKS1").Computer("SRV1").Computer("SRV9", {.reachable = false});
        site.DriveFile("WKS1", "Logs\\AppEvent.Evt", std::string(1500, 'a'));
        site.DriveFile("WKS1", "Logs\\SysEvent.evt", "s");
        site.DriveFile("WKS1", "Logs\\notes.txt", "n");
        site.DriveFile("SRV1", "WINDOWS\\system32\\config\\SecEvent.Evt", "xyz");
        site.Load();
    }
};

TEST_F(FindFileTest, FindsFilesOfTheLocalAndRemoteDrives)
{
    // Set the file's times: the facts come back in UTC file time.
    const std::string host = site.DrivePath("WKS1", "Logs\\AppEvent.Evt");
    const timespec times[2] = {{1614834367, 500000000}, {1614834367 + 86400, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, host.c_str(), times, 0), 0);

    WIN32_FIND_DATAA data{};
    HANDLE found = FindFirstFileA("c:\\LOGS\\appevent.evt", &data);
    ASSERT_NE(found, INVALID_HANDLE_VALUE);
    EXPECT_STREQ(data.cFileName, "AppEvent.Evt");
    EXPECT_EQ(data.nFileSizeLow, 1500u);
    EXPECT_EQ(data.nFileSizeHigh, 0u);
    EXPECT_EQ(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
    SYSTEMTIME st{};
    ASSERT_TRUE(FileTimeToSystemTime(&data.ftLastAccessTime, &st));
    EXPECT_EQ(st.wYear, 2021);
    EXPECT_EQ(st.wMonth, 3);
    EXPECT_EQ(st.wDay, 4);
    EXPECT_EQ(st.wHour, 5);
    EXPECT_EQ(st.wMinute, 6);
    EXPECT_EQ(st.wSecond, 7);
    EXPECT_EQ(st.wMilliseconds, 500);
    ASSERT_TRUE(FileTimeToSystemTime(&data.ftLastWriteTime, &st));
    EXPECT_EQ(st.wDay, 5);
    EXPECT_FALSE(FindNextFileA(found, &data));
    EXPECT_TRUE(FindClose(found));
    EXPECT_FALSE(FindClose(found));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);

    std::vector<std::string> names;
    EXPECT_EQ(findAll("\\\\SRV1\\C$\\WINDOWS\\system32\\config\\SecEvent.Evt", names), ERROR_SUCCESS);
    EXPECT_EQ(names, std::vector<std::string>{"SecEvent.Evt"});
    EXPECT_EQ(findAll("\\\\srv1\\ADMIN$\\system32\\config\\secevent.evt", names), ERROR_SUCCESS);
    // A path of this machine, as backup files chosen in file dialogs are.
    EXPECT_EQ(findAll(host, names), ERROR_SUCCESS);
    EXPECT_EQ(names, std::vector<std::string>{"AppEvent.Evt"});
}

TEST_F(FindFileTest, PatternsAndFailures)
{
    std::vector<std::string> names;
    EXPECT_EQ(findAll("C:\\Logs\\*.EVT", names), ERROR_SUCCESS);
    EXPECT_EQ(names, (std::vector<std::string>{"AppEvent.Evt", "SysEvent.evt"}));
    EXPECT_EQ(findAll("C:\\Logs\\?ysEvent.*", names), ERROR_SUCCESS);
    EXPECT_EQ(names, std::vector<std::string>{"SysEvent.evt"});
    EXPECT_EQ(findAll("C:\\Logs\\*", names), ERROR_SUCCESS);
    EXPECT_EQ(names.size(), 3u);

    const struct {
        const char* path;
        DWORD error;
    } failures[] = {
        {"C:\\Logs\\missing.evt", ERROR_FILE_NOT_FOUND},
        {"C:\\Logs\\*.dat", ERROR_FILE_NOT_FOUND},
        {"C:\\NoDir\\x\\y.evt", ERROR_PATH_NOT_FOUND},
        {"D:\\x.evt", ERROR_PATH_NOT_FOUND},
        {"\\\\SRV9\\C$\\x.evt", ERROR_BAD_NETPATH},
        {"\\\\SRV1\\D$\\x.evt", ERROR_BAD_NET_NAME},
        {"C:\\Logs\\", ERROR_FILE_NOT_FOUND},
        {"", ERROR_INVALID_PARAMETER},
    };
    for (const auto& f : failures)
        EXPECT_EQ(findAll(f.path, names), f.error) << f.path;
}

TEST_F(FindFileTest, SizesOfFourGigabytesAndMore)
{
    const std::string host = site.DrivePath("WKS1", "Logs\\SysEvent.evt");
    std::filesystem::resize_file(host, (5ULL << 30) + 7);
    WIN32_FIND_DATAA data{};
    HANDLE found = FindFirstFileA("C:\\Logs\\SysEvent.evt", &data);
    ASSERT_NE(found, INVALID_HANDLE_VALUE);
    EXPECT_EQ(data.nFileSizeHigh, 1u);
    EXPECT_EQ(data.nFileSizeLow, (1u << 30) + 7);
    FindClose(found);
}

TEST(FileVersion, OnlyTheProgramHasAVersionResource)
{
    const char* self = "/proc/self/exe";
    DWORD handle = 7;
    platform::ClearProgramVersion();
    SetLastError(0);
    EXPECT_EQ(GetFileVersionInfoSizeA(self, &handle), 0u);
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_TYPE_NOT_FOUND);
    EXPECT_EQ(handle, 0u);

    platform::SetProgramVersion(1, 2, 3, 4);
    const DWORD size = GetFileVersionInfoSizeA(self, &handle);
    ASSERT_GT(size, sizeof(VS_FIXEDFILEINFO));
    std::vector<BYTE> block(size);
    EXPECT_FALSE(GetFileVersionInfoA(self, 0, size - 1, block.data()));
    ASSERT_TRUE(GetFileVersionInfoA(self, 0, size, block.data()));
    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", &value, &length));
    ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    EXPECT_EQ(fixed->dwSignature, VS_FFI_SIGNATURE);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010002u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00030004u);
    EXPECT_FALSE(VerQueryValueA(block.data(), "\\StringFileInfo\\040904b0\\FileVersion", &value, &length));

    // A damaged block is refused.
    std::vector<BYTE> damaged = block;
    damaged[10] ^= 0x20;
    EXPECT_FALSE(VerQueryValueA(damaged.data(), "\\", &value, &length));
    damaged = block;
    damaged[2] = 20;
    EXPECT_FALSE(VerQueryValueA(damaged.data(), "\\", &value, &length));

    // Any other file has none; a missing one is not found.
    EXPECT_EQ(GetFileVersionInfoSizeA("/bin/sh", &handle), 0u);
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_TYPE_NOT_FOUND);
    EXPECT_EQ(GetFileVersionInfoSizeA("/nonexistent/x.exe", &handle), 0u);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    platform::ClearProgramVersion();
}

} // namespace
