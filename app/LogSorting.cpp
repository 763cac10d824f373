// The log window's sorting: by a column header's click, or by record number
// for the main window's Newest First and Oldest First.

#include "logview.h"

#include "EventMatcher.h"
#include "EventSorter.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTableView>

#include <algorithm>

void TfrmLogView::SortByColumn(int key)
{
    if (model_->Count() == 0 || IsBusy() || closed_ || key < 0 || key >= kSortKeyCount)
        return;
    bool& ascending = sortDirection_[static_cast<std::size_t>(key)];
    ascending = !ascending;

    const int selected = SelectedIndex();
    TEventItem* keep = selected >= 0 ? events_[static_cast<std::size_t>(selected)] : nullptr;
    SortEvents(events_, key, ascending, LocalTimeOffsetMilliseconds());
    model_->SetCount(static_cast<int>(events_.size()));
    if (keep) {
        const auto at = std::find(events_.begin(), events_.end(), keep);
        SelectIndex(static_cast<int>(at - events_.begin()));
    }

    ShowSortImage(key < kLogColumnCount ? key : -1);
    if (key != kRecordNumberSortKey && host_)
        host_->CheckSortOrderItems(false, false);
}

void TfrmLogView::ShowSortImage(int column)
{
    sortImageColumn_ = column;
    // A true flag shows the largest values at the top.
    const bool descending = column >= 0 && sortDirection_[static_cast<std::size_t>(column)];
    lvLog_->horizontalHeader()->setSortIndicator(column, descending ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void TfrmLogView::ResetSortImages()
{
    ShowSortImage(-1);
}

void TfrmLogView::lvLogColumnClick(int column)
{
    if (model_->Count() > 0)
        SortByColumn(column);
    // The header changes its indicator on a click of its own accord: it
    // shows the window's sort, also when the click sorted nothing.
    ShowSortImage(sortImageColumn_);
}
