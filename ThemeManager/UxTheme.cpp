#include "UxTheme.h"

#include "platform/Kernel32.h"

#include <mutex>

namespace {

template <class Proc>
void bind(HMODULE module, const char* name, Proc& slot)
{
    slot = reinterpret_cast<Proc>(GetProcAddress(module, name));
}

void bindAll(HMODULE module, TUxThemeFunctions& f)
{
    bind(module, "OpenThemeData", f.OpenThemeData);
    bind(module, "CloseThemeData", f.CloseThemeData);
    bind(module, "DrawThemeBackground", f.DrawThemeBackground);
    bind(module, "DrawThemeText", f.DrawThemeText);
    bind(module, "GetThemeBackgroundContentRect", f.GetThemeBackgroundContentRect);
    bind(module, "GetThemeBackgroundExtent", f.GetThemeBackgroundExtent);
    bind(module, "GetThemePartSize", f.GetThemePartSize);
    bind(module, "GetThemeTextExtent", f.GetThemeTextExtent);
    bind(module, "GetThemeTextMetrics", f.GetThemeTextMetrics);
    bind(module, "GetThemeBackgroundRegion", f.GetThemeBackgroundRegion);
    bind(module, "HitTestThemeBackground", f.HitTestThemeBackground);
    bind(module, "DrawThemeEdge", f.DrawThemeEdge);
    bind(module, "DrawThemeIcon", f.DrawThemeIcon);
    bind(module, "IsThemePartDefined", f.IsThemePartDefined);
    bind(module, "IsThemeBackgroundPartiallyTransparent", f.IsThemeBackgroundPartiallyTransparent);
    bind(module, "GetThemeColor", f.GetThemeColor);
    bind(module, "GetThemeMetric", f.GetThemeMetric);
    bind(module, "GetThemeString", f.GetThemeString);
    bind(module, "GetThemeBool", f.GetThemeBool);
    bind(module, "GetThemeInt", f.GetThemeInt);
    bind(module, "GetThemeEnumValue", f.GetThemeEnumValue);
    bind(module, "GetThemePosition", f.GetThemePosition);
    bind(module, "GetThemeFont", f.GetThemeFont);
    bind(module, "GetThemeRect", f.GetThemeRect);
    bind(module, "GetThemeMargins", f.GetThemeMargins);
    bind(module, "GetThemeIntList", f.GetThemeIntList);
    bind(module, "GetThemePropertyOrigin", f.GetThemePropertyOrigin);
    bind(module, "SetWindowTheme", f.SetWindowTheme);
    bind(module, "GetThemeFilename", f.GetThemeFilename);
    bind(module, "GetThemeSysColor", f.GetThemeSysColor);
    bind(module, "GetThemeSysColorBrush", f.GetThemeSysColorBrush);
    bind(module, "GetThemeSysBool", f.GetThemeSysBool);
    bind(module, "GetThemeSysSize", f.GetThemeSysSize);
    bind(module, "GetThemeSysFont", f.GetThemeSysFont);
    bind(module, "GetThemeSysString", f.GetThemeSysString);
    bind(module, "GetThemeSysInt", f.GetThemeSysInt);
    bind(module, "IsThemeActive", f.IsThemeActive);
    bind(module, "IsAppThemed", f.IsAppThemed);
    bind(module, "GetWindowTheme", f.GetWindowTheme);
    bind(module, "EnableThemeDialogTexture", f.EnableThemeDialogTexture);
    bind(module, "IsThemeDialogTextureEnabled", f.IsThemeDialogTextureEnabled);
    bind(module, "GetThemeAppProperties", f.GetThemeAppProperties);
    bind(module, "SetThemeAppProperties", f.SetThemeAppProperties);
    bind(module, "GetCurrentThemeName", f.GetCurrentThemeName);
    bind(module, "GetThemeDocumentationProperty", f.GetThemeDocumentationProperty);
    bind(module, "DrawThemeParentBackground", f.DrawThemeParentBackground);
    bind(module, "EnableTheming", f.EnableTheming);
}

struct ThemeLibrary {
    std::mutex lock;
    HMODULE handle = nullptr;
    int references = 0;
    TUxThemeFunctions functions;

    ThemeLibrary()
    {
        // The platform's module table must outlive this object, whose end
        // frees the library: make sure it exists first.
        const DWORD error = GetLastError();
        FreeLibrary(nullptr);
        SetLastError(error);
    }

    ~ThemeLibrary()
    {
        std::lock_guard guard(lock);
        references = 0;
        unload();
    }

    // Under the lock.
    void unload()
    {
        if (handle && references == 0) {
            FreeLibrary(handle);
            handle = nullptr;
            functions = TUxThemeFunctions{};
        }
    }
};

ThemeLibrary& library()
{
    static ThemeLibrary l;
    return l;
}

} // namespace

const TUxThemeFunctions& UxTheme()
{
    return library().functions;
}

bool LoadThemeLibrary()
{
    ThemeLibrary& l = library();
    std::lock_guard guard(l.lock);
    ++l.references;
    if (!l.handle) {
        l.handle = LoadLibraryA("uxtheme.dll");
        if (l.handle)
            bindAll(l.handle, l.functions);
    }
    return l.handle != nullptr;
}

void UnloadThemeLibrary()
{
    ThemeLibrary& l = library();
    std::lock_guard guard(l.lock);
    if (l.references > 0)
        --l.references;
    l.unload();
}

bool IsAppThemedAndActive()
{
    const TUxThemeFunctions& f = UxTheme();
    return ThemeLibraryLoaded() && f.IsAppThemed && f.IsThemeActive && f.IsAppThemed() != FALSE &&
           f.IsThemeActive() != FALSE;
}

bool ThemeLibraryLoaded()
{
    ThemeLibrary& l = library();
    std::lock_guard guard(l.lock);
    return l.handle != nullptr;
}

int ThemeLibraryReferences()
{
    ThemeLibrary& l = library();
    std::lock_guard guard(l.lock);
    return l.references;
}
