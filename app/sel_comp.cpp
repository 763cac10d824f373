#include "sel_comp.h"

#include "HelpContext.h"
#include "SystemFonts.h"
#include "browsent.h"

#include "platform/WindowBounds.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QVBoxLayout>

TSelectCompForm::TSelectCompForm(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Select Computer"));
    SetHelpContext(this, kHelpContext);
    // Centred on the screen, frame included, every time it opens.
    platform::CentreOnScreenWhenShown(*this);
    setFont(WindowFont(QStringLiteral("Tahoma")));

    groupBox_ = new QGroupBox(QStringLiteral("Select the computer you want to manage"), this);
    groupBox_->setGeometry(8, 6, 372, 100);
    rbLocalComp_ = new QRadioButton(QStringLiteral("Local computer (the computer this program is running on)"),
                                    groupBox_);
    rbAnotherComp_ = new QRadioButton(QStringLiteral("Another computer"), groupBox_);
    edComputer_ = new QLineEdit(groupBox_);
    btnBrowseForNetwork_ = new QPushButton(QStringLiteral("Browse..."), groupBox_);
    btnBrowseForNetwork_->setAutoDefault(false);
    rbLocalComp_->setChecked(true);

    auto* column = new QVBoxLayout(groupBox_);
    column->addWidget(rbLocalComp_);
    auto* another = new QHBoxLayout;
    another->addWidget(rbAnotherComp_);
    another->addWidget(edComputer_, 1);
    another->addWidget(btnBrowseForNetwork_);
    column->addLayout(another);

    btnOK_ = new QPushButton(QStringLiteral("OK"), this);
    btnOK_->setDefault(true);
    btnOK_->setGeometry(224, 113, 75, 23);
    btnCancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel_->setAutoDefault(false);
    btnCancel_->setGeometry(305, 113, 75, 23);

    setFixedSize(388, 144);

    connect(rbLocalComp_, &QRadioButton::clicked, this, &TSelectCompForm::RadioClick);
    connect(rbAnotherComp_, &QRadioButton::clicked, this, &TSelectCompForm::RadioClick);
    connect(btnBrowseForNetwork_, &QPushButton::clicked, this, &TSelectCompForm::btnBrowseForNetworkClick);
    connect(btnOK_, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel_, &QPushButton::clicked, this, &QDialog::reject);
}

bool TSelectCompForm::Execute(QString& name)
{
    name.clear();
    if (exec() != QDialog::Accepted)
        return false;
    if (rbAnotherComp_->isChecked())
        name = edComputer_->text();
    return true;
}

void TSelectCompForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TSelectCompForm::FormShow()
{
    edComputer_->clear();
    rbLocalComp_->setChecked(true);
    RadioClick();
}

void TSelectCompForm::RadioClick()
{
    const bool another = rbAnotherComp_->isChecked();
    edComputer_->setEnabled(another);
    btnBrowseForNetwork_->setEnabled(another);
}

void TSelectCompForm::btnBrowseForNetworkClick()
{
    QString computer;
    QString parent;
    if (BrowseForComputer(QStringLiteral("Select computer"), computer, parent))
        edComputer_->setText(computer.remove(u'\\'));
}
