#include "RP_Intrp.h"

#include "Exceptions.h"
#include "VariantRules.h"

#include <cctype>
#include <string_view>

namespace report {

namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

bool IsDigit(unsigned char c)
{
    return c >= '0' && c <= '9';
}

bool IsLetter(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsIdentifierChar(unsigned char c)
{
    return IsLetter(c) || IsDigit(c) || c == '.' || c == '_';
}

std::string Upper(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

bool StartsWith(const std::string& text, const char* prefix)
{
    return text.rfind(prefix, 0) == 0;
}

std::string TargetBytes(std::size_t target)
{
    return {static_cast<char>(target & 0xFF), static_cast<char>((target >> 8) & 0xFF)};
}

std::size_t Target(const std::string& line)
{
    return static_cast<unsigned char>(line[1]) | (static_cast<std::size_t>(static_cast<unsigned char>(line[2])) << 8);
}

// One compilation: the cleaned source buffer, the position, the labels and
// the code emitted so far.  Nothing outlives the call of Compile, so a
// compilation started from inside a running script cannot disturb another.
class ScriptCompiler {
public:
    ScriptCompiler(TrpParser& parser, const std::vector<std::string>& source, std::vector<std::string>& coded,
                   std::vector<std::string>& errors)
        : parser_(parser), source_(source), coded_(coded), errors_(errors)
    {
    }

    void Compile();

private:
    struct Comment {
        std::size_t position;  // in the cleaned buffer
        std::size_t length;
    };
    struct Label {
        std::string text;  // digits and the colon
        std::size_t line;
    };
    struct Goto {
        std::size_t line;
        std::string digits;
    };
    struct LineInfo {
        std::size_t exprOffset;  // where the expression starts in the coded line, kNone for none
        std::size_t position;    // where it starts in the buffer
    };

    class Nesting {
    public:
        Nesting(ScriptCompiler& c, std::size_t position) : c_(c)
        {
            if (++c_.nesting_ > TrpInterpretator::kMaxNesting)
                c_.Error(position, "Script nested too deeply");
        }
        ~Nesting() { --c_.nesting_; }
        Nesting(const Nesting&) = delete;
        Nesting& operator=(const Nesting&) = delete;

    private:
        ScriptCompiler& c_;
    };

    // Source buffer and errors
    void RemoveComments(const std::string& raw);
    std::string LineAndColumn(std::size_t position, bool cleaned) const;
    void Error(std::size_t position, const std::string& message, bool cleaned = true);

    // Scanning
    unsigned char At(std::size_t p) const { return p < buf_.size() ? static_cast<unsigned char>(buf_[p]) : 0; }
    std::size_t SkipBlanks(std::size_t p) const;
    std::string PeekWord();
    void Consume(std::size_t count) { pos_ = wordStart_ + count; }
    std::string ReadIdentifier();
    bool ExpectKeyword(const std::string& keyword);
    bool ExpectAssignment();
    bool ReadExpressionThen(const std::string& keyword, std::string& text, std::size_t& position);

    // Statements
    void Statement();
    void Block();
    void IfStatement();
    void RepeatStatement();
    void WhileStatement();
    void ForStatement();
    void GotoStatement();
    void LabelledStatement(std::size_t digits);
    void AssignmentOrCall();
    void CallStatement();

    // Expressions: checked only; the text kept is the source text.
    bool ReadExpression(std::string& text, std::size_t& position);
    bool Expression();
    bool Simple();
    bool Term();
    bool Factor();

    // Code
    std::size_t Count() const { return coded_.size(); }
    std::size_t Emit(std::string line, std::size_t exprOffset, std::size_t position);
    std::size_t EmitCondJump(std::size_t target, const std::string& condition, std::size_t position);
    std::size_t EmitJump(std::size_t target);
    void Patch(std::size_t line, std::size_t target);
    void Finish();

    TrpParser& parser_;
    const std::vector<std::string>& source_;
    std::vector<std::string>& coded_;
    std::vector<std::string>& errors_;

    std::string buf_;
    std::vector<Comment> comments_;
    std::size_t pos_ = 0;
    std::size_t wordStart_ = 0;
    bool failed_ = false;
    int nesting_ = 0;
    std::vector<Label> labels_;
    std::vector<Goto> gotos_;
    std::vector<LineInfo> lineInfo_;
};

void ScriptCompiler::Compile()
{
    coded_.clear();
    errors_.clear();
    std::string raw;
    for (const std::string& line : source_) {
        for (char c : line)
            raw += c == '\t' ? ' ' : c;
        raw += '\r';
        if (raw.size() > TrpInterpretator::kBufferSize) {
            Error(TrpInterpretator::kBufferSize,
                  "Script is too long: more than " + std::to_string(TrpInterpretator::kBufferSize) + " characters",
                  false);
            return;
        }
    }
    RemoveComments(raw);
    if (!buf_.empty())
        Statement();
    if (!failed_)
        Finish();
}

// Cuts { } and // comments out of the text, except inside single-quoted
// strings (which end with their line), and records where each one was.
void ScriptCompiler::RemoveComments(const std::string& raw)
{
    buf_.clear();
    bool inString = false;
    std::size_t i = 0;
    while (i < raw.size()) {
        const char c = raw[i];
        if (c == '\r')
            inString = false;
        else if (c == '\'')
            inString = !inString;
        if (!inString && (c == '{' || (c == '/' && i + 1 < raw.size() && raw[i + 1] == '/'))) {
            std::size_t end = 0;
            if (c == '{') {
                end = raw.find('}', i);
                end = end == std::string::npos ? raw.size() : end + 1;
            } else {
                end = raw.find('\r', i);
                if (end == std::string::npos)
                    end = raw.size();
            }
            comments_.push_back({buf_.size(), end - i});
            i = end;
            continue;
        }
        buf_ += c;
        ++i;
    }
}

std::string ScriptCompiler::LineAndColumn(std::size_t position, bool cleaned) const
{
    if (cleaned) {
        const std::size_t at = position;
        for (const Comment& comment : comments_)
            if (comment.position <= at)
                position += comment.length;
    }
    std::size_t p = position + 1;  // 1-based
    std::size_t line = 1;
    for (const std::string& text : source_) {
        if (p <= text.size() + 1)
            return "Line " + std::to_string(line) + "/" + std::to_string(p) + ": ";
        p -= text.size() + 1;
        ++line;
    }
    // Past the last line: its end.
    if (source_.empty())
        return "Line 1/1: ";
    return "Line " + std::to_string(source_.size()) + "/" + std::to_string(source_.back().size() + 1) + ": ";
}

void ScriptCompiler::Error(std::size_t position, const std::string& message, bool cleaned)
{
    if (failed_)
        return;
    failed_ = true;
    errors_.push_back(LineAndColumn(position, cleaned) + message);
}

std::size_t ScriptCompiler::SkipBlanks(std::size_t p) const
{
    while (p < buf_.size() && At(p) <= ' ')
        ++p;
    return p;
}

// The next blank-delimited word, upper-cased, without consuming it; a
// single blank at the end of the text.  Consume takes what the caller
// matched.
std::string ScriptCompiler::PeekWord()
{
    wordStart_ = SkipBlanks(pos_);
    std::size_t e = wordStart_;
    while (e < buf_.size() && At(e) > ' ')
        ++e;
    if (e == wordStart_)
        return " ";
    return Upper(buf_.substr(wordStart_, e - wordStart_));
}

std::string ScriptCompiler::ReadIdentifier()
{
    const std::size_t start = pos_;
    if (IsLetter(At(pos_)))
        while (IsIdentifierChar(At(pos_)))
            ++pos_;
    return buf_.substr(start, pos_ - start);
}

// ---------------------------------------------------------------------------
// Statements

void ScriptCompiler::Statement()
{
    const std::string w = PeekWord();
    Nesting nesting(*this, wordStart_);
    if (failed_)
        return;
    if (w == " " || w == "END" || StartsWith(w, "END;") || w == "UNTIL" || w == "ELSE" || w[0] == ';')
        return;  // the empty statement
    struct Keyword {
        std::string_view word;
        void (ScriptCompiler::*compile)();
    };
    static constexpr Keyword kKeywords[] = {
        {"BEGIN", &ScriptCompiler::Block},
        {"IF", &ScriptCompiler::IfStatement},
        {"REPEAT", &ScriptCompiler::RepeatStatement},
        {"WHILE", &ScriptCompiler::WhileStatement},
        {"FOR", &ScriptCompiler::ForStatement},
        {"GOTO", &ScriptCompiler::GotoStatement},
    };
    for (const Keyword& keyword : kKeywords) {
        if (w == keyword.word) {
            Consume(keyword.word.size());
            (this->*keyword.compile)();
            return;
        }
    }
    if (IsDigit(static_cast<unsigned char>(w[0]))) {
        std::size_t digits = 0;
        while (digits < w.size() && IsDigit(static_cast<unsigned char>(w[digits])))
            ++digits;
        if (digits < w.size() && w[digits] == ':')
            LabelledStatement(digits);
        else
            CallStatement();
    } else if (IsLetter(static_cast<unsigned char>(w[0]))) {
        AssignmentOrCall();
    } else {
        CallStatement();
    }
}

void ScriptCompiler::Block()
{
    for (;;) {
        Statement();
        if (failed_)
            return;
        const std::string w = PeekWord();
        if (w[0] == ';') {
            Consume(1);
            continue;
        }
        if (w == "END" || StartsWith(w, "END;")) {
            Consume(3);
            return;
        }
        Error(wordStart_, "Need \";\" or \"end\" here");
        return;
    }
}

void ScriptCompiler::IfStatement()
{
    std::string condition;
    std::size_t at = 0;
    if (!ReadExpressionThen("THEN", condition, at))
        return;
    const std::size_t test = EmitCondJump(0, condition, at);
    Statement();
    if (failed_)
        return;
    if (PeekWord() == "ELSE") {
        Consume(4);
        const std::size_t skip = EmitJump(0);
        Patch(test, Count());
        Statement();
        Patch(skip, Count());
    } else {
        Patch(test, Count());
    }
}

void ScriptCompiler::RepeatStatement()
{
    const std::size_t start = Count();
    for (;;) {
        Statement();
        if (failed_)
            return;
        const std::string w = PeekWord();
        if (w[0] == ';') {
            Consume(1);
            continue;
        }
        if (w == "UNTIL") {
            Consume(5);
            std::string condition;
            std::size_t at = 0;
            if (ReadExpression(condition, at))
                EmitCondJump(start, condition, at);
            return;
        }
        Error(wordStart_, "Need \";\" or \"until\" here");
        return;
    }
}

void ScriptCompiler::WhileStatement()
{
    const std::size_t top = Count();
    std::string condition;
    std::size_t at = 0;
    if (!ReadExpressionThen("DO", condition, at))
        return;
    const std::size_t test = EmitCondJump(0, condition, at);
    Statement();
    if (failed_)
        return;
    EmitJump(top);
    Patch(test, Count());
}

void ScriptCompiler::ForStatement()
{
    pos_ = SkipBlanks(pos_);
    const std::size_t namePos = pos_;
    const std::string name = ReadIdentifier();
    if (name.empty()) {
        Error(namePos, "Need a variable name here");
        return;
    }
    if (!ExpectAssignment())
        return;
    std::string first, limit;
    std::size_t firstAt = 0, limitAt = 0;
    if (!ReadExpressionThen("TO", first, firstAt) || !ReadExpressionThen("DO", limit, limitAt))
        return;
    Emit(name + " " + first, name.size() + 1, firstAt);
    const std::size_t top = Count();
    const std::size_t test = EmitCondJump(0, name + "<=" + limit, limitAt);
    Statement();
    if (failed_)
        return;
    Emit(name + " " + name + "+1", name.size() + 1, namePos);
    EmitJump(top);
    Patch(test, Count());
}

void ScriptCompiler::GotoStatement()
{
    const std::string w = PeekWord();
    std::size_t digits = 0;
    while (digits < w.size() && IsDigit(static_cast<unsigned char>(w[digits])))
        ++digits;
    if (digits == 0) {
        Error(wordStart_, "\"goto\" label must be a number");
        return;
    }
    Consume(digits);
    const std::string label = w.substr(0, digits);
    const std::size_t line = Emit(std::string(1, TrpInterpretator::kJump) + label, kNone, 0);
    if (!failed_)
        gotos_.push_back({line, label});
}

void ScriptCompiler::LabelledStatement(std::size_t digits)
{
    const std::size_t at = wordStart_;
    const std::string text = buf_.substr(wordStart_, digits + 1);
    Consume(digits + 1);
    if (text.size() > TrpInterpretator::kMaxLabelLength) {
        Error(at, "Label is longer than " + std::to_string(TrpInterpretator::kMaxLabelLength - 1) + " digits");
        return;
    }
    bool known = false;
    for (const Label& label : labels_)
        known = known || label.text == text;
    if (!known) {
        if (labels_.size() >= TrpInterpretator::kMaxLabels) {
            Error(at, "Too many labels: at most " + std::to_string(TrpInterpretator::kMaxLabels));
            return;
        }
        labels_.push_back({text, Count()});
    }
    Statement();
}

void ScriptCompiler::AssignmentOrCall()
{
    const std::size_t start = SkipBlanks(pos_);
    pos_ = start;
    const std::string name = ReadIdentifier();
    const std::size_t afterName = pos_;
    const std::size_t p = SkipBlanks(pos_);

    if (At(p) == ':' && At(p + 1) == '=') {
        pos_ = p + 2;
        std::string value;
        std::size_t at = 0;
        if (ReadExpression(value, at))
            Emit(name + " " + value, name.size() + 1, at);
        return;
    }
    if (At(p) == '[') {
        pos_ = p + 1;
        std::string index, value;
        std::size_t at = 0;
        if (!ReadExpression(index, at))
            return;
        const std::size_t close = SkipBlanks(pos_);
        if (At(close) != ']') {
            Error(close, "Need \"]\" here");
            return;
        }
        pos_ = close + 1;
        if (!ExpectAssignment())
            return;
        if (ReadExpression(value, at))
            Emit(std::string(1, TrpInterpretator::kCall) + "SETARRAY(" + name + ", " + index + ", " + value + ")", 1,
                 start);
        return;
    }

    pos_ = start;
    std::string expression;
    std::size_t at = 0;
    if (!ReadExpression(expression, at))
        return;
    if (pos_ == afterName)  // a plain name alone: a call with the argument 0
        Emit(std::string(1, TrpInterpretator::kCall) + name + "(0)", 1, at);
    else
        Emit(std::string(1, TrpInterpretator::kCall) + expression, 1, at);
}

void ScriptCompiler::CallStatement()
{
    std::string expression;
    std::size_t at = 0;
    if (ReadExpression(expression, at))
        Emit(std::string(1, TrpInterpretator::kCall) + expression, 1, at);
}

// Takes the keyword (given in capitals) that must come next, or reports it as missing.
bool ScriptCompiler::ExpectKeyword(const std::string& keyword)
{
    if (PeekWord() != keyword) {
        std::string lower = keyword;
        for (char& c : lower)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        Error(wordStart_, "Need \"" + lower + "\" here");
        return false;
    }
    Consume(keyword.size());
    return true;
}

bool ScriptCompiler::ExpectAssignment()
{
    if (!StartsWith(PeekWord(), ":=")) {
        Error(wordStart_, "Need \":=\" here");
        return false;
    }
    Consume(2);
    return true;
}

// An expression followed by the keyword that ends it ("then", "do", "to").
bool ScriptCompiler::ReadExpressionThen(const std::string& keyword, std::string& text, std::size_t& position)
{
    return ReadExpression(text, position) && ExpectKeyword(keyword);
}

// ---------------------------------------------------------------------------
// Expressions

bool ScriptCompiler::ReadExpression(std::string& text, std::size_t& position)
{
    pos_ = SkipBlanks(pos_);
    position = pos_;
    if (!Expression())
        return false;
    text = buf_.substr(position, pos_ - position);
    return true;
}

bool ScriptCompiler::Expression()
{
    Nesting nesting(*this, SkipBlanks(pos_));
    if (failed_ || !Simple())
        return false;
    const std::string w = PeekWord();
    std::size_t length = 0;
    if (StartsWith(w, "<>") || StartsWith(w, "<=") || StartsWith(w, ">="))
        length = 2;
    else if (w[0] == '<' || w[0] == '=' || w[0] == '>')
        length = 1;
    if (length == 0)
        return true;
    Consume(length);
    return Simple();
}

bool ScriptCompiler::Simple()
{
    if (!Term())
        return false;
    for (;;) {
        const std::string w = PeekWord();
        if (w[0] == '+' || w[0] == '-')
            Consume(1);
        else if (StartsWith(w, "OR"))
            Consume(2);
        else
            return true;
        if (!Term())
            return false;
    }
}

bool ScriptCompiler::Term()
{
    if (!Factor())
        return false;
    for (;;) {
        const std::string w = PeekWord();
        if (w[0] == '*' || w[0] == '/')
            Consume(1);
        else if (StartsWith(w, "AND") || StartsWith(w, "MOD"))
            Consume(3);
        else
            return true;
        if (!Factor())
            return false;
    }
}

bool ScriptCompiler::Factor()
{
    const std::size_t p = SkipBlanks(pos_);
    Nesting nesting(*this, p);
    if (failed_)
        return false;
    const unsigned char c = At(p);

    if (c == '(') {
        pos_ = p + 1;
        if (!Expression())
            return false;
        const std::size_t close = SkipBlanks(pos_);
        if (At(close) != ')') {
            Error(close, "Need \")\" here");
            return false;
        }
        pos_ = close + 1;
        return true;
    }
    if (c == '[') {
        std::size_t b = p, e = 0;
        ExtractBracketed(buf_, b, e);
        if (e >= buf_.size()) {
            Error(buf_.size(), "Need \"]\" here");
            return false;
        }
        pos_ = e + 1;
        return true;
    }
    if (c == '+' || c == '-') {
        pos_ = p + 1;
        return Expression();
    }
    if (c == '\'') {
        std::size_t q = p + 1;
        for (;;) {
            if (q >= buf_.size() || At(q) == '\r') {
                Error(q, "Need \"'\" here");
                return false;
            }
            if (At(q) == '\'') {
                if (At(q + 1) != '\'')
                    break;
                ++q;
            }
            ++q;
        }
        pos_ = q + 1;
        return true;
    }
    if (IsDigit(c)) {
        std::size_t q = p;
        while (IsDigit(At(q)))
            ++q;
        if (At(q) == '.' && IsDigit(At(q + 1))) {
            ++q;
            while (IsDigit(At(q)))
                ++q;
        }
        pos_ = q;
        return true;
    }
    if (IsLetter(c)) {
        pos_ = p;
        const std::string name = ReadIdentifier();
        if (Upper(name) == "NOT")
            return Expression();
        if (At(pos_) == '[') {
            ++pos_;
            if (!Expression())
                return false;
            const std::size_t close = SkipBlanks(pos_);
            if (At(close) != ']') {
                Error(close, "Need \"]\" here");
                return false;
            }
            pos_ = close + 1;
            return true;
        }
        if (At(pos_) == '(') {
            ++pos_;
            const std::size_t close = SkipBlanks(pos_);
            if (At(close) == ')') {
                pos_ = close + 1;
                return true;
            }
            for (;;) {
                if (!Expression())
                    return false;
                const std::string w = PeekWord();
                if (w[0] == ',') {
                    Consume(1);
                    continue;
                }
                if (w[0] == ')') {
                    Consume(1);
                    return true;
                }
                Error(wordStart_, "Need \",\" or \")\" here");
                return false;
            }
        }
        return true;
    }
    Error(p, "Need an expression here");
    return false;
}

// ---------------------------------------------------------------------------
// Code

std::size_t ScriptCompiler::Emit(std::string line, std::size_t exprOffset, std::size_t position)
{
    if (failed_)
        return kNone;
    if (Count() >= TrpInterpretator::kMaxLines) {
        Error(position, "Script is too long: more than " + std::to_string(TrpInterpretator::kMaxLines) +
                            " coded lines");
        return kNone;
    }
    coded_.push_back(std::move(line));
    lineInfo_.push_back({exprOffset, position});
    return Count() - 1;
}

// A jump taken when the condition is false; the target may be patched later.
std::size_t ScriptCompiler::EmitCondJump(std::size_t target, const std::string& condition, std::size_t position)
{
    return Emit(std::string(1, TrpInterpretator::kCondJump) + TargetBytes(target) + condition, 3, position);
}

std::size_t ScriptCompiler::EmitJump(std::size_t target)
{
    return Emit(std::string(1, TrpInterpretator::kJump) + TargetBytes(target), kNone, 0);
}

void ScriptCompiler::Patch(std::size_t line, std::size_t target)
{
    if (failed_ || line == kNone)
        return;
    coded_[line][1] = static_cast<char>(target & 0xFF);
    coded_[line][2] = static_cast<char>((target >> 8) & 0xFF);
}

// Resolves the GOTOs and turns every expression into its postfix text.
void ScriptCompiler::Finish()
{
    for (const Goto& g : gotos_) {
        const std::string text = g.digits + ":";
        const Label* found = nullptr;
        for (const Label& label : labels_)
            if (label.text == text)
                found = &label;
        // A label that is never defined is no compile error: the jump keeps
        // the label's digits after an empty target, and running it fails.
        coded_[g.line] = std::string(1, TrpInterpretator::kJump) + TargetBytes(found ? found->line : 0) +
                         (found ? std::string() : g.digits);
    }
    for (std::size_t i = 0; i < coded_.size(); ++i) {
        const LineInfo& info = lineInfo_[i];
        if (info.exprOffset == kNone)
            continue;
        std::string& line = coded_[i];
        try {
            line = line.substr(0, info.exprOffset) + parser_.ToPostfix(line.substr(info.exprOffset));
        } catch (const Exception& e) {
            const std::string message = e.what();
            Error(info.position, message.empty() ? "Need \")\" here" : message);
            return;
        }
    }
}

} // namespace

// ---------------------------------------------------------------------------
// TrpInterpretator

TrpInterpretator::TrpInterpretator()
{
    parser_.OnGetValue = [this](const std::string& name, Variant& value) { ReadVariable(name, value); };
    parser_.OnFunction = [this](const std::string& name, const Variant& p1, const Variant& p2, const Variant& p3,
                                Variant& val) { CallFunction(name, p1, p2, p3, val); };
}

TrpInterpretator::~TrpInterpretator() = default;

void TrpInterpretator::ReadVariable(const std::string&, Variant&)
{
}

void TrpInterpretator::WriteVariable(const std::string&, const Variant&)
{
}

void TrpInterpretator::CallFunction(const std::string&, const Variant&, const Variant&, const Variant&, Variant&)
{
}

void TrpInterpretator::Compile(const std::vector<std::string>& source, std::vector<std::string>& coded,
                               std::vector<std::string>& errors)
{
    ScriptCompiler(parser_, source, coded, errors).Compile();
}

bool TrpInterpretator::StopRequested()
{
    return stopFlag_ != nullptr && stopFlag_->load();
}

bool TrpInterpretator::Run(const std::vector<std::string>& coded)
{
    // A copy: a callback may compile into the very list that is running.
    const std::vector<std::string> lines = coded;
    const auto damaged = [](std::size_t i) {
        throw EParserError("Damaged coded script: line " + std::to_string(i) + " is too short");
    };
    std::size_t i = 0;
    while (i < lines.size()) {
        const std::string& line = lines[i];
        std::size_t next = i + 1;
        if (line.empty()) {
            i = next;
            continue;
        }
        switch (line[0]) {
        case kCondJump: {
            if (line.size() < 3)
                damaged(i);
            const Variant condition = parser_.EvalPostfix(line.substr(3));
            if (VarCmp(condition, Variant(std::int32_t{0}), parser_.Settings) == VarCmpResult::Equal)
                next = Target(line);
            break;
        }
        case kJump:
            if (line.size() < 3)
                damaged(i);
            if (line.size() > 3)
                throw EParserError("Undefined label \"" + line.substr(3) + "\" in \"goto\"");
            next = Target(line);
            break;
        case kCall: {
            const std::string expression = line.substr(1);
            if (Upper(expression) == "EXIT(0)")
                return true;
            parser_.EvalPostfix(expression);
            break;
        }
        default: {
            const std::size_t blank = line.find(' ');
            const std::string name = line.substr(0, blank);
            const std::string value = blank == std::string::npos ? std::string() : line.substr(blank + 1);
            WriteVariable(name, parser_.EvalPostfix(value));
            break;
        }
        }
        if (next <= i && StopRequested())
            return false;
        i = next;
    }
    return true;
}

void TrpInterpretator::CollectAggregates(const std::vector<std::string>& coded,
                                         const std::vector<std::string>& functionNames, TrpVariables* variables,
                                         std::vector<std::string>& found)
{
    TrpFunctionSplitter splitter(functionNames, found, variables);
    for (const std::string& line : coded) {
        if (line.empty())
            continue;
        switch (line[0]) {
        case kCondJump:
            if (line.size() > 3)
                splitter.Split(line.substr(3));
            break;
        case kJump:
            break;  // a target, no expression
        case kCall:
            splitter.Split(line.substr(1));
            break;
        default: {
            const std::size_t blank = line.find(' ');
            if (blank != std::string::npos)
                splitter.Split(line.substr(blank + 1));
            break;
        }
        }
    }
}

} // namespace report
