#include "RP_Pars.h"

#include "Exceptions.h"
#include "RpText.h"
#include "VariantRules.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace report {

namespace {

// The operators of expressions.  A lower priority binds tighter; an open
// parenthesis on the operator stack counts as priority 5.
struct OperatorInfo {
    const char* source;  // as written in expressions (and shown in errors)
    char code;           // the character written into postfix texts
    int priority;
    int operands;
};

constexpr OperatorInfo kOperators[] = {
    {"INT", PostfixCode::Int, 0, 1},
    {"FRAC", PostfixCode::Frac, 0, 1},
    {"ROUND", PostfixCode::Round, 0, 1},
    {"STR", PostfixCode::Str, 0, 1},
    {"*", '*', 1, 2},
    {"/", '/', 1, 2},
    {"AND", PostfixCode::And, 1, 2},
    {"OR", PostfixCode::Or, 1, 2},
    {"MOD", PostfixCode::Mod, 1, 2},
    {"NOT", PostfixCode::Not, 1, 1},
    {"+", '+', 2, 2},
    {"-", '-', 2, 2},
    {"-", PostfixCode::Negate, 2, 1},
    {"+", PostfixCode::Plus, 2, 1},
    {"<", '<', 3, 2},
    {"=", '=', 3, 2},
    {">", '>', 3, 2},
    {">=", PostfixCode::GreaterEqual, 3, 2},
    {"<=", PostfixCode::LessEqual, 3, 2},
    {"<>", PostfixCode::NotEqual, 3, 2},
};

constexpr int kOpenParenPriority = 5;

// The operator table by postfix code; null for characters that are not
// operators.
constexpr std::array<const OperatorInfo*, 256> MakeOperatorIndex()
{
    std::array<const OperatorInfo*, 256> index{};
    for (const OperatorInfo& info : kOperators)
        index[static_cast<unsigned char>(info.code)] = &info;
    return index;
}

constexpr std::array<const OperatorInfo*, 256> kOperatorByCode = MakeOperatorIndex();

const OperatorInfo* FindOperator(char code)
{
    return kOperatorByCode[static_cast<unsigned char>(code)];
}

// The words that stand for operators in expressions.
const OperatorInfo* FindKeyword(const std::string& upper)
{
    for (const OperatorInfo& info : kOperators)
        if (info.source[0] >= 'A' && info.source[0] <= 'Z' && upper == info.source)
            return &info;
    return nullptr;
}

bool IsBlank(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

bool IsOperandEnd(char c)
{
    switch (c) {
    case '\r':
    case ' ':
    case '(':
    case ')':
    case '*':
    case '+':
    case '-':
    case '/':
    case '<':
    case '=':
    case '>':
    case '[':
        return true;
    default:
        return false;
    }
}

bool StartsNumber(char c)
{
    return (c >= '0' && c <= '9') || c == ',' || c == '.';
}

std::string Upper(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

unsigned char UpperChar(char c)
{
    return static_cast<unsigned char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
}

// Letter case ignored (ASCII letters), other bytes compared as unsigned.
int CompareNoCase(const std::string& a, const std::string& b)
{
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char x = UpperChar(a[i]), y = UpperChar(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

bool EqualsNoCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && CompareNoCase(a, b) == 0;
}

std::string Trim(const std::string& text)
{
    std::size_t b = 0, e = text.size();
    while (b < e && IsBlank(text[b]))
        ++b;
    while (e > b && IsBlank(text[e - 1]))
        --e;
    return text.substr(b, e - b);
}

[[noreturn]] void MissingOperand(const OperatorInfo& info)
{
    throw EParserError(std::string("Missing operand for \"") + info.source + "\"");
}

[[noreturn]] void TooComplex()
{
    throw EParserError("Expression too complex: more than " + std::to_string(TrpParser::kStackSize) +
                       " values at once");
}

[[noreturn]] void TooManyArguments(const std::string& name)
{
    throw EParserError("Too many arguments for " + name + ": at most " + std::to_string(TrpParser::kMaxArguments));
}

[[noreturn]] void NestedTooDeeply()
{
    throw EParserError("Expression nested too deeply");
}

bool IsBuiltIn(const std::string& upperName)
{
    return upperName == "IF" || upperName == "COPY" || upperName == "STRTODATE" || upperName == "STRTOTIME";
}

// A variable's value as the splitter reads it: Null and values that have no
// text form read as nothing.
std::string TextOf(const Variant& value)
{
    if (value.isNull())
        return {};
    try {
        return value.toText();
    } catch (const Exception&) {
        return {};
    }
}

} // namespace

// One token of a postfix text, read the way the evaluator reads it.
struct TrpParser::Token {
    enum class Kind { Operator, Bracketed, Quoted, Number, Boolean, Indexed, Call, Name };
    Kind kind = Kind::Name;
    const OperatorInfo* op = nullptr;  // Operator
    std::string text;                  // operand text, bracket contents, unquoted string, name as written
    std::string index;                 // Indexed: the text inside the brackets
    std::vector<std::string> args;     // Call
};

class TrpParser::NestingGuard {
public:
    explicit NestingGuard(int& depth) : depth_(depth)
    {
        if (depth_ >= kMaxNesting)
            NestedTooDeeply();
        ++depth_;
    }
    ~NestingGuard() { --depth_; }
    NestingGuard(const NestingGuard&) = delete;
    NestingGuard& operator=(const NestingGuard&) = delete;

private:
    int& depth_;
};

std::string ExtractBracketed(const std::string& text, std::size_t& start, std::size_t& end)
{
    const std::size_t open = start < text.size() ? text.find('[', start) : std::string::npos;
    if (open == std::string::npos) {
        start = end = text.size();
        return {};
    }
    start = open;
    int count = 0;
    bool inSingle = false, inDouble = false;
    for (std::size_t i = open; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"' && !inSingle) {
            inDouble = !inDouble;
        } else if (c == '\'' && !inDouble) {
            inSingle = !inSingle;
        } else if (!inSingle && !inDouble) {
            if (c == '[') {
                ++count;
            } else if (c == ']' && --count == 0) {
                end = i;
                return text.substr(open + 1, i - open - 1);
            }
        }
    }
    end = text.size();
    return text.substr(open + 1);
}

// ---------------------------------------------------------------------------
// Token readers

std::string TrpParser::ReadOperand(const std::string& text, std::size_t& pos)
{
    while (pos < text.size() && IsBlank(text[pos]))
        ++pos;
    const std::size_t start = pos;
    bool insideDoubleQuotes = false;
    for (; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (c == '"')
            insideDoubleQuotes = !insideDoubleQuotes;
        else if (!insideDoubleQuotes && IsOperandEnd(c))
            break;
    }
    return text.substr(start, pos - start);
}

std::string TrpParser::ReadQuoted(const std::string& text, std::size_t& pos)
{
    const std::size_t start = pos;
    ++pos;
    while (pos < text.size()) {
        if (text[pos] == '\'') {
            if (pos + 1 < text.size() && text[pos + 1] == '\'') {
                pos += 2;
                continue;
            }
            ++pos;
            return text.substr(start, pos - start);
        }
        ++pos;
    }
    return text.substr(start);
}

std::string TrpParser::Unquote(const std::string& quoted)
{
    std::string result;
    for (std::size_t i = 1; i < quoted.size(); ++i) {
        if (quoted[i] == '\'') {
            if (i + 1 < quoted.size() && quoted[i + 1] == '\'') {
                result += '\'';
                ++i;
                continue;
            }
            break;  // the closing quote
        }
        result += quoted[i];
    }
    return result;
}

std::vector<std::string> TrpParser::SplitArguments(const std::string& text, std::size_t& pos)
{
    std::vector<std::string> args;
    std::string current;
    int depth = 1;
    bool inString = false;
    ++pos;  // the "("
    while (pos < text.size()) {
        const char c = text[pos++];
        if (c == '\'') {
            inString = !inString;
        } else if (!inString) {
            if (c == '(') {
                ++depth;
            } else if (c == ')') {
                if (--depth == 0) {
                    args.push_back(Trim(current));
                    return args;
                }
            } else if (c == ',' && depth == 1) {
                args.push_back(Trim(current));
                current.clear();
                continue;
            }
        }
        current += c;
    }
    throw Exception();
}

// ---------------------------------------------------------------------------
// Conversion to postfix

std::string TrpParser::ToPostfix(const std::string& expression)
{
    NestingGuard guard(nesting_);
    const std::string& s = expression;
    const std::size_t n = s.size();
    std::string out;
    std::string stack;  // operator stack, top at the back
    bool lastWasOperand = false;
    std::size_t i = 0;

    while (i < n) {
        const char c = s[i];
        if (IsBlank(c)) {
            ++i;
            continue;
        }
        if (c == ';')
            break;
        if (c == '(') {
            stack.push_back('(');
            lastWasOperand = false;
            ++i;
            continue;
        }
        if (c == ')') {
            const std::size_t open = stack.rfind('(');
            if (open != std::string::npos) {
                for (std::size_t k = stack.size(); k > open + 1; --k)
                    out += stack[k - 1];
                stack.resize(open);
            }
            ++i;
            continue;
        }

        const OperatorInfo* op = nullptr;
        const char next = i + 1 < n ? s[i + 1] : '\0';
        if (c == '<' && next == '>') {
            op = FindOperator(PostfixCode::NotEqual);
            i += 2;
        } else if (c == '>' && next == '=') {
            op = FindOperator(PostfixCode::GreaterEqual);
            i += 2;
        } else if (c == '<' && next == '=') {
            op = FindOperator(PostfixCode::LessEqual);
            i += 2;
        } else if (c == '*' || c == '+' || c == '-' || c == '/' || c == '<' || c == '=' || c == '>') {
            op = FindOperator(c);
            ++i;
        } else {
            // An operand: [%x] then a quoted string, a bracketed variable or
            // a word, then perhaps a bracketed index.
            const std::size_t start = i;
            std::string text;
            if (c == '%') {
                text = s.substr(i, 2);
                i = std::min(i + 2, n);
            }
            if (i < n && s[i] == '\'') {
                text += ReadQuoted(s, i);
            } else if (i < n && s[i] == '[') {
                std::size_t b = i, e = 0;
                ExtractBracketed(s, b, e);
                text += s.substr(b, e - b + 1);
                i = std::min(e + 1, n);
            } else {
                text += ReadOperand(s, i);
            }
            if (i < n && s[i] == '[') {
                std::size_t b = i, e = 0;
                ExtractBracketed(s, b, e);
                text += s.substr(b, e - b + 1);
                i = std::min(e + 1, n);
            }

            if (!text.empty() && StartsNumber(text[0])) {
                out += text + ' ';
            } else if ((op = FindKeyword(Upper(text))) != nullptr) {
                // INT, FRAC, ROUND, STR, AND, OR, NOT, MOD: an operator
            } else if (i < n && s[i] == '(') {
                const std::vector<std::string> args = SplitArguments(s, i);
                if (args.size() > kMaxArguments)
                    TooManyArguments(Upper(text));
                out += s.substr(start, i - start);
            } else {
                out += text + ' ';
            }
            if (op == nullptr) {
                lastWasOperand = true;
                continue;
            }
        }

        if (!lastWasOperand) {
            if (op->code == '-')
                op = FindOperator(PostfixCode::Negate);
            else if (op->code == '+')
                op = FindOperator(PostfixCode::Plus);
        }
        const auto priorityOf = [](char code) {
            return code == '(' ? kOpenParenPriority : FindOperator(code)->priority;
        };
        if (!stack.empty() && op->priority >= priorityOf(stack.back())) {
            while (!stack.empty() && op->priority >= priorityOf(stack.back())) {
                out += stack.back();
                stack.pop_back();
            }
        }
        stack.push_back(op->code);
        lastWasOperand = false;
    }

    while (!stack.empty()) {
        if (stack.back() == '(')
            throw EParserError("Missing \")\" in expression");
        out += stack.back();
        stack.pop_back();
    }
    CheckPostfix(out);
    return out;
}

// Walks a postfix text the way EvalPostfix does, counting values instead of
// computing them, so that what the stack cannot evaluate is refused here.
// The argument texts of IF, COPY, STRTODATE and STRTOTIME, which the
// evaluator converts itself, are checked the same way.
void TrpParser::CheckPostfix(const std::string& postfix)
{
    int depth = 0;
    std::size_t pos = 0;
    Token token;
    while (NextToken(postfix, pos, token)) {
        if (token.kind == Token::Kind::Operator) {
            if (depth < token.op->operands)
                MissingOperand(*token.op);
            depth -= token.op->operands - 1;
            continue;
        }
        if (token.kind == Token::Kind::Call) {
            const std::string name = Upper(token.text);
            if (token.args.size() > kMaxArguments)
                TooManyArguments(name);
            if (IsBuiltIn(name))
                for (const std::string& arg : token.args)
                    ToPostfix(arg);
        }
        if (++depth > kStackSize)
            TooComplex();
    }
}

// ---------------------------------------------------------------------------
// Evaluation

bool TrpParser::NextToken(const std::string& s, std::size_t& pos, Token& token) const
{
    const std::size_t n = s.size();
    while (pos < n) {
        const char c = s[pos];
        if (c == ' ') {
            ++pos;
            continue;
        }
        if (const OperatorInfo* op = FindOperator(c)) {
            token.kind = Token::Kind::Operator;
            token.op = op;
            ++pos;
            return true;
        }
        if (c == '[') {
            std::size_t b = pos, e = 0;
            token.kind = Token::Kind::Bracketed;
            token.text = ExtractBracketed(s, b, e);
            pos = std::min(e + 1, n);
            return true;
        }
        if (c == '\'') {
            token.kind = Token::Kind::Quoted;
            token.text = Unquote(ReadQuoted(s, pos));
            return true;
        }

        const std::size_t start = pos;
        token.text = ReadOperand(s, pos);
        const char next = pos < n ? s[pos] : '\0';
        if (token.text.empty() && next != '(' && next != '[') {
            // Nothing but characters that end operands: nothing to push.
            if (pos == start)
                ++pos;
            continue;
        }
        const std::string upper = Upper(token.text);
        if (!token.text.empty() && StartsNumber(token.text[0])) {
            token.kind = Token::Kind::Number;
        } else if (upper == "TRUE" || upper == "FALSE") {
            token.kind = Token::Kind::Boolean;
        } else if (next == '[') {
            std::size_t b = pos, e = 0;
            token.kind = Token::Kind::Indexed;
            token.index = ExtractBracketed(s, b, e);
            pos = std::min(e + 1, n);
        } else if (next == '(') {
            token.kind = Token::Kind::Call;
            token.args = SplitArguments(s, pos);
        } else {
            token.kind = Token::Kind::Name;
        }
        return true;
    }
    return false;
}

Variant TrpParser::CallBuiltIn(const Token& token, bool& handled)
{
    handled = true;
    const std::string name = Upper(token.text);
    const auto arg = [&](std::size_t k) { return k < token.args.size() ? token.args[k] : std::string(); };
    if (name == "COPY") {
        const std::string text = Evaluate(arg(0)).toText(Settings);
        const std::int32_t from = StrToInt(Evaluate(arg(1)).toText(Settings));
        const std::int32_t count = StrToInt(Evaluate(arg(2)).toText(Settings));
        return Variant(TextCopy(text, from, count));
    }
    if (name == "IF") {
        const double condition = StrToFloat(Evaluate(arg(0)).toText(Settings), Settings.decimalSeparator);
        return std::trunc(condition) != 0 ? Evaluate(arg(1)) : Evaluate(arg(2));
    }
    if (name == "STRTODATE")
        return Variant::dateTime(StrToDate(Evaluate(arg(0)).toText(Settings), Settings));
    if (name == "STRTOTIME")
        return Variant::dateTime(StrToTime(Evaluate(arg(0)).toText(Settings), Settings));
    handled = false;
    return {};
}

namespace {

Variant Compare(VarCmpResult result, char code)
{
    bool yes = false;
    if (result != VarCmpResult::Null) {
        switch (code) {
        case '<':
            yes = result == VarCmpResult::Less;
            break;
        case '=':
            yes = result == VarCmpResult::Equal;
            break;
        case '>':
            yes = result == VarCmpResult::Greater;
            break;
        case PostfixCode::GreaterEqual:
            yes = result != VarCmpResult::Less;
            break;
        case PostfixCode::LessEqual:
            yes = result != VarCmpResult::Greater;
            break;
        case PostfixCode::NotEqual:
            yes = result != VarCmpResult::Equal;
            break;
        default:
            break;
        }
    }
    return Variant(std::int32_t{yes ? 1 : 0});
}

bool EqualsZero(const Variant& v, const FormatSettings& settings)
{
    return VarCmp(v, Variant(std::int32_t{0}), settings) == VarCmpResult::Equal;
}

Variant Binary(char code, const Variant& a, const Variant& b, const FormatSettings& settings)
{
    switch (code) {
    case '+':
        return VarAdd(a, b, settings);
    case '-':
        return VarSub(a, b, settings);
    case '*':
        return VarMul(a, b, settings);
    case '/':
        return EqualsZero(b, settings) ? Variant(std::int32_t{0}) : VarDiv(a, b, settings);
    case PostfixCode::Or:
        return VarOr(a, b, settings);
    case PostfixCode::And:
        return VarAnd(a, b, settings);
    case PostfixCode::Mod:
        return VarMod(a, b, settings);
    default:
        return Compare(VarCmp(a, b, settings), code);
    }
}

Variant Unary(char code, const Variant& v, const FormatSettings& settings)
{
    switch (code) {
    case PostfixCode::Negate:
        return VarNeg(v, settings);
    case PostfixCode::Int: {
        const double real = v.toReal(settings);
        const double whole = RoundHalfEven(real);
        return Variant(std::fabs(whole - real) < 1e-10 ? whole : std::trunc(real));
    }
    case PostfixCode::Frac: {
        double real = v.toReal(settings);
        const double whole = RoundHalfEven(real);
        if (std::fabs(whole - real) < 1e-10)
            real = whole;
        return Variant(real - std::trunc(real));
    }
    case PostfixCode::Round:
        return Variant(RoundHalfEven(v.toReal(settings)));
    case PostfixCode::Str:
        return v.isNull() ? Variant(std::string()) : Variant(v.toText(settings));
    case PostfixCode::Not:
        return Variant(std::int32_t{EqualsZero(v, settings) ? 1 : 0});
    default:  // unary plus
        return v;
    }
}

} // namespace

Variant TrpParser::EvalPostfix(const std::string& postfix)
{
    NestingGuard guard(nesting_);
    std::array<Variant, kStackSize + 1> stack;  // entries 1..32
    stack[1] = Variant(std::int32_t{0});
    int st = 1;  // the next free entry
    std::size_t pos = 0;
    Token token;

    while (NextToken(postfix, pos, token)) {
        if (token.kind == Token::Kind::Operator) {
            const char code = token.op->code;
            if (code == PostfixCode::Plus)
                continue;
            if (st - 1 < token.op->operands)
                MissingOperand(*token.op);
            if (token.op->operands == 2) {
                stack[st - 2] = Binary(code, stack[st - 2], stack[st - 1], Settings);
                --st;
            } else {
                stack[st - 1] = Unary(code, stack[st - 1], Settings);
            }
            continue;
        }

        if (st > kStackSize)
            TooComplex();
        Variant& slot = stack[st];
        switch (token.kind) {
        case Token::Kind::Bracketed:
            slot = Variant::null();
            if (OnGetValue)
                OnGetValue(token.text, slot);
            break;
        case Token::Kind::Quoted:
            slot = Variant(token.text);
            break;
        case Token::Kind::Number: {
            std::string text = token.text;
            for (char& c : text)
                if (c == ',' || c == '.')
                    c = Settings.decimalSeparator;
            double value = 0;
            if (!TryTextToReal(text, Settings.decimalSeparator, value))
                throw EConvertError("'" + token.text + "' is not a valid floating point value");
            slot = Variant(value);
            break;
        }
        case Token::Kind::Boolean:
            slot = Variant(Upper(token.text) == "TRUE");
            break;
        case Token::Kind::Indexed:
            slot = Evaluate("GETARRAY(" + token.text + ", " + token.index + ")");
            break;
        case Token::Kind::Call: {
            if (token.args.size() > kMaxArguments)
                TooManyArguments(Upper(token.text));
            bool handled = false;
            Variant value = CallBuiltIn(token, handled);
            if (handled) {
                slot = std::move(value);
                break;
            }
            const auto arg = [&](std::size_t k) {
                return Variant(k < token.args.size() ? token.args[k] : std::string());
            };
            slot = Variant::null();
            if (OnFunction)
                OnFunction(Upper(token.text), arg(0), arg(1), arg(2), slot);
            break;
        }
        case Token::Kind::Name:
            slot = Variant::null();
            if (OnGetValue)
                OnGetValue(Upper(token.text), slot);
            break;
        case Token::Kind::Operator:
            break;
        }
        ++st;
    }
    return stack[1];
}

Variant TrpParser::Evaluate(const std::string& expression)
{
    return EvalPostfix(ToPostfix(expression));
}

// ---------------------------------------------------------------------------
// TrpVariables

void TrpVariables::Clear()
{
    entries_.clear();
}

std::size_t TrpVariables::LowerBound(const std::string& name) const
{
    const auto it = std::lower_bound(entries_.begin(), entries_.end(), name, [](const Entry& e, const std::string& n) {
        return CompareNoCase(e.name, n) < 0;
    });
    return static_cast<std::size_t>(it - entries_.begin());
}

int TrpVariables::IndexOf(const std::string& name) const
{
    if (sorted_) {
        const std::size_t k = LowerBound(name);
        return k < entries_.size() && EqualsNoCase(entries_[k].name, name) ? static_cast<int>(k) : -1;
    }
    for (std::size_t k = 0; k < entries_.size(); ++k)
        if (EqualsNoCase(entries_[k].name, name))
            return static_cast<int>(k);
    return -1;
}

void TrpVariables::SetVariable(const std::string& name, const Variant& value)
{
    const int index = IndexOf(name);
    if (index >= 0) {
        entries_[static_cast<std::size_t>(index)].value = value;
        return;
    }
    const std::size_t at = sorted_ ? LowerBound(name) : entries_.size();
    entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(at), Entry{name, value});
}

Variant TrpVariables::GetVariable(const std::string& name) const
{
    const int index = IndexOf(name);
    return index >= 0 ? entries_[static_cast<std::size_t>(index)].value : Variant::null();
}

Variant TrpVariables::GetValue(int index) const
{
    return InRange(index) ? entries_[static_cast<std::size_t>(index)].value : Variant(std::int32_t{0});
}

void TrpVariables::SetValue(int index, const Variant& value)
{
    if (InRange(index))
        entries_[static_cast<std::size_t>(index)].value = value;
}

int TrpVariables::GetCount() const
{
    return static_cast<int>(entries_.size());
}

std::string TrpVariables::GetName(int index) const
{
    return InRange(index) ? entries_[static_cast<std::size_t>(index)].name : std::string();
}

void TrpVariables::SetName(int index, const std::string& name)
{
    if (!InRange(index))
        return;
    const int other = IndexOf(name);
    if (other >= 0 && other != index)
        return;
    Entry entry = std::move(entries_[static_cast<std::size_t>(index)]);
    entry.name = name;
    if (!sorted_) {
        entries_[static_cast<std::size_t>(index)] = std::move(entry);
        return;
    }
    entries_.erase(entries_.begin() + index);
    const std::size_t at = LowerBound(name);
    entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(at), std::move(entry));
}

