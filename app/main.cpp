#include "main.h"

#include "Application.h"
#include "ComputerList.h"
#include "HelpContext.h"
#include "RadioMenuMarks.h"
#include "SystemFonts.h"
#include "UserPrompts.h"
#include "common.h"
#include "dwy_reg.h"
#include "about.h"
#include "logprop.h"
#include "logview.h"
#include "sel_comp.h"

#include "ThemeManager/ThemeMgr.h"

#include "ntlib/AdvApi32.h"

#include "platform/Kernel32.h"
#include "platform/MessageBoxTypes.h"
#include "platform/WindowBounds.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>

namespace {

constexpr int kDesignedWidth = 780;
constexpr int kDesignedHeight = 540;
constexpr int kToolBarHeight = 30;
constexpr int kToolButtonSize = 24;
constexpr int kStripHeight = 2;
constexpr int kTreePanelWidth = 172;
constexpr int kTreePanelMinimum = 100;
constexpr int kSplitterWidth = 3;
constexpr int kTreeIndent = 19;
constexpr int kStatusPanelWidth = 200;
constexpr char kLocalMark[] = "(Local)";
constexpr char kReady[] = "Ready";

// The local computer's name as the platform gives it in a buffer of 16
// characters; empty when it cannot.
QString QueryLocalComputerName()
{
    char buffer[16] = {};
    DWORD size = sizeof buffer;
    if (!GetComputerNameA(buffer, &size))
        return {};
    return QString::fromUtf8(buffer, static_cast<qsizetype>(std::min<DWORD>(size, sizeof buffer - 1)));
}

// The part of a hint before "|" (the tool tip), and the part after it (the
// status bar's text); a hint without "|" is both.
QString ShortHint(const QString& hint)
{
    const qsizetype bar = hint.indexOf(u'|');
    return bar < 0 ? hint : hint.left(bar);
}

QString LongHint(const QString& hint)
{
    const qsizetype bar = hint.indexOf(u'|');
    return bar < 0 ? hint : hint.mid(bar + 1);
}

void SetHint(QAction* action, const QString& hint)
{
    action->setToolTip(ShortHint(hint));
    action->setStatusTip(LongHint(hint));
}

// The file name at the end of a path, whichever separator it uses.
QString FileNameOfPath(const QString& path)
{
    const qsizetype cut = std::max({path.lastIndexOf(u'\\'), path.lastIndexOf(u'/'), path.lastIndexOf(u':')});
    return path.mid(cut + 1);
}

// A window's caption as a menu item shows it: no ampersand becomes an
// accelerator.
QString MenuText(const QString& caption)
{
    QString text = caption;
    return text.replace(u'&', QStringLiteral("&&"));
}

std::string Std(const QString& text)
{
    return text.toStdString();
}

} // namespace

TfrmQORVMain::TfrmQORVMain(QWidget* parent)
    : QMainWindow(parent)
{
    localName_ = QueryLocalComputerName();
    CreateReportComponents();
    FixReportCharset();

    // The main window's reader as its layout gives it: inactive, on "Security".
    reader_.BeginLoading();
    reader_.SetSourceName("Security");
    reader_.SetActive(false);
    reader_.Loaded();

    // The visual styles for the standard controls of every window.
    themeManager1_ = new TThemeManager(this);
    themeManager1_->SetOptions({toAllowNonClientArea, toAllowControls, toAllowWebContent, toSubclassButtons,
                                toSubclassCheckListbox, toSubclassDBLookup, toSubclassFrame, toSubclassGroupBox,
                                toSubclassListView, toSubclassTabSheet, toSubclassSpeedButtons, toSubclassSplitter,
                                toSubclassStatusBar, toSubclassTrackBar, toSubclassWinControl, toResetMouseCapture,
                                toSetTransparency});

    setWindowTitle(Caption());
    SetHelpContext(this, kHelpContext);
    setFont(WindowFont(QStringLiteral("Tahoma")));

    BuildActions();
    BuildMenus();
    BuildToolBar();
    BuildClient();
    BuildPopupMenu();
    InstallHelp();
    BindHandlers();

    // The bar's one panel: as the last panel of a status bar it reaches the
    // bar's right edge, so a hint has the whole width; the designed width is
    // its least.  A long hint never widens the window.
    statusPanel_ = new QLabel(QString::fromLatin1(kReady));
    statusPanel_->setMinimumWidth(kStatusPanelWidth);
    statusPanel_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    statusBar()->addWidget(statusPanel_, 1);

    // The designed size, then the whole screen but a strip for the task bar:
    // the window's frame, title bar included, from the screen's top-left.
    resize(kDesignedWidth, kDesignedHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect all = screen->geometry();
        platform::SetWindowBounds(*this, QRect(all.left(), all.top(), all.width(), all.height() - 40));
    }

    // The states at start: the log commands wait for a log window.
    for (QAction* a : {actOpenLog_, actOpenLogFile_, actAddComputer_, mmitQuit_, mmitHelp_, mmitFeedback_, mmitAbout_})
        SetCommandEnabled(a, true);
    for (QAction* a : LogWindowCommands(true))
        SetCommandEnabled(a, false);
    SetCommandEnabled(actRemoveComputer_, false);
    pmComputersPopup();
    themeManager1_->Loaded();
}

TfrmQORVMain::~TfrmQORVMain()
{
    UninstallHelp();
    CloseAllLogWindows();
    try {
        SaveComputerList();
    } catch (const std::exception& e) {
        ShowException(nullptr, e.what());
    }
}

