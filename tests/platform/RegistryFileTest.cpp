#include "platform/RegistryFile.h"
#include "platform/RegistryStore.h"
#include "platform/RegistryTypes.h"
#include "platform/ErrorCodes.h"
#include "platform/FileIo.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

using namespace platform;
namespace fs = std::filesystem;

namespace {

std::vector<BYTE> bytesOf(std::string_view text, bool withNul = true)
{
    std::vector<BYTE> data(text.begin(), text.end());
    if (withNul)
        data.push_back(0);
    return data;
}

std::vector<BYTE> dword(DWORD v)
{
    return {static_cast<BYTE>(v), static_cast<BYTE>(v >> 8), static_cast<BYTE>(v >> 16), static_cast<BYTE>(v >> 24)};
}

// Equal names, values (in order) and subkeys (in order), recursively.
void expectSameTree(const RegistryKey& a, const RegistryKey& b, const std::string& path = "")
{
    ASSERT_EQ(a.ValueCount(), b.ValueCount()) << path;
    for (std::size_t i = 0; i < a.ValueCount(); ++i) {
        EXPECT_EQ(a.ValueAt(i).name, b.ValueAt(i).name) << path;
        EXPECT_EQ(a.ValueAt(i).type, b.ValueAt(i).type) << path << " " << a.ValueAt(i).name;
        EXPECT_EQ(a.ValueAt(i).data, b.ValueAt(i).data) << path << " " << a.ValueAt(i).name;
    }
    ASSERT_EQ(a.SubKeyCount(), b.SubKeyCount()) << path;
    for (std::size_t i = 0; i < a.SubKeyCount(); ++i) {
        EXPECT_EQ(a.SubKeyAt(i).Name(), b.SubKeyAt(i).Name()) << path;
        expectSameTree(a.SubKeyAt(i), b.SubKeyAt(i), path + "\\" + a.SubKeyAt(i).Name());
    }
}

RegistryKey sampleTree()
{
    RegistryKey root;
    RegistryKey& log = root.CreateSubKey("SYSTEM").CreateSubKey("CurrentControlSet").CreateSubKey("Services")
                           .CreateSubKey("EventLog").CreateSubKey("System");
    log.SetValue("File", REG_EXPAND_SZ, bytesOf("%SystemRoot%\\system32\\config\\SysEvent.Evt"));
    log.SetValue("MaxSize", REG_DWORD, dword(0x80000));
    log.SetValue("Retention", REG_DWORD, dword(0xFFFFFFFF));
    log.SetValue("Sources", REG_MULTI_SZ, std::vector<BYTE>{'A', 0, 'B', 'c', 0, 0});
    std::vector<BYTE> binary(300);
    for (std::size_t i = 0; i < binary.size(); ++i)
        binary[i] = static_cast<BYTE>(i * 7);
    log.SetValue("Blob", REG_BINARY, binary);
    log.SetValue("", REG_SZ, bytesOf("default \"quoted\" C:\\path\\"));
    log.SetValue("Text \"name\" \\", REG_SZ, bytesOf("Žluťoučký kůň — 日本"));
    log.SetValue("Two lines", REG_SZ, bytesOf("first\r\nsecond"));
    log.SetValue("No terminator", REG_SZ, bytesOf("abc", false));
    log.SetValue("Quad", 11, std::vector<BYTE>{1, 2, 3, 4, 5, 6, 7, 8});
    log.SetValue("Short dword", REG_DWORD, std::vector<BYTE>{1, 2});
    log.SetValue("Empty", REG_BINARY, {});
    root.CreateSubKey("SOFTWARE").CreateSubKey("Empty key");
    root.CreateSubKey("SOFTWARE").CreateSubKey("Ключ");
    return root;
}

std::string utf16le(std::string_view ascii)
{
    std::string out = "\xFF\xFE";
    for (char c : ascii) {
        out += c;
        out += '\0';
    }
    return out;
}

} // namespace

TEST(RegistryFile, RoundTripsEveryTypeInBothEncodings)
{
    const RegistryKey tree = sampleTree();
    for (RegistryFileEncoding encoding : {RegistryFileEncoding::Utf16LE, RegistryFileEncoding::Utf8}) {
        const std::string file = FormatRegistryFile(tree, "HKEY_LOCAL_MACHINE", encoding);
        RegistryKey parsed;
        std::string error;
        ASSERT_TRUE(ParseRegistryFile(file, "HKEY_LOCAL_MACHINE", parsed, error)) << error;
        expectSameTree(tree, parsed);
        EXPECT_EQ(FormatRegistryFile(parsed, "HKEY_LOCAL_MACHINE", encoding), file);
    }
}

