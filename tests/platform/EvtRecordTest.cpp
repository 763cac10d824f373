#include "EvtTestSupport.h"

#include "platform/EvtFormat.h"
#include "platform/EvtRecord.h"
#include "platform/Utf16Text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

using namespace platform::evt;

namespace {

EvtRecord sampleRecord()
{
    EvtRecord r;
    r.recordNumber = 42;
    r.timeGenerated = 1614834367;
    r.timeWritten = 1614834368;
    r.eventId = 0xC0001B58;
    r.eventType = EVENTLOG_ERROR_TYPE;
    r.eventCategory = 7;
    r.source = "Служба";
    r.computer = "WS-LAB-12";
    r.strings = {"Druckwarteschlange «läuft»", "", "服务 \xF0\x9F\x98\x80"};
    SidFromText("S-1-5-21-1004336348-1177238915-682003330-1001", r.sid);
    r.data = {0xDE, 0xAD, 0xBE, 0xEF, 0x01};
    return r;
}

} // namespace

TEST(EvtRecord, EncodesAndDecodesEveryPart)
{
    const EvtRecord r = sampleRecord();
    const std::vector<BYTE> bytes = EncodeRecord(r);
    EXPECT_EQ(bytes.size() % 4, 0u);
    EXPECT_EQ(bytes.size(), EncodedRecordLength(r));
    EXPECT_EQ(readLe32(bytes.data() + kRecUserSidOffset) % 4, 0u);
    EvtRecord back;
    std::string why;
    ASSERT_TRUE(DecodeRecord(bytes.data(), static_cast<DWORD>(bytes.size()), back, why)) << why;
    EXPECT_EQ(back, r);
}

TEST(EvtRecord, PaddingIsOneToFourBytesAndMinLengthPads)
{
    EvtRecord r;
    r.source = "A";     // 0x38 + 4 + 2 = 0x3E -> aligned 0x40
    r.computer = "";
    r.sid = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0}; // ends aligned at 0x4C
    const std::vector<BYTE> bytes = EncodeRecord(r);
    EXPECT_EQ(bytes.size(), 0x4Cu + 4 + 4) << "an aligned end still gets 4 bytes of padding";
    EXPECT_EQ(EncodeRecord(r, 301).size(), 304u);
    EvtRecord back;
    std::string why;
    const auto padded = EncodeRecord(r, 301);
    ASSERT_TRUE(DecodeRecord(padded.data(), 304, back, why)) << why;
    EXPECT_EQ(back, r);
}

TEST(EvtRecord, AnsiFormConvertsTextAndRecomputesOffsets)
{
    const EvtRecord r = sampleRecord();
    const std::vector<BYTE> bytes = EncodeRecord(r);
    RecordLayout layout;
    std::string why;
    ASSERT_TRUE(ScanRecord(bytes.data(), static_cast<DWORD>(bytes.size()), layout, why)) << why;
    std::vector<BYTE> ansi(layout.ansiLength + 8, 0xCC);
    WriteAnsiRecord(bytes.data(), layout, ansi.data());
    EXPECT_EQ(ansi[layout.ansiLength], 0xCC) << "nothing written past the record";
    EvtRecord back;
    ASSERT_TRUE(evttest::DecodeAnsiRecord(ansi.data(), layout.ansiLength, back));
    EXPECT_EQ(back, r);
    // The names follow the fixed part in UTF-8, byte for byte.
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(ansi.data() + 0x38)), "Служба");
    EXPECT_NE(readLe32(ansi.data() + kRecStringOffset), readLe32(bytes.data() + kRecStringOffset));
}

TEST(EvtRecord, UnpairedSurrogatesBecomeReplacementCharacters)
{
    const BYTE text[] = {'A', 0, 0x00, 0xD8, 'B', 0, 0x00, 0xDC};
    EXPECT_EQ(platform::Utf8FromUtf16Le(text, 4), "A\xEF\xBF\xBD" "B\xEF\xBF\xBD");
    EXPECT_EQ(platform::Utf8LengthOfUtf16Le(text, 4), 8u);
    bool valid = true;
    EXPECT_EQ(platform::Utf16FromUtf8("a\xC3", &valid), u"a\uFFFD");
    EXPECT_FALSE(valid);
}

