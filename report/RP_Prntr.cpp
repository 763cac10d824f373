#include "RP_Prntr.h"

#include "ValueText.h"

#include <QPageSize>

#include <cstdlib>

namespace report {

namespace {

constexpr std::array<TrpPaperSize, kPaperTableRows> kPapers = {{
    {1, 2159, 2794},  {2, 2159, 2794},  {3, 2794, 4318},  {4, 4318, 2794},  {5, 2159, 3556},
    {6, 1397, 2159},  {7, 1842, 2667},  {8, 2970, 4200},  {9, 2100, 2970},  {10, 2100, 2970},
    {11, 1480, 2100}, {12, 2500, 3540}, {13, 1820, 2570}, {14, 2159, 3302}, {15, 2150, 2750},
    {16, 2540, 3556}, {17, 2794, 4318}, {18, 2159, 2794}, {19, 984, 2254},  {20, 1048, 2413},
    {21, 1143, 2635}, {22, 1207, 2794}, {23, 1270, 2921}, {24, 4318, 5588}, {25, 5588, 8636},
    {26, 8636, 11176}, {27, 1100, 2200}, {28, 1620, 2290}, {29, 3240, 4580}, {30, 2290, 3240},
    {31, 1140, 1620}, {32, 1140, 2290}, {33, 2500, 3530}, {34, 1760, 2500}, {35, 1760, 1250},
    {36, 1100, 2300}, {37, 984, 1905},  {38, 920, 1651},  {39, 3778, 2794}, {40, 2159, 3048},
    {41, 2159, 3302}, {42, 2500, 3530}, {43, 1000, 1480}, {44, 2286, 2794}, {45, 2540, 2794},
    {46, 3810, 2794}, {47, 2200, 2200}, {50, 2355, 3048}, {51, 2355, 3810}, {52, 2969, 4572},
    {53, 2354, 3223}, {54, 2101, 2794}, {55, 2100, 2970}, {56, 2355, 3048}, {57, 2270, 3560},
    {58, 3050, 4870}, {59, 2159, 3223}, {60, 2100, 3300}, {61, 1480, 2100}, {62, 1820, 2570},
    {63, 3220, 4450}, {64, 1740, 2350}, {65, 2010, 2760}, {66, 4200, 5940}, {67, 2970, 4200},
    {68, 3220, 4450}, {256, 0, 0},
}};

// Offsets of the virtual printer's printable area, report pixels.
constexpr std::int32_t kVirtualOffset = 18;

// The built-in texts of the numbered strings the printer model uses.
std::string BuiltInText(int id)
{
    return id == TrpPrinter::kVirtualPrinterText ? "Virtual printer" : std::string();
}

// A paper's display name when the engine's table has none: the name the
// system gives that paper code.
std::string OwnPaperName(std::int32_t code)
{
    if (code == kPaperCustom)
        return "Custom";
    const QPageSize::PageSizeId id = QPageSize::id(code);
    if (id == QPageSize::Custom)
        return "Paper " + std::to_string(code);
    return QPageSize::name(id).toStdString();
}

} // namespace

std::int32_t TenthsToReportPixels(std::int32_t tenths)
{
    return RoundToInt(tenths * kReportPixelsPerInch / 254.0);
}

const std::array<TrpPaperSize, kPaperTableRows>& PaperTable()
{
    return kPapers;
}

const TrpPaperSize* FindPaperSize(std::int32_t code)
{
    for (const TrpPaperSize& paper : kPapers)
        if (paper.Code == code)
            return &paper;
    return nullptr;
}

TrpPrinter& EnginePrinter()
{
    static TrpPrinter printer;
    return printer;
}

TrpPrinter::TrpPrinter()
{
    LoadPaperNames();
    AttachPrinter(nullptr);
}

void TrpPrinter::SetTextSource(std::function<std::string(int)> engineText)
{
    engineText_ = std::move(engineText);
    LoadPaperNames();
}

std::string TrpPrinter::Text(int id) const
{
    return engineText_ ? engineText_(id) : BuiltInText(id);
}

void TrpPrinter::LoadPaperNames()
{
    for (std::size_t row = 0; row < kPaperTableRows; ++row) {
        std::string name = Text(kFirstPaperText + static_cast<int>(row));
        tableNames_[row] = name.empty() ? OwnPaperName(kPapers[row].Code) : std::move(name);
    }
    if (!printers_.empty())
        printers_.back() = Text(kVirtualPrinterText);
    if (!paperCodes_.empty() && IsVirtual())
        paperNames_.assign(tableNames_.begin(), tableNames_.end());
    if (!binNames_.empty()) {
        std::string name = Text(kDefaultBinText);
        binNames_.front() = name.empty() ? "Default" : name;
    }
}

void TrpPrinter::ResetBins()
{
    std::string name = Text(kDefaultBinText);
    binNames_.assign(1, name.empty() ? "Default" : name);
    binCodes_.assign(1, kDefaultBin);
}

void TrpPrinter::AttachPrinter(TrpPlatformPrinters* platform)
{
    platform_ = platform;
    printers_.clear();
    printerIndex_ = -1;
    if (platform_ != nullptr) {
        try {
            printers_ = platform_->PrinterNames();
            printerIndex_ = platform_->CurrentIndex();
        } catch (...) {
            printers_.clear();
        }
    }
    printers_.push_back(Text(kVirtualPrinterText));
    if (printerIndex_ < 0 || printerIndex_ >= VirtualIndex())
        printerIndex_ = VirtualIndex();
    if (IsVirtual())
        ApplyVirtualSettings();
    else if (!TryReadDeviceSettings())
        SelectByIndex(VirtualIndex());
}

int TrpPrinter::IndexOf(const std::string& name) const
{
    for (std::size_t i = 0; i < printers_.size(); ++i)
        if (printers_[i] == name)
            return static_cast<int>(i);
    return -1;
}

void TrpPrinter::SelectByIndex(int index)
{
    if (index < 0 || index > VirtualIndex())
        return;
    printerIndex_ = index;
    if (IsVirtual()) {
        ApplyVirtualSettings();
        return;
    }
    bool selected = false;
    try {
        platform_->Select(index);
        selected = true;
    } catch (...) {
    }
    if (!selected || !TryReadDeviceSettings()) {
        printerIndex_ = VirtualIndex();
        ApplyVirtualSettings();
    }
}

bool TrpPrinter::SameSettings(std::int32_t size, std::int32_t width, std::int32_t height, std::uint8_t orientation,
                              std::int32_t bin) const
{
    if (size != PaperSize)
        return false;
    if (size == kPaperCustom)
        // Sizes come from stored files: compare in 64 bits so no difference overflows.
        return std::abs(std::int64_t{width} - PaperWidth) <= 1 && std::abs(std::int64_t{height} - PaperHeight) <= 1 &&
               orientation == Orientation;
    // Bins are 16-bit codes: 0xFFFF is the default bin, -1.
    const auto code = static_cast<std::int16_t>(bin);
    return orientation == Orientation && (code == Bin || code == kDefaultBin);
}

void TrpPrinter::ApplyPageSettings(std::int32_t size, std::int32_t width, std::int32_t height, bool force,
                                   std::uint8_t orientation, std::int32_t bin)
{
    if (!IsVirtual() && platform_ != nullptr && platform_->IsPrinting())
        return;
    if (!force && SameSettings(size, width, height, orientation, bin))
        return;
    PaperSize = size;
    PaperWidth = width;
    PaperHeight = height;
    Orientation = orientation;
    Bin = static_cast<std::int16_t>(bin);
    ApplySettings();
}

void TrpPrinter::ApplySettings()
{
    if (IsVirtual()) {
        ApplyVirtualSettings();
        return;
    }
    TrpDeviceSettings settings;
    if (!platform_->GetSettings(settings)) {
        SelectByIndex(VirtualIndex());
        return;
    }
    const bool custom = PaperSize == kPaperCustom;
    settings.HasPaperLength = settings.HasPaperWidth = custom;
    if (custom) {
        settings.PaperLength = PaperHeight;
        settings.PaperWidth = PaperWidth;
    }
    if (settings.HasPaperSize)
        settings.PaperSize = PaperSize;
    if (settings.HasOrientation)
        settings.Orientation = Orientation == 1 ? 2 : 1;
    if (settings.HasCopies)
        settings.Copies = 1;
    if (settings.HasDefaultSource && Bin != kDefaultBin)
        settings.DefaultSource = Bin;
    platform_->SetSettings(settings);
    if (!TryReadDeviceSettings())
        SelectByIndex(VirtualIndex());
}

void TrpPrinter::ApplyVirtualSettings()
{
    paperNames_.assign(tableNames_.begin(), tableNames_.end());
    paperCodes_.clear();
    for (const TrpPaperSize& paper : kPapers)
        paperCodes_.push_back(static_cast<std::int16_t>(paper.Code));
    ResetBins();
    caps_ = {};
    if (PaperSize == kPaperCustom)
        return;
    if (const TrpPaperSize* paper = FindPaperSize(PaperSize)) {
        PaperWidth = Orientation == 1 ? paper->Height : paper->Width;
        PaperHeight = Orientation == 1 ? paper->Width : paper->Height;
    }
}

void TrpPrinter::ReadDeviceSettings()
{
    if (!IsVirtual() && !TryReadDeviceSettings())
        SelectByIndex(VirtualIndex());
}

bool TrpPrinter::TryReadDeviceSettings()
{
    try {
        TrpDeviceSettings settings;
        if (platform_ == nullptr || !platform_->GetSettings(settings))
            return false;
        const TrpDeviceCaps caps = platform_->Caps();
        if (caps.LogPixelsX <= 0 || caps.LogPixelsY <= 0)
            return false;
        PaperSize = settings.PaperSize;
        PaperWidth = RoundToInt(double(caps.PhysicalWidth) / caps.LogPixelsX * 254);
        PaperHeight = RoundToInt(double(caps.PhysicalHeight) / caps.LogPixelsY * 254);
        paperCodes_.clear();
        paperNames_.clear();
        for (const TrpPaperChoice& paper : platform_->Papers()) {
            if (paperCodes_.size() == kMaxPapers)
                break;
            paperCodes_.push_back(paper.Code);
            paperNames_.push_back(paper.Name.substr(0, 64));
        }
        Bin = static_cast<std::int16_t>(settings.DefaultSource);
        ResetBins();
        for (const TrpPaperChoice& bin : platform_->Bins()) {
            if (binCodes_.size() == kMaxPapers)
                break;
            binCodes_.push_back(bin.Code);
            binNames_.push_back(bin.Name.substr(0, 24));
        }
        Orientation = settings.Orientation == 1 ? 0 : 1;
        caps_ = caps;
        return true;
    } catch (...) {
        return false;
    }
}

void TrpPrinter::GetPageMetrics(TrpPageInfo& info) const
{
    if (IsVirtual()) {
        info = {};
        info.SheetWidth = TenthsToReportPixels(PaperWidth);
        info.SheetHeight = TenthsToReportPixels(PaperHeight);
        info.OffsetX = info.OffsetY = kVirtualOffset;
        info.PrintableWidth = info.SheetWidth - 2 * kVirtualOffset;
        info.PrintableHeight = info.SheetHeight - 2 * kVirtualOffset;
        return;
    }
    const double kx = kReportPixelsPerInch / caps_.LogPixelsX;
    const double ky = kReportPixelsPerInch / caps_.LogPixelsY;
    info.PhysicalWidth = caps_.PhysicalWidth;
    info.PhysicalHeight = caps_.PhysicalHeight;
    info.SheetWidth = RoundToInt(caps_.PhysicalWidth * kx);
    info.SheetHeight = RoundToInt(caps_.PhysicalHeight * ky);
    info.PhysicalOffsetX = caps_.PhysicalOffsetX;
    info.PhysicalOffsetY = caps_.PhysicalOffsetY;
    info.OffsetX = RoundToInt(caps_.PhysicalOffsetX * kx);
    info.OffsetY = RoundToInt(caps_.PhysicalOffsetY * ky);
    info.PrintableDeviceWidth = caps_.PrintableWidth;
    info.PrintableDeviceHeight = caps_.PrintableHeight;
    info.PrintableWidth = RoundToInt(caps_.PrintableWidth * kx);
    info.PrintableHeight = RoundToInt(caps_.PrintableHeight * ky);
}

bool TrpPrinter::ShowPropertiesDialog()
{
    if (IsVirtual() || platform_ == nullptr)
        return false;
    bool accepted = false;
    try {
        accepted = platform_->ShowPropertiesDialog();
    } catch (...) {
        accepted = false;
    }
    if (accepted)
        ReadDeviceSettings();
    return accepted;
}

} // namespace report
