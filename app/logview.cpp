#include "logview.h"

#include "Application.h"
#include "DescriptionMemo.h"
#include "EventItemDelegate.h"
#include "HelpContext.h"
#include "LogWindowHost.h"
#include "SystemFonts.h"
#include "UserPrompts.h"
#include "common.h"
#include "dwy_reg.h"
#include "filt_frm.h"

#include "ThemeManager/XPSystemButton.h"

#include "platform/MessageBoxTypes.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QSplitter>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <array>
#include <cstdint>
#include <exception>
#include <string>
#include <unordered_set>

namespace {

constexpr int kToolBarHeight = 30;
constexpr int kSplitterHeight = 3;
constexpr int kListMinimumHeight = 60;
constexpr int kMemoMinimumHeight = 50;
constexpr int kTitleHeight = 16;
// Loading lets window messages through once every this many events.
constexpr int kLoadPumpInterval = 1000;

// The texts met so far in a load, by address.
class TSeenTexts {
public:
    bool FirstTime(const TEventText& text)
    {
        const std::string* at = &text.str();
        // A small table of the texts met lately answers most events.
        const std::string*& recent = recent_[(reinterpret_cast<std::uintptr_t>(at) >> 4) % recent_.size()];
        if (at == recent)
            return false;
        recent = at;
        return seen_.insert(at).second;
    }

private:
    std::array<const std::string*, 64> recent_{};
    std::unordered_set<const std::string*> seen_;
};

} // namespace

QStringList DescriptionLines(const std::string& text)
{
    QStringList lines;
    const QString all = QString::fromStdString(text);
    qsizetype start = 0;
    const qsizetype n = all.size();
    while (start <= n) {
        qsizetype end = start;
        while (end < n && all[end] != u'\r' && all[end] != u'\n')
            ++end;
        if (end > start)
            lines.append(all.mid(start, end - start));
        if (end >= n)
            break;
        // CR LF is one line break.
        start = (all[end] == u'\r' && end + 1 < n && all[end + 1] == u'\n') ? end + 2 : end + 1;
    }
    return lines;
}

int TfrmLogView::WidestTimeWidth() const
{
    // A twelve-hour clock's long form ("10:48:48 PM" of en_US) is wider
    // than the designed Time column in Tahoma 8; the column grows to show
    // the locale's widest time whole, with the cell's padding and the grid
    // line.
    const QFontMetricsF metrics(font()); // the list's, inherited from the window
    qreal widest = 0;
    for (const int seconds : {0, 10 * 3600 + 48 * 60 + 48, 12 * 3600, 22 * 3600 + 48 * 60 + 48}) {
        const TDateTime t = 45000 + seconds / 86400.0;
        widest = std::max(widest, metrics.horizontalAdvance(model_->Formatter().DateTimeText(t, lcTime)));
    }
    return static_cast<int>(std::ceil(widest)) + 2 * TEventItemDelegate::kMargin + 1;
}

TfrmLogView::TfrmLogView(TLogWindowHost* host, QWidget* parent)
    : QMdiSubWindow(parent)
    , host_(host)
    , model_(std::make_unique<TEventListModel>(events_, images_))
{
    // The reader as a window's layout gives it: inactive, on "Security".
    reader_.BeginLoading();
    reader_.SetSourceName("Security");
    reader_.SetActive(false);
    reader_.Loaded();

    setWindowTitle(QStringLiteral("frmLogView"));
    SetHelpContext(this, kHelpContext);
    setFont(WindowFont(QStringLiteral("Tahoma")));
    setMinimumWidth(150);
    BuildLayout();
    BuildPopupMenu();
    resize(541, 365);

    connect(this, &QMdiSubWindow::windowStateChanged, this,
            [this](Qt::WindowStates before, Qt::WindowStates now) {
                if (!(before & Qt::WindowActive) && (now & Qt::WindowActive))
                    FormActivate();
            });
}

TfrmLogView::~TfrmLogView()
{
    // The view lets go of the model before the lists and the reader go.
    lvLog_->setModel(nullptr);
}

