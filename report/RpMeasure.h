#pragma once
// Text measurement for the layout of text objects.  The layout asks only
// for the width of a run of text in the font of the object; the height of a
// line comes from the font's pixel height, which the object computes.
// Keeping the question this small lets the layout run on a fixed-width
// measurer in tests and on real fonts (RpQtMeasure.h) in the program.

#include "RP_Utils.h"
#include "RpText.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace report {

// A report object's font.
struct TrpFont {
    std::string Name = "Arial";
    std::int32_t Size = 10;  // points
    TrpFontStyles Style;
    std::int32_t Color = 0;  // 0x00BBGGRR
    std::uint16_t Charset = 1;
    friend bool operator==(const TrpFont&, const TrpFont&) = default;
};

// The font's em height in pixels at 96 units per inch: round(size x 96 / 72)
// at scale 1, the scaled value truncated at any other scale.
int FontPixelHeight(std::int32_t size, double scale = 1.0);

class TrpTextMeasurer {
public:
    virtual ~TrpTextMeasurer() = default;
    // Width in pixels of the bytes of one line, character extra included.
    virtual int TextWidth(std::string_view text) const = 0;
};

// Every character (a UTF-8 sequence, or one byte of a single-byte text) is
// charWidth pixels plus the character extra wide.
class TrpFixedWidthMeasurer : public TrpTextMeasurer {
public:
    TrpFixedWidthMeasurer(int charWidth, int charExtra = 0, std::uint16_t charset = kDefaultCharset)
        : charWidth_(charWidth), charExtra_(charExtra), charset_(charset)
    {
    }
    int TextWidth(std::string_view text) const override;

private:
    int charWidth_;
    int charExtra_;
    std::uint16_t charset_;
};

// Makes measurers for fonts; the engine's owner chooses the kind.
class TrpMeasurerFactory {
public:
    virtual ~TrpMeasurerFactory() = default;
    virtual std::unique_ptr<TrpTextMeasurer> Create(const TrpFont& font, int pixelHeight, int charExtra) const = 0;
};

class TrpFixedWidthFactory : public TrpMeasurerFactory {
public:
    explicit TrpFixedWidthFactory(int charWidth) : charWidth_(charWidth) {}
    std::unique_ptr<TrpTextMeasurer> Create(const TrpFont& font, int pixelHeight, int charExtra) const override;

private:
    int charWidth_;
};

} // namespace report
