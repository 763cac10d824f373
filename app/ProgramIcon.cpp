#include "ProgramIcon.h"

#include "IconCanvas.h"

#include <QPainter>

namespace {

const QColor kOutline(40, 40, 40);
const QColor kCover(45, 85, 150);
const QColor kPaper(250, 250, 250);
const QColor kLine(150, 165, 190);
const QColor kError(210, 40, 40);
const QColor kWarning(235, 185, 30);
const QColor kInformation(50, 110, 210);
const QColor kGlass(200, 225, 245, 170);

// Drawn on a 32 x 32 grid, scaled to the size asked for.
QPixmap Draw(int size)
{
    IconCanvas canvas(size);
    QPainter& p = canvas.p();
    p.scale(size / 32.0, size / 32.0);

    // The book: its cover, then the page.
    p.setPen(QPen(kOutline, 1));
    p.setBrush(kCover);
    p.drawRoundedRect(QRectF(3.5, 2.5, 22, 27), 2, 2);
    p.setBrush(kPaper);
    p.drawRect(QRectF(6.5, 4.5, 17, 23));

    // One row per event: its type's mark and its line of text.
    const QColor marks[] = {kError, kWarning, kInformation, kInformation, kWarning};
    qreal y = 7;
    for (const QColor& mark : marks) {
        p.setPen(Qt::NoPen);
        p.setBrush(mark);
        p.drawEllipse(QRectF(8, y, 3, 3));
        p.setPen(QPen(kLine, 1.2));
        p.drawLine(QPointF(13, y + 1.5), QPointF(21.5, y + 1.5));
        y += 4;
    }

    // The magnifying glass over the lower right corner.
    p.setPen(QPen(kOutline, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(25, 25), QPointF(30, 30));
    p.setPen(QPen(kOutline, 2));
    p.setBrush(kGlass);
    p.drawEllipse(QPointF(21, 21), 6, 6);
    return canvas.Icon().pixmap(size, size);
}

} // namespace

QIcon ProgramIcon()
{
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64})
        icon.addPixmap(Draw(size));
    return icon;
}
