#pragma once
// The on-disk layout of the platform's event-log files (*.evt): the file
// header, the event records and the end-of-file record, with little-endian
// accessors.  Every value in the file is little-endian; offsets count from
// the start of the file.
//
//   file header     0x30 bytes at offset 0
//   records         EVENTLOGRECORD, each 4-byte aligned, laid end to end in
//                   a ring that runs from 0x30 to the end of the file and
//                   continues at 0x30; a record may be split at that point
//   filler          0x00000027 words fill a tail too short for a record's
//                   fixed part before the ring continues at 0x30
//   end-of-file     0x28 bytes right after the newest record (may be split)

#include "Win32Types.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace platform::evt {

// --- file header ---
inline constexpr DWORD kHeaderSize = 0x30;
inline constexpr DWORD kSignature = 0x654C664C; // "LfLe"
inline constexpr DWORD kMajorVersion = 1;
inline constexpr DWORD kMinorVersion = 1;

// Header field offsets.
inline constexpr std::size_t kHdrHeaderSize = 0x00;
inline constexpr std::size_t kHdrSignature = 0x04;
inline constexpr std::size_t kHdrMajorVersion = 0x08;
inline constexpr std::size_t kHdrMinorVersion = 0x0C;
inline constexpr std::size_t kHdrStartOffset = 0x10;
inline constexpr std::size_t kHdrEndOffset = 0x14;
inline constexpr std::size_t kHdrCurrentRecordNumber = 0x18;
inline constexpr std::size_t kHdrOldestRecordNumber = 0x1C;
inline constexpr std::size_t kHdrMaxSize = 0x20;
inline constexpr std::size_t kHdrFlags = 0x24;
inline constexpr std::size_t kHdrRetention = 0x28;
inline constexpr std::size_t kHdrEndHeaderSize = 0x2C;

// Header flags.
inline constexpr DWORD kFlagDirty = 0x1;   // written to while the header was not updated
inline constexpr DWORD kFlagWrap = 0x2;    // the records wrap around the end of the file
inline constexpr DWORD kFlagLogFull = 0x4; // an event was refused because the log was full
inline constexpr DWORD kFlagArchive = 0x8; // the archive attribute is set

// Retention values with a meaning of their own (others count seconds).
inline constexpr DWORD kRetainOverwriteAsNeeded = 0;
inline constexpr DWORD kRetainNeverOverwrite = 0xFFFFFFFF;

// Live logs are created, and grow, in steps of this size.
inline constexpr DWORD kSizeStep = 0x10000;

// --- event record ---
inline constexpr DWORD kRecordFixedSize = 0x38;
// Fixed part, two empty names (two UTF-16 NULs) and the trailing length.
inline constexpr DWORD kRecordMinSize = kRecordFixedSize + 4 + 4;

inline constexpr std::size_t kRecLength = 0x00;
inline constexpr std::size_t kRecSignature = 0x04;
inline constexpr std::size_t kRecRecordNumber = 0x08;
inline constexpr std::size_t kRecTimeGenerated = 0x0C;
inline constexpr std::size_t kRecTimeWritten = 0x10;
inline constexpr std::size_t kRecEventId = 0x14;
inline constexpr std::size_t kRecEventType = 0x18;
inline constexpr std::size_t kRecNumStrings = 0x1A;
inline constexpr std::size_t kRecEventCategory = 0x1C;
inline constexpr std::size_t kRecReservedFlags = 0x1E;
inline constexpr std::size_t kRecClosingRecordNumber = 0x20;
inline constexpr std::size_t kRecStringOffset = 0x24;
inline constexpr std::size_t kRecUserSidLength = 0x28;
inline constexpr std::size_t kRecUserSidOffset = 0x2C;
inline constexpr std::size_t kRecDataLength = 0x30;
inline constexpr std::size_t kRecDataOffset = 0x34;

// --- filler and end-of-file record ---
inline constexpr DWORD kFillerWord = 0x00000027;
inline constexpr DWORD kEofSize = 0x28;
inline constexpr DWORD kEofMarker[4] = {0x11111111, 0x22222222, 0x33333333, 0x44444444};

inline constexpr std::size_t kEofSizeBeginning = 0x00;
inline constexpr std::size_t kEofMarkerOffset = 0x04;
inline constexpr std::size_t kEofBeginRecord = 0x14;
inline constexpr std::size_t kEofEndRecord = 0x18;
inline constexpr std::size_t kEofCurrentRecordNumber = 0x1C;
inline constexpr std::size_t kEofOldestRecordNumber = 0x20;
inline constexpr std::size_t kEofSizeEnd = 0x24;

