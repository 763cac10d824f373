#include "CountingSecurityFunctions.h"
#include "FakeEventLogService.h"
#include "RecordBuilder.h"

#include "ntlib/EventLog.h"
#include "ntlib/FunctionBinding.h"
#include "ntlib/NTException.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>

namespace {

class ReaderTest : public ::testing::Test {
protected:
    FakeEventLogService service; // before the binding: the fake's exports get bound
    ScopedSystemFunctions bound;
    TNTEventLog log;

    void open()
    {
        log.SetSourceName("Application");
        log.SetActive(true);
    }
};

std::string messageOf(const std::function<void()>& f, std::int32_t* code = nullptr)
{
    try {
        f();
    } catch (const ENTException& e) {
        if (code)
            *code = e.ErrorCode();
        return e.what();
    }
    return "<no exception>";
}

} // namespace

TEST_F(ReaderTest, EmptyAndInactiveReadersHaveNoEvents)
{
    EXPECT_EQ(log.GetEventCount(), 0);
    std::int32_t code = 0;
    EXPECT_EQ(messageOf([&] { log.GetEvent(0); }, &code), "The event 0 is not available at server any more.");
    EXPECT_EQ(code, -1);

    open();
    EXPECT_EQ(log.GetEventCount(), 0);
    EXPECT_EQ(messageOf([&] { log.GetEvent(0); }), "The event 0 is not available at server any more.");
}

TEST_F(ReaderTest, UnknownSourceNameIsRefused)
{
    std::int32_t code = 0;
    EXPECT_EQ(messageOf([&] { log.SetActive(true); }, &code), "Unknown SourceName");
    EXPECT_EQ(code, -1);
    EXPECT_FALSE(log.Active());
}

TEST_F(ReaderTest, BlankBackupFileNameOpensTheLiveLog)
{
    log.SetBackupFileName("   ");
    open();
    EXPECT_TRUE(log.Active());
}

TEST_F(ReaderTest, ReadDirectionIsChosenOnTheFirstMiss)
{
    struct Case {
        int first;
        DWORD flags;
    } cases[] = {{5, EVENTLOG_SEQUENTIAL_READ | EVENTLOG_FORWARDS_READ},
                 {6, EVENTLOG_SEQUENTIAL_READ | EVENTLOG_BACKWARDS_READ}};
    service.addRecords(10);
    for (const Case& c : cases) {
        open();
        service.readFlags.clear();
        ASSERT_NE(log.GetEvent(c.first), nullptr);
        ASSERT_FALSE(service.readFlags.empty());
        EXPECT_EQ(service.readFlags.front(), c.flags) << "first index " << c.first;
        log.SetActive(false);
    }
}

TEST_F(ReaderTest, EveryIndexInBothDirectionsGivesItsRecord)
{
    service.oldest = 500;
    service.addRecords(2000);
    for (bool newestFirst : {false, true}) {
        open();
        ASSERT_EQ(log.GetEventCount(), 2000);
        service.reads = 0;
        for (int k = 0; k < 2000; ++k) {
            const int index = newestFirst ? 1999 - k : k;
            TEventItem* item = log.GetEvent(index);
            ASSERT_NE(item, nullptr);
            EXPECT_EQ(item->Index, index);
            EXPECT_EQ(item->RecordNumber, 500u + static_cast<DWORD>(index));
            ASSERT_EQ(item->Strings.size(), 1u);
            EXPECT_EQ(item->Strings[0], "record " + std::to_string(item->RecordNumber));
        }
        // One platform read per 16 KB batch, not one per event.
        EXPECT_LT(service.reads, 2000 / 50);
        log.SetActive(false);
    }
}

TEST_F(ReaderTest, HugeRecordGrowsTheBufferOnceAndKeepsIt)
{
    service.addRecords(1, 40000);
    service.addRecords(3);
    open();
    ASSERT_NE(log.GetEvent(0), nullptr);
    EXPECT_GT(log.ReadBufferSize(), 40000u);
    const std::size_t grown = log.ReadBufferSize();
    ASSERT_NE(log.GetEvent(3), nullptr);
    EXPECT_EQ(log.ReadBufferSize(), grown);
}

TEST_F(ReaderTest, EndOfLogBeforeTheRecordGivesNothing)
{
    service.addRecords(5);
    open();
    ASSERT_EQ(log.GetEventCount(), 5);
    service.records.resize(2); // records removed after the count was read
    EXPECT_EQ(log.GetEvent(4), nullptr);
}