void TrpVariables::Delete(int index)
{
    if (InRange(index))
        entries_.erase(entries_.begin() + index);
}

void TrpVariables::SetSorted(bool sorted)
{
    if (sorted && !sorted_)
        std::stable_sort(entries_.begin(), entries_.end(),
                         [](const Entry& a, const Entry& b) { return CompareNoCase(a.name, b.name) < 0; });
    sorted_ = sorted;
}

// ---------------------------------------------------------------------------
// TrpFunctionSplitter

TrpFunctionSplitter::TrpFunctionSplitter(const std::vector<std::string>& functionNames,
                                         std::vector<std::string>& found, TrpVariables* variables)
    : functionNames_(functionNames), found_(found), variables_(variables)
{
}

void TrpFunctionSplitter::Split(const std::string& expression)
{
    expanding_.clear();
    expansions_ = 0;
    SplitText(expression, 0);
}

bool TrpFunctionSplitter::IsFunctionName(const std::string& name) const
{
    return std::any_of(functionNames_.begin(), functionNames_.end(),
                       [&](const std::string& f) { return EqualsNoCase(f, name); });
}

void TrpFunctionSplitter::Expand(const std::string& name, int depth)
{
    for (const std::string& open : expanding_)
        if (EqualsNoCase(open, name))
            return;  // a variable that refers to itself adds nothing new
    if (++expansions_ > kMaxExpansions)
        throw EParserError("Too many variable expansions in expression");
    expanding_.push_back(name);
    SplitText(TextOf(variables_->GetVariable(name)), depth + 1);
    expanding_.pop_back();
}

