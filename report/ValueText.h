#pragma once
// Numbers, dates and times as text, the way the engine reads and writes
// them.  Nothing here looks at the process locale: the separators and the
// order of a date come in a FormatSettings that the engine's owner fills.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace report {

enum class DateOrder : std::uint8_t { MDY, DMY, YMD };

struct FormatSettings {
    char decimalSeparator = '.';
    char dateSeparator = '/';
    char timeSeparator = ':';
    DateOrder dateOrder = DateOrder::MDY;
    // Number masks with "," and thousands-separated display formats.
    char thousandSeparator = ',';
    // The names that date masks show (mmm, mmmm, ddd, dddd; Sunday first),
    // the long date form (dddddd and the long date display format), and
    // the texts of the 12-hour clock.
    std::array<std::string, 12> shortMonthNames{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::array<std::string, 12> longMonthNames{"January", "February", "March",     "April",   "May",      "June",
                                               "July",    "August",   "September", "October", "November", "December"};
    std::array<std::string, 7> shortDayNames{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    std::array<std::string, 7> longDayNames{"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
    std::string longDateFormat = "dddd, mmmm d, yyyy";
    // The masks of the short date and the long time as a date-time value
    // reads as text (and as ddddd, c and tt show them).  Empty: the day,
    // month and year in dateOrder ("12/31/1999"), and "h:nn:ss".
    std::string shortDateFormat;
    std::string longTimeFormat;
    std::string timeAMString = "AM";
    std::string timePMString = "PM";

    // The settings an engine starts with: "1.5", "12/31/1999", "13:45:00".
    static const FormatSettings& standard();
};

// Nearest whole number, halves to the even neighbour: 2.5 -> 2, 3.5 -> 4.
double RoundHalfEven(double value);
// The same as an int, held to the int range (NaN gives the lowest int):
// geometry from files may be anything.
int RoundToInt(double value);

// [blanks][sign]digits[sep digits][e[sign]digits][blanks], or the same
// starting with the separator.  No thousands separators, no inf or nan.
bool TryTextToReal(std::string_view text, char decimalSeparator, double& value);
// Raises EConvertError "'text' is not a valid floating point value".
double StrToFloat(std::string_view text, char decimalSeparator);

// [blanks][sign]digits[blanks] within the 32-bit range.
bool TryTextToInteger(std::string_view text, std::int32_t& value);
// Raises EConvertError "'text' is not a valid integer value".
std::int32_t StrToInt(std::string_view text);

// At most 15 significant digits, the shortest form that shows them:
// 3 -> "3", 0.1 + 0.2 -> "0.3", 1e20 -> "1E+20".
std::string RealToText(double value, char decimalSeparator);

// Date-time values are days since 1899-12-30 00:00; the fraction is the
// time of day, taken without its sign for days before that origin.
// Years 100 to 9999 are representable.
constexpr double kMinDateTime = -657434.0;  // 0100-01-01
constexpr double kMaxDateTime = 2958465.0;  // 9999-12-31
bool DateTimeInRange(double value);

bool TryEncodeDate(int year, int month, int day, double& value);
bool TryEncodeTime(int hour, int minute, int second, int millisecond, double& value);
// Combines a date and a time of day the way date-time values count them.
double CombineDateTime(double date, double time);

struct DateTimeParts {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0, millisecond = 0;
};
// False when the value lies outside the representable years.
bool TryDecodeDateTime(double value, DateTimeParts& parts);

// A date in the order and with the separator of the settings; two-digit
// years 00-29 are 2000-2029 and 30-99 are 1930-1999; a date without its
// year is in the current year.
bool TryTextToDate(std::string_view text, const FormatSettings& settings, double& value);
// h:m[:s[.ms]] with the settings' separator, optionally followed by AM or PM.
bool TryTextToTime(std::string_view text, const FormatSettings& settings, double& value);
// A date, a time, or a date, blanks and a time.
bool TryTextToDateTime(std::string_view text, const FormatSettings& settings, double& value);
// Raise EConvertError "'text' is not a valid date" / "... valid time".
double StrToDate(std::string_view text, const FormatSettings& settings);
double StrToTime(std::string_view text, const FormatSettings& settings);

// "12/31/1999 13:45:00" (the settings' short date and long time); the date
// alone when the time is midnight, the time alone on the origin day.
// Raises EVariantError outside the years 100-9999.
std::string DateTimeToText(double value, const FormatSettings& settings);

} // namespace report
