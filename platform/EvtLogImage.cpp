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
    : maxSize_(std::max(maxSize & ~3u, kMinimumMaxSize))
    , retention_(retention)
{
    clear();
}

const BYTE* EvtLogImage::recordBytes(std::size_t i) const
{
    const IndexEntry& e = index_[i];
    if (static_cast<std::uint64_t>(e.offset) + e.length > end_)
        return joined_.data(); // the one split record (hasJoined_ and joinedOffset_ == e.offset)
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
    return IndexOf(index_, recordNumber);
}

std::size_t EvtLogImage::lowerBound(DWORD recordNumber) const
{
    return LowerBound(index_, recordNumber);
}

FileHeader EvtLogImage::header() const
{
    FileHeader h;
    h.startOffset = start_;
    h.endOffset = eof_;
    h.currentRecordNumber = nextNumber_;
    h.oldestRecordNumber = oldestRecordNumber();
    h.maxSize = maxSize_;
    h.flags = flags_ & ~kFlagDirty;
    h.retention = retention_;
    return h;
}

DWORD EvtLogImage::advance(DWORD offset, DWORD by) const
{
    const std::uint64_t to = static_cast<std::uint64_t>(offset) + by;
    if (to >= end_)
        return static_cast<DWORD>(to - end_ + kHeaderSize);
    return static_cast<DWORD>(to);
}

DWORD EvtLogImage::distance(DWORD from, DWORD to) const
{
    return to >= from ? to - from : (end_ - from) + (to - kHeaderSize);
}

void EvtLogImage::writeRing(DWORD offset, const BYTE* data, DWORD length, std::vector<ByteRange>* changed)
{
    const DWORD first = std::min(length, end_ - offset);
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
    end_ = newSize;
}

