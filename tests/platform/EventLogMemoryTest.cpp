// The event-log service when memory runs out: every call fails with
// ERROR_NOT_ENOUGH_MEMORY, no exception comes out of it, and the log, its
// file and the handles are as they were before the call.

#include "EvtTestSupport.h"
#include "MemoryLimit.h"

#include "platform/ErrorCodes.h"
#include "platform/EventLogService.h"
#include "platform/EvtRecord.h"
#include "platform/Kernel32.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

using namespace platform;
using evttest::EventHandle;
using evttest::LogHandle;
using platform::evt::EvtRecord;

namespace {

constexpr DWORD kForwards = EVENTLOG_SEQUENTIAL_READ | EVENTLOG_FORWARDS_READ;
constexpr DWORD kBackwards = EVENTLOG_SEQUENTIAL_READ | EVENTLOG_BACKWARDS_READ;

// What one call gave: its error (ERROR_SUCCESS when it succeeded), whether
// an exception came out of it, and how many allocations were refused.
struct Outcome {
    DWORD error = ERROR_SUCCESS;
    bool threw = false;
    std::size_t refused = 0;
};

Outcome runLimited(const MemoryLimit& limit, const std::function<DWORD()>& call)
{
    Outcome outcome;
    ScopedMemoryLimit scope(limit);
    SetLastError(0);
    try {
        outcome.error = call();
    } catch (...) {
        outcome.threw = true;
    }
    outcome.refused = scope.Refused();
    return outcome;
}

DWORD result(BOOL ok)
{
    return ok ? ERROR_SUCCESS : GetLastError();
}

// The same records, or where they first differ.
::testing::AssertionResult sameRecords(const std::vector<EvtRecord>& got, const std::vector<EvtRecord>& expected)
{
    if (got == expected)
        return ::testing::AssertionSuccess();
    const std::size_t at = static_cast<std::size_t>(
        std::mismatch(got.begin(), got.end(), expected.begin(), expected.end()).first - got.begin());
    return ::testing::AssertionFailure() << got.size() << " records where " << expected.size()
                                         << " were expected; the first difference is at " << at;
}

class EventLogMemory : public ::testing::Test {
protected:
    void SetUp() override { SetLiveLogDirectory(dir.path().string()); }
    void TearDown() override { SetLiveLogDirectory(""); }

    std::string write(const std::string& name, const std::string& description)
    {
        evttest::WriteFile(dir.file(name), evttest::Generate(description));
        return dir.file(name);
    }

    // The records of the live log as a new handle reads them, and as its
    // file on disk holds them.
    std::vector<EvtRecord> liveRecords(const char* log)
    {
        LogHandle live(OpenEventLogA(nullptr, log));
        EXPECT_TRUE(live.h) << GetLastError();
        const std::vector<EvtRecord> records = live.h ? evttest::ReadAll(live) : std::vector<EvtRecord>{};
        LogHandle onDisk(OpenBackupEventLogA(nullptr, dir.file(std::string(log) + ".evt").c_str()));
        EXPECT_TRUE(onDisk.h) << EventLogErrorDetail();
        if (onDisk.h)
            EXPECT_TRUE(sameRecords(evttest::ReadAll(onDisk), records)) << "the file holds what the log holds";
        return records;
    }

    std::set<std::string> files() const
    {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
            names.insert(entry.path().filename().string());
        return names;
    }

    evttest::TempDir dir;
};

// Runs a call with the first 0, 1, 2, ... allocations allowed until it
// succeeds.  Every run before must fail with ERROR_NOT_ENOUGH_MEMORY and no
// exception, and `unchanged` checks that it left everything as it was.
void sweep(const char* what, const std::function<DWORD()>& call, const std::function<void()>& unchanged)
{
    for (std::size_t allowed = 0; allowed < 100000; ++allowed) {
        const Outcome outcome = runLimited({.allocations = allowed}, call);
        ASSERT_FALSE(outcome.threw) << what << ": an exception came out after " << allowed << " allocations";
        if (outcome.error == ERROR_SUCCESS)
            return;
        ASSERT_GT(outcome.refused, 0u) << what << " failed with " << outcome.error;
        ASSERT_EQ(outcome.error, ERROR_NOT_ENOUGH_MEMORY) << what << " after " << allowed << " allocations";
        unchanged();
        if (::testing::Test::HasFailure())
            return;
    }
    FAIL() << what << " never succeeded";
}

} // namespace

TEST_F(EventLogMemory, ALiveLogOverTheMemoryLimitIsRefusedWithErrorEight)
{
    write("Application.evt", "log maxsize=0x400000\nbulk count=4000 seed=8\n");
    const std::string backup = write("saved.evt", "log maxsize=0x400000\nform as=backup\nbulk count=4000 seed=8\n");
    const MemoryLimit limit{.largest = 128 * 1024};
    const struct {
        const char* what;
        std::function<HANDLE()> open;
    } cases[] = {
        {"live log", [] { return OpenEventLogA(nullptr, "Application"); }},
        {"backup file", [&] { return OpenBackupEventLogA(nullptr, backup.c_str()); }},
    };
    for (const auto& c : cases) {
        HANDLE handle = nullptr;
        const Outcome outcome = runLimited(limit, [&] {
            handle = c.open();
            return handle ? ERROR_SUCCESS : GetLastError();
        });
        EXPECT_FALSE(outcome.threw) << c.what;
        EXPECT_EQ(handle, nullptr) << c.what;
        EXPECT_EQ(outcome.error, ERROR_NOT_ENOUGH_MEMORY) << c.what;
        EXPECT_GT(outcome.refused, 0u) << c.what;

        LogHandle opened(c.open());
        ASSERT_TRUE(opened.h) << c.what << ": opens once the memory is there";
        DWORD count = 0;
        ASSERT_TRUE(GetNumberOfEventLogRecords(opened, &count));
        EXPECT_EQ(count, 4000u) << c.what;
    }
}

