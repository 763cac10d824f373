// The functions and commands of a report run: the libraries, the report's
// own commands (STOPREPORT, NEWPAGE, NEWCOLUMN, SHOWBAND, INC, DEC,
// SETARRAY, GETARRAY, object methods) and the application's functions.

#include "RpReport.h"

#include "RpBand.h"
#include "RpGlobals.h"
#include "RpRunState.h"
#include "VariantRules.h"

namespace report {

namespace {

std::string TextOf(const Variant& argument)
{
    return argument.isNull() ? std::string() : argument.toText();
}

Variant EvaluateArgument(const Variant& argument)
{
    return EngineGlobals().Parser.Evaluate(TextOf(argument));
}

// An array element's index as part of a variable name: a text as it is,
// anything else as its integer.
std::string ArrayKey(const Variant& index)
{
    if (index.isText())
        return index.textValue();
    return std::to_string(index.toInteger(EngineGlobals().Parser.Settings));
}

} // namespace

void TrpReport::ResolveFunction(const std::string& name, const Variant& p1, const Variant& p2, const Variant& p3,
                                Variant& val)
{
    val = Variant("0");
    if (EngineGlobals().Libraries.Handle(name, p1, p2, p3, val))
        return;
    RunCommand(name, p1, p2, p3, val);
    if (OnUserFunction)
        OnUserFunction(name, p1, p2, p3, val);
}

void TrpReport::SetArray(const Variant& p1, const Variant& p2, const Variant& p3)
{
    const std::string array = TextOf(p1);
    const std::size_t point = array.find('.');
    if (point != std::string::npos) {
        if (TrpView* view = FindView(array.substr(0, point)))
            view->CallMethod("SETINDEXPROPERTY", Variant(UpperName(array.substr(point + 1))), EvaluateArgument(p2),
                             EvaluateArgument(p3));
        return;
    }
    const std::string key = ArrayKey(EvaluateArgument(p2));
    EngineGlobals().ScriptVariables.SetVariable("Arr_" + array + "_" + key, EvaluateArgument(p3));
}

Variant TrpReport::GetArray(const Variant& p1, const Variant& p2)
{
    const std::string array = TextOf(p1);
    const std::size_t point = array.find('.');
    if (point != std::string::npos) {
        TrpView* view = FindView(array.substr(0, point));
        return view != nullptr ? view->CallMethod("GETINDEXPROPERTY", Variant(UpperName(array.substr(point + 1))),
                                                  EvaluateArgument(p2), Variant())
                               : Variant::null();
    }
    const std::string key = ArrayKey(EvaluateArgument(p2));
    return EngineGlobals().ScriptVariables.GetVariable("Arr_" + array + "_" + key);
}

void TrpReport::RunCommand(const std::string& name, const Variant& p1, const Variant& p2, const Variant& p3,
                           Variant& val)
{
    TrpRunState& state = RunState();
    if (name == "STOPREPORT") {
        TrpReport* running = state.Report != nullptr ? state.Report : this;
        running->Terminated = true;
    } else if (name == "NEWPAGE") {
        if (state.Band != nullptr)
            ++state.Band->NewPageCount;
    } else if (name == "NEWCOLUMN") {
        if (state.Band != nullptr)
            ++state.Band->NewColumnCount;
    } else if (name == "SHOWBAND") {
        // The band's name as written, or quoted as a text.
        std::string band = TextOf(p1);
        if (band.size() >= 2 && band.front() == '\'' && band.back() == '\'')
            band = band.substr(1, band.size() - 2);
        if (state.BandEngine != nullptr)
            state.BandEngine->ShowBandByName(band);
    } else if (name == "INC" || name == "DEC") {
        const std::string variable = TextOf(p1);
        Variant value;
        ResolveVariable(UpperName(variable), value);
        value = name == "INC" ? VarAdd(value, Variant(std::int32_t{1}), Settings)
                              : VarSub(value, Variant(std::int32_t{1}), Settings);
        EngineGlobals().Interpreter.WriteVariable(variable, value);
    } else if (name == "SETARRAY") {
        SetArray(p1, p2, p3);
    } else if (name == "GETARRAY") {
        val = GetArray(p1, p2);
    } else {
        const std::size_t point = name.find('.');
        if (point == std::string::npos)
            return;
        if (TrpView* view = FindView(name.substr(0, point)))
            val = view->CallMethod(name.substr(point + 1), p1, p2, p3);
    }
}

} // namespace report
