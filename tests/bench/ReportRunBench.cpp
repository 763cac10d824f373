// Preparing the event-list report with the band engine: a title, a page
// header of eight column names, a master data band of eight values over a
// user data set of events, and a page footer with "Page k of n" (two
// passes), on A4 on the virtual printer.  10,000 against 100,000 events,
// side by side in one run: time, the prepared pages' bytes and the
// process's peak memory should all grow linearly.
//
// Text is measured in Tahoma from the fonts the program registers
// (fonts-wine), else with fixed-width characters.

#include "OffscreenQt.h"

#include "report/RP_Class.h"
#include "report/RpGlobals.h"

#include <QFile>
#include <QFontDatabase>
#include <QApplication>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace report;
using T = TrpBandType;

// The process's peak resident memory so far, in MiB.
double PeakMiB()
{
    double peak = 0;
    if (FILE* f = std::fopen("/proc/self/status", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, f) != nullptr)
            if (std::strncmp(line, "VmHWM:", 6) == 0)
                peak = std::atof(line + 6) / 1024.0;
        std::fclose(f);
    }
    return peak;
}

bool RegisterTahoma()
{
    bool any = false;
    for (const char* file : {"/usr/share/wine/fonts/tahoma.ttf", "/usr/share/wine/fonts/tahomabd.ttf"})
        if (QFile::exists(QString::fromLatin1(file)))
            any = QFontDatabase::addApplicationFont(QString::fromLatin1(file)) >= 0 || any;
    return any;
}

// The events as the application's value provider answers for them.
struct Event {
    std::string type, date, time, source, category, user, computer;
    std::int32_t id;
};

std::vector<Event> MakeEvents(int count)
{
    static const std::array<const char*, 5> kTypes = {"Error", "Warning", "Information", "Audit Success",
                                                      "Audit Failure"};
    std::vector<Event> events;
    events.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        events.push_back({kTypes[static_cast<std::size_t>(i % 5)], "2024-03-" + std::to_string(10 + i % 20),
                          std::to_string(i % 24) + ":" + std::to_string(10 + i % 50) + ":07",
                          "Service Control Manager", i % 3 == 0 ? "None" : "Logon/Logoff", "NT AUTHORITY\\SYSTEM",
                          "WKS-DEMO", 1000 + i % 9000});
    return events;
}

// The event-list template, four bands and nineteen texts.
class EventListReport {
public:
    EventListReport(const std::vector<Event>& events, bool tahoma) : events_(events)
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
        if (!tahoma)
            report_->MeasurerFactory = &fixed_;
        report_->OnGetValue = [this](const std::string& name, Variant& value) { GetValue(name, value); };
        Build();
    }

    TrpReport& Report() { return *report_; }

private:
    void GetValue(const std::string& name, Variant& value) const
    {
        if (name == "EventLogTitle") {
            value = Variant("Event Log: System on WKS-DEMO");
            return;
        }
        if (cursor_ >= events_.size())
            return;
        const Event& e = events_[cursor_];
        if (name == "Type")
            value = Variant(e.type);
        else if (name == "Date")
            value = Variant(e.date);
        else if (name == "Time")
            value = Variant(e.time);
        else if (name == "Event")
            value = Variant(e.id);
        else if (name == "Source")
            value = Variant(e.source);
        else if (name == "Category")
            value = Variant(e.category);
        else if (name == "User")
            value = Variant(e.user);
        else if (name == "Computer")
            value = Variant(e.computer);
    }

    TrpBandView& Band(TrpPage& page, T type, const char* name, int top, int height, const char* source = "")
    {
        auto band = std::make_unique<TrpBandView>();
        band->SetBandType(static_cast<int>(type));
        band->Name = name;
        band->Top = top;
        band->Width = 740;
        band->Height = height;
        band->FormatString = source;
        return static_cast<TrpBandView&>(*page.AddObject(std::move(band)));
    }

    void Text(TrpPage& page, int n, const std::string& text, int left, int top, int width, int size, bool bold)
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

    void Build()
    {
        TrpPage& page = report_->Pages.Add();
        Band(page, T::ReportTitle, "ReportTitle1", 10, 30);
        Text(page, 1, "[EventLogTitle]", 18, 12, 700, 12, true);
        Band(page, T::PageHeader, "PageHeader1", 50, 18);
        Band(page, T::MasterData, "MasterData1", 80, 15, "dsCommon");
        Band(page, T::PageFooter, "PageFooter1", 110, 20);
        static const std::array<const char*, 8> kHeaders = {"Type",   "Date",     "Time",        "Event",
                                                            "Source", "Category", "Domain\\User", "Computer"};
        static const std::array<const char*, 8> kValues = {"[Type]",   "[Date]",     "[Time]", "[Event]",
                                                           "[Source]", "[Category]", "[User]", "[Computer]"};
        static const std::array<int, 8> kWidths = {80, 70, 60, 45, 130, 90, 150, 97};
        int x = 18;
        for (std::size_t c = 0; c < kHeaders.size(); ++c) {
            Text(page, static_cast<int>(c) + 2, kHeaders[c], x, 51, kWidths[c], 8, true);
            Text(page, static_cast<int>(c) + 10, kValues[c], x, 80, kWidths[c], 8, false);
            x += kWidths[c];
        }
        Text(page, 18, "Page [PAGE#] of [TOTALPAGES]", 18, 112, 300, 7, false);
        Text(page, 19, "Created with Quellvane [DATE] [TIME] ", 420, 112, 320, 7, false);
    }

    const std::vector<Event>& events_;
    std::size_t cursor_ = 0;
    QWidget form_;
    TrpUserDataset* data_ = nullptr;
    TrpReport* report_ = nullptr;
    TrpFixedWidthFactory fixed_{6};
};

bool& Tahoma()
{
    static bool registered = RegisterTahoma();
    return registered;
}

void BM_PrepareEventList(benchmark::State& state)
{
    const std::vector<Event> events = MakeEvents(static_cast<int>(state.range(0)));
    EventListReport list(events, Tahoma());
    TrpReport& report = list.Report();
    std::size_t bytes = 0;
    for (auto _ : state) {
        if (!report.Prepare())
            state.SkipWithError("the report did not prepare");
        state.PauseTiming();
        bytes = 0;
        for (std::size_t i = 0; i < report.EMFPages->Count(); ++i)
            bytes += report.EMFPages->PageRecord(i).Content.Size();
        state.ResumeTiming();
    }
    state.counters["pages"] = static_cast<double>(report.EMFPages->Count());
    state.counters["prepared_MiB"] = static_cast<double>(bytes) / (1024.0 * 1024.0);
    state.counters["peak_MiB"] = PeakMiB();
    state.counters["tahoma"] = Tahoma() ? 1 : 0;
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_PrepareEventList)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    UseOffscreenQt();
    QuietOffscreenWarnings();
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
