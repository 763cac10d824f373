// The main window's view commands that the active log window carries out:
// filters and their undo, Find, and the order of the events.

#include "main.h"

#include "logview.h"

#include <QAction>

void TfrmQORVMain::BindViewCommands()
{
    // Every command does nothing when no log window is active.
    auto forward = [this](QAction* command, void (TfrmLogView::*operation)()) {
        Bind(command, [this, operation] {
            if (TfrmLogView* window = ActiveLogWindow())
                (window->*operation)();
        });
    };
    forward(actFilter_, &TfrmLogView::ApplyFilter);
    forward(actUndoLastFilter_, &TfrmLogView::UndoLastFilter);
    forward(actUndoAllFilters_, &TfrmLogView::UndoAllFilters);
    forward(actFind_, &TfrmLogView::Find);
    forward(actFindNext_, &TfrmLogView::FindNext);
    Bind(mmitNewestFirst_, [this] { mmitNewestFirstClick(); });
    Bind(mmitOldestFirst_, [this] { mmitOldestFirstClick(); });
}

void TfrmQORVMain::mmitNewestFirstClick()
{
    CheckSortOrderItems(true, false);
    if (TfrmLogView* window = ActiveLogWindow(); window && !window->IsBusy()) {
        window->SetSortDirection(kRecordNumberSortKey, false);
        window->SortByColumn(kRecordNumberSortKey); // flips it: the highest record number on top
    }
}

void TfrmQORVMain::mmitOldestFirstClick()
{
    CheckSortOrderItems(false, true);
    if (TfrmLogView* window = ActiveLogWindow(); window && !window->IsBusy()) {
        window->SetSortDirection(kRecordNumberSortKey, true);
        window->SortByColumn(kRecordNumberSortKey);
    }
}
