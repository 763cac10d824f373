#include "RpQuestions.h"

#include "RpMessageBox.h"

#include "platform/WindowBounds.h"

#include <QApplication>
#include <QInputDialog>

namespace report {

namespace {

QString Text(const std::string& text)
{
    return QString::fromStdString(text);
}

} // namespace

std::string TrpDialogQuestions::InputBox(const std::string& caption, const std::string& prompt,
                                         const std::string& defaultText)
{
    QInputDialog box(QApplication::activeWindow());
    box.setWindowTitle(Text(caption));
    box.setLabelText(Text(prompt));
    box.setTextValue(Text(defaultText));
    platform::CentreOnScreenWhenShown(box);
    return box.exec() == QDialog::Accepted ? box.textValue().toStdString() : defaultText;
}

int TrpDialogQuestions::MessageBox(const std::string& text, const std::string& caption, int flags)
{
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (flags & 0xF0) {
    case MessageBoxFlag::IconError:
        icon = QMessageBox::Critical;
        break;
    case MessageBoxFlag::IconQuestion:
        icon = QMessageBox::Question;
        break;
    case MessageBoxFlag::IconWarning:
        icon = QMessageBox::Warning;
        break;
    case MessageBoxFlag::IconInformation:
        icon = QMessageBox::Information;
        break;
    default:
        break;
    }
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    switch (flags & 0x0F) {
    case MessageBoxFlag::OkCancel:
        buttons = QMessageBox::Ok | QMessageBox::Cancel;
        break;
    case MessageBoxFlag::YesNoCancel:
        buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        break;
    case MessageBoxFlag::YesNo:
        buttons = QMessageBox::Yes | QMessageBox::No;
        break;
    default:
        break;
    }
    switch (ShowMessageBox(QApplication::activeWindow(), icon, Text(caption), Text(text), buttons)) {
    case QMessageBox::Cancel:
        return MessageBoxAnswer::Cancel;
    case QMessageBox::Yes:
        return MessageBoxAnswer::Yes;
    case QMessageBox::No:
        return MessageBoxAnswer::No;
    default:
        return MessageBoxAnswer::Ok;
    }
}

} // namespace report
