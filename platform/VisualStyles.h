#pragma once
// The visual styles of the platform's windows.
//
// What the system offers comes from the platform profile: whether the
// visual-style library "uxtheme.dll" exists, whether a visual style is
// active, the application's theme properties and the version of the common
// controls.  The look of the application's controls follows from them, and
// the platform sets it as the application's Qt style: "Fusion", the themed
// look, when the library exists, a visual style is active, the application
// is themed and allows themed controls (STAP_ALLOW_CONTROLS), and the common
// controls are 6.0 or later; "Windows", the plain look, otherwise.  Program
// code never sets the application's style.
//
// As the application object is made, the platform adds the modules
// "uxtheme.dll" (VisualStyleApi.h) and "comctl32.dll" and sets the look.
// After every change of the profile it sets the look again; when the visual
// style itself changed (the library, the active style or the common
// controls), that is a theme switch: the application object and then every
// widget receive the theme-changed notification (WM_THEMECHANGED).

#include "Win32Types.h"

#include <QEvent>

class QObject;

namespace platform {

struct VisualStyleState {
    bool libraryPresent = false;
    bool styleActive = false;
    DWORD appProperties = 0;
    DWORD commonControlsVersion = 0;

    // IsAppThemed: a visual style is active and the application lets it
    // paint its windows' frames or controls.
    bool AppThemed() const;
    // The themed look: see above.
    bool ThemedControls() const;
    // The same visual style: library, active style and common controls.
    bool SameStyle(const VisualStyleState& other) const;
};

// The state the current profile gives.
VisualStyleState CurrentVisualStyleState();

// "Fusion" or "Windows".
const char* LookStyleName(const VisualStyleState& state);

// The Qt event type of the theme-changed notification.
QEvent::Type ThemeChangedEventType();

// Sends the theme-changed notification to one window (a widget, or the
// application object, which plays the application's window).
void SendThemeChanged(QObject* window);

// Sets the application's style to the look of the current profile, now.
// The platform does this itself; the module "uxtheme.dll" calls it when the
// application's theme properties change.
void ApplyVisualStyleLook();

} // namespace platform