TEST(RegistryFile, WritesWhatTheEditorWrites)
{
    RegistryKey root;
    RegistryKey& key = root.CreateSubKey("SOFTWARE").CreateSubKey("Ostrivel");
    key.SetValue("Path", REG_SZ, bytesOf("C:\\Program Files"));
    key.SetValue("Count", REG_DWORD, dword(10));
    key.SetValue("Root", REG_EXPAND_SZ, bytesOf("%A%"));
    const std::string text = FormatRegistryFile(root, "HKEY_CURRENT_USER", RegistryFileEncoding::Utf8);
    EXPECT_EQ(text, "Windows Registry Editor Version 5.00\r\n\r\n"
                    "[HKEY_CURRENT_USER\\SOFTWARE]\r\n\r\n"
                    "[HKEY_CURRENT_USER\\SOFTWARE\\Ostrivel]\r\n"
                    "\"Path\"=\"C:\\\\Program Files\"\r\n"
                    "\"Count\"=dword:0000000a\r\n"
                    "\"Root\"=hex(2):25,00,41,00,25,00,00,00\r\n\r\n");
    const std::string utf16 = FormatRegistryFile(root, "HKEY_CURRENT_USER");
    EXPECT_EQ(utf16.substr(0, 4), std::string("\xFF\xFEW\0", 4));
    EXPECT_EQ(utf16.size(), 2 + 2 * text.size());
}

TEST(RegistryFile, ReadsAFileWrittenByTheEditor)
{
    // An export as the editor writes it: UTF-16LE with its byte-order mark,
    // CR LF, hex lists wrapped with a trailing backslash.
    const std::string file = utf16le(
        "Windows Registry Editor Version 5.00\r\n"
        "\r\n"
        "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Eventlog\\System]\r\n"
        "\"File\"=hex(2):25,00,53,00,79,00,73,00,74,00,65,00,6d,00,52,00,6f,00,6f,00,74,\\\r\n"
        "  00,25,00,5c,00,73,00,79,00,73,00,74,00,65,00,6d,00,33,00,32,00,5c,00,63,00,\\\r\n"
        "  6f,00,6e,00,66,00,69,00,67,00,5c,00,53,00,79,00,73,00,45,00,76,00,65,00,6e,\\\r\n"
        "  00,74,00,2e,00,45,00,76,00,74,00,00,00\r\n"
        "\"MaxSize\"=dword:00080000\r\n"
        "\"Sources\"=hex(7):45,00,76,00,65,00,6e,00,74,00,4c,00,6f,00,67,00,00,00,00,00\r\n"
        "@=\"\"\r\n"
        "\r\n"
        "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Eventlog\\System\\EventLog]\r\n"
        "\"TypesSupported\"=dword:00000007\r\n"
        "\r\n");
    RegistryKey root;
    std::string error;
    ASSERT_TRUE(ParseRegistryFile(file, "HKEY_LOCAL_MACHINE", root, error)) << error;
    const RegistryKey* log = root.Find({"system", "currentcontrolset", "services", "EVENTLOG", "System"});
    ASSERT_NE(log, nullptr);
    const RegistryValue* value = log->FindValue("file");
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->type, REG_EXPAND_SZ);
    EXPECT_EQ(value->data, bytesOf("%SystemRoot%\\system32\\config\\SysEvent.Evt"));
    EXPECT_EQ(log->FindValue("MaxSize")->data, dword(0x80000));
    EXPECT_EQ(log->FindValue("Sources")->data, (std::vector<BYTE>{'E', 'v', 'e', 'n', 't', 'L', 'o', 'g', 0, 0}));
    EXPECT_EQ(log->FindValue("")->data, bytesOf(""));
    EXPECT_EQ(log->SubKeyCount(), 1u);
}

TEST(RegistryFile, ReadsRegedit4WithTextInTheCodePage)
{
    const std::string file = "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\A]\n\"Path\"=hex(2):25,41,25,00\n"
                             "\"Text\"=\"caf\xC3\xA9\"\n";
    RegistryKey root;
    std::string error;
    ASSERT_TRUE(ParseRegistryFile(file, "HKEY_LOCAL_MACHINE", root, error)) << error;
    EXPECT_EQ(root.Find({"A"})->FindValue("Path")->data, bytesOf("%A%"));
    EXPECT_EQ(root.Find({"A"})->FindValue("Text")->data, bytesOf("caf\xC3\xA9"));
}

