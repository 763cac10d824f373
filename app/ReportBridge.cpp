#include "ReportBridge.h"

#include "EventFilter.h"
#include "common.h"

#include "ntlib/EventItem.h"

TEventReportValues::TEventReportValues(const TEventColumnFormatter& formatter)
    : formatter_(formatter)
{
}

void TEventReportValues::Clear()
{
    dates_.clear();
    times_.clear();
}

const std::string& TEventReportValues::TimeText(TDateTime utc, TLogColumn column)
{
    const std::int64_t ms = DateTimeToMilliseconds(utc);
    auto& texts = column == lcDate ? dates_ : times_;
    const std::int64_t key = column == lcDate ? DayOf(ms) : TimeOfDayOf(ms);
    const auto known = texts.find(key);
    if (known != texts.end())
        return known->second;
    return texts.emplace(key, formatter_.DateTimeText(utc, column).toStdString()).first->second;
}

bool TEventReportValues::Value(TEventItem& e, const std::string& name, report::Variant& value)
{
    if (name == "Type") {
        QString text;
        EventTypeToStr(e.EventType, text);
        value = report::Variant(text.toStdString());
    } else if (name == "Date") {
        value = report::Variant(TimeText(e.TimeGenerated, lcDate));
    } else if (name == "Time") {
        value = report::Variant(TimeText(e.TimeGenerated, lcTime));
    } else if (name == "Event") {
        value = report::Variant(static_cast<std::int32_t>(e.EventID & 0xFFFF));
    } else if (name == "Source") {
        value = report::Variant(e.Source.str());
    } else if (name == "Category") {
        value = report::Variant(e.CategoryName.str());
    } else if (name == "Computer") {
        value = report::Variant(e.Computer.str());
    } else if (name == "User") {
        value = report::Variant(e.GetUserName());
    } else {
        return false;
    }
    return true;
}
