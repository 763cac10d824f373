#pragma once
// The dialog that edits a text object's display format: the category, the
// type within it, decimal digits and separator for numbers, and the format
// text of a custom type.  The caller sets Format and FormatStr, shows it
// modally and reads them back; only OK changes them.  The two lists run
// their click handlers when the user picks an item with the mouse or
// moves the selection with the keys.

#include <QDialog>

#include <cstdint>
#include <string>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace report {

class TrpFmtForm : public QDialog {
public:
    static constexpr int kCustomType = 4;

    explicit TrpFmtForm(QWidget* parent = nullptr);

    std::int32_t Format = 0;
    std::string FormatStr;

    QListWidget* CatLB;
    QListWidget* TypeLB;
    QLabel* Label1;
    QLineEdit* DecEdit;
    QLabel* Label2;
    QLineEdit* SplEdit;
    QLabel* Label3;
    QLineEdit* FormatEdit;
    QPushButton* Button1;
    QPushButton* Button2;

    // Fills the lists from Format (done when the dialog is shown).
    void FormActivate();
    void CatLBClick();
    void TypeLBClick();
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void UpdateFields();
};

} // namespace report
