// Registry stores that share one file, as two running copies of the program
// share the user's registry and a computer's: every change is kept, and
// each store reads what the others wrote.

#include "platform/ErrorCodes.h"
#include "platform/Registry.h"
#include "platform/RegistryFile.h"
#include "platform/RegistryStore.h"
#include "platform/RegistryTypes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace platform;
namespace fs = std::filesystem;

namespace {

constexpr char kListKey[] = "ComputersTree";

DWORD setText(RegistryStore& store, const std::string& name, const std::string& text)
{
    return store.Modify([&](RegistryKey& root, bool& changed) {
        root.CreateSubKey(kListKey).SetValue(name, REG_SZ, std::vector<BYTE>(text.begin(), text.end()));
        changed = true;
        return DWORD{ERROR_SUCCESS};
    });
}

// The text of a value of the list's key, up to a NUL; ERROR_FILE_NOT_FOUND
// when it is not there.
DWORD getText(RegistryStore& store, const std::string& name, std::string& text)
{
    return store.Read([&](const RegistryKey& root) {
        const RegistryKey* list = root.FindSubKey(kListKey);
        const RegistryValue* value = list ? list->FindValue(name) : nullptr;
        if (!value)
            return DWORD{ERROR_FILE_NOT_FOUND};
        text.assign(value->data.begin(), std::find(value->data.begin(), value->data.end(), BYTE{0}));
        return DWORD{ERROR_SUCCESS};
    });
}

std::size_t valueCount(RegistryStore& store)
{
    std::size_t count = 0;
    store.Read([&](const RegistryKey& root) {
        const RegistryKey* list = root.FindSubKey(kListKey);
        count = list ? list->ValueCount() : 0;
        return DWORD{ERROR_SUCCESS};
    });
    return count;
}

std::string contents(const std::string& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Puts new contents in a file's place as a writer of another program does:
// through a rename.
void replaceFile(const std::string& file, const std::string& bytes)
{
    const std::string temporary = file + ".new";
    std::ofstream(temporary, std::ios::binary) << bytes;
    fs::rename(temporary, file);
}

// Runs `work` in a child process and gives what it reported (empty when all
// was well, or the child's exit status when it ended otherwise).
std::string inChildProcess(const std::function<std::string()>& work)
{
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return "no pipe";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeFds[0]);
        const std::string report = work();
        [[maybe_unused]] const ssize_t written = ::write(pipeFds[1], report.data(), report.size());
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    std::string report;
    char buffer[512];
    for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;)
        report.append(buffer, static_cast<std::size_t>(n));
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        report += "the child ended with status " + std::to_string(status);
    return report;
}

class RegistryStoreSharing : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "qvstore-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        directory_ = pattern;
        file_ = directory_ + "/HKCU.reg";
    }
    void TearDown() override
    {
        ResetCurrentUserRegistry();
        std::error_code ec;
        fs::permissions(directory_ + "/read-only", fs::perms::owner_all, ec);
        fs::remove_all(directory_);
    }

    std::string directory_;
    std::string file_;
};

