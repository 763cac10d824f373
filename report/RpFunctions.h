#pragma once
// Function libraries: the functions that expressions call and that the
// evaluator does not know itself.
//
// A running report asks every installed library in turn (in the order of
// installation), then its own commands, then the application.  A library
// lists the names it handles in upper case; a name's position in the list
// is the index its evaluation receives.  Arguments arrive as expression
// texts: a function evaluates the ones it needs, so an argument may be any
// expression.

#include "RP_Pars.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace report {

class TrpInstalledFunctions;

class TrpFunctionLibrary {
public:
    TrpFunctionLibrary() = default;
    virtual ~TrpFunctionLibrary() = default;
    TrpFunctionLibrary(const TrpFunctionLibrary&) = delete;
    TrpFunctionLibrary& operator=(const TrpFunctionLibrary&) = delete;

    // The library's class name: a library is installed once per name.
    virtual std::string ClassName() const = 0;

    // False when the name is not in List; otherwise evaluates the function
    // into val and answers True.
    bool HandleFunction(const std::string& name, const Variant& p1, const Variant& p2, const Variant& p3,
                        Variant& val);
    virtual void EvaluateFunction(int index, const Variant& p1, const Variant& p2, const Variant& p3,
                                  Variant& val) = 0;

    // Enters the library's functions in the designer's list; called once
    // when the library is installed.
    virtual void AddDescriptions() {}
    // One function in the designer's list: nothing when the description is
    // empty or the name is there already.
    void AddFunctionInfo(const std::string& name, const std::string& category, const std::string& description);

    std::vector<std::string> List;

protected:
    // The value of an argument text by the engine's evaluator.
    static Variant Eval(const Variant& argument);
    // An argument's value as text (Null as "").
    static std::string EvalText(const Variant& argument);

private:
    friend class TrpFunctionLibraries;
    TrpInstalledFunctions* installed_ = nullptr;
};

// The functions known to a report designer, with their library, category
// and description.
class TrpInstalledFunctions {
public:
    struct Entry {
        const TrpFunctionLibrary* Library = nullptr;
        std::string Name;
        std::string Category;
        std::string Description;
    };

    void Add(const TrpFunctionLibrary& library, const std::string& name, const std::string& category,
             const std::string& description);
    // Removes every entry of a library of the same class name.
    void RemoveLibrary(const TrpFunctionLibrary& library);
    const std::vector<Entry>& Entries() const { return entries_; }

private:
    std::vector<Entry> entries_;
};

// The installed libraries, asked in the order of installation.
class TrpFunctionLibraries {
public:
    static constexpr std::size_t kMaxLibraries = 64;
    using Factory = std::function<std::unique_ptr<TrpFunctionLibrary>()>;

    explicit TrpFunctionLibraries(TrpInstalledFunctions& installed) : installed_(installed) {}
    TrpFunctionLibraries(const TrpFunctionLibraries&) = delete;
    TrpFunctionLibraries& operator=(const TrpFunctionLibraries&) = delete;
    ~TrpFunctionLibraries();

    // Creates and appends a library unless one of that class name is
    // installed; false when it is, or when the table is full.
    bool Register(const std::string& className, const Factory& create);
    // Removes the library of that class name and its designer entries.
    void Unregister(const std::string& className);
    // True when a library handled the call.
    bool Handle(const std::string& name, const Variant& p1, const Variant& p2, const Variant& p3, Variant& val);
    std::size_t Count() const { return libraries_.size(); }
    TrpFunctionLibrary& Library(std::size_t index) const { return *libraries_.at(index); }

private:
    TrpInstalledFunctions& installed_;
    std::vector<std::unique_ptr<TrpFunctionLibrary>> libraries_;
};

// The engine's library table (EngineGlobals).
template <class Library>
bool RegisterFunctionLibrary();
bool RegisterFunctionLibrary(const std::string& className, const TrpFunctionLibraries::Factory& create);
void UnregisterFunctionLibrary(const std::string& className);
void AddFunctionDescription(const TrpFunctionLibrary& library, const std::string& name, const std::string& category,
                            const std::string& description);

template <class Library>
bool RegisterFunctionLibrary()
{
    return RegisterFunctionLibrary(Library().ClassName(), [] { return std::make_unique<Library>(); });
}

// Collects the aggregate calls (AVG, COUNT, MAX, MIN, SUM) of text-object
// lines and of scripts, so that the band engine can register them before
// the data loop.  Dictionary variables are expanded on the way.
class TAggregateFunctionsSplitter {
public:
    TAggregateFunctionsSplitter(std::vector<std::string>& found, TrpVariables* variables);

    // Every bracketed expression of each line.
    void SplitMemo(const std::vector<std::string>& lines);
    // The expressions of a script (compiled for the purpose; a script that
    // does not compile yields nothing).
    void SplitScript(const std::vector<std::string>& lines);

    std::vector<std::string> MatchFunctions{"AVG", "COUNT", "MAX", "MIN", "SUM"};

private:
    std::vector<std::string>& found_;
    TrpVariables* variables_;
};

} // namespace report
