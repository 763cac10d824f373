#include "RpQuestions.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>

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
    bool ok = false;
    const QString text = QInputDialog::getText(QApplication::activeWindow(), Text(caption), Text(prompt),
                                               QLineEdit::Normal, Text(defaultText), &ok);
    return ok ? text.toStdString() : defaultText;
}

int TrpDialogQuestions::MessageBox(const std::string& text, const std::string& caption, int flags)
{
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(Text(caption));
    box.setText(Text(text));
    switch (flags & 0xF0) {
    case MessageBoxFlag::IconError:
        box.setIcon(QMessageBox::Critical);
        break;
    case MessageBoxFlag::IconQuestion:
        box.setIcon(QMessageBox::Question);
        break;
    case MessageBoxFlag::IconWarning:
        box.setIcon(QMessageBox::Warning);
        break;
    case MessageBoxFlag::IconInformation:
        box.setIcon(QMessageBox::Information);
        break;
    default:
        break;
    }
    switch (flags & 0x0F) {
    case MessageBoxFlag::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case MessageBoxFlag::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    case MessageBoxFlag::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    default:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    }
    switch (box.exec()) {
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
