#pragma once
// One decoded event record of a reader, and the conversions it needs.

#include "EventText.h"

#include "platform/Win32Types.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class TEventCache;
class TNTEventLog;
struct EVENTLOGRECORD;

// Days since 1899-12-30 00:00; the fraction is the time of day.
using TDateTime = double;

enum TEventType : std::uint8_t {
    etUnknown = 0,
    etError = 1,
    etWarning = 2,
    etInformation = 3,
    etAuditSuccess = 4,
    etAuditFailure = 5,
};

// Maps the platform's 16-bit event type; combinations of bits are unknown.
TEventType EventTypeFromWin32(WORD eventType);

TDateTime UnixTimeToDateTime(std::uint32_t seconds);
// A UTC time in local time, shifted by the UTC offset in force now.
TDateTime UTCToLocalDateTime(TDateTime utc);

// One decoded event.  An item that a reader's cache holds shares its texts
// with the reader's other events and keeps its strings, data and SID in the
// cache's storage; it stays valid until that cache is cleared.  An item
// made on its own (or a copy) owns all of its parts.
class TEventItem {
public:
    explicit TEventItem(TNTEventLog* owner);
    TEventItem(const TEventItem&) = delete;
    TEventItem& operator=(const TEventItem&) = delete;

    // Decodes one record in its ANSI form.  `size` is the number of bytes
    // that belong to the record; every offset in it is checked against it and
    // a record that does not fit raises ENTException (code 1500).
    void ReadRecord(const BYTE* record, std::size_t size, DWORD oldestRecord);

    // "Domain\Name" of the event's user, "N/A" without a SID or when the
    // account cannot be looked up; computed once.
    const std::string& GetUserName();
    TDateTime GetLocalTimeGenerated() const;

    void SetSid(const BYTE* bytes, std::size_t length);
    void SetData(const BYTE* bytes, std::size_t length);
    void Assign(const TEventItem& source);
    void Clear();

    TNTEventLog* Owner() const { return owner_; }
    // True while the item lives in its reader's cache.
    bool IsCached() const { return cached_; }

private:
    TNTEventLog* owner_;

public:
    std::int32_t Index = 0;
    DWORD RecordNumber = 0;
    TDateTime TimeGenerated = 0;
    TDateTime TimeWritten = 0;
    DWORD EventID = 0;
    TEventType EventType = etUnknown;

private:
    bool cached_ = false;

public:
    std::uint16_t Category = 0;
    TEventStrings Strings;
    TEventText CategoryName;
    TEventText Source;
    TEventText Computer;
    TEventBytes Data;
    TEventBytes Sid;

    std::size_t DataLength() const { return Data.size(); }
    std::size_t SidLength() const { return Sid.size(); }

private:
    friend class TEventCache;
    friend class TNTEventLog;

    // Decodes a record into a clear item: into the cache (storage) or into
    // parts of its own (null).
    void Decode(const BYTE* record, std::size_t size, DWORD oldestRecord, TEventBlockStorage* storage);
    // Decodes a record in its on-disk form (its texts in UTF-16LE, as the
    // platform keeps it) into a clear item of its reader's cache, checking
    // it as the platform checks a record it converts; false when it is
    // damaged.  `scratch` is room to convert the insertion strings in,
    // grown when a record needs more.
    bool DecodeOnDisk(const BYTE* record, DWORD size, DWORD oldestRecord, TEventCache& storage,
                      std::vector<BYTE>& scratch);
    void SetFixedPart(const EVENTLOGRECORD& r, DWORD oldestRecord);

    TEventText userText_;
};
