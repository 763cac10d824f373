#pragma once
// Window handles and device contexts of the windowing part of the platform.
// The windows are those of the GUI library: a window handle stands for a
// QWidget (or for the application object, which plays the application's
// hidden window), and a device context wraps the QPainter that paints at
// the time.
//
// A window keeps its handle for its life; once the window is gone the handle
// names no window (IsWindow is false) and is never handed out again.

#include "Win32Types.h"

class QObject;
class QPainter;
class QRect;

struct HDC__;
using HDC = HDC__*;

using COLORREF = DWORD;

struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};

struct POINT {
    LONG x;
    LONG y;
};

struct SIZE {
    LONG cx;
    LONG cy;
};

// True while the window of the handle exists.
BOOL IsWindow(HWND window);

namespace platform {

// The handle of a window; null for null.
HWND WindowHandle(QObject* window);
// The window of a handle, or null when it is gone (or never was).
QObject* WindowOfHandle(HWND window);

// A device context for the life of a scope, on a painter that is active.
class ScopedDeviceContext {
public:
    explicit ScopedDeviceContext(QPainter& painter);
    ScopedDeviceContext(const ScopedDeviceContext&) = delete;
    ScopedDeviceContext& operator=(const ScopedDeviceContext&) = delete;

    HDC Handle() { return reinterpret_cast<HDC>(this); }
    QPainter& Painter() const { return painter_; }

private:
    QPainter& painter_;
};

// The painter of a device context; null for null.
QPainter* PainterOfDC(HDC dc);

// RECT (right and bottom outside) to QRect and back.
QRect ToQRect(const RECT& rect);
RECT ToRect(const QRect& rect);

} // namespace platform
