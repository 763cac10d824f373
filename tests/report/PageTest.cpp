// Template pages and the engine-wide helpers of the report model: paper
// through the printer model, printable limits, script properties, the
// object and property a script names, calculation-error texts, the object
// factory, the rotated font and picture references.

#include "report/RP_Class.h"

#include "report/RpMemoView.h"

#include <QFont>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>

using namespace report;

namespace {

// Pages with their own virtual printer, so that no test sees another's
// paper.
struct Pages {
    TrpPrinter printer;
    TrpPages pages;
    Pages() { pages.Printer = &printer; }
};

template <typename T>
T& Add(TrpPage& page, const std::string& name)
{
    auto view = std::make_unique<T>();
    view->Name = name;
    return static_cast<T&>(*page.AddObject(std::move(view)));
}

// A printer that refuses every paper but a custom one.
struct PickyPrinters : TrpPlatformPrinters {
    TrpDeviceSettings settings;
    std::vector<std::string> PrinterNames() override { return {"Picky"}; }
    int CurrentIndex() override { return 0; }
    void Select(int) override {}
    bool IsPrinting() const override { return false; }
    bool GetSettings(TrpDeviceSettings& out) override
    {
        out = settings;
        return true;
    }
    void SetSettings(const TrpDeviceSettings& in) override
    {
        if (!in.HasPaperWidth)
            throw Exception("only custom papers");
        settings = in;
    }
    TrpDeviceCaps Caps() override
    {
        const int w = settings.HasPaperWidth ? settings.PaperWidth * 300 / 254 : 2480;
        const int h = settings.HasPaperLength ? settings.PaperLength * 300 / 254 : 3508;
        return {300, 300, w, h, 0, 0, w, h};
    }
    std::vector<TrpPaperChoice> Papers() override { return {}; }
    std::vector<TrpPaperChoice> Bins() override { return {}; }
};

} // namespace

TEST(TemplatePage, NewPageIsA4OnTheVirtualPrinter)
{
    Pages p;
    TrpPage& page = p.pages.Add();
    EXPECT_EQ(page.PaperSize, 9);
    EXPECT_EQ(page.PaperWidth, 2100);
    EXPECT_EQ(page.PaperHeight, 2970);
    EXPECT_EQ(page.Bin, 0xFFFF);
    EXPECT_EQ(page.PageInfo.SheetWidth, 758);
    EXPECT_EQ(page.PageInfo.SheetHeight, 1071);
    EXPECT_EQ(page.PageInfo.PrintableWidth, 722);
    EXPECT_EQ(page.PageInfo.PrintableHeight, 1035);
    EXPECT_EQ(page.Caption, "Form");
    EXPECT_EQ(page.FormWidth, 380);
    EXPECT_TRUE(page.Visible);

    // A stored default bin stays the default whatever bin the printer
    // model holds.
    p.printer.ApplyPageSettings(9, 0, 0, true, 0, 3);
    page.ApplyPaper(9, 0xFFFF, 0, 0, 0);
    EXPECT_EQ(page.Bin, 0xFFFF);

    page.ApplyPaper(9, -1, 0, 0, 1);
    EXPECT_EQ(page.PaperWidth, 2970);
    EXPECT_EQ(page.PaperHeight, 2100);
    EXPECT_EQ(page.PageInfo.SheetWidth, 1071);
}

TEST(TemplatePage, PaperThePrinterRefusesBecomesCustom)
{
    PickyPrinters system;
    TrpPrinter printer;
    printer.AttachPrinter(&system);
    TrpPages pages;
    pages.Printer = &printer;
    TrpPage& page = pages.Add();
    page.ApplyPaper(1, 3, 2159, 2794, 0);
    EXPECT_EQ(page.PaperSize, 256);
    EXPECT_EQ(page.PaperWidth, 2159);
    EXPECT_EQ(page.PaperHeight, 2794);
    EXPECT_EQ(page.Bin, 0xFFFF);
}

