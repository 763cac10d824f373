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
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    std::size_t first = 0;
    std::size_t last = s.size();
    while (first < last && blank(s[first]))
        ++first;
    while (last > first && blank(s[last - 1]))
        --last;
    return s.substr(first, last - first);
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
