#pragma once
// The main window: a multiple-document frame with the tree of computers on
// the left, one log window per opened event log in the client area, the
// menus, the tool bar and the status bar.
//
// The tree holds the computers (level 0) and, once a computer has been
// expanded, its logs (level 1).  The user's list of computers lives in the
// current user's registry (ComputerList.h).  Log windows are made with new
// and free themselves once closed; the main window closes them and never
// deletes one.

#include "Application.h"
#include "LogWindowHost.h"
#include "MainImages.h"
#include "ReportBridge.h"

#include "ntlib/EventLog.h"
#include "ntlib/NTNetBrowser.h"

#include <QMainWindow>
#include <QSet>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QAction;
class QKeyEvent;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QSplitter;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class TAboutForm;
class TfrmCompBrowse;
class TfrmLogProperties;
class TfrmLogView;
class TSelectCompForm;
class TThemeManager;

namespace report {
class TrpReport;
class TrpUserDataset;
} // namespace report

// How OpenLog treats a log that has a window already.
enum TOpenLogMode : int {
    olmNewWindow = 0, // open another window
    olmReuse = 1,     // bring that window to the front
    olmAsk = 2,       // ask which of the two
};

class TfrmQORVMain : public QMainWindow, public TLogWindowHost {
    Q_OBJECT

public:
    static constexpr int kHelpContext = 100;
    // The tree node's image index (TTreeImage) and state index.
    static constexpr int ImageIndexRole = Qt::UserRole + 1;
    static constexpr int StateIndexRole = Qt::UserRole + 2;
    // The computer name a log window shows for a backup file.
    static constexpr char kFileComputer[] = "$FILE";

    explicit TfrmQORVMain(QWidget* parent = nullptr);
    ~TfrmQORVMain() override;

    // The designed caption, "Quellvane": the caption of the questions.
    QString Caption() const;
    // The local computer's name, read once at creation (empty when the
    // platform could not give it).
    const QString& LocalName() const { return localName_; }

    // --- the computers tree
    // Adds a computer at the end of the tree unless one with that text is
    // there (any case); the local name gets " (Local)".  True when added.
    bool AddComputerNode(const QString& name);
    // The level-0 node with this text (any case), or null.
    QTreeWidgetItem* ComputerInTree(const QString& text) const;
    // The tree made anew: the local computer, then the user's list.
    void LoadComputerList();
    // Rewrites the user's list from the tree; raises on a registry failure.
    void SaveComputerList();
    // A node's text without "(Local)" (any case), trimmed.
    static QString ComputerNameOfNode(const QString& text);

    // --- logs
    void OpenLog(const QString& computer, const QString& log, TOpenLogMode mode);
    // A log window for a live log of a computer, or for the backup file
    // `log` when computer is "$FILE"; loads it.  Null when it could not be
    // made (the error has then been shown).
    TfrmLogView* CreateLogWindow(const QString& computer, const QString& log);
    // Every log window closes without its own question.
    void CloseAllLogWindows();
    // The open log windows, in the order they were made.
    std::vector<TfrmLogView*> LogWindows() const;
    TfrmLogView* ActiveLogWindow() const;
    // The active log window, unless a loop of it runs (loading or
    // filtering: its list is then not whole); the exports, the preview and
    // printing act on nothing without one.
    TfrmLogView* WholeLogWindow() const;

    // --- the log windows' host
    void LogWindowClosed(TfrmLogView* window) override;
    void SyncWithActiveLogWindow() override;
    void SetWindowMenuCaption(TfrmLogView* window, const QString& caption) override;
    void CheckSortOrderItems(bool newestFirst, bool oldestFirst) override;
    QAction* LogCommand(TLogCommand command) override;

    // Brings the window of a Window-menu entry to the front.
    void WindowMenuItemClick(QAction* item);

    // --- components
    TNTEventLog& NTEventLog() { return reader_; }
    TThemeManager* ThemeManager1() const { return themeManager1_; }
    QTreeWidget* tvComputers() const { return tvComputers_; }
    QMdiArea* MdiArea() const { return mdiArea_; }
    QLabel* StatusPanel() const { return statusPanel_; }
    const std::vector<QToolButton*>& ToolButtons() const { return toolButtons_; }
    const TMainImages& Images() const { return images_; }
    QMenu* pmComputers() const { return pmComputers_; }
    QMenu* mmFile() const { return mmFile_; }
    QMenu* mmComputer() const { return mmComputer_; }
    QMenu* mmView() const { return mmView_; }
    QMenu* mmWindow() const { return mmWindow_; }
    QMenu* mmHelp() const { return mmHelp_; }
    // The Window menu's log entries, in order.
    std::vector<QAction*> WindowMenuEntries() const;
    // The window of a Window-menu entry (its tag), or null.
    TfrmLogView* WindowOfEntry(const QAction* item) const;

