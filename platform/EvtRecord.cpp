#include "EvtRecord.h"

#include "EvtFormat.h"
#include "Utf16Text.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>

namespace platform::evt {
namespace {

std::string format(const char* fmt, unsigned long long a, unsigned long long b = 0)
{
    char text[160];
    std::snprintf(text, sizeof text, fmt, a, b);
    return text;
}

// Finds the UTF-16 NUL of a string that starts at `offset` and must end
// before `end`; gives its length in units.
bool findTerminator(const BYTE* p, DWORD offset, DWORD end, DWORD& units)
{
    for (DWORD i = offset; i + 2 <= end; i += 2) {
        if (p[i] == 0 && p[i + 1] == 0) {
            units = (i - offset) / 2;
            return true;
        }
    }
    return false;
}

bool rangeInside(DWORD offset, DWORD length, DWORD begin, DWORD end)
{
    return offset >= begin && static_cast<std::uint64_t>(offset) + length <= end;
}

void appendUtf16(std::vector<BYTE>& out, const std::u16string& text)
{
    for (char16_t c : text) {
        out.push_back(static_cast<BYTE>(c));
        out.push_back(static_cast<BYTE>(c >> 8));
    }
    out.push_back(0);
    out.push_back(0);
}

} // namespace

namespace {

// The checks of a record's length and signature, the same for scanning and
// converting it.
bool checkFrame(const BYTE* p, DWORD size, std::string& why)
{
    if (size < kRecordMinSize) {
        why = format("record length %llu is below the minimum of %llu", size, kRecordMinSize);
        return false;
    }
    if (size % 4 != 0) {
        why = format("record length %llu is not a multiple of 4", size);
        return false;
    }
    if (readLe32(p + kRecLength) != size || readLe32(p + size - 4) != size) {
        why = format("record length %llu does not match its trailing copy %llu", readLe32(p + kRecLength),
                     readLe32(p + size - 4));
        return false;
    }
    if (readLe32(p + kRecSignature) != kSignature) {
        why = "record signature is not \"LfLe\"";
        return false;
    }
    return true;
}

constexpr const char* kSourceRunsPast = "source name runs past the end of the record";
constexpr const char* kComputerRunsPast = "computer name runs past the end of the record";

bool sidOutside(const RecordLayout& l, DWORD end, std::string& why)
{
    if (l.sidLength != 0 && !rangeInside(l.sidOffset, l.sidLength, kRecordFixedSize, end)) {
        why = format("user SID (offset %llu, length %llu) lies outside the record", l.sidOffset, l.sidLength);
        return true;
    }
    return false;
}

bool stringOffsetOutside(const RecordLayout& l, DWORD end, std::string& why)
{
    if (l.numStrings != 0 && (l.stringOffset < kRecordFixedSize || l.stringOffset >= end)) {
        why = format("string offset %llu lies outside the record", l.stringOffset);
        return true;
    }
    return false;
}

std::string stringRunsPast(WORD i, WORD count)
{
    return format("insertion string %llu of %llu runs past the end of the record", i + 1u, count);
}

bool dataOutside(const RecordLayout& l, DWORD end, std::string& why)
{
    if (l.dataLength != 0 && !rangeInside(l.dataOffset, l.dataLength, kRecordFixedSize, end)) {
        why = format("data (offset %llu, length %llu) lies outside the record", l.dataOffset, l.dataLength);
        return true;
    }
    return false;
}

void readParts(const BYTE* p, RecordLayout& l)
{
    l.sidLength = readLe32(p + kRecUserSidLength);
    l.sidOffset = readLe32(p + kRecUserSidOffset);
    l.numStrings = readLe16(p + kRecNumStrings);
    l.stringOffset = readLe32(p + kRecStringOffset);
    l.dataLength = readLe32(p + kRecDataLength);
    l.dataOffset = readLe32(p + kRecDataOffset);
}

} // namespace

namespace {

// The checks of ScanRecord, with the lengths of the ANSI form.
bool measureRecord(const BYTE* p, DWORD size, RecordLayout& l, std::string& why)
{
    if (!checkFrame(p, size, why))
        return false;
    const DWORD end = size - 4;
    l.length = size;
    readParts(p, l);
    std::size_t units = 0;
    std::size_t sourceBytes = 0;
    std::size_t computerBytes = 0;
    if (!MeasureUtf16LeText(p + kRecordFixedSize, p + end, units, sourceBytes)) {
        why = kSourceRunsPast;
        return false;
    }
    l.sourceUnits = static_cast<DWORD>(units);
    l.computerOffset = kRecordFixedSize + 2 * (l.sourceUnits + 1);
    if (!MeasureUtf16LeText(p + l.computerOffset, p + end, units, computerBytes)) {
        why = kComputerRunsPast;
        return false;
    }
    l.computerUnits = static_cast<DWORD>(units);
    std::uint64_t ansi = kRecordFixedSize + sourceBytes + 1 + computerBytes + 1;
    ansi = (ansi + 3) & ~std::uint64_t{3};

    if (sidOutside(l, end, why))
        return false;
    ansi += l.sidLength;

    if (stringOffsetOutside(l, end, why))
        return false;
    DWORD at = l.stringOffset;
    for (WORD i = 0; i < l.numStrings; ++i) {
        std::size_t bytes = 0;
        if (!MeasureUtf16LeText(p + at, p + end, units, bytes)) {
            why = stringRunsPast(i, l.numStrings);
            return false;
        }
        ansi += bytes + 1;
        at += static_cast<DWORD>(2 * (units + 1));
    }

    if (dataOutside(l, end, why))
        return false;
    ansi += l.dataLength;
    ansi += 4 - ansi % 4; // the padding is 1 to 4 bytes, as the platform writes it
    ansi += 4;
    if (ansi > 0x7FFFFFFF) {
        why = "record is too large";
        return false;
    }
    l.ansiLength = static_cast<DWORD>(ansi);
    return true;
}

// The same checks, in the same order, without the lengths: the texts laid
// end to end are walked NUL to NUL.
bool checkRecord(const BYTE* p, DWORD size, std::string& why)
{
    if (!checkFrame(p, size, why))
        return false;
    const DWORD end = size - 4;
    RecordLayout l;
    readParts(p, l);
    switch (CountUtf16LeTexts(p + kRecordFixedSize, p + end, 2)) {
    case 0:
        why = kSourceRunsPast;
        return false;
    case 1:
        why = kComputerRunsPast;
        return false;
    default:
        break;
    }
    if (sidOutside(l, end, why) || stringOffsetOutside(l, end, why))
        return false;
    if (l.numStrings != 0) {
        const std::size_t found = CountUtf16LeTexts(p + l.stringOffset, p + end, l.numStrings);
        if (found < l.numStrings) {
            why = stringRunsPast(static_cast<WORD>(found), l.numStrings);
            return false;
        }
    }
    return !dataOutside(l, end, why);
}

} // namespace

bool ScanRecord(const BYTE* p, DWORD size, RecordLayout& layout, std::string& why)
{
    RecordLayout l;
    if (!measureRecord(p, size, l, why))
        return false;
    layout = l;
    return true;
}

bool CheckRecord(const BYTE* p, DWORD size, std::string& why)
{
    RecordLayout l;
    // UTF-8 takes at most 1.5 times the bytes of UTF-16: only a record of
    // more than 0x50000000 bytes can have an ANSI form too large.
    if (size > 0x50000000)
        return measureRecord(p, size, l, why);
    return checkRecord(p, size, why);
}

AnsiConversion ConvertAnsiRecord(const BYTE* p, DWORD size, BYTE* out, DWORD room, DWORD& length, std::string& why)
{
    if (!checkFrame(p, size, why))
        return AnsiConversion::Damaged;
    const DWORD end = size - 4;
    const BYTE* const recordEnd = p + end;
    BYTE* const outEnd = out + std::min<DWORD>(room, 0x7FFFFFFF);
    if (outEnd - out < static_cast<std::ptrdiff_t>(kRecordFixedSize))
        return AnsiConversion::NoRoom;
    RecordLayout l;
    readParts(p, l);
    std::memcpy(out, p, kRecordFixedSize);
    BYTE* w = out + kRecordFixedSize;

    // One text up to its NUL, and the NUL.
    auto text = [&](DWORD at, std::size_t& units) {
        TextConversion result = ConvertUtf16LeText(p + at, recordEnd, w, outEnd, units);
        if (result == TextConversion::Done) {
            if (w == outEnd)
                return TextConversion::NoRoom;
            *w++ = 0;
        }
        return result;
    };
    auto fits = [&](std::size_t n) { return static_cast<std::size_t>(outEnd - w) >= n; };

    std::size_t units = 0;
    switch (text(kRecordFixedSize, units)) {
    case TextConversion::Done:
        break;
    case TextConversion::Unterminated:
        why = kSourceRunsPast;
        return AnsiConversion::Damaged;
    case TextConversion::NoRoom:
        return AnsiConversion::NoRoom;
    }
    switch (text(kRecordFixedSize + static_cast<DWORD>(2 * (units + 1)), units)) {
    case TextConversion::Done:
        break;
    case TextConversion::Unterminated:
        why = kComputerRunsPast;
        return AnsiConversion::Damaged;
    case TextConversion::NoRoom:
        return AnsiConversion::NoRoom;
    }
    while ((w - out) % 4 != 0) {
        if (!fits(1))
            return AnsiConversion::NoRoom;
        *w++ = 0;
    }

    if (sidOutside(l, end, why))
        return AnsiConversion::Damaged;
    if (!fits(l.sidLength))
        return AnsiConversion::NoRoom;
    const DWORD sidOffset = static_cast<DWORD>(w - out);
    if (l.sidLength != 0)
        std::memcpy(w, p + l.sidOffset, l.sidLength);
    w += l.sidLength;

    if (stringOffsetOutside(l, end, why))
        return AnsiConversion::Damaged;
    const DWORD stringOffset = static_cast<DWORD>(w - out);
    DWORD at = l.stringOffset;
    for (WORD i = 0; i < l.numStrings; ++i) {
        switch (text(at, units)) {
        case TextConversion::Done:
            break;
        case TextConversion::Unterminated:
            why = stringRunsPast(i, l.numStrings);
            return AnsiConversion::Damaged;
        case TextConversion::NoRoom:
            return AnsiConversion::NoRoom;
        }
        at += static_cast<DWORD>(2 * (units + 1));
    }

    if (dataOutside(l, end, why))
        return AnsiConversion::Damaged;
    const std::size_t padding = 4 - (static_cast<std::size_t>(w - out) + l.dataLength) % 4;
    if (!fits(std::size_t{l.dataLength} + padding + 4))
        return AnsiConversion::NoRoom;
    const DWORD dataOffset = static_cast<DWORD>(w - out);
    if (l.dataLength != 0)
        std::memcpy(w, p + l.dataOffset, l.dataLength);
    w += l.dataLength;
    std::memset(w, 0, padding); // 1 to 4 bytes, as the platform writes it
    w += padding;
    length = static_cast<DWORD>(w - out) + 4;
    writeLe32(w, length);

    writeLe32(out + kRecLength, length);
    writeLe32(out + kRecStringOffset, stringOffset);
    writeLe32(out + kRecUserSidOffset, sidOffset);
    writeLe32(out + kRecDataOffset, dataOffset);
    return AnsiConversion::Done;
}

bool DecodeRecord(const BYTE* p, DWORD size, EvtRecord& record, std::string& why)
{
    RecordLayout l;
    if (!ScanRecord(p, size, l, why))
        return false;
    EvtRecord r;
    r.recordNumber = readLe32(p + kRecRecordNumber);
    r.timeGenerated = readLe32(p + kRecTimeGenerated);
    r.timeWritten = readLe32(p + kRecTimeWritten);
    r.eventId = readLe32(p + kRecEventId);
    r.eventType = readLe16(p + kRecEventType);
    r.eventCategory = readLe16(p + kRecEventCategory);
    r.reservedFlags = readLe16(p + kRecReservedFlags);
    r.closingRecordNumber = readLe32(p + kRecClosingRecordNumber);
    r.source = Utf8FromUtf16Le(p + kRecordFixedSize, l.sourceUnits);
    r.computer = Utf8FromUtf16Le(p + l.computerOffset, l.computerUnits);
    DWORD at = l.stringOffset;
    r.strings.reserve(l.numStrings);
    for (WORD i = 0; i < l.numStrings; ++i) {
        DWORD units = 0;
        findTerminator(p, at, size - 4, units); // found by ScanRecord
        r.strings.push_back(Utf8FromUtf16Le(p + at, units));
        at += 2 * (units + 1);
    }
    r.sid.assign(p + l.sidOffset, p + l.sidOffset + l.sidLength);
    r.data.assign(p + l.dataOffset, p + l.dataOffset + l.dataLength);
    record = std::move(r);
    return true;
}

void WriteAnsiRecord(const BYTE* p, const RecordLayout& l, BYTE* out)
{
    std::memcpy(out, p, kRecordFixedSize);
    BYTE* w = out + kRecordFixedSize;
    w = WriteUtf8FromUtf16Le(p + kRecordFixedSize, l.sourceUnits, w);
    *w++ = 0;
    w = WriteUtf8FromUtf16Le(p + l.computerOffset, l.computerUnits, w);
    *w++ = 0;
    while ((w - out) % 4 != 0)
        *w++ = 0;

    const DWORD sidOffset = static_cast<DWORD>(w - out);
    if (l.sidLength != 0)
        std::memcpy(w, p + l.sidOffset, l.sidLength);
    w += l.sidLength;

    const DWORD stringOffset = static_cast<DWORD>(w - out);
    DWORD at = l.stringOffset;
    for (WORD i = 0; i < l.numStrings; ++i) {
        DWORD units = 0;
        findTerminator(p, at, l.length - 4, units); // found by ScanRecord
        w = WriteUtf8FromUtf16Le(p + at, units, w);
        *w++ = 0;
        at += 2 * (units + 1);
    }

    const DWORD dataOffset = static_cast<DWORD>(w - out);
    if (l.dataLength != 0)
        std::memcpy(w, p + l.dataOffset, l.dataLength);
    w += l.dataLength;
    do
        *w++ = 0;
    while ((w - out) % 4 != 0);
    writeLe32(w, l.ansiLength);

    writeLe32(out + kRecLength, l.ansiLength);
    writeLe32(out + kRecStringOffset, stringOffset);
    writeLe32(out + kRecUserSidOffset, sidOffset);
    writeLe32(out + kRecDataOffset, dataOffset);
}

std::size_t EncodedRecordLength(const EvtRecord& r)
{
    std::size_t n = kRecordFixedSize + 2 * (Utf16FromUtf8(r.source).size() + 1) +
                    2 * (Utf16FromUtf8(r.computer).size() + 1);
    n = (n + 3) & ~std::size_t{3};
    n += r.sid.size();
    for (const std::string& s : r.strings)
        n += 2 * (Utf16FromUtf8(s).size() + 1);
    n += r.data.size();
    return n + (4 - n % 4) + 4;
}

std::vector<BYTE> EncodeRecord(const EvtRecord& r, DWORD minLength)
{
    std::vector<BYTE> out(kRecordFixedSize, 0);
    out.reserve(kRecordFixedSize + 2 * (r.source.size() + r.computer.size()) + r.data.size() + 64);
    appendUtf16(out, Utf16FromUtf8(r.source));
    appendUtf16(out, Utf16FromUtf8(r.computer));
    while (out.size() % 4 != 0)
        out.push_back(0);
    const std::size_t sidOffset = out.size();
    out.insert(out.end(), r.sid.begin(), r.sid.end());
    const std::size_t stringOffset = out.size();
    for (const std::string& s : r.strings)
        appendUtf16(out, Utf16FromUtf8(s));
    const std::size_t dataOffset = out.size();
    out.insert(out.end(), r.data.begin(), r.data.end());
    // 1 to 4 bytes of padding: the platform always pads, also an aligned end
    // (and other readers rely on the parts ending before the padding).
    do
        out.push_back(0);
    while (out.size() % 4 != 0);
    while (out.size() + 4 < minLength)
        out.push_back(0);
    while (out.size() % 4 != 0)
        out.push_back(0);
    out.resize(out.size() + 4);
    const DWORD length = static_cast<DWORD>(out.size());

    BYTE* p = out.data();
    writeLe32(p + kRecLength, length);
    writeLe32(p + kRecSignature, kSignature);
    writeLe32(p + kRecRecordNumber, r.recordNumber);
    writeLe32(p + kRecTimeGenerated, r.timeGenerated);
    writeLe32(p + kRecTimeWritten, r.timeWritten);
    writeLe32(p + kRecEventId, r.eventId);
    writeLe16(p + kRecEventType, r.eventType);
    writeLe16(p + kRecNumStrings, static_cast<WORD>(r.strings.size()));
    writeLe16(p + kRecEventCategory, r.eventCategory);
    writeLe16(p + kRecReservedFlags, r.reservedFlags);
    writeLe32(p + kRecClosingRecordNumber, r.closingRecordNumber);
    writeLe32(p + kRecStringOffset, static_cast<DWORD>(stringOffset));
    writeLe32(p + kRecUserSidLength, static_cast<DWORD>(r.sid.size()));
    writeLe32(p + kRecUserSidOffset, static_cast<DWORD>(sidOffset));
    writeLe32(p + kRecDataLength, static_cast<DWORD>(r.data.size()));
    writeLe32(p + kRecDataOffset, static_cast<DWORD>(dataOffset));
    writeLe32(p + length - 4, length);
    return out;
}

bool SidFromText(const std::string& text, std::vector<BYTE>& sid)
{
    if (text.size() < 4 || (text[0] != 'S' && text[0] != 's') || text[1] != '-')
        return false;
    std::vector<std::uint64_t> parts;
    const char* at = text.data() + 2;
    const char* end = text.data() + text.size();
    while (true) {
        std::uint64_t value = 0;
        int base = 10;
        if (end - at > 2 && at[0] == '0' && (at[1] == 'x' || at[1] == 'X')) {
            at += 2;
            base = 16;
        }
        auto [next, ec] = std::from_chars(at, end, value, base);
        if (ec != std::errc() || next == at)
            return false;
        parts.push_back(value);
        at = next;
        if (at == end)
            break;
        if (*at != '-' || ++at == end)
            return false;
    }
    // revision, authority and 0 to 15 sub-authorities
    if (parts.size() < 2 || parts.size() > 17 || parts[0] > 0xFF || parts[1] > 0xFFFFFFFFFFFFull)
        return false;
    std::vector<BYTE> out;
    out.push_back(static_cast<BYTE>(parts[0]));
    out.push_back(static_cast<BYTE>(parts.size() - 2));
    for (int shift = 40; shift >= 0; shift -= 8)
        out.push_back(static_cast<BYTE>(parts[1] >> shift));
    for (std::size_t i = 2; i < parts.size(); ++i) {
        if (parts[i] > 0xFFFFFFFF)
            return false;
        BYTE le[4];
        writeLe32(le, static_cast<DWORD>(parts[i]));
        out.insert(out.end(), le, le + 4);
    }
    sid = std::move(out);
    return true;
}

std::string SidToText(const std::vector<BYTE>& sid)
{
    if (sid.size() < 8 || sid.size() != 8u + 4u * sid[1])
        return {};
    std::uint64_t authority = 0;
    for (int i = 2; i < 8; ++i)
        authority = (authority << 8) | sid[i];
    std::string text = "S-" + std::to_string(sid[0]) + "-";
    if (authority > 0xFFFFFFFF) {
        char hex[24];
        std::snprintf(hex, sizeof hex, "0x%012llX", static_cast<unsigned long long>(authority));
        text += hex;
    } else {
        text += std::to_string(authority);
    }
    for (int i = 0; i < sid[1]; ++i)
        text += "-" + std::to_string(readLe32(sid.data() + 8 + 4 * i));
    return text;
}

} // namespace platform::evt
