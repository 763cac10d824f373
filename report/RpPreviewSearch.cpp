#include "RpPreviewSearch.h"

#include "RpEMFPages.h"
#include "RpPreviewLayout.h"

#include <QPainter>

namespace report {

void TrpPreviewSearch::SetText(const QString& text, bool caseSensitive)
{
    CaseSensitive = caseSensitive;
    FindText = caseSensitive ? text : text.toUpper();
}

void TrpPreviewSearch::FromFirstPage()
{
    FindPage = 0;
    FindRecord = 0;
}

void TrpPreviewSearch::FromCurrentPage(int currentPage)
{
    if (currentPage != FindPage + 1) {
        FindPage = currentPage - 1;
        FindRecord = 0;
    }
}

std::vector<TrpTextRun> TrpPreviewSearch::PageText(TrpEMFPages& pages, std::size_t index)
{
    if (index >= pages.Count())
        return {};
    TrpEMFPage& page = pages.PageRecord(index);
    const QSize size = TrpPreviewLayout::PageSize(page);
    TrpTextRecorder recorder(size);
    {
        QPainter painter(&recorder);
        page.Visible = true;
        pages.PaintPage(index, painter, TrpPreviewLayout::ContentRect(page, QRect(QPoint(0, 0), size), 1.0));
    }
    return recorder.Runs();
}

bool TrpPreviewSearch::Search(TrpEMFPages& pages)
{
    Found = false;
    Stopped = false;
    if (FindPage < 0) {
        FindPage = 0;
        FindRecord = 0;
    }
    if (FindText.isEmpty())
        return false;
    const int first = FindPage;
    for (; std::size_t(FindPage) < pages.Count(); ++FindPage) {
        if (FindPage != first && OnPage && !OnPage(FindPage)) {
            Stopped = true;
            return false;
        }
        const std::vector<TrpTextRun> runs = PageText(pages, std::size_t(FindPage));
        for (std::size_t i = std::size_t(std::max(FindRecord, 0)); i < runs.size(); ++i) {
            const QString& text = runs[i].Text;
            if (CaseSensitive ? text.contains(FindText) : text.toUpper().contains(FindText)) {
                FoundRect = runs[i].Bounds;
                Found = true;
                FindRecord = int(i) + 1;
                return true;
            }
        }
        TrpEMFPage& page = pages.PageRecord(std::size_t(FindPage));
        page.Visible = false;
        pages.ReleasePage(std::size_t(FindPage));
        FindRecord = 0;
    }
    return false;
}

} // namespace report
