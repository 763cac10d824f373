#include "EventItemDelegate.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

bool HasIcon(const QStyleOptionViewItem& option)
{
    return (option.features & QStyleOptionViewItem::HasDecoration) && !option.icon.isNull();
}

} // namespace

void TEventItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QWidget* widget = opt.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();

    // The style paints the cell without its contents; they follow with our
    // padding.
    QStyleOptionViewItem cell = opt;
    cell.text.clear();
    cell.icon = QIcon();
    cell.features &= ~(QStyleOptionViewItem::HasDisplay | QStyleOptionViewItem::HasDecoration);
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);

    const bool enabled = opt.state & QStyle::State_Enabled;
    const bool selected = opt.state & QStyle::State_Selected;
    QRect room = opt.rect.adjusted(kMargin, 0, -kMargin, 0);
    if (HasIcon(opt)) {
        const QSize size = opt.decorationSize;
        const QRect iconRect(room.left(), room.top() + (room.height() - size.height()) / 2, size.width(),
                             size.height());
        const QIcon::Mode mode = !enabled ? QIcon::Disabled : selected ? QIcon::Selected : QIcon::Normal;
        opt.icon.paint(painter, iconRect, Qt::AlignCenter, mode, QIcon::Off);
        room.setLeft(iconRect.right() + 1 + kMargin);
    }
    if (opt.text.isEmpty() || room.width() <= 0)
        return;
    const QPalette::ColorGroup group = !enabled                                   ? QPalette::Disabled
                                       : (opt.state & QStyle::State_Active) != 0 ? QPalette::Active
                                                                                  : QPalette::Inactive;
    painter->save();
    painter->setFont(opt.font);
    painter->setPen(opt.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
    const QString shown = opt.fontMetrics.elidedText(opt.text, opt.textElideMode, room.width());
    painter->drawText(room, Qt::AlignVCenter | (opt.displayAlignment & Qt::AlignHorizontal_Mask), shown);
    painter->restore();
}

QSize TEventItemDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    // Painting elides by the text's exact width, which the whole-pixel
    // advance can round down.
    int width = 2 * kMargin + static_cast<int>(std::ceil(QFontMetricsF(opt.font).horizontalAdvance(opt.text)));
    int height = opt.fontMetrics.height();
    if (HasIcon(opt)) {
        width += opt.decorationSize.width() + kMargin;
        height = std::max(height, opt.decorationSize.height());
    }
    return {width, height + 2 * kMargin};
}
