#include "EvtTestSupport.h"
#include "ScopedFifo.h"

#include "platform/ErrorCodes.h"
#include "platform/EventLogService.h"
#include "platform/EvtFormat.h"
#include "platform/Kernel32.h"
#include "tools/evtgen/EvtGenerator.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace platform;
using evttest::EventHandle;
using evttest::LogHandle;
using platform::evt::EvtRecord;

namespace {

class EventLogService : public ::testing::Test {
protected:
    void SetUp() override { SetLiveLogDirectory(dir.path().string()); }
    void TearDown() override { SetLiveLogDirectory(""); }

    // A backup file made from a description; returns its path.
    std::string backupFile(const std::string& description, std::vector<EvtRecord>* events = nullptr,
                           const std::string& name = "backup.evt")
    {
        evtgen::GeneratedLog log;
        std::string error;
        EXPECT_TRUE(evtgen::GenerateEvtLog(description, log, error)) << error;
        evttest::WriteFile(dir.file(name), log.bytes);
        if (events)
            events->assign(log.events.begin() + static_cast<std::ptrdiff_t>(log.overwritten), log.events.end());
        return dir.file(name);
    }

    EvtRecord event(const std::string& text)
    {
        EvtRecord r;
        r.eventType = EVENTLOG_WARNING_TYPE;
        r.source = "Service Test";
        r.computer = "WS-LAB-12";
        r.strings = {text};
        return r;
    }

    DWORD read(HANDLE log, DWORD flags, DWORD number, std::vector<BYTE>& buffer, std::vector<EvtRecord>& records,
               DWORD* needed = nullptr)
    {
        DWORD bytesRead = 0xDEAD, bytesNeeded = 0xDEAD;
        SetLastError(0);
        const BOOL ok = ReadEventLogA(log, flags, number, buffer.data(), static_cast<DWORD>(buffer.size()),
                                      &bytesRead, &bytesNeeded);
        if (needed)
            *needed = bytesNeeded;
        records = ok ? evttest::DecodeAnsiBuffer(buffer.data(), bytesRead) : std::vector<EvtRecord>{};
        if (!ok)
            EXPECT_EQ(bytesRead, 0u);
        return ok ? ERROR_SUCCESS : GetLastError();
    }

    static std::vector<DWORD> numbers(const std::vector<EvtRecord>& records)
    {
        std::vector<DWORD> n;
        for (const EvtRecord& r : records)
            n.push_back(r.recordNumber);
        return n;
    }

    evttest::TempDir dir;
};

constexpr DWORD kForwards = EVENTLOG_SEQUENTIAL_READ | EVENTLOG_FORWARDS_READ;
constexpr DWORD kBackwards = EVENTLOG_SEQUENTIAL_READ | EVENTLOG_BACKWARDS_READ;
constexpr DWORD kSeekForwards = EVENTLOG_SEEK_READ | EVENTLOG_FORWARDS_READ;
constexpr DWORD kSeekBackwards = EVENTLOG_SEEK_READ | EVENTLOG_BACKWARDS_READ;

} // namespace

TEST_F(EventLogService, ReadsForwardsAndBackwardsInAnyBatchSize)
{
    std::vector<EvtRecord> events;
    const std::string path = backupFile("log maxsize=0x10000\nbulk count=900 seed=5\n", &events);
    ASSERT_LT(events.size(), 900u) << "the log wrapped";
    for (DWORD bufferSize : {16384u, 200u, 0x40000u}) {
        LogHandle log(OpenBackupEventLogA(nullptr, path.c_str()));
        ASSERT_TRUE(log.h) << GetLastError();
        EXPECT_EQ(evttest::ReadAll(log, true, bufferSize), events) << bufferSize;
        LogHandle back(OpenBackupEventLogA(nullptr, path.c_str()));
        std::vector<EvtRecord> reversed = evttest::ReadAll(back, false, bufferSize);
        std::reverse(reversed.begin(), reversed.end());
        EXPECT_EQ(reversed, events) << bufferSize;
        DWORD count = 0, oldest = 0;
        ASSERT_TRUE(GetNumberOfEventLogRecords(log, &count));
        ASSERT_TRUE(GetOldestEventLogRecord(log, &oldest));
        EXPECT_EQ(count, events.size());
        EXPECT_EQ(oldest, events.front().recordNumber);
    }
}

