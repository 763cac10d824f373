#include "browsent.h"

#include "Application.h"
#include "HelpContext.h"
#include "SystemFonts.h"

#include "ntlib/LmApibuf.h"
#include "ntlib/LmServer.h"

#include "platform/ErrorCodes.h"
#include "platform/WindowBounds.h"

#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QTreeWidget>

#include <exception>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr char kRootText[] = "Windows NT Computers";

// The names of the servers of a type that the local computer's browse
// service knows; false when it cannot list them (the functions may also be
// missing from the platform: that is a failure like any other).
bool enumerateServers(DWORD serverType, std::vector<QString>& names)
{
    LPBYTE buffer = nullptr;
    bool listed = false;
    try {
        DWORD entries = 0;
        DWORD total = 0;
        const NET_API_STATUS status =
            NetServerEnum(nullptr, 100, &buffer, MAX_PREFERRED_LENGTH, &entries, &total, serverType, nullptr, nullptr);
        if (status == NERR_Success && buffer) {
            const auto* servers = reinterpret_cast<const SERVER_INFO_100*>(buffer);
            for (DWORD i = 0; i < entries; ++i)
                names.push_back(servers[i].sv100_name ? QString::fromUtf16(servers[i].sv100_name) : QString());
            listed = true;
        }
    } catch (const std::exception&) {
        listed = false;
    }
    try {
        NetApiBufferFree(buffer);
    } catch (const std::exception&) {
        // Nothing more to do about a buffer that cannot be released.
    }
    return listed;
}

} // namespace

TNTBrowseNetForm::TNTBrowseNetForm(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Browse For Network Computers"));
    SetHelpContext(this, kHelpContext);
    // Centred on the screen, frame included, every time it opens.
    platform::CentreOnScreenWhenShown(*this);
    setFont(WindowFont(QStringLiteral("Tahoma")));

    captionLabel_ = new QLabel(QStringLiteral("Select computer"), this);
    captionLabel_->setGeometry(8, 8, 304, 16);
    tvNet_ = new QTreeWidget(this);
    tvNet_->setGeometry(8, 26, 304, 214);
    tvNet_->setHeaderHidden(true);
    tvNet_->setIndentation(19);
    tvNet_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    QPalette palette = tvNet_->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight, palette.color(QPalette::Active, QPalette::Highlight));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     palette.color(QPalette::Active, QPalette::HighlightedText));
    tvNet_->setPalette(palette);

    btnRefresh_ = new QPushButton(QStringLiteral("Refresh"), this);
    btnRefresh_->setAutoDefault(false);
    btnRefresh_->setGeometry(8, 250, 75, 23);
    btnOK_ = new QPushButton(QStringLiteral("OK"), this);
    btnOK_->setDefault(true);
    btnOK_->setGeometry(156, 250, 75, 23);
    btnCancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel_->setAutoDefault(false);
    btnCancel_->setGeometry(237, 250, 75, 23);
    setFixedSize(320, 282);

    connect(tvNet_, &QTreeWidget::currentItemChanged, this, [this] { tvNetChange(); });
    connect(tvNet_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* node, int) {
        if (node && node->data(0, ImageIndexRole).toInt() == kComputerImage)
            accept();
    });
    connect(btnRefresh_, &QPushButton::clicked, this, &TNTBrowseNetForm::btnRefreshClick);
    connect(btnOK_, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel_, &QPushButton::clicked, this, &QDialog::reject);
}

void TNTBrowseNetForm::FillServers(DWORD serverType, const QString& rootText, bool clearFirst)
{
    if (clearFirst)
        tvNet_->clear();
    auto* root = new QTreeWidgetItem(tvNet_, QStringList{rootText});
    root->setData(0, ImageIndexRole, kGroupImage);
    root->setIcon(0, images_.GroupImage());
    std::vector<QString> names;
    if (enumerateServers(serverType, names))
        for (const QString& name : names) {
            auto* node = new QTreeWidgetItem(root, QStringList{name});
            node->setData(0, ImageIndexRole, kComputerImage);
            node->setIcon(0, images_.TreeImage(tiComputer));
        }
    if (QTreeWidgetItem* first = tvNet_->topLevelItem(0))
        tvNet_->expandItem(first);
    tvNetChange();
}

void TNTBrowseNetForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TNTBrowseNetForm::FormShow()
{
    FillServers(kNtServerType, QString::fromLatin1(kRootText), true);
}

void TNTBrowseNetForm::btnRefreshClick()
{
    FillServers(kNtServerType, QString::fromLatin1(kRootText), true);
}

void TNTBrowseNetForm::tvNetChange()
{
    const QTreeWidgetItem* node = tvNet_->currentItem();
    btnOK_->setEnabled(node && node->data(0, ImageIndexRole).toInt() == kComputerImage);
}

bool BrowseForComputer(const QString& caption, QString& computer, QString& parent)
{
    computer.clear();
    parent.clear();
    std::unique_ptr<TNTBrowseNetForm> own;
    TNTBrowseNetForm* form = nullptr;
    if (const TApplication* app = TApplication::Instance())
        form = app->FindForm<TNTBrowseNetForm>();
    if (!form) {
        own = std::make_unique<TNTBrowseNetForm>();
        form = own.get();
    }
    form->CaptionLabel()->setText(caption);
    if (form->exec() != QDialog::Accepted)
        return false;
    if (const QTreeWidgetItem* node = form->tvNet()->currentItem()) {
        computer = node->text(0);
        if (const QTreeWidgetItem* up = node->parent())
            parent = up->text(0);
    }
    return true;
}