void TfrmLogView::BuildLayout()
{
    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    // Tool bar: log chooser, status with the progress of a load, Stop.
    toolBar_ = new QWidget(content);
    toolBar_->setFixedHeight(kToolBarHeight);
    auto* bevelRow = new QVBoxLayout(toolBar_);
    bevelRow->setContentsMargins(0, 0, 0, 0);
    auto* bevel1 = new QFrame(toolBar_);
    bevel1->setFrameShape(QFrame::HLine);
    bevel1->setFrameShadow(QFrame::Sunken);
    bevelRow->addWidget(bevel1);
    bevelRow->addStretch();

    cbLogs_ = new QComboBox(toolBar_);
    cbLogs_->setEditable(false);
    cbLogs_->setGeometry(1, 4, 160, 22);
    connect(cbLogs_, &QComboBox::activated, this, &TfrmLogView::cbLogsChange);

    logSizePanel_ = new QLabel(toolBar_);
    logSizePanel_->setGeometry(164, 4, 216, 24);
    logSizePanel_->setAlignment(Qt::AlignCenter);

    loadingLabel_ = new QLabel(QStringLiteral("Loading events..."), logSizePanel_);
    loadingLabel_->setGeometry(18, 0, 180, 12);
    loadingLabel_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    loadingLabel_->setFont(WindowFont(QStringLiteral("Tahoma"), 9));
    loadingLabel_->hide();

    progressBar_ = new QProgressBar(logSizePanel_);
    progressBar_->setGeometry(18, 12, 180, 10);
    progressBar_->setRange(0, 100);
    progressBar_->setTextVisible(false);
    progressBar_->hide();

    stopButton_ = new QToolButton(toolBar_);
    stopButton_->setText(QStringLiteral("Stop"));
    stopButton_->setAutoRaise(true);
    stopButton_->setGeometry(384, 4, 60, 22);
    stopButton_->hide();
    connect(stopButton_, &QToolButton::clicked, this, &TfrmLogView::sbtnStopProcessClick);

    column->addWidget(toolBar_);

    // The event list and, below the splitter, the description pane.
    splitter_ = new QSplitter(Qt::Vertical, content);
    splitter_->setHandleWidth(kSplitterHeight);
    splitter_->setChildrenCollapsible(false);

    lvLog_ = new QTableView(splitter_);
    lvLog_->setModel(model_.get());
    lvLog_->setShowGrid(true);
    lvLog_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvLog_->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvLog_->setSelectionMode(QAbstractItemView::SingleSelection);
    lvLog_->setWordWrap(false);
    lvLog_->setTabKeyNavigation(false);
    lvLog_->setIconSize(QSize(TLogImageList::kSize, TLogImageList::kSize));
    lvLog_->setItemDelegate(new TEventItemDelegate(lvLog_));
    lvLog_->setMinimumHeight(kListMinimumHeight);
    lvLog_->verticalHeader()->hide();
    lvLog_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    lvLog_->verticalHeader()->setDefaultSectionSize(std::max(TLogImageList::kSize, fontMetrics().height()) + 3);
    lvLog_->horizontalHeader()->setHighlightSections(false);
    lvLog_->horizontalHeader()->setSortIndicatorShown(true);
    lvLog_->horizontalHeader()->setSectionsClickable(true);
    for (int c = 0; c < kLogColumnCount; ++c)
        lvLog_->setColumnWidth(c, LogColumnWidth(static_cast<TLogColumn>(c)));
    lvLog_->setColumnWidth(lcTime, std::max(LogColumnWidth(lcTime), WidestTimeWidth()));
    ResetSortImages();
    lvLog_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(lvLog_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (!pmLog_)
            return;
        pmLogPopup(at);
        pmLog_->popup(lvLog_->viewport()->mapToGlobal(at));
    });
    connect(lvLog_->horizontalHeader(), &QHeaderView::sectionClicked, this, &TfrmLogView::lvLogColumnClick);
    connect(lvLog_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected, const QItemSelection&) {
                const QModelIndexList rows = selected.indexes();
                if (!rows.isEmpty())
                    lvLogSelectItem(rows.first().row());
            });

    pnlEventText_ = new QWidget(splitter_);
    auto* pane = new QVBoxLayout(pnlEventText_);
    pane->setContentsMargins(0, 0, 0, 0);
    pane->setSpacing(0);

    auto* title = new QWidget(pnlEventText_);
    title->setFixedHeight(kTitleHeight);
    auto* titleColumn = new QVBoxLayout(title);
    titleColumn->setContentsMargins(0, 0, 0, 0);
    titleColumn->setSpacing(0);
    auto* bvlDescr = new QFrame(title);
    bvlDescr->setFrameShape(QFrame::HLine);
    bvlDescr->setFrameShadow(QFrame::Raised);
    bvlDescr->setLineWidth(1);
    titleColumn->addWidget(bvlDescr);
    auto* titleRow = new QHBoxLayout;
    titleRow->setContentsMargins(0, 0, 2, 0);
    titleRow->setSpacing(0);
    auto* caption = new QLabel(QStringLiteral("  Event Description"), title);
    caption->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    titleRow->addWidget(caption, 1);
    // The pane's close button: a caption button in the visual style, else
    // a plain speed button whose caption "r" is the close cross of the
    // Marlett font; without that font the style's own close glyph stands in.
    closeDescrButton_ = new TXPSystemButton(title);
    closeDescrButton_->SetXPButtonType(xpMDIClose);
    closeDescrButton_->setAutoRaise(true);
    closeDescrButton_->setFixedSize(14, 14);
    QFont marlett(QStringLiteral("Marlett"), 7);
    if (QFontInfo(marlett).family() == marlett.family()) {
        closeDescrButton_->setFont(marlett);
        closeDescrButton_->setText(QStringLiteral("r"));
    } else {
        closeDescrButton_->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
        closeDescrButton_->setIconSize(QSize(10, 10));
    }
    connect(closeDescrButton_, &QToolButton::clicked, this, &TfrmLogView::CloseDescriptionClick);
    titleRow->addWidget(closeDescrButton_, 0, Qt::AlignRight | Qt::AlignVCenter);
    titleColumn->addLayout(titleRow, 1);
    pane->addWidget(title);

    meEventText_ = new TDescriptionMemo(pnlEventText_);
    meEventText_->setReadOnly(true);
    meEventText_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    meEventText_->setMinimumHeight(kMemoMinimumHeight);
    pane->addWidget(meEventText_, 1);

    splitter_->addWidget(lvLog_);
    splitter_->addWidget(pnlEventText_);
    splitter_->setStretchFactor(0, 1);
    splitter_->setStretchFactor(1, 0);
    splitter_->setSizes({365, paneHeight_});
    column->addWidget(splitter_, 1);

    setWidget(content);
}

