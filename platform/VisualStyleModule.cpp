// The module "uxtheme.dll": theme data of the visual styles, drawn by
// ThemeDrawing with Qt's "Fusion" style, and the visual-style settings of
// the current profile.  Also "comctl32.dll", for the version of the common
// controls.

#include "VisualStyleModule.h"

#include "ErrorCodes.h"
#include "HandleTable.h"
#include "Kernel32.h"
#include "PlatformProfile.h"
#include "ThemeDrawing.h"
#include "VisualStyleApi.h"
#include "VisualStyles.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QStyle>
#include <QStyleFactory>
#include <QWidget>

#include <string>

namespace platform {
namespace {

struct ThemeData : KernelObject {
    ThemeClass themeClass = ThemeClass::Button;
    QPointer<QObject> window; // the window it was opened for; may be none
};

std::shared_ptr<ThemeData> themeOf(HTHEME theme)
{
    return LookupHandleAs<ThemeData>(theme);
}

// The style that draws the visual style: one for the application, freed
// with it.
const QStyle* visualStyle()
{
    static QPointer<QStyle> style;
    if (!style) {
        QCoreApplication* application = QCoreApplication::instance();
        if (!qobject_cast<QApplication*>(application))
            return nullptr;
        style = QStyleFactory::create(QStringLiteral("Fusion"));
        if (style)
            style->setParent(application);
    }
    return style;
}

QPalette paletteOf(const QObject* window)
{
    if (const auto* widget = qobject_cast<const QWidget*>(window))
        return widget->palette();
    return QApplication::palette();
}

// What every drawing call needs: the theme's class, its drawing and the
// painter of the device context.
struct DrawingCall {
    std::shared_ptr<ThemeData> theme;
    QPainter* painter = nullptr;
    const QStyle* style = nullptr;

