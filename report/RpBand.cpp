#include "RpBand.h"

#include "RpBandEngineRun.h"
#include "RpFieldReferences.h"
#include "RpGlobals.h"
#include "RpMemoView.h"
#include "VariantRules.h"

#include <limits>
#include <vector>

namespace report {

namespace {

constexpr int kBandLevels[kBandTypeCount] = {
    1, 1, 1, 1,  // report title, summary, page header, page footer
    1, 1, 1,     // master
    2, 2, 2,     // detail
    3, 3, 3,     // subdetail
    1, 1, 1,     // overlay, column header, column footer
    1, 1,        // group header, group footer
    4, 4, 4,     // cross
    1, 1,        // child, none
};

std::vector<std::string> SplitKey(const std::string& name)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t end = name.find('\1'); end != std::string::npos; end = name.find('\1', start)) {
        parts.push_back(name.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

bool StartsWithDigit(const std::string& text)
{
    return !text.empty() && text[0] >= '0' && text[0] <= '9';
}

} // namespace

std::string AggregateKey(const std::string& bandName, char code, const std::string& expression,
                         const std::string& flags)
{
    std::string key = bandName;
    key += '\1';
    key += code;
    key += '\1';
    key += expression;
    key += '\1';
    key += flags;
    key += '\1';
    return key;
}

int BandLevel(int bandType)
{
    return bandType >= 0 && bandType < kBandTypeCount ? kBandLevels[bandType] : 1;
}

int LevelDataBandType(int level)
{
    switch (level) {
    case 2:
        return static_cast<int>(TrpBandType::DetailData);
    case 3:
        return static_cast<int>(TrpBandType::SubdetailData);
    case 4:
        return static_cast<int>(TrpBandType::CrossData);
    default:
        return static_cast<int>(TrpBandType::MasterData);
    }
}

bool IsDataBandType(int bandType)
{
    return bandType == static_cast<int>(TrpBandType::MasterData) ||
           bandType == static_cast<int>(TrpBandType::DetailData) ||
           bandType == static_cast<int>(TrpBandType::SubdetailData);
}

TrpBand::~TrpBand()
{
    if (!DataSetsOpened)
        return;
    // A data set that cannot close (its database is gone) is let go.
    for (TrpDataset* data : {DataSet, CrossDataSet})
        if (data != nullptr) {
            try {
                data->Close();
            } catch (...) {
            }
        }
}

TrpBand* TrpBand::ChainFirst()
{
    TrpBand* band = this;
    while (band->PrevBand != nullptr)
        band = band->PrevBand;
    return band;
}

TrpBand* TrpBand::CounterBand()
{
    return DataSet != nullptr ? this : ChainFirst();
}

bool TrpBand::Exists() const
{
    if (View != nullptr)
        return true;
    return Type == static_cast<int>(TrpBandType::None) && !Objects.empty();
}

// ---- what the band view's script properties reach --------------------------------

void TrpBand::SetChildBand(const std::string& name)
{
    ChildBand = nullptr;
    for (const auto& owned : Page->Bands) {
        auto& band = static_cast<TrpBand&>(*owned);
        if (&band != this && band.View != nullptr && UpperName(band.View->Name) == UpperName(name)) {
            ChildBand = &band;
            return;
        }
    }
}

void TrpBand::SetBreaked(bool value)
{
    PageBreak = value;
}

void TrpBand::SetCondition(const std::string& condition)
{
    GroupCondition = condition.empty() ? std::string() : EngineGlobals().Parser.ToPostfix(condition);
}

void TrpBand::SetGeometry(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height)
{
    X = left;
    Y = top;
    Width = width;
    Height = height;
}

void TrpBand::SetVisible(bool value)
{
    Visible = value;
}

void TrpBand::SetDataSource(const std::string& name)
{
    TrpReport* report = RunState().Report;
    OwnedDataSet.reset();
    DataSet = FindDataSetByName(name, report != nullptr ? report->parent() : nullptr, OwnedDataSet);
    if (DataSet != nullptr)
        DataSet->Open();
}

bool TrpBand::Eof() const
{
    return DataSet != nullptr && DataSet->Eof();
}

void TrpBand::Next()
{
    if (DataSet != nullptr)
        DataSet->Next();
}

void TrpBand::Prior()
{
    if (DataSet != nullptr)
        DataSet->Prior();
}

void TrpBand::First()
{
    if (DataSet != nullptr)
        DataSet->First();
}

// ---- aggregates ------------------------------------------------------------------

void TrpBand::ParseEntries() const
{
    const int count = AggregateValues.GetCount();
    while (static_cast<int>(entries_.size()) < count) {
        const std::vector<std::string> parts = SplitKey(AggregateValues.GetName(static_cast<int>(entries_.size())));
        AggregateEntry entry;
        std::size_t first = 0;
        if (parts.size() >= 5 && StartsWithDigit(parts[0])) {
            entry.Column = std::atoi(parts[0].c_str());
            first = 1;
        }
        if (parts.size() >= first + 4) {
            entry.BandName = UpperName(parts[first]);
            entry.Code = parts[first + 1].empty() ? char(0) : parts[first + 1][0];
            entry.Expression = parts[first + 2];
            entry.CountInvisible = parts[first + 3] == "1";
        }
        entries_.push_back(std::move(entry));
    }
}

const TrpBand::AggregateEntry& TrpBand::Entry(int index) const
{
    ParseEntries();
    return entries_[static_cast<std::size_t>(index)];
}

void TrpBand::ResetEntry(int index)
{
    const AggregateEntry& entry = Entry(index);
    AggregateValues.SetValue(index, entry.Code == AggregateCode::Min ? Variant(std::numeric_limits<double>::max())
                                                                     : Variant(std::int32_t{0}));
    if (static_cast<std::size_t>(index) < AggregateCounts.size())
        AggregateCounts[static_cast<std::size_t>(index)] = 0;
}

void TrpBand::UpdateAggregates()
{
    const TrpPage& page = *Page;
    // Entries of bands with cross objects get a twin per cross column.
    if (HasCrossObjects) {
        const std::string column = std::to_string(page.ColumnNo);
        const int count = AggregateValues.GetCount();
        for (int i = 0; i < count; ++i) {
            const std::string name = AggregateValues.GetName(i);
            if (name.size() > 1 && name[0] == '0' && name[1] == '\1') {
                const std::string twin = column + name.substr(1);
                if (AggregateValues.IndexOf(twin) < 0)
                    AggregateValues.SetVariable(twin, Variant(std::int32_t{0}));
            }
        }
    }
    const int count = AggregateValues.GetCount();
    ParseEntries();
    AggregateCounts.resize(static_cast<std::size_t>(count), 0);
    TrpReport& report = RunningReport();
    const FormatSettings& settings = report.Settings;
    const bool cross = Type == static_cast<int>(TrpBandType::CrossData) || page.CrossMode;
    std::string lastExpression;
    Variant lastValue;
    bool haveLast = false;
    const TrpCurrentBandScope scope;
    RunState().Band = this;
    for (int i = 0; i < count; ++i) {
        const AggregateEntry& entry = entries_[static_cast<std::size_t>(i)];
        if (entry.Code == 0)
            continue;
        if (cross && HasCrossObjects ? entry.Column != page.ColumnNo : entry.Column > 0)
            continue;
        if (!Visible && !entry.CountInvisible)
            continue;
        Variant value;
        if (entry.Code != AggregateCode::Count) {
            if (haveLast && entry.Expression == lastExpression) {
                value = lastValue;
            } else {
                value = report.Evaluate(entry.Expression);
                lastExpression = entry.Expression;
                lastValue = value;
                haveLast = true;
            }
            if (value.isNull() || value.isEmpty())
                value = Variant(std::int32_t{0});
        }
        Variant current = AggregateValues.GetValue(i);
        if (current.isNull() || current.isEmpty())
            current = Variant(std::int32_t{0});
        std::int32_t& taken = AggregateCounts[static_cast<std::size_t>(i)];
        switch (entry.Code) {
        case AggregateCode::Sum:
        case AggregateCode::Avg:
            current = VarAdd(current, value, settings);
            break;
        case AggregateCode::Min:
            if (taken == 0 || VarCmp(value, current, settings) == VarCmpResult::Less)
                current = value;
            break;
        case AggregateCode::Max:
            if (taken == 0 || VarCmp(value, current, settings) == VarCmpResult::Greater)
                current = value;
            break;
        case AggregateCode::Count:
            current = VarAdd(current, Variant(std::int32_t{1}), settings);
            break;
        default:
            break;
        }
        AggregateValues.SetValue(i, current);
        ++taken;
    }
}

void TrpBand::ResetAggregates()
{
    if (Type == static_cast<int>(TrpBandType::GroupHeader)) {
        const TrpCurrentBandScope scope;
        for (TrpBand* group = this; group != nullptr; group = group->NextGroup) {
            if (group->GroupCondition.empty()) {
                group->LastGroupValue = Variant::null();
                continue;
            }
            RunState().Band = group;
            group->LastGroupValue = RunningReport().EvalPostfix(group->GroupCondition);
        }
        return;
    }
    TrpBand* owner = AggregateOwner;
    if (owner == nullptr)
        return;
    const std::string name = UpperName(Name);
    const int count = owner->AggregateValues.GetCount();
    for (int i = 0; i < count; ++i)
        if (owner->Entry(i).BandName == name)
            owner->ResetEntry(i);
}

Variant TrpBand::AggregateValue(const std::string& name) const
{
    const int index = AggregateValues.IndexOf(name);
    if (index < 0)
        return Variant::null();
    const Variant value = AggregateValues.GetValue(index);
    const AggregateEntry& entry = Entry(index);
    const std::int32_t taken =
        static_cast<std::size_t>(index) < AggregateCounts.size() ? AggregateCounts[static_cast<std::size_t>(index)] : 0;
    switch (entry.Code) {
    case AggregateCode::Avg:
        if (taken < 1)
            return Variant(std::int32_t{0});
        return VarDiv(value, Variant(taken));
    case AggregateCode::Min:
    case AggregateCode::Max:
        // No record has come: there is no smallest or largest value.
        return taken < 1 ? Variant::null() : value;
    default:
        return value;
    }
}

} // namespace report
