#include "SiteBuilder.h"

#include "platform/ErrorCodes.h"
#include "platform/Kernel32.h"
#include "platform/Registry.h"
#include "platform/RegistryFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

using namespace platform;
namespace fs = std::filesystem;

namespace {

// Closes a key at the end of a scope.
class Key {
public:
    Key() = default;
    ~Key()
    {
        if (handle)
            platform::RegCloseKey(handle);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    HKEY* operator&() { return &handle; }
    operator HKEY() const { return handle; }

    HKEY handle = nullptr;
};

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> subKeyNames(HKEY key)
{
    std::vector<std::string> names;
    char name[256];
    for (DWORD i = 0;; ++i) {
        DWORD size = sizeof name;
        const LONG code = platform::RegEnumKeyExA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr);
        if (code == ERROR_NO_MORE_ITEMS)
            break;
        EXPECT_EQ(code, ERROR_SUCCESS);
        if (code != ERROR_SUCCESS)
            break;
        names.emplace_back(name, size);
    }
    return names;
}

class RegistryFunctions : public ::testing::Test {
protected:
    void SetUp() override
    {
        site_.Computer("SERVER1", {.requiresConnection = true, .accounts = {{"admin", "pw"}}})
            .Computer("SERVER2", {.reachable = false})
            .Computer("SERVER3")
            .StandardEventLogs("WKS1")
            .StandardEventLogs("SERVER3", "C:\\WINNT")
            .Registry("WKS1", "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Test]\n"
                              "\"Text\"=\"hello\"\n"
                              "\"Expand\"=" + SiteBuilder::ExpandSz("%SystemRoot%\\x") + "\n"
                              "\"Multi\"=" + SiteBuilder::MultiSz({"one", "two"}) + "\n"
                              "\"Number\"=dword:deadbeef\n"
                              "\"Blob\"=hex:01,02,03\n"
                              "\"Long\"=\"" + std::string(300, 'x') + "\"\n"
                              "@=\"default\"\n"
                              "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Test\\beta]\n"
                              "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Test\\Alpha]\n"
                              "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Test\\GAMMA]\n");
        site_.Load();
    }

