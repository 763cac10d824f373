#pragma once
// The log window: an MDI child that shows one event log (a live log of a
// computer or a backup file) as a list of events, newest first, with the
// description of the selected event in a pane below it.
//
// The window's reader owns the events; the window's lists only point at
// them.  Long loops let pending window messages through; while one runs,
// the window refuses every command that would change or free the events
// the loop walks, and a close is carried out when the loop has ended.
//
// A window frees itself once it has closed (deleteLater), so it is always
// made with new; its owner closes it and never deletes it.

#include "EventFilter.h"
#include "EventListModel.h"
#include "EventSorter.h"
#include "LogImages.h"
#include "LogWindowHost.h"
#include "NameList.h"

#include "ntlib/EventLog.h"

#include <QMdiSubWindow>
#include <QString>
#include <QStringList>

#include <array>
#include <memory>
#include <vector>

class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPoint;
class QProgressBar;
class QSplitter;
class QTableView;
class QToolButton;
class TLogWindowHost;
class TXPSystemButton;
class TfrmFilterDesign;

// The direction flags a new window starts with.
inline constexpr std::array<bool, kSortKeyCount> DefaultSortDirections{false, false, false, false, true,
                                                                       false, false, false, true};

// The lines of a description as the description pane shows them: split at
// CR LF, CR or LF, without the empty lines.
QStringList DescriptionLines(const std::string& text);

class TfrmLogView : public QMdiSubWindow {
    Q_OBJECT

public:
    static constexpr int kHelpContext = 200;

    // `host` is the main window (may be null: a window on its own).
    explicit TfrmLogView(TLogWindowHost* host, QWidget* parent = nullptr);
    ~TfrmLogView() override;

    // --- set by the main window before the first load
    bool IsFile() const { return isFile_; }
    void SetIsFile(bool value) { isFile_ = value; }
    const QString& ComputerName() const { return computerName_; }
    void SetComputerName(const QString& value) { computerName_ = value; }
    const QString& LogName() const { return logName_; }
    void SetLogName(const QString& value) { logName_ = value; }
    TNTEventLog& NTEventLog() { return reader_; }

    // --- operations
    // (Re)reads the whole log.  `name` is the log to open on a live window
    // and the name the error message gives.  Refused while a loop runs.
    void LoadEvents(const QString& name);
    // Loads another log of the same computer into this window.
    void ChangeLog(const QString& name);
    // Ends running loops at their next poll and tells the main window that
    // this window goes away.
    void StopAndDetach();
    // Closes the window without its question (the main window's Close All
    // and Quit); the window is freed once no loop of it runs any more.
    // The main window closes log windows this way, never by deleting them.
    void CloseWithoutQuestion();
    void ShowDescription(bool visible);
    // Makes the description pane show the selected event's description, or
    // nothing when no event is selected, so that it never keeps the text of
    // an event that is no longer in the list.  Every operation that replaces
    // the list's events ends with it: each load, and Undo All Filters.
    void ShowSelectedDescription();

    // --- sorting (LogSorting.cpp)
    // Flips the key's direction and sorts by it; the selected event stays
    // selected and in view.  Does nothing on an empty list.
    void SortByColumn(int key);
    void SetSortDirection(int key, bool value) { sortDirection_.at(static_cast<std::size_t>(key)) = value; }

    // --- filtering, quick filter and undo (LogFiltering.cpp)
    // Asks for criteria and keeps the events that meet them.
    void ApplyFilter();
    void UndoLastFilter();
    // Reads the whole log again, in natural order.
    void UndoAllFilters();
    // Chooses the quick filter's column and value from the cell at `at`
    // (viewport coordinates) of the selected row, as the popup does when
    // it opens.
    void pmLogPopup(const QPoint& at);
    // Keeps the events whose text in the quick filter's column is its value.
    void pmitFilterByClick();
    int QuickColumn() const { return quickColumn_; }
    const QString& QuickValue() const { return quickValue_; }
    QAction* pmitFilterBy() const { return pmitFilterBy_; }

    // --- Find (LogFind.cpp)
    // Asks for criteria and selects the next event below the selected row
    // that meets them.
    void Find();
    // The same with the last Find's criteria.
    void FindNext();
    // Searches from the list index `start` - 1 downward in the view; at
    // the bottom asks whether to go on from the top.  True when found.
    bool FindWithWrap(int start);
    // Searches from the list index `from` downward; true when found (or
    // stopped), and then that event is selected.
    bool FindFrom(int from);
    const TEventFilter& FindFilter() const { return findFilter_; }
    // The list index of the selected row, or -1.
    int SelectedIndex() const;

