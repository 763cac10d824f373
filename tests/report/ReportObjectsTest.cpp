// Properties, methods, geometry, naming and painting of report objects.
#include "report/RP_Class.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <initializer_list>

namespace report {
namespace {

const Variant kNull = Variant::null();

template <typename View>
View& Add(TrpPage& page)
{
    auto* view = static_cast<View*>(page.AddObject(std::make_unique<View>()));
    view->SetDefaultName();
    return *view;
}

void Place(TrpView& view, std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height)
{
    view.Left = left;
    view.Top = top;
    view.Width = width;
    view.Height = height;
}

// Pages whose host has a run in progress.
struct RunningPages {
    struct Host : TrpViewHost {
        bool IsRunning() const override { return true; }
    } host;
    TrpPages pages;

    RunningPages() { pages.Host = &host; }
};

// The views painted in turn on an image of one colour.
QImage Painted(int width, int height, QColor background, std::initializer_list<TrpView*> views)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(background);
    QPainter painter(&image);
    for (TrpView* view : views)
        view->Paint(painter);
    painter.end();
    return image;
}

TEST(ViewProperties, DefaultsOfEveryClass)
{
    TrpMemoView memo;
    EXPECT_EQ(memo.TypeCode, 0);
    EXPECT_EQ(memo.Flags, 3);
    EXPECT_EQ(memo.FrameWidth, 1.0);
    EXPECT_EQ(memo.FillColor, kNoFill);
    EXPECT_EQ(memo.DisplayFormat, 0x22E);
    EXPECT_EQ(memo.GapX, 2);
    EXPECT_EQ(memo.GapY, 1);
    EXPECT_EQ(memo.Font.Name, "Arial");
    EXPECT_EQ(memo.Highlight.FontStyle, 2);
    EXPECT_EQ(memo.Highlight.FillColor, 0xFFFFFF);
    EXPECT_EQ(memo.LineSpacing, 2);

    TrpBandView band;
    EXPECT_EQ(band.TypeCode, 2);
    EXPECT_EQ(band.Flags, 0x30);
    EXPECT_EQ(band.Columns, 1);
    EXPECT_EQ(band.ColumnWidth, 200);
    EXPECT_EQ(band.ColumnGap, 20);
    EXPECT_EQ(band.NewColumnAfter, 1);
    EXPECT_EQ(band.DisplayFormat, 0);

    TrpLineView line;
    EXPECT_EQ(line.FrameTyp, FrameLine::Left);
    EXPECT_EQ(line.FillColor, 0xFFFFFFu);
    EXPECT_EQ(line.CalcHeight(), line.Height);
    EXPECT_EQ(line.MinSliceHeight(), 1);
    EXPECT_EQ(line.LeftoverHeight(), 0);

    TrpControl control;
    EXPECT_EQ(control.FillColor, kBtnFaceColor);
    EXPECT_EQ(control.TypeCode, ObjectType::AddIn);
    EXPECT_LT(memo.ID, band.ID);  // the engine-wide counter
}

TEST(ViewProperties, ScriptPropertiesByName)
{
    TrpMemoView memo;
    memo.AssignProperty("left", Variant(12));
    memo.AssignProperty("FRAMEWIDTH", Variant(2.5));
    memo.AssignProperty("MEMO", Variant("one\r\ntwo"));
    memo.AssignProperty("STRETCHED", Variant(false));
    memo.AssignProperty("NOSUCHTHING", Variant(1));
    EXPECT_EQ(memo.Left, 12);
    EXPECT_EQ(memo.FrameWidth, 2.5);
    EXPECT_EQ(memo.Memo, (TrpLines{"one", "two"}));
    EXPECT_EQ(memo.Flags, MemoFlag::WordWrap);
    EXPECT_EQ(memo.ReadProperty("MEMO.COUNT"), Variant(2));
    EXPECT_EQ(memo.ReadProperty("LINES.COUNT"), Variant(2));
    EXPECT_EQ(memo.ReadProperty("DATAFIELD"), Variant("one"));
    EXPECT_EQ(memo.ReadProperty("NOSUCHTHING"), kNull);

    memo.AssignProperty("WORDBREAK", Variant(true));
    memo.AssignProperty("FONT.STYLE", Variant(5));
    EXPECT_EQ(memo.Flags, MemoFlag::WordWrap | MemoFlag::WordBreak);
    EXPECT_TRUE(memo.Font.Style.italic && memo.Font.Style.underline && !memo.Font.Style.bold);
    EXPECT_EQ(memo.ReadProperty("FONT.STYLE"), Variant(5));

    TrpMemoView empty;
    empty.Memo.clear();
    EXPECT_EQ(empty.ReadProperty("DATAFIELD"), Variant(""));
    EXPECT_EQ(empty.ReadProperty("MEMO.COUNT"), Variant(0));
}

TEST(ViewProperties, HideShowAndListMethods)
{
    TrpMemoView memo;
    memo.CallMethod("HIDE", kNull, kNull, kNull);
    EXPECT_EQ(memo.ReadProperty("VISIBLE"), Variant(false));
    memo.CallMethod("SHOW", kNull, kNull, kNull);
    EXPECT_TRUE(memo.Visible);

    memo.CallMethod("LINES.ADD", Variant("1 + 2"), kNull, kNull);
    memo.CallMethod("MEMO.ADD", Variant("'x'"), kNull, kNull);
    EXPECT_EQ(memo.Memo, (TrpLines{"3", "x"}));
    EXPECT_EQ(memo.CallMethod("MEMO.INDEXOF", Variant("'x'"), kNull, kNull), Variant(1));
    EXPECT_EQ(memo.CallMethod("MEMO.INDEXOF", Variant("'y'"), kNull, kNull), Variant(-1));
    memo.CallMethod("SETINDEXPROPERTY", Variant("lines"), Variant(0), Variant("zero"));
    EXPECT_EQ(memo.CallMethod("GETINDEXPROPERTY", Variant("MEMO"), Variant(0), kNull), Variant("zero"));
    // Indexes outside the list change nothing.
    memo.CallMethod("SETINDEXPROPERTY", Variant("MEMO"), Variant(5), Variant("far"));
    EXPECT_EQ(memo.CallMethod("GETINDEXPROPERTY", Variant("MEMO"), Variant(-1), kNull), kNull);
    memo.CallMethod("MEMO.DELETE", Variant("0"), kNull, kNull);
    EXPECT_EQ(memo.Memo, TrpLines{"x"});
    memo.CallMethod("MEMO.DELETE", Variant("7"), kNull, kNull);
    memo.CallMethod("MEMO.CLEAR", kNull, kNull, kNull);
    EXPECT_TRUE(memo.Memo.empty());

    // Only text objects answer to LINES.
    TrpLineView line;
    line.CallMethod("LINES.ADD", Variant("1"), kNull, kNull);
    EXPECT_TRUE(line.Memo.empty());
    EXPECT_EQ(line.CallMethod("CALCHEIGHT", kNull, kNull, kNull), Variant(line.Height));
}

TEST(ViewProperties, RegisteredProperties)
{
    TrpMemoView memo;
    memo.RegisterProperties();
    ASSERT_NE(memo.FindProperty("framestyle"), nullptr);
    EXPECT_EQ(memo.FindProperty("FrameStyle")->Type, 32);
    EXPECT_EQ(memo.FindProperty("FrameStyle")->EnumNames, "psSolid;psDash;psDot;psDashDot;psDashDotDot;psDouble");
    EXPECT_EQ(memo.FindProperty("Name")->Type, 257);
    EXPECT_NE(memo.FindProperty("RTLReading"), nullptr);
    memo.RegisterProperties();
    EXPECT_EQ(memo.Properties().front().Name, "Name");

    TrpSubReportView sub;
    sub.RegisterProperties();
    EXPECT_EQ(sub.FindProperty("FrameTyp"), nullptr);

    TrpNonVisualControl nonVisual;
    nonVisual.RegisterProperties();
    EXPECT_EQ(nonVisual.Properties().size(), 2u);
}

TEST(BandProperties, FlagsAndPropertiesByType)
{
    TrpBandView band;
    band.AssignProperty("FORMNEWPAGE", Variant(true));
    EXPECT_EQ(band.Flags, 0x32);
    band.AssignProperty("CONDITION", Variant("[Group]"));
    EXPECT_EQ(band.FormatString, "[Group]");
    EXPECT_EQ(band.ReadProperty("EOF"), Variant(false));

    TrpPages pages;
    TrpPage& page = pages.Add();
    auto& footer = Add<TrpBandView>(page);
    footer.SetBandType(static_cast<int>(TrpBandType::PageFooter));
    footer.RegisterProperties();
    EXPECT_EQ(footer.FindProperty("ChildBand"), nullptr);
    EXPECT_NE(footer.FindProperty("OnLastPage"), nullptr);
    EXPECT_NE(footer.FindProperty("OnBeforePrint"), nullptr);
    EXPECT_EQ(footer.FindProperty("Memo"), nullptr);

    auto& child = Add<TrpBandView>(page);
    child.SetBandType(static_cast<int>(TrpBandType::Child));
    auto& data = Add<TrpBandView>(page);
    data.SetBandType(static_cast<int>(TrpBandType::MasterData));
    auto& group = Add<TrpBandView>(page);
    group.SetBandType(static_cast<int>(TrpBandType::GroupHeader));
    group.RegisterProperties();
    ASSERT_NE(group.FindProperty("ChildBand"), nullptr);
    EXPECT_EQ(group.FindProperty("ChildBand")->EnumNames, "Band2");
    EXPECT_EQ(group.FindProperty("Master")->EnumNames, "Band3");
    EXPECT_NE(group.FindProperty("RepeatHeader"), nullptr);
    EXPECT_EQ(group.FindProperty("DataSource"), nullptr);
    data.RegisterProperties();
    EXPECT_NE(data.FindProperty("PrintIfSubsetEmpty"), nullptr);
    EXPECT_NE(data.FindProperty("ColumnGap"), nullptr);
    EXPECT_EQ(BandTypeName(19), "Cross data");
    EXPECT_EQ(BandTypeName(23), "");
}

TEST(UniqueNames, FirstFreeNumber)
{
    TrpPages pages;
    TrpPage& first = pages.Add();
    TrpPage& second = pages.Add();
    Add<TrpMemoView>(first).Name = "Memo1";
    Add<TrpMemoView>(second).Name = "memo3";
    auto& fresh = Add<TrpMemoView>(first);
    EXPECT_EQ(fresh.Name, "Memo2");
    EXPECT_EQ(Add<TrpLineView>(second).Name, "Line1");
    EXPECT_EQ(pages.FindObject("MEMO2"), &fresh);

    second.Name = "Page1";
    first.SetDefaultName();
    EXPECT_EQ(first.Name, "Page2");
}

TEST(Geometry, ApplyScaleAndRestore)
{
    RunningPages running;
    TrpPages& pages = running.pages;
    auto& memo = Add<TrpMemoView>(pages.Add());
    Place(memo, 10, 20, 100, 50);
    memo.FrameWidth = 0.5;
    memo.FrameTyp = 15;
    memo.PaintScaleX = memo.PaintScaleY = 2;
    memo.PaintOffsetX = 3;
    memo.ApplyScale();
    EXPECT_EQ(memo.Left, 23);
    EXPECT_EQ(memo.Top, 40);
    EXPECT_EQ(memo.Width, 200);
    EXPECT_EQ(memo.FrameWidth, 1.0);  // a one-unit pen
    EXPECT_EQ(memo.GapX, 4);          // round(0.5) = 0: the frame adds nothing
    EXPECT_EQ(memo.GapY, 2);
    EXPECT_EQ(memo.ObjectRect.left(), 23);
    EXPECT_EQ(memo.ObjectRect.right() + 1, 2 * 110 + 3 + 1);
    memo.RestoreGeometry();
    EXPECT_EQ(memo.Left, 10);
    EXPECT_EQ(memo.FrameWidth, 0.5);
    EXPECT_EQ(memo.GapX, 2);

    // Outside a run the transform is reset.
    TrpMemoView alone;
    alone.Left = 10;
    alone.PaintScaleX = 3;
    alone.ApplyScale();
    EXPECT_EQ(alone.Left, 10);
    EXPECT_EQ(alone.PaintScaleX, 1.0);
}

TEST(Geometry, Regions)
{
    TrpMemoView memo;
    Place(memo, 10, 10, 100, 20);
    memo.FrameTyp = 15;
    memo.FrameWidth = 3;
    EXPECT_EQ(memo.CreateRegion(false), QRect(QPoint(8, 8), QPoint(111, 31)));
    EXPECT_EQ(memo.CreateRegion(true), QRect(QPoint(-2, -2), QPoint(121, 41)));

    TrpLineView line;
    Place(line, 0, 10, 50, 3);
    line.FrameWidth = 3;
    EXPECT_TRUE(line.IsHorizontal());
    EXPECT_EQ(line.CreateRegion(false), QRect(QPoint(0, 8), QPoint(50, 11)));
}

TEST(Geometry, BandAlignment)
{
    TrpPages pages;
    TrpPage& page = pages.Add();
    page.MarginLeft = 20;
    page.MarginRight = 30;
    const int right = page.RightLimit();
    EXPECT_EQ(right, page.PageInfo.SheetWidth - 30);
    auto& a = Add<TrpMemoView>(page);
    auto& b = Add<TrpMemoView>(page);
    auto& c = Add<TrpMemoView>(page);
    for (TrpView* v : {static_cast<TrpView*>(&a), static_cast<TrpView*>(&b), static_cast<TrpView*>(&c)}) {
        v->Top = 5;
        v->Width = 50;
    }
    a.BandAlign = TrpBandAlign::Left;
    a.Left = 100;
    a.ApplyBandAlign();
    EXPECT_EQ(a.Left, 20);
    b.BandAlign = TrpBandAlign::Right;
    b.Left = 300;
    b.ApplyBandAlign();
    EXPECT_EQ(b.Left, right - 50);
    c.BandAlign = TrpBandAlign::Rest;
    c.Left = 200;
    c.ApplyBandAlign();
    EXPECT_EQ(c.Left, 71);
    EXPECT_EQ(c.Left + c.Width, b.Left - 1);
    c.BandAlign = TrpBandAlign::Center;
    c.Width = 100;
    c.ApplyBandAlign();
    EXPECT_EQ(c.Left, 20 + (right - 20 - 100) / 2);
}

// Counts the pixels of a colour.
int Count(const QImage& image, QColor color)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixelColor(x, y) == color ? 1 : 0;
    return n;
}

