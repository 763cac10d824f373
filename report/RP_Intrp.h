#pragma once
// The script interpreter of the report engine.
//
// A script is ONE statement of a small structured language:
//   BEGIN s { ; s } END          IF c THEN s [ELSE s]
//   REPEAT s { ; s } UNTIL c     WHILE c DO s
//   FOR v := a TO b DO s         GOTO digits      digits: s
//   name := e    name[i] := e    any expression (a call)    nothing
// with { } and // comments.  Compile checks it and turns it into coded
// lines whose expressions are already postfix texts of TrpParser; Run
// executes them as often as wanted.  Reading names, writing variables and
// calling functions go through three virtual operations that a subclass
// overrides.
//
// Coded lines, one text each, first byte the kind:
//   1  conditional jump: bytes 1-2 the target line (little-endian 16 bits),
//      from byte 3 the postfix condition; the jump is taken when the
//      condition compares equal to integer 0;
//   2  jump: bytes 1-2 the target line; a GOTO whose label is never
//      defined keeps the label's digits after them, and running that line
//      raises EParserError naming the label;
//   3  call: from byte 1 a postfix expression evaluated for its effects;
//      EXIT(0) ends the run;
//   anything else: an assignment: the variable's name, one blank, the
//      postfix text of the value.

#include "RP_Pars.h"

#include <atomic>
#include <string>
#include <vector>

namespace report {

class TrpInterpretator {
public:
    static constexpr char kCondJump = 1;
    static constexpr char kJump = 2;
    static constexpr char kCall = 3;

    // Limits of one compilation; a script beyond them is refused with an
    // error line.
    static constexpr std::size_t kBufferSize = 32000;  // characters, line ends included
    static constexpr std::size_t kMaxLabels = 101;
    static constexpr std::size_t kMaxLabelLength = 16;  // digits and the colon
    static constexpr std::size_t kMaxLines = 65535;     // so that every target fits in 16 bits
    static constexpr int kMaxNesting = 200;             // statements and parentheses inside one another

    TrpInterpretator();
    virtual ~TrpInterpretator();
    TrpInterpretator(const TrpInterpretator&) = delete;
    TrpInterpretator& operator=(const TrpInterpretator&) = delete;

    // The evaluator's value callback: names arrive upper-cased, bracketed
    // variables as written.  The value starts as Null; the base class
    // leaves it so.
    virtual void ReadVariable(const std::string& name, Variant& value);
    // An assignment of the script; the name as written.  Does nothing here.
    virtual void WriteVariable(const std::string& name, const Variant& value);
    // The evaluator's function callback (see TFunctionEvent).  Leaves val
    // Null here.
    virtual void CallFunction(const std::string& name, const Variant& p1, const Variant& p2, const Variant& p3,
                              Variant& val);

    // Clears coded and errors and compiles the source lines.  The script
    // compiled when errors is empty; otherwise errors holds one line
    // "Line <line>/<column>: <message>" and coded what was emitted before the
    // error, its expressions not yet converted.
    virtual void Compile(const std::vector<std::string>& source, std::vector<std::string>& coded,
                         std::vector<std::string>& errors);
    // Executes coded lines.  True when the lines ran to their end or to
    // EXIT(0); false when the stop flag ended the run.  Evaluation errors
    // pass out to the caller; a damaged kind 1 or 2 line and a GOTO to an
    // undefined label raise EParserError.
    virtual bool Run(const std::vector<std::string>& coded);

    // Adds to found every call of the named functions in the expressions of
    // the coded lines (see TrpFunctionSplitter).
    void CollectAggregates(const std::vector<std::string>& coded, const std::vector<std::string>& functionNames,
                           TrpVariables* variables, std::vector<std::string>& found);

    // The evaluator that runs the scripts' expressions; its Settings are the
    // scripts' locale.
    TrpParser& Parser() { return parser_; }

    // A flag that the owner sets to end a running script (the report's
    // terminate flag).  Run looks at it on every backward jump, so a script
    // that loops for ever can still be stopped.  May be null.
    void SetStopFlag(const std::atomic<bool>* flag) { stopFlag_ = flag; }

protected:
    // Asked on every backward jump; true ends the run.  The base class reads
    // the stop flag; a subclass may also let pending work through here.
    virtual bool StopRequested();

private:
    TrpParser parser_;
    const std::atomic<bool>* stopFlag_ = nullptr;
};

} // namespace report
