// Message tables: ids in blocks, ANSI, Unicode and UTF-8 entries, and the
// choice of language, on compiled message files and on tables built here.
#include "MessageFixtures.h"

#include "platform/Kernel32.h"
#include "platform/MessageTable.h"
#include "platform/PlatformProfile.h"

#include <gtest/gtest.h>

#include <array>

using fixtures::MessageFile;

namespace {

// Builds a message-table resource: blocks of consecutive ids, each entry
// given as its flags and raw bytes (padded to four bytes as compilers do).
class TableBuilder {
public:
    struct Entry {
        WORD flags;
        std::vector<BYTE> bytes;
    };

    void block(DWORD lowId, std::vector<Entry> entries) { blocks_.push_back({lowId, std::move(entries)}); }

    std::vector<BYTE> build() const
    {
        std::vector<BYTE> out;
        put32(out, static_cast<DWORD>(blocks_.size()));
        std::size_t offset = 4 + blocks_.size() * 12;
        std::vector<BYTE> entries;
        for (const auto& [low, list] : blocks_) {
            put32(out, low);
            put32(out, low + static_cast<DWORD>(list.size()) - 1);
            put32(out, static_cast<DWORD>(offset + entries.size()));
            for (const Entry& e : list) {
                std::vector<BYTE> body = e.bytes;
                while ((body.size() + 4) % 4)
                    body.push_back(0);
                put16(entries, static_cast<WORD>(body.size() + 4));
                put16(entries, e.flags);
                entries.insert(entries.end(), body.begin(), body.end());
            }
        }
        out.insert(out.end(), entries.begin(), entries.end());
        return out;
    }

    static Entry ansi(const std::string& text)
    {
        std::vector<BYTE> bytes(text.begin(), text.end());
        bytes.push_back(0);
        return {0, bytes};
    }
    static Entry unicode(const std::u16string& text)
    {
        std::vector<BYTE> bytes;
        for (char16_t u : text) {
            bytes.push_back(static_cast<BYTE>(u));
            bytes.push_back(static_cast<BYTE>(u >> 8));
        }
        bytes.push_back(0);
        bytes.push_back(0);
        return {1, bytes};
    }

private:
    static void put16(std::vector<BYTE>& b, WORD v)
    {
        b.push_back(static_cast<BYTE>(v));
        b.push_back(static_cast<BYTE>(v >> 8));
    }
    static void put32(std::vector<BYTE>& b, DWORD v)
    {
        put16(b, static_cast<WORD>(v));
        put16(b, static_cast<WORD>(v >> 16));
    }

