#pragma once
// How the visual-style library draws: the parts and states of the theme
// classes, painted with a Qt style (the visual style is Qt's "Fusion").
//
// What each class draws, by part (states as the schema numbers them):
//   button    1 push button (normal, hot, pressed, disabled, default),
//             2 radio button and 3 check box (unchecked, checked and, for
//             check boxes, mixed; each normal, hot, pressed, disabled),
//             4 group-box frame (normal, disabled), 5 user button
//   edit      1 edit-text background and frame (normal, hot, selected,
//             disabled, focused, read-only, assist)
//   rebar     1, 2 grippers, 3 band, 4, 5 chevrons
//   status    0 the bar's background, 1 panes, 2 gripper pane, 3 gripper
//   tab       1-8 tab items (normal, hot, selected, disabled, focused),
//             9 pane, 10 body
//   toolbar   1-4 buttons (normal, hot, pressed, disabled, checked, hot
//             checked), 5, 6 separators
//   trackbar  1, 2 tracks, 3-8 thumbs, 9, 10 tics
//   window    1-6 captions, 7-12 frames, 13-24 caption buttons (normal,
//             hot, pushed, disabled), 25-28 scroll bars, 29 and on the
//             dialog background
// Every other class and part fills its rectangle in the button colour.

#include "WindowHandles.h"

#include <QPalette>

#include <optional>
#include <string_view>

class QPainter;
class QString;
class QStyle;

namespace platform {

enum class ThemeClass {
    Button,
    Clock,
    ComboBox,
    Edit,
    ExplorerBar,
    Header,
    ListView,
    Menu,
    Page,
    Progress,
    Rebar,
    ScrollBar,
    Spin,
    StartPanel,
    Status,
    Tab,
    TaskBand,
    TaskBar,
    ToolBar,
    ToolTip,
    TrackBar,
    TrayNotify,
    TreeView,
    Window,
};

// The first class of a semicolon-separated list that the visual styles
// know (names compared without regard to ASCII case, blanks around a name
// ignored), or nothing.
std::optional<ThemeClass> FindThemeClass(std::u16string_view classList);

class ThemeDrawing {
public:
    ThemeDrawing(const QStyle& style, const QPalette& palette);

    void DrawBackground(QPainter& painter, ThemeClass themeClass, int part, int state, const QRect& rect) const;
    // The part of the rectangle that content may use.
    QRect ContentRect(ThemeClass themeClass, int part, int state, const QRect& bounds) const;
    // DT_* alignment, line and prefix flags; DTT_GRAYED in flags2, or a
    // disabled state, gives the disabled text colour.  Uses the painter's
    // font.
    void DrawText(QPainter& painter, ThemeClass themeClass, int part, int state, const QString& text, DWORD flags,
                  DWORD flags2, const QRect& rect) const;
    // Draws the BDR_* lines on the BF_* sides; returns the rectangle inside
    // them.
    QRect DrawEdge(QPainter& painter, const QRect& rect, UINT edge, UINT flags) const;
    // True for the parts whose background leaves pixels of the rectangle
    // alone (rounded buttons, indicators, frames, caption buttons).
    bool PartiallyTransparent(ThemeClass themeClass, int part, int state) const;

private:
    const QStyle& style_;
    QPalette palette_;
};

} // namespace platform
