#include "compopen.h"

#include "HelpContext.h"
#include "SystemFonts.h"
#include "UserPrompts.h"

#include "platform/WindowBounds.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QToolButton>

#include <algorithm>
#include <exception>

namespace {

constexpr int kClientWidth = 411;
constexpr int kClientHeight = 289;
constexpr int kLookInItemHeight = 16;
constexpr int kLookInDropDownCount = 30;
constexpr int kLookInIndent = 18;
constexpr int kLookInTextOffset = 20;
// The index of a look-in item's or a list item's resource.
constexpr int ResourceRole = Qt::UserRole + 2;
constexpr DWORD kUsageContainer = 2; // RESOURCEUSAGE_CONTAINER

// The look-in chain drawn as a staircase: each item one step to the right
// of the one above it, its image first, then its text.
class TLookInDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        const QWidget* widget = option.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        // The background (and the selection) first, without text or image.
        QStyleOptionViewItem background = item;
        background.text.clear();
        background.icon = QIcon();
        style->drawPrimitive(QStyle::PE_PanelItemViewItem, &background, painter, widget);

        const int left = item.rect.left() + index.row() * kLookInIndent;
        const QSize image(TNetworkImages::kSize, TNetworkImages::kSize);
        const QRect imageRect(QPoint(left, item.rect.top() + (item.rect.height() - image.height()) / 2), image);
        item.icon.paint(painter, imageRect);

        const QFontMetrics metrics(item.font);
        QRect textRect(left + kLookInTextOffset, item.rect.top() + 1, metrics.horizontalAdvance(item.text),
                       metrics.height() + 1);
        const bool selected = (item.state & QStyle::State_Selected) != 0;
        painter->setPen(item.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        painter->setFont(item.font);
        painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter, item.text);
        if (item.state & QStyle::State_HasFocus) {
            QStyleOptionFocusRect focus;
            focus.QStyleOption::operator=(item);
            focus.rect = textRect;
            style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, widget);
        }
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(kLookInItemHeight);
        size.rwidth() += index.row() * kLookInIndent;
        return size;
    }
};

// The hourglass for the life of the object.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// A widget that does not repaint for the life of the object.
class FrozenPainting {
public:
    explicit FrozenPainting(QWidget* widget)
        : widget_(widget)
    {
        widget_->setUpdatesEnabled(false);
    }
    ~FrozenPainting() { widget_->setUpdatesEnabled(true); }
    FrozenPainting(const FrozenPainting&) = delete;
    FrozenPainting& operator=(const FrozenPainting&) = delete;

private:
    QWidget* widget_;
};

std::unique_ptr<TNTNetResource> copyOf(const TNTNetResource& resource)
{
    auto copy = std::make_unique<TNTNetResource>();
    copy->Assign(resource);
    return copy;
}

QLabel* label(const char* text, QWidget* parent, int x, int y, QWidget* buddy)
{
    auto* made = new QLabel(QString::fromLatin1(text), parent);
    made->move(x, y);
    made->setBuddy(buddy);
    return made;
}

} // namespace

