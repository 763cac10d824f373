#include "EventItem.h"

#include "EventCache.h"
#include "EventLog.h"
#include "NTException.h"

#include "platform/ErrorCodes.h"
#include "platform/EventLogService.h"
#include "platform/Kernel32.h"
#include "platform/Utf16Text.h"

#include <algorithm>

#include <cmath>
#include <cstring>
#include <iterator>
#include <string_view>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

[[noreturn]] void raiseDamaged(DWORD recordNumber, const char* what)
{
    throw ENTException("event record " + std::to_string(recordNumber) + " is damaged: " + what,
                       static_cast<std::int32_t>(ERROR_EVENTLOG_FILE_CORRUPT));
}

// The length of the NUL-terminated text at `offset`, never reading at or
// past `end`.
std::size_t textLength(const BYTE* record, std::size_t offset, std::size_t end, DWORD recordNumber)
{
    if (offset > end)
        raiseDamaged(recordNumber, "text outside the record");
    const void* nul = std::memchr(record + offset, 0, end - offset);
    if (!nul)
        raiseDamaged(recordNumber, "unterminated text");
    return static_cast<std::size_t>(static_cast<const BYTE*>(nul) - (record + offset));
}

// Finds the NULs of `count` texts laid end to end from `text`, none at or
// past `end`: stores each NUL's offset from text and gives how many were
// found.
std::size_t findEnds(const BYTE* text, const BYTE* end, std::uint32_t* ends, std::size_t count)
{
    std::size_t found = 0;
    const BYTE* at = text;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    while (found < count && end - at >= 16) {
        unsigned nul = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at)), zero)));
        for (; nul != 0 && found < count; nul &= nul - 1)
            ends[found++] = static_cast<std::uint32_t>(at - text) + static_cast<unsigned>(__builtin_ctz(nul));
        at += 16;
    }
#endif
    for (; found < count && at < end; ++at)
        if (*at == 0)
            ends[found++] = static_cast<std::uint32_t>(at - text);
    return found;
}

// Room for the end offsets of a record's strings: on the stack for the
// usual few, on the heap only for a record of many. Left uninitialised;
// the caller fills what it reads.
class StringEnds {
public:
    explicit StringEnds(std::size_t count)
    {
        if (count > std::size(few_))
            many_.resize(count);
    }
    StringEnds(const StringEnds&) = delete;
    StringEnds& operator=(const StringEnds&) = delete;

    std::uint32_t* data() { return many_.empty() ? few_ : many_.data(); }

private:
    std::uint32_t few_[64];
    std::vector<std::uint32_t> many_;
};

const std::string& notAvailable()
{
    static const std::string text = "N/A";
    return text;
}

constexpr double kUnixEpochDay = 25569.0; // 1970-01-01 as a TDateTime
constexpr double kMillisecondsPerDay = 86'400'000.0;
constexpr std::int64_t kDays1601To1899 = 109'205; // 1601-01-01 .. 1899-12-30

} // namespace

TEventType EventTypeFromWin32(WORD eventType)
{
    switch (eventType) {
    case EVENTLOG_ERROR_TYPE:
        return etError;
    case EVENTLOG_WARNING_TYPE:
        return etWarning;
    case EVENTLOG_INFORMATION_TYPE:
        return etInformation;
    case EVENTLOG_AUDIT_SUCCESS:
        return etAuditSuccess;
    case EVENTLOG_AUDIT_FAILURE:
        return etAuditFailure;
    default:
        return etUnknown;
    }
}

TDateTime UnixTimeToDateTime(std::uint32_t seconds)
{
    return static_cast<double>(seconds) / 60 / 60 / 24 + kUnixEpochDay;
}

