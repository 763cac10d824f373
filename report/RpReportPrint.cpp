// Printing a report's prepared pages through Qt's print support: the print
// dialog, page ranges, copies and collation, odd and even pages, a new job
// for a page of another paper, and the choice of printer.

#include "RpReport.h"

#include "RP_PrDlg.h"
#include "RP_View.h"
#include "RpGlobals.h"
#include "RpLocale.h"
#include "RpPageRange.h"
#include "RpQtPrinters.h"
#include "ValueText.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QRadioButton>

#include <algorithm>
#include <cmath>

namespace report {

namespace {

constexpr int kErrorCaption = 55206;
constexpr int kUntitledText = 55209;
constexpr int kPrinterNotValidText = 55210;

// The paper of a prepared page as Qt lays it out.
QPageLayout PageLayoutOf(const TrpEMFPage& record)
{
    const QPageSize::PageSizeId id =
        record.PaperSize != kPaperCustom ? QPageSize::id(record.PaperSize) : QPageSize::Custom;
    QPageSize size = id != QPageSize::Custom ? QPageSize(id) : QPageSize();
    if (!size.isValid()) {
        // The record keeps the portrait size in tenths of a millimetre.
        const std::int32_t width = record.Orientation == 1 ? record.Height : record.Width;
        const std::int32_t height = record.Orientation == 1 ? record.Width : record.Height;
        size = QPageSize(QSizeF(std::max(1, width) / 10.0, std::max(1, height) / 10.0), QPageSize::Millimeter);
    }
    return QPageLayout(size, record.Orientation == 1 ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF());
}

// A printer that fails raises its name with what went wrong.
[[noreturn]] void PrinterError(const QPrinter& device, const char* what)
{
    throw Exception("The printer \"" + device.printerName().toStdString() + "\" " + what);
}

bool SamePaper(const QPrinter& device, const QPageLayout& layout)
{
    const QPageLayout current = device.pageLayout();
    return current.pageSize().isEquivalentTo(layout.pageSize()) && current.orientation() == layout.orientation();
}

// Where a prepared page goes on the device: the whole sheet when the page
// keeps its own margins, else the printable area less the page's margins
// (each margin scaled from the printable extent in report pixels to the
// one in device pixels).
QRect PageRect(const QPrinter& device, const TrpEMFPage& record)
{
    const int resolution = device.resolution();
    QPageLayout layout = device.pageLayout();
    const QRect full = layout.fullRectPixels(resolution);
    if (record.UseMargins != 0)
        return QRect(0, 0, full.width(), full.height());
    layout.setMargins(layout.minimumMargins());
    const QRect printable = layout.paintRectPixels(resolution);
    const TrpPageInfo& info = record.PageInfo;
    const double kx = info.PrintableWidth > 0 ? double(printable.width()) / info.PrintableWidth : 0;
    const double ky = info.PrintableHeight > 0 ? double(printable.height()) / info.PrintableHeight : 0;
    const int left = printable.left() + RoundToInt(record.MarginLeft * kx);
    const int top = printable.top() + RoundToInt(record.MarginTop * ky);
    const int right = printable.left() + printable.width() - RoundToInt(record.MarginRight * kx);
    const int bottom = printable.top() + printable.height() - RoundToInt(record.MarginBottom * ky);
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

} // namespace

// ---- the print dialog ------------------------------------------------------------

bool TrpReport::PrintWithDialog()
{
    // A report shown in an embedded preview prints through it.
    if (Preview != nullptr) {
        Preview->Print();
        return true;
    }
    TrpPrinter& printer = PrinterModel();
    if (PrintDevice == nullptr && printer.Printers().size() <= 1)
        return false;  // the virtual printer alone prints nowhere
    TrpPrintForm dialog(printer);
    dialog.RB2->setEnabled(false);
    dialog.E1->setText(QString::number(DefaultCopies));
    dialog.CollateCB->setChecked(DefaultCollate);
    if (ShowPrintDialog) {
        const bool accepted = OnPrintDialog ? OnPrintDialog(dialog) : dialog.exec() == QDialog::Accepted;
        if (!accepted)
            return false;
    }
    const std::string range = dialog.RB1->isChecked() ? std::string() : dialog.PageRangeText().toStdString();
    PrintPrepared(range, dialog.Copies(), dialog.Collate(), static_cast<int>(dialog.PrintMode()));
    return true;
}

// ---- printing the pages ------------------------------------------------------------

void TrpReport::PrintPrepared(const std::string& pageRange, int copies, bool collate, int printMode)
{
    TrpPageRange::Parse(pageRange);  // a range that does not read begins no job
    TrpRunState& state = RunState();
    state.Report = this;
    state.PagesReport = this;
    MakeCurrent();
    Terminated = false;
    PrintParams = {pageRange, copies, collate, printMode};
    const PagesFromPreview lent(*this);
    // A failure of the printer comes out of the progress window raised.
    RunWithProgress(kPrintingPageText, false, [this] {
        PrintPages(PrintParams.PageRange, PrintParams.Copies, PrintParams.Collate, PrintParams.Mode);
    });
}

void TrpReport::PrintPages(const std::string& pageRange, int copies, bool collate, int printMode)
{
    const TrpPageRange range = TrpPageRange::Parse(pageRange);
    if (copies <= 0)
        copies = 1;
    const TrpPrintMode mode = static_cast<TrpPrintMode>(std::clamp(printMode, 0, 2));
    // A range that admits no page prints nothing: no empty job is begun.
    if (range.CountAdmitted(static_cast<std::int64_t>(EMFPages->Count()), mode) == 0)
        return;
    TrpPrinter& model = PrinterModel();
    QPrinter* device = PrintDevice;
    if (device == nullptr) {
        AttachSystemPrinters();
        auto* system = dynamic_cast<TrpQtPrinters*>(model.Platform());
        if (system == nullptr || model.IsVirtual())
            return;
        device = &system->Printer();
    }

    const TrpEMFPage& first = EMFPages->PageRecord(0);
    device->setFullPage(true);
    device->setPageLayout(PageLayoutOf(first));
    const std::string untitled = LoadEngineString(kUntitledText);
    device->setDocName(QString::fromStdString(!Title.empty() ? Title : !untitled.empty() ? untitled : "Untitled"));
    if (OnPrintReport)
        OnPrintReport();
    const bool deviceCopies = !collate && device->supportsMultipleCopies();
    device->setCollateCopies(false);
    device->setCopyCount(deviceCopies ? copies : 1);

    QPainter painter;
    if (!painter.begin(device))
        PrinterError(*device, "cannot print");
    // Whatever ends the job, the device is free again afterwards.
    struct JobEnd {
        QPainter& painter;
        QPrinter& device;
        bool done = false;
        ~JobEnd()
        {
            if (done)
                return;
            device.abort();
            if (painter.isActive())
                painter.end();
        }
    } jobEnd{painter, *device};

    bool firstPage = true;
    const auto print = [&](std::size_t index) {
        if (!range.Admits(static_cast<std::int64_t>(index) + 1, mode))
            return true;
        PrintOnePage(*device, painter, index, firstPage);
        if (Terminated) {
            device->abort();
            return false;
        }
        return true;
    };
    const std::size_t count = EMFPages->Count();
    bool going = true;
    if (collate) {
        for (int copy = 0; copy < copies && going; ++copy)
            for (std::size_t i = 0; i < count && going; ++i)
                going = print(i);
    } else {
        for (std::size_t i = 0; i < count && going; ++i)
            for (int copy = 0; copy < (deviceCopies ? 1 : copies) && going; ++copy)
                going = print(i);
    }
    if (going && painter.isActive() && !painter.end())
        PrinterError(*device, "failed");
    jobEnd.done = true;
    if (device->printerState() == QPrinter::Error)
        PrinterError(*device, "failed");
}

void TrpReport::PrintOnePage(QPrinter& device, QPainter& painter, std::size_t index, bool& first)
{
    TrpEMFPage& record = EMFPages->PageRecord(index);
    const QPageLayout layout = PageLayoutOf(record);
    if (SamePaper(device, layout)) {
        if (!first && !device.newPage())
            PrinterError(device, "failed");
    } else {
        // Another paper: this job ends, one on the new paper begins.
        if (painter.isActive() && !painter.end())
            PrinterError(device, "failed");
        device.setPageLayout(layout);
        if (!painter.begin(&device))
            PrinterError(device, "cannot print");
    }
    if (device.printerState() == QPrinter::Error)
        PrinterError(device, "failed");
    record.Visible = true;
    EMFPages->PaintPage(index, painter, PageRect(device, record));
    record.Visible = false;
    EMFPages->PaintPage(index, painter, QRect());
    first = false;
    ReportProgress(static_cast<int>(index) + 1);
}

// ---- the printer -------------------------------------------------------------------

bool TrpReport::SelectPrinter(int oldIndex, int newIndex)
{
    TrpPrinter& printer = PrinterModel();
    const auto layOut = [&] {
        printer.PaperSize = -1;
        for (std::size_t i = 0; i < Pages.Count(); ++i) {
            TrpPage& page = Pages.Page(i);
            page.ApplyPaper(page.PaperSize, page.Bin, page.PaperWidth, page.PaperHeight, page.Orientation);
        }
    };
    try {
        // A printer that cannot be selected gives way to the virtual one:
        // that is a refusal too.
        printer.SelectByIndex(newIndex);
        if (printer.PrinterIndex() != newIndex)
            throw Exception("printer " + std::to_string(newIndex) + " cannot be selected");
        PrinterName = printer.PrinterName();
        layOut();
        return true;
    } catch (const std::exception&) {
        EngineGlobals().Questions->MessageBox(LoadEngineString(kPrinterNotValidText), LoadEngineString(kErrorCaption),
                                              MessageBoxFlag::IconError);
        try {
            printer.SelectByIndex(oldIndex);
        } catch (const std::exception&) {
            printer.SelectByIndex(printer.VirtualIndex());
        }
        PrinterName = printer.PrinterName();
        layOut();
        return false;
    }
}

} // namespace report
