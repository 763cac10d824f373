#include "XPSystemButton.h"

#include "ThemeMgr.h"

#include <QMouseEvent>
#include <QPainter>

namespace {

// Normal, hot, pushed and disabled, by button type.
constexpr std::array<std::array<std::uint8_t, 4>, 9> kDetails{{
    {42, 43, 44, 45}, // xpMinimum
    {47, 48, 49, 50}, // xpMDIMinimum
    {52, 53, 54, 55}, // xpMaximum
    {57, 58, 59, 60}, // xpClose
    {62, 63, 64, 65}, // xpSmallClose
    {67, 68, 69, 70}, // xpMDIClose
    {72, 73, 74, 75}, // xpRestore
    {77, 78, 79, 80}, // xpMDIRestore
    {82, 83, 84, 85}, // xpHelp
}};

} // namespace

TXPSystemButton::TXPSystemButton(QWidget* parent)
    : QToolButton(parent)
    , services_(std::make_unique<TThemeServices>())
{
    resize(20, 20);
    UpdateDetails();
}

TXPSystemButton::~TXPSystemButton() = default;

void TXPSystemButton::SetXPButtonType(TXPButtonType type)
{
    type_ = type;
    UpdateDetails();
}

void TXPSystemButton::Loaded()
{
    UpdateDetails();
}

void TXPSystemButton::UpdateDetails()
{
    if (type_ >= 0 && static_cast<std::size_t>(type_) < kDetails.size())
        details_ = kDetails[static_cast<std::size_t>(type_)];
    update();
}

int TXPSystemButton::CurrentDetail() const
{
    if (state_ & bsDisabled)
        return details_[3];
    if (state_ & bsPushed)
        return (state_ & bsHot) ? details_[2] : details_[0];
    if (state_ & bsHot)
        return details_[1];
    return details_[0];
}

bool TXPSystemButton::PaintsThemed() const
{
    const bool allowed = !themeManager_ || themeManager_->Options().Contains(toAllowControls);
    return allowed && services_->GetThemesEnabled();
}

bool TXPSystemButton::event(QEvent* event)
{
    if (event->type() == TDenySubclassingEvent::EventType()) {
        static_cast<TDenySubclassingEvent*>(event)->SetResult(-1);
        return true;
    }
    return QToolButton::event(event);
}

void TXPSystemButton::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange) {
        if (isEnabled())
            state_ = static_cast<std::uint8_t>((state_ | bsNormal) & ~bsDisabled);
        else
            state_ = static_cast<std::uint8_t>((state_ | bsDisabled) & ~(bsNormal | bsPushed));
        update();
    }
    QToolButton::changeEvent(event);
}

void TXPSystemButton::MouseEntered()
{
    if (!isEnabled())
        return;
    state_ = static_cast<std::uint8_t>((state_ | bsHot) & ~bsNormal);
    update();
}

void TXPSystemButton::MouseLeft()
{
    if (!isEnabled())
        return;
    state_ = static_cast<std::uint8_t>((state_ | bsNormal) & ~bsHot);
    update();
}

void TXPSystemButton::enterEvent(QEnterEvent* event)
{
    MouseEntered();
    QToolButton::enterEvent(event);
}

void TXPSystemButton::leaveEvent(QEvent* event)
{
    MouseLeft();
    QToolButton::leaveEvent(event);
}

void TXPSystemButton::mousePressEvent(QMouseEvent* event)
{
    if (isEnabled() && event->button() == Qt::LeftButton) {
        state_ |= bsPushed;
        update();
    }
    QToolButton::mousePressEvent(event);
}

void TXPSystemButton::mouseMoveEvent(QMouseEvent* event)
{
    // While the button is held the mouse stays with it: leaving and
    // coming back show here.
    if (state_ & bsPushed) {
        const bool inside = rect().contains(event->position().toPoint());
        if (inside && !(state_ & bsHot))
            MouseEntered();
        else if (!inside && (state_ & bsHot))
            MouseLeft();
    }
    QToolButton::mouseMoveEvent(event);
}

void TXPSystemButton::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        const std::uint8_t before = state_;
        state_ = static_cast<std::uint8_t>(state_ & ~bsPushed);
        if (before == 0 || before == bsPushed)
            state_ = bsNormal;
        update();
    }
    QToolButton::mouseReleaseEvent(event);
}

void TXPSystemButton::paintEvent(QPaintEvent* event)
{
    if (!PaintsThemed()) {
        QToolButton::paintEvent(event);
        return;
    }
    QPainter painter(this);
    services_->DrawBackground(painter, GetWindowDetails(CurrentDetail()), QRect(0, 0, width() - 1, height() - 1));
}