QString TfrmQORVMain::Caption() const
{
    return QString::fromLatin1(kApplicationTitle);
}

// ---------------------------------------------------------------------------
// Layout

void TfrmQORVMain::BuildActions()
{
    auto make = [this](const char* caption, const char* hint, QKeySequence shortcut = {}) {
        auto* action = new QAction(QString::fromLatin1(caption), this);
        SetHint(action, QString::fromLatin1(hint));
        if (!shortcut.isEmpty())
            action->setShortcut(shortcut);
        return action;
    };
    actOpenLog_ = make("Open Log...", "Open Event Log|Opens event log", QKeySequence(Qt::CTRL | Qt::Key_O));
    actOpenLogFile_ = make("Open Log File...", "Open Event Log File|Opens event log from a file");
    actSaveLogAs_ = make("Save Log As...", "Save Event Log to File|Saves the active event log to a file",
                         QKeySequence(Qt::CTRL | Qt::Key_S));
    actClearLog_ = make("Clear Log", "Clear Log|Removes all events from the active event log");
    actLogProperties_ = make("Log Properties...", "Log Properties|Displays event log properites dialog");
    actPrintPreview_ =
        make("Print Preview...", "Print Preview|Shows the active even log as it would be printed");
    actPrint_ = make("Print...", "Print|Prints the active event log", QKeySequence(Qt::CTRL | Qt::Key_P));
    actAddComputer_ = make("Add...", "Add Computer|Adds a new computer to the computer tree");
    actRemoveComputer_ = make("Remove", "Remove Computer|Removes the selected computer from the computer tree");
    actFilter_ = make("Filter...", "Filter|Filters events in the active event log window by a certain criteria");
    actUndoLastFilter_ = make("Undo Last Filter", "Undo Last Filter|Cancels the last filter of the active event log");
    actUndoAllFilters_ = make("Undo All Filters", "Undo All Filters|Cancels all filters of the active event log");
    actRefresh_ = make("Refresh", "Refresh|Rereads all events in the active event log window", QKeySequence(Qt::Key_F5));
    actFind_ = make("Find...", "Find|Searches for an event in the active event log that meets a specific criteria",
                    QKeySequence(Qt::CTRL | Qt::Key_F));
    actFindNext_ =
        make("Find Next", "Find Next|Searchs for the next event in the active event log that meets the specific criteria",
             QKeySequence(Qt::Key_F3));
}

void TfrmQORVMain::BuildMenus()
{
    auto item = [](QMenu* menu, const char* caption, const char* hint, QKeySequence shortcut = {}) {
        QAction* action = menu->addAction(QString::fromLatin1(caption));
        SetHint(action, QString::fromLatin1(hint));
        if (!shortcut.isEmpty())
            action->setShortcut(shortcut);
        return action;
    };
    // An item of its own that carries out an action and follows its state.
    auto mirror = [&item](QMenu* menu, QAction* source, const char* caption, const char* hint,
                                QKeySequence shortcut = {}) {
        QAction* action = item(menu, caption, hint, shortcut);
        action->setEnabled(source->isEnabled());
        QObject::connect(action, &QAction::triggered, source, &QAction::trigger);
        QObject::connect(source, &QAction::changed, action,
                         [action, source] { action->setEnabled(source->isEnabled()); });
        return action;
    };

    mmFile_ = menuBar()->addMenu(QStringLiteral("&File"));
    mmFile_->addAction(actOpenLog_);
    mmFile_->addAction(actOpenLogFile_);
    mmFile_->addSeparator();
    mmFile_->addAction(actSaveLogAs_);
    mmFile_->addAction(actClearLog_);
    mmFile_->addSeparator();
    mmFile_->addAction(actLogProperties_);
    mmFile_->addSeparator();
    mmitClose_ = item(mmFile_, "Close", "Close|Closes active event log window");
    mmitCloseAll_ = item(mmFile_, "Close All", "Close All|Closes all event log windows");
    mmFile_->addSeparator();
    mmExport_ = mmFile_->addMenu(QStringLiteral("Export"));
    mmitExport_ = mmExport_->menuAction();
    SetHint(mmitExport_, QStringLiteral("Export|Exports event log"));
    mmitExportToText_ = item(mmExport_, "To Text...", "Export to text|Exports event log to a text file");
    mmitExportToHTML_ = item(mmExport_, "To HTML...", "Export to text|Exports event log to an HTML file");
    mmFile_->addSeparator();
    mmFile_->addAction(actPrintPreview_);
    mmFile_->addAction(actPrint_);
    mmFile_->addSeparator();
    mmitQuit_ = item(mmFile_, "Quit", "Quit|Exits Quellvane");

    mmComputer_ = menuBar()->addMenu(QStringLiteral("&Computer"));
    mmComputer_->addAction(actAddComputer_);
    mmComputer_->addAction(actRemoveComputer_);

    mmView_ = menuBar()->addMenu(QStringLiteral("&View"));
    mmitShowGridLines_ = item(mmView_, "Show Grid Lines",
                              "Show Grid|Shows or hides grid lines in the active event log window");
    mmitShowDescriptions_ = item(mmView_, "Show Event Descriptions",
                                 "Show Descriptions|Shows or hides event descriptions in the active event log window");
    for (QAction* a : {mmitShowGridLines_, mmitShowDescriptions_}) {
        a->setCheckable(true);
        a->setChecked(true);
    }
    mmView_->addSeparator();
    mmitNewestFirst_ = item(mmView_, "Newest First",
                            "Newest First|Sorts the active event log from the newest events to the oldest");
    mmitOldestFirst_ = item(mmView_, "Oldest First",
                            "Oldest First|Sorts the active event log from the oldest events to the newest");
    // A radio pair that may have neither ticked: a column sort unticks both.
    auto* sortOrder = new QActionGroup(this);
    sortOrder->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (QAction* a : {mmitNewestFirst_, mmitOldestFirst_}) {
        a->setCheckable(true);
        sortOrder->addAction(a);
    }
    ShowRadioMarks(mmView_);
    mmView_->addSeparator();
    mmitFilter_ = mirror(mmView_, actFilter_, "Fi&lter",
                         "Filter|Filters events in the active event log window by a certain criteria",
                         QKeySequence(Qt::CTRL | Qt::Key_L));
    mmView_->addAction(actUndoLastFilter_);
    mmView_->addAction(actUndoAllFilters_);
    mmView_->addSeparator();
    mmView_->addAction(actFind_);
    mmitFindNext_ = mirror(mmView_, actFindNext_, "Find Next",
                           "Find Next|Searches for the next event in the active event log that meets the specific criteria",
                           QKeySequence(Qt::Key_F3));
    mmView_->addSeparator();
    mmView_->addAction(actRefresh_);

    mmWindow_ = menuBar()->addMenu(QStringLiteral("&Window"));
    mmitCascade_ = item(mmWindow_, "&Cascade", "Cascade|Arranges windows");
    mmitTileVertically_ =
        item(mmWindow_, "Tile &Vertically", "Tile Vertically|Arranges windows as non-overlaping vertical tiles");
    mmitTileHorizontally_ =
        item(mmWindow_, "Tile &Horizontally", "Tile Horizontally|Arranges windows as non-overlaping horizontal tiles");
    mmitNext_ = item(mmWindow_, "&Next", "Next|Switches to the next window");
    mmWindow_->addSeparator();

    mmHelp_ = menuBar()->addMenu(QStringLiteral("&Help"));
    mmitHelp_ = item(mmHelp_, "Help", "Help|Displays Quellvane Help", QKeySequence(Qt::Key_F1));
    mmHelp_->addSeparator();
    mmitFeedback_ = item(mmHelp_, "Feedback", "");
    mmHelp_->addSeparator();
    mmitAbout_ = item(mmHelp_, "About", "About|Dsiplayes About box");
}

