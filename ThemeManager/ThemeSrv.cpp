#include "ThemeSrv.h"

#include "UxTheme.h"

#include "platform/Kernel32.h"
#include "platform/VisualStyles.h"

#include <QAbstractScrollArea>
#include <QCoreApplication>
#include <QFrame>
#include <QPainter>
#include <QRegion>
#include <QScrollBar>
#include <QStyle>
#include <QWidget>

#include <memory>

namespace {

bool hasClientEdge(const QWidget* control)
{
    const auto* frame = qobject_cast<const QFrame*>(control);
    if (!frame || frame->frameShadow() != QFrame::Sunken)
        return false;
    const QFrame::Shape shape = frame->frameShape();
    return shape == QFrame::Panel || shape == QFrame::StyledPanel || shape == QFrame::WinPanel;
}

bool hasBothScrollBars(const QWidget* control)
{
    const auto* area = qobject_cast<const QAbstractScrollArea*>(control);
    return area && area->verticalScrollBar()->isVisible() && area->horizontalScrollBar()->isVisible();
}

// Holds the process-wide services until the application object goes.
struct ServicesHolder {
    std::unique_ptr<TThemeServices> services;

    // The library binding is made first, so that it outlives the services.
    ServicesHolder() { UxTheme(); }
};

ServicesHolder& servicesHolder()
{
    static ServicesHolder holder;
    return holder;
}

void releaseServices()
{
    servicesHolder().services.reset();
}

} // namespace

TThemeServices::TThemeServices(QObject* window)
{
    if (window) {
        windowHandle_ = platform::WindowHandle(window);
        window_ = window;
        window->installEventFilter(this);
    }
    themesAvailable_ = LoadThemeLibrary();
    UpdateThemes();
}

TThemeServices::~TThemeServices()
{
    // A window that is gone took the hook with it.
    if (window_)
        window_->removeEventFilter(this);
    // The handles belong to the process, not to the window: they are closed
    // even when the window is gone.
    closeThemes();
    UnloadThemeLibrary();
}

HTHEME TThemeServices::GetTheme(TThemedElement element)
{
    HTHEME& theme = themes_.at(element);
    if (useThemes_ && !theme && UxTheme().OpenThemeData)
        theme = UxTheme().OpenThemeData(windowHandle_, ThemeClassName(element));
    return useThemes_ ? theme : nullptr;
}

void TThemeServices::UpdateThemes()
{
    if (useThemes_)
        closeThemes();
    useThemes_ = IsAppThemedAndActive() && GetComCtlVersion() > 0x5FFFF;
    controlsEnabled_ = useThemes_ && UxTheme().GetThemeAppProperties &&
                       (UxTheme().GetThemeAppProperties() & STAP_ALLOW_CONTROLS) != 0;
}

void TThemeServices::UnloadThemeData()
{
    if (windowHandle_ && !IsWindow(windowHandle_))
        return;
    closeThemes();
}

void TThemeServices::closeThemes()
{
    for (HTHEME& theme : themes_) {
        if (theme && UxTheme().CloseThemeData)
            UxTheme().CloseThemeData(theme);
        theme = nullptr;
    }
}

void TThemeServices::DoOnThemeChange()
{
    if (OnThemeChange)
        OnThemeChange(this);
}

bool TThemeServices::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == window_ && event->type() == platform::ThemeChangedEventType()) {
        UpdateThemes();
        DoOnThemeChange();
    }
    return false;
}

QRect TThemeServices::GetContentRect(QPainter& painter, const ThemedElementDetails& details, const QRect& bounds)
{
    const HTHEME theme = GetTheme(details.Element);
    if (!theme || !UxTheme().GetThemeBackgroundContentRect)
        return bounds;
    platform::ScopedDeviceContext dc(painter);
    const RECT outer = platform::ToRect(bounds);
    RECT content = outer;
    if (UxTheme().GetThemeBackgroundContentRect(theme, dc.Handle(), details.Part, details.State, &outer, &content) !=
        S_OK)
        return bounds;
    return platform::ToQRect(content);
}

