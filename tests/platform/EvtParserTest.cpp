#include "EvtTestSupport.h"

#include "platform/ErrorCodes.h"
#include "platform/EvtFormat.h"
#include "platform/EvtParser.h"
#include "tools/evtgen/EvtGenerator.h"

#include <gtest/gtest.h>

#include <functional>

using namespace platform::evt;

namespace {

struct Parsed {
    DWORD error = 0;
    std::string why;
    EvtLogImage image{0x10000, 0};
};

Parsed parse(std::vector<BYTE> bytes)
{
    Parsed p;
    p.error = EvtParser::parse(std::move(bytes), p.image, p.why);
    return p;
}

std::vector<EvtRecord> recordsOf(const EvtLogImage& image)
{
    std::vector<EvtRecord> out;
    for (std::size_t i = 0; i < image.recordCount(); ++i) {
        EvtRecord r;
        std::string why;
        EXPECT_TRUE(DecodeRecord(image.recordBytes(i), image.entry(i).length, r, why)) << why;
        out.push_back(r);
    }
    return out;
}

evtgen::GeneratedLog generate(const std::string& description)
{
    evtgen::GeneratedLog log;
    std::string error;
    EXPECT_TRUE(evtgen::GenerateEvtLog(description, log, error)) << error;
    return log;
}

// The events a log still holds: the newest of all written.
std::vector<EvtRecord> held(const evtgen::GeneratedLog& log)
{
    return {log.events.begin() + static_cast<std::ptrdiff_t>(log.overwritten), log.events.end()};
}

const std::string kWrappedSplit = "log maxsize=0x10000\n"
                                  "event source=Splitter id=7 string=\"x\" size=256 repeat=300\n";

} // namespace

TEST(EvtParser, ReadsRecordsThatWrapWithASplitRecord)
{
    const auto log = generate(kWrappedSplit);
    const Parsed p = parse(log.bytes);
    ASSERT_EQ(p.error, ERROR_SUCCESS) << p.why;
    EXPECT_EQ(p.image.recordCount(), 255u);
    EXPECT_EQ(recordsOf(p.image), held(log));
    EXPECT_EQ(p.image.oldestRecordNumber(), 46u);
    EXPECT_EQ(p.image.nextRecordNumber(), 301u);
    std::size_t split = 0;
    for (std::size_t i = 0; i < p.image.recordCount(); ++i)
        split += p.image.entry(i).offset + p.image.entry(i).length > p.image.fileSize();
    EXPECT_EQ(split, 1u);
    EXPECT_TRUE(p.image.flags() & kFlagWrap);
}

TEST(EvtParser, ReadsASplitEndOfFileRecord)
{
    const auto log = generate("log maxsize=0x10000\n"
                              "event source=S string=\"x\" size=256 repeat=255\n"
                              "event source=Tail size=188\n");
    const Parsed p = parse(log.bytes);
    ASSERT_EQ(p.error, ERROR_SUCCESS) << p.why;
    EXPECT_GT(p.image.endOffset() + kEofSize, p.image.fileSize()) << "the end-of-file record is split";
    EXPECT_EQ(recordsOf(p.image), held(log));
    EXPECT_EQ(p.image.recordCount(), 255u);
}

TEST(EvtParser, SkipsFillerWordsAtTheEndOfTheFile)
{
    const auto log = generate("log maxsize=0x10000\n"
                              "event source=S string=\"x\" size=256 repeat=255\n"
                              "event source=Short size=160\n"
                              "event source=After size=256 repeat=3\n");
    ASSERT_EQ(readLe32(log.bytes.data() + 0x10000 - 4), kFillerWord);
    ASSERT_EQ(readLe32(log.bytes.data() + 0x10000 - 0x30), kFillerWord);
    const Parsed p = parse(log.bytes);
    ASSERT_EQ(p.error, ERROR_SUCCESS) << p.why;
    EXPECT_EQ(recordsOf(p.image), held(log));
    EXPECT_EQ(p.image.entry(p.image.recordCount() - 3).offset, kHeaderSize) << "continues at 0x30";
}

