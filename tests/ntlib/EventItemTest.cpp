#include "RecordBuilder.h"
#include "ScopedTimeZone.h"

#include "ntlib/EventItem.h"
#include "ntlib/NTException.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(EventType, MapsTheWholeWord)
{
    const std::pair<WORD, TEventType> cases[] = {
        {0, etUnknown},       {1, etError},         {2, etWarning},        {3, etUnknown},
        {4, etInformation},   {8, etAuditSuccess},  {16, etAuditFailure},  {0x18, etUnknown},
        {0x101, etUnknown},   {32, etUnknown},
    };
    for (auto [platformType, expected] : cases)
        EXPECT_EQ(EventTypeFromWin32(platformType), expected) << platformType;
}

TEST(EventItem, DecodesEveryField)
{
    TestRecord t;
    t.recordNumber = 77;
    t.timeGenerated = 86400;
    t.timeWritten = 0xFFFFFFFF;
    t.eventId = 0xC0001234;
    t.eventType = EVENTLOG_AUDIT_FAILURE;
    t.category = 9;
    t.source = "Srv";
    t.computer = "Ünïcødé-PC";
    t.strings = {"first", "", "third with ünicode"};
    t.sid = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};
    t.data = {0xde, 0xad, 0xbe, 0xef, 0x00};
    const std::vector<BYTE> bytes = BuildAnsiRecord(t);

    TEventItem item(nullptr);
    item.ReadRecord(bytes.data(), bytes.size(), 70);
    EXPECT_EQ(item.Index, 7);
    EXPECT_EQ(item.RecordNumber, 77u);
    EXPECT_DOUBLE_EQ(item.TimeGenerated, 25570.0);
    // All 32 bits are unsigned: the largest time lies in 2106.
    EXPECT_GT(item.TimeWritten, 75000.0);
    EXPECT_EQ(item.EventID, 0xC0001234u);
    EXPECT_EQ(item.EventType, etAuditFailure);
    EXPECT_EQ(item.Category, 9);
    EXPECT_EQ(item.Source, "Srv");
    EXPECT_EQ(item.Computer, "Ünïcødé-PC");
    EXPECT_EQ(item.Strings, (std::vector<std::string>{"first", "", "third with ünicode"}));
    EXPECT_EQ(item.Sid, t.sid);
    EXPECT_EQ(item.Data, t.data);

    TEventItem copy(nullptr);
    copy.Assign(item);
    EXPECT_EQ(copy.Strings, item.Strings);
    EXPECT_EQ(copy.Data, item.Data);
    EXPECT_EQ(copy.RecordNumber, item.RecordNumber);
}

TEST(EventItem, NoStringsMeansNoStringsAndNoSidMeansNA)
{
    TestRecord t;
    t.strings = {"ignored"};
    std::vector<BYTE> bytes = BuildAnsiRecord(t);
    // NumStrings := 0 while StringOffset still points at text.
    bytes[offsetof(EVENTLOGRECORD, NumStrings)] = 0;
    TEventItem item(nullptr);
    item.ReadRecord(bytes.data(), bytes.size(), 1);
    EXPECT_TRUE(item.Strings.empty());
    EXPECT_EQ(item.GetUserName(), "N/A");
}

TEST(EventItem, DamagedRecordsAreRefused)
{
    TestRecord t;
    t.strings = {"a", "b"};
    t.sid = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};
    t.data = {1, 2, 3};
    const std::vector<BYTE> good = BuildAnsiRecord(t);
    struct Corruption {
        const char* what;
        std::size_t offset;
        DWORD value;
    } cases[] = {
        {"length beyond the bytes", offsetof(EVENTLOGRECORD, Length), 0x10000},
        {"length below the fixed part", offsetof(EVENTLOGRECORD, Length), 8},
        {"SID outside", offsetof(EVENTLOGRECORD, UserSidOffset), 0xFFFFFFF0},
        {"SID too long", offsetof(EVENTLOGRECORD, UserSidLength), 0x7FFFFFFF},
        {"data outside", offsetof(EVENTLOGRECORD, DataOffset), 0xFFFFFFFF},
        {"data too long", offsetof(EVENTLOGRECORD, DataLength), 4000},
        {"strings outside", offsetof(EVENTLOGRECORD, StringOffset), 0x80000000},
        {"too many strings", offsetof(EVENTLOGRECORD, NumStrings), 500},
    };
    for (const Corruption& c : cases) {
        std::vector<BYTE> bytes = good;
        if (c.offset == offsetof(EVENTLOGRECORD, NumStrings)) {
            WORD w = static_cast<WORD>(c.value);
            std::memcpy(bytes.data() + c.offset, &w, sizeof w);
        } else {
            std::memcpy(bytes.data() + c.offset, &c.value, sizeof c.value);
        }
        TEventItem item(nullptr);
        EXPECT_THROW(item.ReadRecord(bytes.data(), bytes.size(), 1), ENTException) << c.what;
    }
    // A source name without its NUL at the end of the record.
    std::vector<BYTE> cut(good.begin(), good.begin() + sizeof(EVENTLOGRECORD) + 2);
    DWORD len = static_cast<DWORD>(cut.size());
    std::memcpy(cut.data(), &len, 4);
    TEventItem item(nullptr);
    EXPECT_THROW(item.ReadRecord(cut.data(), cut.size(), 1), ENTException);
}

TEST(DateTime, UnixTimeAndLocalTime)
{
    EXPECT_DOUBLE_EQ(UnixTimeToDateTime(0), 25569.0);
    EXPECT_DOUBLE_EQ(UnixTimeToDateTime(86400), 25570.0);
    EXPECT_NEAR(UnixTimeToDateTime(0xFFFFFFFF), 75279.26962, 1e-5); // 2106-02-07 06:28:15

    const ScopedTimeZone east("XYZ-2"); // two hours east of UTC, no daylight saving
    const TDateTime utc = 45000.5;
    EXPECT_NEAR(UTCToLocalDateTime(utc), utc + 2.0 / 24, 1e-8);
    // Milliseconds survive the round trip through the platform's file time.
    EXPECT_NEAR(UTCToLocalDateTime(utc + 0.123 / 86400) - UTCToLocalDateTime(utc), 0.123 / 86400, 1e-9);
}

TEST(DateTime, LocalTimeTakesTheOffsetInForceNowForEveryDate)
{
    // In the zone of the run: a winter and a summer date, either side of
    // any daylight-saving change, shift by the same offset, the one in
    // force now.
    const double offset = static_cast<double>(CurrentUtcOffsetSeconds()) / 86400;
    for (const TDateTime utc : {UnixTimeToDateTime(1'610'000'000),   // 2021-01-07 06:13:20
                                UnixTimeToDateTime(1'626'000'000),   // 2021-07-11 10:40:00
                                UnixTimeToDateTime(1'000'000'000)}) { // 2001-09-09 01:46:40
        SCOPED_TRACE(utc);
        EXPECT_NEAR(UTCToLocalDateTime(utc), utc + offset, 1e-8);
    }
}
