// How one band goes onto the prepared pages: events and script, the breaks
// its script asks for, the rule for a band that does not fit, its height
// with stretched objects, its objects, splitting across pages and bands
// printed side by side in columns.

#include "RpBandEngineRun.h"

#include "RpMemoView.h"

#include <algorithm>
#include <limits>

namespace report {

namespace {

using T = TrpBandType;

bool Is(int type, T value)
{
    return type == static_cast<int>(value);
}

// Page footers, overlays and the objects outside every band stand where
// they stand: no room is measured for them and they move nothing.
bool StandsApart(int type)
{
    return Is(type, T::PageFooter) || Is(type, T::Overlay) || Is(type, T::None);
}

TrpStretcheable* Stretchable(TrpView* view)
{
    return dynamic_cast<TrpStretcheable*>(view);
}

bool OwnedBy(const TrpView& view, const TrpBand& band)
{
    return view.Build.Owner == &band;
}

} // namespace

// ---- the band as a whole -------------------------------------------------------

bool TrpBand::PrintBand()
{
    if (RunTerminated())
        return false;
    TrpRunState& state = RunState();
    TrpReport& report = RunningReport();
    TrpPage& page = *Page;
    const TrpFlagScope printing(Printing, true);

    // 1. The band becomes the current band.
    state.View = View;
    state.Band = this;
    state.Page = &page;
    CalculatedHeight = -1;
    NewPageCount = 0;
    NewColumnCount = 0;
    if (report.OnBeginBand)
        report.OnBeginBand(*this);

    // 2. A row of bands printed side by side that was left open is closed.
    TrpBand* last = page.LastPrintedBand;
    if (last != nullptr && last != this && last->Exists() && last->BandColumn > 1) {
        page.XAdjust = last->SavedXAdjust;
        page.CurY += last->Height;
    }

    // 3. The script: the before-print text, then the band's own.
    if (!ScriptAlreadyRun) {
        RunLines(Memo, View);
        RunLines(Script, View);
        state.Band = this;
        state.View = View;
    }
    ScriptAlreadyRun = false;
    if (RunTerminated())
        return false;

    // 4. Breaks the script asked for.
    if (NewPageCount > 0 || NewColumnCount > 0) {
        const std::int32_t afterScript = page.CurY;
        for (std::int32_t i = 0; i < NewPageCount && !RunTerminated(); ++i) {
            page.CurColumn = page.Columns - 1;
            page.NewColumn(this);
        }
        for (std::int32_t i = 0; i < NewColumnCount && !RunTerminated(); ++i)
            page.NewColumn(this);
        if (PositionSetByScript)
            page.CurY = afterScript;
        PositionSetByScript = false;
        state.Band = this;
        state.View = View;
        state.Page = &page;
        if (RunTerminated())
            return false;
    }

    // 5. An invisible band prints nothing but may have its child printed.
    if (!Visible) {
        if (ChildBand != nullptr && PrintChildIfInvisible)
            ChildBand->PrintBand();
        if (IsDataBand())
            UpdateAggregates();
        return false;
    }

    // 6. A visible band.
    bool result = false;
    const bool pageBreak = PageBreak;
    if (Is(Type, T::ColumnHeader))
        page.ColumnStartY = page.CurY;
    if (Is(Type, T::PageFooter))
        Y = page.CurBottomY;
    if (Exists()) {
        CalculatedHeight = std::max(CalculatedHeight, Height);
        if (!StandsApart(Type) && !Is(Type, T::ColumnFooter)) {
            const std::int32_t h = CalcHeight();
            if (page.CurY + h > page.CurBottomY && !PageBreak) {
                if (h > page.CurBottomY - page.TopLimit() && page.CurY == page.TopLimit()) {
                    PageBreak = true;  // taller than a whole page: split after all
                } else {
                    result = true;
                    if (page.Mode == 1) {
                        PageBreak = pageBreak;
                        return true;
                    }
                    CheckColumnFit(0, 10000, false);
                    state.Band = this;
                    state.View = View;
                    state.Page = &page;
                }
            }
        }
        if (!RunTerminated()) {
            SubReportsFinished = true;
            if (IsDataBand() && NextBand != nullptr && NextBand->DataSet == nullptr) {
                DrawRecordChain();
            } else {
                DrawObjects();
                if (ChildBand != nullptr && ChildBand != this) {
                    const TrpCurrentBandScope scope;
                    ChildBand->PrintBand();
                }
                if (!IsDataBand() && !Is(Type, T::GroupHeader) && Visible && NewPageAfter)
                    page.NewPage();
            }
            if (!SubReportsFinished)
                result = true;
        }
    }

    // 7. What was shown of the aggregates starts again.
    if (!RepeatedHeader && !RunTerminated()) {
        if (!Is(Type, T::PageFooter) || state.PageNo == static_cast<std::int32_t>(RunPages().Count()) - 1)
            ResetAggregates();
    }

    // 8.
    if (report.OnEndBand)
        report.OnEndBand(*this);
    PageBreak = pageBreak;
    return result;
}

// A data band followed by data bands without a data set prints them with
// each of its records.
void TrpBand::DrawRecordChain()
{
    DrawObjects();
    for (TrpBand* band = NextBand; band != nullptr && band->DataSet == nullptr && !RunTerminated();
         band = band->NextBand)
        if (band->Visible) {
            const TrpCurrentBandScope scope;
            RunState().Band = band;
            band->DrawObjects();
        }
}

// ---- height ----------------------------------------------------------------------

namespace {

// The height of the band's content: its own stretchable objects laid out
// (and, with cross objects, laid out once for every cross column).
std::int32_t StretchedHeight(TrpBand& band)
{
    std::int32_t height = band.Height;
    TrpPage& page = *band.Page;
    const auto measure = [&](bool crossObjects) {
        for (TrpView* view : band.Objects) {
            TrpStretcheable* stretchable = Stretchable(view);
            if (stretchable == nullptr)
                continue;
            const bool cross = view->Build.Owner != &band;
            if (cross && !crossObjects)
                continue;
            RunState().View = view;
            height = std::max(height, view->Top + stretchable->CalcHeight());
            RunState().View = band.View;
        }
    };
    if (!band.HasCrossObjects || Is(band.Type, T::PageFooter)) {
        measure(false);
        return height;
    }
    TrpBand& crossData = *page.FirstBand(T::CrossData);
    page.ColumnNo = 1;
    if (!crossData.Exists()) {
        measure(false);
        return height;
    }
    TrpDataset* data = crossData.DataSet != nullptr ? crossData.DataSet : band.CrossDataSet;
    if (data == nullptr) {
        measure(false);
        return height;
    }
    TrpReport& report = RunningReport();
    data->First();
    while (!data->Eof() && !RunTerminated()) {
        std::int32_t width = crossData.Width;
        report.PrintColumn(page.ColumnNo, width);
        measure(true);
        ++page.ColumnNo;
        data->Next();
    }
    return height;
}

} // namespace

std::int32_t TrpBand::CalcHeight()
{
    std::int32_t h = 0;
    if (IsDataBand() && NextBand != nullptr && NextBand->DataSet == nullptr) {
        h = StretchedHeight(*this);
        for (TrpBand* band = NextBand; band != nullptr && band->DataSet == nullptr; band = band->NextBand)
            if (band->Visible)
                h += StretchedHeight(*band);
    } else {
        h = Stretched ? StretchedHeight(*this) : Height;
    }
    CalculatedHeight = std::max(CalculatedHeight, h);
    return h;
}

// ---- drawing ---------------------------------------------------------------------

void TrpBand::DrawObjects()
{
    if (!Exists())
        return;
    TrpPage& page = *Page;
    const std::int32_t savedY = Y;
    if (!StandsApart(Type))
        Y = page.CurY;
    bool subReports = false;
    if (Stretched) {
        const std::int32_t h = std::max(CalculatedHeight, Height);
        struct Saved {
            TrpView* view;
            std::int32_t height;
        };
        std::vector<Saved> saved;
        for (TrpView* view : Objects)
            if (Stretchable(view) != nullptr && (view->Flags & 1) && view->Height > 0 && OwnedBy(*view, *this)) {
                saved.push_back({view, view->Height});
                view->Height = h - view->Top;
            }
        SliceHeight = h;
        if (!PageBreak) {
            CheckColumnFit(Y, h, false);
            Y = page.CurY;
        }
        if (PageBreak) {
            SplitPrint();
        } else if (!RunTerminated()) {
            subReports = PrintObjects();
            if (HasCrossObjects)
                PrintCross();
        }
        for (const Saved& s : saved)
            s.view->Height = s.height;
        if (!PageBreak && !subReports)
            page.CurY += h;
    } else {
        if (!StandsApart(Type) && !PageBreak) {
            CheckColumnFit(Y, Height, false);
            Y = page.CurY;
        }
        if (PageBreak) {
            SliceHeight = std::max(CalculatedHeight, Height);
            SplitPrint();
        } else if (!RunTerminated()) {
            subReports = PrintObjects();
            if (HasCrossObjects)
                PrintCross();
            if (!StandsApart(Type) && !subReports)
                page.CurY += Height;
        }
    }
    if (page.BreakDepth == 0 && !StandsApart(Type))
        page.FreshPage = false;

    // Bands printed side by side: the next band prints beside this one
    // until the row is full.
    if (page.LastPrintedBand != this)
        BandColumn = 1;
    page.LastPrintedBand = this;
    if (View != nullptr && View->Columns > 1 && View->NewColumnAfter == 1) {
        if (BandColumn == 1)
            SavedXAdjust = page.XAdjust;
        ++BandColumn;
        if (BandColumn > View->Columns) {
            page.XAdjust = SavedXAdjust;
            BandColumn = 1;
        } else {
            page.XAdjust = SavedXAdjust + (View->ColumnWidth + View->ColumnGap) * (BandColumn - 1);
            page.CurY -= std::max(CalculatedHeight, Height);
        }
    }

    Y = savedY;
    if (IsDataBand())
        UpdateAggregates();
}

bool TrpBand::CheckColumnFit(std::int32_t y, std::int32_t height, bool testOnly)
{
    TrpPage& page = *Page;
    if (Is(Type, T::ColumnFooter))
        return false;
    if (static_cast<std::int64_t>(y) + height + page.ColumnFooterHeight() <= page.CurBottomY)
        return false;
    if (!testOnly) {
        if (page.FreshPage)
            page.BandDoesNotFit(*this);  // a new page would be no roomier
        else
            page.NewColumn(this);
    }
    return true;
}

bool TrpBand::PrintObjects()
{
    TrpRunState& state = RunState();
    TrpPage& page = *Page;
    for (std::size_t i = 0; i < Objects.size() && !RunTerminated(); ++i) {
        TrpView& view = *Objects[i];
        if (view.TypeCode == ObjectType::SubReport) {
            if (!view.Visible || !OwnedBy(view, *this))
                continue;
            FirstSubReport = static_cast<std::int32_t>(i);
            const std::int32_t pageBefore = state.PageNo;
            const std::int32_t yBefore = page.CurY;
            InitSubReports();
            RunSubReports();
            if (state.PageNo == pageBefore)
                page.CurY = std::max(page.CurY, std::max(0, yBefore + Height));
            return true;
        }
        PrintObject(view);
    }
    return false;
}

void TrpBand::PrintObject(TrpView& view)
{
    if (!OwnedBy(view, *this))
        return;
    TrpRunState& state = RunState();
    TrpReport& report = RunningReport();
    TrpPage& page = *Page;
    state.View = &view;
    state.Band = this;
    TrpStretcheable* stretchable = Stretchable(&view);
    try {
        if (PageBreak || !report.IsFirstPass()) {
            EmitOnCurrentPage(view, view.Left - page.LeftLimit() + page.XAdjust, view.Top + Y);
        } else {
            // The first pass counts pages: only the script runs.
            if (stretchable == nullptr || stretchable->StretchPhase != 2)
                report.RunScript(view);
            if (stretchable != nullptr)
                stretchable->StretchPhase = 0;
        }
    } catch (...) {
        if (stretchable != nullptr)
            stretchable->StretchPhase = 0;
        RunError(std::current_exception());
    }
    state.View = View;
}

// ---- splitting across pages ------------------------------------------------------

namespace {

// Objects below a grown object (top at or below its old bottom, starting
// within its width) move down with it.
void MoveBelow(TrpBand& band, const TrpView& grown, std::int32_t oldBottom, std::int32_t by)
{
    if (by == 0)
        return;
    for (TrpView* other : band.Objects)
        if (other != &grown && other->Build.StillToPrint && other->Top >= oldBottom && other->Left >= grown.Left &&
            other->Left <= grown.Left + grown.Width)
            other->Top += by;
}

// How far the objects still to print reach below the band's top.
std::int64_t Extent(const TrpBand& band)
{
    std::int64_t extent = std::numeric_limits<std::int64_t>::min();
    for (const TrpView* view : band.Objects)
        if (view->Build.StillToPrint)
            extent = std::max<std::int64_t>(extent, std::int64_t(view->Top) + view->Height);
    return extent;
}

bool AnyStillToPrint(const TrpBand& band)
{
    return std::any_of(band.Objects.begin(), band.Objects.end(),
                       [](const TrpView* view) { return view->Build.StillToPrint; });
}

// Prints an object as a slice at y with the height given, its geometry
// kept.
void PrintSlice(TrpBand& band, TrpStretcheable& object, std::int32_t y, std::int32_t height)
{
    const std::int32_t top = object.Top;
    const std::int32_t saved = object.Height;
    object.Top = y;
    object.Height = height;
    object.StretchPhase = 2;
    band.PrintObject(object);
    object.Top = top;
    object.Height = saved;
}

} // namespace

void TrpBand::SplitPrint()
{
    TrpPage& page = *Page;
    for (TrpView* view : Objects) {
        view->Build.StillToPrint = OwnedBy(*view, *this);
        view->Build.PrintAtEnd = false;
        view->Build.SavedLeft = view->Left;
        view->Build.SavedTop = view->Top;
        view->Build.SavedWidth = view->Width;
        view->Build.SavedHeight = view->Height;
        if (view->BandAlign == TrpBandAlign::Bottom)
            view->Top = CalculatedHeight - view->Height;
    }

    std::int32_t bottom = 0;
    if (!CheckColumnFit(Y, SliceHeight, true)) {
        PrintObjects();
        bottom = SliceHeight;
        for (TrpView* view : Objects)
            view->Build.StillToPrint = false;
    } else {
        while (AnyStillToPrint(*this) && !RunTerminated()) {
            const bool fresh = page.FreshPage;
            const std::int64_t extentBefore = Extent(*this);
            const std::int32_t b = page.CurBottomY - page.ColumnFooterHeight() - Y - 2;
            bottom = 0;
            bool printed = false;
            if (b > 0) {
                for (TrpView* view : Objects) {
                    if (!view->Build.StillToPrint || RunTerminated())
                        continue;
                    TrpStretcheable* stretchable = Stretchable(view);
                    if (view->Top >= 0 && view->Top < b) {
                        if (view->Top + view->Height < b) {
                            PrintObject(*view);
                            view->Build.StillToPrint = false;
                            bottom = std::max(bottom, view->Top + view->Height);
                            printed = true;
                        } else if (stretchable != nullptr) {
                            const std::int32_t height = view->Height;
                            const std::int32_t oldBottom = view->Top + height;
                            // The first slice of a text not yet expanded
                            // expands it.
                            if (stretchable->StretchPhase == 0)
                                stretchable->CalcHeight();
                            view->Height = b - view->Top + 1;
                            const std::int32_t d = stretchable->LeftoverHeight();
                            if (stretchable->MinSliceHeight() < view->Height) {
                                stretchable->StretchPhase = 2;
                                PrintObject(*view);
                                printed = true;
                            }
                            view->Height = height + d;
                            MoveBelow(*this, *view, oldBottom, d);
                        } else {
                            view->Top = b;
                        }
                    } else if (view->Top < 0 && stretchable != nullptr) {
                        const std::int32_t rest = view->Top + view->Height;
                        if (rest >= 0 && rest < b) {
                            if (view->Flags & 1)
                                view->Build.PrintAtEnd = true;
                            else
                                PrintSlice(*this, *stretchable, 0, rest);
                            view->Build.StillToPrint = false;
                            bottom = std::max(bottom, rest);
                            printed = true;
                        } else if (rest >= b) {
                            const std::int32_t oldBottom = view->Top + view->Height;
                            PrintSlice(*this, *stretchable, 0, b);
                            printed = true;
                            const std::int32_t savedHeight = view->Height;
                            view->Height = b;
                            const std::int32_t d = stretchable->LeftoverHeight();
                            view->Height = savedHeight + d;
                            MoveBelow(*this, *view, oldBottom, d);
                        }
                    }
                }
                for (TrpView* view : Objects)
                    if (view->Build.StillToPrint)
                        view->Top -= b;
            }
            if (printed && page.BreakDepth == 0)
                page.FreshPage = false;
            if (!AnyStillToPrint(*this) || RunTerminated())
                break;
            // A page that starts empty and still takes nothing of the band
            // would do so again on every page.
            if (fresh && (b <= 0 || Extent(*this) >= extentBefore)) {
                page.BandDoesNotFit(*this);
                break;
            }
            page.NewColumn(this);
            Y = page.CurY;
        }
    }

    SliceHeight = bottom;
    for (TrpView* view : Objects)
        if (view->Build.PrintAtEnd) {
            if (auto* stretchable = Stretchable(view))
                PrintSlice(*this, *stretchable, 0, SliceHeight);
            view->Build.PrintAtEnd = false;
        }
    for (TrpView* view : Objects) {
        view->Top = view->Build.SavedTop;
        view->Height = view->Build.SavedHeight;
        view->Build.StillToPrint = false;
    }
    page.CurY += SliceHeight;
}

} // namespace report
