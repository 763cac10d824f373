// The report run: its passes in the progress window, Cancel, and progress
// told to the application instead.
#include "BandFixture.h"

#include "report/RpProgressForm.h"

#include <QLabel>

namespace report {
namespace {

using T = TrpBandType;
using ReportRun = BandFixture;

constexpr std::uint16_t kOnBoth = BandFlag::OnFirstPage | BandFlag::OnLastPage;

class ReportRunPages : public BandFixture {
protected:
    void SetUp() override
    {
        BandFixture::SetUp();
        AddBand(T::MasterData, 80, 20, "MasterData1", kOnBoth, "Rows");
        AddText("Row", "[N]", 20, 80);
        AddBand(T::PageFooter, 200, 20, "PageFooter1");
        AddText("Foot", "[PAGE#] of [TOTALPAGES]", 20, 200);
        CountedRecords(120);
    }
};

TEST_F(ReportRunPages, TheProgressWindowShowsBothPassesAndTheTotal)
{
    report->DoublePassReport = -1;
    report->Title = "Orders";
    TrpProgressForm& window = EngineProgressForm();
    std::vector<std::string> labels;
    std::string caption;
    report->OnEndPage = [&](int) {
        labels.push_back(window.Label1->text().toStdString());
        caption = window.windowTitle().toStdString();
        EXPECT_TRUE(window.isVisible());
    };
    ASSERT_EQ(Run(), 3u);
    EXPECT_TRUE(prepared);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(caption, "Orders - Preparing report");
    // The first pass counts; the second knows the count.
    ASSERT_EQ(labels.size(), 6u);
    EXPECT_EQ(labels[0], "Performing 1st pass:  2");
    EXPECT_EQ(labels[3], "Processing page:  2 from 3");
    EXPECT_EQ(labels[5], "Processing page:  3 from 3");
    EXPECT_EQ(Find(2, "Foot").Text, "3 of 3");
}

TEST_F(ReportRunPages, CancelEndsTheRun)
{
    // Cancel in the first pass leaves no pages.
    report->DoublePassReport = -1;
    report->OnEndPage = [&](int) { EngineProgressForm().Button1Click(); };
    EXPECT_EQ(Run(), 0u);
    EXPECT_FALSE(prepared);
    // In a single pass the pages built so far stay.
    report->DoublePassReport = 0;
    report->OnEndPage = [&](int) { EngineProgressForm().Button1Click(); };
    EXPECT_EQ(Run(), 1u);
    EXPECT_FALSE(prepared);
    EXPECT_TRUE(questions.messages.empty());
}

TEST_F(ReportRunPages, AnApplicationTakesTheProgressInsteadOfTheWindow)
{
    std::vector<int> told;
    report->OnProgress = [&](int n) { told.push_back(n); };
    report->OnBeginPage = [&](int) { EXPECT_FALSE(EngineProgressForm().isVisible()); };
    ASSERT_EQ(Run(), 3u);
    EXPECT_EQ(told, (std::vector<int>{1, 2, 3, 3, 3}));
    EXPECT_EQ(Find(2, "Foot").Text, "3 of 0");

    // A run that fails shows its error once and keeps no pages; without
    // the window the preparation still counts as done.
    report->FindView("Row")->Memo = {"[Nowhere]"};
    EXPECT_EQ(Run(), 0u);
    EXPECT_TRUE(prepared);
    ASSERT_EQ(questions.messages.size(), 1u);
    EXPECT_NE(questions.messages[0].find("Object: Row"), std::string::npos) << questions.messages[0];
}

} // namespace
} // namespace report

namespace report {
namespace {

// A report of one page with a title band saying who it is.
TrpReport& Member(QWidget& owner, const std::string& name, int rows, bool toPrevious)
{
    auto* member = new TrpReport(&owner);
    member->setObjectName(QString::fromStdString(name));
    member->ShowProgress = false;
    TrpPage& page = member->Pages.Add();
    page.MarginLeft = page.MarginTop = page.MarginRight = page.MarginBottom = 20;
    page.PrintToPrevPage = toPrevious ? 0xFFFF : 0;
    auto band = std::make_unique<TrpBandView>();
    band->SetBandType(static_cast<int>(TrpBandType::MasterData));
    band->Name = "MasterData1";
    band->Top = 40;
    band->Height = 20;
    band->FormatString = std::to_string(rows);
    page.AddObject(std::move(band));
    auto memo = std::make_unique<TrpMemoView>();
    memo->Name = "Text";
    memo->Memo = {name + " [LINE#] on [PAGE#]"};
    memo->Top = 40;
    memo->Width = 300;
    memo->Height = 16;
    memo->DisplayFormat = 0;
    page.AddObject(std::move(memo));
    return *member;
}

TEST_F(ReportRun, ACompositeRunsItsMembersIntoItsPages)
{
    auto* composite = new TrpCompositeReport(form.get());
    composite->setObjectName("repAll");
    composite->ShowProgress = false;
    composite->MeasurerFactory = &measurers;
    TrpReport& first = Member(*form, "first", 2, false);
    TrpReport& second = Member(*form, "second", 2, true);
    TrpReport& third = Member(*form, "third", 60, false);
    composite->Reports = {&first, &second, &third};
    std::vector<std::string> docs;
    first.OnBeginDoc = [&] { docs.push_back("begin first"); };
    third.OnEndDoc = [&] { docs.push_back("end third"); };
    ASSERT_TRUE(composite->Prepare());
    EXPECT_EQ(docs, (std::vector<std::string>{"begin first", "end third"}));
    // The second continues on the first's page; the third starts a page
    // of its own and runs over two; the page numbers run on.
    ASSERT_EQ(composite->EMFPages->Count(), 3u);
    const auto texts = [&](std::size_t index) {
        std::vector<std::string> result;
        composite->EMFPages->RebuildPage(index);
        for (const auto& view : composite->EMFPages->PageRecord(index).Rebuilt->Objects)
            result.push_back(view->Memo.front());
        composite->EMFPages->ReleasePage(index);
        return result;
    };
    EXPECT_EQ(texts(0), (std::vector<std::string>{"first 1 on 1", "first 2 on 1", "second 1 on 1", "second 2 on 1"}));
    EXPECT_EQ(texts(1).front(), "third 1 on 2");
    EXPECT_EQ(texts(2).back(), "third 60 on 3");
    EXPECT_EQ(first.EMFPages->Count(), 0u);  // members keep no pages of their own
}

} // namespace
} // namespace report
