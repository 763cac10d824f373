#pragma once
// Three system printers, the second the current one, for the tests of the
// engine's print dialog and of printing from the preview.
#include "report/RP_Prntr.h"

#include <string>
#include <vector>

namespace report {

struct ThreePrinters : TrpPlatformPrinters {
    int current = 1;
    std::vector<std::string> PrinterNames() override { return {"Office", "Plotter", "Labels"}; }
    int CurrentIndex() override { return current; }
    void Select(int index) override { current = index; }
    bool IsPrinting() const override { return false; }
    bool GetSettings(TrpDeviceSettings& settings) override
    {
        settings = {};
        return true;
    }
    void SetSettings(const TrpDeviceSettings&) override {}
    TrpDeviceCaps Caps() override { return {300, 300, 2480, 3508, 50, 50, 2380, 3408}; }
    std::vector<TrpPaperChoice> Papers() override { return {{9, "A4"}}; }
    std::vector<TrpPaperChoice> Bins() override { return {}; }
};

} // namespace report
