// Text search in prepared pages: the text runs of a page in drawing order,
// and Find with Find Next walking every hit.
#include "PreparedPagesSupport.h"

#include "report/RpPreviewSearch.h"

#include <QPainter>

#include <gtest/gtest.h>

namespace report {
namespace {

class PreviewSearch : public ::testing::Test {
protected:
    TestOwner owner;
    TrpEMFPages pages{&owner};
    TrpPage& templatePage = owner.templatePages.Add();
    TrpPreviewSearch search;

    // A page with one text object a row, 30 pixels apart.
    TrpEMFPage& AddPage(std::initializer_list<const char*> texts)
    {
        TrpEMFPage& page = pages.AddPage(templatePage);
        page.PageInfo = Sheet(600, 800);
        page.UseMargins = 1;
        int top = 20;
        for (const char* text : texts) {
            const auto memo = Text("Memo", text, 40, top);
            Emit(page, *memo);
            top += 30;
        }
        return page;
    }

    // Searches on; the hit as "page:run", or "none".
    std::string Next()
    {
        search.FromCurrentPage(search.FindPage + 1);
        if (!search.Search(pages))
            return "none";
        return std::to_string(search.FindPage) + ":" + std::to_string(search.FindRecord - 1);
    }
};

TEST_F(PreviewSearch, ThePagesTextRunsInDrawingOrder)
{
    AddPage({"Banana", "Apple pie"});
    const std::vector<TrpTextRun> runs = TrpPreviewSearch::PageText(pages, 0);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].Text, "Banana");
    EXPECT_EQ(runs[1].Text, "Apple pie");
    // Each run lies where its object is, in page pixels at 100 %.
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const QRect object(40, 20 + 30 * int(i), 100, 20);
        EXPECT_TRUE(object.adjusted(0, -4, 0, 4).contains(runs[i].Bounds)) << i;
        EXPECT_GT(runs[i].Bounds.width(), 20);
    }

    // A page on the printer's own margins is drawn into its printable
    // area less its margins, as the preview shows it.
    TrpEMFPage& margined = AddPage({"Cherry"});
    margined.UseMargins = 0;
    margined.PageInfo = Sheet(600, 800, 18, 18, 564, 764);
    margined.MarginLeft = 10;
    const std::vector<TrpTextRun> shifted = TrpPreviewSearch::PageText(pages, 1);
    ASSERT_EQ(shifted.size(), 1u);
    EXPECT_GT(shifted[0].Bounds.left(), runs[0].Bounds.left() + 18);

    // Objects beyond the page's edge are drawn all the same.
    TrpEMFPage& outside = AddPage({});
    const auto far = Text("Far", "Far away", 900, 1000);
    Emit(outside, *far);
    EXPECT_EQ(TrpPreviewSearch::PageText(pages, 2).size(), 1u);
}

TEST_F(PreviewSearch, FindNextWalksEveryHitOfAPageBeforeTheNext)
{
    AddPage({"Banana", "Apple pie", "an apple"});
    AddPage({"Cherry"});
    AddPage({"APPLE", "pear"});
    search.SetText("apple", false);
    EXPECT_EQ(search.FindText, "APPLE");
    search.FromFirstPage();
    ASSERT_TRUE(search.Search(pages));
    EXPECT_EQ(search.FindPage, 0);
    EXPECT_EQ(search.FindRecord, 2);
    EXPECT_TRUE(search.Found);
    EXPECT_EQ(search.FoundRect, TrpPreviewSearch::PageText(pages, 0)[1].Bounds);
    EXPECT_EQ(Next(), "0:2");
    EXPECT_EQ(Next(), "2:0");
    // The page searched without a hit was released.
    EXPECT_EQ(pages.PageRecord(1).Rebuilt, nullptr);
    EXPECT_FALSE(pages.PageRecord(1).Visible);
    EXPECT_EQ(Next(), "none");
    EXPECT_FALSE(search.Found);

    search.SetText("apple", true);
    search.FromFirstPage();
    EXPECT_EQ(Next(), "0:2");
    EXPECT_EQ(Next(), "none");
}

TEST_F(PreviewSearch, WhereTheNextSearchStarts)
{
    AddPage({"apple", "pear"});
    AddPage({"plum"});
    search.SetText("apple", false);
    // A text that matches only before the first run that may count, on the
    // page searched, is no hit.
    search.FindPage = 0;
    search.FindRecord = 1;
    EXPECT_FALSE(search.Search(pages));

    // From the current page: after the last hit when it is on that page,
    // else from the page's first run.
    search.FindPage = 0;
    search.FindRecord = 1;
    search.FromCurrentPage(1);
    EXPECT_EQ(search.FindRecord, 1);
    search.FromCurrentPage(2);
    EXPECT_EQ(search.FindPage, 1);
    EXPECT_EQ(search.FindRecord, 0);
    search.FromCurrentPage(1);
    EXPECT_TRUE(search.Search(pages));

    // An empty text finds nothing.
    search.SetText("", false);
    search.FromFirstPage();
    EXPECT_FALSE(search.Search(pages));
}

} // namespace
} // namespace report
