#include "about.h"

#include "HelpContext.h"
#include "ProgramIcon.h"
#include "SystemFonts.h"

#include "platform/FileVersion.h"
#include "platform/WindowBounds.h"

#include <QApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUrl>

#include <cstring>

#include <vector>

namespace {

constexpr int kLogoSize = 32;

constexpr char kNotice[] =
    "This program is protected by copyright law and international treaties. "
    "Unauthorized reproduction or distribution of this program, or any portion "
    "of it, may result in severe civil and criminal penalties, and will be "
    "prosecuted to the maximum extent possible under the law.\n\n"
    "Quellvane reads event logs and changes their settings only when you ask "
    "it to; it keeps nothing but your list of computers and the questions you "
    "switched off, in your own part of the registry.";

QLabel* linkLabel(const QString& text, const QString& address, QWidget* parent)
{
    auto* label = new QLabel(QStringLiteral("<a href=\"%1\">%2</a>").arg(address.toHtmlEscaped(), text.toHtmlEscaped()),
                             parent);
    label->setToolTip(address);
    label->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    return label;
}

} // namespace

bool GetFileVersionStrings(const QString& fileName, QString& shortVersion, QString& fullVersion)
{
    const std::string name = fileName.toStdString();
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(name.c_str(), &handle);
    if (size == 0)
        return false;
    std::vector<BYTE> block(size);
    if (!GetFileVersionInfoA(name.c_str(), handle, size, block.data()))
        return false;
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), "\\", &value, &length) || length < sizeof(VS_FIXEDFILEINFO))
        return false;
    VS_FIXEDFILEINFO fixed;
    std::memcpy(&fixed, value, sizeof fixed);
    const DWORD ms = fixed.dwFileVersionMS;
    const DWORD ls = fixed.dwFileVersionLS;
    shortVersion = QStringLiteral("%1.%2").arg(ms >> 16).arg(ms & 0xFFFF);
    fullVersion = QStringLiteral("%1.%2.%3").arg(shortVersion).arg(ls >> 16).arg(ls & 0xFFFF);
    return true;
}

TAboutForm::TAboutForm(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("About"));
    const QFont tahoma = WindowFont(QStringLiteral("Tahoma"));
    setFont(tahoma);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);
    SetHelpContext(this, kHelpContext);
    // Centred on the screen, frame included, every time it opens.
    platform::CentreOnScreenWhenShown(*this);

    imgLogo_ = new QLabel(this);
    imgLogo_->setPixmap(ProgramIcon().pixmap(kLogoSize, kLogoSize));
    imgLogo_->setGeometry(16, 16, kLogoSize, kLogoSize);

    appTitleLabel_ = new QLabel(QStringLiteral("Quellvane"), this);
    QFont bold = tahoma;
    bold.setBold(true);
    appTitleLabel_->setFont(bold);
    appTitleLabel_->move(64, 16);
    versionLabel_ = new QLabel(QStringLiteral("Version 1.0 (Build 1.0.0.0)"), this);
    versionLabel_->setGeometry(64, 34, 240, 14);
    lbBeta_ = new QLabel(QStringLiteral("Beta"), this);
    QFont betaFont = bold;
    lbBeta_->setFont(betaFont);
    QPalette red = lbBeta_->palette();
    red.setColor(QPalette::WindowText, QColor(200, 30, 30));
    lbBeta_->setPalette(red);
    lbBeta_->move(320, 16);

    webLink_ = linkLabel(QStringLiteral("www.ostrivel.example/quellvane"), QString::fromLatin1(kWebAddress), this);
    webLink_->setGeometry(64, 54, 312, 14);
    makerLink_ = linkLabel(QStringLiteral("Copyright \u00A9 2024 Ostrivel. All rights reserved."),
                           QString::fromLatin1(kMakerAddress), this);
    makerLink_->setGeometry(64, 72, 312, 14);

    meProtected_ = new QPlainTextEdit(this);
    meProtected_->setGeometry(16, 96, 360, 92);
    meProtected_->setReadOnly(true);
    meProtected_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    meProtected_->setPlainText(QString::fromLatin1(kNotice));

    btnOk_ = new QPushButton(QStringLiteral("OK"), this);
    btnOk_->setGeometry(301, 199, 75, 23);
    btnOk_->setDefault(true);

    setFixedSize(392, 232);

    QString shortVersion;
    QString fullVersion;
    if (GetFileVersionStrings(QCoreApplication::applicationFilePath(), shortVersion, fullVersion))
        versionLabel_->setText(QStringLiteral("Version %1 (Build %2)").arg(shortVersion, fullVersion));

    for (QLabel* link : {webLink_, makerLink_})
        connect(link, &QLabel::linkActivated, this, [link] { LinkClick(link); });
    // OK is both the default and the cancel button: Enter and Esc close.
    connect(btnOk_, &QPushButton::clicked, this, &QDialog::accept);
}

void TAboutForm::LinkClick(const QLabel* link)
{
    QDesktopServices::openUrl(QUrl(link->toolTip()));
}
