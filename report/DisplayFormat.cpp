#include "DisplayFormat.h"

#include "DateTimeFormat.h"
#include "Exceptions.h"
#include "NumberFormat.h"

namespace report {

namespace {

constexpr std::size_t kMaxBooleanText = 255;

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsBlankText(const std::string& text)
{
    for (const char c : text)
        if (static_cast<unsigned char>(c) > ' ')
            return false;
    return true;
}

std::string PlainText(const Variant& value, const FormatSettings& settings)
{
    try {
        return value.toText(settings);
    } catch (const Exception&) {
        return {};
    }
}

std::string NumberText(const Variant& value, const TrpDisplayFormat& format, const std::string& custom,
                       const FormatSettings& settings)
{
    const char separator = format.Separator != 0 ? format.Separator : settings.decimalSeparator;
    const char thousands = settings.thousandSeparator == separator ? ' ' : settings.thousandSeparator;
    double number = 0;
    if (value.isText()) {
        FormatSettings reading = settings;
        reading.decimalSeparator = separator;
        number = value.toReal(reading);
    } else {
        number = value.toReal(settings);
    }
    const std::string optional(static_cast<std::size_t>(format.Decimals), '#');
    switch (format.SubFormat) {
    case 0:
        return FormatFloat("##0." + optional, number, separator, thousands);
    case 1:
        return FormatFixed(number, format.Decimals, separator);
    case 2:
        return FormatFloat("#,##0." + optional, number, separator, thousands);
    case 3:
        return FormatFixed(number, format.Decimals, separator, thousands);
    case kCustomSubFormat:
        return FormatFloat(custom, number, separator, thousands);
    default:
        return value.toText(settings);
    }
}

std::string BooleanText(const Variant& value, const std::string& texts, const FormatSettings& settings)
{
    const std::size_t semicolon = texts.find(';');
    if (value.toInteger(settings) != 0)
        return semicolon == std::string::npos ? texts.substr(0, kMaxBooleanText)
                                              : texts.substr(semicolon + 1, kMaxBooleanText);
    return semicolon == std::string::npos ? std::string() : texts.substr(0, semicolon);
}

std::string Format(const Variant& value, const TrpDisplayFormat& format, const std::string& custom,
                   const FormatSettings& settings, const TrpFormatTexts& texts)
{
    const bool custom4 = format.SubFormat == kCustomSubFormat;
    const bool predefined = format.SubFormat >= 0 && format.SubFormat < 4;
    switch (format.Category) {
    case FormatCategory::Number:
        return NumberText(value, format, custom, settings);
    case FormatCategory::Date:
        if (custom4)
            return FormatDateTime(custom, value.toDateTime(settings), settings);
        if (format.SubFormat == 3)
            return LongDateText(value.toDateTime(settings), settings);
        if (predefined)
            return FormatDateTime(texts.Dates[static_cast<std::size_t>(format.SubFormat)],
                                  value.toDateTime(settings), settings);
        break;
    case FormatCategory::Time:
        if (custom4)
            return FormatDateTime(custom, value.toDateTime(settings), settings);
        if (predefined)
            return FormatDateTime(texts.Times[static_cast<std::size_t>(format.SubFormat)],
                                  value.toDateTime(settings), settings);
        break;
    case FormatCategory::Boolean:
        if (custom4)
            return BooleanText(value, custom, settings);
        if (predefined)
            return BooleanText(value, texts.Booleans[static_cast<std::size_t>(format.SubFormat)], settings);
        break;
    default:
        break;
    }
    return value.toText(settings);
}

} // namespace

TrpDisplayFormat TrpDisplayFormat::Decode(std::int32_t code)
{
    const auto bits = static_cast<std::uint32_t>(code);
    TrpDisplayFormat format;
    format.Category = static_cast<int>((bits >> 24) & 0x0F);
    format.SubFormat = static_cast<int>((bits >> 16) & 0xFF);
    format.Decimals = static_cast<int>((bits >> 8) & 0xFF);
    format.Separator = static_cast<char>(bits & 0xFF);
    return format;
}

std::int32_t TrpDisplayFormat::Encode() const
{
    const std::uint32_t bits = (static_cast<std::uint32_t>(Category & 0x0F) << 24) |
                               (static_cast<std::uint32_t>(SubFormat & 0xFF) << 16) |
                               (static_cast<std::uint32_t>(Decimals & 0xFF) << 8) |
                               static_cast<std::uint8_t>(Separator);
    return static_cast<std::int32_t>(bits);
}

bool ParseInlineFormat(const std::string& text, std::string& expression, std::int32_t& code, std::string& custom)
{
    const std::size_t mark = text.find(" #");
    if (mark == std::string::npos) {
        expression = text;
        return false;
    }
    expression = text.substr(0, mark);
    std::string format = text.substr(mark + 2);
    if (format.empty())
        return false;
    const char first = format[0];
    TrpDisplayFormat parsed;
    if (IsDigit(first) || first == 'N' || first == 'n') {
        if (IsDigit(first))
            format.insert(0, 1, 'N');
        parsed.Category = FormatCategory::Number;
        const bool fixed = format.size() > 1 && IsDigit(format[1]);
        if (fixed)
            parsed.SubFormat = 1;
        for (std::size_t i = format.size() - 1; i >= 1; --i) {
            const char c = format[i];
            if (c == ',' || c == '-' || c == '.') {
                parsed.Separator = c;
                format[i] = '.';
                if (fixed) {
                    int decimals = 0;
                    for (std::size_t j = i + 1; j < format.size() && IsDigit(format[j]); ++j)
                        decimals = std::min(255, decimals * 10 + (format[j] - '0'));
                    parsed.Decimals = decimals;
                }
                break;
            }
        }
        std::string newCustom = custom;
        if (!fixed) {
            newCustom = format.substr(1);
            parsed.SubFormat = kCustomSubFormat;
        }
        code = parsed.Encode();
        custom = newCustom;
        return true;
    }
    if (first == 'D' || first == 'T' || first == 'd' || first == 't') {
        parsed.Category = FormatCategory::Date;
        parsed.SubFormat = kCustomSubFormat;
    } else if (first == 'B' || first == 'b') {
        parsed.Category = FormatCategory::Boolean;
        parsed.SubFormat = kCustomSubFormat;
    } else {
        return false;
    }
    code = parsed.Encode();
    custom = format.substr(1);
    return true;
}

std::string FormatDisplayValue(const Variant& value, std::int32_t code, const std::string& custom,
                               const FormatSettings& settings, const TrpFormatTexts& texts)
{
    if (value.isEmpty() || value.isNull())
        return {};
    if (value.isText() && IsBlankText(value.textValue()))
        return {};
    try {
        return Format(value, TrpDisplayFormat::Decode(code), custom, settings, texts);
    } catch (const Exception&) {
        return PlainText(value, settings);
    }
}

} // namespace report
