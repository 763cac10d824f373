#pragma once
// The expression evaluator of the report engine.
//
// TrpParser turns an infix expression into a compact postfix text once
// (ToPostfix) and evaluates that text on a stack of 32 values as often as
// needed (EvalPostfix).  Names and functions it does not know itself go to
// its owner through OnGetValue and OnFunction.
//
// Postfix text: an operand is its source text and one blank (a number, a
// quoted string, a name, a name with a bracketed index, a bracketed
// variable); a function call is its whole source text with no blank after
// it; an operator is one character: + - * / < = > for themselves and the
// codes of PostfixCode below.
//
// Positions in this interface are 0-based offsets into the text.

#include "Variant.h"

#include <functional>
#include <string>
#include <vector>

namespace report {

class TrpVariables;

// Asked for the value of a plain name (upper-cased) and of a bracketed
// variable (exactly as written between the brackets).  The value starts as
// Null.
using TGetValueEvent = std::function<void(const std::string& name, Variant& value)>;
// Asked for every function call the evaluator does not handle itself, with
// the upper-cased name and up to three argument texts, unevaluated; missing
// arguments are empty texts.  Val starts as Null.
using TFunctionEvent = std::function<void(const std::string& name, const Variant& p1, const Variant& p2,
                                          const Variant& p3, Variant& val)>;

// The operator codes of postfix texts other than + - * / < = >.
namespace PostfixCode {
constexpr char GreaterEqual = 1;
constexpr char LessEqual = 2;
constexpr char NotEqual = 3;
constexpr char Or = 4;
constexpr char And = 5;
constexpr char Int = 6;
constexpr char Frac = 7;
constexpr char Negate = 9;
constexpr char Plus = 10;  // unary plus: does nothing
constexpr char Str = 11;
constexpr char Not = 12;
constexpr char Mod = 13;
constexpr char Round = 14;
} // namespace PostfixCode

// Cuts a bracketed text out of a longer one.  Looks for the first "[" at or
// after start; start is moved to it and end to its matching "]", and what
// lies between is returned.  Brackets inside single or double quotes do not
// count.  Without a matching "]", end is text.size() and the rest of the
// text is returned; without any "[", start and end are text.size() and the
// result is empty.
std::string ExtractBracketed(const std::string& text, std::size_t& start, std::size_t& end);

class TrpParser {
public:
    static constexpr int kStackSize = 32;
    static constexpr std::size_t kMaxArguments = 3;
    // Evaluations and conversions inside one another (IF, COPY, GETARRAY and
    // the owner's callbacks) beyond this depth are refused.
    static constexpr int kMaxNesting = 128;

    TGetValueEvent OnGetValue;
    TFunctionEvent OnFunction;
    // The decimal separator of number literals and of conversions, and the
    // date and time formats of STRTODATE and STRTOTIME.
    FormatSettings Settings;

    // Raises Exception with an empty message when the parentheses of a
    // function call do not balance, and EParserError for what the value
    // stack cannot evaluate: more than 32 values at once, an operator
    // without its operands (a*-b), more than three arguments, an unclosed
    // "(".
    std::string ToPostfix(const std::string& expression);
    // Entry 1 of the stack when the text is done; 0 for an empty text.
    // Conversion errors, variant errors and the callbacks' exceptions pass
    // out unchanged.
    Variant EvalPostfix(const std::string& postfix);
    Variant Evaluate(const std::string& expression);

    // Token readers, shared with the function splitter.
    // Skips characters up to blank, then takes characters up to CR, blank,
    // ( ) * + - / < = > [ or the end; inside an odd number of double quotes
    // those characters are taken too.  pos is left on the ending character.
    static std::string ReadOperand(const std::string& text, std::size_t& pos);
    // From the single quote at pos to the next single quote that is not
    // doubled (or the end); returns the text with its quotes, pos after it.
    static std::string ReadQuoted(const std::string& text, std::size_t& pos);
    // A quoted string without its quotes, doubled quotes reduced to one.
    static std::string Unquote(const std::string& quoted);
    // From the "(" at pos to its matching ")", pos after it: every argument,
    // trimmed.  Single-quoted parentheses and commas do not count.  Raises
    // Exception with an empty message when the text ends first.
    static std::vector<std::string> SplitArguments(const std::string& text, std::size_t& pos);

private:
    struct Token;
    class NestingGuard;

    bool NextToken(const std::string& postfix, std::size_t& pos, Token& token) const;
    void CheckPostfix(const std::string& postfix);
    Variant CallBuiltIn(const Token& token, bool& handled);

    int nesting_ = 0;
};

// The engine's named values: an ordered list of names, compared without
// regard to letter case, each with its value.  Every index operation
// ignores an index outside 0..count-1.
class TrpVariables {
public:
    void Clear();
    // Adds the name when absent, overwrites its value otherwise.
    void SetVariable(const std::string& name, const Variant& value);
    // Null when absent.
    Variant GetVariable(const std::string& name) const;
    // Integer 0 when out of range.
    Variant GetValue(int index) const;
    void SetValue(int index, const Variant& value);
    int IndexOf(const std::string& name) const;
    int GetCount() const;
    // Empty when out of range.
    std::string GetName(int index) const;
    // Renames an entry; ignored when another entry already has the name.
    // A sorted list moves the entry to its new place.
    void SetName(int index, const std::string& name);
    void Delete(int index);
    // A sorted list keeps its names in order (letter case ignored) and
    // finds them by binary search.
    void SetSorted(bool sorted);
    bool GetSorted() const { return sorted_; }

private:
    struct Entry {
        std::string name;
        Variant value;
    };

    bool InRange(int index) const { return index >= 0 && static_cast<std::size_t>(index) < entries_.size(); }
    std::size_t LowerBound(const std::string& name) const;

    std::vector<Entry> entries_;
    bool sorted_ = false;
};

// Collects the calls of given functions (the aggregates) out of an
// expression, innermost calls included, expanding the names of variables
// into their values on the way.
class TrpFunctionSplitter {
public:
    // The splitter keeps references to the three; it owns none of them.
    // variables may be null.
    TrpFunctionSplitter(const std::vector<std::string>& functionNames, std::vector<std::string>& found,
                        TrpVariables* variables);

    // Appends to the found list the source text of every call of a listed
    // function (names compared without regard to letter case).
    void Split(const std::string& expression);

    // Variable values expanded by one Split beyond this count are refused.
    static constexpr int kMaxExpansions = 10000;

private:
    void SplitText(const std::string& text, int depth);
    void Expand(const std::string& name, int depth);
    bool IsFunctionName(const std::string& name) const;

    const std::vector<std::string>& functionNames_;
    std::vector<std::string>& found_;
    TrpVariables* variables_;
    std::vector<std::string> expanding_;  // variables being expanded, against cycles
    int expansions_ = 0;
};

} // namespace report