DWORD EvtLogImage::append(const EvtRecord& input, DWORD minLength, std::string& why,
                          std::vector<ByteRange>* changed, DWORD* recordNumber)
{
    EvtRecord record = input;
    if (record.recordNumber == 0)
        record.recordNumber = nextNumber_;
    if (record.recordNumber < nextNumber_ || (!index_.empty() && record.recordNumber <= newestRecordNumber())) {
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
    const std::vector<BYTE> bytes = EncodeRecord(record, minLength);
    if (bytes.size() > 0x7FFFFFF0u) {
        why = "the event is too large";
        return ERROR_INVALID_PARAMETER;
    }
    const DWORD length = static_cast<DWORD>(bytes.size());
    RecordLayout layout;
    if (!ScanRecord(bytes.data(), length, layout, why))
        return ERROR_INVALID_PARAMETER;

    const DWORD sizeCap = std::max(end_, maxSize_ & ~3u);
    // Worst case: a filler of less than a record's fixed part, then the
    // record and the end-of-file record.
    if (static_cast<std::uint64_t>(length) + kEofSize + kRecordFixedSize > sizeCap - kHeaderSize) {
        why = "an event of " + std::to_string(length) + " bytes does not fit in a log of " +
              std::to_string(maxSize_) + " bytes";
        return ERROR_INVALID_PARAMETER;
    }

    // Grow the file while the records lie in one piece.
    if (start_ <= eof_ && end_ < sizeCap && static_cast<std::uint64_t>(eof_) + length + kEofSize > end_) {
        std::uint64_t wanted = static_cast<std::uint64_t>(eof_) + length + kEofSize;
        wanted = (wanted + kSizeStep - 1) / kSizeStep * kSizeStep;
        grow(static_cast<DWORD>(std::min<std::uint64_t>(wanted, sizeCap)));
    }

    // How many of the oldest records must go.
    const DWORD filler = end_ - eof_ < kRecordFixedSize ? end_ - eof_ : 0;
    const std::uint64_t need = static_cast<std::uint64_t>(filler) + length + kEofSize;
    std::size_t drop = 0;
    DWORD start = start_;
    while (need > dataSize() - (drop == index_.size() ? 0 : distance(start, eof_))) {
        if (drop == index_.size()) { // cannot happen after the size check above
            why = "the event does not fit in the log";
            return ERROR_INVALID_PARAMETER;
        }
        const IndexEntry& oldest = index_[drop];
        const bool mayOverwrite =
            retention_ == kRetainOverwriteAsNeeded ||
            (retention_ != kRetainNeverOverwrite &&
             static_cast<std::uint64_t>(oldest.timeWritten) + retention_ <= record.timeWritten);
        if (!mayOverwrite) {
            flags_ |= kFlagLogFull;
            writeHeaderBytes();
            if (changed)
                changed->push_back({0, kHeaderSize});
            why = "the log is full and its oldest event " + std::to_string(oldest.recordNumber) +
                  " is kept by the retention";
            return ERROR_LOG_FILE_FULL;
        }
        ++drop;
        start = drop == index_.size() ? eof_ : index_[drop].offset;
    }
    index_.erase(index_.begin(), index_.begin() + static_cast<std::ptrdiff_t>(drop));
    start_ = index_.empty() ? eof_ : index_.front().offset;

    // Filler, the record, the new end-of-file record (written first, so the
    // old one stays whole until the record replaces it), then the header.
    DWORD at = eof_;
    std::vector<ByteRange> ranges;
    std::vector<BYTE> fill;
    if (filler != 0) {
        fill.resize(filler);
        for (DWORD i = 0; i < filler; i += 4)
            writeLe32(fill.data() + i, kFillerWord);
        at = kHeaderSize;
        flags_ |= kFlagWrap;
    }
    const DWORD newEof = advance(at, length);
    if (index_.empty())
        start_ = at;
    IndexEntry entry{at, length, record.recordNumber, record.timeWritten};
    index_.push_back(entry);
    nextNumber_ = record.recordNumber + 1;
    eof_ = newEof;

    BYTE eofBytes[kEofSize];
    EofRecord{start_, eof_, nextNumber_, oldestRecordNumber()}.writeTo(eofBytes);
    writeRing(eof_, eofBytes, kEofSize, &ranges);
    if (filler != 0)
        writeRing(end_ - filler, fill.data(), filler, &ranges);
    if (static_cast<std::uint64_t>(at) + length > end_) {
        joined_ = bytes;
        joinedOffset_ = at;
        hasJoined_ = true;
        flags_ |= kFlagWrap;
    } else if (newEof < at || static_cast<std::uint64_t>(newEof) + kEofSize > end_) {
        flags_ |= kFlagWrap;
    }
    writeRing(at, bytes.data(), length, &ranges);
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
    bytes_.assign(initialFileSize(maxSize_), 0);
    end_ = static_cast<DWORD>(bytes_.size());
    start_ = eof_ = kHeaderSize;
    nextNumber_ = 1;
    flags_ = 0;
    index_.clear();
    joined_.clear();
    hasJoined_ = false;
    EofRecord{start_, eof_, nextNumber_, 0}.writeTo(bytes_.data() + eof_);
    writeHeaderBytes();
}

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
    const DWORD oldest = index.empty() ? 0 : index.front().recordNumber;
    FileHeader h;
    h.startOffset = kHeaderSize;
    h.endOffset = at;
    h.currentRecordNumber = nextNumber;
    h.oldestRecordNumber = oldest;
    h.maxSize = maxSize;
    h.flags = 0;
    h.retention = retention;
    h.writeTo(out.data());
    EofRecord{kHeaderSize, at, nextNumber, oldest}.writeTo(out.data() + at);
    return out;
}

std::vector<BYTE> EvtLogImage::compactBytes() const
{
    return CompactBackupBytes(index_, nextNumber_, maxSize_, retention_,
                              [this](std::size_t i) { return recordBytes(i); });
}

} // namespace platform::evt
