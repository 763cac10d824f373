// Printing and exporting a report's prepared pages: page ranges, odd and
// even pages, copies and collation (into PDF files), the print dialog's
// path, the choice of printer, an export filter of our own, and the event
// list printed on the private print server.
#include "BandFixture.h"
#include "EventListReport.h"
#include "FileSizeLimit.h"
#include "PrivateCups.h"

#include "report/RP_PrDlg.h"
#include "report/RP_View.h"
#include "report/RpQtPrinters.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPrinter>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <cerrno>
#include <cstring>

namespace report {
namespace {

using T = TrpBandType;

constexpr std::uint16_t kOnBoth = BandFlag::OnFirstPage | BandFlag::OnLastPage;

// A report of three pages, each saying its number in its footer.
class ReportPrint : public BandFixture {
protected:
    void SetUp() override
    {
        BandFixture::SetUp();
        AddBand(T::MasterData, 80, 20, "MasterData1", kOnBoth, "Rows");
        AddText("Row", "row [N]", 20, 80);
        AddBand(T::PageFooter, 200, 20, "PageFooter1");
        AddText("Foot", "Sheet [PAGE#]", 20, 200);
        CountedRecords(120);
        report->ShowProgress = false;
        ASSERT_EQ(Run(), 3u);
    }

    // Prints into a PDF file and gives the sheets' numbers in the order
    // printed; none when no file was made.
    std::vector<int> Printed(const std::string& range, int copies = 1, bool collate = true, int mode = 0)
    {
        const QString path = dir.filePath(QStringLiteral("print%1.pdf").arg(++files));
        {
            QPrinter pdf(QPrinter::HighResolution);
            pdf.setOutputFormat(QPrinter::PdfFormat);
            pdf.setOutputFileName(path);
            report->PrintDevice = &pdf;
            report->PrintPrepared(range, copies, collate, mode);
            report->PrintDevice = nullptr;
        }
        return Sheets(path);
    }

    static std::vector<int> Sheets(const QString& path)
    {
        std::vector<int> sheets;
        if (!QFile::exists(path))
            return sheets;
        const QString text = PrivateCups::PdfText(path);
        QRegularExpressionMatchIterator it = QRegularExpression(QStringLiteral("Sheet (\\d+)")).globalMatch(text);
        while (it.hasNext())
            sheets.push_back(it.next().captured(1).toInt());
        EXPECT_EQ(PrivateCups::PdfPageCount(path), static_cast<int>(sheets.size()));
        return sheets;
    }

    QTemporaryDir dir;
    int files = 0;
};

TEST_F(ReportPrint, RangesOddAndEvenPagesCopiesAndCollation)
{
    struct Case {
        const char* range;
        int copies;
        bool collate;
        int mode;
        std::vector<int> sheets;
    };
    const Case cases[] = {
        {"", 1, true, 0, {1, 2, 3}},
        {"2", 1, true, 0, {2}},
        {"2-", 1, true, 0, {2, 3}},
        {"4-2", 1, true, 0, {}},
        {"1, 3", 1, true, 0, {1, 3}},
        {"1-3", 1, true, 2, {2}},  // even pages by their number in the report
        {"", 1, true, 1, {1, 3}},
        {"1-2", 2, true, 0, {1, 2, 1, 2}},
        {"1-2", 3, false, 0, {1, 1, 1, 2, 2, 2}},  // a PDF file makes no copies itself
        {"1-999999999", 0, true, 0, {1, 2, 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("range \"") + c.range + "\" copies " + std::to_string(c.copies));
        EXPECT_EQ(Printed(c.range, c.copies, c.collate, c.mode), c.sheets);
    }
    // A range that does not read begins no job.
    EXPECT_THROW(Printed("1,,2"), EConvertError);
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("print%1.pdf").arg(files))));
}

