// Message files when memory runs out: a file that cannot be read for want
// of memory is not loaded, with ERROR_NOT_ENOUGH_MEMORY, and no exception
// comes out of the load.

#include "MemoryLimit.h"
#include "MessageFixtures.h"

#include "platform/ErrorCodes.h"
#include "platform/Kernel32.h"

#include <gtest/gtest.h>

#include <filesystem>

TEST(MessageFileMemory, AFileOverTheMemoryLimitIsNotLoadedWithErrorEight)
{
    const std::string path = fixtures::MessageFile("mirror_events.dll");
    ASSERT_GT(std::filesystem::file_size(path), 1024u);
    HMODULE module = nullptr;
    bool threw = false;
    DWORD error = 0;
    {
        ScopedMemoryLimit limit({.largest = 1024});
        SetLastError(0);
        try {
            module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        } catch (...) {
            threw = true;
        }
        error = GetLastError();
    }
    EXPECT_FALSE(threw);
    EXPECT_EQ(module, nullptr);
    EXPECT_EQ(error, ERROR_NOT_ENOUGH_MEMORY);

    module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    EXPECT_NE(module, nullptr) << "loads once the memory is there";
    EXPECT_TRUE(FreeLibrary(module));
}
