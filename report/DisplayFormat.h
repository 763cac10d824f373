#pragma once
// Display formats: how a report shows a value.
//
// A display-format code is a 32-bit integer kept with each text object:
//   bits 24-27  category: 0 text, 1 number, 2 date, 3 time, 4 Boolean
//   bits 16-23  sub-format: 0-3 predefined, 4 custom (the custom string)
//   bits  8-15  decimals (numbers)
//   bits  0-7   the decimal separator character (numbers)
//
//   number   0 "##0." and one "#" per decimal   1 fixed, the code's decimals
//            2 "#,##0." and one "#" per decimal 3 fixed with thousands
//   date     0-2 the date texts (mm.dd.yy, mm.dd.yyyy, d mmm yyyy)
//            3 the long date form of the settings
//   time     0-3 the time texts (hh:nn:ss, h:nn:ss, hh:nn, h:nn)
//   Boolean  0-3 the Boolean texts ("0;1", "No;Yes", "_;x", "False;True"),
//            the false text before ";", the true text after it
//
// A bracketed expression may carry its own format after " #": N or a
// digit for numbers, D or T for dates and times, B for Booleans (see
// ParseInlineFormat).

#include "Variant.h"

#include <array>
#include <cstdint>
#include <string>

namespace report {

namespace FormatCategory {
constexpr int Text = 0;
constexpr int Number = 1;
constexpr int Date = 2;
constexpr int Time = 3;
constexpr int Boolean = 4;
} // namespace FormatCategory

constexpr int kCustomSubFormat = 4;

struct TrpDisplayFormat {
    int Category = FormatCategory::Text;
    int SubFormat = 0;
    int Decimals = 0;
    char Separator = 0;

    static TrpDisplayFormat Decode(std::int32_t code);
    std::int32_t Encode() const;
};

// The format strings of the predefined sub-formats, engine texts that the
// engine loads once when it starts.
struct TrpFormatTexts {
    std::array<std::string, 4> Booleans{"0;1", "No;Yes", "_;x", "False;True"};
    std::array<std::string, 4> Dates{"mm.dd.yy", "mm.dd.yyyy", "d mmm yyyy", "d mmmm yyyy"};
    std::array<std::string, 4> Times{"hh:nn:ss", "h:nn:ss", "hh:nn", "h:nn"};
};

// Splits a bracketed expression at " #" into the expression and its inline
// format, and turns the format into a code and a custom string.  False
// (code and custom unchanged) when the text has no inline format or the
// format's first character names no category; the expression is the text
// before " #" in either case.
bool ParseInlineFormat(const std::string& text, std::string& expression, std::int32_t& code, std::string& custom);

// The value as text by the code.  Empty and Null give "", and so does a
// text that is blank; a value that does not convert (a text that is no
// number in the number category) gives its plain text.  The number
// categories take the code's decimal separator (the settings' when the code
// has none); a thousands separator equal to it gives way to a blank.
std::string FormatDisplayValue(const Variant& value, std::int32_t code, const std::string& custom,
                               const FormatSettings& settings, const TrpFormatTexts& texts);

} // namespace report
