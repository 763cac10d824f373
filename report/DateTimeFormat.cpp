#include "DateTimeFormat.h"

#include "Exceptions.h"
#include "MaskScan.h"

#include <cmath>

namespace report {

namespace {

char Upper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool StartsWithNoCase(std::string_view text, std::size_t pos, std::string_view word)
{
    if (pos + word.size() > text.size())
        return false;
    for (std::size_t i = 0; i < word.size(); ++i)
        if (Upper(text[pos + i]) != Upper(word[i]))
            return false;
    return true;
}

std::string Padded(int value, std::size_t width)
{
    std::string text = std::to_string(value);
    if (text.size() < width)
        text.insert(0, width - text.size(), '0');
    return text;
}

std::size_t RunLength(std::string_view mask, std::size_t pos)
{
    const char c = Upper(mask[pos]);
    std::size_t n = 1;
    while (pos + n < mask.size() && Upper(mask[pos + n]) == c)
        ++n;
    return n;
}

bool UsesTwelveHours(std::string_view mask)
{
    bool twelve = false;
    ScanUnquoted(mask, [&](std::size_t i) {
        twelve = StartsWithNoCase(mask, i, "am/pm") || StartsWithNoCase(mask, i, "a/p") ||
                 StartsWithNoCase(mask, i, "ampm");
        return !twelve;
    });
    return twelve;
}

std::string ShortDateFormat(const FormatSettings& settings)
{
    if (!settings.shortDateFormat.empty())
        return settings.shortDateFormat;
    switch (settings.dateOrder) {
    case DateOrder::DMY:
        return "d/m/yyyy";
    case DateOrder::YMD:
        return "yyyy/m/d";
    case DateOrder::MDY:
        break;
    }
    return "m/d/yyyy";
}

std::string_view LongTimeFormat(const FormatSettings& settings)
{
    return settings.longTimeFormat.empty() ? std::string_view("h:nn:ss") : std::string_view(settings.longTimeFormat);
}

class DateTimeWriter {
public:
    DateTimeWriter(double value, const FormatSettings& settings) : settings_(settings)
    {
        if (!TryDecodeDateTime(value, parts_))
            throw EVariantError("Date-time value out of range");
        const double days = std::trunc(value);
        weekday_ = static_cast<int>(std::fmod(std::fmod(days - 1, 7.0) + 7.0, 7.0));
        midnight_ = parts_.hour == 0 && parts_.minute == 0 && parts_.second == 0 && parts_.millisecond == 0;
    }

    void Write(std::string_view mask, std::string& out, int depth = 0)
    {
        const bool twelve = UsesTwelveHours(mask);
        bool afterHour = false;
        for (std::size_t i = 0; i < mask.size();) {
            const char c = mask[i];
            const char u = Upper(c);
            if (c == '\'' || c == '"') {
                const std::size_t end = mask.find(c, i + 1);
                const std::size_t stop = end == std::string_view::npos ? mask.size() : end;
                out.append(mask.substr(i + 1, stop - i - 1));
                i = stop + 1;
                continue;
            }
            const std::size_t n = RunLength(mask, i);
            switch (u) {
            case 'C':
                if (depth < 2) {
                    Write(ShortDateFormat(settings_), out, depth + 1);
                    if (!midnight_) {
                        out += ' ';
                        Write(LongTimeFormat(settings_), out, depth + 1);
                    }
                }
                i += 1;
                afterHour = false;
                continue;
            case 'D': {
                const std::size_t take = std::min<std::size_t>(n, 6);
                if (take == 1 || take == 2)
                    out += Padded(parts_.day, take);
                else if (take == 3)
                    out += settings_.shortDayNames[static_cast<std::size_t>(weekday_)];
                else if (take == 4)
                    out += settings_.longDayNames[static_cast<std::size_t>(weekday_)];
                else if (depth < 2)
                    Write(take == 5 ? std::string_view(ShortDateFormat(settings_)) : settings_.longDateFormat, out,
                          depth + 1);
                i += take;
                afterHour = false;
                continue;
            }
            case 'M': {
                const std::size_t take = std::min<std::size_t>(n, 4);
                if (afterHour && take <= 2)
                    out += Padded(parts_.minute, take);
                else if (take <= 2)
                    out += Padded(parts_.month, take);
                else if (take == 3)
                    out += settings_.shortMonthNames[static_cast<std::size_t>(parts_.month - 1)];
                else
                    out += settings_.longMonthNames[static_cast<std::size_t>(parts_.month - 1)];
                i += take;
                afterHour = false;
                continue;
            }
            case 'Y':
                out += n <= 2 ? Padded(parts_.year % 100, 2) : Padded(parts_.year, 4);
                i += n;
                afterHour = false;
                continue;
            case 'H': {
                const std::size_t take = std::min<std::size_t>(n, 2);
                int hour = parts_.hour;
                if (twelve) {
                    hour %= 12;
                    if (hour == 0)
                        hour = 12;
                }
                out += Padded(hour, take);
                i += take;
                afterHour = true;
                continue;
            }
            case 'N': {
                const std::size_t take = std::min<std::size_t>(n, 2);
                out += Padded(parts_.minute, take);
                i += take;
                afterHour = false;
                continue;
            }
            case 'S': {
                const std::size_t take = std::min<std::size_t>(n, 2);
                out += Padded(parts_.second, take);
                i += take;
                afterHour = false;
                continue;
            }
            case 'Z': {
                const std::size_t take = n >= 3 ? 3 : 1;
                out += Padded(parts_.millisecond, take);
                i += take;
                afterHour = false;
                continue;
            }
            case 'T': {
                const std::size_t take = std::min<std::size_t>(n, 2);
                if (depth < 2)
                    Write(take == 1 ? std::string_view("h:nn") : LongTimeFormat(settings_), out, depth + 1);
                i += take;
                afterHour = false;
                continue;
            }
            case 'A':
                if (StartsWithNoCase(mask, i, "am/pm")) {
                    const bool upper = c == 'A';
                    out += parts_.hour < 12 ? (upper ? "AM" : "am") : (upper ? "PM" : "pm");
                    i += 5;
                } else if (StartsWithNoCase(mask, i, "a/p")) {
                    const bool upper = c == 'A';
                    out += parts_.hour < 12 ? (upper ? 'A' : 'a') : (upper ? 'P' : 'p');
                    i += 3;
                } else if (StartsWithNoCase(mask, i, "ampm")) {
                    out += parts_.hour < 12 ? settings_.timeAMString : settings_.timePMString;
                    i += 4;
                } else {
                    out += c;
                    i += 1;
                }
                continue;
            case '/':
                out += settings_.dateSeparator;
                i += 1;
                continue;
            case ':':
                out += settings_.timeSeparator;
                i += 1;
                continue;
            default:
                out += c;
                i += 1;
                continue;
            }
        }
    }

private:
    const FormatSettings& settings_;
    DateTimeParts parts_;
    int weekday_ = 0;
    bool midnight_ = true;
};

} // namespace

std::string FormatDateTime(std::string_view mask, double value, const FormatSettings& settings)
{
    DateTimeWriter writer(value, settings);
    std::string out;
    writer.Write(mask.empty() ? std::string_view("c") : mask, out);
    return out;
}

std::string LongDateText(double value, const FormatSettings& settings)
{
    return FormatDateTime(settings.longDateFormat, value, settings);
}

} // namespace report
