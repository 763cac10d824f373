// Loading a generated log of a million events into a log window, from
// LoadEvents to the final status text, on the offscreen platform; and the
// reader's own pass over the same log for comparison.

#include "BenchLog.h"

#include "../app/GeneratedLogService.h"
#include "BenchMemory.h"
#include "BenchPrompts.h"
#include "OffscreenQt.h"

#include "app/UserPrompts.h"
#include "app/logview.h"

#include "ntlib/EventLog.h"
#include "ntlib/FunctionBinding.h"


#include <QApplication>
#include <QPointer>
#include <QTableView>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr DWORD kEvents = 1'000'000;

// What a log window needs around it here: the system functions bound and
// no questions asked.
struct WindowScope {
    ScopedSystemFunctions bound;
    NoPrompts prompts;
    ScopedUserPrompts usePrompts{prompts};
};

// Loads the log `source` into the window at each iteration, and reports the
// speed and the memory taken.
void measureLoads(benchmark::State& state, TfrmLogView& window, const QString& source)
{
    const double before = currentRssMiB();
    for (auto _ : state) {
        window.LoadEvents(source);
        if (window.StatusText() != QStringLiteral("Showing %1 event(s)").arg(kEvents))
            state.SkipWithError("the load did not show every event");
    }
    state.counters["events_per_s"] =
        benchmark::Counter(static_cast<double>(kEvents) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
    state.counters["rss_before_MiB"] = before;
    state.counters["rss_loaded_MiB"] = currentRssMiB();
    state.counters["peak_rss_MiB"] = peakRssMiB();
}

// Closes a log window, which then frees itself.
void closeWindow(const QPointer<TfrmLogView>& window)
{
    window->CloseWithoutQuestion();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void BM_LoadLogWindow(benchmark::State& state)
{
    GeneratedLogService service;
    service.count = kEvents;
    WindowScope scope;
    // A log window frees itself when it closes: it lives on the heap.
    QPointer<TfrmLogView> window = new TfrmLogView(nullptr);
    window->show();
    QCoreApplication::processEvents();

    measureLoads(state, *window, QStringLiteral("Application"));
    state.counters["events"] = static_cast<double>(window->Model().rowCount());
    closeWindow(window);
}
BENCHMARK(BM_LoadLogWindow)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// The same through the real event-log service: a backup file of a million
// realistic records (SIDs, data, several sources), written once per run.
const std::string& millionEventFile()
{
    static const std::string path = WriteBenchLog("qv-bench-logwindow", static_cast<int>(kEvents));
    return path;
}

void BM_LoadLogWindowFromEvtFile(benchmark::State& state)
{
    const std::string& file = millionEventFile();
    WindowScope scope;
    QPointer<TfrmLogView> window = new TfrmLogView(nullptr);
    window->SetIsFile(true);
    window->SetComputerName(QStringLiteral("$FILE"));
    window->NTEventLog().SetBackupFileName(file);
    window->show();
    QCoreApplication::processEvents();

    measureLoads(state, *window, QString::fromStdString(file));
    closeWindow(window);
}
BENCHMARK(BM_LoadLogWindowFromEvtFile)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// Painting the loaded list at places spread over it: only the rows on
// screen are formatted, so a frame costs the same at any size.
void BM_PaintLoadedList(benchmark::State& state)
{
    GeneratedLogService service;
    service.count = kEvents;
    WindowScope scope;
    QPointer<TfrmLogView> window = new TfrmLogView(nullptr);
    window->show();
    window->LoadEvents(QStringLiteral("Application"));
    QTableView* list = window->lvLog();
    int row = 0;
    for (auto _ : state) {
        row = (row + 104'729) % static_cast<int>(kEvents);
        list->scrollTo(window->Model().index(row, 0), QAbstractItemView::PositionAtTop);
        list->viewport()->repaint();
    }
    closeWindow(window);
}
BENCHMARK(BM_PaintLoadedList)->Unit(benchmark::kMicrosecond);

// The reader alone: every index fetched once, as the load does.
void BM_ReaderPassOnly(benchmark::State& state)
{
    GeneratedLogService service;
    service.count = kEvents;
    ScopedSystemFunctions bound;
    TNTEventLog reader;
    reader.SetSourceName("Application");
    for (auto _ : state) {
        reader.SetActive(false);
        reader.SetActive(true);
        const int n = reader.GetEventCount();
        for (int i = 0; i < n; ++i)
            benchmark::DoNotOptimize(reader.GetEvent(i));
    }
    state.counters["events_per_s"] =
        benchmark::Counter(static_cast<double>(kEvents) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
    state.counters["rss_loaded_MiB"] = currentRssMiB();
    reader.SetActive(false);
}
BENCHMARK(BM_ReaderPassOnly)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    UseOffscreenQt();
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