TEST(TemplatePage, PrintableLimits)
{
    Pages p;
    TrpPage& page = p.pages.Add();
    struct Case {
        const char* what;
        std::uint16_t useMargins;
        std::int32_t margin;  // all four
        std::int32_t left, top, right, bottom;
    };
    for (const Case& c : {
             Case{"printable offsets", 0xFFFF, 0, 18, 18, 740, 1053},
             Case{"margins", 0xFFFF, 40, 40, 40, 718, 1031},
             Case{"whole sheet", 0, 40, 0, 0, 758, 1071},
         }) {
        page.UseMargins = c.useMargins;
        page.MarginLeft = page.MarginTop = page.MarginRight = page.MarginBottom = c.margin;
        EXPECT_EQ(page.LeftLimit(), c.left) << c.what;
        EXPECT_EQ(page.TopLimit(), c.top) << c.what;
        EXPECT_EQ(page.RightLimit(), c.right) << c.what;
        EXPECT_EQ(page.BottomLimit(), c.bottom) << c.what;
    }
}

TEST(TemplatePage, RunningBottomLimitLeavesRoomForThePageFooter)
{
    struct Host : TrpViewHost {
        bool running = false;
        bool IsRunning() const override { return running; }
    } host;
    Pages p;
    p.pages.Host = &host;
    TrpPage& page = p.pages.Add();
    auto& footer = Add<TrpBandView>(page, "Footer");
    footer.SetBandType(static_cast<int>(TrpBandType::PageFooter));
    footer.Height = 30;
    EXPECT_EQ(page.BottomLimit(), 1053);
    EXPECT_EQ(page.ReadProperty("BOTTOMMARGIN"), Variant(0));
    host.running = true;
    EXPECT_EQ(page.BottomLimit(), 1023);
    EXPECT_EQ(page.ReadProperty("BottomMargin"), Variant(1023));
    EXPECT_EQ(page.ReadProperty("LEFTMARGIN"), Variant(18));
}

TEST(TemplatePage, ScriptProperties)
{
    Pages p;
    TrpPage& page = p.pages.Add();
    // A report page's size: report pixels outside, tenths of a millimetre
    // inside (18 pixels make 5 millimetres).
    EXPECT_EQ(page.ReadProperty("WIDTH"), Variant(756));
    EXPECT_EQ(page.ReadProperty("Height"), Variant(1069));
    page.AssignProperty("WIDTH", Variant(720));
    EXPECT_EQ(page.PaperWidth, 2000);
    page.AssignProperty("SIZE", Variant(1));
    EXPECT_EQ(page.PaperSize, 1);
    EXPECT_EQ(page.PaperWidth, 2000) << "SIZE does not apply the paper";

    page.AssignProperty("STRETCHTOPRINTABLE", Variant(true));
    EXPECT_EQ(page.UseMargins, 0);
    EXPECT_EQ(page.ReadProperty("STRETCHTOPRINTABLE"), Variant(true));
    page.AssignProperty("PRINTTOPREVPAGE", Variant(true));
    EXPECT_NE(page.PrintToPrevPage, 0);
    page.AssignProperty("COLUMNS", Variant(3));
    page.AssignProperty("COLUMNWIDTH", Variant(200));
    EXPECT_EQ(page.ReadProperty("COLUMNS"), Variant(3));
    EXPECT_EQ(page.ReadProperty("COLUMNWIDTH"), Variant(200));
    EXPECT_TRUE(page.ReadProperty("NOSUCHTHING").isNull());

    // A dialog page's size is its form's.
    page.AssignProperty("TYPE", Variant(1));
    page.AssignProperty("WIDTH", Variant(500));
    page.AssignProperty("CAPTION", Variant("Choose"));
    page.AssignProperty("LEFT", Variant(10));
    EXPECT_EQ(page.FormWidth, 500);
    EXPECT_EQ(page.FormLeft, 10);
    EXPECT_EQ(page.ReadProperty("WIDTH"), Variant(500));
    EXPECT_EQ(page.ReadProperty("CAPTION"), Variant("Choose"));

    page.RegisterProperties();
    ASSERT_EQ(page.Properties().size(), 23u);
    EXPECT_EQ(page.Properties().front().Name, "Type");
    EXPECT_EQ(page.FindProperty("orientation")->EnumNames, "poPortrait;poLandscape");
    EXPECT_EQ(page.Properties().back().Name, "OnBeforePrint");
}

