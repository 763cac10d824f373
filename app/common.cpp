#include "common.h"

#include <QDate>
#include <QTime>

#include <cmath>

void EventTypeToStr(int eventType, QString& text)
{
    switch (eventType & 0x7F) {
    case etError:
        text = QStringLiteral("Error");
        break;
    case etWarning:
        text = QStringLiteral("Warning");
        break;
    case etInformation:
        text = QStringLiteral("Information");
        break;
    case etAuditSuccess:
        text = QStringLiteral("Audit Success");
        break;
    case etAuditFailure:
        text = QStringLiteral("Audit Failure");
        break;
    default:
        break; // the caller's text stays
    }
}

std::string TrimText(const std::string& s)
{
    return std::string(TrimTextView(s));
}

std::string_view TrimTextView(std::string_view s)
{
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

QString EventCategoryText(const TEventItem& e)
{
    return QString::fromStdString(TrimText(e.CategoryName));
}

void DecodeDateTime(TDateTime t, QDate& date, QTime& time)
{
    constexpr double kMillisecondsPerDay = 86'400'000.0;
    double days = std::floor(t);
    double ms = std::round((t - days) * kMillisecondsPerDay);
    if (ms >= kMillisecondsPerDay) {
        days += 1;
        ms -= kMillisecondsPerDay;
    }
    date = QDate(1899, 12, 30).addDays(static_cast<qint64>(days));
    time = QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms));
}

bool TryStrToInt(const QString& text, std::int32_t& value)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    bool hex = false;
    if (i < n && text[i] == u'$') {
        hex = true;
        ++i;
    }
    if (i == n)
        return false;
    std::uint64_t magnitude = 0;
    for (; i < n; ++i) {
        const char16_t c = text[i].unicode();
        int digit = 0;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (hex && c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        else if (hex && c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        else
            return false;
        magnitude = magnitude * (hex ? 16 : 10) + static_cast<std::uint64_t>(digit);
        if (magnitude > 0xFFFFFFFFull)
            return false;
    }
    if (hex) {
        const auto bits = static_cast<std::uint32_t>(negative ? 0u - static_cast<std::uint32_t>(magnitude)
                                                              : static_cast<std::uint32_t>(magnitude));
        value = static_cast<std::int32_t>(bits);
        return true;
    }
    const std::int64_t v = negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
    if (v < INT32_MIN || v > INT32_MAX)
        return false;
    value = static_cast<std::int32_t>(v);
    return true;
}

double EncodeDate(const QDate& date)
{
    return static_cast<double>(QDate(1899, 12, 30).daysTo(date));
}

double EncodeTime(const QTime& time)
{
    constexpr double kMillisecondsPerDay = 86'400'000.0;
    return time.isValid() ? time.msecsSinceStartOfDay() / kMillisecondsPerDay : 0.0;
}
