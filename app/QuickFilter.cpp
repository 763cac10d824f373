#include "QuickFilter.h"

#include "EventFilter.h"
#include "EventMatcher.h"
#include "common.h"

#include "ntlib/EventItem.h"

TQuickFilter::TQuickFilter(int column, const QString& value, int type, const TEventColumnFormatter& formatter,
                           std::int64_t localOffset)
    : column_(column)
    , value_(value)
    , valueUtf8_(value.toStdString())
    , type_(type)
    , formatter_(formatter)
    , offset_(localOffset)
{
    // Numbers show in plain decimal: only such a text can equal one.
    bool ok = false;
    const qulonglong n = value.toULongLong(&ok);
    numberValid_ = ok && QString::number(n) == value;
    number_ = n;
}

bool TQuickFilter::SameText(const std::string& text) const
{
    if (text == valueUtf8_)
        return true;
    // Bytes that are not UTF-8 show as replacement characters: compare
    // what is shown.
    return QString::fromStdString(text) == value_;
}

bool TQuickFilter::Matches(TEventItem& e)
{
    switch (column_) {
    case lcType:
        return e.EventType == type_;
    case lcDate:
    case lcTime: {
        const std::int64_t local = LocalMillisecondsOf(e, offset_);
        const std::int64_t part = column_ == lcDate ? DayOf(local) : TimeOfDayOf(local);
        const auto known = timeTexts_.find(part);
        if (known != timeTexts_.end())
            return known->second;
        const double shown = static_cast<double>(local) / static_cast<double>(kMillisecondsPerDay);
        const bool same = formatter_.DateTimeText(shown, static_cast<TLogColumn>(column_)) == value_;
        timeTexts_.emplace(part, same);
        return same;
    }
    case lcEvent:
        return NumberIs(e.EventID & 0xFFFF);
    case lcSource:
        return SameText(e.Source);
    case lcCategory:
        return SameText(TrimText(e.CategoryName));
    case lcUser:
        return SameText(e.GetUserName());
    case lcComputer:
        return SameText(e.Computer);
    case kQuickRecordNumberColumn:
        return NumberIs(e.RecordNumber);
    default:
        return true;
    }
}
