// The main window's report: the template it carries and the character set
// of its texts.

#include "AppFakes.h"
#include "MainWindowSite.h"

#include "app/main.h"

#include "ntlib/FunctionBinding.h"

#include "report/RP_Class.h"

#include <gtest/gtest.h>

namespace {

using namespace report;

class MainPrintTest : public ::testing::Test {
protected:
    MainWindowSite network;
    ScopedSystemFunctions bound;
    FakePrompts prompts;
    ScopedUserPrompts usePrompts{prompts};
    TfrmQORVMain main;
};

TEST_F(MainPrintTest, TheWindowCarriesTheEventListsTemplateOverItsDataSet)
{
    TrpReport& report = *main.repCommon();
    EXPECT_EQ(report.Name(), "repCommon");
    EXPECT_EQ(report.Dataset.data(), main.dsCommon());
    EXPECT_EQ(main.dsCommon()->Name(), "dsCommon");
    ASSERT_EQ(report.Pages.Count(), 1u);
    EXPECT_EQ(report.Pages.Page(0).Objects.size(), 4u + 19u);
    const auto* rows = dynamic_cast<const TrpBandView*>(report.FindView("MasterData1"));
    ASSERT_NE(rows, nullptr);
    EXPECT_EQ(rows->DataSource(), "dsCommon");
    EXPECT_NE(report.DoublePassReport, 0);
}

TEST_F(MainPrintTest, TheTitleColumnsAndRowsTakeTheDefaultCharacterSetAndTheFooterKeepsItsOwn)
{
    const TrpReport& report = *main.repCommon();
    for (int n = 1; n <= 19; ++n) {
        const auto* memo = dynamic_cast<const TrpMemoView*>(report.FindView("Memo" + std::to_string(n)));
        ASSERT_NE(memo, nullptr) << n;
        EXPECT_EQ(memo->Font.Charset, n <= 17 ? kDefaultCharset : 0) << memo->Name;
    }
}

} // namespace
