// The log window's commands on its events: sorting, filters and their
// undo, the quick filter, Find and Find Next.

#include "LocalTimeTexts.h"
#include "LogViewFixture.h"
#include "QtPrinters.h"
#include "WhenShown.h"

#include "app/filt_frm.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTimeEdit>
#include <QToolButton>

#include <functional>
#include <tuple>

namespace {

// Sources in byte order: "Alpha" < "Beta" < "Zulu" < "alpha".
const char* const kSources[] = {"Beta", "alpha", "Zulu", "Alpha"};
const char* const kComputers[] = {"SRV2", "srv1", "SRV1"};
constexpr std::uint32_t kBase = 1'000'000'000; // 2001-09-09 01:46:40 UTC

// Twelve events whose every column differs from its neighbours'; the times
// run 37 hours apart, so days and times of day are in different orders.
TestRecord variedRecord(DWORD rn)
{
    static constexpr WORD kTypes[] = {EVENTLOG_WARNING_TYPE, EVENTLOG_AUDIT_FAILURE, EVENTLOG_ERROR_TYPE,
                                      EVENTLOG_INFORMATION_TYPE, EVENTLOG_AUDIT_SUCCESS};
    TestRecord t;
    t.recordNumber = rn;
    t.timeGenerated = kBase + rn * 37 * 3600;
    t.eventId = 0x80000000u | ((rn * 7919) % 1000);
    t.eventType = kTypes[rn % 5];
    t.category = static_cast<WORD>((rn * 3) % 5);
    t.source = kSources[rn % 4];
    t.computer = kComputers[rn % 3];
    if (rn % 2)
        t.sid = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};
    t.strings = {"record " + std::to_string(rn)};
    return t;
}

class LogCommandsTest : public LogViewFixture {
protected:
    void load(DWORD count, GeneratedLogService::Generator generate = SampleRecord)
    {
        service.count = count;
        service.generate = std::move(generate);
        window->LoadEvents(QStringLiteral("Application"));
        ASSERT_EQ(window->Model().rowCount(), static_cast<int>(count));
    }

    // The record numbers of the rows, top row first.
    std::vector<DWORD> rows() const
    {
        std::vector<DWORD> out;
        for (int r = 0; r < window->Model().rowCount(); ++r)
            out.push_back(window->Model().EventAt(r)->RecordNumber);
        return out;
    }

    DWORD selectedRecord() const
    {
        const int index = window->SelectedIndex();
        return index < 0 ? 0 : window->Events()[static_cast<std::size_t>(index)]->RecordNumber;
    }

    void selectRecord(DWORD rn)
    {
        for (int r = 0; r < window->Model().rowCount(); ++r)
            if (window->Model().EventAt(r)->RecordNumber == rn)
                window->lvLog()->selectRow(r);
        ASSERT_EQ(selectedRecord(), rn);
    }

    // The dialog's next Execute sees `fill` done and OK (or Cancel).
    void answerDialog(std::function<void(TfrmFilterDesign&)> fill, bool ok = true)
    {
        WhenShown<TfrmFilterDesign>([fill, ok](TfrmFilterDesign& f) {
            fill(f);
            (ok ? f.btnOK() : f.btnCancel())->click();
        });
    }

    bool enabled(TLogCommand c) { return host.actions[c]->isEnabled(); }

    // Clicks Stop at the `pumps`-th message pump that sees it shown (the
    // first is the one before a loop starts).
    void clickStopAtPump(int pumps)
    {
        stopTick_ = [this, pumps] {
            if (window->sbtnStopProcess()->isVisible() && ++stopPumps_ == pumps)
                window->sbtnStopProcess()->click();
            else
                atNextPump(stopTick_);
        };
        atNextPump(stopTick_);
    }

private:
    std::function<void()> stopTick_;
    int stopPumps_ = 0;
};

