#include "RpPreviewLayout.h"

#include "ValueText.h"

#include <algorithm>
#include <limits>

namespace report {

namespace {

// The scroll position along one axis that shows a stretch [offset, offset
// + size) of a page starting at start, for a view of that length: the
// page's edge a gap inside the view when the stretch fits after it, else
// the stretch's far end at the view's far edge.
int ShowStretch(int start, int offset, int size, int view)
{
    const int shown = offset + kPageGap;  // where the stretch lands with the page's edge shown
    if (view - size < shown)
        return start + offset + size - view;
    return start - kPageGap;
}

} // namespace

QSize TrpPreviewLayout::PageSize(const TrpEMFPage& page)
{
    return {page.PageInfo.SheetWidth, page.PageInfo.SheetHeight};
}

double TrpPreviewLayout::ModeZoom(TrpZoomMode mode, double zoom, QSize canvas, QSize page)
{
    // A page without a size keeps the zoom it had: no mode can fit it.
    switch (mode) {
    case zmFixed:
        return zoom;
    case zmPageWidth:
        return page.width() > 0 ? double(canvas.width() - 20) / page.width() : zoom;
    case zmWholePage:
        return page.height() > 0 ? double(canvas.height() - 20) / page.height() : zoom;
    case zmTwoPages:
        return page.width() > 0 ? double(canvas.width() - 30) / (2.0 * page.width()) : zoom;
    }
    return zoom;
}

int TrpPreviewLayout::ZoomPercent(double zoom)
{
    return RoundToInt(zoom * 100);
}

QString TrpPreviewLayout::ZoomCaption(double zoom)
{
    return QString::number(ZoomPercent(zoom)) + QLatin1Char('%');
}

int TrpPreviewLayout::PagesPerRow(const TrpEMFPages& pages, double zoom, int canvasWidth, TrpZoomMode mode)
{
    int n = 0;
    int x = kPageGap;
    int run = 0;
    const std::size_t count = pages.Count();
    for (std::size_t i = 0; i < count; ++i) {
        const std::int64_t g = std::int64_t(RoundToInt(PageSize(pages.PageRecord(i)).width() * zoom)) + x + kPageGap;
        if (g > canvasWidth) {
            // The run ends; the page that did not fit is not counted in
            // the next one.
            n = std::max(n, run);
            x = kPageGap;
            run = 0;
        } else {
            x = int(g);
            ++run;
            if (i + 1 == count)
                n = std::max(n, run);
        }
    }
    if (n == 0)
        n = 1;
    if (mode == zmWholePage)
        n = 1;
    else if (mode == zmTwoPages)
        n = 2;
    return n;
}

int TrpPreviewLayout::ScrollMax(int extent, int view)
{
    const std::int64_t overhang = std::int64_t(extent) - view;
    if (overhang < 0)
        return 0;
    return int(std::min<std::int64_t>(overhang + kPageGap, std::numeric_limits<int>::max()));
}

TrpPreviewArrangement TrpPreviewLayout::Arrange(TrpEMFPages& pages, int currentPage, QSize canvas, double zoom,
                                                TrpZoomMode mode)
{
    TrpPreviewArrangement result;
    result.Zoom = zoom;
    const std::size_t count = pages.Count();
    if (count == 0)
        return result;
    const std::size_t current = std::clamp<std::size_t>(std::size_t(std::max(currentPage, 1)) - 1, 0, count - 1);
    result.Zoom = ModeZoom(mode, zoom, canvas, PageSize(pages.PageRecord(current)));
    const int n = PagesPerRow(pages, result.Zoom, canvas.width(), mode);
    result.PagesPerRow = n;

    int y = kPageGap;
    for (std::size_t rowStart = 0; rowStart < count; rowStart += std::size_t(n)) {
        int x = kPageGap;
        int rowHeight = 0;
        for (std::size_t i = rowStart; i < std::min(count, rowStart + std::size_t(n)); ++i) {
            TrpEMFPage& page = pages.PageRecord(i);
            const QSize size = PageSize(page);
            const int pw = RoundToInt(size.width() * result.Zoom);
            const int ph = RoundToInt(size.height() * result.Zoom);
            const int left = n == 1 && pw < canvas.width() ? (canvas.width() - pw) / 2 : x;
            page.LayoutRect = {left, y, left + pw, y + ph};
            x += pw + kPageGap;
            rowHeight = std::max(rowHeight, ph);
            result.Right = std::max(result.Right, left + pw);
            result.Bottom = std::max(result.Bottom, y + ph);
        }
        y += rowHeight + kPageGap;
    }
    result.HorzMax = ScrollMax(result.Right, canvas.width());
    result.VertMax = ScrollMax(result.Bottom, canvas.height());
    return result;
}

int TrpPreviewLayout::PageAtPosition(const TrpEMFPages& pages, int position)
{
    const std::int64_t probe = std::int64_t(position) + 11;
    // Rows run top to bottom and every page of a row ends above the next
    // row: only the last row that starts above the probe can hold it.
    // Find the pages that start above it by halving, then the start of
    // that row.
    std::size_t low = 0;
    std::size_t high = pages.Count();
    while (low < high) {
        const std::size_t mid = low + (high - low) / 2;
        if (pages.PageRecord(mid).LayoutRect.Top < probe)
            low = mid + 1;
        else
            high = mid;
    }
    if (low == 0)
        return 0;
    const std::int32_t rowTop = pages.PageRecord(low - 1).LayoutRect.Top;
    std::size_t first = low - 1;
    while (first > 0 && pages.PageRecord(first - 1).LayoutRect.Top == rowTop)
        --first;
    for (std::size_t i = first; i < low; ++i)
        if (probe < pages.PageRecord(i).LayoutRect.Bottom)
            return int(i) + 1;
    return 0;
}

int TrpPreviewLayout::PagePosition(const TrpEMFPages& pages, int page)
{
    if (page < 1 || std::size_t(page) > pages.Count())
        return 0;
    return pages.PageRecord(std::size_t(page) - 1).LayoutRect.Top - kPageGap;
}

int TrpPreviewLayout::PageAtPoint(const TrpEMFPages& pages, QPoint point)
{
    for (std::size_t i = 0; i < pages.Count(); ++i) {
        const TrpLayoutRect& r = pages.PageRecord(i).LayoutRect;
        if (point.x() >= r.Left && point.x() < r.Right && point.y() >= r.Top && point.y() < r.Bottom)
            return int(i) + 1;
    }
    return 0;
}

QPoint TrpPreviewLayout::PagePoint(const TrpEMFPage& page, QPoint point, double zoom)
{
    if (!(zoom > 0))
        return {};
    return {RoundToInt((point.x() - page.LayoutRect.Left) / zoom),
            RoundToInt((point.y() - page.LayoutRect.Top) / zoom)};
}

QRect TrpPreviewLayout::ContentRect(const TrpEMFPage& page, const QRect& pageRect, double zoom)
{
    if (page.UseMargins != 0)
        return pageRect;
    const TrpPageInfo& info = page.PageInfo;
    const int left = RoundToInt((double(info.OffsetX) + page.MarginLeft) * zoom);
    const int top = RoundToInt((double(info.OffsetY) + page.MarginTop) * zoom);
    const int width = RoundToInt((double(info.PrintableWidth) - page.MarginLeft - page.MarginRight) * zoom);
    const int height = RoundToInt((double(info.PrintableHeight) - page.MarginTop - page.MarginBottom) * zoom);
    return {pageRect.left() + left, pageRect.top() + top, width, height};
}

TrpFoundView TrpPreviewLayout::FoundView(const TrpEMFPage& page, const QRect& found, double zoom, QSize canvas)
{
    const TrpLayoutRect& r = page.LayoutRect;
    const int e = RoundToInt((double(found.bottom()) + 1 - found.top()) * zoom);
    const int d = RoundToInt((double(found.right()) + 1 - found.left()) * zoom);
    TrpFoundView view;
    view.VertPosition = ShowStretch(r.Top, RoundToInt(found.top() * zoom), e, canvas.height());
    view.HorzPosition = ShowStretch(r.Left, RoundToInt(found.left() * zoom), d, canvas.width());
    return view;
}

} // namespace report