TEST_F(EventLogMemory, EveryCallOutOfMemoryFailsWithErrorEightAndChangesNothing)
{
    // A live log that wrapped (an append overwrites its oldest events), and
    // a backup file.
    write("Application.evt", "log maxsize=0x10000\nbulk count=600 seed=42\n");
    const std::string backup = write("saved.evt", "log maxsize=0x100000\nform as=backup\nbulk count=400 seed=4\n");
    std::vector<EvtRecord> live = liveRecords("Application");
    ASSERT_FALSE(live.empty());
    std::vector<EvtRecord> saved;
    {
        LogHandle file(OpenBackupEventLogA(nullptr, backup.c_str()));
        saved = evttest::ReadAll(file);
        ASSERT_EQ(saved.size(), 400u);
    }
    const std::set<std::string> before = files();
    const auto liveUnchanged = [&] {
        EXPECT_TRUE(sameRecords(liveRecords("Application"), live));
        EXPECT_EQ(files(), before) << "no file is left behind";
    };

    sweep("OpenEventLogA", [] {
        HANDLE h = OpenEventLogA(nullptr, "Application");
        return h && CloseEventLog(h) ? ERROR_SUCCESS : GetLastError();
    }, liveUnchanged);
    sweep("OpenBackupEventLogA", [&] {
        HANDLE h = OpenBackupEventLogA(nullptr, backup.c_str());
        return h && CloseEventLog(h) ? ERROR_SUCCESS : GetLastError();
    }, liveUnchanged);

    // The other calls, on handles opened before the memory runs out.
    LogHandle reader(OpenEventLogA(nullptr, "Application"));
    LogHandle file(OpenBackupEventLogA(nullptr, backup.c_str()));
    ASSERT_TRUE(reader.h && file.h);
    std::vector<BYTE> buffer(0x4000);
    DWORD bytesRead = 0, needed = 0, taken = 0;
    for (HANDLE log : {reader.h, file.h})
        sweep("ReadEventLogA", [&] {
            return result(ReadEventLogA(log, kBackwards, 0, buffer.data(), 0x4000, &bytesRead, &needed));
        }, liveUnchanged);
    sweep("ReadEventLogRecords", [&] {
        return result(ReadEventLogRecords(
            file, kForwards, 0, 100, [](void*, const BYTE*, DWORD) { return true; }, nullptr, &taken));
    }, liveUnchanged);
    sweep("GetNumberOfEventLogRecords and GetOldestEventLogRecord", [&] {
        DWORD count = 0, oldest = 0;
        return GetNumberOfEventLogRecords(reader, &count) && GetOldestEventLogRecord(reader, &oldest) &&
                       GetNumberOfEventLogRecords(file, &count) && GetOldestEventLogRecord(file, &oldest)
                   ? ERROR_SUCCESS
                   : GetLastError();
    }, liveUnchanged);
    EventHandle changed;
    sweep("NotifyChangeEventLog", [&] { return result(NotifyChangeEventLog(reader, changed)); },
          liveUnchanged);
    for (HANDLE log : {reader.h, file.h}) {
        const std::string copy = dir.file("copy.evt");
        sweep("BackupEventLogA", [&] { return result(BackupEventLogA(log, copy.c_str())); },
              liveUnchanged);
        LogHandle copied(OpenBackupEventLogA(nullptr, copy.c_str()));
        EXPECT_TRUE(sameRecords(evttest::ReadAll(copied), log == reader.h ? live : saved));
        std::filesystem::remove(copy);
    }

    EvtRecord event;
    event.eventType = EVENTLOG_WARNING_TYPE;
    event.source = "Memory Test";
    event.computer = "WS-LAB-12";
    event.strings = {std::string(3000, 'x')}; // overwrites several of the oldest events
    sweep("AppendEventToLog", [&] { return AppendEventToLog(nullptr, "Application", event); },
          liveUnchanged);
    EXPECT_EQ(WaitForSingleObject(changed, 0), WAIT_OBJECT_0) << "the append was notified";
    const std::vector<EvtRecord> appended = liveRecords("Application");
    ASSERT_FALSE(appended.empty());
    EXPECT_EQ(appended.back().source, "Memory Test");
    EXPECT_LT(appended.size(), live.size() + 1) << "the oldest events made room";
    live = appended;

    sweep("ClearEventLogA", [&] { return result(ClearEventLogA(reader, nullptr)); }, liveUnchanged);
    EXPECT_TRUE(liveRecords("Application").empty());
    sweep("CreateLiveLog", [] { return CreateLiveLog(nullptr, "System", 0x10000, 0); },
          [&] { EXPECT_EQ(files(), before) << "no log is made"; });
    const HANDLE closing = file.h;
    sweep("CloseEventLog", [&] {
        const DWORD error = result(CloseEventLog(closing));
        if (error == ERROR_SUCCESS)
            file.h = nullptr;
        return error;
    }, [] {});
}
