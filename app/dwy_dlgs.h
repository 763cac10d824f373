#pragma once
// A modal message box with a check box beside its icon and buttons, for
// questions that the user can switch off ("Don't ask me again").

#include "platform/MessageBoxTypes.h"

#include <QDialog>

#include <vector>

class QCheckBox;
class QLabel;
class QPushButton;

// The kinds of dialog button; each returns its own number as the modal
// result, except Help (0), which does not close the box.
enum ButtonKind : int {
    bkHelp = 0,
    bkOK = 1,
    bkCancel = 2,
    bkAbort = 3,
    bkRetry = 4,
    bkIgnore = 5,
    bkYes = 6,
    bkNo = 7,
    bkClose = 8,
};

// "Help", "OK", ...; "?" for a number that is no kind.
QString ButtonKindCaption(int kind);

// A new 75 x 22 button owned by `form`, with the kind's caption; a click
// ends the form with the kind's result (Help: does nothing).
QPushButton* CreateDialogButton(QDialog* form, int kind);

// Takes the close command from a window: no title-bar close button, and
// closing it from outside (Alt+F4, the window manager) is refused.
void RemoveCloseCommand(QWidget* window);
// False once RemoveCloseCommand took the command away.
bool HasCloseCommand(const QWidget* window);

// The box itself, laid out from the font's measures.  Built apart from
// MessageBoxWithCheck so that its layout can be inspected.
class TMessageBoxWithCheck : public QDialog {
    Q_OBJECT

public:
    TMessageBoxWithCheck(const QString& text, const QString& caption, UINT flags, bool ticked,
                         const QString& checkText);

    QLabel* TextLabel() const { return label_; }
    QLabel* IconImage() const { return image_; } // nullptr without an icon
    QCheckBox* CheckBox() const { return check_; }
    const std::vector<QPushButton*>& Buttons() const { return buttons_; }

    // Esc does not close the box.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QLabel* label_ = nullptr;
    QLabel* image_ = nullptr;
    QCheckBox* check_ = nullptr;
    std::vector<QPushButton*> buttons_;
};

// Shows the box modally: `flags` holds the platform's button set (bits
// 0-2), icon (bits 4-7), default button (bits 8-9) and Help (0x4000).
// `ticked` is the check box's state going in and coming out; the result is
// the modal result of the button pressed (IDCANCEL when the box was closed
// from its title bar).
int MessageBoxWithCheck(const QString& text, const QString& caption, UINT flags, bool& ticked,
                        const QString& checkText);
