#pragma once
// The text object: lines with [expressions], laid out in one font with
// alignment, wrapping, justification, rotation, spacing, a conditional
// highlight and suppression of repeated values.

#include "RpMemoLayout.h"
#include "RpObject.h"

namespace report {

// Text-object bits of Flags.
namespace MemoFlag {
constexpr std::uint16_t Stretched = 0x01;
constexpr std::uint16_t WordWrap = 0x02;
constexpr std::uint16_t WordBreak = 0x04;
constexpr std::uint16_t AutoWidth = 0x08;
constexpr std::uint16_t TextOnly = 0x10;
constexpr std::uint16_t Suppress = 0x20;
constexpr std::uint16_t HideZeros = 0x40;
constexpr std::uint16_t Underlines = 0x80;
constexpr std::uint16_t RTLReading = 0x100;
} // namespace MemoFlag

// Alignment bits.
namespace MemoAlign {
constexpr std::uint32_t Left = 0;
constexpr std::uint32_t Right = 1;
constexpr std::uint32_t Center = 2;
constexpr std::uint32_t Justify = 3;
constexpr std::uint32_t HorizontalMask = 3;
constexpr std::uint32_t Vertical = 4;  // rotated by 90 degrees
constexpr std::uint32_t Top = 0;
constexpr std::uint32_t Middle = 8;
constexpr std::uint32_t Bottom = 16;
constexpr std::uint32_t PlacementMask = 24;
} // namespace MemoAlign

struct TrpHighlight {
    std::uint16_t FontStyle = 2;  // stored style code: bold
    std::int32_t FontColor = 0;
    std::int32_t FillColor = 0xFFFFFF;
};

// Where one line of text goes: the reference point is the top left of the
// text (rotated text: the start of its upward run).
struct TrpDrawnLine {
    int X = 0;
    int Y = 0;
    std::string Text;       // without the marker
    int JustifyExtra = 0;   // pixels spread over the line's spaces
};

class TrpMemoView : public TrpStretcheable {
public:
    TrpMemoView();

    void AssignProperty(const std::string& name, const Variant& value) override;
    Variant ReadProperty(const std::string& name) override;
    void RegisterProperties() override;
    bool IsListName(const std::string& upperName) const override
    {
        return upperName == "MEMO" || upperName == "LINES";
    }

    void Paint(QPainter& painter) override;
    void EmitToPreparedPage(TrpStream& stream) override;
    void ReadFromStream(TrpStream& stream) override;
    void WriteToStream(TrpStream& stream) override;
    void LoadFromBlob(const TrpBlob& blob) override;
    // Hands the object to the export filter, then lays it out once in
    // export mode: each line goes to the filter instead of being drawn.
    void RunPrintHook() override;
    std::string ClassName() const override { return "TrpMemoView"; }

    int CalcHeight() override;
    int MinSliceHeight() override;
    int LeftoverHeight() override;

    // Memo into expanded lines, [expressions] replaced unless TextOnly.
    TrpLines ExpandMemo();
    // Lays out ExpandedLines at the current geometry with the measuring
    // font; sets TextHeight and replaces ExpandedLines by the laid-out lines.
    void Layout();
    // Where each line of ExpandedLines is drawn at the current (scaled)
    // geometry, measured by the given measurer of the drawing font; counts
    // the lines into LinesDrawn.  ObjectRect must be set (ApplyScale).
    std::vector<TrpDrawnLine> PlanLines(const TrpTextMeasurer& measurer, int fontPixelHeight);
    // The width AutoWidth gives the object.
    int AutoWidthValue();
    // The width of the widest line as laid out (CALCWIDTH): the expanded
    // lines, or the memo before the object has been expanded.
    int WidestLineWidth() const;

    // The pixel height of the drawing font at the current scale.
    int DrawPixelHeight() const { return FontPixelHeight(Font.Size, PaintScaleY); }
    bool IsVertical() const { return (Alignment & MemoAlign::Vertical) != 0; }

    TrpFont Font;
    std::string PreviousText;
    bool LaidOut = false;
    std::int32_t TextHeight = 0;
    bool Clip = false;
    std::int32_t LineStep = 0;
    std::int32_t LinesDrawn = 0;
    bool ExportMode = false;
    std::uint32_t Alignment = 0;
    TrpHighlight Highlight;
    std::string HighlightCondition;  // postfix-coded
    std::int32_t LineSpacing = 2;
    std::int32_t CharSpacing = 0;

private:
    struct SavedLook {
        TrpFont font;
        std::uint32_t fill;
    };
    SavedLook ApplyHighlight();
    void RestoreLook(const SavedLook& look);
    void PaintUnderlines(QPainter& painter, int fontPixelHeight);
    void DrawLines(QPainter& painter);
    std::unique_ptr<TrpTextMeasurer> MeasuringMeasurer() const;
    int Step() const { return LineSpacing + FontPixelHeight(Font.Size); }
};

} // namespace report
