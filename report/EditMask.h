#pragma once
// Texts shaped by an edit mask, as FORMATTEXT shows them.
//
// A mask is "mask;keep literals;blank", the last two fields optional.  In
// the mask part:
//   L l  letter     A a  letter or digit     C c  any character
//   0 9  digit      #    digit or sign       (upper case: required, lower
//                                              case: optional; here each
//                                              takes the next character)
//   >  upper case from here   <  lower case from here   <>  as given
//   \  the next character is literal    _  a blank
//   !  the text fills the mask from its end
//   :  /  the time and date separators; anything else is literal.
// With "keep literals" 0 (or absent) the text holds only the characters
// that fill the mask's places; otherwise it holds the literals too, which
// are then passed over.  Places left without a character show the blank
// character (the third field's first character, "_" when absent).

#include "ValueText.h"

#include <string>
#include <string_view>

namespace report {

std::string FormatMaskText(std::string_view editMask, std::string_view text, const FormatSettings& settings);

} // namespace report