void TfrmQORVMain::BuildToolBar()
{
    QToolBar* bar = addToolBar(QStringLiteral("ToolBar"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setFixedHeight(kToolBarHeight);
    bar->setIconSize(QSize(TMainImages::kSize, TMainImages::kSize));
    bar->toggleViewAction()->setVisible(false);
    setContextMenuPolicy(Qt::NoContextMenu);

    const std::pair<QAction*, TToolGlyph> buttons[] = {
        {actAddComputer_, TToolGlyph::AddComputer},   {actRemoveComputer_, TToolGlyph::RemoveComputer},
        {actOpenLog_, TToolGlyph::OpenLog},           {actOpenLogFile_, TToolGlyph::OpenLogFile},
        {actSaveLogAs_, TToolGlyph::SaveLogAs},       {actFilter_, TToolGlyph::Filter},
        {actUndoLastFilter_, TToolGlyph::UndoLastFilter}, {actUndoAllFilters_, TToolGlyph::UndoAllFilters},
        {actRefresh_, TToolGlyph::Refresh},           {actFind_, TToolGlyph::Find},
        {actPrintPreview_, TToolGlyph::PrintPreview}, {actPrint_, TToolGlyph::Print},
    };
    for (const auto& [action, glyph] : buttons) {
        action->setIcon(images_.Glyph(glyph));
        auto* button = new QToolButton(bar);
        button->setDefaultAction(action);
        button->setAutoRaise(true);
        button->setFixedSize(kToolButtonSize, kToolButtonSize);
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        bar->addWidget(button);
        toolButtons_.push_back(button);
    }
}

void TfrmQORVMain::BuildClient()
{
    auto* client = new QWidget(this);
    auto* column = new QVBoxLayout(client);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto* strip = new QWidget(client);
    strip->setFixedHeight(kStripHeight);
    column->addWidget(strip);

    splitter_ = new QSplitter(Qt::Horizontal, client);
    splitter_->setHandleWidth(kSplitterWidth);
    splitter_->setChildrenCollapsible(false);

    auto* panel = new QWidget(splitter_);
    panel->setMinimumWidth(kTreePanelMinimum);
    auto* panelLayout = new QVBoxLayout(panel);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    tvComputers_ = new QTreeWidget(panel);
    tvComputers_->installEventFilter(this); // the popup menu's shortcuts
    tvComputers_->setHeaderHidden(true);
    tvComputers_->setColumnCount(1);
    tvComputers_->setIndentation(kTreeIndent);
    tvComputers_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tvComputers_->setSelectionMode(QAbstractItemView::SingleSelection);
    tvComputers_->setSelectionBehavior(QAbstractItemView::SelectRows);
    tvComputers_->setIconSize(QSize(TMainImages::kSize, TMainImages::kSize));
    tvComputers_->setContextMenuPolicy(Qt::CustomContextMenu);
    // The selection stays as visible when the tree loses the focus.
    QPalette palette = tvComputers_->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight, palette.color(QPalette::Active, QPalette::Highlight));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     palette.color(QPalette::Active, QPalette::HighlightedText));
    tvComputers_->setPalette(palette);
    panelLayout->addWidget(tvComputers_);

    mdiArea_ = new QMdiArea(splitter_);
    // The frame knows the active window only once the activation is done.
    connect(mdiArea_, &QMdiArea::subWindowActivated, this, [this] { SyncWithActiveLogWindow(); });
    mdiArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdiArea_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    splitter_->addWidget(panel);
    splitter_->addWidget(mdiArea_);
    splitter_->setStretchFactor(0, 0);
    splitter_->setStretchFactor(1, 1);
    splitter_->setSizes({kTreePanelWidth, kDesignedWidth - kTreePanelWidth - kSplitterWidth});
    column->addWidget(splitter_, 1);
    setCentralWidget(client);

    connect(tvComputers_, &QTreeWidget::itemExpanded, this,
            [this](QTreeWidgetItem* node) { tvComputersExpanding(node); });
    connect(tvComputers_, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* node, int) { tvComputersDblClick(node); });
    connect(tvComputers_, &QTreeWidget::itemSelectionChanged, this, [this] { UpdateRemoveComputer(); });
    connect(tvComputers_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (QTreeWidgetItem* node = tvComputers_->itemAt(at))
            tvComputers_->setCurrentItem(node);
        pmComputersPopup();
        pmComputers_->popup(tvComputers_->viewport()->mapToGlobal(at));
    });
}

