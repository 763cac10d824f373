// Prepared pages: adding, rebuilding, storing, drawing and hit-testing.
#include "PreparedPagesSupport.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QPicture>

#include <gtest/gtest.h>

#include <stdexcept>

namespace report {
namespace {

// Paints count every call, to see which objects a page draws.
struct CountingView : TrpView {
    static inline int paints = 0;
    void Paint(QPainter&) override { ++paints; }
    std::string ClassName() const override { return "TCountingView"; }
};

class PreparedPages : public ::testing::Test {
protected:
    TestOwner owner;
    TrpEMFPages pages{&owner};
    TrpPage& templatePage = owner.templatePages.Add();

    TrpEMFPage& NewPage(std::int32_t sheetWidth, std::int32_t sheetHeight)
    {
        TrpEMFPage& page = pages.AddPage(templatePage);
        page.PageInfo = Sheet(sheetWidth, sheetHeight);
        return page;
    }
};

TEST_F(PreparedPages, NewPagesTakeTheTemplatePagesPaper)
{
    templatePage.ApplyPaper(256, 3, 1500, 1000, 1);
    templatePage.UseMargins = 7;
    templatePage.MarginLeft = 11;
    templatePage.MarginBottom = 14;
    pages.AddPage(templatePage);
    pages.AddPage(templatePage).Width = 2;
    pages.InsertPage(0, templatePage).Width = 1;
    pages.InsertPage(99, templatePage).Width = 4;
    EXPECT_EQ(owner.pagesBegun, 2);  // only added pages begin a page
    ASSERT_EQ(pages.Count(), 4u);
    const TrpEMFPage& page = pages.PageRecord(1);
    EXPECT_EQ(page.PaperSize, 256);
    EXPECT_EQ(page.Width, 1500);
    EXPECT_EQ(page.Height, 1000);
    EXPECT_EQ(page.Orientation, 1);
    EXPECT_EQ(page.Bin, 3);
    EXPECT_EQ(page.UseMargins, 1);
    EXPECT_EQ(page.MarginLeft, 11);
    EXPECT_EQ(page.MarginBottom, 14);
    EXPECT_EQ(page.PageInfo.SheetWidth, templatePage.PageInfo.SheetWidth);
    EXPECT_FALSE(page.Visible);
    EXPECT_EQ(page.Content.Bytes(), std::vector<std::uint8_t>{25});
    EXPECT_EQ(pages.PageRecord(0).Width, 1);
    EXPECT_EQ(pages.PageRecord(2).Width, 2);
    EXPECT_EQ(pages.PageRecord(3).Width, 4);

    pages.DeletePage(0);
    EXPECT_EQ(pages.PageRecord(0).Width, 1500);
    pages.Clear();
    EXPECT_EQ(pages.Count(), 0u);
}

TEST_F(PreparedPages, RebuildReadsTheObjectsBackAndStoreWritesThemUnchanged)
{
    TrpEMFPage& page = NewPage(700, 1000);
    const auto memo = Text("Memo1", "Hello", 10, 20);
    memo->Tag = "note";
    TrpLineView line;
    Place(line, 5, 50, 300, 0);
    TrpPictureView picture;
    QImage image(4, 3, QImage::Format_RGB32);
    image.fill(Qt::red);
    picture.Picture.SetImage(image, TrpPictureKind::Jpeg);
    Place(picture, 0, 60, 40, 30);
    const auto sized = Text("Sized", "abcd", 200, 20);
    sized->Flags |= MemoFlag::AutoWidth;
    for (TrpView* view : std::initializer_list<TrpView*>{memo.get(), &line, &picture, sized.get()})
        Emit(page, *view);
    const std::vector<std::uint8_t> emitted = page.Content.Bytes();

    pages.RebuildPage(0);
    ASSERT_NE(page.Rebuilt, nullptr);
    const auto& objects = page.Rebuilt->Objects;
    ASSERT_EQ(objects.size(), 4u);
    const auto& text = dynamic_cast<const TrpMemoView&>(*objects[0]);
    EXPECT_EQ(text.Name, "Memo1");
    EXPECT_EQ(text.Memo, TrpLines{"Hello"});
    EXPECT_EQ(text.Tag, "note");
    EXPECT_EQ(text.Top, 20);
    EXPECT_TRUE(text.PreparedMode);
    EXPECT_EQ(objects[1]->TypeCode, ObjectType::Line);
    EXPECT_EQ(dynamic_cast<const TrpPictureView&>(*objects[2]).Picture.Kind(), TrpPictureKind::Jpeg);
    // AutoWidth measured on reading: 4 characters of 7 pixels, the frame,
    // both gaps and one pixel.
    EXPECT_EQ(objects[3]->Width, 28 + 1 + 4 + 1);

    pages.StorePage(0);
    pages.RebuildPage(0);
    page.Rebuilt->Objects[3]->Width = 100;  // what the emitted stream held
    pages.StorePage(0);
    EXPECT_EQ(page.Content.Bytes(), emitted);
}

TEST_F(PreparedPages, DamagedContentKeepsTheObjectsBeforeTheDamage)
{
    TrpEMFPage& page = NewPage(700, 1000);
    const auto first = Text("First", "one", 0, 0);
    Emit(page, *first);
    page.Content.WriteByte(77);  // no such object type
    page.Content.WriteBytes("rest");
    pages.RebuildPage(0);
    ASSERT_EQ(page.Rebuilt->Objects.size(), 1u);
    EXPECT_EQ(page.Rebuilt->Objects[0]->Name, "First");
    EXPECT_EQ(page.Content.Position(), page.Content.Size());  // ready for appending

    // A record cut short adds nothing.
    TrpEMFPage& cut = NewPage(700, 1000);
    Emit(cut, *first);
    Emit(cut, *first);
    TrpStream shorter(std::vector<std::uint8_t>(cut.Content.Bytes().begin(), cut.Content.Bytes().end() - 5));
    cut.Content = std::move(shorter);
    pages.RebuildPage(1);
    EXPECT_EQ(cut.Rebuilt->Objects.size(), 1u);
}

TEST_F(PreparedPages, AnInvisiblePageIsOnlyReleased)
{
    TrpEMFPage& page = NewPage(40, 40);
    const auto box = Text("Box", "", 0, 0);
    box->Memo.clear();
    box->FillColor = 0x000000FF;
    Emit(page, *box);
    QImage image(40, 40, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);

    pages.RebuildPage(0);
    pages.PaintPage(0, painter, QRect(0, 0, 40, 40));
    EXPECT_EQ(page.Rebuilt, nullptr);
    EXPECT_EQ(image.pixelColor(10, 10), QColor(Qt::white));

    page.Visible = true;
    pages.PaintPage(0, painter, QRect(0, 0, 40, 40));
    EXPECT_NE(page.Rebuilt, nullptr);
    EXPECT_EQ(image.pixelColor(10, 10), QColor(Qt::red));
}

// A page of 48 x 32 report pixels drawn at half size, 2 pixels in from the
// image's corner: a framed box (4, 4, 20 x 12), a horizontal line (28, 8,
// 16 long) and a vertical one (36, 14, 14 long).  Each character is a
// pixel: "." white, "#" black, "g" the box's green, "r" red, "b" blue.
TEST_F(PreparedPages, PageDrawnAtHalfSizeMatchesItsPicture)
{
    TrpEMFPage& page = NewPage(48, 32);
    page.Visible = true;
    const auto box = Text("Box", "", 4, 4);
    box->Memo.clear();
    Place(*box, 4, 4, 20, 12);
    box->FillColor = 0x0000FF00;
    box->FrameTyp = FrameLine::Left | FrameLine::Top | FrameLine::Right | FrameLine::Bottom;
    TrpLineView across;
    Place(across, 28, 8, 16, 0);
    across.FrameColor = 0x000000FF;
    TrpLineView down;
    Place(down, 36, 14, 0, 14);
    down.FrameColor = 0x00FF0000;
    for (TrpView* view : std::initializer_list<TrpView*>{box.get(), &across, &down})
        Emit(page, *view);

    QImage image(28, 20, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    pages.PaintPage(0, painter, QRect(2, 2, 24, 16));
    painter.end();

    const char* const golden[] = {
        "............................",
        "............................",
        "............................",
        "............................",
        "....###########.............",
        "....#ggggggggg#.............",
        "....#ggggggggg#.rrrrrrrrr...",
        "....#ggggggggg#.............",
        "....#ggggggggg#.............",
        "....#ggggggggg#.....b.......",
        "....###########.....b.......",
        "....................b.......",
        "....................b.......",
        "....................b.......",
        "....................b.......",
        "....................b.......",
        "....................b.......",
        "............................",
        "............................",
        "............................",
    };
    std::string drawn;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            drawn += c == Qt::white ? '.' : c == Qt::black ? '#' : c == QColor(0, 255, 0) ? 'g'
                   : c == Qt::red   ? 'r' : c == Qt::blue  ? 'b' : '?';
        }
        drawn += '\n';
    }
    std::string expected;
    for (const char* row : golden)
        expected += std::string(row) + '\n';
    EXPECT_EQ(drawn, expected);
}

TEST_F(PreparedPages, OnlyObjectsNearTheVisibleAreaAreDrawn)
{
    owner.addIns.Register("TCountingView", [] { return std::make_unique<CountingView>(); });
    TrpEMFPage& page = NewPage(100, 1000);
    page.Visible = true;
    CountingView top;
    Place(top, 0, 0, 10, 10);
    CountingView low;
    Place(low, 0, 500, 10, 10);
    CountingView nearEdge;
    Place(nearEdge, 0, 105, 10, 10);  // within 10 pixels of the image
    for (TrpView* view : std::initializer_list<TrpView*>{&top, &low, &nearEdge})
        Emit(page, *view);

    QImage image(100, 100, QImage::Format_RGB32);
    QPainter painter(&image);
    CountingView::paints = 0;
    pages.PaintPage(0, painter, QRect(0, 0, 100, 1000));
    EXPECT_EQ(CountingView::paints, 2);

    painter.translate(0, -450);  // scrolled down, part of the image shown
    painter.setClipRect(QRect(0, 490, 100, 30));
    CountingView::paints = 0;
    pages.PaintPage(0, painter, QRect(0, 0, 100, 1000));
    EXPECT_EQ(CountingView::paints, 1);
    painter.end();

    QPicture recording;  // recordings, printers and PDF files take every object
    QPainter recorder(&recording);
    CountingView::paints = 0;
    pages.PaintPage(0, recorder, QRect(0, 0, 100, 1000));
    EXPECT_EQ(CountingView::paints, 3);

    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    QPdfWriter writer(&pdf);
    QPainter pdfPainter(&writer);
    CountingView::paints = 0;
    pages.PaintPage(0, pdfPainter, QRect(0, 0, 100, 1000));
    EXPECT_EQ(CountingView::paints, 3);
}

class HitTests : public PreparedPages {
protected:
    void SetUp() override
    {
        TrpEMFPage& page = NewPage(400, 400);
        const struct {
            const char* name;
            const char* tag;
            int left, top;
        } objects[] = {
            {"Plain", "", 10, 10},
            {"Below", "", 200, 10},
            {"Above", "", 250, 20},
            {"URLPage", "@3", 10, 40},
            {"URLWeb", "https://example.org/report", 10, 70},
            {"URLProgram", "calc.exe", 10, 100},
            {"URLFile", "file:///etc/passwd", 10, 130},
            {"urlLower", "https://example.org/", 10, 160},
        };
        for (const auto& object : objects) {
            const auto memo = Text(object.name, "x", object.left, object.top);
            memo->Tag = object.tag;
            Emit(page, *memo);
        }
    }