TEST_F(EventLogService, AnsiRecordsCarryEveryLanguage)
{
    std::vector<EvtRecord> events;
    const std::string path = backupFile("event source=\"Служба\" computer=\"ВЕРСТАК\" string=\"服务已启动\" "
                                        "string=\"\\u{1F600}\" string=\"Ærø\" sid=S-1-5-18 data=00FF\n",
                                        &events);
    LogHandle log(OpenBackupEventLogA("", path.c_str()));
    const auto records = evttest::ReadAll(log);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0], events[0]);
    EXPECT_EQ(records[0].strings[1], "\xF0\x9F\x98\x80");
}

TEST_F(EventLogService, SeeksToARecordNumberAndGoesOnFromThere)
{
    const std::string path = backupFile("event source=A repeat=20\nevent source=B number=100 repeat=5\n");
    LogHandle log(OpenBackupEventLogA(nullptr, path.c_str()));
    std::vector<BYTE> buffer(300); // about two records
    std::vector<EvtRecord> got;
    ASSERT_EQ(read(log, kSeekForwards, 7, buffer, got), ERROR_SUCCESS);
    ASSERT_FALSE(got.empty());
    EXPECT_EQ(got.front().recordNumber, 7u);
    const DWORD after = got.back().recordNumber + 1;
    ASSERT_EQ(read(log, kForwards, 0, buffer, got), ERROR_SUCCESS);
    EXPECT_EQ(got.front().recordNumber, after) << "the seek set the position";

    ASSERT_EQ(read(log, kSeekBackwards, 101, buffer, got), ERROR_SUCCESS);
    EXPECT_EQ(numbers(got).front(), 101u);
    const DWORD lastBack = got.back().recordNumber;
    std::vector<BYTE> big(0x10000);
    ASSERT_EQ(read(log, kBackwards, 0, big, got), ERROR_SUCCESS);
    EXPECT_EQ(got.front().recordNumber, lastBack == 100 ? 20u : lastBack - 1) << "backwards on from the seek";
    EXPECT_EQ(got.back().recordNumber, 1u);
    EXPECT_EQ(read(log, kBackwards, 0, big, got), ERROR_HANDLE_EOF);

    for (DWORD missing : {0u, 21u, 50u, 99u, 105u, 0xFFFFFFFFu})
        EXPECT_EQ(read(log, kSeekForwards, missing, buffer, got), ERROR_INVALID_PARAMETER) << missing;
}