// The value of a sort key for an event, as the key compares it: times are
// local, UTC plus the offset in force now.
std::tuple<long long, std::string> sortValue(TEventItem& e, int key)
{
    const long long seconds = std::llround((e.TimeGenerated - 25569.0) * 86400.0) + CurrentUtcOffsetSeconds();
    switch (key) {
    case 0:
        return {e.EventType * 10'000'000'000LL + seconds, {}};
    case 1:
        return {seconds, {}};
    case 2:
        return {seconds % 86400, {}};
    case 3:
        return {e.EventID & 0xFFFF, {}};
    case 4:
        return {0, e.Source};
    case 5:
        return {e.Category, {}};
    case 6:
        return {0, e.GetUserName()};
    case 7:
        return {0, e.Computer};
    default:
        return {static_cast<std::int32_t>(e.RecordNumber), {}};
    }
}

TEST_F(LogCommandsTest, SortByEachColumnBothWaysKeepsTheSelection)
{
    load(12, variedRecord);
    QHeaderView* header = window->lvLog()->horizontalHeader();
    for (int key = 0; key < kLogColumnCount; ++key) {
        for (int click = 0; click < 2; ++click) {
            SCOPED_TRACE(testing::Message() << "column " << key << ", click " << click);
            selectRecord(7);
            host.sortChecks = 0;
            const bool before = window->SortDirection(key);
            emit header->sectionClicked(key);
            const bool largestOnTop = window->SortDirection(key);
            EXPECT_NE(largestOnTop, before);

            // Each row against the next: in the key's order, equal values
            // in the order of their record numbers.
            for (int r = 0; r + 1 < window->Model().rowCount(); ++r) {
                TEventItem& above = *window->Model().EventAt(r);
                TEventItem& below = *window->Model().EventAt(r + 1);
                auto a = std::tuple_cat(sortValue(above, key), std::make_tuple(above.RecordNumber));
                auto b = std::tuple_cat(sortValue(below, key), std::make_tuple(below.RecordNumber));
                EXPECT_TRUE(largestOnTop ? a > b : a < b) << "rows " << r << " and " << r + 1;
            }
            EXPECT_EQ(selectedRecord(), 7u);
            const int row = window->Model().RowOfIndex(window->SelectedIndex());
            EXPECT_TRUE(window->lvLog()->viewport()->rect().contains(
                window->lvLog()->visualRect(window->Model().index(row, 0))));
            EXPECT_EQ(header->sortIndicatorSection(), key);
            EXPECT_EQ(header->sortIndicatorOrder(), largestOnTop ? Qt::DescendingOrder : Qt::AscendingOrder);
            EXPECT_EQ(host.sortChecks, 1);
            EXPECT_FALSE(host.newestFirst);
            EXPECT_FALSE(host.oldestFirst);
        }
    }
}

TEST_F(LogCommandsTest, FirstClicksFollowTheDefaultDirections)
{
    load(12, variedRecord);
    window->SortByColumn(lcType);
    EXPECT_EQ(window->Model().EventAt(0)->EventType, etAuditFailure);
    window->SortByColumn(lcSource);
    EXPECT_EQ(window->Model().EventAt(0)->Source, "Alpha");
    EXPECT_EQ(window->Model().EventAt(11)->Source, "alpha");
}

TEST_F(LogCommandsTest, RecordNumberOrderClearsTheSortImage)
{
    load(12, variedRecord);
    window->SortByColumn(lcComputer);
    window->SetSortDirection(kRecordNumberSortKey, false); // Newest First
    window->SortByColumn(kRecordNumberSortKey);
    EXPECT_EQ(rows().front(), 12u);
    EXPECT_EQ(rows().back(), 1u);
    EXPECT_EQ(window->lvLog()->horizontalHeader()->sortIndicatorSection(), -1);
    window->SetSortDirection(kRecordNumberSortKey, true); // Oldest First
    window->SortByColumn(kRecordNumberSortKey);
    EXPECT_EQ(rows().front(), 1u);
    EXPECT_FALSE(window->SortDirection(kRecordNumberSortKey));
}

TEST_F(LogCommandsTest, ClickOnAnEmptyListDoesNothing)
{
    load(0);
    emit window->lvLog()->horizontalHeader()->sectionClicked(lcSource);
    EXPECT_EQ(window->SortDirection(lcSource), DefaultSortDirections[lcSource]);
    EXPECT_EQ(window->lvLog()->horizontalHeader()->sortIndicatorSection(), -1);
}

TEST_F(LogCommandsTest, FilterUndoAndUndoAll)
{
    load(100);
    EXPECT_FALSE(enabled(TLogCommand::UndoLastFilter));
    window->SortByColumn(lcSource); // a filter keeps the order it finds

    answerDialog([](TfrmFilterDesign& f) {
        f.cbxError()->setChecked(false);
        f.cbSources()->setEditText(QStringLiteral("disk"));
    });
    window->ApplyFilter();
    const std::vector<DWORD> first = rows();
    // Records 3, 6, ... 99 are "Disk"; those with rn % 7 == 0 are errors.
    ASSERT_EQ(first.size(), 33u - 4u);
    for (int r = 0; r < window->Model().rowCount(); ++r) {
        EXPECT_EQ(window->Model().EventAt(r)->Source, "Disk");
        EXPECT_NE(window->Model().EventAt(r)->EventType, etError);
    }
    EXPECT_TRUE(std::is_sorted(first.begin(), first.end()));
    EXPECT_EQ(window->StatusText(), "Filtered: showing 29 of 100 event(s)");
    EXPECT_TRUE(enabled(TLogCommand::UndoLastFilter));
    EXPECT_TRUE(enabled(TLogCommand::UndoAllFilters));
    EXPECT_TRUE(window->sbtnStopProcess()->isHidden());
    EXPECT_TRUE(window->LoadingLabel()->isHidden());

    answerDialog([](TfrmFilterDesign& f) { f.edEvents()->setText(QStringLiteral("1-50")); });
    window->ApplyFilter();
    EXPECT_EQ(window->StatusText(), "Filtered: showing 14 of 100 event(s)");

    // One level: the list the second filter started from.
    window->UndoLastFilter();
    EXPECT_EQ(rows(), first);
    EXPECT_EQ(window->StatusText(), "Filtered: showing 29 of 100 event(s)");
    EXPECT_FALSE(enabled(TLogCommand::UndoLastFilter));
    EXPECT_TRUE(enabled(TLogCommand::UndoAllFilters));
    window->UndoLastFilter(); // used already: nothing
    EXPECT_EQ(rows(), first);

    window->UndoAllFilters();
    EXPECT_EQ(window->Model().rowCount(), 100);
    EXPECT_EQ(rows().front(), 100u); // natural order again, newest first
    EXPECT_EQ(window->StatusText(), "Showing 100 event(s)");
    EXPECT_FALSE(enabled(TLogCommand::UndoLastFilter));
    EXPECT_FALSE(enabled(TLogCommand::UndoAllFilters));
    EXPECT_FALSE(window->CanUndoAll());
    EXPECT_EQ(window->lvLog()->horizontalHeader()->sortIndicatorSection(), -1);
    EXPECT_TRUE(window->cbLogs()->isEnabled());
}

TEST_F(LogCommandsTest, UndoLeavesNoDescriptionOfAnEventNoLongerSelected)
{
    load(20);
    answerDialog([](TfrmFilterDesign& f) { f.edDescriptionText()->setText(QStringLiteral("RECORD 1")); });
    window->ApplyFilter();
    answerDialog([](TfrmFilterDesign& f) { f.edDescriptionText()->setText(QStringLiteral("RECORD 19")); });
    window->ApplyFilter();
    const std::function<void()> undos[] = {[&] { window->UndoLastFilter(); }, [&] { window->UndoAllFilters(); }};
    for (const auto& undo : undos) {
        window->lvLog()->selectRow(0);
        ASSERT_FALSE(window->meEventText()->toPlainText().isEmpty());
        undo();
        EXPECT_TRUE(window->lvLog()->selectionModel()->selectedRows().isEmpty());
        EXPECT_EQ(window->meEventText()->toPlainText(), "");
    }
}

TEST_F(LogCommandsTest, UndoOfTheOnlyFilterShowsTheWholeLog)
{
    load(20);
    answerDialog([](TfrmFilterDesign& f) { f.edDescriptionText()->setText(QStringLiteral("RECORD 1")); });
    window->ApplyFilter();
    // Records 1 and 10-19 carry "record 1" in their descriptions.
    EXPECT_EQ(window->StatusText(), "Filtered: showing 11 of 20 event(s)");
    window->UndoLastFilter();
    EXPECT_EQ(window->StatusText(), "Showing 20 event(s)");
    EXPECT_FALSE(enabled(TLogCommand::UndoAllFilters));
}

TEST_F(LogCommandsTest, FilterOnAnEmptyListOrCancelledChangesNothing)
{
    load(0);
    window->ApplyFilter();
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.asked[0].text, "No events to filter found.");
    EXPECT_EQ(prompts.asked[0].caption, "Filter");
    EXPECT_EQ(prompts.asked[0].flags, UINT(MB_OK | MB_ICONEXCLAMATION));

    load(10);
    answerDialog([](TfrmFilterDesign& f) { f.cbxWarning()->setChecked(false); }, false);
    window->ApplyFilter();
    EXPECT_EQ(window->Model().rowCount(), 10);
    EXPECT_EQ(window->StatusText(), "Showing 10 event(s)");
    EXPECT_FALSE(window->CanUndoLast());
}

