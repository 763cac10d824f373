#include "report/Exceptions.h"
#include "report/RP_Pars.h"
#include "report/VariantRules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

using namespace report;

namespace {

// A parser whose callbacks answer from a table and record what they were
// asked.
struct Harness {
    TrpParser parser;
    std::map<std::string, Variant> values;
    std::vector<std::string> asked;  // names and bracketed variables
    struct Call {
        std::string name, p1, p2, p3;
    };
    std::vector<Call> calls;

    Harness()
    {
        values["A"] = Variant(std::int32_t{2});
        values["B"] = Variant(std::int32_t{3});
        parser.OnGetValue = [this](const std::string& name, Variant& value) {
            asked.push_back(name);
            const auto it = values.find(name);
            if (it != values.end())
                value = it->second;
        };
        parser.OnFunction = [this](const std::string& name, const Variant& p1, const Variant& p2, const Variant& p3,
                                   Variant& val) {
            calls.push_back({name, p1.toText(), p2.toText(), p3.toText()});
            if (name == "TWICE")
                val = VarAdd(parser.Evaluate(p1.toText()), parser.Evaluate(p1.toText()));
        };
    }
};

std::string Repeat(const std::string& s, int n)
{
    std::string r;
    for (int i = 0; i < n; ++i)
        r += s;
    return r;
}

// An expression that holds n values on the stack at once: 1+(1+(...)).
std::string DeepSum(int n)
{
    return Repeat("1+(", n - 1) + "1" + Repeat(")", n - 1);
}

} // namespace

TEST(Postfix, IsWrittenByteForByte)
{
    const struct {
        const char* infix;
        std::string postfix;
    } cases[] = {
        {"", ""},
        {"2-3-4", "2 3 -4 -"},
        {"-2*3", "2 3 *\x09"},
        {"+2", "2 \x0a"},
        {"5 > 3", "5 3 >"},
        {"a >= b", std::string("a b \x01", 5)},
        {"a <= b", "a b \x02"},
        {"a <> b", "a b \x03"},
        {"a or b", "a b \x04"},
        {"(1 = 1) and (2 = 2)", "1 1 =2 2 =\x05"},
        {"1 = 1 and 2 = 2", "1 1 2 \x05=2 ="},
        {"INT(2.7) + 1", "2.7 \x06" "1 +"},
        {"frac x", "x \x07"},
        {"STR(5)", "5 \x0b"},
        {"not a", "a \x0c"},
        {"a mod b", "a b \x0d"},
        {"round(a)", "a \x0e"},
        {"2*(3+4)", "2 3 4 +*"},
        {"f(1, 2, 3) + 1", "f(1, 2, 3)1 +"},
        {"'it''s' + x", "'it''s' x +"},
        {"[ds.\"a]b\"] * 2", "[ds.\"a]b\"] 2 *"},
        {"arr[i+1]", "arr[i+1] "},
        {"ds.\"my field\"", "ds.\"my field\" "},
        {"%d", "%d "},
        {"1,5 + 1.5", "1,5 1.5 +"},
        {"1 + 2 ; garbage(", "1 2 +"},
        {"a;b", "a;b "},
        {"\r\n\t1", "1 "},
        {"(1))+2", "1 2 +"},
    };
    for (const auto& c : cases) {
        TrpParser parser;
        EXPECT_EQ(parser.ToPostfix(c.infix), c.postfix) << c.infix;
    }
}