TEST(RegistryFile, AppliesDeletionsAsAnImportDoes)
{
    const std::string file = "Windows Registry Editor Version 5.00\n"
                             "[HKEY_LOCAL_MACHINE\\A\\B]\n\"x\"=\"1\"\n\"y\"=\"2\"\n"
                             "[HKEY_LOCAL_MACHINE\\A\\C]\n"
                             "[-HKEY_LOCAL_MACHINE\\A\\C]\n\"ignored\"=\"3\"\n"
                             "[HKEY_LOCAL_MACHINE\\A\\B]\n\"x\"=-\n";
    RegistryKey root;
    std::string error;
    ASSERT_TRUE(ParseRegistryFile(file, "HKEY_LOCAL_MACHINE", root, error)) << error;
    const RegistryKey* a = root.FindSubKey("A");
    ASSERT_EQ(a->SubKeyCount(), 1u);
    EXPECT_EQ(a->FindSubKey("B")->ValueCount(), 1u);
    EXPECT_NE(a->FindSubKey("B")->FindValue("y"), nullptr);
}

TEST(RegistryFile, RefusesDamagedFilesWithTheLineAndKeepsWhatItHad)
{
    const std::string header = "Windows Registry Editor Version 5.00\r\n";
    const struct {
        std::string text;
        const char* error;
    } cases[] = {
        {"", "the file is empty"},
        {"\r\n  \r\n", "the file is empty"},
        {"[HKEY_LOCAL_MACHINE\\A]\r\n", "line 1: not a registry file"},
        {header + "[HKEY_CURRENT_USER\\A]\r\n", "line 2: the key \"HKEY_CURRENT_USER\\A\" does not lie below"},
        {header + "\"x\"=\"1\"\r\n", "line 2: a value before the first key"},
        {header + "[HKEY_LOCAL_MACHINE\\A\r\n", "line 2: a key line must end with ']'"},
        {header + "[HKEY_LOCAL_MACHINE\\A\\\\B]\r\n", "line 2: the key \"HKEY_LOCAL_MACHINE\\A\\\\B\" has an empty name"},
        {header + "[HKEY_LOCAL_MACHINE\\A]\r\n\"x=\"1\"\r\n", "line 3: '=' expected"},
        {header + "[HKEY_LOCAL_MACHINE\\A]\r\n\"x\"=\"1\r\n", "line 3: the text value has no closing quote"},
        {header + "[HKEY_LOCAL_MACHINE\\A]\r\n\"x\"=\"1\" 2\r\n", "line 3: unexpected text after the closing quote"},
        {header + "[HKEY_LOCAL_MACHINE\\A]\r\n\"x\"=dword:123456789\r\n", "line 3: dword: must be followed"},
        {header + "[HKEY_LOCAL_MACHINE\\A]\r\n\"x\"=hex:01,zz\r\n", "line 3: \"zz\" is not a hex byte"},
        {header + "[HKEY_LOCAL_MACHINE\\A]\r\n\"x\"=hex:01,,02\r\n", "line 3: an empty entry in a hex list"},
        {header + "[HKEY_LOCAL_MACHINE\\A]\r\n\"x\"=hex(q):01\r\n", "line 3: hex( must be followed"},
        {header + "[HKEY_LOCAL_MACHINE\\A]\r\n\"x\"=hex:01,\\\r\n  02,\\", "line 4: the file ends inside a hex list"},
        {header + "[HKEY_LOCAL_MACHINE\\A]\r\n\"x\"=hex:01,\\\r\n[HKEY_LOCAL_MACHINE\\B]\r\n", "line 4: \"[HKEY_LOCAL"},
        {header + "[HKEY_LOCAL_MACHINE\\A]\r\n\"x\"=text\r\n", "line 3: unknown kind of value data \"text\""},
        {header + "[HKEY_LOCAL_MACHINE\\A]\r\n\"x\"= \r\n", "line 3: the value has no data after '='"},
        {header + "[HKEY_LOCAL_MACHINE\\A]\r\nstray\r\n", "line 3: unexpected text \"stray\""},
        {header + "[HKEY_LOCAL_MACHINE\\A]\r\n\"x\"=\"caf\xE9\"\r\n", "line 3: the text is neither UTF-8"},
        {header + "[HKEY_LOCAL_MACHINE\\A]\r\n\"x\"=\"a" + std::string(1, '\0') + "\"\r\n", "line 3: the line holds a NUL"},
        {header + "[HKEY_LOCAL_MACHINE\\" + std::string(256, 'k') + "]\r\n", "line 2: a key name is longer than 255"},
        {header + "[-HKEY_LOCAL_MACHINE]\r\n", "line 2: the root key cannot be deleted"},
        {std::string("\xFF\xFE\x41", 3), "the file ends in the middle of a UTF-16 character"},
        {std::string("\xFF\xFE" "R\0\n\0\x00\xD8", 8), "line 2: the UTF-16 text holds an unpaired surrogate"},
    };
    for (const auto& c : cases) {
        RegistryKey root;
        root.CreateSubKey("Kept");
        std::string error;
        EXPECT_FALSE(ParseRegistryFile(c.text, "HKEY_LOCAL_MACHINE", root, error)) << c.error;
        EXPECT_EQ(error.rfind(c.error, 0), 0u) << "got: " << error;
        EXPECT_EQ(root.SubKeyCount(), 1u);
        EXPECT_NE(root.FindSubKey("Kept"), nullptr);
    }
    std::string deep = header + "[HKEY_LOCAL_MACHINE";
    for (int i = 0; i < 513; ++i)
        deep += "\\k";
    RegistryKey root;
    std::string error;
    EXPECT_FALSE(ParseRegistryFile(deep + "]\r\n", "HKEY_LOCAL_MACHINE", root, error));
    EXPECT_EQ(error, "line 2: the key lies more than 512 levels deep");
}

