#pragma once
// An event-log file held in memory: the file's bytes and an index of its
// records in log order (oldest first), built once when the file is parsed
// (EvtParser) and kept up to date by the writing operations.  Not
// thread-safe: LiveLog guards the images it shares.

#include "EvtFormat.h"
#include "EvtRecord.h"
#include "Win32Types.h"

#include <cstddef>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <span>
#include <vector>

namespace platform::evt {

struct IndexEntry {
    DWORD offset = 0;       // of the record in the file
    DWORD length = 0;       // on disk
    DWORD recordNumber = 0;
    DWORD timeWritten = 0;
};

// The index of a log's records, oldest first: the position of the record
// with a number, if present; the position of the first record whose number
// is >= a number (the index's size when there is none).
using EvtIndex = std::deque<IndexEntry>;
std::optional<std::size_t> IndexOf(const EvtIndex& index, DWORD recordNumber);
std::size_t LowerBound(const EvtIndex& index, DWORD recordNumber);

// Where the records of a log file lie, as the parser finds them: all of an
// image but the file's bytes.
struct EvtLayout {
    DWORD end = 0;               // the ring wraps here (file size rounded down to 4)
    DWORD start = kHeaderSize;   // oldest record (== eof when empty)
    DWORD eof = kHeaderSize;     // end-of-file record
    DWORD nextNumber = 1;
    DWORD maxSize = 0;
    DWORD retention = 0;
    DWORD flags = 0;
    EvtIndex index;
    // The one record that is split at the end of the file, joined.
    std::vector<BYTE> joined;
    DWORD joinedOffset = 0;
    bool hasJoined = false;
};

// The compact form of a backup of the records of an index: header, the
// records in log order from 0x30, the end-of-file record, nothing after it;
// clean header.  `record(i)` gives the bytes of record i, or null to stop
// (the result is then incomplete and is thrown away by the caller).
std::vector<BYTE> CompactBackupBytes(const EvtIndex& index, DWORD nextNumber, DWORD maxSize, DWORD retention,
                                     const std::function<const BYTE*(std::size_t)>& record);

// The same as pieces to write one after another, without copying the
// records: the header and the end record of its own, and between them the
// records where they lie (neighbours in one piece).  The pieces of records
// stay valid while the record bytes they point into do.
struct CompactPieces {
    std::vector<BYTE> header;
    std::vector<BYTE> end;
    std::vector<std::span<const BYTE>> pieces; // header, records..., end
};
CompactPieces CompactBackupPieces(const EvtIndex& index, DWORD nextNumber, DWORD maxSize, DWORD retention,
                                  const std::function<const BYTE*(std::size_t)>& record);

// A byte range of the file that a write operation changed.
struct ByteRange {
    DWORD offset = 0;
    DWORD length = 0;
};

class EvtLogImage {
public:
    // An empty log, as the platform creates one: the file starts at one size
    // step (or maxSize when that is smaller) and grows in steps up to
    // maxSize.  maxSize is rounded down to a multiple of 4 and must be at
    // least kMinimumMaxSize.
    static constexpr DWORD kMinimumMaxSize = 0x100;
    EvtLogImage(DWORD maxSize, DWORD retention);

    // --- reading ---
    std::size_t recordCount() const { return layout_.index.size(); }
    const IndexEntry& entry(std::size_t i) const { return layout_.index[i]; }
    // The whole record, contiguous also when it is split in the file.
    const BYTE* recordBytes(std::size_t i) const;
    DWORD fetchRecord(std::size_t i, bool /*forwards*/, const BYTE*& bytes, std::string& /*why*/) const
    {
        bytes = recordBytes(i);
        return 0;
    }
    DWORD oldestRecordNumber() const { return layout_.index.empty() ? 0 : layout_.index.front().recordNumber; }
    DWORD newestRecordNumber() const { return layout_.index.empty() ? 0 : layout_.index.back().recordNumber; }
    DWORD nextRecordNumber() const { return layout_.nextNumber; }
    // Position of the record with this number, if present.
    std::optional<std::size_t> indexOf(DWORD recordNumber) const;
    // Position of the first record whose number is >= recordNumber
    // (recordCount() when there is none).
    std::size_t lowerBound(DWORD recordNumber) const;

    DWORD maxSize() const { return layout_.maxSize; }
    DWORD retention() const { return layout_.retention; }
    DWORD flags() const { return layout_.flags; }
    DWORD fileSize() const { return static_cast<DWORD>(bytes_.size()); }
    DWORD startOffset() const { return layout_.start; }
    DWORD endOffset() const { return layout_.eof; }
    // The header this image writes (clean).
    FileHeader header() const;
    // The file as it stands; the header in it is the clean one once the
    // image has been written to (a parsed image keeps the bytes it was given).
    const std::vector<BYTE>& bytes() const { return bytes_; }

    // --- writing ---
    // Appends an event.  Its record number is the next one when
    // record.recordNumber is 0, else that number (which must be higher than
    // every number in the log).  Room is made by growing the file up to the
    // maximum size, then by overwriting the oldest records as the retention
    // allows, judged by the event's TimeWritten (retention 0: as needed;
    // kRetainNeverOverwrite: never; else only records written at least
    // `retention` seconds earlier).  The record is padded up to minLength.
    // Returns ERROR_SUCCESS, ERROR_LOG_FILE_FULL (nothing changed but the
    // header's log-full flag) or ERROR_INVALID_PARAMETER (with why), and the
    // changed byte ranges in the order to write them; the file may have
    // grown (fileSize()).
    DWORD append(const EvtRecord& record, DWORD minLength, std::string& why, std::vector<ByteRange>* changed,
                 DWORD* recordNumber = nullptr);

    // Empties the log: a new file of one size step, record numbers restart at 1.
    void clear();

    // The compact form of a backup: header, the records in log order from
    // 0x30, the end-of-file record, nothing after it; clean header.
    std::vector<BYTE> compactBytes() const;
    // The same as pieces that point into the image (see CompactBackupPieces).
    CompactPieces compactPieces() const;

    void setRetention(DWORD retention) { layout_.retention = retention; }

private:
    friend class EvtParser;
    EvtLogImage() = default;

    DWORD dataSize() const { return layout_.end - kHeaderSize; }
    DWORD advance(DWORD offset, DWORD by) const;
    DWORD distance(DWORD from, DWORD to) const; // going forwards around the ring
    void writeRing(DWORD offset, const BYTE* data, DWORD length, std::vector<ByteRange>* changed);
    void writeHeaderBytes();
    void grow(DWORD newSize);

    std::vector<BYTE> bytes_;
    EvtLayout layout_; // where the records of bytes_ lie
};

} // namespace platform::evt