TfrmCompBrowse::TfrmCompBrowse(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
    , root_(std::make_unique<TNTNetResource>())
{
    setWindowTitle(QStringLiteral("Open Log"));
    setFont(WindowFont(QStringLiteral("MS Sans Serif")));
    SetHelpContext(this, kHelpContext);
    // Centred on the screen, frame included, every time it opens.
    platform::CentreOnScreenWhenShown(*this);

    // The components as the layout gives them: the browser on the Windows
    // network, the reader inactive.
    ntrNetwork_.BeginLoading();
    ntrNetwork_.SetProviderName("Microsoft Windows Network");
    ntrNetwork_.Loaded();

    cbxTree_ = new QComboBox(this);
    cbxTree_->setGeometry(72, 8, 250, 22);
    cbxTree_->setMaxVisibleItems(kLookInDropDownCount);
    cbxTree_->setItemDelegate(new TLookInDelegate(cbxTree_));
    cbxTree_->setIconSize(QSize(TNetworkImages::kSize, TNetworkImages::kSize));
    label("Look in:", this, 8, 12, cbxTree_);

    btnBack_ = new QToolButton(this);
    btnBack_->setGeometry(328, 8, 23, 22);
    btnBack_->setAutoRaise(true);
    btnBack_->setIcon(images_.BackGlyph());
    btnBack_->setToolTip(QStringLiteral("Back"));
    btnUp_ = new QToolButton(this);
    btnUp_->setGeometry(354, 8, 23, 22);
    btnUp_->setAutoRaise(true);
    btnUp_->setIcon(images_.UpGlyph());
    btnUp_->setToolTip(QStringLiteral("Up One Level"));

    lvBrowser_ = new QListWidget(this);
    lvBrowser_->setGeometry(8, 38, 395, 170);
    lvBrowser_->setViewMode(QListView::ListMode);
    lvBrowser_->setFlow(QListView::TopToBottom);
    lvBrowser_->setWrapping(true);
    lvBrowser_->setResizeMode(QListView::Adjust);
    lvBrowser_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvBrowser_->setSelectionMode(QAbstractItemView::SingleSelection);
    lvBrowser_->setIconSize(QSize(TNetworkImages::kSize, TNetworkImages::kSize));
    lvBrowser_->installEventFilter(this);

    edComputer_ = new QLineEdit(this);
    edComputer_->setGeometry(100, 218, 222, 21);
    label("Computer name:", this, 8, 222, edComputer_);
    cbxLog_ = new QComboBox(this);
    cbxLog_->setGeometry(100, 248, 222, 21);
    label("Event log:", this, 8, 252, cbxLog_);

    btnOpen_ = new QPushButton(QStringLiteral("Open"), this);
    btnOpen_->setGeometry(328, 217, 75, 23);
    btnOpen_->setDefault(true);
    btnCancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel_->setGeometry(328, 247, 75, 23);
    btnCancel_->setAutoDefault(false);

    setFixedSize(kClientWidth, kClientHeight);

    connect(cbxTree_, &QComboBox::activated, this, [this](int index) { Guarded([&] { cbxTreeSelect(index); }); });
    connect(btnBack_, &QToolButton::clicked, this, [this] { Guarded([&] { btnBackClick(); }); });
    connect(btnUp_, &QToolButton::clicked, this, [this] { Guarded([&] { btnUpClick(); }); });
    connect(lvBrowser_, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { Guarded([&] { OpenItem(item); }); });
    connect(lvBrowser_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { lvBrowserClick(item); });
    connect(lvBrowser_, &QListWidget::itemSelectionChanged, this, [this] { lvBrowserSelectionChange(); });
    connect(cbxLog_, &QComboBox::currentIndexChanged, this, [this] { cbxLogChange(); });
    connect(btnOpen_, &QPushButton::clicked, this, [this] { Guarded([&] { btnOpenClick(); }); });
    connect(btnCancel_, &QPushButton::clicked, this, &QDialog::reject);
}

TfrmCompBrowse::~TfrmCompBrowse() = default;

template <class Action>
void TfrmCompBrowse::Guarded(Action&& action)
{
    try {
        action();
    } catch (const std::exception& e) {
        ShowException(this, e.what());
    }
}

const TNTNetResource* TfrmCompBrowse::Execute(const TNTNetResource* start, QString& computer, QString& log)
{
    start_ = start;
    const int result = exec();
    start_ = nullptr;
    if (result != QDialog::Accepted)
        return nullptr;
    computer = edComputer_->text();
    log = cbxLog_->currentText();
    return CurrentLocation();
}

// ---------------------------------------------------------------------------
// Showing and hiding

void TfrmCompBrowse::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        Guarded([this] { FormShow(); });
}

