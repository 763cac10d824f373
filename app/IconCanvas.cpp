#include "IconCanvas.h"

IconCanvas::IconCanvas(int size)
    : pixmap_(size, size)
{
    pixmap_.fill(Qt::transparent);
    painter_.begin(&pixmap_);
    painter_.setRenderHint(QPainter::Antialiasing);
}

QIcon IconCanvas::Icon()
{
    painter_.end();
    return QIcon(pixmap_);
}

QPainterPath ClosedPath(std::initializer_list<QPointF> corners)
{
    QPainterPath path;
    bool first = true;
    for (const QPointF& corner : corners) {
        if (first)
            path.moveTo(corner);
        else
            path.lineTo(corner);
        first = false;
    }
    path.closeSubpath();
    return path;
}
