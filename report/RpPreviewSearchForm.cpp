#include "RpPreviewSearchForm.h"

#include "RpEngineHelp.h"
#include "RpFormTexts.h"
#include "RpWindowFont.h"

#include "platform/WindowBounds.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace report {

TrpPreviewSearchForm::TrpPreviewSearchForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                          Qt::WindowContextHelpButtonHint | Qt::WindowCloseButtonHint),
      Label1(new QLabel(this)), Edit1(new QLineEdit(this)), GroupBox1(new QGroupBox(this)),
      CB1(new QCheckBox(GroupBox1)), GroupBox2(new QGroupBox(this)), RB1(new QRadioButton(GroupBox2)),
      RB2(new QRadioButton(GroupBox2)), Button1(new QPushButton(this)), Button2(new QPushButton(this))
{
    setFont(EngineWindowFont());
    setFixedSize(262, 158);
    Label1->setGeometry(4, 8, 253, 13);
    Label1->setBuddy(Edit1);
    Edit1->setGeometry(4, 24, 253, 21);
    GroupBox1->setGeometry(4, 52, 141, 65);
    CB1->setGeometry(8, 20, 125, 17);
    GroupBox2->setGeometry(152, 52, 105, 65);
    RB1->setGeometry(8, 18, 93, 17);
    RB1->setChecked(true);
    RB2->setGeometry(8, 38, 93, 17);
    Button1->setGeometry(102, 128, 75, 25);
    Button1->setDefault(true);
    Button2->setGeometry(182, 128, 75, 25);
    SetEngineHelpContext(Edit1, 98);
    SetEngineHelpContext(CB1, 107);
    SetEngineHelpContext(RB1, 116);
    SetEngineHelpContext(RB2, 123);
    SetEngineHelpContext(Button1, 40);
    SetEngineHelpContext(Button2, 50);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    // Centred on the screen, frame included, every time it opens.
    platform::CentreOnScreenWhenShown(*this);
    FormCreate();
}

void TrpPreviewSearchForm::FormCreate()
{
    setWindowTitle(FormText(53000, "Find text"));
    Label1->setText(FormText(53001, "Text to find"));
    GroupBox1->setTitle(FormText(53002, "Options"));
    CB1->setText(FormText(53003, "Case sensitive"));
    GroupBox2->setTitle(FormText(53004, "Find"));
    RB1->setText(FormText(53005, "From begin"));
    RB2->setText(FormText(53006, "From current"));
    Button1->setText(FormText(55000, "OK"));
    Button2->setText(FormText(55001, "Cancel"));
}

void TrpPreviewSearchForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    Edit1->setFocus();
    Edit1->selectAll();
}

} // namespace report
