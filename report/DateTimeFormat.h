#pragma once
// Dates and times as text by the masks that report display formats and
// FORMATDATETIME use.  Letters are case-insensitive:
//   d dd        day of month          ddd dddd   short / long day name
//   ddddd       the short date form   dddddd     the long date form
//   m mm        month (minutes right after an hour)   mmm mmmm  month name
//   yy          two-digit year        yyyy       four-digit year
//   h hh n nn s ss   hour, minute, second   z zzz  milliseconds
//   t tt        short / long time     c          short date, then the long
//                                                time unless it is midnight
//   am/pm a/p   12-hour clock with that marker (in the mask's letter case)
//   ampm        12-hour clock with the settings' AM and PM texts
//   /  :        the settings' date and time separators
//   'x' "x"     literal text; any other character stands for itself.
// Names and separators come from the FormatSettings passed in.

#include "ValueText.h"

#include <string>
#include <string_view>

namespace report {

// Raises EVariantError for a value outside the years 100-9999.
std::string FormatDateTime(std::string_view mask, double value, const FormatSettings& settings);

// The long date form of the settings ("Sunday, November 15, 1998").
std::string LongDateText(double value, const FormatSettings& settings);

} // namespace report