class RegistryFileOnDisk : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "qvreg-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        directory_ = pattern;
    }
    void TearDown() override { fs::remove_all(directory_); }

    std::string path(const std::string& name) const { return (fs::path(directory_) / name).string(); }
    static std::string contents(const std::string& file)
    {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::vector<std::string> leftovers() const
    {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(directory_))
            names.push_back(e.path().filename().string());
        return names;
    }

    std::string directory_;
};

TEST_F(RegistryFileOnDisk, WritesAtomicallyAndReadsBack)
{
    const std::string file = path("sub/dir/HKCU.reg");
    std::string error;
    ASSERT_TRUE(WriteRegistryFile(file, sampleTree(), "HKEY_CURRENT_USER", error)) << error;
    EXPECT_EQ(contents(file).substr(0, 2), "\xFF\xFE");
    RegistryKey read;
    ASSERT_EQ(ReadRegistryFile(file, "HKEY_CURRENT_USER", read, error), RegistryFileStatus::Loaded) << error;
    expectSameTree(sampleTree(), read);
    EXPECT_NE(read.FindSubKey("SOFTWARE")->LastWriteTime().dwHighDateTime, 0u);

    EXPECT_EQ(ReadRegistryFile(path("missing.reg"), "HKEY_CURRENT_USER", read, error), RegistryFileStatus::Missing);
}

TEST_F(RegistryFileOnDisk, AFailedWriteLeavesNothingBehind)
{
    const std::string target = path("target.reg");
    fs::create_directories(fs::path(target) / "in-the-way");
    std::string error;
    EXPECT_FALSE(WriteRegistryFile(target, sampleTree(), "HKEY_CURRENT_USER", error));
    EXPECT_NE(error.find("target.reg: cannot replace the file"), std::string::npos) << error;
    EXPECT_EQ(leftovers(), std::vector<std::string>{"target.reg"});
}

