#include "RpMessageBox.h"

#include "platform/WindowBounds.h"

namespace report {

QMessageBox::StandardButton ShowMessageBox(QWidget* owner, QMessageBox::Icon icon, const QString& caption,
                                           const QString& text, QMessageBox::StandardButtons buttons)
{
    QMessageBox box(icon, caption, text, buttons, owner);
    platform::CentreOnScreenWhenShown(box);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

} // namespace report
