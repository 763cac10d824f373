#pragma once
// The browse network dialog: the computers of the network that run an
// NT-family system, listed under one root node.

#include "MainImages.h"

#include "platform/Win32Types.h"

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;
class QTreeWidget;

class TNTBrowseNetForm : public QDialog {
    Q_OBJECT

public:
    static constexpr int kHelpContext = 410;
    // The images of the tree: a group, and a computer (only a computer
    // node can be chosen).
    static constexpr int kGroupImage = 0;
    static constexpr int kComputerImage = 1;
    static constexpr int ImageIndexRole = Qt::UserRole + 1;
    // The platform's server type of NT-family computers.
    static constexpr DWORD kNtServerType = 0x1000;

    explicit TNTBrowseNetForm(QWidget* parent = nullptr);

    // Lists the servers of a type under a root node with the given text,
    // after clearing the tree when asked.  A failing enumeration leaves
    // the root alone.
    void FillServers(DWORD serverType, const QString& rootText, bool clearFirst);

    QLabel* CaptionLabel() const { return captionLabel_; }
    QTreeWidget* tvNet() const { return tvNet_; }
    QPushButton* btnOK() const { return btnOK_; }
    QPushButton* btnCancel() const { return btnCancel_; }
    QPushButton* btnRefresh() const { return btnRefresh_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    void tvNetChange();
    void btnRefreshClick();

    TMainImages images_;
    QLabel* captionLabel_ = nullptr;
    QTreeWidget* tvNet_ = nullptr;
    QPushButton* btnOK_ = nullptr;
    QPushButton* btnCancel_ = nullptr;
    QPushButton* btnRefresh_ = nullptr;
};

// Shows the browse dialog modally with `caption` above its tree.  On OK,
// `computer` is the chosen node's text and `parent` its parent node's
// text; otherwise both are empty.  The application's dialog is used, or a
// dialog of its own where the application has none.
bool BrowseForComputer(const QString& caption, QString& computer, QString& parent);
