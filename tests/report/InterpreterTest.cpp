#include "report/Exceptions.h"
#include "report/RP_Intrp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <sstream>

using namespace report;
using namespace std::string_literals;

namespace {

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::string Repeat(const std::string& s, int n)
{
    std::string r;
    for (int i = 0; i < n; ++i)
        r += s;
    return r;
}

// An interpreter that keeps its variables in a list and records what the
// script asked of it.
class Script : public TrpInterpretator {
public:
    TrpVariables vars;
    std::vector<std::string> reads, writes;
    struct Call {
        std::string name, p1, p2, p3;
    };
    std::vector<Call> calls;
    std::function<void(const std::string&, Variant&)> onCall;
    std::function<void()> onWrite;
    std::function<bool()> onStopCheck;
    std::vector<std::string> coded, errors;

    void ReadVariable(const std::string& name, Variant& value) override
    {
        reads.push_back(name);
        const int i = vars.IndexOf(name);
        if (i >= 0)
            value = vars.GetValue(i);
    }
    void WriteVariable(const std::string& name, const Variant& value) override
    {
        writes.push_back(name);
        vars.SetVariable(name, value);
        if (onWrite)
            onWrite();
    }
    void CallFunction(const std::string& name, const Variant& p1, const Variant& p2, const Variant& p3,
                      Variant& val) override
    {
        calls.push_back({name, p1.toText(), p2.toText(), p3.toText()});
        if (onCall)
            onCall(name, val);
    }

    // Compiles; the error line, or "" when it compiled.
    std::string Build(const std::vector<std::string>& source)
    {
        Compile(source, coded, errors);
        return errors.empty() ? std::string() : errors.front();
    }
    std::string Build(const std::string& text) { return Build(Lines(text)); }

    // Compiles and runs; fails the test when it does not compile.
    bool Execute(const std::string& text)
    {
        const std::string error = Build(text);
        EXPECT_EQ(error, "") << text;
        return Run(coded);
    }

    Variant Value(const std::string& name) const { return vars.GetVariable(name); }

protected:
    bool StopRequested() override { return onStopCheck ? onStopCheck() : TrpInterpretator::StopRequested(); }
};

} // namespace

TEST(Compile, WritesCodedLinesByteForByte)
{
    using V = std::vector<std::string>;
    const struct {
        const char* source;
        V coded;
    } cases[] = {
        {"x := 1", {"x 1 "}},
        {"Total := total + 1", {"Total total 1 +"}},
        {"if a > 1 then x := 1 else x := 2", {"\x01\x03\x00" "a 1 >"s, "x 1 ", "\x02\x04\x00"s, "x 2 "}},
        {"if a then x := 1", {"\x01\x02\x00" "a "s, "x 1 "}},
        {"while i < 3 do i := i + 1", {"\x01\x03\x00" "i 3 <"s, "i i 1 +", "\x02\x00\x00"s}},
        {"repeat i := i + 1; j := 0 until i >= 3", {"i i 1 +", "j 0 ", "\x01\x00\x00" "i 3 \x01"s}},
        {"for i := 1 to n - 1 do x := i",
         {"i 1 ", "\x01\x05\x00" "i n 1 -\x02"s, "x i ", "i i 1 +", "\x02\x01\x00"s}},
        {"begin 10: x := 1; goto 10 end", {"x 1 ", "\x02\x00\x00"s}},
        {"begin goto 7; x := 1; 7: end", {"\x02\x02\x00"s, "x 1 "}},
        {"begin 5:x := 1; 5: goto 5 end", {"x 1 ", "\x02\x00\x00"s}},  // the first definition counts
        {"begin goto 12; x := 1 end", {"\x02\x00\x00" "12"s, "x 1 "}},    // never defined: not reported
        {"exit", {"\x03" "exit(0)"}},
        {"f(1, 2)", {"\x03" "f(1, 2)"}},
        {"(a)", {"\x03" "a "}},
        {"arr[i] := 5", {"\x03" "SETARRAY(arr, i, 5)"}},
        {"begin x := -1; y := not z end", {"x 1 \x09", "y z \x0c"}},
        {"begin end", {}},
        {"", {}},
        {"x := 1; y := 2", {"x 1 "}},  // one statement only
    };
    for (const auto& c : cases) {
        Script s;
        EXPECT_EQ(s.Build(c.source), "") << c.source;
        EXPECT_EQ(s.coded, c.coded) << c.source;
    }
}

