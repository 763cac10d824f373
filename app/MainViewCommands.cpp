// The main window's view commands that the active log window carries out:
// filters and their undo, Find, the order of the events, its description
// pane and its grid lines.

#include "main.h"

#include "logview.h"

#include <QAction>
#include <QTableView>

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
    Bind(mmitShowDescriptions_, [this] { mmitShowDescriptionsClick(); });
    Bind(mmitShowGridLines_, [this] { mmitShowGridLinesClick(); });
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

void TfrmQORVMain::mmitShowDescriptionsClick()
{
    // The item has ticked or unticked itself already: the pane follows it,
    // and the tick then shows what the pane does.
    TfrmLogView* window = ActiveLogWindow();
    if (!window) {
        mmitShowDescriptions_->setChecked(!mmitShowDescriptions_->isChecked());
        return;
    }
    window->ShowDescription(mmitShowDescriptions_->isChecked());
    mmitShowDescriptions_->setChecked(window->DescriptionVisible());
}

void TfrmQORVMain::mmitShowGridLinesClick()
{
    TfrmLogView* window = ActiveLogWindow();
    if (!window) {
        mmitShowGridLines_->setChecked(!mmitShowGridLines_->isChecked());
        return;
    }
    QTableView* list = window->lvLog();
    list->setShowGrid(!list->showGrid());
    mmitShowGridLines_->setChecked(list->showGrid());
}
