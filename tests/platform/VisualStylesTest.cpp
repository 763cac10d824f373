#include "platform/Kernel32.h"
#include "platform/PlatformProfile.h"
#include "platform/VisualStyleApi.h"
#include "platform/VisualStyles.h"
#include "platform/WindowHandles.h"

#include "PaintedImages.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QStyle>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using platform::PlatformProfile;
using platform::ScopedProfile;

namespace {

// The platform follows a new profile from the event loop.
void settle()
{
    QCoreApplication::processEvents();
}

PlatformProfile nt51With(void (*change)(PlatformProfile&))
{
    PlatformProfile p = PlatformProfile::nt51();
    change(p);
    return p;
}

// Counts the theme-changed notifications an object receives.
class NotificationCounter : public QObject {
public:
    explicit NotificationCounter(QObject* watched)
        : watched_(watched)
    {
        watched->installEventFilter(this);
    }
    ~NotificationCounter() override { watched_->removeEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == watched_ && event->type() == platform::ThemeChangedEventType())
            ++count;
        return false;
    }

private:
    QObject* watched_;
};

// The module as a program reaches it: loaded by name, entry points by name.
class UxThemeModule {
public:
    UxThemeModule()
        : module_(LoadLibraryA("uxtheme.dll"))
    {
    }
    ~UxThemeModule()
    {
        if (module_)
            FreeLibrary(module_);
    }
    UxThemeModule(const UxThemeModule&) = delete;
    UxThemeModule& operator=(const UxThemeModule&) = delete;

    bool Loaded() const { return module_ != nullptr; }
    template <class Proc>
    Proc Get(const char* name) const
    {
        return reinterpret_cast<Proc>(GetProcAddress(module_, name));
    }

private:
    HMODULE module_;
};

} // namespace

