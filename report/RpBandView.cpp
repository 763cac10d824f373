#include "RpBandView.h"

#include "RpPage.h"

#include <QPainter>

#include <algorithm>
#include <initializer_list>

namespace report {

namespace {

const char* const kBandTypeNames[kBandTypeCount] = {
    "Report title",     "Report summary", "Page header",  "Page footer",     "Master header",
    "Master data",      "Master footer",  "Detail header", "Detail data",    "Detail footer",
    "Subdetail header", "Subdetail data", "Subdetail footer", "Overlay",     "Column header",
    "Column footer",    "Group header",   "Group footer", "Cross header",    "Cross data",
    "Cross footer",     "Child",          "None",
};

struct FlagProperty {
    const char* name;
    std::uint16_t bit;
};

constexpr FlagProperty kFlagProperties[] = {
    {"FORMNEWPAGE", BandFlag::FormNewPage},   {"PRINTIFSUBSETEMPTY", BandFlag::PrintIfSubsetEmpty},
    {"BREAKED", BandFlag::Breaked},           {"ONFIRSTPAGE", BandFlag::OnFirstPage},
    {"ONLASTPAGE", BandFlag::OnLastPage},     {"REPEATHEADER", BandFlag::RepeatHeader},
    {"PRINTCHILDIFINVISIBLE", BandFlag::PrintChildIfInvisible},
};

bool OneOf(int type, std::initializer_list<int> types)
{
    return std::find(types.begin(), types.end(), type) != types.end();
}

bool InRanges(int type, std::initializer_list<std::pair<int, int>> ranges)
{
    for (const auto& [from, to] : ranges)
        if (type >= from && type <= to)
            return true;
    return false;
}

constexpr std::int16_t kEnumType = 32;

} // namespace

std::string BandTypeName(int type)
{
    return type >= 0 && type < kBandTypeCount ? kBandTypeNames[type] : std::string();
}

TrpBandView::TrpBandView()
{
    TypeCode = ObjectType::Band;
    BaseName = "Band";
    DisplayFormat = 0;
    Flags = BandFlag::OnFirstPage | BandFlag::OnLastPage;
}

void TrpBandView::AssignProperty(const std::string& name, const Variant& value)
{
    const std::string n = UpperName(name);
    for (const auto& flag : kFlagProperties) {
        if (n == flag.name) {
            const bool on = value.toBoolean();
            Flags = static_cast<std::uint16_t>(on ? (Flags | flag.bit) : (Flags & ~flag.bit));
            if (flag.bit == BandFlag::Breaked && RuntimeActive())
                Runtime->SetBreaked(on);
            return;
        }
    }
    if (n == "CHILDBAND") {
        ChildBand = value.toText();
        if (RuntimeActive())
            Runtime->SetChildBand(ChildBand);
    } else if (n == "MASTER") {
        Master = value.toText();
    } else if (n == "CONDITION") {
        FormatString = value.toText();
        if (RuntimeActive())
            Runtime->SetCondition(FormatString);
    } else if (n == "COLUMNS") {
        Columns = value.toInteger();
    } else if (n == "COLUMNGAP") {
        ColumnGap = value.toInteger();
    } else if (n == "COLUMNWIDTH") {
        ColumnWidth = value.toInteger();
    } else if (n == "NEWCOLUMNAFTER") {
        NewColumnAfter = value.toInteger();
    } else if (n == "ONBEFOREPRINT") {
        TrpView::AssignProperty("MEMO", value);
    } else if (n == "DATASOURCE") {
        FormatString = value.toText();
        if (RuntimeActive())
            Runtime->SetDataSource(FormatString);
    } else {
        TrpView::AssignProperty(name, value);
        if (RuntimeActive()) {
            if (n == "LEFT" || n == "TOP" || n == "WIDTH" || n == "HEIGHT")
                Runtime->SetGeometry(Left, Top, Width, Height);
            else if (n == "VISIBLE")
                Runtime->SetVisible(Visible);
        }
    }
}

Variant TrpBandView::ReadProperty(const std::string& name)
{
    const std::string n = UpperName(name);
    for (const auto& flag : kFlagProperties)
        if (n == flag.name)
            return Variant((Flags & flag.bit) != 0);
    if (n == "CHILDBAND")
        return Variant(ChildBand);
    if (n == "MASTER")
        return Variant(Master);
    if (n == "CONDITION" || n == "DATASOURCE")
        return Variant(FormatString);
    if (n == "COLUMNS")
        return Variant(Columns);
    if (n == "COLUMNGAP")
        return Variant(ColumnGap);
    if (n == "COLUMNWIDTH")
        return Variant(ColumnWidth);
    if (n == "NEWCOLUMNAFTER")
        return Variant(NewColumnAfter);
    if (n == "EOF")
        return Variant(Runtime != nullptr && Runtime->HasDataSet() && Runtime->Eof());
    if (n == "ONBEFOREPRINT")
        return TrpView::ReadProperty("MEMO");
    return TrpView::ReadProperty(name);
}

Variant TrpBandView::CallMethod(const std::string& name, const Variant& p1, const Variant& p2, const Variant& p3)
{
    const std::string n = UpperName(name);
    if ((n == "NEXT" || n == "PRIOR" || n == "FIRST")) {
        if (Runtime != nullptr && Runtime->HasDataSet()) {
            if (n == "NEXT")
                Runtime->Next();
            else if (n == "PRIOR")
                Runtime->Prior();
            else
                Runtime->First();
        }
        return Variant::null();
    }
    return TrpView::CallMethod(name, p1, p2, p3);
}

void TrpBandView::RegisterProperties()
{
    if (!properties_.empty())
        return;
    TrpView::RegisterProperties();
    for (auto& record : properties_)
        if (record.Name == "Memo")
            record.Name = "OnBeforePrint";
    const int type = BandType();
    std::string childNames;
    std::string dataBands;
    if (ParentPage != nullptr) {
        for (const auto& view : ParentPage->Objects) {
            if (view.get() == this || view->TypeCode != ObjectType::Band)
                continue;
            const int other = view->FrameTyp;
            if (other == static_cast<int>(TrpBandType::Child))
                childNames += (childNames.empty() ? "" : ";") + view->Name;
            if (OneOf(other, {5, 8, 11}))
                dataBands += (dataBands.empty() ? "" : ";") + view->Name;
        }
    }
    if (type != 3) {
        AddProperty("ChildBand", kEnumType, childNames);
        AddProperty("PrintChildIfInvisible", 8);
    }
    if (InRanges(type, {{0, 2}, {4, 12}, {16, 18}, {21, 21}}))
        AddProperty("Stretched", 8);
    if (OneOf(type, {0, 1, 5, 6, 8, 9, 11, 12, 16}))
        AddProperty("FormNewPage", 8);
    if (OneOf(type, {5, 8}))
        AddProperty("PrintIfSubsetEmpty", 8);
    if (InRanges(type, {{0, 1}, {4, 12}, {16, 17}, {21, 21}}))
        AddProperty("Breaked", 8);
    if (OneOf(type, {2, 3}))
        AddProperty("OnFirstPage", 8);
    if (type == 3)
        AddProperty("OnLastPage", 8);
    if (OneOf(type, {4, 7, 10, 16, 18}))
        AddProperty("RepeatHeader", 8);
    if (OneOf(type, {19, 5, 8, 11}))
        AddProperty("DataSource", 0);
    if (OneOf(type, {5, 8, 11})) {
        AddProperty("Columns", 0);
        AddProperty("ColumnWidth", 0);
        AddProperty("ColumnGap", 0);
    }
    if (type == 16) {
        AddProperty("Condition", 0);
        AddProperty("Master", kEnumType, dataBands);
    }
    AddProperty("EOF", 8);
}

void TrpBandView::Paint(QPainter& painter)
{
    // Bands show only while a template is being looked at.
    if (Running())
        return;
    ApplyScale();
    painter.save();
    painter.setPen(QPen(QColor(128, 128, 128), 1, Qt::DotLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRect(Left, Top, Width, Height));
    painter.restore();
    RestoreGeometry();
}

void TrpBandView::ReadFromStream(TrpStream& stream)
{
    TrpView::ReadFromStream(stream);
    if (stream.Version < 24)
        return;
    ChildBand = ReadStreamString(stream);
    Columns = stream.ReadInt32();
    ColumnWidth = stream.ReadInt32();
    ColumnGap = stream.ReadInt32();
    NewColumnAfter = stream.ReadInt32();
    if (FormatMajor * 10 + FormatMinor > 20)
        Master = ReadStreamString(stream);
}

void TrpBandView::WriteToStream(TrpStream& stream)
{
    TrpView::WriteToStream(stream);
    WriteCountedString(stream, ChildBand);
    stream.WriteInt32(Columns);
    stream.WriteInt32(ColumnWidth);
    stream.WriteInt32(ColumnGap);
    stream.WriteInt32(NewColumnAfter);
    WriteCountedString(stream, Master);
}

} // namespace report
