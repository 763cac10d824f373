#include "PaintedImages.h"
#include "ThemeTestSupport.h"

#include "ThemeManager/ThemeSrv.h"
#include "ThemeManager/UxTheme.h"

#include "platform/VisualStyleApi.h"

#include <QFrame>
#include <QImage>
#include <QPainter>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

using platform::PlatformProfile;
using platform::ScopedProfile;

namespace {

bool allWhite(const QImage& image)
{
    return PixelsNotWhite(image, image.rect()) == 0;
}

// A framed control that paints the themed border over its frame.
class BorderedFrame : public QFrame {
public:
    explicit BorderedFrame(TThemeServices& services)
        : services_(services)
    {
        setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        setLineWidth(2);
        resize(60, 40);
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QFrame::paintEvent(event);
        services_.PaintBorder(this, true);
    }

private:
    TThemeServices& services_;
};

} // namespace

TEST(ThemeLibrary, TwoServicesShareOneLoad)
{
    if (ThemeLibraryLoaded())
        GTEST_SKIP() << "the library was loaded before this test";
    auto first = std::make_unique<TThemeServices>();
    EXPECT_TRUE(ThemeLibraryLoaded());
    EXPECT_NE(UxTheme().OpenThemeData, nullptr);
    auto second = std::make_unique<TThemeServices>();
    EXPECT_EQ(ThemeLibraryReferences(), 2);

    first.reset();
    EXPECT_TRUE(ThemeLibraryLoaded());
    EXPECT_NE(UxTheme().DrawThemeBackground, nullptr);
    second.reset();
    EXPECT_FALSE(ThemeLibraryLoaded());
    EXPECT_EQ(ThemeLibraryReferences(), 0);
    EXPECT_EQ(UxTheme().OpenThemeData, nullptr);
    EXPECT_EQ(UxTheme().EnableTheming, nullptr);

    // More unloads than loads change nothing.
    UnloadThemeLibrary();
    EXPECT_EQ(ThemeLibraryReferences(), 0);
}

TEST(ThemeLibrary, AMissingEntryPointStaysNull)
{
    if (ThemeLibraryLoaded())
        GTEST_SKIP() << "the library was loaded before this test";
    PlatformProfile profile = PlatformProfile::nt51();
    profile.missingProcs.insert("uxtheme.dll!DrawThemeEdge");
    ScopedProfile scope(profile);
    TThemeServices services;
    EXPECT_EQ(UxTheme().DrawThemeEdge, nullptr);
    EXPECT_NE(UxTheme().DrawThemeBackground, nullptr);

    QImage image = WhiteImage(20, 20);
    QPainter painter(&image);
    const QRect rect(0, 0, 20, 20);
    EXPECT_EQ(services.DrawEdge(painter, GetRebarDetails(4), rect, EDGE_SUNKEN, BF_RECT), rect);
}