TEST_F(RegistryStoreSharing, TwoStoresOnOneFileKeepAndReadEachOthersValues)
{
    RegistryStore first(file_, "HKEY_CURRENT_USER");
    RegistryStore second(file_, "HKEY_CURRENT_USER");
    std::string text;
    ASSERT_EQ(getText(second, "Comp1", text), ERROR_FILE_NOT_FOUND); // both have read the file

    ASSERT_EQ(setText(first, "Comp0", "WKS1"), ERROR_SUCCESS);
    ASSERT_EQ(setText(second, "Comp1", "SRV"), ERROR_SUCCESS);
    ASSERT_EQ(getText(first, "Comp1", text), ERROR_SUCCESS);
    EXPECT_EQ(text, "SRV");
    ASSERT_EQ(getText(second, "Comp0", text), ERROR_SUCCESS);
    EXPECT_EQ(text, "WKS1");
    ASSERT_EQ(setText(first, "Comp1", "SRV-FILES"), ERROR_SUCCESS);
    ASSERT_EQ(getText(second, "Comp1", text), ERROR_SUCCESS);
    EXPECT_EQ(text, "SRV-FILES");

    RegistryStore later(file_, "HKEY_CURRENT_USER");
    EXPECT_EQ(valueCount(later), 2u);
    // The file's own removal is seen too: the hive is empty again.
    fs::remove(file_);
    EXPECT_EQ(getText(first, "Comp0", text), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryStoreSharing, ManyWritesFromTwoProcessesAtOnceAreAllKept)
{
    constexpr int kWrites = 150;
    int gate[2];
    ASSERT_EQ(::pipe(gate), 0);
    std::vector<pid_t> children;
    for (const char* prefix : {"A", "B"}) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(gate[1]);
            char go;
            [[maybe_unused]] const ssize_t n = ::read(gate[0], &go, 1); // both start at once
            RegistryStore store(file_, "HKEY_CURRENT_USER");
            for (int i = 0; i < kWrites; ++i)
                if (setText(store, prefix + std::to_string(i), "value " + std::to_string(i)) != ERROR_SUCCESS)
                    ::_exit(1);
            ::_exit(0);
        }
        children.push_back(child);
    }
    ::close(gate[0]);
    ::close(gate[1]);
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    RegistryStore store(file_, "HKEY_CURRENT_USER");
    EXPECT_EQ(valueCount(store), 2u * kWrites);
    std::string text;
    EXPECT_EQ(getText(store, "A149", text), ERROR_SUCCESS);
    EXPECT_EQ(getText(store, "B0", text), ERROR_SUCCESS);
    std::vector<std::string> entries;
    for (const auto& e : fs::directory_iterator(directory_))
        entries.push_back(e.path().filename().string());
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, (std::vector<std::string>{"HKCU.reg", "HKCU.reg.lock"}));
}

TEST_F(RegistryStoreSharing, AKeyDeletedByTheOtherCopyIsGoneForOpenHandles)
{
    SetCurrentUserRegistryFile(file_);
    HKEY confirmations = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Ostrivel\\Quellvane\\Confirmations", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &confirmations, nullptr),
              ERROR_SUCCESS);
    const DWORD one = 1;
    ASSERT_EQ(RegSetValueExA(confirmations, "Quit", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), 4),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(confirmations, "CloseAll", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), 4),
              ERROR_SUCCESS);

    RegistryStore other(file_, "HKEY_CURRENT_USER");
    ASSERT_EQ(other.Modify([](RegistryKey& root, bool& changed) {
        RegistryKey* key = root.Find({"Software", "Ostrivel", "Quellvane", "Confirmations"});
        changed = key && key->DeleteValue("Quit");
        return DWORD{ERROR_SUCCESS};
    }),
              ERROR_SUCCESS);
    DWORD value = 0, size = 4;
    EXPECT_EQ(RegQueryValueExA(confirmations, "Quit", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size),
              ERROR_FILE_NOT_FOUND);

    ASSERT_EQ(other.Modify([](RegistryKey& root, bool& changed) {
        RegistryKey* key = root.Find({"Software", "Ostrivel"});
        changed = key && key->DeleteSubKey("Quellvane");
        return DWORD{ERROR_SUCCESS};
    }),
              ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueExA(confirmations, "CloseAll", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size),
              ERROR_KEY_DELETED);
    EXPECT_EQ(RegSetValueExA(confirmations, "CloseWindow", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), 4),
              ERROR_KEY_DELETED);
    EXPECT_EQ(other.Read([](const RegistryKey& root) {
        return root.Find({"Software", "Ostrivel", "Quellvane"}) ? DWORD{ERROR_SUCCESS} : DWORD{ERROR_FILE_NOT_FOUND};
    }),
              ERROR_FILE_NOT_FOUND);
    RegCloseKey(confirmations);
}