    static void openTest(Key& key, REGSAM access = KEY_READ)
    {
        ASSERT_EQ(platform::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Test", 0, access, &key), ERROR_SUCCESS);
    }

    SiteBuilder site_;
};

} // namespace

TEST_F(RegistryFunctions, ConnectsToTheComputerItIsGivenAndNoOther)
{
    const struct {
        const char* machine;
        LONG code;
        const char* systemRoot; // of the computer reached
    } cases[] = {
        {nullptr, ERROR_SUCCESS, "C:\\WINDOWS"},
        {"", ERROR_SUCCESS, "C:\\WINDOWS"},
        {"WKS1", ERROR_SUCCESS, "C:\\WINDOWS"},
        {"\\\\wks1", ERROR_SUCCESS, "C:\\WINDOWS"},
        {"SERVER3", ERROR_SUCCESS, "C:\\WINNT"},
        {"\\\\SERVER3", ERROR_SUCCESS, "C:\\WINNT"},
        {"NOSUCH", ERROR_BAD_NETPATH, nullptr},
        {"SERVER2", ERROR_BAD_NETPATH, nullptr},
        {"SERVER1", ERROR_ACCESS_DENIED, nullptr},
    };
    for (const auto& c : cases) {
        Key root;
        root.handle = reinterpret_cast<HKEY>(1);
        ASSERT_EQ(platform::RegConnectRegistryA(c.machine, HKEY_LOCAL_MACHINE, &root), c.code)
            << (c.machine ? c.machine : "(null)");
        if (!c.systemRoot) {
            EXPECT_EQ(root.handle, nullptr);
            continue;
        }
        Key version;
        ASSERT_EQ(platform::RegOpenKeyExA(root, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", 0, KEY_READ, &version),
                  ERROR_SUCCESS);
        char data[64];
        DWORD size = sizeof data;
        ASSERT_EQ(platform::RegQueryValueExA(version, "SystemRoot", nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size),
                  ERROR_SUCCESS);
        EXPECT_STREQ(data, c.systemRoot);
    }
    Key users;
    EXPECT_EQ(platform::RegConnectRegistryA("SERVER3", HKEY_USERS, &users), ERROR_INVALID_HANDLE);
    EXPECT_EQ(platform::RegConnectRegistryA("SERVER3", HKEY_CURRENT_USER, &users), ERROR_INVALID_HANDLE);
    EXPECT_EQ(platform::RegConnectRegistryA("SERVER3", HKEY_LOCAL_MACHINE, nullptr), ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryFunctions, AComputerThatRequiresAConnectionOpensAfterOne)
{
    Key root;
    ASSERT_EQ(platform::RegConnectRegistryA("\\\\SERVER1", HKEY_LOCAL_MACHINE, &root), ERROR_ACCESS_DENIED);
    ASSERT_EQ(SiteBuilder::Connect("\\\\SERVER1\\IPC$", "admin", "pw"), ERROR_SUCCESS);
    EXPECT_EQ(platform::RegConnectRegistryA("\\\\SERVER1", HKEY_LOCAL_MACHINE, &root), ERROR_SUCCESS);
    Key missing;
    EXPECT_EQ(platform::RegOpenKeyExA(root, "SYSTEM", 0, KEY_READ, &missing), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryFunctions, OpensKeysByPathWithoutRegardToCase)
{
    Key test, again, parent, child, bad;
    EXPECT_EQ(platform::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "software\\TEST\\", 0, KEY_READ, &test), ERROR_SUCCESS);
    EXPECT_EQ(platform::RegOpenKeyExA(test, nullptr, 0, KEY_READ, &again), ERROR_SUCCESS);
    EXPECT_NE(again.handle, test.handle);
    EXPECT_EQ(platform::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_READ, &parent), ERROR_SUCCESS);
    EXPECT_EQ(platform::RegOpenKeyExA(parent, "Test\\alpha", 0, KEY_READ, &child), ERROR_SUCCESS);
    EXPECT_EQ(platform::RegOpenKeyExA(parent, "Test\\Missing", 0, KEY_READ, &bad), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(bad.handle, nullptr);
    EXPECT_EQ(platform::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "\\SOFTWARE", 0, KEY_READ, &bad), ERROR_BAD_PATHNAME);
    EXPECT_EQ(platform::RegOpenKeyExA(reinterpret_cast<HKEY>(0x4321), "x", 0, KEY_READ, &bad), ERROR_INVALID_HANDLE);
    EXPECT_EQ(platform::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "x", 0, KEY_READ, nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(platform::RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
    EXPECT_EQ(platform::RegCloseKey(reinterpret_cast<HKEY>(0x4321)), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryFunctions, EnumeratesSubkeysInTheirSortedOrderAndValuesInTheirs)
{
    Key test;
    openTest(test);
    EXPECT_EQ(subKeyNames(test), (std::vector<std::string>{"Alpha", "beta", "GAMMA"}));
    Key eventLog;
    ASSERT_EQ(platform::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\EventLog", 0,
                                      KEY_ENUMERATE_SUB_KEYS, &eventLog),
              ERROR_SUCCESS);
    EXPECT_EQ(subKeyNames(eventLog), (std::vector<std::string>{"Application", "Security", "System"}));

    char name[8];
    DWORD size = 5;
    EXPECT_EQ(platform::RegEnumKeyExA(test, 0, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
    size = 6;
    EXPECT_EQ(platform::RegEnumKeyExA(test, 0, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(size, 5u);

    std::vector<std::string> values;
    char valueName[32];
    for (DWORD i = 0;; ++i) {
        DWORD nameSize = sizeof valueName;
        DWORD type = 0;
        const LONG code = platform::RegEnumValueA(test, i, valueName, &nameSize, nullptr, &type, nullptr, nullptr);
        if (code == ERROR_NO_MORE_ITEMS)
            break;
        ASSERT_EQ(code, ERROR_SUCCESS);
        values.push_back(std::string(valueName, nameSize) + ":" + std::to_string(type));
    }
    EXPECT_EQ(values, (std::vector<std::string>{"Text:1", "Expand:2", "Multi:7", "Number:4", "Blob:3", "Long:1", ":1"}));

    BYTE data[4];
    DWORD dataSize = sizeof data;
    DWORD nameSize = sizeof valueName;
    EXPECT_EQ(platform::RegEnumValueA(test, 0, valueName, &nameSize, nullptr, nullptr, data, &dataSize), ERROR_MORE_DATA);
    EXPECT_EQ(dataSize, 6u);
}

TEST_F(RegistryFunctions, QueriesValuesOfEveryType)
{
    Key test;
    openTest(test);
    const struct {
        const char* name;
        DWORD type;
        std::vector<BYTE> data;
    } cases[] = {
        {"Text", REG_SZ, {'h', 'e', 'l', 'l', 'o', 0}},
        {"expand", REG_EXPAND_SZ, {'%', 'S', 'y', 's', 't', 'e', 'm', 'R', 'o', 'o', 't', '%', '\\', 'x', 0}},
        {"Multi", REG_MULTI_SZ, {'o', 'n', 'e', 0, 't', 'w', 'o', 0, 0}},
        {"Number", REG_DWORD, {0xef, 0xbe, 0xad, 0xde}},
        {"Blob", REG_BINARY, {1, 2, 3}},
        {"", REG_SZ, {'d', 'e', 'f', 'a', 'u', 'l', 't', 0}},
    };
    for (const auto& c : cases) {
        DWORD type = 0;
        DWORD size = 0;
        ASSERT_EQ(platform::RegQueryValueExA(test, c.name, nullptr, &type, nullptr, &size), ERROR_SUCCESS) << c.name;
        EXPECT_EQ(type, c.type) << c.name;
        ASSERT_EQ(size, c.data.size()) << c.name;
        std::vector<BYTE> data(size);
        ASSERT_EQ(platform::RegQueryValueExA(test, c.name, nullptr, nullptr, data.data(), &size), ERROR_SUCCESS);
        EXPECT_EQ(data, c.data) << c.name;
    }
    DWORD type = 0;
    EXPECT_EQ(platform::RegQueryValueExA(test, nullptr, nullptr, &type, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
}

TEST_F(RegistryFunctions, ABufferTooSmallGivesTheSizeNeeded)
{
    Key test;
    openTest(test);
    std::vector<BYTE> buffer(255, 0xAA);
    DWORD size = 255;
    DWORD type = 0;
    EXPECT_EQ(platform::RegQueryValueExA(test, "Long", nullptr, &type, buffer.data(), &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 301u);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(buffer, std::vector<BYTE>(255, 0xAA));
    buffer.resize(size);
    EXPECT_EQ(platform::RegQueryValueExA(test, "Long", nullptr, &type, buffer.data(), &size), ERROR_SUCCESS);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer.data())), std::string(300, 'x'));

    EXPECT_EQ(platform::RegQueryValueExA(test, "Missing", nullptr, &type, buffer.data(), &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(platform::RegQueryValueExA(test, "Text", nullptr, &type, buffer.data(), nullptr), ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryFunctions, TellsAboutAKey)
{
    Key test;
    openTest(test);
    DWORD subKeys = 0, maxSubKey = 0, maxClass = 9, values = 0, maxValueName = 0, maxValue = 0;
    FILETIME written{};
    ASSERT_EQ(platform::RegQueryInfoKeyA(test, nullptr, nullptr, nullptr, &subKeys, &maxSubKey, &maxClass, &values,
                                         &maxValueName, &maxValue, nullptr, &written),
              ERROR_SUCCESS);
    EXPECT_EQ(subKeys, 3u);
    EXPECT_EQ(maxSubKey, 5u);
    EXPECT_EQ(maxClass, 0u);
    EXPECT_EQ(values, 7u);
    EXPECT_EQ(maxValueName, 6u);
    EXPECT_EQ(maxValue, 301u);
    EXPECT_NE(written.dwHighDateTime, 0u);
}

TEST_F(RegistryFunctions, ChecksTheRightsAKeyWasOpenedWith)
{
    Key enumerateOnly, queryOnly;
    openTest(enumerateOnly, KEY_ENUMERATE_SUB_KEYS);
    openTest(queryOnly, KEY_QUERY_VALUE);
    DWORD size = 0;
    EXPECT_EQ(platform::RegQueryValueExA(enumerateOnly, "Text", nullptr, nullptr, nullptr, &size), ERROR_ACCESS_DENIED);
    DWORD values = 0;
    EXPECT_EQ(platform::RegQueryInfoKeyA(enumerateOnly, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                                         nullptr, nullptr, nullptr, nullptr),
              ERROR_ACCESS_DENIED);
    char name[16];
    DWORD nameSize = sizeof name;
    EXPECT_EQ(platform::RegEnumKeyExA(queryOnly, 0, name, &nameSize, nullptr, nullptr, nullptr, nullptr),
              ERROR_ACCESS_DENIED);
    const BYTE one[] = {1, 0, 0, 0};
    EXPECT_EQ(platform::RegSetValueExA(queryOnly, "x", 0, REG_DWORD, one, 4), ERROR_ACCESS_DENIED);
    EXPECT_EQ(platform::RegDeleteValueA(queryOnly, "Text"), ERROR_ACCESS_DENIED);
    Key created;
    EXPECT_EQ(platform::RegCreateKeyExA(queryOnly, "New", 0, nullptr, 0, KEY_READ, nullptr, &created, nullptr),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(platform::RegCreateKeyExA(queryOnly, "alpha", 0, nullptr, 0, KEY_READ, nullptr, &created, nullptr),
              ERROR_SUCCESS); // opening an existing key needs no right on its parent
}

TEST_F(RegistryFunctions, ChangesAreWrittenToTheComputersRegistryFile)
{
    Key root;
    ASSERT_EQ(platform::RegConnectRegistryA("SERVER3", HKEY_LOCAL_MACHINE, &root), ERROR_SUCCESS);
    Key log;
    DWORD disposition = 0;
    ASSERT_EQ(platform::RegCreateKeyExA(root, "SYSTEM\\CurrentControlSet\\Services\\EventLog\\System", 0, nullptr, 0,
                                        KEY_ALL_ACCESS, nullptr, &log, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
    const DWORD maxSize = 1024 * 1024;
    ASSERT_EQ(platform::RegSetValueExA(log, "MaxSize", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&maxSize), 4),
              ERROR_SUCCESS);
    Key created;
    ASSERT_EQ(platform::RegCreateKeyExA(log, "New Source\\Deeper", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &created,
                                        &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
    ASSERT_EQ(platform::RegDeleteValueA(log, "Retention"), ERROR_SUCCESS);
    EXPECT_EQ(platform::RegDeleteValueA(log, "Retention"), ERROR_FILE_NOT_FOUND);

    const std::string file = site_.HostDirectory("SERVER3") + "/registry/HKLM.reg";
    EXPECT_EQ(readFile(file).substr(0, 2), "\xFF\xFE");
    RegistryKey written;
    std::string error;
    ASSERT_EQ(ReadRegistryFile(file, "HKEY_LOCAL_MACHINE", written, error), RegistryFileStatus::Loaded) << error;
    const RegistryKey* system = written.Find({"SYSTEM", "CurrentControlSet", "Services", "EventLog", "System"});
    ASSERT_NE(system, nullptr);
    EXPECT_EQ(system->FindValue("MaxSize")->data, (std::vector<BYTE>{0, 0, 0x10, 0}));
    EXPECT_EQ(system->FindValue("Retention"), nullptr);
    EXPECT_NE(system->Find({"new source", "DEEPER"}), nullptr);

    // The local computer's registry is a file of its own.
    RegistryKey local;
    ASSERT_EQ(ReadRegistryFile(site_.HostDirectory("WKS1") + "/registry/HKLM.reg", "HKEY_LOCAL_MACHINE", local, error),
              RegistryFileStatus::Loaded);
    EXPECT_EQ(local.Find({"SYSTEM", "CurrentControlSet", "Services", "EventLog", "System"})->FindValue("MaxSize")->data,
              (std::vector<BYTE>{0, 0, 8, 0}));
}

TEST_F(RegistryFunctions, RefusesNamesTheRegistryFileCannotHold)
{
    Key test;
    openTest(test, KEY_ALL_ACCESS);
    Key created;
    EXPECT_EQ(platform::RegCreateKeyExA(test, std::string(256, 'k').c_str(), 0, nullptr, 0, KEY_READ, nullptr, &created,
                                        nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(platform::RegCreateKeyExA(test, "two\nlines", 0, nullptr, 0, KEY_READ, nullptr, &created, nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(platform::RegCreateKeyExA(test, "\\Rooted", 0, nullptr, 0, KEY_READ, nullptr, &created, nullptr),
              ERROR_BAD_PATHNAME);
    EXPECT_EQ(platform::RegCreateKeyExA(test, nullptr, 0, nullptr, 0, KEY_READ, nullptr, &created, nullptr),
              ERROR_INVALID_PARAMETER);
    const BYTE data[] = {'a', 0};
    EXPECT_EQ(platform::RegSetValueExA(test, "two\r\nlines", 0, REG_SZ, data, 2), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(platform::RegSetValueExA(test, "x", 0, REG_SZ, nullptr, 2), ERROR_INVALID_PARAMETER);
    const BYTE badText[] = {'a', 0xFF, 0};
    ASSERT_EQ(platform::RegSetValueExA(test, "Bad", 0, REG_SZ, badText, 3), ERROR_SUCCESS);
    char text[8];
    DWORD size = sizeof text;
    ASSERT_EQ(platform::RegQueryValueExA(test, "Bad", nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(std::string(text, size), std::string("a\xEF\xBF\xBD") + '\0');
}

TEST_F(RegistryFunctions, CurrentUserSettingsSurviveInTheirFile)
{
    Key settings;
    DWORD disposition = 0;
    ASSERT_EQ(platform::RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Ostrivel\\Quellvane\\Confirmations", 0, nullptr, 0,
                                        KEY_ALL_ACCESS, nullptr, &settings, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
    const DWORD one = 1;
    ASSERT_EQ(platform::RegSetValueExA(settings, "Quit", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), 4),
              ERROR_SUCCESS);
    // A new process reads the same file.
    SetCurrentUserRegistryFile(site_.UserRegistryFile());
    Key reopened;
    ASSERT_EQ(platform::RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\OSTRIVEL\\QUELLVANE\\CONFIRMATIONS", 0, KEY_READ,
                                      &reopened),
              ERROR_SUCCESS);
    DWORD value = 0, size = 4;
    ASSERT_EQ(platform::RegQueryValueExA(reopened, "quit", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(value, 1u);
    Key viaConnect;
    EXPECT_EQ(platform::RegConnectRegistryA(nullptr, HKEY_CURRENT_USER, &viaConnect), ERROR_SUCCESS);
    std::vector<std::string> entries;
    for (const auto& e : fs::directory_iterator(fs::path(site_.UserRegistryFile()).parent_path()))
        entries.push_back(e.path().filename().string());
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, (std::vector<std::string>{"HKCU.reg", "HKCU.reg.lock"}));
}

TEST_F(RegistryFunctions, ADamagedUserFileIsRefusedAndKept)
{
    const std::string damaged = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software]\r\n\"x\"=\r\n";
    fs::create_directories(fs::path(site_.UserRegistryFile()).parent_path());
    std::ofstream(site_.UserRegistryFile(), std::ios::binary) << damaged;
    SetCurrentUserRegistryFile(site_.UserRegistryFile());
    Key key;
    EXPECT_EQ(platform::RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &key), ERROR_BADDB);
    EXPECT_EQ(platform::RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\New", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                        nullptr),
              ERROR_BADDB);
    EXPECT_EQ(readFile(site_.UserRegistryFile()), damaged);
    EXPECT_NE(CurrentUserRegistry()->Error().find("line 4: the value has no data"), std::string::npos);
}

TEST_F(RegistryFunctions, AreExportedByBothModules)
{
    for (const char* module : {"advapi32.dll", "varovu32.dll"}) {
        HMODULE m = LoadLibraryA(module);
        ASSERT_NE(m, nullptr);
        for (const char* name : {"RegConnectRegistryA", "RegOpenKeyExA", "RegCreateKeyExA", "RegCloseKey",
                                 "RegEnumKeyExA", "RegEnumValueA", "RegQueryInfoKeyA", "RegQueryValueExA",
                                 "RegSetValueExA", "RegDeleteValueA"})
            EXPECT_NE(GetProcAddress(m, name), nullptr) << module << "!" << name;
        FreeLibrary(m);
    }
}
