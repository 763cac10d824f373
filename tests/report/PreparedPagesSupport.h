#pragma once
// What the tests of prepared pages share: a report as the pages see it and
// the emission of objects into pages.
#include "report/RP_Class.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace report {

// A report as prepared pages see it: template pages with a fixed-width
// measurer (7 pixels a character), and the events recorded.
struct TestOwner : TrpPreparedOwner {
    struct Host : TrpViewHost {
        TrpFixedWidthFactory measurers{7};
        const TrpMeasurerFactory& Measurers() const override { return measurers; }
    } host;
    TrpPages templatePages;
    TrpAddInRegistry addIns;
    int pagesBegun = 0;
    std::vector<std::string> opened;
    std::vector<std::string> clicked;
    std::function<bool(TrpView&)> onClick;

    TestOwner() { templatePages.Host = &host; }
    TrpPages* TemplatePages() override { return &templatePages; }
    const TrpAddInRegistry* AddIns() const override { return &addIns; }
    void BeginPage() override { ++pagesBegun; }
    bool ObjectClick(TrpView& view) override
    {
        clicked.push_back(view.Name);
        return onClick ? onClick(view) : false;
    }
    void OpenWebAddress(const std::string& url) override { opened.push_back(url); }
};

inline void Place(TrpView& view, std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height)
{
    view.Left = left;
    view.Top = top;
    view.Width = width;
    view.Height = height;
}

// A sheet with its printable area, in report pixels.
inline TrpPageInfo Sheet(std::int32_t width, std::int32_t height, std::int32_t offsetX = 0, std::int32_t offsetY = 0,
                         std::int32_t printableWidth = -1, std::int32_t printableHeight = -1)
{
    TrpPageInfo info;
    info.SheetWidth = width;
    info.SheetHeight = height;
    info.OffsetX = offsetX;
    info.OffsetY = offsetY;
    info.PrintableWidth = printableWidth < 0 ? width : printableWidth;
    info.PrintableHeight = printableHeight < 0 ? height : printableHeight;
    return info;
}

// Writes the object into the page as the band engine does.
inline void Emit(TrpEMFPage& page, TrpView& view)
{
    page.Content.Seek(page.Content.Size());
    view.EmitToPreparedPage(page.Content);
}

inline std::unique_ptr<TrpMemoView> Text(const std::string& name, const std::string& text, std::int32_t left,
                                         std::int32_t top)
{
    auto memo = std::make_unique<TrpMemoView>();
    memo->Name = name;
    memo->Memo = {text};
    Place(*memo, left, top, 100, 20);
    return memo;
}

} // namespace report
