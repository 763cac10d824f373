#include "DemoSiteFixture.h"
#include "LogViewFixture.h"

#include "ThemeManager/ThemeMgr.h"
#include "ThemeManager/XPSystemButton.h"

#include "app/DescriptionMemo.h"
#include "app/EventColumns.h"
#include "app/EventListModel.h"
#include "app/common.h"
#include "app/dwy_reg.h"
#include "app/SystemFonts.h"
#include "app/logview.h"

#include "ntlib/FunctionBinding.h"

#include "platform/PlatformProfile.h"
#include "platform/Registry.h"
#include "platform/Site.h"

#include "tools/demosite/DemoNetwork.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMdiArea>
#include <QMetaObject>
#include <QPlainTextEdit>
#include <QSet>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QPointer>
#include <QProgressBar>
#include <QStyle>
#include <QTest>
#include <QSplitter>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QEventLoop>
#include <QFontInfo>
#include <QLocale>

#include "LocalTimeTexts.h"
#include "PaintedImages.h"
#include "QtPrinters.h"
#include "ScopedTimeZone.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>

namespace {

class LogViewTest : public LogViewFixture {};

TEST_F(LogViewTest, LoadShowsTheEventsNewestFirst)
{
    service.count = 5;
    window->LoadEvents(QStringLiteral("Application"));

    EXPECT_EQ(service.openedName, "Application");
    EXPECT_EQ(window->StatusText(), "Showing 5 event(s)");
    EXPECT_EQ(window->TotalCount(), 5);
    ASSERT_EQ(window->Model().rowCount(), 5);
    EXPECT_EQ(window->Events().size(), 5u);
    EXPECT_EQ(window->Model().EventAt(0)->RecordNumber, 5u);
    EXPECT_EQ(window->Model().EventAt(4)->RecordNumber, 1u);
    EXPECT_EQ(window->Events().front()->RecordNumber, 1u);

    EXPECT_TRUE(window->cbLogs()->isEnabled());
    EXPECT_TRUE(window->sbtnStopProcess()->isHidden());
    EXPECT_TRUE(window->LoadProgressBar()->isHidden());
    EXPECT_TRUE(window->LoadingLabel()->isHidden());
    EXPECT_FALSE(window->Loading());
    EXPECT_FALSE(window->IsBusy());
    EXPECT_TRUE(window->SortDirection(kRecordNumberSortKey));
    EXPECT_EQ(window->lvLog()->horizontalHeader()->sortIndicatorSection(), -1);
    EXPECT_TRUE(host.newestFirst);
    EXPECT_FALSE(host.oldestFirst);
    for (TLogCommand c : {TLogCommand::FindNext, TLogCommand::UndoLastFilter, TLogCommand::UndoAllFilters})
        EXPECT_FALSE(host.actions[c]->isEnabled());
    EXPECT_TRUE(host.actions[TLogCommand::Find]->isEnabled());
    EXPECT_TRUE(prompts.asked.empty());
}

TEST_F(LogViewTest, ColumnsShowEachKindOfEvent)
{
    struct Case {
        WORD platformType;
        const char* typeText;
        bool icon;
    } cases[] = {
        {EVENTLOG_ERROR_TYPE, "Error", true},
        {EVENTLOG_WARNING_TYPE, "Warning", true},
        {EVENTLOG_INFORMATION_TYPE, "Information", true},
        {EVENTLOG_AUDIT_SUCCESS, "Audit Success", true},
        {EVENTLOG_AUDIT_FAILURE, "Audit Failure", true},
        {EVENTLOG_SUCCESS, "", false},
        {EVENTLOG_ERROR_TYPE | EVENTLOG_WARNING_TYPE, "", false},
    };
    const int n = static_cast<int>(std::size(cases));
    service.count = static_cast<DWORD>(n);
    service.generate = [&](DWORD rn) {
        TestRecord t;
        t.recordNumber = rn;
        t.timeGenerated = 1'000'000'000; // 2001-09-09 01:46:40 UTC
        t.eventId = 0xC0010000u | (0x1234u + rn);
        t.eventType = cases[rn - 1].platformType;
        t.category = static_cast<WORD>(rn - 1);
        t.source = "Source " + std::to_string(rn);
        t.computer = "HOST" + std::to_string(rn);
        if (rn % 2)
            t.sid = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};
        return t;
    };
    window->LoadEvents(QStringLiteral("Application"));
    ASSERT_EQ(window->Model().rowCount(), n);

