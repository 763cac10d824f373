// The preview window on the offscreen platform: pages taken from the
// report, zoom and layout, keys, search with Find Next, links, prepared
// files saved and opened with the keys, the window's placement; and the
// search dialog and the progress window.
#include "PreviewTestSupport.h"

#include "MouseClicks.h"

#include "PrivateCups.h"
#include "ScopedFifo.h"
#include "ThreePrinters.h"

#include "report/RP_PrDlg.h"
#include "report/RpEngineHelp.h"
#include "report/RpExportFilter.h"
#include "report/RpGlobals.h"
#include "report/RpPreviewSearchForm.h"
#include "report/RpProgressForm.h"

#include "platform/WindowBounds.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStyleHints>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace report {
namespace {

using PreviewWindow = PreviewFixture;

TEST_F(PreviewWindow, TakesTheReportsPagesAndShowsTheChosenButtons)
{
    AddPage(600, 800, {"one"});
    AddPage(600, 800, {"two"});
    report->PreviewButtons = PreviewButton::pbZoom | PreviewButton::pbPrint | PreviewButton::pbFind |
                             PreviewButton::pbExit | PreviewButton::pbPageSetup;
    TrpPreviewForm& p = Open(QSize(1000, 800));
    EXPECT_EQ(report->EMFPages->Count(), 0u) << "the report is left an empty set";
    ASSERT_NE(p.Pages, nullptr);
    EXPECT_EQ(p.Pages->Count(), 2u);
    EXPECT_EQ(p.Label1->text(), "Page 1/2");
    EXPECT_EQ(p.ZoomBtn->Caption(), "100%");
    EXPECT_EQ(p.windowTitle(), "Print preview");
    EXPECT_FALSE(p.LoadBtn->isVisibleTo(&p));
    EXPECT_FALSE(p.SaveBtn->isVisibleTo(&p));
    EXPECT_FALSE(p.HelpBtn->isVisibleTo(&p));
    EXPECT_TRUE(p.PageSetupBtn->isVisibleTo(&p));
    EXPECT_TRUE(p.ExitBtn->isVisibleTo(&p));
    EXPECT_TRUE(p.rpTBSeparator3->isVisibleTo(&p));
    EXPECT_EQ(p.ZoomBtn->toolTip(), "Scale");
    EXPECT_EQ(p.ExitBtn->toolTip(), "Close preview");
    // The virtual printer alone prints nothing.
    EXPECT_FALSE(p.PrintBtn->isEnabled());
    EXPECT_FALSE(p.PageSetupBtn->isEnabled());

    p.ReturnPages();
    EXPECT_EQ(report->EMFPages->Count(), 2u);
    EXPECT_EQ(p.Pages, nullptr);
    p.TakePages();
    EXPECT_EQ(p.Pages->Count(), 2u);
}

TEST_F(PreviewWindow, ToolbarAndLabelsUseTheWindowFont)
{
    AddPage(600, 800, {"one"});
    TrpPreviewForm& p = Open(QSize(1000, 800));
    for (QWidget* part : {static_cast<QWidget*>(p.ZoomBtn), static_cast<QWidget*>(p.Label1),
                          static_cast<QWidget*>(p.Label2)}) {
        EXPECT_EQ(QFontInfo(part->font()).family(), "MS Sans Serif") << part->metaObject()->className();
        // 8 points on a 96-dpi screen, as the program's windows ask for it
        // (the face's nearest strike is drawn).
        EXPECT_EQ(part->font().pixelSize(), 11) << part->metaObject()->className();
    }
}

TEST_F(PreviewWindow, ZoomFiguresAndPageLayout)
{
    AddPage(600, 800, {"one"});
    AddPage(600, 800, {"two"});
    AddPage(600, 800, {"three"});
    TrpPreviewForm& p = Open(QSize(1000, 800));
    ASSERT_EQ(p.PBox->size(), QSize(1000, 800));
    EXPECT_EQ(LayoutRect(p, 0), QRect(QPoint(200, 10), QPoint(799, 809)));
    EXPECT_EQ(p.VScrollBar->maximum(), 2430 - 800 + 10);
    EXPECT_FALSE(p.HScrollBar->isEnabled());
    EXPECT_TRUE(ZoomItem(p, 100)->isChecked());

    Choose(p, 1);  // page width
    EXPECT_DOUBLE_EQ(p.Zoom, 980.0 / 600);
    EXPECT_EQ(p.ZoomBtn->Caption(), "163%");
    EXPECT_EQ(LayoutRect(p, 0).left(), 10);
    EXPECT_TRUE(ZoomItem(p, 1)->isChecked());

    Choose(p, 3);  // two pages
    EXPECT_DOUBLE_EQ(p.Zoom, 970.0 / 1200);
    EXPECT_EQ(LayoutRect(p, 1).top(), 10);
    EXPECT_EQ(LayoutRect(p, 2).top(), LayoutRect(p, 0).bottom() + 1 + 10);

    Choose(p, 50);
    EXPECT_DOUBLE_EQ(p.Zoom, 0.5);
    EXPECT_EQ(p.ZoomBtn->Caption(), "50%");
    EXPECT_EQ(LayoutRect(p, 2), QRect(630, 10, 300, 400)) << "three pages in a row";
    EXPECT_EQ(TrpPreviewForm::LastZoom, 0.5);

    // The next preview starts with the last zoom chosen.  (Closing a
    // preview frees its pages: these go back to the report first.)
    p.ReturnPages();
    p.close();
    QCoreApplication::processEvents();
    TrpPreviewForm& next = Open(QSize(1000, 800));
    EXPECT_EQ(next.ZoomBtn->Caption(), "50%");
    EXPECT_TRUE(ZoomItem(next, 50)->isChecked());

    // The report's initial zoom sets the mode.
    report->InitialZoom = pzOnePage;
    next.ReturnPages();
    next.close();
    QCoreApplication::processEvents();
    TrpPreviewForm& whole = Open(QSize(1000, 800));
    EXPECT_EQ(whole.ZoomMode, zmWholePage);
    EXPECT_DOUBLE_EQ(whole.Zoom, 780.0 / 800);
}

TEST_F(PreviewWindow, KeysPageAndScroll)
{
    for (int i = 0; i < 5; ++i)
        AddPage(600, 800, {"page"});
    TrpPreviewForm& p = Open(QSize(1000, 600));
    QWidget* canvas = p.PBox;
    QTest::keyClick(canvas, Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(p.CurrentPage, 2);
    EXPECT_EQ(p.VScrollBar->value(), 810);
    EXPECT_EQ(p.Label1->text(), "Page 2/5");
    QTest::keyClick(canvas, Qt::Key_Down);
    EXPECT_EQ(p.VScrollBar->value(), 820);
    QTest::keyClick(canvas, Qt::Key_PageDown);
    EXPECT_EQ(p.VScrollBar->value(), 1020);
    QTest::keyClick(canvas, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(p.CurrentPage, 5);
    EXPECT_EQ(p.Label1->text(), "Page 5/5");
    QTest::keyClick(canvas, Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(p.CurrentPage, 5) << "no page after the last";
    QTest::keyClick(canvas, Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(p.CurrentPage, 4);
    QTest::keyClick(canvas, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(p.VScrollBar->value(), 0);
    EXPECT_EQ(p.CurrentPage, 1);
    QTest::keyClick(canvas, Qt::Key_Home);
    EXPECT_EQ(p.VScrollBar->value(), 0);

    // Scrolling moves the pages on the canvas and makes current the page
    // at the top.
    p.VScrollBar->setValue(1700);
    EXPECT_EQ(p.YOffset, -1700);
    EXPECT_EQ(p.CurrentPage, 3);
    QTest::keyClick(canvas, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), canvas) << "Tab never moves the focus";

    // The wheel moves by the small step.
    p.WheelTurned(-2);
    EXPECT_EQ(p.VScrollBar->value(), 1720);

    // Space opens the zoom menu; Esc closes the window.
    QTest::keyClick(canvas, Qt::Key_Space);
    EXPECT_TRUE(p.ProcMenu->isVisible());
    p.ProcMenu->close();
    QPointer<TrpPreviewForm> guard(&p);
    QTest::keyClick(canvas, Qt::Key_Escape);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(guard, nullptr) << "closed and freed";
}

TEST_F(PreviewWindow, PageButtonsTurnAPageForEveryClickOfADoubleClick)
{
    for (int i = 0; i < 5; ++i)
        AddPage(600, 800, {"page"});
    TrpPreviewForm& p = Open(QSize(1000, 600));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&p));
    const int gap = QGuiApplication::styleHints()->mouseDoubleClickInterval() / 4;
    ClickRun(*p.PgDown, QPoint(8, 8), 2, gap);
    EXPECT_EQ(p.CurrentPage, 3);
    EXPECT_EQ(p.Label1->text(), "Page 3/5");
    ClickRun(*p.PgUp, QPoint(8, 8), 2, gap);
    EXPECT_EQ(p.CurrentPage, 1);
}

TEST_F(PreviewWindow, FindWithF3Continuing)
{
    AddPage(600, 800, {"Banana", "Apple pie", "an apple"});
    AddPage(600, 800, {"Cherry"});
    AddPage(600, 800, {"APPLE", "pear"});
    TrpPreviewForm& p = Open(QSize(1000, 1000));
    int dialogs = 0;
    p.ExecSearchDialog = [&](TrpPreviewSearchForm& dialog) {
        ++dialogs;
        EXPECT_TRUE(dialog.Edit1->text().isEmpty());
        EXPECT_TRUE(dialog.RB1->isChecked());
        EXPECT_FALSE(dialog.CB1->isChecked());
        dialog.Edit1->setText("apple");
        return true;
    };
    QTest::keyClick(p.PBox, Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(p.CurrentPage, 1);
    EXPECT_EQ(p.Search.FindRecord, 2);
    const QRect mark = p.FoundMark();
    ASSERT_FALSE(mark.isEmpty());
    EXPECT_TRUE(LayoutRect(p, 0).translated(p.XOffset, p.YOffset).contains(mark));

    QTest::keyClick(p.PBox, Qt::Key_F3);
    EXPECT_EQ(p.CurrentPage, 1);
    EXPECT_EQ(p.Search.FindRecord, 3);
    QTest::keyClick(p.PBox, Qt::Key_F3);
    EXPECT_EQ(p.CurrentPage, 3);
    EXPECT_EQ(p.Search.FindRecord, 1);
    EXPECT_EQ(p.Label1->text(), "Page 3/3");
    // The last page's top cannot reach the canvas's top: the bars stop
    // short, and the hit's page stays the current one.
    EXPECT_EQ(p.VScrollBar->value(), p.VScrollBar->maximum());
    QTest::keyClick(p.PBox, Qt::Key_F3);
    EXPECT_FALSE(p.Search.Found);
    EXPECT_TRUE(p.FoundMark().isEmpty());
    EXPECT_EQ(p.CurrentPage, 3) << "no hit leaves the page";

    // A cancelled dialog changes nothing.
    p.ExecSearchDialog = [](TrpPreviewSearchForm&) { return false; };
    QTest::keyClick(p.PBox, Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(p.Search.FindText, "APPLE");
}

TEST_F(PreviewWindow, ALongSearchShowsItsPageAndStopsOnEsc)
{
    for (int i = 0; i < 4; ++i)
        AddPage(600, 800, {"plain"});
    TrpPreviewForm& p = Open(QSize(1000, 600));
    p.SearchStepMs = -1;  // let messages through before every page
    QString shown;
    p.Search.SetText("nowhere", false);
    p.Search.FromFirstPage();
    p.Search.FindPage = 0;
    QTimer::singleShot(0, &p, [&] {
        shown = p.Label2->text();
        QTest::keyClick(p.PBox, Qt::Key_F3);  // no search within the search
        QTest::keyClick(p.PBox, Qt::Key_Escape);
    });
    EXPECT_FALSE(p.FindTextInPages());
    EXPECT_EQ(shown, "Page 2/4...");
    EXPECT_TRUE(p.Search.Stopped);
    EXPECT_EQ(p.Search.FindPage, 1) << "stopped before the second page";
    EXPECT_TRUE(p.isVisible()) << "Esc stopped the search, not the window";
    EXPECT_TRUE(p.Label2->text().isEmpty());
    EXPECT_FALSE(p.Searching());

    // Closing the window while a search runs stops it, then closes.
    QPointer<TrpPreviewForm> guard(&p);
    QTimer::singleShot(0, &p, [&] { p.close(); });
    p.Search.FromFirstPage();
    EXPECT_FALSE(p.FindTextInPages());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(guard, nullptr);
}

TEST_F(PreviewWindow, SaveAndOpenWithTheKeysAlthoughTheirButtonsAreHidden)
{
    AddPage(600, 800, {"first"});
    AddPage(600, 800, {"second"});
    const std::vector<std::uint8_t> content = report->EMFPages->PageRecord(1).Content.Bytes();
    report->PreviewButtons = PreviewButton::pbZoom | PreviewButton::pbExit;
    TrpPreviewForm& p = Open(QSize(1000, 600));
    QTemporaryDir dir;
    QString saveFilter;
    p.SaveDialog = [&](const QString& filter, int& index) {
        saveFilter = filter;
        EXPECT_EQ(index, 1);
        return dir.filePath("orders.txt");
    };
    QTest::keyClick(p.PBox, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(saveFilter, "Report file (*.rpp)|*.rpp");
    ASSERT_TRUE(QFileInfo::exists(dir.filePath("orders.rpp"))) << "the extension becomes .rpp";
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("orders.txt")));
    EXPECT_EQ(p.Pages->Count(), 2u) << "the pages came back to the preview";
    EXPECT_EQ(report->EMFPages->Count(), 0u);

    // Another report file opens in place of the pages shown.
    TrpReport other(owner.get());
    other.Pages.Add();
    other.EMFPages->AddPage(other.Pages.Page(0));
    other.SavePreparedFile(dir.filePath("one.rpp"));
    QString openFilter;
    QString opened = dir.filePath("one.rpp");
    p.OpenDialog = [&](const QString& filter) {
        openFilter = filter;
        return opened;
    };
    p.VScrollBar->setValue(500);
    QTest::keyClick(p.PBox, Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(openFilter, "Report file (*.rpp)|*.rpp");
    EXPECT_EQ(p.Pages->Count(), 1u);
    EXPECT_EQ(p.CurrentPage, 1);
    EXPECT_EQ(p.Label1->text(), "Page 1/1");

    // And the saved one comes back whole.
    opened = dir.filePath("orders.rpp");
    QTest::keyClick(p.PBox, Qt::Key_O, Qt::ControlModifier);
    ASSERT_EQ(p.Pages->Count(), 2u);
    EXPECT_EQ(p.Pages->PageRecord(1).Content.Bytes(), content);

    // A file that cannot be read leaves the pages shown, with a message.
    opened = dir.filePath("missing.rpp");
    QTest::keyClick(p.PBox, Qt::Key_O, Qt::ControlModifier);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(p.Pages->Count(), 2u);
    EXPECT_TRUE(errors[0].contains(opened)) << errors[0].toStdString();
    // So does a file the user cancels.
    opened.clear();
    QTest::keyClick(p.PBox, Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(errors.size(), 1u);
    EXPECT_EQ(p.Pages->Count(), 2u);
    // And a FIFO, which is refused without waiting on it.
    ScopedFifo fifo(dir.filePath("pipe.rpp").toStdString());
    ASSERT_TRUE(fifo.Made());
    opened = QString::fromStdString(fifo.Path());
    QTest::keyClick(p.PBox, Qt::Key_O, Qt::ControlModifier);
    EXPECT_FALSE(fifo.Waited()) << "the preview waited on the FIFO";
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_TRUE(errors[1].contains(opened)) << errors[1].toStdString();
    EXPECT_EQ(p.Pages->Count(), 2u);
}

TEST_F(PreviewWindow, LinksToPagesOfTheReport)
{
    TrpEMFPage& first = AddPage(600, 800, {});
    AddPage(600, 800, {});
    const auto link = [&](const char* name, const char* tag, int top) {
        auto memo = MakeText(name, "link", 40, top);
        memo->Tag = tag;
        first.Content.Seek(first.Content.Size());
        memo->EmitToPreparedPage(first.Content);
    };
    link("URLThree", "@3", 20);
    link("URLZero", "@0", 60);
    link("URLTwo", "see@2", 100);
    TrpPreviewForm& p = Open(QSize(1000, 600));
    const QPoint pageOrigin = LayoutRect(p, 0).topLeft();
    const auto click = [&](int top) {
        QTest::mouseClick(p.PBox, Qt::LeftButton, {}, pageOrigin + QPoint(60, top + 8));
    };

    click(20);
    EXPECT_EQ(p.CurrentPage, 1) << "no page 3 in a report of two";
    EXPECT_FALSE(p.PBox->Dragging);
    click(100);
    EXPECT_EQ(p.CurrentPage, 2);
    EXPECT_EQ(p.VScrollBar->value(), 810);
    p.VScrollBar->setValue(0);
    p.CurrentPage = 2;
    click(60);
    EXPECT_EQ(p.CurrentPage, 1) << "a page below 1 is page 1";

    // Over a link the hand shows, and the page it leads to.
    QTest::mouseMove(p.PBox, pageOrigin + QPoint(60, 108));
    EXPECT_EQ(p.PBox->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(p.Label2->text(), "Page 2");
    QTest::mouseMove(p.PBox, pageOrigin + QPoint(300, 500));
    EXPECT_EQ(p.PBox->cursor().shape(), Qt::ArrowCursor);
    EXPECT_TRUE(p.Label2->text().isEmpty());

    // Elsewhere a press drags the pages.
    QTest::mousePress(p.PBox, Qt::LeftButton, {}, QPoint(500, 300));
    EXPECT_TRUE(p.PBox->Dragging);
    QTest::mouseMove(p.PBox, QPoint(500, 250));
    EXPECT_EQ(p.VScrollBar->value(), 50);
    QTest::mouseRelease(p.PBox, Qt::LeftButton, {}, QPoint(500, 250));
    EXPECT_FALSE(p.PBox->Dragging);
}

TEST_F(PreviewWindow, PrintsThePagesChosenAndShowsThemAgain)
{
    for (const char* text : {"Sheet 1", "Sheet 2", "Sheet 3"})
        AddPage(600, 800, {text});
    report->ShowProgress = false;
    report->DefaultCopies = 2;
    report->DefaultCollate = false;
    QTemporaryDir dir;
    QPrinter pdf(QPrinter::HighResolution);
    pdf.setOutputFormat(QPrinter::PdfFormat);
    report->PrintDevice = &pdf;
    int files = 0;
    // Prints with the dialog's choices into a PDF file of its own; the
    // sheets printed.
    const auto print = [&](TrpPreviewForm& p, const std::function<void(TrpPrintForm&)>& choose) {
        const QString path = dir.filePath(QStringLiteral("print%1.pdf").arg(++files));
        pdf.setOutputFileName(path);
        p.ExecPrintDialog = [&](TrpPrintForm& dialog) {
            EXPECT_EQ(dialog.E1->text(), "2");
            EXPECT_FALSE(dialog.CollateCB->isChecked());
            EXPECT_TRUE(dialog.RB2->isEnabled()) << "the preview offers its current page";
            dialog.E1->setText("1");
            choose(dialog);
            return true;
        };
        QTest::keyClick(p.PBox, Qt::Key_P, Qt::ControlModifier);
        QStringList sheets;
        QRegularExpressionMatchIterator it =
            QRegularExpression(QStringLiteral("Sheet \\d")).globalMatch(PrivateCups::PdfText(path));
        while (it.hasNext())
            sheets << it.next().captured(0);
        return sheets.join(QLatin1Char(','));
    };
    TrpPreviewForm& p = Open(QSize(1000, 600));
    EXPECT_TRUE(p.PrintBtn->isEnabled());
    QTest::keyClick(p.PBox, Qt::Key_PageDown, Qt::ControlModifier);
    ASSERT_EQ(p.CurrentPage, 2);
    EXPECT_EQ(print(p, [](TrpPrintForm& d) { d.RB2->setChecked(true); }), "Sheet 2");
    EXPECT_EQ(p.Pages->Count(), 3u) << "the pages came back";
    EXPECT_EQ(report->EMFPages->Count(), 0u);
    EXPECT_EQ(p.CurrentPage, 2);
    EXPECT_EQ(print(p,
                    [](TrpPrintForm& d) {
                        d.RB3->setChecked(true);
                        d.E2->setText("1,3");
                    }),
              "Sheet 1,Sheet 3");
    EXPECT_EQ(print(p, [](TrpPrintForm&) {}), "Sheet 1,Sheet 2,Sheet 3");
    EXPECT_TRUE(errors.empty());
    report->PrintDevice = nullptr;
}

TEST_F(PreviewWindow, AnotherPrinterRebuildsTheReportBeforeItPrints)
{
    ThreePrinters system;
    TrpPrinter printers;
    printers.AttachPrinter(&system);
    report->Pages.Printer = &printers;
    AddTitle("Heading", "Events");
    report->ShowProgress = false;
    report->RebuildPrinter = true;
    ASSERT_TRUE(report->Prepare());
    int prepared = 0;
    report->OnBeginDoc = [&] { ++prepared; };
    QTemporaryDir dir;
    QPrinter pdf(QPrinter::HighResolution);
    pdf.setOutputFormat(QPrinter::PdfFormat);
    pdf.setOutputFileName(dir.filePath("labels.pdf"));
    report->PrintDevice = &pdf;
    TrpPreviewForm& p = Open(QSize(1000, 600));
    EXPECT_TRUE(p.PrintBtn->isEnabled());
    const TrpEMFPages* before = p.Pages.get();
    int choice = 2;
    p.ExecPrintDialog = [&](TrpPrintForm& dialog) {
        dialog.CB1->setCurrentIndex(choice);
        dialog.CB1Click(choice);
        return true;
    };
    QTest::keyClick(p.PBox, Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(prepared, 1) << "prepared again for the printer chosen";
    EXPECT_EQ(printers.PrinterName(), "Labels");
    EXPECT_NE(p.Pages.get(), before);
    EXPECT_EQ(p.Pages->Count(), 1u);
    EXPECT_TRUE(PrivateCups::PdfText(dir.filePath("labels.pdf")).contains("Events"));

    // The same printer again: the pages are printed as they are.
    pdf.setOutputFileName(dir.filePath("again.pdf"));
    QTest::keyClick(p.PBox, Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(prepared, 1);
    EXPECT_TRUE(PrivateCups::PdfText(dir.filePath("again.pdf")).contains("Events"));

    // A range the print cannot read is refused with a message; the pages
    // stay shown.
    pdf.setOutputFileName(dir.filePath("refused.pdf"));
    p.ExecPrintDialog = [&](TrpPrintForm& dialog) {
        dialog.RB3->setChecked(true);
        dialog.E2->setText("-2");
        return true;
    };
    QTest::keyClick(p.PBox, Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(errors.size(), 1u);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("refused.pdf")));
    EXPECT_EQ(p.Pages->Count(), 1u);
    report->PrintDevice = nullptr;
    p.ReturnPages();
    report->Pages.Printer = nullptr;
}

TEST_F(PreviewWindow, SavesThroughARegisteredExportFilter)
{
    struct Recording : TrpExportFilter {
        int pages = 0;
        std::vector<std::string> texts;
        void OnBeginPage() override { ++pages; }
        void OnText(const QRect&, int, int, const std::string& text, std::uint16_t, TrpView&) override
        {
            texts.push_back(text);
        }
    };
    Recording plain;
    Recording chosen;
    chosen.Default = true;
    RegisterExportFilter(plain, "Plain text", "*.txt");
    RegisterExportFilter(chosen, "Comma separated", "*.csv");
    AddPage(600, 800, {"first"});
    AddPage(600, 800, {"second"});
    report->ShowProgress = false;
    TrpPreviewForm& p = Open(QSize(1000, 600));
    QTemporaryDir dir;
    QString offered;
    p.SaveDialog = [&](const QString& filter, int& index) {
        offered = filter;
        EXPECT_EQ(index, 3) << "the filter marked as the default";
        return dir.filePath("events.rpp");
    };
    QTest::keyClick(p.PBox, Qt::Key_S, Qt::ControlModifier);
    UnregisterExportFilter(plain);
    UnregisterExportFilter(chosen);
    EXPECT_EQ(offered, "Report file (*.rpp)|*.rpp|Plain text|*.txt|Comma separated|*.csv");
    EXPECT_EQ(chosen.pages, 2);
    EXPECT_EQ(plain.pages, 0);
    EXPECT_EQ(chosen.texts, (std::vector<std::string>{"first", "second"}));
    EXPECT_TRUE(QFileInfo::exists(dir.filePath("events.csv"))) << "the filter's extension";
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("events.rpp")));
    EXPECT_EQ(p.Pages->Count(), 2u);
    EXPECT_TRUE(ExportFilters().empty());
}

TEST_F(PreviewWindow, PageSetupRebuildsTheReport)
{
    TrpPage& page = report->Pages.Page(0);
    page.MarginLeft = page.MarginTop = page.MarginRight = page.MarginBottom = 20;
    AddTitle("Heading", "Events");
    report->ShowProgress = false;
    ASSERT_TRUE(report->Prepare());
    ASSERT_EQ(report->EMFPages->Count(), 1u);
    TrpPreviewForm& p = Open(QSize(1000, 600));

    std::vector<TrpPageSetupMargins> asked;
    p.PageSetupDialog = [&](TrpPageSetupMargins& margins) {
        asked.push_back(margins);
        margins = {1000, 2000, 500, 0};  // hundredths of a millimetre
        return true;
    };
    p.VScrollBar->setValue(100);
    p.PageSetupBtnClick();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].Left, 20 * 500 / 18) << "the first page's margins, in hundredths of a millimetre";
    EXPECT_EQ(asked[0].Bottom, 555);
    const TrpPage& changed = report->Pages.Page(0);
    EXPECT_EQ(changed.MarginLeft, 36);
    EXPECT_EQ(changed.MarginTop, 72);
    EXPECT_EQ(changed.MarginRight, 18);
    EXPECT_EQ(changed.MarginBottom, 0);
    ASSERT_NE(p.Pages, nullptr);
    ASSERT_EQ(p.Pages->Count(), 1u);
    EXPECT_EQ(p.Pages->PageRecord(0).MarginLeft, 36) << "the report was prepared again";
    EXPECT_EQ(report->EMFPages->Count(), 0u);
    EXPECT_EQ(p.VScrollBar->value(), 0);

    // A cancelled page set-up changes nothing.
    p.PageSetupDialog = [](TrpPageSetupMargins&) { return false; };
    p.PageSetupBtnClick();
    EXPECT_EQ(report->Pages.Page(0).MarginLeft, 36);
    EXPECT_EQ(p.Pages->Count(), 1u);
}

// The preview windows among the children of a widget.
std::vector<TrpPreviewForm*> PreviewsOf(const QObject& parent)
{
    std::vector<TrpPreviewForm*> found;
    for (QObject* child : parent.findChildren<QObject*>())
        if (auto* preview = dynamic_cast<TrpPreviewForm*>(child))
            found.push_back(preview);
    return found;
}

TEST_F(PreviewWindow, TheReportOpensItsPreviewInAWindowOfItsOwner)
{
    report->OpenPreview();
    EXPECT_TRUE(PreviewsOf(*owner).empty()) << "no pages, no window";

    // In an MDI area the preview is a child window that keeps no placement.
    AddPage(600, 800, {"one"});
    auto* area = new QMdiArea(owner.get());
    report->MDIPreview = true;
    report->ModalPreview = true;  // an MDI child is never modal
    report->OpenPreview();
    ASSERT_EQ(area->subWindowList().size(), 1);
    std::vector<TrpPreviewForm*> shown = PreviewsOf(*owner);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0]->MdiChild);
    EXPECT_FALSE(shown[0]->isModal());
    shown[0]->ReturnPages();
    shown[0]->ExitBtnClick();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(area->subWindowList().empty());
    EXPECT_EQ(PlacementValue("Width"), "(no key)");
    delete area;

    // Else a window of the report's owner.
    report->MDIPreview = false;
    report->ModalPreview = false;
    report->Title = "Orders";
    report->OpenPreview();
    shown = PreviewsOf(*owner);
    ASSERT_EQ(shown.size(), 1u);
    TrpPreviewForm& p = *shown[0];
    EXPECT_EQ(p.windowTitle(), "Orders - Preview");
    EXPECT_TRUE(p.isVisible());
    EXPECT_TRUE(p.isWindow());
    EXPECT_FALSE(p.isModal());
    EXPECT_EQ(p.Pages->Count(), 1u);
    EXPECT_EQ(report->EMFPages->Count(), 0u);
    p.ExitBtnClick();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(PreviewsOf(*owner).empty());
    EXPECT_NE(PlacementValue("Width"), "(no key)");
}

TEST_F(PreviewWindow, AReportWhoseRunFailsShowsNoPreview)
{
    struct Answer : TrpQuestions {
        std::vector<std::string> messages;
        std::string InputBox(const std::string&, const std::string&, const std::string& text) override { return text; }
        int MessageBox(const std::string& text, const std::string&, int) override
        {
            messages.push_back(text);
            return MessageBoxAnswer::Ok;
        }
    } answer;
    TrpQuestions* saved = EngineGlobals().Questions;
    EngineGlobals().Questions = &answer;
    AddTitle("Broken", "[NoSuchValue]");
    report->ShowProgress = false;
    report->PreviewReport();
    EngineGlobals().Questions = saved;
    EXPECT_EQ(answer.messages.size(), 1u);
    EXPECT_TRUE(PreviewsOf(*owner).empty());
}

TEST_F(PreviewWindow, ARunCancelledInItsLastPassShowsThePagesItBuilt)
{
    // Rows of a data set of 120 records: three pages when the run ends.
    TrpPage& page = report->Pages.Page(0);
    auto band = std::make_unique<TrpBandView>();
    band->SetBandType(static_cast<int>(TrpBandType::MasterData));
    band->Name = "MasterData1";
    band->Top = 40;
    band->Width = 700;
    band->Height = 20;
    band->FormatString = "120";
    page.AddObject(std::move(band));
    page.AddObject(MakeText("Row", "row [LINE#]", 10, 40));
    struct Case {
        const char* what;
        bool doublePass;
        bool cancelInFinalPass;
        std::size_t shown;  // pages in the preview; 0: no preview
    };
    const Case cases[] = {
        {"a single pass", false, true, 1},
        {"the second of two passes", true, true, 1},
        {"the first of two passes", true, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        report->DoublePassReport = c.doublePass ? -1 : 0;
        bool cancelled = false;
        report->OnEndPage = [&](int) {
            if (!cancelled && report->FinalPass == c.cancelInFinalPass) {
                cancelled = true;
                EngineProgressForm().Button1Click();
            }
        };
        EXPECT_FALSE(report->PreviewReport());
        EXPECT_TRUE(cancelled);
        const std::vector<TrpPreviewForm*> shown = PreviewsOf(*owner);
        if (c.shown == 0) {
            EXPECT_TRUE(shown.empty());
            continue;
        }
        ASSERT_EQ(shown.size(), 1u);
        ASSERT_NE(shown[0]->Pages, nullptr);
        EXPECT_EQ(shown[0]->Pages->Count(), c.shown);
        EXPECT_TRUE(shown[0]->isVisible());
        delete shown[0];
    }
}

TEST_F(PreviewWindow, PlacementKeptUnderItsClassName)
{
    AddPage(600, 800, {"one"});
    TrpPreviewForm& p = Open(QSize(700, 500));
    p.move(30, 40);
    QCoreApplication::processEvents();
    // The window's outer rectangle, frame and title bar included.
    const QRect placed = platform::WindowBounds(p);
    ASSERT_EQ(placed.topLeft(), QPoint(30, 40));
    const QSize inner = p.size();
    ASSERT_NE(placed.size(), inner) << "the window has a frame";
    p.ExitBtnClick();
    QCoreApplication::processEvents();
    EXPECT_EQ(PlacementValue("XPosition"), "30");
    EXPECT_EQ(PlacementValue("YPosition"), "40");
    EXPECT_EQ(PlacementValue("Width"), std::to_string(placed.width()));
    EXPECT_EQ(PlacementValue("Height"), std::to_string(placed.height()));
    EXPECT_EQ(PlacementValue("Maximized"), "0");

    auto next = std::make_unique<TrpPreviewForm>();
    next->setAttribute(Qt::WA_DeleteOnClose, false);
    next->ShowForReport(*report);
    EXPECT_FALSE(next->isMaximized());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(next.get()));
    EXPECT_EQ(platform::WindowBounds(*next), placed);
    EXPECT_EQ(next->size(), inner);
}

TEST_F(PreviewWindow, APreviewWhoseReportGoesCloses)
{
    AddPage(600, 800, {"one"});
    QPointer<TrpPreviewForm> p = &Open(QSize(700, 500));
    owner.reset();
    report = nullptr;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(p, nullptr);
}

TEST_F(PreviewWindow, HelpPopupsOfTheWindowsParts)
{
    AddPage(600, 800, {"one"});
    report->PreviewButtons = 0x7F;
    SetApplicationHelpFile("qorv.chm");
    TrpPreviewForm& p = Open(QSize(800, 500));
    std::vector<int> contexts;
    p.ShowHelp = [&](const QPoint&, int context) { contexts.push_back(context); };
    const auto ask = [&](QWidget* control, QPoint at) {
        p.HelpBtnClick();
        EXPECT_TRUE(p.HelpMode);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WhatsThisCursor);
        p.HelpAt(control->mapTo(&p, at));
        EXPECT_FALSE(p.HelpMode);
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    };
    ask(p.PBox, QPoint(300, 300));
    ask(p.Label1, QPoint(2, 2));
    ask(p.ZoomBtn, QPoint(5, 5));
    ask(p.SaveBtn, QPoint(5, 5));
    ask(p.HelpBtn, QPoint(5, 5));  // the help button itself asks nothing
    EXPECT_EQ(contexts, (std::vector<int>{207, 206, 200, 202}));
    EXPECT_EQ(EngineHelpMessage(207),
              "Help topic 207 cannot be shown: the report help file \"RPuser.hlp\" is not installed.");

    // While the window is active the application's help file is the
    // engine's; the one before comes back afterwards.
    QApplication::setActiveWindow(&p);
    QCoreApplication::processEvents();
    ASSERT_TRUE(p.isActiveWindow());
    EXPECT_EQ(ApplicationHelpFile(), "RPuser.hlp");
    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    QCoreApplication::processEvents();
    EXPECT_EQ(ApplicationHelpFile(), "qorv.chm");
}

TEST_F(PreviewWindow, AnEmbeddedPreviewShowsThePagesInItsPanel)
{
    for (int i = 0; i < 3; ++i)
        AddPage(600, 800, {"page"});
    report->PreviewButtons = 0x7F;
    QWidget host;
    host.resize(900, 700);
    auto* panel = new TrpPreview(&host);
    panel->setGeometry(0, 0, 900, 700);
    std::vector<int> changes;
    panel->OnPageChanged = [&](TrpPreview& sender, int page) {
        EXPECT_EQ(&sender, panel);
        changes.push_back(page);
    };
    panel->SetShowToolbar(true);
    report->Preview = panel;
    report->OpenPreview();
    host.show();
    QCoreApplication::processEvents();
    TrpPreviewForm& w = panel->Window();
    EXPECT_FALSE(w.isVisible()) << "the window stays hidden";
    EXPECT_EQ(w.PreviewPanel->parentWidget(), panel);
    EXPECT_EQ(w.ToolbarPanel->parentWidget(), panel);
    EXPECT_TRUE(w.PBox->isVisible());
    EXPECT_EQ(w.Pages->Count(), 3u);
    EXPECT_EQ(report->EMFPages->Count(), 0u);
    EXPECT_FALSE(w.ExitBtn->isVisibleTo(&w)) << "no Exit or Help in another window's toolbar";
    EXPECT_FALSE(w.HelpBtn->isVisibleTo(&w));
    EXPECT_TRUE(w.LoadBtn->isVisibleTo(&w));
    EXPECT_EQ(w.FindBtn->toolTip(), "Find text");
    EXPECT_TRUE(PreviewsOf(*owner).empty());

    changes.clear();
    w.PgDownClick();
    EXPECT_EQ(panel->CurrentPage(), 2);
    ASSERT_FALSE(changes.empty());
    EXPECT_EQ(changes.back(), 2);
    // The wheel moves three small steps a notch.
    const int before = w.VScrollBar->value();
    QWheelEvent wheel(QPointF(10, 10), QPointF(10, 10), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(w.PBox, &wheel);
    EXPECT_EQ(w.VScrollBar->value(), before + 30);

    panel->SetScrollBars(0);
    EXPECT_FALSE(w.RPanel->isVisibleTo(panel));
    EXPECT_FALSE(w.BPanel->isVisibleTo(panel));
    panel->SetScrollBars(2);
    EXPECT_TRUE(w.RPanel->isVisibleTo(panel));
    EXPECT_FALSE(w.BPanel->isVisibleTo(panel));
    panel->SetShowToolbar(false);
    EXPECT_EQ(w.ToolbarPanel->parentWidget(), &w);

    panel->DetachReport();
    EXPECT_EQ(report->EMFPages->Count(), 3u);
    EXPECT_EQ(w.Pages, nullptr);
}

TEST(PreviewSearchDialog, OpensEmptyFromTheFirstPageIgnoringCase)
{
    TrpPreviewSearchForm dialog;
    EXPECT_EQ(dialog.windowTitle(), "Find text");
    EXPECT_EQ(dialog.Label1->text(), "Text to &find");
    EXPECT_EQ(dialog.GroupBox2->title(), "Origin");
    EXPECT_EQ(dialog.RB1->text(), "&1st page");
    EXPECT_EQ(dialog.RB2->text(), "Current &page");
    EXPECT_EQ(dialog.Button2->text(), "Cancel");
    EXPECT_EQ(dialog.size(), QSize(262, 158));
    EXPECT_TRUE(dialog.Edit1->text().isEmpty());
    EXPECT_TRUE(dialog.RB1->isChecked());
    EXPECT_FALSE(dialog.CB1->isChecked());
    dialog.Edit1->setText("old");
    dialog.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(dialog.Edit1->selectedText(), "old");
}

TEST(ProgressWindow, RunsTheWorkInsideItsModalLoop)
{
    TrpReport report;
    TrpProgressForm& window = EngineProgressForm();
    EXPECT_EQ(&window, &EngineProgressForm()) << "one window for the process";
    EXPECT_EQ(window.size(), QSize(278, 106));
    window.Label2->setText("left over");
    std::vector<bool> visible;
    window.OnBeforeModal = [&](TrpProgressForm& sender) {
        visible.push_back(sender.isVisible());
        EXPECT_TRUE(sender.Label2->text().isEmpty());
        // A script's PROGRESS text shows in the second line.
        EngineGlobals().ShowProgressText("half way");
        EXPECT_EQ(sender.Label2->text(), "half way");
        sender.SetModalResult(TrpProgressForm::kOk);
    };
    EXPECT_EQ(window.RunModal(report), TrpProgressForm::kOk);
    EXPECT_EQ(visible, std::vector<bool>{true});
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(report.Terminated);
    EXPECT_EQ(window.Button1->text(), "Cancel");

    // Cancel (and Esc) asks the report to stop; the work sees the flag.
    for (const bool escape : {false, true}) {
        report.Terminated = false;
        window.OnBeforeModal = [&](TrpProgressForm& sender) {
            if (escape)
                QTest::keyClick(&sender, Qt::Key_Escape);
            else
                sender.Button1->click();
            EXPECT_TRUE(report.Terminated);
            sender.SetModalResult(report.Terminated ? TrpProgressForm::kCancel : TrpProgressForm::kOk);
        };
        EXPECT_EQ(window.RunModal(report), TrpProgressForm::kCancel) << escape;
    }
    window.OnBeforeModal = nullptr;
}

} // namespace
} // namespace report