    QAction* actOpenLog() const { return actOpenLog_; }
    QAction* actOpenLogFile() const { return actOpenLogFile_; }
    QAction* actSaveLogAs() const { return actSaveLogAs_; }
    QAction* actClearLog() const { return actClearLog_; }
    QAction* actLogProperties() const { return actLogProperties_; }
    QAction* actPrintPreview() const { return actPrintPreview_; }
    QAction* actPrint() const { return actPrint_; }
    QAction* actAddComputer() const { return actAddComputer_; }
    QAction* actRemoveComputer() const { return actRemoveComputer_; }
    QAction* actFilter() const { return actFilter_; }
    QAction* actUndoLastFilter() const { return actUndoLastFilter_; }
    QAction* actUndoAllFilters() const { return actUndoAllFilters_; }
    QAction* actRefresh() const { return actRefresh_; }
    QAction* actFind() const { return actFind_; }
    QAction* actFindNext() const { return actFindNext_; }

    QAction* mmitClose() const { return mmitClose_; }
    QAction* mmitCloseAll() const { return mmitCloseAll_; }
    QAction* mmitExport() const { return mmitExport_; }
    QAction* mmitExportToText() const { return mmitExportToText_; }
    QAction* mmitExportToHTML() const { return mmitExportToHTML_; }
    QAction* mmitQuit() const { return mmitQuit_; }
    QAction* mmitShowGridLines() const { return mmitShowGridLines_; }
    QAction* mmitShowDescriptions() const { return mmitShowDescriptions_; }
    QAction* mmitNewestFirst() const { return mmitNewestFirst_; }
    QAction* mmitOldestFirst() const { return mmitOldestFirst_; }
    QAction* mmitFilter() const { return mmitFilter_; }
    QAction* mmitFindNext() const { return mmitFindNext_; }
    QAction* mmitCascade() const { return mmitCascade_; }
    QAction* mmitTileVertically() const { return mmitTileVertically_; }
    QAction* mmitTileHorizontally() const { return mmitTileHorizontally_; }
    QAction* mmitNext() const { return mmitNext_; }
    QAction* mmitHelp() const { return mmitHelp_; }
    QAction* mmitFeedback() const { return mmitFeedback_; }
    QAction* mmitAbout() const { return mmitAbout_; }

    QAction* pmitOpen() const { return pmitOpen_; }
    QAction* pmitOpenInNewWindow() const { return pmitOpenInNewWindow_; }
    QAction* pmitAddComputer() const { return pmitAddComputer_; }
    QAction* pmitRemoveComputer() const { return pmitRemoveComputer_; }
    QAction* pmitSaveLogAs() const { return pmitSaveLogAs_; }
    QAction* pmitClearLog() const { return pmitClearLog_; }
    QAction* pmitLogProperties() const { return pmitLogProperties_; }

    // --- commands
    // Gives a command its handler; only commands with a handler are ever
    // enabled.
    void Bind(QAction* command, std::function<void()> handler);
    bool HasHandler(const QAction* command) const;
    // Enables a command when asked and when it has a handler.
    void SetCommandEnabled(QAction* command, bool enabled);
    // Sets the popup menu's items for the tree's selection, as when it opens.
    void pmComputersPopup();

    // --- log commands (MainLogCommands.cpp)
    // True for the local computer: an empty name, a name holding "(Local)"
    // (a tree node's text) or the local name in any case.
    bool IsLocalComputer(const QString& computer) const;
    // A computer name as the log commands' questions show it: the local
    // name for an empty one.
    QString ShownComputerName(const QString& computer) const;
    // Backs a log up ("$FILE": a backup file copied) into a file the user
    // chooses; true when one was written.
    bool SaveLogAs(const QString& computer, const QString& log);
    // Clears a log and reloads the windows that show it.
    void ClearLog(const QString& computer, const QString& log);
    // Clear Log for a log: refused for a backup file; otherwise asks
    // whether to save the log first, then clears it.
    void ClearLogAsked(const QString& computer, const QString& log);
    // The log properties dialog for a log; the computer as a log window or
    // a tree node names it.
    void ShowLogProperties(const QString& computer, const QString& log);
    TfrmLogProperties& LogPropertiesForm();
    // File > Open Log File: a backup file in a window of its own; a file
    // that is not there is ignored.
    void actOpenLogFileExecute();
    // Reads the active window's log again.
    void actRefreshExecute();

