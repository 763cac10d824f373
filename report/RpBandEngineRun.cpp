#include "RpBandEngineRun.h"

namespace report {

TrpReport& RunningReport()
{
    TrpRunState& state = RunState();
    Q_ASSERT(state.Report != nullptr);
    return *state.Report;
}

TrpReport& PagesReport()
{
    TrpRunState& state = RunState();
    return state.PagesReport != nullptr ? *state.PagesReport : RunningReport();
}

TrpEMFPages& RunPages()
{
    TrpRunState& state = RunState();
    Q_ASSERT(state.Prepared != nullptr);
    return *state.Prepared;
}

bool RunTerminated()
{
    const TrpRunState& state = RunState();
    return state.Report == nullptr || state.Report->Terminated ||
           (state.PagesReport != nullptr && state.PagesReport->Terminated);
}

void RunError(std::exception_ptr error)
{
    RunningReport().CalculationError(std::move(error));
}

void RunError(const std::string& message)
{
    RunError(std::make_exception_ptr(Exception(message)));
}

void RunLines(const TrpLines& lines, TrpView* current)
{
    if (!lines.empty())
        RunningReport().RunScriptLines(lines, current);
}

void RunProgress(int pageNumber)
{
    PagesReport().ReportProgress(pageNumber);
}

void EmitOnCurrentPage(TrpView& view, std::int32_t left, std::int32_t top)
{
    struct Moved {
        TrpView& view;
        std::int32_t left, top;
        ~Moved()
        {
            view.Left = left;
            view.Top = top;
        }
    } moved{view, view.Left, view.Top};
    view.Left = left;
    view.Top = top;
    TrpEMFPage& target = RunPages().PageRecord(static_cast<std::size_t>(RunState().PageNo));
    target.Content.Seek(target.Content.Size());
    view.EmitToPreparedPage(target.Content);
}

void FireEndPage(int pageNo)
{
    TrpReport& report = RunningReport();
    if (report.OnEndPage)
        report.OnEndPage(pageNo);
    TrpReport& composite = PagesReport();
    if (&composite != &report && composite.OnEndPage)
        composite.OnEndPage(pageNo);
}

} // namespace report
