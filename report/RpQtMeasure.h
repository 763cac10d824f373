#pragma once
// Text measurement and text conversion with Qt's fonts.  Needs a
// QGuiApplication.

#include "RpMeasure.h"

#include <QFont>
#include <QPaintDevice>
#include <QFontMetricsF>
#include <QString>

#include <memory>
#include <string_view>

namespace report {

// The font at the given em height in pixels.  Fonts are kept once made
// (Qt resolves a font when it is first used; a report asks for the same few
// fonts thousands of times).
QFont MakeQFont(const TrpFont& font, int pixelHeight);
// The same font resolved for a paint device's resolution, kept too: a
// painter that is given it again finds its glyphs at once.
QFont MakeQFont(const TrpFont& font, int pixelHeight, const QPaintDevice& device);
// The ascent and the height of that font, in whole pixels.
int FontAscent(const TrpFont& font, int pixelHeight);
int FontHeight(const TrpFont& font, int pixelHeight);
// A text's bytes as Qt shows them (see RpText.h).
QString ToQString(std::string_view text, std::uint16_t charset);

// Widths from Qt's font metrics.  Characters that need no shaping (Latin,
// Greek, Cyrillic) are measured one by one and their advances kept, so a
// text of them is summed without shaping it; any other text is measured
// as Qt shapes it.  Kerning is off, so both agree.
class TrpQtMeasurer : public TrpTextMeasurer {
public:
    TrpQtMeasurer(const TrpFont& font, int pixelHeight, int charExtra);
    ~TrpQtMeasurer() override;
    int TextWidth(std::string_view text) const override;

    struct Metrics;

private:
    std::shared_ptr<Metrics> metrics_;
    int charExtra_;
    std::uint16_t charset_;
};

class TrpQtMeasurerFactory : public TrpMeasurerFactory {
public:
    std::unique_ptr<TrpTextMeasurer> Create(const TrpFont& font, int pixelHeight, int charExtra) const override;
};

} // namespace report