TEST_F(RegistryStoreSharing, AFileDamagedMeanwhileIsRefusedUntilItIsWholeAgain)
{
    RegistryStore store(file_, "HKEY_CURRENT_USER");
    ASSERT_EQ(setText(store, "Comp0", "WKS1"), ERROR_SUCCESS);

    const std::string damaged = "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\ComputersTree]\n\"x\"=hex:0g\n";
    replaceFile(file_, damaged);
    std::string text;
    EXPECT_EQ(getText(store, "Comp0", text), ERROR_BADDB);
    EXPECT_EQ(setText(store, "Comp1", "SRV"), ERROR_BADDB);
    EXPECT_EQ(contents(file_), damaged);
    EXPECT_EQ(store.Error(), file_ + ": line 3: \"0g\" is not a hex byte");

    // A folder in the file's place is no file either.
    fs::remove(file_);
    fs::create_directories(file_ + "/in-the-way");
    EXPECT_EQ(getText(store, "Comp0", text), ERROR_BADDB);
    EXPECT_EQ(setText(store, "Comp1", "SRV"), ERROR_BADDB);
    EXPECT_TRUE(fs::is_directory(file_ + "/in-the-way"));
    fs::remove_all(file_);

    replaceFile(file_, "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\ComputersTree]\n\"Comp0\"=\"SRV\"\n");
    ASSERT_EQ(getText(store, "Comp0", text), ERROR_SUCCESS);
    EXPECT_EQ(text, "SRV");
    EXPECT_EQ(setText(store, "Comp1", "WKS1"), ERROR_SUCCESS);
    RegistryStore later(file_, "HKEY_CURRENT_USER");
    EXPECT_EQ(valueCount(later), 2u);
}

// As root, the child process becomes another user, for whom the folder is
// read-only as it is for its owner otherwise.
TEST_F(RegistryStoreSharing, InAReadOnlyFolderReadsWorkAndWritesFailWithTheReason)
{
    const std::string folder = directory_ + "/read-only";
    fs::create_directories(folder);
    const std::string user = folder + "/HKCU.reg";
    const std::string machine = folder + "/HKLM.reg";
    {
        RegistryStore store(user, "HKEY_CURRENT_USER");
        ASSERT_EQ(setText(store, "Comp0", "WKS1"), ERROR_SUCCESS);
    }
    fs::copy_file(user, machine);
    fs::remove(user + ".lock"); // the user's file has none, the machine's has one it may not write
    std::ofstream(machine + ".lock").flush();
    fs::permissions(directory_, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                    fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
    const fs::perms readable = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
    fs::permissions(machine + ".lock", readable);
    fs::permissions(user, readable | fs::perms::owner_write);
    fs::permissions(machine, readable | fs::perms::owner_write);
    const std::string before = contents(user);

    const std::string report = inChildProcess([&]() -> std::string {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            return "cannot become another user";
        std::string failures;
        const auto check = [&](bool holds, const std::string& what) {
            if (!holds)
                failures += what + "\n";
        };
        for (const auto& [file, reason] : {std::pair{user, std::string("HKCU.reg.lock: cannot open the lock file")},
                                           std::pair{machine, std::string("cannot create a temporary file")}}) {
            RegistryStore store(file, "HKEY_CURRENT_USER");
            std::string text;
            check(getText(store, "Comp0", text) == ERROR_SUCCESS && text == "WKS1", file + ": not read");
            // Opening a key for writing that is there changes nothing.
            check(store.Modify([](RegistryKey&, bool&) { return DWORD{ERROR_SUCCESS}; }) == ERROR_SUCCESS,
                  file + ": a use that changes nothing failed");
            check(setText(store, "Comp1", "SRV") == ERROR_REGISTRY_IO_FAILED, file + ": the write did not fail");
            check(store.Error().find(reason) != std::string::npos, file + ": the reason is " + store.Error());
            check(getText(store, "Comp1", text) == ERROR_FILE_NOT_FOUND, file + ": the change was kept");
            check(getText(store, "Comp0", text) == ERROR_SUCCESS, file + ": not read after the failure");
        }
        return failures;
    });
    EXPECT_EQ(report, "");
    EXPECT_EQ(contents(user), before);
    EXPECT_FALSE(fs::exists(user + ".lock"));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 3);
}

} // namespace
