// The main window's report: the template it carries, the character set
// of its texts, and the event list of the active log window previewed
// through the report bridge.

#include "AppFakes.h"
#include "MainWindowSite.h"
#include "NumberedLogSite.h"
#include "WhenShown.h"

#include "app/EventColumns.h"
#include "app/SystemFonts.h"
#include "app/logview.h"
#include "app/main.h"

#include "ntlib/FunctionBinding.h"

#include "report/RP_Class.h"
#include "report/RP_View.h"

#include <QAction>
#include <QDate>
#include <QTime>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

using namespace report;

// The texts of a prepared page in the order they were emitted, without
// line-end markers, the lines of a text joined by a blank.
std::vector<std::string> PageTexts(TrpEMFPages& pages, std::size_t index)
{
    pages.RebuildPage(index);
    std::vector<std::string> texts;
    for (const auto& view : pages.PageRecord(index).Rebuilt->Objects) {
        const auto* memo = dynamic_cast<const TrpMemoView*>(view.get());
        if (memo == nullptr)
            continue;
        std::string text;
        for (const std::string& line : memo->Memo)
            text += (text.empty() ? "" : " ") + line;
        text.erase(std::remove(text.begin(), text.end(), '\001'), text.end());
        texts.push_back(text);
    }
    pages.ReleasePage(index);
    return texts;
}

class MainPrintTest : public ::testing::Test {
protected:
    MainWindowSite network;
    ScopedSystemFunctions bound;
    FakePrompts prompts;
    ScopedUserPrompts usePrompts{prompts};
    TfrmQORVMain main;
};

TEST_F(MainPrintTest, TheWindowCarriesTheEventListsTemplateOverItsDataSet)
{
    TrpReport& report = *main.repCommon();
    EXPECT_EQ(report.Name(), "repCommon");
    EXPECT_EQ(report.Dataset.data(), main.dsCommon());
    EXPECT_EQ(main.dsCommon()->Name(), "dsCommon");
    ASSERT_EQ(report.Pages.Count(), 1u);
    EXPECT_EQ(report.Pages.Page(0).Objects.size(), 4u + 19u);
    const auto* rows = dynamic_cast<const TrpBandView*>(report.FindView("MasterData1"));
    ASSERT_NE(rows, nullptr);
    EXPECT_EQ(rows->DataSource(), "dsCommon");
    EXPECT_NE(report.DoublePassReport, 0);
}

TEST_F(MainPrintTest, TheTitleColumnsAndRowsTakeTheDefaultCharacterSetAndTheFooterKeepsItsOwn)
{
    const TrpReport& report = *main.repCommon();
    for (int n = 1; n <= 19; ++n) {
        const auto* memo = dynamic_cast<const TrpMemoView*>(report.FindView("Memo" + std::to_string(n)));
        ASSERT_NE(memo, nullptr) << n;
        EXPECT_EQ(memo->Font.Charset, n <= 17 ? kDefaultCharset : 0) << memo->Name;
    }
}

TEST(MainPrintLocale, TheReportFormatsItsOwnDatesAndNumbersAsTheUsersLocale)
{
    MainWindowSite network;
    ScopedSystemFunctions bound;
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const auto main = std::make_unique<TfrmQORVMain>();
    QLocale::setDefault(before);
    const FormatSettings& settings = main->repCommon()->Settings;
    EXPECT_EQ(settings.decimalSeparator, ',');
    EXPECT_EQ(settings.dateSeparator, '.');
    EXPECT_EQ(settings.dateOrder, DateOrder::DMY);
}

// The footer's [DATE] and [TIME], formatted by the footer's own display
// format, read as the list's Date and Time columns in the same locale.
TEST(MainPrintLocale, TheFootersDateAndTimeReadAsTheListsDatesAndTimes)
{
    MainWindowSite network;
    ScopedSystemFunctions bound;
    const QLocale before;
    for (const QLocale& locale : {QLocale::c(), QLocale(QLocale::English, QLocale::UnitedStates),
                                  QLocale(QLocale::English, QLocale::UnitedKingdom),
                                  QLocale(QLocale::German, QLocale::Germany)}) {
        SCOPED_TRACE(locale.name().toStdString());
        QLocale::setDefault(locale);
        const auto main = std::make_unique<TfrmQORVMain>();
        QLocale::setDefault(before);
        TrpReport& report = *main->repCommon();
        const auto* footer = dynamic_cast<const TrpMemoView*>(report.FindView("Memo19"));
        ASSERT_NE(footer, nullptr);
        const TEventColumnFormatter list(locale);
        for (const QDate day : {QDate(2026, 12, 10), QDate(2024, 5, 1), QDate(2025, 1, 28)}) {
            const double date = QDate(1899, 12, 30).daysTo(day);
            std::string text;
            report.FormatValue(Variant::dateTime(date), footer->DisplayFormat, "", text);
            EXPECT_EQ(text, list.DateTimeText(date, lcDate).toStdString());
        }
        for (const QTime clock : {QTime(9, 47, 59), QTime(0, 5, 7), QTime(12, 58, 58), QTime(23, 59, 59)}) {
            const double time = clock.msecsSinceStartOfDay() / 86'400'000.0;
            std::string text;
            report.FormatValue(Variant::dateTime(time), footer->DisplayFormat, "", text);
            EXPECT_EQ(text, list.DateTimeText(time, lcTime).toStdString());
        }
    }
}