TDateTime UTCToLocalDateTime(TDateTime utc)
{
    // Whole milliseconds since 1601, as the platform's file time holds them.
    const double ms = std::round((utc + static_cast<double>(kDays1601To1899)) * kMillisecondsPerDay);
    if (!(ms >= 0) || ms > 9.0e15) {
        SetLastError(ERROR_INVALID_PARAMETER);
        RaiseLastNTError();
    }
    const auto ticks = static_cast<std::uint64_t>(ms) * 10'000;
    FILETIME utcFile{static_cast<DWORD>(ticks & 0xFFFFFFFFu), static_cast<DWORD>(ticks >> 32)};
    FILETIME localFile{};
    SYSTEMTIME local{};
    if (!FileTimeToLocalFileTime(&utcFile, &localFile) || !FileTimeToSystemTime(&localFile, &local))
        RaiseLastNTError();
    const std::uint64_t localTicks = (std::uint64_t{localFile.dwHighDateTime} << 32) | localFile.dwLowDateTime;
    const double localMs = static_cast<double>(localTicks / 10'000);
    return localMs / kMillisecondsPerDay - static_cast<double>(kDays1601To1899);
}

TEventItem::TEventItem(TNTEventLog* owner)
    : owner_(owner)
{
}

void TEventItem::ReadRecord(const BYTE* record, std::size_t size, DWORD oldestRecord)
{
    Clear();
    Decode(record, size, oldestRecord, nullptr);
}

void TEventItem::Decode(const BYTE* record, std::size_t size, DWORD oldestRecord, TEventBlockStorage* storage)
{
    if (size < sizeof(EVENTLOGRECORD))
        raiseDamaged(0, "shorter than its fixed part");
    EVENTLOGRECORD r;
    std::memcpy(&r, record, sizeof r);
    if (r.Length > size || r.Length < sizeof r)
        raiseDamaged(r.RecordNumber, "length does not match");
    const std::size_t end = r.Length;

    SetFixedPart(r, oldestRecord);

    if (r.NumStrings > 0) {
        // The strings lie end to end: one copy takes them all.
        StringEnds endsRoom(r.NumStrings);
        std::uint32_t* const ends = endsRoom.data();
        if (r.StringOffset > end)
            raiseDamaged(r.RecordNumber, "text outside the record");
        if (findEnds(record + r.StringOffset, record + end, ends, r.NumStrings) < r.NumStrings)
            raiseDamaged(r.RecordNumber, "unterminated text");
        Strings = TEventStrings::Pack(reinterpret_cast<const char*>(record + r.StringOffset),
                                      std::size_t{ends[r.NumStrings - 1]} + 1, ends, r.NumStrings, storage);
    }
    const std::size_t sourceLength = textLength(record, sizeof r, end, r.RecordNumber);
    const std::size_t computerAt = sizeof r + sourceLength + 1;
    const std::size_t computerLength = textLength(record, computerAt, end, r.RecordNumber);
    const std::string_view source(reinterpret_cast<const char*>(record + sizeof r), sourceLength);
    const std::string_view computer(reinterpret_cast<const char*>(record + computerAt), computerLength);
    if (storage && owner_) {
        Source = TEventText::Shared(owner_->InternText(source));
        Computer = TEventText::Shared(owner_->InternText(computer));
        CategoryName = owner_->CachedCategoryName(Source.str(), Category);
    } else {
        Source = source;
        Computer = computer;
        if (owner_)
            CategoryName = owner_->GetCategoryName(Source, Category);
    }

    if (r.UserSidLength != 0) {
        if (r.UserSidOffset > end || r.UserSidLength > end - r.UserSidOffset)
            raiseDamaged(r.RecordNumber, "SID outside the record");
        Sid = TEventBytes::Pack(record + r.UserSidOffset, r.UserSidLength, storage);
    }
    if (r.DataLength != 0) {
        if (r.DataOffset > end || r.DataLength > end - r.DataOffset)
            raiseDamaged(r.RecordNumber, "data outside the record");
        Data = TEventBytes::Pack(record + r.DataOffset, r.DataLength, storage);
    }
}

void TEventItem::SetFixedPart(const EVENTLOGRECORD& r, DWORD oldestRecord)
{
    TimeGenerated = UnixTimeToDateTime(r.TimeGenerated);
    TimeWritten = r.TimeWritten == r.TimeGenerated ? TimeGenerated : UnixTimeToDateTime(r.TimeWritten);
    EventID = r.EventID;
    EventType = EventTypeFromWin32(r.EventType);
    Category = r.EventCategory;
    Index = static_cast<std::int32_t>(r.RecordNumber - oldestRecord);
    RecordNumber = r.RecordNumber;
}

bool TEventItem::DecodeOnDisk(const BYTE* record, DWORD size, DWORD oldestRecord, TEventCache& storage,
                              std::vector<BYTE>& scratch)
{
    constexpr DWORD kFixed = sizeof(EVENTLOGRECORD);
    constexpr DWORD kSignature = 0x654C664C; // "LfLe"
    if (size < kFixed + 8 || size % 4 != 0)
        return false;
    EVENTLOGRECORD r;
    std::memcpy(&r, record, sizeof r);
    DWORD trailing;
    std::memcpy(&trailing, record + size - 4, sizeof trailing);
    if (r.Length != size || trailing != size || r.Reserved != kSignature)
        return false;
    const BYTE* const end = record + size - 4;
    const DWORD endOffset = size - 4;
    auto inside = [&](DWORD offset, DWORD length) {
        return offset >= kFixed && std::uint64_t{offset} + length <= endOffset;
    };

    // The source and computer names: a few distinct texts among all events,
    // found in the pool by their UTF-16 bytes.
    std::size_t sourceUnits = 0;
    std::size_t computerUnits = 0;
    const BYTE* const source = record + kFixed;
    if (!platform::FindUtf16LeNul(source, end, sourceUnits))
        return false;
    const BYTE* const computer = source + 2 * (sourceUnits + 1);
    if (!platform::FindUtf16LeNul(computer, end, computerUnits))
        return false;
    if (r.UserSidLength != 0 && !inside(r.UserSidOffset, r.UserSidLength))
        return false;
    if (r.NumStrings != 0 && (r.StringOffset < kFixed || r.StringOffset >= endOffset))
        return false;
    if (r.DataLength != 0 && !inside(r.DataOffset, r.DataLength))
        return false;

    // Texts of a usual size are converted straight into the storage; a
    // record of large texts goes through the scratch room, so that the
    // storage keeps no room to spare for it.
    constexpr std::size_t kDirectText = 4 * 1024;
    if (r.NumStrings != 0 && TEventStrings::MaxUtf8Bytes(endOffset - r.StringOffset) <= kDirectText) {
        if (!TEventStrings::ConvertUtf16Le(record + r.StringOffset, end, r.NumStrings, storage, Strings))
            return false;
    } else if (r.NumStrings != 0) {
        // Converted end to end into the scratch room, with the end of each
        // string; then packed into the storage at their final size.
        StringEnds endsRoom(r.NumStrings);
        std::uint32_t* const ends = endsRoom.data();
        const std::size_t room = TEventStrings::MaxUtf8Bytes(endOffset - r.StringOffset);
        if (scratch.size() < room)
            scratch.resize(std::max(room, scratch.size() * 2));
        BYTE* const text = scratch.data();
        BYTE* w = text;
        if (!TEventStrings::ConvertUtf16LeTexts(record + r.StringOffset, end, r.NumStrings, w, text + scratch.size(),
                                                ends))
            return false;
        Strings = TEventStrings::Pack(reinterpret_cast<const char*>(text), static_cast<std::size_t>(w - text), ends,
                                      r.NumStrings, &storage);
    }

    SetFixedPart(r, oldestRecord);
    Source = TEventText::Shared(owner_->InternUtf16Text(source, 2 * sourceUnits));
    Computer = TEventText::Shared(owner_->InternUtf16Text(computer, 2 * computerUnits));
    CategoryName = owner_->CachedCategoryName(Source.str(), Category);
    if (r.UserSidLength != 0)
        Sid = storage.SharedBytes(record + r.UserSidOffset, r.UserSidLength);
    if (r.DataLength != 0)
        Data = TEventBytes::Pack(record + r.DataOffset, r.DataLength, &storage);
    return true;
}

const std::string& TEventItem::GetUserName()
{
    if (Sid.empty()) {
        userText_ = TEventText::Shared(notAvailable());
    } else if (userText_.empty() && cached_ && owner_) {
        userText_ = TEventText::Shared(owner_->AccountText(Sid.data(), Sid.size()));
    } else if (userText_.empty()) {
        userText_ = owner_ ? owner_->LookupAccountText(Sid.data(), Sid.size()) : notAvailable();
    }
    return userText_.str();
}

TDateTime TEventItem::GetLocalTimeGenerated() const
{
    return UTCToLocalDateTime(TimeGenerated);
}

void TEventItem::SetSid(const BYTE* bytes, std::size_t length)
{
    Sid = TEventBytes::Pack(bytes, length, nullptr);
}

void TEventItem::SetData(const BYTE* bytes, std::size_t length)
{
    Data = TEventBytes::Pack(bytes, length, nullptr);
}

void TEventItem::Assign(const TEventItem& source)
{
    if (&source == this)
        return;
    Index = source.Index;
    TimeGenerated = source.TimeGenerated;
    TimeWritten = source.TimeWritten;
    EventID = source.EventID;
    EventType = source.EventType;
    Strings = source.Strings;
    Category = source.Category;
    CategoryName = source.CategoryName;
    Source = source.Source;
    Computer = source.Computer;
    RecordNumber = source.RecordNumber;
    Data = source.Data;
    Sid = source.Sid;
}

void TEventItem::Clear()
{
    TimeGenerated = 0;
    TimeWritten = 0;
    EventID = 0;
    EventType = etUnknown;
    Strings.clear();
    Category = 0;
    Source.clear();
    Computer.clear();
    Data.clear();
    Sid.clear();
}