TEST_F(LogCommandsTest, StopDuringAFilterKeepsTheMatchesFoundSoFar)
{
    load(20'000);
    answerDialog([](TfrmFilterDesign&) {});
    clickStopAtPump(4);
    window->ApplyFilter();
    // Every event examined up to the third pump of the loop.
    const int kept = window->Model().rowCount();
    EXPECT_EQ(kept, 300);
    EXPECT_EQ(window->StatusText(), "Filtered: showing 300 of 20000 event(s)");
    EXPECT_EQ(window->Model().EventAt(kept - 1)->RecordNumber, 1u); // the oldest were examined first
}

TEST_F(LogCommandsTest, QuickFilterOnACell)
{
    // Two events a day: the Date column keeps a whole day whatever the time.
    load(10, [](DWORD rn) {
        TestRecord t = SampleRecord(rn);
        t.timeGenerated = kBase + (rn / 2) * 86400 + rn * 60;
        return t;
    });
    QTableView* list = window->lvLog();
    auto popupOn = [&](int row, int column) {
        window->pmLogPopup(list->visualRect(window->Model().index(row, column)).center());
    };

    // Without a selected row the popup leaves the item alone.
    popupOn(0, lcSource);
    EXPECT_EQ(window->pmitFilterBy()->text(), "Quick filter by: <no filter>");

    selectRecord(6);
    popupOn(3, lcDate); // the cell under the mouse names the column; the value is the selected row's
    const QString date = cell(window->Model().RowOfIndex(window->SelectedIndex()), lcDate);
    EXPECT_EQ(window->pmitFilterBy()->text(), QStringLiteral("Quick Filter By: Date = \"%1\"").arg(date));
    window->pmitFilterBy()->trigger();
    EXPECT_EQ(rows(), (std::vector<DWORD>{7, 6}));
    EXPECT_EQ(window->StatusText(), "Filtered: showing 2 of 10 event(s)");
    EXPECT_TRUE(window->meEventText()->toPlainText().isEmpty());
    EXPECT_TRUE(window->CanUndoLast());

    window->UndoLastFilter();
    selectRecord(3);
    popupOn(0, lcSource);
    EXPECT_EQ(window->pmitFilterBy()->text(), "Quick Filter By: Source = \"Disk\"");
    window->pmitFilterByClick();
    EXPECT_EQ(rows(), (std::vector<DWORD>{9, 6, 3}));

    selectRecord(9);
    popupOn(0, lcType);
    window->pmitFilterByClick();
    EXPECT_EQ(rows(), (std::vector<DWORD>{9}));
    EXPECT_EQ(window->StatusText(), "Filtered: showing 1 of 10 event(s)");
}

TEST_F(LogCommandsTest, FindAndFindNextWithTheQuestion)
{
    load(12);
    EXPECT_FALSE(enabled(TLogCommand::FindNext));
    window->FindNext(); // before any Find: nothing
    EXPECT_EQ(selectedRecord(), 0u);

    // "Disk": records 12, 9, 6, 3.  With no row selected the top row is
    // searched too.
    answerDialog([](TfrmFilterDesign& f) { f.cbSources()->setEditText(QStringLiteral("Disk")); });
    window->Find();
    EXPECT_EQ(selectedRecord(), 12u);
    EXPECT_TRUE(window->FindDone());
    EXPECT_TRUE(enabled(TLogCommand::FindNext));
    window->FindNext();
    EXPECT_EQ(selectedRecord(), 9u);
    window->FindNext();
    window->FindNext();
    EXPECT_EQ(selectedRecord(), 3u);
    EXPECT_TRUE(prompts.asked.empty());

    // The bottom: Cancel leaves the selection; OK goes on from the top.
    prompts.answers = {IDCANCEL, IDOK};
    window->FindNext();
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.asked[0].text, "End of log reached. Continue from beginning?");
    EXPECT_EQ(prompts.asked[0].caption, "Find");
    EXPECT_EQ(prompts.asked[0].flags, UINT(MB_OKCANCEL | MB_ICONQUESTION));
    EXPECT_EQ(selectedRecord(), 3u);
    window->FindNext();
    EXPECT_EQ(prompts.asked.size(), 2u);
    EXPECT_EQ(selectedRecord(), 12u);

    // A Find with a row selected starts below it.
    selectRecord(9);
    answerDialog([](TfrmFilterDesign& f) { f.edEvents()->setText(QStringLiteral("1-100")); });
    window->Find();
    EXPECT_EQ(selectedRecord(), 8u);

    // A cancelled dialog keeps the last criteria for Find Next.
    answerDialog([](TfrmFilterDesign& f) { f.edEvents()->setText(QStringLiteral("3")); }, false);
    window->Find();
    EXPECT_EQ(selectedRecord(), 8u);
    EXPECT_EQ(window->FindFilter().EventIDs, "1-100");
    window->FindNext();
    EXPECT_EQ(selectedRecord(), 7u);
}

