#include "EvtTestSupport.h"

#include "platform/ErrorCodes.h"
#include "platform/EvtFormat.h"
#include "platform/EvtLogImage.h"
#include "platform/EvtParser.h"

#include <gtest/gtest.h>

using namespace platform::evt;

namespace {

EvtRecord event(DWORD time, const std::string& source = "Writer", DWORD dataBytes = 0)
{
    EvtRecord r;
    r.timeGenerated = r.timeWritten = time;
    r.eventType = EVENTLOG_INFORMATION_TYPE;
    r.source = source;
    r.computer = "WS-LAB-12";
    r.strings = {"one", "zwei «drei»"};
    r.data.assign(dataBytes, 0xAB);
    return r;
}

std::vector<EvtRecord> reparse(const std::vector<BYTE>& bytes)
{
    EvtLogImage image(0x10000, 0);
    std::string why;
    EXPECT_EQ(EvtParser::parse(bytes, image, why), ERROR_SUCCESS) << why;
    std::vector<EvtRecord> out;
    for (std::size_t i = 0; i < image.recordCount(); ++i) {
        EvtRecord r;
        EXPECT_TRUE(DecodeRecord(image.recordBytes(i), image.entry(i).length, r, why)) << why;
        out.push_back(r);
    }
    return out;
}

// Appends and keeps a "disk" copy updated from the changed ranges only.
struct Disk {
    EvtLogImage image;
    std::vector<BYTE> file;
    std::vector<EvtRecord> written;

    Disk(DWORD maxSize, DWORD retention)
        : image(maxSize, retention)
        , file(image.bytes())
    {
    }

    DWORD append(EvtRecord r, DWORD minLength = 0)
    {
        std::vector<ByteRange> changed;
        std::string why;
        const DWORD result = image.append(r, minLength, why, &changed, &r.recordNumber);
        file.resize(image.fileSize(), 0);
        for (const ByteRange& range : changed)
            std::copy_n(image.bytes().begin() + range.offset, range.length, file.begin() + range.offset);
        if (result == ERROR_SUCCESS)
            written.push_back(r);
        return result;
    }

    std::vector<EvtRecord> held() const
    {
        return {written.end() - static_cast<std::ptrdiff_t>(image.recordCount()), written.end()};
    }
};

} // namespace

TEST(EvtWriter, GrowsInSizeStepsUpToTheMaximum)
{
    Disk d(0x30000, 0);
    EXPECT_EQ(d.image.fileSize(), 0x10000u);
    DWORD t = 1000;
    while (d.image.fileSize() < 0x30000)
        ASSERT_EQ(d.append(event(++t, "Grow", 900)), ERROR_SUCCESS);
    EXPECT_EQ(d.image.recordCount(), d.written.size()) << "nothing overwritten while growing";
    for (int i = 0; i < 400; ++i)
        ASSERT_EQ(d.append(event(++t, "Grow", 900)), ERROR_SUCCESS);
    EXPECT_EQ(d.image.fileSize(), 0x30000u);
    EXPECT_LT(d.image.recordCount(), d.written.size());
    EXPECT_EQ(d.file, d.image.bytes()) << "the changed ranges are all that differ";
    EXPECT_EQ(reparse(d.file), d.held());
}

TEST(EvtWriter, WrapsAndOverwritesTheOldestAsNeeded)
{
    // Records of many sizes make every form: split records, filler, split
    // end-of-file records.
    Disk d(0x10000, 0);
    for (DWORD i = 0; i < 3000; ++i) {
        ASSERT_EQ(d.append(event(1000 + i, "Wrap" + std::to_string(i % 7), (i * 37) % 300)), ERROR_SUCCESS) << i;
        if (i % 97 == 0)
            ASSERT_EQ(reparse(d.file), d.held()) << "after event " << i;
    }
    EXPECT_EQ(d.file, d.image.bytes());
    EXPECT_EQ(reparse(d.file), d.held());
    EXPECT_EQ(reparse(d.image.compactBytes()), d.held());
    // The pieces a backup writes from the image make the same bytes, split
    // records included.
    std::vector<BYTE> joined;
    for (std::span<const BYTE> piece : d.image.compactPieces().pieces)
        joined.insert(joined.end(), piece.begin(), piece.end());
    EXPECT_EQ(joined, d.image.compactBytes());
    EXPECT_TRUE(d.image.flags() & kFlagWrap);
    EXPECT_EQ(d.image.oldestRecordNumber(), d.held().front().recordNumber);
}

