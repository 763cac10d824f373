#include "RpReport.h"

#include "RpBand.h"
#include "RpEngineUtils.h"
#include "RpGlobals.h"
#include "RpLocale.h"
#include "RpRunState.h"

namespace report {

namespace {

constexpr int kUntitledText = 55209;

// Makes a view the current object for as long as it is evaluated.
class CurrentViewScope {
public:
    explicit CurrentViewScope(TrpView* view) : saved_(RunState().View) { RunState().View = view; }
    ~CurrentViewScope() { RunState().View = saved_; }
    CurrentViewScope(const CurrentViewScope&) = delete;
    CurrentViewScope& operator=(const CurrentViewScope&) = delete;

private:
    TrpView* saved_;
};

} // namespace

TrpReport::TrpReport(QObject* owner) : QObject(owner)
{
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
    const CurrentViewScope scope(&view);
    std::string result;
    EvaluateBracket(expression, result);
    return result;
}

bool TrpReport::BeforePrint(TrpLines& lines, TrpView& view)
{
    if (!OnBeforePrint)
        return false;
    OnBeforePrint(lines, view);
    return true;
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