TEST_F(LogCommandsTest, AFindThatMatchesNothingAsksAfterEveryOK)
{
    load(5);
    window->lvLog()->selectRow(2);
    prompts.answers = {IDOK, IDOK, IDCANCEL};
    answerDialog([](TfrmFilterDesign& f) { f.edComputer()->setText(QStringLiteral("nowhere")); });
    window->Find();
    EXPECT_EQ(prompts.asked.size(), 3u);
    EXPECT_EQ(selectedRecord(), 3u); // unchanged
    EXPECT_TRUE(window->FindDone());
}

TEST_F(LogCommandsTest, StopDuringFindSelectsTheEventReached)
{
    load(2000);
    answerDialog([](TfrmFilterDesign& f) { f.edComputer()->setText(QStringLiteral("nowhere")); });
    clickStopAtPump(3);
    window->Find();
    EXPECT_TRUE(prompts.asked.empty());
    // The search pumps at list indexes 1990 and 1980 and stops at 1979.
    EXPECT_EQ(selectedRecord(), 1980u);
    EXPECT_TRUE(window->sbtnStopProcess()->isHidden());
}

// Events at given local times of the zone the test runs in; the local time
// of each is UTC plus the offset in force now, for a winter and a summer
// date alike.
struct LocalEvent {
    int day; // days after the first
    QTime time;
};

