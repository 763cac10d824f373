#include "RpReport.h"

#include "RpBand.h"
#include "RpEngineUtils.h"
#include "RpGlobals.h"
#include "RpLocale.h"
#include "RpRunState.h"

namespace report {

namespace {

constexpr int kUntitledText = 55209;

} // namespace

// What the report's prepared pages ask of it: its template pages (their
// host and printer model), the printer model's selection, the marker byte
// of its information and its preview events.
class TrpReport::PreparedOwner : public TrpPreparedOwner {
public:
    explicit PreparedOwner(TrpReport& report) : report_(report) {}

    TrpPages* TemplatePages() override { return &report_.Pages; }
    const TrpAddInRegistry* AddIns() const override { return report_.AddIns; }

    // The running report's OnBeginPage, then this one's when it is another
    // report (a composite whose member runs).
    void BeginPage() override
    {
        const TrpRunState& state = RunState();
        TrpReport* running = state.Report != nullptr ? state.Report : &report_;
        if (running->OnBeginPage)
            running->OnBeginPage(state.PageNo);
        if (running != &report_ && report_.OnBeginPage)
            report_.OnBeginPage(state.PageNo);
    }

    void SelectPrinter(const std::string& name) override
    {
        TrpPrinter& printer = Printer();
        const int index = printer.IndexOf(name);
        if (index >= 0)
            printer.SelectByIndex(index);
    }
    std::string SelectedPrinterName() const override { return Printer().PrinterName(); }
    std::uint8_t ReportMarker() const override { return report_.Info.Marker; }
    void SetReportMarker(std::uint8_t marker) override { report_.Info.Marker = marker; }

    bool ObjectClick(TrpView& view) override
    {
        if (!report_.OnObjectClick)
            return false;
        report_.OnObjectClick(view);
        return true;
    }
    bool MouseOverObject(TrpView& view, Qt::CursorShape& cursor) override
    {
        if (!report_.OnMouseOverObject)
            return false;
        report_.OnMouseOverObject(view, cursor);
        return true;
    }

private:
    TrpPrinter& Printer() const { return report_.PrinterModel(); }

    TrpReport& report_;
};

TrpReport::TrpReport(QObject* owner) : QObject(owner), preparedOwner_(std::make_unique<PreparedOwner>(*this))
{
    EMFPages = NewPreparedPages();
    Pages.Host = this;
    Dictionary.Host = this;
    const std::string untitled = LoadEngineString(kUntitledText);
    if (!untitled.empty())
        FileName = untitled;
}

TrpReport::~TrpReport()
{
    TrpGlobals& globals = EngineGlobals();
    if (globals.BoundReport == this) {
        globals.Parser.OnGetValue = nullptr;
        globals.Parser.OnFunction = nullptr;
        globals.Interpreter.SetStopFlag(nullptr);
        globals.BoundReport = nullptr;
    }
    TrpRunState& state = RunState();
    if (state.Report == this)
        state.Report = nullptr;
    if (state.PagesReport == this)
        state.PagesReport = nullptr;
}

void TrpReport::MakeCurrent()
{
    TrpRunState& state = RunState();
    state.Report = this;
    if (state.PagesReport == nullptr)
        state.PagesReport = this;
    TrpGlobals& globals = EngineGlobals();
    globals.Parser.Settings = Settings;
    globals.Parser.OnGetValue = [this](const std::string& name, Variant& value) { ResolveVariable(name, value); };
    globals.Parser.OnFunction = [this](const std::string& name, const Variant& p1, const Variant& p2,
                                       const Variant& p3, Variant& val) { ResolveFunction(name, p1, p2, p3, val); };
    globals.Interpreter.Parser().Settings = Settings;
    globals.Interpreter.SetStopFlag(&Terminated);
    globals.BoundReport = this;
}

TrpPrinter& TrpReport::PrinterModel() const
{
    return Pages.Printer != nullptr ? *Pages.Printer : EnginePrinter();
}

void TrpReport::EnsureCurrent()
{
    if (RunState().Report != this || EngineGlobals().BoundReport != this)
        MakeCurrent();
}

TrpFieldLookup& TrpReport::FieldLookup()
{
    lookup_ = TrpComponentFieldLookup(parent());
    return lookup_;
}

void TrpReport::CalculationError(std::exception_ptr error)
{
    std::string message;
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        message = e.what();
    } catch (...) {
        message = "Unknown error";
    }
    TrpRunState& state = RunState();
    state.ErrorMessage = CalculationErrorText(LoadEngineString, state.View, Name(), message);
    state.ErrorFlag = true;
    Terminated = true;
}

std::unique_ptr<TrpEMFPages> TrpReport::NewPreparedPages()
{
    return std::make_unique<TrpEMFPages>(preparedOwner_.get());
}

TrpPreparedResult TrpReport::LoadPreparedFile(const QString& fileName)
{
    ResetInfo();
    const TrpPreparedResult result = EMFPages->LoadFromFile(fileName);
    Running = false;
    return result;
}

void TrpReport::SavePreparedFile(const QString& fileName)
{
    EMFPages->SaveToFile(fileName);
}

TrpView* TrpReport::FindView(const std::string& name) const
{
    for (std::size_t i = 0; i < Pages.Count(); ++i)
        if (TrpView* view = Pages.Page(i).FindView(name))
            return view;
    return nullptr;
}

bool TrpReport::IsRunning() const
{
    return RunState().Running;
}

bool TrpReport::IsFirstPass() const
{
    return Running && !FinalPass;
}

Variant TrpReport::Evaluate(const std::string& expression)
{
    EnsureCurrent();
    return EngineGlobals().Parser.Evaluate(expression);
}

Variant TrpReport::EvalPostfix(const std::string& postfix)
{
    EnsureCurrent();
    return EngineGlobals().Parser.EvalPostfix(postfix);
}

std::string TrpReport::ExpressionText(const std::string& expression, TrpView& view)
{
    EnsureCurrent();
    const TrpCurrentViewScope scope(&view);
    std::string result;
    EvaluateBracket(expression, result);
    return result;
}

bool TrpReport::BeforePrint(TrpLines& lines, TrpView& view)
{
    // An object whose text names a blob field loads itself from it.
    if (Running && view.Build.FieldDataSet != nullptr) {
        TDataSet& data = *view.Build.FieldDataSet;
        if (data.Active())
            if (const std::optional<TField> field = data.FindField(view.Build.FieldName); field && IsBlobField(*field))
                view.LoadFromBlob(TrpBlob{field->IsNull(), field->AsBytes()});
    }
    if (!OnBeforePrint)
        return false;
    OnBeforePrint(lines, view);
    return true;
}

// While an export runs, the filter receives each object and each line
// of text.
void TrpReport::ExportObject(TrpView& view)
{
    if (ExportFilter != nullptr)
        ExportFilter->OnData(view.Left, view.Top, view);
}

void TrpReport::ExportText(const QRect& clip, int x, int y, const std::string& text, std::uint16_t frameLines,
                           TrpView& view)
{
    if (ExportFilter != nullptr)
        ExportFilter->OnText(clip, x, y, text, frameLines, view);
}

std::string TrpReport::EngineText(int id) const
{
    return LoadEngineString(id);
}

const TrpVariables* TrpReport::ScriptVariables() const
{
    return &EngineGlobals().ScriptVariables;
}

TDataSet* TrpReport::CurrentBandDataSet()
{
    return report::CurrentBandDataSet();
}

} // namespace report