TEST(Painting, FillAndFrameDuringARun)
{
    RunningPages running;
    TrpPages& pages = running.pages;
    auto& memo = Add<TrpMemoView>(pages.Add());
    memo.Memo.clear();
    Place(memo, 10, 10, 20, 10);
    memo.FillColor = 0x00FF00;    // green
    memo.FrameColor = 0x0000FF;   // red
    memo.FrameTyp = FrameLine::Top;
    const QImage image = Painted(50, 40, Qt::white, {&memo});
    EXPECT_EQ(image.pixelColor(20, 15), QColor(0, 255, 0));
    EXPECT_EQ(image.pixelColor(20, 10), QColor(255, 0, 0));
    EXPECT_EQ(image.pixelColor(20, 20), QColor(0, 255, 0));  // the fill reaches the bottom edge
    EXPECT_EQ(image.pixelColor(20, 21), QColor(255, 255, 255));
    EXPECT_EQ(image.pixelColor(5, 5), QColor(255, 255, 255));
    EXPECT_EQ(Count(image, QColor(255, 0, 0)), 21);
}

TEST(Painting, LineOfWidth50AndHeight3IsHorizontalAlongItsTop)
{
    RunningPages running;
    TrpPages& pages = running.pages;
    auto& line = Add<TrpLineView>(pages.Add());
    Place(line, 10, 10, 50, 3);
    line.FrameColor = 0x0000FF;
    const QImage image = Painted(80, 30, Qt::white, {&line});
    EXPECT_EQ(line.FrameTyp, FrameLine::Top);
    EXPECT_EQ(line.Height, 3);
    for (int x = 10; x <= 60; ++x)
        EXPECT_EQ(image.pixelColor(x, 10), QColor(255, 0, 0)) << x;
    EXPECT_EQ(image.pixelColor(30, 12), QColor(255, 255, 255));
}

