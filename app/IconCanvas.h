#pragma once

#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <initializer_list>

// A transparent square image with an antialiased painter on it; the icon is
// taken once the drawing is done.
class IconCanvas {
public:
    explicit IconCanvas(int size);
    IconCanvas(const IconCanvas&) = delete;
    IconCanvas& operator=(const IconCanvas&) = delete;

    QPainter& p() { return painter_; }

    // Ends the drawing and returns the image as an icon.
    QIcon Icon();

private:
    QPixmap pixmap_;
    QPainter painter_;
};

// The closed outline through these corners, in order.
QPainterPath ClosedPath(std::initializer_list<QPointF> corners);