TEST(Evaluator, GivesTheValuesOfTheEdgeCases)
{
    const struct {
        const char* expression;
        Variant expected;
    } cases[] = {
        {"", Variant(std::int32_t{0})},
        {"2-3-4", Variant(-5.0)},
        {"-2*3", Variant(-6.0)},
        {"-2+3", Variant(1.0)},
        {"2*(3+4)", Variant(14.0)},
        {"a*(-b)", Variant(std::int32_t{-6})},
        {"5 > 3", Variant(std::int32_t{1})},
        {"5 < 3", Variant(std::int32_t{0})},
        {"2 <= 2", Variant(std::int32_t{1})},
        {"3 >= 4", Variant(std::int32_t{0})},
        {"1 <> 2", Variant(std::int32_t{1})},
        {"(1 = 1) and (2 = 2)", Variant(std::int32_t{1})},
        {"(1 = 2) or (2 = 2)", Variant(std::int32_t{1})},
        {"1 = 1 and 2 = 2", Variant(std::int32_t{0})},  // 1 = (1 and 2) = 2
        {"1,5 + 1.5", Variant(3.0)},
        {"INT(2.99999999999)", Variant(3.0)},  // less than 1e-10 below 3
        {"INT(2.7)", Variant(2.0)},
        {"INT(-2.5)", Variant(-2.0)},
        {"INT(-2.99999999999)", Variant(-3.0)},
        {"FRAC(-2.25)", Variant(-0.25)},
        {"FRAC(2.99999999999)", Variant(0.0)},
        {"ROUND(2.5)", Variant(2.0)},
        {"ROUND(3.5)", Variant(4.0)},
        {"ROUND(-2.5)", Variant(-2.0)},
        {"ROUND(0.5)", Variant(0.0)},
        {"10/0", Variant(std::int32_t{0})},
        {"10/4", Variant(2.5)},
        {"7 mod 3", Variant(std::int32_t{1})},
        {"not 0", Variant(std::int32_t{1})},
        {"not 5", Variant(std::int32_t{0})},
        {"STR(nothing)", Variant("")},
        {"STR(12) + 'x'", Variant("12x")},
        {"'it''s'", Variant("it's")},
        {"''''", Variant("'")},
        {"'a' + 'b'", Variant("ab")},
        {"'3' + 2", Variant(5.0)},
        {"IF(0.5, 'a', 'b')", Variant("b")},
        {"IF(-1.5, 'a', 'b')", Variant("a")},
        {"IF(a > 1, a, b)", Variant(std::int32_t{2})},
        {"IF(1, IF(0, 1, 2), 3)", Variant(2.0)},
        {"COPY('abcdef', 2, 3)", Variant("bcd")},
        {"COPY('abc', 0, 2)", Variant("ab")},
        {"COPY('abc', 5, 1)", Variant("")},
        {"COPY('abc', 2, -1)", Variant("")},
        {"COPY('abc', 2, 99)", Variant("bc")},
        {"STRTODATE('12/31/1999')", Variant::dateTime(36525)},
        {"STRTOTIME('6:00')", Variant::dateTime(0.25)},
        {"TRUE", Variant(true)},
        {"false", Variant(false)},
        {"1 + 2 ; anything at all", Variant(3.0)},
        {"1 2", Variant(1.0)},
        {"twice(a + 1)", Variant(6.0)},
        {"f(1, 2, 3) = nothing", Variant(std::int32_t{0})},  // Null compares with nothing
        {"nothing <> 1", Variant(std::int32_t{0})},
    };
    for (const auto& c : cases) {
        Harness h;
        EXPECT_EQ(h.parser.Evaluate(c.expression), c.expected) << c.expression;
    }
}

TEST(Evaluator, ConvertsOnceAndEvaluatesOften)
{
    Harness h;
    const std::string postfix = h.parser.ToPostfix("a * 10 + b");
    EXPECT_EQ(h.parser.EvalPostfix(postfix), Variant(23.0));
    h.values["A"] = Variant(std::int32_t{5});
    EXPECT_EQ(h.parser.EvalPostfix(postfix), Variant(53.0));
}

TEST(Evaluator, AsksTheCallbacksWithTheTextsAsWritten)
{
    Harness h;
    h.parser.Evaluate("[ds.\"my field\"] + total + [ x [1] ]");
    EXPECT_EQ(h.asked, (std::vector<std::string>{"ds.\"my field\"", "TOTAL", " x [1] "}));

    h.parser.Evaluate("arr[i+1] + f(1, 2, 3) + g('a,b', (1,2)) + h() + k(x)");
    ASSERT_EQ(h.calls.size(), 5u);
    const auto expectCall = [&](std::size_t i, const char* name, const char* p1, const char* p2, const char* p3) {
        EXPECT_EQ(h.calls[i].name, name);
        EXPECT_EQ(h.calls[i].p1, p1) << name;
        EXPECT_EQ(h.calls[i].p2, p2) << name;
        EXPECT_EQ(h.calls[i].p3, p3) << name;
    };
    expectCall(0, "GETARRAY", "arr", "i+1", "");
    expectCall(1, "F", "1", "2", "3");
    expectCall(2, "G", "'a,b'", "(1,2)", "");
    expectCall(3, "H", "", "", "");
    expectCall(4, "K", "x", "", "");
    EXPECT_TRUE(std::find(h.asked.begin(), h.asked.end(), "X") == h.asked.end()) << "arguments stay unevaluated";
}

