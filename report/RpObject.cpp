#include "RpObject.h"

#include "RP_Pars.h"
#include "RpPage.h"
#include "RpQtMeasure.h"
#include "ValueText.h"
#include "platform/QtFileIo.h"

#include <QColor>
#include <QFile>
#include <QPainter>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>

namespace report {

namespace {


bool InRange(const TrpLines& lines, std::int32_t index)
{
    return index >= 0 && static_cast<std::size_t>(index) < lines.size();
}

// Files that LOADFROMFILE reads are pictures; anything larger is refused.
constexpr qint64 kMaxFileSize = 64 * 1024 * 1024;

} // namespace

std::string UpperName(const std::string& name)
{
    std::string upper = name;
    for (char& c : upper)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return upper;
}

std::int32_t NextObjectId()
{
    static std::atomic<std::int32_t> counter{0};
    return ++counter;
}

QColor ColorFromValue(std::uint32_t value)
{
    if ((value & 0xFF000000u) == 0x80000000u) {
        switch (value & 0xFF) {
        case 5:  // window
            return QColor(255, 255, 255);
        case 8:  // window text
        case 18: // button text
            return QColor(0, 0, 0);
        case 17: // gray text
            return QColor(109, 109, 109);
        case 15: // button face
        default:
            return QColor(240, 240, 240);
        }
    }
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

// ---- TrpViewHost ----------------------------------------------------------

bool TrpViewHost::GetPrintingBand(TrpPrintingBand&) const
{
    return false;
}

Variant TrpViewHost::Evaluate(const std::string& expression)
{
    TrpParser parser;
    return parser.Evaluate(expression);
}

Variant TrpViewHost::EvalPostfix(const std::string& postfix)
{
    TrpParser parser;
    return parser.EvalPostfix(postfix);
}

std::string TrpViewHost::ExpressionText(const std::string& expression, TrpView&)
{
    const Variant value = Evaluate(expression);
    return value.isNull() ? std::string() : value.toText();
}

bool TrpViewHost::BeforePrint(TrpLines&, TrpView&)
{
    return false;
}

void TrpViewHost::RunScript(TrpView&) {}

const TrpMeasurerFactory& TrpViewHost::Measurers() const
{
    static const TrpQtMeasurerFactory factory;
    return factory;
}

bool TrpViewHost::LoadFile(const std::string& path, std::string& bytes)
{
    // A FIFO or a device would block the window's thread: only a regular
    // file (or a link to one) is read.
    QFile file;
    if (QString reason; !platform::OpenRegularFile(file, QString::fromStdString(path), reason))
        return false;
    const qint64 size = file.size();
    if (size < 0 || size > kMaxFileSize)
        return false;
    bytes.resize(static_cast<std::size_t>(size));
    return size == 0 || file.read(bytes.data(), size) == size;
}

std::string TrpViewHost::EngineText(int) const
{
    return {};
}

void TrpViewHost::RunPageScript(TrpPage&) {}

void TrpViewHost::NonVisualControl(TrpNonVisualControl&) {}

bool TrpViewHost::SetProgressVisible(bool)
{
    return false;
}

void TrpViewHost::CalculationError(std::exception_ptr error)
{
    std::rethrow_exception(error);
}

void TrpViewHost::ExportObject(TrpView&) {}

void TrpViewHost::ExportText(const QRect&, int, int, const std::string&, std::uint16_t, TrpView&) {}

TrpViewHost& TrpViewHost::Default()
{
    static TrpViewHost host;
    return host;
}

// ---- TrpObject ------------------------------------------------------------

void TrpObject::AssignProperty(const std::string&, const Variant&) {}

Variant TrpObject::ReadProperty(const std::string&)
{
    return Variant::null();
}

Variant TrpObject::CallMethod(const std::string&, const Variant&, const Variant&, const Variant&)
{
    return Variant::null();
}

void TrpObject::RegisterProperties() {}

const TrpPropertyRecord* TrpObject::FindProperty(const std::string& name) const
{
    const std::string upper = UpperName(name);
    for (const auto& record : properties_)
        if (UpperName(record.Name) == upper)
            return &record;
    return nullptr;
}

void TrpObject::AddProperty(const std::string& name, std::int16_t type, const std::string& enumNames)
{
    properties_.push_back({name.substr(0, 32), type, enumNames});
}

// ---- TrpView --------------------------------------------------------------

TrpView::TrpView()
    : ID(NextObjectId()), DisplayFormat(0x200 + static_cast<unsigned char>(FormatSettings::standard().decimalSeparator))
{
}

TrpView::~TrpView() = default;

TrpViewHost& TrpView::Host() const
{
    if (ParentPage != nullptr && ParentPage->Owner() != nullptr && ParentPage->Owner()->Host != nullptr)
        return *ParentPage->Owner()->Host;
    return TrpViewHost::Default();
}

void TrpView::AssignProperty(const std::string& name, const Variant& value)
{
    const std::string n = UpperName(name);
    if (n == "NAME")
        Name = value.toText();
    else if (n == "LEFT")
        Left = value.toInteger();
    else if (n == "TOP")
        Top = value.toInteger();
    else if (n == "WIDTH")
        Width = value.toInteger();
    else if (n == "HEIGHT")
        Height = value.toInteger();
    else if (n == "FLAGS")
        Flags = static_cast<std::uint16_t>(value.toInteger());
    else if (n == "FRAMETYP")
        FrameTyp = static_cast<std::uint16_t>(value.toInteger());
    else if (n == "FRAMECOLOR")
        FrameColor = value.toInteger();
    else if (n == "FRAMESTYLE")
        FrameStyle = static_cast<std::uint16_t>(value.toInteger());
    else if (n == "FILLCOLOR")
        FillColor = static_cast<std::uint32_t>(value.toInteger());
    else if (n == "GAPX")
        GapX = value.toInteger();
    else if (n == "GAPY")
        GapY = value.toInteger();
    else if (n == "BANDALIGN")
        BandAlign = static_cast<TrpBandAlign>(value.toInteger());
    else if (n == "FRAMEWIDTH")
        FrameWidth = value.toReal();
    else if (n == "VISIBLE")
        Visible = value.toBoolean();
    else if (n == "MEMO" || n == "DATAFIELD")
        Memo = SplitTextLines(value.toText());
    else if (n == "STRETCHED")
        Flags = static_cast<std::uint16_t>(value.toBoolean() ? (Flags | 1) : (Flags & ~1));
    else if (n == "TAG")
        Tag = value.toText();
}

Variant TrpView::ReadProperty(const std::string& name)
{
    const std::string n = UpperName(name);
    if (n == "NAME")
        return Variant(Name);
    if (n == "LEFT")
        return Variant(Left);
    if (n == "TOP")
        return Variant(Top);
    if (n == "WIDTH")
        return Variant(Width);
    if (n == "HEIGHT")
        return Variant(Height);
    if (n == "FLAGS")
        return Variant(std::int32_t(Flags));
    if (n == "FRAMETYP")
        return Variant(std::int32_t(FrameTyp));
    if (n == "FRAMECOLOR")
        return Variant(FrameColor);
    if (n == "FRAMESTYLE")
        return Variant(std::int32_t(FrameStyle));
    if (n == "FILLCOLOR")
        return Variant(static_cast<std::int32_t>(FillColor));
    if (n == "GAPX")
        return Variant(GapX);
    if (n == "GAPY")
        return Variant(GapY);
    if (n == "BANDALIGN")
        return Variant(std::int32_t(BandAlign));
    if (n == "FRAMEWIDTH")
        return Variant(FrameWidth);
    if (n == "VISIBLE")
        return Variant(Visible);
    if (n == "MEMO")
        return Variant(JoinTextLines(Memo));
    if (n == "MEMO.COUNT")
        return Variant(static_cast<std::int32_t>(Memo.size()));
    if (n == "STRETCHED")
        return Variant((Flags & 1) != 0);
    if (n == "DATAFIELD")
        return Variant(Memo.empty() ? std::string() : Memo.front());
    if (n == "TAG")
        return Variant(Tag);
    return Variant::null();
}

Variant TrpView::CallMethod(const std::string& name, const Variant& p1, const Variant& p2, const Variant& p3)
{
    const std::string n = UpperName(name);
    if (n == "HIDE" || n == "SHOW") {
        AssignProperty("VISIBLE", Variant(n == "SHOW"));
        return Variant::null();
    }
    if (n == "SETINDEXPROPERTY" || n == "GETINDEXPROPERTY") {
        if (!IsListName(UpperName(p1.toText())))
            return Variant::null();
        const std::int32_t index = p2.toInteger();
        if (!InRange(Memo, index))
            return Variant::null();
        if (n == "GETINDEXPROPERTY")
            return Variant(Memo[static_cast<std::size_t>(index)]);
        Memo[static_cast<std::size_t>(index)] = p3.toText();
        return Variant::null();
    }
    const std::size_t point = n.find('.');
    if (point == std::string::npos || !IsListName(n.substr(0, point)))
        return Variant::null();
    const std::string method = n.substr(point + 1);
    if (method == "CLEAR") {
        Memo.clear();
    } else if (method == "ADD") {
        Memo.push_back(Host().Evaluate(p1.toText()).toText());
    } else if (method == "DELETE") {
        const std::int32_t index = Host().Evaluate(p1.toText()).toInteger();
        if (InRange(Memo, index))
            Memo.erase(Memo.begin() + index);
    } else if (method == "INDEXOF") {
        const std::string value = Host().Evaluate(p1.toText()).toText();
        for (std::size_t i = 0; i < Memo.size(); ++i)
            if (Memo[i] == value)
                return Variant(static_cast<std::int32_t>(i));
        return Variant(std::int32_t(-1));
    }
    return Variant::null();
}

void TrpView::RegisterProperties()
{
    if (!properties_.empty())
        return;
    AddProperty("Name", 257);
    for (const char* geometry : {"Left", "Top", "Width", "Height"})
        AddProperty(geometry, 128);
    AddProperty("Flags", 0);
    if (TypeCode != ObjectType::SubReport && TypeCode != ObjectType::Band) {
        AddProperty("FrameTyp", 2);
        AddProperty("FrameWidth", 132);
        AddProperty("FrameColor", 16);
        AddProperty("FrameStyle", 32, "psSolid;psDash;psDot;psDashDot;psDashDotDot;psDouble");
        AddProperty("FillColor", 16);
        AddProperty("Tag", 320);
        AddProperty("BandAlign", 32, "baNone;baLeft;baRight;baCenter;baWidth;baBottom;baTop;baRest");
    }
    AddProperty("Visible", 8);
    AddProperty("Memo", 320);
    AddProperty("Memo.Count", 0);
    AddProperty("Restrictions", 64);
}

// ---- geometry ---------------------------------------------------------------

void TrpView::ApplyScale()
{
    Saved = {Left, Top, Width, Height, FrameWidth, GapX, GapY};
    if (!Running()) {
        PaintScaleX = PaintScaleY = 1;
        PaintOffsetX = PaintOffsetY = 0;
    }
    const double sx = PaintScaleX;
    const double sy = PaintScaleY;
    const double fw = Saved.FrameWidth;
    Left = RoundToInt(Saved.Left * sx) + PaintOffsetX;
    Top = RoundToInt(Saved.Top * sy) + PaintOffsetY;
    Width = RoundToInt(sx * Saved.Width);
    Height = RoundToInt(sy * Saved.Height);
    FrameWidth = sx * fw;
    const int c = RoundToInt(sx * fw / 2);
    const int d = RoundToInt(sy * fw / 2);
    GapX = c + RoundToInt(sx * Saved.GapX);
    GapY = RoundToInt(sy * Saved.GapY) + d / 2;

    int left = Left;
    int top = Top;
    if (FrameTyp & FrameLine::Left)
        left += RoundToInt((sx * fw - 1) / 2);
    if (FrameTyp & FrameLine::Top)
        top += RoundToInt((sy * fw - 1) / 2);
    int right = ScaledRight() + 1;
    int bottom = ScaledBottom() + 1;
    if (FrameTyp & FrameLine::Right)
        right -= c;
    if (FrameTyp & FrameLine::Bottom)
        bottom -= d;
    ObjectRect = QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

void TrpView::RestoreGeometry()
{
    Left = Saved.Left;
    Top = Saved.Top;
    Width = Saved.Width;
    Height = Saved.Height;
    FrameWidth = Saved.FrameWidth;
    GapX = Saved.GapX;
    GapY = Saved.GapY;
}

int TrpView::ScaledRight() const
{
    return RoundToInt(PaintScaleX * (Saved.Left + Saved.Width) + PaintOffsetX);
}

int TrpView::ScaledBottom() const
{
    return RoundToInt(PaintScaleY * (Saved.Top + Saved.Height) + PaintOffsetY);
}

QRect TrpView::CreateRegion(bool enlarge) const
{
    int a;
    int b;
    if (FrameStyle == FrameStyle::Double) {
        b = RoundToInt(1.5 * FrameWidth);
        a = RoundToInt(FrameWidth + (FrameWidth - 1) / 2);
    } else {
        b = RoundToInt(FrameWidth / 2);
        a = RoundToInt((FrameWidth - 1) / 2);
    }
    int left = Left - ((FrameTyp & FrameLine::Left) ? b : 0);
    int top = Top - ((FrameTyp & FrameLine::Top) ? b : 0);
    int right = Left + Width + 1 + ((FrameTyp & FrameLine::Right) ? a : 0);
    int bottom = Top + Height + 1 + ((FrameTyp & FrameLine::Bottom) ? a : 0);
    if (enlarge) {
        left -= 10;
        top -= 10;
        right += 10;
        bottom += 10;
    }
    return QRect(left, top, right - left, bottom - top);
}

// ---- painting ---------------------------------------------------------------

void TrpView::PaintFill(QPainter& painter)
{
    const bool running = Running();
    if (running && FillColor == kNoFill)
        return;
    const QColor color = FillColor == kNoFill ? QColor(Qt::white) : ColorFromValue(FillColor);
    painter.setBackgroundMode(Qt::OpaqueMode);
    QRect rect = ObjectRect;
    if (running)
        rect = QRect(QPoint(Left, Top), QPoint(ScaledRight(), ScaledBottom()));
    painter.fillRect(rect, color);
}

void TrpView::DrawFrameLine(QPainter& painter, int x1, int y1, int x2, int y2, bool vertical)
{
    const int width = RoundToInt(FrameWidth);
    const QColor frame = ColorFromValue(static_cast<std::uint32_t>(FrameColor));
    const QColor fill = FillColor == kNoFill ? QColor(Qt::white) : ColorFromValue(FillColor);
    QPen pen(frame);
    pen.setCapStyle(Qt::SquareCap);
    if (FrameStyle == FrameStyle::Double) {
        // Two lines at plus and minus the width, the middle in the fill.
        pen.setWidth(width);
        for (const int offset : {-width, width}) {
            painter.setPen(pen);
            if (vertical)
                painter.drawLine(x1 + offset, y1, x2 + offset, y2);
            else
                painter.drawLine(x1, y1 + offset, x2, y2 + offset);
        }
        pen.setColor(fill);
        painter.setPen(pen);
        painter.drawLine(x1, y1, x2, y2);
        return;
    }
    if (FrameStyle == FrameStyle::Solid) {
        pen.setWidth(width);
        painter.setPen(pen);
        painter.drawLine(x1, y1, x2, y2);
        return;
    }
    // A patterned line: one-unit lines side by side, the gaps in the fill.
    static const Qt::PenStyle kStyles[] = {Qt::SolidLine, Qt::DashLine, Qt::DotLine, Qt::DashDotLine,
                                           Qt::DashDotDotLine};
    pen.setStyle(FrameStyle < 5 ? kStyles[FrameStyle] : Qt::SolidLine);
    pen.setWidth(1);
    pen.setCapStyle(Qt::FlatCap);
    painter.setPen(pen);
    painter.setBackgroundMode(Qt::OpaqueMode);
    painter.setBackground(fill);
    const int count = std::max(1, width);
    for (int i = 0; i < count; ++i) {
        const int offset = i - count / 2;
        if (vertical)
            painter.drawLine(x1 + offset, y1, x2 + offset, y2);
        else
            painter.drawLine(x1, y1 + offset, x2, y2 + offset);
    }
}

void TrpView::PaintFrame(QPainter& painter)
{
    const bool running = Running();
    if (running && (FrameTyp & 15) == 0)
        return;
    if (!running && Width > 0 && Height > 0) {
        // Corner marks that show the object's bounds while designing.
        painter.setPen(QPen(Qt::black, 1));
        const int r = Left + Width;
        const int b = Top + Height;
        painter.drawLine(Left, Top, Left + 3, Top);
        painter.drawLine(Left, Top, Left, Top + 3);
        painter.drawLine(r - 3, Top, r, Top);
        painter.drawLine(r, Top, r, Top + 3);
        painter.drawLine(Left, b, Left + 3, b);
        painter.drawLine(Left, b - 3, Left, b);
        painter.drawLine(r - 3, b, r, b);
        painter.drawLine(r, b - 3, r, b);
    }
    const int right = RoundToInt((Saved.Left + Saved.Width) * PaintScaleX + PaintOffsetX);
    const int bottom = RoundToInt((Saved.Top + Saved.Height) * PaintScaleY + PaintOffsetY);
    if (FrameTyp & FrameLine::Right)
        DrawFrameLine(painter, right, Top, right, bottom, true);
    if (FrameTyp & FrameLine::Left)
        DrawFrameLine(painter, Left, Top, Left, bottom, true);
    if (FrameTyp & FrameLine::Bottom)
        DrawFrameLine(painter, Left, bottom, right, bottom, false);
    if (FrameTyp & FrameLine::Top)
        DrawFrameLine(painter, Left, Top, right, Top, false);
}

void TrpView::LoadFromBlob(const TrpBlob&) {}

// ---- alignment and naming -------------------------------------------------

void TrpView::ApplyBandAlign()
{
    if (BandAlign == TrpBandAlign::None || ParentPage == nullptr)
        return;
    const int leftLimit = ParentPage->LeftLimit();
    const int rightLimit = ParentPage->RightLimit();
    // The nearest neighbours on the same top line with the given alignment.
    const auto nearest = [&](TrpBandAlign align, bool toTheLeft) -> const TrpView* {
        const TrpView* best = nullptr;
        for (const auto& other : ParentPage->Objects) {
            if (other.get() == this || other->TypeCode == ObjectType::Band || other->BandAlign != align ||
                other->Top != Top)
                continue;
            if (toTheLeft ? other->Left < Left : other->Left > Left) {
                if (best == nullptr || (toTheLeft ? other->Left > best->Left : other->Left < best->Left))
                    best = other.get();
            }
        }
        return best;
    };
    switch (BandAlign) {
    case TrpBandAlign::Left: {
        const TrpView* n = nearest(TrpBandAlign::Left, true);
        Left = n != nullptr ? n->Left + n->Width + 1 : leftLimit;
        break;
    }
    case TrpBandAlign::Right: {
        const TrpView* n = nearest(TrpBandAlign::Right, false);
        Left = n != nullptr ? n->Left - Width - 1 : rightLimit - Width;
        break;
    }
    case TrpBandAlign::Rest: {
        const TrpView* l = nearest(TrpBandAlign::Left, true);
        const TrpView* r = nearest(TrpBandAlign::Right, false);
        const int from = l != nullptr ? l->Left + l->Width + 1 : leftLimit;
        const int to = r != nullptr ? r->Left - 1 : rightLimit;
        Left = from;
        Width = to - from;
        break;
    }
    case TrpBandAlign::Center:
        Left = leftLimit + (rightLimit - leftLimit - Width) / 2;
        break;
    case TrpBandAlign::Width:
        if (Running()) {
            TrpPrintingBand band;
            if (!Host().GetPrintingBand(band)) {
                Left = leftLimit;
                Width = rightLimit - 1 - leftLimit;
            } else if (band.Type >= 18 && band.Type <= 20) {
                Left = band.Left;
                Width = band.Width;
            }
        }
        break;
    default:
        break;
    }
}

void TrpView::ApplyEmitAlign()
{
    TrpPrintingBand band;
    if (!Host().GetPrintingBand(band))
        return;
    if (BandAlign == TrpBandAlign::Bottom)
        Top = band.Top + band.Height - Height;
    else if (BandAlign == TrpBandAlign::Top)
        Top = band.Top;
    else if (BandAlign == TrpBandAlign::Width && band.Type >= 18 && band.Type <= 20)
        Width = band.Width;
}

void TrpView::SetDefaultName()
{
    if (ParentPage == nullptr || ParentPage->Owner() == nullptr)
        return;
    const std::string name = ParentPage->Owner()->UniqueObjectName(BaseName);
    if (!name.empty())
        AssignProperty("NAME", Variant(name));
}

std::string TrpView::ExpandExpressions(const std::string& source)
{
    std::string text = source;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t start = pos;
        std::size_t end = pos;
        const std::string expression = ExtractBracketed(text, start, end);
        if (start >= text.size())
            break;
        const std::string value = Host().ExpressionText(expression, *this);
        const std::size_t length = end < text.size() ? end - start + 1 : text.size() - start;
        text.replace(start, length, value);
        pos = start + value.size();
    }
    return text;
}

// ---- emission -----------------------------------------------------------------

void TrpView::WriteEmitHeader(TrpStream& stream)
{
    stream.WriteByte(TypeCode);
    if (TypeCode == ObjectType::AddIn)
        WriteCountedString(stream, ClassName());
}

void TrpView::EmitToPreparedPage(TrpStream& stream)
{
    ApplyBandAlign();
    ExpandedLines = Memo;
    Host().BeforePrint(ExpandedLines, *this);
    Host().RunScript(*this);
    if (!Visible)
        return;
    const std::string savedTag = Tag;
    if (Tag.find('[') != std::string::npos)
        Tag = ExpandExpressions(Tag);
    ApplyEmitAlign();
    WriteEmitHeader(stream);
    PreparedMode = true;
    try {
        WriteToStream(stream);
    } catch (...) {
        PreparedMode = false;
        Tag = savedTag;
        throw;
    }
    PreparedMode = false;
    Tag = savedTag;
}

void TrpView::RunPrintHook()
{
    Host().ExportObject(*this);
}

// ---- stream -------------------------------------------------------------------

void TrpView::WriteFrameWidth(TrpStream& stream) const
{
    // A stored value of 10 or less is a whole width, a larger one counts
    // thousandths.  Whole widths of any size are therefore written in
    // thousandths once they pass 10, and a fractional width that would
    // round to 10 thousandths or less is written as the nearest width the
    // field can carry.
    double width = std::isfinite(FrameWidth) ? FrameWidth : 0.0;
    std::int64_t stored;
    if (width == std::floor(width) && width <= 10) {
        stored = static_cast<std::int64_t>(std::max(width, double(std::numeric_limits<std::int32_t>::min())));
    } else {
        const double thousandths = RoundHalfEven(std::min(width * 1000, double(std::numeric_limits<std::int32_t>::max())));
        if (thousandths > 10)
            stored = static_cast<std::int64_t>(thousandths);
        else
            stored = width > 0 ? 11 : static_cast<std::int64_t>(RoundHalfEven(width));
    }
    stored = std::clamp<std::int64_t>(stored, std::numeric_limits<std::int32_t>::min(),
                                      std::numeric_limits<std::int32_t>::max());
    stream.WriteInt32(static_cast<std::int32_t>(stored));
}

void TrpView::ReadFrameWidth(TrpStream& stream)
{
    const std::int32_t stored = stream.ReadInt32();
    FrameWidth = stored <= 10 ? double(stored) : stored / 1000.0;
}

void TrpView::ReadFromStream(TrpStream& stream)
{
    const int version = stream.Version;
    if (version >= 24 || (version == 23 && !PreparedMode))
        Name = ReadStreamString(stream);
    else
        SetDefaultName();
    if (version >= 24) {
        FormatMajor = stream.ReadByte();
        FormatMinor = stream.ReadByte();
    } else {
        FormatMajor = FormatMinor = 0;
    }
    Left = stream.ReadInt32();
    Top = stream.ReadInt32();
    Width = stream.ReadInt32();
    Height = stream.ReadInt32();
    Flags = stream.ReadUInt16();
    FrameTyp = stream.ReadUInt16();
    ReadFrameWidth(stream);
    FrameColor = stream.ReadInt32();
    FrameStyle = stream.ReadUInt16();
    FillColor = stream.ReadUInt32();
    if (!PreparedMode) {
        DisplayFormat = stream.ReadInt32();
        FormatString = ReadStreamString(stream);
    }
    ReadStreamLines(stream, Memo);
    if (version >= 23 && !PreparedMode) {
        ReadStreamLines(stream, Script);
        Visible = stream.ReadInt16() != 0;
    }
    if (version >= 24) {
        Restrictions = stream.ReadUInt16();
        Tag = ReadStreamString(stream);
        GapX = stream.ReadInt32();
        GapY = stream.ReadInt32();
    }
    if (FormatMajor > 1)
        BandAlign = static_cast<TrpBandAlign>(stream.ReadByte());
}

void TrpView::WriteToStream(TrpStream& stream)
{
    WriteCountedString(stream, Name);
    stream.WriteByte(2);
    stream.WriteByte(TypeCode == ObjectType::Band ? 1 : 0);
    stream.WriteInt32(Left);
    stream.WriteInt32(Top);
    stream.WriteInt32(Width);
    stream.WriteInt32(Height);
    stream.WriteUInt16(Flags);
    stream.WriteUInt16(FrameTyp);
    WriteFrameWidth(stream);
    stream.WriteInt32(FrameColor);
    stream.WriteUInt16(FrameStyle);
    stream.WriteUInt32(FillColor);
    if (!PreparedMode) {
        stream.WriteInt32(DisplayFormat);
        WriteCountedString(stream, FormatString);
    }
    WriteLineList(stream, PreparedMode ? ExpandedLines : Memo);
    if (!PreparedMode) {
        WriteLineList(stream, Script);
        stream.WriteInt16(Visible ? -1 : 0);
    }
    stream.WriteUInt16(Restrictions);
    WriteCountedString(stream, Tag);
    stream.WriteInt32(GapX);
    stream.WriteInt32(GapY);
    stream.WriteByte(static_cast<std::uint8_t>(BandAlign));
}

// ---- stretchable objects --------------------------------------------------

Variant TrpStretcheable::CallMethod(const std::string& name, const Variant& p1, const Variant& p2, const Variant& p3)
{
    if (UpperName(name) == "CALCHEIGHT")
        return Variant(static_cast<std::int32_t>(CalcHeight()));
    return TrpView::CallMethod(name, p1, p2, p3);
}

// ---- dialog controls ------------------------------------------------------

TrpControl::TrpControl()
{
    FillColor = kBtnFaceColor;
    FrameTyp = 0;
}

void TrpControl::AssignProperty(const std::string& name, const Variant& value)
{
    TrpView::AssignProperty(name, value);
    if (UpperName(name) == "VISIBLE" && OnVisibleChanged)
        OnVisibleChanged(Visible);
}

void TrpControl::RegisterProperties()
{
    if (!properties_.empty())
        return;
    AddProperty("Name", 257);
    for (const char* geometry : {"Left", "Top", "Width", "Height"})
        AddProperty(geometry, 128);
    AddProperty("Visible", 8);
    AddProperty("Restrictions", 64);
}

void TrpControl::PaintDesignImage(QPainter& painter, const QRect& rect)
{
    painter.fillRect(rect, ColorFromValue(kBtnFaceColor));
}

QWidget* TrpControl::PlaceOnForm(QWidget&)
{
    return nullptr;
}

void TrpControl::Paint(QPainter& painter)
{
    ApplyBandAlign();
    ApplyScale();
    // The image is one unit larger than the object, on the button face.
    const QRect image(Left, Top, Width + 1, Height + 1);
    painter.fillRect(image, ColorFromValue(kBtnFaceColor));
    PaintDesignImage(painter, image);
    RestoreGeometry();
}

TrpNonVisualControl::TrpNonVisualControl()
{
    Width = Height = 28;
}

void TrpNonVisualControl::AssignProperty(const std::string& name, const Variant& value)
{
    TrpControl::AssignProperty(name, value);
    if (UpperName(name) == "NAME" && OnRenamed)
        OnRenamed(Name);
}

void TrpNonVisualControl::RegisterProperties()
{
    if (!properties_.empty())
        return;
    AddProperty("Name", 257);
    AddProperty("Restrictions", 64);
}

void TrpNonVisualControl::Paint(QPainter& painter)
{
    Width = Height = 28;
    ApplyScale();
    const QRect rect(Left, Top, Width, Height);
    painter.fillRect(rect, ColorFromValue(kBtnFaceColor));
    // A raised edge: light on the top and left, dark on the bottom and right.
    painter.setPen(QColor(255, 255, 255));
    painter.drawLine(rect.topLeft(), rect.topRight());
    painter.drawLine(rect.topLeft(), rect.bottomLeft());
    painter.setPen(QColor(105, 105, 105));
    painter.drawLine(rect.bottomLeft(), rect.bottomRight());
    painter.drawLine(rect.topRight(), rect.bottomRight());
    PaintDesignImage(painter, rect.adjusted(2, 2, -2, -2));
    RestoreGeometry();
}

} // namespace report
