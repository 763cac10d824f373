// The log window's Find and Find Next: the next event downward in the view
// that meets the criteria of the last Find, going on from the top when the
// user wants to.

#include "logview.h"

#include "EventMatcher.h"
#include "UserPrompts.h"
#include "filt_frm.h"

#include "platform/MessageBoxTypes.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTableView>
#include <QToolButton>

namespace {

// Find lets window messages through once every this many events.
constexpr int kFindPumpInterval = 10;

} // namespace

void TfrmLogView::Find()
{
    if (IsBusy() || closed_)
        return;
    const QPointer<TfrmLogView> alive(this);
    // A cancelled dialog leaves the last Find's criteria as they were, so
    // Find Next goes on with them.
    TEventFilter filter;
    if (!FilterForm().Execute(QStringLiteral("Find"), filter, sources_, categories_))
        return;
    if (!alive || closed_ || IsBusy())
        return;
    findFilter_ = filter;
    if (!findIds_)
        findIds_ = std::make_unique<TEventIdSet>();
    findFlags_ = CriteriaFlagsOf(findFilter_, *findIds_);

    findPosition_ = static_cast<int>(events_.size());
    FindWithWrap(static_cast<int>(events_.size()));
    if (!alive || closed_)
        return;
    findDone_ = true;
    EnableCommand(TLogCommand::FindNext, true);
    lvLog_->setFocus();
}

void TfrmLogView::FindNext()
{
    if (IsBusy() || closed_ || !findDone_)
        return;
    const QPointer<TfrmLogView> alive(this);
    FindWithWrap(findPosition_);
    if (alive && !closed_)
        lvLog_->setFocus();
}

bool TfrmLogView::FindWithWrap(int start)
{
    const int selected = SelectedIndex();
    if (selected >= 0)
        start = selected; // the search begins just below the selection
    const QPointer<TfrmLogView> alive(this);
    for (;;) {
        if (FindFrom(start - 1))
            return true;
        if (!alive || closed_)
            return false;
        const int answer = UserPrompts().MessageBox(this, QStringLiteral("End of log reached. Continue from beginning?"),
                                                    QStringLiteral("Find"), MB_OKCANCEL | MB_ICONQUESTION);
        if (answer != IDOK || !alive || closed_)
            return false;
        start = static_cast<int>(events_.size());
    }
}

bool TfrmLogView::FindFrom(int from)
{
    if (!findIds_)
        return true; // no Find has run
    if (IsBusy() || closed_)
        return false;
    const QPointer<TfrmLogView> alive(this);
    const TEventMatcher matcher(findFlags_, findFilter_, *findIds_, [this](TEventItem& e) { return DescriptionOf(e); });
    ++loopDepth_;
    stopButton_->show();
    stopRequested_ = false;
    QCoreApplication::processEvents();
    if (!alive)
        return false;

    int n = std::min(static_cast<int>(events_.size()) - 1, from);
    try {
        // Stop ends the search at the event it has reached, which counts as
        // found; closing the window ends it without a result.
        for (; n >= 0; --n) {
            if (stopRequested_ || closed_ || matcher.Matches(*events_[static_cast<std::size_t>(n)]))
                break;
            if (n % kFindPumpInterval == 0) {
                QCoreApplication::processEvents();
                if (!alive)
                    return false;
            }
        }
    } catch (...) {
        stopButton_->hide();
        --loopDepth_;
        if (disposePending_)
            DisposeWhenIdle();
        throw;
    }
    stopButton_->hide();
    --loopDepth_;
    if (disposePending_) {
        DisposeWhenIdle();
        return false;
    }
    if (n < 0 || closed_)
        return false;
    SelectIndex(n);
    findPosition_ = n;
    return true;
}