// --- little-endian accessors (the caller has checked the bounds) ---
inline WORD readLe16(const BYTE* p)
{
    return static_cast<WORD>(p[0] | (p[1] << 8));
}

inline DWORD readLe32(const BYTE* p)
{
    return static_cast<DWORD>(p[0]) | (static_cast<DWORD>(p[1]) << 8) | (static_cast<DWORD>(p[2]) << 16) |
           (static_cast<DWORD>(p[3]) << 24);
}

inline void writeLe16(BYTE* p, WORD v)
{
    p[0] = static_cast<BYTE>(v);
    p[1] = static_cast<BYTE>(v >> 8);
}

inline void writeLe32(BYTE* p, DWORD v)
{
    p[0] = static_cast<BYTE>(v);
    p[1] = static_cast<BYTE>(v >> 8);
    p[2] = static_cast<BYTE>(v >> 16);
    p[3] = static_cast<BYTE>(v >> 24);
}

inline constexpr DWORD alignUp4(DWORD v)
{
    return (v + 3u) & ~3u;
}

// The header fields as a value.
struct FileHeader {
    DWORD startOffset = kHeaderSize;
    DWORD endOffset = kHeaderSize;
    DWORD currentRecordNumber = 1;
    DWORD oldestRecordNumber = 0;
    DWORD maxSize = 0;
    DWORD flags = 0;
    DWORD retention = 0;

    void writeTo(BYTE* p) const
    {
        writeLe32(p + kHdrHeaderSize, kHeaderSize);
        writeLe32(p + kHdrSignature, kSignature);
        writeLe32(p + kHdrMajorVersion, kMajorVersion);
        writeLe32(p + kHdrMinorVersion, kMinorVersion);
        writeLe32(p + kHdrStartOffset, startOffset);
        writeLe32(p + kHdrEndOffset, endOffset);
        writeLe32(p + kHdrCurrentRecordNumber, currentRecordNumber);
        writeLe32(p + kHdrOldestRecordNumber, oldestRecordNumber);
        writeLe32(p + kHdrMaxSize, maxSize);
        writeLe32(p + kHdrFlags, flags);
        writeLe32(p + kHdrRetention, retention);
        writeLe32(p + kHdrEndHeaderSize, kHeaderSize);
    }

    static FileHeader readFrom(const BYTE* p)
    {
        FileHeader h;
        h.startOffset = readLe32(p + kHdrStartOffset);
        h.endOffset = readLe32(p + kHdrEndOffset);
        h.currentRecordNumber = readLe32(p + kHdrCurrentRecordNumber);
        h.oldestRecordNumber = readLe32(p + kHdrOldestRecordNumber);
        h.maxSize = readLe32(p + kHdrMaxSize);
        h.flags = readLe32(p + kHdrFlags);
        h.retention = readLe32(p + kHdrRetention);
        return h;
    }
};

// The end-of-file record's fields as a value.
struct EofRecord {
    DWORD beginRecord = kHeaderSize;
    DWORD endRecord = kHeaderSize;
    DWORD currentRecordNumber = 1;
    DWORD oldestRecordNumber = 0;

    void writeTo(BYTE* p) const
    {
        writeLe32(p + kEofSizeBeginning, kEofSize);
        for (int i = 0; i < 4; ++i)
            writeLe32(p + kEofMarkerOffset + 4 * i, kEofMarker[i]);
        writeLe32(p + kEofBeginRecord, beginRecord);
        writeLe32(p + kEofEndRecord, endRecord);
        writeLe32(p + kEofCurrentRecordNumber, currentRecordNumber);
        writeLe32(p + kEofOldestRecordNumber, oldestRecordNumber);
        writeLe32(p + kEofSizeEnd, kEofSize);
    }

    // True when the 0x28 bytes at p are an end-of-file record.
    static bool isAt(const BYTE* p)
    {
        if (readLe32(p + kEofSizeBeginning) != kEofSize || readLe32(p + kEofSizeEnd) != kEofSize)
            return false;
        for (int i = 0; i < 4; ++i)
            if (readLe32(p + kEofMarkerOffset + 4 * i) != kEofMarker[i])
                return false;
        return true;
    }

    static EofRecord readFrom(const BYTE* p)
    {
        EofRecord e;
        e.beginRecord = readLe32(p + kEofBeginRecord);
        e.endRecord = readLe32(p + kEofEndRecord);
        e.currentRecordNumber = readLe32(p + kEofCurrentRecordNumber);
        e.oldestRecordNumber = readLe32(p + kEofOldestRecordNumber);
        return e;
    }
};

} // namespace platform::evt