TEST(Compile, ReportsTheFirstErrorWithLineAndColumn)
{
    const struct {
        std::vector<std::string> source;
        const char* error;
    } cases[] = {
        {{"if x x := 1"}, "Line 1/6: Need \"then\" here"},
        {{"while x x := 1"}, "Line 1/9: Need \"do\" here"},
        {{"for i := 1 do x := 1"}, "Line 1/12: Need \"to\" here"},
        {{"for i := 1 to 3 x := 1"}, "Line 1/17: Need \"do\" here"},
        {{"for i = 1 to 3 do x := 1"}, "Line 1/7: Need \":=\" here"},
        {{"arr[1] 5"}, "Line 1/8: Need \":=\" here"},
        {{"begin x := 1 y := 2 end"}, "Line 1/14: Need \";\" or \"end\" here"},
        {{"begin x := 1,5 end"}, "Line 1/13: Need \";\" or \"end\" here"},
        {{"repeat x := 1 x"}, "Line 1/15: Need \";\" or \"until\" here"},
        {{"x := (1"}, "Line 1/8: Need \")\" here"},
        {{"x := a[1"}, "Line 1/9: Need \"]\" here"},
        {{"x := [abc"}, "Line 1/10: Need \"]\" here"},
        {{"x := f(1 2)"}, "Line 1/10: Need \",\" or \")\" here"},
        {{"goto x"}, "Line 1/6: \"goto\" label must be a number"},
        {{"x := 'abc"}, "Line 1/10: Need \"'\" here"},
        {{"x := ;"}, "Line 1/6: Need an expression here"},
        {{"for := 1 to 2 do"}, "Line 1/5: Need a variable name here"},
        // Errors after comments keep the positions of the source.
        {{"{ a comment } begin", "x := 1", "    y := 2", "end"}, "Line 3/5: Need \";\" or \"end\" here"},
        {{"begin // note", "  x := 1; { a", "multi-line comment }", "  y z", "end"},
         "Line 4/5: Need \";\" or \"end\" here"},
        {{"begin x{c}y := 1 z end"}, "Line 1/18: Need \";\" or \"end\" here"},
        {{"begin", "\tx := 1", "\ty"}, "Line 3/2: Need \";\" or \"end\" here"},
        // Beyond the limits of the interpreter: refused, never run.
        {{"x := a*-b"}, "Line 1/6: Missing operand for \"*\""},
        {{"x := f(1, 2, 3, 4)"}, "Line 1/6: Too many arguments for F: at most 3"},
        {{"x := f([ds.\"a(\"])"}, "Line 1/6: Need \")\" here"},
        {{"begin 1234567890123456: x := 1 end"}, "Line 1/7: Label is longer than 15 digits"},
        {{"x := " + Repeat("(", 300) + "1" + Repeat(")", 300)}, "Line 1/"},
        {{Repeat("begin ", 300) + Repeat("end ", 300)}, "Line 1/"},
        {{std::string(32000, ' ')}, "Line 1/32001: Script is too long: more than 32000 characters"},
    };
    for (const auto& c : cases) {
        Script s;
        const std::string error = s.Build(c.source);
        EXPECT_EQ(s.errors.size(), 1u) << c.source.front().substr(0, 60);
        if (std::string(c.error) == "Line 1/")
            EXPECT_NE(error.find("Script nested too deeply"), std::string::npos) << error;
        else
            EXPECT_EQ(error, c.error) << c.source.front().substr(0, 60);
    }
}

TEST(Compile, AcceptsWhatFitsTheLimits)
{
    Script s;
    EXPECT_EQ(s.Build({std::string(31999, ' ')}), "");
    EXPECT_EQ(s.Build("begin 123456789012345: x := 1 end"), "");

    std::string labels = "begin ";
    for (int i = 1; i <= 101; ++i)
        labels += std::to_string(i) + ": ; ";
    EXPECT_EQ(s.Build(labels + "end"), "");
    EXPECT_EQ(s.Build(labels + "102: end"), "Line 1/" + std::to_string(labels.size() + 1) +
                                                ": Too many labels: at most 101");
}

TEST(Compile, KeepsWhatWasEmittedBeforeAnError)
{
    Script s;
    s.coded = {"old"};
    s.errors = {"old"};
    EXPECT_EQ(s.Build("begin x := 1; y := ) end"), "Line 1/20: Need an expression here");
    EXPECT_EQ(s.coded, (std::vector<std::string>{"x 1"}));
    EXPECT_EQ(s.Build("x := 2"), "");
    EXPECT_TRUE(s.errors.empty());
}

TEST(Run, RepeatsUntilTheCondition)
{
    Script s;
    EXPECT_TRUE(s.Execute("begin i := 0; repeat i := i + 1 until i >= 3 end"));
    EXPECT_EQ(s.Value("i"), Variant(3.0));
    EXPECT_EQ(s.writes.size(), 4u);  // i := 0 and three passes
}

