#include "EvtLogImage.h"

#include "ErrorCodes.h"

#include <algorithm>
#include <cstring>

namespace platform::evt {
namespace {

DWORD initialFileSize(DWORD maxSize)
{
    return std::min(kSizeStep, maxSize);
}

} // namespace

EvtLogImage::EvtLogImage(DWORD maxSize, DWORD retention)
{
    layout_.maxSize = std::max(maxSize & ~3u, kMinimumMaxSize);
    layout_.retention = retention;
    clear();
}

const BYTE* EvtLogImage::recordBytes(std::size_t i) const
{
    const IndexEntry& e = layout_.index[i];
    if (static_cast<std::uint64_t>(e.offset) + e.length > layout_.end)
        return layout_.joined.data(); // the one split record (layout_.hasJoined and layout_.joinedOffset == e.offset)
    return bytes_.data() + e.offset;
}

std::optional<std::size_t> IndexOf(const EvtIndex& index, DWORD recordNumber)
{
    const std::size_t i = LowerBound(index, recordNumber);
    if (i < index.size() && index[i].recordNumber == recordNumber)
        return i;
    return std::nullopt;
}

std::size_t LowerBound(const EvtIndex& index, DWORD recordNumber)
{
    if (index.empty() || recordNumber <= index.front().recordNumber)
        return 0;
    if (recordNumber > index.back().recordNumber)
        return index.size();
    const DWORD first = index.front().recordNumber;
    if (index.back().recordNumber - first == index.size() - 1) // numbers without gaps
        return recordNumber - first;
    auto it = std::lower_bound(index.begin(), index.end(), recordNumber,
                               [](const IndexEntry& e, DWORD n) { return e.recordNumber < n; });
    return static_cast<std::size_t>(it - index.begin());
}

std::optional<std::size_t> EvtLogImage::indexOf(DWORD recordNumber) const
{
    return IndexOf(layout_.index, recordNumber);
}

std::size_t EvtLogImage::lowerBound(DWORD recordNumber) const
{
    return LowerBound(layout_.index, recordNumber);
}

FileHeader EvtLogImage::header() const
{
    FileHeader h;
    h.startOffset = layout_.start;
    h.endOffset = layout_.eof;
    h.currentRecordNumber = layout_.nextNumber;
    h.oldestRecordNumber = oldestRecordNumber();
    h.maxSize = layout_.maxSize;
    h.flags = layout_.flags & ~kFlagDirty;
    h.retention = layout_.retention;
    return h;
}

DWORD EvtLogImage::advance(DWORD offset, DWORD by) const
{
    const std::uint64_t to = static_cast<std::uint64_t>(offset) + by;
    if (to >= layout_.end)
        return static_cast<DWORD>(to - layout_.end + kHeaderSize);
    return static_cast<DWORD>(to);
}

DWORD EvtLogImage::distance(DWORD from, DWORD to) const
{
    return to >= from ? to - from : (layout_.end - from) + (to - kHeaderSize);
}

void EvtLogImage::writeRing(DWORD offset, const BYTE* data, DWORD length, std::vector<ByteRange>* changed)
{
    const DWORD first = std::min(length, layout_.end - offset);
    std::memcpy(bytes_.data() + offset, data, first);
    if (changed)
        changed->push_back({offset, first});
    if (first < length) {
        std::memcpy(bytes_.data() + kHeaderSize, data + first, length - first);
        if (changed)
            changed->push_back({kHeaderSize, length - first});
    }
}

void EvtLogImage::writeHeaderBytes()
{
    header().writeTo(bytes_.data());
}

void EvtLogImage::grow(DWORD newSize)
{
    bytes_.resize(newSize, 0);
    layout_.end = newSize;
}

DWORD EvtLogImage::append(const EvtRecord& input, DWORD minLength, std::string& why,
                          std::vector<ByteRange>* changed, DWORD* recordNumber)
{
    EvtRecord record = input;
    if (record.recordNumber == 0)
        record.recordNumber = layout_.nextNumber;
    if (record.recordNumber < layout_.nextNumber || (!layout_.index.empty() && record.recordNumber <= newestRecordNumber())) {
        why = "record number " + std::to_string(record.recordNumber) + " is not above the newest record";
        return ERROR_INVALID_PARAMETER;
    }
    if (record.strings.size() > 0xFFFF) {
        why = "an event holds at most 65535 insertion strings";
        return ERROR_INVALID_PARAMETER;
    }
    if (minLength > 0x7FFFFFF0u) {
        why = "the event is too large";
        return ERROR_INVALID_PARAMETER;
    }
    std::vector<BYTE> bytes = EncodeRecord(record, minLength);
    if (bytes.size() > 0x7FFFFFF0u) {
        why = "the event is too large";
        return ERROR_INVALID_PARAMETER;
    }
    const DWORD length = static_cast<DWORD>(bytes.size());
    RecordLayout layout;
    if (!ScanRecord(bytes.data(), length, layout, why))
        return ERROR_INVALID_PARAMETER;

    const DWORD sizeCap = std::max(layout_.end, layout_.maxSize & ~3u);
    // Worst case: a filler of less than a record's fixed part, then the
    // record and the end-of-file record.
    if (static_cast<std::uint64_t>(length) + kEofSize + kRecordFixedSize > sizeCap - kHeaderSize) {
        why = "an event of " + std::to_string(length) + " bytes does not fit in a log of " +
              std::to_string(layout_.maxSize) + " bytes";
        return ERROR_INVALID_PARAMETER;
    }

    // The memory the append needs is had before anything changes, so that
    // memory that cannot be had leaves the image as it was: the ranges
    // (three pieces of at most two ranges each, and the header), ...
    std::vector<ByteRange> ranges;
    ranges.reserve(7);
    if (changed)
        changed->reserve(changed->size() + ranges.capacity());

    // ... the file grown while the records lie in one piece, ...
    const DWORD endBefore = layout_.end;
    const std::size_t sizeBefore = bytes_.size();
    if (layout_.start <= layout_.eof && layout_.end < sizeCap && static_cast<std::uint64_t>(layout_.eof) + length + kEofSize > layout_.end) {
        std::uint64_t wanted = static_cast<std::uint64_t>(layout_.eof) + length + kEofSize;
        wanted = (wanted + kSizeStep - 1) / kSizeStep * kSizeStep;
        grow(static_cast<DWORD>(std::min<std::uint64_t>(wanted, sizeCap)));
    }

    // How many of the oldest records must go.
    const DWORD filler = layout_.end - layout_.eof < kRecordFixedSize ? layout_.end - layout_.eof : 0;
    const std::uint64_t need = static_cast<std::uint64_t>(filler) + length + kEofSize;
    std::size_t drop = 0;
    DWORD start = layout_.start;
    while (need > dataSize() - (drop == layout_.index.size() ? 0 : distance(start, layout_.eof))) {
        if (drop == layout_.index.size()) { // cannot happen after the size check above
            why = "the event does not fit in the log";
            return ERROR_INVALID_PARAMETER;
        }
        const IndexEntry& oldest = layout_.index[drop];
        const bool mayOverwrite =
            layout_.retention == kRetainOverwriteAsNeeded ||
            (layout_.retention != kRetainNeverOverwrite &&
             static_cast<std::uint64_t>(oldest.timeWritten) + layout_.retention <= record.timeWritten);
        if (!mayOverwrite) {
            layout_.flags |= kFlagLogFull;
            writeHeaderBytes();
            if (changed)
                changed->push_back({0, kHeaderSize});
            why = "the log is full and its oldest event " + std::to_string(oldest.recordNumber) +
                  " is kept by the retention";
            return ERROR_LOG_FILE_FULL;
        }
        ++drop;
        start = drop == layout_.index.size() ? layout_.eof : layout_.index[drop].offset;
    }

    // ... and the new record's place in the index, taken before the records
    // that make room for it leave it.
    const DWORD at = filler != 0 ? kHeaderSize : layout_.eof;
    try {
        layout_.index.push_back(IndexEntry{at, length, record.recordNumber, record.timeWritten});
    } catch (...) {
        bytes_.resize(sizeBefore); // the file had not grown yet
        layout_.end = endBefore;
        throw;
    }

    // Nothing fails from here on.  Filler, the record, the new end-of-file
    // record (written first, so the old one stays whole until the record
    // replaces it), then the header.
    layout_.index.erase(layout_.index.begin(), layout_.index.begin() + static_cast<std::ptrdiff_t>(drop));
    layout_.start = layout_.index.front().offset;
    BYTE fill[kRecordFixedSize];
    if (filler != 0) {
        for (DWORD i = 0; i < filler; i += 4)
            writeLe32(fill + i, kFillerWord);
        layout_.flags |= kFlagWrap;
    }
    const DWORD newEof = advance(at, length);
    layout_.nextNumber = record.recordNumber + 1;
    layout_.eof = newEof;

    BYTE eofBytes[kEofSize];
    EofRecord{layout_.start, layout_.eof, layout_.nextNumber, oldestRecordNumber()}.writeTo(eofBytes);
    writeRing(layout_.eof, eofBytes, kEofSize, &ranges);
    if (filler != 0)
        writeRing(layout_.end - filler, fill, filler, &ranges);
    const BYTE* recordBytes = bytes.data();
    if (static_cast<std::uint64_t>(at) + length > layout_.end) {
        layout_.joined = std::move(bytes);
        recordBytes = layout_.joined.data();
        layout_.joinedOffset = at;
        layout_.hasJoined = true;
        layout_.flags |= kFlagWrap;
    } else if (newEof < at || static_cast<std::uint64_t>(newEof) + kEofSize > layout_.end) {
        layout_.flags |= kFlagWrap;
    }
    writeRing(at, recordBytes, length, &ranges);
    writeHeaderBytes();
    ranges.push_back({0, kHeaderSize});
    if (changed)
        changed->insert(changed->end(), ranges.begin(), ranges.end());
    if (recordNumber)
        *recordNumber = record.recordNumber;
    return ERROR_SUCCESS;
}

void EvtLogImage::clear()
{
    bytes_.assign(initialFileSize(layout_.maxSize), 0);
    layout_.end = static_cast<DWORD>(bytes_.size());
    layout_.start = layout_.eof = kHeaderSize;
    layout_.nextNumber = 1;
    layout_.flags = 0;
    layout_.index.clear();
    layout_.joined.clear();
    layout_.hasJoined = false;
    EofRecord{layout_.start, layout_.eof, layout_.nextNumber, 0}.writeTo(bytes_.data() + layout_.eof);
    writeHeaderBytes();
}

namespace {

// The clean header and the end record of a compact backup whose records
// end at `end`.
void writeCompactFrame(const EvtIndex& index, DWORD nextNumber, DWORD maxSize, DWORD retention, DWORD end,
                       BYTE* header, BYTE* eof)
{
    const DWORD oldest = index.empty() ? 0 : index.front().recordNumber;
    FileHeader h;
    h.startOffset = kHeaderSize;
    h.endOffset = end;
    h.currentRecordNumber = nextNumber;
    h.oldestRecordNumber = oldest;
    h.maxSize = maxSize;
    h.flags = 0;
    h.retention = retention;
    h.writeTo(header);
    EofRecord{kHeaderSize, end, nextNumber, oldest}.writeTo(eof);
}

} // namespace

std::vector<BYTE> CompactBackupBytes(const EvtIndex& index, DWORD nextNumber, DWORD maxSize, DWORD retention,
                                     const std::function<const BYTE*(std::size_t)>& record)
{
    std::uint64_t total = kHeaderSize + kEofSize;
    for (const IndexEntry& e : index)
        total += e.length;
    std::vector<BYTE> out(total);
    DWORD at = kHeaderSize;
    for (std::size_t i = 0; i < index.size(); ++i) {
        const BYTE* bytes = record(i);
        if (!bytes)
            return out;
        std::memcpy(out.data() + at, bytes, index[i].length);
        at += index[i].length;
    }
    writeCompactFrame(index, nextNumber, maxSize, retention, at, out.data(), out.data() + at);
    return out;
}

CompactPieces CompactBackupPieces(const EvtIndex& index, DWORD nextNumber, DWORD maxSize, DWORD retention,
                                  const std::function<const BYTE*(std::size_t)>& record)
{
    CompactPieces out;
    out.header.resize(kHeaderSize);
    out.end.resize(kEofSize);
    out.pieces.emplace_back(out.header.data(), out.header.size());
    DWORD at = kHeaderSize;
    for (std::size_t i = 0; i < index.size(); ++i) {
        const BYTE* bytes = record(i);
        if (!bytes)
            return out;
        const std::size_t length = index[i].length;
        std::span<const BYTE>& last = out.pieces.back();
        if (out.pieces.size() > 1 && last.data() + last.size() == bytes)
            last = std::span<const BYTE>(last.data(), last.size() + length);
        else
            out.pieces.emplace_back(bytes, length);
        at += index[i].length;
    }
    writeCompactFrame(index, nextNumber, maxSize, retention, at, out.header.data(), out.end.data());
    out.pieces.emplace_back(out.end.data(), out.end.size());
    return out;
}

std::vector<BYTE> EvtLogImage::compactBytes() const
{
    return CompactBackupBytes(layout_.index, layout_.nextNumber, layout_.maxSize, layout_.retention,
                              [this](std::size_t i) { return recordBytes(i); });
}

CompactPieces EvtLogImage::compactPieces() const
{
    return CompactBackupPieces(layout_.index, layout_.nextNumber, layout_.maxSize, layout_.retention,
                               [this](std::size_t i) { return recordBytes(i); });
}

} // namespace platform::evt
