// Preparing the event-list report with the band engine: a title, a page
// header of eight column names, a master data band of eight values over a
// user data set of events, and a page footer with "Page k of n" (two
// passes), on A4 on the virtual printer.  10,000 against 100,000 events,
// side by side in one run: time, the prepared pages' bytes and the
// process's peak memory should all grow linearly.
//
// Text is measured in Tahoma from the fonts the program registers
// (fonts-wine), else with fixed-width characters.

#include "BenchMemory.h"
#include "EventListReport.h"
#include "OffscreenQt.h"

#include "report/RP_Class.h"

#include <QApplication>

#include <benchmark/benchmark.h>

namespace {

using namespace report;

void BM_PrepareEventList(benchmark::State& state)
{
    const std::vector<ListedEvent> events = MakeListedEvents(static_cast<int>(state.range(0)));
    const TrpFixedWidthFactory fixed(6);
    const bool tahoma = RegisterTahoma();
    EventListReport list(events, tahoma ? nullptr : &fixed);
    TrpReport& report = list.Report();
    report.ShowProgress = false;
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
    state.counters["peak_MiB"] = peakRssMiB();
    state.counters["tahoma"] = tahoma ? 1 : 0;
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
