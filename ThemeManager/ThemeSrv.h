#pragma once
// Theme services: whether themed painting is possible, one theme handle per
// theme class, and the painting calls of the visual-style library on
// element details.
//
// Themed painting is possible (UseThemes) when the library is loaded, the
// application is themed, a visual style is active and the common controls
// are version 6.0 or later; without it the callers paint the plain way and
// nothing is reported.  A services object may watch a window: the
// theme-changed notification at that window closes the theme handles and
// decides anew (the handles reopen on the next GetTheme).  The painting
// calls paint on an active QPainter.

#include "ElementDetails.h"

#include "platform/VisualStyleApi.h"

#include <QObject>
#include <QPointer>

#include <array>
#include <functional>

class QPainter;
class QRect;
class QString;
class QWidget;

class TThemeServices : public QObject {
    Q_OBJECT

public:
    // `window` (may be null) is the window whose notifications it watches:
    // a widget, or the application object for the application's window.
    explicit TThemeServices(QObject* window = nullptr);
    ~TThemeServices() override;

    // The library could be loaded.
    bool ThemesAvailable() const { return themesAvailable_; }
    bool UseThemes() const { return useThemes_; }
    // Themes are also allowed for controls (STAP_ALLOW_CONTROLS).
    bool ControlsEnabled() const { return controlsEnabled_; }
    bool GetThemesEnabled() const { return themesAvailable_ && useThemes_ && controlsEnabled_; }
    // The watched window; null when none was given or it is gone.
    QObject* Window() const { return window_; }

    // The theme handle of a class, opened on first use; null while themes
    // are not used.
    HTHEME GetTheme(TThemedElement element);
    // Closes the handles (when UseThemes held) and decides UseThemes and
    // ControlsEnabled anew.
    void UpdateThemes();
    // Closes every open handle, unless the watched window is gone.
    void UnloadThemeData();

    // Fired after a theme change at the watched window.
    std::function<void(TThemeServices* sender)> OnThemeChange;

    // --- painting, each through the theme of the details' class.  Failures
    // (no theme, no library) draw nothing.
    // The content rectangle of a bounding rectangle.
    QRect GetContentRect(QPainter& painter, const ThemedElementDetails& details, const QRect& bounds);
    // Draws an edge (BDR_*, BF_*); returns the content rectangle.
    QRect DrawEdge(QPainter& painter, const ThemedElementDetails& details, const QRect& rect, UINT edge,
                   UINT flags);
    void DrawBackground(QPainter& painter, const ThemedElementDetails& details, const QRect& rect,
                        const QRect* clip = nullptr);
    // DT_* flags; DTT_GRAYED in flags2.
    void DrawText(QPainter& painter, const ThemedElementDetails& details, const QString& text, DWORD flags,
                  DWORD flags2, const QRect& rect);
    // Paints the background of the window's parent behind the window.  With
    // onlyIfTransparent and details, only when that part is partially
    // transparent (else returns S_OK without drawing).
    HRESULT DrawParentBackground(QWidget* window, QPainter& painter, const QRect* rect, bool onlyIfTransparent,
                                 const ThemedElementDetails* details = nullptr);
    // For a framed control with a sunken panel frame (the client edge):
    // paints the edit-text background over its frame, and with
    // eraseLRCorner the corner between its two visible scroll bars in the
    // button colour.  Call it while the control paints.
    void PaintBorder(QWidget* control, bool eraseLRCorner);

protected:
    // Fires OnThemeChange.
    virtual void DoOnThemeChange();
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void closeThemes();

    bool themesAvailable_ = false;
    bool useThemes_ = false;
    bool controlsEnabled_ = false;
    HWND windowHandle_ = nullptr;
    QPointer<QObject> window_;
    std::array<HTHEME, kThemedElementCount> themes_{};
};

// The version of the common controls the program runs with (major in the
// high word, minor in the low word); 0 when it cannot be told.
DWORD GetComCtlVersion();

// The process-wide services, created on first use for the application's
// window and freed with the application object.
TThemeServices& GetThemeServices();