void TfrmLogView::BuildPopupMenu()
{
    pmLog_ = new QMenu(this);
    pmitFilterBy_ = pmLog_->addAction(QStringLiteral("Quick filter by: <no filter>"));
    connect(pmitFilterBy_, &QAction::triggered, this, &TfrmLogView::pmitFilterByClick);
    auto addCommand = [this](TLogCommand command) {
        if (!host_)
            return;
        if (QAction* action = host_->LogCommand(command))
            pmLog_->addAction(action);
    };
    addCommand(TLogCommand::Filter);
    addCommand(TLogCommand::UndoLastFilter);
    addCommand(TLogCommand::UndoAllFilters);
    pmLog_->addSeparator();
    addCommand(TLogCommand::Find);
    pmLog_->addSeparator();
    addCommand(TLogCommand::Refresh);
}

TfrmFilterDesign& TfrmLogView::FilterForm()
{
    return ApplicationForm(ownFilterForm_);
}

void TfrmLogView::EnableCommand(TLogCommand command, bool enabled)
{
    if (host_)
        if (QAction* action = host_->LogCommand(command))
            action->setEnabled(enabled);
}

int TfrmLogView::SelectedIndex() const
{
    const QModelIndexList rows = lvLog_->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : model_->IndexOfRow(rows.first().row());
}