    bool Hit(int x, int y, bool click)
    {
        link = "stale";
        return pages.HitTest(0, QPoint(x, y), link, cursor, click);
    }

    std::string link;
    Qt::CursorShape cursor = Qt::WaitCursor;
};

TEST_F(HitTests, TheTopmostObjectAnswersAClick)
{
    EXPECT_FALSE(Hit(20, 15, true));  // nobody listens to clicks on plain text
    EXPECT_EQ(owner.clicked, std::vector<std::string>{"Plain"});
    EXPECT_FALSE(Hit(5, 5, true));
    EXPECT_EQ(owner.clicked.size(), 1u);

    owner.onClick = [](TrpView&) { return true; };
    EXPECT_TRUE(Hit(260, 25, true));  // both overlap here
    EXPECT_EQ(owner.clicked.back(), "Above");
    EXPECT_TRUE(Hit(205, 15, true));
    EXPECT_EQ(owner.clicked.back(), "Below");
    EXPECT_EQ(link, "");

    owner.onClick = [](TrpView&) -> bool { throw std::runtime_error("handler failed"); };
    EXPECT_TRUE(Hit(20, 15, true));
}

TEST_F(HitTests, LinksJumpToPagesOrOpenOnlyWebAddresses)
{
    EXPECT_TRUE(Hit(20, 45, true));
    EXPECT_EQ(link, "@3");
    EXPECT_TRUE(Hit(20, 75, true));
    EXPECT_EQ(link, "");
    EXPECT_TRUE(Hit(20, 105, true));
    EXPECT_TRUE(Hit(20, 135, true));
    EXPECT_EQ(owner.opened, std::vector<std::string>{"https://example.org/report"});
    EXPECT_FALSE(Hit(20, 165, true));  // "url" in lower case is no link

    EXPECT_TRUE(Hit(20, 45, false));
    EXPECT_EQ(cursor, Qt::PointingHandCursor);
    EXPECT_EQ(link, "@3");
    EXPECT_FALSE(Hit(20, 15, false));
    EXPECT_EQ(cursor, Qt::ArrowCursor);
    EXPECT_EQ(link, "");
    EXPECT_EQ(owner.opened.size(), 1u);  // hovering opens nothing
}

TEST_F(HitTests, PagesWithoutMarginsAreScaledIntoThePrintableArea)
{
    TrpEMFPage& page = pages.PageRecord(0);
    page.UseMargins = 0;
    page.PageInfo = Sheet(400, 400, 10, 10, 380, 380);
    page.MarginLeft = page.MarginTop = page.MarginRight = page.MarginBottom = 40;
    // Scale (380 - 80) / 400 = 0.75, offset 40 + 10: "Plain" (10, 10, 100
    // x 20) covers 57.5 -> 58 to 132.5 -> 132 across, 58 to 72 down.
    owner.onClick = [](TrpView&) { return true; };
    EXPECT_TRUE(Hit(58, 58, true));
    EXPECT_TRUE(Hit(131, 71, true));
    EXPECT_FALSE(Hit(57, 60, true));
    EXPECT_FALSE(Hit(132, 60, true));
    EXPECT_FALSE(Hit(60, 72, true));
    EXPECT_FALSE(Hit(20, 15, true));
}

TEST(WebAddresses, OnlyHttpAndHttpsWithAHost)
{
    const struct {
        const char* link;
        bool web;
    } cases[] = {
        {"http://example.org", true},
        {"HTTPS://example.org/a?b=1#c", true},
        {"https://", false},
        {"http:///path", false},
        {"ftp://example.org/file", false},
        {"file:///etc/passwd", false},
        {"calc.exe", false},
        {"/bin/sh", false},
        {"javascript:alert(1)", false},
        {" http://example.org", false},
        {"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsWebAddress(c.link), c.web) << c.link;
}

} // namespace
} // namespace report
