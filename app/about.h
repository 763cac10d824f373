#pragma once
// The about box: the program's logo, name and version, the links to its
// web page and its maker, and the legal notice.

#include <QDialog>
#include <QString>

class QLabel;
class QPlainTextEdit;
class QPushButton;

// The version of a file from its version resource: `shortVersion` the
// first two parts ("1.2"), `fullVersion` all four ("1.2.3.4").  False,
// with both left as they were, when the file has no version resource.
bool GetFileVersionStrings(const QString& fileName, QString& shortVersion, QString& fullVersion);

class TAboutForm : public QDialog {
    Q_OBJECT

public:
    static constexpr int kHelpContext = 300;
    static constexpr char kWebAddress[] = "https://www.ostrivel.example/quellvane";
    static constexpr char kMakerAddress[] = "https://www.ostrivel.example/";

    explicit TAboutForm(QWidget* parent = nullptr);

    QLabel* imgLogo() const { return imgLogo_; }
    QLabel* AppTitleLabel() const { return appTitleLabel_; }
    QLabel* VersionLabel() const { return versionLabel_; }
    QLabel* lbBeta() const { return lbBeta_; }
    QLabel* WebLink() const { return webLink_; }
    QLabel* MakerLink() const { return makerLink_; }
    QPlainTextEdit* meProtected() const { return meProtected_; }
    QPushButton* btnOk() const { return btnOk_; }

private:
    // Opens a link label's web address (its hint) on the desktop.
    static void LinkClick(const QLabel* link);

    QLabel* imgLogo_ = nullptr;
    QLabel* appTitleLabel_ = nullptr;
    QLabel* versionLabel_ = nullptr;
    QLabel* lbBeta_ = nullptr;
    QLabel* webLink_ = nullptr;
    QLabel* makerLink_ = nullptr;
    QPlainTextEdit* meProtected_ = nullptr;
    QPushButton* btnOk_ = nullptr;
};
