// Prepared pages of an event-list report over 100,000 events: drawing one
// page into an image at 100 % (rebuilt from its stream each time, as the
// preview does for a page coming into view) at the first, middle and last
// page; and reading and writing the whole report as a prepared-report file.
// Side by side in one run: the pages' times against each other.
//
// The pages are laid out as the stored template prints them (see
// EventListPages.h), on A4 on the virtual printer.

#include "BenchMemory.h"
#include "EventListPages.h"
#include "OffscreenQt.h"

#include "report/RP_Class.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <memory>
#include <string>

namespace {

using namespace report;

constexpr int kEvents = 100'000;

// Emission during a run: no expression in these texts, so none is asked for.
struct RunHost : TrpViewHost {
    bool IsRunning() const override { return true; }
};

struct Report {
    RunHost host;
    TrpPages templatePages;
    struct Owner : TrpPreparedOwner {
        TrpPages* pages = nullptr;
        TrpPages* TemplatePages() override { return pages; }
    } owner;
    TrpEMFPages pages{&owner};
    double rssBuilt = 0;

    Report()
    {
        templatePages.Host = &host;
        owner.pages = &templatePages;
        Build();
    }

    void Build()
    {
        AddEventListPages(pages, templatePages.Add(), kEvents);
        rssBuilt = currentRssMiB();
    }
};

Report& TheReport()
{
    static Report report;
    return report;
}

// One page drawn at 100 %: rebuilt from its stream, drawn, released.  The
// argument picks the page: 0 the first (with the title), 1 the middle one,
// 2 the last full page, 3 the last (30 rows).
void BM_PaintPage(benchmark::State& state)
{
    Report& report = TheReport();
    const std::size_t count = report.pages.Count();
    const std::size_t index = std::array<std::size_t, 4>{0, count / 2, count - 2, count - 1}[state.range(0)];
    TrpEMFPage& page = report.pages.PageRecord(index);
    QImage image(page.PageInfo.SheetWidth, page.PageInfo.SheetHeight, QImage::Format_RGB32);
    for (auto _ : state) {
        image.fill(Qt::white);
        page.Visible = true;
        QPainter painter(&image);
        report.pages.PaintPage(index, painter, image.rect());
        page.Visible = false;
        report.pages.PaintPage(index, painter, QRect());  // releases the objects
    }
    state.counters["page"] = static_cast<double>(index + 1);
    report.pages.RebuildPage(index);
    state.counters["objects"] = static_cast<double>(page.Rebuilt->Objects.size());
    report.pages.ReleasePage(index);
    state.counters["pages"] = static_cast<double>(report.pages.Count());
    state.counters["rss_built_MiB"] = report.rssBuilt;
}
BENCHMARK(BM_PaintPage)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

// Rebuilding alone, for comparison with drawing.
void BM_RebuildPage(benchmark::State& state)
{
    Report& report = TheReport();
    const std::size_t index = report.pages.Count() / 2;
    for (auto _ : state) {
        report.pages.RebuildPage(index);
        report.pages.ReleasePage(index);
    }
}
BENCHMARK(BM_RebuildPage)->Unit(benchmark::kMillisecond);

// The whole report written to memory and read back (every page's objects
// are read once to prove the file whole).
void BM_WriteFile(benchmark::State& state)
{
    Report& report = TheReport();
    std::size_t size = 0;
    for (auto _ : state) {
        TrpStream file;
        report.pages.WritePrepared(file);
        size = file.Size();
    }
    state.counters["file_MiB"] = static_cast<double>(size) / (1024.0 * 1024.0);
}
BENCHMARK(BM_WriteFile)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_ReadFile(benchmark::State& state)
{
    Report& report = TheReport();
    TrpStream file;
    report.pages.WritePrepared(file);
    TrpEMFPages loaded;
    for (auto _ : state) {
        if (loaded.ReadPrepared(file).Status != TrpPreparedStatus::Loaded)
            state.SkipWithError("the written file did not read back");
    }
    state.counters["pages"] = static_cast<double>(loaded.Count());
}
BENCHMARK(BM_ReadFile)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    UseOffscreenQt();
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