TEST(Run, ForEvaluatesItsLimitBeforeEveryPass)
{
    Script s;
    EXPECT_TRUE(s.Execute("for i := 1 to 0 do x := 1"));
    EXPECT_TRUE(s.Value("x").isNull());

    Script t;
    t.vars.SetVariable("N", Variant(std::int32_t{3}));
    EXPECT_TRUE(t.Execute("for i := 1 to n do n := n - 1"));
    EXPECT_EQ(std::count(t.writes.begin(), t.writes.end(), "n"), 2);
}

TEST(Run, WhileIfAndGoto)
{
    Script s;
    EXPECT_TRUE(s.Execute("begin\n"
                          "  i := 0; s := '';\n"
                          "  while i < 4 do begin\n"
                          "    i := i + 1;\n"
                          "    if i mod 2 = 0 then s := s + 'e' else s := s + 'o'\n"
                          "  end;\n"
                          "  n := 0;\n"
                          "  7: n := n + 1;\n"
                          "  if n < 5 then goto 7\n"
                          "end"));
    EXPECT_EQ(s.Value("s"), Variant("oeoe"));
    EXPECT_EQ(s.Value("n"), Variant(5.0));
}

TEST(Run, GotoToAnUndefinedLabelEndsTheRunWithAnErrorNamingIt)
{
    Script s;
    ASSERT_EQ(s.Build({"begin", "  x := 1;", "  if x = 1 then goto 10;", "  x := 2", "end"}), "");
    try {
        s.Run(s.coded);
        FAIL() << "the run went on";
    } catch (const EParserError& e) {
        EXPECT_NE(std::string(e.what()).find("\"10\""), std::string::npos) << e.what();
    }
    EXPECT_EQ(s.Value("x"), Variant(1.0));

    // Not reached, it does no harm.
    Script t;
    EXPECT_TRUE(t.Execute("begin x := 1; if x = 2 then goto 10; x := 3 end"));
    EXPECT_EQ(t.Value("x"), Variant(3.0));
}

TEST(Run, ExitEndsTheRun)
{
    for (const char* text : {"begin x := 1; exit; x := 2 end", "begin x := 1; EXIT(0); x := 2 end"}) {
        Script s;
        EXPECT_TRUE(s.Execute(text));
        EXPECT_EQ(s.Value("x"), Variant(1.0)) << text;
        EXPECT_TRUE(s.calls.empty()) << text;
    }
    Script s;
    EXPECT_TRUE(s.Execute("begin exit( 0 ); x := 2 end"));
    EXPECT_EQ(s.Value("x"), Variant(2.0));
    ASSERT_EQ(s.calls.size(), 1u);
    EXPECT_EQ(s.calls[0].name, "EXIT");
    EXPECT_EQ(s.calls[0].p1, "0");
}

TEST(Run, ReachesTheHooksWithTheirNames)
{
    Script s;
    s.vars.SetVariable("TOTAL", Variant(std::int32_t{4}));
    s.vars.SetVariable("My Var", Variant(std::int32_t{10}));
    EXPECT_TRUE(s.Execute("begin Total := total + 1; y := [My Var] * 2; arr[i] := 5; ping end"));
    EXPECT_EQ(s.reads, (std::vector<std::string>{"TOTAL", "My Var"}));
    EXPECT_EQ(s.writes, (std::vector<std::string>{"Total", "y"}));
    EXPECT_EQ(s.Value("total"), Variant(5.0));
    EXPECT_EQ(s.Value("y"), Variant(20.0));
    ASSERT_EQ(s.calls.size(), 2u);
    EXPECT_EQ(s.calls[0].name, "SETARRAY");
    EXPECT_EQ(s.calls[0].p1, "arr");
    EXPECT_EQ(s.calls[0].p2, "i");
    EXPECT_EQ(s.calls[0].p3, "5");
    EXPECT_EQ(s.calls[1].name, "PING");
    EXPECT_EQ(s.calls[1].p1, "0");
}

TEST(Run, OnlyTheFirstStatementWithoutBeginEnd)
{
    Script s;
    EXPECT_TRUE(s.Execute("x := 1; y := 2"));
    EXPECT_EQ(s.writes, (std::vector<std::string>{"x"}));
}

TEST(Run, CommentsTabsAndStrings)
{
    Script s;
    EXPECT_TRUE(s.Execute("begin // the start\n"
                          "\tx\t:=\t1; { one\n"
                          "two } y := '{not a comment} // nor this';\n"
                          "  if 0 then else z := 'it''s'\n"
                          "end"));
    EXPECT_EQ(s.Value("x"), Variant(1.0));
    EXPECT_EQ(s.Value("y"), Variant("{not a comment} // nor this"));
    EXPECT_EQ(s.Value("z"), Variant("it's"));
}