TEST(Painting, StretchedPictureKeepsItsAspectAndIsCentred)
{
    TrpPictureView picture;
    QImage image(200, 100, QImage::Format_RGB32);
    image.fill(Qt::blue);
    picture.Picture.SetImage(image);
    Place(picture, 0, 0, 100, 100);
    picture.Flags = PictureFlag::Stretched | PictureFlag::KeepAspect | PictureFlag::Center;
    EXPECT_EQ(picture.TargetRect(), QRect(0, 25, 100, 50));
    picture.Flags = PictureFlag::Center;
    EXPECT_EQ(picture.TargetRect(), QRect(-50, 0, 200, 100));

    picture.Flags = PictureFlag::Stretched | PictureFlag::KeepAspect | PictureFlag::Center;
    picture.FrameTyp = 0;
    const QImage canvas = Painted(100, 100, Qt::white, {&picture});
    EXPECT_EQ(canvas.pixelColor(50, 50), QColor(Qt::blue));
    EXPECT_EQ(canvas.pixelColor(50, 20), QColor(Qt::white));
    EXPECT_EQ(canvas.pixelColor(50, 76), QColor(Qt::white));
}

TEST(Painting, MetafilePictureIsAnEmptyFrame)
{
    RunningPages running;
    TrpPages& pages = running.pages;
    auto& picture = Add<TrpPictureView>(pages.Add());
    ASSERT_TRUE(picture.Picture.Load(TrpPictureKind::Metafile, std::string("\xD7\xCD\xC6\x9A rest", 9)));
    Place(picture, 5, 5, 30, 20);
    picture.FrameTyp = 15;
    const QImage canvas = Painted(50, 40, Qt::white, {&picture});
    EXPECT_EQ(canvas.pixelColor(5, 15), QColor(Qt::black));
    EXPECT_EQ(canvas.pixelColor(20, 15), QColor(Qt::white));
}