QRect TThemeServices::DrawEdge(QPainter& painter, const ThemedElementDetails& details, const QRect& rect, UINT edge,
                               UINT flags)
{
    const HTHEME theme = GetTheme(details.Element);
    if (!theme || !UxTheme().DrawThemeEdge)
        return rect;
    platform::ScopedDeviceContext dc(painter);
    const RECT outer = platform::ToRect(rect);
    RECT content = outer;
    if (UxTheme().DrawThemeEdge(theme, dc.Handle(), details.Part, details.State, &outer, edge, flags, &content) !=
        S_OK)
        return rect;
    return platform::ToQRect(content);
}

void TThemeServices::DrawBackground(QPainter& painter, const ThemedElementDetails& details, const QRect& rect,
                                    const QRect* clip)
{
    const HTHEME theme = GetTheme(details.Element);
    if (!theme || !UxTheme().DrawThemeBackground)
        return;
    platform::ScopedDeviceContext dc(painter);
    const RECT area = platform::ToRect(rect);
    const RECT clipArea = clip ? platform::ToRect(*clip) : RECT{};
    UxTheme().DrawThemeBackground(theme, dc.Handle(), details.Part, details.State, &area, clip ? &clipArea : nullptr);
}

void TThemeServices::DrawText(QPainter& painter, const ThemedElementDetails& details, const QString& text,
                              DWORD flags, DWORD flags2, const QRect& rect)
{
    const HTHEME theme = GetTheme(details.Element);
    if (!theme || !UxTheme().DrawThemeText)
        return;
    platform::ScopedDeviceContext dc(painter);
    const RECT area = platform::ToRect(rect);
    UxTheme().DrawThemeText(theme, dc.Handle(), details.Part, details.State,
                            reinterpret_cast<LPCWSTR>(text.utf16()), static_cast<int>(text.size()), flags, flags2,
                            &area);
}

HRESULT TThemeServices::DrawParentBackground(QWidget* window, QPainter& painter, const QRect* rect,
                                             bool onlyIfTransparent, const ThemedElementDetails* details)
{
    if (onlyIfTransparent && details) {
        const HTHEME theme = GetTheme(details->Element);
        if (!theme || !UxTheme().IsThemeBackgroundPartiallyTransparent ||
            !UxTheme().IsThemeBackgroundPartiallyTransparent(theme, details->Part, details->State))
            return S_OK;
    }
    if (!UxTheme().DrawThemeParentBackground)
        return E_NOTIMPL;
    platform::ScopedDeviceContext dc(painter);
    const RECT area = rect ? platform::ToRect(*rect) : RECT{};
    return UxTheme().DrawThemeParentBackground(platform::WindowHandle(window), dc.Handle(), rect ? &area : nullptr);
}

void TThemeServices::PaintBorder(QWidget* control, bool eraseLRCorner)
{
    if (!hasClientEdge(control))
        return;
    const QRect whole = control->rect();
    const QRect inner = whole.adjusted(2, 2, -2, -2);
    QPainter painter(control);
    if (!painter.isActive())
        return;
    if (eraseLRCorner && hasBothScrollBars(control)) {
        const int extent = control->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, control);
        const QRect corner(inner.right() - extent + 1, inner.bottom() - extent + 1, extent, extent);
        painter.fillRect(corner, control->palette().brush(QPalette::Button));
    }
    painter.setClipRegion(QRegion(whole).subtracted(QRegion(inner)));
    DrawBackground(painter, GetEditDetails(2), whole);
}

DWORD GetComCtlVersion()
{
    const HMODULE module = LoadLibraryA("comctl32.dll");
    if (!module)
        return 0;
    DWORD version = 0;
    if (auto getVersion = reinterpret_cast<DllGetVersionProc>(GetProcAddress(module, "DllGetVersion"))) {
        DLLVERSIONINFO info{};
        info.cbSize = sizeof info;
        if (getVersion(&info) == S_OK)
            version = (info.dwMajorVersion << 16) | (info.dwMinorVersion & 0xFFFF);
    }
    FreeLibrary(module);
    return version;
}

TThemeServices& GetThemeServices()
{
    ServicesHolder& holder = servicesHolder();
    if (!holder.services) {
        QCoreApplication* application = QCoreApplication::instance();
        holder.services = std::make_unique<TThemeServices>(application);
        if (application)
            qAddPostRoutine(&releaseServices);
    }
    return *holder.services;
}
