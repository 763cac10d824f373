// The printer model: the paper table, the virtual printer's page geometry,
// and a system printer's settings read and written through a test double
// of the system's printers.

#include "report/RP_Prntr.h"

#include "report/Exceptions.h"

#include <gtest/gtest.h>

#include <limits>

using namespace report;

namespace {

// Two system printers; the first reports 600 dpi, A4, a few papers.
struct FakePrinters : TrpPlatformPrinters {
    std::vector<std::string> names{"Office", "Plotter"};
    int current = 0;
    bool printing = false;
    bool hasSettings = true;
    bool refuseSelect = false;
    std::int32_t refusedPaper = -1;
    TrpDeviceSettings settings;
    int setCount = 0;

    std::vector<std::string> PrinterNames() override { return names; }
    int CurrentIndex() override { return current; }
    void Select(int index) override
    {
        if (refuseSelect)
            throw Exception("gone");
        current = index;
    }
    bool IsPrinting() const override { return printing; }
    bool GetSettings(TrpDeviceSettings& out) override
    {
        out = settings;
        return hasSettings;
    }
    void SetSettings(const TrpDeviceSettings& in) override
    {
        if (in.PaperSize == refusedPaper && !in.HasPaperWidth)
            throw Exception("paper refused");
        settings = in;
        ++setCount;
    }
    TrpDeviceCaps Caps() override
    {
        // A4 at 600 dpi: 4961 x 7016 device pixels, 100 pixels unprintable
        // at the left and top; letter size when the settings say so.
        TrpDeviceCaps caps{600, 600, 4961, 7016, 100, 120, 4761, 6776};
        if (settings.PaperSize == 1)
            caps = {600, 600, 5100, 6600, 100, 120, 4900, 6360};
        if (settings.Orientation == 2) {
            std::swap(caps.PhysicalWidth, caps.PhysicalHeight);
            std::swap(caps.PrintableWidth, caps.PrintableHeight);
        }
        return caps;
    }
    std::vector<TrpPaperChoice> Papers() override { return {{9, "A4"}, {1, "Letter"}}; }
    std::vector<TrpPaperChoice> Bins() override { return {}; }
};

} // namespace

TEST(PaperTable, RowsAsTheTableGivesThem)
{
    const auto& table = PaperTable();
    ASSERT_EQ(table.size(), 67u);
    EXPECT_EQ(table.front().Code, 1);
    EXPECT_EQ(table.back().Code, 256);
    EXPECT_EQ(FindPaperSize(48), nullptr);
    EXPECT_EQ(FindPaperSize(49), nullptr);
    struct Row {
        std::int32_t code, width, height;
    };
    for (const Row& row : {Row{1, 2159, 2794}, Row{4, 4318, 2794}, Row{9, 2100, 2970}, Row{26, 8636, 11176},
                           Row{35, 1760, 1250}, Row{47, 2200, 2200}, Row{50, 2355, 3048}, Row{66, 4200, 5940},
                           Row{68, 3220, 4450}, Row{256, 0, 0}}) {
        const TrpPaperSize* paper = FindPaperSize(row.code);
        ASSERT_NE(paper, nullptr) << row.code;
        EXPECT_EQ(paper->Width, row.width) << row.code;
        EXPECT_EQ(paper->Height, row.height) << row.code;
    }
}

TEST(PaperTable, TenthsAsReportPixels)
{
    struct Case {
        std::int32_t tenths, pixels;
    };
    // 93 / 1.015 pixels to the inch: A4's 2100 x 2970 are 757.53 x 1071.37.
    for (const Case& c : {Case{2100, 758}, Case{2970, 1071}, Case{254, 92}, Case{0, 0}, Case{2159, 779},
                          Case{2794, 1008}})
        EXPECT_EQ(TenthsToReportPixels(c.tenths), c.pixels) << c.tenths;
}

