#include "RpPasswForm.h"

#include "RpFormTexts.h"
#include "RpWindowFont.h"

#include "platform/WindowBounds.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace report {

TrpPasswForm::TrpPasswForm(QWidget* parent)
    : QDialog(parent), L1(new QLabel(this)), L2(new QLabel(this)), E1(new QLineEdit(this)),
      OK(new QPushButton(this)), Cancel(new QPushButton(this))
{
    setFont(EngineWindowFont());
    setFixedSize(249, 96);
    L1->setGeometry(4, 12, 241, 13);
    L2->setGeometry(4, 0, 241, 13);
    L2->hide();
    E1->setGeometry(4, 32, 241, 21);
    E1->setEchoMode(QLineEdit::Password);
    E1->setStyleSheet("lineedit-password-character: 42");  // "*"
    OK->setGeometry(100, 68, 69, 21);
    OK->setDefault(true);
    Cancel->setGeometry(176, 68, 69, 21);
    connect(OK, &QPushButton::clicked, this, &QDialog::accept);
    connect(Cancel, &QPushButton::clicked, this, &QDialog::reject);
    // Centred on the screen, frame included, every time it opens.
    platform::CentreOnScreenWhenShown(*this);
    FormCreate();
}

void TrpPasswForm::FormCreate()
{
    setWindowTitle(FormText(55653));
    L1->setText(FormText(55654));
    L2->setText(FormText(55655));
    OK->setText(FormText(55000));
    Cancel->setText(FormText(55001));
}

QString TrpPasswForm::Password() const
{
    return E1->text();
}

void TrpPasswForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    E1->setFocus();
}

} // namespace report
