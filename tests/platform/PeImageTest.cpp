// Loading message files as data: genuine PE32 and PE32+ images, paths of the
// local computer, and damaged images, each giving the platform's error.
#include "MessageFixtures.h"
#include "ProcessIo.h"

#include "platform/DataFileModules.h"
#include "platform/Kernel32.h"
#include "platform/PathResolver.h"
#include "platform/PeImage.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <functional>

using fixtures::MessageFile;
using fixtures::ReadFile;
using fixtures::ScratchDirectory;
using fixtures::WriteFile;

namespace {

// Plays the local computer's drive C: for the life of a scope.
class LocalDrive {
public:
    explicit LocalDrive(const std::string& hostDirectory) { platform::SetLocalSystemDrive(hostDirectory); }
    ~LocalDrive() { platform::SetLocalSystemDrive(""); }
};

// The text of message `id` of a module, or the error.
DWORD messageOf(HMODULE module, DWORD id, std::string& text, DWORD language = 0)
{
    std::array<char, 4096> buffer{};
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_IGNORE_INSERTS, module, id, language,
                                   buffer.data(), static_cast<DWORD>(buffer.size()), nullptr);
    if (n == 0)
        return GetLastError();
    text.assign(buffer.data(), n);
    return ERROR_SUCCESS;
}

TEST(DataFileLoad, GenuineImagesOfBothKinds)
{
    struct Case {
        const char* file;
        bool pe32Plus;
        WORD machine;
    } cases[] = {
        {"mirror_events.dll", true, 0x8664},
        {"mirror_categories.dll", true, 0x8664},
        {"legacy_agent.exe", false, 0x014C},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        platform::PeImage image;
        ASSERT_EQ(platform::PeImage::Parse(ReadFile(MessageFile(c.file)), image), ERROR_SUCCESS);
        EXPECT_EQ(image.IsPe32Plus(), c.pe32Plus);
        EXPECT_EQ(image.Machine(), c.machine);
        std::vector<WORD> languages;
        EXPECT_EQ(image.ResourceLanguages(platform::kResourceTypeMessageTable, 1, languages), ERROR_SUCCESS);
        EXPECT_FALSE(languages.empty());

        HMODULE module = LoadLibraryExA(MessageFile(c.file).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module, nullptr);
        EXPECT_GT(reinterpret_cast<std::uintptr_t>(module), 32u);
        EXPECT_TRUE(FreeLibrary(module));
        EXPECT_FALSE(FreeLibrary(module));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    }
}

TEST(DataFileLoad, EachLoadIsItsOwnModule)
{
    const std::string path = MessageFile("mirror_events.dll");
    HMODULE first = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HMODULE second = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    EXPECT_TRUE(FreeLibrary(first));
    std::string text;
    EXPECT_EQ(messageOf(second, 100, text), ERROR_SUCCESS); // the other load is untouched
    EXPECT_TRUE(FreeLibrary(second));
    EXPECT_EQ(messageOf(second, 100, text), ERROR_INVALID_HANDLE);
}

TEST(DataFileLoad, WindowsPathsOfTheLocalComputer)
{
    ScratchDirectory drive;
    drive.place("mirror_events.dll", "WINDOWS/System32/Mirror_Events.DLL");
    drive.place("mirror_categories.dll", "WINDOWS/Mirror_Categories.dll");
    drive.place("mirror_more.dll", "Program Files/Mirrorfield/mirror more.dll");
    LocalDrive local(drive.path());

    for (const char* name : {
             "C:\\WINDOWS\\system32\\mirror_events.dll",
             "c:\\windows\\SYSTEM32\\MIRROR_EVENTS.DLL",
             "%SystemRoot%\\System32\\mirror_events.dll",
             "%SYSTEMROOT%\\system32\\mirror_events.dll",
             "mirror_events.dll",     // a bare name: the system directory
             "MIRROR_CATEGORIES.DLL", // then the system root
             "C:\\Program Files\\Mirrorfield\\mirror more.dll",
         }) {
        SCOPED_TRACE(name);
        HMODULE module = LoadLibraryExA(name, nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module, nullptr) << GetLastError();
        EXPECT_TRUE(FreeLibrary(module));
    }
}

