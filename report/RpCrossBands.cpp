// Cross bands: a band that carries objects of the cross bands prints them
// once for every record of a second data set, column after column to the
// right, continuing on the next page when a column passes the right edge.

#include "RpBandEngineRun.h"

#include <algorithm>

namespace report {

namespace {

using T = TrpBandType;

class CrossPrinter {
public:
    explicit CrossPrinter(TrpBand& band) : band_(band), page_(*band.Page) {}

    void Run();

private:
    // The cross objects of a cross band that sit in the printed band, at
    // the cross x.
    void PrintObjects(TrpBand& cross, std::int32_t x);
    // A column of that width that passes the right edge goes on on the next
    // page, at the same y.
    void CheckOverflow(std::int32_t width);

    TrpBand& band_;
    TrpPage& page_;
    std::int32_t crossX_ = 0;
};

void CrossPrinter::PrintObjects(TrpBand& cross, std::int32_t x)
{
    TrpRunState& state = RunState();
    TrpReport& report = RunningReport();
    cross.LineNo = band_.LineNo;
    cross.LineThrough = band_.LineThrough;
    const TrpCurrentBandScope scope;
    for (TrpView* view : band_.Objects) {
        if (view->Build.Owner != &cross || RunTerminated())
            continue;
        state.Band = &cross;
        state.View = view;
        try {
            if (!report.IsFirstPass())
                EmitOnCurrentPage(*view, view->Left + x, view->Top + band_.Y);
            else
                report.RunScript(*view);
        } catch (...) {
            RunError(std::current_exception());
        }
    }
}

void CrossPrinter::CheckOverflow(std::int32_t width)
{
    if (crossX_ + width <= page_.RightLimit())
        return;
    TrpRunState& state = RunState();
    TrpEMFPages& pages = RunPages();
    crossX_ = page_.LeftLimit();
    ++state.PageNo;
    if (state.PageNo >= static_cast<std::int32_t>(pages.Count())) {
        const std::int32_t y = page_.CurY;
        pages.AddPage(page_);
        {
            const TrpBreakScope automatic(page_);
            const TrpCurrentBandScope scope;
            page_.FirstBand(T::Overlay)->PrintBand();
            TrpBand* header = page_.FirstBand(T::PageHeader);
            if (!(state.PageNo == 0 && !(header->Flags & BandFlag::OnFirstPage))) {
                page_.CurY = page_.TopLimit();
                header->PrintBand();
            }
        }
        page_.CurY = y;
        RunProgress(state.PageNo + 1);
    }
    TrpBand* header = page_.FirstBand(T::CrossHeader);
    if (header->Exists() && (header->Flags & BandFlag::RepeatHeader)) {
        PrintObjects(*header, page_.LeftLimit());
        crossX_ = page_.LeftLimit() + header->Width;
    }
}

void CrossPrinter::Run()
{
    TrpRunState& state = RunState();
    TrpReport& report = RunningReport();
    page_.ColumnNo = 1;
    const std::int32_t savedPageNo = state.PageNo;
    const TrpFlagScope crossMode(page_.CrossMode, true);

    TrpBand* header = page_.FirstBand(T::CrossHeader);
    if (header->Exists()) {
        RunLines(header->Memo, header->View);
        RunLines(header->Script, header->View);
        PrintObjects(*header, header->X);
        crossX_ = header->X + header->Width;
    }

    TrpBand* data = page_.FirstBand(T::CrossData);
    if (data->Exists() && !RunTerminated()) {
        if (crossX_ == 0)
            crossX_ = data->X;
        TrpDataset* dataSet = data->DataSet != nullptr ? data->DataSet : band_.CrossDataSet;
        std::unique_ptr<TrpDataset> columns;
        if (dataSet == nullptr && band_.Type == static_cast<int>(T::MasterFooter)) {
            // A footer without a data set of its own spans the widest row.
            columns = std::make_unique<TrpUserDataset>();
            columns->RangeEnd = reCount;
            columns->RangeEndCount = data->WidestRow;
            dataSet = columns.get();
        }
        if (dataSet != nullptr) {
            data->AggregateOwner = &band_;
            std::int32_t records = 0;
            try {
                dataSet->First();
                while (!dataSet->Eof() && !RunTerminated()) {
                    std::int32_t width = data->Width;
                    report.PrintColumn(page_.ColumnNo, width);
                    RunLines(data->Memo, data->View);
                    RunLines(data->Script, data->View);
                    CheckOverflow(width);
                    PrintObjects(*data, crossX_);
                    data->UpdateAggregates();
                    if (band_.IsDataBand())
                        band_.UpdateAggregates();
                    crossX_ += width;
                    ++page_.ColumnNo;
                    ++records;
                    dataSet->Next();
                }
            } catch (...) {
                RunError(std::current_exception());
            }
            data->WidestRow = std::max(data->WidestRow, records);
        }
    }

    TrpBand* footer = page_.FirstBand(T::CrossFooter);
    if (footer->Exists() && !RunTerminated()) {
        RunLines(footer->Memo, footer->View);
        RunLines(footer->Script, footer->View);
        CheckOverflow(footer->Width);
        PrintObjects(*footer, crossX_);
        footer->ResetAggregates();
    }
    state.PageNo = savedPageNo;
}

} // namespace

void TrpBand::PrintCross()
{
    if (Type == static_cast<int>(T::PageFooter) || RunTerminated())
        return;
    CrossPrinter(*this).Run();
}

} // namespace report