TEST(VirtualPrinter, IsTheOnlyPrinterWithoutSystemPrinters)
{
    TrpPrinter printer;
    ASSERT_EQ(printer.Printers().size(), 1u);
    EXPECT_EQ(printer.Printers()[0], "Virtual printer");
    EXPECT_TRUE(printer.IsVirtual());
    EXPECT_EQ(printer.PaperSize, 9);
    EXPECT_EQ(printer.PaperCodes().size(), 67u);
    EXPECT_EQ(printer.PaperNames().size(), 67u);
    EXPECT_EQ(printer.PaperNames()[8], "A4");
    ASSERT_EQ(printer.BinCodes().size(), 1u);
    EXPECT_EQ(printer.BinCodes()[0], -1);
}

TEST(VirtualPrinter, PageMetricsOfA4)
{
    TrpPrinter printer;
    TrpPageInfo info;
    printer.GetPageMetrics(info);
    EXPECT_EQ(info.SheetWidth, 758);
    EXPECT_EQ(info.SheetHeight, 1071);
    EXPECT_EQ(info.OffsetX, 18);
    EXPECT_EQ(info.OffsetY, 18);
    EXPECT_EQ(info.PrintableWidth, 722);
    EXPECT_EQ(info.PrintableHeight, 1035);
}

TEST(VirtualPrinter, PaperSettings)
{
    struct Case {
        const char* what;
        std::int32_t size, width, height;
        std::uint8_t orientation;
        std::int32_t wantWidth, wantHeight;
    };
    for (const Case& c : {
             Case{"A4 landscape swaps the sides", 9, 0, 0, 1, 2970, 2100},
             Case{"letter takes the table's size", 1, 0, 0, 0, 2159, 2794},
             Case{"custom keeps the size given", 256, 1234, 567, 0, 1234, 567},
             Case{"a code not in the table keeps the size given", 48, 1500, 1600, 0, 1500, 1600},
         }) {
        TrpPrinter printer;
        printer.ApplyPageSettings(c.size, c.width, c.height, false, c.orientation, -1);
        EXPECT_EQ(printer.PaperSize, c.size) << c.what;
        EXPECT_EQ(printer.PaperWidth, c.wantWidth) << c.what;
        EXPECT_EQ(printer.PaperHeight, c.wantHeight) << c.what;
        EXPECT_EQ(printer.Orientation, c.orientation) << c.what;
    }
}

TEST(VirtualPrinter, SameSettings)
{
    TrpPrinter printer;
    printer.ApplyPageSettings(256, 1000, 2000, false, 0, -1);
    EXPECT_TRUE(printer.SameSettings(256, 1001, 1999, 0, 5));
    EXPECT_FALSE(printer.SameSettings(256, 1002, 2000, 0, -1));
    EXPECT_FALSE(printer.SameSettings(256, 1000, 2000, 1, -1));
    // Sizes from a damaged file compare without overflowing.
    EXPECT_FALSE(printer.SameSettings(256, std::numeric_limits<std::int32_t>::min(), 2000, 0, -1));
    EXPECT_FALSE(printer.SameSettings(256, 1001, std::numeric_limits<std::int32_t>::min(), 0, -1));
    printer.ApplyPageSettings(9, 0, 0, false, 0, -1);
    EXPECT_TRUE(printer.SameSettings(9, 1, 1, 0, -1));
    EXPECT_FALSE(printer.SameSettings(9, 0, 0, 0, 7));
    EXPECT_TRUE(printer.SameSettings(9, 0, 0, 0, 0xFFFF)) << "the default bin as templates store it";
    EXPECT_FALSE(printer.SameSettings(1, 0, 0, 0, -1));
}

TEST(SystemPrinter, AttachListsTheSystemsPrintersThenTheVirtualOne)
{
    FakePrinters system;
    system.current = 1;
    TrpPrinter printer;
    printer.AttachPrinter(&system);
    ASSERT_EQ(printer.Printers(), (std::vector<std::string>{"Office", "Plotter", "Virtual printer"}));
    EXPECT_EQ(printer.PrinterIndex(), 1);
    EXPECT_EQ(printer.VirtualIndex(), 2);
    EXPECT_EQ(printer.IndexOf("Virtual printer"), 2);
    // The device settings are read: A4 from 4961 x 7016 pixels at 600 dpi.
    EXPECT_EQ(printer.PaperSize, 9);
    EXPECT_EQ(printer.PaperWidth, 2100);
    EXPECT_EQ(printer.PaperHeight, 2970);
    EXPECT_EQ(printer.PaperCodes(), (std::vector<std::int16_t>{9, 1}));
    // Bins that the system does not report: the default bin only.
    EXPECT_EQ(printer.BinCodes(), (std::vector<std::int16_t>{-1}));
}

