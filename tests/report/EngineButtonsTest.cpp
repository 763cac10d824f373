// The engine's speed buttons, their glyph images and the window placements
// kept in the current user's registry.

#include "MemoryRegistry.h"
#include "MouseClicks.h"
#include "report/RP_Dock.h"

#include "platform/Registry.h"
#include "platform/WindowBounds.h"

#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QStyleHints>
#include <QTest>

#include <gtest/gtest.h>

using namespace report;

namespace {

const QRgb kOlive = qRgb(128, 128, 0);
const QRgb kRed = qRgb(255, 0, 0);

// A strip of `count` images of 16 x 16: an olive (transparent) border
// around a red square.
QImage Strip(int count, int width = 0)
{
    QImage image(width != 0 ? width : 16 * count, 16, QImage::Format_RGB32);
    image.fill(kOlive);
    for (int n = 0; n < count; ++n)
        for (int y = 4; y < 12; ++y)
            for (int x = 4; x < 12; ++x)
                image.setPixel(n * 16 + x, y, kRed);
    return image;
}

QImage Grab(QWidget& widget)
{
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

QRgb Face()
{
    return ButtonColors::Face().rgb();
}

bool IsGray(QRgb pixel)
{
    return qRed(pixel) == qGreen(pixel) && qGreen(pixel) == qBlue(pixel);
}

// A 22 x 22 flat button with the red glyph (placed at 3, 3: its square
// covers 7..14).
struct FlatButton {
    QWidget parent;
    TrpSpeedButton* button;
    FlatButton()
    {
        button = new TrpSpeedButton(&parent);  // owned by the parent
        button->SetFlat(true);
        button->SetGlyph(Strip(1));
    }
};

} // namespace

TEST(ButtonLayout, GlyphAndCaptionPlaces)
{
    struct Case {
        TrpButtonLayout layout;
        int margin, spacing;
        QSize text;
        QPoint glyph;
        QRect textRect;
    };
    const QRect client(0, 0, 100, 30);
    const QSize glyph(16, 16);
    for (const Case& c : {
             Case{TrpButtonLayout::GlyphLeft, -1, 4, {0, 0}, {42, 7}, {58, 15, 0, 0}},
             Case{TrpButtonLayout::GlyphLeft, -1, 4, {40, 10}, {20, 7}, {40, 10, 40, 10}},
             Case{TrpButtonLayout::GlyphLeft, -1, -1, {40, 10}, {14, 7}, {44, 10, 40, 10}},
             Case{TrpButtonLayout::GlyphLeft, 2, -1, {40, 10}, {2, 7}, {39, 10, 40, 10}},
             Case{TrpButtonLayout::GlyphRight, 2, 4, {40, 10}, {82, 7}, {38, 10, 40, 10}},
             Case{TrpButtonLayout::GlyphTop, 1, 2, {40, 10}, {42, 1}, {30, 19, 40, 10}},
             Case{TrpButtonLayout::GlyphBottom, 1, 2, {40, 10}, {42, 13}, {30, 1, 40, 10}},
         }) {
        const TrpButtonLayoutResult r = CalcButtonLayout(client, glyph, c.text, c.layout, c.margin, c.spacing);
        EXPECT_EQ(r.GlyphPos, c.glyph) << int(c.layout) << ' ' << c.margin << ' ' << c.spacing;
        EXPECT_EQ(r.TextRect, c.textRect) << int(c.layout) << ' ' << c.margin << ' ' << c.spacing;
    }
    EXPECT_EQ(CalcButtonLayout(QRect(5, 6, 22, 22), glyph, {0, 0}, TrpButtonLayout::GlyphLeft, -1, 4).GlyphPos,
              QPoint(8, 9));
}

TEST(ButtonGlyph, StripsAndImageCounts)
{
    TButtonGlyph glyph;
    glyph.SetGlyph(Strip(4));
    EXPECT_EQ(glyph.NumGlyphs(), 4);
    EXPECT_EQ(glyph.TransparentColor(), kOlive | 0xFF000000u);
    glyph.SetGlyph(Strip(1, 80));
    EXPECT_EQ(glyph.NumGlyphs(), 1) << "five images are more than a strip holds";
    EXPECT_EQ(glyph.ImageSize(), QSize(80, 16));
    glyph.SetGlyph(Strip(2));
    glyph.SetGlyph(Strip(1, 30));
    EXPECT_EQ(glyph.NumGlyphs(), 2) << "a strip not a multiple of its height keeps the count";
    TButtonGlyph empty;
    EXPECT_EQ(empty.CreateButtonGlyph(TrpButtonState::Up), -1);
}

TEST(ButtonGlyph, StateImages)
{
    TButtonGlyph glyph;
    glyph.SetGlyph(Strip(1));
    const QImage up = *glyph.StateImage(TrpButtonState::Up);
    EXPECT_EQ(qAlpha(up.pixel(0, 0)), 0) << "the transparent colour is masked";
    EXPECT_EQ(up.pixel(8, 8), kRed | 0xFF000000u);
    EXPECT_EQ(glyph.CreateButtonGlyph(TrpButtonState::Down), glyph.CreateButtonGlyph(TrpButtonState::Up))
        << "down shares up's image with fewer than 3 images";

    const QImage inactive = *glyph.StateImage(TrpButtonState::Inactive);
    const int v = (77 * 255) >> 8;
    EXPECT_EQ(inactive.pixel(8, 8), qRgb(v, v, v));
    EXPECT_EQ(qAlpha(inactive.pixel(0, 0)), 0);

    const QImage disabled = *glyph.StateImage(TrpButtonState::Disabled);
    EXPECT_EQ(disabled.pixel(8, 8), ButtonColors::Shadow().rgb());
    EXPECT_EQ(disabled.pixel(12, 12), ButtonColors::Highlight().rgb()) << "the embossed edge";
    EXPECT_EQ(disabled.pixel(1, 1), Face());
}

TEST(ButtonGlyph, ImageListsAreSharedBySize)
{
    TGlyphCache& cache = TGlyphCache::Instance();
    const std::size_t before = cache.ListCount();
    {
        TButtonGlyph a, b, c;
        a.SetGlyph(Strip(1));
        b.SetGlyph(Strip(2));
        c.SetGlyph(Strip(1, 24));
        a.CreateButtonGlyph(TrpButtonState::Up);
        b.CreateButtonGlyph(TrpButtonState::Up);
        c.CreateButtonGlyph(TrpButtonState::Up);
        EXPECT_EQ(cache.ListCount(), before + 2) << "16 x 16 shared, 24 x 16 apart";
        EXPECT_EQ(cache.GetList(16, 16)->Count(), 2);
    }
    EXPECT_EQ(cache.ListCount(), before) << "lists without images are freed";
}

TEST(SpeedButton, FlatButtonFollowsTheMouse)
{
    FlatButton f;
    TrpSpeedButton& b = *f.button;
    // Not under the mouse: the gray image and no frame.
    QImage image = Grab(b);
    EXPECT_TRUE(IsGray(image.pixel(10, 10)));
    EXPECT_EQ(image.pixel(0, 0), Face());
    EXPECT_EQ(image.pixel(21, 21), Face());

    int entered = 0;
    b.OnMouseEnter = [&entered] { ++entered; };
    b.MouseEnter();
    EXPECT_EQ(entered, 1);
    image = Grab(b);
    EXPECT_EQ(image.pixel(10, 10), kRed | 0xFF000000u);
    EXPECT_EQ(image.pixel(0, 0), ButtonColors::Highlight().rgb()) << "raised";
    EXPECT_EQ(image.pixel(21, 21), ButtonColors::Shadow().rgb());

    // Pressed: a sunken frame and the content moved by (1, 1).
    QTest::mousePress(&b, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(b.State(), TrpButtonState::Down);
    image = Grab(b);
    EXPECT_EQ(image.pixel(0, 0), ButtonColors::Shadow().rgb());
    EXPECT_EQ(image.pixel(7, 7), Face());
    EXPECT_EQ(image.pixel(15, 15), kRed | 0xFF000000u);

    b.MouseLeave();
    EXPECT_FALSE(b.MouseInControl());
}

TEST(SpeedButton, LatchedButtonShowsThePattern)
{
    FlatButton f;
    TrpSpeedButton& b = *f.button;
    b.SetGroupIndex(1);
    b.SetDown(true);
    EXPECT_EQ(b.State(), TrpButtonState::Exclusive);
    const QImage image = Grab(b);
    EXPECT_EQ(image.pixel(0, 0), ButtonColors::Shadow().rgb()) << "sunken";
    // The checker behind the glyph: white where x and y have the same parity.
    EXPECT_EQ(image.pixel(2, 2), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(3, 2), Face());
    EXPECT_TRUE(IsGray(image.pixel(10, 10))) << "gray glyph on the pattern";
}

TEST(SpeedButton, OffScreenUpTo100Pixels)
{
    TrpSpeedButton b;
    b.resize(100, 100);
    EXPECT_TRUE(b.PaintsOffScreen());
    b.resize(101, 20);
    EXPECT_FALSE(b.PaintsOffScreen());
    b.SetCaption("Wide");
    EXPECT_FALSE(Grab(b).isNull());
}

TEST(SpeedButton, ReleaseOutsideNeitherClicksNorToggles)
{
    QWidget parent;
    auto* plain = new TrpSpeedButton(&parent);
    int clicks = 0;
    plain->OnClick = [&clicks] { ++clicks; };
    QTest::mousePress(plain, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(plain, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(clicks, 1);
    QTest::mousePress(plain, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(plain, Qt::LeftButton, {}, QPoint(40, 5));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(plain->State(), TrpButtonState::Up);

    auto* grouped = new TrpSpeedButton(&parent);
    grouped->SetGroupIndex(3);
    grouped->SetDown(true);
    QTest::mousePress(grouped, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(grouped, Qt::LeftButton, {}, QPoint(5, 50));
    EXPECT_TRUE(grouped->Down());
    EXPECT_EQ(grouped->State(), TrpButtonState::Exclusive);
}

// Counts the double-click events a widget receives.
struct DoubleClicks : QObject {
    int count = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        count += event->type() == QEvent::MouseButtonDblClick;
        return false;
    }
};

TEST(SpeedButton, EveryClickOfADoubleClickClicks)
{
    const int interval = QGuiApplication::styleHints()->mouseDoubleClickInterval();
    struct Case {
        int group;
        bool allowAllUp;
        int clicks, gapMs;
        int doubleClicks;  // of them, presses Qt makes double clicks
        int dblClickEvents;  // OnDblClick, only while the button is down
        bool downAfter;
    };
    for (const Case& c : {
             Case{0, false, 2, interval / 4, 1, 0, false},
             Case{0, false, 3, interval / 4, 1, 0, false},
             Case{0, false, 4, interval / 8, 2, 0, false},
             Case{0, false, 2, interval * 2, 0, 0, false},
             Case{1, false, 2, interval / 4, 1, 1, true},
             Case{1, false, 4, interval / 8, 2, 2, true},
             Case{1, true, 2, interval / 4, 1, 1, false},
             Case{1, true, 3, interval / 4, 1, 1, true},
         }) {
        SCOPED_TRACE(testing::Message() << "group " << c.group << ", AllowAllUp " << c.allowAllUp << ", "
                                        << c.clicks << " clicks " << c.gapMs << " ms apart");
        QWidget window;
        window.resize(100, 60);
        auto* button = new TrpSpeedButton(&window);
        button->setGeometry(20, 10, 22, 22);
        auto* other = new TrpSpeedButton(&window);
        other->setGeometry(50, 10, 22, 22);
        button->SetGroupIndex(c.group);
        other->SetGroupIndex(c.group);
        other->SetDown(true);
        button->SetAllowAllUp(c.allowAllUp);
        int clicks = 0, dblClicks = 0;
        button->OnClick = [&clicks] { ++clicks; };
        button->OnDblClick = [&dblClicks] { ++dblClicks; };
        DoubleClicks seen;
        button->installEventFilter(&seen);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

        ClickRun(*button, QPoint(11, 11), c.clicks, c.gapMs);
        EXPECT_EQ(seen.count, c.doubleClicks) << "double clicks as Qt detects them";
        EXPECT_EQ(clicks, c.clicks);
        EXPECT_EQ(dblClicks, c.dblClickEvents);
        EXPECT_EQ(button->Down(), c.downAfter);
        EXPECT_FALSE(other->Down()) << "the group's latched button was released";
        EXPECT_EQ(button->State(), c.downAfter ? TrpButtonState::Exclusive : TrpButtonState::Up);
    }
}

TEST(SpeedButton, GroupsLatchOneButton)
{
    QWidget parent;
    auto* a = new TrpSpeedButton(&parent);
    auto* b = new TrpSpeedButton(&parent);
    auto* ungrouped = new TrpSpeedButton(&parent);
    a->SetGroupIndex(1);
    b->SetGroupIndex(1);
    a->SetDown(true);
    b->SetDown(true);
    EXPECT_FALSE(a->Down());
    EXPECT_TRUE(b->Down());
    b->SetDown(false);
    EXPECT_TRUE(b->Down()) << "a latched button without AllowAllUp stays down";
    b->SetAllowAllUp(true);
    EXPECT_TRUE(a->AllowAllUp()) << "the group shares AllowAllUp";
    b->SetDown(false);
    EXPECT_FALSE(b->Down());
    ungrouped->SetDown(true);
    EXPECT_FALSE(ungrouped->Down());
}

TEST(SpeedButton, DisabledButtonShowsTheEmbossedGlyphAndGrayCaption)
{
    FlatButton f;
    f.button->setEnabled(false);
    const QImage image = Grab(*f.button);
    EXPECT_EQ(image.pixel(10, 10), ButtonColors::Shadow().rgb());
    EXPECT_EQ(f.button->State(), TrpButtonState::Up) << "the substitution lasts one paint";
}

TEST(Toolbar, SeparatorBevelAndAlignment)
{
    QWidget toolbar;
    toolbar.setProperty("rpAlign", int(TrpAlign::Left));
    QWidget panel(&toolbar);
    auto* separator = new TrpTBSeparator(&panel);
    auto* button = new TrpTBButton(&panel);
    EXPECT_EQ(separator->Align, TrpAlign::Top) << "a vertical toolbar stacks from the top";
    EXPECT_EQ(button->Align, TrpAlign::Top);
    EXPECT_TRUE(button->Flat());
    separator->resize(20, 8);
    QImage image = Grab(*separator);
    EXPECT_EQ(image.pixel(5, 3), ButtonColors::Shadow().rgb());
    EXPECT_EQ(image.pixel(5, 4), ButtonColors::Highlight().rgb());
    separator->SetDrawBevel(false);
    image = Grab(*separator);
    EXPECT_EQ(image.pixel(5, 3), Face());

    QWidget other;
    other.setProperty("rpAlign", int(TrpAlign::Top));
    QWidget otherPanel(&other);
    separator->setParent(&otherPanel);
    EXPECT_EQ(separator->Align, TrpAlign::Left);
}


TEST(WindowPlacement, SavedAndRestored)
{
    MemoryRegistry registry;
    EXPECT_EQ(FormPlacementKey("TrpPreviewForm"), "Software\\Bandwright\\Form\\TrpPreviewForm");
    // The values are those of the window's outer rectangle, frame and title
    // bar included.
    QWidget window;
    platform::SetWindowBounds(window, QRect(40, 50, 300, 200));
    SaveFormPlacement(window, "TrpPreviewForm");
    EXPECT_EQ(MemoryRegistry::Get("TrpPreviewForm", "XPosition"), "40");
    EXPECT_EQ(MemoryRegistry::Get("TrpPreviewForm", "YPosition"), "50");
    EXPECT_EQ(MemoryRegistry::Get("TrpPreviewForm", "Width"), "300");
    EXPECT_EQ(MemoryRegistry::Get("TrpPreviewForm", "Height"), "200");
    EXPECT_EQ(MemoryRegistry::Get("TrpPreviewForm", "Maximized"), "0");

    QWidget other;
    other.setGeometry(10, 10, 100, 100);
    RestoreFormPlacement(other, "TrpPreviewForm");
    EXPECT_EQ(platform::WindowBounds(other), QRect(40, 50, 300, 200));
}

TEST(WindowPlacement, MissingOrDamagedValuesKeepTheWindowsOwn)
{
    MemoryRegistry registry;
    QWidget window;
    window.setGeometry(10, 20, 300, 200);
    window.setWindowState(Qt::WindowMaximized);
    RestoreFormPlacement(window, "TrpPreviewForm");
    EXPECT_TRUE(window.windowState() & Qt::WindowMaximized) << "no placement stored";
    EXPECT_EQ(window.geometry(), QRect(10, 20, 300, 200));
    const QRect own = platform::WindowBounds(window);

    MemoryRegistry::Set("TrpPreviewForm", "XPosition", "12x");
    MemoryRegistry::Set("TrpPreviewForm", "YPosition", "30");
    MemoryRegistry::Set("TrpPreviewForm", "Width", "-5");
    MemoryRegistry::Set("TrpPreviewForm", "Maximized", "yes");
    RestoreFormPlacement(window, "TrpPreviewForm");
    EXPECT_TRUE(window.windowState() & Qt::WindowMaximized) << "not a number reads as 1";
    EXPECT_EQ(platform::WindowBounds(window), QRect(own.left(), 30, own.width(), 200));

    MemoryRegistry::Set("TrpPreviewForm", "Maximized", "0");
    RestoreFormPlacement(window, "TrpPreviewForm");
    EXPECT_FALSE(window.windowState() & Qt::WindowMaximized);
}

TEST(WindowPlacement, ARectangleOffEveryScreenComesOntoThePrimaryOne)
{
    MemoryRegistry registry;
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    MemoryRegistry::Set("TrpPreviewForm", "XPosition", "-30000");
    MemoryRegistry::Set("TrpPreviewForm", "YPosition", "-30000");
    MemoryRegistry::Set("TrpPreviewForm", "Width", "300");
    MemoryRegistry::Set("TrpPreviewForm", "Height", "200");
    QWidget window;
    RestoreFormPlacement(window, "TrpPreviewForm");
    EXPECT_TRUE(screen.contains(platform::WindowBounds(window))) << "on the screen, its size kept";
    EXPECT_EQ(platform::WindowBounds(window).size(), QSize(300, 200));

    MemoryRegistry::Set("TrpPreviewForm", "XPosition", std::to_string(screen.right() + 5000));
    MemoryRegistry::Set("TrpPreviewForm", "Width", std::to_string(screen.width() * 3));
    MemoryRegistry::Set("TrpPreviewForm", "Height", std::to_string(screen.height() * 3));
    RestoreFormPlacement(window, "TrpPreviewForm");
    EXPECT_EQ(platform::WindowBounds(window), screen) << "shrunk to fit";

    // A rectangle that a screen shows in part is applied unchanged.
    MemoryRegistry::Set("TrpPreviewForm", "XPosition", std::to_string(screen.right() - 50));
    MemoryRegistry::Set("TrpPreviewForm", "YPosition", "0");
    MemoryRegistry::Set("TrpPreviewForm", "Width", "300");
    MemoryRegistry::Set("TrpPreviewForm", "Height", "200");
    RestoreFormPlacement(window, "TrpPreviewForm");
    EXPECT_EQ(platform::WindowBounds(window), QRect(screen.right() - 50, 0, 300, 200));
}
