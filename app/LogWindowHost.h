#pragma once
// What a log window asks of the main window that holds it.  The main
// window implements this; a log window without a host works on its own.

class QAction;
class QString;
class TfrmLogView;

// The main window's commands that a log window shows in its popup menu or
// whose state a load resets.
enum class TLogCommand {
    Filter,
    UndoLastFilter,
    UndoAllFilters,
    Find,
    FindNext,
    Refresh,
};

class TLogWindowHost {
public:
    // The window closes: its Window menu item goes.  No call reaches the
    // host from the window after this one.
    virtual void LogWindowClosed(TfrmLogView* window) = 0;
    // The menu checks and commands follow the active log window.
    virtual void SyncWithActiveLogWindow() = 0;
    // The Window menu items of the window get a new caption.
    virtual void SetWindowMenuCaption(TfrmLogView* window, const QString& caption) = 0;
    // Ticks Newest First and Oldest First of the View menu.
    virtual void CheckSortOrderItems(bool newestFirst, bool oldestFirst) = 0;
    // The action of a command; nullptr when the host has none.
    virtual QAction* LogCommand(TLogCommand command) = 0;

protected:
    ~TLogWindowHost() = default;
};
