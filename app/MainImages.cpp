#include "MainImages.h"

#include "IconCanvas.h"

#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int kSize = TMainImages::kSize;

const QColor kOutline(40, 40, 40);
const QColor kScreen(60, 120, 200);
const QColor kCase(200, 200, 200);
const QColor kPaper(250, 250, 250);
const QColor kFolder(230, 190, 70);

// A monitor on its stand, within the 13 x 13 square at (x, y).
void drawComputer(QPainter& p, qreal x, qreal y)
{
    p.setPen(QPen(kOutline, 1));
    p.setBrush(kCase);
    p.drawRect(QRectF(x + 0.5, y + 0.5, 12, 9));
    p.setBrush(kScreen);
    p.drawRect(QRectF(x + 2.5, y + 2.5, 8, 5));
    p.setBrush(kCase);
    p.drawRect(QRectF(x + 4.5, y + 10.5, 4, 1));
    p.drawRect(QRectF(x + 2.5, y + 11.5, 8, 1));
}

// A sheet of paper with lines of text, its top-left corner at (x, y).
void drawPage(QPainter& p, qreal x, qreal y, qreal w = 11, qreal h = 14)
{
    const QPainterPath sheet = ClosedPath({{x + 0.5, y + 0.5},
                                           {x + w - 3, y + 0.5},
                                           {x + w + 0.5, y + 4},
                                           {x + w + 0.5, y + h + 0.5},
                                           {x + 0.5, y + h + 0.5}});
    p.setPen(QPen(kOutline, 1));
    p.setBrush(kPaper);
    p.drawPath(sheet);
    p.setPen(QPen(QColor(120, 140, 170), 1));
    for (qreal line = y + 5; line < y + h - 1; line += 2.5)
        p.drawLine(QPointF(x + 2.5, line), QPointF(x + w - 2, line));
}

// A round badge with a plus or a minus in the lower right corner.
void drawBadge(QPainter& p, bool plus)
{
    const QColor fill = plus ? QColor(40, 160, 60) : QColor(210, 40, 40);
    p.setPen(QPen(fill.darker(150), 1));
    p.setBrush(fill);
    p.drawEllipse(QRectF(8.5, 8.5, 7, 7));
    p.setPen(QPen(Qt::white, 1.5));
    p.drawLine(QPointF(10, 12), QPointF(14, 12));
    if (plus)
        p.drawLine(QPointF(12, 10), QPointF(12, 14));
}

void drawFolder(QPainter& p)
{
    const QPainterPath folder = ClosedPath({{0.5, 3.5}, {5.5, 3.5}, {7, 5}, {15.5, 5}, {15.5, 14.5}, {0.5, 14.5}});
    p.setPen(QPen(kOutline, 1));
    p.setBrush(kFolder);
    p.drawPath(folder);
    p.setBrush(kFolder.lighter(120));
    p.drawRect(QRectF(0.5, 7.5, 15, 7));
}