TEST(EvtWriter, RetentionNeverRefusesWhenFull)
{
    Disk d(0x10000, kRetainNeverOverwrite);
    DWORD result = ERROR_SUCCESS;
    DWORD t = 1000;
    while ((result = d.append(event(++t, "Keep", 200))) == ERROR_SUCCESS) {
    }
    EXPECT_EQ(result, ERROR_LOG_FILE_FULL);
    EXPECT_EQ(d.image.recordCount(), d.written.size());
    EXPECT_EQ(d.image.oldestRecordNumber(), 1u);
    EXPECT_TRUE(d.image.flags() & kFlagLogFull);
    EXPECT_EQ(d.file, d.image.bytes());
    EXPECT_EQ(reparse(d.file), d.written);
}

TEST(EvtWriter, RetentionInSecondsOverwritesOnlyOldEnoughEvents)
{
    const DWORD retention = 3600;
    Disk d(0x10000, retention);
    DWORD result;
    while ((result = d.append(event(5000, "Old", 200))) == ERROR_SUCCESS) {
    }
    ASSERT_EQ(result, ERROR_LOG_FILE_FULL);
    const std::size_t count = d.image.recordCount();
    EXPECT_EQ(d.append(event(5000 + retention - 1, "New", 200)), ERROR_LOG_FILE_FULL);
    EXPECT_EQ(d.image.recordCount(), count) << "a refused event changes no record";
    EXPECT_EQ(d.append(event(5000 + retention, "New", 200)), ERROR_SUCCESS);
    EXPECT_GT(d.image.oldestRecordNumber(), 1u);
    EXPECT_EQ(reparse(d.file), d.held());
}

TEST(EvtWriter, RefusesEventsThatCannotBeWritten)
{
    Disk d(0x10000, 0);
    ASSERT_EQ(d.append(event(1)), ERROR_SUCCESS);
    const std::vector<BYTE> before = d.image.bytes();
    EXPECT_EQ(d.append(event(2, "Huge", 0x10000)), ERROR_INVALID_PARAMETER);
    EvtRecord renumbered = event(3);
    renumbered.recordNumber = 1;
    EXPECT_EQ(d.append(renumbered), ERROR_INVALID_PARAMETER) << "numbers must rise";
    EXPECT_EQ(d.image.bytes(), before);
    renumbered.recordNumber = 10;
    EXPECT_EQ(d.append(renumbered), ERROR_SUCCESS);
    EXPECT_EQ(d.image.nextRecordNumber(), 11u);
}

TEST(EvtWriter, ClearStartsAgainAndBackupIsCompact)
{
    Disk d(0x20000, 0);
    for (DWORD i = 0; i < 500; ++i)
        ASSERT_EQ(d.append(event(100 + i, "C", 100)), ERROR_SUCCESS);
    const std::vector<BYTE> backup = d.image.compactBytes();
    const FileHeader h = FileHeader::readFrom(backup.data());
    EXPECT_EQ(h.startOffset, kHeaderSize);
    EXPECT_EQ(h.endOffset + kEofSize, backup.size());
    EXPECT_EQ(h.flags, 0u);
    EXPECT_EQ(h.maxSize, 0x20000u);
    EXPECT_EQ(h.oldestRecordNumber, d.image.oldestRecordNumber());
    EXPECT_EQ(h.currentRecordNumber, 501u);
    EXPECT_EQ(reparse(backup), d.held());

    d.image.clear();
    EXPECT_EQ(d.image.recordCount(), 0u);
    EXPECT_EQ(d.image.fileSize(), 0x10000u);
    EXPECT_EQ(d.image.nextRecordNumber(), 1u);
    EXPECT_TRUE(reparse(d.image.bytes()).empty());
}
