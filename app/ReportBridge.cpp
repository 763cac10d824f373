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
    lastDate_ = {};
    secondTexts_.clear();
}

const std::string& TEventReportValues::TimeText(TDateTime utc, TLogColumn column)
{
    const std::int64_t ms = DateTimeToMilliseconds(utc);
    if (column == lcDate) {
        // Neighbouring events share their day.
        const std::int64_t day = DayOf(ms);
        if (lastDate_.text && lastDate_.key == day)
            return *lastDate_.text;
        auto known = dates_.find(day);
        if (known == dates_.end())
            known = dates_.emplace(day, formatter_.DateTimeText(utc, column).toStdString()).first;
        lastDate_ = {day, &known->second};
        return known->second;
    }
    // Event times are whole seconds: one text for each second of the day.
    const std::int64_t time = TimeOfDayOf(ms);
    if (time % 1000 == 0) {
        if (secondTexts_.empty())
            secondTexts_.resize(86'400);
        std::optional<std::string>& text = secondTexts_[static_cast<std::size_t>(time / 1000)];
        if (!text)
            text = formatter_.DateTimeText(utc, column).toStdString();
        return *text;
    }
    auto known = times_.find(time);
    if (known == times_.end())
        known = times_.emplace(time, formatter_.DateTimeText(utc, column).toStdString()).first;
    return known->second;
}

const std::string& TEventReportValues::TypeText(int eventType)
{
    auto& text = types_[static_cast<std::size_t>(eventType & 0xFF)];
    if (!text) {
        QString shown;
        EventTypeToStr(eventType, shown);
        text = shown.toStdString();
    }
    return *text;
}

bool TEventReportValues::Value(TEventItem& e, const std::string& name, report::Variant& value)
{
    if (name == "Type") {
        value = report::Variant(TypeText(e.EventType));
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
