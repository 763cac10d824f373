#pragma once
// The printer model: the selected printer, its papers and bins, the paper
// and orientation in force, and the page geometry in report pixels.
//
// Report pages are laid out in report pixels, 93 / 1.015 to the inch,
// whatever the screen or printer.  Paper sizes are tenths of a millimetre.
// The printers are the system's printers (TrpPlatformPrinters; the Qt
// print support's in RpQtPrinters.h) followed by the "Virtual printer",
// which needs no device and takes its papers from the fixed table below.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace report {

constexpr double kReportPixelsPerInch = 91.62561576354680426;  // 93 / 1.015

// Tenths of a millimetre as report pixels, rounded (halves to even).
std::int32_t TenthsToReportPixels(std::int32_t tenths);

// One row of the paper table: a platform paper code and the portrait size.
struct TrpPaperSize {
    std::int32_t Code;
    std::int32_t Width, Height;  // tenths of a millimetre
};

constexpr std::int32_t kPaperA4 = 9;
constexpr std::int32_t kPaperCustom = 256;
constexpr std::size_t kPaperTableRows = 67;

// The 67 rows in table order (codes 1-47, 50-68 and 256).
const std::array<TrpPaperSize, kPaperTableRows>& PaperTable();
// The row of a code; null when the table has none.
const TrpPaperSize* FindPaperSize(std::int32_t code);

// The page geometry for the paper in force.  Device values are in the
// printer's pixels; the others in report pixels.
struct TrpPageInfo {
    std::int32_t PhysicalWidth = 0, PhysicalHeight = 0;  // device
    std::int32_t SheetWidth = 0, SheetHeight = 0;        // the paper
    std::int32_t PhysicalOffsetX = 0, PhysicalOffsetY = 0;  // device
    std::int32_t OffsetX = 18, OffsetY = 18;                // printable offsets
    std::int32_t PrintableDeviceWidth = 0, PrintableDeviceHeight = 0;
    std::int32_t PrintableWidth = 0, PrintableHeight = 0;
};

// A printer's device settings, as much of them as the printer model
// reads and writes.  The Has... flags tell which fields the printer takes.
struct TrpDeviceSettings {
    bool HasPaperSize = true, HasOrientation = true, HasCopies = true, HasDefaultSource = false;
    bool HasPaperLength = false, HasPaperWidth = false;  // a custom size in force
    std::int32_t PaperSize = kPaperA4;
    std::int32_t PaperLength = 0, PaperWidth = 0;  // tenths of a millimetre
    std::int32_t Orientation = 1;                  // 1 portrait, 2 landscape
    std::int32_t Copies = 1;
    std::int32_t DefaultSource = -1;
};

// The device's page as the printer reports it for the settings in force.
struct TrpDeviceCaps {
    std::int32_t LogPixelsX = 0, LogPixelsY = 0;
    std::int32_t PhysicalWidth = 0, PhysicalHeight = 0;
    std::int32_t PhysicalOffsetX = 0, PhysicalOffsetY = 0;
    std::int32_t PrintableWidth = 0, PrintableHeight = 0;
};

struct TrpPaperChoice {
    std::int16_t Code = 0;
    std::string Name;
};

// The system's printers.  Operations that fail raise an exception.
class TrpPlatformPrinters {
public:
    virtual ~TrpPlatformPrinters() = default;
    virtual std::vector<std::string> PrinterNames() = 0;
    // The printer selected now (at first the system's default); -1 when
    // there are no printers.
    virtual int CurrentIndex() = 0;
    virtual void Select(int index) = 0;
    // A job is being printed: page settings must not change.
    virtual bool IsPrinting() const = 0;
    // False when the printer has no device settings.
    virtual bool GetSettings(TrpDeviceSettings& settings) = 0;
    virtual void SetSettings(const TrpDeviceSettings& settings) = 0;
    virtual TrpDeviceCaps Caps() = 0;
    virtual std::vector<TrpPaperChoice> Papers() = 0;
    // The bins that the system reports, without the default bin.
    virtual std::vector<TrpPaperChoice> Bins() = 0;
    // The printer's own settings dialog; true when the user accepted it
    // (the printer then holds the new settings).
    virtual bool ShowPropertiesDialog() { return false; }
};

