// The stream primitives and string routines, byte for byte.
#include "report/RP_Utils.h"
#include "report/RpText.h"

#include <gtest/gtest.h>

#include <map>

namespace report {
namespace {

std::string Hex(const TrpStream& stream)
{
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (const auto b : stream.Bytes()) {
        if (!text.empty())
            text += ' ';
        text += kDigits[b >> 4];
        text += kDigits[b & 15];
    }
    return text;
}

TrpStream FromHex(const std::string& hex)
{
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 3)
        bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return TrpStream(bytes);
}

TEST(StreamPrimitives, CountedStringGolden)
{
    TrpStream stream;
    WriteCountedString(stream, "");
    WriteCountedString(stream, "AB");
    EXPECT_EQ(Hex(stream), "00 00 00 02 00 41 42 00");
    stream.Seek(0);
    EXPECT_EQ(ReadCountedString(stream), "");
    EXPECT_EQ(ReadCountedString(stream), "AB");
    EXPECT_TRUE(stream.AtEnd());
}

TEST(StreamPrimitives, CountedStringLongerThanTheStreamIsAReadError)
{
    TrpStream stream = FromHex("FF FF 41 42 00");
    EXPECT_THROW(ReadCountedString(stream), EReadError);
    EXPECT_EQ(stream.Position(), 2u);
    // The terminating byte must be there too.
    TrpStream noTerminator = FromHex("02 00 41 42");
    EXPECT_THROW(ReadCountedString(noTerminator), EReadError);
}

TEST(StreamPrimitives, TooLongTextsAreRefusedOnWriting)
{
    TrpStream stream;
    EXPECT_NO_THROW(WriteCountedString(stream, std::string(0xFFFF, 'x')));
    EXPECT_THROW(WriteCountedString(stream, std::string(0x10000, 'x')), EWriteError);
    EXPECT_THROW(WriteLineList(stream, {"a", std::string(0x10000, 'x')}), EWriteError);
}

TEST(StreamPrimitives, ZeroStringIsBoundedByTheStream)
{
    TrpStream stream = FromHex("41 42 00 43");
    EXPECT_EQ(ReadZeroString(stream), "AB");
    EXPECT_THROW(ReadZeroString(stream), EReadError);
    // Longer than the 4096-byte steps of the reader's buffer.
    TrpStream longText(std::string(10000, 'z') + std::string(1, '\0'));
    EXPECT_EQ(ReadZeroString(longText).size(), 10000u);
}

TEST(StreamPrimitives, LineListGolden)
{
    TrpStream empty;
    WriteLineList(empty, {});
    EXPECT_EQ(Hex(empty), "00 00 00");

    TrpStream oneEmpty;
    WriteLineList(oneEmpty, {""});
    EXPECT_EQ(Hex(oneEmpty), "01 00 00 00 00");

    TrpStream two;
    WriteLineList(two, {"A", "B"});
    EXPECT_EQ(Hex(two), "02 00 01 00 41 0D 01 00 42 00");
}

TEST(StreamPrimitives, ReadLineListCases)
{
    const std::map<std::string, TrpLines> cases = {
        {"00 00 00", {}},
        {"01 00 00 00 00", {""}},
        {"02 00 01 00 41 0D 01 00 42 00", {"A", "B"}},
        // The count only tells empty from non-empty.
        {"09 00 01 00 41 0D 01 00 42 0D 00 00 00", {"A", "B", ""}},
    };
    for (const auto& [hex, expected] : cases) {
        TrpStream stream = FromHex(hex);
        TrpLines lines{"stale"};
        ReadLineList(stream, lines);
        EXPECT_EQ(lines, expected) << hex;
        EXPECT_TRUE(stream.AtEnd()) << hex;
    }
    TrpStream truncated = FromHex("02 00 01 00 41 0D 05 00 42");
    TrpLines lines;
    EXPECT_THROW(ReadLineList(truncated, lines), EReadError);
}

TEST(StreamPrimitives, ReadOldLineListCases)
{
    const std::map<std::string, TrpLines> cases = {
        {"41 0D 0D 42 00", {"A", "", "B"}},
        {"41 0D 00", {"A"}},
        {"00", {}},
        {"41 0A 42 00", {"A\nB"}},
    };
    for (const auto& [hex, expected] : cases) {
        TrpStream stream = FromHex(hex);
        TrpLines lines;
        ReadLineListOld(stream, lines);
        EXPECT_EQ(lines, expected) << hex;
    }
}

TEST(StreamPrimitives, VersionChoosesTheForms)
{
    TrpStream stream = FromHex("41 00 02 00 42 43 00");
    stream.Version = 22;
    EXPECT_EQ(ReadStreamString(stream), "A");
    stream.Version = 23;
    EXPECT_EQ(ReadStreamString(stream), "BC");
}

TEST(StreamPrimitives, IntegersAreLittleEndian)
{
    TrpStream stream;
    WriteUInt16(stream, 0xFFFE);
    WriteInt32(stream, -2);
    stream.WriteDouble(1.5);
    EXPECT_EQ(Hex(stream), "FE FF FE FF FF FF 00 00 00 00 00 00 F8 3F");
    stream.Seek(0);
    EXPECT_EQ(stream.ReadInt16(), -2);
    EXPECT_EQ(stream.ReadInt32(), -2);
    EXPECT_EQ(stream.ReadDouble(), 1.5);
    EXPECT_THROW(stream.ReadByte(), EReadError);
    EXPECT_THROW(stream.Seek(15), EReadError);
}

TEST(FontStyles, BitsSwapBoldAndItalic)
{
    EXPECT_EQ(FontStyleToBits({.bold = true}), 2);
    EXPECT_EQ(FontStyleToBits({.italic = true, .underline = true}), 5);
    EXPECT_EQ(FontStyleFromBits(3), (TrpFontStyles{.bold = true, .italic = true}));
    EXPECT_EQ(FontStyleFromBits(0xF8), (TrpFontStyles{.strikeOut = true}));
}

TEST(Texts, StripDoubleQuotes)
{
    EXPECT_EQ(StripDoubleQuotes("\"\""), "\"\"");
    EXPECT_EQ(StripDoubleQuotes("\"x\""), "x");
    EXPECT_EQ(StripDoubleQuotes("\"x"), "\"x");
    EXPECT_EQ(StripDoubleQuotes("x"), "x");
}

TEST(Texts, SplitToList)
{
    const std::map<std::string, TrpLines> cases = {
        {"a;b;", {"a", "b"}}, {"a;;b", {"a", "", "b"}}, {";a", {"", "a"}}, {"", {}}, {"abc", {"abc"}},
    };
    for (const auto& [text, expected] : cases) {
        TrpLines list{"stale"};
        SplitToList(text, list);
        EXPECT_EQ(list, expected) << text;
    }
}

TEST(Texts, NextSemicolonItemMovesPastTheSemicolonOrOnePastTheEnd)
{
    struct Case {
        std::string text;
        std::size_t from;
        std::string item;
        std::size_t after;
    };
    const Case cases[] = {
        {"ab;cd", 1, "ab", 4}, {"ab;cd", 4, "cd", 6}, {"ab;", 1, "ab", 4}, {"abc", 1, "abc", 4}, {"abc", 9, "", 4},
    };
    for (const Case& c : cases) {
        std::size_t position = c.from;
        EXPECT_EQ(NextSemicolonItem(c.text, position), c.item) << c.text << " from " << c.from;
        EXPECT_EQ(position, c.after) << c.text << " from " << c.from;
    }
}

TEST(Texts, HexOfPasswords)
{
    EXPECT_EQ(BytesToHex("abc"), "616263");
    EXPECT_EQ(HexToBytes("616263"), "abc");
    EXPECT_EQ(HexToBytes("6a6B"), "jk");
    EXPECT_EQ(HexToBytes("6162F"), "ab");
    EXPECT_EQ(HexToBytes(BytesToHex(std::string("\0\xFF", 2))), std::string("\0\xFF", 2));
}

TEST(Texts, SplitTextLines)
{
    EXPECT_EQ(SplitTextLines("a\r\nb\nc\rd"), (TrpLines{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitTextLines("a\r\n"), (TrpLines{"a"}));
    EXPECT_EQ(SplitTextLines("\r\n"), (TrpLines{""}));
    EXPECT_EQ(SplitTextLines(""), TrpLines{});
}

class FakeLookup : public TrpFieldLookup {
public:
    std::vector<std::vector<std::string>> asked;
    TDataSet* FindDataSet(const std::vector<std::string>& path) override
    {
        asked.push_back(path);
        return path.back() == "Missing" || path.front() == "NoForm" ? nullptr : reinterpret_cast<TDataSet*>(this);
    }
    bool HasForm(const std::string& name) override { return name != "NoForm"; }
    std::string FieldNameIfPresent(TDataSet*, const std::string& name) override
    {
        return name == "Nope" ? std::string() : name;
    }
};

TEST(FieldReferences, Cases)
{
    FakeLookup lookup;
    TDataSet* dataSet = nullptr;
    std::string field = "stale";

    SplitFieldReference("Field", dataSet, field, lookup);
    EXPECT_EQ(dataSet, nullptr);
    EXPECT_EQ(field, "");

    SplitFieldReference("Orders.", dataSet, field, lookup);
    EXPECT_EQ(field, "");
    EXPECT_TRUE(lookup.asked.empty());

    SplitFieldReference("Orders.\"a.b.c\"", dataSet, field, lookup);
    EXPECT_NE(dataSet, nullptr);
    EXPECT_EQ(field, "a.b.c");
    EXPECT_EQ(lookup.asked.back(), std::vector<std::string>{"Orders"});

    SplitFieldReference("Form1.Orders.Total", dataSet, field, lookup);
    EXPECT_EQ(field, "Total");
    EXPECT_EQ(lookup.asked.back(), (std::vector<std::string>{"Form1", "Orders"}));

    SplitFieldReference("Form1.Missing.Total", dataSet, field, lookup);
    EXPECT_EQ(dataSet, nullptr);
    EXPECT_EQ(field, "");

    // Two points and no form of that name: the data set passed in stays and
    // is searched; with three points every missing step gives none.
    TDataSet* passed = reinterpret_cast<TDataSet*>(&lookup);
    SplitFieldReference("NoForm.Orders.Total", passed, field, lookup);
    EXPECT_EQ(passed, reinterpret_cast<TDataSet*>(&lookup));
    EXPECT_EQ(field, "Total");
    SplitFieldReference("NoForm.Orders.Table.Total", passed, field, lookup);
    EXPECT_EQ(passed, nullptr);
    EXPECT_EQ(field, "");

    passed = reinterpret_cast<TDataSet*>(&lookup);
    SplitFieldReference("a.b.c.d.e", passed, field, lookup);
    EXPECT_EQ(passed, reinterpret_cast<TDataSet*>(&lookup));
    EXPECT_EQ(field, "");

    SplitFieldReference("\"Total\"", passed, field, lookup);
    EXPECT_EQ(field, "Total");
}

TEST(FieldReferences, PartsAreCutTo255Characters)
{
    const TrpFieldReferenceParts parts = ParseFieldReference(std::string(300, 'a') + "." + std::string(300, 'b'));
    ASSERT_EQ(parts.parts.size(), 2u);
    EXPECT_EQ(parts.parts[0].size(), 255u);
    EXPECT_EQ(parts.parts[1].size(), 255u);
    EXPECT_EQ(parts.points, 1);
}

TEST(TextCodec, SingleByteTextsReadThroughTheCharsetsCodePage)
{
    // "Ïðèâåò" in Windows-1251 is Cyrillic; in Windows-1252 Latin letters.
    const std::string bytes = "\xCF\xF0\xE8";
    EXPECT_FALSE(IsValidUtf8(bytes));
    EXPECT_EQ(TrpTextCodec(bytes, kRussianCharset).Decode(bytes), U"\u041F\u0440\u0438");
    EXPECT_EQ(TrpTextCodec(bytes, kDefaultCharset).Decode(bytes), U"\u00CF\u00F0\u00E8");
    EXPECT_EQ(Cp1252ToUnicode(0x80), U'\u20AC');
    EXPECT_EQ(Cp1251ToUnicode(0xA8), U'\u0401');
    // UTF-8 texts step by whole characters.
    const std::string utf8 = "\xD0\x9F\xD1\x80x";
    const TrpTextCodec codec(utf8, kDefaultCharset);
    EXPECT_TRUE(codec.IsUtf8());
    EXPECT_EQ(codec.CharCount(utf8), 3u);
    EXPECT_EQ(codec.CharLength(utf8, 0), 2u);
    EXPECT_EQ(UpperChar(U'\u0451'), U'\u0401');
    EXPECT_EQ(UpperChar(U'\u044F'), U'\u042F');
}

} // namespace
} // namespace report