void TfrmCompBrowse::hideEvent(QHideEvent* event)
{
    if (!event->spontaneous()) {
        ClearBrowserList();
        ClearLookIn();
    }
    QDialog::hideEvent(event);
}

void TfrmCompBrowse::FindRoot()
{
    root_->Clear();
    TNetResourceList networks;
    ntrNetwork_.EnumSubResources(networks);
    for (int i = 0; i < networks.GetCount(); ++i) {
        const TNTNetResource* network = networks.GetItem(i);
        ntrNetwork_.SetProviderName(network->Provider());
        if (ntrNetwork_.ProviderInfo().NetType() == kRootNetType) {
            root_->Assign(*network);
            break;
        }
    }
}

void TfrmCompBrowse::FormShow()
{
    ntrNetwork_.CurrentResource().Clear();
    ClearHistory();
    FindRoot();
    if (!start_) {
        BrowseTo(root_.get(), true);
        return;
    }
    const auto retry = [this] {
        ClearHistory();
        BrowseTo(start_, true);
    };
    try {
        BrowseTo(start_, true);
        return;
    } catch (const std::exception&) {
        // Tried once more below.
    }
    try {
        retry();
        return;
    } catch (const std::exception& e) {
        // The remembered place does not answer any more: the walk starts at
        // the root again, so the dialog stays usable.
        ClearHistory();
        BrowseTo(root_.get(), true);
        ShowException(this, e.what());
    }
}

// ---------------------------------------------------------------------------
// The walk

