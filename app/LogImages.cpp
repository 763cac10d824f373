#include "LogImages.h"

#include "IconCanvas.h"

#include <QPainterPath>

namespace {

constexpr int kSize = TLogImageList::kSize;

void drawCentredText(QPainter& p, const QRectF& r, const QString& text, const QColor& colour, int pixelSize)
{
    QFont font = p.font();
    font.setBold(true);
    font.setPixelSize(pixelSize);
    p.setFont(font);
    p.setPen(colour);
    p.drawText(r, Qt::AlignCenter, text);
}

// A disc filling the image, with the pen left ready for a white mark on it.
void drawDisc(QPainter& p, const QColor& rim, const QColor& fill)
{
    p.setPen(QPen(rim, 1));
    p.setBrush(fill);
    p.drawEllipse(QRectF(0.5, 0.5, 15, 15));
    p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap));
}

// A red disc with a white cross.
QIcon errorIcon()
{
    IconCanvas c(kSize);
    QPainter& p = c.p();
    drawDisc(p, QColor(128, 0, 0), QColor(220, 30, 30));
    p.drawLine(QPointF(5, 5), QPointF(11, 11));
    p.drawLine(QPointF(11, 5), QPointF(5, 11));
    return c.Icon();
}

// A yellow triangle with an exclamation mark.
QIcon warningIcon()
{
    IconCanvas c(kSize);
    QPainter& p = c.p();
    const QPainterPath triangle = ClosedPath({{8, 0.5}, {15.5, 15}, {0.5, 15}});
    p.setPen(QPen(QColor(120, 90, 0), 1));
    p.setBrush(QColor(250, 210, 40));
    p.drawPath(triangle);
    p.setPen(QPen(Qt::black, 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(8, 5), QPointF(8, 10));
    p.drawPoint(QPointF(8, 13));
    return c.Icon();
}

// A blue disc with a white "i".
QIcon informationIcon()
{
    IconCanvas c(kSize);
    QPainter& p = c.p();
    drawDisc(p, QColor(0, 40, 120), QColor(40, 100, 220));
    p.drawPoint(QPointF(8, 4.5));
    p.drawLine(QPointF(8, 7.5), QPointF(8, 12));
    return c.Icon();
}

// A golden key.
QIcon auditSuccessIcon()
{
    IconCanvas c(kSize);
    QPainter& p = c.p();
    const QColor gold(200, 150, 20);
    p.setPen(QPen(QColor(110, 80, 0), 1));
    p.setBrush(gold);
    p.drawEllipse(QRectF(1, 1, 7, 7));
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(3.5, 3.5, 2, 2));
    p.setPen(QPen(gold.darker(130), 2, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(7, 7), QPointF(14, 14));
    p.drawLine(QPointF(11, 11), QPointF(13, 9));
    p.drawLine(QPointF(13, 13), QPointF(15, 11));
    return c.Icon();
}

// A grey padlock.
QIcon auditFailureIcon()
{
    IconCanvas c(kSize);
    QPainter& p = c.p();
    p.setPen(QPen(QColor(70, 70, 70), 2));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(4, 1.5, 8, 9), 0, 180 * 16);
    p.drawLine(QPointF(4, 6), QPointF(4, 8));
    p.drawLine(QPointF(12, 6), QPointF(12, 8));
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.setBrush(QColor(160, 160, 170));
    p.drawRect(QRectF(2.5, 7.5, 11, 8));
    drawCentredText(p, QRectF(2.5, 7.5, 11, 8), QStringLiteral("x"), QColor(180, 0, 0), 8);
    return c.Icon();
}

} // namespace

TLogImageList::TLogImageList()
{
    icons_[2] = auditSuccessIcon();
    icons_[3] = auditFailureIcon();
    icons_[4] = errorIcon();
    icons_[5] = warningIcon();
    icons_[6] = informationIcon();
}

const QIcon& TLogImageList::Icon(int index) const
{
    if (index < 0 || index >= kCount)
        return none_;
    return icons_[static_cast<std::size_t>(index)];
}