void TfrmQORVMain::BuildPopupMenu()
{
    pmComputers_ = new QMenu(this);
    // A popup menu is a window of its own: its hints are passed on here.
    pmComputers_->installEventFilter(this);
    auto item = [this](const char* caption, const char* hint, QKeySequence shortcut = {}) {
        QAction* action = pmComputers_->addAction(QString::fromLatin1(caption));
        SetHint(action, QString::fromLatin1(hint));
        if (!shortcut.isEmpty())
            action->setShortcut(shortcut);
        return action;
    };
    auto mirror = [&item](QAction* source, const char* caption) {
        QAction* action = item(caption, "");
        action->setToolTip(source->toolTip());
        action->setStatusTip(source->statusTip());
        action->setEnabled(source->isEnabled());
        QObject::connect(action, &QAction::triggered, source, &QAction::trigger);
        QObject::connect(source, &QAction::changed, action,
                         [action, source] { action->setEnabled(source->isEnabled()); });
        return action;
    };
    pmitOpen_ = item("Open", "Open|Expands computers tree node or opens the selected event log");
    pmComputers_->setDefaultAction(pmitOpen_);
    pmitOpenInNewWindow_ = item("Open in new window", "Open in new window|opens the selected event log in new window");
    pmComputers_->addSeparator();
    pmitAddComputer_ = mirror(actAddComputer_, "Add Computer...");
    pmitRemoveComputer_ = mirror(actRemoveComputer_, "Remove Computer");
    pmComputers_->addSeparator();
    pmitSaveLogAs_ = item("Save Log As...", "Save Event Log to File", QKeySequence(Qt::CTRL | Qt::Key_S));
    pmitClearLog_ = item("Clear Log", "Clear Log|Removes all events from the selected event log");
    pmComputers_->addSeparator();
    pmitLogProperties_ = item("Log Properties...", "Log Properties");
}

void TfrmQORVMain::BindHandlers()
{
    Bind(actOpenLog_, [this] { actOpenLogExecute(); });
    Bind(actLogProperties_, [this] { actLogPropertiesExecute(); });
    Bind(pmitLogProperties_, [this] { pmitLogPropertiesClick(); });
    Bind(actAddComputer_, [this] { actAddComputerExecute(); });
    Bind(actRemoveComputer_, [this] { actRemoveComputerExecute(); });
    Bind(pmitOpen_, [this] { pmitOpenClick(); });
    Bind(pmitOpenInNewWindow_, [this] { pmitOpenInNewWindowClick(); });
    Bind(mmitClose_, [this] { mmitCloseClick(); });
    Bind(mmitCloseAll_, [this] { mmitCloseAllClick(); });
    Bind(mmitQuit_, [this] { mmitQuitClick(); });
    Bind(mmitCascade_, [this] { mmitCascadeClick(); });
    Bind(mmitTileVertically_, [this] { mmitTileClick(Qt::Vertical); });
    Bind(mmitTileHorizontally_, [this] { mmitTileClick(Qt::Horizontal); });
    Bind(mmitNext_, [this] { mmitNextClick(); });
    BindLogCommands();
    BindViewCommands();
    BindPrintCommands();
    BindHelpCommands();
}

// ---------------------------------------------------------------------------
// Commands

void TfrmQORVMain::Bind(QAction* command, std::function<void()> handler)
{
    handled_.insert(command);
    connect(command, &QAction::triggered, this, [this, handler = std::move(handler)] { Guarded(handler); });
}

bool TfrmQORVMain::HasHandler(const QAction* command) const
{
    if (handled_.contains(command))
        return true;
    if (const QMenu* submenu = command->menu<QMenu*>()) {
        const QList<QAction*> items = submenu->actions();
        return std::any_of(items.begin(), items.end(), [this](const QAction* a) { return HasHandler(a); });
    }
    return false;
}

void TfrmQORVMain::SetCommandEnabled(QAction* command, bool enabled)
{
    command->setEnabled(enabled && HasHandler(command));
}

void TfrmQORVMain::Guarded(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const std::exception& e) {
        ShowException(this, e.what());
    } catch (...) {
        ShowException(this, "Unknown error");
    }
}