void TrpFunctionSplitter::SplitText(const std::string& text, int depth)
{
    if (depth > TrpParser::kMaxNesting)
        NestedTooDeeply();
    const std::string s = Trim(text);
    if (s.empty() || s[0] == '\'')
        return;
    const auto isVariable = [&](const std::string& name) {
        return variables_ != nullptr && !name.empty() && variables_->IndexOf(name) >= 0;
    };

    std::size_t pos = 0;
    while (pos < s.size()) {
        if (s[pos] == '[') {
            std::size_t b = pos, e = 0;
            const std::string inner = ExtractBracketed(s, b, e);
            if (isVariable(inner))
                Expand(inner, depth);
            else
                SplitText(inner, depth + 1);
            pos = e + 1;
            continue;
        }
        std::string operand = TrpParser::ReadOperand(s, pos);
        const std::size_t nameStart = pos - operand.size();
        if (pos < s.size() && s[pos] == '(') {
            for (const std::string& arg : TrpParser::SplitArguments(s, pos))
                SplitText(arg, depth + 1);
            if (IsFunctionName(operand))
                found_.push_back(s.substr(nameStart, pos - nameStart));
            continue;
        }
        if (isVariable(operand))
            Expand(operand, depth);
        if (pos < s.size() && (IsOperandEnd(s[pos]) && s[pos] != '(' && s[pos] != ')' && s[pos] != '['))
            ++pos;
        else if (operand.empty() && !(pos < s.size() && s[pos] == '['))
            break;
    }
}

} // namespace report
