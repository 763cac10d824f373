#include "RpMemoView.h"

#include "RpQtMeasure.h"
#include "RpText.h"
#include "ValueText.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <limits>

namespace report {

namespace {


bool IsBreakChar(char32_t c)
{
    return c == 32 || c == 160;
}

std::string WithoutMarkers(std::string text)
{
    text.erase(std::remove(text.begin(), text.end(), kLineEndMarker), text.end());
    return text;
}

bool HasMarker(const TrpLines& lines)
{
    return std::any_of(lines.begin(), lines.end(),
                       [](const std::string& line) { return line.find(kLineEndMarker) != std::string::npos; });
}

struct FlagProperty {
    const char* name;
    std::uint16_t bit;
};

constexpr FlagProperty kFlagProperties[] = {
    {"WORDWRAP", MemoFlag::WordWrap},     {"WORDBREAK", MemoFlag::WordBreak},
    {"AUTOWIDTH", MemoFlag::AutoWidth},   {"TEXTONLY", MemoFlag::TextOnly},
    {"SUPPRESS", MemoFlag::Suppress},     {"HIDEZEROS", MemoFlag::HideZeros},
    {"UNDERLINES", MemoFlag::Underlines}, {"RTLREADING", MemoFlag::RTLReading},
};

} // namespace

TrpMemoView::TrpMemoView()
{
    TypeCode = ObjectType::Text;
    BaseName = "Memo";
    Flags = MemoFlag::Stretched | MemoFlag::WordWrap;
}

// ---- properties -------------------------------------------------------------

void TrpMemoView::AssignProperty(const std::string& name, const Variant& value)
{
    const std::string n = UpperName(name);
    for (const auto& flag : kFlagProperties) {
        if (n == flag.name) {
            Flags = static_cast<std::uint16_t>(value.toBoolean() ? (Flags | flag.bit) : (Flags & ~flag.bit));
            return;
        }
    }
    if (n == "FONT.NAME")
        Font.Name = value.toText();
    else if (n == "FONT.SIZE")
        Font.Size = value.toInteger();
    else if (n == "FONT.STYLE")
        Font.Style = FontStyleFromBits(value.toInteger());
    else if (n == "FONT.COLOR")
        Font.Color = value.toInteger();
    else if (n == "ALIGNMENT")
        Alignment = static_cast<std::uint32_t>(value.toInteger());
    else if (n == "LINESPACING")
        LineSpacing = value.toInteger();
    else if (n == "CHARSPACING")
        CharSpacing = value.toInteger();
    else
        TrpStretcheable::AssignProperty(name, value);
}

Variant TrpMemoView::ReadProperty(const std::string& name)
{
    const std::string n = UpperName(name);
    for (const auto& flag : kFlagProperties)
        if (n == flag.name)
            return Variant((Flags & flag.bit) != 0);
    if (n == "FONT.NAME")
        return Variant(Font.Name);
    if (n == "FONT.SIZE")
        return Variant(Font.Size);
    if (n == "FONT.STYLE")
        return Variant(static_cast<std::int32_t>(FontStyleToBits(Font.Style)));
    if (n == "FONT.COLOR")
        return Variant(Font.Color);
    if (n == "ALIGNMENT")
        return Variant(static_cast<std::int32_t>(Alignment));
    if (n == "LINESPACING")
        return Variant(LineSpacing);
    if (n == "CHARSPACING")
        return Variant(CharSpacing);
    if (n == "LINES.COUNT")
        return Variant(static_cast<std::int32_t>(Memo.size()));
    return TrpStretcheable::ReadProperty(name);
}

void TrpMemoView::RegisterProperties()
{
    if (!properties_.empty())
        return;
    TrpStretcheable::RegisterProperties();
    for (const char* name : {"Font.Name", "Font.Size", "Font.Style", "Font.Color", "Font", "Alignment",
                             "DisplayFormat", "Highlight", "LineSpacing", "CharSpacing", "GapX", "GapY",
                             "Stretched", "WordWrap", "WordBreak", "AutoWidth", "TextOnly", "Suppress",
                             "HideZeros", "Lines.Count", "Underlines", "RTLReading"})
        AddProperty(name, 0);
}

// ---- expansion and layout -----------------------------------------------------

TrpLines TrpMemoView::ExpandMemo()
{
    TrpLines expanded;
    for (const auto& line : Memo) {
        if (line.empty()) {
            expanded.emplace_back();
            continue;
        }
        const std::string text = (Flags & MemoFlag::TextOnly) ? line : ExpandExpressions(line);
        if (text.empty())
            continue;
        TrpLines parts = SplitTextLines(text);
        if (parts.empty())
            parts.emplace_back();
        expanded.insert(expanded.end(), parts.begin(), parts.end());
    }
    return expanded;
}

std::unique_ptr<TrpTextMeasurer> TrpMemoView::MeasuringMeasurer() const
{
    return Host().Measurers().Create(Font, FontPixelHeight(Font.Size), CharSpacing);
}

void TrpMemoView::Layout()
{
    const auto measurer = MeasuringMeasurer();
    const int step = Step();
    TrpLayoutParams params;
    params.AvailableWidth = IsVertical() ? Height - 2 * GapY : Width - 2 * GapX;
    params.WordWrap = (Flags & MemoFlag::WordWrap) != 0;
    params.WordBreak = (Flags & MemoFlag::WordBreak) != 0;
    params.LaidOut = LaidOut;
    params.InRun = Running();
    params.Charset = Font.Charset;
    ExpandedLines = LayoutLines(ExpandedLines, params, *measurer);
    const int lines = static_cast<int>(ExpandedLines.size());
    TextHeight = (IsVertical() ? 2 * GapX : 2 * GapY) + lines * step;
}

int TrpMemoView::AutoWidthValue()
{
    const auto measurer = Host().Measurers().Create(Font, DrawPixelHeight(), RoundToInt(CharSpacing * PaintScaleX));
    int widest = 0;
    for (const auto& line : Memo)
        widest = std::max(widest, measurer->TextWidth(WithoutMarkers(line)));
    return RoundToInt(widest / PaintScaleX + FrameWidth + 2 * GapX + 1);
}

int TrpMemoView::WidestLineWidth() const
{
    const auto measurer = MeasuringMeasurer();
    int widest = 0;
    for (const auto& line : ExpandedLines.empty() ? Memo : ExpandedLines)
        widest = std::max(widest, measurer->TextWidth(WithoutMarkers(line)));
    return widest;
}

std::vector<TrpDrawnLine> TrpMemoView::PlanLines(const TrpTextMeasurer& measurer, int fontPixelHeight)
{
    std::vector<TrpDrawnLine> plan;
    LinesDrawn = 0;
    const int rectLeft = ObjectRect.left();
    const int rectTop = ObjectRect.top();
    const int rectRight = ObjectRect.right() + 1;
    const int rectBottom = ObjectRect.bottom() + 1;
    const int rectWidth = rectRight - rectLeft;
    const int rectHeight = rectBottom - rectTop;
    const int textHeight = RoundToInt(TextHeight * PaintScaleY);
    const std::uint32_t horizontal = Alignment & MemoAlign::HorizontalMask;
    const std::uint32_t placement = Alignment & MemoAlign::PlacementMask;

    const auto addLine = [&](const std::string& line, int x, int y, int textWidth, int room) {
        TrpDrawnLine drawn;
        const bool paragraphEnd = line.empty() || line.find(kLineEndMarker) != std::string::npos;
        drawn.Text = WithoutMarkers(line);
        drawn.X = x;
        drawn.Y = y;
        if (horizontal == MemoAlign::Justify && !paragraphEnd) {
            const TrpTextCodec codec(drawn.Text, Font.Charset);
            const std::u32string chars = codec.Decode(drawn.Text);
            if (std::any_of(chars.begin(), chars.end(), IsBreakChar))
                drawn.JustifyExtra = room - textWidth;
        }
        plan.push_back(std::move(drawn));
        ++LinesDrawn;
    };

    if (!IsVertical()) {
        int y = Top + GapY;
        if (!Clip) {
            if (placement == MemoAlign::Middle)
                y += (rectHeight - textHeight) / 2;
            else if (placement == MemoAlign::Bottom)
                y = rectBottom - textHeight - 1 + GapY;
        }
        const int step = RoundToInt(LineSpacing * PaintScaleY) + fontPixelHeight;
        LineStep = step;
        const bool wideField = !Running() && ExpandedLines.size() == 1 && !ExpandedLines.front().empty() &&
                               ExpandedLines.front()[0] == '[';
        // Left-aligned lines are placed without their width: measuring is
        // half the cost of drawing a page's texts.
        const bool placedByWidth = horizontal != MemoAlign::Left || wideField;
        for (const auto& line : ExpandedLines) {
            if (Clip && rectBottom < y + step)
                break;
            const int textWidth = placedByWidth ? measurer.TextWidth(WithoutMarkers(line)) : 0;
            int x = Left + GapX;
            std::uint32_t align = horizontal;
            if (wideField && textWidth > rectWidth)
                align = MemoAlign::Right;
            if (align == MemoAlign::Right)
                x = Left + rectWidth - GapX - textWidth - 1;
            else if (align == MemoAlign::Center)
                x = Left + GapX + (rectWidth - 2 * GapX - textWidth) / 2;
            addLine(line, x, y, textWidth, rectWidth - 2 * GapX);
            y += step;
        }
        return plan;
    }

    int x = Left + GapX;
    if (placement == MemoAlign::Middle)
        x += (rectWidth - textHeight) / 2;
    else if (placement == MemoAlign::Bottom)
        x = rectRight - textHeight + GapX;
    const int step = RoundToInt(LineSpacing * PaintScaleX) + fontPixelHeight;
    LineStep = step;
    // The clip rule stops horizontal lines only: rotated text draws every
    // line, and the clip rectangle cuts what lies outside.
    for (const auto& line : ExpandedLines) {
        const int textWidth = measurer.TextWidth(WithoutMarkers(line));
        int y = rectBottom - GapY;
        if (horizontal == MemoAlign::Right)
            y = Top + GapY + textWidth;
        else if (horizontal == MemoAlign::Center)
            y = rectBottom - GapY - (rectHeight - 2 * GapY - textWidth) / 2 - 1;
        else if (horizontal == MemoAlign::Justify)
            y = rectBottom + (Top - rectTop) - GapY;
        addLine(line, x, y, textWidth, rectHeight - 2 * GapY);
        x += step;
    }
    return plan;
}

// ---- painting -------------------------------------------------------------------

void TrpMemoView::PaintUnderlines(QPainter& painter, int fontPixelHeight)
{
    const int step = RoundToInt(LineSpacing * PaintScaleY) + fontPixelHeight;
    if (step <= 0)
        return;
    QPen pen(ColorFromValue(static_cast<std::uint32_t>(FrameColor)));
    pen.setWidth(RoundToInt(FrameWidth));
    painter.setPen(pen);
    for (int i = 0; i < Height / step; ++i) {
        const int y = Top + GapY + i * step + RoundToInt(2 * PaintScaleY) + fontPixelHeight;
        painter.drawLine(Left, y, Left + Width - 1, y);
    }
}

void TrpMemoView::DrawLines(QPainter& painter)
{
    const int pixelHeight = DrawPixelHeight();
    const int charExtra = RoundToInt(CharSpacing * PaintScaleX);
    const auto measurer = Host().Measurers().Create(Font, pixelHeight, charExtra);
    const std::vector<TrpDrawnLine> plan = PlanLines(*measurer, pixelHeight);

    const QRect clip(QPoint(ObjectRect.left() + 1, ObjectRect.top()),
                     QPoint(ObjectRect.right() - 2, ObjectRect.bottom() - 1));
    if (ExportMode) {
        // A single line keeps every frame line; of several, the first
        // loses the bottom one, the last the top one, the others both.
        for (std::size_t i = 0; i < plan.size(); ++i) {
            std::uint16_t frame = FrameTyp;
            if (plan.size() > 1) {
                if (i + 1 < plan.size())
                    frame &= static_cast<std::uint16_t>(~FrameLine::Bottom);
                if (i > 0)
                    frame &= static_cast<std::uint16_t>(~FrameLine::Top);
            }
            Host().ExportText(clip, plan[i].X, plan[i].Y, plan[i].Text, frame, *this);
        }
        return;
    }
    painter.save();
    QFont font = painter.device() != nullptr ? MakeQFont(Font, pixelHeight, *painter.device()) : MakeQFont(Font, pixelHeight);
    if (charExtra != 0)
        font.setLetterSpacing(QFont::AbsoluteSpacing, charExtra);
    const int ascent = FontAscent(Font, pixelHeight);
    const int lineHeight = FontHeight(Font, pixelHeight);
    // Lines that lie inside the clip rectangle need no clipping: printers
    // and PDF files then get plain text, not a clip path for every object.
    const bool plain = !IsVertical() && std::all_of(plan.begin(), plan.end(), [&](const TrpDrawnLine& line) {
        return line.JustifyExtra == 0 && line.X >= clip.left() && line.Y >= clip.top() &&
               line.X + measurer->TextWidth(line.Text) <= clip.right() + 1 &&
               line.Y + lineHeight <= clip.bottom() + 1;
    });
    if (!plain)
        painter.setClipRect(clip);
    painter.setFont(font);
    painter.setPen(ColorFromValue(static_cast<std::uint32_t>(Font.Color)));
    painter.setBackgroundMode(Qt::TransparentMode);
    painter.setLayoutDirection((Flags & MemoFlag::RTLReading) ? Qt::RightToLeft : Qt::LeftToRight);
    for (const auto& line : plan) {
        if (plain) {
            painter.drawText(QPoint(line.X, line.Y + ascent), ToQString(line.Text, Font.Charset));
            continue;
        }
        painter.save();
        painter.translate(line.X, line.Y);
        if (IsVertical())
            painter.rotate(-90);
        if (line.JustifyExtra == 0) {
            painter.drawText(QPoint(0, ascent), ToQString(line.Text, Font.Charset));
        } else {
            // Spread the extra over the spaces, the first ones taking the
            // remainder, and draw the pieces one by one.
            const TrpTextCodec codec(line.Text, Font.Charset);
            std::vector<std::string> pieces(1);
            for (std::size_t pos = 0; pos < line.Text.size();) {
                const std::size_t length = codec.CharLength(line.Text, pos);
                pieces.back() += line.Text.substr(pos, length);
                if (IsBreakChar(codec.CharAt(line.Text, pos)))
                    pieces.emplace_back();
                pos += length;
            }
            const int breaks = static_cast<int>(pieces.size()) - 1;
            int x = 0;
            for (int i = 0; i <= breaks; ++i) {
                painter.drawText(QPoint(x, ascent), ToQString(pieces[static_cast<std::size_t>(i)], Font.Charset));
                x += measurer->TextWidth(pieces[static_cast<std::size_t>(i)]);
                if (i < breaks)
                    x += line.JustifyExtra / breaks + (i < line.JustifyExtra % breaks ? 1 : 0);
            }
        }
        painter.restore();
    }
    painter.restore();
}

void TrpMemoView::Paint(QPainter& painter)
{
    const bool running = Running();
    if ((Flags & MemoFlag::AutoWidth) && running && !Memo.empty()) {
        const int value = AutoWidthValue();
        if (IsVertical()) {
            Height = value;
        } else if (Alignment & 1) {
            const int right = Left + Width;
            Width = value;
            Left = right - value;
        } else {
            Width = value;
        }
    }
    ApplyBandAlign();
    Clip = false;
    ExpandedLines = Memo;
    if (!ExpandedLines.empty()) {
        LaidOut = HasMarker(ExpandedLines);
        if (ExpandedLines.back() == std::string(1, kLineEndMarker))
            ExpandedLines.pop_back();
        // Lay out at scale 1.
        const double sx = PaintScaleX;
        const double sy = PaintScaleY;
        PaintScaleX = PaintScaleY = 1;
        ApplyScale();
        if ((Flags & MemoFlag::AutoWidth) && running)
            Width += 100;
        Layout();
        RestoreGeometry();
        PaintScaleX = sx;
        PaintScaleY = sy;
    }
    ApplyScale();
    if (!ExportMode) {
        PaintFill(painter);
        PaintFrame(painter);
        if (Flags & MemoFlag::Underlines)
            PaintUnderlines(painter, DrawPixelHeight());
    }
    if (!ExpandedLines.empty())
        DrawLines(painter);
    RestoreGeometry();
}

// ---- run ------------------------------------------------------------------------

TrpMemoView::SavedLook TrpMemoView::ApplyHighlight()
{
    SavedLook look{Font, FillColor};
    if (!HighlightCondition.empty()) {
        const Variant value = Host().EvalPostfix(HighlightCondition);
        if (!value.isNull() && !value.isEmpty() && value.toReal() != 0) {
            Font.Style = FontStyleFromBits(Highlight.FontStyle);
            Font.Color = Highlight.FontColor;
            FillColor = static_cast<std::uint32_t>(Highlight.FillColor);
        }
    }
    return look;
}

void TrpMemoView::RestoreLook(const SavedLook& look)
{
    Font = look.font;
    FillColor = look.fill;
}

int TrpMemoView::CalcHeight()
{
    StretchPhase = 1;
    ApplyBandAlign();
    Host().RunScript(*this);
    if (!Visible)
        return 0;
    ExpandedLines = Memo;
    const bool handler = Host().BeforePrint(ExpandedLines, *this);
    if (!handler || ExpandedLines == Memo)
        ExpandedLines = ExpandMemo();
    const SavedLook look = ApplyHighlight();
    ApplyScale();
    Layout();
    const std::string text = JoinTextLines(ExpandedLines);
    int result = TextHeight;
    if ((Flags & MemoFlag::Suppress) && text == PreviousText)
        result = 0;
    if (Host().IsFirstPass() && (Flags & MemoFlag::Suppress))
        PreviousText = text;
    RestoreGeometry();
    RestoreLook(look);
    return result;
}

int TrpMemoView::MinSliceHeight()
{
    return RoundToInt(2 * FrameWidth) + Step() + 2 * GapY;
}

int TrpMemoView::LeftoverHeight()
{
    const int frame = RoundToInt(2 * FrameWidth);
    const int step = Step();
    if (step <= 0)
        return 2 * GapY + frame;
    return 2 * GapY + frame + ((Height - frame - 2 * GapY) % step);
}

void TrpMemoView::EmitToPreparedPage(TrpStream& stream)
{
    ApplyBandAlign();
    Clip = true;
    if (StretchPhase == 0) {
        Host().RunScript(*this);
        ExpandedLines = Memo;
        const bool handler = Host().BeforePrint(ExpandedLines, *this);
        if (!handler || ExpandedLines == Memo)
            ExpandedLines = ExpandMemo();
    }
    if (!Visible) {
        StretchPhase = 0;
        return;
    }
    const SavedLook look = ApplyHighlight();
    TrpLines fullList;
    std::size_t printed = 0;
    if (StretchPhase == 2) {
        ApplyScale();
        fullList = ExpandedLines;
        const auto measurer = Host().Measurers().Create(Font, DrawPixelHeight(), RoundToInt(CharSpacing * PaintScaleX));
        PlanLines(*measurer, DrawPixelHeight());
        printed = static_cast<std::size_t>(std::max(0, LinesDrawn));
        ExpandedLines.resize(std::min(printed, ExpandedLines.size()));
        if (!HasMarker(ExpandedLines))
            ExpandedLines.emplace_back(1, kLineEndMarker);
        RestoreGeometry();
    }
    const std::string savedTag = Tag;
    const std::int32_t savedFormat = DisplayFormat;
    DisplayFormat = 0;
    Tag = ExpandExpressions(Tag);
    DisplayFormat = savedFormat;
    const TrpBandAlign savedAlign = BandAlign;
    ApplyEmitAlign();
    if (BandAlign == TrpBandAlign::Bottom || BandAlign == TrpBandAlign::Width)
        BandAlign = TrpBandAlign::None;
    const std::string text = JoinTextLines(ExpandedLines);
    const auto restore = [&] {
        RestoreLook(look);
        Tag = savedTag;
        BandAlign = savedAlign;
        PreparedMode = false;
        StretchPhase = 0;
    };
    try {
        if (!((Flags & MemoFlag::Suppress) && text == PreviousText)) {
            WriteEmitHeader(stream);
            PreparedMode = true;
            WriteToStream(stream);
            PreparedMode = false;
        }
    } catch (...) {
        restore();
        throw;
    }
    if (Flags & MemoFlag::Suppress)
        PreviousText = text;
    if (StretchPhase == 2)
        ExpandedLines.assign(fullList.begin() + static_cast<std::ptrdiff_t>(std::min(printed, fullList.size())),
                             fullList.end());
    restore();
}

void TrpMemoView::RunPrintHook()
{
    TrpView::RunPrintHook();
    QImage canvas(1, 1, QImage::Format_RGB32);
    QPainter painter(&canvas);
    ExportMode = true;
    try {
        Paint(painter);
    } catch (...) {
        ExportMode = false;
        throw;
    }
    ExportMode = false;
}

void TrpMemoView::LoadFromBlob(const TrpBlob& blob)
{
    ExpandedLines = blob.IsNull ? TrpLines() : SplitTextLines(blob.Bytes);
}

// ---- stream -------------------------------------------------------------------

void TrpMemoView::ReadFromStream(TrpStream& stream)
{
    TrpStretcheable::ReadFromStream(stream);
    const int version = stream.Version;
    Font.Name = ReadStreamString(stream);
    Font.Size = stream.ReadInt32();
    Font.Style = FontStyleFromBits(stream.ReadUInt16());
    Font.Color = stream.ReadInt32();
    Alignment = stream.ReadUInt32();
    const std::uint16_t charset = stream.ReadUInt16();
    Font.Charset = version >= 23 ? charset : kDefaultCharset;
    if (!PreparedMode) {
        Highlight.FontStyle = stream.ReadUInt16();
        Highlight.FontColor = stream.ReadInt32();
        Highlight.FillColor = stream.ReadInt32();
        HighlightCondition = ReadStreamString(stream);
    }
    if (version >= 24) {
        LineSpacing = stream.ReadInt32();
        CharSpacing = stream.ReadInt32();
    }
    if (version == 21)
        Flags |= MemoFlag::WordWrap;
}

void TrpMemoView::WriteToStream(TrpStream& stream)
{
    TrpStretcheable::WriteToStream(stream);
    WriteCountedString(stream, Font.Name);
    stream.WriteInt32(Font.Size);
    stream.WriteUInt16(static_cast<std::uint16_t>(FontStyleToBits(Font.Style)));
    stream.WriteInt32(Font.Color);
    stream.WriteUInt32(Alignment);
    stream.WriteUInt16(Font.Charset);
    if (!PreparedMode) {
        stream.WriteUInt16(Highlight.FontStyle);
        stream.WriteInt32(Highlight.FontColor);
        stream.WriteInt32(Highlight.FillColor);
        WriteCountedString(stream, HighlightCondition);
    }
    stream.WriteInt32(LineSpacing);
    stream.WriteInt32(CharSpacing);
}

} // namespace report
