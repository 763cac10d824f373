#pragma once
// The print dialog: printer, copies, collation, page range and odd/even
// pages.  The printer list shows the system's printers with the system's
// current printer chosen, also while the printer model is on the virtual
// printer.  Choosing a printer selects it in the printer model at once;
// any ending but OK selects again the system's printer that was current
// when the dialog opened.  OK is refused, with a message, while the copies
// or the page range do not read.

#include "RP_Prntr.h"
#include "RpPageRange.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace report {

class TrpSpeedButton;

class TrpPrintForm : public QDialog {
public:
    explicit TrpPrintForm(TrpPrinter& printer, QWidget* parent = nullptr);

    // The choices, as the print command reads them.
    int Copies() const;
    bool Collate() const;
    // Empty for all pages (and for the current page).
    QString PageRangeText() const;
    TrpPrintMode PrintMode() const;
    bool CurrentPageChosen() const;

    // Shows why OK is refused; a message box unless replaced.
    std::function<void(const QString& message)> ShowError;

    // The dialog's parts, named as the engine names them.
    QGroupBox* GroupBox1;
    QLabel* Label4;
    QComboBox* CB1;
    QPushButton* PropButton;
    QGroupBox* GroupBox3;
    QLabel* Label1;
    QLineEdit* E1;
    TrpSpeedButton* rpSpeedButton1;
    TrpSpeedButton* rpSpeedButton2;
    QCheckBox* CollateCB;
    QLabel* Label3;
    QWidget* PB1;
    QGroupBox* GroupBox2;
    QRadioButton* RB1;
    QRadioButton* RB2;
    QRadioButton* RB3;
    QLineEdit* E2;
    QLabel* Label2;
    QLabel* Label5;
    QComboBox* CB2;
    QPushButton* Button1;
    QPushButton* Button2;

    // The event handlers.
    void CB1Click(int index);
    void PropButtonClick();
    void rpSpeedButton1Click();
    void rpSpeedButton2Click();
    void Label3Click();
    void accept() override;
    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void PB1Paint();

    TrpPrinter& printer_;
    int rememberedPrinter_;
};

// The pictures of the collation choice: three sheets in two collated sets,
// and the same sheets in pairs.
QImage CollatePicture();
QImage NonCollatePicture();

} // namespace report