TEST_F(RegistryFileOnDisk, ALinkIsWrittenThroughToItsTarget)
{
    // config/HKCU.reg -> ../dotfiles/hkcu.reg (relative) -> store/final.reg
    // (absolute), as a user who keeps settings elsewhere links them.
    fs::create_directories(path("config"));
    fs::create_directories(path("dotfiles"));
    fs::create_directories(path("store"));
    const std::string link = path("config/HKCU.reg");
    const std::string final = path("store/final.reg");
    std::ofstream(final, std::ios::binary) << "old contents";
    fs::create_symlink(final, path("dotfiles/hkcu.reg"));
    fs::create_symlink("../dotfiles/hkcu.reg", link);

    std::string error;
    ASSERT_TRUE(WriteRegistryFile(link, sampleTree(), "HKEY_CURRENT_USER", error)) << error;
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_TRUE(fs::is_symlink(path("dotfiles/hkcu.reg")));
    RegistryKey read;
    ASSERT_EQ(ReadRegistryFile(final, "HKEY_CURRENT_USER", read, error), RegistryFileStatus::Loaded) << error;
    expectSameTree(sampleTree(), read);
    // The temporary file lay beside the target and is gone.
    for (const char* folder : {"config", "dotfiles", "store"})
        EXPECT_EQ(std::distance(fs::directory_iterator(path(folder)), fs::directory_iterator()), 1) << folder;

    // A link whose target does not exist yet gets it made.
    const std::string dangling = path("dangling.reg");
    fs::create_symlink("later/made.reg", dangling);
    ASSERT_TRUE(WriteRegistryFile(dangling, sampleTree(), "HKEY_CURRENT_USER", error)) << error;
    EXPECT_TRUE(fs::is_symlink(dangling));
    EXPECT_TRUE(fs::is_regular_file(path("later/made.reg")));

    // Links that lead round in a circle are refused, and nothing is written.
    fs::create_symlink("loop-b.reg", path("loop-a.reg"));
    fs::create_symlink("loop-a.reg", path("loop-b.reg"));
    EXPECT_FALSE(WriteRegistryFile(path("loop-a.reg"), sampleTree(), "HKEY_CURRENT_USER", error));
    EXPECT_NE(error.find("loop-a.reg: cannot follow the link"), std::string::npos) << error;
    EXPECT_TRUE(fs::is_symlink(path("loop-a.reg")));
}

TEST_F(RegistryFileOnDisk, FilesReplacedAtomicallyAreWrittenThroughLinks)
{
    const std::string target = path("data.evt");
    const std::string link = path("link.evt");
    std::ofstream(target, std::ios::binary) << "old";
    fs::create_symlink("data.evt", link);
    const std::string bytes = "new contents";
    std::string why;
    ASSERT_EQ(WriteFileAtomically(link, reinterpret_cast<const BYTE*>(bytes.data()), bytes.size(), true, why),
              DWORD{ERROR_SUCCESS})
        << why;
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(contents(target), bytes);
    // Without replacing, a link is an existing file like any other.
    EXPECT_EQ(WriteFileAtomically(link, reinterpret_cast<const BYTE*>(bytes.data()), bytes.size(), false, why),
              DWORD{ERROR_ALREADY_EXISTS});
    EXPECT_EQ(leftovers().size(), 2u);
}

// Names of 255 bytes, the longest a folder takes; the second one's cut for a
// temporary falls inside a two-byte character.
std::vector<std::string> longestNames()
{
    std::string accented;
    for (int i = 0; i < 125; ++i)
        accented += "\xC3\xA9"; // e acute
    return {std::string(251, 'x') + ".evt", accented + "a.evt"};
}