class TrpPrinter {
public:
    static constexpr int kVirtualPrinterText = 55007;
    static constexpr int kFirstPaperText = 55008;
    static constexpr int kDefaultBinText = 55435;
    static constexpr std::int16_t kDefaultBin = -1;
    static constexpr std::size_t kMaxPapers = 256;

    // The virtual printer alone, A4 portrait.
    TrpPrinter();
    TrpPrinter(const TrpPrinter&) = delete;
    TrpPrinter& operator=(const TrpPrinter&) = delete;

    // The engine's numbered texts for the names (empty texts are replaced by
    // names of our own); without a source, the built-in English ones.
    void SetTextSource(std::function<std::string(int)> engineText);
    // Reloads the paper names and the virtual printer's name.
    void LoadPaperNames();

    // The system's printers (not owned; null: none) followed by the virtual
    // printer, the system's current printer selected.
    void AttachPrinter(TrpPlatformPrinters* platform);
    TrpPlatformPrinters* Platform() const { return platform_; }

    const std::vector<std::string>& Printers() const { return printers_; }
    int PrinterIndex() const { return printerIndex_; }
    int VirtualIndex() const { return static_cast<int>(printers_.size()) - 1; }
    bool IsVirtual() const { return printerIndex_ == VirtualIndex(); }
    const std::string& PrinterName() const { return printers_.at(static_cast<std::size_t>(printerIndex_)); }
    // -1 when no printer has that name.
    int IndexOf(const std::string& name) const;

    // Selects a printer of the list (also when it is already selected).  A
    // system printer whose settings cannot be read gives way to the
    // virtual printer.
    void SelectByIndex(int index);

    bool SameSettings(std::int32_t size, std::int32_t width, std::int32_t height, std::uint8_t orientation,
                      std::int32_t bin) const;
    // Stores and applies the paper, unless a job is printing or (not forced)
    // the settings are the same.  Raises what the printer raises.
    void ApplyPageSettings(std::int32_t size, std::int32_t width, std::int32_t height, bool force,
                           std::uint8_t orientation, std::int32_t bin);
    void GetPageMetrics(TrpPageInfo& info) const;
    // Re-reads the selected system printer's settings (after a settings
    // dialog changed them elsewhere).
    void ReadDeviceSettings();
    bool ShowPropertiesDialog();

    const std::vector<std::string>& PaperNames() const { return paperNames_; }
    const std::vector<std::int16_t>& PaperCodes() const { return paperCodes_; }
    // The first entry is the default bin (-1).
    const std::vector<std::string>& BinNames() const { return binNames_; }
    const std::vector<std::int16_t>& BinCodes() const { return binCodes_; }

    std::int32_t PaperSize = kPaperA4;
    std::int32_t PaperWidth = 2100, PaperHeight = 2970;  // tenths of a millimetre
    std::uint8_t Orientation = 0;                        // 0 portrait, 1 landscape
    std::int16_t Bin = kDefaultBin;

private:
    std::string Text(int id) const;
    void ApplyVirtualSettings();
    void ApplySettings();
    bool TryReadDeviceSettings();
    void ResetBins();

    std::function<std::string(int)> engineText_;
    TrpPlatformPrinters* platform_ = nullptr;
    std::vector<std::string> printers_;
    int printerIndex_ = 0;
    std::array<std::string, kPaperTableRows> tableNames_;
    std::vector<std::string> paperNames_;
    std::vector<std::int16_t> paperCodes_;
    std::vector<std::string> binNames_;
    std::vector<std::int16_t> binCodes_;
    TrpDeviceCaps caps_;
};

// The engine's one printer model, made on first use with the virtual
// printer alone.
TrpPrinter& EnginePrinter();

} // namespace report
