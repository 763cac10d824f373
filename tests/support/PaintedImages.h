#pragma once
// Images for painting tests, and a window whose background is one colour.

#include <QColor>
#include <QImage>
#include <QPalette>
#include <QRect>
#include <QWidget>

#include <cstdlib>

inline QImage WhiteImage(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::white);
    return image;
}

// How many pixels of the area are not white.
inline int PixelsNotWhite(const QImage& image, const QRect& area)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += image.pixel(x, y) != qRgb(255, 255, 255);
    return count;
}

// How many pixels of the image are within `tolerance` of a colour in each
// of red, green and blue (text is smoothed at its edges: its pixels come
// near its colour, few of them meet it).
inline int PixelsNear(const QImage& image, const QColor& colour, int tolerance = 0x40)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            count += std::abs(qRed(p) - colour.red()) <= tolerance &&
                     std::abs(qGreen(p) - colour.green()) <= tolerance &&
                     std::abs(qBlue(p) - colour.blue()) <= tolerance;
        }
    return count;
}

// A parent window filled with one colour and a child window in it.
struct ColouredParent {
    QWidget parent;
    QWidget child{&parent};

    ColouredParent(const QColor& colour, const QRect& childGeometry)
    {
        QPalette palette = parent.palette();
        palette.setColor(QPalette::Window, colour);
        parent.setPalette(palette);
        parent.setAutoFillBackground(true);
        parent.resize(childGeometry.right() + 20, childGeometry.bottom() + 20);
        child.setGeometry(childGeometry);
    }
};
