// Sub-reports: a band's sub-report objects print other template pages side
// by side inside the band.  Each sub-report page first records what its
// band engine would do (a play list), then the records are replayed page
// by page until every sub-report has ended.

#include "RpBandEngineRun.h"

#include "RpLineView.h"

#include <algorithm>

namespace report {

namespace {

// The template page that a sub-report object prints; null when it names
// none.
TrpPage* SubPage(const TrpBand& band, const TrpView& view)
{
    const auto* sub = dynamic_cast<const TrpSubReportView*>(&view);
    TrpPages* pages = band.Page->Owner();
    if (sub == nullptr || pages == nullptr || sub->SubPage < 0 || static_cast<std::size_t>(sub->SubPage) >= pages->Count())
        return nullptr;
    return &pages->Page(static_cast<std::size_t>(sub->SubPage));
}

// The band's visible sub-reports from the first one, with their slot in
// the finished flags.
template <class F>
void ForEachSubReport(TrpBand& band, F&& f)
{
    if (band.FirstSubReport < 0)
        return;
    std::size_t slot = 0;
    for (std::size_t i = static_cast<std::size_t>(band.FirstSubReport);
         i < band.Objects.size() && slot < TrpBand::kMaxSubReports; ++i) {
        TrpView& view = *band.Objects[i];
        if (view.TypeCode != ObjectType::SubReport || !view.Visible || view.Build.Owner != &band)
            continue;
        if (TrpPage* page = SubPage(band, view))
            f(view, *page, slot);
        ++slot;
    }
}

} // namespace

void TrpBand::InitSubReports()
{
    TrpPage& parent = *Page;
    bool ok = true;
    ForEachSubReport(*this, [&](TrpView& view, TrpPage& sub, std::size_t slot) {
        if (!ok || RunTerminated())
            return;
        if (&sub == &parent || sub.Active || sub.PageType != 0) {
            RunError("The sub-report \"" + view.Name + "\" prints a page that is being printed");
            ok = false;
            return;
        }
        sub.Mode = 1;
        sub.Active = true;
        sub.PlayList.clear();
        {
            const TrpCurrentBandScope scope;
            RunState().Page = &sub;
            sub.GeneratePages();
        }
        sub.Active = true;  // until its replay ends
        sub.CurY = view.Top + Y;
        sub.CurBottomY = parent.CurBottomY;
        sub.XAdjust = parent.XAdjust + view.Left;
        sub.MarginLeft = parent.MarginLeft;
        sub.MarginTop = parent.MarginTop;
        sub.MarginRight = parent.MarginRight;
        sub.MarginBottom = parent.MarginBottom;
        sub.UseMargins = parent.UseMargins;
        sub.Columns = 1;
        sub.CurColumn = 0;
        sub.ReplayPosition = 0;
        sub.ContinuingBand = nullptr;
        SubReportFinished[slot] = false;
    });
    parent.ContinuingBand = nullptr;
}

void TrpBand::RunSubReports()
{
    TrpPage& parent = *Page;
    bool firstRound = true;
    bool finished = false;
    std::int32_t bottom = parent.CurY;
    while (!RunTerminated()) {
        std::size_t positionsBefore = 0;
        ForEachSubReport(*this, [&](TrpView&, TrpPage& sub, std::size_t slot) {
            if (SubReportFinished[slot])
                return;
            positionsBefore += sub.ReplayPosition;
            if (!firstRound) {
                sub.CurY = parent.CurY;
                sub.CurBottomY = parent.CurBottomY;
            }
        });
        finished = true;
        bottom = parent.CurY;
        std::size_t positionsAfter = 0;
        ForEachSubReport(*this, [&](TrpView&, TrpPage& sub, std::size_t slot) {
            if (SubReportFinished[slot] || RunTerminated())
                return;
            bool full = false;
            {
                const TrpCurrentBandScope scope;
                full = sub.ReplayPlayList();
            }
            positionsAfter += sub.ReplayPosition;
            if (full) {
                finished = false;
            } else {
                SubReportFinished[slot] = true;
                bottom = std::max(bottom, sub.CurY);
            }
        });
        if (finished || RunTerminated())
            break;
        if (!firstRound && parent.FreshPage && positionsAfter == positionsBefore) {
            // A new page took nothing of the sub-reports: no page would.
            parent.BandDoesNotFit(*this);
            break;
        }
        if (parent.Mode == 1) {
            // A sub-report inside a sub-report: its page goes on where the
            // outer one goes on.
            parent.ContinuingBand = this;
            SubReportsFinished = false;
            return;
        }
        ScriptAlreadyRun = true;
        parent.NewPage();
        firstRound = false;
    }
    ForEachSubReport(*this, [&](TrpView&, TrpPage& sub, std::size_t) {
        sub.PlayList.clear();
        sub.ReplayPosition = 0;
        sub.Mode = 0;
        sub.Active = false;
    });
    SubReportsFinished = true;
    // The script ran for this record; the next record runs it again.
    ScriptAlreadyRun = false;
    parent.CurY += std::max(CalculatedHeight, bottom - parent.CurY);
}

bool TrpPage::ReplayPlayList()
{
    while (ReplayPosition < PlayList.size() && !RunTerminated()) {
        const TrpPlayEntry entry = PlayList[ReplayPosition];
        try {
            switch (entry.Action) {
            case TrpPlayAction::Print:
                if (ContinuingBand != nullptr) {
                    TrpBand* band = ContinuingBand;
                    band->RunSubReports();
                    if (!band->SubReportsFinished)
                        return true;
                    ContinuingBand = nullptr;
                } else if (entry.Band->PrintBand()) {
                    return true;
                }
                break;
            case TrpPlayAction::First:
                if (entry.Band->DataSet != nullptr)
                    entry.Band->DataSet->First();
                ResetLine(entry.Band, 1);
                break;
            case TrpPlayAction::Next:
                if (entry.Band->DataSet != nullptr)
                    entry.Band->DataSet->Next();
                ++CurrentNo;
                ++entry.Band->LineThrough;
                ++entry.Band->LineNo;
                break;
            }
        } catch (...) {
            RunError(std::current_exception());
            return false;
        }
        ++ReplayPosition;
    }
    return false;
}

} // namespace report
