#include "EvtTestSupport.h"

#include "platform/EvtFormat.h"
#include "tools/evtgen/BulkEvents.h"
#include "tools/evtgen/EvtGenerator.h"

#include <gtest/gtest.h>

using platform::evt::EvtRecord;

TEST(EvtGenerator, EventFieldsAreWrittenAsDescribed)
{
    evtgen::GeneratedLog log;
    std::string error;
    ASSERT_TRUE(evtgen::GenerateEvtLog(
        "# comment line\n"
        "clock time=2021-03-04T05:06:07Z\n"
        "event type=audit-failure source=\"Sec # not a comment\" computer=DC1 id=0xC0000211 category=12 "
        "sid=S-1-5-21-1-2-3-500 string=\"say \\\"hi\\\"\\t\\u{E9}\" string=\"\" data=0aFF flags=3 closing=9 # comment\n"
        "event written=2021-03-04T05:06:30Z number=40 type=77\n",
        log, error))
        << error;
    ASSERT_EQ(log.events.size(), 2u);
    const EvtRecord& a = log.events[0];
    EXPECT_EQ(a.recordNumber, 1u);
    EXPECT_EQ(a.timeGenerated, 1614834367u);
    EXPECT_EQ(a.timeWritten, 1614834367u);
    EXPECT_EQ(a.eventType, EVENTLOG_AUDIT_FAILURE);
    EXPECT_EQ(a.source, "Sec # not a comment");
    EXPECT_EQ(a.computer, "DC1");
    EXPECT_EQ(a.eventId, 0xC0000211u);
    EXPECT_EQ(a.eventCategory, 12);
    EXPECT_EQ(platform::evt::SidToText(a.sid), "S-1-5-21-1-2-3-500");
    EXPECT_EQ(a.strings, (std::vector<std::string>{"say \"hi\"\t\xC3\xA9", ""}));
    EXPECT_EQ(a.data, (std::vector<BYTE>{0x0A, 0xFF}));
    EXPECT_EQ(a.reservedFlags, 3);
    EXPECT_EQ(a.closingRecordNumber, 9u);
    const EvtRecord& b = log.events[1];
    EXPECT_EQ(b.recordNumber, 40u);
    EXPECT_EQ(b.timeGenerated, 1614834368u) << "the clock went on";
    EXPECT_EQ(b.timeWritten, 1614834390u);
    EXPECT_EQ(b.eventType, 77);
}

TEST(EvtGenerator, WrongDescriptionsNameTheLine)
{
    const struct {
        const char* text;
        const char* message;
    } cases[] = {
        {"event type=nonsense", "line 1: type=nonsense"},
        {"\nevent sid=S-1-x", "line 2: sid=S-1-x"},
        {"event data=ABC", "hex digits in pairs"},
        {"event string=\"open", "unterminated"},
        {"event string=\"\\q\"", "unknown escape"},
        {"event id=0x100000000", "id=0x100000000"},
        {"event time=2021-13-01T00:00:00Z", "not a time"},
        {"frobnicate", "unknown directive"},
        {"event colour=red", "unknown field colour"},
        {"event\nlog maxsize=0x20000", "line 2: log comes before the first event"},
        {"log maxsize=100", "maxsize"},
        {"log retention=soon", "retention"},
        {"form as=zip", "form wants"},
        {"form as=backup\ndirty after=1", "live form"},
        {"dirty after=5\nevent", "only 1 events"},
        {"event number=5\nevent number=3", "line 2: event 2: record number 3"},
        {"log maxsize=0x10000 retention=never\nevent size=2000 repeat=100", "log is full"},
        {"event size=70000", "does not fit"},
        {"bulk count=5 seed=x", "bulk wants"},
        {"event junk", "expected name=value"},
    };
    for (const auto& c : cases) {
        evtgen::GeneratedLog log;
        std::string error;
        EXPECT_FALSE(evtgen::GenerateEvtLog(c.text, log, error)) << c.text;
        EXPECT_NE(error.find(c.message), std::string::npos) << c.text << " gave: " << error;
    }
}

TEST(EvtGenerator, BulkEventsAreRealisticAndRepeatable)
{
    evtgen::BulkEvents a(77, 1600000000, 60, "");
    evtgen::BulkEvents b(77, 1600000000, 60, "");
    evtgen::BulkEvents c(78, 1600000000, 60, "");
    std::set<WORD> types;
    bool sawSid = false, sawData = false, sawNonAscii = false, differs = false;
    DWORD lastTime = 0;
    for (int i = 0; i < 2000; ++i) {
        const EvtRecord x = a.next();
        EXPECT_EQ(x, b.next());
        differs = differs || !(x == c.next());
        types.insert(x.eventType);
        sawSid = sawSid || !x.sid.empty();
        sawData = sawData || !x.data.empty();
        for (const std::string& s : x.strings)
            for (unsigned char ch : s)
                sawNonAscii = sawNonAscii || ch >= 0x80;
        EXPECT_GT(x.timeWritten, lastTime);
        lastTime = x.timeWritten;
    }
    EXPECT_EQ(types, (std::set<WORD>{1, 2, 4, 8, 16}));
    EXPECT_TRUE(sawSid && sawData && sawNonAscii && differs);
}

TEST(EvtGenerator, ToolWritesTheFixtures)
{
    // The build wrote them with qv-evtgen; each one reads back.
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(evttest::FixtureDir())) {
        HANDLE log = platform::OpenBackupEventLogA(nullptr, entry.path().c_str());
        EXPECT_TRUE(log) << entry.path() << ": " << platform::EventLogErrorDetail();
        platform::CloseEventLog(log);
        ++count;
    }
    EXPECT_GE(count, 8);
}