TEST(Painting, PictureThatDoesNotDecodeIsDrawnAsTheEmptyPictureFrame)
{
    struct Host : TrpViewHost {
        std::string EngineText(int id) const override
        {
            return id == TrpPictureView::kEmptyPictureText ? "Empty picture" : "";
        }
    } host;
    TrpPages pages;
    pages.Host = &host;
    auto& empty = Add<TrpPictureView>(pages.Add());
    auto& refused = Add<TrpPictureView>(pages.Page(0));
    ASSERT_FALSE(refused.Picture.Load(TrpPictureKind::Jpeg, "\xFF\xD8 cut short"));
    for (TrpPictureView* view : {&empty, &refused})
        Place(*view, 5, 5, 120, 20);
    const QImage expected = Painted(140, 40, Qt::white, {&empty});
    QImage blank(140, 40, QImage::Format_RGB32);
    blank.fill(Qt::white);
    ASSERT_NE(expected, blank);
    EXPECT_EQ(Painted(140, 40, Qt::white, {&refused}), expected);
}

TEST(Painting, SubReportAndControls)
{
    TrpSubReportView sub;
    sub.Name = "SubReport1";
    Place(sub, 2, 2, 100, 30);
    TrpNonVisualControl nonVisual;
    nonVisual.Left = 110;
    nonVisual.Width = 5;
    const QImage canvas = Painted(150, 40, Qt::green, {&sub, &nonVisual});
    EXPECT_EQ(canvas.pixelColor(2, 2), QColor(Qt::black));
    EXPECT_EQ(canvas.pixelColor(90, 25), QColor(Qt::white));
    EXPECT_EQ(nonVisual.Width, 28);
    EXPECT_EQ(canvas.pixelColor(120, 10), QColor(240, 240, 240));
}

TEST(Emission, TagsAreExpandedAndInvisibleObjectsEmitNothing)
{
    struct Host : TrpViewHost {
        bool IsRunning() const override { return true; }
        std::string ExpressionText(const std::string& e, TrpView&) override { return "<" + e + ">"; }
    } host;
    TrpPages pages;
    pages.Host = &host;
    auto& line = Add<TrpLineView>(pages.Add());
    line.Tag = "id [x]";
    TrpStream stream;
    line.EmitToPreparedPage(stream);
    EXPECT_EQ(line.Tag, "id [x]");
    stream.Seek(0);
    EXPECT_EQ(stream.ReadByte(), ObjectType::Line);
    TrpLineView copy;
    copy.PreparedMode = true;
    copy.ReadFromStream(stream);
    EXPECT_EQ(copy.Tag, "id <x>");
    EXPECT_TRUE(stream.AtEnd());

    line.Visible = false;
    TrpStream none;
    line.EmitToPreparedPage(none);
    EXPECT_EQ(none.Size(), 0u);
}

} // namespace
} // namespace report
