#pragma once
// Text measurement and text conversion with Qt's fonts.  Needs a
// QGuiApplication.

#include "RpMeasure.h"

#include <QFont>
#include <QFontMetricsF>
#include <QString>

#include <string_view>

namespace report {

// The font at the given em height in pixels.
QFont MakeQFont(const TrpFont& font, int pixelHeight);
// A text's bytes as Qt shows them (see RpText.h).
QString ToQString(std::string_view text, std::uint16_t charset);

class TrpQtMeasurer : public TrpTextMeasurer {
public:
    TrpQtMeasurer(const TrpFont& font, int pixelHeight, int charExtra);
    int TextWidth(std::string_view text) const override;

private:
    QFont font_;
    QFontMetricsF metrics_;
    int charExtra_;
    std::uint16_t charset_;
};

class TrpQtMeasurerFactory : public TrpMeasurerFactory {
public:
    std::unique_ptr<TrpTextMeasurer> Create(const TrpFont& font, int pixelHeight, int charExtra) const override;
};

} // namespace report
