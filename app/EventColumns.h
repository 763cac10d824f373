#pragma once
// The columns of the event list and the text each shows for an event.

#include "ntlib/EventItem.h"

#include <QLocale>
#include <QString>

enum TLogColumn : int {
    lcType = 0,
    lcDate,
    lcTime,
    lcEvent,
    lcSource,
    lcCategory,
    lcUser,
    lcComputer,
};
inline constexpr int kLogColumnCount = 8;

// The caption of a column header, e.g. "Domain\User".
QString LogColumnCaption(TLogColumn column);
// The width of a column in pixels when a window is created.
int LogColumnWidth(TLogColumn column);

// The index in the window's image list of an event type's icon:
// 1 -> 4, 2 -> 5, 3 -> 6, 4 -> 2, 5 -> 3; -1 (no icon) for any other code.
int EventTypeImageIndex(int eventType);

// Formats the columns of one event: dates and times in local time, in the
// short date and long time formats of a locale.
class TEventColumnFormatter {
public:
    // The formats of the default locale.
    TEventColumnFormatter();
    explicit TEventColumnFormatter(const QLocale& locale);

    // The text of one column; the item is not const because its user name
    // is looked up (once) on first use.
    QString Text(TEventItem& e, TLogColumn column) const;
    // The Date or Time column's text of a time, as it is (no conversion).
    QString DateTimeText(TDateTime t, TLogColumn column) const;

    const QString& DateFormat() const { return dateFormat_; }
    const QString& TimeFormat() const { return timeFormat_; }

private:
    QLocale locale_;
    QString dateFormat_;
    QString timeFormat_;
};

// A locale's long time format without its time-zone part ("t" letters
// outside quotes), which a time without a zone cannot fill.
QString TimeFormatWithoutZone(const QString& format);
