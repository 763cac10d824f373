#include "EventListReport.h"

#include "MainReportTemplate.h"

#include "report/RP_Class.h"

#include <QFile>
#include <QFontDatabase>

#include <array>

using namespace report;

std::vector<ListedEvent> MakeListedEvents(int count)
{
    static const std::array<const char*, 5> kTypes = {"Error", "Warning", "Information", "Audit Success",
                                                      "Audit Failure"};
    std::vector<ListedEvent> events;
    events.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        events.push_back({kTypes[static_cast<std::size_t>(i % 5)], "2024-03-" + std::to_string(10 + i % 20),
                          std::to_string(i % 24) + ":" + std::to_string(10 + i % 50) + ":07",
                          "Service Control Manager", i % 3 == 0 ? "None" : "Logon/Logoff", "NT AUTHORITY\\SYSTEM",
                          "WKS-DEMO", 1000 + i % 9000});
    return events;
}

bool RegisterTahoma()
{
    static const bool registered = [] {
        bool any = false;
        for (const char* file : {"/usr/share/wine/fonts/tahoma.ttf"})
            if (QFile::exists(QString::fromLatin1(file)))
                any = QFontDatabase::addApplicationFont(QString::fromLatin1(file)) >= 0 || any;
        return any;
    }();
    return registered;
}

const std::vector<std::string>& EventListReport::Headers()
{
    static const std::vector<std::string> headers = {"Type",   "Date",     "Time",        "Event",
                                                     "Source", "Category", "Domain\\User", "Computer"};
    return headers;
}

EventListReport::EventListReport(const std::vector<ListedEvent>& events, const TrpMeasurerFactory* measurers)
    : events_(events)
{
    form_.setObjectName("frmQORVMain");
    data_ = new TrpUserDataset(&form_);
    data_->setObjectName("dsCommon");
    data_->OnFirst = [this](TrpDataset&) { cursor_ = 0; };
    data_->OnNext = [this](TrpDataset&) { ++cursor_; };
    data_->OnCheckEOF = [this](TrpDataset&, bool& eof) { eof = cursor_ >= events_.size(); };
    report_ = new TrpReport(&form_);
    report_->setObjectName("repCommon");
    report_->Dataset = data_;
    report_->MeasurerFactory = measurers;
    report_->OnGetValue = [this](const std::string& name, Variant& value) {
        if (name == "EventLogTitle") {
            value = Variant("Event Log: System on WKS-DEMO");
            return;
        }
        if (cursor_ >= events_.size())
            return;
        const ListedEvent& e = events_[cursor_];
        if (name == "Type")
            value = Variant(e.Type);
        else if (name == "Date")
            value = Variant(e.Date);
        else if (name == "Time")
            value = Variant(e.Time);
        else if (name == "Event")
            value = Variant(e.Id);
        else if (name == "Source")
            value = Variant(e.Source);
        else if (name == "Category")
            value = Variant(e.Category);
        else if (name == "User")
            value = Variant(e.User);
        else if (name == "Computer")
            value = Variant(e.Computer);
    };
    Build();
}

EventListReport::~EventListReport() = default;

void EventListReport::Build()
{
    BuildMainReportTemplate(*report_);
}