TEST(TemplatePage, PaperListsForEditors)
{
    Pages p;
    TrpPage& page = p.pages.Add();
    EXPECT_EQ(page.PaperSizesArray().size(), 67u);
    EXPECT_EQ(page.PaperSizesArray()[8], 9);
    const std::string names = page.PaperNamesText();
    EXPECT_EQ(names.rfind("Letter", 0), 0u) << names;
    EXPECT_EQ(std::count(names.begin(), names.end(), ';'), 66);
}

TEST(TemplatePage, ScriptRunsThroughTheHost)
{
    struct Host : TrpViewHost {
        std::vector<TrpPage*> ran;
        void RunPageScript(TrpPage& page) override { ran.push_back(&page); }
    } host;
    Pages p;
    p.pages.Host = &host;
    TrpPage& page = p.pages.Add();
    page.RunScript();
    EXPECT_TRUE(host.ran.empty()) << "an empty script is not run";
    page.Script = {"X := 1"};
    page.RunScript();
    EXPECT_EQ(host.ran, std::vector<TrpPage*>{&page});
}

TEST(ObjectProperty, Resolution)
{
    Pages p;
    TrpPage& first = p.pages.Add();
    first.Name = "Page1";
    TrpPage& second = p.pages.Add();
    second.Name = "Page2";
    auto& memo = Add<TrpMemoView>(first, "Memo1");
    auto& other = Add<TrpMemoView>(second, "Title");

    struct Case {
        const char* text;
        TrpObject* object;
        const char* property;
    };
    for (const Case& c : {
             Case{"Left", &memo, "Left"},
             Case{"Title.Visible", &other, "Visible"},
             Case{"title.Memo.Count", &other, "Memo.Count"},
             Case{"PAGE2.Width", &second, "Width"},
             Case{"page1.Columns", &first, "Columns"},
             Case{"Page3.Width", nullptr, "Width"},
             Case{"Memo.Count", &memo, "Memo.Count"},
             Case{"Nobody.Left", nullptr, "Left"},
         }) {
        const TrpObjectProperty found = ResolveObjectProperty(c.text, &memo, p.pages);
        EXPECT_EQ(found.Object, c.object) << c.text;
        EXPECT_EQ(found.Property, c.property) << c.text;
    }
    EXPECT_FALSE(other.Properties().empty()) << "the property list of the object found is registered";
    EXPECT_EQ(ResolveObjectProperty("A." + std::string(300, 'x'), &memo, p.pages).Property.size(), 255u);
}

TEST(CalculationError, TextWithAndWithoutAnObject)
{
    const auto text = [](int id) {
        switch (id) {
        case 55200: return std::string("An error occured during calculating");
        case 55201: return std::string("Report:");
        case 55202: return std::string("Object:");
        default: return std::string();
        }
    };
    TrpMemoView memo;
    memo.Name = "Memo3";
    memo.Memo = {"[A]", "[B]"};
    EXPECT_EQ(CalculationErrorText(text, &memo, "repCommon", "Division by zero"),
              "An error occured during calculating\r\r[A]\r[B]\r\rReport: repCommon\rObject: Memo3\r\r"
              "Division by zero");
    EXPECT_EQ(CalculationErrorText(text, nullptr, "repCommon", "Bad"),
              "An error occured during calculating\r\rReport: repCommon\r\rBad");
}