    // --- state
    const std::vector<TEventItem*>& Events() const { return events_; }
    // The position of the report bridge's data set in Events().
    int ReportCursor() const { return reportCursor_; }
    void SetReportCursor(int value) { reportCursor_ = value; }
    int TotalCount() const { return totalCount_; }
    bool SortDirection(int key) const { return sortDirection_.at(static_cast<std::size_t>(key)); }
    bool FindDone() const { return findDone_; }
    bool CanUndoLast() const { return canUndoLast_; }
    bool CanUndoAll() const { return canUndoAll_; }
    bool Loading() const { return loading_; }
    // True while a loop of the window runs (commands are refused).
    bool IsBusy() const { return loopDepth_ > 0; }
    bool IsClosed() const { return closed_; }
    const TNameList& Sources() const { return sources_; }
    const TNameList& Categories() const { return categories_; }
    bool DescriptionVisible() const;
    QString StatusText() const;

    // --- components
    QWidget* ToolBar1() const { return toolBar_; }
    QComboBox* cbLogs() const { return cbLogs_; }
    QToolButton* sbtnStopProcess() const { return stopButton_; }
    QLabel* LogSizePanel() const { return logSizePanel_; }
    QLabel* LoadingLabel() const { return loadingLabel_; }
    QProgressBar* LoadProgressBar() const { return progressBar_; }
    QTableView* lvLog() const { return lvLog_; }
    TEventListModel& Model() const { return *model_; }
    QSplitter* Splitter1() const { return splitter_; }
    QWidget* pnlEventText() const { return pnlEventText_; }
    TXPSystemButton* CloseDescrButton() const { return closeDescrButton_; }
    QPlainTextEdit* meEventText() const { return meEventText_; }
    QMenu* pmLog() const { return pmLog_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildLayout();
    void BuildPopupMenu();
    // The close question; true when the window may close.
    bool FormCloseQuery();
    // Lets the events go: the list, the reader, the description.
    void FormHide();
    // Frees the window now, or when its running loop has ended.
    void DisposeWhenIdle();
    void ResetSortImages();
    // The Time column's least width for the locale's widest time text.
    int WidestTimeWidth() const;
    // The status text emptied and the progress of a loop shown under its
    // label, at 0 of `maximum`; and hidden again.
    void ShowProgress(const QString& label, int maximum);
    void HideProgress();
    // The header's sort image on a column (-1: none), by its direction.
    void ShowSortImage(int column);
    // Selects the row of a list index, makes it current and scrolls it
    // into view.
    void SelectIndex(int index);
    // The filter dialog of the application (or the window's own).
    TfrmFilterDesign& FilterForm();
    // How a description reads for the matching of criteria.
    std::string DescriptionOf(TEventItem& e);
    // The undo level: `previous` is the list before a filter.
    void SaveForUndo(std::vector<TEventItem*> previous);
    void RestoreEvents(std::vector<TEventItem*> saved);
    void EnableCommand(TLogCommand command, bool enabled);
    // Shows the filtered list and its status.
    void ShowFiltered();
    void lvLogColumnClick(int column);

    void sbtnStopProcessClick();
    void cbLogsChange(int index);
    void lvLogSelectItem(int row);
    void CloseDescriptionClick();
    void FormActivate();

    TLogWindowHost* host_;

    // Declared before the model, which points into them and goes first.
    TNTEventLog reader_;
    TLogImageList images_;
    std::vector<TEventItem*> events_;
    std::vector<TEventItem*> undoEvents_;
    std::unique_ptr<TEventListModel> model_;

    bool isFile_ = false;
    QString computerName_;
    QString logName_;
    int totalCount_ = 0;
    std::array<bool, kSortKeyCount> sortDirection_ = DefaultSortDirections;
    TNameList sources_;
    TNameList categories_;
    bool findDone_ = false;
    TEventFilter findFilter_;
    CriteriaFlags findFlags_;
    std::unique_ptr<TEventIdSet> findIds_; // made by the first Find
    int findPosition_ = 0;
    int sortImageColumn_ = -1;
    int reportCursor_ = 0;
    int quickColumn_ = -1; // none
    QString quickValue_;
    int quickType_ = 0;
    std::unique_ptr<TfrmFilterDesign> ownFilterForm_; // when the application has none
    bool canUndoLast_ = false;
    bool canUndoAll_ = false;

    // Loop control.
    bool stopRequested_ = false;
    bool filtering_ = false;
    bool loading_ = false;
    int loopDepth_ = 0;
    bool asking_ = false;        // the close question is up
    bool skipQuestion_ = false;  // CloseWithoutQuestion
    bool closed_ = false;        // the close went through
    bool disposePending_ = false;
    int paneHeight_ = 125;       // the description pane's height while hidden

    QWidget* toolBar_ = nullptr;
    QComboBox* cbLogs_ = nullptr;
    QToolButton* stopButton_ = nullptr;
    QLabel* logSizePanel_ = nullptr;
    QLabel* loadingLabel_ = nullptr;
    QProgressBar* progressBar_ = nullptr;
    QTableView* lvLog_ = nullptr;
    QSplitter* splitter_ = nullptr;
    QWidget* pnlEventText_ = nullptr;
    TXPSystemButton* closeDescrButton_ = nullptr;
    QPlainTextEdit* meEventText_ = nullptr;
    QMenu* pmLog_ = nullptr;
    QAction* pmitFilterBy_ = nullptr;
};
