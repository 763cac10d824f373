// The preview's arithmetic: zoom by mode, pages in rows, scroll ranges,
// the page at a position, where content and found texts land.
#include "PreparedPagesSupport.h"

#include "report/RpPreviewLayout.h"
#include "report/ValueText.h"

#include <gtest/gtest.h>

namespace report {
namespace {

class PreviewLayout : public ::testing::Test {
protected:
    TestOwner owner;
    TrpEMFPages pages{&owner};
    TrpPage& templatePage = owner.templatePages.Add();

    void AddPages(int count, int width, int height)
    {
        for (int i = 0; i < count; ++i)
            pages.AddPage(templatePage).PageInfo = Sheet(width, height);
    }
    QRect Rect(std::size_t index) const
    {
        const TrpLayoutRect& r = pages.PageRecord(index).LayoutRect;
        return {QPoint(r.Left, r.Top), QPoint(r.Right - 1, r.Bottom - 1)};
    }
};

TEST_F(PreviewLayout, ZoomOfEachMode)
{
    const QSize canvas(1000, 700);
    const QSize page(600, 800);
    EXPECT_DOUBLE_EQ(TrpPreviewLayout::ModeZoom(zmFixed, 0.75, canvas, page), 0.75);
    EXPECT_DOUBLE_EQ(TrpPreviewLayout::ModeZoom(zmPageWidth, 1, canvas, page), 980.0 / 600);
    EXPECT_DOUBLE_EQ(TrpPreviewLayout::ModeZoom(zmWholePage, 1, canvas, page), 680.0 / 800);
    EXPECT_DOUBLE_EQ(TrpPreviewLayout::ModeZoom(zmTwoPages, 1, canvas, page), 970.0 / 1200);
    // A page without a size keeps the zoom.
    EXPECT_DOUBLE_EQ(TrpPreviewLayout::ModeZoom(zmPageWidth, 0.5, canvas, QSize()), 0.5);

    // The button's text: whole percent, halves to even.
    EXPECT_EQ(TrpPreviewLayout::ZoomCaption(1), "100%");
    EXPECT_EQ(TrpPreviewLayout::ZoomCaption(0.125), "12%");
    EXPECT_EQ(TrpPreviewLayout::ZoomCaption(0.135), "14%");
    EXPECT_EQ(TrpPreviewLayout::ZoomCaption(980.0 / 600), "163%");
}

TEST_F(PreviewLayout, OnePageNarrowerThanTheCanvasIsCentred)
{
    AddPages(1, 600, 800);
    const TrpPreviewArrangement a = TrpPreviewLayout::Arrange(pages, 1, QSize(1000, 500), 1.0, zmFixed);
    EXPECT_EQ(a.PagesPerRow, 1);
    const TrpLayoutRect& r = pages.PageRecord(0).LayoutRect;
    EXPECT_EQ(r.Left, 200);
    EXPECT_EQ(r.Top, 10);
    EXPECT_EQ(r.Right, 800);
    EXPECT_EQ(r.Bottom, 810);
    EXPECT_EQ(a.HorzMax, 0);
    EXPECT_EQ(a.VertMax, 810 - 500 + 10);
}

TEST_F(PreviewLayout, PageWiderThanTheCanvasStartsAtTheGap)
{
    AddPages(2, 600, 800);
    const TrpPreviewArrangement a = TrpPreviewLayout::Arrange(pages, 1, QSize(500, 900), 1.0, zmFixed);
    EXPECT_EQ(a.PagesPerRow, 1);
    EXPECT_EQ(Rect(0), QRect(10, 10, 600, 800));
    EXPECT_EQ(Rect(1), QRect(10, 820, 600, 800));
    EXPECT_EQ(a.Right, 610);
    EXPECT_EQ(a.Bottom, 1620);
    EXPECT_EQ(a.HorzMax, 610 - 500 + 10);
    EXPECT_EQ(a.VertMax, 1620 - 900 + 10);
}

TEST_F(PreviewLayout, PagesInRows)
{
    // At 50 % five pages of 300 x 400 take 10 + 5 x 160 = 810 pixels: four
    // fit a canvas of 700, and a page of a new row is not counted.
    AddPages(5, 300, 400);
    TrpPreviewArrangement a = TrpPreviewLayout::Arrange(pages, 1, QSize(700, 400), 0.5, zmFixed);
    EXPECT_EQ(a.PagesPerRow, 4);
    EXPECT_EQ(Rect(0), QRect(10, 10, 150, 200));
    EXPECT_EQ(Rect(3), QRect(490, 10, 150, 200));
    EXPECT_EQ(Rect(4), QRect(10, 220, 150, 200));
    EXPECT_EQ(a.HorzMax, 0);
    EXPECT_EQ(a.VertMax, 420 - 400 + 10);

    // "Whole page" puts one page a row, centred; "Two pages" two, even
    // where they do not fit.
    a = TrpPreviewLayout::Arrange(pages, 1, QSize(700, 400), 1.0, zmWholePage);
    EXPECT_DOUBLE_EQ(a.Zoom, 380.0 / 400);
    EXPECT_EQ(a.PagesPerRow, 1);
    EXPECT_EQ(Rect(0), QRect((700 - 285) / 2, 10, 285, 380));
    a = TrpPreviewLayout::Arrange(pages, 1, QSize(300, 400), 2.0, zmTwoPages);
    EXPECT_EQ(a.PagesPerRow, 2);
    EXPECT_DOUBLE_EQ(a.Zoom, 270.0 / 600);
    EXPECT_EQ(Rect(1).left(), 10 + 135 + 10);
    EXPECT_EQ(Rect(2).top(), Rect(0).bottom() + 1 + 10);
}

TEST_F(PreviewLayout, ModesMeasureTheCurrentPage)
{
    AddPages(1, 600, 800);
    pages.AddPage(templatePage).PageInfo = Sheet(1200, 800);  // landscape
    const TrpPreviewArrangement a = TrpPreviewLayout::Arrange(pages, 2, QSize(1000, 700), 1.0, zmPageWidth);
    EXPECT_DOUBLE_EQ(a.Zoom, 980.0 / 1200);
}

TEST_F(PreviewLayout, PageAtAScrollPosition)
{
    AddPages(5, 300, 400);
    TrpPreviewLayout::Arrange(pages, 1, QSize(700, 400), 0.5, zmFixed);  // rows at 10 and 220
    EXPECT_EQ(TrpPreviewLayout::PageAtPosition(pages, 0), 1);
    EXPECT_EQ(TrpPreviewLayout::PageAtPosition(pages, -1), 0);    // 10 < 10 fails
    EXPECT_EQ(TrpPreviewLayout::PageAtPosition(pages, 198), 1);   // 209 < 210
    EXPECT_EQ(TrpPreviewLayout::PageAtPosition(pages, 199), 0);   // the gap between rows
    EXPECT_EQ(TrpPreviewLayout::PageAtPosition(pages, 210), 5);
    EXPECT_EQ(TrpPreviewLayout::PageAtPosition(pages, 5000), 0);
    EXPECT_EQ(TrpPreviewLayout::PagePosition(pages, 5), 210);
    EXPECT_EQ(TrpPreviewLayout::PageAtPoint(pages, QPoint(175, 50)), 2);
    EXPECT_EQ(TrpPreviewLayout::PageAtPoint(pages, QPoint(165, 50)), 0);

    // In a row of pages of different heights the first page that holds
    // the position counts.
    TrpEMFPages mixed{&owner};
    mixed.AddPage(templatePage).PageInfo = Sheet(100, 400);
    mixed.AddPage(templatePage).PageInfo = Sheet(100, 200);
    mixed.AddPage(templatePage).PageInfo = Sheet(100, 100);
    TrpPreviewLayout::Arrange(mixed, 1, QSize(250, 400), 1.0, zmFixed);  // two a row
    EXPECT_EQ(TrpPreviewLayout::PageAtPosition(mixed, 300), 1);
    EXPECT_EQ(TrpPreviewLayout::PageAtPosition(mixed, 410), 3);
}

TEST_F(PreviewLayout, ContentOfAPageOnThePrintersMargins)
{
    AddPages(1, 800, 1100);
    TrpEMFPage& page = pages.PageRecord(0);
    page.PageInfo = Sheet(800, 1100, 18, 20, 760, 1050);
    page.MarginLeft = 10;
    page.MarginTop = 4;
    page.MarginRight = 6;
    page.MarginBottom = 2;
    const QRect onCanvas(100, 50, 400, 550);
    page.UseMargins = 1;
    EXPECT_EQ(TrpPreviewLayout::ContentRect(page, onCanvas, 0.5), onCanvas);
    page.UseMargins = 0;
    // left (18 + 10) / 2, top (20 + 4) / 2, width (760 - 16) / 2, height (1050 - 6) / 2
    EXPECT_EQ(TrpPreviewLayout::ContentRect(page, onCanvas, 0.5), QRect(114, 62, 372, 522));
}

TEST_F(PreviewLayout, ScrollingToAFoundText)
{
    AddPages(2, 600, 800);
    TrpPreviewLayout::Arrange(pages, 1, QSize(1300, 500), 1.0, zmTwoPages);
    const TrpEMFPage& second = pages.PageRecord(1);
    ASSERT_EQ(second.LayoutRect.Left, 10 + 635 + 10);
    const double zoom = 1270.0 / 1200;
    // A text near the page's top: the page's top and left edges show.
    TrpFoundView view = TrpPreviewLayout::FoundView(second, QRect(50, 40, 100, 12), zoom, QSize(1300, 500));
    EXPECT_EQ(view.VertPosition, 0);
    EXPECT_EQ(view.HorzPosition, second.LayoutRect.Left - 10);
    // Low on the page: its bottom at the canvas's bottom edge; far right:
    // its right end at the canvas's right edge.
    view = TrpPreviewLayout::FoundView(second, QRect(500, 700, 90, 12), zoom, QSize(400, 500));
    const int top = RoundToInt(700 * zoom);
    const int height = RoundToInt(12 * zoom);
    EXPECT_EQ(view.VertPosition, second.LayoutRect.Top + top + height - 500);
    const int left = RoundToInt(500 * zoom);
    const int width = RoundToInt(90 * zoom);
    EXPECT_EQ(view.HorzPosition, second.LayoutRect.Left + left + width - 400);
}

} // namespace
} // namespace report
