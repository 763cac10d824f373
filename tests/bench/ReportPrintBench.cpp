// Printing the prepared event-list report of 100,000 events to a PDF file,
// side by side with a bare QPdfWriter/QPainter loop that draws the same
// texts in the same fonts at the same places.  Qt's PDF engine is slow on
// its own; both sides pay for it, and the report's printing may take at
// most 1.5 times the bare loop (the counter report_ratio).

#include "EventListReport.h"
#include "OffscreenQt.h"

#include "report/RP_Class.h"
#include "report/RpQtMeasure.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using namespace report;

constexpr int kEvents = 100'000;
constexpr int kResolution = 1200;

// A text of a prepared page as the bare loop draws it.
struct PlacedText {
    QString Text;
    QFont Font;
    QPointF At;  // the text's top left, in PDF device pixels
};

struct Prepared {
    std::vector<ListedEvent> events = MakeListedEvents(kEvents);
    TrpFixedWidthFactory fixed{6};
    std::unique_ptr<EventListReport> list;
    std::vector<std::vector<PlacedText>> pages;
    QTemporaryDir dir;

    Prepared()
    {
        list = std::make_unique<EventListReport>(events, RegisterTahoma() ? nullptr : &fixed);
        TrpReport& report = list->Report();
        report.ShowProgress = false;
        report.Prepare();
        // What the pages hold: each text's lines at its place.
        TrpEMFPages& prepared = *report.EMFPages;
        for (std::size_t i = 0; i < prepared.Count(); ++i) {
            prepared.RebuildPage(i);
            const TrpEMFPage& record = prepared.PageRecord(i);
            const double scale = double(kResolution) / kReportPixelsPerInch;
            std::vector<PlacedText>& texts = pages.emplace_back();
            for (const auto& view : record.Rebuilt->Objects) {
                const auto* memo = dynamic_cast<const TrpMemoView*>(view.get());
                if (memo == nullptr || memo->Memo.empty())
                    continue;
                QFont font = MakeQFont(memo->Font, FontPixelHeight(memo->Font.Size, scale));
                texts.push_back({QString::fromStdString(memo->Memo.front()), font,
                                 QPointF((memo->Left + memo->GapX) * scale, (memo->Top + memo->GapY) * scale)});
            }
            prepared.ReleasePage(i);
        }
    }
};

Prepared& ThePrepared()
{
    static Prepared prepared;
    return prepared;
}

// The report's printing time of the last run, for the ratio.
double& ReportSeconds()
{
    static double seconds = 0;
    return seconds;
}

void BM_PrintReportToPdf(benchmark::State& state)
{
    Prepared& p = ThePrepared();
    TrpReport& report = p.list->Report();
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        QPrinter pdf(QPrinter::HighResolution);
        pdf.setOutputFormat(QPrinter::PdfFormat);
        pdf.setResolution(kResolution);
        pdf.setOutputFileName(p.dir.filePath(QStringLiteral("report.pdf")));
        report.PrintDevice = &pdf;
        report.PrintPrepared("", 1, true, 0);
        report.PrintDevice = nullptr;
        ReportSeconds() = timer.nsecsElapsed() / 1e9;
    }
    state.counters["pages"] = static_cast<double>(report.EMFPages->Count());
    state.counters["pdf_MiB"] = QFileInfo(p.dir.filePath(QStringLiteral("report.pdf"))).size() / (1024.0 * 1024.0);
}
BENCHMARK(BM_PrintReportToPdf)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

void BM_BarePdfLoop(benchmark::State& state)
{
    Prepared& p = ThePrepared();
    double seconds = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        QPdfWriter pdf(p.dir.filePath(QStringLiteral("bare.pdf")));
        pdf.setResolution(kResolution);
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setPageMargins(QMarginsF());
        QPainter painter(&pdf);
        bool first = true;
        for (const std::vector<PlacedText>& page : p.pages) {
            if (!first)
                pdf.newPage();
            first = false;
            for (const PlacedText& text : page) {
                painter.setFont(text.Font);
                painter.drawText(text.At + QPointF(0, QFontMetricsF(text.Font).ascent()), text.Text);
            }
        }
        painter.end();
        seconds = timer.nsecsElapsed() / 1e9;
    }
    // The report's printing against this loop (goal: at most 1.5).
    if (seconds > 0 && ReportSeconds() > 0)
        state.counters["report_ratio"] = ReportSeconds() / seconds;
    state.counters["pages"] = static_cast<double>(p.pages.size());
    state.counters["pdf_MiB"] = QFileInfo(p.dir.filePath(QStringLiteral("bare.pdf"))).size() / (1024.0 * 1024.0);
}
BENCHMARK(BM_BarePdfLoop)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

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