TEST_F(ReaderTest, ReadErrorIsRaisedWithTheSystemText)
{
    service.addRecords(5);
    open();
    service.failNextReadWith = ERROR_EVENTLOG_FILE_CORRUPT;
    std::int32_t code = 0;
    EXPECT_EQ(messageOf([&] { log.GetEvent(0); }, &code), "1500: The event log file is corrupted.\r\n");
    EXPECT_EQ(code, 1500);
    EXPECT_NE(log.GetEvent(0), nullptr); // the next call reads again
}

TEST_F(ReaderTest, DamagedRecordDoesNotHideTheRecordsAfterIt)
{
    service.addRecords(5);
    // The third record claims more strings than it holds.
    const WORD tooMany = 500;
    std::memcpy(service.records[2].data() + offsetof(EVENTLOGRECORD, NumStrings), &tooMany, sizeof tooMany);
    open();
    std::int32_t code = 0;
    messageOf([&] { log.GetEvent(0); }, &code);
    EXPECT_EQ(code, 1500);
    for (int index : {0, 1, 3, 4})
        EXPECT_NE(log.GetEvent(index), nullptr) << index;
    EXPECT_EQ(log.GetEvent(2), nullptr);
}

TEST_F(ReaderTest, RandomModeSeeksAndNeverLoops)
{
    service.addRecords(100);
    log.SetLogReadMode(lrmRandom);
    open();
    TEventItem* item = log.GetEvent(42);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->Index, 42);
    EXPECT_EQ(service.readFlags.back(), EVENTLOG_SEEK_READ | EVENTLOG_FORWARDS_READ);

    service.seekReturnsWrongRecord = true;
    service.reads = 0;
    EXPECT_EQ(log.GetEvent(10), nullptr);
    EXPECT_EQ(service.reads, 1);
}

TEST_F(ReaderTest, ReadModeCannotChangeWhileActive)
{
    open();
    std::int32_t code = -5;
    EXPECT_EQ(messageOf([&] { log.SetLogReadMode(lrmSequential); }, &code),
              "Cannot change log access mode while active");
    EXPECT_EQ(code, 0);
    log.SetActive(false);
    log.SetLogReadMode(lrmRandom);
    EXPECT_EQ(log.LogReadMode(), lrmRandom);
}

TEST_F(ReaderTest, ClosingFreesTheCacheAndForgetsTheDirection)
{
    service.addRecords(10);
    open();
    ASSERT_NE(log.GetEvent(9), nullptr);
    log.SetActive(false);
    EXPECT_EQ(log.GetEventCount(), 0);
    open();
    service.readFlags.clear();
    ASSERT_NE(log.GetEvent(0), nullptr);
    EXPECT_EQ(service.readFlags.front(), EVENTLOG_SEQUENTIAL_READ | EVENTLOG_FORWARDS_READ);
}

TEST_F(ReaderTest, StreamedActiveIsAppliedWhenLoaded)
{
    service.addRecords(3);
    TNTEventLog streamed;
    streamed.BeginLoading();
    streamed.SetSourceName("Application");
    streamed.SetActive(true);
    EXPECT_FALSE(streamed.Active());
    streamed.Loaded();
    EXPECT_TRUE(streamed.Active());
    EXPECT_EQ(streamed.GetEventCount(), 3);
}

