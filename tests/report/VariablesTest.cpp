#include "report/Exceptions.h"
#include "report/RP_Pars.h"

#include <gtest/gtest.h>

using namespace report;

TEST(Variables, AddOverwriteAndFindIgnoringCase)
{
    TrpVariables v;
    v.SetVariable("Total", Variant(std::int32_t{1}));
    v.SetVariable("name", Variant("x"));
    v.SetVariable("TOTAL", Variant(std::int32_t{2}));
    EXPECT_EQ(v.GetCount(), 2);
    EXPECT_EQ(v.IndexOf("total"), 0);
    EXPECT_EQ(v.GetName(0), "Total");
    EXPECT_EQ(v.GetVariable("tOtAl"), Variant(std::int32_t{2}));
    EXPECT_TRUE(v.GetVariable("absent").isNull());
    EXPECT_EQ(v.IndexOf("absent"), -1);
}

TEST(Variables, IgnoreIndexesOutOfRange)
{
    TrpVariables v;
    v.SetVariable("a", Variant(std::int32_t{5}));
    for (int index : {-1, 1, 100}) {
        EXPECT_EQ(v.GetValue(index), Variant(std::int32_t{0}));
        EXPECT_EQ(v.GetName(index), "");
        v.SetValue(index, Variant("x"));
        v.SetName(index, "b");
        v.Delete(index);
    }
    EXPECT_EQ(v.GetCount(), 1);
    EXPECT_EQ(v.GetValue(0), Variant(std::int32_t{5}));
    v.SetValue(0, Variant("y"));
    EXPECT_EQ(v.GetValue(0), Variant("y"));
    v.Delete(0);
    EXPECT_EQ(v.GetCount(), 0);
}

TEST(Variables, SortedListsKeepTheirOrder)
{
    TrpVariables v;
    for (const char* name : {"delta", "Alpha", "charlie", "Bravo"})
        v.SetVariable(name, Variant(name));
    v.SetSorted(true);
    v.SetVariable("echo", Variant(std::int32_t{1}));
    v.SetVariable("ALPHA", Variant(std::int32_t{2}));
    std::vector<std::string> names;
    for (int i = 0; i < v.GetCount(); ++i)
        names.push_back(v.GetName(i));
    EXPECT_EQ(names, (std::vector<std::string>{"Alpha", "Bravo", "charlie", "delta", "echo"}));
    EXPECT_EQ(v.GetValue(0), Variant(std::int32_t{2}));
    EXPECT_EQ(v.IndexOf("CHARLIE"), 2);

    v.SetName(0, "foxtrot");  // moves to keep the order
    EXPECT_EQ(v.GetName(4), "foxtrot");
    EXPECT_EQ(v.IndexOf("foxtrot"), 4);
    v.SetName(0, "DELTA");  // another entry has that name: ignored
    EXPECT_EQ(v.GetName(0), "Bravo");
    v.Clear();
    EXPECT_EQ(v.GetCount(), 0);
}

namespace {

std::vector<std::string> Split(const std::string& expression, TrpVariables* variables = nullptr)
{
    const std::vector<std::string> names = {"SUM", "count"};
    std::vector<std::string> found;
    TrpFunctionSplitter(names, found, variables).Split(expression);
    return found;
}

} // namespace

TEST(FunctionSplitter, CollectsListedCallsInnermostFirst)
{
    using V = std::vector<std::string>;
    EXPECT_EQ(Split("SUM(x) + 1"), V{"SUM(x)"});
    EXPECT_EQ(Split("  sum(SUM(a) + Count(b), band) * 2"), (V{"SUM(a)", "Count(b)", "sum(SUM(a) + Count(b), band)"}));
    EXPECT_EQ(Split("MAX(x) + (SUM(y))"), V{"SUM(y)"});
    EXPECT_EQ(Split("f(1, 2, 3, SUM(z))"), V{"SUM(z)"});
    EXPECT_EQ(Split("'SUM(x)'"), V{});
    EXPECT_EQ(Split("[SUM(q)]"), V{"SUM(q)"});
    EXPECT_EQ(Split("a ) SUM(x)"), V{});  // stops at a stray ")"
    EXPECT_THROW(Split("SUM(x"), Exception);
}

TEST(FunctionSplitter, ExpandsVariables)
{
    using V = std::vector<std::string>;
    TrpVariables v;
    v.SetVariable("Bracketed", Variant("SUM(z)"));
    v.SetVariable("Plain", Variant("COUNT(q) + 1"));
    v.SetVariable("Self", Variant("Self + SUM(s)"));
    v.SetVariable("Empty", Variant::null());
    EXPECT_EQ(Split("[bracketed] + 1", &v), V{"SUM(z)"});
    EXPECT_EQ(Split("plain * 2", &v), V{"COUNT(q)"});
    EXPECT_EQ(Split("self", &v), V{"SUM(s)"});
    EXPECT_EQ(Split("[empty] + empty", &v), V{});
}

TEST(FunctionSplitter, RefusesRunawayExpansion)
{
    // Every level names the next one twice: 2^30 expansions without a limit.
    TrpVariables v;
    for (int i = 0; i < 30; ++i)
        v.SetVariable("v" + std::to_string(i), Variant("v" + std::to_string(i + 1) + " + v" + std::to_string(i + 1)));
    EXPECT_THROW(Split("v0", &v), EParserError);

    std::string deep;
    for (int i = 0; i < 500; ++i)
        deep += "f(";
    deep += std::string(500, ')');
    EXPECT_THROW(Split(deep), EParserError);
}
