#include "RpControls.h"

#include "RpObject.h"

#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QWidget>

namespace report {

namespace {

constexpr std::uint32_t kWindowText = 0x80000008;
constexpr std::uint32_t kGrayText = 0x80000011;
constexpr std::uint32_t kWindow = 0x80000005;
constexpr std::uint32_t kBtnFace = 0x8000000F;

bool IsInputControl(const QWidget* widget)
{
    return qobject_cast<const QLineEdit*>(widget) != nullptr ||
           qobject_cast<const QAbstractScrollArea*>(widget) != nullptr ||
           qobject_cast<const QComboBox*>(widget) != nullptr ||
           qobject_cast<const QAbstractSpinBox*>(widget) != nullptr;
}

// Widgets that hold other controls, as opposed to controls made of parts.
bool IsContainer(const QWidget* widget)
{
    const QMetaObject* meta = widget->metaObject();
    return qobject_cast<const QGroupBox*>(widget) != nullptr || meta == &QWidget::staticMetaObject ||
           meta == &QFrame::staticMetaObject;
}

} // namespace

void SetControlsEnabled(const std::vector<QWidget*>& controls, bool enabled)
{
    for (QWidget* control : controls) {
        if (control == nullptr)
            continue;
        QPalette palette = control->palette();
        if (qobject_cast<QLabel*>(control) != nullptr) {
            palette.setColor(QPalette::WindowText, ColorFromValue(enabled ? kWindowText : kGrayText));
            control->setPalette(palette);
        } else if (IsInputControl(control)) {
            palette.setColor(QPalette::Base, ColorFromValue(enabled ? kWindow : kBtnFace));
            control->setPalette(palette);
        }
        control->setEnabled(enabled);
    }
}

QWidget* FindControlAtPoint(QWidget* parent, QPoint point)
{
    if (parent == nullptr)
        return nullptr;
    const QObjectList& children = parent->children();
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        auto* child = qobject_cast<QWidget*>(*it);
        if (child == nullptr || child->isWindow() || child->isHidden())
            continue;
        if (!child->geometry().contains(point))
            continue;
        const bool hasChildren = !child->findChildren<QWidget*>(Qt::FindDirectChildrenOnly).isEmpty();
        if (IsContainer(child) && hasChildren) {
            if (QWidget* found = FindControlAtPoint(child, point - child->pos()))
                return found;
            continue;
        }
        return child;
    }
    return nullptr;
}

} // namespace report
