#include "EventColumns.h"

#include "common.h"

#include <QDate>
#include <QTime>

#include <array>
#include <exception>

namespace {

struct ColumnInfo {
    const char* caption;
    int width;
};

constexpr std::array<ColumnInfo, kLogColumnCount> kColumns{{
    {"Type", 94},
    {"Date", 72},
    {"Time", 64},
    {"Event", 72},
    {"Source", 100},
    {"Category", 120},
    {"Domain\\User", 160},
    {"Computer", 100},
}};

bool validColumn(TLogColumn column)
{
    return column >= 0 && column < kLogColumnCount;
}

} // namespace

QString LogColumnCaption(TLogColumn column)
{
    return validColumn(column) ? QString::fromLatin1(kColumns[column].caption) : QString();
}

int LogColumnWidth(TLogColumn column)
{
    return validColumn(column) ? kColumns[column].width : 0;
}

int EventTypeImageIndex(int eventType)
{
    switch (eventType) {
    case etError:
        return 4;
    case etWarning:
        return 5;
    case etInformation:
        return 6;
    case etAuditSuccess:
        return 2;
    case etAuditFailure:
        return 3;
    default:
        return -1;
    }
}

QString TimeFormatWithoutZone(const QString& format)
{
    QString out;
    out.reserve(format.size());
    bool quoted = false;
    for (QChar c : format) {
        if (c == u'\'')
            quoted = !quoted;
        if (!quoted && c == u't')
            continue;
        out += c;
    }
    return out.trimmed();
}

TEventColumnFormatter::TEventColumnFormatter()
    : TEventColumnFormatter(QLocale())
{
}

TEventColumnFormatter::TEventColumnFormatter(const QLocale& locale)
    : locale_(locale)
    , dateFormat_(locale.dateFormat(QLocale::ShortFormat))
    , timeFormat_(TimeFormatWithoutZone(locale.timeFormat(QLocale::LongFormat)))
{
}

QString TEventColumnFormatter::DateTimeText(TDateTime local, TLogColumn column) const
{
    QDate date;
    QTime time;
    DecodeDateTime(local, date, time);
    return column == lcDate ? locale_.toString(date, dateFormat_) : locale_.toString(time, timeFormat_);
}

QString TEventColumnFormatter::Text(TEventItem& e, TLogColumn column) const
{
    switch (column) {
    case lcType: {
        QString text;
        EventTypeToStr(e.EventType, text);
        return text;
    }
    case lcDate:
    case lcTime: {
        TDateTime local = 0;
        try {
            local = e.GetLocalTimeGenerated();
        } catch (const std::exception&) {
            return {}; // a time the platform cannot convert shows nothing
        }
        return DateTimeText(local, column);
    }
    case lcEvent:
        return QString::number(e.EventID & 0xFFFFu);
    case lcSource:
        return QString::fromStdString(e.Source);
    case lcCategory:
        return EventCategoryText(e);
    case lcUser:
        return QString::fromStdString(e.GetUserName());
    case lcComputer:
        return QString::fromStdString(e.Computer);
    }
    return {};
}
