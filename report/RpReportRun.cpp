// The report run: preparation with one or two passes over the template,
// and what the band engine asks of the report while it builds pages.

#include "RpReport.h"

#include "RpBand.h"
#include "RpGlobals.h"
#include "RpLocale.h"
#include "RpPage.h"
#include "RpRunState.h"

#include "RpProgressForm.h"

#include <QApplication>
#include <QLabel>

#include <cmath>

namespace report {

namespace {

constexpr int kErrorCaption = 55206;

// Ends the engine's run state for this report however the run ends.
class RunScope {
public:
    explicit RunScope(TrpReport& report) : report_(report) {}
    ~RunScope()
    {
        TrpRunState& state = RunState();
        state.Prepared = nullptr;
        state.Band = nullptr;
        state.Page = nullptr;
        state.View = nullptr;
        state.BandEngine = nullptr;
        state.Running = false;
        report_.Running = false;
    }
    RunScope(const RunScope&) = delete;
    RunScope& operator=(const RunScope&) = delete;

private:
    TrpReport& report_;
};

} // namespace

// ---- what the band engine asks ----------------------------------------------------

bool TrpReport::GetPrintingBand(TrpPrintingBand& band) const
{
    const TrpRunState& state = RunState();
    if (!Running || state.Band == nullptr)
        return false;
    const TrpBand& printing = *state.Band;
    band.Type = printing.Type;
    band.Left = printing.X;
    band.Top = printing.Y;
    band.Width = printing.Width;
    band.Height = std::max(printing.Height, printing.CalculatedHeight);
    return true;
}

const TrpMeasurerFactory& TrpReport::Measurers() const
{
    return MeasurerFactory != nullptr ? *MeasurerFactory : TrpViewHost::Measurers();
}

void TrpReport::ShowBandByName(const std::string& name)
{
    if (TrpPage* page = RunState().Page)
        page->ShowBandByName(name);
}

void TrpReport::PrintColumn(int colNo, int& width)
{
    if (OnPrintColumn)
        OnPrintColumn(colNo, width);
}

void TrpReport::ReportProgress(int n)
{
    if (OnProgress) {
        OnProgress(n);
        return;
    }
    if (!ShowProgress)
        return;
    if (ShowsProgress()) {
        TrpProgressForm& form = EngineProgressForm();
        QString label = form.FirstCaption + QStringLiteral("  ") + QString::number(n);
        if ((FinalPass && SavedDoublePass) || ExportFilter != nullptr)
            label += QStringLiteral(" ") + QString::fromStdString(LoadEngineString(kFromText)) + QStringLiteral(" ") +
                     QString::number(RunState().TotalPages);
        form.Label1->setText(label);
    }
    // Lets the window's Cancel through.
    QCoreApplication::processEvents();
}

bool TrpReport::StepDataset(DatasetStep step)
{
    try {
        switch (step) {
        case DatasetStep::Open:
            Dataset->Open();
            Dataset->First();
            break;
        case DatasetStep::Next:
            Dataset->Next();
            return !Dataset->Eof();
        case DatasetStep::Close:
            Dataset->Close();
            break;
        }
        return true;
    } catch (...) {
        CalculationError(std::current_exception());
        return false;
    }
}

bool TrpReport::ShowsProgress() const
{
    return !OnProgress && ShowProgress && qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

bool TrpReport::RunWithProgress(int phaseText, bool numbered, const std::function<void()>& step)
{
    if (!ShowsProgress()) {
        step();
        return true;
    }
    TrpProgressForm& form = EngineProgressForm();
    form.FirstCaption = QString::fromStdString(LoadEngineString(phaseText));
    form.Label1->setText(numbered ? form.FirstCaption + QStringLiteral("  1") : form.FirstCaption);
    if (form.Running()) {
        // A second pass runs inside the window of the first.
        step();
        return true;
    }
    const std::string preparing = LoadEngineString(kPreparingReportText);
    form.setWindowTitle(QString::fromStdString(Title.empty() ? preparing : Title + " - " + preparing));
    // The step runs inside the window's modal loop: nothing may leave it
    // by an exception.
    std::exception_ptr failure;
    form.OnBeforeModal = [&](TrpProgressForm& window) {
        try {
            step();
        } catch (...) {
            failure = std::current_exception();
        }
        window.SetModalResult(Terminated || failure ? TrpProgressForm::kCancel : TrpProgressForm::kOk);
    };
    const int result = form.RunModal(*this);
    form.OnBeforeModal = nullptr;
    if (failure)
        std::rethrow_exception(failure);
    return result == TrpProgressForm::kOk;
}

// ---- preparation ------------------------------------------------------------------

void TrpReport::SelectTemplatePrinter()
{
    if (KeepDefaultPrinter != 0)
        return;
    TrpPrinter& printer = PrinterModel();
    const int index = printer.IndexOf(PrinterName);
    if (index >= 0 && index != printer.PrinterIndex())
        printer.SelectByIndex(index);
}

bool TrpReport::Prepare()
{
    SelectTemplatePrinter();
    TrpRunState& state = RunState();
    state.Running = true;
    const double now = Now ? Now() : 0.0;
    state.Date = std::floor(now);
    state.Time = now - std::floor(now);
    // A single pass knows no page count; one left from an earlier run
    // would print a wrong one.
    state.TotalPages = 0;

    Pages.CalcPass();
    state.Page = nullptr;
    state.Band = nullptr;
    state.Report = this;
    state.PagesReport = this;
    state.ErrorFlag = false;
    state.ErrorMessage.clear();
    state.DialogCancelled = false;
    MakeCurrent();
    SavedDoublePass = DoublePassReport != 0;

    // Scripts change objects while the run lasts; the template comes back
    // as it was.
    TrpStream saved;
    WriteTemplate(saved);

    bool result = false;
    {
        const RunScope scope(*this);
        BeginDocument();
        if (OnBeginDoc)
            OnBeginDoc();
        result = RunPasses();
        if (OnEndDoc)
            OnEndDoc();
    }
    const bool error = state.ErrorFlag;
    const std::string message = state.ErrorMessage;
    ClearScripts();
    saved.Seek(0);
    ReadTemplate(saved);
    EndDocument();
    FinalPass = false;
    if (state.DialogCancelled)
        result = false;
    if (error) {
        EngineGlobals().Questions->MessageBox(message, LoadEngineString(kErrorCaption), 0x10);
        EMFPages->Clear();
    } else if (state.DialogCancelled) {
        EMFPages->Clear();
    }
    state.NextOnPreviousPage = false;
    state.ContinueOnPage = false;
    state.Band = nullptr;
    return result;
}

bool TrpReport::RunPasses()
{
    TrpRunState& state = RunState();
    Terminated = false;
    state.ContinueOnPage = false;
    FinalPass = true;
    state.PageNo = 0;
    EMFPages->Clear();
    if (DoublePassReport != 0) {
        // The first of two passes; the second starts from its end.
        FinalPass = false;
        return RunWithProgress(kFirstPassText, true, [this] { PassStep(); });
    }
    if (SavedDoublePass)
        DoublePassReport = -1;
    else if (ShowsProgress())
        state.TotalPages = 0;
    return RunWithProgress(kProcessingPageText, true, [this] { PassStep(); });
}

void TrpReport::PassStep()
{
    TrpRunState& state = RunState();
    BuildPages();
    if (FinalPass)
        return;
    // The end of the first pass: its page count is TOTALPAGES.
    state.TotalPages = static_cast<std::int32_t>(EMFPages->Count());
    DoublePassReport = 0;
    if (Terminated) {
        EMFPages->Clear();
        return;
    }
    RunPasses();
    DoublePassReport = -1;
}

void TrpReport::BuildPages()
{
    TrpRunState& state = RunState();
    if (QCoreApplication::instance() != nullptr)
        QCoreApplication::processEvents();
    Running = true;
    state.Running = true;
    // A composite report's members fill the composite's pages.
    TrpReport& owner = state.PagesReport != nullptr ? *state.PagesReport : *this;
    state.Prepared = owner.EMFPages.get();
    state.BandEngine = this;
    Dictionary.ClearCache();
    MakeCurrent();
    state.ErrorFlag = false;

    const bool multiple = Dataset != nullptr && ReportType == rtMultiple;
    if (multiple)
        StepDataset(DatasetStep::Open);
    if (!(FinalPass && SavedDoublePass)) {
        EngineGlobals().EndPageNotify.clear();
        for (std::size_t i = 0; i < Pages.Count(); ++i)
            Pages.Page(i).Skip = false;
        state.DialogCancelled = false;
    }

    for (std::size_t i = 0; i < Pages.Count() && !state.DialogCancelled && !Terminated; ++i) {
        TrpPage& page = Pages.Page(i);
        if (page.PageType != 1)
            continue;
        state.Page = &page;
        if (!page.PrepareBuild())
            state.DialogCancelled = true;
    }

    if (!state.DialogCancelled) {
        for (std::size_t i = 0; i < Pages.Count() && !Terminated; ++i) {
            TrpPage& page = Pages.Page(i);
            if (page.PageType != 0)
                continue;
            const bool wasPrepared = page.Prepared;
            state.Page = &page;
            page.PrepareBuild();
            if (!wasPrepared) {
                page.PrepareDataFields();
                page.OpenDataSets();
            }
        }
        while (!Terminated) {
            ReportProgress(state.PageNo + 1);
            for (std::size_t j = 0; j < Pages.Count() && !Terminated; ++j) {
                TrpPage& page = Pages.Page(j);
                state.Page = &page;
                if (!page.Visible) {
                    page.RunScript();
                    continue;
                }
                if (page.PageType != 0 || page.Skip)
                    continue;
                page.GeneratePages();
                const bool last = j + 1 == Pages.Count();
                const bool nextToPrevious = !last && Pages.Page(j + 1).PrintToPrevPage != 0;
                state.ContinueOnPage =
                    (last && state.NextOnPreviousPage && (!multiple || Dataset->Eof())) || nextToPrevious;
                state.Append = state.ContinueOnPage;
                if (state.ContinueOnPage) {
                    --state.PageNo;
                } else {
                    state.PageNo = static_cast<std::int32_t>(state.Prepared->Count());
                    ReportProgress(state.PageNo);
                }
            }
            ReportProgress(state.PageNo);
            if (!multiple || Terminated || !StepDataset(DatasetStep::Next))
                break;
        }
    }

    for (std::size_t i = 0; i < Pages.Count(); ++i)
        if (Pages.Page(i).PageType == 0)
            Pages.Page(i).UnprepareBuild();
    for (std::size_t i = 0; i < Pages.Count(); ++i)
        if (Pages.Page(i).PageType == 1)
            Pages.Page(i).UnprepareBuild();
    if (multiple)
        StepDataset(DatasetStep::Close);
    state.Page = nullptr;
    state.Band = nullptr;
}

} // namespace report
