#include "RpPreviewGlyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygon>

#include <functional>

namespace report::PreviewGlyphs {

namespace {

// The transparent colour of engine glyphs (their bottom-left pixel).
constexpr QRgb kOlive = qRgb(128, 128, 0);
const QColor kNavy(0, 0, 128);
const QColor kSilver(192, 192, 192);
const QColor kGray(128, 128, 128);
const QColor kTeal(0, 128, 128);

QImage Draw(int size, const std::function<void(QPainter&)>& draw)
{
    QImage image(size, size, QImage::Format_RGB32);
    image.fill(kOlive);
    QPainter painter(&image);
    draw(painter);
    painter.end();
    image.setPixel(0, size - 1, kOlive);
    return image;
}

// A sheet of paper with a folded corner.
void Sheet(QPainter& p, int left, int top, int right, int bottom)
{
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygon({QPoint(left, top), QPoint(right - 3, top), QPoint(right, top + 3), QPoint(right, bottom),
                            QPoint(left, bottom)}));
    p.drawLine(right - 3, top, right - 3, top + 3);
    p.drawLine(right - 3, top + 3, right, top + 3);
}

void Lens(QPainter& p, int x, int y, int r)
{
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(0, 255, 255));
    p.drawEllipse(QPoint(x, y), r, r);
    p.setPen(QPen(Qt::black, 2));
    p.drawLine(x + r - 1, y + r - 1, x + r + 3, y + r + 3);
}

} // namespace

QImage Zoom()
{
    return Draw(16, [](QPainter& p) { Lens(p, 6, 6, 4); });
}

QImage Open()
{
    return Draw(16, [](QPainter& p) {
        p.setPen(Qt::black);
        p.setBrush(QColor(255, 255, 0));
        p.drawRect(1, 4, 12, 9);
        p.setBrush(QColor(128, 128, 0).darker(110));
        p.drawPolygon(QPolygon({QPoint(3, 7), QPoint(15, 7), QPoint(13, 13), QPoint(1, 13)}));
        p.drawLine(9, 1, 12, 1);
        p.drawLine(12, 1, 14, 3);
    });
}

QImage Save()
{
    return Draw(16, [](QPainter& p) {
        p.setPen(Qt::black);
        p.setBrush(kNavy);
        p.drawRect(1, 1, 13, 13);
        p.setBrush(Qt::white);
        p.drawRect(4, 1, 7, 5);
        p.setBrush(kSilver);
        p.drawRect(4, 9, 7, 5);
        p.fillRect(9, 10, 2, 3, kNavy);
    });
}

QImage Print()
{
    return Draw(16, [](QPainter& p) {
        Sheet(p, 4, 1, 11, 7);
        p.setPen(Qt::black);
        p.setBrush(kSilver);
        p.drawRect(1, 7, 13, 5);
        p.fillRect(11, 9, 2, 1, QColor(0, 255, 0));
        p.setBrush(kGray);
        p.drawRect(3, 12, 9, 2);
    });
}

QImage PageSetup()
{
    return Draw(16, [](QPainter& p) {
        Sheet(p, 3, 1, 12, 14);
        p.setPen(QPen(kTeal, 1, Qt::DotLine));
        p.drawRect(5, 4, 5, 8);
    });
}

QImage Find()
{
    return Draw(16, [](QPainter& p) {
        Sheet(p, 1, 1, 10, 14);
        p.setPen(kGray);
        for (int y = 4; y <= 10; y += 2)
            p.drawLine(3, y, 7, y);
        Lens(p, 9, 8, 3);
    });
}

QImage Help()
{
    return Draw(16, [](QPainter& p) {
        p.setPen(Qt::black);
        p.setBrush(Qt::white);
        p.drawPolygon(QPolygon({QPoint(0, 0), QPoint(0, 10), QPoint(3, 7), QPoint(5, 11), QPoint(6, 10),
                                QPoint(4, 6), QPoint(8, 6)}));
        QFont font;
        font.setPixelSize(11);
        font.setBold(true);
        p.setFont(font);
        p.setPen(kNavy);
        p.drawText(QRect(7, 3, 9, 12), Qt::AlignCenter, QStringLiteral("?"));
    });
}

QImage Exit()
{
    return Draw(16, [](QPainter& p) {
        p.setPen(Qt::black);
        p.setBrush(QColor(128, 0, 0));
        p.drawRect(3, 1, 8, 13);
        p.setBrush(QColor(255, 255, 0));
        p.drawRect(9, 7, 1, 1);
        p.setPen(QPen(Qt::black, 1));
        p.drawLine(11, 14, 14, 14);
    });
}

QImage PageUp()
{
    return Draw(8, [](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.drawPolygon(QPolygon({QPoint(4, 1), QPoint(8, 5), QPoint(0, 5)}));
        p.drawRect(0, 6, 8, 1);
    });
}

QImage PageDown()
{
    return Draw(8, [](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.drawRect(0, 1, 8, 1);
        p.drawPolygon(QPolygon({QPoint(0, 3), QPoint(8, 3), QPoint(4, 7)}));
    });
}

} // namespace report::PreviewGlyphs