TEST(ThemeServices, UseThemesOnlyWithAStyleAThemedApplicationAndCommonControls6)
{
    struct Case {
        const char* name;
        PlatformProfile profile;
        bool available;
        bool useThemes;
        bool controls;
    };
    PlatformProfile frameOnly = PlatformProfile::nt51();
    frameOnly.themeAppProperties = STAP_ALLOW_NONCLIENT;
    // A library that another user holds stays loaded whatever the profile.
    const bool loadedBefore = ThemeLibraryLoaded();
    const Case cases[] = {
        {"NT 5.0 has no library", PlatformProfile::nt5(), loadedBefore, false, false},
        {"NT 5.1", PlatformProfile::nt51(), true, true, true},
        {"NT 6", PlatformProfile::nt6(), true, true, true},
        {"common controls 5.82", WithCommonControls(0x50052), true, false, false},
        {"no visual style active", WithoutVisualStyle(), true, false, false},
        {"themed frames, plain controls", frameOnly, true, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScopedProfile scope(c.profile);
        TThemeServices services;
        EXPECT_EQ(services.ThemesAvailable(), c.available);
        EXPECT_EQ(services.UseThemes(), c.useThemes);
        EXPECT_EQ(services.ControlsEnabled(), c.controls);
        EXPECT_EQ(services.GetThemesEnabled(), c.available && c.useThemes && c.controls);
        EXPECT_EQ(services.GetTheme(teButton) != nullptr, c.useThemes);
    }
    // Common controls 5.82 alone say no, though a style is active.
    ScopedProfile scope(WithCommonControls(0x50052));
    TThemeServices services;
    EXPECT_TRUE(IsAppThemedAndActive());
    EXPECT_EQ(GetComCtlVersion(), 0x50052u);
    EXPECT_FALSE(services.UseThemes());
}

TEST(ThemeServices, AThemeSwitchAtTheWatchedWindowDecidesAnew)
{
    QWidget window;
    TThemeServices watching(&window);
    TThemeServices blind;
    int changes = 0;
    watching.OnThemeChange = [&](TThemeServices* sender) {
        EXPECT_EQ(sender, &watching);
        ++changes;
    };
    ASSERT_NE(watching.GetTheme(teButton), nullptr);
    {
        ScopedTheme switchedOff(WithoutVisualStyle());
        EXPECT_EQ(changes, 1);
        EXPECT_FALSE(watching.UseThemes());
        EXPECT_EQ(watching.GetTheme(teButton), nullptr);
        EXPECT_TRUE(blind.UseThemes());
    }
    EXPECT_EQ(changes, 2);
    EXPECT_TRUE(watching.UseThemes());
    EXPECT_NE(watching.GetTheme(teButton), nullptr);
}

TEST(ThemeServices, CloseTheirHandlesEvenWhenTheWatchedWindowWentFirst)
{
    TThemeServices keepsTheLibrary;
    auto window = std::make_unique<QWidget>();
    auto services = std::make_unique<TThemeServices>(window.get());
    const HTHEME theme = services->GetTheme(teButton);
    ASSERT_NE(theme, nullptr);
    window.reset();
    EXPECT_EQ(services->Window(), nullptr);
    services->UnloadThemeData(); // the window is gone: nothing happens
    EXPECT_EQ(services->GetTheme(teButton), theme);
    services.reset();
    EXPECT_EQ(UxTheme().CloseThemeData(theme), E_HANDLE); // closed already
}

TEST(ThemeServices, PaintThroughTheThemeAndNotWithoutOne)
{
    TThemeServices services;
    QImage image = WhiteImage(60, 24);
    {
        QPainter painter(&image);
        const QRect rect(0, 0, 60, 24);
        services.DrawBackground(painter, GetButtonDetails(2), rect);
        EXPECT_LT(services.GetContentRect(painter, GetButtonDetails(2), rect).width(), 60);
        EXPECT_EQ(services.DrawEdge(painter, GetRebarDetails(4), rect, EDGE_SUNKEN, BF_RECT),
                  rect.adjusted(2, 2, -2, -2));
    }
    EXPECT_FALSE(allWhite(image));

    ScopedProfile switchedOff(WithoutVisualStyle());
    TThemeServices plain;
    image = WhiteImage(60, 24);
    {
        QPainter painter(&image);
        plain.DrawBackground(painter, GetButtonDetails(2), QRect(0, 0, 60, 24));
        plain.DrawText(painter, GetButtonDetails(2), QStringLiteral("Close"), DT_CENTER, 0, QRect(0, 0, 60, 24));
    }
    EXPECT_TRUE(allWhite(image));
}

TEST(ThemeServices, DrawTheParentsBackgroundOnlyBehindTransparentParts)
{
    TThemeServices services;
    ColouredParent window(QColor(10, 120, 30), QRect(5, 5, 20, 20));

    QImage image = WhiteImage(20, 20);
    {
        QPainter painter(&image);
        const ThemedElementDetails edit = GetEditDetails(2);
        EXPECT_EQ(services.DrawParentBackground(&window.child, painter, nullptr, true, &edit), S_OK);
    }
    EXPECT_TRUE(allWhite(image));
    {
        QPainter painter(&image);
        const ThemedElementDetails checkBox = GetButtonDetails(15);
        EXPECT_EQ(services.DrawParentBackground(&window.child, painter, nullptr, true, &checkBox), S_OK);
    }
    EXPECT_EQ(image.pixel(10, 10), qRgb(10, 120, 30));
}

TEST(ThemeServices, PaintBorderCoversTheClientEdgeOnly)
{
    TThemeServices services;
    BorderedFrame bordered(services);
    QFrame plainFrame;
    plainFrame.setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    plainFrame.setLineWidth(2);
    plainFrame.resize(60, 40);
    const QImage withBorder = bordered.grab().toImage();
    const QImage without = plainFrame.grab().toImage();
    ASSERT_EQ(withBorder.size(), without.size());
    bool borderDiffers = false;
    for (int x = 0; x < 60; ++x)
        borderDiffers |= withBorder.pixel(x, 0) != without.pixel(x, 0) || withBorder.pixel(x, 1) != without.pixel(x, 1);
    EXPECT_TRUE(borderDiffers);
    // Inside the frame nothing changes.
    for (int y = 2; y < 38; ++y)
        for (int x = 2; x < 58; ++x)
            ASSERT_EQ(withBorder.pixel(x, y), without.pixel(x, y)) << x << "," << y;

    // A frame without the client edge is left alone.
    bordered.setFrameShadow(QFrame::Plain);
    plainFrame.setFrameShadow(QFrame::Plain);
    EXPECT_EQ(bordered.grab().toImage(), plainFrame.grab().toImage());
}