TEST(VisualStyles, TheLookFollowsTheProfile)
{
    struct Case {
        const char* name;
        PlatformProfile profile;
        const char* look;
    };
    const Case cases[] = {
        {"NT 5.0: no visual-style library", PlatformProfile::nt5(), "windows"},
        {"Windows 9x", PlatformProfile::win9x(true), "windows"},
        {"NT 5.1 with a visual style", PlatformProfile::nt51(), "fusion"},
        {"NT 6", PlatformProfile::nt6(), "fusion"},
        {"common controls 5.82", nt51With([](PlatformProfile& p) { p.commonControlsVersion = 0x50052; }), "windows"},
        {"no visual style active", nt51With([](PlatformProfile& p) { p.visualStyleActive = false; }), "windows"},
        {"themed controls not allowed",
         nt51With([](PlatformProfile& p) { p.themeAppProperties = STAP_ALLOW_NONCLIENT; }), "windows"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScopedProfile profile(c.profile);
        settle();
        EXPECT_EQ(QApplication::style()->name(), QString::fromLatin1(c.look));
    }
}

TEST(VisualStyles, AThemeSwitchReachesTheApplicationAndEveryWidget)
{
    ScopedProfile themed(PlatformProfile::nt51());
    settle();
    QWidget window;
    QWidget child(&window);
    NotificationCounter application(QCoreApplication::instance());
    NotificationCounter top(&window);
    NotificationCounter inner(&child);

    {
        ScopedProfile switchedOff(nt51With([](PlatformProfile& p) { p.visualStyleActive = false; }));
        settle();
        EXPECT_EQ(application.count, 1);
        EXPECT_EQ(top.count, 1);
        EXPECT_EQ(inner.count, 1);
        EXPECT_EQ(QApplication::style()->name(), QStringLiteral("windows"));
    }
    settle();
    EXPECT_EQ(inner.count, 2);

    // The application's own properties are no theme switch: the look
    // follows them without a notification.
    ScopedProfile unthemedControls(nt51With([](PlatformProfile& p) { p.themeAppProperties = STAP_ALLOW_NONCLIENT; }));
    settle();
    EXPECT_EQ(inner.count, 2);
    EXPECT_EQ(QApplication::style()->name(), QStringLiteral("windows"));
}

TEST(UxThemeModule, ComesWithNT51AndHasAllItsEntryPoints)
{
    {
        ScopedProfile profile(PlatformProfile::nt5());
        EXPECT_EQ(LoadLibraryA("uxtheme.dll"), nullptr);
        EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
    }
    ScopedProfile profile(PlatformProfile::nt51());
    UxThemeModule module;
    ASSERT_TRUE(module.Loaded());
    const std::vector<std::string> names{
        "OpenThemeData", "CloseThemeData", "DrawThemeBackground", "DrawThemeText", "GetThemeBackgroundContentRect",
        "GetThemeBackgroundExtent", "GetThemePartSize", "GetThemeTextExtent", "GetThemeTextMetrics",
        "GetThemeBackgroundRegion", "HitTestThemeBackground", "DrawThemeEdge", "DrawThemeIcon", "IsThemePartDefined",
        "IsThemeBackgroundPartiallyTransparent", "GetThemeColor", "GetThemeMetric", "GetThemeString", "GetThemeBool",
        "GetThemeInt", "GetThemeEnumValue", "GetThemePosition", "GetThemeFont", "GetThemeRect", "GetThemeMargins",
        "GetThemeIntList", "GetThemePropertyOrigin", "SetWindowTheme", "GetThemeFilename", "GetThemeSysColor",
        "GetThemeSysColorBrush", "GetThemeSysBool", "GetThemeSysSize", "GetThemeSysFont", "GetThemeSysString",
        "GetThemeSysInt", "IsThemeActive", "IsAppThemed", "GetWindowTheme", "EnableThemeDialogTexture",
        "IsThemeDialogTextureEnabled", "GetThemeAppProperties", "SetThemeAppProperties", "GetCurrentThemeName",
        "GetThemeDocumentationProperty", "DrawThemeParentBackground", "EnableTheming"};
    ASSERT_EQ(names.size(), 47u);
    for (const std::string& name : names)
        EXPECT_NE(module.Get<FARPROC>(name.c_str()), nullptr) << name;

    // Those the library does not carry out say so.
    SetLastError(0);
    SIZE size{};
    EXPECT_EQ(module.Get<GetThemePartSizeProc>("GetThemePartSize")(nullptr, nullptr, 1, 1, nullptr, 0, &size),
              E_NOTIMPL);
    EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);
    EXPECT_EQ(module.Get<GetThemeSysSizeProc>("GetThemeSysSize")(nullptr, 0), 0);
    EXPECT_EQ(module.Get<IsThemePartDefinedProc>("IsThemePartDefined")(nullptr, 1, 1), FALSE);
}

