#include "MainReportTemplate.h"

#include "report/RpBandView.h"
#include "report/RpMemoView.h"
#include "report/RpTemplateStream.h"

#include <array>
#include <memory>

using namespace report;

namespace {

// The columns from left to right: header text, value and width in report
// pixels.  Together they fill the printable width of A4 (720 pixels from
// the left limit of 18).  Each column is as wide as the widest of its
// texts in Tahoma 8 with the text's gaps (2 x 2 pixels): the event types
// ("Audit Success"); the dates and times of the C, US English, British
// English and German locales ("10 May 2024", "12:00:00 AM"); "65535";
// sources, categories, accounts and computers such as "Service Control
// Manager", "Account Management", "NT AUTHORITY\NETWORK SERVICE" and
// "WKS-DEMO".  Texts keep to one line (no word wrap) in a row band of
// fixed height: a longer one is cut at its column's edge rather than
// printed over the next row.
struct Column {
    const char* header;
    const char* value;
    std::int32_t width;
};
constexpr std::array<Column, 8> kColumns = {{
    {"Type", "[Type]", 71},
    {"Date", "[Date]", 67},
    {"Time", "[Time]", 67},
    {"Event", "[Event]", 36},
    {"Source", "[Source]", 124},
    {"Category", "[Category]", 110},
    {"Domain\\User", "[User]", 183},
    {"Computer", "[Computer]", 62},
}};

constexpr std::int32_t kLeft = 18;
constexpr std::int32_t kWidth = 720;

// The character set the texts were designed in; the main window sets the
// title and the columns to the default set when it starts.
constexpr std::uint16_t kDesignCharset = 0;

// Two decimals, the point as decimal separator.
constexpr std::int32_t kDisplayFormat = 0x200 + '.';

void AddBand(TrpPage& page, TrpBandType type, const char* name, std::int32_t top, std::int32_t height,
             const char* dataSource = "")
{
    auto band = std::make_unique<TrpBandView>();
    band->SetBandType(static_cast<int>(type));
    band->Name = name;
    band->Left = kLeft;
    band->Top = top;
    band->Width = kWidth;
    band->Height = height;
    band->FormatString = dataSource;
    page.AddObject(std::move(band));
}

struct TextPlace {
    std::int32_t left, top, width, height;
};

TrpMemoView& AddText(TrpPage& page, int number, const std::string& text, TextPlace place, std::int32_t size,
                     bool bold)
{
    auto memo = std::make_unique<TrpMemoView>();
    memo->Name = "Memo" + std::to_string(number);
    memo->Memo = {text};
    memo->Left = place.left;
    memo->Top = place.top;
    memo->Width = place.width;
    memo->Height = place.height;
    memo->Font.Name = "Tahoma";
    memo->Font.Size = size;
    memo->Font.Style.bold = bold;
    memo->Font.Charset = kDesignCharset;
    memo->DisplayFormat = kDisplayFormat;
    return static_cast<TrpMemoView&>(*page.AddObject(std::move(memo)));
}

// A column's text: one line, without word wrap.
void OneLine(TrpMemoView& memo)
{
    memo.Flags = static_cast<std::uint16_t>(memo.Flags & ~MemoFlag::WordWrap);
}

} // namespace

void BuildMainReportTemplate(TrpReportTemplate& reportTemplate)
{
    reportTemplate.Clear();
    // The printer of the user's choice: nothing is selected on load.
    reportTemplate.KeepDefaultPrinter = 0;
    reportTemplate.PrinterName.clear();
    // "Page k of n" needs the page count of a first pass.
    reportTemplate.DoublePassReport = -1;

    TrpPage& page = reportTemplate.Pages.Add();
    page.Name = "Page1";

    // Bands, each holding the texts whose top lies inside it.
    AddBand(page, TrpBandType::ReportTitle, "ReportTitle1", 20, 34);
    AddBand(page, TrpBandType::PageHeader, "PageHeader1", 70, 20);
    AddBand(page, TrpBandType::MasterData, "MasterData1", 106, 16, "dsCommon");
    AddBand(page, TrpBandType::PageFooter, "PageFooter1", 138, 22);

    AddText(page, 1, "[EventLogTitle]", {kLeft, 24, kWidth, 22}, 12, true);
    std::int32_t x = kLeft;
    for (std::size_t c = 0; c < kColumns.size(); ++c) {
        OneLine(AddText(page, static_cast<int>(c) + 2, kColumns[c].header, {x, 72, kColumns[c].width, 16}, 8, true));
        x += kColumns[c].width;
    }
    x = kLeft;
    for (std::size_t c = 0; c < kColumns.size(); ++c) {
        OneLine(AddText(page, static_cast<int>(c) + 10, kColumns[c].value, {x, 106, kColumns[c].width, 16}, 8, false));
        x += kColumns[c].width;
    }
    AddText(page, 18, "Page [PAGE#] of [TOTALPAGES]", {kLeft, 142, 300, 14}, 7, false);
    TrpMemoView& created =
        AddText(page, 19, "Created with Quellvane [DATE] [TIME] ", {kLeft + kWidth - 300, 142, 300, 14}, 7, false);
    created.Alignment = MemoAlign::Right;
}

std::string MainReportTemplateStream()
{
    TrpReportTemplate reportTemplate;
    reportTemplate.Now = [] { return kMainReportTemplateDate; };
    BuildMainReportTemplate(reportTemplate);
    TrpStream stream;
    reportTemplate.WriteTemplate(stream);
    return stream.ToString();
}