TEST(Run, PassesEvaluationErrorsOut)
{
    Script s;
    ASSERT_EQ(s.Build("x := 'a' * 2"), "");
    EXPECT_THROW(s.Run(s.coded), EConvertError);
}

TEST(Run, RefusesDamagedLinesAndEndsOnFarJumps)
{
    Script s;
    EXPECT_THROW(s.Run({"\x01"}), EParserError);
    EXPECT_THROW(s.Run({"\x02\x05"}), EParserError);
    EXPECT_TRUE(s.Run({"\x02\xff\x00"s, "x 1 "}));
    EXPECT_TRUE(s.Run({"", "x 1 "}));
    EXPECT_TRUE(s.writes == std::vector<std::string>{"x"});
}

TEST(Run, TheStopFlagEndsEndlessLoops)
{
    for (const char* text : {"while 1 do x := x + 1", "begin 10: x := x + 1; goto 10 end",
                             "repeat x := x + 1 until 0", "for i := 1 to 2 do begin x := x + 1; i := 0 end"}) {
        std::atomic<bool> stop{false};
        Script s;
        s.SetStopFlag(&stop);
        ASSERT_EQ(s.Build(text), "") << text;
        s.vars.SetVariable("X", Variant(std::int32_t{0}));
        // The owner sets the flag while the script runs, as the report does
        // when a command or the user ends the run.
        s.onWrite = [&] {
            if (s.Value("x").toInteger() >= 100)
                stop = true;
        };
        EXPECT_FALSE(s.Run(s.coded)) << text;
        EXPECT_EQ(s.Value("x"), Variant(100.0)) << text;
    }

    std::atomic<bool> stop{true};
    Script s;
    s.SetStopFlag(&stop);
    ASSERT_EQ(s.Build("while 1 do ;"), "");
    EXPECT_FALSE(s.Run(s.coded));
    ASSERT_EQ(s.Build("x := 1"), "");
    EXPECT_TRUE(s.Run(s.coded));  // no backward jump: the flag is not asked
}

TEST(Run, AsksForStopOnEveryBackwardJump)
{
    Script s;
    int asked = 0;
    s.onStopCheck = [&] { return ++asked > 100; };
    EXPECT_TRUE(s.Execute("begin i := 0; repeat i := i + 1 until i >= 5 end"));
    EXPECT_EQ(asked, 4);
    EXPECT_FALSE(s.Execute("while 1 do ;"));
    EXPECT_EQ(asked, 101);
}

TEST(Run, CompilingInsideARunningScriptDisturbsNothing)
{
    Script outer;
    Script inner;
    ASSERT_EQ(outer.Build("begin 1: x := x + 1; nested; if x < 3 then goto 1 end"), "");
    outer.vars.SetVariable("X", Variant(std::int32_t{0}));
    inner.vars.SetVariable("Y", Variant(std::int32_t{0}));
    std::vector<std::vector<std::string>> seen;
    outer.onCall = [&](const std::string& name, Variant&) {
        if (name != "NESTED")
            return;
        // A script compiled and run from inside the running one, with labels
        // of its own, and a recompilation of the very list that is running.
        EXPECT_EQ(inner.Build("begin 1: y := y + 1; 2: if y < 2 then goto 1 end"), "");
        EXPECT_TRUE(inner.Run(inner.coded));
        std::vector<std::string> errors;
        outer.Compile({"z := 1"}, outer.coded, errors);
        seen.push_back(outer.coded);
    };
    const std::vector<std::string> running = outer.coded;
    EXPECT_TRUE(outer.Run(running));
    EXPECT_EQ(outer.Value("x"), Variant(3.0));
    EXPECT_EQ(seen.size(), 3u);
    EXPECT_EQ(outer.coded, (std::vector<std::string>{"z 1 "}));

    // The list passed to Run is recompiled while it runs.
    ASSERT_EQ(outer.Build("begin 1: x := x + 1; nested; if x < 6 then goto 1 end"), "");
    EXPECT_TRUE(outer.Run(outer.coded));
    EXPECT_EQ(outer.Value("x"), Variant(6.0));
}

TEST(Run, CollectsAggregatesFromEveryKindOfLine)
{
    Script s;
    ASSERT_EQ(s.Build("begin\n"
                      "  x := SUM(a) + 1;\n"
                      "  if COUNT(b) > 0 then y := MAX(c) else y := 0;\n"
                      "  while 0 do z := sum(e);\n"
                      "  arr[1] := SUM(d)\n"
                      "end"),
              "");
    std::vector<std::string> found;
    s.CollectAggregates(s.coded, {"SUM", "COUNT"}, nullptr, found);
    EXPECT_EQ(found, (std::vector<std::string>{"SUM(a)", "COUNT(b)", "sum(e)", "SUM(d)"}));
}
