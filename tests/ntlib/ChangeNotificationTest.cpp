// A live log of the local computer tells its reader about new events
// through the reader's wait thread, on the GUI thread, and a reader that
// goes away while a change is on its way is never reached.

#include "ntlib/EventLog.h"
#include "ntlib/FunctionBinding.h"

#include "platform/EventLogService.h"
#include "platform/EvtRecord.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include <filesystem>

namespace {

class ChangeNotification : public ::testing::Test {
protected:
    std::filesystem::path directory =
        std::filesystem::temp_directory_path() / ("qv-notify-" + std::to_string(::getpid()));
    ScopedSystemFunctions bound;

    void SetUp() override
    {
        std::filesystem::create_directories(directory);
        platform::SetLiveLogDirectory(directory.string());
        ASSERT_EQ(platform::CreateLiveLog(nullptr, "Application", 0x10000, 0), 0u);
        append();
    }
    void TearDown() override
    {
        platform::SetLiveLogDirectory({});
        std::filesystem::remove_all(directory);
    }

    static void append()
    {
        platform::evt::EvtRecord r;
        r.source = "Test";
        r.computer = "WKS1";
        r.eventType = EVENTLOG_INFORMATION_TYPE;
        r.timeGenerated = r.timeWritten = 1'600'000'000;
        ASSERT_EQ(platform::AppendEventToLog(nullptr, "Application", r), 0u);
    }

    // Lets queued calls run until `done` or the deadline.
    static void pumpUntil(const std::function<bool()>& done, int milliseconds = 5000)
    {
        QElapsedTimer timer;
        timer.start();
        while (!done() && timer.elapsed() < milliseconds)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
};

} // namespace

TEST_F(ChangeNotification, NewEventReachesOnChangeOnTheGuiThread)
{
    int argc = 1;
    char name[] = "test";
    char* argv[] = {name};
    QCoreApplication app(argc, argv);

    TNTEventLog log;
    log.SetSourceName("Application");
    int changes = 0;
    std::thread::id calledOn;
    log.SetOnChange([&](TNTEventLog* sender) {
        EXPECT_EQ(sender, &log);
        calledOn = std::this_thread::get_id();
        ++changes;
    });
    log.Loaded();
    log.SetActive(true);
    ASSERT_EQ(log.GetCachedEventCount(), 1);

    append();
    pumpUntil([&] { return changes > 0; });
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(calledOn == std::this_thread::get_id());
    // The change dropped the cached count: it is read again.
    EXPECT_EQ(log.GetCachedEventCount(), 2);
}

TEST_F(ChangeNotification, ReaderGoneBeforeTheChangeArrivesIsNotReached)
{
    int argc = 1;
    char name[] = "test";
    char* argv[] = {name};
    QCoreApplication app(argc, argv);

    int changes = 0;
    {
        TNTEventLog log;
        log.SetSourceName("Application");
        log.SetOnChange([&](TNTEventLog*) { ++changes; });
        log.Loaded();
        log.SetActive(true);
        append();
        // Give the wait thread time to post the change, then destroy the
        // reader before the GUI thread runs it.
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    pumpUntil([] { return false; }, 300);
    EXPECT_EQ(changes, 0);
}
