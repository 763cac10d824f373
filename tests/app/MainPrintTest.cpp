// The main window's report: the template it carries, the character set
// of its texts, and the event list of the active log window previewed
// through the report bridge.

#include "AppFakes.h"
#include "MainWindowSite.h"
#include "SiteBuilder.h"

#include "app/logview.h"
#include "app/main.h"

#include "ntlib/FunctionBinding.h"

#include "report/RP_Class.h"
#include "report/RP_View.h"

#include "tools/evtgen/EvtGenerator.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
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

// Runs `answer` on the preview window once it is the modal window (the
// report's progress window comes first while the pages are prepared).
void WhenPreviewShown(std::function<void(TrpPreviewForm&)> answer)
{
    auto* timer = new QTimer(QCoreApplication::instance());
    auto waited = std::make_shared<QElapsedTimer>();
    waited->start();
    QObject::connect(timer, &QTimer::timeout, [timer, waited, answer] {
        if (auto* preview = dynamic_cast<TrpPreviewForm*>(QApplication::activeModalWidget())) {
            timer->deleteLater();
            timer->stop();
            answer(*preview);
        } else if (waited->elapsed() > 60'000) {
            timer->deleteLater();
            timer->stop();
            ADD_FAILURE() << "no preview came up";
        }
    });
    timer->start(10);
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

} // namespace

// A log of WKS1 whose events are numbered 1 to kEvents in the order they
// were written.
class MainPreviewTest : public ::testing::Test {
protected:
    static constexpr int kEvents = 150;
    SiteBuilder site;
    std::unique_ptr<ScopedSystemFunctions> bound;
    FakePrompts prompts;
    ScopedUserPrompts usePrompts{prompts};
    std::unique_ptr<TfrmQORVMain> main;

    void SetUp() override
    {
        site.Local("WKS1").StandardEventLogs("WKS1");
        std::string events = "clock time=2021-03-04T05:06:07Z\n";
        for (int id = 1; id <= kEvents; ++id)
            events += "event type=" + std::string(id % 2 == 0 ? "warning" : "error") +
                      " source=Tester computer=WKS1 id=" + std::to_string(id) + "\n";
        writeLog("AppEvent.Evt", events);
        writeLog("SysEvent.Evt", "event source=EventLog id=6005\n");
        writeLog("SecEvent.Evt", "event type=audit-success source=Security id=528\n");
        site.Load();
        bound = std::make_unique<ScopedSystemFunctions>();
        main = std::make_unique<TfrmQORVMain>();
        main->show();
    }

    void TearDown() override
    {
        main.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void writeLog(const std::string& file, const std::string& events)
    {
        const std::string path = site.DrivePath("WKS1", "WINDOWS\\system32\\config\\" + file);
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::string error;
        ASSERT_TRUE(evtgen::WriteEvtLog(events, path, error)) << error;
    }
};

TEST_F(MainPreviewTest, PrintPreviewShowsTheActiveWindowsEventsWithPageNumbers)
{
    EXPECT_FALSE(main->actPrintPreview()->isEnabled());
    main->actPrintPreviewExecute();  // no window: nothing happens
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    main->OpenLog(QStringLiteral("WKS1"), QStringLiteral("Application"), olmNewWindow);
    ASSERT_NE(main->ActiveLogWindow(), nullptr) << (prompts.asked.empty() ? "" : prompts.asked[0].text.toStdString());
    ASSERT_TRUE(main->actPrintPreview()->isEnabled());

    std::vector<std::vector<std::string>> pages;
    bool shown = false;
    WhenPreviewShown([&](TrpPreviewForm& preview) {
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
