#pragma once
// The control classes the theme manager hooks, and their counterparts among
// Qt's widgets:
//
//   list view         QTableView, and QListView other than QListWidget
//   tab sheet         a page of a QTabWidget
//   group box         QGroupBox
//   button control    QAbstractButton other than QToolButton (push buttons,
//                     check boxes, radio buttons)
//   speed button      QToolButton
//   splitter          QSplitterHandle
//   track bar         QSlider
//   animation         none: Qt has no animation control
//   status bar        QStatusBar
//   check-list box    QListWidget
//   form              a window (QWidget with window type Window or Dialog)
//                     or a QMdiSubWindow
//   frame             none: Qt has no class for an embedded form
//   panel             a plain QFrame that is not a line
//   windowed control  every other widget but labels (static text) and tool
//                     buttons, which are not windowed, and popup menus

#include "ThemeOptions.h"

#include <optional>

class QWidget;

enum class TControlClass {
    ListView,
    TabSheet,
    GroupBox,
    ButtonControl,
    SpeedButton,
    Splitter,
    TrackBar,
    Animation,
    StatusBar,
    CheckListBox,
    Form,
    Frame,
    Panel,
    WinControl,
};
inline constexpr int kControlClassCount = 14;

bool IsForm(const QWidget* widget);
bool IsControlOfClass(const QWidget* control, TControlClass controlClass);

// The list a control goes to when it is hooked: the first class, in the
// order button control, speed button, group box, tab sheet, panel, frame,
// list view, track bar, check-list box, status bar, splitter, animation,
// form, windowed control, that the control belongs to and whose option is
// set (forms always).  Without themes only list views.  Nothing for
// controls that are not windowed.
std::optional<TControlClass> HookClassOf(const QWidget* control, TThemeOptions options, bool themesEnabled);