TEST(EvtRecord, SidText)
{
    std::vector<BYTE> sid;
    ASSERT_TRUE(SidFromText("S-1-5-21-1004336348-1177238915-682003330-1001", sid));
    EXPECT_EQ(sid.size(), 28u);
    EXPECT_EQ(SidToText(sid), "S-1-5-21-1004336348-1177238915-682003330-1001");
    ASSERT_TRUE(SidFromText("S-1-0x123456789ABC-7", sid));
    EXPECT_EQ(SidToText(sid), "S-1-0x123456789ABC-7");
    for (const char* bad : {"", "S-1", "S-1-", "X-1-5", "S-1-5-", "S-1-5-99999999999", "S-256-5",
                            "S-1-5-1-2-3-4-5-6-7-8-9-10-11-12-13-14-15-16"})
        EXPECT_FALSE(SidFromText(bad, sid)) << bad;
}

// Each damage to a valid record is refused with a reason, never read past.
TEST(EvtRecord, DamagedRecordsAreRefused)
{
    const std::vector<BYTE> good = EncodeRecord(sampleRecord());
    const DWORD size = static_cast<DWORD>(good.size());
    struct Case {
        const char* what;
        std::function<void(std::vector<BYTE>&)> damage;
        DWORD size;
    };
    const Case cases[] = {
        {"too short", [](auto&) {}, 0x3C},
        {"length not a multiple of 4", [](auto&) {}, size - 2},
        {"length field differs", [](auto& b) { writeLe32(b.data(), 0x1000); }, size},
        {"trailing length differs", [&](auto& b) { writeLe32(b.data() + size - 4, size + 4); }, size},
        {"signature", [](auto& b) { b[4] = 'X'; }, size},
        {"source without NUL", [&](auto& b) { std::fill(b.begin() + 0x38, b.end() - 4, 0x41); }, size},
        {"SID past the end", [&](auto& b) { writeLe32(b.data() + kRecUserSidOffset, size - 8); }, size},
        {"SID length huge", [](auto& b) { writeLe32(b.data() + kRecUserSidLength, 0xFFFFFFF0); }, size},
        {"SID inside the fixed part", [](auto& b) { writeLe32(b.data() + kRecUserSidOffset, 4); }, size},
        {"string offset past the end", [&](auto& b) { writeLe32(b.data() + kRecStringOffset, size); }, size},
        {"more strings than there are", [](auto& b) { writeLe16(b.data() + kRecNumStrings, 500); }, size},
        {"data offset wraps", [](auto& b) { writeLe32(b.data() + kRecDataOffset, 0xFFFFFFFF); }, size},
        {"data length past the end", [&](auto& b) { writeLe32(b.data() + kRecDataLength, size); }, size},
    };
    for (const Case& c : cases) {
        std::vector<BYTE> bytes = good;
        c.damage(bytes);
        // Hand the scanner exactly c.size bytes so a read past them is caught.
        std::vector<BYTE> exact(bytes.begin(), bytes.begin() + std::min<std::size_t>(c.size, bytes.size()));
        if (c.size < bytes.size() && c.size >= 4)
            writeLe32(exact.data(), c.size);
        RecordLayout layout;
        std::string why;
        EXPECT_FALSE(ScanRecord(exact.data(), static_cast<DWORD>(exact.size()), layout, why)) << c.what;
        EXPECT_FALSE(why.empty()) << c.what;
        EvtRecord r;
        EXPECT_FALSE(DecodeRecord(exact.data(), static_cast<DWORD>(exact.size()), r, why)) << c.what;
    }
}

