#include "WindowHandles.h"

#include <QObject>
#include <QPainter>
#include <QPointer>
#include <QRect>

#include <map>
#include <mutex>

namespace platform {
namespace {

// Handles are numbered from 0x10010 on in steps of 4, like the platform's.
struct WindowTable {
    std::mutex mutex;
    std::map<std::uintptr_t, QPointer<QObject>> windows;
    std::map<const QObject*, std::uintptr_t> handles;
    std::uintptr_t next = 0x10010;
};

WindowTable& table()
{
    static WindowTable t;
    return t;
}

} // namespace

HWND WindowHandle(QObject* window)
{
    if (!window)
        return nullptr;
    WindowTable& t = table();
    std::lock_guard lock(t.mutex);
    if (auto it = t.handles.find(window); it != t.handles.end())
        return reinterpret_cast<HWND>(it->second);
    const std::uintptr_t value = t.next;
    t.next += 4;
    t.windows[value] = window;
    t.handles[window] = value;
    // The window's address may be used again by a later object: forget it
    // as the window goes.
    QObject::connect(window, &QObject::destroyed, [value](QObject* gone) {
        WindowTable& table = platform::table();
        std::lock_guard lock(table.mutex);
        table.windows.erase(value);
        if (auto it = table.handles.find(gone); it != table.handles.end() && it->second == value)
            table.handles.erase(it);
    });
    return reinterpret_cast<HWND>(value);
}

QObject* WindowOfHandle(HWND window)
{
    WindowTable& t = table();
    std::lock_guard lock(t.mutex);
    auto it = t.windows.find(reinterpret_cast<std::uintptr_t>(window));
    return it == t.windows.end() ? nullptr : it->second.data();
}

ScopedDeviceContext::ScopedDeviceContext(QPainter& painter)
    : painter_(painter)
{
}

QPainter* PainterOfDC(HDC dc)
{
    return dc ? &reinterpret_cast<ScopedDeviceContext*>(dc)->Painter() : nullptr;
}

QRect ToQRect(const RECT& rect)
{
    return QRect(QPoint(rect.left, rect.top), QPoint(rect.right - 1, rect.bottom - 1));
}

RECT ToRect(const QRect& rect)
{
    return RECT{rect.left(), rect.top(), rect.right() + 1, rect.bottom() + 1};
}

} // namespace platform

BOOL IsWindow(HWND window)
{
    return window && platform::WindowOfHandle(window) ? TRUE : FALSE;
}
