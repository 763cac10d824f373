// The system's printers through Qt's print support, on the private CUPS
// server that CTest starts: the printer model lists its queue, and a page
// printed to it comes back as a PDF document.

#include "PrivateCups.h"

#include "report/RP_Prntr.h"
#include "report/RpQtPrinters.h"

#include <QPainter>
#include <QPrinter>

#include <gtest/gtest.h>

using namespace report;

namespace {

#define REQUIRE_PRIVATE_CUPS(cups)                                                          \
    if (!(cups).Available())                                                                \
        GTEST_SKIP() << "no private print server on this machine: "                        \
                     << (cups).Reason().toStdString()

} // namespace

TEST(QtPrinters, ThePrinterModelListsTheQueue)
{
    const PrivateCups cups;
    REQUIRE_PRIVATE_CUPS(cups);
    TrpQtPrinters system;
    TrpPrinter printer;
    printer.AttachPrinter(&system);
    const int queue = printer.IndexOf(PrivateCups::kQueue);
    ASSERT_GE(queue, 0);
    EXPECT_EQ(printer.Printers().back(), "Virtual printer");
    printer.SelectByIndex(queue);
    ASSERT_EQ(printer.PrinterIndex(), queue) << "the queue's settings read";

    printer.ApplyPageSettings(kPaperA4, 0, 0, true, 0, -1);
    EXPECT_EQ(printer.PaperSize, kPaperA4);
    EXPECT_NEAR(printer.PaperWidth, 2100, 1);
    EXPECT_NEAR(printer.PaperHeight, 2970, 1);
    TrpPageInfo info;
    printer.GetPageMetrics(info);
    EXPECT_NEAR(info.SheetWidth, 758, 1);
    EXPECT_NEAR(info.SheetHeight, 1071, 1);
    EXPECT_LE(info.OffsetX + info.PrintableWidth, info.SheetWidth);

    printer.ApplyPageSettings(kPaperA4, 0, 0, false, 1, -1);
    EXPECT_EQ(printer.Orientation, 1);
    EXPECT_GT(printer.PaperWidth, printer.PaperHeight);
    // Bins the system does not report: the default bin only.
    EXPECT_EQ(printer.BinCodes(), std::vector<std::int16_t>{-1});
}

TEST(QtPrinters, TheEnginesPrinterModelTakesTheSystemsPrinters)
{
    const PrivateCups cups;
    REQUIRE_PRIVATE_CUPS(cups);
    AttachSystemPrinters();
    AttachSystemPrinters();
    EXPECT_GE(EnginePrinter().IndexOf(PrivateCups::kQueue), 0);
    EXPECT_EQ(EnginePrinter().Printers().back(), "Virtual printer");
    EXPECT_NE(dynamic_cast<TrpQtPrinters*>(EnginePrinter().Platform()), nullptr);
}

TEST(QtPrinters, APagePrintedToTheQueueComesBack)
{
    const PrivateCups cups;
    REQUIRE_PRIVATE_CUPS(cups);
    TrpQtPrinters system;
    TrpPrinter printer;
    printer.AttachPrinter(&system);
    printer.SelectByIndex(printer.IndexOf(PrivateCups::kQueue));
    printer.ApplyPageSettings(kPaperA4, 0, 0, true, 0, -1);

    const QStringList before = cups.Jobs();
    QPrinter& device = system.Printer();
    device.setDocName("Quellvane test page");
    {
        QPainter painter;
        ASSERT_TRUE(painter.begin(&device));
        painter.setFont(QFont("Liberation Sans", 12));
        painter.drawText(QPointF(200, 400), "Application on WKS-DEMO");
        painter.drawText(QPointF(200, 800), "Page 1 of 2");
        device.newPage();
        painter.drawText(QPointF(200, 800), "Page 2 of 2");
        painter.end();
    }
    const QString job = cups.WaitForNewJob(before);
    ASSERT_FALSE(job.isEmpty()) << "no job captured";
    EXPECT_EQ(PrivateCups::PdfPageCount(job), 2);
    const QString text = PrivateCups::PdfText(job);
    EXPECT_TRUE(text.contains("Application on WKS-DEMO")) << text.toStdString();
    EXPECT_LT(text.indexOf("Page 1 of 2"), text.indexOf("Page 2 of 2"));
}
