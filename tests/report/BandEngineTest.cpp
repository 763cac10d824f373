// The band engine: pages, headers and footers, page numbers in two passes,
// groups, columns, breaks, the rule for bands that do not fit, and the
// loops that must end.
#include "BandFixture.h"

#include "report/RpPictureView.h"

namespace report {
namespace {

using T = TrpBandType;
using BandEngine = BandFixture;

constexpr std::uint16_t kOnBoth = BandFlag::OnFirstPage | BandFlag::OnLastPage;

// The texts of one name over all pages, in page order.
std::vector<std::string> AllOf(BandFixture& f, std::size_t pages, const std::string& name)
{
    std::vector<std::string> texts;
    for (std::size_t i = 0; i < pages; ++i)
        for (const PlacedText& text : f.Texts(i))
            if (text.Name == name)
                texts.push_back(text.Text);
    return texts;
}

std::vector<std::string> Numbers(int from, int to)
{
    std::vector<std::string> numbers;
    for (int n = from; n <= to; ++n)
        numbers.push_back(std::to_string(n));
    return numbers;
}

TEST_F(BandEngine, TitleHeaderDataAndFooterNumberThePagesInTwoPasses)
{
    AddBand(T::ReportTitle, 0, 40, "ReportTitle1");
    AddText("Title", "Orders", 20, 0);
    AddBand(T::PageHeader, 50, 20, "PageHeader1", BandFlag::OnLastPage);  // not on the first page
    AddText("Head", "Number", 20, 50);
    AddBand(T::MasterData, 80, 20, "MasterData1", kOnBoth, "Rows");
    AddText("Row", "[N]", 20, 80);
    AddBand(T::PageFooter, 200, 20, "PageFooter1");
    AddText("Foot", "Page [PAGE#] of [TOTALPAGES]", 20, 200);
    report->DoublePassReport = -1;
    CountedRecords(100);

    // The bottom limit leaves 20 for the margin and 20 for the footer:
    // 1071 - 40 = 1031.  Page 1 holds the title and rows from y 60 (no
    // header), the others the header and rows from y 40.
    ASSERT_EQ(page->PageInfo.SheetHeight, 1071);
    ASSERT_EQ(Run(), 3u);
    EXPECT_TRUE(prepared);
    EXPECT_EQ(AllOf(*this, 3, "Foot"), (std::vector<std::string>{"Page 1 of 3", "Page 2 of 3", "Page 3 of 3"}));
    EXPECT_EQ(AllOf(*this, 3, "Row"), Numbers(1, 100));
    EXPECT_EQ(AllOf(*this, 1, "Head"), std::vector<std::string>{});
    EXPECT_EQ(AllOf(*this, 3, "Head").size(), 2u);
    EXPECT_EQ(AllOf(*this, 3, "Title"), std::vector<std::string>{"Orders"});

    // Page 1: title at the top limit, rows from 60 while they fit.
    const std::vector<PlacedText> first = Texts(0);
    EXPECT_EQ(first.front().Name, "Title");
    EXPECT_EQ(first.front().Top, 20);
    EXPECT_EQ(Find(0, "Row").Top, 60);
    EXPECT_EQ(Find(0, "Foot").Top, 1031);
    EXPECT_EQ(AllOf(*this, 1, "Row").size(), 48u);  // 60 + 48 x 20 + 20 > 1031 stops the 49th
    EXPECT_EQ(Find(1, "Head").Top, 20);
    EXPECT_EQ(Find(1, "Row").Top, 40);
    EXPECT_EQ(Find(1, "Row").Text, "49");

    // A single pass knows no page count.
    report->DoublePassReport = 0;
    ASSERT_EQ(Run(), 3u);
    EXPECT_EQ(Find(2, "Foot").Text, "Page 3 of 0");
}

TEST_F(BandEngine, FooterOnTheLastPageOnlyWithItsFlagAndEmptyReports)
{
    AddBand(T::MasterData, 80, 20, "MasterData1", kOnBoth, "Rows");
    AddText("Row", "[N]", 20, 80);
    TrpBandView& footer = AddBand(T::PageFooter, 200, 20, "PageFooter1", BandFlag::OnFirstPage);
    AddText("Foot", "Page [PAGE#]", 20, 200);
    (void)footer;
    CountedRecords(60);
    ASSERT_EQ(Run(), 2u);
    EXPECT_EQ(AllOf(*this, 2, "Foot"), std::vector<std::string>{"Page 1"});  // not on the last page

    // A master data set without records builds no page when empty
    // reports do not print.
    records.clear();
    report->PrintIfEmpty = false;
    EXPECT_EQ(Run(), 0u);
    EXPECT_TRUE(prepared);
    report->PrintIfEmpty = true;
    EXPECT_EQ(Run(), 1u);
}

TEST_F(BandEngine, NestedGroupsPrintFootersForTheOldGroupAndHeadersForTheNew)
{
    AddBand(T::GroupHeader, 40, 20, "Outer", kOnBoth, "[Country]");
    AddText("OuterHead", "[Country]", 20, 40);
    AddBand(T::GroupHeader, 70, 20, "Inner", kOnBoth, "[City]");
    AddText("InnerHead", "[Country]/[City]", 20, 70);
    AddBand(T::MasterData, 100, 20, "MasterData1", kOnBoth, "Rows");
    AddText("Row", "[Name] [LINE#] [LINETHROUGH#]", 20, 100);
    AddBand(T::GroupFooter, 130, 20, "InnerFoot");
    AddText("InnerFoot", "end [City] [COUNT(MasterData1)]", 20, 130);
    AddBand(T::GroupFooter, 160, 20, "OuterFoot");
    AddText("OuterFoot", "end [Country] [COUNT(MasterData1)]", 20, 160);
    const auto row = [](const char* country, const char* city, const char* name) {
        return std::map<std::string, Variant>{{"Country", Variant(country)}, {"City", Variant(city)}, {"Name", Variant(name)}};
    };
    records = {row("AT", "Graz", "a"), row("AT", "Graz", "b"), row("AT", "Wien", "c"), row("DE", "Bonn", "d")};
    ASSERT_EQ(Run(), 1u);
    EXPECT_EQ(Strings(0), (std::vector<std::string>{
                              "AT", "AT/Graz", "a 1 1", "b 2 2", "end Graz 2",  //
                              "AT/Wien", "c 1 3", "end Wien 1", "end AT 3",     //
                              "DE", "DE/Bonn", "d 1 4", "end Bonn 1", "end DE 1",
                          }));
}

TEST_F(BandEngine, GroupHeadersWithRepeatHeaderOpenTheNextPageWhateverBandBreaksIt)
{
    struct Case {
        const char* what;
        bool repeat;
        std::function<void(BandFixture&, std::uint16_t)> build;
        std::vector<std::string> secondPage;
    };
    // A group header on the master data band, over detail rows that fill
    // the first page.
    const auto detailRows = [](BandFixture& f, std::uint16_t groupFlags) {
        f.AddBand(T::GroupHeader, 20, 20, "Group", groupFlags, "1");
        f.AddText("Group", "group", 20, 20);
        f.AddBand(T::MasterData, 50, 20, "MasterData1", kOnBoth, "1");
        f.AddText("Master", "master", 20, 50);
        f.AddBand(T::DetailData, 80, 100, "DetailData1", kOnBoth, "Rows");
        f.AddText("Row", "[N]", 20, 80);
        f.CountedRecords(12);
    };
    // A group footer that no longer fits below the master rows.
    const auto groupFooter = [](BandFixture& f, std::uint16_t groupFlags) {
        f.AddBand(T::GroupHeader, 20, 20, "Group", groupFlags, "1");
        f.AddText("Group", "group", 20, 20);
        f.AddBand(T::MasterData, 50, 100, "MasterData1", kOnBoth, "Rows");
        f.AddText("Row", "[N]", 20, 50);
        f.AddBand(T::GroupFooter, 160, 100, "GroupFooter1");
        f.AddText("End", "end", 20, 160);
        f.CountedRecords(10);
    };
    const Case cases[] = {
        {"a detail row breaks the page", true, detailRows, {"group", "10", "11", "12"}},
        {"a group footer breaks the page", true, groupFooter, {"group", "end"}},
        {"a detail row, without RepeatHeader", false, detailRows, {"10", "11", "12"}},
        {"a group footer, without RepeatHeader", false, groupFooter, {"end"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        c.build(*this, kOnBoth | (c.repeat ? BandFlag::RepeatHeader : 0));
        // Each print of the group header: the page it goes on, and whether
        // it prints as a repeated header.
        std::vector<std::pair<std::size_t, bool>> groupPrints;
        report->OnBeginBand = [&](TrpBand& band) {
            if (band.Name == "Group")
                groupPrints.emplace_back(report->EMFPages->Count(), band.RepeatedHeader);
        };
        ASSERT_EQ(Run(), 2u);
        EXPECT_EQ(Strings(1), c.secondPage);
        if (c.repeat) {
            EXPECT_EQ(Find(1, "Group").Top, 20);
            EXPECT_EQ(groupPrints, (std::vector<std::pair<std::size_t, bool>>{{1, false}, {2, true}}));
        } else {
            EXPECT_EQ(groupPrints, (std::vector<std::pair<std::size_t, bool>>{{1, false}}));
        }
    }
}

TEST_F(BandEngine, AManuallyBuiltPageLeavesNoPlaceForTheNextToContinue)
{
    // The application builds both pages; the second would print on the
    // first, but a manual build tells the engine nothing of where it
    // ended: the next page begins a sheet of its own.
    TrpPage& second = report->Pages.Add();
    second.MarginLeft = second.MarginTop = second.MarginRight = second.MarginBottom = 20;
    second.PrintToPrevPage = 0xFFFF;
    std::vector<std::pair<std::size_t, std::int32_t>> builds;  // prepared pages, current y
    report->OnManualBuild = [&](TrpPage& built) {
        builds.emplace_back(report->EMFPages->Count(), built.CurY);
        built.CurY = 400;
    };
    EXPECT_EQ(Run(), 2u);
    EXPECT_EQ(builds, (std::vector<std::pair<std::size_t, std::int32_t>>{{1, 20}, {2, 20}}));
}

TEST_F(BandEngine, ThreeColumnsFillDownThenAcrossThenANewPage)
{
    page->Columns = 3;
    page->ColumnGap = 10;
    AddBand(T::ColumnHeader, 40, 20, "ColumnHeader1");
    AddText("ColHead", "Column", 20, 40, 100);
    AddBand(T::MasterData, 80, 100, "MasterData1", kOnBoth, "Rows");
    AddText("Row", "[N]", 20, 80, 100);
    CountedRecords(32);
    // A column holds its header and ten rows of 100 from y 40 (the bottom
    // limit is 1051); the column width is (738 - 20 - 2 x 10) / 3 = 232.
    ASSERT_EQ(Run(), 2u);
    std::vector<std::int32_t> headers;
    std::vector<std::int32_t> lefts;
    for (const PlacedText& text : Texts(0))
        (text.Name == "ColHead" ? headers : lefts).push_back(text.Left);
    EXPECT_EQ(headers, (std::vector<std::int32_t>{20, 262, 504}));
    ASSERT_EQ(lefts.size(), 30u);
    EXPECT_EQ(lefts[9], 20);
    EXPECT_EQ(lefts[10], 262);
    EXPECT_EQ(lefts[29], 504);
    EXPECT_EQ(AllOf(*this, 2, "Row"), Numbers(1, 32));
    EXPECT_EQ(Find(1, "Row").Text, "31");
    EXPECT_EQ(Find(1, "Row").Left, 20);
    EXPECT_EQ(Find(1, "ColHead").Top, 20);
}

TEST_F(BandEngine, ABandThatDoesNotFitStartsTheNextPageAndOneTallerThanAPageSplits)
{
    AddBand(T::MasterData, 80, 600, "MasterData1", kOnBoth, "Rows");
    AddText("Row", "[N]", 20, 80);
    AddText("Low", "low [N]", 20, 600);
    CountedRecords(3);
    ASSERT_EQ(Run(), 3u);  // 600 + 600 > 1031: one band a page
    EXPECT_EQ(Find(1, "Row").Text, "2");
    EXPECT_EQ(Find(1, "Row").Top, 20);

    // A band taller than a whole page prints split when it starts at the
    // top: the text below the room goes to the next page whole.
    page = &report->Pages.Page(0);
    TrpView* band = report->FindView("MasterData1");
    band->Height = 1500;
    report->FindView("Low")->Top = 80 + 1200;
    CountedRecords(1);
    ASSERT_EQ(Run(), 2u);
    EXPECT_EQ(Strings(0), std::vector<std::string>{"1"});
    EXPECT_EQ(Find(1, "Low").Text, "low 1");
    EXPECT_EQ(Find(1, "Low").Top, 20 + 1200 - (1051 - 20 - 2));
}

TEST_F(BandEngine, ATextTallerThanTwoPagesSplitsAndTakesWhatLiesBelowWithIt)
{
    AddBand(T::MasterData, 80, 3000, "MasterData1", kOnBoth | BandFlag::Breaked, "Rows");
    // 160 lines of 15 pixels: 2400 pixels, about 2.3 pages.
    AddText("Long", "[Text]", 20, 80, 200, 2400);
    AddText("Below", "below", 20, 80 + 2450);
    std::string lines;
    for (int i = 1; i <= 160; ++i)
        lines += (i > 1 ? "\r\n" : "") + std::string("line ") + std::to_string(i);
    records = {{{"Text", Variant(lines)}}};
    ASSERT_EQ(Run(), 3u);
    std::vector<std::string> printed;
    for (std::size_t i = 0; i < 3; ++i) {
        const PlacedText slice = Find(i, "Long");
        EXPECT_EQ(slice.Top, 20) << "page " << i + 1;
        std::size_t start = 0;
        while (start < slice.Text.size()) {
            std::size_t end = slice.Text.find('|', start);
            if (end == std::string::npos)
                end = slice.Text.size();
            if (end > start)
                printed.push_back(slice.Text.substr(start, end - start));
            start = end + 1;
        }
    }
    std::vector<std::string> expected;
    for (int i = 1; i <= 160; ++i)
        expected.push_back("line " + std::to_string(i));
    EXPECT_EQ(printed, expected);
    // The text below moved down as the memo grew with each cut, and prints
    // below its last slice.
    EXPECT_EQ(AllOf(*this, 2, "Below"), std::vector<std::string>{});
    const PlacedText last = Find(2, "Long");
    EXPECT_GT(Find(2, "Below").Top, last.Top + last.Height);
}

TEST_F(BandEngine, LoopsThatWouldNeverEndAreCalculationErrors)
{
    struct Case {
        const char* what;
        std::function<void(BandFixture&)> build;
    };
    const Case cases[] = {
        {"a page header taller than the page",
         [](BandFixture& f) {
             f.AddBand(T::PageHeader, 0, 2000, "PageHeader1");
             f.AddText("Head", "head", 20, 0);
             f.AddText("Low", "low", 20, 1500);
             f.AddBand(T::MasterData, 2010, 20, "MasterData1", kOnBoth, "Rows");
         }},
        {"a band that a fresh page cannot take",
         [](BandFixture& f) {
             f.AddBand(T::PageHeader, 0, 100, "PageHeader1");
             f.AddBand(T::MasterData, 110, 980, "MasterData1", kOnBoth, "Rows");
             f.AddText("Row", "[N]", 20, 110);
         }},
        {"SHOWBAND of the band that prints",
         [](BandFixture& f) {
             TrpBandView& band = f.AddBand(T::MasterData, 80, 20, "MasterData1", kOnBoth, "Rows");
             band.Script = {"ShowBand('MasterData1')"};
         }},
        {"a band that splits but whose picture no page can take",
         [](BandFixture& f) {
             f.AddBand(T::MasterData, 80, 2100, "MasterData1", kOnBoth | BandFlag::Breaked, "Rows");
             auto picture = std::make_unique<TrpPictureView>();
             picture->Name = "Huge";
             picture->Top = 80;
             picture->Width = 100;
             picture->Height = 2000;
             f.page->AddObject(std::move(picture));
         }},
        {"a page header that asks for a new page",
         [](BandFixture& f) {
             TrpBandView& header = f.AddBand(T::PageHeader, 0, 20, "PageHeader1");
             header.Script = {"NewPage"};
             f.AddBand(T::MasterData, 80, 20, "MasterData1", kOnBoth, "Rows");
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        CountedRecords(5);
        c.build(*this);
        EXPECT_EQ(Run(), 0u);
        ASSERT_EQ(questions.messages.size(), 1u);
        EXPECT_NE(questions.messages[0].find("An error occured during calculating"), std::string::npos)
            << questions.messages[0];
    }
}

TEST_F(BandEngine, BandsSideBySideInBandColumns)
{
    TrpBandView& data = AddBand(T::MasterData, 80, 20, "MasterData1", kOnBoth, "Rows");
    data.Columns = 3;
    data.ColumnWidth = 150;
    data.ColumnGap = 10;
    AddText("Row", "[N]", 20, 80, 100);
    AddBand(T::MasterFooter, 120, 20, "MasterFooter1");
    AddText("End", "end", 20, 120);
    CountedRecords(4);
    ASSERT_EQ(Run(), 1u);
    const std::vector<PlacedText> texts = Texts(0);
    ASSERT_EQ(texts.size(), 5u);
    const std::pair<std::int32_t, std::int32_t> expected[] = {{20, 20}, {180, 20}, {340, 20}, {20, 40}, {20, 60}};
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(texts[i].Left, expected[i].first) << texts[i].Text;
        EXPECT_EQ(texts[i].Top, expected[i].second) << texts[i].Text;
    }
}

TEST_F(BandEngine, DetailLevelsDropMastersWithoutDetailsUnlessTheyPrintAnyway)
{
    AddBand(T::MasterHeader, 20, 20, "MasterHeader1");
    AddText("MHead", "masters", 20, 20);
    AddBand(T::MasterData, 50, 20, "MasterData1", kOnBoth, "2");
    AddText("Master", "master [LINE#]", 20, 50);
    AddBand(T::DetailData, 80, 20, "DetailData1", kOnBoth, "Rows");
    AddText("Detail", "detail [N]", 20, 80);
    AddBand(T::MasterFooter, 110, 20, "MasterFooter1");
    AddText("MFoot", "end", 20, 110);
    CountedRecords(2);
    ASSERT_EQ(Run(), 1u);
    EXPECT_EQ(Strings(0), (std::vector<std::string>{"masters", "master 1", "detail 1", "detail 2", "master 2",
                                                    "detail 1", "detail 2", "end"}));

    // No details: the masters drop out, and with them header and footer.
    records.clear();
    ASSERT_EQ(Run(), 1u);
    EXPECT_EQ(Strings(0), std::vector<std::string>{});
    report->FindView("MasterData1")->Flags |= BandFlag::PrintIfSubsetEmpty;
    ASSERT_EQ(Run(), 1u);
    EXPECT_EQ(Strings(0), (std::vector<std::string>{"masters", "master 1", "master 2", "end"}));
}

TEST_F(BandEngine, ScriptsOfBandsAndShowBand)
{
    TrpBandView& data = AddBand(T::MasterData, 80, 20, "MasterData1", kOnBoth, "Rows");
    data.AssignProperty("OnBeforePrint", Variant("if [N] = 2 then ShowBand('Extra')"));
    EXPECT_EQ(SplitTextLines(data.ReadProperty("OnBeforePrint").toText()),
              TrpLines{"if [N] = 2 then ShowBand('Extra')"});
    AddText("Row", "[N]", 20, 80);
    AddBand(T::Child, 300, 20, "Extra");
    AddText("ExtraText", "extra [N]", 20, 300);
    TrpBandView& footer = AddBand(T::MasterFooter, 120, 20, "MasterFooter1");
    footer.Script = {"MasterFooter1.Visible := False"};
    AddText("End", "end", 20, 120);
    CountedRecords(3);
    ASSERT_EQ(Run(), 1u);
    EXPECT_EQ(Strings(0), (std::vector<std::string>{"1", "extra 2", "2", "3"}));
}

} // namespace
} // namespace report
