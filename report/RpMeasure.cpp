#include "RpMeasure.h"

#include "RpText.h"
#include "ValueText.h"

#include <cmath>

namespace report {

int FontPixelHeight(std::int32_t size, double scale)
{
    const double pixels = size * 96.0 / 72.0;
    if (scale == 1.0)
        return static_cast<int>(RoundHalfEven(pixels));
    return static_cast<int>(std::trunc(pixels * scale));
}

int TrpFixedWidthMeasurer::TextWidth(std::string_view text) const
{
    const TrpTextCodec codec(text, charset_);
    return static_cast<int>(codec.CharCount(text)) * (charWidth_ + charExtra_);
}

std::unique_ptr<TrpTextMeasurer> TrpFixedWidthFactory::Create(const TrpFont& font, int, int charExtra) const
{
    return std::make_unique<TrpFixedWidthMeasurer>(charWidth_, charExtra, font.Charset);
}

} // namespace report