    for (int i = 0; i < n; ++i) {
        SCOPED_TRACE(i);
        const int row = n - 1 - i; // record i + 1
        const TEventListModel& m = window->Model();
        EXPECT_EQ(cell(row, lcType), cases[i].typeText);
        EXPECT_EQ(m.data(m.index(row, lcType), Qt::DecorationRole).isValid(), cases[i].icon);
        // "9/9/01" and "1:46:40 AM" in UTC.
        EXPECT_EQ(cell(row, lcDate), ShownDate(1'000'000'000));
        EXPECT_EQ(cell(row, lcTime), ShownTime(1'000'000'000));
        EXPECT_EQ(cell(row, lcEvent), QString::number(0x1234 + i + 1));
        EXPECT_EQ(cell(row, lcSource), QStringLiteral("Source %1").arg(i + 1));
        EXPECT_EQ(cell(row, lcCategory), QString::fromStdString(window->Model().EventAt(row)->CategoryName));
        // S-1-5-18 has no domain: its name follows a lone backslash.
        EXPECT_EQ(cell(row, lcUser), (i + 1) % 2 ? "\\SYSTEM" : "N/A");
        EXPECT_EQ(cell(row, lcComputer), QStringLiteral("HOST%1").arg(i + 1));
        EXPECT_EQ(m.data(m.index(row, lcSource), TEventListModel::EventTypeRole).toInt(),
                  static_cast<int>(EventTypeFromWin32(cases[i].platformType)));
    }
    // Category 0 is "None" whatever the source.
    EXPECT_EQ(cell(n - 1, lcCategory), "None");
}

TEST_F(LogViewTest, ColumnsShowTheirWholeTextsAtTheirWidths)
{
    // The window's Tahoma is the one the program registers at start; a
    // wider fallback clips "Audit Success" and the dates.
    const WORD types[] = {EVENTLOG_ERROR_TYPE, EVENTLOG_WARNING_TYPE, EVENTLOG_INFORMATION_TYPE,
                          EVENTLOG_AUDIT_SUCCESS, EVENTLOG_AUDIT_FAILURE};
    service.count = static_cast<DWORD>(std::size(types));
    service.generate = [&](DWORD rn) {
        TestRecord t;
        t.recordNumber = rn;
        // 2024-10-31 22:46:40 UTC: wide digits; the first at 10:46:40, whose
        // "AM" is wider than "PM".
        t.timeGenerated = 1'730'414'800 - (rn == 1 ? 12 * 3600 : 0);
        t.eventId = 65535;
        t.eventType = types[rn - 1];
        t.source = "Keepsafe Backup";
        t.computer = "WKS-DEMO";
        return t;
    };
    const QLocale saved;
    // The program's default without a language (d MMM yyyy, 24 hours),
    // British English (dd/MM/yyyy) and US English (a twelve-hour clock,
    // whose "10:46:40 PM" needs more than the designed Time column).
    for (const QLocale& locale : {QLocale::c(), QLocale(QLocale::English, QLocale::UnitedKingdom),
                                  QLocale(QLocale::English, QLocale::UnitedStates)}) {
        SCOPED_TRACE(locale.name().toStdString());
        QLocale::setDefault(locale);
        auto* fresh = new TfrmLogView(&host);
        QPointer<TfrmLogView> guard(fresh);
        fresh->resize(1000, 400);
        fresh->show();
        fresh->LoadEvents(QStringLiteral("Application"));
        QTableView* list = fresh->lvLog();
        QAbstractItemView* view = list; // where the widest cell's size is public
        EXPECT_EQ(QFontInfo(list->font()).family(), "Tahoma");
        for (int c = 0; c < kLogColumnCount; ++c)
            EXPECT_LE(view->sizeHintForColumn(c), list->columnWidth(c))
                << LogColumnCaption(static_cast<TLogColumn>(c)).toStdString();
        fresh->CloseWithoutQuestion();
        flushDeletes();
        EXPECT_TRUE(guard.isNull());
    }
    QLocale::setDefault(saved);
}

TEST_F(LogViewTest, TimesAreShownInLocalTime)
{
    service.count = 1;
    service.generate = [](DWORD rn) {
        TestRecord t;
        t.recordNumber = rn;
        t.timeGenerated = 1'000'000'000; // 01:46:40 UTC
        return t;
    };
    window->LoadEvents(QStringLiteral("Application"));
    const ScopedTimeZone east("QVT-3"); // three hours east of UTC, no daylight saving
    EXPECT_EQ(cell(0, lcTime), "4:46:40 AM");
}

TEST_F(LogViewTest, DescriptionPaneShowsNoEmptyLines)
{
    service.count = 2;
    service.generate = [](DWORD rn) {
        TestRecord t;
        t.recordNumber = rn;
        t.strings = {"first", "", "second", ""};
        return t;
    };
    window->LoadEvents(QStringLiteral("Application"));
    window->lvLog()->selectRow(0);

    const QString text = window->meEventText()->toPlainText();
    EXPECT_TRUE(text.contains(QStringLiteral("first\nsecond"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("\n\n")));
    EXPECT_FALSE(text.endsWith(u'\n'));
}

// Where the values of the pane's tab-laid lines (a tab, a label, tabs and
// the value) begin, in the pane's pixels, and how many such lines it shows.
struct ValueColumns {
    QSet<int> columns;
    int lines = 0;
};

ValueColumns ValueColumnsOf(const QPlainTextEdit& pane)
{
    ValueColumns found;
    for (QTextBlock block = pane.document()->begin(); block.isValid(); block = block.next()) {
        const QString line = block.text();
        const qsizetype last = line.lastIndexOf(u'\t');
        if (!line.startsWith(u'\t') || last == 0)
            continue;
        QTextCursor value(block);
        value.setPosition(block.position() + static_cast<int>(last) + 1);
        found.columns.insert(pane.cursorRect(value).left());
        ++found.lines;
    }
    return found;
}

// The pane's tab stops are those of the platform's multi-line edit in the
// pane's font, where security descriptions put their values in one column:
// two tabs after the short labels, one after the long ones.
TEST_F(LogViewTest, DescriptionValuesLineUpAtThePanesTabStops)
{
    const std::vector<std::vector<std::string>> layouts = {
        {"A new process was created:", "\tProcess ID:\t5168", "\tImage file:\tC:\\Program Files\\Ledger\\ledger.exe",
         "\tCreator process ID:\t1424", "\tUser name:\tamorrow", "\tDomain:\t\tOSTRIVEL", "\tLogon ID:\t(0x0,0x3E7)"},
        {"Successful logon:", "\tUser name:\tamorrow", "\tDomain:\t\tOSTRIVEL", "\tLogon ID:\t(0x0,0x5A21F)",
         "\tLogon type:\t2", "\tLogon process:\tUser32", "\tAuthentication:\tNegotiate", "\tWorkstation:\tWKS-DEMO"},
    };
    service.count = static_cast<DWORD>(layouts.size());
    service.generate = [&](DWORD rn) {
        TestRecord t;
        t.recordNumber = rn;
        t.strings = layouts[rn % layouts.size()];
        return t;
    };
    window->LoadEvents(QStringLiteral("Application"));
    QPlainTextEdit* pane = window->meEventText();
    EXPECT_EQ(pane->tabStopDistance(), EditTabDistance(pane->font()));

    for (int row = 0; row < static_cast<int>(layouts.size()); ++row) {
        SCOPED_TRACE(row);
        window->lvLog()->selectRow(row);
        const ValueColumns values = ValueColumnsOf(*pane);
        EXPECT_GE(values.lines, 6);
        EXPECT_EQ(values.columns.size(), 1) << pane->toPlainText().toStdString();
    }

    // The stops follow the pane's font.
    pane->setFont(WindowFont(QStringLiteral("Tahoma"), 16));
    EXPECT_EQ(pane->tabStopDistance(), EditTabDistance(pane->font()));
    EXPECT_GT(pane->tabStopDistance(), EditTabDistance(window->font()));
}

TEST_F(LogViewTest, DescriptionPaneNeverKeepsTheTextOfAnEventNoLongerShown)
{
    service.count = 3;
    service.generate = [](DWORD rn) {
        TestRecord t;
        t.recordNumber = rn;
        t.strings = {"event " + std::to_string(rn)};
        return t;
    };
    // A reload, another log from the drop-down, and a reload that fails:
    // no row is selected after them, so the pane is empty.
    const std::function<void()> loads[] = {
        [&] { window->LoadEvents(QStringLiteral("Application")); },
        [&] { window->ChangeLog(QStringLiteral("System")); },
        [&] {
            service.failOpenWith = ERROR_ACCESS_DENIED;
            window->LoadEvents(QStringLiteral("Security"));
            service.failOpenWith = 0;
        },
    };
    for (std::size_t i = 0; i < std::size(loads); ++i) {
        SCOPED_TRACE(i);
        window->LoadEvents(QStringLiteral("Application"));
        window->lvLog()->selectRow(0);
        ASSERT_TRUE(window->meEventText()->toPlainText().contains(QStringLiteral("event 3")));
        loads[i]();
        EXPECT_TRUE(window->lvLog()->selectionModel()->selectedRows().isEmpty());
        EXPECT_EQ(window->meEventText()->toPlainText(), "");
    }
    // With a row selected the pane shows that row's event.
    window->LoadEvents(QStringLiteral("Application"));
    window->lvLog()->selectRow(2);
    window->meEventText()->clear();
    window->ShowSelectedDescription();
    EXPECT_TRUE(window->meEventText()->toPlainText().contains(QStringLiteral("event 1")));
}

TEST_F(LogViewTest, EmptyLogShowsNoEvents)
{
    window->LoadEvents(QStringLiteral("Application"));
    EXPECT_EQ(window->StatusText(), "Showing 0 event(s)");
    EXPECT_EQ(window->Model().rowCount(), 0);
    EXPECT_TRUE(window->cbLogs()->isEnabled());
}

TEST_F(LogViewTest, FileWindowKeepsItsLogChooserDisabled)
{
    service.count = 3;
    window->SetIsFile(true);
    window->NTEventLog().SetBackupFileName("/logs/saved.evt");
    window->LoadEvents(QStringLiteral("/logs/saved.evt"));
    EXPECT_EQ(service.openedName, "/logs/saved.evt");
    EXPECT_EQ(window->NTEventLog().SourceName(), "Security"); // a file window leaves the log name alone
    EXPECT_EQ(window->StatusText(), "Showing 3 event(s)");
    EXPECT_FALSE(window->cbLogs()->isEnabled());
}

TEST_F(LogViewTest, StopKeepsWhatWasLoaded)
{
    service.count = 20'000;
    bool stopShown = false;
    service.onRead = [&](int read) {
        if (read == 60) {
            stopShown = window->sbtnStopProcess()->isVisible();
            atNextPump([this] { window->sbtnStopProcess()->click(); });
        }
    };
    window->LoadEvents(QStringLiteral("Application"));

    EXPECT_TRUE(stopShown);
    const int shown = window->Model().rowCount();
    EXPECT_GT(shown, 1000);
    EXPECT_LT(shown, 20'000);
    EXPECT_EQ(shown % 1000, 1) << "the event of the pump that saw the click is kept";
    EXPECT_EQ(window->StatusText(), QStringLiteral("Showing %1 event(s)").arg(shown));
    EXPECT_EQ(window->TotalCount(), 20'000);
    EXPECT_EQ(window->Model().EventAt(0)->RecordNumber, static_cast<DWORD>(shown));
    EXPECT_TRUE(prompts.asked.empty());
}

// The Stop button shows its caption while a load runs, in the themed look
// (the visual style's theme manager paints it) and in the plain look, and
// a press and release of the mouse at its centre ends the load.
TEST_F(LogViewTest, StopShowsItsCaptionAndTheMouseEndsTheLoad)
{
    struct Look {
        const char* name;
        platform::PlatformProfile profile;
        const char* style;
    } looks[] = {
        {"themed", platform::PlatformProfile::nt51(), "fusion"},
        {"plain", platform::PlatformProfile::nt5(), "windows"},
    };
    for (const Look& look : looks) {
        SCOPED_TRACE(look.name);
        const platform::ScopedProfile profile(look.profile);
        QCoreApplication::sendPostedEvents(); // the platform sets the look
        ASSERT_EQ(QApplication::style()->name(), look.style);
        // The main window's manager, with the options the program gives it.
        TThemeManager manager;
        manager.SetOptions(kDefaultThemeOptions.Without(toSubclassPanel));
        manager.Loaded();

        service.count = 20'000;
        int textPixels = -1;
        int reads = 0;
        service.onRead = [&](int) {
            if (++reads != 60)
                return;
            atNextPump([&] {
                QToolButton* stop = window->sbtnStopProcess();
                ASSERT_TRUE(stop->isVisible());
                const QRect at(stop->mapTo(window, QPoint(0, 0)), stop->size());
                const QImage picture = window->grab(at).toImage();
                textPixels = PixelsNear(picture, stop->palette().color(QPalette::ButtonText));
                const QPoint centre = window->mapFromGlobal(stop->mapToGlobal(stop->rect().center()));
                QTest::mousePress(window->windowHandle(), Qt::LeftButton, {}, centre);
                QTest::mouseRelease(window->windowHandle(), Qt::LeftButton, {}, centre);
            });
        };
        window->LoadEvents(QStringLiteral("Application"));
        service.onRead = nullptr;

        EXPECT_GE(textPixels, 10) << "the caption \"Stop\" shows";
        EXPECT_LT(window->Model().rowCount(), 20'000) << "the load ended early";
        EXPECT_TRUE(window->sbtnStopProcess()->isHidden());
    }
}

TEST_F(LogViewTest, ReadErrorKeepsThePartialList)
{
    service.count = 5000;
    service.failAtRead = 20;
    window->LoadEvents(QStringLiteral("Application"));

    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.asked[0].text, "Event log \"Application\" could not be read!");
    EXPECT_EQ(prompts.asked[0].caption, "Reading event log");
    EXPECT_EQ(prompts.asked[0].flags & MB_ICONMASK, MB_ICONERROR);
    const int shown = window->Model().rowCount();
    EXPECT_GT(shown, 0);
    EXPECT_LT(shown, 5000);
    EXPECT_EQ(window->StatusText(), QStringLiteral("Showing %1 event(s)").arg(shown));
    EXPECT_TRUE(window->sbtnStopProcess()->isHidden());
    EXPECT_TRUE(window->cbLogs()->isEnabled());
}

TEST_F(LogViewTest, LogThatCannotBeOpenedShowsTheMessage)
{
    service.count = 10;
    service.failOpenWith = ERROR_ACCESS_DENIED;
    window->LoadEvents(QStringLiteral("Security"));
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.asked[0].text, "Event log \"Security\" could not be read!");
    EXPECT_EQ(window->StatusText(), "Showing 0 event(s)");
}

TEST_F(LogViewTest, ReloadReplacesTheEvents)
{
    service.count = 3;
    window->LoadEvents(QStringLiteral("Application"));
    window->lvLog()->selectRow(0);
    service.count = 4;
    window->LoadEvents(QStringLiteral("Application"));
    EXPECT_EQ(window->Model().rowCount(), 4);
    EXPECT_EQ(window->Model().EventAt(0)->RecordNumber, 4u);
    EXPECT_FALSE(window->lvLog()->selectionModel()->hasSelection());
}

TEST_F(LogViewTest, SourcesAndCategoriesAreCollected)
{
    service.count = 12;
    window->LoadEvents(QStringLiteral("Application"));
    // The empty entry, "Disk" and "Service Control Manager".
    EXPECT_EQ(window->Sources().Count(), 3u);
    EXPECT_TRUE(window->Sources().Contains(""));
    EXPECT_TRUE(window->Sources().Contains("disk"));
    EXPECT_TRUE(window->Categories().Contains(""));
    EXPECT_TRUE(window->Categories().Contains("None"));
}

TEST_F(LogViewTest, ChangeLogRenamesTheWindow)
{
    service.count = 2;
    window->ChangeLog(QStringLiteral("System"));
    EXPECT_EQ(service.openedName, "System");
    EXPECT_EQ(window->LogName(), "System");
    EXPECT_EQ(window->windowTitle(), "System on PC1");
    ASSERT_EQ(host.menuCaptions.size(), 1u);
    EXPECT_EQ(host.menuCaptions[0], "System on PC1");
}

TEST_F(LogViewTest, ChangeLogToALogThatFailsKeepsTheCaption)
{
    service.failOpenWith = ERROR_FILE_NOT_FOUND;
    window->ChangeLog(QStringLiteral("Missing"));
    EXPECT_EQ(window->windowTitle(), "Application on PC1");
    EXPECT_TRUE(host.menuCaptions.empty());
}

TEST_F(LogViewTest, CommandsAreRefusedWhileLoading)
{
    service.count = 5000;
    bool chooserEnabled = true;
    service.onRead = [&](int read) {
        if (read == 10) {
            chooserEnabled = window->cbLogs()->isEnabled();
            atNextPump([this] {
                window->LoadEvents(QStringLiteral("Other"));
                window->ChangeLog(QStringLiteral("Other"));
            });
        }
    };
    window->LoadEvents(QStringLiteral("Application"));
    EXPECT_FALSE(chooserEnabled);
    EXPECT_EQ(service.opens, 1);
    EXPECT_EQ(window->Model().rowCount(), 5000);
    EXPECT_EQ(window->windowTitle(), "Application on PC1");
}

TEST_F(LogViewTest, CloseAsksAndNoKeepsTheWindow)
{
    prompts.answer = IDNO;
    EXPECT_FALSE(window->close());
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.asked[0].text, "Do you really want to close this event log view window?");
    EXPECT_EQ(prompts.asked[0].caption, "Application on PC1");
    EXPECT_EQ(prompts.asked[0].flags, MB_YESNO | MB_ICONQUESTION);
    EXPECT_EQ(prompts.asked[0].checkText, "Don't ask me again");
    flushDeletes();
    ASSERT_FALSE(window.isNull());
    EXPECT_FALSE(window->IsClosed());
    EXPECT_TRUE(host.closed.empty());
    EXPECT_EQ(RegReadFlag(kConfirmationsKey, kConfirmCloseWindow, -1), -1); // nothing written
}

TEST_F(LogViewTest, CloseStoresTheCheckBoxAndFreesTheWindow)
{
    struct Case {
        bool tick;
        int stored;
    } cases[] = {{false, 0}, {true, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tick);
        if (!window) {
            window = new TfrmLogView(&host);
            window->show();
        }
        prompts.tick = c.tick;
        TfrmLogView* const closing = window.data();
        EXPECT_TRUE(window->close());
        EXPECT_EQ(RegReadFlag(kConfirmationsKey, kConfirmCloseWindow, -1), c.stored);
        ASSERT_FALSE(host.closed.empty());
        EXPECT_EQ(host.closed.back(), closing);
        flushDeletes();
        EXPECT_TRUE(window.isNull());
    }
    EXPECT_EQ(prompts.asked.size(), 2u);
    EXPECT_EQ(host.closed.size(), 2u);
}

TEST_F(LogViewTest, StoredFlagClosesWithoutAQuestion)
{
    RegWriteFlag(kConfirmationsKey, kConfirmCloseWindow, 1);
    EXPECT_TRUE(window->close());
    EXPECT_TRUE(prompts.asked.empty());
    EXPECT_EQ(host.closed.size(), 1u);
    flushDeletes();
    EXPECT_TRUE(window.isNull());
}

TEST_F(LogViewTest, ClosingDuringALoadStopsItFirst)
{
    service.count = 50'000;
    int readsWhenClosed = 0;
    service.onRead = [&](int read) {
        if (read == 30)
            atNextPump([&] {
                window->close();
                readsWhenClosed = service.reads;
            });
    };
    window->LoadEvents(QStringLiteral("Application"));

    // The loop ended at the pump that saw the close; the window goes once
    // nothing of it runs any more.
    ASSERT_FALSE(window.isNull());
    EXPECT_TRUE(window->IsClosed());
    EXPECT_LE(service.reads, readsWhenClosed + 1);
    EXPECT_EQ(host.closed.size(), 1u);
    EXPECT_TRUE(window->Events().empty());
    EXPECT_FALSE(window->NTEventLog().Active());
    EXPECT_EQ(prompts.asked.size(), 1u); // the question only: no read error
    flushDeletes();
    EXPECT_TRUE(window.isNull());
}

TEST_F(LogViewTest, ClosingDuringALoadRunFromTheEventLoop)
{
    service.count = 50'000;
    service.onRead = [&](int read) {
        if (read == 30)
            QTimer::singleShot(0, window.data(), [&] { window->close(); });
    };
    bool aliveAfterLoad = false;
    QEventLoop loop;
    QTimer::singleShot(0, &loop, [&] {
        window->LoadEvents(QStringLiteral("Application"));
        aliveAfterLoad = !window.isNull() && window->IsClosed();
        QTimer::singleShot(0, &loop, &QEventLoop::quit);
    });
    loop.exec();
    EXPECT_TRUE(aliveAfterLoad);
    flushDeletes();
    EXPECT_TRUE(window.isNull());
    EXPECT_EQ(host.closed.size(), 1u);
}

TEST_F(LogViewTest, CloseWithoutQuestionDuringALoad)
{
    service.count = 50'000;
    service.onRead = [&](int read) {
        if (read == 30)
            atNextPump([&] { window->CloseWithoutQuestion(); });
    };
    window->LoadEvents(QStringLiteral("Application"));
    ASSERT_FALSE(window.isNull());
    EXPECT_TRUE(window->IsClosed());
    EXPECT_TRUE(prompts.asked.empty());
    flushDeletes();
    EXPECT_TRUE(window.isNull());
}

TEST_F(LogViewTest, WindowDeletedDuringALoadIsLeftAlone)
{
    service.count = 50'000;
    service.onRead = [&](int read) {
        if (read == 30)
            atNextPump([&] { delete window.data(); });
    };
    window->LoadEvents(QStringLiteral("Application"));
    EXPECT_TRUE(window.isNull());
}

TEST_F(LogViewTest, DescriptionPaneHidesAndComesBack)
{
    window->resize(541, 365);
    ASSERT_TRUE(window->DescriptionVisible());
    window->CloseDescrButton()->click();
    EXPECT_FALSE(window->DescriptionVisible());
    EXPECT_EQ(host.syncs, 1);

    window->resize(541, 150); // too low for the pane and the list's 60 pixels
    window->ShowDescription(true);
    EXPECT_TRUE(window->DescriptionVisible());
    EXPECT_GE(window->widget()->height(), 30 + 125 + 3 + 60);
}

TEST_F(LogViewTest, SplitterKeepsTheListsMinimumHeight)
{
    QSplitter* splitter = window->Splitter1();
    const QList<int> sizes = splitter->sizes();
    splitter->setSizes({0, sizes[0] + sizes[1]});
    EXPECT_GE(window->lvLog()->height(), 60);
    splitter->setSizes({sizes[0] + sizes[1], 0});
    EXPECT_GE(window->meEventText()->height(), 50);
}

TEST_F(LogViewTest, ActivationInTheMdiAreaSyncsTheMainWindow)
{
    QMdiArea area;
    area.resize(900, 700);
    area.show();
    auto* second = new TfrmLogView(&host);
    QPointer<TfrmLogView> guard(second);
    area.addSubWindow(window.data());
    area.addSubWindow(second);
    window->show();
    second->show();
    area.setActiveSubWindow(window.data());
    const int before = host.syncs;
    area.setActiveSubWindow(second);
    EXPECT_EQ(area.activeSubWindow(), second);
    EXPECT_GT(host.syncs, before);
    second->CloseWithoutQuestion();
    flushDeletes();
    EXPECT_TRUE(guard.isNull());
    EXPECT_EQ(area.subWindowList().size(), 1);
}

TEST_F(LogViewTest, WindowLayout)
{
    // The designed widths, in a locale whose times fit them (24 hours).
    const QLocale saved;
    QLocale::setDefault(QLocale::c());
    auto* fresh = new TfrmLogView(nullptr);
    QLocale::setDefault(saved);
    QPointer<TfrmLogView> guard(fresh);
    EXPECT_EQ(fresh->windowTitle(), "frmLogView");
    EXPECT_EQ(fresh->size(), QSize(541, 365));
    EXPECT_EQ(fresh->minimumWidth(), 150);
    EXPECT_EQ(fresh->NTEventLog().SourceName(), "Security");
    EXPECT_FALSE(fresh->NTEventLog().Active());
    const QAbstractItemModel* m = fresh->lvLog()->model();
    const char* captions[] = {"Type", "Date", "Time", "Event", "Source", "Category", "Domain\\User", "Computer"};
    const int widths[] = {94, 72, 64, 72, 100, 120, 160, 100};
    for (int c = 0; c < kLogColumnCount; ++c) {
        EXPECT_EQ(m->headerData(c, Qt::Horizontal).toString(), captions[c]);
        EXPECT_EQ(fresh->lvLog()->columnWidth(c), widths[c]);
    }
    EXPECT_TRUE(fresh->lvLog()->showGrid());
    EXPECT_EQ(fresh->sbtnStopProcess()->text(), "Stop");
    EXPECT_TRUE(fresh->sbtnStopProcess()->isHidden());
    EXPECT_EQ(fresh->LoadingLabel()->text(), "Loading events...");
    // The description pane's close button is Marlett's cross.
    EXPECT_EQ(fresh->CloseDescrButton()->text(), "r");
    EXPECT_EQ(QFontInfo(fresh->CloseDescrButton()->font()).family(), "Marlett");
    EXPECT_EQ(QFontInfo(fresh->font()).family(), "Tahoma");
    fresh->CloseWithoutQuestion();
    flushDeletes();
    EXPECT_TRUE(guard.isNull());
}

// A log window on the demo network's local computer.
class LogViewDemoTest : public ::testing::Test {
protected:
    QTemporaryDir directory;
    std::unique_ptr<ScopedSystemFunctions> bound;
    FakePrompts prompts;
    ScopedUserPrompts usePrompts{prompts};
    FakeHost host;
    QPointer<TfrmLogView> window;

    void SetUp() override
    {
        LoadDemoSiteInto(directory);
        if (HasFatalFailure())
            return;
        bound = std::make_unique<ScopedSystemFunctions>();
        window = new TfrmLogView(&host);
        window->SetLogName(QStringLiteral("Security"));
        window->show();
    }

    void TearDown() override
    {
        if (window)
            window->CloseWithoutQuestion();
        flushDeletes();
        bound.reset();
        platform::ResetSite();
        platform::ResetCurrentUserRegistry();
    }
};

// Every kind of event in the Security logs of the demo's workstation and
// its domain controller shows the values of its description in one column.
TEST_F(LogViewDemoTest, SecurityDescriptionsLineTheirValuesUp)
{
    std::set<unsigned> kinds;
    int laidOut = 0;
    for (const char* computer : {demosite::kLocalComputer, demosite::kFileServer}) {
        SCOPED_TRACE(computer);
        window->NTEventLog().SetMachineName(computer);
        window->LoadEvents(QStringLiteral("Security"));
        const TEventListModel& model = window->Model();
        ASSERT_GT(model.rowCount(), 0);
        for (int row = 0; row < model.rowCount(); ++row) {
            const unsigned id = model.EventAt(row)->EventID & 0xFFFF;
            if (!kinds.insert(id).second)
                continue;
            SCOPED_TRACE(id);
            window->lvLog()->selectRow(row);
            const ValueColumns values = ValueColumnsOf(*window->meEventText());
            if (values.lines < 2)
                continue;
            ++laidOut;
            EXPECT_EQ(values.columns.size(), 1) << window->meEventText()->toPlainText().toStdString();
        }
    }
    EXPECT_GE(laidOut, 15);
}

} // namespace
