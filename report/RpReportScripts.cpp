// The scripts of a report run: objects, bands and pages carry scripts that
// are compiled once for the run and run as often as their objects print.

#include "RpReport.h"

#include "RpGlobals.h"
#include "RpPage.h"
#include "RpRunState.h"

namespace report {

namespace {

bool Blank(const TrpLines& lines)
{
    for (const std::string& line : lines)
        if (line.find_first_not_of(" \t\r\n") != std::string::npos)
            return false;
    return true;
}

} // namespace

const TrpReport::CompiledScript* TrpReport::Compiled(const TrpLines& lines)
{
    // Scripts are keyed by where their lines live; a list that changed
    // since (or another list at the same place) compiles anew.
    auto it = scripts_.find(&lines);
    if (it != scripts_.end() && it->second.Source == lines)
        return &it->second;
    CompiledScript compiled;
    compiled.Source = lines;
    std::vector<std::string> errors;
    TInterpretator& interpreter = EngineGlobals().Interpreter;
    interpreter.Compile(lines, compiled.Coded, errors);
    if (!errors.empty())
        throw EParserError(errors.front());
    return &(scripts_[&lines] = std::move(compiled));
}

void TrpReport::CompileScript(const TrpLines& lines, TrpView* owner)
{
    if (Blank(lines))
        return;
    const TrpCurrentViewScope scope(owner);
    try {
        Compiled(lines);
    } catch (...) {
        CalculationError(std::current_exception());
    }
}

void TrpReport::RunScriptLines(const TrpLines& lines, TrpView* current)
{
    if (Blank(lines) || Terminated)
        return;
    const TrpCurrentViewScope scope(current);
    try {
        const CompiledScript* script = Compiled(lines);
        EnsureCurrent();
        EngineGlobals().Interpreter.Run(script->Coded);
    } catch (...) {
        CalculationError(std::current_exception());
    }
}

void TrpReport::ClearScripts()
{
    scripts_.clear();
}

void TrpReport::RunScript(TrpView& view)
{
    RunScriptLines(view.Script, &view);
}

void TrpReport::RunPageScript(TrpPage& page)
{
    RunScriptLines(page.Script, nullptr);
}

} // namespace report
