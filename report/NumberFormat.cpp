#include "NumberFormat.h"

#include "MaskScan.h"
#include "ValueText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace report {

namespace {

constexpr int kPrecision = 15;
constexpr int kMaxFixedDecimals = 18;
// Beyond this many integer digits a mask shows the plain form.
constexpr int kMaxMaskIntegerDigits = 18;

bool IsQuote(char c)
{
    return c == '\'' || c == '"';
}

std::string SpecialText(double value)
{
    if (std::isnan(value))
        return "NAN";
    return value < 0 ? "-INF" : "INF";
}

void TrimTrailingZeros(std::string& digits)
{
    while (!digits.empty() && digits.back() == '0')
        digits.pop_back();
}

// The digits before the decimal point ("" for a value below 1).
std::string IntegerDigits(const TrpDecimal& d)
{
    if (d.digits.empty() || d.exponent <= 0)
        return {};
    std::string digits = d.digits.substr(0, static_cast<std::size_t>(d.exponent));
    digits.resize(static_cast<std::size_t>(d.exponent), '0');
    return digits;
}

// count digits after the decimal point.
std::string FractionDigits(const TrpDecimal& d, int count)
{
    std::string digits;
    for (int k = 0; k < count; ++k) {
        const int index = d.exponent + k;
        digits += index >= 0 && index < static_cast<int>(d.digits.size()) ? d.digits[static_cast<std::size_t>(index)]
                                                                           : '0';
    }
    return digits;
}

std::string GroupThousands(const std::string& digits, char separator)
{
    if (separator == 0)
        return digits;
    std::string text;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        text += digits[i];
        const std::size_t remaining = digits.size() - 1 - i;
        if (remaining > 0 && remaining % 3 == 0)
            text += separator;
    }
    return text;
}

std::vector<std::string_view> SplitSections(std::string_view mask)
{
    std::vector<std::string_view> sections;
    std::size_t start = 0;
    ScanUnquoted(mask, [&](std::size_t i) {
        if (mask[i] == ';') {
            sections.push_back(mask.substr(start, i - start));
            start = i + 1;
        }
        return sections.size() < 2;
    });
    sections.push_back(mask.substr(start));
    return sections;
}

bool IsExponentAt(std::string_view section, std::size_t i)
{
    return (section[i] == 'E' || section[i] == 'e') && i + 1 < section.size() &&
           (section[i + 1] == '+' || section[i + 1] == '-');
}

// What one section asks for.
struct SectionShape {
    int integerPlaceholders = 0;
    int firstIntegerZero = -1;  // index among the integer placeholders
    int fractionPlaceholders = 0;
    int minFraction = 0;        // up to the last "0" after the point
    bool thousands = false;
    bool scientific = false;
};

SectionShape Analyse(std::string_view section)
{
    SectionShape shape;
    bool afterPoint = false;
    ScanUnquoted(section, [&](std::size_t i) {
        const char c = section[i];
        if (IsExponentAt(section, i)) {
            shape.scientific = true;  // the rest is the exponent
            return false;
        }
        if (c == '0' || c == '#') {
            if (afterPoint) {
                ++shape.fractionPlaceholders;
                if (c == '0')
                    shape.minFraction = shape.fractionPlaceholders;
            } else {
                if (c == '0' && shape.firstIntegerZero < 0)
                    shape.firstIntegerZero = shape.integerPlaceholders;
                ++shape.integerPlaceholders;
            }
        } else if (c == '.') {
            afterPoint = true;
        } else if (c == ',' && !afterPoint) {
            shape.thousands = true;
        }
        return true;
    });
    return shape;
}

std::string FormatSection(std::string_view section, TrpDecimal d, bool showMinus, char decimalSeparator,
                          char thousandSeparator)
{
    const SectionShape shape = Analyse(section);
    int exponent10 = 0;
    if (shape.scientific) {
        const int integerCount = std::max(1, shape.integerPlaceholders);
        if (!d.digits.empty()) {
            exponent10 = d.exponent - integerCount;
            d.exponent = integerCount;
            RoundDecimal(d, shape.fractionPlaceholders);
            if (!d.digits.empty() && d.exponent != integerCount) {
                exponent10 += d.exponent - integerCount;
                d.exponent = integerCount;
            }
        }
    } else {
        RoundDecimal(d, shape.fractionPlaceholders);
    }

    std::string integer = IntegerDigits(d);
    const int minInteger = shape.firstIntegerZero < 0 ? 0 : shape.integerPlaceholders - shape.firstIntegerZero;
    if (static_cast<int>(integer.size()) < minInteger)
        integer.insert(0, static_cast<std::size_t>(minInteger) - integer.size(), '0');
    std::string fraction = FractionDigits(d, shape.fractionPlaceholders);
    while (static_cast<int>(fraction.size()) > shape.minFraction && fraction.back() == '0')
        fraction.pop_back();

    const int intCount = static_cast<int>(integer.size());
    const int offset = shape.integerPlaceholders - intCount;  // negative: extra leading digits
    const char thousands = shape.thousands && !shape.scientific ? thousandSeparator : 0;
    std::string out;
    if (showMinus && !d.digits.empty() && d.negative)
        out += '-';
    const auto emitDigit = [&](int pos) {
        out += integer[static_cast<std::size_t>(pos)];
        const int remaining = intCount - 1 - pos;
        if (thousands != 0 && remaining > 0 && remaining % 3 == 0)
            out += thousands;
    };
    bool integerDone = false;
    const auto emitAllInteger = [&] {
        if (!integerDone && shape.integerPlaceholders == 0)
            for (int p = 0; p < intCount; ++p)
                emitDigit(p);
        integerDone = true;
    };

    int integerIndex = 0;
    int fractionIndex = 0;
    bool afterPoint = false;
    for (std::size_t i = 0; i < section.size(); ++i) {
        const char c = section[i];
        if (IsQuote(c)) {
            const std::size_t end = section.find(c, i + 1);
            const std::size_t stop = end == std::string_view::npos ? section.size() : end;
            out.append(section.substr(i + 1, stop - i - 1));
            i = stop;
            continue;
        }
        if (IsExponentAt(section, i) && shape.scientific) {
            emitAllInteger();
            std::size_t zeros = 0;
            while (i + 2 + zeros < section.size() && section[i + 2 + zeros] == '0')
                ++zeros;
            out += c;
            if (exponent10 < 0)
                out += '-';
            else if (section[i + 1] == '+')
                out += '+';
            std::string digits = std::to_string(std::abs(exponent10));
            if (digits.size() < zeros)
                digits.insert(0, zeros - digits.size(), '0');
            out += digits;
            i += 1 + zeros;
            continue;
        }
        if (c == '0' || c == '#') {
            if (afterPoint) {
                if (fractionIndex < static_cast<int>(fraction.size()))
                    out += fraction[static_cast<std::size_t>(fractionIndex)];
                ++fractionIndex;
            } else {
                if (integerIndex == 0)
                    for (int p = 0; p < -offset; ++p)
                        emitDigit(p);
                const int pos = integerIndex - offset;
                if (pos >= 0 && pos < intCount)
                    emitDigit(pos);
                ++integerIndex;
            }
            continue;
        }
        if (c == '.') {
            if (!afterPoint) {
                emitAllInteger();
                afterPoint = true;
                if (!fraction.empty())
                    out += decimalSeparator;
            }
            continue;
        }
        if (c == ',')
            continue;
        out += c;
    }
    emitAllInteger();
    return out;
}

} // namespace

