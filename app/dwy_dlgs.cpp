#include "dwy_dlgs.h"

#include "platform/WindowBounds.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

#include <algorithm>
#include <array>

namespace {

constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 22;
constexpr int kButtonGap = 7;
constexpr int kIconLeft = 10;
constexpr int kIconTop = 10;
constexpr char kNoCloseProperty[] = "qvNoCloseCommand";

constexpr std::array<const char*, 9> kButtonCaptions{"Help", "OK",  "Cancel", "Abort", "Retry",
                                                     "Ignore", "Yes", "No",     "Close"};

// Eats every close request of the window it watches.
class CloseRefuser : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Close) {
            event->ignore();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

std::vector<int> buttonKinds(UINT flags)
{
    std::vector<int> kinds;
    switch (flags & MB_TYPEMASK) {
    case MB_OKCANCEL:
        kinds = {bkOK, bkCancel};
        break;
    case MB_ABORTRETRYIGNORE:
        kinds = {bkAbort, bkRetry, bkIgnore};
        break;
    case MB_YESNOCANCEL:
        kinds = {bkYes, bkNo, bkCancel};
        break;
    case MB_YESNO:
        kinds = {bkYes, bkNo};
        break;
    case MB_RETRYCANCEL:
        kinds = {bkRetry, bkCancel};
        break;
    default: // MB_OK, and the two values that name no button set
        kinds = {bkOK};
        break;
    }
    if (flags & MB_HELP)
        kinds.push_back(bkHelp);
    return kinds;
}

bool removesCloseCommand(UINT flags)
{
    const UINT set = flags & MB_TYPEMASK;
    return set == MB_ABORTRETRYIGNORE || set == MB_YESNO;
}

QIcon iconOf(const QStyle* style, UINT flags)
{
    switch (flags & MB_ICONMASK) {
    case MB_ICONHAND:
        return style->standardIcon(QStyle::SP_MessageBoxCritical);
    case MB_ICONQUESTION:
        return style->standardIcon(QStyle::SP_MessageBoxQuestion);
    case MB_ICONEXCLAMATION:
        return style->standardIcon(QStyle::SP_MessageBoxWarning);
    case MB_ICONASTERISK:
        return style->standardIcon(QStyle::SP_MessageBoxInformation);
    default:
        return {};
    }
}

} // namespace

QString ButtonKindCaption(int kind)
{
    if (kind < 0 || kind >= static_cast<int>(kButtonCaptions.size()))
        return QStringLiteral("?");
    return QString::fromLatin1(kButtonCaptions[static_cast<std::size_t>(kind)]);
}

QPushButton* CreateDialogButton(QDialog* form, int kind)
{
    auto* button = new QPushButton(ButtonKindCaption(kind), form);
    button->resize(kButtonWidth, kButtonHeight);
    button->setAutoDefault(true);
    if (kind != bkHelp)
        QObject::connect(button, &QPushButton::clicked, form, [form, kind] { form->done(kind); });
    return button;
}

void RemoveCloseCommand(QWidget* window)
{
    if (!window || !HasCloseCommand(window))
        return;
    window->setWindowFlag(Qt::CustomizeWindowHint, true);
    window->setWindowFlag(Qt::WindowCloseButtonHint, false);
    window->setProperty(kNoCloseProperty, true);
    window->installEventFilter(new CloseRefuser(window));
}

bool HasCloseCommand(const QWidget* window)
{
    return window && !window->property(kNoCloseProperty).toBool();
}

TMessageBoxWithCheck::TMessageBoxWithCheck(const QString& text, const QString& caption, UINT flags, bool ticked,
                                           const QString& checkText)
{
    setWindowTitle(caption);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setModal(true);

    label_ = new QLabel(text, this);
    label_->setTextFormat(Qt::PlainText);
    label_->move(20, 20);

    const std::vector<int> kinds = buttonKinds(flags);
    for (int kind : kinds)
        buttons_.push_back(CreateDialogButton(this, kind));
    if (removesCloseCommand(flags))
        RemoveCloseCommand(this);

    const QIcon icon = iconOf(style(), flags);
    int iconWidth = 0;
    int iconHeight = 0;
    if (!icon.isNull()) {
        const int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
        image_ = new QLabel(this);
        image_->setPixmap(icon.pixmap(size, size));
        image_->setGeometry(kIconLeft, kIconTop, size, size);
        iconWidth = size;
        iconHeight = size;
    }

    // The measures of the box's font.
    const QFontMetrics metrics(font());
    const QRect extent = metrics.boundingRect(QRect(), Qt::AlignLeft | Qt::AlignTop, text);
    const int h = extent.height();
    const int z = metrics.height(); // the height of "Z"
    label_->resize(std::max(extent.width(), label_->sizeHint().width()), std::max(h, label_->sizeHint().height()));

    check_ = new QCheckBox(checkText, this);
    const int checkHeight = check_->sizeHint().height();
    check_->resize(2 * checkHeight + metrics.horizontalAdvance(checkText), checkHeight);

    int labelLeft = 15;
    if (image_)
        labelLeft += kIconLeft + iconWidth;
    label_->move(labelLeft, z);

    int y = z + h + 2 * z;
    if (image_)
        y = std::max(y, kIconTop + iconHeight + z);
    check_->move(15, y);

    const int count = static_cast<int>(buttons_.size());
    const int rowWidth = count * (kButtonWidth + kButtonGap) - kButtonGap;
    int contentWidth = label_->width();
    if (image_)
        contentWidth += kIconLeft + iconWidth;
    contentWidth = std::max({contentWidth, check_->width(), rowWidth});
    const int clientWidth = contentWidth + 30;
    const int clientHeight = y + kButtonHeight + 4 * z;
    int left = (contentWidth - rowWidth) / 2 + 15;
    for (QPushButton* button : buttons_) {
        button->move(left, y + 3 * z);
        left = button->x() + button->width() + kButtonGap;
    }
    setFixedSize(clientWidth, clientHeight);

    const std::size_t preferred = (flags >> 8) & 3;
    if (preferred < buttons_.size()) {
        buttons_[preferred]->setDefault(true);
        buttons_[preferred]->setFocus();
    }
    check_->setChecked(ticked);

    platform::CentreOnScreenWhenShown(*this);
}

void TMessageBoxWithCheck::reject()
{
}

void TMessageBoxWithCheck::closeEvent(QCloseEvent* event)
{
    // Closed from the title bar: the result of Cancel.
    event->accept();
    done(IDCANCEL);
}

int MessageBoxWithCheck(const QString& text, const QString& caption, UINT flags, bool& ticked,
                        const QString& checkText)
{
    TMessageBoxWithCheck box(text, caption, flags, ticked, checkText);
    const int result = box.exec();
    ticked = box.CheckBox()->isChecked();
    return result;
}