TEST(SystemPrinter, PageMetricsComeFromTheDevice)
{
    FakePrinters system;
    TrpPrinter printer;
    printer.AttachPrinter(&system);
    TrpPageInfo info;
    printer.GetPageMetrics(info);
    const double k = kReportPixelsPerInch / 600;
    EXPECT_EQ(info.PhysicalWidth, 4961);
    EXPECT_EQ(info.SheetWidth, static_cast<int>(4961 * k + 0.5));
    EXPECT_EQ(info.SheetHeight, static_cast<int>(7016 * k + 0.5));
    EXPECT_EQ(info.PhysicalOffsetX, 100);
    EXPECT_EQ(info.OffsetX, 15);  // 100 x 0.1527
    EXPECT_EQ(info.OffsetY, 18);  // 120 x 0.1527
    EXPECT_EQ(info.PrintableDeviceWidth, 4761);
    EXPECT_EQ(info.PrintableWidth, static_cast<int>(4761 * k + 0.5));
}

TEST(SystemPrinter, ApplyingWritesTheDeviceSettings)
{
    FakePrinters system;
    TrpPrinter printer;
    printer.AttachPrinter(&system);
    printer.ApplyPageSettings(1, 0, 0, false, 1, -1);
    EXPECT_EQ(system.settings.PaperSize, 1);
    EXPECT_EQ(system.settings.Orientation, 2);
    EXPECT_EQ(system.settings.Copies, 1);
    EXPECT_FALSE(system.settings.HasPaperWidth);
    // Read back from the device: letter, landscape.
    EXPECT_EQ(printer.PaperWidth, 2794);
    EXPECT_EQ(printer.PaperHeight, 2159);
    EXPECT_EQ(printer.Orientation, 1);

    printer.ApplyPageSettings(256, 1000, 1500, false, 0, -1);
    EXPECT_TRUE(system.settings.HasPaperWidth);
    EXPECT_EQ(system.settings.PaperWidth, 1000);
    EXPECT_EQ(system.settings.PaperLength, 1500);
}

TEST(SystemPrinter, NothingChangesWhilePrintingOrWhenTheSame)
{
    FakePrinters system;
    TrpPrinter printer;
    printer.AttachPrinter(&system);
    const int before = system.setCount;
    printer.ApplyPageSettings(9, 0, 0, false, 0, -1);
    EXPECT_EQ(system.setCount, before);
    system.printing = true;
    printer.ApplyPageSettings(1, 0, 0, true, 0, -1);
    EXPECT_EQ(system.setCount, before);
    EXPECT_EQ(printer.PaperSize, 9);
}

TEST(SystemPrinter, UnreadableSettingsFallBackToTheVirtualPrinter)
{
    FakePrinters system;
    system.hasSettings = false;
    TrpPrinter printer;
    printer.AttachPrinter(&system);
    EXPECT_TRUE(printer.IsVirtual());

    system.hasSettings = true;
    printer.SelectByIndex(1);
    EXPECT_EQ(printer.PrinterIndex(), 1);
    system.refuseSelect = true;
    printer.SelectByIndex(0);
    EXPECT_TRUE(printer.IsVirtual());
    EXPECT_EQ(printer.PaperCodes().size(), 67u);
}

TEST(SystemPrinter, ARefusedPaperRaises)
{
    FakePrinters system;
    system.refusedPaper = 5;
    TrpPrinter printer;
    printer.AttachPrinter(&system);
    EXPECT_THROW(printer.ApplyPageSettings(5, 0, 0, false, 0, -1), Exception);
}