    ThemeDrawing Drawing() const { return ThemeDrawing(*style, paletteOf(theme->window)); }
};

// E_HANDLE for an unknown theme, E_INVALIDARG for a missing DC (when one is
// needed) or rectangle, E_FAIL without an application to draw in.
HRESULT prepare(HTHEME theme, HDC dc, bool needsDC, const void* rect, DrawingCall& call)
{
    call.theme = themeOf(theme);
    if (!call.theme)
        return E_HANDLE;
    call.painter = PainterOfDC(dc);
    if ((needsDC && !call.painter) || !rect)
        return E_INVALIDARG;
    call.style = visualStyle();
    return call.style ? S_OK : E_FAIL;
}

HTHEME OpenThemeData(HWND window, LPCWSTR classList)
{
    if (!classList) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (!CurrentVisualStyleState().AppThemed()) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    const std::optional<ThemeClass> themeClass = FindThemeClass(classList);
    if (!themeClass) {
        SetLastError(ERROR_NOT_FOUND);
        return nullptr;
    }
    auto data = std::make_shared<ThemeData>();
    data->themeClass = *themeClass;
    data->window = WindowOfHandle(window);
    return static_cast<HTHEME>(InsertHandle(std::move(data)));
}

HRESULT CloseThemeData(HTHEME theme)
{
    if (!themeOf(theme))
        return E_HANDLE;
    RemoveHandle(theme);
    return S_OK;
}

HRESULT DrawThemeBackground(HTHEME theme, HDC dc, int part, int state, const RECT* rect, const RECT* clip)
{
    DrawingCall call;
    if (const HRESULT result = prepare(theme, dc, true, rect, call); result != S_OK)
        return result;
    QPainter& painter = *call.painter;
    painter.save();
    if (clip)
        painter.setClipRect(ToQRect(*clip), Qt::IntersectClip);
    call.Drawing().DrawBackground(painter, call.theme->themeClass, part, state, ToQRect(*rect));
    painter.restore();
    return S_OK;
}

HRESULT DrawThemeText(HTHEME theme, HDC dc, int part, int state, LPCWSTR text, int count, DWORD textFlags,
                             DWORD textFlags2, const RECT* rect)
{
    DrawingCall call;
    if (const HRESULT result = prepare(theme, dc, true, rect, call); result != S_OK)
        return result;
    if (!text)
        return E_INVALIDARG;
    const std::u16string_view chars = count < 0 ? std::u16string_view(text) : std::u16string_view(text, count);
    call.Drawing().DrawText(*call.painter, call.theme->themeClass, part, state,
                            QString::fromUtf16(chars.data(), static_cast<qsizetype>(chars.size())), textFlags,
                            textFlags2, ToQRect(*rect));
    return S_OK;
}

HRESULT GetThemeBackgroundContentRect(HTHEME theme, HDC dc, int part, int state, const RECT* bounds,
                                             RECT* content)
{
    DrawingCall call;
    if (const HRESULT result = prepare(theme, dc, false, bounds, call); result != S_OK)
        return result;
    if (!content)
        return E_INVALIDARG;
    *content = ToRect(call.Drawing().ContentRect(call.theme->themeClass, part, state, ToQRect(*bounds)));
    return S_OK;
}

HRESULT DrawThemeEdge(HTHEME theme, HDC dc, int, int, const RECT* rect, UINT edge, UINT flags, RECT* content)
{
    DrawingCall call;
    if (const HRESULT result = prepare(theme, dc, true, rect, call); result != S_OK)
        return result;
    const QRect inside = call.Drawing().DrawEdge(*call.painter, ToQRect(*rect), edge, flags);
    if (content)
        *content = ToRect(inside);
    return S_OK;
}

BOOL IsThemeBackgroundPartiallyTransparent(HTHEME theme, int part, int state)
{
    DrawingCall call;
    const RECT none{};
    if (prepare(theme, nullptr, false, &none, call) != S_OK)
        return FALSE;
    return call.Drawing().PartiallyTransparent(call.theme->themeClass, part, state) ? TRUE : FALSE;
}

BOOL IsThemeActive()
{
    return CurrentVisualStyleState().styleActive ? TRUE : FALSE;
}

BOOL IsAppThemed()
{
    return CurrentVisualStyleState().AppThemed() ? TRUE : FALSE;
}

HRESULT EnableThemeDialogTexture(HWND window, DWORD flags)
{
    if (!IsWindow(window))
        return E_HANDLE;
    // Fusion paints tab pages in the dialog colour: the texture is that one.
    return (flags & (ETDT_ENABLE | ETDT_DISABLE)) == (ETDT_ENABLE | ETDT_DISABLE) ? E_INVALIDARG : S_OK;
}

DWORD GetThemeAppProperties()
{
    return CurrentProfile().themeAppProperties;
}

void SetThemeAppProperties(DWORD flags)
{
    PlatformProfile profile = CurrentProfile();
    profile.themeAppProperties = flags & (STAP_ALLOW_NONCLIENT | STAP_ALLOW_CONTROLS | STAP_ALLOW_WEBCONTENT);
    SetProfile(profile);
    ApplyVisualStyleLook();
}

HRESULT DrawThemeParentBackground(HWND window, HDC dc, const RECT* rect)
{
    auto* widget = qobject_cast<QWidget*>(WindowOfHandle(window));
    QPainter* painter = PainterOfDC(dc);
    if (!widget)
        return E_HANDLE;
    if (!painter)
        return E_INVALIDARG;
    const QRect area = rect ? ToQRect(*rect) : widget->rect();
    QWidget* parent = widget->parentWidget();
    if (!parent || area.isEmpty()) {
        painter->fillRect(area, widget->palette().brush(widget->backgroundRole()));
        return S_OK;
    }
    // The parent paints itself, without its children, into the window's
    // place.
    const QPoint offset = widget->mapTo(parent, QPoint(0, 0));
    const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
    QPixmap behind(area.size() * ratio);
    behind.setDevicePixelRatio(ratio);
    behind.fill(parent->palette().color(parent->backgroundRole()));
    parent->render(&behind, QPoint(), QRegion(area.translated(offset)), QWidget::DrawWindowBackground);
    painter->drawPixmap(area.topLeft(), behind);
    return S_OK;
}

// The entry points the library does not carry out.
template <class Proc, auto Result>
struct NotSupported;

template <class R, class... Args, auto Result>
struct NotSupported<R (*)(Args...), Result> {
    static R Call(Args...)
    {
        SetLastError(ERROR_NOT_SUPPORTED);
        return static_cast<R>(Result);
    }
};

template <class Proc, auto Result = E_NOTIMPL>
FARPROC notSupported()
{
    return ExportOf(&NotSupported<Proc, Result>::Call);
}

HRESULT DllGetVersion(DLLVERSIONINFO* info)
{
    if (!info || info->cbSize != sizeof(DLLVERSIONINFO))
        return E_INVALIDARG;
    const PlatformProfile& profile = CurrentProfile();
    info->dwMajorVersion = profile.commonControlsVersion >> 16;
    info->dwMinorVersion = profile.commonControlsVersion & 0xFFFF;
    info->dwBuildNumber = profile.buildNumber;
    info->dwPlatformID = profile.platformId == VER_PLATFORM_WIN32_NT ? 2 : 1;
    return S_OK;
}

} // namespace

std::vector<ModuleExport> UxThemeExports()
{
    return {
        {"OpenThemeData", ExportOf(&OpenThemeData)},
        {"CloseThemeData", ExportOf(&CloseThemeData)},
        {"DrawThemeBackground", ExportOf(&DrawThemeBackground)},
        {"DrawThemeText", ExportOf(&DrawThemeText)},
        {"GetThemeBackgroundContentRect", ExportOf(&GetThemeBackgroundContentRect)},
        {"GetThemeBackgroundExtent", notSupported<GetThemeBackgroundExtentProc>()},
        {"GetThemePartSize", notSupported<GetThemePartSizeProc>()},
        {"GetThemeTextExtent", notSupported<GetThemeTextExtentProc>()},
        {"GetThemeTextMetrics", notSupported<GetThemeTextMetricsProc>()},
        {"GetThemeBackgroundRegion", notSupported<GetThemeBackgroundRegionProc>()},
        {"HitTestThemeBackground", notSupported<HitTestThemeBackgroundProc>()},
        {"DrawThemeEdge", ExportOf(&DrawThemeEdge)},
        {"DrawThemeIcon", notSupported<DrawThemeIconProc>()},
        {"IsThemePartDefined", notSupported<IsThemePartDefinedProc, FALSE>()},
        {"IsThemeBackgroundPartiallyTransparent", ExportOf(&IsThemeBackgroundPartiallyTransparent)},
        {"GetThemeColor", notSupported<GetThemeColorProc>()},
        {"GetThemeMetric", notSupported<GetThemeMetricProc>()},
        {"GetThemeString", notSupported<GetThemeStringProc>()},
        {"GetThemeBool", notSupported<GetThemeBoolProc>()},
        {"GetThemeInt", notSupported<GetThemeIntProc>()},
        {"GetThemeEnumValue", notSupported<GetThemeEnumValueProc>()},
        {"GetThemePosition", notSupported<GetThemePositionProc>()},
        {"GetThemeFont", notSupported<GetThemeFontProc>()},
        {"GetThemeRect", notSupported<GetThemeRectProc>()},
        {"GetThemeMargins", notSupported<GetThemeMarginsProc>()},
        {"GetThemeIntList", notSupported<GetThemeIntListProc>()},
        {"GetThemePropertyOrigin", notSupported<GetThemePropertyOriginProc>()},
        {"SetWindowTheme", notSupported<SetWindowThemeProc>()},
        {"GetThemeFilename", notSupported<GetThemeFilenameProc>()},
        {"GetThemeSysColor", notSupported<GetThemeSysColorProc, 0>()},
        {"GetThemeSysColorBrush", notSupported<GetThemeSysColorBrushProc, nullptr>()},
        {"GetThemeSysBool", notSupported<GetThemeSysBoolProc, FALSE>()},
        {"GetThemeSysSize", notSupported<GetThemeSysSizeProc, 0>()},
        {"GetThemeSysFont", notSupported<GetThemeSysFontProc>()},
        {"GetThemeSysString", notSupported<GetThemeSysStringProc>()},
        {"GetThemeSysInt", notSupported<GetThemeSysIntProc>()},
        {"IsThemeActive", ExportOf(&IsThemeActive)},
        {"IsAppThemed", ExportOf(&IsAppThemed)},
        {"GetWindowTheme", notSupported<GetWindowThemeProc, nullptr>()},
        {"EnableThemeDialogTexture", ExportOf(&EnableThemeDialogTexture)},
        {"IsThemeDialogTextureEnabled", notSupported<IsThemeDialogTextureEnabledProc, FALSE>()},
        {"GetThemeAppProperties", ExportOf(&GetThemeAppProperties)},
        {"SetThemeAppProperties", ExportOf(&SetThemeAppProperties)},
        {"GetCurrentThemeName", notSupported<GetCurrentThemeNameProc>()},
        {"GetThemeDocumentationProperty", notSupported<GetThemeDocumentationPropertyProc>()},
        {"DrawThemeParentBackground", ExportOf(&DrawThemeParentBackground)},
        {"EnableTheming", notSupported<EnableThemingProc>()},
    };
}

std::vector<ModuleExport> CommonControlsExports()
{
    return {{"DllGetVersion", ExportOf(&DllGetVersion)}};
}

} // namespace platform