void TfrmLogView::SelectIndex(int index)
{
    const int row = model_->RowOfIndex(index);
    if (row < 0)
        return;
    const QModelIndex cell = model_->index(row, 0);
    lvLog_->selectionModel()->setCurrentIndex(cell, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    lvLog_->scrollTo(cell, QAbstractItemView::EnsureVisible);
}

void TfrmLogView::ShowProgress(const QString& label, int maximum)
{
    logSizePanel_->setText({});
    progressBar_->setRange(0, std::max(maximum, 1));
    progressBar_->setValue(0);
    progressBar_->show();
    loadingLabel_->setText(label);
    loadingLabel_->show();
}

void TfrmLogView::HideProgress()
{
    progressBar_->hide();
    loadingLabel_->hide();
}

bool TfrmLogView::DescriptionVisible() const
{
    return !pnlEventText_->isHidden();
}

QString TfrmLogView::StatusText() const
{
    return logSizePanel_->text();
}

void TfrmLogView::LoadEvents(const QString& name)
{
    if (IsBusy() || closed_)
        return;
    const QPointer<TfrmLogView> alive(this);
    ++loopDepth_;

    filtering_ = false;
    model_->SetCount(0);
    events_.clear();
    undoEvents_.clear();
    categories_.Clear();
    sources_.Clear();
    categories_.Add({});
    sources_.Add({});

    stopRequested_ = false;
    stopButton_->show();
    ShowProgress(QStringLiteral("Loading events..."), 100);
    cbLogs_->setEnabled(false); // before the pump: no other log may start loading
    QCoreApplication::processEvents();
    if (!alive)
        return;

    bool failed = false;
    if (!closed_) {
        try {
            reader_.SetActive(false);
            if (!isFile_)
                reader_.SetSourceName(name.toStdString());
            loading_ = true;
            reader_.SetActive(true);

            const int n = reader_.GetEventCount();
            progressBar_->setMaximum(std::max(n, 1));
            totalCount_ = n;
            events_.reserve(static_cast<std::size_t>(std::max(n, 0)));
            // The events of a reader share their texts: each distinct text
            // goes into the name lists once.
            TSeenTexts seenCategories;
            TSeenTexts seenSources;
            for (int i = 0; i < n; ++i) {
                if (TEventItem* item = reader_.GetEvent(i)) {
                    events_.push_back(item);
                    if (seenCategories.FirstTime(item->CategoryName))
                        categories_.Add(TrimText(item->CategoryName));
                    if (seenSources.FirstTime(item->Source))
                        sources_.Add(item->Source);
                }
                if (i % kLoadPumpInterval == 0) {
                    // The bar repaints itself when its shown value changes.
                    progressBar_->setValue(i);
                    QCoreApplication::processEvents();
                    if (!alive)
                        return; // freed from outside: touch nothing
                }
                if (!loading_ || stopRequested_)
                    break;
            }
        } catch (const std::exception&) {
            failed = true;
        } catch (...) {
            failed = true;
        }
    }

    model_->SetCount(static_cast<int>(events_.size()));
    logSizePanel_->setText(QString::asprintf("Showing %d event(s)", model_->Count()));
    HideProgress();
    stopButton_->hide();
    loading_ = false;
    if (!isFile_)
        cbLogs_->setEnabled(true);
    sortDirection_[kRecordNumberSortKey] = true;
    findDone_ = false;
    canUndoLast_ = false;
    canUndoAll_ = false;
    if (host_)
        host_->CheckSortOrderItems(true, false);
    for (TLogCommand command : {TLogCommand::FindNext, TLogCommand::UndoLastFilter, TLogCommand::UndoAllFilters})
        EnableCommand(command, false);
    // The main window's commands and checks are those of its active window:
    // a load of another one (Clear Log reloads every window of its log, and
    // the user may change windows while a load runs) leaves them.
    if (host_)
        host_->SyncWithActiveLogWindow();
    ResetSortImages();
    --loopDepth_;

    if (disposePending_) {
        DisposeWhenIdle();
        return;
    }
    ShowSelectedDescription();
    if (failed)
        UserPrompts().MessageBox(this, QStringLiteral("Event log \"") + name + QStringLiteral("\" could not be read!"),
                                 QStringLiteral("Reading event log"), MB_OK | MB_ICONERROR);
}

void TfrmLogView::ChangeLog(const QString& name)
{
    if (IsBusy() || closed_)
        return;
    const QPointer<TfrmLogView> alive(this);
    LoadEvents(name);
    if (!alive || closed_)
        return;
    if (reader_.Active()) {
        logName_ = QString::fromStdString(reader_.SourceName());
        const QString caption = logName_ + QStringLiteral(" on ") + computerName_;
        setWindowTitle(caption);
        if (host_)
            host_->SetWindowMenuCaption(this, caption);
    }
}

void TfrmLogView::StopAndDetach()
{
    filtering_ = false;
    loading_ = false;
    if (TLogWindowHost* host = host_) {
        host_ = nullptr;
        host->LogWindowClosed(this);
    }
}

void TfrmLogView::CloseWithoutQuestion()
{
    skipQuestion_ = true;
    close();
}

void TfrmLogView::ShowDescription(bool visible)
{
    if (visible) {
        if (!pnlEventText_->isHidden())
            return;
        const int client = widget() ? widget()->height() : height();
        const int d = client - (kToolBarHeight + paneHeight_ + kSplitterHeight + kListMinimumHeight);
        if (d < 0)
            resize(width(), height() - d);
        pnlEventText_->show();
        const QList<int> sizes = splitter_->sizes();
        const int total = sizes.value(0) + sizes.value(1);
        splitter_->setSizes({std::max(kListMinimumHeight, total - paneHeight_), paneHeight_});
    } else {
        if (pnlEventText_->isHidden())
            return;
        paneHeight_ = pnlEventText_->height() > 0 ? pnlEventText_->height() : paneHeight_;
        pnlEventText_->hide();
    }
}

void TfrmLogView::closeEvent(QCloseEvent* event)
{
    if (closed_) {
        event->accept();
        return;
    }
    if (asking_ || !FormCloseQuery()) {
        event->ignore();
        return;
    }
    StopAndDetach();
    closed_ = true;
    QMdiSubWindow::closeEvent(event);
    event->accept();
    DisposeWhenIdle();
}

bool TfrmLogView::FormCloseQuery()
{
    if (skipQuestion_)
        return true;
    try {
        if (RegReadFlag(kConfirmationsKey, kConfirmCloseWindow, 0) != 0)
            return true;
    } catch (const std::exception&) {
        // Reads give their default; nothing to report.
    }
    const QPointer<TfrmLogView> alive(this);
    bool ticked = false;
    asking_ = true;
    const int answer = UserPrompts().MessageBoxWithCheck(
        QStringLiteral("Do you really want to close this event log view window?"), windowTitle(),
        MB_YESNO | MB_ICONQUESTION, ticked, QString::fromLatin1(kDontAskMeAgain));
    if (!alive)
        return false;
    asking_ = false;
    if (answer != IDYES)
        return false;
    try {
        RegWriteFlag(kConfirmationsKey, kConfirmCloseWindow, ticked ? 1 : 0);
    } catch (const std::exception& e) {
        // The answer stands; the failure to keep it is shown.
        ShowException(this, e.what());
        if (!alive)
            return false;
    }
    return true;
}

void TfrmLogView::DisposeWhenIdle()
{
    if (IsBusy()) {
        disposePending_ = true; // the loop frees the window when it ends
        return;
    }
    disposePending_ = false;
    FormHide();
    deleteLater();
}

void TfrmLogView::FormHide()
{
    model_->SetCount(0);
    events_.clear();
    events_.shrink_to_fit();
    undoEvents_.clear();
    undoEvents_.shrink_to_fit();
    try {
        reader_.SetActive(false);
    } catch (const std::exception&) {
        // A log that cannot be closed is let go with the reader.
    }
    meEventText_->clear();
    sources_.Clear();
    categories_.Clear();
}

void TfrmLogView::sbtnStopProcessClick()
{
    stopRequested_ = true;
}

void TfrmLogView::cbLogsChange(int /*index*/)
{
    ChangeLog(cbLogs_->currentText());
}

void TfrmLogView::lvLogSelectItem(int row)
{
    if (IsBusy())
        return; // a running loop owns the reader's read position
    TEventItem* e = model_->EventAt(row);
    if (!e)
        return;
    try {
        const std::string text = reader_.GetDescription(e->Index);
        meEventText_->setPlainText(DescriptionLines(text).join(u'\n'));
    } catch (const std::exception& ex) {
        ShowException(this, ex.what());
    }
}

void TfrmLogView::ShowSelectedDescription()
{
    const QModelIndexList selected = lvLog_->selectionModel()->selectedRows();
    if (selected.isEmpty() || !model_->EventAt(selected.first().row())) {
        meEventText_->clear();
        return;
    }
    lvLogSelectItem(selected.first().row());
}

void TfrmLogView::CloseDescriptionClick()
{
    ShowDescription(false);
    if (host_)
        host_->SyncWithActiveLogWindow();
}

void TfrmLogView::FormActivate()
{
    if (host_)
        host_->SyncWithActiveLogWindow();
}