TEST_F(ReportPrint, TheDialogsChoicesReachThePrint)
{
    const QString path = dir.filePath(QStringLiteral("dialog.pdf"));
    QPrinter pdf(QPrinter::HighResolution);
    pdf.setOutputFormat(QPrinter::PdfFormat);
    pdf.setOutputFileName(path);
    report->PrintDevice = &pdf;
    report->DefaultCopies = 2;
    report->DefaultCollate = false;
    report->Title = "Orders";
    int asked = 0;
    report->OnPrintDialog = [&](TrpPrintForm& dialog) {
        ++asked;
        EXPECT_FALSE(dialog.RB2->isEnabled());  // no current page here
        EXPECT_EQ(dialog.E1->text(), "2");
        EXPECT_FALSE(dialog.CollateCB->isChecked());
        dialog.RB3->setChecked(true);
        dialog.E2->setText("2-");
        dialog.CB2->setCurrentIndex(1);  // odd pages
        return true;
    };
    std::string jobTitle;
    report->OnPrintReport = [&] { jobTitle = pdf.docName().toStdString(); };
    EXPECT_TRUE(report->PrintWithDialog());
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(jobTitle, "Orders");
    EXPECT_EQ(Sheets(path), (std::vector<int>{3, 3}));

    // Cancelled: nothing prints.
    QFile::remove(path);
    report->OnPrintDialog = [](TrpPrintForm&) { return false; };
    EXPECT_FALSE(report->PrintWithDialog());
    EXPECT_FALSE(QFile::exists(path));
    // Without the dialog the defaults print.
    report->ShowPrintDialog = false;
    EXPECT_TRUE(report->PrintWithDialog());
    EXPECT_EQ(Sheets(path), (std::vector<int>{1, 1, 2, 2, 3, 3}));
}

// A filter that writes each page's texts, one line each, and keeps what it
// was told.
class TextFilter : public TrpExportFilter {
public:
    void OnBeginDoc() override { events.push_back("begin"); }
    void OnEndDoc() override { events.push_back("end"); }
    void OnBeginPage() override { ++pages; }
    void OnEndPage() override
    {
        Stream->write("--\n");
        if (stopAfter > 0 && pages == stopAfter)
            RunState().Report->Terminated = true;
    }
    void OnData(int x, int y, TrpView& view) override
    {
        objects.push_back(view.Name + "@" + std::to_string(x) + "," + std::to_string(y));
    }
    void OnText(const QRect&, int, int, const std::string& text, std::uint16_t frameLines, TrpView&) override
    {
        Stream->write((text + std::string(padding, ' ') + "\n").c_str());
        frames.push_back(frameLines);
    }
    int ShowModal() override { return answer; }

    std::vector<std::string> events, objects;
    std::vector<std::uint16_t> frames;
    int pages = 0;
    int answer = kOk;
    int stopAfter = 0;
    std::size_t padding = 0;  // blanks after each line
};

TEST_F(ReportPrint, ExportThroughAFilterOfOurOwn)
{
    // A framed text of three lines gives its frame lines out line by line.
    TrpView* row = report->FindView("Row");
    row->Memo = {"a\r\nb\r\nc"};
    row->FrameTyp = FrameLine::Left | FrameLine::Right | FrameLine::Top | FrameLine::Bottom;
    row->Height = 60;
    report->FindView("MasterData1")->Height = 60;
    records.resize(2);
    ASSERT_EQ(Run(), 1u);

    const std::string path = dir.filePath(QStringLiteral("export.txt")).toStdString();
    TextFilter filter;
    std::string after;
    filter.OnAfterExport = [&](const std::string& file) { after = file; };
    report->ExportWithFilter(filter, path);
    EXPECT_EQ(after, path);
    EXPECT_EQ(filter.events, (std::vector<std::string>{"begin", "end"}));
    EXPECT_EQ(filter.objects, (std::vector<std::string>{"Row@20,20", "Row@20,80", "Foot@20,1031"}));
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().toStdString(), "a\nb\nc\na\nb\nc\nSheet 1\n--\n");
    const std::uint16_t all = FrameLine::Left | FrameLine::Right | FrameLine::Top | FrameLine::Bottom;
    EXPECT_EQ(filter.frames[0], all & ~FrameLine::Bottom);
    EXPECT_EQ(filter.frames[1], all & ~(FrameLine::Top | FrameLine::Bottom));
    EXPECT_EQ(filter.frames[2], all & ~FrameLine::Top);
    EXPECT_EQ(filter.frames[6], 0);  // the footer has no frame
    EXPECT_EQ(report->ExportFilter, nullptr);
}