// The rows' columns are wide enough for the widest texts they print: the
// event types, every date of a year and every second's time of the C, US
// English, British English and German locales, the accounts, sources,
// categories and computers of the demo network.
TEST(MainPrintColumns, TheWidestValuesFitTheirColumns)
{
    if (!RegisterSystemFonts().contains(QStringLiteral("Tahoma")))
        GTEST_SKIP() << "Tahoma (fonts-wine) is not installed";
    MainWindowSite network;
    ScopedSystemFunctions bound;
    TfrmQORVMain main;
    const auto widest = [&](const char* name, const std::vector<std::string>& texts) {
        auto* memo = dynamic_cast<TrpMemoView*>(main.repCommon()->FindView(name));
        EXPECT_NE(memo, nullptr) << name;
        if (memo == nullptr)
            return;
        const int room = memo->Width - 2 * memo->GapX;
        for (const std::string& text : texts) {
            memo->ExpandedLines = {text};
            EXPECT_LE(memo->WidestLineWidth(), room) << name << " \"" << text << "\"";
        }
    };
    widest("Memo10", {"Error", "Warning", "Information", "Audit Success", "Audit Failure"});
    widest("Memo13", {"65535"});
    widest("Memo14", {"Service Control Manager", "Harbor Web Server", "Keepsafe Backup", "Package Installer"});
    widest("Memo15", {"Account Management", "Process Tracking", "Worker processes", "Directory Access"});
    widest("Memo16", {"NT AUTHORITY\\LOCAL SERVICE", "NT AUTHORITY\\NETWORK SERVICE", "SRV-VAULT\\Administrator",
                      "OSTRIVEL\\svc-keepsafe"});
    widest("Memo17", {"WKS-DEMO", "SRV-FILES", "SRV-VAULT"});
    for (const QLocale& locale : {QLocale::c(), QLocale(QLocale::English, QLocale::UnitedStates),
                                  QLocale(QLocale::English, QLocale::UnitedKingdom),
                                  QLocale(QLocale::German, QLocale::Germany)}) {
        SCOPED_TRACE(locale.name().toStdString());
        const TEventColumnFormatter list(locale);
        std::vector<std::string> dates, times;
        const double newYear = QDate(1899, 12, 30).daysTo(QDate(2024, 1, 1));
        for (int day = 0; day < 366; ++day)
            dates.push_back(list.DateTimeText(newYear + day, lcDate).toStdString());
        for (int second = 0; second < 86'400; second += 59)
            times.push_back(list.DateTimeText(second / 86'400.0, lcTime).toStdString());
        widest("Memo11", dates);
        widest("Memo12", times);
    }
}

class MainPreviewTest : public ::testing::Test {
protected:
    static constexpr int kEvents = 150;
    NumberedLogSite network{kEvents};
    ScopedSystemFunctions bound;
    FakePrompts prompts;
    ScopedUserPrompts usePrompts{prompts};
    std::unique_ptr<TfrmQORVMain> main = std::make_unique<TfrmQORVMain>();

    void TearDown() override
    {
        main.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

TEST_F(MainPreviewTest, PrintPreviewShowsTheActiveWindowsEventsWithPageNumbers)
{
    main->show();
    EXPECT_FALSE(main->actPrintPreview()->isEnabled());
    main->actPrintPreviewExecute();  // no window: nothing happens
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    main->OpenLog(QStringLiteral("WKS1"), QStringLiteral("Application"), olmNewWindow);
    ASSERT_NE(main->ActiveLogWindow(), nullptr);
    ASSERT_TRUE(main->actPrintPreview()->isEnabled());

    std::vector<std::vector<std::string>> pages;
    bool shown = false;
    WhenModalUp<TrpPreviewForm>([&](TrpPreviewForm& preview) {
        shown = true;
        if (TrpEMFPages* prepared = preview.PagesOrNull())
            for (std::size_t i = 0; i < prepared->Count(); ++i)
                pages.push_back(PageTexts(*prepared, i));
        preview.ExitBtnClick();
    });
    main->actPrintPreview()->trigger();
    ASSERT_TRUE(shown);
    ASSERT_GE(pages.size(), 2u);
    EXPECT_TRUE(prompts.asked.empty());

    // The title on the first page; the column names, the rows oldest first
    // and "Page k of n" on every page.
    EXPECT_EQ(pages[0].front(), "Event Log: Application on WKS1");
    const std::vector<std::string> headers = {"Type",   "Date",     "Time",        "Event",
                                              "Source", "Category", "Domain\\User", "Computer"};
    int next = 1;
    for (std::size_t p = 0; p < pages.size(); ++p) {
        const std::vector<std::string>& texts = pages[p];
        const std::size_t first = p == 0 ? 1 : 0;
        ASSERT_GE(texts.size(), first + 8 + 2);
        EXPECT_EQ(std::vector<std::string>(texts.begin() + first, texts.begin() + first + 8), headers) << p;
        EXPECT_EQ(texts[texts.size() - 2], "Page " + std::to_string(p + 1) + " of " + std::to_string(pages.size()));
        EXPECT_EQ(texts.back().rfind("Created with Quellvane ", 0), 0u) << texts.back();
        const std::size_t rows = texts.size() - first - 8 - 2;
        ASSERT_EQ(rows % 8, 0u) << p;
        for (std::size_t r = 0; r < rows / 8; ++r, ++next) {
            const auto cell = texts.begin() + static_cast<std::ptrdiff_t>(first + 8 + r * 8);
            EXPECT_EQ(cell[0], next % 2 == 0 ? "Warning" : "Error") << next;
            EXPECT_EQ(cell[3], std::to_string(next));
            EXPECT_EQ(cell[4], "Tester");
            EXPECT_EQ(cell[7], "WKS1");
        }
    }
    EXPECT_EQ(next, kEvents + 1);
}

} // namespace
