#include "EvtParser.h"

#include "ErrorCodes.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace platform::evt {
namespace {

std::string hex(DWORD v)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", v);
    return text;
}

// The most end-of-file records a dirty file's scan tries before giving up.
constexpr std::size_t kMaxEofCandidates = 64;

} // namespace

struct EvtParser::Walk {
    EvtBytes* bytes = nullptr;
    DWORD end = 0; // the ring wraps here

    // results
    EvtIndex index;
    std::vector<BYTE> joined;
    DWORD joinedOffset = 0;
    bool hasJoined = false;
    bool wrapped = false;
    EofRecord eof;
    DWORD eofOffset = 0;

    DWORD dataSize() const { return end - kHeaderSize; }
    DWORD read32(DWORD offset) const { return bytes->read32(offset); }
    DWORD advance(DWORD offset, DWORD by) const
    {
        const std::uint64_t to = static_cast<std::uint64_t>(offset) + by;
        return to >= end ? static_cast<DWORD>(to - end + kHeaderSize) : static_cast<DWORD>(to);
    }
    DWORD distance(DWORD from, DWORD to) const
    {
        return to >= from ? to - from : (end - from) + (to - kHeaderSize);
    }
    // Copies `length` (at most the ring's size) bytes from the ring.
    void copy(DWORD offset, DWORD length, BYTE* out) const
    {
        const DWORD first = std::min(length, end - offset);
        bytes->copy(offset, first, out);
        if (length > first)
            bytes->copy(kHeaderSize, length - first, out + first);
    }
    bool validOffset(DWORD offset) const { return offset >= kHeaderSize && offset < end && offset % 4 == 0; }
    bool eofAt(DWORD offset, EofRecord* record) const
    {
        BYTE raw[kEofSize];
        copy(offset, kEofSize, raw);
        if (!EofRecord::isAt(raw))
            return false;
        if (record)
            *record = EofRecord::readFrom(raw);
        return true;
    }
    void reset()
    {
        index.clear();
        joined.clear();
        hasJoined = false;
        wrapped = false;
    }
};

bool EvtParser::walk(Walk& w, DWORD start, DWORD eofOffset, std::string& why)
{
    w.reset();
    if (!w.eofAt(eofOffset, &w.eof)) {
        why = "no end-of-file record at offset " + hex(eofOffset);
        return false;
    }
    w.eofOffset = eofOffset;
    DWORD at = start;
    while (at != eofOffset) {
        const DWORD word = w.read32(at);
        if (word == kFillerWord) {
            if (eofOffset > at) {
                why = "filler at offset " + hex(at) + " runs over the end-of-file record at " + hex(eofOffset);
                return false;
            }
            if (w.wrapped) {
                why = "the records pass the end of the file twice";
                return false;
            }
            w.wrapped = true;
            at = kHeaderSize;
            continue;
        }
        const DWORD length = word;
        if (length < kRecordMinSize || length % 4 != 0 || length > w.dataSize() - kEofSize) {
            why = "record at offset " + hex(at) + " has length " + std::to_string(length) +
                  (length < kRecordMinSize ? ", expected at least " + std::to_string(kRecordMinSize)
                   : length % 4 != 0   ? ", not a multiple of 4"
                                       : ", more than the file holds");
            return false;
        }
        if (length > w.distance(at, eofOffset)) {
            why = "record at offset " + hex(at) + " (length " + std::to_string(length) +
                  ") runs over the end-of-file record at " + hex(eofOffset);
            return false;
        }
        const BYTE* record = nullptr;
        if (static_cast<std::uint64_t>(at) + length <= w.end) {
            record = w.bytes->view(at, length);
        } else {
            if (w.wrapped) {
                why = "the records pass the end of the file twice";
                return false;
            }
            w.joined.resize(length);
            w.copy(at, length, w.joined.data());
            w.joinedOffset = at;
            w.hasJoined = true;
            record = w.joined.data();
        }
        std::string reason;
        if (!CheckRecord(record, length, reason)) {
            why = "record at offset " + hex(at) + ": " + reason;
            return false;
        }
        const DWORD number = readLe32(record + kRecRecordNumber);
        if (!w.index.empty() && number <= w.index.back().recordNumber) {
            why = "record " + std::to_string(number) + " at offset " + hex(at) + " does not follow record " +
                  std::to_string(w.index.back().recordNumber);
            return false;
        }
        w.index.push_back({at, length, number, readLe32(record + kRecTimeWritten)});
        if (static_cast<std::uint64_t>(at) + length >= w.end)
            w.wrapped = true;
        at = w.advance(at, length);
    }
    return true;
}

DWORD EvtParser::parse(std::vector<BYTE> bytes, EvtLogImage& image, std::string& why)
{
    EvtBytes source(bytes.data(), bytes.size());
    EvtLayout layout;
    if (const DWORD error = parseLayout(source, layout, why); error != ERROR_SUCCESS)
        return error;
    EvtLogImage result;
    result.layout_ = std::move(layout);
    result.bytes_ = std::move(bytes);
    image = std::move(result);
    return ERROR_SUCCESS;
}