std::vector<QAction*> TfrmQORVMain::LogWindowCommands(bool closing) const
{
    std::vector<QAction*> commands{actSaveLogAs_,        actClearLog_,          actLogProperties_,
                                   actPrintPreview_,     actPrint_,             actRefresh_,
                                   actFind_,             actFilter_,            mmitClose_,
                                   mmitCloseAll_,        mmitExport_,           mmitShowGridLines_,
                                   mmitShowDescriptions_, mmitNewestFirst_,     mmitOldestFirst_,
                                   mmitCascade_,         mmitNext_,             mmitTileVertically_,
                                   mmitTileHorizontally_};
    if (closing)
        commands.insert(commands.end(), {actFindNext_, actUndoLastFilter_, actUndoAllFilters_});
    return commands;
}

QAction* TfrmQORVMain::LogCommand(TLogCommand command)
{
    switch (command) {
    case TLogCommand::Filter:
        return actFilter_;
    case TLogCommand::UndoLastFilter:
        return actUndoLastFilter_;
    case TLogCommand::UndoAllFilters:
        return actUndoAllFilters_;
    case TLogCommand::Find:
        return actFind_;
    case TLogCommand::FindNext:
        return actFindNext_;
    case TLogCommand::Refresh:
        return actRefresh_;
    }
    return nullptr;
}

// ---------------------------------------------------------------------------
// Showing, hints, closing

void TfrmQORVMain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
}

void TfrmQORVMain::FormShow()
{
    Guarded([this] {
        AddComputerNode(localName_);
        LoadComputerList();
    });
    // The tool bar shows glyphs only; the popup's action items have their
    // own captions already.
    for (QToolButton* button : toolButtons_)
        button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    ShowHint({});
}

