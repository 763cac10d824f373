#include "ReportFixture.h"

#include "report/RpDialogPage.h"
#include "report/RpStdFunctions.h"
#include "report/VariantRules.h"

#include <gtest/gtest.h>

namespace report {
namespace {

// Answers INPUT and MESSAGEBOX and remembers what they asked.
class ScriptedQuestions final : public TrpQuestions {
public:
    std::string InputBox(const std::string& caption, const std::string& prompt,
                         const std::string& defaultText) override
    {
        asked = "input|" + caption + "|" + prompt + "|" + defaultText;
        return answer;
    }
    int MessageBox(const std::string& text, const std::string& caption, int flags) override
    {
        asked = "box|" + text + "|" + caption + "|" + std::to_string(flags);
        return button;
    }

    std::string answer = "typed";
    int button = MessageBoxAnswer::Yes;
    std::string asked;
};

class FunctionsTest : public ReportFixture {
protected:
    void SetUp() override
    {
        ReportFixture::SetUp();
        EngineGlobals().Questions = &questions;
    }
    void TearDown() override
    {
        EngineGlobals().Questions = saved;
        ReportFixture::TearDown();
    }

    // Runs a script the way a report object's script runs.
    void RunScript(const std::vector<std::string>& source)
    {
        std::vector<std::string> coded, errors;
        TInterpretator& interpreter = EngineGlobals().Interpreter;
        interpreter.Compile(source, coded, errors);
        ASSERT_TRUE(errors.empty()) << errors.front();
        interpreter.Run(coded);
    }

