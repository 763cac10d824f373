#pragma once
// The Open Log dialog: picks a computer and one of its event logs by
// walking the network neighbourhood as a file-open dialog walks folders: a
// "Look in" chain from the network's root down to the current location,
// Back and Up, the contents of the current location (providers, domains,
// computers, or the logs of a computer), and the two fields the choice
// ends in, the computer's name and the event log.

#include "NetworkImages.h"

#include "ntlib/EventLog.h"
#include "ntlib/NTNetBrowser.h"

#include <QDialog>
#include <QString>

#include <memory>
#include <vector>

class QComboBox;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QToolButton;

class TfrmCompBrowse : public QDialog {
    Q_OBJECT

public:
    static constexpr int kHelpContext = 600;
    // The network type of the provider whose top resource is the root.
    static constexpr DWORD kRootNetType = 0x20000;
    static constexpr DWORD kDisplayTypeDomain = 1;
    static constexpr DWORD kDisplayTypeServer = 2;
    // A list item's image index (a display type, or TNetworkImages::kLogImage).
    static constexpr int ImageIndexRole = Qt::UserRole + 1;

    explicit TfrmCompBrowse(QWidget* parent = nullptr);
    ~TfrmCompBrowse() override;

    // Shows the dialog modally, starting at `start` (not kept) or at the
    // root.  On OK, `computer` is the computer field and `log` the event
    // log field as they stand, and the result is the current location,
    // which the dialog keeps until it is shown again (the caller copies
    // it).  On Cancel the result is null.
    const TNTNetResource* Execute(const TNTNetResource* start, QString& computer, QString& log);

    // --- the walk
    // Goes to a resource (null: the top of the network) and lists what it
    // holds; with `push`, a copy goes on the history first.  A computer
    // that cannot be reached raises, after the dialog went back to where
    // it was.
    void BrowseTo(const TNTNetResource* resource, bool push);
    // Opens a list item: a log ends the dialog with OK; a container is
    // browsed into.
    void OpenItem(QListWidgetItem* item);
    void FillLookIn();
    void UpdateButtons();
    void PushLocation(const TNTNetResource& resource);
    void PopLocation();
    // The top of the history, or null when it is empty.
    const TNTNetResource* CurrentLocation() const;
    void ClearHistory();
    void ClearBrowserList();
    void ClearLookIn();

    // --- the user's actions
    void btnUpClick();
    void btnBackClick();
    void btnOpenClick();
    void cbxTreeSelect(int index);

    // --- state
    int HistoryCount() const { return static_cast<int>(history_.size()); }
    const TNTNetResource& Root() const { return *root_; }
    // The resource of a container item of the list, or null for a log.
    const TNTNetResource* ItemResource(const QListWidgetItem* item) const;
    // The resource of a look-in item.
    const TNTNetResource* LookInResource(int index) const;

    // --- components
    QComboBox* cbxTree() const { return cbxTree_; }
    QToolButton* btnBack() const { return btnBack_; }
    QToolButton* btnUp() const { return btnUp_; }
    QListWidget* lvBrowser() const { return lvBrowser_; }
    QLineEdit* edComputer() const { return edComputer_; }
    QComboBox* cbxLog() const { return cbxLog_; }
    QPushButton* btnOpen() const { return btnOpen_; }
    QPushButton* btnCancel() const { return btnCancel_; }
    TNTNetBrowser& ntrNetwork() { return ntrNetwork_; }
    TNTEventLog& evlBrowser() { return evlBrowser_; }
    const TNetworkImages& Images() const { return images_; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormShow();
    // The top resource of the provider of network type 0x20000 into the
    // root, or an empty root when there is none.
    void FindRoot();
    // The remote name as the dialog shows it: without its first "\\".
    static QString Caption(const TNTNetResource& resource);
    void AddContainerItem(const TNTNetResource& resource);
    void AddLogItem(const QString& name);
    static bool IsLogItem(const QListWidgetItem* item);
    void lvBrowserClick(QListWidgetItem* item);
    void lvBrowserSelectionChange();
    void cbxLogChange();
    // Runs a user action; its failure is shown as the application shows
    // every failure of an event handler.
    template <class Action>
    void Guarded(Action&& action);

    TNTNetBrowser ntrNetwork_;
    TNTEventLog evlBrowser_;
    TNetworkImages images_;
    std::vector<std::unique_ptr<TNTNetResource>> history_;
    std::unique_ptr<TNTNetResource> root_;
    const TNTNetResource* start_ = nullptr;
    // The resources of the list's container items and of the look-in
    // items, by the index their item carries.
    std::vector<std::unique_ptr<TNTNetResource>> listResources_;
    std::vector<std::unique_ptr<TNTNetResource>> lookIn_;
    bool filling_ = false;

    QComboBox* cbxTree_ = nullptr;
    QToolButton* btnBack_ = nullptr;
    QToolButton* btnUp_ = nullptr;
    QListWidget* lvBrowser_ = nullptr;
    QLineEdit* edComputer_ = nullptr;
    QComboBox* cbxLog_ = nullptr;
    QPushButton* btnOpen_ = nullptr;
    QPushButton* btnCancel_ = nullptr;
};