TEST_F(EventLogService, TooSmallABufferAsksForTheNextRecordAndKeepsThePosition)
{
    const std::string path = backupFile("event source=A string=\"short\"\n"
                                        "event source=B data=" + std::string(40000, 'A') + "\n"
                                        "event source=C\n");
    LogHandle log(OpenBackupEventLogA(nullptr, path.c_str()));
    std::vector<BYTE> buffer(16384);
    std::vector<EvtRecord> got;
    ASSERT_EQ(read(log, kForwards, 0, buffer, got), ERROR_SUCCESS);
    ASSERT_EQ(numbers(got), std::vector<DWORD>{1});
    DWORD needed = 0;
    EXPECT_EQ(read(log, kForwards, 0, buffer, got, &needed), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_GT(needed, 20000u);
    EXPECT_EQ(read(log, kForwards, 0, buffer, got, &needed), ERROR_INSUFFICIENT_BUFFER) << "position kept";
    buffer.resize(needed);
    ASSERT_EQ(read(log, kForwards, 0, buffer, got), ERROR_SUCCESS);
    EXPECT_EQ(numbers(got), std::vector<DWORD>{2}) << "exactly the needed size fits the record";
    EXPECT_EQ(got[0].data.size(), 20000u);
    ASSERT_EQ(read(log, kForwards, 0, buffer, got), ERROR_SUCCESS);
    EXPECT_EQ(numbers(got), std::vector<DWORD>{3});
    EXPECT_EQ(read(log, kForwards, 0, buffer, got), ERROR_HANDLE_EOF);

    // No buffer at all: the size of the next record.
    LogHandle again(OpenBackupEventLogA(nullptr, path.c_str()));
    DWORD bytesRead = 7, bytesNeeded = 0;
    EXPECT_FALSE(ReadEventLogA(again, kForwards, 0, nullptr, 0, &bytesRead, &bytesNeeded));
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(bytesRead, 0u);
    EXPECT_GT(bytesNeeded, 0x38u);
}

TEST_F(EventLogService, RefusesBadArgumentsAndHandles)
{
    const std::string path = backupFile("event source=A\n");
    LogHandle log(OpenBackupEventLogA(nullptr, path.c_str()));
    std::vector<BYTE> buffer(1024);
    std::vector<EvtRecord> got;
    for (DWORD flags : {0u, 1u, 2u, 4u, 8u, 3u | 4u, 1u | 4u | 8u, 0x10u | 5u, 0x80000005u})
        EXPECT_EQ(read(log, flags, 1, buffer, got), ERROR_INVALID_PARAMETER) << flags;
    DWORD value = 0;
    EXPECT_FALSE(ReadEventLogA(log, kForwards, 0, buffer.data(), 1024, nullptr, &value));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(ReadEventLogA(log, kForwards, 0, nullptr, 1024, &value, &value));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(GetNumberOfEventLogRecords(log, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

    EventHandle notAnEventLog;
    for (HANDLE bad : {static_cast<HANDLE>(nullptr), reinterpret_cast<HANDLE>(0x7777), notAnEventLog.h}) {
        EXPECT_EQ(read(bad, kForwards, 0, buffer, got), ERROR_INVALID_HANDLE);
        EXPECT_FALSE(GetNumberOfEventLogRecords(bad, &value));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
        EXPECT_FALSE(GetOldestEventLogRecord(bad, &value));
        EXPECT_FALSE(BackupEventLogA(bad, dir.file("x.evt").c_str()));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
        EXPECT_FALSE(ClearEventLogA(bad, nullptr));
        EXPECT_FALSE(NotifyChangeEventLog(bad, notAnEventLog));
        EXPECT_FALSE(CloseEventLog(bad));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    }
    EXPECT_TRUE(WaitForSingleObject(notAnEventLog, 0) == WAIT_TIMEOUT) << "CloseEventLog left the event alone";
    HANDLE closed = OpenBackupEventLogA(nullptr, path.c_str());
    ASSERT_TRUE(CloseEventLog(closed));
    EXPECT_FALSE(CloseEventLog(closed));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST_F(EventLogService, OpenFailuresSayWhy)
{
    ASSERT_EQ(CreateLiveLog(nullptr, "Application", 0x10000, 0), ERROR_SUCCESS);
    ScopedFifo fifo(dir.file("pipe.evt"));
    ASSERT_TRUE(fifo.Made());
    struct Case {
        const char* what;
        HANDLE (*open)(LPCSTR, LPCSTR);
        const char* server;
        std::string name;
        DWORD error;
    } cases[] = {
        {"unknown log", OpenEventLogA, nullptr, "NoSuchLog", ERROR_FILE_NOT_FOUND},
        {"remote computer", OpenEventLogA, "\\\\SRV-FAR-AWAY", "Application", ERROR_BAD_NETPATH},
        {"no log name", OpenEventLogA, nullptr, "", ERROR_INVALID_PARAMETER},
        {"path in the log name", OpenEventLogA, nullptr, "../Application", ERROR_INVALID_NAME},
        {"missing backup", OpenBackupEventLogA, nullptr, dir.file("missing.evt"), ERROR_FILE_NOT_FOUND},
        {"backup on another computer", OpenBackupEventLogA, "SRV-FAR-AWAY", dir.file("x.evt"), ERROR_BAD_NETPATH},
        {"directory as backup", OpenBackupEventLogA, nullptr, dir.path().string(), ERROR_ACCESS_DENIED},
        {"FIFO as backup", OpenBackupEventLogA, nullptr, fifo.Path(), ERROR_ACCESS_DENIED},
    };
    for (const Case& c : cases) {
        SetLastError(0);
        EXPECT_EQ(c.open(c.server, c.name.c_str()), nullptr) << c.what;
        EXPECT_EQ(GetLastError(), c.error) << c.what;
    }
    EXPECT_FALSE(fifo.Waited()) << "the open waited on the FIFO";
    EXPECT_EQ(EventLogErrorDetail(), fifo.Path() + ": not a regular file");
    evttest::WriteFile(dir.file("broken.evt"), std::vector<BYTE>(200, 0x4C));
    EXPECT_EQ(OpenBackupEventLogA(nullptr, dir.file("broken.evt").c_str()), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_EVENTLOG_FILE_CORRUPT);
    EXPECT_NE(EventLogErrorDetail().find("broken.evt"), std::string::npos) << EventLogErrorDetail();

    LogHandle local(OpenEventLogA("localhost", "application"));
    EXPECT_TRUE(local.h) << "log names match without regard to case";
    LogHandle dot(OpenEventLogA("\\\\.", "APPLICATION"));
    EXPECT_TRUE(dot.h);
    EXPECT_EQ(CreateLiveLog(nullptr, "Application", 0x10000, 0), ERROR_ALREADY_EXISTS);
    EXPECT_EQ(CreateLiveLog(nullptr, "Odd", 0x12345, 0), ERROR_INVALID_PARAMETER);
}

TEST_F(EventLogService, LiveLogHandlesSeeAppendedEventsAndGetNotified)
{
    ASSERT_EQ(CreateLiveLog(nullptr, "System", 0x10000, 0), ERROR_SUCCESS);
    LogHandle reader(OpenEventLogA(nullptr, "System"));
    LogHandle other(OpenEventLogA(nullptr, "System"));
    ASSERT_TRUE(reader.h && other.h);
    DWORD count = 99, oldest = 99;
    ASSERT_TRUE(GetNumberOfEventLogRecords(reader, &count));
    ASSERT_TRUE(GetOldestEventLogRecord(reader, &oldest));
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(oldest, 0u) << "an empty log has no oldest record";
    std::vector<BYTE> buffer(16384);
    std::vector<EvtRecord> got;
    EXPECT_EQ(read(reader, kForwards, 0, buffer, got), ERROR_HANDLE_EOF);

    EventHandle changed;
    EventHandle otherChanged;
    ASSERT_TRUE(NotifyChangeEventLog(reader, changed));
    ASSERT_TRUE(NotifyChangeEventLog(other, otherChanged));
    DWORD number = 0;
    ASSERT_EQ(AppendEventToLog(nullptr, "system", event("first"), &number), ERROR_SUCCESS);
    EXPECT_EQ(number, 1u);
    EXPECT_EQ(WaitForSingleObject(changed, 5000), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(otherChanged, 5000), WAIT_OBJECT_0);
    ASSERT_EQ(read(reader, kForwards, 0, buffer, got), ERROR_SUCCESS) << "the handle sees the new event";
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].strings, std::vector<std::string>{"first"});
    EXPECT_NE(got[0].timeWritten, 0u) << "written now";
    EXPECT_EQ(got[0].timeGenerated, got[0].timeWritten);

    ASSERT_TRUE(CloseEventLog(other.h));
    other.h = nullptr;
    ASSERT_EQ(AppendEventToLog(nullptr, "System", event("second"), &number), ERROR_SUCCESS);
    EXPECT_EQ(WaitForSingleObject(changed, 5000), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(otherChanged, 0), WAIT_TIMEOUT) << "a closed handle is not notified";
    ASSERT_EQ(read(reader, kForwards, 0, buffer, got), ERROR_SUCCESS);
    EXPECT_EQ(numbers(got), std::vector<DWORD>{2});

    // The file on disk holds both events.
    LogHandle fromDisk(OpenBackupEventLogA(nullptr, dir.file("System.evt").c_str()));
    EXPECT_EQ(evttest::ReadAll(fromDisk).size(), 2u);
    EXPECT_FALSE(NotifyChangeEventLog(fromDisk, changed)) << "backups do not change";
}

TEST_F(EventLogService, LiveLogWrapsAndAForwardsReaderLearnsItsRecordsAreGone)
{
    ASSERT_EQ(CreateLiveLog(nullptr, "Busy", 0x10000, 0), ERROR_SUCCESS);
    for (int i = 0; i < 10; ++i)
        ASSERT_EQ(AppendEventToLog(nullptr, "Busy", event("early " + std::to_string(i))), ERROR_SUCCESS);
    LogHandle reader(OpenEventLogA(nullptr, "Busy"));
    std::vector<BYTE> small(100); // one record
    std::vector<EvtRecord> got;
    ASSERT_EQ(read(reader, kForwards, 0, small, got), ERROR_SUCCESS);
    ASSERT_EQ(numbers(got), std::vector<DWORD>{1});
    for (int i = 0; i < 2000; ++i)
        ASSERT_EQ(AppendEventToLog(nullptr, "Busy", event(std::string(100, 'x'))), ERROR_SUCCESS);
    std::vector<BYTE> one(250); // one of the later records
    EXPECT_EQ(read(reader, kForwards, 0, one, got), ERROR_EVENTLOG_FILE_CHANGED);
    DWORD oldest = 0;
    ASSERT_TRUE(GetOldestEventLogRecord(reader, &oldest));
    ASSERT_GT(oldest, 1000u);
    ASSERT_EQ(read(reader, kForwards, 0, one, got), ERROR_SUCCESS);
    EXPECT_EQ(numbers(got), std::vector<DWORD>{oldest}) << "reading starts again at the oldest";

    LogHandle fromDisk(OpenBackupEventLogA(nullptr, dir.file("Busy.evt").c_str()));
    LogHandle live(OpenEventLogA(nullptr, "Busy"));
    EXPECT_EQ(evttest::ReadAll(fromDisk), evttest::ReadAll(live));
}

TEST_F(EventLogService, RetentionKeepsEventsAndRefusesNewOnes)
{
    ASSERT_EQ(CreateLiveLog(nullptr, "Security", 0x10000, 0xFFFFFFFF), ERROR_SUCCESS);
    DWORD result = ERROR_SUCCESS;
    int written = 0;
    while ((result = AppendEventToLog(nullptr, "Security", event(std::string(300, 's')))) == ERROR_SUCCESS)
        ++written;
    EXPECT_EQ(result, ERROR_LOG_FILE_FULL);
    EXPECT_EQ(GetLastError(), ERROR_LOG_FILE_FULL);
    LogHandle log(OpenEventLogA(nullptr, "Security"));
    DWORD count = 0, oldest = 0;
    ASSERT_TRUE(GetNumberOfEventLogRecords(log, &count));
    ASSERT_TRUE(GetOldestEventLogRecord(log, &oldest));
    EXPECT_EQ(count, static_cast<DWORD>(written));
    EXPECT_EQ(oldest, 1u);
    const auto header = platform::evt::FileHeader::readFrom(evttest::ReadFile(dir.file("Security.evt")).data());
    EXPECT_TRUE(header.flags & platform::evt::kFlagLogFull);
}

TEST_F(EventLogService, BackupNeverOverwritesAndIsACleanCompactCopy)
{
    ASSERT_EQ(CreateLiveLog(nullptr, "Application", 0x10000, 0), ERROR_SUCCESS);
    for (int i = 0; i < 700; ++i)
        ASSERT_EQ(AppendEventToLog(nullptr, "Application", event("ä " + std::to_string(i))), ERROR_SUCCESS);
    LogHandle log(OpenEventLogA(nullptr, "Application"));
    const std::string target = dir.file("saved.evt");
    ASSERT_TRUE(BackupEventLogA(log, target.c_str())) << GetLastError() << " " << EventLogErrorDetail();
    const auto saved = evttest::ReadFile(target);
    const auto header = platform::evt::FileHeader::readFrom(saved.data());
    EXPECT_EQ(header.flags, 0u);
    EXPECT_EQ(header.startOffset, 0x30u);
    EXPECT_EQ(header.endOffset + 0x28, saved.size());
    LogHandle backup(OpenBackupEventLogA(nullptr, target.c_str()));
    EXPECT_EQ(evttest::ReadAll(backup), evttest::ReadAll(log));

    ASSERT_EQ(AppendEventToLog(nullptr, "Application", event("later")), ERROR_SUCCESS);
    EXPECT_FALSE(BackupEventLogA(log, target.c_str()));
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_EQ(evttest::ReadFile(target), saved) << "the existing file is untouched";
    EXPECT_FALSE(BackupEventLogA(log, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_TRUE(BackupEventLogA(backup, dir.file("copy-of-backup.evt").c_str())) << "backups back up too";
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        EXPECT_EQ(entry.path().string().find(".tmp"), std::string::npos) << "no temporary file left";
}

TEST_F(EventLogService, ClearBacksUpFirstAndRestartsTheNumbers)
{
    ASSERT_EQ(CreateLiveLog(nullptr, "Application", 0x10000, 0), ERROR_SUCCESS);
    for (int i = 0; i < 5; ++i)
        ASSERT_EQ(AppendEventToLog(nullptr, "Application", event("before")), ERROR_SUCCESS);
    LogHandle log(OpenEventLogA(nullptr, "Application"));
    LogHandle reader(OpenEventLogA(nullptr, "Application"));
    std::vector<BYTE> buffer(16384);
    std::vector<EvtRecord> got;
    ASSERT_EQ(read(reader, kForwards, 0, buffer, got), ERROR_SUCCESS);
    EventHandle changed;
    ASSERT_TRUE(NotifyChangeEventLog(log, changed));

    const std::string existing = dir.file("existing.evt");
    evttest::WriteFile(existing, {1, 2, 3});
    EXPECT_FALSE(ClearEventLogA(log, existing.c_str()));
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    DWORD count = 0;
    ASSERT_TRUE(GetNumberOfEventLogRecords(log, &count));
    EXPECT_EQ(count, 5u) << "a failed backup clears nothing";

    const std::string saved = dir.file("before-clear.evt");
    ASSERT_TRUE(ClearEventLogA(log, saved.c_str()));
    EXPECT_EQ(WaitForSingleObject(changed, 5000), WAIT_OBJECT_0);
    ASSERT_TRUE(GetNumberOfEventLogRecords(log, &count));
    EXPECT_EQ(count, 0u);
    LogHandle backup(OpenBackupEventLogA(nullptr, saved.c_str()));
    EXPECT_EQ(evttest::ReadAll(backup).size(), 5u);

    ASSERT_EQ(AppendEventToLog(nullptr, "Application", event("after")), ERROR_SUCCESS);
    EXPECT_EQ(read(reader, kForwards, 0, buffer, got), ERROR_EVENTLOG_FILE_CHANGED);
    ASSERT_EQ(read(reader, kForwards, 0, buffer, got), ERROR_SUCCESS);
    EXPECT_EQ(numbers(got), std::vector<DWORD>{1}) << "numbers start again at 1";
    EXPECT_EQ(got[0].strings, std::vector<std::string>{"after"});
    LogHandle fromDisk(OpenBackupEventLogA(nullptr, dir.file("Application.evt").c_str()));
    EXPECT_EQ(evttest::ReadAll(fromDisk).size(), 1u) << "appends after a clear reach the new file";
    ASSERT_TRUE(ClearEventLogA(log, nullptr));
    EXPECT_FALSE(ClearEventLogA(backup, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);
}

TEST_F(EventLogService, ServiceFunctionsAreExportedByTheModules)
{
    HMODULE advapi = LoadLibraryA("advapi32.dll");
    ASSERT_TRUE(advapi);
    using ReadFn = BOOL (*)(HANDLE, DWORD, DWORD, LPVOID, DWORD, DWORD*, DWORD*);
    auto read = reinterpret_cast<ReadFn>(GetProcAddress(advapi, "ReadEventLogA"));
    EXPECT_EQ(read, &ReadEventLogA);
    FreeLibrary(advapi);
}