// The one-pass check and conversion that reading uses gives what the scan
// and the writer give, refuses what the scan refuses, and never writes past
// the room it is given.
TEST(EvtRecord, OnePassConversionAgreesWithScanAndWrite)
{
    std::vector<EvtRecord> records;
    records.push_back(sampleRecord());
    EvtRecord plain;
    plain.source = "Service Control Manager";
    plain.computer = "A-COMPUTER-WITH-A-LONG-NAME";
    plain.strings = {"exactly sixteen!", "1234567", "", "x"};
    records.push_back(plain);
    EvtRecord bare; // no strings, no SID, no data, empty names
    records.push_back(bare);
    EvtRecord odd = sampleRecord();
    odd.data = {1, 2, 3, 4, 5, 6, 7, 8};
    odd.strings.assign(300, "s");
    records.push_back(odd);
    std::vector<std::vector<BYTE>> encoded;
    for (const EvtRecord& r : records)
        encoded.push_back(EncodeRecord(r));
    // Unpaired surrogates, one at the very end of a name and one before a
    // long ASCII run.
    std::vector<BYTE> surrogates = EncodeRecord(plain);
    surrogates[0x38] = 0x00;
    surrogates[0x39] = 0xD8;
    surrogates[0x38 + 2 * 22] = 0x00;
    surrogates[0x38 + 2 * 22 + 1] = 0xD8;
    encoded.push_back(surrogates);

    for (const std::vector<BYTE>& bytes : encoded) {
        const DWORD size = static_cast<DWORD>(bytes.size());
        RecordLayout layout;
        std::string why;
        ASSERT_TRUE(ScanRecord(bytes.data(), size, layout, why)) << why;
        std::vector<BYTE> expected(layout.ansiLength);
        WriteAnsiRecord(bytes.data(), layout, expected.data());

        std::vector<BYTE> out(layout.ansiLength + 64, 0xCC);
        DWORD length = 0;
        ASSERT_EQ(ConvertAnsiRecord(bytes.data(), size, out.data(), static_cast<DWORD>(out.size()), length, why),
                  AnsiConversion::Done)
            << why;
        ASSERT_EQ(length, layout.ansiLength);
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), out.begin()));
        EXPECT_EQ(out[length], 0xCC);

        for (DWORD room : {layout.ansiLength - 1, layout.ansiLength / 2, DWORD{0x38}, DWORD{10}}) {
            std::vector<BYTE> small(room + 16, 0xCC);
            EXPECT_EQ(ConvertAnsiRecord(bytes.data(), size, small.data(), room, length, why), AnsiConversion::NoRoom)
                << room;
            EXPECT_TRUE(std::all_of(small.begin() + room, small.end(), [](BYTE b) { return b == 0xCC; }))
                << "written past the room of " << room;
        }
    }

    // Damage: refused with the scan's own reason.
    const std::vector<BYTE> good = encoded.front();
    const DWORD size = static_cast<DWORD>(good.size());
    const std::function<void(std::vector<BYTE>&)> damages[] = {
        [](auto& b) { b[4] = 'X'; },
        [&](auto& b) { std::fill(b.begin() + 0x38, b.end() - 4, 0x41); },
        [&](auto& b) { writeLe32(b.data() + kRecUserSidOffset, size - 8); },
        [&](auto& b) { writeLe32(b.data() + kRecStringOffset, size); },
        [](auto& b) { writeLe16(b.data() + kRecNumStrings, 500); },
        [&](auto& b) { writeLe32(b.data() + kRecDataLength, size); },
    };
    for (const auto& damage : damages) {
        std::vector<BYTE> bytes = good;
        damage(bytes);
        RecordLayout layout;
        std::string scanWhy, convertWhy;
        ASSERT_FALSE(ScanRecord(bytes.data(), size, layout, scanWhy));
        std::vector<BYTE> out(2 * size + 64);
        DWORD length = 0;
        EXPECT_EQ(ConvertAnsiRecord(bytes.data(), size, out.data(), static_cast<DWORD>(out.size()), length, convertWhy),
                  AnsiConversion::Damaged);
        EXPECT_EQ(convertWhy, scanWhy);
        std::string checkWhy;
        EXPECT_FALSE(CheckRecord(bytes.data(), size, checkWhy));
        EXPECT_EQ(checkWhy, scanWhy);
    }
}

TEST(Utf16Text, CountOfTextsAgreesWithAPlainCount)
{
    // NUL units on both sides of every 16- and 64-byte step, and units with
    // one zero byte only.
    std::vector<BYTE> bytes(2 * 100, 'a');
    for (std::size_t unit : {0, 7, 8, 31, 32, 33, 40, 63, 64, 65, 98}) {
        bytes[2 * unit] = 0;
        bytes[2 * unit + 1] = 0;
    }
    bytes[2 * 50 + 1] = 0;
    bytes[2 * 51] = 0;
    for (std::size_t endUnit = 0; endUnit <= 100; ++endUnit) {
        std::size_t nuls = 0;
        for (std::size_t u = 0; u < endUnit; ++u)
            nuls += bytes[2 * u] == 0 && bytes[2 * u + 1] == 0;
        for (std::size_t count = 0; count <= 12; ++count)
            EXPECT_EQ(platform::CountUtf16LeTexts(bytes.data(), bytes.data() + 2 * endUnit, count),
                      std::min(count, nuls))
                << "end " << endUnit << ", count " << count;
    }
}
