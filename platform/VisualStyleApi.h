#pragma once
// The platform's visual-style library, "uxtheme.dll", as its callers see it:
// its types, flags and the signatures of its 47 entry points, which callers
// bind at run time with LoadLibraryA and GetProcAddress (the library exists
// from NT 5.1 on).  Also the version entry point of the common controls,
// "comctl32.dll".
//
// Theme data is opened for a semicolon-separated list of theme class names
// ("button", "window", ...); parts and states are numbered as the platform's
// published visual-style schema numbers them.  What is drawn is described in
// ThemeDrawing.h.  Entry points that the library does not carry out return
// E_NOTIMPL (functions with an HRESULT) or FALSE, 0 or null with the last
// error ERROR_NOT_SUPPORTED.

#include "WindowHandles.h"

struct HTHEME__;
using HTHEME = HTHEME__*;
using HRESULT = LONG;
using HBRUSH = HANDLE;
using HRGN = HANDLE;
using HIMAGELIST = HANDLE;

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001);
inline constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005);
inline constexpr HRESULT E_HANDLE = static_cast<HRESULT>(0x80070006);
inline constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057);

// The message every window receives when the visual style changes.
inline constexpr UINT WM_THEMECHANGED = 0x031A;

// Application theme properties.
inline constexpr DWORD STAP_ALLOW_NONCLIENT = 0x1;
inline constexpr DWORD STAP_ALLOW_CONTROLS = 0x2;
inline constexpr DWORD STAP_ALLOW_WEBCONTENT = 0x4;

// EnableThemeDialogTexture.
inline constexpr DWORD ETDT_DISABLE = 0x1;
inline constexpr DWORD ETDT_ENABLE = 0x2;
inline constexpr DWORD ETDT_USETABTEXTURE = 0x4;
inline constexpr DWORD ETDT_ENABLETAB = ETDT_ENABLE | ETDT_USETABTEXTURE;

// Text flags of DrawThemeText (the first set), and its second flags.
inline constexpr DWORD DT_TOP = 0x0;
inline constexpr DWORD DT_LEFT = 0x0;
inline constexpr DWORD DT_CENTER = 0x1;
inline constexpr DWORD DT_RIGHT = 0x2;
inline constexpr DWORD DT_VCENTER = 0x4;
inline constexpr DWORD DT_BOTTOM = 0x8;
inline constexpr DWORD DT_WORDBREAK = 0x10;
inline constexpr DWORD DT_SINGLELINE = 0x20;
inline constexpr DWORD DT_EXPANDTABS = 0x40;
inline constexpr DWORD DT_CALCRECT = 0x400;
inline constexpr DWORD DT_NOPREFIX = 0x800;
inline constexpr DWORD DT_RTLREADING = 0x20000;
inline constexpr DWORD DTT_GRAYED = 0x1;

// DrawThemeEdge: the edges and the sides.
inline constexpr UINT BDR_RAISEDOUTER = 0x1;
inline constexpr UINT BDR_SUNKENOUTER = 0x2;
inline constexpr UINT BDR_RAISEDINNER = 0x4;
inline constexpr UINT BDR_SUNKENINNER = 0x8;
inline constexpr UINT EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER;
inline constexpr UINT EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER;
inline constexpr UINT EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER;
inline constexpr UINT EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER;
inline constexpr UINT BF_LEFT = 0x1;
inline constexpr UINT BF_TOP = 0x2;
inline constexpr UINT BF_RIGHT = 0x4;
inline constexpr UINT BF_BOTTOM = 0x8;
inline constexpr UINT BF_RECT = BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM;

// The entry points, in the order of the library's export list.
using OpenThemeDataProc = HTHEME (*)(HWND window, LPCWSTR classList);
using CloseThemeDataProc = HRESULT (*)(HTHEME theme);
using DrawThemeBackgroundProc = HRESULT (*)(HTHEME theme, HDC dc, int part, int state, const RECT* rect,
                                            const RECT* clip);
using DrawThemeTextProc = HRESULT (*)(HTHEME theme, HDC dc, int part, int state, LPCWSTR text, int count,
                                      DWORD textFlags, DWORD textFlags2, const RECT* rect);
using GetThemeBackgroundContentRectProc = HRESULT (*)(HTHEME theme, HDC dc, int part, int state, const RECT* bounds,
                                                      RECT* content);
using GetThemeBackgroundExtentProc = HRESULT (*)(HTHEME theme, HDC dc, int part, int state, const RECT* content,
                                                 RECT* extent);
using GetThemePartSizeProc = HRESULT (*)(HTHEME theme, HDC dc, int part, int state, const RECT* rect, int kind,
                                         SIZE* size);
using GetThemeTextExtentProc = HRESULT (*)(HTHEME theme, HDC dc, int part, int state, LPCWSTR text, int count,
                                           DWORD textFlags, const RECT* bounds, RECT* extent);