    ScriptedQuestions questions;
    TrpQuestions* saved = EngineGlobals().Questions;
};

TEST_F(FunctionsTest, StandardFunctions)
{
    EngineGlobals().ScriptVariables.SetVariable("I", Variant(std::int32_t{2}));
    EngineGlobals().ScriptVariables.SetVariable("R", Variant(2.0));
    const std::pair<const char*, Variant> cases[] = {
        {"DAYOF(STRTODATE('11/15/1998'))", Variant(std::int32_t{15})},
        {"MONTHOF(STRTODATE('11/15/1998'))", Variant(std::int32_t{11})},
        {"YEAROF(STRTODATE('11/15/1998'))", Variant(std::int32_t{1998})},
        {"FORMATDATETIME('dd.mm.yyyy', STRTODATE('11/15/1998'))", Variant("15.11.1998")},
        {"FORMATFLOAT('#,##0.00', 1234.5)", Variant("1,234.50")},
        {"FORMATTEXT('(000) 000', '555' + '123')", Variant("(555) 123")},
        {"FORMATTEXT('000-000', '12')", Variant("12 -   ")},
        {"LENGTH('abc' + 'de')", Variant(std::int32_t{5})},
        {"LOWERCASE('\xC3\x84" "BC')", Variant("\xC3\xA4" "bc")},
        {"UPPERCASE('abc')", Variant("ABC")},
        {"NAMECASE('hELLO wORLD')", Variant("Hello world")},
        {"NAMECASE('')", Variant("")},
        {"MAXNUM(3, 5)", Variant(5.0)},
        {"MAXNUM(I, R)", Variant(2.0)},  // equal values: the second
        {"MINNUM(R, I)", Variant(std::int32_t{2})},
        {"MINNUM(1, 2)", Variant(1.0)},
        {"POS('lo', 'hello')", Variant(std::int32_t{4})},
        {"POS('x', 'hello')", Variant(std::int32_t{0})},
        {"TRIM('  a b ' + CRLF)", Variant("a b")},
    };
    for (const auto& [expression, expected] : cases)
        EXPECT_EQ(Eval(expression), expected) << expression;
    EXPECT_THROW(Eval("DAYOF('not a date')"), EConvertError);
}

TEST_F(FunctionsTest, TextFunctionsCountCharactersOfUtf8AndBytesOfOtherTexts)
{
    // "\xC3\x84" is A with diaeresis in UTF-8, "\xC4" the same letter in
    // Latin-1.
    const std::pair<const char*, Variant> cases[] = {
        {"LENGTH('\xC3\x84" "bc')", Variant(std::int32_t{3})},
        {"LENGTH('\xC4" "bc')", Variant(std::int32_t{3})},
        {"LENGTH('\xC3\x84\xFF')", Variant(std::int32_t{3})},  // not UTF-8: bytes
        {"POS('c', '\xC3\x84" "bc')", Variant(std::int32_t{3})},
        {"POS('\xC3\x84', 'b\xC3\x84')", Variant(std::int32_t{2})},
        {"POS('\x84', '\xC3\x84" "bc')", Variant(std::int32_t{0})},  // half a character is no match
        {"POS('\xC3', '\xC3\x84" "bc')", Variant(std::int32_t{0})},
        {"POS('c', '\xC4" "bc')", Variant(std::int32_t{3})},
        {"COPY('\xC3\x84" "bc', 1, 1)", Variant("\xC3\x84")},
        {"COPY('\xC3\x84" "bc', 2, 2)", Variant("bc")},
        {"COPY('\xC3\x84" "bc', 0, 2)", Variant("\xC3\x84" "b")},
        {"COPY('\xC3\x84" "bc', 4, 1)", Variant("")},
        {"COPY('\xC4" "bc', 1, 1)", Variant("\xC4")},
        {"COPY('\xC3\x84\xFF', 2, 1)", Variant("\x84")},  // not UTF-8: bytes
    };
    for (const auto& [expression, expected] : cases)
        EXPECT_EQ(Eval(expression), expected) << expression;
}

TEST_F(FunctionsTest, QuestionsGoThroughTheSeam)
{
    EXPECT_EQ(Eval("INPUT('Your name?', 'Ann')"), Variant("typed"));
    EXPECT_EQ(questions.asked, "input||Your name?|Ann");  // an empty caption
    EXPECT_EQ(Eval("MESSAGEBOX('Go on?', 'Report', mb_YesNo + mb_IconQuestion)"),
              Variant(std::int32_t{MessageBoxAnswer::Yes}));
    EXPECT_EQ(questions.asked, "box|Go on?|Report|36");
}

TEST_F(FunctionsTest, FieldIsNull)
{
    orders->Open();
    orders->GotoBookmark(9);  // id 10: no note
    EXPECT_EQ(Eval("FIELDISNULL('Orders.note')"), Variant(true));
    EXPECT_EQ(Eval("FIELDISNULL('Orders.\"customer\"')"), Variant(false));
    EXPECT_EQ(Eval("FIELDISNULL('Nowhere.note')"), Variant(true));  // no data set
    EXPECT_THROW(Eval("FIELDISNULL('Orders.missing')"), EDatabaseError);

    // With the default data set name, a plain field name is the current
    // band's.
    TrpDBDataSet rpOrders;
    rpOrders.SetDataSet(orders);
    TrpPage& page = report->Pages.Page(0);
    TrpBand data(&page, static_cast<int>(TrpBandType::MasterData));
    data.DataSet = &rpOrders;
    page.FirstBands[5] = &data;
    TrpBand footer(&page, static_cast<int>(TrpBandType::PageFooter));
    RunState().Band = &footer;
    report->UseDefaultDataSetName = true;
    EXPECT_EQ(Eval("FIELDISNULL('note')"), Variant(true));
    orders->First();
    EXPECT_EQ(Eval("FIELDISNULL('note')"), Variant(false));
    page.FirstBands[5] = nullptr;
}

TEST_F(FunctionsTest, LibrariesThenCommandsThenTheApplication)
{
    std::vector<std::string> asked;
    report->OnUserFunction = [&](const std::string& name, const Variant& p1, const Variant&, const Variant&,
                                 Variant& val) {
        asked.push_back(name);
        if (name == "TWICE")
            val = VarMul(report->Evaluate(p1.toText()), Variant(2.0));
    };
    EXPECT_EQ(Eval("TWICE(1 + 2)"), Variant(6.0));
    EXPECT_EQ(Eval("UPPERCASE('a')"), Variant("A"));  // a library answers: the application is not asked
    EXPECT_EQ(asked, std::vector<std::string>{"TWICE"});
    report->OnUserFunction = nullptr;
    EXPECT_EQ(Eval("UNKNOWN(1)"), Variant("0"));

    // A library of the application's own.
    class Extra final : public TrpFunctionLibrary {
    public:
        Extra() { List = {"UPPERCASE", "ANSWER"}; }
        std::string ClassName() const override { return "Extra"; }
        void EvaluateFunction(int index, const Variant&, const Variant&, const Variant&, Variant& val) override
        {
            val = index == 0 ? Variant("shadowed") : Variant(std::int32_t{42});
        }
        void AddDescriptions() override { AddFunctionInfo("ANSWER", "Extra", "ANSWER()/The answer"); }
    };
    ASSERT_TRUE(RegisterFunctionLibrary<Extra>());
    EXPECT_FALSE(RegisterFunctionLibrary<Extra>());  // once per class
    EXPECT_EQ(Eval("ANSWER()"), Variant(std::int32_t{42}));
    EXPECT_EQ(Eval("UPPERCASE('a')"), Variant("A"));  // the standard library was installed first
    const auto& entries = EngineGlobals().InstalledFunctions.Entries();
    const auto described = [&](const std::string& name) {
        return std::any_of(entries.begin(), entries.end(), [&](const auto& e) { return e.Name == name; });
    };
    EXPECT_TRUE(described("ANSWER"));
    EXPECT_TRUE(described("FIELDISNULL"));
    UnregisterFunctionLibrary("Extra");
    EXPECT_FALSE(described("ANSWER"));
    EXPECT_EQ(Eval("ANSWER()"), Variant("0"));
}

TEST_F(FunctionsTest, AggregatesRegisterWhileMeasuringAndReadWhilePrinting)
{
    TrpPage& page = report->Pages.Page(0);
    TrpBand data(&page, static_cast<int>(TrpBandType::MasterData));
    data.Name = "MasterData1";
    TrpBand footer(&page, static_cast<int>(TrpBandType::MasterFooter));
    footer.Name = "MasterFooter1";
    TrpRunState& state = RunState();
    state.Band = &footer;
    state.RegisteringBand = &data;
    state.MeasuringPass = true;
    Eval("SUM(Amount)");                  // an empty band name: the level's data band
    Eval("MIN(Amount, MasterData1, 1)");  // named
    Eval("COUNT(Other)");                 // another band: not registered here
    const std::string sum = AggregateKey("MasterFooter1", AggregateCode::Sum, "Amount", "");
    const std::string min = AggregateKey("MasterFooter1", AggregateCode::Min, "Amount", "1");
    ASSERT_EQ(data.AggregateValues.GetCount(), 2);
    EXPECT_EQ(data.AggregateValues.GetVariable(sum), Variant(std::int32_t{0}));
    EXPECT_EQ(data.AggregateValues.GetVariable(min), Variant(1e300));
    EXPECT_EQ(footer.AggregateOwner, &data);

    state.MeasuringPass = false;
    data.AggregateValues.SetVariable(sum, Variant(42.0));
    data.AggregateValues.SetVariable(AggregateKey("MasterFooter1", AggregateCode::Avg, "Amount", ""), Variant(10.0));
    data.AggregateCounts = {4, 4, 4};  // the records each entry took
    EXPECT_EQ(Eval("SUM(Amount)"), Variant(42.0));
    EXPECT_EQ(Eval("AVG(Amount)"), Variant(2.5));
}

TEST_F(FunctionsTest, AggregateCallsAreFoundInTextsAndScripts)
{
    TrpVariables variables;
    variables.SetVariable("Total", Variant("SUM(Amount, MasterData1)"));
    std::vector<std::string> found;
    TAggregateFunctionsSplitter splitter(found, &variables);
    splitter.SplitMemo({"Sum: [SUM(Price * 2)] and [Upper('x')]", "[[Total]] [COUNT(MasterData1) #N0.0]"});
    splitter.SplitScript({"begin a := MAX(Price); b := 1 end"});
    splitter.SplitScript({"if then"});  // does not compile: nothing
    EXPECT_EQ(found, (std::vector<std::string>{"SUM(Price * 2)", "SUM(Amount, MasterData1)", "COUNT(MasterData1)",
                                               "MAX(Price)"}));
}

TEST_F(FunctionsTest, ScriptCommandsAndAssignments)
{
    TrpPage& page = report->Pages.Page(0);
    TrpBand band(&page, static_cast<int>(TrpBandType::MasterData));
    RunState().Band = &band;
    RunState().Page = &page;
    report->Dictionary.Variables.SetVariable("Counter", Variant("10"));
    report->Dictionary.Variables.SetVariable("Greeting", Variant("'hello'"));
    std::string progress;
    EngineGlobals().ShowProgressText = [&](const std::string& text) { progress = text; };

    RunScript({"begin",
               "  A[1] := 5; B := A[1] + 1;",
               "  INC(Counter); INC(Counter); DEC(B);",
               "  Greeting := 'it''s ' + Greeting;",
               "  Memo1.Width := 50; Memo1.Hide;",
               "  NewPage; NewColumn; CurY := 321;",
               "  Progress := 'half way'; ModalResult := 1",
               "end"});
    EngineGlobals().ShowProgressText = nullptr;

    const TrpVariables& script = EngineGlobals().ScriptVariables;
    EXPECT_EQ(script.GetVariable("Arr_A_1"), Variant(5.0));
    EXPECT_EQ(script.GetVariable("B"), Variant(5.0));
    EXPECT_EQ(Value("Counter"), Variant(12.0));  // the dictionary keeps the new value
    EXPECT_EQ(Value("Greeting"), Variant("it's hello"));
    EXPECT_EQ(memo->Width, 50);
    EXPECT_FALSE(memo->Visible);
    EXPECT_EQ(band.NewPageCount, 1);
    EXPECT_EQ(band.NewColumnCount, 1);
    EXPECT_TRUE(band.PositionSetByScript);
    EXPECT_EQ(page.CurY, 321);
    EXPECT_EQ(progress, "half way");
    EXPECT_EQ(script.IndexOf("ModalResult"), -1);  // no effect on a report page

    // Arrays indexed by texts, and an object's indexed property.
    RunScript({"begin Names['x'] := 'y'; Memo1.Memo[0] := 'first'; C := Memo1.Memo[0] end"});
    EXPECT_EQ(script.GetVariable("Arr_Names_x"), Variant("y"));
    EXPECT_EQ(memo->Memo, (TrpLines{"first"}));
    EXPECT_EQ(script.GetVariable("C"), Variant("first"));

    // MODALRESULT closes a dialog page's form with that result; none keeps
    // it open.
    TrpPage& dialog = report->Pages.Add();
    dialog.PageType = 1;
    ASSERT_TRUE(dialog.PrepareDialog());
    RunState().Page = &dialog;
    dialog.Form()->show();
    RunScript({"ModalResult := mrNone"});
    EXPECT_TRUE(dialog.Form()->isVisible());
    EXPECT_EQ(dialog.Form()->ModalResult(), 0);
    RunScript({"ModalResult := mrCancel"});
    EXPECT_FALSE(dialog.Form()->isVisible());
    EXPECT_EQ(dialog.Form()->ModalResult(), 2);
    dialog.UnprepareDialog();

    RunScript({"StopReport"});
    EXPECT_TRUE(report->Terminated);
}

} // namespace
} // namespace report