TEST(Evaluator, EvaluatesOnlyTheChosenBranch)
{
    Harness h;
    EXPECT_EQ(h.parser.Evaluate("IF(1, 1, 1/x)"), Variant(1.0));
    EXPECT_EQ(h.parser.Evaluate("IF(0, y, 2)"), Variant(2.0));
    EXPECT_TRUE(h.asked.empty());
}

TEST(Evaluator, WithoutCallbacksNamesAndFunctionsAreNull)
{
    TrpParser parser;
    EXPECT_TRUE(parser.Evaluate("abc").isNull());
    EXPECT_TRUE(parser.Evaluate("[a b]").isNull());
    EXPECT_TRUE(parser.Evaluate("f(1)").isNull());
    EXPECT_TRUE(parser.Evaluate("arr[1]").isNull());
}

TEST(Evaluator, DecimalSeparatorBelongsToTheParser)
{
    TrpParser comma, point;
    comma.Settings.decimalSeparator = ',';
    EXPECT_EQ(comma.Evaluate("1,5 + 1.5"), Variant(3.0));
    EXPECT_EQ(point.Evaluate("1,5 + 1.5"), Variant(3.0));
    EXPECT_EQ(comma.Evaluate("STR(1.5)"), Variant("1,5"));
    EXPECT_EQ(point.Evaluate("STR(1.5)"), Variant("1.5"));
    EXPECT_EQ(comma.Evaluate("'1,5' + 1"), Variant(2.5));
    EXPECT_THROW(point.Evaluate("'1,5' + 1"), EConvertError);
    EXPECT_EQ(comma.Evaluate("IF(STR(0.5), 1, 2)"), Variant(2.0));
}

TEST(Evaluator, RaisesTheErrorsOfItsValues)
{
    Harness h;
    EXPECT_THROW(h.parser.Evaluate("1.2.3"), EConvertError);
    EXPECT_THROW(h.parser.Evaluate("2abc"), EConvertError);
    EXPECT_THROW(h.parser.Evaluate("COPY('abc', 1.5, 1)"), EConvertError);
    EXPECT_THROW(h.parser.Evaluate("IF('x', 1, 2)"), EConvertError);
    EXPECT_THROW(h.parser.Evaluate("IF(nothing, 1, 2)"), EVariantError);
    EXPECT_THROW(h.parser.Evaluate("STRTODATE('31/12/1999')"), EConvertError);
    EXPECT_THROW(h.parser.Evaluate("'a' * 2"), EConvertError);
    EXPECT_THROW(h.parser.Evaluate("INT(nothing)"), EVariantError);
    EXPECT_THROW(h.parser.Evaluate("5 mod 0"), EVariantError);
}

TEST(Evaluator, UnbalancedCallParenthesesRaiseThePlainException)
{
    Harness h;
    for (const char* text : {"f(1", "f(1, (2)", "f(')", "1 + g(x"}) {
        try {
            h.parser.ToPostfix(text);
            ADD_FAILURE() << text << " converted";
        } catch (const EParserError&) {
            ADD_FAILURE() << text << " raised a parser error";
        } catch (const Exception& e) {
            EXPECT_STREQ(e.what(), "") << text;
        }
    }
    EXPECT_THROW(h.parser.EvalPostfix("f(1"), Exception);
}

TEST(Evaluator, RefusesWhatTheStackCannotEvaluate)
{
    const struct {
        std::string expression;
        const char* message;
    } cases[] = {
        {"a*-b", "Missing operand for \"*\""},
        {"a and not b", "Missing operand for \"AND\""},
        {"2 - -3", "Missing operand for \"-\""},
        {"*", "Missing operand for \"*\""},
        {"-", "Missing operand for \"-\""},
        {"+", "Missing operand for \"+\""},
        {"not", "Missing operand for \"NOT\""},
        {"1 +", "Missing operand for \"+\""},
        {"(1 + 2", "Missing \")\" in expression"},
        {DeepSum(33), "Expression too complex: more than 32 values at once"},
        {"f(1, 2, 3, 4)", "Too many arguments for F: at most 3"},
        {"IF(1, 2, 3*-4)", "Missing operand for \"*\""},
        {"IF(1, 2, 3, 4)", "Too many arguments for IF: at most 3"},
        {Repeat("IF(1,", 300) + "1" + Repeat(")", 300), "Expression nested too deeply"},
    };
    for (const auto& c : cases) {
        TrpParser parser;
        try {
            parser.ToPostfix(c.expression);
            ADD_FAILURE() << c.expression << " converted";
        } catch (const EParserError& e) {
            EXPECT_STREQ(e.what(), c.message) << c.expression;
        }
    }
    TrpParser parser;
    EXPECT_EQ(parser.Evaluate(DeepSum(32)), Variant(32.0));
}

