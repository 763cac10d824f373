#pragma once
// Run-time binding of the platform's visual-style library, "uxtheme.dll".
// The program does not link it, so that it also starts on systems that lack
// it: the library is loaded on demand under a reference count and its entry
// points are bound by name.  The count and the handle change only under the
// unit's lock, so loading and unloading may come from any thread; the entry
// points are read on the GUI thread.

#include "platform/VisualStyleApi.h"

// The library's 47 entry points, in the order they are bound.  Each is null
// while the library is not loaded, and when the library lacks its name.
struct TUxThemeFunctions {
    OpenThemeDataProc OpenThemeData = nullptr;
    CloseThemeDataProc CloseThemeData = nullptr;
    DrawThemeBackgroundProc DrawThemeBackground = nullptr;
    DrawThemeTextProc DrawThemeText = nullptr;
    GetThemeBackgroundContentRectProc GetThemeBackgroundContentRect = nullptr;
    GetThemeBackgroundExtentProc GetThemeBackgroundExtent = nullptr;
    GetThemePartSizeProc GetThemePartSize = nullptr;
    GetThemeTextExtentProc GetThemeTextExtent = nullptr;
    GetThemeTextMetricsProc GetThemeTextMetrics = nullptr;
    GetThemeBackgroundRegionProc GetThemeBackgroundRegion = nullptr;
    HitTestThemeBackgroundProc HitTestThemeBackground = nullptr;
    DrawThemeEdgeProc DrawThemeEdge = nullptr;
    DrawThemeIconProc DrawThemeIcon = nullptr;
    IsThemePartDefinedProc IsThemePartDefined = nullptr;
    IsThemeBackgroundPartiallyTransparentProc IsThemeBackgroundPartiallyTransparent = nullptr;
    GetThemeColorProc GetThemeColor = nullptr;
    GetThemeMetricProc GetThemeMetric = nullptr;
    GetThemeStringProc GetThemeString = nullptr;
    GetThemeBoolProc GetThemeBool = nullptr;
    GetThemeIntProc GetThemeInt = nullptr;
    GetThemeEnumValueProc GetThemeEnumValue = nullptr;
    GetThemePositionProc GetThemePosition = nullptr;
    GetThemeFontProc GetThemeFont = nullptr;
    GetThemeRectProc GetThemeRect = nullptr;
    GetThemeMarginsProc GetThemeMargins = nullptr;
    GetThemeIntListProc GetThemeIntList = nullptr;
    GetThemePropertyOriginProc GetThemePropertyOrigin = nullptr;
    SetWindowThemeProc SetWindowTheme = nullptr;
    GetThemeFilenameProc GetThemeFilename = nullptr;
    GetThemeSysColorProc GetThemeSysColor = nullptr;
    GetThemeSysColorBrushProc GetThemeSysColorBrush = nullptr;
    GetThemeSysBoolProc GetThemeSysBool = nullptr;
    GetThemeSysSizeProc GetThemeSysSize = nullptr;
    GetThemeSysFontProc GetThemeSysFont = nullptr;
    GetThemeSysStringProc GetThemeSysString = nullptr;
    GetThemeSysIntProc GetThemeSysInt = nullptr;
    IsThemeActiveProc IsThemeActive = nullptr;
    IsAppThemedProc IsAppThemed = nullptr;
    GetWindowThemeProc GetWindowTheme = nullptr;
    EnableThemeDialogTextureProc EnableThemeDialogTexture = nullptr;
    IsThemeDialogTextureEnabledProc IsThemeDialogTextureEnabled = nullptr;
    GetThemeAppPropertiesProc GetThemeAppProperties = nullptr;
    SetThemeAppPropertiesProc SetThemeAppProperties = nullptr;
    GetCurrentThemeNameProc GetCurrentThemeName = nullptr;
    GetThemeDocumentationPropertyProc GetThemeDocumentationProperty = nullptr;
    DrawThemeParentBackgroundProc DrawThemeParentBackground = nullptr;
    EnableThemingProc EnableTheming = nullptr;
};

// The bound entry points.
const TUxThemeFunctions& UxTheme();

// Takes a reference; the first loads the library and binds its entry
// points.  True when the library is loaded.
bool LoadThemeLibrary();
// Gives a reference back; the last unloads the library and clears the
// entry points.  Without a reference, does nothing.
void UnloadThemeLibrary();
// The library is loaded, the application is themed and a visual style is
// active.
bool IsAppThemedAndActive();

// For tests: whether the library is loaded, and how many references it has.
bool ThemeLibraryLoaded();
int ThemeLibraryReferences();
