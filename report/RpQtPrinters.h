#pragma once
// The system's printers as Qt's print support lists them (CUPS on this
// platform), for the printer model.  Qt does not report a printer's paper
// bins, so only the default bin is offered.

#include "RP_Prntr.h"

#include <memory>

class QPrinter;

namespace report {

class TrpQtPrinters : public TrpPlatformPrinters {
public:
    TrpQtPrinters();
    ~TrpQtPrinters() override;

    std::vector<std::string> PrinterNames() override;
    int CurrentIndex() override { return current_; }
    void Select(int index) override;
    bool IsPrinting() const override;
    bool GetSettings(TrpDeviceSettings& settings) override;
    // Raises report::Exception for a paper code the system does not know.
    void SetSettings(const TrpDeviceSettings& settings) override;
    TrpDeviceCaps Caps() override;
    std::vector<TrpPaperChoice> Papers() override;
    std::vector<TrpPaperChoice> Bins() override { return {}; }
    // The page set-up dialog of the selected printer.
    bool ShowPropertiesDialog() override;

    // The device that prints the selected printer's jobs.
    QPrinter& Printer() { return *printer_; }

private:
    std::vector<std::string> names_;
    int current_ = -1;
    std::unique_ptr<QPrinter> printer_;
};

// Attaches the system's printers to the engine's printer model, once for the
// process (later calls change nothing); failures leave the virtual printer.
void AttachSystemPrinters();

} // namespace report