GeneratedLogService::Generator atLocalTimes(QDate first, std::vector<LocalEvent> events)
{
    return [first, events](DWORD rn) {
        TestRecord t = SampleRecord(rn);
        const LocalEvent& e = events[rn - 1];
        t.timeGenerated = UtcSecondsAtLocal(first.addDays(e.day), e.time);
        return t;
    };
}

// The two seasons: in a zone with daylight saving one of them lies on the
// other side of a change from today.
const QDate kWinterDay(2021, 1, 14);
const QDate kSummerDay(2021, 7, 14);

// Records 1-8, either side of midnight and of 06:00 and 22:00.
const std::vector<LocalEvent> kAroundNight = {
    {0, QTime(21, 59, 59)}, {0, QTime(22, 0)}, {0, QTime(23, 59, 59)}, {1, QTime(0, 0)},
    {1, QTime(5, 0)},       {1, QTime(6, 0)},  {1, QTime(6, 0, 1)},    {1, QTime(12, 0)},
};

TEST_F(LogCommandsTest, DateAndTimeFiltersTakeLocalTimes)
{
    struct Case {
        const char* what;
        bool date, time, separately;
        int fromDay;
        QTime fromTime;
        int toDay;
        QTime toTime;
        std::vector<DWORD> kept; // top row first
    } cases[] = {
        {"date only: the whole second day", true, false, false, 1, QTime(), 1, QTime(), {8, 7, 6, 5, 4}},
        {"time only: 22:00 to 06:00", false, true, false, 0, QTime(22, 0), 0, QTime(6, 0), {6, 5, 4, 3, 2}},
        {"one window from 23:00 to 06:00 the next day", true, true, false, 0, QTime(23, 0), 1, QTime(6, 0),
         {6, 5, 4, 3}},
        {"the second day's times 22:00 to 06:00", true, true, true, 1, QTime(22, 0), 1, QTime(6, 0), {6, 5, 4}},
    };
    for (const QDate first : {kWinterDay, kSummerDay}) {
        load(8, atLocalTimes(first, kAroundNight));
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << first.toString(Qt::ISODate).toStdString() << ", " << c.what);
            answerDialog([&](TfrmFilterDesign& f) {
                if (c.date)
                    f.cbxDate()->click();
                if (c.time)
                    f.cbxTime()->click();
                if (c.separately)
                    f.cbxSeparately()->click();
                f.dtpFromDate()->setDate(first.addDays(c.fromDay));
                f.dtpToDate()->setDate(first.addDays(c.toDay));
                if (c.time) {
                    f.dtpFromTime()->setTime(c.fromTime);
                    f.dtpToTime()->setTime(c.toTime);
                }
            });
            window->ApplyFilter();
            EXPECT_EQ(rows(), c.kept);
            window->UndoAllFilters();
        }
    }
}

