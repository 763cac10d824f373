#include "RP_Dock.h"

#include "Exceptions.h"

#include "platform/ErrorCodes.h"
#include "platform/Registry.h"
#include "platform/WindowBounds.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QVariant>

#include <charconv>
#include <optional>

namespace report {

namespace {

constexpr const char* kRoot = "Software\\Bandwright";

// An open registry key, closed with its owner.
class Key {
public:
    ~Key()
    {
        if (key_ != nullptr)
            platform::RegCloseKey(key_);
    }
    HKEY get() const { return key_; }
    PHKEY out() { return &key_; }

private:
    HKEY key_ = nullptr;
};

std::optional<int> ReadInteger(HKEY key, const char* name)
{
    char data[64] = {};
    DWORD size = sizeof data - 1;
    DWORD type = 0;
    if (platform::RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<LPBYTE>(data), &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return std::nullopt;
    std::string_view text(data, size);
    while (!text.empty() && text.back() == '\0')
        text.remove_suffix(1);
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

void WriteText(HKEY key, const char* name, const std::string& text)
{
    const LONG code = platform::RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                               static_cast<DWORD>(text.size() + 1));
    if (code != ERROR_SUCCESS)
        throw Exception("the window placement cannot be written to the registry (error " + std::to_string(code) +
                        ")");
}

// The rectangle itself when a screen shows part of it; else the same size
// (or the screen's, when smaller) on the primary screen.
QRect OntoAScreen(const QRect& bounds)
{
    const QList<QScreen*> screens = QGuiApplication::screens();
    for (const QScreen* screen : screens)
        if (screen->geometry().intersects(bounds))
            return bounds;
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (primary == nullptr)
        return bounds;
    const QRect area = primary->availableGeometry();
    QRect moved(area.topLeft(), bounds.size().boundedTo(area.size()));
    moved.moveCenter(area.center());
    return moved;
}

void PaintSeparator(QWidget& widget, bool bevel, TrpAlign align)
{
    QPainter painter(&widget);
    const int w = widget.width();
    const int h = widget.height();
    painter.fillRect(widget.rect(), ButtonColors::Face());
    if (!bevel)
        return;
    if (align == TrpAlign::Top || align == TrpAlign::Bottom) {
        painter.setPen(ButtonColors::Shadow());
        painter.drawLine(2, h / 2 - 1, w - 2, h / 2 - 1);
        painter.setPen(ButtonColors::Highlight());
        painter.drawLine(2, h / 2, w - 2, h / 2);
    } else if (align == TrpAlign::Left || align == TrpAlign::Right) {
        painter.setPen(ButtonColors::Shadow());
        painter.drawLine(w / 2 - 1, 2, w / 2 - 1, h - 2);
        painter.setPen(ButtonColors::Highlight());
        painter.drawLine(w / 2, 2, w / 2, h - 2);
    }
}

// A toolbar control moved under a panel of a toolbar takes that toolbar's
// direction.
void FollowToolbar(const QEvent* event, const QWidget& control, TrpAlign& align)
{
    const QWidget* parent = control.parentWidget();
    if (event->type() == QEvent::ParentChange && parent != nullptr && parent->parentWidget() != nullptr)
        align = ToolbarAlign(parent);
}

} // namespace

TrpAlign ToolbarAlign(const QWidget* newParent)
{
    const QWidget* grandParent = newParent != nullptr ? newParent->parentWidget() : nullptr;
    if (grandParent == nullptr)
        return TrpAlign::Left;
    const auto align = static_cast<TrpAlign>(grandParent->property("rpAlign").toInt());
    return align == TrpAlign::Left || align == TrpAlign::Right ? TrpAlign::Top : TrpAlign::Left;
}

TrpTBButton::TrpTBButton(QWidget* parent) : TrpSpeedButton(parent)
{
    SetFlat(true);
    if (parent != nullptr)
        Align = ToolbarAlign(parent);
}

bool TrpTBButton::event(QEvent* event)
{
    FollowToolbar(event, *this, Align);
    return TrpSpeedButton::event(event);
}

TrpTBSeparator::TrpTBSeparator(QWidget* parent) : QWidget(parent)
{
    resize(8, 8);
    if (parent != nullptr)
        Align = ToolbarAlign(parent);
}

void TrpTBSeparator::SetDrawBevel(bool value)
{
    drawBevel_ = value;
    update();
}

void TrpTBSeparator::paintEvent(QPaintEvent*)
{
    PaintSeparator(*this, drawBevel_, Align);
}

bool TrpTBSeparator::event(QEvent* event)
{
    FollowToolbar(event, *this, Align);
    return QWidget::event(event);
}

std::string FormPlacementKey(const std::string& className)
{
    return std::string(kRoot) + "\\Form\\" + className;
}

void SaveFormPlacement(const QWidget& window, const std::string& className)
{
    Key key;
    const LONG code = platform::RegCreateKeyExA(HKEY_CURRENT_USER, FormPlacementKey(className).c_str(), 0, nullptr, 0,
                                                KEY_WRITE, nullptr, key.out(), nullptr);
    if (code != ERROR_SUCCESS)
        throw Exception("the window placement key cannot be created (error " + std::to_string(code) + ")");
    // The window's outer rectangle, frame and title bar included.
    const QRect bounds = platform::WindowBounds(window);
    WriteText(key.get(), "XPosition", std::to_string(bounds.x()));
    WriteText(key.get(), "YPosition", std::to_string(bounds.y()));
    WriteText(key.get(), "Width", std::to_string(bounds.width()));
    WriteText(key.get(), "Height", std::to_string(bounds.height()));
    WriteText(key.get(), "Maximized", window.isMaximized() ? "1" : "0");
}

void RestoreFormPlacement(QWidget& window, const std::string& className)
{
    Key key;
    if (platform::RegOpenKeyExA(HKEY_CURRENT_USER, FormPlacementKey(className).c_str(), 0, KEY_READ, key.out()) !=
        ERROR_SUCCESS)
        return;
    if (ReadInteger(key.get(), "Maximized").value_or(1) == 0)
        window.setWindowState(window.windowState() & ~(Qt::WindowMaximized | Qt::WindowMinimized |
                                                       Qt::WindowFullScreen));
    const QRect current = platform::WindowBounds(window);
    // A size below one pixel shows no window: the window keeps its own.
    const auto size = [&key](const char* name, int own) {
        const int value = ReadInteger(key.get(), name).value_or(own);
        return value > 0 ? value : own;
    };
    const QRect stored(ReadInteger(key.get(), "XPosition").value_or(current.x()),
                       ReadInteger(key.get(), "YPosition").value_or(current.y()), size("Width", current.width()),
                       size("Height", current.height()));
    // The bounds of a maximised window are those it returns to: it stays
    // maximised.
    platform::SetWindowBounds(window, OntoAScreen(stored));
}

} // namespace report
