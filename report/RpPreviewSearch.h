#pragma once
// Text search in prepared pages, as the preview does it: each page is
// drawn at 100 % onto a text recorder, and its text runs are searched in
// drawing order.  A search goes on from the page and the run after the
// last hit, so Find Next walks every hit of a page before the next page.

#include "RpTextRecorder.h"

#include <QRect>
#include <QString>

#include <functional>
#include <vector>

namespace report {

class TrpEMFPages;

class TrpPreviewSearch {
public:
    // The text as searched: upper-cased unless the search heeds case.
    QString FindText;
    bool CaseSensitive = false;
    bool Found = false;
    // The last hit in the page's pixels at 100 %.
    QRect FoundRect;
    // The 0-based page searched next, and its first text run that may
    // count as a hit.
    int FindPage = 0;
    int FindRecord = 0;

    void SetText(const QString& text, bool caseSensitive);
    // The next search starts at the first page.
    void FromFirstPage();
    // The next search starts at the current page (1-based), after the
    // last hit when that hit is on it.
    void FromCurrentPage(int currentPage);

    // Asked before each page after the first of a search, with that page's
    // index: false stops the search there (FindPage is that page, and
    // Stopped is set).
    std::function<bool(int page)> OnPage;
    bool Stopped = false;

    // Searches on from FindPage and FindRecord.  On a hit: true, FindPage
    // is the hit's page, FoundRect the hit and FindRecord the run after it.
    // Without a hit FindPage ends past the last page.  Pages searched
    // without a hit are released.  An empty text finds nothing.
    bool Search(TrpEMFPages& pages);

    // The text runs of a page in drawing order, the page drawn as the
    // preview draws it at 100 %.
    static std::vector<TrpTextRun> PageText(TrpEMFPages& pages, std::size_t index);
};

} // namespace report