TEST(Evaluator, RefusesDamagedPostfixTexts)
{
    std::string many;
    for (int i = 0; i < 33; ++i)
        many += "1 ";
    for (const std::string& postfix : {std::string("1 +"), std::string("*"), std::string("\x09"),
                                       std::string("\x0d"), many, std::string("5[3]") + many.substr(4)}) {
        TrpParser parser;
        EXPECT_THROW(parser.EvalPostfix(postfix), EParserError) << postfix;
    }
    TrpParser parser;
    EXPECT_EQ(parser.EvalPostfix(")) "), Variant(std::int32_t{0}));
    EXPECT_EQ(parser.EvalPostfix("\x0a\x0a"), Variant(std::int32_t{0}));
}

TEST(TokenReaders, ReadOperandsQuotesAndArguments)
{
    const struct {
        const char* text;
        std::size_t from;
        const char* operand;
        std::size_t to;
    } operands[] = {
        {"  abc+1", 0, "abc", 5},
        {"ds.\"my field\"+1", 0, "ds.\"my field\"", 13},
        {"a,b;c%]'d' e", 0, "a,b;c%]'d'", 10},
        {"x[1]", 0, "x", 1},
        {"x\r\ny", 0, "x", 1},
        {"(a)", 0, "", 0},
        {"", 0, "", 0},
    };
    for (const auto& c : operands) {
        std::size_t pos = c.from;
        EXPECT_EQ(TrpParser::ReadOperand(c.text, pos), c.operand) << c.text;
        EXPECT_EQ(pos, c.to) << c.text;
    }

    std::size_t pos = 0;
    EXPECT_EQ(TrpParser::ReadQuoted("'it''s' x", pos), "'it''s'");
    EXPECT_EQ(pos, 7u);
    pos = 0;
    EXPECT_EQ(TrpParser::ReadQuoted("'abc", pos), "'abc");
    EXPECT_EQ(pos, 4u);
    EXPECT_EQ(TrpParser::Unquote("'it''s'"), "it's");
    EXPECT_EQ(TrpParser::Unquote("'abc"), "abc");

    pos = 1;
    EXPECT_EQ(TrpParser::SplitArguments("f( a , (b, c), 'd,)' )x", pos),
              (std::vector<std::string>{"a", "(b, c)", "'d,)'"}));
    EXPECT_EQ(pos, 22u);
    pos = 0;
    EXPECT_EQ(TrpParser::SplitArguments("()", pos), (std::vector<std::string>{""}));
    pos = 0;
    EXPECT_THROW(TrpParser::SplitArguments("(a", pos), Exception);
}

TEST(TokenReaders, ExtractBracketedIgnoresBracketsInQuotes)
{
    const struct {
        const char* text;
        std::size_t from;
        const char* inner;
        std::size_t start, end;
    } cases[] = {
        {"a[b]c", 0, "b", 1, 3},
        {"[a[b]c]", 0, "a[b]c", 0, 6},
        {"['x]']", 0, "'x]'", 0, 5},
        {"[\"a]\"]", 0, "\"a]\"", 0, 5},
        {"[\"it's]\"]", 0, "\"it's]\"", 0, 8},
        {"['say \"]']", 0, "'say \"]'", 0, 9},
        {"x[a] [b]", 4, "b", 5, 7},
        {"[abc", 0, "abc", 0, 4},
        {"abc", 0, "", 3, 3},
        {"[a]", 9, "", 3, 3},
    };
    for (const auto& c : cases) {
        std::size_t start = c.from, end = 0;
        EXPECT_EQ(ExtractBracketed(c.text, start, end), c.inner) << c.text;
        EXPECT_EQ(start, c.start) << c.text;
        EXPECT_EQ(end, c.end) << c.text;
    }
}