using GetThemeTextMetricsProc = HRESULT (*)(HTHEME theme, HDC dc, int part, int state, void* metrics);
using GetThemeBackgroundRegionProc = HRESULT (*)(HTHEME theme, HDC dc, int part, int state, const RECT* rect,
                                                 HRGN* region);
using HitTestThemeBackgroundProc = HRESULT (*)(HTHEME theme, HDC dc, int part, int state, DWORD options,
                                               const RECT* rect, HRGN region, POINT test, WORD* hitCode);
using DrawThemeEdgeProc = HRESULT (*)(HTHEME theme, HDC dc, int part, int state, const RECT* rect, UINT edge,
                                      UINT flags, RECT* content);
using DrawThemeIconProc = HRESULT (*)(HTHEME theme, HDC dc, int part, int state, const RECT* rect,
                                      HIMAGELIST images, int index);
using IsThemePartDefinedProc = BOOL (*)(HTHEME theme, int part, int state);
using IsThemeBackgroundPartiallyTransparentProc = BOOL (*)(HTHEME theme, int part, int state);
using GetThemeColorProc = HRESULT (*)(HTHEME theme, int part, int state, int property, COLORREF* colour);
using GetThemeMetricProc = HRESULT (*)(HTHEME theme, HDC dc, int part, int state, int property, int* value);
using GetThemeStringProc = HRESULT (*)(HTHEME theme, int part, int state, int property, LPWSTR buffer, int size);
using GetThemeBoolProc = HRESULT (*)(HTHEME theme, int part, int state, int property, BOOL* value);
using GetThemeIntProc = HRESULT (*)(HTHEME theme, int part, int state, int property, int* value);
using GetThemeEnumValueProc = HRESULT (*)(HTHEME theme, int part, int state, int property, int* value);
using GetThemePositionProc = HRESULT (*)(HTHEME theme, int part, int state, int property, POINT* point);
using GetThemeFontProc = HRESULT (*)(HTHEME theme, HDC dc, int part, int state, int property, void* font);
using GetThemeRectProc = HRESULT (*)(HTHEME theme, int part, int state, int property, RECT* rect);
using GetThemeMarginsProc = HRESULT (*)(HTHEME theme, HDC dc, int part, int state, int property, RECT* rect,
                                        void* margins);
using GetThemeIntListProc = HRESULT (*)(HTHEME theme, int part, int state, int property, void* list);
using GetThemePropertyOriginProc = HRESULT (*)(HTHEME theme, int part, int state, int property, int* origin);
using SetWindowThemeProc = HRESULT (*)(HWND window, LPCWSTR appName, LPCWSTR idList);
using GetThemeFilenameProc = HRESULT (*)(HTHEME theme, int part, int state, int property, LPWSTR buffer, int size);
using GetThemeSysColorProc = COLORREF (*)(HTHEME theme, int colour);
using GetThemeSysColorBrushProc = HBRUSH (*)(HTHEME theme, int colour);
using GetThemeSysBoolProc = BOOL (*)(HTHEME theme, int property);
using GetThemeSysSizeProc = int (*)(HTHEME theme, int size);
using GetThemeSysFontProc = HRESULT (*)(HTHEME theme, int property, void* font);
using GetThemeSysStringProc = HRESULT (*)(HTHEME theme, int property, LPWSTR buffer, int size);
using GetThemeSysIntProc = HRESULT (*)(HTHEME theme, int property, int* value);
using IsThemeActiveProc = BOOL (*)();
using IsAppThemedProc = BOOL (*)();
using GetWindowThemeProc = HTHEME (*)(HWND window);
using EnableThemeDialogTextureProc = HRESULT (*)(HWND window, DWORD flags);
using IsThemeDialogTextureEnabledProc = BOOL (*)(HWND window);
using GetThemeAppPropertiesProc = DWORD (*)();
using SetThemeAppPropertiesProc = void (*)(DWORD flags);
using GetCurrentThemeNameProc = HRESULT (*)(LPWSTR fileName, int fileNameSize, LPWSTR colour, int colourSize,
                                            LPWSTR size, int sizeSize);
using GetThemeDocumentationPropertyProc = HRESULT (*)(LPCWSTR themeName, LPCWSTR propertyName, LPWSTR buffer,
                                                      int size);
using DrawThemeParentBackgroundProc = HRESULT (*)(HWND window, HDC dc, const RECT* rect);
using EnableThemingProc = HRESULT (*)(BOOL enable);

// "comctl32.dll": DllGetVersion fills the version of the common controls
// the program runs with.
struct DLLVERSIONINFO {
    DWORD cbSize; // sizeof(DLLVERSIONINFO), 20
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformID;
};
static_assert(sizeof(DLLVERSIONINFO) == 20);
using DllGetVersionProc = HRESULT (*)(DLLVERSIONINFO* info);
