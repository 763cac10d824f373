// The values of a report run: names, engine values, bracketed expressions
// and their display formats.

#include "RpReport.h"

#include "DisplayFormat.h"
#include "RpBand.h"
#include "RpEngineUtils.h"
#include "RpGlobals.h"
#include "RpLocale.h"
#include "RpMemoView.h"
#include "RpRunState.h"
#include "VariantRules.h"

namespace report {

namespace {

constexpr int kUndefinedSymbolText = 55439;

// Clears the name under evaluation however the evaluation ends.
class EvaluationGuard {
public:
    explicit EvaluationGuard(const std::string& name) { RunState().NameUnderEvaluation = name; }
    ~EvaluationGuard() { RunState().NameUnderEvaluation.clear(); }
    EvaluationGuard(const EvaluationGuard&) = delete;
    EvaluationGuard& operator=(const EvaluationGuard&) = delete;
};

// The band whose line counters LINE# and LINETHROUGH# show.
TrpBand* CounterBand()
{
    TrpBand* band = RunState().Band;
    return band != nullptr ? band->CounterBand() : nullptr;
}

// The widest line of a text object as laid out, or the object's width.
std::int32_t CalcWidth(TrpView* view)
{
    if (view == nullptr)
        return 0;
    auto* memo = dynamic_cast<TrpMemoView*>(view);
    if (memo == nullptr)
        return view->Width;
    return memo->WidestLineWidth();
}

} // namespace

bool TrpReport::SpecialValue(const std::string& name, Variant& value)
{
    const TrpRunState& state = RunState();
    if (name == "VALUE") {
        value = state.Value;
    } else if (name == "PAGE#") {
        value = Variant(state.PageNo + 1);
    } else if (name == "DATE") {
        value = Variant::dateTime(state.Date);
    } else if (name == "TIME") {
        value = Variant::dateTime(state.Time);
    } else if (name == "LINE#" || name == "LINETHROUGH#") {
        const TrpBand* band = CounterBand();
        const std::int32_t line = band == nullptr ? 0 : name == "LINE#" ? band->LineNo : band->LineThrough;
        value = Variant(line);
    } else if (name == "COLUMN#") {
        value = Variant(state.Page != nullptr ? state.Page->ColumnNo : 0);
    } else if (name == "CURRENT#") {
        value = Variant(state.Page != nullptr ? state.Page->CurrentNo : 0);
    } else if (name == "TOTALPAGES") {
        value = Variant(state.TotalPages);
    } else if (name == "REPORTCOMMENT") {
        value = Variant(Info.Comment);
    } else if (name == "REPORTNAME") {
        value = Variant(Info.Name);
    } else if (name == "REPORTAUTOR") {
        value = Variant(Info.Author);
    } else if (name == "VMAJOR") {
        value = Variant(Info.VersionMajor);
    } else if (name == "VMINOR") {
        value = Variant(Info.VersionMinor);
    } else if (name == "VRELEASE") {
        value = Variant(Info.VersionRelease);
    } else if (name == "VBUILD") {
        value = Variant(Info.VersionBuild);
    } else if (name == "REPORTDATE") {
        value = Variant::dateTime(Info.Created);
    } else if (name == "REPORTLASTCHANGE") {
        value = Variant::dateTime(Info.LastChange);
    } else if (name == "CALCWIDTH") {
        value = Variant(CalcWidth(state.View));
    } else {
        return false;
    }
    return true;
}

void TrpReport::ResolveVariable(const std::string& name, Variant& value)
{
    value = Variant();
    if (OnGetValue) {
        OnGetValue(name, value);
        if (!value.isEmpty())
            return;
    }
    value = Variant(std::int32_t{0});
    if (Dictionary.IsVariable(name)) {
        Dictionary.GetValue(name, value);
        return;
    }
    if (SpecialValue(name, value))
        return;
    const TrpVariables& script = EngineGlobals().ScriptVariables;
    const int index = script.IndexOf(name);
    if (index >= 0) {
        value = script.GetValue(index);
        return;
    }
    value = Variant();
    EngineValue(name, value);
    if (!value.isEmpty())
        return;
    TrpRunState& state = RunState();
    if (name != state.NameUnderEvaluation) {
        const EvaluationGuard guard(name);
        value = EngineGlobals().Parser.Evaluate(name);
        return;
    }
    if (state.MeasuringPass)
        return;
    throw EParserError(LoadEngineString(kUndefinedSymbolText) + " \"" + name + "\"");
}

void TrpReport::EngineValue(const std::string& name, Variant& value)
{
    const TrpRunState& state = RunState();
    const TrpPage* page = state.Page;
    if (name == "CURY") {
        value = Variant(page != nullptr ? page->CurY : 0);
        return;
    }
    if (name == "FREESPACE") {
        value = Variant(page != nullptr ? page->BottomLimit() - page->CurY : 0);
        return;
    }
    if (name == "FINALPASS") {
        value = Variant(FinalPass);
        return;
    }
    if (name == "PAGEHEIGHT") {
        value = Variant(page != nullptr ? page->CurBottomY : 0);
        return;
    }
    if (name == "PAGEWIDTH") {
        value = Variant(page != nullptr ? page->RightLimit() : 0);
        return;
    }
    // Object.Property: an object of the report, a template page (PAGE2.
    // Columns), or a property of the current object whose name holds a
    // point (Memo.Count).
    if (name.find('.') != std::string::npos) {
        const TrpObjectProperty target = ResolveObjectProperty(name, state.View, Pages);
        if (target.Object != nullptr && target.Object->FindProperty(target.Property) != nullptr) {
            value = target.Object->ReadProperty(UpperName(target.Property));
            return;
        }
    }
    const TrpVariables& constants = EngineGlobals().ScriptConstants;
    const int index = constants.IndexOf(name);
    if (index >= 0)
        value = constants.GetValue(index);
}

void TrpReport::EvaluateBracket(const std::string& text, std::string& result)
{
    TrpRunState& state = RunState();
    state.NameUnderEvaluation.clear();
    const TrpView* view = state.View;
    std::int32_t code = view != nullptr ? view->DisplayFormat : 0;
    std::string custom = view != nullptr ? view->FormatString : std::string();
    std::string expression;
    ParseInlineFormat(text, expression, code, custom);

    state.Expression = expression;
    state.Value = Variant(std::int32_t{0});
    Variant value;
    ResolveVariable(expression, value);
    if (view != nullptr && (view->Flags & MemoFlag::HideZeros) != 0 && !value.isText() && !value.isNull() &&
        VarCmp(value, Variant(std::int32_t{0}), Settings) == VarCmpResult::Equal)
        value = Variant(std::string());
    state.Value = value;
    if (!state.MeasuringPass)
        FormatValue(value, code, custom, result);
}

void TrpReport::FormatValue(const Variant& value, std::int32_t code, const std::string& customFormat,
                            std::string& result)
{
    result = FormatDisplayValue(value, code, customFormat, Settings, EngineGlobals().FormatTexts);
}

} // namespace report
