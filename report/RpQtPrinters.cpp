#include "RpQtPrinters.h"

#include "Exceptions.h"

#include <QPageLayout>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QPrinterInfo>

namespace report {

TrpQtPrinters::TrpQtPrinters() : printer_(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
    const QStringList names = QPrinterInfo::availablePrinterNames();
    for (const QString& name : names)
        names_.push_back(name.toStdString());
    if (!names_.empty()) {
        current_ = std::max<int>(0, static_cast<int>(names.indexOf(QPrinterInfo::defaultPrinterName())));
        printer_->setPrinterName(names.at(current_));
    }
}

TrpQtPrinters::~TrpQtPrinters() = default;

std::vector<std::string> TrpQtPrinters::PrinterNames()
{
    return names_;
}

void TrpQtPrinters::Select(int index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= names_.size())
        throw Exception("there is no printer number " + std::to_string(index));
    printer_->setPrinterName(QString::fromStdString(names_[static_cast<std::size_t>(index)]));
    if (!printer_->isValid())
        throw Exception("printer " + names_[static_cast<std::size_t>(index)] + " is not available");
    current_ = index;
}

bool TrpQtPrinters::IsPrinting() const
{
    return printer_->printerState() == QPrinter::Active;
}

bool TrpQtPrinters::GetSettings(TrpDeviceSettings& settings)
{
    if (current_ < 0 || !printer_->isValid())
        return false;
    const QPageLayout layout = printer_->pageLayout();
    const QPageSize size = layout.pageSize();
    settings = {};
    settings.PaperSize = size.windowsId() != 0 ? size.windowsId() : kPaperCustom;
    if (settings.PaperSize == kPaperCustom) {
        const QSizeF mm = size.size(QPageSize::Millimeter);
        settings.HasPaperLength = settings.HasPaperWidth = true;
        settings.PaperWidth = static_cast<std::int32_t>(mm.width() * 10 + 0.5);
        settings.PaperLength = static_cast<std::int32_t>(mm.height() * 10 + 0.5);
    }
    settings.Orientation = layout.orientation() == QPageLayout::Landscape ? 2 : 1;
    settings.Copies = printer_->copyCount();
    return true;
}

void TrpQtPrinters::SetSettings(const TrpDeviceSettings& settings)
{
    QPageSize size;
    if (settings.HasPaperLength && settings.HasPaperWidth) {
        if (settings.PaperWidth <= 0 || settings.PaperLength <= 0)
            throw Exception("a custom paper needs a width and a height");
        size = QPageSize(QSizeF(settings.PaperWidth / 10.0, settings.PaperLength / 10.0), QPageSize::Millimeter);
    } else {
        const QPageSize::PageSizeId id = QPageSize::id(settings.PaperSize);
        if (id == QPageSize::Custom)
            throw Exception("paper " + std::to_string(settings.PaperSize) + " is not known");
        size = QPageSize(id);
    }
    if (!printer_->setPageSize(size))
        throw Exception("the printer refuses the paper " + size.name().toStdString());
    printer_->setPageOrientation(settings.Orientation == 2 ? QPageLayout::Landscape : QPageLayout::Portrait);
    printer_->setCopyCount(std::max(1, settings.Copies));
}

TrpDeviceCaps TrpQtPrinters::Caps()
{
    TrpDeviceCaps caps;
    const int resolution = printer_->resolution();
    caps.LogPixelsX = caps.LogPixelsY = resolution;
    QPageLayout layout = printer_->pageLayout();
    const QRect full = layout.fullRectPixels(resolution);
    layout.setMargins(layout.minimumMargins());
    const QRect printable = layout.paintRectPixels(resolution);
    caps.PhysicalWidth = full.width();
    caps.PhysicalHeight = full.height();
    caps.PhysicalOffsetX = printable.left();
    caps.PhysicalOffsetY = printable.top();
    caps.PrintableWidth = printable.width();
    caps.PrintableHeight = printable.height();
    return caps;
}

std::vector<TrpPaperChoice> TrpQtPrinters::Papers()
{
    std::vector<TrpPaperChoice> papers;
    for (const QPageSize& size : QPrinterInfo(*printer_).supportedPageSizes()) {
        const int code = size.windowsId();
        if (code > 0 && code <= 0x7FFF)
            papers.push_back({static_cast<std::int16_t>(code), size.name().toStdString()});
    }
    return papers;
}

void AttachSystemPrinters()
{
    static std::unique_ptr<TrpQtPrinters> system;
    if (system != nullptr)
        return;
    try {
        system = std::make_unique<TrpQtPrinters>();
        EnginePrinter().AttachPrinter(system.get());
    } catch (...) {
        EnginePrinter().AttachPrinter(nullptr);
    }
}

bool TrpQtPrinters::ShowPropertiesDialog()
{
    QPageSetupDialog dialog(printer_.get());
    return dialog.exec() == QDialog::Accepted;
}

} // namespace report