bool TfrmQORVMain::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == tvComputers_ && (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress))
        return TreeShortcut(static_cast<QKeyEvent*>(event));
    if (watched == pmComputers_ && event->type() == QEvent::StatusTip) {
        ShowHint(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

bool TfrmQORVMain::event(QEvent* event)
{
    if (event->type() == QEvent::StatusTip) {
        ShowHint(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

void TfrmQORVMain::ShowHint(const QString& hint)
{
    statusPanel_->setText(hint.isEmpty() ? QString::fromLatin1(kReady) : hint);
}

void TfrmQORVMain::closeEvent(QCloseEvent* event)
{
    if (askingQuit_) {
        event->ignore(); // the question is up already
        return;
    }
    int dontAsk = 0;
    try {
        dontAsk = RegReadFlag(kConfirmationsKey, kConfirmQuit, 0);
    } catch (const std::exception&) {
        // Reads give their default.
    }
    bool ticked = false;
    if (dontAsk == 0) {
        askingQuit_ = true;
        const int answer = UserPrompts().MessageBoxWithCheck(QStringLiteral("Do you really want to quit?"), Caption(),
                                                             MB_YESNO | MB_ICONQUESTION, ticked,
                                                             QString::fromLatin1(kDontAskMeAgain));
        askingQuit_ = false;
        if (answer != IDYES) {
            event->ignore();
            return;
        }
    }
    CloseAllLogWindows();
    // The check box is kept only when the question was asked.
    if (dontAsk == 0)
        Guarded([ticked] { RegWriteFlag(kConfirmationsKey, kConfirmQuit, ticked ? 1 : 0); });
    QMainWindow::closeEvent(event);
    event->accept();
}

void TfrmQORVMain::mmitQuitClick()
{
    try {
        close();
    } catch (...) {
        // Quitting goes on whatever failed on the way.
    }
}

// ---------------------------------------------------------------------------
// The computers tree

QString TfrmQORVMain::ComputerNameOfNode(const QString& text)
{
    QString name = text;
    name.remove(QString::fromLatin1(kLocalMark), Qt::CaseInsensitive);
    return name.trimmed();
}

QTreeWidgetItem* TfrmQORVMain::ComputerInTree(const QString& text) const
{
    for (int i = 0; i < tvComputers_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* node = tvComputers_->topLevelItem(i);
        if (node->text(0).compare(text, Qt::CaseInsensitive) == 0)
            return node;
    }
    return nullptr;
}

bool TfrmQORVMain::AddComputerNode(const QString& name)
{
    QString text = name;
    if (name.compare(localName_, Qt::CaseInsensitive) == 0)
        text += QStringLiteral(" ") + QString::fromLatin1(kLocalMark);
    if (ComputerInTree(text))
        return false;
    auto* node = new QTreeWidgetItem(tvComputers_, QStringList{text});
    node->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    SetNodeImage(node, tiComputer);
    return true;
}

void TfrmQORVMain::LoadComputerList()
{
    tvComputers_->clear();
    AddComputerNode(localName_);
    for (const std::string& name : ReadComputerList())
        AddComputerNode(QString::fromStdString(name));
    UpdateRemoveComputer();
}

void TfrmQORVMain::SaveComputerList()
{
    std::vector<std::string> names;
    for (int i = 0; i < tvComputers_->topLevelItemCount(); ++i)
        names.push_back(Std(ComputerNameOfNode(tvComputers_->topLevelItem(i)->text(0))));
    WriteComputerList(names);
}

void TfrmQORVMain::SetNodeImage(QTreeWidgetItem* node, int image) const
{
    node->setData(0, ImageIndexRole, image);
    node->setIcon(0, images_.TreeImage(image));
}

void TfrmQORVMain::SetNodeState(QTreeWidgetItem* node, int state)
{
    node->setData(0, StateIndexRole, state);
}

QTreeWidgetItem* TfrmQORVMain::SelectedNode() const
{
    const QList<QTreeWidgetItem*> selected = tvComputers_->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

TSelectCompForm& TfrmQORVMain::SelectCompForm()
{
    return ApplicationForm(ownSelectCompForm_);
}

void TfrmQORVMain::actAddComputerExecute()
{
    QString name;
    if (!SelectCompForm().Execute(name))
        return;
    if (name.isEmpty())
        name = localName_;
    if (AddComputerNode(name))
        SaveComputerList();
}

void TfrmQORVMain::actRemoveComputerExecute()
{
    QTreeWidgetItem* node = SelectedNode();
    if (!node || node->parent())
        return;
    const QString localText = localName_ + QStringLiteral(" ") + QString::fromLatin1(kLocalMark);
    if (node->text(0).compare(localText, Qt::CaseInsensitive) == 0)
        return;
    const QPersistentModelIndex index(tvComputers_->indexFromItem(node));
    const int answer = UserPrompts().MessageBox(
        this, QStringLiteral("Remove computer \"") + node->text(0) + QStringLiteral("\" from the list?"), Caption(),
        MB_YESNO | MB_ICONQUESTION);
    if (answer != IDYES || !index.isValid())
        return;
    delete tvComputers_->itemFromIndex(index);
    SaveComputerList();
    UpdateRemoveComputer();
}

void TfrmQORVMain::UpdateRemoveComputer()
{
    const QTreeWidgetItem* node = SelectedNode();
    SetCommandEnabled(actRemoveComputer_, node && !node->parent());
}

void TfrmQORVMain::tvComputersExpanding(QTreeWidgetItem* node)
{
    if (!node || node->parent())
        return;
    if (expanding_) {
        // One expansion at a time: this one is refused.
        tvComputers_->collapseItem(node);
        return;
    }
    expanding_ = true;
    const QPersistentModelIndex index(tvComputers_->indexFromItem(node));
    qDeleteAll(node->takeChildren());
    QCoreApplication::processEvents();
    node = index.isValid() ? tvComputers_->itemFromIndex(index) : nullptr;
    if (!node) {
        expanding_ = false;
        return;
    }

    const QString name = ComputerNameOfNode(node->text(0));
    try {
        reader_.SetActive(false);
        reader_.SetMachineName(name != localName_ ? Std(name) : std::string());
        reader_.SetActive(true);
        if (reader_.Active()) {
            SetNodeState(node, 0);
            std::vector<std::string> logs;
            reader_.GetLogNames(logs);
            for (const std::string& log : logs) {
                auto* child = new QTreeWidgetItem(node, QStringList{QString::fromStdString(log)});
                SetNodeImage(child, tiLog);
            }
            reader_.SetActive(false);
        } else {
            SetNodeState(node, 1);
            tvComputers_->collapseItem(node);
        }
    } catch (const std::exception& e) {
        SetNodeState(node, 1);
        SetNodeImage(node, tiFailedComputer);
        try {
            reader_.SetActive(false);
        } catch (const std::exception&) {
            // The first failure is the one reported.
        }
        tvComputers_->collapseItem(node);
        expanding_ = false;
        ShowException(this, e.what());
        return;
    }
    expanding_ = false;
}

void TfrmQORVMain::tvComputersDblClick(QTreeWidgetItem* node)
{
    if (!node || !node->parent())
        return;
    Guarded([&] { OpenLog(ComputerNameOfNode(node->parent()->text(0)), node->text(0), olmReuse); });
}

void TfrmQORVMain::pmComputersPopup()
{
    const QTreeWidgetItem* node = SelectedNode();
    const bool log = node && node->parent();
    SetCommandEnabled(pmitOpen_, node != nullptr);
    for (QAction* a : {pmitOpenInNewWindow_, pmitSaveLogAs_, pmitClearLog_, pmitLogProperties_})
        SetCommandEnabled(a, log);
    SetCommandEnabled(actRemoveComputer_, node && !node->parent());
}

// A focused control's popup-menu shortcuts come before the main menu's:
// while the tree has the focus, a key of an enabled item of its popup menu
// (Ctrl+S of Save Log As) is that item's, not the main window's command.
bool TfrmQORVMain::TreeShortcut(QKeyEvent* key)
{
    const QKeySequence pressed(key->keyCombination());
    for (QAction* item : pmComputers_->actions()) {
        if (item->isSeparator() || item->shortcut().isEmpty() || item->shortcut() != pressed)
            continue;
        pmComputersPopup(); // the items' states for the current selection
        if (!item->isEnabled())
            return false; // the main window's command takes the key
        if (key->type() == QEvent::ShortcutOverride) {
            key->accept(); // the key comes to the tree as a key press
        } else {
            item->trigger();
        }
        return true;
    }
    return false;
}

void TfrmQORVMain::pmitOpenClick()
{
    QTreeWidgetItem* node = SelectedNode();
    if (!node)
        return;
    if (node->parent())
        OpenLog(ComputerNameOfNode(node->parent()->text(0)), node->text(0), olmReuse);
    else
        tvComputers_->expandItem(node);
}

void TfrmQORVMain::pmitOpenInNewWindowClick()
{
    QTreeWidgetItem* node = SelectedNode();
    if (node && node->parent())
        OpenLog(ComputerNameOfNode(node->parent()->text(0)), node->text(0), olmNewWindow);
}

// ---------------------------------------------------------------------------
// Opening logs

std::vector<TfrmLogView*> TfrmQORVMain::LogWindows() const
{
    return logWindows_;
}

TfrmLogView* TfrmQORVMain::ActiveLogWindow() const
{
    auto* window = qobject_cast<TfrmLogView*>(mdiArea_->currentSubWindow());
    if (!window || std::find(logWindows_.begin(), logWindows_.end(), window) == logWindows_.end())
        return nullptr;
    return window;
}

TfrmLogView* TfrmQORVMain::WholeLogWindow() const
{
    // A window that is loading or filtering lets messages through meanwhile:
    // its list is not whole yet (a load's rows are not even shown).
    TfrmLogView* window = ActiveLogWindow();
    return window != nullptr && !window->IsBusy() ? window : nullptr;
}

TfrmLogView* TfrmQORVMain::FindLogWindow(const QString& computer, const QString& log) const
{
    // From the bottom of the frame's window order up.
    for (QMdiSubWindow* sub : mdiArea_->subWindowList(QMdiArea::StackingOrder)) {
        auto* window = qobject_cast<TfrmLogView*>(sub);
        if (!window || std::find(logWindows_.begin(), logWindows_.end(), window) == logWindows_.end())
            continue;
        if (window->ComputerName() == computer && window->LogName() == log)
            return window;
    }
    return nullptr;
}

void TfrmQORVMain::BringToFront(TfrmLogView* window)
{
    mdiArea_->setActiveSubWindow(window);
    window->raise();
}

void TfrmQORVMain::OpenLog(const QString& computer, const QString& log, TOpenLogMode mode)
{
    QString name = computer;
    name.remove(u'\\');
    TfrmLogView* found = FindLogWindow(name, log);
    bool create = !found || mode == olmNewWindow;
    if (found && mode == olmAsk) {
        const QPointer<TfrmLogView> guard(found);
        const int answer = UserPrompts().MessageBox(
            this,
            QStringLiteral("Log window for %1 on %2 already exists!\rCreate a new window?\r"
                           "To create a new window, click Yes,\rto switch to existing log window, click No")
                .arg(log, name),
            Caption(), MB_YESNO | MB_ICONQUESTION);
        create = answer == IDYES;
        found = guard.data();
        if (!create && (!found || found->IsClosed()))
            return; // the window went while the question was up
    }
    if (!create) {
        BringToFront(found);
        return;
    }
    const std::string server = Std(name);
    const std::string source = Std(log);
    if (HANDLE handle = OpenEventLogA(server.c_str(), source.c_str())) {
        CloseEventLog(handle);
        CreateLogWindow(name, log);
    } else {
        UserPrompts().MessageBox(this,
                                 QStringLiteral("Event log ") + log + QStringLiteral(" on ") + name +
                                     QStringLiteral(" is not accessible!"),
                                 Caption(), MB_OK | MB_ICONERROR);
    }
}

TfrmLogView* TfrmQORVMain::CreateLogWindow(const QString& computer, const QString& log)
{
    auto* window = new TfrmLogView(this);
    const QPointer<TfrmLogView> alive(window);
    mdiArea_->addSubWindow(window);
    TNTEventLog& reader = window->NTEventLog();
    const bool isFile = computer == QString::fromLatin1(kFileComputer);
    QString logName = log;
    QString caption;
    try {
        if (!isFile) {
            window->SetIsFile(false);
            window->SetComputerName(computer);
            reader.SetMachineName(computer != localName_ ? Std(computer) : std::string());
            reader.SetActive(true);
            std::vector<std::string> names;
            reader.GetLogNames(names);
            QComboBox* logs = window->cbLogs();
            logs->clear();
            for (const std::string& n : names)
                logs->addItem(QString::fromStdString(n));
            const int listed = logs->findText(log, Qt::MatchExactly | Qt::MatchCaseSensitive);
            logs->setCurrentIndex(listed >= 0 ? listed : 0);
            reader.SetActive(false);
            // A computer that lists no logs keeps the name asked for.
            if (logs->count() > 0)
                logName = logs->currentText();
            window->SetLogName(logName);
            reader.SetSourceName(Std(logName));
            caption = logName + QStringLiteral(" on ") + (computer.isEmpty() ? localName_ : computer);
        } else {
            window->SetIsFile(true);
            window->SetComputerName(QString::fromLatin1(kFileComputer));
            window->SetLogName(log);
            reader.SetMachineName({});
            reader.SetBackupFileName(Std(log));
            caption = QStringLiteral("File: ") + FileNameOfPath(log);
            window->cbLogs()->setEnabled(false);
        }
    } catch (const std::exception& e) {
        // The window never became one of the frame's: it goes again.
        try {
            reader.SetActive(false);
        } catch (const std::exception&) {
            // The first failure is the one reported.
        }
        window->CloseWithoutQuestion();
        ShowException(this, e.what());
        return nullptr;
    }

    window->setWindowTitle(caption);
    for (WindowEntry& entry : windowEntries_)
        entry.item->setChecked(false);
    QAction* item = mmWindow_->addAction(MenuText(caption));
    item->setCheckable(true);
    item->setChecked(true);
    connect(item, &QAction::triggered, this, [this, item] { WindowMenuItemClick(item); });
    windowEntries_.push_back({item, window});
    logWindows_.push_back(window);

    // The commands are there before the load, which may end with the
    // window closed (and them disabled again).
    for (QAction* a : LogWindowCommands(false))
        SetCommandEnabled(a, true);
    window->show();
    mdiArea_->setActiveSubWindow(window);
    // The new window has the keyboard focus: when the main window gets the
    // focus back from the dialog of the command (the open dialog of Open
    // Log File), it gives it to this window, which so stays the active one.
    window->lvLog()->setFocus();

    window->LoadEvents(isFile ? log : logName);
    return alive.data();
}

// ---------------------------------------------------------------------------
// The log windows' host

std::vector<QAction*> TfrmQORVMain::WindowMenuEntries() const
{
    std::vector<QAction*> items;
    for (const WindowEntry& entry : windowEntries_)
        items.push_back(entry.item);
    return items;
}

TfrmLogView* TfrmQORVMain::WindowOfEntry(const QAction* item) const
{
    for (const WindowEntry& entry : windowEntries_)
        if (entry.item == item)
            return entry.window;
    return nullptr;
}

void TfrmQORVMain::WindowMenuItemClick(QAction* item)
{
    if (TfrmLogView* window = WindowOfEntry(item))
        BringToFront(window);
    SyncWithActiveLogWindow();
}

void TfrmQORVMain::LogWindowClosed(TfrmLogView* window)
{
    for (auto entry = windowEntries_.begin(); entry != windowEntries_.end();) {
        if (entry->window == window) {
            delete entry->item;
            entry = windowEntries_.erase(entry);
        } else {
            ++entry;
        }
    }
    const auto known = std::find(logWindows_.begin(), logWindows_.end(), window);
    if (known == logWindows_.end())
        return; // a window that never was one of the frame's
    logWindows_.erase(known);
    if (logWindows_.empty())
        for (QAction* a : LogWindowCommands(true))
            SetCommandEnabled(a, false);
}

void TfrmQORVMain::SyncWithActiveLogWindow()
{
    TfrmLogView* window = ActiveLogWindow();
    if (!window)
        return;
    mmitNewestFirst_->setChecked(window->SortDirection(kRecordNumberSortKey));
    mmitOldestFirst_->setChecked(!mmitNewestFirst_->isChecked());
    mmitShowGridLines_->setChecked(window->lvLog()->showGrid());
    mmitShowDescriptions_->setChecked(window->DescriptionVisible());
    SetCommandEnabled(actUndoLastFilter_, window->CanUndoLast());
    SetCommandEnabled(actUndoAllFilters_, window->CanUndoAll());
    SetCommandEnabled(actFindNext_, window->FindDone());
    for (WindowEntry& entry : windowEntries_)
        entry.item->setChecked(entry.window == window);
}

void TfrmQORVMain::SetWindowMenuCaption(TfrmLogView* window, const QString& caption)
{
    for (WindowEntry& entry : windowEntries_)
        if (entry.window == window)
            entry.item->setText(MenuText(caption));
}

void TfrmQORVMain::CheckSortOrderItems(bool newestFirst, bool oldestFirst)
{
    mmitNewestFirst_->setChecked(newestFirst);
    mmitOldestFirst_->setChecked(oldestFirst);
}

// ---------------------------------------------------------------------------
// Closing and arranging log windows

void TfrmQORVMain::CloseAllLogWindows()
{
    const std::vector<TfrmLogView*> windows = logWindows_;
    for (auto window = windows.rbegin(); window != windows.rend(); ++window)
        (*window)->CloseWithoutQuestion();
}

void TfrmQORVMain::mmitCloseClick()
{
    if (TfrmLogView* window = ActiveLogWindow())
        window->close();
}

void TfrmQORVMain::mmitCloseAllClick()
{
    if (logWindows_.empty())
        return;
    int dontAsk = 0;
    try {
        dontAsk = RegReadFlag(kConfirmationsKey, kConfirmCloseAll, 0);
    } catch (const std::exception&) {
        // Reads give their default.
    }
    if (dontAsk != 0) {
        CloseAllLogWindows();
        return;
    }
    bool ticked = false;
    const int answer = UserPrompts().MessageBoxWithCheck(
        QStringLiteral("Do you really want to close all event log windows?"), Caption(), MB_YESNO | MB_ICONQUESTION,
        ticked, QString::fromLatin1(kDontAskMeAgain));
    if (answer != IDYES)
        return;
    CloseAllLogWindows();
    RegWriteFlag(kConfirmationsKey, kConfirmCloseAll, ticked ? 1 : 0);
}

void TfrmQORVMain::mmitCascadeClick()
{
    mdiArea_->cascadeSubWindows();
}

void TfrmQORVMain::mmitTileClick(Qt::Orientation orientation)
{
    std::vector<QMdiSubWindow*> windows;
    for (QMdiSubWindow* sub : mdiArea_->subWindowList(QMdiArea::CreationOrder))
        if (sub->isVisible() && !sub->isMinimized())
            windows.push_back(sub);
    if (windows.empty())
        return;
    // Vertical tiles stand side by side; horizontal ones lie one above the
    // other.
    const QRect area = mdiArea_->viewport()->rect();
    const int n = static_cast<int>(windows.size());
    for (int i = 0; i < n; ++i) {
        QMdiSubWindow* sub = windows[static_cast<std::size_t>(i)];
        if (sub->isMaximized())
            sub->showNormal();
        QRect tile;
        if (orientation == Qt::Vertical) {
            const int left = area.width() * i / n;
            tile = QRect(left, 0, area.width() * (i + 1) / n - left, area.height());
        } else {
            const int top = area.height() * i / n;
            tile = QRect(0, top, area.width(), area.height() * (i + 1) / n - top);
        }
        sub->setGeometry(tile);
    }
}

void TfrmQORVMain::mmitNextClick()
{
    mdiArea_->activateNextSubWindow();
}