TEST(DataFileLoad, FailuresGiveThePlatformsCodes)
{
    ScratchDirectory drive;
    drive.place("mirror_events.dll", "WINDOWS/system32/mirror_events.dll");
    WriteFile(drive.file("WINDOWS/system32/notes.txt"), {'j', 'u', 's', 't', ' ', 't', 'e', 'x', 't'});
    WriteFile(drive.file("WINDOWS/system32/empty.dll"), {});
    LocalDrive local(drive.path());

    struct Case {
        const char* name;
        DWORD error;
    } cases[] = {
        {"C:\\WINDOWS\\system32\\nosuch.dll", ERROR_FILE_NOT_FOUND},
        {"C:\\WINDOWS\\nosuchdir\\mirror_events.dll", ERROR_PATH_NOT_FOUND},
        {"D:\\WINDOWS\\system32\\mirror_events.dll", ERROR_PATH_NOT_FOUND},
        {"nosuch.dll", ERROR_MOD_NOT_FOUND},
        {"C:\\WINDOWS\\system32", ERROR_ACCESS_DENIED},
        {"C:\\WINDOWS\\system32\\notes.txt", ERROR_BAD_EXE_FORMAT},
        {"C:\\WINDOWS\\system32\\empty.dll", ERROR_BAD_EXE_FORMAT},
        {"\\\\NOSUCHHOST\\C$\\x.dll", ERROR_BAD_NETPATH},
        {"", ERROR_INVALID_PARAMETER},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetLastError(0);
        EXPECT_EQ(LoadLibraryExA(c.name, nullptr, LOAD_LIBRARY_AS_DATAFILE), nullptr);
        EXPECT_EQ(GetLastError(), c.error);
    }
    SetLastError(0);
    EXPECT_EQ(LoadLibraryExA(nullptr, nullptr, LOAD_LIBRARY_AS_DATAFILE), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

    // The reserved file handle must be null.
    int dummy = 0;
    EXPECT_EQ(LoadLibraryExA("C:\\WINDOWS\\system32\\mirror_events.dll", &dummy, LOAD_LIBRARY_AS_DATAFILE), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(DataFileLoad, ALargeFileThatIsNoImageIsRefusedByItsStartAlone)
{
    ScratchDirectory drive;
    const std::string path = drive.file("WINDOWS/system32/huge.dll");
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    WriteFile(path, {'j', 'u', 's', 't', ' ', 't', 'e', 'x', 't'});
    std::filesystem::resize_file(path, 200u << 20); // sparse, below the largest image that is read
    LocalDrive local(drive.path());

    const std::uint64_t before = BytesReadSoFar();
    SetLastError(0);
    EXPECT_EQ(LoadLibraryExA("C:\\WINDOWS\\system32\\huge.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_BAD_EXE_FORMAT);
    EXPECT_LT(BytesReadSoFar() - before, std::uint64_t{64 * 1024}) << "only the start of the file is read";
}

TEST(DataFileLoad, WithoutTheDataFileFlagItLoadsAPlatformModule)
{
    HMODULE module = LoadLibraryExA("advapi32.dll", nullptr, 0);
    ASSERT_NE(module, nullptr);
    EXPECT_NE(GetProcAddress(module, "ReadEventLogA"), nullptr);
    // A platform module has no message table.
    std::string text;
    EXPECT_EQ(messageOf(module, 100, text), ERROR_RESOURCE_DATA_NOT_FOUND);
    EXPECT_TRUE(FreeLibrary(module));
}

TEST(DataFileLoad, AFileChangedInPlaceIsReadAgain)
{
    ScratchDirectory dir;
    const std::string path = dir.file("swap.dll");
    WriteFile(path, ReadFile(MessageFile("mirror_events.dll")));
    HMODULE module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    std::string text;
    EXPECT_EQ(messageOf(module, 100, text), ERROR_SUCCESS);
    FreeLibrary(module);

    WriteFile(path, ReadFile(MessageFile("mirror_more.dll")));
    module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(messageOf(module, 100, text), ERROR_MR_MID_NOT_FOUND);
    EXPECT_EQ(messageOf(module, 300, text), ERROR_SUCCESS);
    FreeLibrary(module);
}

// --- damaged images ---

WORD get16(const std::vector<BYTE>& b, std::size_t at)
{
    return static_cast<WORD>(b.at(at) | (b.at(at + 1) << 8));
}
DWORD get32(const std::vector<BYTE>& b, std::size_t at)
{
    return get16(b, at) | (static_cast<DWORD>(get16(b, at + 2)) << 16);
}
void put16(std::vector<BYTE>& b, std::size_t at, WORD v)
{
    b.at(at) = static_cast<BYTE>(v);
    b.at(at + 1) = static_cast<BYTE>(v >> 8);
}
void put32(std::vector<BYTE>& b, std::size_t at, DWORD v)
{
    put16(b, at, static_cast<WORD>(v));
    put16(b, at + 2, static_cast<WORD>(v >> 16));
}

// Where the structures of the genuine PE32+ fixture lie, read straight from
// its bytes: the places the corruptions below aim at.
struct Layout {
    explicit Layout(const std::vector<BYTE>& b)
    {
        pe = get32(b, 0x3C);
        optional = pe + 24;
        resourceField = optional + 112 + 2 * 8;
        const DWORD rva = get32(b, resourceField);
        sectionTable = optional + get16(b, pe + 20);
        for (std::size_t i = 0; i < get16(b, pe + 6); ++i) {
            const std::size_t h = sectionTable + i * 40;
            const DWORD va = get32(b, h + 12);
            if (rva >= va && rva < va + get32(b, h + 16)) {
                resourceSection = h;
                resourceBase = get32(b, h + 20) + (rva - va);
                sectionVa = va;
                sectionRaw = get32(b, h + 20);
            }
        }
        typeEntry = resourceBase + 16;
        nameDirectory = resourceBase + (get32(b, typeEntry + 4) & 0x7FFFFFFF);
        nameEntry = nameDirectory + 16;
        languageDirectory = resourceBase + (get32(b, nameEntry + 4) & 0x7FFFFFFF);
        const std::size_t languages = get16(b, languageDirectory + 14);
        for (std::size_t i = 0; i < languages; ++i) {
            const std::size_t entry = languageDirectory + 16 + i * 8;
            if (get32(b, entry) == 0x409) {
                englishEntry = entry;
                englishData = resourceBase + get32(b, entry + 4);
            }
        }
        englishTable = sectionRaw + (get32(b, englishData) - sectionVa);
    }

    std::size_t pe = 0, optional = 0, resourceField = 0, sectionTable = 0, resourceSection = 0;
    std::size_t resourceBase = 0, sectionVa = 0, sectionRaw = 0;
    std::size_t typeEntry = 0, nameDirectory = 0, nameEntry = 0, languageDirectory = 0;
    std::size_t englishEntry = 0, englishData = 0, englishTable = 0;
};

TEST(DamagedImage, LayoutOfTheGenuineFixture)
{
    const std::vector<BYTE> bytes = ReadFile(MessageFile("mirror_events.dll"));
    const Layout l(bytes);
    EXPECT_EQ(get32(bytes, l.typeEntry), 11u);
    EXPECT_EQ(get32(bytes, l.nameEntry), 1u);
    ASSERT_NE(l.englishEntry, 0u);
    EXPECT_EQ(get32(bytes, l.englishTable), 3u); // three blocks of ids
}

TEST(DamagedImage, EachDamageGivesAnErrorAndNothingOutsideTheFileIsRead)
{
    using Mutation = std::function<void(std::vector<BYTE>&, const Layout&)>;
    struct Case {
        const char* name;
        Mutation damage;
        DWORD loadError;   // of LoadLibraryExA
        DWORD formatError; // of FormatMessageA when the load succeeds
    } cases[] = {
        {"genuine", [](auto&, auto&) {}, 0, 0},
        {"ten bytes", [](auto& b, auto&) { b.resize(10); }, ERROR_BAD_EXE_FORMAT, 0},
        {"no MZ", [](auto& b, auto&) { b[0] = 'Z'; }, ERROR_BAD_EXE_FORMAT, 0},
        {"header offset beyond the file", [](auto& b, auto&) { put32(b, 0x3C, 0xFFFFFFF0); }, ERROR_BAD_EXE_FORMAT, 0},
        {"header offset near the end", [](auto& b, auto&) { put32(b, 0x3C, static_cast<DWORD>(b.size() - 6)); },
         ERROR_BAD_EXE_FORMAT, 0},
        {"no PE signature", [](auto& b, auto& l) { b[l.pe + 1] = 'X'; }, ERROR_BAD_EXE_FORMAT, 0},
        {"unknown optional header", [](auto& b, auto& l) { put16(b, l.optional, 0x107); }, ERROR_BAD_EXE_FORMAT, 0},
        {"optional header too short", [](auto& b, auto& l) { put16(b, l.pe + 20, 40); }, ERROR_BAD_EXE_FORMAT, 0},
        {"optional header beyond the file", [](auto& b, auto& l) { put16(b, l.pe + 20, 0xFFFF); },
         ERROR_BAD_EXE_FORMAT, 0},
        {"too many sections", [](auto& b, auto& l) { put16(b, l.pe + 6, 0xFFFF); }, ERROR_BAD_EXE_FORMAT, 0},
        {"section table cut off", [](auto& b, auto& l) { b.resize(l.sectionTable + 50); }, ERROR_BAD_EXE_FORMAT, 0},
        {"no resource directory", [](auto& b, auto& l) { put32(b, l.resourceField + 4, 0); }, 0,
         ERROR_RESOURCE_DATA_NOT_FOUND},
        {"too few data directories", [](auto& b, auto& l) { put32(b, l.optional + 108, 2); }, 0,
         ERROR_RESOURCE_DATA_NOT_FOUND},
        {"resource directory in no section", [](auto& b, auto& l) { put32(b, l.resourceField, 0x7FFF0000); }, 0,
         ERROR_RESOURCE_DATA_NOT_FOUND},
        {"resource section beyond the file", [](auto& b, auto& l) { put32(b, l.resourceSection + 20, 0xFFFFFF00); },
         0, ERROR_RESOURCE_DATA_NOT_FOUND},
        {"resource section cut off", [](auto& b, auto& l) { b.resize(l.resourceBase + 20); }, 0, ERROR_INVALID_DATA},
        {"directory with 65535 entries", [](auto& b, auto& l) { put16(b, l.resourceBase + 14, 0xFFFF); }, 0,
         ERROR_INVALID_DATA},
        {"type directory beyond the section", [](auto& b, auto& l) { put32(b, l.typeEntry + 4, 0xFFFFFFF0); }, 0,
         ERROR_INVALID_DATA},
        {"type entry without a directory", [](auto& b, auto& l) { put32(b, l.typeEntry + 4, 0x10); }, 0,
         ERROR_INVALID_DATA},
        {"type directory pointing at the root", [](auto& b, auto& l) { put32(b, l.typeEntry + 4, 0x80000000); }, 0,
         ERROR_RESOURCE_NAME_NOT_FOUND},
        {"no message table", [](auto& b, auto& l) { put32(b, l.typeEntry, 6); }, 0, ERROR_RESOURCE_TYPE_NOT_FOUND},
        {"message table named by a string", [](auto& b, auto& l) { put32(b, l.typeEntry, 0x80000000 | 0x40); }, 0,
         ERROR_RESOURCE_TYPE_NOT_FOUND},
        {"no table number 1", [](auto& b, auto& l) { put32(b, l.nameEntry, 2); }, 0, ERROR_RESOURCE_NAME_NOT_FOUND},
        {"language entry as a directory", [](auto& b, auto& l) { put32(b, l.englishEntry + 4, 0x80000000); }, 0,
         ERROR_INVALID_DATA},
        {"data entry beyond the section", [](auto& b, auto& l) { put32(b, l.englishEntry + 4, 0x7FFFFFF0); }, 0,
         ERROR_INVALID_DATA},
        {"table address in no section", [](auto& b, auto& l) { put32(b, l.englishData, 0x7FFF0000); }, 0,
         ERROR_INVALID_DATA},
        {"table size beyond the section", [](auto& b, auto& l) { put32(b, l.englishData + 4, 0x7FFFFFFF); }, 0,
         ERROR_INVALID_DATA},
        {"empty table", [](auto& b, auto& l) { put32(b, l.englishData + 4, 0); }, 0, ERROR_INVALID_DATA},
        {"block count beyond the table", [](auto& b, auto& l) { put32(b, l.englishTable, 0x40000000); }, 0,
         ERROR_INVALID_DATA},
        {"entries beyond the table", [](auto& b, auto& l) { put32(b, l.englishTable + 12, 0xFFFFFFF0); }, 0,
         ERROR_INVALID_DATA},
        {"entry of length 0", [](auto& b, auto& l) { put16(b, l.englishTable + get32(b, l.englishTable + 12), 0); },
         0, ERROR_INVALID_DATA},
        {"entry longer than the table",
         [](auto& b, auto& l) { put16(b, l.englishTable + get32(b, l.englishTable + 12), 0xFFFF); }, 0,
         ERROR_INVALID_DATA},
        {"block without the id", [](auto& b, auto& l) { put32(b, l.englishTable + 4, 200); }, 0,
         ERROR_MR_MID_NOT_FOUND},
    };

    const std::vector<BYTE> genuine = ReadFile(MessageFile("mirror_events.dll"));
    const Layout layout(genuine);
    ScratchDirectory dir;
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<BYTE> bytes = genuine;
        c.damage(bytes, layout);
        const std::string path = dir.file("damaged" + std::to_string(n++) + ".dll");
        WriteFile(path, bytes);

        SetLastError(0);
        HMODULE module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        if (c.loadError) {
            EXPECT_EQ(module, nullptr);
            EXPECT_EQ(GetLastError(), c.loadError);
            continue;
        }
        ASSERT_NE(module, nullptr) << GetLastError();
        std::string text;
        EXPECT_EQ(messageOf(module, 100, text), c.formatError);
        EXPECT_TRUE(FreeLibrary(module));
    }
}

TEST(DamagedImage, ImagesInMemoryLoadAsModules)
{
    HMODULE module = nullptr;
    EXPECT_EQ(platform::LoadDataFileImage({'M', 'Z'}, module), ERROR_BAD_EXE_FORMAT);
    ASSERT_EQ(platform::LoadDataFileImage(ReadFile(MessageFile("mirror_more.dll")), module), ERROR_SUCCESS);
    EXPECT_TRUE(platform::IsDataFileModule(module));
    std::string text;
    EXPECT_EQ(messageOf(module, 300, text), ERROR_SUCCESS);
    EXPECT_EQ(text, "Mirror job %1 was skipped: %2.\r\n");
    EXPECT_TRUE(FreeLibrary(module));
    EXPECT_FALSE(platform::IsDataFileModule(module));
}

TEST(WindowsDirectory, IsTheLocalSystemRoot)
{
    std::array<char, 64> buffer{};
    EXPECT_EQ(GetWindowsDirectoryA(buffer.data(), static_cast<UINT>(buffer.size())), 10u);
    EXPECT_STREQ(buffer.data(), "C:\\WINDOWS");
    std::array<char, 4> small{'x', 0, 0, 0};
    EXPECT_EQ(GetWindowsDirectoryA(small.data(), static_cast<UINT>(small.size())), 11u); // the size needed
    EXPECT_EQ(small[0], 'x');
    EXPECT_EQ(GetWindowsDirectoryA(nullptr, 0), 11u);
}

} // namespace
