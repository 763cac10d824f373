// The band engine of one template page: the bands made from the page's
// band views and their chains, data-field binding and the registration of
// aggregates, the page loop, the data loop over up to three levels with
// groups, and the page and column breaks.

#include "RpBandEngineRun.h"

#include "RpFieldReferences.h"
#include "RpFunctions.h"
#include "RpGlobals.h"
#include "RpLineView.h"
#include "RpMemoView.h"
#include "VariantRules.h"

#include <algorithm>

namespace report {

namespace {

using T = TrpBandType;

constexpr int kHeader = 0;
constexpr int kData = 1;
constexpr int kFooter = 2;
// Header, data and footer band types of the three data levels.
constexpr int kLevelTypes[3][3] = {{4, 5, 6}, {7, 8, 9}, {10, 11, 12}};

bool SameName(const std::string& a, const std::string& b)
{
    return UpperName(a) == UpperName(b);
}

bool IsCrossType(int type)
{
    return type >= static_cast<int>(T::CrossHeader) && type <= static_cast<int>(T::CrossFooter);
}

TrpBand& NewBand(TrpPage& page, int type)
{
    page.Bands.push_back(std::make_unique<TrpBand>(&page, type));
    return static_cast<TrpBand&>(*page.Bands.back());
}

// The bands of one type, first to last.
std::vector<TrpBand*> Chain(const TrpPage& page, int type)
{
    std::vector<TrpBand*> bands;
    for (TrpBand* band = page.FirstBands[static_cast<std::size_t>(type)]; band != nullptr; band = band->NextBand)
        bands.push_back(band);
    return bands;
}

// The objects of the band and of every band view, in page order.
bool IsBandView(const TrpView& view)
{
    return view.TypeCode == ObjectType::Band;
}

bool IsSubReport(const TrpView& view)
{
    return view.TypeCode == ObjectType::SubReport;
}

// Copies what every band takes of its view.
void FillFromView(TrpBand& band, TrpBandView& view)
{
    band.View = &view;
    band.Memo = view.Memo;
    band.Script = view.Script;
    band.Flags = view.Flags;
    band.Visible = view.Visible;
    band.Name = view.Name;
    band.X = view.Left;
    band.Width = view.Width;
    band.BandColumn = 1;
    view.Runtime = &band;
}

} // namespace

// ---- preparation -----------------------------------------------------------------

bool TrpPage::PrepareBuild()
{
    if (PageType == 1)
        return Form() != nullptr || PrepareDialog();  // the second pass asks no more
    if (Prepared) {
        // The second pass of a two-pass run starts where the first did.
        for (const auto& view : Objects)
            if (auto* memo = dynamic_cast<TrpMemoView*>(view.get()))
                memo->PreviousText.clear();
        for (TrpBand* band : FirstBands)
            if (band != nullptr && band->DataSet != nullptr) {
                try {
                    band->DataSet->First();
                } catch (...) {
                    RunError(std::current_exception());
                }
            }
        return true;
    }
    Bands.clear();
    FirstBands = {};
    for (int type = 0; type < kBandTypeCount; ++type)
        FirstBands[static_cast<std::size_t>(type)] = &NewBand(*this, type);
    BuildBandLists();
    CurrentNo = 1;
    ColumnNo = 1;
    Prepared = true;
    return true;
}

void TrpPage::UnprepareBuild()
{
    if (RunningReport().IsFirstPass())
        return;
    if (PageType == 1) {
        UnprepareDialog();
        return;
    }
    for (const auto& view : Objects)
        if (auto* band = dynamic_cast<TrpBandView*>(view.get()))
            band->Runtime = nullptr;
    FirstBands = {};
    LastPrintedBand = nullptr;
    ContinuingBand = nullptr;
    PlayList.clear();
    Bands.clear();
    Prepared = false;
}

void TrpPage::OpenDataSets()
{
    for (const auto& owned : Bands) {
        auto& band = static_cast<TrpBand&>(*owned);
        try {
            if (band.DataSet != nullptr)
                band.DataSet->Open();
            if (band.CrossDataSet != nullptr)
                band.CrossDataSet->Open();
            band.DataSetsOpened = true;
        } catch (...) {
            RunError(std::current_exception());
            return;
        }
    }
}

// ---- band lists ------------------------------------------------------------------

namespace {

// The data source of a band from its view's text: a group header's
// condition, or a data set found by name.
void BindDataSource(TrpBand& band, const std::string& text)
{
    if (band.Type == static_cast<int>(T::GroupHeader)) {
        try {
            band.GroupCondition = text.empty() ? std::string() : EngineGlobals().Parser.ToPostfix(text);
        } catch (...) {
            RunError(std::current_exception());
        }
        return;
    }
    if (text.empty() || text.find(';') != std::string::npos)
        return;
    band.DataSet = FindDataSetByName(text, RunningReport().parent(), band.OwnedDataSet);
}

// An object joins a band: its position becomes relative to the band.
void Join(TrpBand& band, TrpView& view)
{
    view.Top -= band.Y;
    view.Build.Placed = true;
    if (view.Build.Owner == nullptr)
        view.Build.Owner = &band;
    band.Objects.push_back(&view);
}

bool TopInside(const TrpBand& band, const TrpView& view)
{
    return view.Top >= band.Y && view.Top <= band.Y + band.Height;
}

} // namespace

void TrpPage::BuildBandLists()
{
    TrpReport& report = RunningReport();
    // 1. Every object starts outside every band; scripts are compiled once
    // for the whole run.
    for (const auto& view : Objects) {
        view->Build = TrpViewBuild{};
        if (auto* memo = dynamic_cast<TrpMemoView*>(view.get()); memo != nullptr && !memo->HighlightCondition.empty()) {
            try {
                memo->HighlightCondition = EngineGlobals().Parser.ToPostfix(memo->HighlightCondition);
            } catch (...) {
                RunError(std::current_exception());
            }
        }
        report.CompileScript(view->Script, view.get());
        if (auto* sub = dynamic_cast<TrpSubReportView*>(view.get())) {
            if (Owner() != nullptr && sub->SubPage >= 0 && static_cast<std::size_t>(sub->SubPage) < Owner()->Count())
                Owner()->Page(static_cast<std::size_t>(sub->SubPage)).Skip = true;
        }
    }

    // 2. Cross bands: one of each type, owning the objects inside its
    // width.
    bool anyCross = false;
    for (const auto& view : Objects) {
        auto* bandView = dynamic_cast<TrpBandView*>(view.get());
        if (bandView == nullptr || !IsCrossType(bandView->BandType()))
            continue;
        TrpBand& band = *FirstBands[static_cast<std::size_t>(bandView->BandType())];
        FillFromView(band, *bandView);
        band.Y = 0;
        band.Height = bandView->Height;
        BindDataSource(band, bandView->DataSource());
        anyCross = true;
    }
    if (anyCross) {
        for (int type : {18, 19, 20}) {
            TrpBand& band = *FirstBands[static_cast<std::size_t>(type)];
            if (band.View == nullptr)
                continue;
            for (const auto& view : Objects) {
                if (IsBandView(*view) || view->Build.Placed || view->Build.Owner != nullptr)
                    continue;
                if (view->Left >= band.X && view->Left + view->Width <= band.X + band.Width) {
                    view->Left -= band.X;
                    view->Build.Owner = &band;
                    band.Objects.push_back(view.get());
                }
            }
        }
    }

    // 3. The other bands, type by type, each taking the objects whose top
    // lies inside it.
    for (int type = 0; type <= static_cast<int>(T::Child); ++type) {
        if (IsCrossType(type))
            continue;
        bool first = true;
        for (const auto& view : Objects) {
            auto* bandView = dynamic_cast<TrpBandView*>(view.get());
            if (bandView == nullptr || bandView->BandType() != type)
                continue;
            // A further band of the type is linked into the chain after sorting.
            TrpBand& band = first ? *FirstBands[static_cast<std::size_t>(type)] : NewBand(*this, type);
            first = false;
            FillFromView(band, *bandView);
            band.Y = bandView->Top;
            band.Height = bandView->Height;
            band.Stretched = (band.Flags & BandFlag::Stretched) != 0;
            band.PrintIfSubsetEmpty = (band.Flags & BandFlag::PrintIfSubsetEmpty) != 0;
            band.PrintChildIfInvisible = (band.Flags & BandFlag::PrintChildIfInvisible) != 0;
            band.NewPageAfter = !Skip && (band.Flags & BandFlag::FormNewPage) != 0;
            band.PageBreak = !Skip && (band.Flags & BandFlag::Breaked) != 0;
            BindDataSource(band, bandView->DataSource());
            if (band.Type == static_cast<int>(T::MasterData) && band.DataSet == nullptr &&
                report.ReportType == rtSimple && report.Dataset != nullptr)
                band.DataSet = report.Dataset.data();
            for (const auto& object : Objects)
                if (!IsBandView(*object) && !object->Build.Placed && object->Build.Owner == nullptr &&
                    !IsSubReport(*object) && TopInside(band, *object))
                    Join(band, *object);
            for (const auto& object : Objects)
                if (!IsBandView(*object) && !object->Build.Placed && object->Build.Owner != nullptr &&
                    IsCrossType(object->Build.Owner->Type) && TopInside(band, *object)) {
                    Join(band, *object);
                    band.HasCrossObjects = true;
                }
            for (const auto& object : Objects)
                if (!object->Build.Placed && object->Build.Owner == nullptr && IsSubReport(*object) &&
                    TopInside(band, *object))
                    Join(band, *object);
        }
    }

    // 4. Each chain sorted by top (the earlier of equal tops first) and
    // linked both ways.
    for (int type = 0; type < kBandTypeCount; ++type) {
        std::vector<TrpBand*> bands;
        for (const auto& owned : Bands) {
            auto* band = static_cast<TrpBand*>(owned.get());
            if (band->Type == type)
                bands.push_back(band);
        }
        // Among equal tops the earlier band stays first.
        std::stable_sort(bands.begin(), bands.end(),
                         [](const TrpBand* a, const TrpBand* b) { return a->Y < b->Y; });
        for (std::size_t i = 0; i < bands.size(); ++i) {
            bands[i]->PrevBand = i > 0 ? bands[i - 1] : nullptr;
            bands[i]->NextBand = i + 1 < bands.size() ? bands[i + 1] : nullptr;
        }
        FirstBands[static_cast<std::size_t>(type)] = bands.front();
    }

    // 5. What lies outside every band belongs to the None band.
    TrpBand& none = *FirstBand(T::None);
    none.Y = 0;
    for (const auto& view : Objects)
        if (!IsBandView(*view) && !view->Build.Placed)
            Join(none, *view);

    // 6. Headers and footers of the data levels.
    for (const auto& level : kLevelTypes) {
        const std::vector<TrpBand*> data = Chain(*this, level[kData]);
        for (TrpBand* header : Chain(*this, level[kHeader])) {
            if (!header->Exists())
                continue;
            for (TrpBand* band : data)
                if (band->Exists() && header->Y + header->Height < band->Y) {
                    if (band->HeaderBand == nullptr) {
                        band->HeaderBand = header;
                        header->DataBand = band;
                    }
                    break;
                }
        }
        for (TrpBand* footer : Chain(*this, level[kFooter])) {
            if (!footer->Exists())
                continue;
            for (auto it = data.rbegin(); it != data.rend(); ++it)
                if ((*it)->Exists() && (*it)->Y + (*it)->Height <= footer->Y) {
                    if ((*it)->FooterBand == nullptr) {
                        (*it)->FooterBand = footer;
                        footer->DataBand = *it;
                    }
                    break;
                }
        }
    }

    // 7. Group footers pair with group headers, innermost first.
    {
        std::vector<TrpBand*> headers = Chain(*this, static_cast<int>(T::GroupHeader));
        const std::vector<TrpBand*> footers = Chain(*this, static_cast<int>(T::GroupFooter));
        std::erase_if(headers, [](const TrpBand* b) { return !b->Exists(); });
        std::size_t f = 0;
        for (auto it = headers.rbegin(); it != headers.rend() && f < footers.size(); ++it, ++f)
            if (footers[f]->Exists())
                (*it)->FooterBand = footers[f];
    }

    // 8. Cross data sets named band by band.
    {
        TrpBand& crossData = *FirstBand(T::CrossData);
        const std::string text = crossData.View != nullptr ? crossData.View->DataSource() : std::string();
        if (crossData.Exists() && text.find(';') != std::string::npos) {
            std::size_t start = 0;
            while (start <= text.size()) {
                std::size_t end = text.find(';', start);
                if (end == std::string::npos)
                    end = text.size();
                const std::string item = text.substr(start, end - start);
                const std::size_t equals = item.find('=');
                if (equals != std::string::npos) {
                    const std::string bandName = item.substr(0, equals);
                    const std::string dataSetName = item.substr(equals + 1);
                    for (const auto& owned : Bands) {
                        auto& band = static_cast<TrpBand&>(*owned);
                        if (band.Type >= 4 && band.Type <= 21 && band.View != nullptr &&
                            SameName(band.View->Name, bandName))
                            band.CrossDataSet =
                                FindDataSetByName(dataSetName, report.parent(), band.OwnedCrossDataSet);
                    }
                }
                start = end + 1;
            }
        }
    }

    // 9. Child bands.
    for (const auto& owned : Bands) {
        auto& band = static_cast<TrpBand&>(*owned);
        if (band.View != nullptr && !band.View->ChildBand.empty())
            band.SetChildBand(band.View->ChildBand);
    }

    // 10. Groups attach to their data band, outermost first.
    if (FirstBand(T::MasterData)->Exists()) {
        for (TrpBand* group : Chain(*this, static_cast<int>(T::GroupHeader))) {
            if (!group->Exists())
                continue;
            TrpBand* data = FirstBand(T::MasterData);
            if (!group->View->Master.empty())
                for (const auto& owned : Bands) {
                    auto& band = static_cast<TrpBand&>(*owned);
                    if (band.IsDataBand() && band.View != nullptr && SameName(band.View->Name, group->View->Master)) {
                        data = &band;
                        break;
                    }
                }
            group->DataBand = data;
            group->PrevGroup = data->LastGroup;
            if (data->LastGroup != nullptr)
                data->LastGroup->NextGroup = group;
            else
                data->FirstGroup = group;
            data->LastGroup = group;
        }
    }

    // 11. Columns of the page.
    if (Columns <= 0)
        Columns = 1;
    ColumnWidth = (RightLimit() - LeftLimit() - (Columns - 1) * ColumnGap) / Columns;
}

// ---- data fields and aggregates --------------------------------------------------

namespace {

// The aggregate calls in a band's objects and scripts register against the
// data band.
void RegisterAggregates(TrpBand& band, TrpBand& dataBand)
{
    if (!band.Exists())
        return;
    TrpReport& report = RunningReport();
    std::vector<std::string> calls;
    TAggregateFunctionsSplitter splitter(calls, &report.Dictionary.Variables);
    splitter.SplitScript(band.Memo);
    splitter.SplitScript(band.Script);
    for (TrpView* view : band.Objects) {
        if (view->Build.Owner != &band && !(view->Build.Owner != nullptr && IsCrossType(view->Build.Owner->Type)))
            continue;
        splitter.SplitMemo(view->Memo);
        splitter.SplitScript(view->Script);
    }
    if (calls.empty())
        return;
    TrpRunState& state = RunState();
    const TrpCurrentBandScope scope;
    const TrpFlagScope measuring(state.MeasuringPass, true);
    TrpBand* const savedRegistering = state.RegisteringBand;
    state.Band = &band;
    state.RegisteringBand = &dataBand;
    try {
        for (const std::string& call : calls)
            report.Evaluate(call);
    } catch (...) {
        state.RegisteringBand = savedRegistering;
        throw;
    }
    state.RegisteringBand = savedRegistering;
}

// The band types whose aggregates register against a data band of each
// level (and the cross data band, level 4).
const std::vector<int>& RegisteredTypes(int level)
{
    static const std::vector<int> kTypes[4] = {
        {3, 15, 6, 17, 1}, {3, 15, 6, 9, 17, 1}, {3, 15, 6, 9, 12, 17, 1}, {20}};
    return kTypes[level - 1];
}

void RegisterTypes(TrpPage& page, TrpBand& dataBand, int level)
{
    for (int type : RegisteredTypes(level)) {
        TrpBand* first = page.FirstBands[static_cast<std::size_t>(type)];
        // The first band and its children, then the further bands.
        for (TrpBand* child = first; child != nullptr; child = child->ChildBand) {
            RegisterAggregates(*child, dataBand);
            if (child->ChildBand == first)
                break;
        }
        for (TrpBand* band = first->NextBand; band != nullptr; band = band->NextBand)
            RegisterAggregates(*band, dataBand);
    }
}

} // namespace

void TrpPage::PrepareDataFields()
{
    if (PageType != 0)
        return;
    TrpReport& report = RunningReport();
    // Objects whose whole text is one bracketed field name read blobs from
    // the field.
    for (const auto& view : Objects) {
        view->Build.FieldDataSet = nullptr;
        view->Build.FieldName.clear();
        if (IsBandView(*view))
            continue;
        if (auto* memo = dynamic_cast<TrpMemoView*>(view.get()); memo != nullptr && (memo->Flags & MemoFlag::TextOnly))
            continue;
        std::string text = JoinTextLines(view->Memo);
        if (text.size() <= 2 || text.front() != '[')
            continue;
        const std::size_t close = text.rfind(']');
        if (close == std::string::npos || close < 1)
            continue;
        const std::string inner = text.substr(1, close - 1);
        try {
            std::string reference = inner;
            const int alias = report.Dictionary.FieldAliases.IndexOf(inner);
            if (alias >= 0)
                reference = report.Dictionary.FieldAliases.GetValue(alias).toText();
            TDataSet* dataSet = nullptr;
            if (report.UseDefaultDataSetName) {
                const TrpCurrentBandScope scope;
                RunState().Band = view->Build.Owner;
                dataSet = report::CurrentBandDataSet();
            }
            std::string field;
            SplitFieldReference(reference, dataSet, field, report.FieldLookup());
            if (dataSet != nullptr && !field.empty()) {
                view->Build.FieldDataSet = dataSet;
                view->Build.FieldName = field;
            }
        } catch (const std::exception&) {
            // Not a field: the text is an expression.
        }
    }

    try {
        for (int level = 1; level <= 3; ++level)
            for (TrpBand* data = FirstBands[static_cast<std::size_t>(LevelDataBandType(level))];
                 data != nullptr && data->DataSet != nullptr; data = data->NextBand)
                RegisterTypes(*this, *data, level);
        TrpBand& crossData = *FirstBand(T::CrossData);
        if (crossData.Exists())
            RegisterTypes(*this, crossData, 4);
    } catch (...) {
        RunError(std::current_exception());
    }
}

// ---- the page loop ---------------------------------------------------------------

void TrpPage::GeneratePages()
{
    TrpRunState& state = RunState();
    TrpReport& report = RunningReport();
    const bool manual = static_cast<bool>(report.OnManualBuild);

    // 1. A page without data builds nothing, unless empty reports print.
    if (!report.PrintIfEmpty) {
        bool empty = true;
        TrpDataset* data = FirstBand(T::MasterData)->DataSet;
        if (data != nullptr) {
            try {
                data->First();
                empty = data->Eof();
            } catch (...) {
                empty = true;
            }
        }
        if (empty) {
            if (state.Append)
                ++state.PageNo;
            return;
        }
    }

    const TrpFlagScope active(Active, true);
    RepeatHeadersDisabled = false;
    TrpEMFPages& pages = RunPages();
    if (Mode == 0) {
        RunScript();
        if (state.Append && state.SavedY == state.SavedBottomY) {
            state.Append = false;
            state.FooterPrinted = false;
            state.PageNo = static_cast<std::int32_t>(pages.Count());
        }
        CurBottomY = state.Append && state.FooterPrinted ? state.SavedBottomY : BottomLimit();
        CurColumn = 0;
        XAdjust = LeftLimit();
        ColumnStartY = TopLimit();
        if (state.Append) {
            CurY = state.SavedY;
            FreshPage = false;
        } else {
            pages.AddPage(*this);
            CurY = TopLimit();
            FreshPage = true;
            const TrpBreakScope automatic(*this);
            ShowBand(FirstBand(T::Overlay));
            ShowBand(FirstBand(T::None));
        }
        if (!manual) {
            const std::int32_t pageBefore = state.PageNo;
            ShowBand(FirstBand(T::ReportTitle));
            if (state.PageNo == pageBefore && !RunTerminated()) {
                const TrpBreakScope automatic(*this);
                TrpBand* header = FirstBand(T::PageHeader);
                if (header->Exists() && (header->Flags & BandFlag::OnFirstPage))
                    ShowBand(header);
                ShowBand(FirstBand(T::ColumnHeader));
            }
        }
    }

    // 2. The data.
    if (!manual && !RunTerminated())
        RunDataLevel(1);

    // 3. The end of the page.
    if (Mode == 0) {
        if (manual) {
            // The application's build takes the place of the summary and
            // of the saved place where a next page would continue.
            report.OnManualBuild(*this);
        } else {
            if (!RunTerminated()) {
                RepeatHeadersDisabled = true;
                ShowBand(FirstBand(T::ColumnFooter));
                {
                    const TrpFlagScope ignored(ColumnFooterIgnored, true);
                    ShowBand(FirstBand(T::ReportSummary));
                }
                RepeatHeadersDisabled = false;
            }
            state.SavedY = CurColumn > 0 ? BottomLimit() : CurY;
            state.SavedBottomY = CurBottomY;
            CurColumn = 0;
            XAdjust = LeftLimit();
        }

        const std::int32_t pageBefore = state.PageNo;
        state.FooterPrinted = false;
        TrpBand* footer = FirstBand(T::PageFooter);
        if (!manual && !RunTerminated() &&
            ((state.PageNo == 0 && (footer->Flags & BandFlag::OnFirstPage)) || (footer->Flags & BandFlag::OnLastPage))) {
            const std::uint16_t saved = footer->Flags;
            footer->Flags |= BandFlag::OnFirstPage;
            state.FooterPrinted = footer->Exists();
            if (state.FooterPrinted)
                EndPages();
            footer->Flags = saved;
        }
        // The last page ends once: EndPages told of it when it printed the
        // footer there.
        if (!state.FooterPrinted)
            FireEndPage(state.PageNo);
        state.PageNo = pageBefore + 1;
    }
    LastPrintedBand = nullptr;
}

// ---- the data loop ---------------------------------------------------------------

namespace {

// The bands waiting to print: headers wait for the first record that
// prints below them.
void Pend(TrpPage& page, TrpBand* band)
{
    if (band != nullptr)
        page.Pending.push_back(band);
}

void PrintPending(TrpPage& page)
{
    // A band printed here may queue more: take the list first.
    std::vector<TrpBand*> bands;
    bands.swap(page.Pending);
    for (TrpBand* band : bands) {
        if (RunTerminated())
            break;
        if (band->Exists())
            page.ShowBand(band);
    }
}

int DeepestLevel(const TrpPage& page)
{
    int deepest = 1;
    for (int level = 1; level <= 3; ++level)
        if (page.FirstBands[static_cast<std::size_t>(LevelDataBandType(level))]->Exists())
            deepest = level;
    return deepest;
}

// Whether the group's condition has another value now.
bool GroupChanged(TrpBand& group, TrpDataset& data)
{
    if (data.Eof() || group.LastGroupValue.isEmpty())
        return true;
    const TrpCurrentBandScope scope;
    RunState().Band = &group;
    TrpReport& report = RunningReport();
    const Variant value = report.EvalPostfix(group.GroupCondition);
    try {
        const VarCmpResult order = VarCmp(value, group.LastGroupValue, report.Settings);
        if (order == VarCmpResult::Null)
            return !(value.isNull() && group.LastGroupValue.isNull());
        return order != VarCmpResult::Equal;
    } catch (const std::exception&) {
        return true;  // values that do not compare differ
    }
}

} // namespace

void TrpPage::RunDataLevel(int level)
{
    if (level == 1)
        Pending.clear();
    const int deepest = DeepestLevel(*this);
    const int type = kLevelTypes[level - 1][kData];
    for (TrpBand* band = FirstBands[static_cast<std::size_t>(type)]; band != nullptr && !RunTerminated();
         band = band->NextBand) {
        TrpDataset* data = band->DataSet;
        if (data == nullptr)
            continue;
        try {
            data->First();
            if (Mode == 1) {
                PlayList.push_back({band, TrpPlayAction::First});
            } else {
                ResetLine(band, 1);
                band->LineThrough = 1;
            }
            for (TrpBand* group = band->FirstGroup; group != nullptr; group = group->NextGroup) {
                group->LineNo = 0;
                group->LineThrough = 0;
            }
            if (data->Eof())
                continue;

            Pend(*this, band->HeaderBand);
            for (TrpBand* group = band->FirstGroup; group != nullptr; group = group->NextGroup) {
                Pend(*this, group);
                ++group->LineNo;
                ++group->LineThrough;
            }
            if (band->FooterBand != nullptr)
                band->FooterBand->ResetAggregates();

            while (!data->Eof() && !RunTerminated()) {
                bool printed = true;
                Pend(*this, band);
                if (band->PrintIfSubsetEmpty)
                    PrintPending(*this);
                if (level == deepest) {
                    PrintPending(*this);
                } else {
                    RunDataLevel(level + 1);
                    if (!Pending.empty()) {
                        if (band->PrintIfSubsetEmpty) {
                            PrintPending(*this);
                        } else {
                            Pending.pop_back();
                            printed = false;
                        }
                    }
                }
                if (RunTerminated())
                    break;
                data->Next();

                TrpBand* changed = nullptr;
                for (TrpBand* group = band->FirstGroup; group != nullptr; group = group->NextGroup)
                    if (GroupChanged(*group, *data)) {
                        changed = group;
                        break;
                    }
                if (changed != nullptr) {
                    const bool end = data->Eof();
                    bool steppedBack = false;
                    if (!end) {
                        try {
                            data->Prior();
                            steppedBack = true;
                        } catch (...) {
                        }
                    }
                    for (TrpBand* group = band->LastGroup; group != nullptr && group != changed;
                         group = group->PrevGroup) {
                        Pend(*this, group->FooterBand);
                        group->LineNo = 0;
                        if (group->FooterBand != nullptr)
                            group->FooterBand->LineNo = 0;
                    }
                    Pend(*this, changed->FooterBand);
                    PrintPending(*this);
                    if (!end) {
                        if (steppedBack)
                            data->Next();
                        if (changed->NewPageAfter && changed->Visible && Mode == 0)
                            NewPage();
                        for (TrpBand* group = changed; group != nullptr; group = group->NextGroup) {
                            Pend(*this, group);
                            ++group->LineNo;
                            ++group->LineThrough;
                        }
                        band->LineNo = 0;
                    }
                }

                if (Mode == 1) {
                    PlayList.push_back({band, TrpPlayAction::Next});
                } else if (printed) {
                    ++CurrentNo;
                    ++band->LineThrough;
                    ++band->LineNo;
                    if (!data->Eof() && band->NewPageAfter && band->Visible)
                        NewPage();
                }
            }
            if (!Pending.empty())
                Pending.pop_back();
            else if (band->FooterBand != nullptr)
                ShowBand(band->FooterBand);
        } catch (...) {
            RunError(std::current_exception());
            return;
        }
    }
}

void TrpPage::ResetLine(TrpBand* band, std::int32_t value)
{
    if (band == nullptr)
        return;
    band->LineNo = value;
    for (TrpView* view : band->Objects)
        if (auto* memo = dynamic_cast<TrpMemoView*>(view))
            memo->PreviousText.clear();
}

// ---- bands by name, and breaks ------------------------------------------------------

void TrpPage::ShowBand(TrpBand* band)
{
    if (band == nullptr)
        return;
    if (Mode == 1) {
        PlayList.push_back({band, TrpPlayAction::Print});
        return;
    }
    band->PrintBand();
}

void TrpPage::ShowBandByName(const std::string& name)
{
    for (TrpBand* first : FirstBands)
        for (TrpBand* band = first; band != nullptr; band = band->NextBand)
            if (band->View != nullptr && SameName(band->View->Name, name)) {
                if (band->Printing) {
                    RunError("SHOWBAND(" + name + ") is called while that band prints");
                    return;
                }
                const TrpCurrentBandScope scope;
                band->PrintBand();
                return;
            }
}

std::int32_t TrpPage::ColumnFooterHeight() const
{
    const TrpBand* footer = FirstBand(T::ColumnFooter);
    return ColumnFooterIgnored || footer == nullptr ? 0 : footer->ExistingHeight();
}

void TrpPage::BandDoesNotFit(const TrpBand& band)
{
    const std::string name = band.Name.empty() ? BandTypeName(band.Type) : band.Name;
    RunError("The band \"" + name + "\" does not fit on a page");
}

void TrpPage::BreakWhileBreaking(const TrpBand* band)
{
    const std::string name = band == nullptr ? std::string("?") : band->Name.empty() ? BandTypeName(band->Type) : band->Name;
    RunError("The band \"" + name + "\" asks for a new page or column while one begins");
}

void TrpPage::NewPage()
{
    TrpRunState& state = RunState();
    if (BreakDepth > 0) {
        BreakWhileBreaking(state.Band);
        return;
    }
    TrpEMFPages& pages = RunPages();
    RunProgress(static_cast<int>(pages.Count()) + 1);
    const TrpCurrentBandScope scope;
    {
        const TrpBreakScope automatic(*this);
        if (!RepeatHeadersDisabled)
            ShowBand(FirstBand(T::ColumnFooter));
        EndPages();
    }
    if (RunTerminated())
        return;
    CurBottomY = BottomLimit();
    pages.AddPage(*this);
    state.Append = false;
    CurY = TopLimit();
    ColumnStartY = CurY;
    FreshPage = true;
    const TrpBreakScope automatic(*this);
    ShowBand(FirstBand(T::Overlay));
    ShowBand(FirstBand(T::PageHeader));
    ShowBand(FirstBand(T::ColumnHeader));
}

void TrpPage::NewColumn(TrpBand* band)
{
    if (BreakDepth > 0) {
        // A band that comes with every new page or column asked for one:
        // it would ask again on the next.
        BreakWhileBreaking(band);
        return;
    }
    const TrpCurrentBandScope scope;
    if (CurColumn < Columns - 1) {
        const TrpBreakScope automatic(*this);
        ShowBand(FirstBand(T::ColumnFooter));
        ++CurColumn;
        XAdjust += ColumnWidth + ColumnGap;
        CurY = ColumnStartY;
        ShowBand(FirstBand(T::ColumnHeader));
    } else {
        NewPage();
    }
    if (RunTerminated() || band == nullptr)
        return;
    TrpReport& report = RunningReport();
    if (report.OnBeginColumn)
        report.OnBeginColumn(*band);
    const TrpBreakScope automatic(*this);
    // The page's group headers come again, whichever band broke the page
    // (a detail row, a footer): all of them, or those above the group
    // header that broke it.
    for (TrpBand* group = FirstBand(T::GroupHeader); group != nullptr && group != band; group = group->NextBand)
        if (group->Exists() && (group->Flags & BandFlag::RepeatHeader) && !RepeatHeadersDisabled) {
            const TrpFlagScope repeated(group->RepeatedHeader, true);
            ShowBand(group);
        }
    if (band->IsDataBand() && band->HeaderBand != nullptr && (band->HeaderBand->Flags & BandFlag::RepeatHeader)) {
        const TrpFlagScope repeated(band->HeaderBand->RepeatedHeader, true);
        ShowBand(band->HeaderBand);
    }
}

void TrpPage::EndPages()
{
    TrpRunState& state = RunState();
    CurColumn = 0;
    XAdjust = LeftLimit();
    TrpBand* footer = FirstBand(T::PageFooter);
    const auto count = static_cast<std::int32_t>(RunPages().Count());
    // Every page ends once; the first page has its footer only with
    // OnFirstPage.
    for (std::int32_t page = state.PageNo; page < count && !RunTerminated(); ++page) {
        state.PageNo = page;
        if (state.Append && state.FooterPrinted)
            continue;
        FireEndPage(page);
        if (page != 0 || (footer->Flags & BandFlag::OnFirstPage))
            ShowBand(footer);
    }
    state.PageNo = count;
}

} // namespace report
