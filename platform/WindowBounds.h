#pragma once
// The bounds of the platform's top-level windows.  A window's Left, Top,
// Width and Height are those of its outer rectangle, frame and title bar
// included, and a window centred on the screen is centred with its frame.
// Qt places the inner area of a window instead, and the window manager's
// frame is known only once it has framed the shown window: a window placed
// here takes its place with the frame it is likely to get, and again, by
// the frame that it got, while the window manager frames and places it.
// Without a window manager, or on a platform without frames, the outer
// rectangle is the inner one.
#include <QRect>

class QWidget;

namespace platform {

// The window's outer rectangle, frame and title bar included.  A hidden
// window has the frame it had when last shown, or that it is likely to get.
QRect WindowBounds(const QWidget& window);

// Gives the window's outer rectangle these bounds.  A window of fixed size
// keeps a fixed size: that of its new inner area.  The bounds of a
// maximised (or minimised, or full-screen) window are those it returns to,
// set once with the frame it is likely to have then.
void SetWindowBounds(QWidget& window, const QRect& bounds);

// Every time the window is shown from now on, its outer rectangle, of the
// size that the program gives the window, is centred on the work area of
// its screen: left := area left + (area width - outer width) div 2, and so
// for the top.
void CentreOnScreenWhenShown(QWidget& window);

} // namespace platform