TEST_F(RegistryFileOnDisk, FilesWithNamesOfTheLongestLengthAreWrittenAtomically)
{
    fs::create_directories(path("evt"));
    fs::create_directories(path("reg"));
    for (const std::string& name : longestNames()) {
        SCOPED_TRACE(name);
        ASSERT_EQ(name.size(), 255u);
        const std::string file = path("evt/" + name);
        const std::string first = "first", second = "second contents";
        std::string why;
        ASSERT_EQ(WriteFileAtomically(file, reinterpret_cast<const BYTE*>(first.data()), first.size(), false, why),
                  DWORD{ERROR_SUCCESS})
            << why;
        EXPECT_EQ(contents(file), first);
        fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
        ASSERT_EQ(WriteFileAtomically(file, reinterpret_cast<const BYTE*>(second.data()), second.size(), true, why),
                  DWORD{ERROR_SUCCESS})
            << why;
        EXPECT_EQ(contents(file), second);
        EXPECT_EQ(fs::status(file).permissions(),
                  fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

        const std::string registry = path("reg/" + name);
        std::string error;
        ASSERT_TRUE(WriteRegistryFile(registry, sampleTree(), "HKEY_CURRENT_USER", error)) << error;
        ASSERT_TRUE(WriteRegistryFile(registry, sampleTree(), "HKEY_CURRENT_USER", error)) << error;
        RegistryKey read;
        ASSERT_EQ(ReadRegistryFile(registry, "HKEY_CURRENT_USER", read, error), RegistryFileStatus::Loaded) << error;
        expectSameTree(sampleTree(), read);

        for (const char* folder : {"evt", "reg"}) {
            std::vector<std::string> left;
            for (const auto& e : fs::directory_iterator(path(folder)))
                left.push_back(e.path().filename().string());
            EXPECT_EQ(left, std::vector<std::string>{name}) << folder;
            fs::remove(path(std::string(folder) + "/" + name));
        }
    }
    // A name longer than the folder takes is refused as the system refuses it.
    const std::string tooLong = path(std::string(256, 'x'));
    std::string why;
    EXPECT_EQ(WriteFileAtomically(tooLong, reinterpret_cast<const BYTE*>("x"), 1, false, why),
              DWORD{ERROR_INVALID_NAME});
}

TEST_F(RegistryFileOnDisk, NamesBesideAFileFitInItsFolder)
{
    const std::string accented = longestNames()[1];
    const struct {
        std::string name;
        std::string suffix;
        std::string expected;
    } cases[] = {
        {"HKCU.reg", ".lock", "HKCU.reg.lock"},
        {std::string(255, 'x'), ".lock", std::string(250, 'x') + ".lock"},
        {std::string(250, 'x'), ".lock", std::string(250, 'x') + ".lock"},
        {std::string(251, 'x'), ".tmp-XXXXXX", std::string(244, 'x') + ".tmp-XXXXXX"},
        {accented, ".tmp-XXXXXX", accented.substr(0, 244) + ".tmp-XXXXXX"},
        {accented, ".tmp1-2345", accented.substr(0, 244) + ".tmp1-2345"}, // not 245: half an e acute
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name + c.suffix);
        EXPECT_EQ(SiblingPath(path(c.name), c.suffix), path(c.expected));
    }
}

TEST_F(RegistryFileOnDisk, ADamagedFileIsNeitherUsedNorOverwritten)
{
    const std::string file = path("HKLM.reg");
    const std::string damaged = "Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\A]\n\"x\"=hex:0g\n";
    std::ofstream(file, std::ios::binary) << damaged;
    RegistryStore store(file, "HKEY_LOCAL_MACHINE");
    EXPECT_EQ(store.Read([](const RegistryKey&) { return DWORD{ERROR_SUCCESS}; }), ERROR_BADDB);
    EXPECT_EQ(store.Modify([](RegistryKey& root, bool& changed) {
        root.CreateSubKey("New");
        changed = true;
        return DWORD{ERROR_SUCCESS};
    }),
              ERROR_BADDB);
    EXPECT_EQ(contents(file), damaged);
    EXPECT_EQ(store.Error(), file + ": line 3: \"0g\" is not a hex byte");
}

TEST_F(RegistryFileOnDisk, AChangeThatCannotBeWrittenIsDropped)
{
    const std::string file = path("HKCU.reg");
    RegistryStore store(file, "HKEY_CURRENT_USER");
    const auto setX = [](RegistryKey& root, bool& changed) {
        root.CreateSubKey("X");
        changed = true;
        return DWORD{ERROR_SUCCESS};
    };
    const auto hasX = [](const RegistryKey& root) {
        return root.FindSubKey("X") ? DWORD{ERROR_SUCCESS} : DWORD{ERROR_FILE_NOT_FOUND};
    };
    EXPECT_EQ(store.Read(hasX), ERROR_FILE_NOT_FOUND); // a missing file is an empty hive
    // A folder in the lock file's place: the file cannot be locked for the
    // change, and so is not written.
    const std::string lock = file + ".lock";
    fs::create_directories(fs::path(lock) / "in-the-way");
    EXPECT_EQ(store.Modify(setX), ERROR_REGISTRY_IO_FAILED);
    EXPECT_EQ(store.Error(), lock + ": cannot open the lock file: Is a directory");
    EXPECT_EQ(store.Read(hasX), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(fs::exists(file));
    fs::remove_all(lock);
    EXPECT_EQ(store.Modify(setX), ERROR_SUCCESS);
    EXPECT_EQ(store.Read(hasX), ERROR_SUCCESS);
    RegistryStore reread(file, "HKEY_CURRENT_USER");
    EXPECT_EQ(reread.Read(hasX), ERROR_SUCCESS);
}