    // --- the report bridge and the exports (MainExport.cpp)
    // The value of a name of the report template for the event at the
    // active window's cursor; unchanged without an active window or for a
    // name that is not a column's.  "EventLogTitle" is "Event Log: " and
    // the window's caption.
    void repCommonGetValue(const std::string& name, report::Variant& value);
    // The data set's events on the active window's cursor; without an
    // active window First and Next do nothing and CheckEOF gives the end.
    void dsCommonFirst();
    void dsCommonNext();
    void dsCommonCheckEOF(bool& eof);
    // The active window's events into a file, in their list's order;
    // nothing without an active window.  Failures raise EExportError.
    void ExportToHtml(const QString& fileName, bool striped, int border);
    void ExportToText(const QString& fileName);
    // File > Export > To HTML... and To Text...: asks for the file.
    void mmitExportClick(QAction* sender);

    // --- the report (MainPrint.cpp)
    // The event list's report, with the template the window carries, and
    // the data set whose records are the active log window's events.
    report::TrpReport* repCommon() const { return repCommon_; }
    report::TrpUserDataset* dsCommon() const { return dsCommon_; }
    // The title's, the column names' and the row fields' texts take the
    // system's default character set.
    void FixReportCharset();
    // Print Preview: the active log window's events prepared and shown in
    // the report's preview; nothing without an active window.
    void actPrintPreviewExecute();
    // Print: the active log window's events prepared, then printed with the
    // choices of the print dialog; nothing without an active window.
    void actPrintExecute();

    // --- help (MainHelp.cpp)
    // The application's help handler: the topic of the help file for a
    // help context.  False when the platform has no HTML help.
    bool ApplicationHelp(int command, int context);
    // The help file: "qorv.chm" beside the program.
    const QString& HelpFile() const { return helpFile_; }
    void SetHelpFile(const QString& path) { helpFile_ = path; }
    TAboutForm& AboutForm();
    // Where Help > Feedback writes to (the item's hint).
    static constexpr char kFeedbackAddress[] = "mailto:quellvane-support@ostrivel.example";

    // --- File > Open Log (MainOpenLog.cpp)
    // The Open Log dialog, made on first use.
    TfrmCompBrowse& CompBrowseForm();
    // Where the Open Log dialog was left by its last OK, or null.
    const TNTNetResource* OpenLogLocation() const { return openLogLocation_.get(); }
    void actOpenLogExecute();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildActions();
    void BuildMenus();
    void BuildToolBar();
    void BuildClient();
    void BuildPopupMenu();
    void BindHandlers();
    // The view commands that the active log window carries out
    // (MainViewCommands.cpp).
    void BindViewCommands();
    void mmitNewestFirstClick();
    void mmitOldestFirstClick();
    void mmitShowDescriptionsClick();
    void mmitShowGridLinesClick();
    // The log commands of the menus, the tool bar and the tree's popup
    // (MainLogCommands.cpp).
    void BindLogCommands();
    // The log node selected in the tree: its computer (the parent node's
    // text) and its log; false when no log node is selected.
    bool SelectedLog(QString& computer, QString& log) const;
    void FormShow();
    // Shows the long part of a hint in the status bar, or "Ready".
    void ShowHint(const QString& hint);
    // A key that the tree's popup menu takes while the tree has the focus;
    // true when the key was the popup's.
    bool TreeShortcut(QKeyEvent* key);

    void actAddComputerExecute();
    void actRemoveComputerExecute();
    void UpdateRemoveComputer();
    void tvComputersExpanding(QTreeWidgetItem* node);
    void tvComputersDblClick(QTreeWidgetItem* node);
    void pmitOpenClick();
    void pmitOpenInNewWindowClick();
    void mmitCloseClick();
    void mmitCloseAllClick();
    void mmitQuitClick();
    void mmitCascadeClick();
    void mmitTileClick(Qt::Orientation orientation);
    void mmitNextClick();

    // Runs a handler; an exception is shown as the application shows every
    // failure of an event handler.
    void Guarded(const std::function<void()>& handler);
    // The commands that the first log window enables and the last one
    // disables.
    std::vector<QAction*> LogWindowCommands(bool closing) const;
    // Nodes: image and state.
    void SetNodeImage(QTreeWidgetItem* node, int image) const;
    static void SetNodeState(QTreeWidgetItem* node, int state);
    // The level-0 node of the tree's selection, or the selected log's
    // computer; null without a selection.
    QTreeWidgetItem* SelectedNode() const;
    TfrmLogView* FindLogWindow(const QString& computer, const QString& log) const;
    void BringToFront(TfrmLogView* window);
    TSelectCompForm& SelectCompForm();
    // Loads the platform's HTML help and becomes the application's help
    // handler; the opposite on the way out.
    void InstallHelp();
    void UninstallHelp();
    // The report and its data set, as the window's layout makes them.
    void CreateReportComponents();
    void BindPrintCommands();
    void BindHelpCommands();
    void mmitFeedbackClick();
    void mmitAboutClick();
    void actLogPropertiesExecute();
    void pmitLogPropertiesClick();