    std::vector<std::pair<DWORD, std::vector<Entry>>> blocks_;
};

TEST(MessageTable, EntriesOfEveryKind)
{
    TableBuilder t;
    t.block(1, {TableBuilder::ansi("plain ANSI\r\n"), TableBuilder::unicode(u"Gr\u00FC\u00DFe \U0001F600\r\n"),
                {2, {'U', 'T', 'F', '-', '8', ' ', 0xC3, 0xA9, 0}}});
    t.block(0xC0000100, {TableBuilder::ansi("high id")});
    // Text ends at its first NUL; after it comes padding or garbage.
    t.block(50, {{0, {'c', 'u', 't', 0, 'x', 'y', 'z'}}, {1, {'a', 0, 0, 0, 'b', 0}}});
    // Bytes that are not UTF-8 and unpaired surrogates become U+FFFD.
    t.block(60, {{0, {'b', 'a', 'd', 0xFC, 0xDF, '!', 0}}, TableBuilder::unicode(u"x\xD800y")});
    const std::vector<BYTE> bytes = t.build();
    const platform::MessageTable table(bytes);

    struct Case {
        DWORD id;
        const char* text;
    } cases[] = {
        {1, "plain ANSI\r\n"},
        {2, "Gr\u00FC\u00DFe \U0001F600\r\n"},
        {3, "UTF-8 \u00E9"},
        {0xC0000100, "high id"},
        {50, "cut"},
        {51, "a"},
        {60, "bad\uFFFD\uFFFD!"},
        {61, "x\uFFFDy"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        std::string text;
        ASSERT_EQ(table.Find(c.id, text), ERROR_SUCCESS);
        EXPECT_EQ(text, c.text);
    }
    std::string text;
    for (DWORD missing : {0u, 4u, 49u, 52u, 0xC00000FFu, 0xC0000101u})
        EXPECT_EQ(table.Find(missing, text), ERROR_MR_MID_NOT_FOUND) << missing;
    EXPECT_EQ(table.BlockCount(), 4u);
    DWORD low = 0, high = 0;
    EXPECT_TRUE(table.Block(1, low, high));
    EXPECT_EQ(low, 0xC0000100u);
    EXPECT_EQ(high, 0xC0000100u);
    EXPECT_FALSE(table.Block(4, low, high));
}

TEST(MessageTable, TheFirstBlockHoldingAnIdWins)
{
    TableBuilder t;
    t.block(10, {TableBuilder::ansi("first")});
    t.block(10, {TableBuilder::ansi("second")});
    const std::vector<BYTE> bytes = t.build();
    std::string text;
    EXPECT_EQ(platform::MessageTable(bytes).Find(10, text), ERROR_SUCCESS);
    EXPECT_EQ(text, "first");
}

TEST(MessageTable, DamagedTables)
{
    TableBuilder t;
    t.block(1, {TableBuilder::ansi("one"), TableBuilder::ansi("two")});
    const std::vector<BYTE> good = t.build();

    struct Case {
        const char* name;
        std::vector<BYTE> bytes;
        DWORD id;
        DWORD error;
    };
    std::vector<Case> cases;
    cases.push_back({"empty", {}, 1, ERROR_INVALID_DATA});
    cases.push_back({"three bytes", {1, 0, 0}, 1, ERROR_INVALID_DATA});
    cases.push_back({"no blocks", {0, 0, 0, 0}, 1, ERROR_MR_MID_NOT_FOUND});
    {
        auto b = good;
        b[0] = 3; // blocks that are not there
        cases.push_back({"blocks beyond the table", b, 1, ERROR_INVALID_DATA});
    }
    {
        auto b = std::vector<BYTE>(good.begin(), good.begin() + 16 + 4 + 4);
        cases.push_back({"second entry cut off", b, 2, ERROR_INVALID_DATA});
    }
    {
        auto b = good;
        b[16] = 2; // first entry's length below its header
        b[17] = 0;
        cases.push_back({"entry shorter than its header", b, 2, ERROR_INVALID_DATA});
    }
    {
        auto b = good;
        b[12] = 0xF0; // entries far beyond the table
        b[13] = 0xFF;
        cases.push_back({"entries beyond the table", b, 1, ERROR_INVALID_DATA});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string text;
        EXPECT_EQ(platform::MessageTable(c.bytes).Find(c.id, text), c.error);
    }
    // A block with a huge id range cannot make the walk run past the table.
    std::vector<BYTE> huge = good;
    huge[8] = huge[9] = huge[10] = huge[11] = 0xFF;
    std::string text;
    EXPECT_EQ(platform::MessageTable(huge).Find(0xFFFFFFF0, text), ERROR_INVALID_DATA);
}

// --- languages of the compiled files ---

DWORD messageOf(const char* file, DWORD id, DWORD language, std::string& text)
{
    HMODULE module = LoadLibraryExA(MessageFile(file).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module)
        return GetLastError();
    std::array<char, 4096> buffer{};
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_IGNORE_INSERTS, module, id, language,
                                   buffer.data(), static_cast<DWORD>(buffer.size()), nullptr);
    const DWORD error = n == 0 ? GetLastError() : ERROR_SUCCESS;
    FreeLibrary(module);
    text.assign(buffer.data(), n);
    return error;
}

TEST(MessageLanguages, ChosenAsThePlatformDoes)
{
    platform::PlatformProfile german = platform::PlatformProfile::nt5();
    german.uiLanguage = 0x0407;
    platform::PlatformProfile french = platform::PlatformProfile::nt5();
    french.uiLanguage = 0x040C;

    struct Case {
        const char* name;
        platform::PlatformProfile profile;
        const char* file;
        DWORD id;
        DWORD language;
        DWORD error;
        const char* text;
    } cases[] = {
        {"default: English", platform::PlatformProfile::nt5(), "mirror_events.dll", 100, 0, 0,
         "Mirror job %1 copied %2 files to %3.\r\n"},
        {"German asked for", platform::PlatformProfile::nt5(), "mirror_events.dll", 100, 0x0407, 0,
         "Spiegelauftrag %1 hat %2 Dateien nach %3 kopiert.\r\n"},
        {"German user", german, "mirror_events.dll", 100, 0, 0,
         "Spiegelauftrag %1 hat %2 Dateien nach %3 kopiert.\r\n"},
        {"German user, umlauts", german, "mirror_events.dll", 0xC00001F5, 0, 0,
         "Das Ziel von Spiegelauftrag %1 ist nicht erreichbar (Gr\u00F6\u00DFenpr\u00FCfung \u00FCbersprungen): "
         "%2\r\n"},
        {"French user: English", french, "mirror_events.dll", 100, 0, 0, "Mirror job %1 copied %2 files to %3.\r\n"},
        {"French asked for", platform::PlatformProfile::nt5(), "mirror_events.dll", 100, 0x040C,
         ERROR_RESOURCE_LANG_NOT_FOUND, ""},
        // The language is chosen for the table, then the id looked up in it.
        {"German user, English-only message", german, "mirror_events.dll", 107, 0, ERROR_MR_MID_NOT_FOUND, ""},
        {"English-only message", platform::PlatformProfile::nt5(), "mirror_events.dll", 107, 0, 0,
         "The mirror index of job %1 was rebuilt.\r\n"},
        {"only language: English", german, "mirror_more.dll", 300, 0, 0, "Mirror job %1 was skipped: %2.\r\n"},
        {"neutral first", platform::PlatformProfile::nt5(), "legacy_agent.exe", 1, 0, 0,
         "Legacy agent %1 started (neutral).\r\n"},
        {"ANSI English asked for", platform::PlatformProfile::nt5(), "legacy_agent.exe", 1, 0x0409, 0,
         "Legacy agent %1 started.\r\n"},
        {"ANSI numbers", platform::PlatformProfile::nt5(), "legacy_agent.exe", 2, 0, 0,
         "Legacy agent %1 stopped with code %2!lu!.\r\n"},
        {"id beyond the blocks", platform::PlatformProfile::nt5(), "mirror_events.dll", 108, 0,
         ERROR_MR_MID_NOT_FOUND, ""},
        {"severity bits count", platform::PlatformProfile::nt5(), "mirror_events.dll", 0x1F4, 0,
         ERROR_MR_MID_NOT_FOUND, ""},
        {"warning id", platform::PlatformProfile::nt5(), "mirror_events.dll", 0x800001F4, 0, 0,
         "The target of mirror job %1 answered slowly (%2 ms).\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        platform::ScopedProfile scope(c.profile);
        std::string text;
        EXPECT_EQ(messageOf(c.file, c.id, c.language, text), c.error);
        EXPECT_EQ(text, c.text);
    }
}

} // namespace
