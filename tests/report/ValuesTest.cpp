#include "ReportFixture.h"

#include "report/DisplayFormat.h"
#include "report/VariantRules.h"

#include <gtest/gtest.h>

namespace report {
namespace {

using ValuesTest = ReportFixture;

TEST_F(ValuesTest, NamesResolveInAFixedOrder)
{
    // Each name is answered by two sources; the earlier one wins.
    // application > dictionary > special names > script variables >
    // engine values > the name as an expression.
    report->OnGetValue = [](const std::string& name, Variant& value) {
        if (name == "APP" || name == "PAGE#")
            value = Variant("from the application");
    };
    report->Dictionary.Variables.SetVariable("APP", Variant("1"));
    report->Dictionary.Variables.SetVariable("DATE", Variant("'from the dictionary'"));
    report->Dictionary.Variables.SetVariable("Plain", Variant("2 * 3"));
    EngineGlobals().ScriptVariables.SetVariable("TOTALPAGES", Variant("from the script"));
    EngineGlobals().ScriptVariables.SetVariable("CURY", Variant("from the script"));
    EngineGlobals().ScriptVariables.SetVariable("A", Variant(std::int32_t{2}));
    RunState().TotalPages = 9;
    TrpPage& page = report->Pages.Page(0);
    page.CurY = 300;
    RunState().Page = &page;

    EXPECT_EQ(Value("APP"), Variant("from the application"));
    EXPECT_EQ(Value("PAGE#"), Variant("from the application"));
    EXPECT_EQ(Value("DATE"), Variant("from the dictionary"));
    EXPECT_EQ(Value("Plain"), Variant(6.0));
    EXPECT_EQ(Value("TOTALPAGES"), Variant(std::int32_t{9}));
    EXPECT_EQ(Value("CURY"), Variant("from the script"));
    EXPECT_EQ(Value("FREESPACE"), Variant(page.BottomLimit() - 300));
    EXPECT_EQ(Value("clRed"), Variant(std::int32_t{0x0000FF}));
    EXPECT_EQ(Value("A + 1"), Variant(3.0));

    try {
        Value("NOBODY");
        FAIL() << "answered";
    } catch (const EParserError& error) {
        EXPECT_STREQ(error.what(), "Undefined symbol \"NOBODY\"");
    }
    // While the band engine measures, a name nobody answers is Empty.
    RunState().MeasuringPass = true;
    EXPECT_TRUE(Value("NOBODY").isEmpty());
}

TEST_F(ValuesTest, SpecialNamesAndEngineValues)
{
    TrpRunState& state = RunState();
    TrpPage& page = report->Pages.Page(0);
    state.Page = &page;
    state.PageNo = 2;
    state.Date = 36114;
    state.Time = 0.5;
    page.ColumnNo = 3;
    page.CurrentNo = 17;
    page.CurY = 100;
    page.CurBottomY = 900;
    report->Info.Name = "Events";
    report->Info.Author = "me";
    report->Info.VersionBuild = "7";
    report->Info.Created = 36000;
    report->FinalPass = true;

    TrpBand data(&page, 5);
    TrpUserDataset rows;
    data.DataSet = &rows;
    data.LineNo = 4;
    data.LineThrough = 40;
    TrpBand footer(&page, 6);  // no data set: the first band of its chain counts
    TrpBand second(&page, 6);
    footer.LineNo = 8;
    second.PrevBand = &footer;
    state.Band = &second;
    EXPECT_EQ(Value("LINE#"), Variant(std::int32_t{8}));
    state.Band = &data;

    const std::pair<const char*, Variant> expected[] = {
        {"PAGE#", Variant(std::int32_t{3})},
        {"DATE", Variant::dateTime(36114)},
        {"TIME", Variant::dateTime(0.5)},
        {"LINE#", Variant(std::int32_t{4})},
        {"LINETHROUGH#", Variant(std::int32_t{40})},
        {"COLUMN#", Variant(std::int32_t{3})},
        {"CURRENT#", Variant(std::int32_t{17})},
        {"REPORTNAME", Variant("Events")},
        {"REPORTAUTOR", Variant("me")},
        {"VBUILD", Variant("7")},
        {"REPORTDATE", Variant::dateTime(36000)},
        {"CURY", Variant(std::int32_t{100})},
        {"PAGEHEIGHT", Variant(std::int32_t{900})},
        {"PAGEWIDTH", Variant(page.RightLimit())},
        {"FINALPASS", Variant(true)},
        {"MEMO1.WIDTH", Variant(std::int32_t{120})},
        {"Memo1.Memo.Count", Variant(std::int32_t{1})},
        {"CRLF", Variant("\r\n")},
    };
    for (const auto& [name, value] : expected)
        EXPECT_EQ(Value(name), value) << name;
    // Special names compare exactly: the evaluator hands them upper-cased.
    EXPECT_EQ(Eval("page#"), Variant(std::int32_t{3}));

    // CALCWIDTH: the current text object's widest line.
    state.View = memo;
    memo->ExpandedLines = {"a", "a much longer line"};
    const Variant wide = Value("CALCWIDTH");
    memo->ExpandedLines = {"a"};
    EXPECT_GT(wide.integerValue(), Value("CALCWIDTH").integerValue());
    state.View = nullptr;
    EXPECT_EQ(Value("CALCWIDTH"), Variant(std::int32_t{0}));
}

TEST_F(ValuesTest, DictionaryVariables)
{
    auto& variables = report->Dictionary.Variables;
    variables.SetVariable(" Totals", Variant(""));
    variables.SetVariable("Six", Variant("2 * 3"));
    variables.SetVariable("Nothing", Variant(""));
    variables.SetVariable("Hidden", Variant("1"));
    EngineGlobals().ScriptVariables.SetVariable("Hidden", Variant("script"));
    EXPECT_EQ(Value("SIX"), Variant(6.0));
    EXPECT_EQ(Value("Nothing"), Variant(""));
    EXPECT_EQ(Value("Hidden"), Variant("script"));

    // Variables that refer to each other end as undefined, not in endless
    // recursion.
    variables.SetVariable("X", Variant("Y"));
    variables.SetVariable("Y", Variant("X + 1"));
    try {
        Value("X");
        FAIL() << "answered";
    } catch (const EParserError& error) {
        EXPECT_STREQ(error.what(), "Undefined symbol \"X\"");
    }
    // Still usable afterwards.
    EXPECT_EQ(Value("Six"), Variant(6.0));
}

TEST_F(ValuesTest, OlderDictionariesDropTheirUnusedEntries)
{
    // Marker -1: empty variables that name no data field and empty band
    // data sources go; headings stay, though their values are empty.
    TrpStream stream;
    stream.WriteInt16(-1);
    const auto list = [&](std::initializer_list<std::pair<const char*, const char*>> entries) {
        stream.WriteInt32(static_cast<std::int32_t>(entries.size()));
        for (const auto& [name, value] : entries) {
            WriteCountedString(stream, name);
            WriteCountedString(stream, value);
        }
    };
    list({{" Heading", ""}, {"Empty", ""}, {"Orders.customer", ""}, {"Kept", "1"}});
    list({});
    list({{"dsEmpty", ""}, {"dsUsed", "Orders"}});
    stream.Seek(0);
    TrpDataDictionary& dictionary = report->Dictionary;
    dictionary.ReadDictionary(stream);
    std::vector<std::string> names;
    for (int i = 0; i < dictionary.Variables.GetCount(); ++i)
        names.push_back(dictionary.Variables.GetName(i));
    EXPECT_EQ(names, (std::vector<std::string>{" Heading", "Orders.customer", "Kept"}));
    EXPECT_EQ(dictionary.BandDatasources.GetCount(), 1);
    EXPECT_EQ(dictionary.BandDatasources.GetName(0), "dsUsed");
}

TEST_F(ValuesTest, DataFieldsThroughTheDictionary)
{
    auto& dictionary = report->Dictionary;
    dictionary.Variables.SetVariable("Customer", Variant("Orders.\"customer\""));
    dictionary.FieldAliases.SetVariable("Orders", Variant("Bestellungen"));
    dictionary.FieldAliases.SetVariable("Orders.amount", Variant("Betrag"));
    orders->Open();
    orders->GotoBookmark(9);  // id 10, no note

    EXPECT_EQ(Value("Customer"), Variant("Customer 10"));
    EXPECT_EQ(Value("Orders.customer"), Variant("Customer 10"));
    EXPECT_EQ(Eval("[Orders.\"customer\"]"), Variant("Customer 10"));
    // Aliases of data sets and fields reach the same fields.
    EXPECT_EQ(Value("Bestellungen.customer"), Variant("Customer 10"));
    EXPECT_EQ(Value("Bestellungen.Betrag"), Variant(15.0));
    EXPECT_EQ(Value("Orders.note"), Variant(""));  // a null text reads as ""
    EXPECT_EQ(dictionary.Cache().count("ORDERS.CUSTOMER"), 1u);

    // A quoted field name may hold points: the split is at the last point
    // outside quotes.
    std::string dataSet, field;
    ASSERT_TRUE(TrpDataDictionary::SplitFieldName("Form.Orders.\"a.b\"", dataSet, field));
    EXPECT_EQ(dataSet, "Form.Orders");
    EXPECT_EQ(field, "a.b");
    EXPECT_FALSE(TrpDataDictionary::SplitFieldName("\"a.b\"", dataSet, field));
    EXPECT_EQ(dictionary.RealDataSetName("BESTELLUNGEN"), "Orders");
    EXPECT_EQ(dictionary.RealDataSetName("Other"), "Other");

    // A new build forgets the fields resolved: a data set replaced since is
    // found again.
    delete orders;
    EXPECT_THROW(Value("Orders.customer"), EDatabaseError);
    dictionary.ClearCache();
    auto* replacement = new TDataSet(form.get());
    replacement->setObjectName("Orders");
    replacement->ConnectionName = Connection();
    replacement->SQL = "select 'new' as customer";
    EXPECT_EQ(Value("Orders.customer"), Variant("new"));
}

TEST_F(ValuesTest, ScriptsReachPagesAndTheCurrentObjectsDottedProperties)
{
    // Object.Property names an object, a template page by its number
    // (PAGE1), or a property of the current object whose own name holds a
    // point; names and assignments find them alike.
    TrpPage& page = report->Pages.Page(0);
    page.Columns = 2;
    memo->Memo = {"a", "b", "c"};
    RunState().View = memo;
    EXPECT_EQ(Value("PAGE1.COLUMNS"), Variant(std::int32_t{2}));
    EXPECT_EQ(Value("MEMO.COUNT"), Variant(std::int32_t{3}));
    EXPECT_EQ(Value("MEMO1.MEMO.COUNT"), Variant(std::int32_t{3}));

    std::vector<std::string> coded, errors;
    TInterpretator& interpreter = EngineGlobals().Interpreter;
    interpreter.Compile({"begin Page1.Columns := 3; Memo1.Left := 40; Lines := Memo.Count end"}, coded, errors);
    ASSERT_TRUE(errors.empty()) << errors.front();
    interpreter.Run(coded);
    EXPECT_EQ(page.Columns, 3);
    EXPECT_EQ(memo->Left, 40);
    EXPECT_EQ(EngineGlobals().ScriptVariables.GetVariable("Lines"), Variant(std::int32_t{3}));
    EXPECT_EQ(EngineGlobals().ScriptVariables.IndexOf("Page1.Columns"), -1);
}

TEST_F(ValuesTest, BracketsAndDisplayFormats)
{
    EngineGlobals().ScriptVariables.SetVariable("X", Variant(1234.5));
    EngineGlobals().ScriptVariables.SetVariable("Flag", Variant(true));
    RunState().View = memo;
    memo->DisplayFormat = TrpDisplayFormat{FormatCategory::Number, 1, 2, ','}.Encode();
    EXPECT_EQ(Bracket("X"), "1234,50");
    EXPECT_EQ(Bracket("X #N0.1"), "1234.5");
    EXPECT_EQ(Bracket("X #N#,##0.00"), "1,234.50");
    EXPECT_EQ(Bracket("Flag #BNo;Yes"), "Yes");
    EXPECT_EQ(Bracket("X * 2"), "2469,00");
    EXPECT_EQ(RunState().Value, Variant(2469.0));  // VALUE is the last bracket's value

    memo->DisplayFormat = 0;
    memo->Flags |= MemoFlag::HideZeros;
    EXPECT_EQ(Bracket("0"), "");
    EXPECT_EQ(Bracket("0.0"), "");
    EXPECT_EQ(Bracket("'0'"), "0");
    EXPECT_EQ(Bracket("1 - 1 + 2"), "2");

    // The measuring pass evaluates without formatting.
    RunState().MeasuringPass = true;
    std::string result = "untouched";
    report->EvaluateBracket("X", result);
    EXPECT_EQ(result, "untouched");
}

TEST_F(ValuesTest, ObjectsExpandTheirBracketsThroughTheReport)
{
    memo->Memo = {"[X #N0.2] and [Y]"};
    EngineGlobals().ScriptVariables.SetVariable("X", Variant(1.5));
    EngineGlobals().ScriptVariables.SetVariable("Y", Variant("text"));
    EXPECT_EQ(memo->ExpandMemo(), (TrpLines{"1.50 and text"}));
}

TEST_F(ValuesTest, ADatabaseErrorBecomesTheRunsCalculationError)
{
    report->Dictionary.Variables.SetVariable("Total", Variant("Orders.\"amount\""));
    orders->SQL = "select amount from missing_table";
    RunState().View = memo;
    try {
        memo->ExpandMemo();
        FAIL() << "expanded";
    } catch (...) {
        report->CalculationError(std::current_exception());
    }
    const std::string& message = RunState().ErrorMessage;
    EXPECT_TRUE(RunState().ErrorFlag);
    EXPECT_TRUE(report->Terminated);
    EXPECT_EQ(message.rfind("An error occured during calculating\r\rTotal: [Total]\r\rReport: repTest\r"
                            "Object: Memo1\r\r",
                            0),
              0u)
        << message;
    EXPECT_NE(message.find("no such table: missing_table"), std::string::npos) << message;
}

} // namespace
} // namespace report
