// The log window's filters: by criteria from the filter dialog, by the
// quick filter of its popup menu, and their undo.  A filter builds the list
// it keeps in one pass and swaps it in; the list it replaces becomes the
// undo level, so an undo costs no copying of events.

#include "logview.h"

#include "EventMatcher.h"
#include "QuickFilter.h"
#include "UserPrompts.h"
#include "filt_frm.h"

#include "platform/MessageBoxTypes.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QTableView>
#include <QToolButton>

namespace {

// Filtering lets window messages through once every this many events.
constexpr std::size_t kFilterPumpInterval = 100;
// Rereading all events does so once every this many.
constexpr int kRereadPumpInterval = 1000;

QString filteredStatus(std::size_t shown, int total)
{
    return QString::asprintf("Filtered: showing %d of %d event(s)", static_cast<int>(shown), total);
}

} // namespace

std::string TfrmLogView::DescriptionOf(TEventItem& e)
{
    return reader_.GetDescription(e.Index);
}

void TfrmLogView::ApplyFilter()
{
    if (IsBusy() || closed_)
        return;
    if (model_->Count() == 0) {
        UserPrompts().MessageBox(this, QStringLiteral("No events to filter found."), QStringLiteral("Filter"),
                                 MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    const QPointer<TfrmLogView> alive(this);
    TEventFilter filter = NeutralCriteria();
    if (!FilterForm().Execute(QStringLiteral("Filter"), filter, sources_, categories_))
        return;
    if (!alive || closed_ || IsBusy())
        return; // the window closed or got busy while the dialog was up

    TEventIdSet ids;
    const CriteriaFlags flags = CriteriaFlagsOf(filter, ids);
    const TEventMatcher matcher(flags, filter, ids, [this](TEventItem& e) { return DescriptionOf(e); });

    const QString statusBefore = logSizePanel_->text();
    ++loopDepth_;
    filtering_ = true;
    model_->SetCount(0);
    stopRequested_ = false;
    stopButton_->show();
    ShowProgress(QStringLiteral("Applying filter..."), static_cast<int>(events_.size()));
    QCoreApplication::processEvents();
    if (!alive)
        return;

    auto endLoop = [this] {
        stopButton_->hide();
        HideProgress();
        filtering_ = false;
        --loopDepth_;
    };

    std::vector<TEventItem*> kept;
    kept.reserve(events_.size());
    bool closing = !filtering_;
    try {
        const std::size_t n = events_.size();
        for (std::size_t i = 0; i < n && !closing; ++i) {
            if (matcher.Matches(*events_[i]))
                kept.push_back(events_[i]);
            if ((i + 1) % kFilterPumpInterval == 0) {
                progressBar_->setValue(static_cast<int>(i + 1));
                QCoreApplication::processEvents();
                if (!alive)
                    return; // freed from outside: touch nothing
            }
            closing = !filtering_;
            if (stopRequested_)
                break; // the events not yet examined are dropped
        }
    } catch (...) {
        // The list stays as it was; the failure is the command's.
        model_->SetCount(static_cast<int>(events_.size()));
        logSizePanel_->setText(statusBefore);
        endLoop();
        if (disposePending_)
            DisposeWhenIdle();
        throw;
    }

    if (!closing) {
        SaveForUndo(std::move(events_));
        events_ = std::move(kept);
        ShowFiltered();
    }
    endLoop();
    if (disposePending_)
        DisposeWhenIdle();
}

void TfrmLogView::ShowFiltered()
{
    logSizePanel_->setText(filteredStatus(events_.size(), totalCount_));
    model_->SetCount(static_cast<int>(events_.size()));
    meEventText_->clear();
}

void TfrmLogView::SaveForUndo(std::vector<TEventItem*> previous)
{
    undoEvents_ = std::move(previous);
    canUndoLast_ = true;
    canUndoAll_ = true;
    EnableCommand(TLogCommand::UndoLastFilter, true);
    EnableCommand(TLogCommand::UndoAllFilters, true);
}

void TfrmLogView::RestoreEvents(std::vector<TEventItem*> saved)
{
    model_->SetCount(0);
    events_ = std::move(saved);
    canUndoLast_ = false;
    EnableCommand(TLogCommand::UndoLastFilter, false);
    if (static_cast<int>(events_.size()) == totalCount_) {
        logSizePanel_->setText(QString::asprintf("Showing %d event(s)", static_cast<int>(events_.size())));
        canUndoAll_ = false;
        EnableCommand(TLogCommand::UndoAllFilters, false);
    } else {
        logSizePanel_->setText(filteredStatus(events_.size(), totalCount_));
    }
    model_->SetCount(static_cast<int>(events_.size()));
    ShowSelectedDescription();
}

void TfrmLogView::UndoLastFilter()
{
    // The undo level serves once: the list goes back and the level is used.
    if (IsBusy() || closed_ || !canUndoLast_ || undoEvents_.empty())
        return;
    RestoreEvents(std::move(undoEvents_));
    undoEvents_.clear();
}

void TfrmLogView::UndoAllFilters()
{
    if (IsBusy() || closed_)
        return;
    const QPointer<TfrmLogView> alive(this);
    ++loopDepth_;
    model_->SetCount(0);
    events_.clear();
    undoEvents_.clear();
    ShowProgress(QStringLiteral("Rereading events..."), 100);
    cbLogs_->setEnabled(false);
    QCoreApplication::processEvents();
    if (!alive)
        return;

    auto finish = [this] {
        model_->SetCount(static_cast<int>(events_.size()));
        logSizePanel_->setText(QString::asprintf("Showing %d event(s)", model_->Count()));
        HideProgress();
        if (!isFile_)
            cbLogs_->setEnabled(true);
        canUndoAll_ = false;
        canUndoLast_ = false;
        EnableCommand(TLogCommand::UndoAllFilters, false);
        EnableCommand(TLogCommand::UndoLastFilter, false);
        ResetSortImages();
        --loopDepth_;
    };
    try {
        // A log that grew is not read beyond the count it had.
        const int count = reader_.GetEventCount();
        if (count < totalCount_)
            totalCount_ = count;
        progressBar_->setMaximum(std::max(totalCount_, 1));
        events_.reserve(static_cast<std::size_t>(std::max(totalCount_, 0)));
        for (int i = 0; i < totalCount_; ++i) {
            if (TEventItem* item = reader_.GetEvent(i))
                events_.push_back(item);
            if (i % kRereadPumpInterval == 0) {
                progressBar_->setValue(i);
                QCoreApplication::processEvents();
                if (!alive)
                    return;
            }
        }
    } catch (...) {
        finish();
        if (disposePending_)
            DisposeWhenIdle();
        throw;
    }
    finish();
    if (disposePending_) {
        DisposeWhenIdle();
        return;
    }
    ShowSelectedDescription();
}

void TfrmLogView::pmLogPopup(const QPoint& at)
{
    const int selected = SelectedIndex();
    if (selected < 0)
        return;
    const QModelIndex hit = lvLog_->indexAt(at);
    if (hit.isValid())
        quickColumn_ = hit.column() < kLogColumnCount ? hit.column() : -1;
    if (quickColumn_ >= 0) {
        const int row = model_->RowOfIndex(selected);
        quickValue_ = model_->data(model_->index(row, quickColumn_)).toString();
        quickType_ = model_->data(model_->index(row, 0), TEventListModel::EventTypeRole).toInt();
        QString caption = QStringLiteral("Quick Filter By: ") + LogColumnCaption(static_cast<TLogColumn>(quickColumn_)) +
                          QStringLiteral(" = \"") + quickValue_ + u'"';
        pmitFilterBy_->setText(caption.replace(u'&', QStringLiteral("&&")));
    } else {
        quickValue_.clear();
        pmitFilterBy_->setText(QStringLiteral("Quick Filter By: <no filter>"));
    }
}

void TfrmLogView::pmitFilterByClick()
{
    if (IsBusy() || closed_ || model_->Count() == 0 || quickColumn_ < 0)
        return;
    TQuickFilter quick(quickColumn_, quickValue_, quickType_, model_->Formatter(), LocalTimeOffsetMilliseconds());
    std::vector<TEventItem*> kept;
    kept.reserve(events_.size());
    for (TEventItem* e : events_)
        if (quick.Matches(*e))
            kept.push_back(e);
    model_->SetCount(0);
    SaveForUndo(std::move(events_));
    events_ = std::move(kept);
    ShowFiltered();
}