TEST_F(ReportPrint, PagesHeldByAnEmbeddedPreviewPrintAndExportAndGoBackToIt)
{
    QWidget host;
    auto* panel = new TrpPreview(&host);
    report->Preview = panel;
    report->OpenPreview();
    const auto shown = [&] {
        const TrpPreviewForm& window = panel->Window();
        return window.Pages != nullptr && window.Report == report ? window.Pages->Count() : 0u;
    };
    ASSERT_EQ(shown(), 3u);
    ASSERT_EQ(report->EMFPages->Count(), 0u);

    EXPECT_EQ(Printed(""), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(PrivateCups::PdfPageCount(dir.filePath(QStringLiteral("print%1.pdf").arg(files))), 3);
    EXPECT_EQ(shown(), 3u);
    EXPECT_EQ(report->EMFPages->Count(), 0u);

    const std::string path = dir.filePath(QStringLiteral("lent.txt")).toStdString();
    TextFilter filter;
    report->ExportWithFilter(filter, path);
    EXPECT_EQ(filter.pages, 3);
    EXPECT_EQ(filter.objects.size(), 123u);  // 120 rows and 3 footers
    EXPECT_EQ(shown(), 3u);
    EXPECT_EQ(report->EMFPages->Count(), 0u);
    // A vetoed export gives them back as well.
    TextFilter vetoed;
    vetoed.OnBeforeExport = [](const std::string&, bool& go) { go = false; };
    report->ExportWithFilter(vetoed, path);
    EXPECT_EQ(shown(), 3u);

    // The panel lends nothing to a report that it does not show.
    auto* other = new TrpReport(form.get());
    other->Preview = panel;
    other->ShowProgress = false;
    std::swap(report, other);
    EXPECT_EQ(Printed(""), std::vector<int>{});
    std::swap(report, other);
    EXPECT_EQ(shown(), 3u);
    EXPECT_EQ(other->EMFPages->Count(), 0u);
}

TEST_F(ReportPrint, AnExportThatIsRefusedOrCancelledLeavesTheOldFile)
{
    const QString path = dir.filePath(QStringLiteral("old.txt"));
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old");
    }
    const auto content = [&] {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
    };
    TextFilter refused;
    refused.answer = 2;
    report->ExportWithFilter(refused, path.toStdString());
    EXPECT_TRUE(refused.events.empty());
    TextFilter vetoed;
    vetoed.OnBeforeExport = [](const std::string&, bool& go) { go = false; };
    report->ExportWithFilter(vetoed, path.toStdString());
    EXPECT_TRUE(vetoed.events.empty());
    TextFilter cancelled;
    cancelled.stopAfter = 1;
    report->ExportWithFilter(cancelled, path.toStdString());
    EXPECT_EQ(cancelled.pages, 1);
    EXPECT_EQ(content(), "old");
    EXPECT_THROW(report->ExportWithFilter(cancelled, dir.filePath("none/x.txt").toStdString()), EWriteError);
}

// An export on a disk that is full (a file-size limit: writes past it fail)
// raises an error naming the file and the system's reason and leaves the
// old file whole, for a file under 16 KiB and one above; the filter does
// not look at what its writes return.
TEST_F(ReportPrint, AnExportOnAFullDiskLeavesTheOldFile)
{
    const QString path = dir.filePath(QStringLiteral("old.txt"));
    const struct {
        const char* what;
        std::size_t padding;
        std::uint64_t limit;
    } cases[] = {{"small", 0, 100}, {"large", 1000, 20000}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        {
            QFile old(path);
            ASSERT_TRUE(old.open(QIODevice::WriteOnly));
            old.write("old");
        }
        TextFilter filter;
        filter.padding = c.padding;
        const ChildOutcome outcome =
            RunWithFileSizeLimit(c.limit, [&] { report->ExportWithFilter(filter, path.toStdString()); });
        ASSERT_TRUE(outcome.threw) << outcome.Describe();
        EXPECT_NE(outcome.message.find(path.toStdString()), std::string::npos) << outcome.message;
        EXPECT_NE(outcome.message.find(std::strerror(EFBIG)), std::string::npos) << outcome.message;
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll().toStdString(), "old");
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"old.txt"});
        // Without the limit it goes through.
        report->ExportWithFilter(filter, path.toStdString());
        EXPECT_GT(QFileInfo(path).size(), static_cast<qint64>(120 * c.padding));
        QFile::remove(path);
    }
}

// Printers of the model: the first refuses to be selected.
class FlakyPrinters : public TrpPlatformPrinters {
public:
    std::vector<std::string> PrinterNames() override { return {"Broken", "Good"}; }
    int CurrentIndex() override { return current; }
    void Select(int index) override
    {
        if (index == 0)
            throw Exception("Broken is offline");
        current = index;
    }
    bool IsPrinting() const override { return false; }
    bool GetSettings(TrpDeviceSettings& settings) override
    {
        settings = {};
        return true;
    }
    void SetSettings(const TrpDeviceSettings&) override {}
    TrpDeviceCaps Caps() override
    {
        return {600, 600, 4961, 7016, 100, 100, 4761, 6816};
    }
    std::vector<TrpPaperChoice> Papers() override { return {{9, "A4"}}; }
    std::vector<TrpPaperChoice> Bins() override { return {}; }
    int current = 1;
};

