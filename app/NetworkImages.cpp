#include "NetworkImages.h"

#include "IconCanvas.h"
#include "MainImages.h"

#include <QPainter>

namespace {

constexpr int kSize = TNetworkImages::kSize;
const QColor kOutline(40, 40, 40);

// A globe: the whole network, or one provider's part of it.
QIcon globeImage(const QColor& sea)
{
    IconCanvas c(kSize);
    QPainter& p = c.p();
    p.setPen(QPen(kOutline, 1));
    p.setBrush(sea);
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    p.setPen(QPen(QColor(240, 250, 255), 1));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(5, 1.5, 6, 13));
    p.drawLine(QPointF(2, 8), QPointF(14, 8));
    return c.Icon();
}

// A share: a folder with a cable under it.
QIcon shareImage(const QIcon& folder)
{
    IconCanvas c(kSize);
    QPainter& p = c.p();
    p.drawPixmap(QRect(1, 0, 14, 13), folder.pixmap(kSize, kSize));
    p.setPen(QPen(kOutline, 1.5));
    p.drawLine(QPointF(8, 12), QPointF(8, 15.5));
    p.drawLine(QPointF(3, 15.5), QPointF(13, 15.5));
    return c.Icon();
}

// An arrow pointing left (Back).
QIcon backGlyph()
{
    IconCanvas c(kSize);
    QPainter& p = c.p();
    const QColor green(30, 130, 60);
    p.setPen(QPen(green, 3, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(6, 8), QPointF(14.5, 8));
    p.setPen(Qt::NoPen);
    p.setBrush(green);
    p.drawPath(ClosedPath({{1, 8}, {7.5, 2}, {7.5, 14}}));
    return c.Icon();
}

// A folder with an arrow pointing up and to the left (Up one level).
QIcon upGlyph(const QIcon& folder)
{
    IconCanvas c(kSize);
    QPainter& p = c.p();
    p.drawPixmap(QRect(0, 2, kSize, 14), folder.pixmap(kSize, kSize));
    const QColor green(30, 130, 60);
    p.setPen(QPen(green, 2, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(8, 13), QPointF(8, 6));
    p.setPen(Qt::NoPen);
    p.setBrush(green);
    p.drawPath(ClosedPath({{8, 2}, {12, 7}, {4, 7}}));
    return c.Icon();
}

} // namespace

TNetworkImages::TNetworkImages()
{
    const TMainImages main;
    const QIcon& folder = main.Glyph(TToolGlyph::OpenLogFile);
    const QIcon globe = globeImage(QColor(70, 140, 210));
    images_.fill(globeImage(QColor(150, 150, 150)));    // generic, and the types without an image of their own
    images_[1] = main.GroupImage();                      // domain
    images_[2] = main.TreeImage(tiComputer);             // server
    images_[3] = shareImage(folder);                     // share
    images_[kLogImage] = main.TreeImage(tiLog);          // an event log
    images_[5] = main.GroupImage();                      // group
    images_[6] = globe;                                  // network (provider)
    images_[7] = globe;                                  // root of the network
    images_[8] = shareImage(folder);                     // administrative share
    images_[9] = folder;                                 // directory
    back_ = backGlyph();
    up_ = upGlyph(folder);
}

const QIcon& TNetworkImages::Image(int index) const
{
    if (index < 0 || index >= kImageCount)
        return images_[0];
    return images_[static_cast<std::size_t>(index)];
}
