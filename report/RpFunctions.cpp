#include "RpFunctions.h"

#include "RP_Intrp.h"
#include "RpGlobals.h"

#include <algorithm>

namespace report {

// ---- TrpFunctionLibrary ---------------------------------------------------------

bool TrpFunctionLibrary::HandleFunction(const std::string& name, const Variant& p1, const Variant& p2,
                                        const Variant& p3, Variant& val)
{
    const auto it = std::find(List.begin(), List.end(), name);
    if (it == List.end())
        return false;
    EvaluateFunction(static_cast<int>(it - List.begin()), p1, p2, p3, val);
    return true;
}

void TrpFunctionLibrary::AddFunctionInfo(const std::string& name, const std::string& category,
                                         const std::string& description)
{
    if (installed_ != nullptr)
        installed_->Add(*this, name, category, description);
}

Variant TrpFunctionLibrary::Eval(const Variant& argument)
{
    return EngineGlobals().Parser.Evaluate(argument.isNull() ? std::string() : argument.toText());
}

std::string TrpFunctionLibrary::EvalText(const Variant& argument)
{
    const Variant value = Eval(argument);
    return value.isNull() ? std::string() : value.toText(EngineGlobals().Parser.Settings);
}

// ---- TrpInstalledFunctions ------------------------------------------------------

void TrpInstalledFunctions::Add(const TrpFunctionLibrary& library, const std::string& name,
                                const std::string& category, const std::string& description)
{
    if (description.empty())
        return;
    for (const auto& entry : entries_)
        if (entry.Name == name)
            return;
    entries_.push_back({&library, name, category, description});
}

void TrpInstalledFunctions::RemoveLibrary(const TrpFunctionLibrary& library)
{
    const std::string className = library.ClassName();
    std::erase_if(entries_, [&](const Entry& entry) { return entry.Library->ClassName() == className; });
}

// ---- TrpFunctionLibraries -------------------------------------------------------

TrpFunctionLibraries::~TrpFunctionLibraries()
{
    while (!libraries_.empty())
        Unregister(libraries_.back()->ClassName());
}

bool TrpFunctionLibraries::Register(const std::string& className, const Factory& create)
{
    for (const auto& library : libraries_)
        if (library->ClassName() == className)
            return false;
    if (libraries_.size() >= kMaxLibraries)
        return false;
    libraries_.push_back(create());
    libraries_.back()->installed_ = &installed_;
    libraries_.back()->AddDescriptions();
    return true;
}

void TrpFunctionLibraries::Unregister(const std::string& className)
{
    const auto it = std::find_if(libraries_.begin(), libraries_.end(),
                                 [&](const auto& library) { return library->ClassName() == className; });
    if (it == libraries_.end())
        return;
    installed_.RemoveLibrary(**it);
    libraries_.erase(it);
}

bool TrpFunctionLibraries::Handle(const std::string& name, const Variant& p1, const Variant& p2, const Variant& p3,
                                  Variant& val)
{
    // A library may install or remove libraries while it runs: ask by
    // index, never through an iterator that such a change would invalidate.
    for (std::size_t i = 0; i < libraries_.size(); ++i)
        if (libraries_[i]->HandleFunction(name, p1, p2, p3, val))
            return true;
    return false;
}

bool RegisterFunctionLibrary(const std::string& className, const TrpFunctionLibraries::Factory& create)
{
    return EngineGlobals().Libraries.Register(className, create);
}

void UnregisterFunctionLibrary(const std::string& className)
{
    EngineGlobals().Libraries.Unregister(className);
}

void AddFunctionDescription(const TrpFunctionLibrary& library, const std::string& name, const std::string& category,
                            const std::string& description)
{
    EngineGlobals().InstalledFunctions.Add(library, name, category, description);
}

// ---- TAggregateFunctionsSplitter ------------------------------------------------

TAggregateFunctionsSplitter::TAggregateFunctionsSplitter(std::vector<std::string>& found, TrpVariables* variables)
    : found_(found), variables_(variables)
{
}

void TAggregateFunctionsSplitter::SplitMemo(const std::vector<std::string>& lines)
{
    TrpFunctionSplitter splitter(MatchFunctions, found_, variables_);
    for (const auto& line : lines) {
        std::size_t pos = 0;
        while (pos < line.size()) {
            std::size_t start = pos;
            std::size_t end = pos;
            const std::string inner = ExtractBracketed(line, start, end);
            if (start >= line.size())
                break;
            splitter.Split("[" + inner + "]");
            pos = end + 1;
        }
    }
}

void TAggregateFunctionsSplitter::SplitScript(const std::vector<std::string>& lines)
{
    if (lines.empty())
        return;
    TrpInterpretator interpreter;
    std::vector<std::string> coded, errors;
    interpreter.Compile(lines, coded, errors);
    if (!errors.empty())
        return;
    interpreter.CollectAggregates(coded, MatchFunctions, variables_, found_);
}

} // namespace report