TEST(ObjectFactory, TypeCodes)
{
    EXPECT_EQ(CreateViewByType(0, {})->ClassName(), "TrpMemoView");
    EXPECT_EQ(CreateViewByType(1, {})->ClassName(), "TrpPictureView");
    EXPECT_EQ(CreateViewByType(2, {})->ClassName(), "TrpBandView");
    EXPECT_NE(dynamic_cast<TrpSubReportView*>(CreateViewByType(3, {}).get()), nullptr);
    EXPECT_EQ(CreateViewByType(4, {})->ClassName(), "TrpLineView");
    EXPECT_EQ(CreateViewByType(5, {}), nullptr);
    const auto a = CreateViewByType(0, {});
    const auto b = CreateViewByType(0, {});
    EXPECT_EQ(b->ID, a->ID + 1);

    struct Knob : TrpControl {
        std::string ClassName() const override { return "TKnob"; }
    };
    TrpAddInRegistry addIns;
    addIns.Register("TKnob", [] { return std::make_unique<Knob>(); });
    const auto knob = CreateViewByType(10, "TKnob", &addIns);
    EXPECT_EQ(knob->TypeCode, 10);
    try {
        CreateViewByType(10, "TMissing", &addIns);
        FAIL() << "no error";
    } catch (const EClassNotFound& error) {
        EXPECT_STREQ(error.what(), "TMissing\r");
    }
    // Class names match without regard to case, and registering a name
    // again in another case replaces the class.
    for (const char* name : {"tknob", "TKNOB", "tKnOb"})
        EXPECT_EQ(CreateViewByType(10, name, &addIns)->ClassName(), "TKnob") << name;
    struct Dial : TrpControl {
        std::string ClassName() const override { return "TDial"; }
    };
    addIns.Register("TKNOB", [] { return std::make_unique<Dial>(); });
    EXPECT_EQ(CreateViewByType(10, "TKnob", &addIns)->ClassName(), "TDial");
}

TEST(RotatedFont, TextRunsUpwards)
{
    QFont font("Liberation Sans");
    font.setPixelSize(20);
    const TrpRotatedFont rotated = CreateRotatedFont(font);
    EXPECT_EQ(rotated.Escapement, 900);
    QImage image(100, 200, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(Qt::black);
    rotated.Select(painter, QPointF(50, 190));
    painter.drawText(QPointF(0, 0), "WWWWWW");
    painter.end();
    int top = 200, bottom = 0, left = 100, right = 0;
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 100; ++x)
            if (qGray(image.pixel(x, y)) < 128) {
                top = std::min(top, y), bottom = std::max(bottom, y);
                left = std::min(left, x), right = std::max(right, x);
            }
    EXPECT_GT(bottom - top, 2 * (right - left)) << "a tall, narrow run";
    EXPECT_LE(bottom, 190);
    EXPECT_LT(right, 50) << "the glyphs stand left of the baseline";
}

TEST(PictureProperty, AssignsAnotherPictureByReference)
{
    Pages p;
    TrpPage& page = p.pages.Add();
    auto& source = Add<TrpPictureView>(page, "Logo");
    auto& target = Add<TrpPictureView>(page, "Copy");
    QImage image(4, 2, QImage::Format_RGB32);
    image.fill(Qt::red);
    source.Picture.SetImage(image);

    const Variant reference = source.ReadProperty("PICTURE");
    target.AssignProperty("Picture", reference);
    EXPECT_EQ(target.Picture.Size(), QSize(4, 2));
    EXPECT_EQ(target.Picture.Data(), source.Picture.Data());

    // References that find no picture change nothing.
    auto& memo = Add<TrpMemoView>(page, "Memo1");
    target.AssignProperty("PICTURE", Variant(memo.ID));
    target.AssignProperty("PICTURE", Variant(123456));
    target.AssignProperty("PICTURE", Variant("Logo"));
    EXPECT_EQ(target.Picture.Size(), QSize(4, 2));
}