void TfrmCompBrowse::BrowseTo(const TNTNetResource* resource, bool push)
{
    {
        const FrozenPainting frozen(lvBrowser_);
        const WaitCursor wait;
        edComputer_->clear();
        cbxLog_->clear();

        if (resource)
            ntrNetwork_.SetCurrentResource(*resource);
        else
            ntrNetwork_.CurrentResource().Clear();
        if (push)
            PushLocation(ntrNetwork_.CurrentResource());
        ClearBrowserList();

        TNTNetResource& current = ntrNetwork_.CurrentResource();
        if (current.DisplayType() == kDisplayTypeServer) {
            try {
                evlBrowser_.SetMachineName(current.RemoteName());
            } catch (const std::exception&) {
                // Back to where the walk was; the failure is reported by
                // the caller.
                if (push)
                    PopLocation();
                std::unique_ptr<TNTNetResource> top;
                if (const TNTNetResource* location = CurrentLocation())
                    top = copyOf(*location);
                BrowseTo(top.get(), false);
                throw;
            }
            if (ntrNetwork_.GetParentResource().DisplayType() == kDisplayTypeDomain)
                evlBrowser_.SetDomainName(ntrNetwork_.GetParentResource().RemoteName());
            std::vector<std::string> names;
            evlBrowser_.GetLogNames(names);
            QStringList logs;
            for (const std::string& name : names)
                logs << QString::fromStdString(name);
            std::sort(logs.begin(), logs.end(),
                      [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
            for (const QString& name : logs)
                AddLogItem(name);
            edComputer_->setText(Caption(current));
            // The combo box chooses its first item when filled: that choice
            // must not reach the list, which then would show a log chosen
            // while the field names none.
            const QSignalBlocker quiet(cbxLog_);
            cbxLog_->addItems(logs);
            cbxLog_->setCurrentIndex(-1);
        } else {
            TNetResourceList children;
            ntrNetwork_.EnumSubResources(children);
            for (int i = 0; i < children.GetCount(); ++i)
                AddContainerItem(*children.GetItem(i));
        }
        FillLookIn();
    }
    UpdateButtons();
}

QString TfrmCompBrowse::Caption(const TNTNetResource& resource)
{
    QString name = QString::fromStdString(resource.RemoteName());
    const qsizetype at = name.indexOf(QStringLiteral("\\\\"));
    if (at >= 0)
        name.remove(at, 2);
    return name;
}

void TfrmCompBrowse::AddContainerItem(const TNTNetResource& resource)
{
    auto* item = new QListWidgetItem(Caption(resource), lvBrowser_);
    const int image = static_cast<int>(resource.DisplayType());
    item->setData(ImageIndexRole, image);
    item->setIcon(images_.Image(image));
    item->setData(ResourceRole, static_cast<int>(listResources_.size()));
    listResources_.push_back(copyOf(resource));
}

void TfrmCompBrowse::AddLogItem(const QString& name)
{
    auto* item = new QListWidgetItem(name, lvBrowser_);
    item->setData(ImageIndexRole, TNetworkImages::kLogImage);
    item->setIcon(images_.Image(TNetworkImages::kLogImage));
    item->setData(ResourceRole, -1);
}

bool TfrmCompBrowse::IsLogItem(const QListWidgetItem* item)
{
    return item && item->data(ImageIndexRole).toInt() == TNetworkImages::kLogImage;
}

const TNTNetResource* TfrmCompBrowse::ItemResource(const QListWidgetItem* item) const
{
    if (!item || IsLogItem(item))
        return nullptr;
    const int index = item->data(ResourceRole).toInt();
    if (index < 0 || index >= static_cast<int>(listResources_.size()))
        return nullptr;
    return listResources_[static_cast<std::size_t>(index)].get();
}

const TNTNetResource* TfrmCompBrowse::LookInResource(int index) const
{
    if (index < 0 || index >= cbxTree_->count())
        return nullptr;
    const int slot = cbxTree_->itemData(index, ResourceRole).toInt();
    if (slot < 0 || slot >= static_cast<int>(lookIn_.size()))
        return nullptr;
    return lookIn_[static_cast<std::size_t>(slot)].get();
}

void TfrmCompBrowse::FillLookIn()
{
    ClearLookIn();
    filling_ = true;
    if (const TNTNetResource* location = CurrentLocation())
        ntrNetwork_.SetCurrentResource(*location);
    else
        ntrNetwork_.CurrentResource().Clear();

    auto insertFront = [this](const TNTNetResource& resource) {
        const int slot = static_cast<int>(lookIn_.size());
        lookIn_.push_back(copyOf(resource));
        cbxTree_->insertItem(0, images_.Image(static_cast<int>(resource.DisplayType())), Caption(resource));
        cbxTree_->setItemData(0, slot, ResourceRole);
    };
    while (!ntrNetwork_.CurrentResource().RemoteName().empty() && !ntrNetwork_.CurrentResource().IsEqual(*root_)) {
        insertFront(ntrNetwork_.CurrentResource());
        std::unique_ptr<TNTNetResource> parent = copyOf(ntrNetwork_.GetParentResource());
        ntrNetwork_.SetCurrentResource(*parent);
    }
    insertFront(*root_);
    cbxTree_->setCurrentIndex(cbxTree_->count() - 1);
    filling_ = false;
}

void TfrmCompBrowse::UpdateButtons()
{
    btnBack_->setEnabled(history_.size() > 1);
    // Up works below the root: a location with a remote name that is not
    // the root itself.
    const TNTNetResource* location = CurrentLocation();
    btnUp_->setEnabled(location && !location->RemoteName().empty() && !location->IsEqual(*root_));
}

void TfrmCompBrowse::PushLocation(const TNTNetResource& resource)
{
    history_.push_back(copyOf(resource));
}

void TfrmCompBrowse::PopLocation()
{
    if (!history_.empty())
        history_.pop_back();
}

const TNTNetResource* TfrmCompBrowse::CurrentLocation() const
{
    return history_.empty() ? nullptr : history_.back().get();
}

void TfrmCompBrowse::ClearHistory()
{
    history_.clear();
}

void TfrmCompBrowse::ClearBrowserList()
{
    lvBrowser_->clear();
    listResources_.clear();
}

void TfrmCompBrowse::ClearLookIn()
{
    filling_ = true;
    cbxTree_->clear();
    lookIn_.clear();
    filling_ = false;
}

// ---------------------------------------------------------------------------
// The user's actions

void TfrmCompBrowse::cbxTreeSelect(int index)
{
    if (filling_)
        return;
    if (const TNTNetResource* chosen = LookInResource(index)) {
        const std::unique_ptr<TNTNetResource> target = copyOf(*chosen);
        BrowseTo(target.get(), true);
    }
}

void TfrmCompBrowse::btnUpClick()
{
    const TNTNetResource* location = CurrentLocation();
    if (location)
        ntrNetwork_.SetCurrentResource(*location);
    else
        ntrNetwork_.CurrentResource().Clear();
    const TNTNetResource& current = ntrNetwork_.CurrentResource();
    if (current.RemoteName().empty() || current.IsEqual(*root_)) {
        const std::unique_ptr<TNTNetResource> root = copyOf(*root_);
        BrowseTo(root.get(), true);
        return;
    }
    const std::unique_ptr<TNTNetResource> parent = copyOf(ntrNetwork_.GetParentResource());
    BrowseTo(parent.get(), true);
}

void TfrmCompBrowse::btnBackClick()
{
    if (history_.size() <= 1)
        return;
    PopLocation();
    const std::unique_ptr<TNTNetResource> top = copyOf(*CurrentLocation());
    BrowseTo(top.get(), false);
}

void TfrmCompBrowse::OpenItem(QListWidgetItem* item)
{
    if (!item)
        return;
    if (IsLogItem(item)) {
        // The log opened is this item's, whatever the field showed.
        cbxLog_->setCurrentIndex(cbxLog_->findText(item->text(), Qt::MatchExactly | Qt::MatchCaseSensitive));
        accept();
        return;
    }
    const TNTNetResource* resource = ItemResource(item);
    if (resource && (resource->Usage() & kUsageContainer) != 0) {
        const std::unique_ptr<TNTNetResource> target = copyOf(*resource);
        BrowseTo(target.get(), true);
    }
}

void TfrmCompBrowse::btnOpenClick()
{
    if (!edComputer_->text().trimmed().isEmpty() && !cbxLog_->currentText().trimmed().isEmpty()) {
        accept();
        return;
    }
    // The selected item: the list's current item may be one the list only
    // put its focus on.
    const QList<QListWidgetItem*> selected = lvBrowser_->selectedItems();
    OpenItem(selected.isEmpty() ? nullptr : selected.first());
}

void TfrmCompBrowse::lvBrowserClick(QListWidgetItem* item)
{
    if (!IsLogItem(item))
        return;
    cbxLog_->setCurrentIndex(cbxLog_->findText(item->text(), Qt::MatchExactly | Qt::MatchCaseSensitive));
    if (const TNTNetResource* location = CurrentLocation())
        edComputer_->setText(Caption(*location));
}

void TfrmCompBrowse::lvBrowserSelectionChange()
{
    const QList<QListWidgetItem*> selected = lvBrowser_->selectedItems();
    if (selected.isEmpty() || !IsLogItem(selected.first()))
        return;
    const int index = cbxLog_->findText(selected.first()->text(), Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index != cbxLog_->currentIndex())
        cbxLog_->setCurrentIndex(index);
}

void TfrmCompBrowse::cbxLogChange()
{
    const QString text = cbxLog_->currentText();
    for (int i = 0; i < lvBrowser_->count(); ++i) {
        QListWidgetItem* item = lvBrowser_->item(i);
        if (item->text() == text) {
            if (lvBrowser_->currentItem() != item)
                lvBrowser_->setCurrentItem(item);
            return;
        }
    }
}

bool TfrmCompBrowse::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lvBrowser_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Backspace) {
        Guarded([this] { btnUpClick(); });
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
