#include "EventListPages.h"

#include "report/RP_Class.h"

#include <array>
#include <string>

using namespace report;

namespace {

constexpr int kRowsPerPage = 65;
constexpr int kRowHeight = 15;

// One text of the band engine's making: laid out (its marker on the last
// line), then emitted.
void Emit(TrpEMFPage& page, TrpMemoView& memo, const std::string& text, int left, int top, int width)
{
    memo.Memo = {text + '\001'};
    memo.Left = left;
    memo.Top = top;
    memo.Width = width;
    page.Content.Seek(page.Content.Size());
    memo.EmitToPreparedPage(page.Content);
}

} // namespace

void AddEventListPages(TrpEMFPages& pages, const TrpPage& templatePage, int events)
{
    TrpMemoView text;
    text.Name = "Memo10";
    text.Font.Name = "Tahoma";
    text.Font.Size = 8;
    text.Height = kRowHeight;
    static const std::array<int, 8> kWidths = {80, 70, 60, 45, 130, 90, 150, 97};
    static const std::array<const char*, 8> kHeaders = {"Type",   "Date",     "Time",        "Event",
                                                        "Source", "Category", "Domain\\User", "Computer"};
    static const std::array<const char*, 5> kTypes = {"Error", "Warning", "Information", "Audit Success",
                                                      "Audit Failure"};
    const int pageCount = (events + kRowsPerPage - 1) / kRowsPerPage;
    int event = 0;
    for (int p = 0; p < pageCount; ++p) {
        TrpEMFPage& page = pages.AddPage(templatePage);
        int y = 18;
        if (p == 0) {
            text.Font.Size = 12;
            text.Font.Style.bold = true;
            text.Height = 22;
            Emit(page, text, "System on WKS-DEMO", 18, y, 722);
            text.Height = kRowHeight;
            y += 24;
        }
        text.Font.Size = 8;
        text.Font.Style.bold = true;
        int x = 18;
        for (std::size_t c = 0; c < kHeaders.size(); ++c) {
            Emit(page, text, kHeaders[c], x, y, kWidths[c]);
            x += kWidths[c];
        }
        y += kRowHeight;
        text.Font.Style.bold = false;
        for (int r = 0; r < kRowsPerPage && event < events; ++r, ++event, y += kRowHeight) {
            const std::array<std::string, 8> cells = {
                kTypes[event % 5],
                "2024-03-" + std::to_string(10 + event % 20),
                std::to_string(event % 24) + ":" + std::to_string(10 + event % 50) + ":07",
                std::to_string(1000 + event % 9000),
                "Service Control Manager",
                event % 3 == 0 ? "None" : "Logon/Logoff",
                "NT AUTHORITY\\SYSTEM",
                "WKS-DEMO"};
            x = 18;
            for (std::size_t c = 0; c < cells.size(); ++c) {
                Emit(page, text, cells[c], x, y, kWidths[c]);
                x += kWidths[c];
            }
        }
        text.Font.Size = 7;
        Emit(page, text, "Page " + std::to_string(p + 1) + " of " + std::to_string(pageCount), 18, 1035, 300);
        Emit(page, text, "Created with Quellvane 2024-03-31 12:00:00 ", 420, 1035, 320);
    }
}
