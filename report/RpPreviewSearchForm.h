#pragma once
// The preview's search dialog: the text to find, case sensitivity, and
// whether to search from the first or the current page.  Made anew for
// each search, so it always opens empty, from the first page, ignoring
// case.

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace report {

class TrpPreviewSearchForm : public QDialog {
public:
    explicit TrpPreviewSearchForm(QWidget* parent = nullptr);

    // Sets the texts from the engine's string table.
    void FormCreate();

    QLabel* Label1;
    QLineEdit* Edit1;
    QGroupBox* GroupBox1;
    QCheckBox* CB1;
    QGroupBox* GroupBox2;
    QRadioButton* RB1;
    QRadioButton* RB2;
    QPushButton* Button1;
    QPushButton* Button2;

protected:
    void showEvent(QShowEvent* event) override;
};

} // namespace report