TEST(ReaderLifetime, ReaderNeverLoadedOrLoadedIsDestroyedPromptly)
{
    const auto start = std::chrono::steady_clock::now();
    {
        TNTEventLog neverLoaded;
    }
    {
        TNTEventLog loaded;
        loaded.Loaded();
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

namespace {

// The reader with the platform's account lookups counted.
class ReaderAccountTest : public ::testing::Test {
protected:
    FakeEventLogService service;
    CountingSecurityFunctions counted; // before the binding
    ScopedSystemFunctions bound;
    TNTEventLog log;
};

} // namespace

TEST_F(ReaderAccountTest, AnAccountFoundIsLookedUpOnceAndAnUnmappedSidForEveryEvent)
{
    const std::vector<BYTE> system = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};
    const std::vector<BYTE> unknown = {1, 2, 0, 0, 0, 0, 0, 5, 21, 0, 0, 0, 77, 0, 0, 0};
    for (int i = 0; i < 6; ++i) {
        TestRecord t;
        t.recordNumber = service.oldest + static_cast<DWORD>(i);
        t.sid = i % 2 ? system : unknown;
        service.records.push_back(BuildAnsiRecord(t));
    }
    log.SetSourceName("Application");
    for (int opening = 1; opening <= 2; ++opening) {
        SCOPED_TRACE(opening);
        log.SetActive(true);
        ASSERT_EQ(log.GetEventCount(), 6);
        std::vector<std::string> users;
        for (int i = 0; i < 6; ++i)
            users.push_back(log.GetEvent(i)->GetUserName());
        // The known account once, and from the process's store the second
        // time; a SID no account maps to is asked for by each of its three
        // events, as an account may be made for it at any time.
        EXPECT_EQ(counted.lookups, opening == 1 ? 4 : 7);
        EXPECT_EQ(users[1], "\\SYSTEM");
        EXPECT_EQ(users[0], users[2]);
        EXPECT_EQ(&log.GetEvent(0)->GetUserName(), &log.GetEvent(4)->GetUserName()); // one pooled text
        log.SetActive(false);
    }
}

// Where the items live: in the cache, valid while it holds them, their
// texts shared between events.
TEST_F(ReaderTest, ItemsStayValidWhileTheCacheHoldsThem)
{
    service.addRecords(3000);
    open();
    ASSERT_EQ(log.GetEventCount(), 3000);
    TEventItem* first = log.GetEvent(0);
    ASSERT_NE(first, nullptr);
    // Every other event is read, in many batches, after it.
    std::vector<TEventItem*> all;
    for (int i = 0; i < 3000; ++i)
        all.push_back(log.GetEvent(i));
    EXPECT_EQ(log.CachedEventCount(), 3000u);
    EXPECT_EQ(all[0], first);
    EXPECT_TRUE(first->IsCached());
    EXPECT_EQ(first->Strings, (std::vector<std::string>{"record 1"}));
    EXPECT_EQ(first->Source, "TestSource");
    EXPECT_EQ(first->CategoryName, "None");
    for (int i : {1, 1500, 2999}) {
        EXPECT_EQ(all[i]->Strings[0], "record " + std::to_string(i + 1));
        // One text for every event of the same source, category and user.
        EXPECT_EQ(&all[i]->Source.str(), &first->Source.str());
        EXPECT_EQ(&all[i]->Computer.str(), &first->Computer.str());
        EXPECT_EQ(&all[i]->CategoryName.str(), &first->CategoryName.str());
        EXPECT_EQ(&all[i]->GetUserName(), &first->GetUserName());
    }
}

TEST_F(ReaderTest, ClosingReleasesTheItemsAndACopyOutlivesThem)
{
    service.addRecords(500);
    open();
    TEventItem* item = log.GetEvent(250);
    ASSERT_NE(item, nullptr);
    TEventItem copy(nullptr);
    copy.Assign(*item);
    const std::string source = item->Source;
    log.SetActive(false);
    EXPECT_EQ(log.CachedEventCount(), 0u);
    // The copy owns its parts: nothing of it pointed into the freed cache.
    EXPECT_EQ(copy.Strings, (std::vector<std::string>{"record 251"}));
    EXPECT_EQ(copy.Source, source);
    EXPECT_FALSE(copy.IsCached());

    open();
    EXPECT_EQ(log.CachedEventCount(), 0u) << "a new open starts with an empty cache";
    ASSERT_NE(log.GetEvent(0), nullptr);
    EXPECT_EQ(log.GetEvent(250)->Strings, copy.Strings);
}

TEST_F(ReaderTest, RandomModeFreesTheItemsOfTheLastSeekAndSharesTextsStill)
{
    service.addRecords(300, 3000); // a few records to a batch
    log.SetLogReadMode(lrmRandom);
    open();
    TEventItem* item = log.GetEvent(42);
    ASSERT_NE(item, nullptr);
    EXPECT_GT(log.CachedEventCount(), 0u);
    EXPECT_LT(log.CachedEventCount(), 10u);
    const std::string* sourceText = &item->Source.str();

    TEventItem* other = log.GetEvent(10);
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other->Index, 10);
    EXPECT_EQ(other->Strings, (std::vector<std::string>{"record 11"}));
    EXPECT_LT(log.CachedEventCount(), 10u) << "the items of the first seek went";
    EXPECT_EQ(&other->Source.str(), sourceText) << "the texts stay for the next seek";

    service.reads = 0;
    TEventItem* back = log.GetEvent(42);
    EXPECT_EQ(service.reads, 1) << "read again: it was not cached any more";
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->Index, 42);
    EXPECT_EQ(back->Strings, (std::vector<std::string>{"record 43"}));
}