TEST_F(LogCommandsTest, FindWithTimesTakesLocalTimes)
{
    for (const QDate first : {kWinterDay, kSummerDay}) {
        SCOPED_TRACE(first.toString(Qt::ISODate).toStdString());
        load(8, atLocalTimes(first, kAroundNight));
        prompts.asked.clear();
        // From the top row down: the events from 22:00 to 06:00.
        answerDialog([&](TfrmFilterDesign& f) {
            f.cbxTime()->click();
            f.dtpFromTime()->setTime(QTime(22, 0));
            f.dtpToTime()->setTime(QTime(6, 0));
        });
        window->Find();
        std::vector<DWORD> found{selectedRecord()};
        for (int i = 0; i < 4; ++i) {
            window->FindNext();
            found.push_back(selectedRecord());
        }
        EXPECT_EQ(found, (std::vector<DWORD>{6, 5, 4, 3, 2}));
        EXPECT_TRUE(prompts.asked.empty());

        // One window across midnight, from the selected row down.
        selectRecord(8);
        answerDialog([&](TfrmFilterDesign& f) {
            f.cbxDate()->click();
            f.cbxTime()->click();
            f.dtpFromDate()->setDate(first);
            f.dtpFromTime()->setTime(QTime(23, 0));
            f.dtpToDate()->setDate(first.addDays(1));
            f.dtpToTime()->setTime(QTime(0, 0));
        });
        window->Find();
        EXPECT_EQ(selectedRecord(), 4u);
        window->FindNext();
        EXPECT_EQ(selectedRecord(), 3u);
        prompts.answers = {IDCANCEL};
        window->FindNext();
        EXPECT_EQ(prompts.asked.size(), 1u);
        EXPECT_EQ(selectedRecord(), 3u);
    }
}

TEST_F(LogCommandsTest, QuickFilterOnDateAndTimeTakesLocalTimes)
{
    // Records 1-5: the first and the last second of two local days, and
    // noon of the second.
    const std::vector<LocalEvent> days = {
        {0, QTime(0, 0)}, {0, QTime(23, 59, 59)}, {1, QTime(0, 0)}, {1, QTime(12, 0)}, {1, QTime(23, 59, 59)},
    };
    struct Case {
        DWORD selected;
        TLogColumn column;
        const char* value; // for the summer day; the winter day is half a year earlier
        std::vector<DWORD> kept;
    } cases[] = {
        {1, lcDate, "7/14/21", {2, 1}},
        {5, lcDate, "7/15/21", {5, 4, 3}},
        {3, lcTime, "12:00:00 AM", {3, 1}},
        {2, lcTime, "11:59:59 PM", {5, 2}},
    };
    QTableView* list = window->lvLog();
    for (const QDate first : {kWinterDay, kSummerDay}) {
        load(5, atLocalTimes(first, days));
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << first.toString(Qt::ISODate).toStdString() << ", record "
                                            << c.selected << ", column " << c.column);
            QString value = QString::fromLatin1(c.value);
            if (first == kWinterDay)
                value.replace(QStringLiteral("7/"), QStringLiteral("1/"));
            selectRecord(c.selected);
            window->pmLogPopup(list->visualRect(window->Model().index(0, c.column)).center());
            EXPECT_EQ(window->pmitFilterBy()->text(),
                      QStringLiteral("Quick Filter By: %1 = \"%2\"")
                          .arg(LogColumnCaption(c.column), value));
            window->pmitFilterByClick();
            EXPECT_EQ(rows(), c.kept);
            window->UndoLastFilter();
        }
    }
}

} // namespace
