// File > Print of the main window on the private print server: the event
// list of a generated log, and the logs of the demo network in several
// locales, go through the print dialog to the capture queue, and the job
// comes back as a PDF whose pages, column headers, "Page k of n" lines and
// rows are read with pdfinfo and pdftotext (the rows word by word, with
// their places on the page).

#include "AppFakes.h"
#include "DemoSiteFixture.h"
#include "NumberedLogSite.h"
#include "PrivateCups.h"
#include "WhenShown.h"

#include "app/EventColumns.h"
#include "app/logview.h"
#include "app/main.h"

#include "tools/demosite/DemoNetwork.h"

#include "ntlib/FunctionBinding.h"

#include "platform/Registry.h"
#include "platform/Site.h"

#include "report/RP_Class.h"
#include "report/RP_PrDlg.h"
#include "report/RpMemoView.h"
#include "report/RpRunState.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <memory>

namespace {

using namespace report;

class MainPrintCupsTest : public ::testing::Test {
protected:
    static constexpr int kEvents = 150;
    PrivateCups cups;
    NumberedLogSite network{kEvents};
    ScopedSystemFunctions bound;
    FakePrompts prompts;
    ScopedUserPrompts usePrompts{prompts};
    std::unique_ptr<TfrmQORVMain> main;

    void SetUp() override
    {
        if (!cups.Available())
            GTEST_SKIP() << "no private print server on this machine: " << cups.Reason().toStdString();
        main = std::make_unique<TfrmQORVMain>();
        main->show();
    }

    void TearDown() override
    {
        main.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // File > Print to the capture queue, as a user prints; the job's file,
    // or empty when none came back.
    QString PrintToTheQueue()
    {
        if (!main->actPrint()->isEnabled()) {
            ADD_FAILURE() << "File > Print is disabled";
            return {};
        }
        bool asked = false;
        WhenModalUp<TrpPrintForm>([&](TrpPrintForm& dialog) {
            asked = true;
            const int queue = dialog.CB1->findText(QString::fromLatin1(PrivateCups::kQueue));
            ASSERT_GE(queue, 0);
            dialog.CB1->setCurrentIndex(queue);
            dialog.Button1->click();  // OK
        });
        const QStringList before = cups.Jobs();
        main->actPrint()->trigger();
        EXPECT_TRUE(asked);
        EXPECT_TRUE(prompts.asked.empty());
        const QString job = cups.WaitForNewJob(before);
        EXPECT_FALSE(job.isEmpty()) << "no job came back";
        return job;
    }
};

TEST_F(MainPrintCupsTest, TheEventListPrintsThroughThePrintDialog)
{
    main->OpenLog(QStringLiteral("WKS1"), QStringLiteral("Application"), olmNewWindow);
    const QString job = PrintToTheQueue();
    ASSERT_FALSE(job.isEmpty());

    const int pages = static_cast<int>(main->repCommon()->EMFPages->Count());
    ASSERT_GE(pages, 2);
    EXPECT_EQ(PrivateCups::PdfPageCount(job), pages);
    const QString text = PrivateCups::PdfText(job);
    EXPECT_TRUE(text.contains(QStringLiteral("Event Log: Application on WKS1")));
    EXPECT_EQ(text.count(QRegularExpression(
                  QStringLiteral(R"(Type\s+Date\s+Time\s+Event\s+Source\s+Category\s+Domain\\User\s+Computer)"))),
              pages);
    const QStringList sheets = text.split(QChar('\f'), Qt::SkipEmptyParts);
    ASSERT_GE(sheets.size(), pages);
    for (int k = 1; k <= pages; ++k)
        EXPECT_TRUE(sheets[k - 1].contains(QStringLiteral("Page %1 of %2").arg(k).arg(pages))) << k;

    // The rows in the list's order: the event number before the source on
    // every row.
    const QRegularExpression row(QStringLiteral(R"((Error|Warning)\s.*\s(\d+)\s+Tester\s)"));
    int next = 1;
    for (const QString& line : text.split(QChar('\n'))) {
        const QRegularExpressionMatch match = row.match(line);
        if (!match.hasMatch())
            continue;
        EXPECT_EQ(match.captured(2).toInt(), next) << line.toStdString();
        EXPECT_EQ(match.captured(1), next % 2 == 0 ? "Warning" : "Error") << line.toStdString();
        ++next;
    }
    EXPECT_EQ(next, kEvents + 1);
}

// Dark pixels of a page's picture within a band of lines, given in points
// from the page's top.
int InkBetween(const QImage& page, double top, double bottom, int dpi)
{
    const double scale = dpi / 72.0;
    const int from = std::max(0, static_cast<int>(std::floor(top * scale)) - 1);
    const int to = std::min(page.height() - 1, static_cast<int>(std::ceil(bottom * scale)) + 1);
    int ink = 0;
    for (int y = from; y <= to; ++y)
        for (int x = 0; x < page.width(); ++x)
            ink += qGray(page.pixel(x, y)) < 128;
    return ink;
}

// The title and the column names are printed bold: each of their lines
// carries clearly more ink on paper than the same line printed with the
// template's bold switched off.
TEST_F(MainPrintCupsTest, TheTitleAndTheColumnNamesPrintBold)
{
    constexpr int kDpi = 150;
    main->OpenLog(QStringLiteral("WKS1"), QStringLiteral("Application"), olmNewWindow);
    const QString bold = PrintToTheQueue();
    ASSERT_FALSE(bold.isEmpty());
    for (int n = 1; n <= 9; ++n) {
        auto* memo = dynamic_cast<TrpMemoView*>(main->repCommon()->FindView("Memo" + std::to_string(n)));
        ASSERT_NE(memo, nullptr) << n;
        EXPECT_TRUE(memo->Font.Style.bold) << n;
        memo->Font.Style.bold = false;
    }
    const QString regular = PrintToTheQueue();
    ASSERT_FALSE(regular.isEmpty());

    // The first page's top line is the title, the column names come next.
    const std::vector<std::vector<PdfWord>> words = PrivateCups::PdfWords(bold);
    ASSERT_FALSE(words.empty());
    const std::vector<PdfWord>& first = words.front();
    const auto title = std::min_element(first.begin(), first.end(),
                                        [](const PdfWord& a, const PdfWord& b) { return a.yMin < b.yMin; });
    const auto header = std::find_if(first.begin(), first.end(),
                                     [](const PdfWord& w) { return w.text == QStringLiteral("Type"); });
    ASSERT_NE(title, first.end());
    ASSERT_NE(header, first.end());
    EXPECT_EQ(title->text, "Event");
    EXPECT_LT(title->yMax, header->yMin);

    const QImage heavy = QImage::fromData(PrivateCups::PdfPagePng(bold, 1, kDpi), "PNG");
    const QImage thin = QImage::fromData(PrivateCups::PdfPagePng(regular, 1, kDpi), "PNG");
    ASSERT_FALSE(heavy.isNull());
    ASSERT_FALSE(thin.isNull());
    const struct {
        const char* line;
        double top, bottom;
    } lines[] = {{"title", title->yMin, title->yMax}, {"column names", header->yMin, header->yMax}};
    for (const auto& line : lines) {
        SCOPED_TRACE(line.line);
        const int heavyInk = InkBetween(heavy, line.top, line.bottom, kDpi);
        const int thinInk = InkBetween(thin, line.top, line.bottom, kDpi);
        EXPECT_GT(thinInk, 100);
        EXPECT_GT(heavyInk, thinInk * 6 / 5) << "regular " << thinInk << ", bold " << heavyInk;
    }
}

// The demo network's logs printed as a user prints them, in a locale: each
// row's eight cells stand on one line of the page, in their columns, none
// running into the next column or onto another row, and every page's
// footer gives the date and time of the run as the list writes dates and
// times.
class MainPrintDemoTest : public ::testing::Test {
protected:
    PrivateCups cups;
    QTemporaryDir directory;
    std::unique_ptr<ScopedSystemFunctions> bound;
    FakePrompts prompts;
    ScopedUserPrompts usePrompts{prompts};
    QLocale before;
    std::unique_ptr<TfrmQORVMain> main;

