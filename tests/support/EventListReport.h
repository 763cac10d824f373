#pragma once
// The event-list report built in code as the main window's template lays it
// out: a title band ("[EventLogTitle]", Tahoma 12 bold), a page header of
// the eight column names (Tahoma 8 bold), a master data band of the eight
// values over the user data set "dsCommon" (Tahoma 8) and a page footer
// with "Page [PAGE#] of [TOTALPAGES]" and the creation line (Tahoma 7), in
// two passes.  The values come from a list of events as the application's
// value provider gives them.  For the report engine's tests and
// benchmarks.

#include <QWidget>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace report {
class TrpMeasurerFactory;
class TrpReport;
class TrpUserDataset;
} // namespace report

// One event as the value provider answers for it.
struct ListedEvent {
    std::string Type, Date, Time, Source, Category, User, Computer;
    std::int32_t Id = 0;
};

// Events of every type, with dates, times and numbers that differ.
std::vector<ListedEvent> MakeListedEvents(int count);

// Registers Tahoma from fonts-wine with Qt (once); false when it is not
// installed.
bool RegisterTahoma();

class EventListReport {
public:
    // The events must outlive the report.  Without a measurer factory the
    // report measures with Qt's fonts.
    explicit EventListReport(const std::vector<ListedEvent>& events,
                             const report::TrpMeasurerFactory* measurers = nullptr);
    ~EventListReport();

    report::TrpReport& Report() { return *report_; }
    // The column names of the page header, in order.
    static const std::vector<std::string>& Headers();

private:
    void Build();

    const std::vector<ListedEvent>& events_;
    std::size_t cursor_ = 0;
    QWidget form_;
    report::TrpUserDataset* data_ = nullptr;
    report::TrpReport* report_ = nullptr;
};
