#pragma once
// Numbers as text by the masks and notations that report display formats
// use.  A number is first taken to 15 significant digits, then rounded to
// the digits shown with halves to the even neighbour, as the engine rounds
// everywhere: 2.5 shows as 2 with no decimals, 2.675 as 2.68 and 2.665 as
// 2.66 with two.  The separators are passed in; nothing here reads the
// process locale.
//
// Number masks (FormatFloat): up to three sections separated by ";" for
// positive, negative and zero values (a negative value without a section of
// its own takes the first with a leading "-"; zero without one takes the
// first).  In a section:
//   0   a digit, 0 when there is none      #   a digit, nothing when none
//   .   the decimal separator (the first one; digits after it are shown
//       only as far as the mask asks, trailing "#" digits that are 0 drop)
//   ,   anywhere before the "." : thousands separators in the integer part
//   E+ E- e+ e-  scientific notation, the exponent as wide as the "0"s
//       after it ("+" shows the sign of positive exponents too)
//   'x' "x"  literal text;  any other character stands for itself.
// Integer digits beyond the mask's placeholders all show.  A value that
// rounds to zero shows no minus sign.

#include <string>
#include <string_view>

namespace report {

// 15 significant digits: value = 0.d1 d2 ... dn x 10^exponent, no trailing
// zeros; digits is empty for zero.
struct TrpDecimal {
    bool negative = false;
    std::string digits;
    int exponent = 0;
};
TrpDecimal ToDecimal(double value);
// Rounds to the given number of digits after the decimal point, halves
// to even.
void RoundDecimal(TrpDecimal& decimal, int fractionDigits);

// The mask formatter; an empty mask gives the plain form of the number.
std::string FormatFloat(std::string_view mask, double value, char decimalSeparator, char thousandSeparator);

// Fixed notation with the given decimals (0 to 18), thousands-separated
// when thousandSeparator is not 0; more than 15 integer digits give the
// plain form.
std::string FormatFixed(double value, int decimals, char decimalSeparator, char thousandSeparator = 0);

} // namespace report
