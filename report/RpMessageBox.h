#pragma once
// The platform's message box as the engine's windows show it.

#include <QMessageBox>

namespace report {

// A modal message box, centred on the screen with its frame: the button that
// answered it (Esc and the title bar answer as Qt's message boxes do).
QMessageBox::StandardButton ShowMessageBox(QWidget* owner, QMessageBox::Icon icon, const QString& caption,
                                           const QString& text, QMessageBox::StandardButtons buttons);

} // namespace report
