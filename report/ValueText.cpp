#include "ValueText.h"

#include "DateTimeFormat.h"

#include "Exceptions.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <limits>
#include <vector>

namespace report {

namespace {

constexpr std::int64_t kMsPerDay = 86'400'000;
// Days from 1899-12-30 to 1970-01-01.
constexpr std::int64_t kUnixEpochSerial = 25569;

bool IsBlank(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string Quoted(std::string_view text)
{
    std::string s = "'";
    s += text;
    s += "'";
    return s;
}

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z')
            x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z')
            y = static_cast<char>(y - 'a' + 'A');
        if (x != y)
            return false;
    }
    return true;
}

// Gregorian calendar <-> days since 1970-01-01 (proleptic, any year).
std::int64_t DaysFromCivil(std::int64_t y, int m, int d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(std::int64_t z, int& year, int& month, int& day)
{
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

bool IsLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month)
{
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// A date-time value as its calendar day (serial) and the milliseconds of
// that day, rounded; a time that rounds up to midnight moves to the next day.
void SplitDateTime(double value, std::int64_t& serial, std::int64_t& ms)
{
    const double whole = std::trunc(value);
    serial = static_cast<std::int64_t>(whole);
    ms = std::llround(std::fabs(value - whole) * static_cast<double>(kMsPerDay));
    if (ms >= kMsPerDay) {
        ms -= kMsPerDay;
        ++serial;
    }
}

int CurrentYear()
{
    using namespace std::chrono;
    const auto days = duration_cast<duration<std::int64_t, std::ratio<86400>>>(
        system_clock::now().time_since_epoch()).count();
    int y = 0, m = 0, d = 0;
    CivilFromDays(days, y, m, d);
    return y;
}

// One or more digits, nothing else, value up to 9999999.
bool ReadSmallNumber(std::string_view text, int& value)
{
    text = Trim(text);
    if (text.empty() || text.size() > 7)
        return false;
    value = 0;
    for (char c : text) {
        if (!IsDigit(c))
            return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

std::vector<std::string_view> SplitAt(std::string_view text, char separator)
{
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t p = text.find(separator, start);
        if (p == std::string_view::npos) {
            parts.push_back(text.substr(start));
            return parts;
        }
        parts.push_back(text.substr(start, p - start));
        start = p + 1;
    }
}

} // namespace

const FormatSettings& FormatSettings::standard()
{
    static const FormatSettings settings;
    return settings;
}

double RoundHalfEven(double value)
{
    if (!std::isfinite(value) || std::fabs(value) >= 4503599627370496.0)  // 2^52: already whole
        return value;
    const double floor = std::floor(value);
    const double diff = value - floor;
    if (diff < 0.5)
        return floor;
    if (diff > 0.5)
        return floor + 1.0;
    return std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1.0;
}

int RoundToInt(double value)
{
    const double r = RoundHalfEven(value);
    if (!(r > std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    if (!(r < std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    return static_cast<int>(r);
}

bool TryTextToReal(std::string_view text, char decimalSeparator, double& value)
{
    text = Trim(text);
    std::string normal;
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-')
            normal += '-';
        ++i;
    }
    std::size_t digits = 0;
    std::string whole, fraction;
    while (i < text.size() && IsDigit(text[i])) {
        whole += text[i++];
        ++digits;
    }
    if (i < text.size() && text[i] == decimalSeparator) {
        ++i;
        while (i < text.size() && IsDigit(text[i])) {
            fraction += text[i++];
            ++digits;
        }
    }
    if (digits == 0)
        return false;
    normal += whole.empty() ? "0" : whole;
    if (!fraction.empty())
        normal += "." + fraction;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        normal += 'e';
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            normal += text[i++];
        std::size_t expDigits = 0;
        while (i < text.size() && IsDigit(text[i])) {
            normal += text[i++];
            ++expDigits;
        }
        if (expDigits == 0)
            return false;
    }
    if (i != text.size())
        return false;
    double result = 0;
    const auto [end, ec] = std::from_chars(normal.data(), normal.data() + normal.size(), result);
    if (ec != std::errc() || end != normal.data() + normal.size() || !std::isfinite(result))
        return false;
    value = result;
    return true;
}

double StrToFloat(std::string_view text, char decimalSeparator)
{
    double value = 0;
    if (!TryTextToReal(text, decimalSeparator, value))
        throw EConvertError(Quoted(text) + " is not a valid floating point value");
    return value;
}

bool TryTextToInteger(std::string_view text, std::int32_t& value)
{
    text = Trim(text);
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    if (i == text.size())
        return false;
    std::int64_t result = 0;
    for (; i < text.size(); ++i) {
        if (!IsDigit(text[i]))
            return false;
        result = result * 10 + (text[i] - '0');
        if (result > 2147483648LL)
            return false;
    }
    if (negative)
        result = -result;
    if (result > INT32_MAX)
        return false;
    value = static_cast<std::int32_t>(result);
    return true;
}

std::int32_t StrToInt(std::string_view text)
{
    std::int32_t value = 0;
    if (!TryTextToInteger(text, value))
        throw EConvertError(Quoted(text) + " is not a valid integer value");
    return value;
}

std::string RealToText(double value, char decimalSeparator)
{
    if (value == 0.0)
        return "0";  // also for -0
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    std::string text(buffer, result.ptr);
    for (char& c : text) {
        if (c == '.')
            c = decimalSeparator;
        else if (c == 'e')
            c = 'E';
    }
    return text;
}

bool DateTimeInRange(double value)
{
    return std::isfinite(value) && value > kMinDateTime - 1.0 && value < kMaxDateTime + 1.0;
}

bool TryEncodeDate(int year, int month, int day, double& value)
{
    if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
        return false;
    value = static_cast<double>(DaysFromCivil(year, month, day) + kUnixEpochSerial);
    return true;
}

bool TryEncodeTime(int hour, int minute, int second, int millisecond, double& value)
{
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || millisecond < 0 ||
        millisecond > 999)
        return false;
    const std::int64_t ms = ((hour * 60LL + minute) * 60 + second) * 1000 + millisecond;
    value = static_cast<double>(ms) / static_cast<double>(kMsPerDay);
    return true;
}

double CombineDateTime(double date, double time)
{
    return date >= 0 ? date + time : date - time;
}

bool TryDecodeDateTime(double value, DateTimeParts& parts)
{
    if (!DateTimeInRange(value))
        return false;
    std::int64_t serial = 0, ms = 0;
    SplitDateTime(value, serial, ms);
    CivilFromDays(serial - kUnixEpochSerial, parts.year, parts.month, parts.day);
    parts.millisecond = static_cast<int>(ms % 1000);
    ms /= 1000;
    parts.second = static_cast<int>(ms % 60);
    ms /= 60;
    parts.minute = static_cast<int>(ms % 60);
    parts.hour = static_cast<int>(ms / 60);
    return true;
}

bool TryTextToDate(std::string_view text, const FormatSettings& settings, double& value)
{
    const std::vector<std::string_view> parts = SplitAt(Trim(text), settings.dateSeparator);
    if (parts.size() != 2 && parts.size() != 3)
        return false;
    int n[3] = {0, 0, 0};
    for (std::size_t i = 0; i < parts.size(); ++i)
        if (!ReadSmallNumber(parts[i], n[i]))
            return false;
    int year = 0, month = 0, day = 0;
    std::size_t yearIndex = 0;
    if (parts.size() == 2) {
        year = CurrentYear();
        if (settings.dateOrder == DateOrder::DMY) {
            day = n[0];
            month = n[1];
        } else {
            month = n[0];
            day = n[1];
        }
    } else {
        switch (settings.dateOrder) {
        case DateOrder::MDY:
            month = n[0], day = n[1], year = n[2], yearIndex = 2;
            break;
        case DateOrder::DMY:
            day = n[0], month = n[1], year = n[2], yearIndex = 2;
            break;
        case DateOrder::YMD:
            year = n[0], month = n[1], day = n[2], yearIndex = 0;
            break;
        }
        if (Trim(parts[yearIndex]).size() <= 2)
            year += year <= 29 ? 2000 : 1900;
    }
    return TryEncodeDate(year, month, day, value);
}

bool TryTextToTime(std::string_view text, const FormatSettings& settings, double& value)
{
    text = Trim(text);
    int halfDay = -1;  // -1 none, 0 AM, 1 PM
    if (text.size() >= 2) {
        const std::string_view suffix = text.substr(text.size() - 2);
        if (EqualsNoCase(suffix, "AM") || EqualsNoCase(suffix, "PM")) {
            halfDay = EqualsNoCase(suffix, "PM") ? 1 : 0;
            text = Trim(text.substr(0, text.size() - 2));
        }
    }
    const std::vector<std::string_view> parts = SplitAt(text, settings.timeSeparator);
    if (parts.size() > 3 || (parts.size() == 1 && halfDay < 0))
        return false;
    int hour = 0, minute = 0, second = 0, ms = 0;
    if (!ReadSmallNumber(parts[0], hour))
        return false;
    if (parts.size() >= 2 && !ReadSmallNumber(parts[1], minute))
        return false;
    if (parts.size() == 3) {
        std::string_view s = Trim(parts[2]);
        const std::size_t point = s.find_first_of(std::string{'.', settings.decimalSeparator});
        if (point != std::string_view::npos) {
            std::string_view fraction = s.substr(point + 1);
            s = s.substr(0, point);
            if (fraction.empty() || fraction.size() > 3 || !ReadSmallNumber(fraction, ms))
                return false;
            for (std::size_t k = fraction.size(); k < 3; ++k)
                ms *= 10;
        }
        if (!ReadSmallNumber(s, second))
            return false;
    }
    if (halfDay >= 0) {
        if (hour < 1 || hour > 12)
            return false;
        hour = hour % 12 + (halfDay == 1 ? 12 : 0);
    }
    return TryEncodeTime(hour, minute, second, ms, value);
}

bool TryTextToDateTime(std::string_view text, const FormatSettings& settings, double& value)
{
    text = Trim(text);
    if (TryTextToDate(text, settings, value) || TryTextToTime(text, settings, value))
        return true;
    const std::size_t blank = text.find(' ');
    if (blank == std::string_view::npos)
        return false;
    double date = 0, time = 0;
    if (!TryTextToDate(text.substr(0, blank), settings, date) ||
        !TryTextToTime(text.substr(blank + 1), settings, time))
        return false;
    value = CombineDateTime(date, time);
    return true;
}

double StrToDate(std::string_view text, const FormatSettings& settings)
{
    double value = 0;
    if (!TryTextToDate(text, settings, value))
        throw EConvertError(Quoted(text) + " is not a valid date");
    return value;
}

double StrToTime(std::string_view text, const FormatSettings& settings)
{
    double value = 0;
    if (!TryTextToTime(text, settings, value))
        throw EConvertError(Quoted(text) + " is not a valid time");
    return value;
}

std::string DateTimeToText(double value, const FormatSettings& settings)
{
    if (!DateTimeInRange(value))
        throw EVariantError("Date-time value out of range");
    std::int64_t serial = 0, ms = 0;
    SplitDateTime(value, serial, ms);
    std::int64_t seconds = (ms + 500) / 1000;
    if (seconds >= 86400) {
        seconds -= 86400;
        ++serial;
    }
    // The settings' own masks format the value rounded to the second.
    const auto masked = [&](const std::string& mask, std::int64_t days, std::int64_t secondOfDay) {
        return FormatDateTime(mask, CombineDateTime(static_cast<double>(days), secondOfDay / 86400.0), settings);
    };
    std::string text;
    if (serial != 0 && !settings.shortDateFormat.empty()) {
        text = masked(settings.shortDateFormat, serial, 0);
    } else if (serial != 0) {
        int y = 0, m = 0, d = 0;
        CivilFromDays(serial - kUnixEpochSerial, y, m, d);
        const char sep = settings.dateSeparator;
        const std::string ys = std::to_string(y), ms2 = std::to_string(m), ds = std::to_string(d);
        switch (settings.dateOrder) {
        case DateOrder::MDY:
            text = ms2 + sep + ds + sep + ys;
            break;
        case DateOrder::DMY:
            text = ds + sep + ms2 + sep + ys;
            break;
        case DateOrder::YMD:
            text = ys + sep + ms2 + sep + ds;
            break;
        }
    }
    if (serial == 0 || seconds != 0) {
        if (!text.empty())
            text += ' ';
        if (!settings.longTimeFormat.empty())
            return text + masked(settings.longTimeFormat, 0, seconds);
        const auto two = [](std::int64_t v) { return std::string(1, static_cast<char>('0' + v / 10)) + static_cast<char>('0' + v % 10); };
        text += std::to_string(seconds / 3600) + settings.timeSeparator + two(seconds / 60 % 60) +
                settings.timeSeparator + two(seconds % 60);
    }
    return text;
}

} // namespace report
