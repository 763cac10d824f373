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