// A copy taken from a running system: the header still describes the log
// as it was 20 events earlier.  Its start offset points at a newer record
// and its end offset into the middle of the records; stale records of the
// free gap lie between the end-of-file record and the oldest record.
TEST(EvtParser, DirtyHeaderIsStaleAndTheEndOfFileRecordDecides)
{
    const auto clean = generate(kWrappedSplit);
    const auto dirty = generate("dirty after=280\n" + kWrappedSplit);
    const FileHeader stale = FileHeader::readFrom(dirty.bytes.data());
    ASSERT_TRUE(stale.flags & kFlagDirty);
    EXPECT_EQ(stale.currentRecordNumber, 281u);
    const Parsed p = parse(dirty.bytes);
    ASSERT_EQ(p.error, ERROR_SUCCESS) << p.why;
    EXPECT_EQ(recordsOf(p.image), held(clean));
    EXPECT_NE(p.image.startOffset(), stale.startOffset);
    // Read by the stale header alone, the same bytes are refused.
    std::vector<BYTE> trusting = dirty.bytes;
    writeLe32(trusting.data() + kHdrFlags, stale.flags & ~kFlagDirty);
    writeLe32(trusting.data() + kHdrEndOffset, 0x40); // no end-of-file record there
    const Parsed q = parse(trusting);
    EXPECT_EQ(q.error, ERROR_SUCCESS) << "a clean header that fails falls back to the end-of-file record";
    EXPECT_EQ(recordsOf(q.image), held(clean));
}

TEST(EvtParser, StaleRecordsInTheGapAreNotEvents)
{
    // Whole records of an earlier round lie in the free gap after the
    // end-of-file record, and the dirty header points at them.
    const auto log = generate("log maxsize=0x10000\n"
                              "event source=S string=\"x\" size=1024 repeat=20\n");
    std::vector<BYTE> bytes = log.bytes;
    const Parsed clean = parse(bytes);
    ASSERT_EQ(clean.error, ERROR_SUCCESS) << clean.why;
    const DWORD gap = clean.image.endOffset() + kEofSize;
    for (int i = 0; i < 3; ++i)
        std::copy_n(bytes.begin() + clean.image.entry(i).offset, 1024, bytes.begin() + gap + 1024 * i);
    FileHeader stale = FileHeader::readFrom(bytes.data());
    stale.flags |= kFlagDirty;
    stale.startOffset = gap;
    stale.endOffset = gap + 3 * 1024;
    stale.writeTo(bytes.data());
    const Parsed p = parse(bytes);
    ASSERT_EQ(p.error, ERROR_SUCCESS) << p.why;
    EXPECT_EQ(recordsOf(p.image), log.events);
}

TEST(EvtParser, ReadsTrimmedBackupsAndEmptyLogs)
{
    const std::string events = "event source=A string=\"ä\" sid=S-1-5-18\nevent source=B data=00FF\n";
    const auto backup = generate("log maxsize=0x10000\nform as=backup\n" + events);
    EXPECT_EQ(backup.bytes.size() % 0x10000 != 0, true);
    const Parsed p = parse(backup.bytes);
    ASSERT_EQ(p.error, ERROR_SUCCESS) << p.why;
    EXPECT_EQ(recordsOf(p.image), backup.events);
    EXPECT_EQ(p.image.fileSize(), backup.bytes.size());
    const FileHeader h = FileHeader::readFrom(backup.bytes.data());
    EXPECT_EQ(h.flags, 0u);
    EXPECT_EQ(h.endOffset + kEofSize, backup.bytes.size());

    const Parsed empty = parse(generate("log maxsize=0x10000\n").bytes);
    ASSERT_EQ(empty.error, ERROR_SUCCESS) << empty.why;
    EXPECT_EQ(empty.image.recordCount(), 0u);
    EXPECT_EQ(empty.image.oldestRecordNumber(), 0u);
    EXPECT_EQ(empty.image.nextRecordNumber(), 1u);
}

TEST(EvtParser, LiveAndBackupFormsAgreeForManyLogSizes)
{
    for (int count : {1, 7, 300, 700, 1500}) {
        for (const char* size : {"0x10000", "0x20000"}) {
            const std::string events = "log maxsize=" + std::string(size) + "\n";
            const std::string bulk = "bulk count=" + std::to_string(count) + " seed=" + std::to_string(count) + "\n";
            const auto live = generate(events + bulk);
            const auto backup = generate(events + "form as=backup\n" + bulk);
            const Parsed a = parse(live.bytes);
            const Parsed b = parse(backup.bytes);
            ASSERT_EQ(a.error, ERROR_SUCCESS) << a.why;
            ASSERT_EQ(b.error, ERROR_SUCCESS) << b.why;
            EXPECT_EQ(recordsOf(a.image), held(live)) << count << " in " << size;
            EXPECT_EQ(recordsOf(b.image), held(live)) << count << " in " << size;
        }
    }
}

TEST(EvtParser, FileSizeNotAMultipleOfFourIsReadUpToTheLastWholeWord)
{
    auto bytes = generate("form as=backup\nevent source=A\n").bytes;
    bytes.push_back(0x55);
    bytes.push_back(0x66);
    const Parsed p = parse(bytes);
    ASSERT_EQ(p.error, ERROR_SUCCESS) << p.why;
    EXPECT_EQ(p.image.recordCount(), 1u);
}

