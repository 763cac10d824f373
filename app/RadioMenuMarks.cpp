#include "RadioMenuMarks.h"

#include <QApplication>
#include <QMenu>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOptionMenuItem>

#include <algorithm>

namespace {

// The plain look, with a filled round mark for checked radio items.
class TRadioMarkStyle : public QProxyStyle {
public:
    explicit TRadioMarkStyle(QStyle* base)
        : QProxyStyle(base)
    {
    }

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override
    {
        const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        if (element != PE_IndicatorMenuCheckMark || item == nullptr ||
            item->checkType != QStyleOptionMenuItem::Exclusive) {
            QProxyStyle::drawPrimitive(element, option, painter, widget);
            return;
        }
        // The tick's colour, in a round mark the tick's width across.
        const bool selected = (option->state & State_Selected) != 0;
        const bool enabled = (option->state & State_Enabled) != 0;
        const QColor colour = !enabled ? option->palette.color(QPalette::Disabled, QPalette::Text)
                              : selected ? option->palette.color(QPalette::HighlightedText)
                                         : option->palette.color(QPalette::Text);
        const QRectF area = option->rect;
        const qreal diameter = std::min<qreal>(6.0, std::min(area.width(), area.height()));
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(Qt::NoPen);
        painter->setBrush(colour);
        painter->drawEllipse(QRectF(area.center().x() - diameter / 2, area.center().y() - diameter / 2, diameter,
                                    diameter));
        painter->restore();
    }
};

bool PlainLookIsOn()
{
    return QApplication::style()->name().compare(QLatin1String("windows"), Qt::CaseInsensitive) == 0;
}

void FollowTheLook(QMenu* menu)
{
    auto* own = menu->findChild<TRadioMarkStyle*>(QString(), Qt::FindDirectChildrenOnly);
    if (PlainLookIsOn() == (own != nullptr))
        return;
    if (own == nullptr) {
        QStyle* base = QStyleFactory::create(QStringLiteral("Windows"));
        if (base == nullptr)
            return;
        auto* style = new TRadioMarkStyle(base);
        style->setParent(menu);
        menu->setStyle(style);
    } else {
        menu->setStyle(nullptr);
        delete own;
    }
}

} // namespace

void ShowRadioMarks(QMenu* menu)
{
    FollowTheLook(menu);
    QObject::connect(menu, &QMenu::aboutToShow, menu, [menu] { FollowTheLook(menu); });
}