    QString localName_;
    TNTEventLog reader_;
    TEventReportValues reportValues_;
    TMainImages images_;
    QSet<const QAction*> handled_;
    std::vector<TfrmLogView*> logWindows_;
    struct WindowEntry {
        QAction* item;
        TfrmLogView* window;
    };
    std::vector<WindowEntry> windowEntries_;
    std::unique_ptr<TSelectCompForm> ownSelectCompForm_; // when the application has none
    std::unique_ptr<TfrmLogProperties> ownLogPropertiesForm_;
    std::unique_ptr<TAboutForm> ownAboutForm_;
    struct TModuleRelease {
        void operator()(HMODULE module) const;
    };
    std::unique_ptr<HINSTANCE__, TModuleRelease> helpModule_;
    using THtmlHelp = HWND (*)(HWND caller, LPCSTR file, UINT command, DWORD_PTR data);
    THtmlHelp htmlHelp_ = nullptr;
    QString helpFile_;
    TfrmCompBrowse* compBrowse_ = nullptr;               // a child of the window, made on first use
    std::unique_ptr<TNTNetResource> openLogLocation_;
    bool shown_ = false;
    bool expanding_ = false;
    bool askingQuit_ = false;

    TThemeManager* themeManager1_ = nullptr;
    report::TrpReport* repCommon_ = nullptr;
    report::TrpUserDataset* dsCommon_ = nullptr;
    QTreeWidget* tvComputers_ = nullptr;
    QMdiArea* mdiArea_ = nullptr;
    QSplitter* splitter_ = nullptr;
    QLabel* statusPanel_ = nullptr;
    std::vector<QToolButton*> toolButtons_;
    QMenu* pmComputers_ = nullptr;
    QMenu* mmFile_ = nullptr;
    QMenu* mmComputer_ = nullptr;
    QMenu* mmView_ = nullptr;
    QMenu* mmWindow_ = nullptr;
    QMenu* mmHelp_ = nullptr;
    QMenu* mmExport_ = nullptr;

    QAction* actOpenLog_ = nullptr;
    QAction* actOpenLogFile_ = nullptr;
    QAction* actSaveLogAs_ = nullptr;
    QAction* actClearLog_ = nullptr;
    QAction* actLogProperties_ = nullptr;
    QAction* actPrintPreview_ = nullptr;
    QAction* actPrint_ = nullptr;
    QAction* actAddComputer_ = nullptr;
    QAction* actRemoveComputer_ = nullptr;
    QAction* actFilter_ = nullptr;
    QAction* actUndoLastFilter_ = nullptr;
    QAction* actUndoAllFilters_ = nullptr;
    QAction* actRefresh_ = nullptr;
    QAction* actFind_ = nullptr;
    QAction* actFindNext_ = nullptr;

    QAction* mmitClose_ = nullptr;
    QAction* mmitCloseAll_ = nullptr;
    QAction* mmitExport_ = nullptr;
    QAction* mmitExportToText_ = nullptr;
    QAction* mmitExportToHTML_ = nullptr;
    QAction* mmitQuit_ = nullptr;
    QAction* mmitShowGridLines_ = nullptr;
    QAction* mmitShowDescriptions_ = nullptr;
    QAction* mmitNewestFirst_ = nullptr;
    QAction* mmitOldestFirst_ = nullptr;
    QAction* mmitFilter_ = nullptr;
    QAction* mmitFindNext_ = nullptr;
    QAction* mmitCascade_ = nullptr;
    QAction* mmitTileVertically_ = nullptr;
    QAction* mmitTileHorizontally_ = nullptr;
    QAction* mmitNext_ = nullptr;
    QAction* mmitHelp_ = nullptr;
    QAction* mmitFeedback_ = nullptr;
    QAction* mmitAbout_ = nullptr;

    QAction* pmitOpen_ = nullptr;
    QAction* pmitOpenInNewWindow_ = nullptr;
    QAction* pmitAddComputer_ = nullptr;
    QAction* pmitRemoveComputer_ = nullptr;
    QAction* pmitSaveLogAs_ = nullptr;
    QAction* pmitClearLog_ = nullptr;
    QAction* pmitLogProperties_ = nullptr;
};