TrpDecimal ToDecimal(double value)
{
    TrpDecimal d;
    d.negative = std::signbit(value);
    if (value == 0 || !std::isfinite(value))
        return d;
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::scientific, kPrecision - 1);
    const std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
    const std::size_t e = text.find('e');
    for (char c : text.substr(0, e))
        if (c != '.')
            d.digits += c;
    d.exponent = std::atoi(std::string(text.substr(e + 1)).c_str()) + 1;
    TrimTrailingZeros(d.digits);
    return d;
}

void RoundDecimal(TrpDecimal& d, int fractionDigits)
{
    const int keep = d.exponent + fractionDigits;
    if (keep >= static_cast<int>(d.digits.size()))
        return;
    if (keep < 0) {
        d.digits.clear();
        return;
    }
    // Halves go to the even neighbour.  The digits carry no trailing zeros,
    // so a "5" that is not the last digit lies above the half.
    const char first = d.digits[static_cast<std::size_t>(keep)];
    const bool above = first > '5' || (first == '5' && keep + 1 < static_cast<int>(d.digits.size()));
    const bool oddBefore = keep > 0 && (d.digits[static_cast<std::size_t>(keep) - 1] - '0') % 2 == 1;
    const bool up = above || (first == '5' && oddBefore);
    d.digits.resize(static_cast<std::size_t>(keep));
    if (up) {
        int i = keep - 1;
        while (i >= 0 && d.digits[static_cast<std::size_t>(i)] == '9') {
            d.digits[static_cast<std::size_t>(i)] = '0';
            --i;
        }
        if (i < 0) {
            d.digits.insert(0, 1, '1');
            ++d.exponent;
        } else {
            ++d.digits[static_cast<std::size_t>(i)];
        }
    }
    TrimTrailingZeros(d.digits);
}

std::string FormatFloat(std::string_view mask, double value, char decimalSeparator, char thousandSeparator)
{
    if (!std::isfinite(value))
        return SpecialText(value);
    const std::vector<std::string_view> sections = SplitSections(mask);
    const auto hasSection = [&](std::size_t index) { return sections.size() > index && !sections[index].empty(); };
    if (!hasSection(0) && !hasSection(1) && !hasSection(2))
        return RealToText(value, decimalSeparator);

    TrpDecimal d = ToDecimal(value);
    if (d.exponent > kMaxMaskIntegerDigits)
        return RealToText(value, decimalSeparator);
    std::size_t index = 0;
    if (value < 0 && hasSection(1))
        index = 1;
    else if (value == 0 && hasSection(2))
        index = 2;
    // A value that rounds to zero in its section shows as zero.
    if (index != 2 && hasSection(2)) {
        TrpDecimal rounded = d;
        const SectionShape shape = Analyse(sections[index]);
        if (!shape.scientific)
            RoundDecimal(rounded, shape.fractionPlaceholders);
        if (rounded.digits.empty())
            index = 2;
    }
    if (index == 2)
        d.digits.clear();
    return FormatSection(sections[index], d, index == 0, decimalSeparator, thousandSeparator);
}

std::string FormatFixed(double value, int decimals, char decimalSeparator, char thousandSeparator)
{
    if (!std::isfinite(value))
        return SpecialText(value);
    TrpDecimal d = ToDecimal(value);
    if (d.exponent > kPrecision)
        return RealToText(value, decimalSeparator);
    decimals = std::clamp(decimals, 0, kMaxFixedDecimals);
    RoundDecimal(d, decimals);
    std::string integer = IntegerDigits(d);
    if (integer.empty())
        integer = "0";
    std::string text;
    if (d.negative && !d.digits.empty())
        text += '-';
    text += GroupThousands(integer, thousandSeparator);
    if (decimals > 0) {
        text += decimalSeparator;
        text += FractionDigits(d, decimals);
    }
    return text;
}

} // namespace report
