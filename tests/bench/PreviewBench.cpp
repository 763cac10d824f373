// The preview of an event-list report over 100,000 events (1,539 A4
// pages, see EventListPages.h), on the offscreen platform in a window of
// 1280 x 1024:
// - BM_FirstPage: from the prepared pages to the first page drawn: the
//   window made, the pages taken, laid out and the canvas painted.
// - BM_PageDown: Ctrl+Page Down from the first, middle and last pages,
//   each page drawn on the canvas (the page coming into view is rebuilt
//   from its stream).
// - BM_JumpAnywhere: pages chosen at random across the report, each drawn.
// - BM_SearchEveryPage: a search for a text that no page holds.
// - BM_BarePage, side by side: the same texts of a page drawn at the same
//   places with a bare QPainter loop onto an image of the canvas's size.

#include "EventListPages.h"
#include "OffscreenQt.h"

#include "report/RP_Class.h"
#include "report/RP_View.h"
#include "report/RpQtMeasure.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QPointer>

#include <benchmark/benchmark.h>

#include <array>
#include <memory>
#include <random>

namespace {

using namespace report;

constexpr int kEvents = 100'000;
const QSize kWindow(1280, 1024);

struct Report {
    QWidget owner;
    TrpReport* report = new TrpReport(&owner);

    Report()
    {
        report->ModalPreview = false;
        AddEventListPages(*report->EMFPages, report->Pages.Add(), kEvents);
    }
};

// Made in main, so that it goes before the application.
Report* theReport = nullptr;

Report& TheReport()
{
    return *theReport;
}

// A preview of the report in a normal window of the benchmark's size.
std::unique_ptr<TrpPreviewForm> OpenPreview()
{
    auto preview = std::make_unique<TrpPreviewForm>();
    preview->setAttribute(Qt::WA_DeleteOnClose, false);
    preview->setWindowState(Qt::WindowNoState);
    preview->resize(kWindow);
    preview->ShowForReport(*TheReport().report);
    preview->setWindowState(Qt::WindowNoState);
    preview->resize(kWindow);
    QCoreApplication::processEvents();
    return preview;
}

void ClosePreview(std::unique_ptr<TrpPreviewForm> preview)
{
    preview->ReturnPages();
    preview->close();
    preview.reset();
    QCoreApplication::processEvents();
}

void BM_FirstPage(benchmark::State& state)
{
    for (auto _ : state) {
        std::unique_ptr<TrpPreviewForm> preview = OpenPreview();
        // Drawn once the event loop ran; a canvas not yet painted is
        // painted now.
        if (preview->Pages->PageRecord(0).Rebuilt == nullptr)
            preview->PBox->repaint();
        if (preview->Pages->PageRecord(0).Rebuilt == nullptr)
            state.SkipWithError("the first page was not drawn");
        state.PauseTiming();
        state.counters["pages"] = double(preview->Pages->Count());
        state.counters["canvas_w"] = preview->PBox->width();
        state.counters["canvas_h"] = preview->PBox->height();
        ClosePreview(std::move(preview));
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FirstPage)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// Argument: 0 from the first page, 1 from the middle, 2 near the end.
void BM_PageDown(benchmark::State& state)
{
    std::unique_ptr<TrpPreviewForm> preview = OpenPreview();
    const int count = int(preview->Pages->Count());
    const int start = std::array<int, 3>{1, count / 2, count - 200}[std::size_t(state.range(0))];
    preview->CurrentPage = start;
    preview->ScrollToCurrentPage();
    preview->PBox->repaint();
    for (auto _ : state) {
        if (preview->CurrentPage >= count) {
            state.PauseTiming();
            preview->CurrentPage = start;
            preview->ScrollToCurrentPage();
            preview->PBox->repaint();
            state.ResumeTiming();
        }
        preview->FormKeyDown(Qt::Key_PageDown, Qt::ControlModifier);
        preview->PBox->repaint();
    }
    state.counters["start_page"] = start;
    ClosePreview(std::move(preview));
}
BENCHMARK(BM_PageDown)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_JumpAnywhere(benchmark::State& state)
{
    std::unique_ptr<TrpPreviewForm> preview = OpenPreview();
    const int count = int(preview->Pages->Count());
    std::mt19937 random(20240331);
    std::uniform_int_distribution<int> page(1, count);
    for (auto _ : state) {
        preview->CurrentPage = page(random);
        preview->ScrollToCurrentPage();
        preview->PBox->repaint();
    }
    ClosePreview(std::move(preview));
}
BENCHMARK(BM_JumpAnywhere)->Unit(benchmark::kMillisecond)->UseRealTime();

// A search through every page for a text that none holds.
void BM_SearchEveryPage(benchmark::State& state)
{
    std::unique_ptr<TrpPreviewForm> preview = OpenPreview();
    for (auto _ : state) {
        preview->Search.SetText("no such text", false);
        preview->Search.FromFirstPage();
        if (preview->FindTextInPages())
            state.SkipWithError("found what no page holds");
    }
    state.counters["pages"] = double(preview->Pages->Count());
    ClosePreview(std::move(preview));
}
BENCHMARK(BM_SearchEveryPage)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

// The texts of the middle page drawn by a bare loop: the same fonts,
// places and texts, on an image of the canvas's size.
void BM_BarePage(benchmark::State& state)
{
    struct Text {
        QFont font;
        QPoint at;
        QString text;
    };
    std::vector<Text> texts;
    QSize canvas;
    {
        std::unique_ptr<TrpPreviewForm> preview = OpenPreview();
        canvas = preview->PBox->size();
        TrpEMFPages& pages = *preview->Pages;
        const std::size_t index = pages.Count() / 2;
        pages.RebuildPage(index);
        const double scale = 1.0;
        for (const auto& view : pages.PageRecord(index).Rebuilt->Objects) {
            const auto* memo = dynamic_cast<const TrpMemoView*>(view.get());
            if (memo == nullptr || memo->Memo.empty())
                continue;
            const QFont font = MakeQFont(memo->Font, int(memo->Font.Size * 96 / 72 * scale));
            std::string line = memo->Memo.front();
            std::erase(line, '\001');
            texts.push_back({font, QPoint(memo->Left + 2, memo->Top + 1 + QFontMetrics(font).ascent()),
                             QString::fromStdString(line)});
        }
        pages.ReleasePage(index);
        ClosePreview(std::move(preview));
    }
    QImage image(canvas, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&image);
        painter.fillRect(image.rect(), QColor(128, 128, 128));
        painter.fillRect(QRect(100, 10, 760, 1075), Qt::white);
        for (const Text& text : texts) {
            painter.setFont(text.font);
            painter.drawText(text.at + QPoint(100, 10), text.text);
        }
    }
    state.counters["texts"] = double(texts.size());
}
BENCHMARK(BM_BarePage)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    UseOffscreenQt();
    QApplication app(argc, argv);
    QuietOffscreenWarnings();
    Report report;
    theReport = &report;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    theReport = nullptr;
    return 0;
}
