#include "RpQtMeasure.h"

#include "RpText.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace report {

QFont MakeQFont(const TrpFont& font, int pixelHeight)
{
    QFont qfont(QString::fromStdString(font.Name));
    qfont.setPixelSize(std::max(1, pixelHeight));
    qfont.setBold(font.Style.bold);
    qfont.setItalic(font.Style.italic);
    qfont.setUnderline(font.Style.underline);
    qfont.setStrikeOut(font.Style.strikeOut);
    qfont.setKerning(false);
    return qfont;
}

QString ToQString(std::string_view text, std::uint16_t charset)
{
    const TrpTextCodec codec(text, charset);
    if (codec.IsUtf8())
        return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    const std::u32string chars = codec.Decode(text);
    return QString::fromUcs4(chars.data(), static_cast<qsizetype>(chars.size()));
}

TrpQtMeasurer::TrpQtMeasurer(const TrpFont& font, int pixelHeight, int charExtra)
    : font_(MakeQFont(font, pixelHeight)), metrics_(font_), charExtra_(charExtra), charset_(font.Charset)
{
}

int TrpQtMeasurer::TextWidth(std::string_view text) const
{
    const TrpTextCodec codec(text, charset_);
    const double advance = metrics_.horizontalAdvance(ToQString(text, charset_));
    const double width = std::ceil(advance - 1e-6) + double(codec.CharCount(text)) * charExtra_;
    return static_cast<int>(std::clamp(width, double(std::numeric_limits<int>::min()),
                                       double(std::numeric_limits<int>::max())));
}

std::unique_ptr<TrpTextMeasurer> TrpQtMeasurerFactory::Create(const TrpFont& font, int pixelHeight,
                                                              int charExtra) const
{
    return std::make_unique<TrpQtMeasurer>(font, pixelHeight, charExtra);
}

} // namespace report