void drawMagnifier(QPainter& p, qreal x, qreal y, qreal r)
{
    p.setPen(QPen(QColor(90, 60, 30), 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(x + r * 0.7, y + r * 0.7), QPointF(x + r * 1.8, y + r * 1.8));
    p.setPen(QPen(kOutline, 1.2));
    p.setBrush(QColor(200, 230, 255, 200));
    p.drawEllipse(QPointF(x, y), r, r);
}

// A bent arrow pointing left, as undo commands show it.
void drawUndoArrow(QPainter& p, qreal dy, const QColor& colour)
{
    QPainterPath bend;
    bend.moveTo(4, 5 + dy);
    bend.lineTo(10, 5 + dy);
    bend.cubicTo(15, 5 + dy, 15, 12 + dy, 10, 12 + dy);
    bend.lineTo(7, 12 + dy);
    p.setPen(QPen(colour, 2, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(bend);
    const QPainterPath head = ClosedPath({{0.5, 5 + dy}, {5, 1.5 + dy}, {5, 8.5 + dy}});
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPath(head);
}

QIcon computerImage(bool failed)
{
    IconCanvas c(kSize);
    drawComputer(c.p(), 1, 1);
    if (failed) {
        c.p().setPen(QPen(QColor(210, 30, 30), 2.2, Qt::SolidLine, Qt::RoundCap));
        c.p().drawLine(QPointF(8, 8), QPointF(14.5, 14.5));
        c.p().drawLine(QPointF(14.5, 8), QPointF(8, 14.5));
    }
    return c.Icon();
}

QIcon logImage()
{
    IconCanvas c(kSize);
    drawPage(c.p(), 2, 0.5, 11, 14.5);
    return c.Icon();
}

QIcon computerWithBadge(bool plus)
{
    IconCanvas c(kSize);
    drawComputer(c.p(), 0, 0);
    drawBadge(c.p(), plus);
    return c.Icon();
}

QIcon openLogGlyph()
{
    IconCanvas c(kSize);
    drawComputer(c.p(), 0, 0);
    drawPage(c.p(), 8, 5, 7, 10);
    return c.Icon();
}

QIcon openLogFileGlyph()
{
    IconCanvas c(kSize);
    drawFolder(c.p());
    return c.Icon();
}

QIcon saveGlyph()
{
    IconCanvas c(kSize);
    QPainter& p = c.p();
    p.setPen(QPen(kOutline, 1));
    p.setBrush(QColor(50, 80, 160));
    p.drawRect(QRectF(1.5, 1.5, 13, 13));
    p.setBrush(kPaper);
    p.drawRect(QRectF(3.5, 1.5, 9, 6));
    p.setBrush(QColor(170, 170, 170));
    p.drawRect(QRectF(4.5, 10.5, 7, 4));
    return c.Icon();
}

QIcon filterGlyph()
{
    IconCanvas c(kSize);
    const QPainterPath funnel =
        ClosedPath({{0.5, 1.5}, {15.5, 1.5}, {9.5, 8.5}, {9.5, 14.5}, {6.5, 12.5}, {6.5, 8.5}});
    c.p().setPen(QPen(kOutline, 1));
    c.p().setBrush(QColor(90, 150, 220));
    c.p().drawPath(funnel);
    return c.Icon();
}

QIcon undoLastGlyph()
{
    IconCanvas c(kSize);
    drawUndoArrow(c.p(), 1.5, QColor(40, 90, 180));
    return c.Icon();
}

QIcon undoAllGlyph()
{
    IconCanvas c(kSize);
    drawUndoArrow(c.p(), -0.5, QColor(120, 150, 200));
    drawUndoArrow(c.p(), 3.5, QColor(40, 90, 180));
    return c.Icon();
}

QIcon refreshGlyph()
{
    IconCanvas c(kSize);
    QPainter& p = c.p();
    const QColor green(30, 140, 60);
    p.setPen(QPen(green, 2, Qt::SolidLine, Qt::FlatCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(2.5, 2.5, 11, 11), 60 * 16, 270 * 16);
    const QPainterPath head = ClosedPath({{15.5, 1}, {15.5, 7.5}, {9, 7}});
    p.setPen(Qt::NoPen);
    p.setBrush(green);
    p.drawPath(head);
    return c.Icon();
}

QIcon findGlyph()
{
    IconCanvas c(kSize);
    drawMagnifier(c.p(), 6, 6, 4.5);
    return c.Icon();
}

QIcon printPreviewGlyph()
{
    IconCanvas c(kSize);
    drawPage(c.p(), 0.5, 0.5, 11, 14);
    drawMagnifier(c.p(), 9, 9, 3.5);
    return c.Icon();
}

QIcon printGlyph()
{
    IconCanvas c(kSize);
    QPainter& p = c.p();
    drawPage(p, 4, 0.5, 8, 7);
    p.setPen(QPen(kOutline, 1));
    p.setBrush(kCase);
    p.drawRect(QRectF(0.5, 6.5, 15, 6));
    p.setBrush(kPaper);
    p.drawRect(QRectF(3.5, 10.5, 9, 4.5));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 160, 60));
    p.drawEllipse(QRectF(12, 8, 2, 2));
    return c.Icon();
}

// Three small computers joined by a cable.
QIcon groupImage()
{
    IconCanvas c(kSize);
    QPainter& p = c.p();
    p.setPen(QPen(kOutline, 1));
    p.drawLine(QPointF(3.5, 12), QPointF(12.5, 12));
    p.drawLine(QPointF(8, 7), QPointF(8, 12));
    auto small = [&p](qreal x, qreal y) {
        p.setPen(QPen(kOutline, 1));
        p.setBrush(kCase);
        p.drawRect(QRectF(x + 0.5, y + 0.5, 6, 5));
        p.setBrush(kScreen);
        p.drawRect(QRectF(x + 1.5, y + 1.5, 4, 3));
    };
    small(4.5, 0);
    small(0, 9.5);
    small(9, 9.5);
    return c.Icon();
}

} // namespace

TMainImages::TMainImages()
{
    tree_[tiComputer] = computerImage(false);
    tree_[tiFailedComputer] = computerImage(true);
    tree_[tiLog] = logImage();

    auto set = [this](TToolGlyph glyph, QIcon icon) { glyphs_[static_cast<std::size_t>(glyph)] = std::move(icon); };
    set(TToolGlyph::AddComputer, computerWithBadge(true));
    set(TToolGlyph::RemoveComputer, computerWithBadge(false));
    set(TToolGlyph::OpenLog, openLogGlyph());
    set(TToolGlyph::OpenLogFile, openLogFileGlyph());
    set(TToolGlyph::SaveLogAs, saveGlyph());
    set(TToolGlyph::Filter, filterGlyph());
    set(TToolGlyph::UndoLastFilter, undoLastGlyph());
    set(TToolGlyph::UndoAllFilters, undoAllGlyph());
    set(TToolGlyph::Refresh, refreshGlyph());
    set(TToolGlyph::Find, findGlyph());
    set(TToolGlyph::PrintPreview, printPreviewGlyph());
    set(TToolGlyph::Print, printGlyph());
    group_ = groupImage();
}

const QIcon& TMainImages::TreeImage(int index) const
{
    if (index < 0 || index >= kTreeImageCount)
        return none_;
    return tree_[static_cast<std::size_t>(index)];
}

const QIcon& TMainImages::Glyph(TToolGlyph glyph) const
{
    return glyphs_.at(static_cast<std::size_t>(glyph));
}