// Damaged files: each is refused with ERROR_EVENTLOG_FILE_CORRUPT and a
// reason; none is read outside its bytes (the sanitizers watch).
TEST(EvtParser, DamagedFilesAreRefused)
{
    const auto base = generate(kWrappedSplit).bytes;
    const Parsed good = parse(base);
    ASSERT_EQ(good.error, ERROR_SUCCESS);
    const DWORD newest = good.image.entry(good.image.recordCount() - 1).offset;
    const DWORD middle = good.image.entry(100).offset;
    const DWORD eof = good.image.endOffset();
    using Bytes = std::vector<BYTE>;
    struct Case {
        const char* what;
        std::function<void(Bytes&)> damage;
        const char* reason; // part of the reason given
    };
    const Case cases[] = {
        {"empty file", [](Bytes& b) { b.clear(); }, "too small"},
        {"header cut", [](Bytes& b) { b.resize(0x20); }, "too small"},
        {"no room for the end-of-file record", [](Bytes& b) { b.resize(0x50); }, "no room"},
        {"signature", [](Bytes& b) { b[4] = 'X'; }, "not an event-log file"},
        {"header size", [](Bytes& b) { writeLe32(b.data(), 0x40); }, "not an event-log file"},
        {"version 2.0", [](Bytes& b) { writeLe32(b.data() + kHdrMajorVersion, 2); writeLe32(b.data() + kHdrMinorVersion, 0); },
         "version 2.0"},
        {"end-of-file record wiped", [&](Bytes& b) { std::fill(b.begin() + eof, b.begin() + eof + 0x28, 0); },
         "end-of-file record"},
        {"record length too small", [&](Bytes& b) { writeLe32(b.data() + middle, 0x10); }, "length 16"},
        {"record length huge", [&](Bytes& b) { writeLe32(b.data() + middle, 0xFFFFFFF0); }, "more than the file holds"},
        {"record length unaligned", [&](Bytes& b) { writeLe32(b.data() + middle, 0x102); }, "multiple of 4"},
        {"record length past the end-of-file record", [&](Bytes& b) { writeLe32(b.data() + middle, 0xA000); },
         "runs over"},
        {"trailing length", [&](Bytes& b) { writeLe32(b.data() + middle + 0xFC, 0x104); }, "trailing"},
        {"record signature", [&](Bytes& b) { b[middle + 5] = 0; }, "signature"},
        {"string offset", [&](Bytes& b) { writeLe32(b.data() + middle + kRecStringOffset, 0x1000); }, "string offset"},
        {"SID length", [&](Bytes& b) { writeLe32(b.data() + middle + kRecUserSidLength, 0x1000); }, "user SID"},
        {"record numbers out of order", [&](Bytes& b) { writeLe32(b.data() + middle + kRecRecordNumber, 1); },
         "does not follow"},
        {"filler before the end-of-file record", [&](Bytes& b) { writeLe32(b.data() + newest, kFillerWord); },
         "filler"},
        {"cut in the middle", [&](Bytes& b) { b.resize(0x8010); }, ""},
        {"dirty and no end-of-file record",
         [&](Bytes& b) {
             writeLe32(b.data() + kHdrFlags, kFlagDirty);
             std::fill(b.begin() + eof, b.begin() + eof + 0x28, 0);
         },
         "dirty"},
    };
    for (const Case& c : cases) {
        Bytes bytes = base;
        c.damage(bytes);
        const Parsed p = parse(bytes);
        EXPECT_EQ(p.error, ERROR_EVENTLOG_FILE_CORRUPT) << c.what;
        EXPECT_NE(p.why.find(c.reason), std::string::npos) << c.what << ": " << p.why;
        EXPECT_FALSE(p.why.empty()) << c.what;
    }
}

// Many fake end-of-file records in a dirty file: the scan tries a bounded
// number of them and ends.
TEST(EvtParser, ManyFakeEndOfFileRecordsEndQuickly)
{
    std::vector<BYTE> bytes(0x40000, 0);
    FileHeader h;
    h.flags = kFlagDirty;
    h.writeTo(bytes.data());
    for (DWORD at = kHeaderSize; at + kEofSize <= bytes.size(); at += kEofSize)
        EofRecord{at == kHeaderSize ? kHeaderSize + kEofSize : kHeaderSize, at, 5, 1}.writeTo(bytes.data() + at);
    const Parsed p = parse(bytes);
    EXPECT_EQ(p.error, ERROR_EVENTLOG_FILE_CORRUPT);
}
