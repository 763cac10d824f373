#include "Interpretator.h"

#include "RpBand.h"
#include "RpDialogPage.h"
#include "RpEngineUtils.h"
#include "RpGlobals.h"
#include "RpReport.h"
#include "RpRunState.h"

#include <QCoreApplication>

namespace report {

namespace {

// A dictionary variable holds an expression: a text assigned to it is kept
// as a quoted string, so that reading it back gives the text again.
Variant AsDictionaryValue(const Variant& value)
{
    if (!value.isText())
        return value;
    std::string quoted = "'";
    for (const char c : value.textValue()) {
        quoted += c;
        if (c == '\'')
            quoted += '\'';
    }
    quoted += '\'';
    return Variant(quoted);
}

} // namespace

void TInterpretator::ReadVariable(const std::string& name, Variant& value)
{
    if (TrpReport* report = RunState().Report)
        report->ResolveVariable(name, value);
}

void TInterpretator::WriteVariable(const std::string& name, const Variant& value)
{
    TrpGlobals& globals = EngineGlobals();
    TrpRunState& state = RunState();
    TrpReport* report = state.Report;
    if (globals.ScriptVariables.IndexOf(name) >= 0) {
        globals.ScriptVariables.SetVariable(name, value);
        return;
    }
    if (report != nullptr && report->Dictionary.IsVariable(name)) {
        report->Dictionary.Variables.SetVariable(name, AsDictionaryValue(value));
        return;
    }
    const std::string upper = UpperName(name);
    if (upper == "MODALRESULT") {
        TrpPage* page = state.Page;
        if (page != nullptr && page->PageType == 1 && page->Form() != nullptr)
            page->Form()->SetModalResult(value.toInteger(Parser().Settings));
        return;
    }
    if (upper == "CURY") {
        if (state.Band != nullptr && (state.Band->NewPageCount > 0 || state.Band->NewColumnCount > 0))
            state.Band->PositionSetByScript = true;
        if (state.Page != nullptr)
            state.Page->CurY = value.toInteger(Parser().Settings);
        return;
    }
    if (upper == "PROGRESS") {
        if (globals.ShowProgressText)
            globals.ShowProgressText(value.isNull() ? std::string() : value.toText(Parser().Settings));
        if (QCoreApplication::instance() != nullptr)
            QCoreApplication::processEvents();
        return;
    }
    // Object.Property, as the report's values read it.
    if (report != nullptr && name.find('.') != std::string::npos) {
        const TrpObjectProperty target = ResolveObjectProperty(name, state.View, report->Pages);
        if (target.Object != nullptr && target.Object->FindProperty(target.Property) != nullptr) {
            target.Object->AssignProperty(UpperName(target.Property), value);
            return;
        }
    }
    globals.ScriptVariables.SetVariable(name, value);
}

void TInterpretator::CallFunction(const std::string& name, const Variant& p1, const Variant& p2, const Variant& p3,
                                  Variant& val)
{
    if (TrpReport* report = RunState().Report)
        report->ResolveFunction(name, p1, p2, p3, val);
}

bool TInterpretator::StopRequested()
{
    if (TrpInterpretator::StopRequested())
        return true;
    const TrpReport* report = RunState().Report;
    return report != nullptr && report->Terminated;
}

} // namespace report
