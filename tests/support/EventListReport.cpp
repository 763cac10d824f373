#include "EventListReport.h"

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
        for (const char* file : {"/usr/share/wine/fonts/tahoma.ttf", "/usr/share/wine/fonts/tahomabd.ttf"})
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
    report_->DoublePassReport = -1;
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

namespace {

void AddBand(TrpPage& page, TrpBandType type, const char* name, int top, int height, const char* source = "")
{
    auto band = std::make_unique<TrpBandView>();
    band->SetBandType(static_cast<int>(type));
    band->Name = name;
    band->Top = top;
    band->Width = 740;
    band->Height = height;
    band->FormatString = source;
    page.AddObject(std::move(band));
}

void AddText(TrpPage& page, int n, const std::string& text, int left, int top, int width, int size, bool bold)
{
    auto memo = std::make_unique<TrpMemoView>();
    memo->Name = "Memo" + std::to_string(n);
    memo->Memo = {text};
    memo->Left = left;
    memo->Top = top;
    memo->Width = width;
    memo->Height = size + 8;
    memo->Font.Name = "Tahoma";
    memo->Font.Size = size;
    memo->Font.Style.bold = bold;
    memo->DisplayFormat = 0x22E;
    page.AddObject(std::move(memo));
}

} // namespace

void EventListReport::Build()
{
    TrpPage& page = report_->Pages.Add();
    AddBand(page, TrpBandType::ReportTitle, "ReportTitle1", 10, 30);
    AddText(page, 1, "[EventLogTitle]", 18, 12, 700, 12, true);
    AddBand(page, TrpBandType::PageHeader, "PageHeader1", 50, 18);
    AddBand(page, TrpBandType::MasterData, "MasterData1", 80, 15, "dsCommon");
    AddBand(page, TrpBandType::PageFooter, "PageFooter1", 110, 20);
    static const std::array<const char*, 8> kValues = {"[Type]",   "[Date]",     "[Time]", "[Event]",
                                                       "[Source]", "[Category]", "[User]", "[Computer]"};
    static const std::array<int, 8> kWidths = {80, 70, 60, 45, 130, 90, 150, 97};
    int x = 18;
    for (std::size_t c = 0; c < kValues.size(); ++c) {
        AddText(page, static_cast<int>(c) + 2, Headers()[c], x, 51, kWidths[c], 8, true);
        AddText(page, static_cast<int>(c) + 10, kValues[c], x, 80, kWidths[c], 8, false);
        x += kWidths[c];
    }
    AddText(page, 18, "Page [PAGE#] of [TOTALPAGES]", 18, 112, 300, 7, false);
    AddText(page, 19, "Created with Quellvane [DATE] [TIME] ", 420, 112, 320, 7, false);
}
