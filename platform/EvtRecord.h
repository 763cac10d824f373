#pragma once
// One event record of an *.evt file: its neutral decoded form, the checked
// scan of its on-disk (UTF-16LE) form, the encoder that writes that form and
// the converter to the ANSI (UTF-8) form that ReadEventLogA hands out.
//
// Layout of a record, on disk and in the ANSI form alike:
//   0x00  fixed part (EVENTLOGRECORD, 0x38 bytes)
//   0x38  source name, NUL-terminated; then the computer name, NUL-terminated
//         (padding to a multiple of 4)
//         user SID at UserSidOffset (UserSidLength bytes)
//         insertion strings at StringOffset, each NUL-terminated
//         data at DataOffset (DataLength bytes)
//         padding: 1 to 4 bytes up to a multiple of 4 (written so; any
//         amount is read)
//   end-4 a copy of Length

#include "Win32Types.h"

#include <cstddef>
#include <string>
#include <vector>

namespace platform::evt {

// An event in neutral form; text is UTF-8.
struct EvtRecord {
    DWORD recordNumber = 0;
    DWORD timeGenerated = 0; // seconds since 1970-01-01 00:00 UTC
    DWORD timeWritten = 0;
    DWORD eventId = 0;
    WORD eventType = 0;
    WORD eventCategory = 0;
    WORD reservedFlags = 0;
    DWORD closingRecordNumber = 0;
    std::string source;
    std::string computer;
    std::vector<std::string> strings;
    std::vector<BYTE> sid;
    std::vector<BYTE> data;

    bool operator==(const EvtRecord&) const = default;
};

// Where the parts of an on-disk record lie, every offset and length checked
// against the record; and the length of its ANSI form.
struct RecordLayout {
    DWORD length = 0;
    DWORD sourceUnits = 0;   // UTF-16 units without the NUL; the name starts at 0x38
    DWORD computerOffset = 0;
    DWORD computerUnits = 0;
    WORD numStrings = 0;
    DWORD stringOffset = 0;
    DWORD sidOffset = 0;
    DWORD sidLength = 0;
    DWORD dataOffset = 0;
    DWORD dataLength = 0;
    DWORD ansiLength = 0;
};

// Checks the record of `size` bytes at p (its Length must equal size) and
// fills the layout; false with a readable reason (no trailing period) when
// anything in it does not hold.
bool ScanRecord(const BYTE* p, DWORD size, RecordLayout& layout, std::string& why);

// The checks of ScanRecord, without working out the lengths of the ANSI
// form: every text has its NUL, every part lies inside the record, the ANSI
// form is not too large for the platform.
bool CheckRecord(const BYTE* p, DWORD size, std::string& why);

// Checks the record of `size` bytes at p as ScanRecord does and writes its
// ANSI form (as WriteAnsiRecord) to out in the same pass, writing no more
// than `room` bytes: Done with the form's length; NoRoom when it does not
// fit (what was written is of no use; ScanRecord gives the length needed);
// Damaged with a readable reason.
enum class AnsiConversion { Done, NoRoom, Damaged };
AnsiConversion ConvertAnsiRecord(const BYTE* p, DWORD size, BYTE* out, DWORD room, DWORD& length, std::string& why);

// Decodes a record into neutral form; false with a reason when damaged.
bool DecodeRecord(const BYTE* p, DWORD size, EvtRecord& record, std::string& why);

// Writes the ANSI form of a scanned record (layout.ansiLength bytes) to out.
void WriteAnsiRecord(const BYTE* p, const RecordLayout& layout, BYTE* out);

// The on-disk form of an event; padded with zeros before the trailing
// length up to minLength (rounded up to a multiple of 4) when that is more.
std::vector<BYTE> EncodeRecord(const EvtRecord& record, DWORD minLength = 0);

// The length EncodeRecord gives without the padding.
std::size_t EncodedRecordLength(const EvtRecord& record);

// A SID in its text form ("S-1-5-21-...") to its bytes; false when the text
// is not a SID.  And back (for messages and tests).
bool SidFromText(const std::string& text, std::vector<BYTE>& sid);
std::string SidToText(const std::vector<BYTE>& sid);

} // namespace platform::evt
