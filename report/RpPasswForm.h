#pragma once
// The dialog that asks for the password of a protected report template.
// The caller shows it modally and reads E1's text when it ends with OK.

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace report {

class TrpPasswForm : public QDialog {
public:
    explicit TrpPasswForm(QWidget* parent = nullptr);

    // Reloads the caption and texts (a change of the engine's language).
    void FormCreate();
    QString Password() const;

    QLabel* L1;
    QLabel* L2;  // "Retype password": never shown, the password is asked once
    QLineEdit* E1;
    QPushButton* OK;
    QPushButton* Cancel;

protected:
    void showEvent(QShowEvent* event) override;
};

} // namespace report