TEST(UxThemeModule, OpensThemeDataForTheClassesItKnows)
{
    ScopedProfile profile(PlatformProfile::nt51());
    UxThemeModule module;
    ASSERT_TRUE(module.Loaded());
    const auto open = module.Get<OpenThemeDataProc>("OpenThemeData");
    const auto close = module.Get<CloseThemeDataProc>("CloseThemeData");

    const HTHEME theme = open(nullptr, u"Nonsense; BUTTON ");
    ASSERT_NE(theme, nullptr);
    EXPECT_EQ(close(theme), S_OK);
    EXPECT_EQ(close(theme), E_HANDLE);

    EXPECT_EQ(open(nullptr, u"nonsense"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_NOT_FOUND);
    EXPECT_EQ(open(nullptr, nullptr), nullptr);

    ScopedProfile noStyle(nt51With([](PlatformProfile& p) { p.visualStyleActive = false; }));
    EXPECT_EQ(open(nullptr, u"button"), nullptr);
    EXPECT_EQ(module.Get<IsThemeActiveProc>("IsThemeActive")(), FALSE);
    EXPECT_EQ(module.Get<IsAppThemedProc>("IsAppThemed")(), FALSE);
}

TEST(UxThemeModule, DrawsThePartsOfAThemeIntoThePainter)
{
    ScopedProfile profile(PlatformProfile::nt51());
    UxThemeModule module;
    const auto background = module.Get<DrawThemeBackgroundProc>("DrawThemeBackground");
    const auto text = module.Get<DrawThemeTextProc>("DrawThemeText");
    const auto content = module.Get<GetThemeBackgroundContentRectProc>("GetThemeBackgroundContentRect");
    const auto edge = module.Get<DrawThemeEdgeProc>("DrawThemeEdge");
    const auto transparent =
        module.Get<IsThemeBackgroundPartiallyTransparentProc>("IsThemeBackgroundPartiallyTransparent");
    const HTHEME button = module.Get<OpenThemeDataProc>("OpenThemeData")(nullptr, u"button");
    const HTHEME edit = module.Get<OpenThemeDataProc>("OpenThemeData")(nullptr, u"edit");
    ASSERT_NE(button, nullptr);

    QImage image = WhiteImage(80, 24);
    {
        QPainter painter(&image);
        platform::ScopedDeviceContext dc(painter);
        // A push button in the left half only: the clip holds.
        const RECT whole{0, 0, 80, 24};
        const RECT left{0, 0, 40, 24};
        EXPECT_EQ(background(button, dc.Handle(), 1, 1, &whole, &left), S_OK);
        EXPECT_EQ(background(button, nullptr, 1, 1, &whole, nullptr), E_INVALIDARG);
        EXPECT_EQ(background(nullptr, dc.Handle(), 1, 1, &whole, nullptr), E_HANDLE);
    }
    EXPECT_GT(PixelsNotWhite(image, QRect(0, 0, 40, 24)), 100);
    EXPECT_EQ(PixelsNotWhite(image, QRect(40, 0, 40, 24)), 0);

    image = WhiteImage(80, 24);
    {
        QPainter painter(&image);
        platform::ScopedDeviceContext dc(painter);
        const RECT area{0, 0, 80, 24};
        EXPECT_EQ(text(button, dc.Handle(), 1, 1, u"Close", -1, DT_CENTER | DT_VCENTER | DT_SINGLELINE, 0, &area),
                  S_OK);
        RECT inside{};
        EXPECT_EQ(edge(edit, dc.Handle(), 1, 1, &area, EDGE_SUNKEN, BF_RECT, &inside), S_OK);
        EXPECT_EQ(inside.left, 2);
        EXPECT_EQ(inside.bottom, 22);
        EXPECT_EQ(content(button, dc.Handle(), 1, 1, &area, &inside), S_OK);
        EXPECT_GT(inside.left, 0);
        EXPECT_LT(inside.right, 80);
    }
    EXPECT_GT(PixelsNotWhite(image, QRect(20, 4, 40, 16)), 10); // the caption
    EXPECT_EQ(image.pixel(0, 0), image.pixel(0, 12));           // the edge's left line
    EXPECT_TRUE(transparent(button, 3, 1));
    EXPECT_FALSE(transparent(edit, 1, 1));
}

TEST(UxThemeModule, DrawsAGroupBoxFrameOnTheEdgesOfItsRectangle)
{
    ScopedProfile profile(PlatformProfile::nt51());
    UxThemeModule module;
    const auto background = module.Get<DrawThemeBackgroundProc>("DrawThemeBackground");
    const HTHEME button = module.Get<OpenThemeDataProc>("OpenThemeData")(nullptr, u"button");
    ASSERT_NE(button, nullptr);

    // The caller puts the caption across the top line: the frame's lines
    // are the rectangle's edges, its top line no lower than the others.
    QImage image = WhiteImage(120, 80);
    {
        QPainter painter(&image);
        platform::ScopedDeviceContext dc(painter);
        const RECT frame{10, 10, 110, 70};
        EXPECT_EQ(background(button, dc.Handle(), 4, 1, &frame, nullptr), S_OK);
    }
    EXPECT_EQ(PixelsNotWhite(image, QRect(0, 0, 120, 10)), 0);
    EXPECT_GT(PixelsNotWhite(image, QRect(20, 10, 80, 2)), 60);  // the top line
    EXPECT_GT(PixelsNotWhite(image, QRect(10, 20, 2, 40)), 30);  // the left line
    EXPECT_GT(PixelsNotWhite(image, QRect(20, 68, 80, 2)), 60);  // the bottom line
    EXPECT_EQ(PixelsNotWhite(image, QRect(0, 70, 120, 10)), 0);
}

TEST(UxThemeModule, PaintsTheParentsBackgroundBehindAWindow)
{
    ScopedProfile profile(PlatformProfile::nt51());
    UxThemeModule module;
    ColouredParent window(QColor(200, 30, 40), QRect(10, 10, 30, 20));

    QImage image = WhiteImage(30, 20);
    {
        QPainter painter(&image);
        platform::ScopedDeviceContext dc(painter);
        EXPECT_EQ(module.Get<DrawThemeParentBackgroundProc>("DrawThemeParentBackground")(
                      platform::WindowHandle(&window.child), dc.Handle(), nullptr),
                  S_OK);
    }
    EXPECT_EQ(image.pixel(5, 5), qRgb(200, 30, 40));
    EXPECT_EQ(image.pixel(29, 19), qRgb(200, 30, 40));
}

TEST(UxThemeModule, KeepsTheApplicationsThemePropertiesInTheProfile)
{
    ScopedProfile profile(PlatformProfile::nt51());
    UxThemeModule module;
    const auto get = module.Get<GetThemeAppPropertiesProc>("GetThemeAppProperties");
    const auto set = module.Get<SetThemeAppPropertiesProc>("SetThemeAppProperties");
    const auto themed = module.Get<IsAppThemedProc>("IsAppThemed");
    EXPECT_EQ(get(), 7u);
    set(0);
    EXPECT_EQ(platform::CurrentProfile().themeAppProperties, 0u);
    EXPECT_EQ(themed(), FALSE);
    EXPECT_EQ(QApplication::style()->name(), QStringLiteral("windows"));
    set(STAP_ALLOW_CONTROLS | 0x100);
    EXPECT_EQ(get(), STAP_ALLOW_CONTROLS);
    EXPECT_EQ(themed(), TRUE);
    EXPECT_EQ(QApplication::style()->name(), QStringLiteral("fusion"));
}

TEST(CommonControls, GiveTheVersionOfTheProfile)
{
    ScopedProfile profile(PlatformProfile::nt51());
    const HMODULE module = LoadLibraryA("comctl32.dll");
    ASSERT_NE(module, nullptr);
    const auto version = reinterpret_cast<DllGetVersionProc>(GetProcAddress(module, "DllGetVersion"));
    ASSERT_NE(version, nullptr);
    DLLVERSIONINFO info{};
    EXPECT_EQ(version(&info), E_INVALIDARG);
    info.cbSize = sizeof info;
    ASSERT_EQ(version(&info), S_OK);
    EXPECT_EQ(info.dwMajorVersion, 6u);
    EXPECT_EQ(info.dwMinorVersion, 0u);
    FreeLibrary(module);
}

TEST(WindowHandles, NameAWindowForItsLifeOnly)
{
    auto window = std::make_unique<QWidget>();
    const HWND handle = platform::WindowHandle(window.get());
    EXPECT_EQ(platform::WindowHandle(window.get()), handle);
    EXPECT_EQ(platform::WindowOfHandle(handle), window.get());
    EXPECT_TRUE(IsWindow(handle));
    window.reset();
    EXPECT_FALSE(IsWindow(handle));
    EXPECT_EQ(platform::WindowOfHandle(handle), nullptr);
    QWidget next;
    EXPECT_NE(platform::WindowHandle(&next), handle);
    EXPECT_EQ(platform::WindowHandle(nullptr), nullptr);
}