    void SetUp() override
    {
        if (!cups.Available())
            GTEST_SKIP() << "no private print server on this machine: " << cups.Reason().toStdString();
        LoadDemoSiteInto(directory);
        if (HasFatalFailure())
            return;
        bound = std::make_unique<ScopedSystemFunctions>();
    }

    void TearDown() override
    {
        main.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QLocale::setDefault(before);
        bound.reset();
        platform::ResetSite();
        platform::ResetCurrentUserRegistry();
    }

    // Prints a log of the local computer in a locale and reads the job back.
    void PrintAndReadBack(const QLocale& locale, const char* log);
};

// The words of a page in lines, top to bottom, each line left to right.
std::vector<std::vector<PdfWord>> Lines(std::vector<PdfWord> words)
{
    std::sort(words.begin(), words.end(), [](const PdfWord& a, const PdfWord& b) {
        return a.yMin != b.yMin ? a.yMin < b.yMin : a.xMin < b.xMin;
    });
    std::vector<std::vector<PdfWord>> lines;
    for (const PdfWord& word : words) {
        if (lines.empty() || word.yMin - lines.back().front().yMin > 0.5)
            lines.emplace_back();
        lines.back().push_back(word);
    }
    return lines;
}

QString Joined(const std::vector<PdfWord>& line)
{
    QStringList texts;
    for (const PdfWord& word : line)
        texts << word.text;
    return texts.join(QChar(' '));
}

void MainPrintDemoTest::PrintAndReadBack(const QLocale& locale, const char* log)
{
    QLocale::setDefault(locale);
    main = std::make_unique<TfrmQORVMain>();
    main->show();
    main->OpenLog(QString::fromLatin1(demosite::kLocalComputer), QString::fromLatin1(log), olmNewWindow);
    ASSERT_NE(main->ActiveLogWindow(), nullptr);
    // The rows as the text export writes them: the cells of each row
    // joined by a tab.
    const QString exported = directory.filePath(QStringLiteral("rows.txt"));
    main->ExportToText(exported);
    QFile file(exported);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QStringList rows = QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"));
    ASSERT_GE(rows.size(), 3);
    rows = rows.mid(2, rows.size() - 3);  // no header, empty line or final line end
    ASSERT_GT(rows.size(), 1000);

    WhenModalUp<TrpPrintForm>([&](TrpPrintForm& dialog) {
        dialog.CB1->setCurrentIndex(dialog.CB1->findText(QString::fromLatin1(PrivateCups::kQueue)));
        dialog.Button1->click();  // OK
    });
    const QStringList jobs = cups.Jobs();
    main->actPrint()->trigger();
    const QString job = cups.WaitForNewJob(jobs);
    ASSERT_FALSE(job.isEmpty()) << "no job came back";
    EXPECT_TRUE(prompts.asked.empty());

    // The run's date and time as the list writes them (a time of the run
    // shows its nearest second).
    const TEventColumnFormatter list(locale);
    const double second = std::round(RunState().Time * 86'400.0) / 86'400.0;
    const QString footer = QStringLiteral("Created with Quellvane %1 %2")
                               .arg(list.DateTimeText(RunState().Date, lcDate), list.DateTimeText(second, lcTime));
    const std::vector<std::vector<PdfWord>> pages = PrivateCups::PdfWords(job);
    ASSERT_EQ(static_cast<int>(pages.size()), PrivateCups::PdfPageCount(job));
    const QStringList headers = {"Type", "Date", "Time", "Event", "Source", "Category", "Domain\\User", "Computer"};
    int row = 0;
    for (std::size_t p = 0; p < pages.size(); ++p) {
        SCOPED_TRACE("page " + std::to_string(p + 1));
        std::vector<std::vector<PdfWord>> lines = Lines(pages[p]);
        // Title (first page only), column names, rows, footer.
        if (p == 0) {
            ASSERT_FALSE(lines.empty());
            EXPECT_EQ(Joined(lines.front()).toStdString(),
                      ("Event Log: " + main->ActiveLogWindow()->windowTitle()).toStdString());
            lines.erase(lines.begin());
        }
        ASSERT_GE(lines.size(), 2u);
        const std::vector<PdfWord> header = lines.front();
        ASSERT_EQ(header.size(), 8u) << Joined(header).toStdString();
        std::array<double, 9> columns{};
        for (std::size_t c = 0; c < 8; ++c) {
            EXPECT_EQ(header[c].text.toStdString(), headers[static_cast<int>(c)].toStdString());
            columns[c] = header[c].xMin;
        }
        columns[8] = std::numeric_limits<double>::max();
        EXPECT_EQ(Joined(lines.back()).toStdString(),
                  (QStringLiteral("Page %1 of %2 ").arg(p + 1).arg(pages.size()) + footer).toStdString());
        for (std::size_t l = 1; l + 1 < lines.size(); ++l, ++row) {
            QStringList cells(8);
            for (const PdfWord& word : lines[l]) {
                const auto next = std::upper_bound(columns.begin(), columns.end(), word.xMin + 0.5);
                const std::size_t c = static_cast<std::size_t>(next - columns.begin()) - 1;
                ASSERT_LT(c, 8u) << word.text.toStdString();
                EXPECT_LT(word.xMax, *next) << word.text.toStdString() << " runs into the next column";
                cells[static_cast<int>(c)] += (cells[static_cast<int>(c)].isEmpty() ? "" : " ") + word.text;
            }
            ASSERT_LT(row, rows.size()) << cells.join(QChar('\t')).toStdString();
            EXPECT_EQ(cells.join(QChar('\t')).toStdString(), rows[row].toStdString());
            EXPECT_LE(lines[l].front().yMax, lines[l + 1].front().yMin) << "row over row";
        }
        if (HasFailure())
            return;  // the first page that fails tells enough
    }
    EXPECT_EQ(row, rows.size());
}

TEST_F(MainPrintDemoTest, TheApplicationLogInTheCLocale)
{
    PrintAndReadBack(QLocale::c(), "Application");
}

TEST_F(MainPrintDemoTest, TheSecurityLogInTheCLocale)
{
    PrintAndReadBack(QLocale::c(), "Security");
}

TEST_F(MainPrintDemoTest, TheSecurityLogInUSEnglish)
{
    PrintAndReadBack(QLocale(QLocale::English, QLocale::UnitedStates), "Security");
}

TEST_F(MainPrintDemoTest, TheSecurityLogInBritishEnglish)
{
    PrintAndReadBack(QLocale(QLocale::English, QLocale::UnitedKingdom), "Security");
}

TEST_F(MainPrintDemoTest, TheSecurityLogInGerman)
{
    PrintAndReadBack(QLocale(QLocale::German, QLocale::Germany), "Security");
}

} // namespace