TEST_F(ReportPrint, APrinterThatCannotBeSelectedIsRefusedAndTheOldOneStays)
{
    FlakyPrinters platform;
    TrpPrinter printer;
    printer.AttachPrinter(&platform);
    report->Pages.Printer = &printer;
    ASSERT_EQ(printer.PrinterIndex(), 1);
    EXPECT_TRUE(report->SelectPrinter(1, 2));
    EXPECT_EQ(report->PrinterName, "Virtual printer");
    EXPECT_FALSE(report->SelectPrinter(2, 0));
    EXPECT_EQ(printer.PrinterIndex(), 2);
    EXPECT_EQ(report->PrinterName, "Virtual printer");
    ASSERT_EQ(questions.messages.size(), 1u);
    EXPECT_EQ(questions.messages[0], "Printer selected is not valid");
    report->Pages.Printer = nullptr;
}

#define REQUIRE_PRIVATE_CUPS(cups)                                                                                     \
    if (!(cups).Available())                                                                                          \
    GTEST_SKIP() << "no private print server on this machine: " << (cups).Reason().toStdString()

TEST(ReportPrintCups, TheEventListPrintsOnTheSystemsPrinter)
{
    const PrivateCups cups;
    REQUIRE_PRIVATE_CUPS(cups);
    RunState().Reset();
    AttachSystemPrinters();
    TrpPrinter& printer = EnginePrinter();
    const int queue = printer.IndexOf(PrivateCups::kQueue);
    ASSERT_GE(queue, 0);
    const int before = printer.PrinterIndex();
    printer.SelectByIndex(queue);

    const TrpFixedWidthFactory fixed(6);
    const std::vector<ListedEvent> events = MakeListedEvents(150);
    EventListReport list(events, RegisterTahoma() ? nullptr : &fixed);
    TrpReport& report = list.Report();
    report.ShowProgress = false;
    report.Title = "Event list";
    ASSERT_TRUE(report.Prepare());
    const int pages = static_cast<int>(report.EMFPages->Count());
    ASSERT_GE(pages, 3);
    report.OnPrintDialog = [&](TrpPrintForm& dialog) {
        EXPECT_EQ(dialog.CB1->currentText().toStdString(), PrivateCups::kQueue);
        return true;
    };
    const QStringList jobs = cups.Jobs();
    ASSERT_TRUE(report.PrintWithDialog());
    const QString job = cups.WaitForNewJob(jobs);
    ASSERT_FALSE(job.isEmpty()) << "no job came back";
    EXPECT_EQ(PrivateCups::PdfPageCount(job), pages);
    const QString text = PrivateCups::PdfText(job);
    // The column headers, in one row on every page.
    QString headerRow;
    for (const std::string& header : EventListReport::Headers())
        headerRow += (headerRow.isEmpty() ? QString() : QStringLiteral("\\s+")) +
                     QRegularExpression::escape(QString::fromStdString(header));
    EXPECT_EQ(text.count(QRegularExpression(headerRow)), pages);
    for (int k = 1; k <= pages; ++k)
        EXPECT_TRUE(text.contains(QStringLiteral("Page %1 of %2").arg(k).arg(pages))) << k;
    // The rows in order: their event numbers as the report lists them.
    qsizetype at = 0;
    for (const ListedEvent& event : events) {
        const QRegularExpression number(QStringLiteral("\\b%1\\b").arg(event.Id));
        const qsizetype found = text.indexOf(number, at);
        ASSERT_GE(found, 0) << event.Id;
        at = found + 1;
    }

    // A page of other paper is printed in a job of its own.
    const QStringList twoJobsBefore = cups.Jobs();
    report.EMFPages->PageRecord(1).Orientation = 1;
    report.ShowPrintDialog = false;
    ASSERT_TRUE(report.PrintWithDialog());
    ASSERT_FALSE(cups.WaitForNewJob(twoJobsBefore).isEmpty());
    for (int wait = 0; wait < 100 && cups.Jobs().size() < twoJobsBefore.size() + 3; ++wait)
        QThread::msleep(100);
    EXPECT_EQ(cups.Jobs().size() - twoJobsBefore.size(), 3);  // portrait, landscape, portrait again
    printer.SelectByIndex(before);
}

} // namespace
} // namespace report
