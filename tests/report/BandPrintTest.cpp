// Band printing: aggregates per group and per page, sub-reports side by
// side, cross columns, the events of a run and what a run leaves behind.
#include "BandFixture.h"

#include "report/RpLineView.h"
#include "report/RpPictureView.h"

namespace report {
namespace {

using T = TrpBandType;
using BandPrint = BandFixture;

constexpr std::uint16_t kOnBoth = BandFlag::OnFirstPage | BandFlag::OnLastPage;

TEST_F(BandPrint, AggregatesPerGroupAndPerPageWithNullValuesAndNoRecords)
{
    AddBand(T::ReportTitle, 20, 20, "ReportTitle1", kOnBoth | BandFlag::FormNewPage);
    AddText("Title", "title", 20, 20);
    AddBand(T::GroupHeader, 50, 20, "GroupHeader1", kOnBoth, "[G]");
    AddText("Group", "[G]", 20, 50);
    AddBand(T::MasterData, 80, 20, "MasterData1", kOnBoth, "Rows");
    AddText("Row", "[V]", 20, 80);
    AddBand(T::GroupFooter, 110, 20, "GroupFooter1");
    AddText("Sums", "[SUM([V])] [AVG([V]) #N0.2] [MIN([V])] [MAX([V])] [COUNT(MasterData1)]", 20, 110, 400);
    AddBand(T::PageFooter, 140, 20, "PageFooter1");
    AddText("Page", "p[PAGE#] [SUM([V])] [AVG([V]) #N0.2] [MIN([V])] [COUNT(MasterData1)]", 20, 140, 400);
    const auto row = [](const char* group, Variant value) {
        return std::map<std::string, Variant>{{"G", Variant(group)}, {"V", value}};
    };
    records = {row("A", Variant(std::int32_t{1})), row("A", Variant::null()), row("A", Variant(std::int32_t{3})),
               row("B", Variant(std::int32_t{-5})), row("B", Variant(std::int32_t{-2}))};
    ASSERT_EQ(Run(), 2u);
    // The title page holds no record: sums of nothing are 0, and there is
    // no smallest value.
    EXPECT_EQ(Strings(0), (std::vector<std::string>{"title", "p1 0 0.00  0"}));
    // A Null counts as 0; the largest of negative values is negative.
    EXPECT_EQ(Strings(1), (std::vector<std::string>{"A", "1", "", "3", "4 1.33 0 3 3",  //
                                                    "B", "-5", "-2", "-7 -3.50 -5 -2 2", "p2 -3 -0.60 -5 5"}));
}

TEST_F(BandPrint, SubReportsRunSideBySideAndTheBandEndsBelowTheTallest)
{
    TrpBandView& master = AddBand(T::MasterData, 80, 30, "MasterData1", kOnBoth, "2");
    master.Script = {"Seen := [LINE#]"};
    AddText("Master", "master [Seen]", 20, 80, 150);
    const std::int32_t counts[] = {2, 5, 3};
    for (int i = 0; i < 3; ++i) {
        TrpPage& sub = report->Pages.Add();
        auto band = std::make_unique<TrpBandView>();
        band->SetBandType(static_cast<int>(T::MasterData));
        band->Name = "SubData" + std::to_string(i + 1);
        band->Top = 0;
        band->Width = 200;
        band->Height = 20;
        band->FormatString = std::to_string(counts[i]);
        sub.AddObject(std::move(band));
        AddText("Sub" + std::to_string(i + 1), std::to_string(i + 1) + ".[LINE#]", 20, 0, 100, 16, &sub);
        auto view = std::make_unique<TrpSubReportView>();
        view->Name = "SubReport" + std::to_string(i + 1);
        view->SubPage = i + 1;
        view->Left = 200 + i * 150;
        view->Top = 85;
        view->Width = 140;
        view->Height = 20;
        page->AddObject(std::move(view));
    }
    ASSERT_EQ(Run(), 1u);
    std::vector<std::string> placed;
    for (const PlacedText& text : Texts(0))
        placed.push_back(text.Text + "@" + std::to_string(text.Left) + "," + std::to_string(text.Top));
    // Each sub-report starts at the band's top plus its own offset; the
    // second master record starts below the tallest (five rows).
    EXPECT_EQ(placed, (std::vector<std::string>{
                          "master 1@20,20", "1.1@220,25", "1.2@220,45", "2.1@370,25", "2.2@370,45", "2.3@370,65",
                          "2.4@370,85", "2.5@370,105", "3.1@520,25", "3.2@520,45", "3.3@520,65",  //
                          "master 2@20,125", "1.1@220,130", "1.2@220,150", "2.1@370,130", "2.2@370,150",
                          "2.3@370,170", "2.4@370,190", "2.5@370,210", "3.1@520,130", "3.2@520,150",
                          "3.3@520,170"}));

    // A sub-report that goes on on the next page: the band's script still
    // runs for the next record.
    report->FindView("SubData2")->FormatString = "60";
    ASSERT_EQ(Run(), 3u);
    EXPECT_EQ(Find(1, "Master").Text, "master 2");

    // A sub-report of its own page would never end.
    TearDown();
    SetUp();
    AddBand(T::MasterData, 80, 30, "MasterData1", kOnBoth, "2");
    TrpPage& sub = report->Pages.Add();
    for (TrpPage* on : {page, &sub}) {
        if (on == &sub) {
            auto band = std::make_unique<TrpBandView>();
            band->SetBandType(static_cast<int>(T::MasterData));
            band->Name = "SubData";
            band->Height = 20;
            band->FormatString = "2";
            sub.AddObject(std::move(band));
        }
        auto view = std::make_unique<TrpSubReportView>();
        view->Name = on == page ? "Outer" : "Self";
        view->SubPage = 1;
        view->Top = on == page ? 85 : 5;
        on->AddObject(std::move(view));
    }
    EXPECT_EQ(Run(), 0u);
    ASSERT_EQ(questions.messages.size(), 1u);
    EXPECT_NE(questions.messages[0].find("\"Self\""), std::string::npos) << questions.messages[0];
}

TEST_F(BandPrint, CrossColumnsPrintAcrossForEveryRecord)
{
    AddBand(T::MasterData, 80, 20, "MasterData1", kOnBoth, "Rows");
    AddText("Row", "[N]", 20, 80, 100);
    TrpBandView& cross = AddBand(T::CrossData, 0, 1000, "CrossData1", kOnBoth, "3");
    cross.Left = 200;
    cross.Width = 60;
    AddText("Cell", "[N].[COLUMN#]", 200, 80, 50);
    records = {{{"N", Variant(std::int32_t{7})}}, {{"N", Variant(std::int32_t{8})}}};
    ASSERT_EQ(Run(), 1u);
    std::vector<std::string> placed;
    for (const PlacedText& text : Texts(0))
        placed.push_back(text.Text + "@" + std::to_string(text.Left) + "," + std::to_string(text.Top));
    EXPECT_EQ(placed, (std::vector<std::string>{"7@20,20", "7.1@200,20", "7.2@260,20", "7.3@320,20",  //
                                                "8@20,40", "8.1@200,40", "8.2@260,40", "8.3@320,40"}));
}

TEST_F(BandPrint, EventsOfTheRunAndWhatItLeavesBehind)
{
    AddBand(T::MasterData, 80, 20, "MasterData1", kOnBoth, "Rows");
    TrpMemoView& row = AddText("Row", "[N] [DATE] [TIME]", 20, 80, 300);
    row.Script = {"Row.Memo := 'changed [N] [DATE] [TIME]'"};
    AddBand(T::PageFooter, 200, 20, "PageFooter1");
    AddText("Foot", "[PAGE#]/[TOTALPAGES]", 20, 200);
    report->DoublePassReport = -1;
    CountedRecords(60);

    std::vector<std::string> events;
    std::map<std::string, int> counts;
    report->OnBeginDoc = [&] { events.push_back("begin doc"); };
    report->OnEndDoc = [&] { events.push_back("end doc"); };
    report->OnBeginPage = [&](int n) { ++counts["begin page " + std::to_string(n)]; };
    report->OnEndPage = [&](int n) { ++counts["end page " + std::to_string(n)]; };
    report->OnBeginBand = [&](TrpBand& band) { ++counts["begin " + band.Name]; };
    report->OnEndBand = [&](TrpBand& band) { ++counts["end " + band.Name]; };
    report->OnBeforePrint = [&](TrpLines& lines, TrpView& view) {
        if (view.Name == "Foot")
            lines = {"[PAGE#] is final"};
    };
    ASSERT_EQ(Run(), 2u);
    EXPECT_EQ(events, (std::vector<std::string>{"begin doc", "end doc"}));
    // Both passes: 60 records, two pages each.
    EXPECT_EQ(counts["begin MasterData1"], 120);
    EXPECT_EQ(counts["end MasterData1"], 120);
    EXPECT_EQ(counts["begin page 0"], 2);
    EXPECT_EQ(counts["begin page 1"], 2);
    EXPECT_EQ(Find(1, "Foot").Text, "[PAGE#] is final");  // a handler's text is not expanded
    // DATE and TIME were taken once: 45000.25 is 15 March 2023, 06:00.
    const std::string first = Find(0, "Row").Text;
    const std::string later = Find(1, "Row").Text;
    EXPECT_EQ(first.substr(0, 10), "changed 1 ");
    EXPECT_EQ(later.substr(0, 11), "changed 51 ");
    EXPECT_EQ(first.substr(10), later.substr(11));
    // The script's change to the template is undone.
    EXPECT_EQ(report->FindView("Row")->Memo, TrpLines{"[N] [DATE] [TIME]"});
    EXPECT_EQ(RunState().Prepared, nullptr);
    EXPECT_FALSE(RunState().Running);
}

} // namespace
} // namespace report