DWORD EvtParser::parseLayout(EvtBytes& bytes, EvtLayout& layout, std::string& why)
{
    try {
        return layoutOf(bytes, layout, why);
    } catch (const EvtReadFailure& failure) {
        why = failure.why;
        return failure.code;
    }
}

DWORD EvtParser::checkHeader(EvtBytes& bytes, FileHeader& header, std::string& why)
{
    try {
        return headerOf(bytes, header, why);
    } catch (const EvtReadFailure& failure) {
        why = failure.why;
        return failure.code;
    }
}

DWORD EvtParser::headerOf(EvtBytes& bytes, FileHeader& header, std::string& why)
{
    if (bytes.size() > 0xFFFFFFFFu) {
        why = "the file is larger than 4 GiB";
        return ERROR_EVENTLOG_FILE_CORRUPT;
    }
    const DWORD size = static_cast<DWORD>(bytes.size());
    if (size < kHeaderSize) {
        why = "a file of " + std::to_string(size) + " bytes is too small for an event-log header";
        return ERROR_EVENTLOG_FILE_CORRUPT;
    }
    BYTE b[kHeaderSize];
    bytes.copy(0, kHeaderSize, b);
    if (readLe32(b + kHdrSignature) != kSignature || readLe32(b + kHdrHeaderSize) != kHeaderSize ||
        readLe32(b + kHdrEndHeaderSize) != kHeaderSize) {
        why = "not an event-log file (no \"LfLe\" header)";
        return ERROR_EVENTLOG_FILE_CORRUPT;
    }
    if (readLe32(b + kHdrMajorVersion) != kMajorVersion || readLe32(b + kHdrMinorVersion) != kMinorVersion) {
        why = "event-log format version " + std::to_string(readLe32(b + kHdrMajorVersion)) + "." +
              std::to_string(readLe32(b + kHdrMinorVersion)) + " is not 1.1";
        return ERROR_EVENTLOG_FILE_CORRUPT;
    }
    if ((size & ~3u) < kHeaderSize + kEofSize) {
        why = "a file of " + std::to_string(size) + " bytes has no room for an end-of-file record";
        return ERROR_EVENTLOG_FILE_CORRUPT;
    }
    header = FileHeader::readFrom(b);
    return ERROR_SUCCESS;
}

DWORD EvtParser::layoutOf(EvtBytes& bytes, EvtLayout& layout, std::string& why)
{
    FileHeader header;
    if (const DWORD error = headerOf(bytes, header, why); error != ERROR_SUCCESS)
        return error;
    Walk w;
    w.bytes = &bytes;
    w.end = static_cast<DWORD>(bytes.size()) & ~3u;
    const bool dirty = (header.flags & kFlagDirty) != 0;

    // A clean header tells where the records are; a dirty one is stale and
    // the end-of-file record takes its place.
    std::string headerWhy;
    bool found = false;
    if (!dirty) {
        if (!w.validOffset(header.startOffset) || !w.validOffset(header.endOffset))
            headerWhy = "header offsets " + hex(header.startOffset) + " and " + hex(header.endOffset) +
                        " do not lie on the records of the file";
        else
            found = walk(w, header.startOffset, header.endOffset, headerWhy);
    }
    if (!found) {
        struct Candidate {
            DWORD offset;
            EofRecord eof;
        };
        std::vector<Candidate> candidates;
        for (DWORD at = kHeaderSize; at < w.end; at += 4) {
            EofRecord e;
            if (w.read32(at) != kEofSize || w.read32(w.advance(at, 4)) != kEofMarker[0] || !w.eofAt(at, &e))
                continue;
            if (e.endRecord == at && w.validOffset(e.beginRecord))
                candidates.push_back({at, e});
        }
        std::stable_sort(candidates.begin(), candidates.end(), [](const Candidate& x, const Candidate& y) {
            return x.eof.currentRecordNumber > y.eof.currentRecordNumber;
        });
        if (candidates.size() > kMaxEofCandidates)
            candidates.resize(kMaxEofCandidates);
        std::string scanWhy;
        for (const Candidate& c : candidates) {
            if (walk(w, c.eof.beginRecord, c.offset, scanWhy)) {
                found = true;
                break;
            }
        }
        if (!found) {
            if (!dirty)
                why = headerWhy;
            else if (candidates.empty())
                why = "the header is dirty and no end-of-file record was found";
            else
                why = "the header is dirty and no end-of-file record closes the records (" + scanWhy + ")";
            return ERROR_EVENTLOG_FILE_CORRUPT;
        }
    }

    EvtLayout result;
    result.end = w.end;
    result.start = w.index.empty() ? w.eofOffset : w.index.front().offset;
    result.eof = w.eofOffset;
    result.nextNumber = w.index.empty() ? std::max<DWORD>(1, w.eof.currentRecordNumber)
                                        : w.index.back().recordNumber + 1;
    result.maxSize = header.maxSize;
    result.retention = header.retention;
    result.flags = (header.flags & ~kFlagDirty) | (w.wrapped ? kFlagWrap : 0);
    result.index = std::move(w.index);
    result.joined = std::move(w.joined);
    result.joinedOffset = w.joinedOffset;
    result.hasJoined = w.hasJoined;
    layout = std::move(result);
    return ERROR_SUCCESS;
}

} // namespace platform::evt
